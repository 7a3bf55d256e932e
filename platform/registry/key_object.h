// Inside the registry: the object behind an opened key's handle.
#pragma once

#include <string>

#include "platform/base/handles.h"
#include "platform/registry/registry.h"

namespace platform::registry {

// An opened key remembers which key it is (its row, which a deleted key's
// handle no longer finds), its path for the record, and what it may do.
struct KeyObject : HandleObject {
  KeyId id = 0;
  std::u16string path;  // "HKEY_LOCAL_MACHINE\SOFTWARE\..." as opened
  REGSAM access = 0;
};

// The predefined keys: HKEY_CLASSES_ROOT to HKEY_USERS.
bool IsPredefinedKey(HKEY key);
// The path of a predefined key's root ("HKEY_USERS\<user>" for the current user).
std::u16string PredefinedPath(HKEY key);

// Rows for the enumeration calls.
struct SubKeyRow {
  std::u16string name;
  std::int64_t written = 0;  // FILETIME ticks of the last change
};
struct ValueRow {
  std::u16string name;
  Value value;
};
std::optional<SubKeyRow> NthSubKey(sqlite3* db, KeyId key, DWORD index);
std::optional<ValueRow> NthValue(sqlite3* db, KeyId key, DWORD index);
bool HasSubKeys(sqlite3* db, KeyId key);
// Whether the key is one of the hives' own (HKEY_LOCAL_MACHINE, HKEY_USERS).
bool IsHiveKey(sqlite3* db, KeyId key);

}  // namespace platform::registry
