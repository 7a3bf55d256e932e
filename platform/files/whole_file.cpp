// Reading a whole file into memory, where the platform's libraries map a file
// to read it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/error.h"
#include "platform/files/file_object.h"
#include "platform/files/files.h"

namespace platform {

namespace {

// Reads at most `maxBytes` from `fd` into `bytes`; false when the file holds
// more or a read fails.
bool ReadAll(int fd, std::vector<unsigned char>& bytes, std::size_t maxBytes) {
  bytes.clear();
  struct stat st;
  if (fstat(fd, &st) != 0) {
    SetLastError(ERROR_READ_FAULT);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  // The size is only a hint: the file may change while it is read.
  bytes.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > maxBytes) {
        bytes.clear();
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
      }
      bytes.resize(used * 2 > maxBytes + 1 ? maxBytes + 1 : used * 2);
    }
    ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.clear();
      SetLastError(ERROR_READ_FAULT);
      return false;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used > maxBytes) {
    bytes.clear();
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  bytes.resize(used);
  return true;
}

}  // namespace

bool ReadWholeFile(const WCHAR* fileName, std::vector<unsigned char>& bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::shared_ptr<FileObject> object = LookupFile(file);
  bool ok = object && ReadAll(object->fd, bytes, kWholeFileLimit);
  DWORD error = GetLastError();
  object.reset();
  CloseHandle(file);
  SetLastError(error);
  return ok;
}

bool ReadWholeNativeFile(const std::string& native, std::vector<unsigned char>& bytes,
                         std::size_t maxBytes) {
  bytes.clear();
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno, native));
    return false;
  }
  bool ok = ReadAll(fd, bytes, maxBytes);
  close(fd);
  return ok;
}

bool ReadWholeNativeFile(const std::string& native, std::vector<unsigned char>& bytes) {
  return ReadWholeNativeFile(native, bytes, kWholeFileLimit);
}

}  // namespace platform
