// INI files as lines: decoding in the file's own encoding, encoding back, and
// the locked, atomic replacement of the file.
#include "platform/files/profile_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/base/codepage.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/file_object.h"
#include "platform/files/files.h"

namespace platform::profile {

namespace {

constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = (b >= 0xC2 && b <= 0xDF)   ? 1
                        : (b >= 0xE0 && b <= 0xEF) ? 2
                        : (b >= 0xF0 && b <= 0xF4) ? 3
                                                   : 0;
    if (extra == 0 || i + extra >= n) return false;
    unsigned char b1 = p[i + 1];
    if ((b1 & 0xC0) != 0x80) return false;
    if (b == 0xE0 && b1 < 0xA0) return false;  // overlong
    if (b == 0xED && b1 > 0x9F) return false;  // surrogate
    if (b == 0xF0 && b1 < 0x90) return false;  // overlong
    if (b == 0xF4 && b1 > 0x8F) return false;  // above U+10FFFF
    for (std::size_t k = 2; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

std::u16string DecodeAnsi(const char* p, std::size_t n) {
  if (n == 0) return {};
  int length = n > INT_MAX ? INT_MAX : static_cast<int>(n);
  int needed = MultiByteToWideChar(CP_ACP, 0, p, length, nullptr, 0);
  if (needed > 0) {
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    int got = MultiByteToWideChar(CP_ACP, 0, p, length, out.data(), needed);
    if (got > 0) {
      out.resize(static_cast<std::size_t>(got));
      return out;
    }
  }
  // A page that cannot read the line at all: keep its bytes as Latin-1.
  std::u16string out;
  for (std::size_t i = 0; i < n; ++i)
    out += static_cast<char16_t>(static_cast<unsigned char>(p[i]));
  return out;
}

std::string EncodeAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
  return out;
}

std::string EncodeText(Encoding encoding, std::u16string_view text) {
  std::string out;
  switch (encoding) {
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      out.reserve(text.size() * 2);
      for (char16_t c : text) {
        char lo = static_cast<char>(c & 0xFF);
        char hi = static_cast<char>(c >> 8);
        if (encoding == Encoding::kUtf16Le) {
          out += lo;
          out += hi;
        } else {
          out += hi;
          out += lo;
        }
      }
      return out;
    case Encoding::kUtf8:
      return WideToUtf8(text);
    case Encoding::kAnsi:
      return EncodeAnsi(text);
  }
  return out;
}

// Splits UTF-16 code units into lines at CR LF, LF or CR.
void SplitUnits(Document& document, const std::vector<unsigned char>& bytes, std::size_t start) {
  bool little = document.encoding == Encoding::kUtf16Le;
  std::size_t units = (bytes.size() - start) / 2;
  auto unit = [&](std::size_t i) -> char16_t {
    unsigned char a = bytes[start + 2 * i];
    unsigned char b = bytes[start + 2 * i + 1];
    return static_cast<char16_t>(little ? (a | (b << 8)) : ((a << 8) | b));
  };
  std::size_t first = 0;
  while (first < units) {
    Line line;
    std::size_t i = first;
    while (i < units && unit(i) != u'\n' && unit(i) != u'\r') line.text += unit(i++);
    std::size_t end = i;
    if (end < units && unit(end) == u'\r') ++end;
    if (end < units && unit(end) == u'\n') ++end;
    line.terminated = end > i;
    line.raw.assign(reinterpret_cast<const char*>(bytes.data()) + start + 2 * first,
                    2 * (end - first));
    document.lines.push_back(std::move(line));
    first = end;
  }
  if ((bytes.size() - start) % 2) document.tail.assign(1, static_cast<char>(bytes.back()));
}

void SplitBytes(Document& document, const std::vector<unsigned char>& bytes, std::size_t start) {
  const char* data = reinterpret_cast<const char*>(bytes.data());
  std::size_t first = start;
  while (first < bytes.size()) {
    std::size_t i = first;
    while (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r') ++i;
    std::size_t end = i;
    if (end < bytes.size() && bytes[end] == '\r') ++end;
    if (end < bytes.size() && bytes[end] == '\n') ++end;
    Line line;
    line.text = document.encoding == Encoding::kUtf8 ? Utf8ToWide({data + first, i - first})
                                                     : DecodeAnsi(data + first, i - first);
    line.terminated = end > i;
    line.raw.assign(data + first, end - first);
    document.lines.push_back(std::move(line));
    first = end;
  }
}

bool StartsWith(const std::vector<unsigned char>& bytes, const char* mark, std::size_t n) {
  return bytes.size() >= n && std::equal(bytes.begin(), bytes.begin() + static_cast<long>(n),
                                         reinterpret_cast<const unsigned char*>(mark));
}

}  // namespace

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

ParsedLine ParseLine(std::u16string_view line) {
  std::u16string_view text = TrimBlanks(line);
  ParsedLine parsed;
  if (text.empty()) return parsed;
  if (text[0] == u';') {
    parsed.kind = LineKind::kComment;
    return parsed;
  }
  if (text[0] == u'[') {
    std::size_t close = text.find_last_of(u']');
    if (close != std::u16string_view::npos) {
      parsed.kind = LineKind::kSection;
      parsed.name = TrimBlanks(text.substr(1, close - 1));
      return parsed;
    }
  }
  std::size_t equals = text.find(u'=');
  if (equals == std::u16string_view::npos) {
    parsed.kind = LineKind::kBare;
    parsed.name = text;
    return parsed;
  }
  parsed.kind = LineKind::kEntry;
  parsed.name = TrimBlanks(text.substr(0, equals));
  parsed.value = TrimBlanks(text.substr(equals + 1));
  return parsed;
}

Document Decode(const std::vector<unsigned char>& bytes) {
  Document document;
  if (StartsWith(bytes, kUtf16LeMark, 2)) {
    document.encoding = Encoding::kUtf16Le;
    document.prefix = kUtf16LeMark;
    SplitUnits(document, bytes, 2);
  } else if (StartsWith(bytes, kUtf16BeMark, 2)) {
    document.encoding = Encoding::kUtf16Be;
    document.prefix = kUtf16BeMark;
    SplitUnits(document, bytes, 2);
  } else if (StartsWith(bytes, kUtf8Mark, 3)) {
    document.encoding = Encoding::kUtf8;
    document.prefix = kUtf8Mark;
    SplitBytes(document, bytes, 3);
  } else {
    document.encoding = IsValidUtf8(bytes.data(), bytes.size()) ? Encoding::kUtf8 : Encoding::kAnsi;
    SplitBytes(document, bytes, 0);
  }
  return document;
}

Document NewDocument() {
  Document document;
  document.encoding = Encoding::kUtf16Le;
  document.prefix = kUtf16LeMark;
  return document;
}

std::string Encode(const Document& document) {
  std::string out = document.prefix;
  std::string lineEnd = EncodeText(document.encoding, u"\r\n");
  for (const Line& line : document.lines) {
    if (!line.raw.empty()) {
      out += line.raw;
    } else {
      out += EncodeText(document.encoding, line.text);
      if (line.terminated) out += lineEnd;
    }
  }
  out += document.tail;
  return out;
}

void SetLineText(Line& line, std::u16string text) {
  line.text = std::move(text);
  line.raw.clear();
  line.terminated = true;
}

namespace {
// Gives the last line its line end before another line follows it.
void TerminateLast(Document& document) {
  if (document.lines.empty() || document.lines.back().terminated) return;
  Line& last = document.lines.back();
  if (!last.raw.empty()) last.raw += EncodeText(document.encoding, u"\r\n");
  last.terminated = true;
}
}  // namespace

void AppendLine(Document& document, std::u16string text) {
  TerminateLast(document);
  Line line;
  line.text = std::move(text);
  document.lines.push_back(std::move(line));
}

void InsertLine(Document& document, std::size_t index, std::u16string text) {
  if (index >= document.lines.size()) {
    AppendLine(document, std::move(text));
    return;
  }
  Line line;
  line.text = std::move(text);
  document.lines.insert(document.lines.begin() + static_cast<long>(index), std::move(line));
}

LoadResult Load(const std::string& native, Document& document) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeNativeFile(native, bytes, kMaxProfileBytes)) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LoadResult::kMissing
                                                                          : LoadResult::kFailed;
  }
  document = Decode(bytes);
  return LoadResult::kLoaded;
}

namespace {

std::string FolderOf(const std::string& native) {
  std::size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : native.substr(0, slash);
}

std::string NameOf(const std::string& native) {
  std::size_t slash = native.find_last_of('/');
  return slash == std::string::npos ? native : native.substr(slash + 1);
}

// The lock file's name is folded so that two spellings of one INI file (the
// namespace ignores case) take the same lock.
std::string LockPath(const std::string& native) {
  std::string name = NameOf(native);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return FolderOf(native) + "/." + name + ".lock";
}

// An open, exclusively locked lock file; released when it goes.
struct FileLock {
  int fd = -1;
  explicit FileLock(const std::string& path) {
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    while (flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd);
        fd = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd >= 0) close(fd);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
};

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes `bytes` to a new file beside `native` and renames it over `native`.
// The new file takes the old one's permission bits (a file that everyone may
// write stays so); a new INI file gets the usual ones. The rename is what makes
// the write whole: a process that dies before it leaves the old file and a stray
// temporary one. The data is not forced to the disk first (the file systems we
// run on order a replacing rename after its data, and a settings file written
// key by key would otherwise wait for the disk hundreds of times).
bool Replace(const std::string& native, const std::string& bytes, const struct stat* old) {
  static std::atomic<unsigned> serial{0};
  std::string temp = FolderOf(native) + "/." + NameOf(native) + "." + std::to_string(getpid()) +
                     "." + std::to_string(serial++) + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno, temp));
    return false;
  }
  bool ok = WriteAll(fd, bytes);
  int err = errno;
  if (ok && old) fchmod(fd, old->st_mode & 07777);
  if (ok) ApplyFileTimeOverride(fd);
  if (close(fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), native.c_str()) != 0) {
    err = errno;
    ok = false;
  }
  if (!ok) {
    unlink(temp.c_str());
    SetLastError(err == ENOSPC || err == EDQUOT ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
  }
  return ok;
}

// The file a link stands for, so that a write replaces the file and not the link.
std::string FollowLink(const std::string& native) {
  struct stat st;
  if (lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return native;
  char* real = realpath(native.c_str(), nullptr);
  if (real == nullptr) return native;
  std::string out = real;
  free(real);
  return out;
}

}  // namespace

bool Update(const std::string& nativePath,
            const std::function<bool(Document& document, bool existed)>& edit) {
  std::string native = FollowLink(nativePath);
  if (!ParentFolderExists(native)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  FileLock lock(LockPath(native));
  if (lock.fd < 0) {
    SetLastError(ErrorFromErrno(errno, native));
    return false;
  }
  struct stat st;
  bool existed = stat(native.c_str(), &st) == 0;
  if (existed && (S_ISDIR(st.st_mode) || IsReadOnlyMode(st.st_mode))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  Document document = NewDocument();
  if (existed && Load(native, document) != LoadResult::kLoaded) return false;
  if (!edit(document, existed)) return true;
  return Replace(native, Encode(document), existed ? &st : nullptr);
}

}  // namespace platform::profile
