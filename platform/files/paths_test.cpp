// The namespace of Windows paths over the native tree below the root.
#include "platform/files/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/base/root.h"
#include "tests/support/temp_root.h"

namespace {

std::string Root() { return platform::RootPath(); }

// Paths that name nothing on disk keep the case they were given.
struct MappingCase {
  const char* name;
  std::u16string path;
  std::string native;  // below the root, "" for an empty result
};

TEST(NativePath, MapsDrivesSharesAndPrefixes) {
  // clang-format off
  const MappingCase cases[] = {
      {"drive path",         u"C:\\Unmade\\Sub\\qx.ini",       "/c/Unmade/Sub/qx.ini"},
      {"drive letter case",  u"d:\\Data",                      "/d/Data"},
      {"slashes",            u"C:/Jobs/one.plt",               "/c/Jobs/one.plt"},
      {"doubled separators", u"C:\\\\Jobs\\/one.plt",          "/c/Jobs/one.plt"},
      {"drive root",         u"C:",                            "/c"},
      {"rooted, no drive",   u"\\Jobs\\one.plt",               "/c/Jobs/one.plt"},
      {"dot parts",          u"C:\\a\\.\\b\\..\\c",            "/c/a/c"},
      {"no climb past root", u"C:\\..\\..\\etc\\passwd",       "/c/etc/passwd"},
      {"trailing dots",      u"C:\\notes.txt. .",              "/c/notes.txt"},
      {"UNC",                u"\\\\Server\\Share\\a.txt",      "/unc/Server/Share/a.txt"},
      {"UNC keeps share",    u"\\\\s\\sh\\..\\..\\x",          "/unc/s/sh/x"},
      {"long prefix",        u"\\\\?\\C:\\x",                  "/c/x"},
      {"device prefix",      u"\\\\.\\C:\\x",                  "/c/x"},
      {"long UNC prefix",    u"\\\\?\\UNC\\s\\sh\\f",          "/unc/s/sh/f"},
  };
  // clang-format on
  for (const MappingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::NativePath(c.path), Root() + c.native);
  }
}

TEST(NativePath, MalformedAndNativePaths) {
  EXPECT_EQ(platform::NativePath(u""), "");
  EXPECT_EQ(platform::NativePath(u"1:\\x"), "");
  EXPECT_EQ(platform::NativePath(static_cast<const WCHAR*>(nullptr)), "");
  EXPECT_EQ(platform::NativePath(u"/usr/share/x.ini"), "/usr/share/x.ini");
}

TEST(NativePath, FindsExistingComponentsWhateverTheirCase) {
  std::filesystem::create_directories(Root() + "/c/Match/Sub");
  std::ofstream(Root() + "/c/Match/Sub/File.TXT") << "x";
  EXPECT_EQ(platform::NativePath(u"c:\\MATCH/sub\\file.txt"), Root() + "/c/Match/Sub/File.TXT");
  // A missing last part keeps its case below the matched folders.
  EXPECT_EQ(platform::NativePath(u"C:\\match\\SUB\\New.Txt"), Root() + "/c/Match/Sub/New.Txt");
  // Beyond ASCII: full-width letters have a case too.
  std::filesystem::create_directories(Root() + "/c/Match/ＷＩＤＥ");
  EXPECT_EQ(platform::NativePath(u"C:\\Match\\ｗｉｄｅ"), Root() + "/c/Match/ＷＩＤＥ");
}

TEST(NativePath, RelativePathsMatchBelowTheWorkingFolder) {
  std::string dir = qxtest::MakeTempDir("relative");
  std::filesystem::create_directories(dir + "/Rel");
  std::ofstream(dir + "/Rel/File.txt") << "x";
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  EXPECT_EQ(platform::NativePath(u"rel\\FILE.TXT"), "Rel/File.txt");
  EXPECT_EQ(platform::NativePath(u"..\\x"), "../x");
  EXPECT_EQ(platform::NativePath(u"a\\..\\rel"), "Rel");
  ASSERT_EQ(chdir(old), 0);
}

TEST(NamespacePath, GivesDrivePathsBelowTheRoot) {
  EXPECT_EQ(platform::NamespacePath(Root() + "/c/windows/qx.ini"), u"C:\\windows\\qx.ini");
  EXPECT_EQ(platform::NamespacePath(Root() + "/c"), u"C:\\");
  EXPECT_EQ(platform::NamespacePath(Root() + "/unc/srv/share/a"), u"\\\\srv\\share\\a");
  EXPECT_EQ(platform::NamespacePath("/usr/share/x"), u"/usr/share/x");
  EXPECT_EQ(platform::NamespacePath(Root() + "/qx.db"), platform::NamespacePath(Root() + "/qx.db"));
  EXPECT_NE(platform::NamespacePath(Root() + "/qx.db")[1], u':');
}

TEST(MakeParentFolders, CreatesTheWayButNotTheLastPart) {
  std::string native = Root() + "/c/Made/A/B/file.txt";
  ASSERT_TRUE(platform::MakeParentFolders(native));
  struct stat st;
  EXPECT_EQ(stat((Root() + "/c/Made/A/B").c_str(), &st), 0);
  EXPECT_NE(stat(native.c_str(), &st), 0);
}

}  // namespace
