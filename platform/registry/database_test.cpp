// Transactions of the stand-in's database: nested work undoes only itself.
#include "platform/registry/database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

int Count(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM db_test", -1, &st, nullptr);
  int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
  sqlite3_finalize(st);
  return n;
}

bool Insert(sqlite3* db, int v) {
  std::string sql = "INSERT INTO db_test VALUES (" + std::to_string(v) + ")";
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

TEST(Database, FailedNestedWorkIsUndoneAlone) {
  platform::RegisterSchema("CREATE TABLE IF NOT EXISTS db_test (v INTEGER)");
  bool outer = platform::WithDatabase([](sqlite3* db) {
    Insert(db, 1);
    bool inner = platform::WithDatabase([](sqlite3* db2) {
      Insert(db2, 2);
      return false;
    });
    EXPECT_FALSE(inner);
    EXPECT_TRUE(platform::WithDatabase([](sqlite3* db2) { return Insert(db2, 3); }));
    return true;
  });
  EXPECT_TRUE(outer);
  int n = 0;
  EXPECT_TRUE(platform::ReadDatabase([&](sqlite3* db) {
    n = Count(db);
    return true;
  }));
  EXPECT_EQ(n, 2);
  // A failed outer transaction keeps nothing.
  EXPECT_FALSE(platform::WithDatabase([](sqlite3* db) {
    Insert(db, 4);
    return false;
  }));
  platform::ReadDatabase([&](sqlite3* db) {
    n = Count(db);
    return true;
  });
  EXPECT_EQ(n, 2);
}

}  // namespace
