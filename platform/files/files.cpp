// File handles: CreateFileW with its creation dispositions and sharing modes,
// and the calls that read, write, position and stamp an open file.
#include "platform/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/files/file_object.h"
#include "platform/files/paths.h"

namespace platform {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

std::vector<FileObject*>& OpenFiles() {
  static auto* files = new std::vector<FileObject*>;
  return *files;
}

std::mutex overrideLock;
bool overrideSet = false;
FILETIME overrideTime{};

}  // namespace

std::recursive_mutex& OpenFilesLock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

FileObject::~FileObject() {
  {
    std::lock_guard<std::recursive_mutex> guard(OpenFilesLock());
    std::vector<FileObject*>& files = OpenFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (files[i] == this) {
        files.erase(files.begin() + static_cast<long>(i));
        break;
      }
    }
  }
  if (fd >= 0) close(fd);
}

bool CanRead(DWORD access) { return (access & (GENERIC_READ | GENERIC_ALL)) != 0; }
bool CanWrite(DWORD access) { return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0; }

// Two opens of one file agree when each shares what the other one uses.
bool SharingAllows(dev_t device, ino_t inode, DWORD access, DWORD share) {
  for (const FileObject* open : OpenFiles()) {
    if (open->device != device || open->inode != inode) continue;
    if (CanRead(access) && (open->share & FILE_SHARE_READ) == 0) return false;
    if (CanWrite(access) && (open->share & FILE_SHARE_WRITE) == 0) return false;
    if (CanRead(open->access) && (share & FILE_SHARE_READ) == 0) return false;
    if (CanWrite(open->access) && (share & FILE_SHARE_WRITE) == 0) return false;
  }
  return true;
}

bool DeleteAllowed(dev_t device, ino_t inode) {
  for (const FileObject* open : OpenFiles()) {
    if (open->device == device && open->inode == inode && (open->share & FILE_SHARE_DELETE) == 0)
      return false;
  }
  return true;
}

void RegisterOpenFile(FileObject* file) { OpenFiles().push_back(file); }

std::shared_ptr<FileObject> LookupFile(HANDLE file) {
  std::shared_ptr<FileObject> object = LookupHandle<FileObject>(file, HandleKind::kFile);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

bool ParentFolderExists(const std::string& native) {
  std::size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return true;
  std::string parent = slash == 0 ? "/" : native.substr(0, slash);
  struct stat st;
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

DWORD ErrorFromErrno(int err, const std::string& native) {
  switch (err) {
    case ENOENT:
      return ParentFolderExists(native) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

FILETIME FileTimeFromTimespec(const timespec& time) {
  std::int64_t ticks =
      (static_cast<std::int64_t>(time.tv_sec) + kEpochDifference) * kTicksPerSecond +
      time.tv_nsec / 100;
  if (ticks < 0) ticks = 0;
  auto value = static_cast<std::uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

timespec TimespecFromFileTime(const FILETIME& time) {
  std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  timespec out{};
  out.tv_sec =
      static_cast<time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference);
  out.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
  return out;
}

void ApplyFileTimeOverride(int fd) {
  FILETIME time;
  {
    std::lock_guard<std::mutex> guard(overrideLock);
    if (!overrideSet) return;
    time = overrideTime;
  }
  timespec stamps[2] = {TimespecFromFileTime(time), TimespecFromFileTime(time)};
  futimens(fd, stamps);
}

namespace test {
void SetFileTimeOverride(const FILETIME* time) {
  std::lock_guard<std::mutex> guard(overrideLock);
  overrideSet = time != nullptr;
  if (time) overrideTime = *time;
}
}  // namespace test

}  // namespace platform

using platform::CanRead;
using platform::CanWrite;
using platform::FileObject;

namespace {

// What CreateFileW found before it opens: whether the file is there and which
// file it is, for the sharing check.
struct Existing {
  bool exists = false;
  struct stat st {};
};

bool DispositionCreates(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

// The checks of a disposition against the file as found; the last error when
// the open must not go on.
DWORD CheckDisposition(const Existing& found, DWORD disposition, DWORD access, DWORD share,
                       const std::string& native) {
  if (!found.exists) {
    if (!platform::ParentFolderExists(native)) return ERROR_PATH_NOT_FOUND;
    return DispositionCreates(disposition) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  }
  if (S_ISDIR(found.st.st_mode)) return ERROR_ACCESS_DENIED;
  if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if ((CanWrite(access) || truncates) && platform::IsReadOnlyMode(found.st.st_mode))
    return ERROR_ACCESS_DENIED;
  if (!platform::SharingAllows(found.st.st_dev, found.st.st_ino, access, share))
    return ERROR_SHARING_VIOLATION;
  return ERROR_SUCCESS;
}

int OpenFlags(const Existing& found, DWORD disposition, DWORD access, DWORD flags) {
  int oflags = O_CLOEXEC;
  if (CanRead(access) && CanWrite(access)) {
    oflags |= O_RDWR;
  } else if (CanWrite(access)) {
    oflags |= O_WRONLY;
  } else {
    oflags |= O_RDONLY;
  }
  if (found.exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING))
    oflags |= O_TRUNC;
  if (!found.exists) oflags |= O_CREAT | O_EXCL;
  if (flags & FILE_FLAG_WRITE_THROUGH) oflags |= O_DSYNC;
  return oflags;
}

// Applies what a new (or newly truncated) file takes from the call: the
// read-only attribute, a descriptor for everyone, and the test's file time.
void StampNewFile(int fd, DWORD flags, const SECURITY_ATTRIBUTES* security) {
  struct stat st;
  if (fstat(fd, &st) == 0) {
    mode_t mode = st.st_mode & 07777;
    if (platform::GrantsEveryone(security)) mode |= 0666;
    if (flags & FILE_ATTRIBUTE_READONLY) mode &= static_cast<mode_t>(~0222);
    if (mode != (st.st_mode & 07777)) fchmod(fd, mode);
  }
  platform::ApplyFileTimeOverride(fd);
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

QXAPI HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                         SECURITY_ATTRIBUTES* security, DWORD creationDisposition,
                         DWORD flagsAndAttributes, HANDLE /*templateFile*/) {
  if (fileName == nullptr || creationDisposition < CREATE_NEW ||
      creationDisposition > TRUNCATE_EXISTING) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (creationDisposition == TRUNCATE_EXISTING && !CanWrite(desiredAccess))
    return Fail(ERROR_INVALID_PARAMETER);
  std::string native = platform::NativePath(fileName);
  if (native.empty()) return Fail(ERROR_PATH_NOT_FOUND);

  std::lock_guard<std::recursive_mutex> guard(platform::OpenFilesLock());
  Existing found;
  int fd = -1;
  // Another process may create the file between the look and the open; then
  // the disposition is applied again to the file as it now is.
  for (int attempt = 0; fd < 0 && attempt < 2; ++attempt) {
    found.exists = stat(native.c_str(), &found.st) == 0;
    if (!found.exists && errno != ENOENT) return Fail(platform::ErrorFromErrno(errno, native));
    DWORD check = CheckDisposition(found, creationDisposition, desiredAccess, shareMode, native);
    if (check != ERROR_SUCCESS) return Fail(check);
    fd = open(native.c_str(),
              OpenFlags(found, creationDisposition, desiredAccess, flagsAndAttributes), 0666);
    if (fd < 0 && (errno != EEXIST || found.exists))
      return Fail(platform::ErrorFromErrno(errno, native));
  }
  if (fd < 0) return Fail(ERROR_FILE_EXISTS);
  bool fresh = !found.exists || creationDisposition == CREATE_ALWAYS ||
               creationDisposition == TRUNCATE_EXISTING;
  if (fresh) StampNewFile(fd, found.exists ? 0 : flagsAndAttributes, security);

  auto file = std::make_shared<FileObject>();
  file->fd = fd;
  file->access = desiredAccess;
  file->share = shareMode;
  struct stat st;
  if (fstat(fd, &st) == 0) {
    file->device = st.st_dev;
    file->inode = st.st_ino;
  }
  platform::RegisterOpenFile(file.get());
  HANDLE handle = platform::CreateHandle(platform::HandleKind::kFile, file);
  if (handle == nullptr) return INVALID_HANDLE_VALUE;
  bool existed =
      found.exists && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

QXAPI BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead,
                    LPVOID /*overlapped*/) {
  if (bytesRead) *bytesRead = 0;
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  if (!CanRead(object->access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (buffer == nullptr && bytesToRead > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(object->lock);
  DWORD done = 0;
  while (done < bytesToRead) {
    ssize_t n = read(object->fd, static_cast<char*>(buffer) + done, bytesToRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (bytesRead) *bytesRead = done;
      SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (bytesRead) *bytesRead = done;
  return TRUE;
}

QXAPI BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten,
                     LPVOID /*overlapped*/) {
  if (bytesWritten) *bytesWritten = 0;
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  if (!CanWrite(object->access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (buffer == nullptr && bytesToWrite > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(object->lock);
  DWORD done = 0;
  while (done < bytesToWrite) {
    ssize_t n = write(object->fd, static_cast<const char*>(buffer) + done, bytesToWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (bytesWritten) *bytesWritten = done;
      SetLastError(n < 0 && (errno == ENOSPC || errno == EDQUOT) ? ERROR_DISK_FULL
                                                                 : ERROR_WRITE_FAULT);
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (bytesWritten) *bytesWritten = done;
  if (bytesToWrite > 0) platform::ApplyFileTimeOverride(object->fd);
  return TRUE;
}

QXAPI DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  std::int64_t offset =
      distanceHigh ? static_cast<std::int64_t>(
                         (static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                         static_cast<DWORD>(distance))
                   : distance;
  std::lock_guard<std::mutex> guard(object->lock);
  std::int64_t base = 0;
  if (moveMethod == FILE_CURRENT) {
    base = lseek(object->fd, 0, SEEK_CUR);
  } else if (moveMethod == FILE_END) {
    struct stat st;
    base = fstat(object->fd, &st) == 0 ? st.st_size : -1;
  } else if (moveMethod != FILE_BEGIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (base < 0 || (offset > 0 && base > INT64_MAX - offset)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  std::int64_t position = base + offset;
  if (position < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  // Without the high half the new position must fit in the low one.
  if (distanceHigh == nullptr && position > static_cast<std::int64_t>(0xFFFFFFFF)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(object->fd, position, SEEK_SET) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xFFFFFFFF);
}

QXAPI BOOL SetEndOfFile(HANDLE file) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  if (!CanWrite(object->access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(object->lock);
  off_t position = lseek(object->fd, 0, SEEK_CUR);
  if (position < 0 || ftruncate(object->fd, position) != 0) {
    SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
    return FALSE;
  }
  platform::ApplyFileTimeOverride(object->fd);
  return TRUE;
}

QXAPI DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(object->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFF);
}

QXAPI BOOL FlushFileBuffers(HANDLE file) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  if (!CanWrite(object->access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (fsync(object->fd) != 0) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}

namespace platform {

void FileTimesFromStatx(const struct statx& sx, FILETIME* creation, FILETIME* lastAccess,
                        FILETIME* lastWrite) {
  auto toSpec = [](const statx_timestamp& t) {
    timespec out{};
    out.tv_sec = static_cast<time_t>(t.tv_sec);
    out.tv_nsec = static_cast<long>(t.tv_nsec);
    return out;
  };
  timespec written = toSpec(sx.stx_mtime);
  // A file is never written before it was made: where the file system keeps no
  // birth time, or a test stamped an earlier write, the write time stands in.
  timespec born = written;
  if (sx.stx_mask & STATX_BTIME) {
    timespec b = toSpec(sx.stx_btime);
    if (b.tv_sec < born.tv_sec || (b.tv_sec == born.tv_sec && b.tv_nsec < born.tv_nsec)) born = b;
  }
  if (creation) *creation = FileTimeFromTimespec(born);
  if (lastAccess) *lastAccess = FileTimeFromTimespec(toSpec(sx.stx_atime));
  if (lastWrite) *lastWrite = FileTimeFromTimespec(written);
}

}  // namespace platform

QXAPI BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  struct statx sx;
  if (statx(object->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  platform::FileTimesFromStatx(sx, creation, lastAccess, lastWrite);
  return TRUE;
}

QXAPI BOOL SetFileTime(HANDLE file, const FILETIME* /*creation*/, const FILETIME* lastAccess,
                       const FILETIME* lastWrite) {
  std::shared_ptr<FileObject> object = platform::LookupFile(file);
  if (!object) return FALSE;
  if (!CanWrite(object->access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  timespec stamps[2];
  stamps[0].tv_sec = 0;
  stamps[0].tv_nsec = UTIME_OMIT;
  stamps[1] = stamps[0];
  if (lastAccess) stamps[0] = platform::TimespecFromFileTime(*lastAccess);
  if (lastWrite) stamps[1] = platform::TimespecFromFileTime(*lastWrite);
  if (futimens(object->fd, stamps) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}
