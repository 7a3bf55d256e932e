// Operations on files and folders by name: copy, move, delete, folders and
// attributes. Each checks the process's open handles as the platform does (a
// file open without FILE_SHARE_DELETE cannot be deleted or renamed).
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/file_object.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace {

using platform::ErrorFromErrno;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The native path of a namespace name; empty (with the last error set) when the
// name is null or malformed.
std::string Resolve(LPCWSTR name) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  std::string native = platform::NativePath(name);
  if (native.empty()) SetLastError(ERROR_PATH_NOT_FOUND);
  return native;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Copies the bytes of one open descriptor to another.
bool CopyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(to, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += w;
    }
  }
}

// Copies `src` over `dst` keeping the permission bits and the write time, as
// the platform keeps the attributes and the time of a copied file.
DWORD CopyContents(const std::string& src, const struct stat& srcStat, const std::string& dst,
                   bool exclusive) {
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return ErrorFromErrno(errno, src);
  int out =
      open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (exclusive ? O_EXCL : 0), 0666);
  if (out < 0) {
    DWORD error = ErrorFromErrno(errno, dst);
    close(in);
    return error;
  }
  bool ok = CopyBytes(in, out);
  int err = errno;
  fchmod(out, srcStat.st_mode & 07777);
  timespec stamps[2] = {srcStat.st_atim, srcStat.st_mtim};
  futimens(out, stamps);
  close(in);
  if (close(out) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) return err == ENOSPC || err == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
  return ERROR_SUCCESS;
}

// The last component of a namespace path as written (trailing dots and blanks
// are no part of it), for a rename that only changes the case of a name.
std::string GivenLastName(LPCWSTR name) {
  std::u16string_view path = platform::WideView(name);
  std::size_t slash = path.find_last_of(u"\\/");
  std::u16string last(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
  while (!last.empty() && (last.back() == u'.' || last.back() == u' ')) last.pop_back();
  return platform::WideToUtf8(last);
}

std::string ReplaceLastName(const std::string& native, const std::string& name) {
  std::size_t slash = native.find_last_of('/');
  return slash == std::string::npos ? name : native.substr(0, slash + 1) + name;
}

// Renames within one file system. Without `replace` an existing target is an
// error, checked by the file system itself so that no race can overwrite it.
DWORD Rename(const std::string& src, const std::string& dst, bool replace) {
  if (replace)
    return rename(src.c_str(), dst.c_str()) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno, dst);
  if (renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0)
    return ERROR_SUCCESS;
  if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
  if (errno != EINVAL && errno != ENOSYS) return ErrorFromErrno(errno, dst);
  struct stat st;
  if (lstat(dst.c_str(), &st) == 0) return ERROR_ALREADY_EXISTS;
  return rename(src.c_str(), dst.c_str()) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno, dst);
}

void SyncFolderOf(const std::string& native) {
  std::size_t slash = native.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : native.substr(0, slash ? slash : 1);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// The checks MoveFileExW makes of the target; ERROR_SUCCESS when it may go on.
DWORD CheckMoveTarget(const std::string& dst, const struct stat& srcStat, DWORD flags) {
  struct stat dstStat;
  if (lstat(dst.c_str(), &dstStat) != 0) {
    return platform::ParentFolderExists(dst) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
  }
  if (SameFile(srcStat, dstStat)) return ERROR_SUCCESS;
  if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) return ERROR_ALREADY_EXISTS;
  if (S_ISDIR(dstStat.st_mode) || platform::IsReadOnlyMode(dstStat.st_mode))
    return ERROR_ACCESS_DENIED;
  if (!platform::DeleteAllowed(dstStat.st_dev, dstStat.st_ino)) return ERROR_SHARING_VIOLATION;
  return ERROR_SUCCESS;
}

}  // namespace

QXAPI BOOL CopyFileW(LPCWSTR existing, LPCWSTR newFile, BOOL failIfExists) {
  std::string src = Resolve(existing);
  if (src.empty()) return FALSE;
  std::string dst = Resolve(newFile);
  if (dst.empty()) return FALSE;
  std::lock_guard<std::recursive_mutex> guard(platform::OpenFilesLock());
  struct stat srcStat;
  if (stat(src.c_str(), &srcStat) != 0) return Fail(ErrorFromErrno(errno, src));
  if (S_ISDIR(srcStat.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (!platform::SharingAllows(srcStat.st_dev, srcStat.st_ino, GENERIC_READ, FILE_SHARE_READ))
    return Fail(ERROR_SHARING_VIOLATION);
  struct stat dstStat;
  if (stat(dst.c_str(), &dstStat) == 0) {
    if (failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (SameFile(srcStat, dstStat)) return Fail(ERROR_SHARING_VIOLATION);
    if (S_ISDIR(dstStat.st_mode) || platform::IsReadOnlyMode(dstStat.st_mode))
      return Fail(ERROR_ACCESS_DENIED);
    if (!platform::SharingAllows(dstStat.st_dev, dstStat.st_ino, GENERIC_WRITE, 0))
      return Fail(ERROR_SHARING_VIOLATION);
  } else if (!platform::ParentFolderExists(dst)) {
    return Fail(ERROR_PATH_NOT_FOUND);
  }
  DWORD error = CopyContents(src, srcStat, dst, failIfExists != FALSE);
  return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

QXAPI BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newFile, DWORD flags) {
  if (newFile == nullptr) return Fail(ERROR_INVALID_PARAMETER);  // no moves at restart
  std::string src = Resolve(existing);
  if (src.empty()) return FALSE;
  std::string dst = Resolve(newFile);
  if (dst.empty()) return FALSE;
  std::lock_guard<std::recursive_mutex> guard(platform::OpenFilesLock());
  struct stat srcStat;
  if (lstat(src.c_str(), &srcStat) != 0) return Fail(ErrorFromErrno(errno, src));
  if (!platform::DeleteAllowed(srcStat.st_dev, srcStat.st_ino))
    return Fail(ERROR_SHARING_VIOLATION);
  DWORD check = CheckMoveTarget(dst, srcStat, flags);
  if (check != ERROR_SUCCESS) return Fail(check);

  // A target that names the source itself in another case renames to the case
  // given, as the platform's names keep the case they are given.
  struct stat dstStat;
  if (lstat(dst.c_str(), &dstStat) == 0 && SameFile(srcStat, dstStat)) {
    std::string given = ReplaceLastName(dst, GivenLastName(newFile));
    if (given == src) return TRUE;
    dst = given;
    flags |= MOVEFILE_REPLACE_EXISTING;
  }
  DWORD error = Rename(src, dst, (flags & MOVEFILE_REPLACE_EXISTING) != 0);
  if (error == ERROR_NOT_SAME_DEVICE && (flags & MOVEFILE_COPY_ALLOWED) &&
      !S_ISDIR(srcStat.st_mode)) {
    error = CopyContents(src, srcStat, dst, false);
    if (error == ERROR_SUCCESS && unlink(src.c_str()) != 0) error = ErrorFromErrno(errno, src);
  }
  if (error != ERROR_SUCCESS) return Fail(error);
  if (flags & MOVEFILE_WRITE_THROUGH) SyncFolderOf(dst);
  return TRUE;
}

QXAPI BOOL DeleteFileW(LPCWSTR fileName) {
  std::string native = Resolve(fileName);
  if (native.empty()) return FALSE;
  std::lock_guard<std::recursive_mutex> guard(platform::OpenFilesLock());
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno, native));
  if (S_ISDIR(st.st_mode) || platform::IsReadOnlyMode(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (!platform::DeleteAllowed(st.st_dev, st.st_ino)) return Fail(ERROR_SHARING_VIOLATION);
  if (unlink(native.c_str()) != 0) return Fail(ErrorFromErrno(errno, native));
  return TRUE;
}

QXAPI BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security) {
  std::string native = Resolve(pathName);
  if (native.empty()) return FALSE;
  if (mkdir(native.c_str(), 0777) != 0) {
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno, native));
  }
  if (platform::GrantsEveryone(security)) platform::GrantEveryone(native);
  return TRUE;
}

QXAPI BOOL RemoveDirectoryW(LPCWSTR pathName) {
  std::string native = Resolve(pathName);
  if (native.empty()) return FALSE;
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno, native));
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (rmdir(native.c_str()) != 0) {
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                                                      : ErrorFromErrno(errno, native));
  }
  return TRUE;
}

// Directories report FILE_ATTRIBUTE_DIRECTORY; files FILE_ATTRIBUTE_READONLY
// when no one may write them, else FILE_ATTRIBUTE_NORMAL.
QXAPI DWORD GetFileAttributesW(LPCWSTR fileName) {
  std::string native = Resolve(fileName);
  if (native.empty()) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, native));
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return platform::IsReadOnlyMode(st.st_mode) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

QXAPI BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS level,
                                LPVOID information) {
  if (level != GetFileExInfoStandard || information == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string native = Resolve(fileName);
  if (native.empty()) return FALSE;
  struct statx sx;
  if (statx(AT_FDCWD, native.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    return Fail(ErrorFromErrno(errno, native));
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (S_ISDIR(sx.stx_mode)) {
    data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  } else {
    data.dwFileAttributes =
        platform::IsReadOnlyMode(sx.stx_mode) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    data.nFileSizeHigh = static_cast<DWORD>(sx.stx_size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(sx.stx_size);
  }
  platform::FileTimesFromStatx(sx, &data.ftCreationTime, &data.ftLastAccessTime,
                               &data.ftLastWriteTime);
  std::memcpy(information, &data, sizeof data);
  return TRUE;
}

// Only the read-only attribute of a file is kept (as its write permission);
// the others are accepted and have no effect here.
QXAPI BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes) {
  std::string native = Resolve(fileName);
  if (native.empty()) return FALSE;
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno, native));
  if (S_ISDIR(st.st_mode)) return TRUE;
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= static_cast<mode_t>(~0222);
  } else if (platform::IsReadOnlyMode(mode)) {
    mode |= S_IWUSR;
  }
  if (mode != (st.st_mode & 07777) && chmod(native.c_str(), mode) != 0)
    return Fail(ErrorFromErrno(errno, native));
  return TRUE;
}
