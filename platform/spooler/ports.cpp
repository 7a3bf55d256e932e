// The ports a job is written to: a file, the standard output, a raw TCP socket.
#include "platform/spooler/ports.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"

namespace platform::spool {

namespace {

constexpr DWORD kDefaultConnectMs = 10'000;
// A plotter stops reading while it draws a large page, so a write may wait long.
constexpr DWORD kDefaultWriteMs = 300'000;
constexpr const char* kDefaultService = "9100";

std::atomic<DWORD> connectTimeoutMs{kDefaultConnectMs};
std::atomic<DWORD> writeTimeoutMs{kDefaultWriteMs};

// System error numbers as the platform reports them, with the words for the user.
struct ErrnoRow {
  int number;
  DWORD error;
  const char* text;
};
// clang-format off
constexpr ErrnoRow kErrnoRows[] = {
    {ECONNREFUSED, ERROR_CONNECTION_REFUSED, "connection refused"},
    {ETIMEDOUT,    ERROR_TIMEOUT,            "timed out"},
    {EHOSTUNREACH, ERROR_BAD_NETPATH,        "host unreachable"},
    {ENETUNREACH,  ERROR_BAD_NETPATH,        "network unreachable"},
    {EADDRNOTAVAIL, ERROR_BAD_NETPATH,       "address not available"},
    {ECONNRESET,   ERROR_BROKEN_PIPE,        "connection reset by the printer"},
    {EPIPE,        ERROR_BROKEN_PIPE,        "connection closed by the printer"},
    {ENOSPC,       ERROR_DISK_FULL,          "no space left on the disk"},
    {EDQUOT,       ERROR_DISK_FULL,          "disk quota exceeded"},
    {EACCES,       ERROR_ACCESS_DENIED,      "permission denied"},
    {EPERM,        ERROR_ACCESS_DENIED,      "permission denied"},
    {EROFS,        ERROR_ACCESS_DENIED,      "read-only file system"},
    {EISDIR,       ERROR_ACCESS_DENIED,      "is a folder"},
    {ENOENT,       ERROR_PATH_NOT_FOUND,     "no such folder"},
    {ENOTDIR,      ERROR_PATH_NOT_FOUND,     "no such folder"},
};
// clang-format on

PortFailure FailureOf(int number, const std::string& what) {
  for (const ErrnoRow& row : kErrnoRows) {
    if (row.number == number) return {row.error, what + ": " + row.text};
  }
  return {ERROR_WRITE_FAULT, what + ": " + std::strerror(number)};
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool IsHostChar(char c, bool bracketed) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  if (c == '-' || c == '.' || c == '_') return true;
  return bracketed && (c == ':' || c == '%');
}

bool ParseFilePort(std::u16string_view rest, PortAddress* address, std::string* why) {
  if (rest.size() >= 2 && rest.substr(0, 2) == u"//") {
    rest.remove_prefix(2);  // file:///path
    if (rest.empty() || rest[0] != u'/') {
      *why = "a file port names no host: use file:/PATH";
      return false;
    }
  }
  if (rest.empty()) {
    *why = "a file port needs a path: file:PATH";
    return false;
  }
  address->kind = PortKind::kFile;
  if (rest[0] == u'/' && !(rest.size() > 1 && rest[1] == u'/')) {
    address->path = WideToUtf8(rest);
    return true;
  }
  bool drive = rest.size() >= 2 && rest[1] == u':';
  bool unc = rest.size() >= 2 && (rest[0] == u'\\' || rest[0] == u'/') &&
             (rest[1] == u'\\' || rest[1] == u'/');
  if (!drive && !unc) {
    *why = "a file port needs an absolute path (/PATH or C:\\PATH)";
    return false;
  }
  address->path = NativePath(rest);
  address->namespacePath = true;
  if (address->path.empty()) {
    *why = "not a path of the Windows namespace: " + WideToUtf8(rest);
    return false;
  }
  return true;
}

bool ParseService(std::string_view text, std::string* service, std::string* why) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value == 0 ||
      value > 65535) {
    *why = "the TCP port must be a number from 1 to 65535";
    return false;
  }
  *service = std::to_string(value);
  return true;
}

bool ParseSocketPort(std::string_view rest, PortAddress* address, std::string* why) {
  *why = "a socket port is socket://HOST:PORT";
  std::string_view host;
  std::string_view service;
  bool bracketed = !rest.empty() && rest[0] == '[';
  if (bracketed) {
    std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return false;
    host = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    if (!rest.empty() && rest[0] != ':') return false;
    if (!rest.empty()) service = rest.substr(1);
  } else {
    std::size_t colon = rest.find(':');
    host = rest.substr(0, colon);
    if (colon != std::string_view::npos) service = rest.substr(colon + 1);
    if (colon != std::string_view::npos && service.empty()) return false;
  }
  if (host.empty()) return false;
  for (char c : host) {
    if (!IsHostChar(c, bracketed)) return false;
  }
  address->kind = PortKind::kSocket;
  address->host = std::string(host);
  address->service = kDefaultService;
  if (!service.empty() && !ParseService(service, &address->service, why)) return false;
  why->clear();
  return true;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Waits for `events` on `fd` until the deadline; 1 ready, 0 timed out, -1 error.
int WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int rc = poll(&p, 1, RemainingMs(deadline));
    if (rc >= 0) return rc > 0 ? 1 : 0;
    if (errno != EINTR) return -1;
  }
}

std::chrono::steady_clock::time_point After(DWORD ms) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

// Writes to a file descriptor until all bytes are out.
bool WriteAll(int fd, const unsigned char* bytes, std::size_t size, std::size_t* sent,
              int* number) {
  *sent = 0;
  while (*sent < size) {
    ssize_t n = write(fd, bytes + *sent, size - *sent);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *number = n < 0 ? errno : ENOSPC;
      return false;
    }
    *sent += static_cast<std::size_t>(n);
  }
  return true;
}

class FileSink : public PortSink {
 public:
  FileSink(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~FileSink() override { Abort(); }

  bool Write(const unsigned char* bytes, std::size_t size, std::size_t* sent,
             PortFailure* failure) override {
    int number = 0;
    if (WriteAll(fd_, bytes, size, sent, &number)) return true;
    *failure = FailureOf(number, "cannot write " + path_);
    return false;
  }

  bool Finish(PortFailure* failure) override {
    int rc = close(fd_);
    fd_ = -1;
    if (rc == 0 || errno == EINTR) return true;
    *failure = FailureOf(errno, "cannot write " + path_);
    return false;
  }

  void Abort() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
  std::string path_;
};

class StandardOutputSink : public PortSink {
 public:
  bool Write(const unsigned char* bytes, std::size_t size, std::size_t* sent,
             PortFailure* failure) override {
    std::fflush(stdout);  // keep the order of what the process printed before
    int number = 0;
    if (WriteAll(STDOUT_FILENO, bytes, size, sent, &number)) return true;
    *failure = FailureOf(number, "cannot write to the standard output");
    return false;
  }
  bool Finish(PortFailure*) override { return true; }
  void Abort() override {}
};

class SocketSink : public PortSink {
 public:
  SocketSink(std::string host, std::string service)
      : host_(std::move(host)), service_(std::move(service)) {}
  ~SocketSink() override { Abort(); }

  bool Write(const unsigned char* bytes, std::size_t size, std::size_t* sent,
             PortFailure* failure) override {
    *sent = 0;
    if (broken_.error != 0) {
      *failure = broken_;
      return false;
    }
    if (size == 0) return true;
    if (fd_ < 0 && !Connect()) {
      *failure = broken_;
      return false;
    }
    while (*sent < size) {
      ssize_t n = send(fd_, bytes + *sent, size - *sent, MSG_NOSIGNAL);
      if (n > 0) {
        *sent += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        int ready = WaitFor(fd_, POLLOUT, After(SocketWriteTimeout()));
        if (ready > 0) continue;
        broken_ = ready == 0 ? PortFailure{ERROR_TIMEOUT, "the printer at " + Where() +
                                                              " took no data for " +
                                                              Seconds(SocketWriteTimeout())}
                             : FailureOf(errno, "cannot send to " + Where());
      } else {
        broken_ = FailureOf(n < 0 ? errno : EPIPE, "cannot send to " + Where());
      }
      *failure = broken_;
      return false;
    }
    return true;
  }

  // Half-closes and waits (bounded) for the printer to close its side, so that
  // the last bytes are not lost to a reset when it answered something unread.
  bool Finish(PortFailure* failure) override {
    if (fd_ < 0) {
      if (broken_.error == 0) return true;  // nothing was written: nothing to finish
      *failure = broken_;
      return false;
    }
    if (shutdown(fd_, SHUT_WR) != 0) {
      *failure = FailureOf(errno, "cannot finish the job on " + Where());
      Abort();
      return false;
    }
    auto deadline = After(SocketConnectTimeout());
    unsigned char sink[512];
    while (WaitFor(fd_, POLLIN, deadline) > 0) {
      ssize_t n = recv(fd_, sink, sizeof sink, 0);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;
    }
    Abort();
    return true;
  }

  void Abort() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  std::string Where() const {
    return (host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_) + ":" + service_;
  }

  static std::string Seconds(DWORD ms) { return std::to_string((ms + 999) / 1000) + " s"; }

  bool Connect() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host_.c_str(), service_.c_str(), &hints, &found);
    if (rc != 0) {
      broken_ = {ERROR_BAD_NETPATH,
                 "cannot find the printer host " + host_ + ": " + gai_strerror(rc)};
      return false;
    }
    auto deadline = After(SocketConnectTimeout());
    broken_ = {ERROR_BAD_NETPATH, "cannot connect to " + Where()};
    for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) TryAddress(a, deadline);
    freeaddrinfo(found);
    if (fd_ < 0) return false;
    broken_ = {};
    return true;
  }

  void TryAddress(const addrinfo* a, std::chrono::steady_clock::time_point deadline) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) return;
    int number = 0;
    if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) number = errno;
    if (number == EINPROGRESS || number == EINTR) {
      int ready = WaitFor(fd, POLLOUT, deadline);
      socklen_t length = sizeof number;
      if (ready <= 0) {
        number = ready == 0 ? ETIMEDOUT : errno;
      } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &number, &length) != 0) {
        number = errno;
      }
    }
    if (number != 0) {
      broken_ =
          number == ETIMEDOUT
              ? PortFailure{ERROR_TIMEOUT, "cannot connect to " + Where() + ": no answer in " +
                                               Seconds(SocketConnectTimeout())}
              : FailureOf(number, "cannot connect to " + Where());
      close(fd);
      return;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fd_ = fd;
  }

  std::string host_;
  std::string service_;
  int fd_ = -1;
  PortFailure broken_;
};

std::unique_ptr<PortSink> OpenFile(const PortAddress& address, PortFailure* failure) {
  if (address.namespacePath) MakeParentFolders(address.path);
  int fd = open(address.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *failure = FailureOf(errno, "cannot create " + address.path);
    return nullptr;
  }
  return std::make_unique<FileSink>(fd, address.path);
}

}  // namespace

bool ParsePortName(std::u16string_view name, PortAddress* address, std::string* why) {
  *address = PortAddress{};
  if (name == u"-") {
    address->kind = PortKind::kStandardOutput;
    return true;
  }
  if (StartsWithNoCase(name, u"file:")) return ParseFilePort(name.substr(5), address, why);
  if (StartsWithNoCase(name, u"socket://")) {
    return ParseSocketPort(WideToUtf8(name.substr(9)), address, why);
  }
  *why = "unknown port '" + WideToUtf8(name) + "': use file:PATH, - or socket://HOST:PORT";
  return false;
}

std::unique_ptr<PortSink> OpenPort(const PortAddress& address, PortFailure* failure) {
  switch (address.kind) {
    case PortKind::kFile:
      return OpenFile(address, failure);
    case PortKind::kStandardOutput:
      return std::make_unique<StandardOutputSink>();
    case PortKind::kSocket:
      return std::make_unique<SocketSink>(address.host, address.service);
  }
  return nullptr;
}

DWORD SocketConnectTimeout() { return connectTimeoutMs.load(); }
DWORD SocketWriteTimeout() { return writeTimeoutMs.load(); }

}  // namespace platform::spool

namespace platform::test {
void SetSocketTimeouts(DWORD connectMs, DWORD writeMs) {
  spool::connectTimeoutMs = connectMs ? connectMs : spool::kDefaultConnectMs;
  spool::writeTimeoutMs = writeMs ? writeMs : spool::kDefaultWriteMs;
}
}  // namespace platform::test
