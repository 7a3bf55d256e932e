// Ports: a job's bytes reach a file, the standard output or a TCP socket exactly
// as written, and a port that fails makes WritePrinter fail cleanly.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "platform/spooler/spooler_test_support.h"
#include "tests/support/temp_root.h"

namespace {

using spooltest::ScopedPrinter;

platform::PrinterRecord OnPort(const std::u16string& name, const std::string& port) {
  platform::PrinterRecord p = spooltest::MakePrinter(name);
  p.portName = platform::Utf8ToWide(port);
  return p;
}

DWORD Start(HANDLE h, LPWSTR outputFile = nullptr) {
  DOC_INFO_1W doc{const_cast<LPWSTR>(u"port test"), outputFile, nullptr};
  return StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc));
}

BOOL Write(HANDLE h, const std::string& bytes) {
  DWORD written = 0;
  BOOL ok = WritePrinter(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written);
  EXPECT_TRUE(!ok || written == bytes.size());
  return ok;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Bytes of every value 0 to 255, so that no byte is translated on the way.
std::string AllBytes(std::size_t size) {
  std::string bytes(size, 0);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 % 256);
  return bytes;
}

TEST(PortNames, GoodAndBad) {
  struct Case {
    const char16_t* name;
    bool good;
    const char* why;
  };
  const Case cases[] = {
      {u"-", true, ""},
      {u"file:/tmp/job.prn", true, ""},
      {u"FILE:///tmp/job.prn", true, ""},
      {u"file:C:\\jobs\\job.prn", true, ""},
      {u"socket://10.0.0.5:9100", true, ""},
      {u"socket://plotter-3.example", true, ""},
      {u"socket://[::1]:9101", true, ""},
      {u"file:", false, "needs a path"},
      {u"file:job.prn", false, "absolute path"},
      {u"file://host/job.prn", false, "no host"},
      {u"socket://", false, "socket://HOST:PORT"},
      {u"socket://plotter:", false, "socket://HOST:PORT"},
      {u"socket://plotter:0", false, "1 to 65535"},
      {u"socket://plotter:70000", false, "1 to 65535"},
      {u"socket://plotter:91x", false, "1 to 65535"},
      {u"socket://plot ter:9100", false, "socket://HOST:PORT"},
      {u"socket://::1:9100", false, "socket://HOST:PORT"},
      {u"LPT1:", false, "unknown port"},
      {u"", false, "unknown port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::WideToUtf8(c.name));
    std::string why;
    EXPECT_EQ(platform::CheckPortName(c.name, &why), c.good);
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
  }
}

TEST(FilePort, EachJobCreatesTheFileAnew) {
  std::string file = qxtest::MakeTempDir("file-port") + "/job.prn";
  ScopedPrinter printer(OnPort(u"Port File", "file:" + file));
  HANDLE h = printer.Open();
  std::string bytes = AllBytes(70000);
  ASSERT_NE(Start(h), 0u);
  EXPECT_EQ(ReadAll(file), "");  // created when the job starts
  ASSERT_TRUE(Write(h, bytes.substr(0, 1000)));
  ASSERT_TRUE(Write(h, bytes.substr(1000)));
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(ReadAll(file), bytes);

  ASSERT_NE(Start(h), 0u);
  ASSERT_TRUE(Write(h, "second"));
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(ReadAll(file), "second");
}

TEST(FilePort, NamespacePathsAndOutputFiles) {
  ScopedPrinter printer(OnPort(u"Port Namespace", "file:C:\\Jobs\\Plot.prn"));
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h), 0u);
  ASSERT_TRUE(Write(h, "IN;"));
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(ReadAll(platform::NativePath(u"C:\\Jobs\\Plot.prn")), "IN;");

  // A document's output file takes the place of the port.
  std::string other = qxtest::MakeTempDir("output-file") + "/out.prn";
  std::u16string wide = platform::Utf8ToWide(other);
  ASSERT_NE(Start(h, wide.data()), 0u);
  ASSERT_TRUE(Write(h, "PG;"));
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(ReadAll(other), "PG;");
  EXPECT_EQ(ReadAll(platform::NativePath(u"C:\\Jobs\\Plot.prn")), "IN;");
}

TEST(FilePort, UnwritableFileFailsTheStart) {
  ScopedPrinter printer(OnPort(u"Port No Folder", "file:/nonexistent-folder/job.prn"));
  HANDLE h = printer.Open();
  EXPECT_EQ(Start(h), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_NE(platform::PortErrorText(h).find("/nonexistent-folder/job.prn"), std::string::npos);
  EXPECT_TRUE(platform::ListJobs(printer.name()).empty());
}

TEST(StandardOutputPort, BytesGoToFileDescriptorOne) {
  std::string file = qxtest::MakeTempDir("stdout-port") + "/stdout";
  ScopedPrinter printer(OnPort(u"Port Stdout", "-"));
  HANDLE h = printer.Open();
  std::string bytes = AllBytes(5000);
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int capture = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(capture, 0);
  dup2(capture, STDOUT_FILENO);
  close(capture);
  bool ok = Start(h) != 0 && Write(h, bytes) && Write(h, "\x1B%-12345X") && EndDocPrinter(h);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ReadAll(file), bytes + "\x1B%-12345X");
}

// A printer on the loopback address: accepts one connection and keeps what it reads.
class LoopbackPrinter {
 public:
  enum class Mode { kRead, kCloseAtOnce, kNeverRead };

  explicit LoopbackPrinter(Mode mode) : mode_(mode) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(listen(listener_, 1), 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackPrinter() {
    release_ = true;
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }

  std::string Port() const { return "socket://127.0.0.1:" + std::to_string(port_); }
  int connections() const { return connections_; }
  // What arrived, once the client has closed its side.
  std::string Received() {
    release_ = true;
    thread_.join();
    thread_ = std::thread([] {});
    return received_;
  }

 private:
  void Serve() {
    int fd = accept(listener_, nullptr, nullptr);
    if (fd < 0) return;
    ++connections_;
    if (mode_ == Mode::kCloseAtOnce) {
      linger reset{1, 0};  // close with a reset, as a printer that drops the line
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    while (mode_ == Mode::kNeverRead && !release_) usleep(10000);
    char buffer[65536];
    ssize_t n = 0;
    while (mode_ == Mode::kRead && (n = read(fd, buffer, sizeof buffer)) > 0) {
      received_.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
  }

  Mode mode_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> release_{false};
  std::atomic<int> connections_{0};
  std::string received_;
  std::thread thread_;
};

TEST(SocketPort, ThePrinterReceivesExactlyTheBytesWritten) {
  LoopbackPrinter server(LoopbackPrinter::Mode::kRead);
  ScopedPrinter printer(OnPort(u"Port Socket", server.Port()));
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h), 0u);
  EXPECT_EQ(server.connections(), 0);  // the connection opens at the first write
  std::string bytes = AllBytes(3 << 20);
  for (std::size_t at = 0; at < bytes.size(); at += 4096) {
    ASSERT_TRUE(Write(h, bytes.substr(at, 4096))) << platform::PortErrorText(h);
  }
  ASSERT_TRUE(EndDocPrinter(h)) << platform::PortErrorText(h);
  EXPECT_EQ(server.Received(), bytes);
  EXPECT_EQ(server.connections(), 1);
}

TEST(SocketPort, RefusedConnectionFailsTheWrite) {
  // A port that nothing listens on: bound once to find it, then closed.
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  std::string port = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

  ScopedPrinter printer(OnPort(u"Port Refused", "socket://" + port));
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h), 0u);
  EXPECT_FALSE(Write(h, "IN;"));
  EXPECT_EQ(GetLastError(), ERROR_CONNECTION_REFUSED);
  EXPECT_EQ(platform::PortErrorText(h), "cannot connect to " + port + ": connection refused");
  EXPECT_FALSE(Write(h, "PG;"));  // the job stays failed
  EXPECT_EQ(GetLastError(), ERROR_CONNECTION_REFUSED);
  EXPECT_FALSE(EndDocPrinter(h));
  EXPECT_TRUE(platform::ListJobs(printer.name()).empty());
}

TEST(SocketPort, DroppedConnectionFailsTheWrite) {
  LoopbackPrinter server(LoopbackPrinter::Mode::kCloseAtOnce);
  ScopedPrinter printer(OnPort(u"Port Dropped", server.Port()));
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h), 0u);
  std::string chunk = AllBytes(65536);
  bool failed = false;
  for (int i = 0; i < 200 && !failed; ++i) {
    failed = !Write(h, chunk);
    usleep(2000);
  }
  ASSERT_TRUE(failed);
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  std::string why = platform::PortErrorText(h);
  // The reset may reach the first send or already the connection's handshake.
  EXPECT_TRUE(why.rfind("cannot send to 127.0.0.1:", 0) == 0 ||
              why.rfind("cannot connect to 127.0.0.1:", 0) == 0)
      << why;
  EXPECT_NE(why.find("by the printer"), std::string::npos) << why;
  EXPECT_TRUE(AbortPrinter(h));
}

TEST(SocketPort, PrinterThatStopsReadingTimesOut) {
  platform::test::SetSocketTimeouts(1000, 200);
  LoopbackPrinter server(LoopbackPrinter::Mode::kNeverRead);
  ScopedPrinter printer(OnPort(u"Port Stalled", server.Port()));
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h), 0u);
  std::string chunk(1 << 20, 'x');
  bool failed = false;
  for (int i = 0; i < 256 && !failed; ++i) failed = !Write(h, chunk);
  platform::test::SetSocketTimeouts(0, 0);
  ASSERT_TRUE(failed);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_NE(platform::PortErrorText(h).find("took no data"), std::string::npos);
  EXPECT_TRUE(AbortPrinter(h));
}

}  // namespace
