// The folders of the Windows namespace: the Windows folder "C:\WINDOWS", the
// system folder "C:\WINDOWS\system32", and the user's profile folders below
// "C:\Users\<user name>" (the name GetUserNameW gives at the time of the call).
// The Windows and system folders and the current user's profile folder exist as
// on an installed system: they are made on first use.
#pragma once

#include "platform/base/types.h"

// Both return the length without terminator, or the size needed (with
// terminator) when the buffer is too small.
QXAPI UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
QXAPI UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
// `path` holds MAX_PATH characters and receives the folder's path. A folder
// that does not exist gives E_FAIL unless CSIDL_FLAG_CREATE is added to
// `folder`, which makes it; an unknown CSIDL gives E_INVALIDARG.
QXAPI HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
// The profile folder of the user of `token` (the current user): size in
// characters in and out, ERROR_INSUFFICIENT_BUFFER with the needed size.
QXAPI BOOL GetUserProfileDirectoryW(HANDLE token, LPWSTR profileDir, DWORD* size);
// A token of the current user (a handle that CloseHandle gives back), for the
// pseudo handle of the current process only.
QXAPI BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
QXAPI HANDLE GetCurrentProcess();
constexpr DWORD TOKEN_QUERY = 0x0008;
