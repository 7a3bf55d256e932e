// Tests of the spool filter's entry points and its in-band block protocol.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/spooler/spooler_test_support.h"
#include "spool/spool_context.h"
#include "tests/support/temp_root.h"

QX_EXPORT HANDLE WINAPI DrvSplStartDoc(HANDLE printer, DWORD jobId);
QX_EXPORT HANDLE WINAPI MyDrvSplStartDoc();
QX_EXPORT BOOL WINAPI DrvSplStartPage(HANDLE context);
QX_EXPORT BOOL WINAPI DrvSplWritePrinter(HANDLE context, LPVOID bytes, DWORD count,
                                         LPDWORD written);
QX_EXPORT BOOL WINAPI DrvSplEndPage(HANDLE context);
QX_EXPORT void WINAPI DrvSplEndDoc(HANDLE context);
QX_EXPORT void WINAPI DrvSplAbort(HANDLE context);
QX_EXPORT void WINAPI DrvSplClose(HANDLE context);

namespace spool {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Word(DWORD v) {
  unsigned char b[4];
  StoreU32(b, v);
  return std::string(reinterpret_cast<char*>(b), 4);
}
DWORD WordAt(const std::string& bytes, std::size_t offset) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data()) + offset);
}

std::string StartBlock(DWORD mode) {
  std::string block = Word(mode);
  for (int i = 0; i < 8; ++i) block += Word(kStartBlockFill);
  return block;
}

// The job-binder block: three UTF-16 texts in 512-byte slots.
std::string JobBinderBlock(const std::u16string& folder, const std::u16string& file,
                           const std::u16string& document) {
  std::string block(kJobBinderBlockSize, '\0');
  const std::u16string* texts[] = {&folder, &file, &document};
  for (int i = 0; i < 3; ++i) {
    std::size_t bytes = std::min<std::size_t>(texts[i]->size() * 2, 512);
    std::memcpy(block.data() + 512 * i, texts[i]->data(), bytes);
  }
  return block;
}

// A merge header whose unrelated bytes are recognisable; offset 292 as given.
std::string MergeHeader(DWORD orientation) {
  std::string header(kMergeHeaderSize, '\0');
  std::memcpy(header.data(), "MOBRA merge file header", 23);
  header.replace(32, 4, Word(101));
  header.replace(292, 4, Word(orientation));
  header.replace(300, 4, Word(8));
  header.replace(320, 4, Word(2));
  return header;
}

std::string TrailerBlock(DWORD flags, DWORD pages) {
  std::string block(kTrailerBlockSize, '\0');
  block.replace(0, 4, Word(kTrailerMagic));
  block.replace(4, 4, Word(flags));
  block.replace(8, 4, Word(pages));
  return block;
}

// A printer whose port is a file, one spooler job on it and the filter's
// context for that job.
struct FilterJob : ::testing::Test {
  std::string dir;
  std::string portFile;
  std::unique_ptr<spooltest::ScopedPrinter> printer;
  HANDLE handle = nullptr;
  DWORD jobId = 0;
  HANDLE context = nullptr;

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir = qxtest::MakeTempDir("filter-" + name);
    portFile = dir + "/port.prn";
    platform::PrinterRecord record = spooltest::MakePrinter(platform::Utf8ToWide("F " + name));
    record.portName = platform::Utf8ToWide("file:" + portFile);
    printer = std::make_unique<spooltest::ScopedPrinter>(record);
    handle = printer->Open(PRINTER_ALL_ACCESS);
    ASSERT_NE(handle, nullptr);
    std::u16string document = u"spooled drawing";
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    jobId = StartDocPrinterW(handle, 1, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(jobId, 0u);
    context = DrvSplStartDoc(handle, jobId);
    ASSERT_NE(context, nullptr);
    platform::test::ClearMessageBoxes();
    platform::test::SetMessageBoxesQuiet(true);
  }
  void TearDown() override {
    if (context) DrvSplClose(context);
  }
  BOOL Write(const std::string& bytes, DWORD* written = nullptr) {
    DWORD count = 0xDEAD;
    BOOL ok = DrvSplWritePrinter(context, const_cast<char*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size()), &count);
    EXPECT_EQ(count, bytes.size());
    if (written) *written = count;
    return ok;
  }
  // Ends the filter's job and the spooler's, and returns what reached the port.
  std::string Printed() {
    DrvSplEndDoc(context);
    DrvSplClose(context);
    context = nullptr;
    EndDocPrinter(handle);
    return ReadAll(portFile);
  }
  // Starts a job-binder job: start block, job-binder block, merge header.
  void StartJobBinder(const std::u16string& file, DWORD orientation = 0) {
    ASSERT_TRUE(Write(StartBlock(kModeJobBinder)));
    ASSERT_TRUE(Write(JobBinderBlock(platform::Utf8ToWide(dir), file, u"block document")));
    ASSERT_TRUE(Write(MergeHeader(orientation)));
  }
};

TEST_F(FilterJob, PrintJobPassesEveryByteUnchanged) {
  ASSERT_TRUE(Write(StartBlock(kModePrint)));
  std::string large(5000, 'r');
  // Data that looks like the other blocks is data in a print job.
  std::string logLike = Word(kLogMagic) + std::string(kLogBlockSize - 4, 'L');
  std::string trailerLike = TrailerBlock(3, 9);
  std::string pieces[] = {"\x1B%-12345X", large, logLike, trailerLike, StartBlock(kModePrint)};
  std::string all;
  for (const std::string& p : pieces) {
    EXPECT_TRUE(DrvSplStartPage(context));
    EXPECT_TRUE(Write(p));
    EXPECT_TRUE(DrvSplEndPage(context));
    all += p;
  }
  EXPECT_EQ(Printed(), all);
}

// A job whose first write is not exactly a start block never sent one: it
// prints whole, that write included.
TEST_F(FilterJob, FirstWriteThatIsNoStartBlockIsData) {
  std::string notStart = StartBlock(kModeJobBinder);
  notStart[4] = 0;  // a fill word broken
  ASSERT_TRUE(Write(notStart));
  ASSERT_TRUE(Write(JobBinderBlock(u"/tmp", u"x", u"y")));
  ASSERT_TRUE(Write(MergeHeader(0)));
  EXPECT_EQ(Printed(), notStart + JobBinderBlock(u"/tmp", u"x", u"y") + MergeHeader(0));
  EXPECT_TRUE(platform::test::MessageBoxes().empty());
}

TEST_F(FilterJob, ShortOrUnknownFirstWritesPrint) {
  struct Case {
    const char* name;
    std::string first;
  };
  const Case kCases[] = {
      {"one byte of a mode", std::string("\x02", 1)},
      {"start block one byte short", StartBlock(kModeJobBinder).substr(0, 35)},
      {"start block of an unknown mode", StartBlock(1)},
      {"start block with a byte more", StartBlock(kModeJobBinder) + "x"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    HANDLE job = DrvSplStartDoc(handle, jobId);
    DWORD written = 0;
    std::string bytes = c.first;
    EXPECT_TRUE(DrvSplWritePrinter(job, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    EXPECT_EQ(written, bytes.size());
    DrvSplEndDoc(job);
    DrvSplClose(job);
  }
  std::string all;
  for (const Case& c : kCases) all += c.first;
  EndDocPrinter(handle);
  EXPECT_EQ(ReadAll(portFile), all);
}

TEST_F(FilterJob, JobBinderJobNeverReachesThePrinter) {
  StartJobBinder(u"");
  std::string pages[] = {"\x1B%0BIN;PU0,0;", std::string(3000, 'p'), "PG;"};
  std::string stream;
  for (const std::string& p : pages) {
    DrvSplStartPage(context);
    EXPECT_TRUE(Write(p));
    DrvSplEndPage(context);
    stream += p;
  }
  EXPECT_EQ(Printed(), "");
  // Named after the spooler's document name of the job.
  std::string file = ReadAll(fs::path(dir) / "spooled drawing.QBX");
  std::string header = MergeHeader(0);
  header.replace(312, 4, Word(3));
  EXPECT_EQ(file, header + stream);
}

TEST_F(FilterJob, TrailerFlagsAndPageCountWin) {
  StartJobBinder(u"trailer", 1);
  DrvSplStartPage(context);
  EXPECT_TRUE(Write("PG;"));
  DrvSplEndPage(context);
  EXPECT_TRUE(Write(TrailerBlock(3, 7)));
  EXPECT_EQ(Printed(), "");
  std::string file = ReadAll(fs::path(dir) / "trailer.QBX");
  ASSERT_EQ(file.size(), kMergeHeaderSize + 3);
  EXPECT_EQ(WordAt(file, 292), 1u | 2u);
  EXPECT_EQ(WordAt(file, 296), 1u);
  EXPECT_EQ(WordAt(file, 312), 7u);
  EXPECT_EQ(file.substr(kMergeHeaderSize), "PG;");
  // Everything else of the header is as it came.
  std::string expected = MergeHeader(3);
  expected.replace(296, 4, Word(1));
  expected.replace(312, 4, Word(7));
  EXPECT_EQ(file.substr(0, kMergeHeaderSize), expected);
}

TEST_F(FilterJob, TrailerFlagsZeroKeepTheFirstValues) {
  StartJobBinder(u"zero", 1);
  EXPECT_TRUE(Write(TrailerBlock(0, 2)));
  Printed();
  std::string file = ReadAll(fs::path(dir) / "zero.QBX");
  EXPECT_EQ(WordAt(file, 292), 1u);
  EXPECT_EQ(WordAt(file, 296), 0u);
  EXPECT_EQ(WordAt(file, 312), 2u);
}

TEST_F(FilterJob, AbortKeepsTheFirstHeader) {
  StartJobBinder(u"aborted");
  DrvSplStartPage(context);
  EXPECT_TRUE(Write("data"));
  DrvSplEndPage(context);
  DrvSplAbort(context);
  // Nothing more reaches the closed file.
  EXPECT_FALSE(Write("late"));
  DrvSplEndDoc(context);
  EXPECT_EQ(ReadAll(fs::path(dir) / "aborted.QBX"), MergeHeader(0) + "data");
}

TEST_F(FilterJob, LogBlockOnlyByItsSizeAndMagic) {
  ASSERT_TRUE(Write(StartBlock(kModePrintAndLog)));
  std::string notLog = std::string(kLogBlockSize, 'x');
  std::string log = Word(kLogMagic) + std::string(kLogBlockSize - 4, 'y');
  EXPECT_TRUE(Write(notLog));
  EXPECT_TRUE(Write(log));
  EXPECT_TRUE(Write(log.substr(0, kLogBlockSize - 1)));
  EXPECT_EQ(Printed(), notLog + log.substr(0, kLogBlockSize - 1));
}

TEST_F(FilterJob, BlocksOfTheWrongSizeAreRefused) {
  ASSERT_TRUE(Write(StartBlock(kModeJobBinder)));
  std::string block = JobBinderBlock(platform::Utf8ToWide(dir), u"sized", u"");
  EXPECT_FALSE(Write(block.substr(0, 100)));
  EXPECT_FALSE(Write(block + "x"));
  ASSERT_TRUE(Write(block));
  EXPECT_FALSE(Write(MergeHeader(0).substr(0, 379)));
  ASSERT_TRUE(Write(MergeHeader(0)));
  EXPECT_TRUE(Write("after"));
  Printed();
  EXPECT_EQ(ReadAll(fs::path(dir) / "sized.QBX"), MergeHeader(0) + "after");
}

// Texts that fill their slot are ended at their 256th character: a chosen
// name of 256 characters is read as 255 of them.
TEST_F(FilterJob, BlockTextsAreTerminatedInsideTheirSlots) {
  ASSERT_TRUE(Write(StartBlock(kModeJobBinder)));
  std::u16string folder = platform::Utf8ToWide(dir);
  ASSERT_TRUE(Write(JobBinderBlock(folder, std::u16string(300, u'n'), u"")));
  ASSERT_TRUE(Write(MergeHeader(0)));
  auto boxes = platform::test::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"フルパスが長すぎます。");
  EXPECT_FALSE(Write("lost"));
  EXPECT_EQ(Printed(), "");
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_NE(entry.path().extension(), ".QBX") << entry.path();
  }
}

TEST(FilterContexts, BadHandlesAreRefused) {
  unsigned char fake[sizeof(SpoolContext)] = {};
  StoreU32(fake, kContextSignature);
  HANDLE bad[] = {nullptr, fake};
  for (HANDLE h : bad) {
    DWORD written = 0;
    char byte = 'x';
    EXPECT_FALSE(DrvSplWritePrinter(h, &byte, 1, &written));
    EXPECT_EQ(written, 1u);
    EXPECT_FALSE(DrvSplStartPage(h));
    EXPECT_FALSE(DrvSplEndPage(h));
    DrvSplEndDoc(h);
    DrvSplAbort(h);
    DrvSplClose(h);
  }
  // A closed context is no longer one.
  HANDLE closed = DrvSplStartDoc(nullptr, 1);
  ASSERT_NE(closed, nullptr);
  DrvSplClose(closed);
  EXPECT_FALSE(DrvSplStartPage(closed));
}

TEST(FilterContexts, MostRecentContextIsForgottenWhenItCloses) {
  HANDLE first = DrvSplStartDoc(nullptr, 1);
  HANDLE second = DrvSplStartDoc(nullptr, 2);
  EXPECT_EQ(MyDrvSplStartDoc(), second);
  DrvSplClose(first);
  EXPECT_EQ(MyDrvSplStartDoc(), second);
  DrvSplClose(second);
  EXPECT_EQ(MyDrvSplStartDoc(), nullptr);
}

// Jobs of several threads start and close at once; the latest context handed
// out is always a live one or none.
TEST(FilterContexts, JobsOfManyThreads) {
  std::vector<std::thread> threads;
  std::atomic<int> bad{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&bad, t] {
      for (int i = 0; i < 300; ++i) {
        HANDLE job = DrvSplStartDoc(nullptr, static_cast<DWORD>(t * 1000 + i));
        if (job == nullptr) continue;
        if (!DrvSplEndPage(job)) ++bad;
        HANDLE latest = MyDrvSplStartDoc();
        // Whatever it is, asking about it never touches freed memory.
        DrvSplStartPage(latest);
        DrvSplClose(job);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(FilterContexts, NoContextWhenMemoryIsShort) {
  platform::test::FailAllocationAt(1);
  HANDLE context = DrvSplStartDoc(nullptr, 1);
  platform::test::FailAllocationAt(0);
  EXPECT_EQ(context, nullptr);
  if (context) DrvSplClose(context);
}

}  // namespace
}  // namespace spool
