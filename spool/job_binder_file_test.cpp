// Tests of job-binder file naming and creation.
#include "spool/job_binder_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "spool/spool_context.h"
#include "tests/support/temp_root.h"

namespace spool {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::u16string Wide(const std::string& utf8) { return platform::Utf8ToWide(utf8); }

struct BinderFolder : ::testing::Test {
  std::string folder;
  unsigned char header[kMergeHeaderSize] = {};
  void SetUp() override {
    folder = qxtest::MakeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    for (std::size_t i = 0; i < kMergeHeaderSize; ++i) header[i] = static_cast<unsigned char>(i);
    platform::test::ClearMessageBoxes();
    platform::test::SetMessageBoxesQuiet(true);
  }
  HANDLE Create(const std::u16string& fileName, const std::u16string& document) {
    return CreateJobBinderFile(Wide(folder), fileName, document, header);
  }
  // Creates and closes; true when a file was made.
  bool CreateAndClose(const std::u16string& fileName, const std::u16string& document) {
    HANDLE file = Create(fileName, document);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
  std::u16string LastMessage() const {
    auto boxes = platform::test::MessageBoxes();
    return boxes.empty() ? std::u16string() : boxes.back().text;
  }
  std::size_t Messages() const { return platform::test::MessageBoxes().size(); }
};

TEST_F(BinderFolder, DocumentNameWithForbiddenCharacters) {
  ASSERT_TRUE(CreateAndClose(u"", u"a\\b/c:d,e;f*g?h\"i<j>k|l"));
  fs::path expected = fs::path(folder) / fs::u8path(u8"a￥b／c：d，e；f＊g？h”i＜j＞k｜l.QBX");
  ASSERT_TRUE(fs::exists(expected));
  // The file begins with the merge header as given.
  EXPECT_EQ(ReadAll(expected), std::string(reinterpret_cast<char*>(header), kMergeHeaderSize));
  EXPECT_EQ(Messages(), 0u);
  // Only those eleven are replaced.
  EXPECT_EQ(FileNameOfDocument(u"図面 (1).dwg"), u"図面 (1).dwg");
}

TEST_F(BinderFolder, TakenDocumentNamesAreNumberedUntilTheFolderIsFull) {
  ASSERT_TRUE(CreateAndClose(u"", u"report"));
  ASSERT_TRUE(CreateAndClose(u"", u"report"));
  ASSERT_TRUE(CreateAndClose(u"", u"report"));
  EXPECT_TRUE(fs::exists(fs::path(folder) / "report.QBX"));
  EXPECT_TRUE(fs::exists(fs::path(folder) / "report00.QBX"));
  EXPECT_TRUE(fs::exists(fs::path(folder) / "report01.QBX"));
  for (int n = 2; n < 99; ++n) ASSERT_TRUE(CreateAndClose(u"", u"report")) << n;
  EXPECT_EQ(Messages(), 0u);
  // The hundredth number is the last free name.
  ASSERT_TRUE(CreateAndClose(u"", u"report"));
  EXPECT_TRUE(fs::exists(fs::path(folder) / "report99.QBX"));
  EXPECT_FALSE(CreateAndClose(u"", u"report"));
  EXPECT_EQ(LastMessage(), u"ファイルがいっぱいになりました。\nファイルの作成に失敗しました。");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 101);
}

TEST_F(BinderFolder, ChosenNameIsNeverOverwrittenOrNumbered) {
  std::ofstream(fs::path(folder) / "plan.QBX", std::ios::binary) << "earlier job";
  EXPECT_FALSE(CreateAndClose(u"plan", u"ignored"));
  EXPECT_EQ(LastMessage(), u"ﾌｧｲﾙ名がすでに存在するため Quillbox 保存は中止します。");
  EXPECT_EQ(ReadAll(fs::path(folder) / "plan.QBX"), "earlier job");
  EXPECT_FALSE(fs::exists(fs::path(folder) / "plan00.QBX"));
  EXPECT_FALSE(fs::exists(fs::path(folder) / "ignored.QBX"));
  // A free chosen name is taken as it is.
  ASSERT_TRUE(CreateAndClose(u"site", u"ignored"));
  EXPECT_EQ(ReadAll(fs::path(folder) / "site.QBX").size(), kMergeHeaderSize);
}

TEST_F(BinderFolder, ChosenNamesThatLeadElsewhereAreRefused) {
  fs::create_directories(fs::path(folder) / "inner");
  const char16_t* kNames[] = {u"..\\escape", u"../escape", u"inner\\x", u"c:x", u"a|b"};
  for (const char16_t* name : kNames) {
    platform::test::ClearMessageBoxes();
    EXPECT_FALSE(CreateAndClose(name, u"doc"));
    EXPECT_EQ(LastMessage(), u"ファイルの作成に失敗しました。");
  }
  EXPECT_TRUE(fs::is_empty(fs::path(folder) / "inner"));
  EXPECT_FALSE(fs::exists(fs::path(folder).parent_path() / "escape.QBX"));
}

TEST_F(BinderFolder, MissingFolderIsCreatedWithItsParents) {
  std::string deep = folder + "/one/two/three";
  HANDLE file = CreateJobBinderFile(Wide(deep), u"", u"drawing", header);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(ReadAll(fs::path(deep) / "drawing.QBX").size(), kMergeHeaderSize);
  // A folder of the Windows namespace, from the drive on (the Windows folder
  // is there on an installed system).
  WCHAR windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  file = CreateJobBinderFile(u"C:\\WINDOWS\\qbx-chain\\four\\five", u"chosen", u"", header);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(fs::exists(fs::path(platform::NativePath(windows)) / "qbx-chain" / "four" / "five" /
                         "chosen.QBX"));
}

TEST_F(BinderFolder, FolderThatCannotBeMadeFails) {
  std::ofstream(fs::path(folder) / "blocker", std::ios::binary) << "a file, not a folder";
  EXPECT_FALSE(CreateJobBinderFile(Wide(folder + "/blocker/sub"), u"x", u"", header) !=
               INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastMessage(), u"ファイルの作成に失敗しました。");
}

TEST_F(BinderFolder, LongPaths) {
  std::u16string base = Wide(folder) + u"\\";
  // A chosen name whose path reaches 256 characters is refused with a message.
  std::u16string chosen(256 - base.size() - 4, u'n');
  EXPECT_FALSE(CreateAndClose(chosen, u""));
  EXPECT_EQ(LastMessage(), u"フルパスが長すぎます。");
  chosen.pop_back();
  EXPECT_TRUE(CreateAndClose(chosen, u""));
  // A document name too long for a path gives no file and no message.
  platform::test::ClearMessageBoxes();
  std::u16string document(256 - base.size() - 4, u'd');
  EXPECT_FALSE(CreateAndClose(u"", document));
  EXPECT_EQ(Messages(), 0u);
}

}  // namespace
}  // namespace spool
