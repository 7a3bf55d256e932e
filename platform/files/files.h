// File functions over the namespace of paths.h. Handles are process-local (see
// platform/base/handles.h; CloseHandle closes them); the sharing mode of a handle
// is honoured against the other handles of the process, and a file open without
// FILE_SHARE_DELETE cannot be deleted or renamed (ERROR_SHARING_VIOLATION).
// The read-only attribute is a file without write permission bits, and holds
// for every user as on the platform. GetTempPathW gives the user's temporary
// folder "C:\Users\<user>\AppData\Local\Temp\" (made when missing).
// MoveFileExW with MOVEFILE_REPLACE_EXISTING renames in one step on one file
// system (readers see the old file or the new one); across file systems it
// needs MOVEFILE_COPY_ALLOWED, else ERROR_NOT_SAME_DEVICE. CopyFileW keeps the
// source's permission bits and write time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/types.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_ALL = 0x10000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// Error codes of the file functions beyond the common ones.
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_UNKNOWN_REVISION = 1305;
constexpr DWORD ERROR_INVALID_SECURITY_DESCR = 1338;

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};

QXAPI HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                         SECURITY_ATTRIBUTES* security, DWORD creationDisposition,
                         DWORD flagsAndAttributes, HANDLE templateFile);
QXAPI BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead,
                    LPVOID overlapped);
QXAPI BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten,
                     LPVOID overlapped);
QXAPI DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
QXAPI BOOL SetEndOfFile(HANDLE file);
QXAPI DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
QXAPI BOOL FlushFileBuffers(HANDLE file);
QXAPI BOOL CloseHandle(HANDLE object);
QXAPI BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
QXAPI BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                       const FILETIME* lastWrite);
QXAPI BOOL CopyFileW(LPCWSTR existing, LPCWSTR newFile, BOOL failIfExists);
QXAPI BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newFile, DWORD flags);
QXAPI BOOL DeleteFileW(LPCWSTR fileName);
QXAPI BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security);
QXAPI BOOL RemoveDirectoryW(LPCWSTR pathName);
QXAPI DWORD GetFileAttributesW(LPCWSTR fileName);

// What GetFileAttributesExW tells of a file without opening it.
enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
// The attributes, times (as GetFileTime gives them) and size of a file or
// folder by its name; FALSE with the last error set when it cannot be looked
// at, ERROR_INVALID_PARAMETER for another level or a null result.
QXAPI BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information);
QXAPI BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes);
QXAPI DWORD GetTempPathW(DWORD size, LPWSTR buffer);

// The 16-bit file functions, with 8-bit paths in the ANSI code page.
constexpr int OF_READ = 0x0000;
constexpr int OF_WRITE = 0x0001;
constexpr int OF_READWRITE = 0x0002;
constexpr int OF_SHARE_DENY_NONE = 0x0040;
constexpr int OF_SHARE_DENY_WRITE = 0x0020;
QXAPI HFILE _lopen(LPCSTR pathName, int readWrite);
QXAPI HFILE _lcreat(LPCSTR pathName, int attribute);
QXAPI UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
QXAPI UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
QXAPI LONG _llseek(HFILE file, LONG offset, int origin);
QXAPI HFILE _lclose(HFILE file);

// Security descriptors as far as the libraries set them: a null discretionary
// access list makes a file or folder one that every user may read and write.
constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr DWORD SECURITY_DESCRIPTOR_MIN_LENGTH = 40;
constexpr DWORD DACL_SECURITY_INFORMATION = 0x00000004;
struct SECURITY_DESCRIPTOR {
  BYTE revision;
  BYTE daclPresent;
  BYTE daclDefaulted;
  BYTE reserved[5];
  void* dacl;
  BYTE padding[24];
};
QXAPI BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision);
QXAPI BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL daclPresent, void* dacl,
                                     BOOL daclDefaulted);
QXAPI BOOL SetFileSecurityW(LPCWSTR fileName, DWORD securityInformation,
                            SECURITY_DESCRIPTOR* descriptor);

namespace platform {
// Reads a whole file into `bytes` (the stand-in for mapping a file to read it);
// false with the last error set when it cannot be opened or read, or
// ERROR_FILE_TOO_LARGE when it holds more than the limit (kWholeFileLimit, or
// `maxBytes`). ReadWholeFile opens the file as CreateFileW with GENERIC_READ and
// FILE_SHARE_READ | FILE_SHARE_WRITE would, so it honours the process's sharing.
constexpr std::size_t kWholeFileLimit = std::size_t{512} << 20;
bool ReadWholeFile(const WCHAR* fileName, std::vector<unsigned char>& bytes);
bool ReadWholeNativeFile(const std::string& native, std::vector<unsigned char>& bytes);
bool ReadWholeNativeFile(const std::string& native, std::vector<unsigned char>& bytes,
                         std::size_t maxBytes);
}  // namespace platform

namespace platform::test {
// From now on every file the stand-in creates or writes (CreateFileW creating
// or truncating, WriteFile, SetEndOfFile, profile writes) is stamped with this
// write and access time, on disk, so GetFileTime and other processes see it;
// null: real times again. A file's creation time is never later than its write time.
void SetFileTimeOverride(const FILETIME* time);
}  // namespace platform::test
