// The registry functions: key handles over the store of registry_store.cpp,
// one transaction per call so that every process sees one registry.
#include "platform/registry/registry.h"

#include <functional>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/registry/database.h"
#include "platform/registry/key_object.h"

namespace {

using platform::registry::KeyId;
using platform::registry::KeyObject;

constexpr REGSAM kMaximumAllowed = 0x02000000;

constexpr LSTATUS Status(DWORD code) { return static_cast<LSTATUS>(code); }

// Generic rights as the registry maps them to key rights.
REGSAM MapAccess(REGSAM desired) {
  REGSAM access = desired & 0x00FFFFFF;
  if (desired & GENERIC_READ) access |= KEY_READ;
  if (desired & GENERIC_WRITE) access |= KEY_WRITE;
  if (desired & (GENERIC_ALL | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
  return access;
}

// Whether `key` is a predefined key or an open one that may do `needed`;
// `path` receives the key's path.
LSTATUS CheckKey(HKEY key, REGSAM needed, std::u16string* path = nullptr) {
  if (platform::registry::IsPredefinedKey(key)) {
    if (path) *path = platform::registry::PredefinedPath(key);
    return ERROR_SUCCESS;
  }
  std::shared_ptr<KeyObject> object = platform::LookupHandle<KeyObject>(
      reinterpret_cast<HANDLE>(key), platform::HandleKind::kRegistryKey);
  if (!object) return Status(ERROR_INVALID_HANDLE);
  if (path) *path = object->path;
  return (object->access & needed) == needed ? ERROR_SUCCESS : Status(ERROR_ACCESS_DENIED);
}

// Runs `work` in one transaction (a write transaction when `write`); a store
// that cannot be opened or committed gives ERROR_REGISTRY_IO_FAILED.
LSTATUS Run(bool write, const std::function<LSTATUS(sqlite3* db)>& work) {
  LSTATUS status = ERROR_REGISTRY_IO_FAILED;
  auto body = [&](sqlite3* db) {
    status = work(db);
    return status == ERROR_SUCCESS;
  };
  bool ok = write ? platform::WithDatabase(body) : platform::ReadDatabase(body);
  if (!ok && status == ERROR_SUCCESS) status = ERROR_REGISTRY_IO_FAILED;
  return status;
}

std::u16string JoinPath(const std::u16string& base, std::u16string_view sub) {
  std::u16string path = base;
  std::size_t start = 0;
  while (start <= sub.size()) {
    std::size_t end = sub.find(u'\\', start);
    if (end == std::u16string_view::npos) end = sub.size();
    if (end > start) {
      path += u'\\';
      path += sub.substr(start, end - start);
    }
    start = end + 1;
  }
  return path;
}

HKEY OpenHandle(KeyId id, std::u16string path, REGSAM access) {
  auto object = std::make_shared<KeyObject>();
  object->id = id;
  object->path = std::move(path);
  object->access = MapAccess(access);
  return reinterpret_cast<HKEY>(
      platform::CreateHandle(platform::HandleKind::kRegistryKey, std::move(object)));
}

// Copies a name with its terminator into a buffer of *size characters.
LSTATUS CopyName(const std::u16string& name, LPWSTR buffer, DWORD* size) {
  if (*size <= name.size()) return ERROR_MORE_DATA;
  name.copy(buffer, name.size());
  buffer[name.size()] = 0;
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Fills the type and bytes of a value as RegQueryValueExW and RegEnumValueW do.
LSTATUS CopyValue(const platform::registry::Value& value, DWORD* type, BYTE* data,
                  DWORD* dataSize) {
  if (type) *type = value.type;
  auto size = static_cast<DWORD>(value.data.size());
  if (data == nullptr) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::copy(value.data.begin(), value.data.end(), data);
  *dataSize = size;
  return ERROR_SUCCESS;
}

std::u16string_view NameOf(LPCWSTR name) { return platform::WideView(name); }

}  // namespace

QXAPI LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD /*options*/, REGSAM desired,
                            HKEY* result) {
  if (result == nullptr) return Status(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  std::u16string path;
  LSTATUS status = CheckKey(key, 0, &path);
  if (status != ERROR_SUCCESS) return status;
  std::u16string_view sub = NameOf(subKey);
  if (platform::registry::IsPredefinedKey(key) && sub.empty()) {
    *result = key;
    return ERROR_SUCCESS;
  }
  KeyId id = 0;
  status = Run(false, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> start = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!start) return found;
    std::optional<KeyId> target = platform::registry::FindSubKey(db, *start, sub);
    if (!target) return Status(ERROR_FILE_NOT_FOUND);
    id = *target;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  *result = OpenHandle(id, JoinPath(path, sub), desired);
  return *result ? ERROR_SUCCESS : Status(ERROR_NOT_ENOUGH_MEMORY);
}

QXAPI LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD /*reserved*/, LPWSTR /*keyClass*/,
                              DWORD /*options*/, REGSAM desired, void* /*security*/, HKEY* result,
                              DWORD* disposition) {
  if (result == nullptr || subKey == nullptr) return Status(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  std::u16string path;
  LSTATUS status = CheckKey(key, 0, &path);
  if (status != ERROR_SUCCESS) return status;
  bool mayCreate = CheckKey(key, KEY_CREATE_SUB_KEY) == ERROR_SUCCESS;
  std::u16string_view sub = NameOf(subKey);
  KeyId id = 0;
  bool created = false;
  status = Run(true, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> start = platform::registry::KeyOfHandle(db, key, true, &found);
    if (!start) return found;
    std::optional<KeyId> target = platform::registry::FindSubKey(db, *start, sub);
    if (!target && !mayCreate) return Status(ERROR_ACCESS_DENIED);
    if (!target) target = platform::registry::CreateSubKey(db, *start, sub, &created);
    if (!target) return Status(ERROR_REGISTRY_IO_FAILED);
    id = *target;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  *result = OpenHandle(id, JoinPath(path, sub), desired);
  if (*result == nullptr) return Status(ERROR_NOT_ENOUGH_MEMORY);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

QXAPI LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type,
                               BYTE* data, DWORD* dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
    return Status(ERROR_INVALID_PARAMETER);
  LSTATUS status = CheckKey(key, KEY_QUERY_VALUE);
  if (status != ERROR_SUCCESS) return status;
  platform::registry::Value value;
  status = Run(false, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> id = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!id) return found;
    std::optional<platform::registry::Value> stored =
        platform::registry::QueryValue(db, *id, NameOf(valueName));
    if (!stored) return Status(ERROR_FILE_NOT_FOUND);
    value = std::move(*stored);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  return CopyValue(value, type, data, dataSize);
}

QXAPI LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type,
                             const BYTE* data, DWORD dataSize) {
  if (data == nullptr && dataSize > 0) return Status(ERROR_INVALID_PARAMETER);
  LSTATUS status = CheckKey(key, KEY_SET_VALUE);
  if (status != ERROR_SUCCESS) return status;
  return Run(true, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> id = platform::registry::KeyOfHandle(db, key, true, &found);
    if (!id) return found;
    return platform::registry::SetValue(db, *id, NameOf(valueName), type, data, dataSize)
               ? ERROR_SUCCESS
               : ERROR_REGISTRY_IO_FAILED;
  });
}

QXAPI LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  LSTATUS status = CheckKey(key, KEY_SET_VALUE);
  if (status != ERROR_SUCCESS) return status;
  return Run(true, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> id = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!id) return found;
    if (!platform::registry::QueryValue(db, *id, NameOf(valueName)))
      return Status(ERROR_FILE_NOT_FOUND);
    return platform::registry::DeleteValue(db, *id, NameOf(valueName)) ? ERROR_SUCCESS
                                                                       : ERROR_REGISTRY_IO_FAILED;
  });
}

// An empty sub-key deletes the opened key itself; the predefined keys and the
// hives cannot be deleted.
QXAPI LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (subKey == nullptr) return Status(ERROR_INVALID_PARAMETER);
  LSTATUS status = CheckKey(key, 0);
  if (status != ERROR_SUCCESS) return status;
  std::u16string_view sub = NameOf(subKey);
  if (platform::registry::IsPredefinedKey(key) && sub.empty()) return Status(ERROR_ACCESS_DENIED);
  return Run(true, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> start = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!start) return found;
    std::optional<KeyId> target = platform::registry::FindSubKey(db, *start, sub);
    if (!target) return Status(ERROR_FILE_NOT_FOUND);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
      if (platform::registry::FindKey(db, root, u"") == target) return Status(ERROR_ACCESS_DENIED);
    }
    if (platform::registry::IsHiveKey(db, *target) || platform::registry::HasSubKeys(db, *target))
      return Status(ERROR_ACCESS_DENIED);
    return platform::registry::DeleteKeyTree(db, *target) ? ERROR_SUCCESS
                                                          : ERROR_REGISTRY_IO_FAILED;
  });
}

QXAPI LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize,
                            DWORD* /*reserved*/, LPWSTR keyClass, DWORD* classSize,
                            FILETIME* lastWrite) {
  if (name == nullptr || nameSize == nullptr) return Status(ERROR_INVALID_PARAMETER);
  LSTATUS status = CheckKey(key, KEY_ENUMERATE_SUB_KEYS);
  if (status != ERROR_SUCCESS) return status;
  platform::registry::SubKeyRow row;
  status = Run(false, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> id = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!id) return found == ERROR_FILE_NOT_FOUND ? Status(ERROR_NO_MORE_ITEMS) : found;
    std::optional<platform::registry::SubKeyRow> nth =
        platform::registry::NthSubKey(db, *id, index);
    if (!nth) return Status(ERROR_NO_MORE_ITEMS);
    row = std::move(*nth);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  status = CopyName(row.name, name, nameSize);
  if (status != ERROR_SUCCESS) return status;
  if (keyClass && classSize && *classSize > 0) keyClass[0] = 0;
  if (classSize) *classSize = 0;
  if (lastWrite) {
    auto ticks = static_cast<std::uint64_t>(row.written);
    *lastWrite = FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  }
  return ERROR_SUCCESS;
}

QXAPI LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, DWORD* valueNameSize,
                            DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (valueName == nullptr || valueNameSize == nullptr || (data != nullptr && dataSize == nullptr))
    return Status(ERROR_INVALID_PARAMETER);
  LSTATUS status = CheckKey(key, KEY_QUERY_VALUE);
  if (status != ERROR_SUCCESS) return status;
  platform::registry::ValueRow row;
  status = Run(false, [&](sqlite3* db) -> LSTATUS {
    LSTATUS found;
    std::optional<KeyId> id = platform::registry::KeyOfHandle(db, key, false, &found);
    if (!id) return found == ERROR_FILE_NOT_FOUND ? Status(ERROR_NO_MORE_ITEMS) : found;
    std::optional<platform::registry::ValueRow> nth = platform::registry::NthValue(db, *id, index);
    if (!nth) return Status(ERROR_NO_MORE_ITEMS);
    row = std::move(*nth);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  status = CopyName(row.name, valueName, valueNameSize);
  if (status != ERROR_SUCCESS) return status;
  return CopyValue(row.value, type, data, dataSize);
}

QXAPI LSTATUS RegCloseKey(HKEY key) {
  if (platform::registry::IsPredefinedKey(key)) return ERROR_SUCCESS;
  platform::HandleKind kind = platform::HandleKind::kRegistryKey;
  return platform::ReleaseHandle(reinterpret_cast<HANDLE>(key), &kind)
             ? ERROR_SUCCESS
             : Status(ERROR_INVALID_HANDLE);
}
