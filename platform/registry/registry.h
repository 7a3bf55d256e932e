// The registry (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER) kept in the stand-in's
// database: key paths compared without regard to case, values stored byte-exact
// with their type. Results are error codes, as the platform returns them.
#pragma once

#include "platform/base/types.h"

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003)))

using REGSAM = DWORD;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

using LSTATUS = LONG;

QXAPI LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
QXAPI LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                              DWORD options, REGSAM desired, void* security, HKEY* result,
                              DWORD* disposition);
// With data null: the type and size only. Too small a buffer: ERROR_MORE_DATA
// and the needed size in *dataSize.
QXAPI LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type,
                               BYTE* data, DWORD* dataSize);
QXAPI LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                             const BYTE* data, DWORD dataSize);
QXAPI LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key without sub-keys (ERROR_ACCESS_DENIED when it has some).
QXAPI LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
QXAPI LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD* reserved,
                            LPWSTR keyClass, DWORD* classSize, FILETIME* lastWrite);
QXAPI LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, DWORD* valueNameSize,
                            DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
QXAPI LSTATUS RegCloseKey(HKEY key);
