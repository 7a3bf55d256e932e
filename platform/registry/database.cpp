// One SQLite connection per thread, opened on first use.
#include "platform/registry/database.h"

#include <sqlite3.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/root.h"

namespace platform {

namespace {

std::mutex schemaLock;
std::vector<const char*>& Schemas() {
  static std::vector<const char*> schemas;
  return schemas;
}

struct Connection {
  sqlite3* db = nullptr;
  std::string root;
  std::size_t schemasApplied = 0;
  int depth = 0;
  ~Connection() {
    if (db) sqlite3_close(db);
  }
};

thread_local Connection connection;

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Opens (or re-opens after the root changed) this thread's connection.
sqlite3* Open() {
  std::string root = RootPath();
  if (connection.db && connection.root != root) {
    sqlite3_close(connection.db);
    connection.db = nullptr;
  }
  if (connection.db == nullptr) {
    std::string file = root + "/qx.db";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
      sqlite3_close(db);
      return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
    connection.db = db;
    connection.root = root;
    connection.schemasApplied = 0;
  }
  std::lock_guard<std::mutex> guard(schemaLock);
  std::vector<const char*>& schemas = Schemas();
  while (connection.schemasApplied < schemas.size()) {
    if (!Exec(connection.db, schemas[connection.schemasApplied])) return nullptr;
    ++connection.schemasApplied;
  }
  return connection.db;
}

}  // namespace

void RegisterSchema(const char* sql) {
  std::lock_guard<std::mutex> guard(schemaLock);
  Schemas().push_back(sql);
}

namespace {
// A nested call runs inside a savepoint of the outer transaction, so that work
// that fails undoes only its own changes.
bool RunNested(const std::function<bool(sqlite3* db)>& work) {
  sqlite3* db = connection.db;
  if (!Exec(db, "SAVEPOINT nested")) return false;
  ++connection.depth;
  bool ok = work(db);
  --connection.depth;
  if (ok) return Exec(db, "RELEASE nested");
  Exec(db, "ROLLBACK TO nested");
  Exec(db, "RELEASE nested");
  return false;
}

bool RunTransaction(const char* begin, const std::function<bool(sqlite3* db)>& work) {
  if (connection.depth > 0) return RunNested(work);
  sqlite3* db = Open();
  if (db == nullptr) return false;
  if (!Exec(db, begin)) return false;
  ++connection.depth;
  bool ok = work(db);
  --connection.depth;
  if (ok && Exec(db, "COMMIT")) return true;
  Exec(db, "ROLLBACK");
  return false;
}

}  // namespace

bool WithDatabase(const std::function<bool(sqlite3* db)>& work) {
  return RunTransaction("BEGIN IMMEDIATE", work);
}

bool ReadDatabase(const std::function<bool(sqlite3* db)>& work) {
  return RunTransaction("BEGIN", work);
}

}  // namespace platform
