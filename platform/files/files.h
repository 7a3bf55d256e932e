// File functions over the namespace of paths.h. Handles are process-local; the
// sharing mode of a handle is honoured against the other handles of the process.
#pragma once

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
// false with the last error set when it cannot be opened or read.
bool ReadWholeFile(const WCHAR* fileName, std::vector<unsigned char>& bytes);
bool ReadWholeNativeFile(const std::string& native, std::vector<unsigned char>& bytes);
}  // namespace platform

namespace platform::test {
// File times reported by GetFileTime for files written from now on; null: real times.
void SetFileTimeOverride(const FILETIME* time);
}  // namespace platform::test
