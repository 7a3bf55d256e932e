// The profile functions: names without regard to case, deletion, quotes, cut
// values and lists, Japanese keys, the encodings files come in, and writes that
// keep the rest of a file and never leave half of one.
#include "platform/files/profile.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/root.h"
#include "platform/base/text.h"
#include "platform/files/folders.h"
#include "platform/files/paths.h"
#include "tests/support/temp_root.h"

extern char** environ;

namespace {

std::string ReadNative(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteNative(const std::string& native, const std::string& bytes) {
  std::ofstream(native, std::ios::binary) << bytes;
}

// The UTF-16LE bytes of a text, as the files we create hold them.
std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}
std::string Utf16Be(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

// Each test has its own INI file, named by its native path.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    native_ = qxtest::MakeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
              "/qx.ini";
    file_ = platform::Utf8ToWide(native_);
  }

  std::u16string Get(const char16_t* section, const char16_t* key, const char16_t* def = u"",
                     DWORD size = 256) {
    std::vector<WCHAR> buffer(size + 1, u'#');
    DWORD n = GetPrivateProfileStringW(section, key, def, buffer.data(), size, file_.c_str());
    return std::u16string(buffer.data(), n);
  }
  bool Put(const char16_t* section, const char16_t* key, const char16_t* value) {
    return WritePrivateProfileStringW(section, key, value, file_.c_str()) != FALSE;
  }

  std::string native_;
  std::u16string file_;
};

TEST_F(ProfileTest, SectionsAndKeysIgnoreCase) {
  WriteNative(native_, "[Printer One]\r\nPaperSize=A1\r\n");
  EXPECT_EQ(Get(u"PRINTER ONE", u"papersize"), u"A1");
  // Full-width letters fold too; kana have no case.
  ASSERT_TRUE(Put(u"Printer One", u"ＳＩＺＥ", u"1"));
  EXPECT_EQ(Get(u"printer one", u"ｓｉｚｅ"), u"1");
  // A write in another case changes the existing line and keeps its spelling.
  ASSERT_TRUE(Put(u"printer ONE", u"PAPERSIZE", u"A0"));
  EXPECT_EQ(ReadNative(native_),
            "[Printer One]\r\nPaperSize=A0\r\n" + platform::WideToUtf8(u"ＳＩＺＥ=1\r\n"));
}

TEST_F(ProfileTest, NullValueDeletesKeyAndNullKeyDeletesSection) {
  WriteNative(native_,
              "[A]\r\nx=1\r\ny=2\r\n; about B\r\n[B]\r\nz=3\r\n[a]\r\nx=4\r\n[C]\r\nw=5\r\n");
  ASSERT_TRUE(Put(u"a", u"X", nullptr));  // every x of every [A]
  EXPECT_EQ(Get(u"A", u"x", u"none"), u"none");
  EXPECT_EQ(Get(u"A", u"y"), u"2");
  ASSERT_TRUE(Put(u"B", nullptr, nullptr));
  EXPECT_EQ(Get(u"B", u"z", u"gone"), u"gone");
  EXPECT_EQ(ReadNative(native_), "[A]\r\ny=2\r\n; about B\r\n[a]\r\n[C]\r\nw=5\r\n");
  // Deleting what is not there changes nothing, and a missing file stays missing.
  ASSERT_TRUE(Put(u"Q", u"k", nullptr));
  std::string missing = native_ + ".none";
  EXPECT_TRUE(
      WritePrivateProfileStringW(u"A", nullptr, nullptr, platform::Utf8ToWide(missing).c_str()));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ProfileTest, OnePairOfQuotesAndOuterBlanksAreStripped) {
  struct Case {
    const char* line;
    std::u16string value;
  };
  // clang-format off
  const Case cases[] = {
      {"k=\"quoted\"",        u"quoted"},
      {"k='single'",          u"single"},
      {"k=\"mixed'",          u"\"mixed'"},
      {"k=\"\"",              u""},
      {"k=\"",                u"\""},
      {"k=\"\"twice\"\"",     u"\"twice\""},
      {"k=\"a\"b\"",          u"a\"b"},
      {"  k  =  \" in \"  ",  u" in "},
      {"k = a b \t",          u"a b"},
      {"k==x",                u"=x"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteNative(native_, std::string("[S]\r\n") + c.line + "\r\n");
    EXPECT_EQ(Get(u"S", u"k", u"default"), c.value);
  }
  // The section listing keeps the quotes.
  WriteNative(native_, "[S]\r\n a = \"1\" \r\n;note\r\nb=2\r\n");
  WCHAR buffer[32];
  DWORD n = GetPrivateProfileSectionW(u"s", buffer, 32, file_.c_str());
  EXPECT_EQ(std::u16string(buffer, n + 1), std::u16string(u"a=\"1\"\0b=2\0\0", 11));
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
  WriteNative(native_, "[S]\r\nk=abcdef\r\n");
  struct Case {
    DWORD size;
    std::u16string text;
  };
  const Case cases[] = {{8, u"abcdef"}, {7, u"abcdef"}, {6, u"abcde"}, {2, u"a"}, {1, u""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WCHAR buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    DWORD n = GetPrivateProfileStringW(u"S", u"k", u"", buffer, c.size, file_.c_str());
    EXPECT_EQ(n, c.text.size());  // size - 1 when cut
    EXPECT_EQ(std::u16string(buffer, n), c.text);
    EXPECT_EQ(buffer[n], 0);
    EXPECT_EQ(buffer[c.size], u'#');
  }
}

TEST_F(ProfileTest, ListsOfNamesAreCutWithTwoZeros) {
  WriteNative(native_, "[A]\r\nk1=1\r\nK2=2\r\nk3=3\r\n[BB]\r\n[CCC]\r\n[a]\r\nk4=4\r\n");
  struct Case {
    DWORD size;
    std::u16string list;  // what the buffer holds, with its zeros
    DWORD result;
  };
  // clang-format off
  const Case sections[] = {
      {16, std::u16string(u"A\0BB\0CCC\0\0", 10), 9},  // [a] is [A] again
      {10, std::u16string(u"A\0BB\0CCC\0\0", 10), 9},
      { 9, std::u16string(u"A\0BB\0CC\0\0", 9),   7},  // cut: size - 2
      { 6, std::u16string(u"A\0BB\0\0", 6),       4},
      { 5, std::u16string(u"A\0B\0\0", 5),        3},
      { 2, std::u16string(u"\0\0", 2),            0},
  };
  // clang-format on
  for (const Case& c : sections) {
    SCOPED_TRACE(c.size);
    WCHAR buffer[32];
    DWORD n = GetPrivateProfileStringW(nullptr, u"ignored", u"def", buffer, c.size, file_.c_str());
    EXPECT_EQ(n, c.result);
    EXPECT_EQ(std::u16string(buffer, c.list.size()), c.list);
  }
  WCHAR buffer[32];
  DWORD n = GetPrivateProfileStringW(u"a", nullptr, u"", buffer, 32, file_.c_str());
  EXPECT_EQ(std::u16string(buffer, n + 1), std::u16string(u"k1\0K2\0k3\0k4\0\0", 13));
  n = GetPrivateProfileStringW(u"a", nullptr, u"", buffer, 8, file_.c_str());
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(std::u16string(buffer, 8), std::u16string(u"k1\0K2\0\0\0", 8));
  // A section without keys gives the default instead of a list.
  n = GetPrivateProfileStringW(u"BB", nullptr, u"none  ", buffer, 32, file_.c_str());
  EXPECT_EQ(std::u16string(buffer, n), u"none");
}

TEST_F(ProfileTest, JapaneseKeysAndValuesInANewUtf16File) {
  ASSERT_TRUE(Put(u"QX 4800", u"USERCODEを使用する", u"1"));
  ASSERT_TRUE(Put(u"QX 4800", u"UserCode", u"ﾕｰｻﾞｰ１２３"));
  ASSERT_TRUE(Put(u"MOBRA UserCode", u"MRUUserCode", u"設計部"));
  EXPECT_EQ(Get(u"qx 4800", u"usercodeを使用する"), u"1");
  EXPECT_EQ(Get(u"QX 4800", u"USERCODE使用確定フラグ", u"0"), u"0");
  EXPECT_EQ(Get(u"QX 4800", u"UserCode"), u"ﾕｰｻﾞｰ１２３");
  EXPECT_EQ(GetPrivateProfileIntW(u"QX 4800", u"USERCODEを使用する", 0, file_.c_str()), 1u);
  // A file we create: UTF-16LE with its mark, CRLF line ends, new section last.
  EXPECT_EQ(ReadNative(native_), "\xFF\xFE" + Utf16Le(u"[QX 4800]\r\n"
                                                      u"USERCODEを使用する=1\r\n"
                                                      u"UserCode=ﾕｰｻﾞｰ１２３\r\n"
                                                      u"[MOBRA UserCode]\r\n"
                                                      u"MRUUserCode=設計部\r\n"));
}

TEST_F(ProfileTest, Utf8FilesAreReadAndWrittenAsUtf8) {
  // With its mark, CRLF.
  WriteNative(native_, "\xEF\xBB\xBF; 設定\r\n[S]\r\nname=日本語\r\n\r\n[T]\r\nx=1\r\n");
  EXPECT_EQ(Get(u"S", u"name"), u"日本語");
  ASSERT_TRUE(Put(u"S", u"新", u"値"));
  EXPECT_EQ(ReadNative(native_),
            "\xEF\xBB\xBF; 設定\r\n[S]\r\nname=日本語\r\n新=値\r\n\r\n[T]\r\nx=1\r\n");
  // Without a mark, LF line ends: the lines we do not touch keep theirs.
  WriteNative(native_, "[S]\nname=日本語\n[T]\nx=1");
  ASSERT_TRUE(Put(u"T", u"y", u"2"));
  ASSERT_TRUE(Put(u"S", u"name", u"英語"));
  EXPECT_EQ(ReadNative(native_), "[S]\nname=英語\r\n[T]\nx=1\r\ny=2\r\n");
}

TEST_F(ProfileTest, AnsiFilesAreReadAndWrittenInTheAnsiPage) {
  // Shift-JIS (the ANSI page here): 日本 is 93 FA 96 7B, not valid UTF-8.
  WriteNative(native_, "[S]\r\nname=\x93\xFA\x96\x7B\r\n");
  EXPECT_EQ(Get(u"S", u"name"), u"日本");
  ASSERT_TRUE(Put(u"S", u"k", u"テスト"));
  EXPECT_EQ(ReadNative(native_), "[S]\r\nname=\x93\xFA\x96\x7B\r\nk=\x83\x65\x83\x58\x83\x67\r\n");
}

TEST_F(ProfileTest, Utf16FilesKeepTheirByteOrderAndOddBytes) {
  WriteNative(native_, "\xFE\xFF" + Utf16Be(u"[S]\r\n;c\r\nk=値\r\n"));
  EXPECT_EQ(Get(u"S", u"k"), u"値");
  ASSERT_TRUE(Put(u"S", u"n", u"1"));
  EXPECT_EQ(ReadNative(native_), "\xFE\xFF" + Utf16Be(u"[S]\r\n;c\r\nk=値\r\nn=1\r\n"));
  // An odd last byte (bytes appended to a UTF-16 file) survives a write.
  WriteNative(native_, "\xFF\xFE" + Utf16Le(u"[S]\r\nk=1\r\n") + "z");
  ASSERT_TRUE(Put(u"S", u"k", u"2"));
  EXPECT_EQ(ReadNative(native_), "\xFF\xFE" + Utf16Le(u"[S]\r\nk=2\r\n") + "z");
}

TEST_F(ProfileTest, WritesKeepOtherLinesAndOrder) {
  const std::string before =
      "; header comment\r\n"
      "loose=line\r\n"
      "[First]\r\n"
      "a=1\r\n"
      "  b = 2  \r\n"
      "\r\n"
      "; about Second\r\n"
      "[Second]\r\n"
      "c=3";
  WriteNative(native_, before);
  ASSERT_TRUE(Put(u"First", u"new", u"n"));  // after the last key of its section
  ASSERT_TRUE(Put(u"Second", u"d", u"4"));   // after a last line without line end
  ASSERT_TRUE(Put(u"Third", u"e", u"5"));    // a new section at the end
  ASSERT_TRUE(Put(u"First", u"a", u"1"));    // the same value: nothing changes
  EXPECT_EQ(ReadNative(native_),
            "; header comment\r\n"
            "loose=line\r\n"
            "[First]\r\n"
            "a=1\r\n"
            "  b = 2  \r\n"
            "new=n\r\n"
            "\r\n"
            "; about Second\r\n"
            "[Second]\r\n"
            "c=3\r\n"
            "d=4\r\n"
            "[Third]\r\n"
            "e=5\r\n");
  // Keys before the first section belong to none.
  EXPECT_EQ(Get(u"", u"loose", u"none"), u"none");
}

TEST_F(ProfileTest, MissingFilesKeysAndFolders) {
  std::u16string missing = file_ + u".none";
  WCHAR buffer[16];
  DWORD n = GetPrivateProfileStringW(u"S", u"k", u"def \t ", buffer, 16, missing.c_str());
  EXPECT_EQ(std::u16string(buffer, n), u"def");  // trailing blanks of the default go
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  n = GetPrivateProfileStringW(u"S", u"k", nullptr, buffer, 16, missing.c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(GetPrivateProfileIntW(u"S", u"k", 0x7FFFFFFF, missing.c_str()), 0x7FFFFFFFu);
  n = GetPrivateProfileStringW(u"S", u"k", u"abcdefgh", buffer, 4, missing.c_str());
  EXPECT_EQ(std::u16string(buffer, n), u"abc");
  EXPECT_EQ(GetPrivateProfileSectionW(u"S", buffer, 16, missing.c_str()), 0u);
  EXPECT_EQ(buffer[0], 0);
  std::u16string noFolder = file_ + u".d/none/x.ini";
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"v", noFolder.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(ProfileTest, IntegersAsThePlatformReadsThem) {
  struct Case {
    const char* value;
    UINT result;
  };
  // clang-format off
  const Case cases[] = {
      {"12",     12},   {"-5",   static_cast<UINT>(-5)}, {"+7",        7},
      {"12abc",  12},   {"abc",  0},                     {"\"34\"",    34},
      {" 56 ",   56},   {"",     99},                    {"4294967297", 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    WriteNative(native_, std::string("[S]\r\nk=") + c.value + "\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"S", u"K", 99, file_.c_str()), c.result);
  }
}

TEST_F(ProfileTest, BareFileNamesLiveInTheWindowsFolder) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", u"qxbare.ini"));
  EXPECT_TRUE(std::filesystem::exists(platform::RootPath() + "/c/windows/qxbare.ini"));
  WCHAR buffer[8];
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buffer, 8, u"C:\\Windows\\QXBARE.INI"), 1u);
  EXPECT_EQ(buffer[0], u'v');
}

TEST_F(ProfileTest, ReplacingKeepsPermissionsAndRefusesReadOnlyFiles) {
  WriteNative(native_, "[S]\r\nk=1\r\n");
  ASSERT_EQ(chmod(native_.c_str(), 0666), 0);
  struct stat before, after;
  ASSERT_EQ(stat(native_.c_str(), &before), 0);
  ASSERT_TRUE(Put(u"S", u"k", u"2"));
  ASSERT_EQ(stat(native_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
  EXPECT_EQ(after.st_mode & 0777, 0666u);
  ASSERT_EQ(chmod(native_.c_str(), 0444), 0);
  EXPECT_FALSE(Put(u"S", u"k", u"3"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get(u"S", u"k"), u"2");
  // Nothing but the file and its lock file is left in the folder.
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(native_).parent_path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".qx.ini.lock", "qx.ini"}));
}

TEST_F(ProfileTest, ConcurrentWritersAllLand) {
  constexpr int kThreads = 4;
  constexpr int kKeys = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < kKeys; ++k) {
        std::u16string key =
            platform::Utf8ToWide("t" + std::to_string(t) + "k" + std::to_string(k));
        WritePrivateProfileStringW(u"S", key.c_str(), u"v", file_.c_str());
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int k = 0; k < kKeys; ++k) {
      std::u16string key = platform::Utf8ToWide("t" + std::to_string(t) + "k" + std::to_string(k));
      EXPECT_EQ(Get(u"S", key.c_str()), u"v") << platform::WideToUtf8(key);
    }
  }
}

// Run by the test below in a second process: writes keys c0..c39 into the file
// named by $QX_PROFILE_CHILD_FILE.
TEST(ProfileChild, WritesKeys) {
  const char* file = std::getenv("QX_PROFILE_CHILD_FILE");
  if (file == nullptr) GTEST_SKIP() << "only run as the second process";
  std::u16string path = platform::Utf8ToWide(file);
  for (int k = 0; k < 40; ++k) {
    std::u16string key = platform::Utf8ToWide("c" + std::to_string(k));
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", key.c_str(), u"child", path.c_str()));
  }
}

TEST_F(ProfileTest, WritersInTwoProcessesAllLand) {
  setenv("QX_PROFILE_CHILD_FILE", native_.c_str(), 1);
  char exe[] = "/proc/self/exe";
  char filter[] = "--gtest_filter=ProfileChild.WritesKeys";
  char* argv[] = {exe, filter, nullptr};
  pid_t child = 0;
  int spawned = posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ);
  unsetenv("QX_PROFILE_CHILD_FILE");
  ASSERT_EQ(spawned, 0);
  for (int k = 0; k < 40; ++k) {
    std::u16string key = platform::Utf8ToWide("p" + std::to_string(k));
    ASSERT_TRUE(Put(u"S", key.c_str(), u"parent"));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int k = 0; k < 40; ++k) {
    EXPECT_EQ(Get(u"S", platform::Utf8ToWide("p" + std::to_string(k)).c_str()), u"parent");
    EXPECT_EQ(Get(u"S", platform::Utf8ToWide("c" + std::to_string(k)).c_str()), u"child");
  }
}

}  // namespace
