// The registry's tables and the statements over them. Keys form a tree of rows
// (the hives' own keys have parent 0); names are stored as given and, for
// lookups without regard to case, folded. Key ids are never reused, so that the
// handle of a deleted key cannot reach a key created later.
#include <sqlite3.h>

#include <cstring>

#include "platform/base/casefold.h"
#include "platform/base/error.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "platform/registry/database.h"
#include "platform/registry/key_object.h"
#include "platform/registry/registry.h"

namespace platform::registry {

namespace {

constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER NOT NULL,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  written INTEGER NOT NULL DEFAULT 0,
  UNIQUE (parent, folded));
CREATE TABLE IF NOT EXISTS reg_values (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  key INTEGER NOT NULL,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE (key, folded));
)sql";

const bool kSchemaRegistered = (RegisterSchema(kSchema), true);

// One prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, std::int64_t value) {
    if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  }
  void Bind(int index, const std::string& text) {
    if (stmt_)
      sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void BindBlob(int index, const void* data, std::size_t size) {
    if (!stmt_) return;
    if (size == 0) {
      sqlite3_bind_zeroblob(stmt_, index, 0);
    } else {
      sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT);
    }
  }
  // SQLITE_ROW, SQLITE_DONE, or an error code.
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  bool Run() { return Step() == SQLITE_DONE; }
  std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::u16string Text(int column) {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    if (text == nullptr) return {};
    return Utf8ToWide({reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)});
  }
  std::vector<BYTE> Blob(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    const BYTE* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Folded(std::u16string_view name) { return WideToUtf8(FoldCase(name)); }

std::int64_t Now() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                   now.dwLowDateTime);
}

// Backslash-separated parts; empty parts (doubled or outer backslashes) are skipped.
std::vector<std::u16string> SplitPath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::optional<KeyId> FindChild(sqlite3* db, KeyId parent, std::u16string_view name) {
  Statement find(db, "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
  find.Bind(1, parent);
  find.Bind(2, Folded(name));
  if (find.Step() != SQLITE_ROW) return std::nullopt;
  return find.Int(0);
}

bool Touch(sqlite3* db, KeyId key) {
  Statement touch(db, "UPDATE reg_keys SET written = ?2 WHERE id = ?1");
  touch.Bind(1, key);
  touch.Bind(2, Now());
  return touch.Run();
}

std::optional<KeyId> CreateChild(sqlite3* db, KeyId parent, std::u16string_view name) {
  Statement insert(db,
                   "INSERT INTO reg_keys (parent, name, folded, written) VALUES (?1, ?2, ?3, ?4)");
  insert.Bind(1, parent);
  insert.Bind(2, WideToUtf8(name));
  insert.Bind(3, Folded(name));
  insert.Bind(4, Now());
  if (!insert.Run()) return std::nullopt;
  KeyId id = sqlite3_last_insert_rowid(db);
  if (parent != 0 && !Touch(db, parent)) return std::nullopt;
  return id;
}

// Walks `parts` from `start` (0: the top of the store), creating what is missing
// when `create` is set.
std::optional<KeyId> Walk(sqlite3* db, KeyId start, const std::vector<std::u16string>& parts,
                          bool create, bool* created) {
  if (created) *created = false;
  KeyId key = start;
  for (const std::u16string& part : parts) {
    std::optional<KeyId> child = FindChild(db, key, part);
    if (!child && create) {
      child = CreateChild(db, key, part);
      if (child && created) *created = true;
    }
    if (!child) return std::nullopt;
    key = *child;
  }
  return key;
}

std::u16string CurrentUser() {
  WCHAR name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!GetUserNameW(name, &size) || size == 0) return u"User";
  return std::u16string(WideView(name, size));
}

std::optional<KeyId> PredefinedRoot(sqlite3* db, HKEY root, bool create) {
  if (!IsPredefinedKey(root)) return std::nullopt;
  return Walk(db, 0, SplitPath(PredefinedPath(root)), create, nullptr);
}

}  // namespace

bool IsPredefinedKey(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS;
}

std::u16string PredefinedPath(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
  if (key == HKEY_USERS) return u"HKEY_USERS";
  if (key == HKEY_CURRENT_USER) return u"HKEY_USERS\\" + CurrentUser();
  if (key == HKEY_CLASSES_ROOT) return u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";
  return {};
}

bool KeyExists(sqlite3* db, KeyId key) {
  Statement find(db, "SELECT 1 FROM reg_keys WHERE id = ?1");
  find.Bind(1, key);
  return find.Step() == SQLITE_ROW;
}

std::optional<KeyId> FindSubKey(sqlite3* db, KeyId key, std::u16string_view path) {
  return Walk(db, key, SplitPath(path), false, nullptr);
}

std::optional<KeyId> CreateSubKey(sqlite3* db, KeyId key, std::u16string_view path, bool* created) {
  return Walk(db, key, SplitPath(path), true, created);
}

std::optional<KeyId> FindKey(sqlite3* db, HKEY root, std::u16string_view path) {
  std::optional<KeyId> start = PredefinedRoot(db, root, false);
  if (!start) return std::nullopt;
  return Walk(db, *start, SplitPath(path), false, nullptr);
}

std::optional<KeyId> CreateKey(sqlite3* db, HKEY root, std::u16string_view path, bool* created) {
  std::optional<KeyId> start = PredefinedRoot(db, root, true);
  if (!start) return std::nullopt;
  return Walk(db, *start, SplitPath(path), true, created);
}

std::optional<KeyId> KeyOfHandle(sqlite3* db, HKEY key, bool create, LSTATUS* status) {
  LSTATUS ignored;
  if (status == nullptr) status = &ignored;
  if (IsPredefinedKey(key)) {
    std::optional<KeyId> root = PredefinedRoot(db, key, create);
    *status = root ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    return root;
  }
  std::shared_ptr<KeyObject> object =
      LookupHandle<KeyObject>(reinterpret_cast<HANDLE>(key), HandleKind::kRegistryKey);
  if (!object) {
    *status = static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    return std::nullopt;
  }
  if (!KeyExists(db, object->id)) {
    *status = ERROR_KEY_DELETED;
    return std::nullopt;
  }
  *status = ERROR_SUCCESS;
  return object->id;
}

std::optional<Value> QueryValue(sqlite3* db, KeyId key, std::u16string_view name) {
  Statement find(db, "SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
  find.Bind(1, key);
  find.Bind(2, Folded(name));
  if (find.Step() != SQLITE_ROW) return std::nullopt;
  Value value;
  value.type = static_cast<DWORD>(find.Int(0));
  value.data = find.Blob(1);
  return value;
}

bool SetValue(sqlite3* db, KeyId key, std::u16string_view name, DWORD type, const void* data,
              std::size_t size) {
  // An existing value keeps its place in the enumeration and its spelling.
  Statement upsert(db,
                   "INSERT INTO reg_values (key, name, folded, type, data) VALUES (?1, ?2, ?3, "
                   "?4, ?5) ON CONFLICT (key, folded) DO UPDATE SET type = excluded.type, "
                   "data = excluded.data");
  upsert.Bind(1, key);
  upsert.Bind(2, WideToUtf8(name));
  upsert.Bind(3, Folded(name));
  upsert.Bind(4, static_cast<std::int64_t>(type));
  upsert.BindBlob(5, data, size);
  return upsert.Run() && Touch(db, key);
}

bool DeleteValue(sqlite3* db, KeyId key, std::u16string_view name) {
  Statement remove(db, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
  remove.Bind(1, key);
  remove.Bind(2, Folded(name));
  return remove.Run() && sqlite3_changes(db) > 0 && Touch(db, key);
}

namespace {
std::vector<KeyId> ChildIds(sqlite3* db, KeyId key) {
  std::vector<KeyId> ids;
  Statement list(db, "SELECT id FROM reg_keys WHERE parent = ?1");
  list.Bind(1, key);
  while (list.Step() == SQLITE_ROW) ids.push_back(list.Int(0));
  return ids;
}

bool DeleteRows(sqlite3* db, KeyId key) {
  for (KeyId child : ChildIds(db, key)) {
    if (!DeleteRows(db, child)) return false;
  }
  Statement values(db, "DELETE FROM reg_values WHERE key = ?1");
  values.Bind(1, key);
  Statement self(db, "DELETE FROM reg_keys WHERE id = ?1");
  self.Bind(1, key);
  return values.Run() && self.Run();
}
}  // namespace

bool DeleteKeyTree(sqlite3* db, KeyId key) {
  Statement parent(db, "SELECT parent FROM reg_keys WHERE id = ?1");
  parent.Bind(1, key);
  if (parent.Step() != SQLITE_ROW) return false;
  KeyId parentId = parent.Int(0);
  if (parentId == 0) return false;
  return DeleteRows(db, key) && Touch(db, parentId);
}

std::vector<std::u16string> SubKeyNames(sqlite3* db, KeyId key) {
  std::vector<std::u16string> names;
  Statement list(db, "SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY folded");
  list.Bind(1, key);
  while (list.Step() == SQLITE_ROW) names.push_back(list.Text(0));
  return names;
}

std::vector<std::u16string> ValueNames(sqlite3* db, KeyId key) {
  std::vector<std::u16string> names;
  Statement list(db, "SELECT name FROM reg_values WHERE key = ?1 ORDER BY id");
  list.Bind(1, key);
  while (list.Step() == SQLITE_ROW) names.push_back(list.Text(0));
  return names;
}

bool SetValueAt(sqlite3* db, HKEY root, std::u16string_view path, std::u16string_view name,
                DWORD type, const void* data, std::size_t size) {
  std::optional<KeyId> key = CreateKey(db, root, path);
  return key && SetValue(db, *key, name, type, data, size);
}

std::optional<Value> QueryValueAt(sqlite3* db, HKEY root, std::u16string_view path,
                                  std::u16string_view name) {
  std::optional<KeyId> key = FindKey(db, root, path);
  if (!key) return std::nullopt;
  return QueryValue(db, *key, name);
}

bool DeleteKeyTreeAt(sqlite3* db, HKEY root, std::u16string_view path) {
  std::optional<KeyId> key = FindKey(db, root, path);
  return !key || DeleteKeyTree(db, *key);
}

// The n-th sub-key and value, for the enumeration calls.
std::optional<SubKeyRow> NthSubKey(sqlite3* db, KeyId key, DWORD index) {
  Statement list(db,
                 "SELECT name, written FROM reg_keys WHERE parent = ?1 ORDER BY folded "
                 "LIMIT 1 OFFSET ?2");
  list.Bind(1, key);
  list.Bind(2, static_cast<std::int64_t>(index));
  if (list.Step() != SQLITE_ROW) return std::nullopt;
  return SubKeyRow{list.Text(0), list.Int(1)};
}

std::optional<ValueRow> NthValue(sqlite3* db, KeyId key, DWORD index) {
  Statement list(db,
                 "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY id "
                 "LIMIT 1 OFFSET ?2");
  list.Bind(1, key);
  list.Bind(2, static_cast<std::int64_t>(index));
  if (list.Step() != SQLITE_ROW) return std::nullopt;
  ValueRow row;
  row.name = list.Text(0);
  row.value.type = static_cast<DWORD>(list.Int(1));
  row.value.data = list.Blob(2);
  return row;
}

bool HasSubKeys(sqlite3* db, KeyId key) {
  Statement find(db, "SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1");
  find.Bind(1, key);
  return find.Step() == SQLITE_ROW;
}

bool IsHiveKey(sqlite3* db, KeyId key) {
  Statement find(db, "SELECT parent FROM reg_keys WHERE id = ?1");
  find.Bind(1, key);
  return find.Step() == SQLITE_ROW && find.Int(0) == 0;
}

}  // namespace platform::registry
