// Inside the file functions: the object behind a file handle, the process's
// table of open files that sharing modes are checked against, and the helpers
// that the file, profile and folder units share. Not for the libraries.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <mutex>
#include <string>

#include "platform/base/handles.h"
#include "platform/base/types.h"
#include "platform/files/files.h"

namespace platform {

// One open file. Each handle has its own descriptor and so its own position;
// `lock` keeps a read, write or seek of one handle whole when threads share it.
struct FileObject : HandleObject {
  int fd = -1;
  DWORD access = 0;  // GENERIC_READ / GENERIC_WRITE as asked for
  DWORD share = 0;
  dev_t device = 0;
  ino_t inode = 0;
  std::mutex lock;
  ~FileObject() override;
};

// The lock that keeps a sharing check and the open (or the delete, move, copy)
// that follows it one step for the process.
std::recursive_mutex& OpenFilesLock();

// Whether a new open of the file (device, inode) with `access` and `share` is
// compatible with the handles of the process already open on it. The caller
// holds OpenFilesLock().
bool SharingAllows(dev_t device, ino_t inode, DWORD access, DWORD share);
// Whether every open handle of the file lets it be deleted or renamed.
bool DeleteAllowed(dev_t device, ino_t inode);
// Adds the open file to the table (the caller holds OpenFilesLock()); the
// object's destructor takes it out again.
void RegisterOpenFile(FileObject* file);

bool CanRead(DWORD access);
bool CanWrite(DWORD access);

// The file object behind a handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<FileObject> LookupFile(HANDLE file);

// The last-error code for a failed call on `native`: ENOENT becomes
// ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when the folder is missing too.
DWORD ErrorFromErrno(int err, const std::string& native);
bool ParentFolderExists(const std::string& native);

// The read-only attribute is a file without any write permission bit.
bool IsReadOnlyMode(mode_t mode);

// Gives everyone read and write access (folders also search access), as a null
// access list does on the platform; false with the last error set.
bool GrantEveryone(const std::string& native);
// Whether `security` carries a descriptor that grants everyone access.
bool GrantsEveryone(const SECURITY_ATTRIBUTES* security);
bool GrantsEveryone(const SECURITY_DESCRIPTOR* descriptor);

// Stamps the descriptor's file with the test override of file times, if any.
void ApplyFileTimeOverride(int fd);

// The creation, access and write times of a file as GetFileTime reports them,
// from what statx found (a file is never written before it was made).
void FileTimesFromStatx(const struct statx& sx, FILETIME* creation, FILETIME* lastAccess,
                        FILETIME* lastWrite);

// FILETIME (100 ns since 1601-01-01 UTC) from and to a native time.
FILETIME FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(const FILETIME& time);

}  // namespace platform
