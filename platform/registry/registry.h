// The registry (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER) kept in the stand-in's
// database: key paths compared without regard to case, values stored byte-exact
// with their type. Results are error codes, as the platform returns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

struct sqlite3;

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

// A key deleted (by this or another process) while a handle to it was open:
// every later call on that handle fails with this code.
constexpr LSTATUS ERROR_KEY_DELETED = 1018;
constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;

QXAPI LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
QXAPI LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                              DWORD options, REGSAM desired, void* security, HKEY* result,
                              DWORD* disposition);
// Opening a missing key gives ERROR_FILE_NOT_FOUND. A key opened with an access
// mask can do what the mask allows (KEY_QUERY_VALUE to read values,
// KEY_SET_VALUE to set and delete them, KEY_CREATE_SUB_KEY to create keys,
// KEY_ENUMERATE_SUB_KEYS to list them), else ERROR_ACCESS_DENIED; the
// predefined keys can do everything. Sub-key paths are separated by
// backslashes; an empty or null path opens the key itself.

// The value's type and bytes exactly as they were set (a REG_SZ without its
// terminator comes back without it). A null or empty name is the key's default
// value. With data null: the type and size only. Too small a buffer:
// ERROR_MORE_DATA and the needed size in *dataSize. A missing value:
// ERROR_FILE_NOT_FOUND.
QXAPI LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type,
                               BYTE* data, DWORD* dataSize);
QXAPI LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                             const BYTE* data, DWORD dataSize);
QXAPI LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key without sub-keys (ERROR_ACCESS_DENIED when it has some).
QXAPI LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Sub-keys in the order of their names without regard to case, values in the
// order they were first set; ERROR_NO_MORE_ITEMS past the last. A name buffer
// (size in characters, with room for the terminator) that is too small gives
// ERROR_MORE_DATA; on success the size is the name's length.
QXAPI LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD* reserved,
                            LPWSTR keyClass, DWORD* classSize, FILETIME* lastWrite);
QXAPI LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, DWORD* valueNameSize,
                            DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
QXAPI LSTATUS RegCloseKey(HKEY key);

// The registry's store, for the other parts of the stand-in (the spooler keeps
// its printers' registry view with it). Every function runs inside a
// transaction the caller holds: platform::WithDatabase for changes,
// platform::ReadDatabase (or WithDatabase) for reads; the `db` is the one the
// transaction hands its work. Paths are backslash-separated sub-key paths below
// a predefined key (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS,
// HKEY_CLASSES_ROOT); names are compared without regard to case and keep the
// spelling they were created with. A false or empty result with a failed
// statement leaves the caller to roll back by returning false from its work.
namespace platform::registry {

using KeyId = std::int64_t;

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// The key at `path` below `root`; nothing when some part is missing.
std::optional<KeyId> FindKey(sqlite3* db, HKEY root, std::u16string_view path);
// The same, creating what is missing (`created` tells whether the last part was
// new). Needs a write transaction.
std::optional<KeyId> CreateKey(sqlite3* db, HKEY root, std::u16string_view path,
                               bool* created = nullptr);
// The same below a key of the store.
std::optional<KeyId> FindSubKey(sqlite3* db, KeyId key, std::u16string_view path);
std::optional<KeyId> CreateSubKey(sqlite3* db, KeyId key, std::u16string_view path,
                                  bool* created = nullptr);
// The key behind an open key handle or a predefined key (created when `create`);
// nothing with *status set to ERROR_INVALID_HANDLE, ERROR_KEY_DELETED or, for a
// predefined key not yet in the store, ERROR_FILE_NOT_FOUND.
std::optional<KeyId> KeyOfHandle(sqlite3* db, HKEY key, bool create, LSTATUS* status);
bool KeyExists(sqlite3* db, KeyId key);

std::optional<Value> QueryValue(sqlite3* db, KeyId key, std::u16string_view name);
bool SetValue(sqlite3* db, KeyId key, std::u16string_view name, DWORD type, const void* data,
              std::size_t size);
// False when the value was not there (or the statement failed).
bool DeleteValue(sqlite3* db, KeyId key, std::u16string_view name);
// Deletes a key with everything below it. The hives' own keys stay.
bool DeleteKeyTree(sqlite3* db, KeyId key);
std::vector<std::u16string> SubKeyNames(sqlite3* db, KeyId key);
std::vector<std::u16string> ValueNames(sqlite3* db, KeyId key);

// By path: SetValueAt creates the key path; QueryValueAt finds nothing when
// the key or the value is missing; DeleteKeyTreeAt is true for a missing key.
bool SetValueAt(sqlite3* db, HKEY root, std::u16string_view path, std::u16string_view name,
                DWORD type, const void* data, std::size_t size);
std::optional<Value> QueryValueAt(sqlite3* db, HKEY root, std::u16string_view path,
                                  std::u16string_view name);
bool DeleteKeyTreeAt(sqlite3* db, HKEY root, std::u16string_view path);

}  // namespace platform::registry
