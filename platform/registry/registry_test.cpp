// The registry: keys without regard to case, byte-exact values with the
// more-data protocol, deleted keys, enumeration, the current user's hive, and
// one state for every process.
#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/base/root.h"
#include "platform/base/system.h"
#include "platform/registry/database.h"

extern char** environ;

namespace {

// A key of its own below HKLM\SOFTWARE\QxTest for each test, closed at the end.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = u"SOFTWARE\\QxTest\\" + std::u16string(name.begin(), name.end());
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override { RegCloseKey(key_); }

  LSTATUS Set(const char16_t* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
  }

  std::u16string path_;
  HKEY key_ = nullptr;
};

TEST_F(RegistryTest, OpenAndCreateWithoutRegardToCase) {
  HKEY sub = nullptr;
  EXPECT_EQ(RegOpenKeyExW(key_, u"Printers\\QX 4800", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(sub, nullptr);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(key_, u"Printers\\QX 4800", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &sub, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(sub);
  ASSERT_EQ(RegCreateKeyExW(key_, u"PRINTERS\\qx 4800", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &sub, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(sub);
  std::u16string full = u"software\\QXTEST\\" + path_.substr(16) + u"\\printers\\QX 4800";
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_READ, &sub), ERROR_SUCCESS);
  // The enumeration shows the spelling the key was created with.
  WCHAR name[32];
  DWORD size = 32;
  HKEY printers = nullptr;
  ASSERT_EQ(RegOpenKeyExW(key_, u"printers", 0, KEY_READ, &printers), ERROR_SUCCESS);
  EXPECT_EQ(RegEnumKeyExW(printers, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, size), u"QX 4800");
  RegCloseKey(printers);
  RegCloseKey(sub);
}

TEST_F(RegistryTest, ValuesAreByteExactWithTheMoreDataProtocol) {
  // A REG_SZ without its terminator stays without it.
  const char16_t text[] = u"A4";
  ASSERT_EQ(Set(u"Datatype", REG_SZ, text, 4), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, u"DATATYPE", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 4u);
  BYTE small[3] = {0xEE, 0xEE, 0xEE};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key_, u"Datatype", nullptr, &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  BYTE data[8];
  std::memset(data, 0xEE, sizeof data);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExW(key_, u"Datatype", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::memcmp(data,
                        "A\0"
                        "4\0",
                        4),
            0);
  EXPECT_EQ(data[4], 0xEE);

  // Binary with zeros, an empty value, and a number.
  const BYTE binary[] = {0, 1, 0, 0xFF, 0};
  ASSERT_EQ(Set(u"Blob", REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExW(key_, u"blob", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof binary);
  EXPECT_EQ(std::memcmp(data, binary, sizeof binary), 0);
  ASSERT_EQ(Set(u"Empty", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key_, u"Empty", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  DWORD attributes = 0x1240;
  ASSERT_EQ(Set(u"Attributes", REG_DWORD, &attributes, 4), ERROR_SUCCESS);
  DWORD read = 0;
  size = 4;
  ASSERT_EQ(
      RegQueryValueExW(key_, u"Attributes", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(read, 0x1240u);
  EXPECT_EQ(type, REG_DWORD);

  EXPECT_EQ(RegQueryValueExW(key_, u"Missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key_, u"Blob", nullptr, &type, data, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, DefaultValueHasTheEmptyName) {
  const char16_t text[] = u"default";
  ASSERT_EQ(Set(nullptr, REG_SZ, text, sizeof text), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, u"", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(RegDeleteValueW(key_, u""), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key_, nullptr, nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key_, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumerationOrderAndBufferSizes) {
  for (const char16_t* name : {u"beta", u"Alpha", u"gamma"}) {
    HKEY sub;
    ASSERT_EQ(RegCreateKeyExW(key_, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
  }
  std::vector<std::u16string> keys;
  WCHAR name[16];
  for (DWORD i = 0;; ++i) {
    DWORD size = 16;
    LSTATUS status = RegEnumKeyExW(key_, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    keys.emplace_back(name, size);
  }
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma"}));
  DWORD size = 5;  // "Alpha" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);

  // Values in the order they were first set; a later set keeps the place.
  DWORD one = 1;
  ASSERT_EQ(Set(u"Zed", REG_DWORD, &one, 4), ERROR_SUCCESS);
  ASSERT_EQ(Set(u"Ant", REG_BINARY, "abcdef", 6), ERROR_SUCCESS);
  ASSERT_EQ(Set(u"zed", REG_DWORD, &one, 4), ERROR_SUCCESS);
  DWORD type = 0;
  BYTE data[4];
  DWORD nameSize = 16;
  DWORD dataSize = sizeof data;
  ASSERT_EQ(RegEnumValueW(key_, 0, name, &nameSize, nullptr, &type, data, &dataSize),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, nameSize), u"Zed");
  nameSize = 16;
  dataSize = sizeof data;
  EXPECT_EQ(RegEnumValueW(key_, 1, name, &nameSize, nullptr, &type, data, &dataSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 6u);
  EXPECT_EQ(type, REG_BINARY);
  nameSize = 16;
  EXPECT_EQ(RegEnumValueW(key_, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, DeletedKeysFailTheirHandles) {
  HKEY parent, child;
  ASSERT_EQ(RegCreateKeyExW(key_, u"Parent\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(key_, u"Parent", 0, KEY_ALL_ACCESS, &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, u"parent"), ERROR_ACCESS_DENIED);  // it has a sub-key
  EXPECT_EQ(RegDeleteKeyW(parent, u"CHILD"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(parent, u"Child"), ERROR_FILE_NOT_FOUND);
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(child, u"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
            ERROR_KEY_DELETED);
  // A new key of the same name is another key: the old handle stays dead.
  HKEY again;
  ASSERT_EQ(
      RegCreateKeyExW(parent, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &again, nullptr),
      ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(child, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  RegCloseKey(again);
  RegCloseKey(child);
  RegCloseKey(parent);
  EXPECT_EQ(RegCloseKey(child), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, AccessFollowsTheMask) {
  HKEY readOnly;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ, &readOnly),
            ERROR_SUCCESS);
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(readOnly, u"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
            static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
  HKEY sub;
  EXPECT_EQ(
      RegCreateKeyExW(readOnly, u"New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
      static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
  RegCloseKey(readOnly);
}

TEST_F(RegistryTest, CurrentUserIsKeyedByTheUserName) {
  const char16_t folder[] = u"C:\\Jobs";
  platform::test::SetUserName(u"alice");
  HKEY alice;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\MOBRA\\QBX-W", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &alice, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(alice, u"MPDL_FOLDER", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                           sizeof folder),
            ERROR_SUCCESS);
  platform::test::SetUserName(u"bob");
  HKEY bob;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\MOBRA\\QBX-W", 0, KEY_READ, &bob),
            ERROR_FILE_NOT_FOUND);
  HKEY viaUsers;
  ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, u"alice\\Software\\MOBRA\\QBX-W", 0, KEY_READ, &viaUsers),
            ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(viaUsers, u"MPDL_FOLDER", nullptr, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof folder);
  RegCloseKey(viaUsers);
  RegCloseKey(alice);
  platform::test::SetUserName(nullptr);
}

TEST_F(RegistryTest, StoreHelpersJoinTheCallersTransaction) {
  const char16_t text[] = u"RAW";
  bool ok = platform::WithDatabase([&](sqlite3* db) {
    return platform::registry::SetValueAt(db, HKEY_LOCAL_MACHINE, path_ + u"\\View", u"Datatype",
                                          REG_SZ, text, sizeof text) &&
           RegSetValueExW(key_, u"InSameTransaction", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text), sizeof text) == ERROR_SUCCESS;
  });
  ASSERT_TRUE(ok);
  std::optional<platform::registry::Value> value;
  ASSERT_TRUE(platform::ReadDatabase([&](sqlite3* db) {
    value =
        platform::registry::QueryValueAt(db, HKEY_LOCAL_MACHINE, path_ + u"\\VIEW", u"datatype");
    return true;
  }));
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, REG_SZ);
  EXPECT_EQ(value->data.size(), sizeof text);
  // A rolled-back transaction leaves nothing behind.
  platform::WithDatabase([&](sqlite3* db) {
    platform::registry::SetValueAt(db, HKEY_LOCAL_MACHINE, path_, u"Lost", REG_SZ, text,
                                   sizeof text);
    return false;
  });
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, u"Lost", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(platform::WithDatabase([&](sqlite3* db) {
    return platform::registry::DeleteKeyTreeAt(db, HKEY_LOCAL_MACHINE, path_ + u"\\View");
  }));
  HKEY view;
  EXPECT_EQ(RegOpenKeyExW(key_, u"View", 0, KEY_READ, &view), ERROR_FILE_NOT_FOUND);
}

// Adds 1 to the DWORD "Counter" of the key named by the path `kCounterPath`,
// read and written in one transaction.
const char16_t kCounterPath[] = u"SOFTWARE\\QxTest\\Shared";

bool Increment() {
  return platform::WithDatabase([](sqlite3* db) {
    std::optional<platform::registry::Value> value =
        platform::registry::QueryValueAt(db, HKEY_LOCAL_MACHINE, kCounterPath, u"Counter");
    DWORD count = 0;
    if (value && value->data.size() == 4) std::memcpy(&count, value->data.data(), 4);
    ++count;
    return platform::registry::SetValueAt(db, HKEY_LOCAL_MACHINE, kCounterPath, u"Counter",
                                          REG_DWORD, &count, 4);
  });
}

constexpr int kIncrements = 200;

// Run by the test below in a second process, on the first process's root.
TEST(RegistryChild, IncrementsAndWrites) {
  const char* root = std::getenv("QX_REGISTRY_CHILD_ROOT");
  if (root == nullptr) GTEST_SKIP() << "only run as the second process";
  platform::test::SetRootPath(root);
  for (int i = 0; i < kIncrements; ++i) ASSERT_TRUE(Increment());
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCounterPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD pid = 4242;
  ASSERT_EQ(RegSetValueExW(key, u"FromChild", 0, REG_DWORD, reinterpret_cast<BYTE*>(&pid), 4),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(RegistryProcesses, TwoProcessesSeeOneState) {
  setenv("QX_REGISTRY_CHILD_ROOT", platform::RootPath().c_str(), 1);
  char exe[] = "/proc/self/exe";
  char filter[] = "--gtest_filter=RegistryChild.IncrementsAndWrites";
  char* argv[] = {exe, filter, nullptr};
  pid_t child = 0;
  int spawned = posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ);
  unsetenv("QX_REGISTRY_CHILD_ROOT");
  ASSERT_EQ(spawned, 0);
  for (int i = 0; i < kIncrements; ++i) ASSERT_TRUE(Increment());
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCounterPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD count = 0;
  DWORD size = 4;
  ASSERT_EQ(
      RegQueryValueExW(key, u"Counter", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(count, 2u * kIncrements);  // no increment lost between the processes
  DWORD pid = 0;
  size = 4;
  ASSERT_EQ(
      RegQueryValueExW(key, u"FromChild", nullptr, nullptr, reinterpret_cast<BYTE*>(&pid), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(pid, 4242u);
  RegCloseKey(key);
}

TEST(RegistryHandles, ClosedKeysLeaveNoHandles) {
  std::size_t before = platform::test::OpenHandleCount();
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\QxTest\\Handles", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(platform::test::OpenHandleCount(), before + 1);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(platform::test::OpenHandleCount(), before);
  HKEY same;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_EQ(same, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

}  // namespace
