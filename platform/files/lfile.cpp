// The 16-bit file functions over file handles. Their paths are 8-bit texts in
// the ANSI code page; an HFILE is the handle's value.
#include <cstdint>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/error.h"
#include "platform/files/files.h"

namespace {

constexpr int OF_SHARE_EXCLUSIVE = 0x0010;
constexpr int OF_SHARE_DENY_READ = 0x0030;
constexpr int kShareBits = 0x0070;

// The path in UTF-16; empty with the last error set when it cannot be converted.
std::u16string WidePath(LPCSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  int needed = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (needed <= 1) {
    SetLastError(needed == 1 ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return {};
  }
  std::u16string wide(static_cast<std::size_t>(needed), u'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), needed) != needed) return {};
  wide.resize(static_cast<std::size_t>(needed - 1));
  return wide;
}

HFILE ToHfile(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return HFILE_ERROR;
  return static_cast<HFILE>(reinterpret_cast<std::intptr_t>(handle));
}

HANDLE ToHandle(HFILE file) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file)); }

// The sharing an OF_SHARE_* mode leaves to other opens; the compatibility mode
// shares everything, as it does for files on the platform's own disks.
DWORD ShareFromMode(int mode) {
  switch (mode & kShareBits) {
    case OF_SHARE_EXCLUSIVE:
      return 0;
    case OF_SHARE_DENY_WRITE:
      return FILE_SHARE_READ;
    case OF_SHARE_DENY_READ:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

}  // namespace

QXAPI HFILE _lopen(LPCSTR pathName, int readWrite) {
  std::u16string path = WidePath(pathName);
  if (path.empty()) return HFILE_ERROR;
  DWORD access = (readWrite & 3) == OF_WRITE       ? GENERIC_WRITE
                 : (readWrite & 3) == OF_READWRITE ? GENERIC_READ | GENERIC_WRITE
                                                   : GENERIC_READ;
  return ToHfile(CreateFileW(path.c_str(), access, ShareFromMode(readWrite), nullptr, OPEN_EXISTING,
                             0, nullptr));
}

// `attribute`: 0 normal, 1 read-only (2 hidden and 4 system have no effect here).
QXAPI HFILE _lcreat(LPCSTR pathName, int attribute) {
  std::u16string path = WidePath(pathName);
  if (path.empty()) return HFILE_ERROR;
  DWORD flags = (attribute & 1) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
  return ToHfile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, flags,
                             nullptr));
}

QXAPI UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
  DWORD done = 0;
  if (!ReadFile(ToHandle(file), buffer, bytes, &done, nullptr))
    return static_cast<UINT>(HFILE_ERROR);
  return done;
}

// Writing zero bytes cuts the file at the current position.
QXAPI UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
  if (bytes == 0) return SetEndOfFile(ToHandle(file)) ? 0 : static_cast<UINT>(HFILE_ERROR);
  DWORD done = 0;
  if (!WriteFile(ToHandle(file), buffer, bytes, &done, nullptr))
    return static_cast<UINT>(HFILE_ERROR);
  return done;
}

QXAPI LONG _llseek(HFILE file, LONG offset, int origin) {
  if (origin < 0 || origin > 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  DWORD position = SetFilePointer(ToHandle(file), offset, nullptr, static_cast<DWORD>(origin));
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return HFILE_ERROR;
  return static_cast<LONG>(position);
}

QXAPI HFILE _lclose(HFILE file) { return CloseHandle(ToHandle(file)) ? 0 : HFILE_ERROR; }
