// The well-known folders, the temporary folder and the process token.
#include "platform/files/folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/base/error.h"
#include "platform/base/root.h"
#include "platform/base/system.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace {

bool FolderExists(const std::u16string& path) {
  return std::filesystem::is_directory(platform::NativePath(path));
}

TEST(Folders, WindowsAndSystemFoldersExistUnderTheRoot) {
  WCHAR buffer[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryW(buffer, MAX_PATH), 10u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\WINDOWS");
  EXPECT_EQ(GetSystemDirectoryW(buffer, MAX_PATH), 19u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\WINDOWS\\system32");
  EXPECT_TRUE(std::filesystem::is_directory(platform::RootPath() + "/c/windows/system32"));
  // Too small: the size needed with the terminator, and nothing copied.
  buffer[0] = u'#';
  EXPECT_EQ(GetWindowsDirectoryW(buffer, 10), 11u);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_EQ(GetSystemDirectoryW(nullptr, 0), 20u);
}

TEST(Folders, UserFoldersBelowTheProfile) {
  platform::test::SetUserName(u"設計");
  WCHAR path[MAX_PATH];
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::u16string(path), u"C:\\Users\\設計");
  // A folder that is not there yet: E_FAIL unless asked to create it.
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path), E_FAIL);
  EXPECT_EQ(std::u16string(path), u"C:\\Users\\設計\\AppData\\Roaming");
  EXPECT_FALSE(FolderExists(path));
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_TRUE(FolderExists(path));
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::u16string(path), u"C:\\Users\\設計\\Documents");
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path),
            S_OK);
  EXPECT_EQ(std::u16string(path), u"C:\\ProgramData");
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::u16string(path), u"C:\\WINDOWS\\system32");
  EXPECT_EQ(SHGetFolderPathW(nullptr, 0x77, nullptr, 0, path), E_INVALIDARG);
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, nullptr), E_INVALIDARG);

  WCHAR temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(std::u16string(temp, length), u"C:\\Users\\設計\\AppData\\Local\\Temp\\");
  EXPECT_TRUE(FolderExists(temp));
  EXPECT_EQ(GetTempPathW(3, temp), length + 1);
  platform::test::SetUserName(nullptr);
}

TEST(Folders, ProfileFolderOfTheProcessToken) {
  platform::test::SetUserName(u"alice");
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  EXPECT_FALSE(GetUserProfileDirectoryW(token, nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 15u);  // "C:\Users\alice" and its terminator
  WCHAR path[MAX_PATH];
  size = MAX_PATH;
  ASSERT_TRUE(GetUserProfileDirectoryW(token, path, &size));
  EXPECT_EQ(std::u16string(path), u"C:\\Users\\alice");
  EXPECT_TRUE(FolderExists(path));
  EXPECT_TRUE(CloseHandle(token));
  size = MAX_PATH;
  EXPECT_FALSE(GetUserProfileDirectoryW(token, path, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, &token));
  platform::test::SetUserName(nullptr);
}

}  // namespace
