// Job-binder jobs from the render library's side: the job-binder block, the
// blocks that follow a start block of the job-binder mode, data that must not
// look like a block, and whole jobs through the engine and the spool filter
// into a job-binder file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/engine/device_context.h"
#include "render/jobcontrol/job_blocks.h"
#include "render/jobcontrol/job_header.h"
#include "render/jobcontrol/job_test_support.h"
#include "render/jobcontrol/merge_header.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/byte_order.h"
#include "settings/device_info_file.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
std::uint32_t WordAt(const std::string& bytes, std::size_t offset) {
  return settings::LoadU32(bytes.data() + offset);
}
std::string Utf16(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// The printer's job-binder keys in qxw4gl.ini.
struct BinderKeys {
  std::u16string file = settings::DeviceInfoFilePath(false);
  std::u16string section;
  explicit BinderKeys(const std::u16string& printer) : section(printer) {}
  void Set(const char16_t* key, const std::u16string& value) {
    WritePrivateProfileStringW(section.c_str(), key, value.c_str(), file.c_str());
  }
  UINT Send() const { return GetPrivateProfileIntW(section.c_str(), u"QBXSEND", 9, file.c_str()); }
};

TEST(JobBinder, BlockSlotsAreCutAndTerminated) {
  TestPrinter zq1("089", u"ZQ1 binder block");
  BinderKeys keys(zq1.name);
  std::u16string longPath = u"C:\\" + std::u16string(297, u'p');  // 300 characters
  keys.Set(u"JobMergePath", longPath);
  keys.Set(u"JobMergeFile", u"計画図");
  RecordedJob job(zq1);
  static WCHAR document[300];
  std::fill(std::begin(document), std::end(document) - 1, u'd');
  job.dc().documentName = document;
  unsigned char block[kJobBinderBlockSize];
  std::memset(block, 0xCC, sizeof block);
  BuildJobBinderBlock(job.dc(), block);
  job.dc().documentName = nullptr;
  std::string expected(kJobBinderBlockSize, '\0');
  expected.replace(0, 510, Utf16(longPath.substr(0, 255)));
  expected.replace(512, 6, Utf16(u"計画図"));
  expected.replace(1024, 510, Utf16(std::u16string(255, u'd')));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), sizeof block), expected);
}

TEST(JobBinder, StartBlockOfTheJobBinderModeBringsBothBlocks) {
  TestPrinter zq1("089", u"ZQ1 binder blocks");
  BinderKeys keys(zq1.name);
  keys.Set(u"QBXSEND", u"1");
  keys.Set(u"QBXSEND_RESET", u"1");
  keys.Set(u"JobMergePath", u"C:\\QBX");
  RecordedJob job(zq1);
  ASSERT_NE(job.dc().filter, nullptr);  // the filter beside the render library
  job.dc().filterJob = 1;
  SendStartBlocks(job.dc(), true);
  FlushOutput(job.dc().output);
  ASSERT_EQ(job.recorder.transfers.size(), 3u);
  EXPECT_EQ(job.recorder.transfers[0], StartBlock(2));
  EXPECT_EQ(job.recorder.transfers[1].size(), kJobBinderBlockSize);
  EXPECT_EQ(job.recorder.transfers[1].substr(0, 14), Utf16(u"C:\\QBX") + std::string(2, '\0'));
  unsigned char header[kMergeHeaderSize];
  BuildMergeHeader(job.dc(), header);
  EXPECT_EQ(job.recorder.transfers[2], std::string(reinterpret_cast<char*>(header), 380));
  // The one-time request was taken back: the next document prints and logs.
  EXPECT_EQ(keys.Send(), 0u);
  WriteJobTrailer(job.dc());
  job.Take();
  SendStartBlocks(job.dc(), true);
  EXPECT_EQ(job.Take(), StartBlock(4));
  job.dc().filterJob = 0;
}

// Print data of a block's size that begins with the block's word goes out with
// its first byte apart, so that the filter never takes it for the block.
TEST(JobBinder, DataNeverLooksLikeAFilterBlock) {
  TestPrinter zq1("089", u"ZQ1 block lookalikes");
  RecordedJob job(zq1);
  std::string log = std::string("\x00\x67\x6F\x4C", 4) + std::string(2644, 'l');
  std::string trailer = "LIAT" + std::string(72, 't');
  std::string other(2648, 'x');
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::size_t> sizes;
  };
  const Case kCases[] = {
      {"log block lookalike", log, {1, 2647}},
      {"trailer lookalike", trailer, {1, 75}},
      {"other data of the log size", other, {2648}},
      {"trailer word in a longer piece", trailer + "x", {77}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    WriteBytes(job.dc().output, c.bytes.data(), c.bytes.size());
    FlushOutput(job.dc().output);
    std::vector<std::size_t> sizes;
    for (const std::string& t : job.recorder.transfers) sizes.push_back(t.size());
    EXPECT_EQ(sizes, c.sizes);
    EXPECT_EQ(job.Take(), c.bytes);  // the stream is unchanged
  }
  // The blocks themselves go out whole.
  SendBlock(job.dc(), reinterpret_cast<const unsigned char*>(log.data()), log.size());
  SendBlock(job.dc(), reinterpret_cast<const unsigned char*>(trailer.data()), trailer.size());
  ASSERT_EQ(job.recorder.transfers.size(), 2u);
  EXPECT_EQ(job.recorder.transfers[0], log);
  EXPECT_EQ(job.recorder.transfers[1], trailer);
}

// A whole job-binder job on the ZQ1 through the engine and the spool filter.
struct BinderJob : ::testing::Test {
  std::unique_ptr<TestPrinter> printer;
  std::unique_ptr<BinderKeys> keys;
  std::string folder;
  FixedClock clock;

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    printer = std::make_unique<TestPrinter>("089", platform::Utf8ToWide("ZQ1 " + name).c_str());
    keys = std::make_unique<BinderKeys>(printer->name);
    folder = qxtest::MakeTempDir("binder-" + name) + "/QBX-W";  // made by the filter
    keys->Set(u"QBXSEND", u"1");
    keys->Set(u"QBXSEND_RESET", u"1");
    keys->Set(u"JobMergePath", platform::Utf8ToWide(folder));
    platform::test::SetMessageBoxesQuiet(true);
    platform::test::ClearMessageBoxes();
    platform::test::CapturePrinterOutput(true);
  }
  void TearDown() override { platform::test::CapturePrinterOutput(false); }
  std::string Printed() {
    std::string all;
    for (const auto& job : platform::test::CapturedJobs())
      all.append(job.bytes.begin(), job.bytes.end());
    return all;
  }
  // A document of `pages` empty pages; with `resetAfter` new settings are
  // applied after that many pages.
  void Print(const char16_t* name, int pages, int resetAfter = -1) {
    auto dc = platform::engine::DeviceContext::Open(printer->name, nullptr);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_TRUE(dc->StartDocument(name));
    for (int page = 0; page < pages; ++page) {
      if (page == resetAfter) {
        ASSERT_TRUE(dc->Reset(nullptr));
      }
      ASSERT_TRUE(dc->StartPage());
      ASSERT_TRUE(dc->EndPage());
    }
    ASSERT_TRUE(dc->EndDocument());
  }
};

TEST_F(BinderJob, FileHoldsHeaderAndStreamAndTheNextJobPrints) {
  Print(u"Site plan", 2);
  EXPECT_EQ(Printed(), "");
  std::string file = ReadAll(fs::path(folder) / "Site plan.QBX");
  ASSERT_GT(file.size(), kMergeHeaderSize);
  EXPECT_EQ(file.substr(0, 24), std::string("MOBRA merge file header\0", 24));
  EXPECT_EQ(WordAt(file, merge::kPageCount), 2u);    // from the trailer block
  EXPECT_EQ(WordAt(file, merge::kTrailerFlag), 0u);  // no trailer flags
  EXPECT_EQ(WordAt(file, merge::kTail), 2u);
  // Variant A: no PJL part, the language switch first; the job-binder end in
  // place of the closing commands, no emulation return, no blocks.
  std::string stream = file.substr(kMergeHeaderSize);
  EXPECT_EQ(stream.rfind("\x1B\x12!-1,1,2@GL2\x1B MS-1,6,11,3;", 0), 0u);
  EXPECT_EQ(stream.find("@PJL"), std::string::npos);
  const std::string end = "\x1B\x12!1@R00\x1B ";
  ASSERT_GE(stream.size(), end.size());
  EXPECT_EQ(stream.substr(stream.size() - end.size()), end);
  EXPECT_EQ(stream.find("LIAT"), std::string::npos);
  EXPECT_TRUE(platform::test::MessageBoxes().empty());
  // With the one-time request used, the next job reaches the printer.
  Print(u"Site plan", 1);
  EXPECT_EQ(Printed().rfind("\x1B%-12345X@PJL\n", 0), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(BinderJob, ResetInTheDocumentKeepsTheJobsFile) {
  Print(u"Reset plan", 3, 1);
  EXPECT_EQ(Printed(), "");
  std::string file = ReadAll(fs::path(folder) / "Reset plan.QBX");
  ASSERT_GT(file.size(), kMergeHeaderSize);
  EXPECT_EQ(WordAt(file, merge::kPageCount), 3u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A reset keeps the document's own filter job even when another job of the
// process started after it.
TEST_F(BinderJob, ResetKeepsItsOwnJobWhenAnotherStartedSince) {
  TestPrinter second("089", u"ZQ1 second binder printer");
  BinderKeys secondKeys(second.name);
  secondKeys.Set(u"QBXSEND", u"1");
  secondKeys.Set(u"JobMergePath", platform::Utf8ToWide(folder));
  auto first = platform::engine::DeviceContext::Open(printer->name, nullptr);
  auto other = platform::engine::DeviceContext::Open(second.name, nullptr);
  ASSERT_TRUE(first && other);
  ASSERT_TRUE(first->StartDocument(u"First"));
  ASSERT_TRUE(first->StartPage());
  ASSERT_TRUE(first->EndPage());
  ASSERT_TRUE(other->StartDocument(u"Second"));
  ASSERT_TRUE(other->StartPage());
  ASSERT_TRUE(other->EndPage());
  ASSERT_TRUE(first->Reset(nullptr));
  for (int page = 0; page < 2; ++page) {
    ASSERT_TRUE(first->StartPage());
    ASSERT_TRUE(first->EndPage());
  }
  ASSERT_TRUE(first->EndDocument());
  ASSERT_TRUE(other->EndDocument());
  std::string firstFile = ReadAll(fs::path(folder) / "First.QBX");
  std::string secondFile = ReadAll(fs::path(folder) / "Second.QBX");
  ASSERT_GT(firstFile.size(), kMergeHeaderSize);
  ASSERT_GT(secondFile.size(), kMergeHeaderSize);
  EXPECT_EQ(WordAt(firstFile, merge::kPageCount), 3u);
  EXPECT_EQ(WordAt(secondFile, merge::kPageCount), 1u);
  auto pages = [](const std::string& s) {
    std::size_t n = 0;
    for (std::size_t at = s.find("PG;"); at != std::string::npos; at = s.find("PG;", at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(pages(firstFile), 3u);
  EXPECT_EQ(pages(secondFile), 1u);
}

// A spool filter that gives a document no job: the document prints as if
// there were no filter, and no other filter function is called.
namespace refusing {
int calls = 0;
HANDLE WINAPI StartDoc(HANDLE, DWORD) { return nullptr; }
HANDLE WINAPI LatestDoc() { return ++calls, nullptr; }
BOOL WINAPI Write(HANDLE, LPVOID, DWORD, LPDWORD) { return ++calls, FALSE; }
BOOL WINAPI JobCall(HANDLE) { return ++calls, FALSE; }
void WINAPI JobEnd(HANDLE) { ++calls; }
}  // namespace refusing

TEST_F(BinderJob, FilterWithoutAJobLeavesThePrinterTheJob) {
  const platform::ModuleExport kExports[] = {
      {"DrvSplStartDoc", reinterpret_cast<FARPROC>(&refusing::StartDoc)},
      {"DrvSplWritePrinter", reinterpret_cast<FARPROC>(&refusing::Write)},
      {"DrvSplStartPage", reinterpret_cast<FARPROC>(&refusing::JobCall)},
      {"DrvSplEndPage", reinterpret_cast<FARPROC>(&refusing::JobCall)},
      {"DrvSplEndDoc", reinterpret_cast<FARPROC>(&refusing::JobEnd)},
      {"DrvSplAbort", reinterpret_cast<FARPROC>(&refusing::JobEnd)},
      {"DrvSplClose", reinterpret_cast<FARPROC>(&refusing::JobEnd)},
      {"MyDrvSplStartDoc", reinterpret_cast<FARPROC>(&refusing::LatestDoc)},
  };
  platform::RegisterModule(u"QX48UM64", kExports, std::size(kExports), nullptr);
  refusing::calls = 0;
  Print(u"No filter job", 2, 1);  // with a reset after the first page
  platform::UnregisterModule(u"QX48UM64");
  EXPECT_EQ(refusing::calls, 0);
  // The start block goes out as the header writes it; the job follows.
  std::string printed = Printed();
  EXPECT_EQ(printed.substr(0, 36), StartBlock(4));
  EXPECT_EQ(printed.find("\x1B%-12345X@PJL\n"), 36u);
  EXPECT_FALSE(fs::exists(folder));
  // The request stays for a job that can be saved.
  EXPECT_EQ(keys->Send(), 1u);
}

// A document that never ends still gives its filter job back when the device
// goes: the job-binder file is closed with its first header.
TEST_F(BinderJob, DisabledDeviceAbortsTheUnfinishedDocument) {
  {
    Enabled e(*printer, nullptr);
    ASSERT_NE(e.dc, nullptr);
    SurfaceFor surface(e);
    std::u16string name = u"Unfinished";
    SpoolerJob spoolerJob(printer->handle, name.c_str());
    ASSERT_TRUE(DrvStartDoc(&surface.so, name.data(), spoolerJob.id));
    ASSERT_TRUE(DrvStartPage(&surface.so));
    ASSERT_TRUE(DrvSendPage(&surface.so));
  }
  fs::path path = fs::path(folder) / "Unfinished.QBX";
  std::string file = ReadAll(path);
  ASSERT_GE(file.size(), kMergeHeaderSize);
  EXPECT_EQ(file.substr(0, 24), std::string("MOBRA merge file header\0", 24));
  EXPECT_EQ(WordAt(file, merge::kPageCount), 0u);
  // Nothing holds the file open any more.
  HANDLE again = CreateFileW(platform::Utf8ToWide(path.string()).c_str(), GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
}

}  // namespace
