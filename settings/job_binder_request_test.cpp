// The job-binder folder, the file-name rule and the request keys.
#include "settings/job_binder_request.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/temp_root.h"

namespace settings {
namespace {

constexpr const char16_t* kKey = u"SOFTWARE\\MOBRA\\QBX-W";

void SetFolderValue(DWORD type, const std::u16string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, u"MPDL_FOLDER", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * 2));
  RegCloseKey(key);
}

void DeleteFolderValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, u"MPDL_FOLDER");
  RegCloseKey(key);
}

TEST(JobBinderFolder, DefaultIsStoredAndLongValuesAreReadWhole) {
  DeleteFolderValue();
  EXPECT_EQ(JobBinderFolder(), u"C:\\WINDOWS\\temp\\QBX-W");
  // It was stored in the value.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  WCHAR stored[64] = {};
  DWORD type = 0, size = sizeof stored;
  EXPECT_EQ(
      RegQueryValueExW(key, u"MPDL_FOLDER", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size),
      ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::u16string(stored), u"C:\\WINDOWS\\temp\\QBX-W");
  // A value set by the user wins.
  SetFolderValue(REG_SZ, u"D:\\binder");
  EXPECT_EQ(JobBinderFolder(), u"D:\\binder");
  // Longer than a path buffer: read again at its size, never cut.
  std::u16string longFolder = u"E:\\" + std::u16string(400, u'f');
  SetFolderValue(REG_SZ, longFolder);
  EXPECT_EQ(JobBinderFolder(), longFolder);
  // A value of another type counts as missing.
  SetFolderValue(REG_DWORD, u"xx");
  EXPECT_EQ(JobBinderFolder(), u"C:\\WINDOWS\\temp\\QBX-W");
  DeleteFolderValue();
}

TEST(JobBinderFileName, UserRule) {
  struct Case {
    const char16_t* name;
    bool valid;
  };
  const Case kCases[] = {
      {u"plan", true}, {u"", true},      {u"図面 1", true}, {u"   ", false}, {u"a\\b", false},
      {u"a/b", false}, {u"a:b", false},  {u"a,b", false},   {u"a;b", false}, {u"a*b", false},
      {u"a?b", false}, {u"a\"b", false}, {u"a<b", false},   {u"a>b", false}, {u"a|b", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(platform::WideToUtf8(c.name));
    EXPECT_EQ(IsValidJobBinderFileName(c.name), c.valid);
  }
}

TEST(JobBinderRequest, WritesTheKeysAndMakesTheFolder) {
  std::u16string ini = platform::Utf8ToWide(qxtest::MakeTempDir("binder-request") + "/qxw4gl.ini");
  // The Windows folder is there on an installed system.
  WCHAR windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  std::u16string folder = u"C:\\WINDOWS\\temp\\QBX-W\\deep\\er";
  ASSERT_TRUE(RequestJobBinderJob(ini, u"ZQ1", folder, u"plan", true));
  auto key = [&](const char16_t* name) {
    WCHAR value[600] = {};
    GetPrivateProfileStringW(u"ZQ1", name, u"?", value, 600, ini.c_str());
    return std::u16string(value);
  };
  EXPECT_EQ(key(u"QBXSEND"), u"1");
  EXPECT_EQ(key(u"QBXSEND_RESET"), u"1");
  EXPECT_EQ(key(u"JobMergePath"), folder);
  EXPECT_EQ(key(u"JobMergeFile"), u"plan");
  EXPECT_EQ(key(u"JobMergeLastFile"), u"plan");
  DWORD attributes = GetFileAttributesW(folder.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(RequestJobBinderJob(ini, u"ZQ1", folder, u"", false));
  EXPECT_EQ(key(u"QBXSEND_RESET"), u"0");
  EXPECT_EQ(key(u"JobMergeFile"), u"");
}

}  // namespace
}  // namespace settings
