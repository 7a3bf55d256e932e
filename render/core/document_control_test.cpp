// Documents, pages and escapes: the order of the job's parts, the job state, the
// filter calls and the escape payloads.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "render/core/device_context.h"
#include "render/core/test_printer.h"

namespace {

using namespace render;
using render::testing::Enabled;
using render::testing::TestPrinter;

// A device context's output caught in memory, with a surface for the entries.
struct Job {
  Enabled e;
  SURFOBJ so{};
  std::string bytes;
  bool failing = false;
  static BOOL Sink(void* context, const void* b, DWORD n, DWORD* written) {
    auto* job = static_cast<Job*>(context);
    if (job->failing) return FALSE;
    job->bytes.append(static_cast<const char*>(b), n);
    *written = n;
    return TRUE;
  }
  explicit Job(const TestPrinter& printer) : e(printer, nullptr) {
    so.dhpdev = e.pdev();
    if (e.dc) e.dc->output.sink = {&Sink, this};
  }
  DeviceContext& dc() { return *e.dc; }
  std::string Sent() {
    FlushOutput(e.dc->output);
    return bytes;
  }
};

TEST(DocumentControl, PagesAndTheJobState) {
  TestPrinter printer("089", u"ZQ1 pages");
  Job job(printer);
  ASSERT_NE(job.e.dc, nullptr);
  WCHAR name[] = u"Drawing 1";
  ASSERT_TRUE(DrvStartDoc(&job.so, name, 17));
  EXPECT_EQ(job.dc().jobId, 17u);
  EXPECT_EQ(std::u16string(job.dc().documentName), u"Drawing 1");
  EXPECT_TRUE(job.dc().jobFlags & kJobDocumentStarted);
  EXPECT_EQ(DrvEscape(&job.so, 101, 0, nullptr, 0, nullptr), 1u);  // no header yet
  ASSERT_TRUE(DrvStartPage(&job.so));
  EXPECT_TRUE(DrvStartPage(&job.so));  // a second start of the open page does nothing
  EXPECT_EQ(job.dc().pageCount, 1u);
  EXPECT_EQ(job.dc().jobFlags & (kJobStarted | kJobPageOpen | kJobHeaderWritten),
            kJobStarted | kJobPageOpen | kJobHeaderWritten);
  EXPECT_EQ(DrvEscape(&job.so, 101, 0, nullptr, 0, nullptr), 0u);
  ASSERT_TRUE(DrvSendPage(&job.so));
  EXPECT_FALSE(job.dc().jobFlags & kJobPageOpen);
  // A page the application never started still counts and still ends.
  ASSERT_TRUE(DrvSendPage(&job.so));
  EXPECT_EQ(job.dc().pageCount, 2u);
  std::string sent = job.Sent();
  EXPECT_NE(sent.find("PG;"), std::string::npos);
  ASSERT_TRUE(DrvEndDoc(&job.so, 0));
  EXPECT_EQ(job.dc().jobFlags & (kJobDocumentStarted | kJobStarted | kJobHeaderWritten), 0u);
}

// A spool filter that only records which of its functions the driver called.
struct RecordingFilter {
  static inline std::string calls;
  static HANDLE StartDoc(HANDLE, DWORD) {
    calls += "StartDoc ";
    return reinterpret_cast<HANDLE>(0x51);
  }
  static BOOL StartPage(HANDLE) {
    calls += "StartPage ";
    return TRUE;
  }
  static BOOL EndPage(HANDLE) {
    calls += "EndPage ";
    return TRUE;
  }
  static void EndDoc(HANDLE) { calls += "EndDoc "; }
  static void Close(HANDLE) { calls += "Close"; }
  RecordingFilter() {
    static const platform::ModuleExport kExports[] = {
        {"DrvSplStartDoc", reinterpret_cast<FARPROC>(&StartDoc)},
        {"DrvSplStartPage", reinterpret_cast<FARPROC>(&StartPage)},
        {"DrvSplEndPage", reinterpret_cast<FARPROC>(&EndPage)},
        {"DrvSplEndDoc", reinterpret_cast<FARPROC>(&EndDoc)},
        {"DrvSplClose", reinterpret_cast<FARPROC>(&Close)},
    };
    calls.clear();
    platform::RegisterModule(u"QX48UM64", kExports, std::size(kExports), nullptr);
  }
  ~RecordingFilter() { platform::UnregisterModule(u"QX48UM64"); }
};

TEST(DocumentControl, NoPageContentForOutputModes1And6) {
  TestPrinter printer("089", u"ZQ1 modes");
  for (unsigned char mode : {1, 6}) {
    SCOPED_TRACE(mode);
    RecordingFilter filter;
    Job job(printer);
    job.dc().settings.priv[settings::priv::kCommon + settings::priv::kCommonOutputMode] = mode;
    ASSERT_TRUE(DrvStartDoc(&job.so, nullptr, 1));
    ASSERT_TRUE(DrvStartPage(&job.so));
    EXPECT_FALSE(job.dc().jobFlags & kJobHeaderWritten);
    EXPECT_EQ(DrvEscape(&job.so, 101, 0, nullptr, 0, nullptr), 1u);
    ASSERT_TRUE(DrvSendPage(&job.so));
    ASSERT_TRUE(DrvEndDoc(&job.so, 0));
    std::string sent = job.Sent();
    EXPECT_EQ(sent.find("PG;"), std::string::npos);
    EXPECT_EQ(sent.find("@PJL JOB"), std::string::npos);  // no header either
    // The trailer still closes the job: the KX-GL emulation's closing commands
    // and the return to GL2 (the ZQ1 speaks PJL: no end-of-job bytes follow).
    const std::string trailer = "\x1B%0A\x1B%-12345X\x1B\x12!GL2\x1B ";
    ASSERT_GE(sent.size(), trailer.size());
    EXPECT_EQ(sent.substr(sent.size() - trailer.size()), trailer);
    EXPECT_EQ(job.dc().pageCount, 1u);
    // The filter hears of the whole job all the same.
    EXPECT_EQ(RecordingFilter::calls, "StartDoc StartPage EndPage EndDoc Close");
  }
  // Any other mode is a normal job.
  Job normal(printer);
  normal.dc().settings.priv[settings::priv::kCommon + settings::priv::kCommonOutputMode] = 7;
  ASSERT_TRUE(DrvStartDoc(&normal.so, nullptr, 1));
  ASSERT_TRUE(DrvStartPage(&normal.so));
  EXPECT_TRUE(normal.dc().jobFlags & kJobHeaderWritten);
  EXPECT_NE(normal.Sent().find("@PJL JOB\n"), std::string::npos);
}

// A description of a printer that speaks SIC (no PJL), or PJL.
std::string Description(const std::string& name, const char* protocols) {
  std::string path = qxtest::MakeTempDir("doc-" + name) + "/" + name + ".PPD";
  std::ofstream(path) << "*PPD-Adobe: \"4.3\"\n*NickName: \"KX-M012 " << name
                      << "\"\n*LanguageLevel: \"12\"\n*PrinterType: \"4\"\n*Protocols: "
                      << protocols
                      << "\n*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n*PageSize A4: \"\"\n"
                         "*PaperDimension A4: \"595 842\"\n*CloseUI: *PageSize\n";
  return path;
}

TEST(DocumentControl, EndOfJobBytesByProtocol) {
  struct Case {
    const char* name;
    const char* protocols;
    std::string tail;
  };
  const Case kCases[] = {
      {"SIC", "SIC", std::string("\x1B[K\x01\x00\x06\x00", 7)},
      {"PJL", "PJL SIC", ""},
      {"None", "BCP", "\x04"},  // privFlags 0x1000 is always set by the defaults
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TestPrinter printer(Description(c.name, c.protocols), platform::Utf8ToWide(c.name).c_str(),
                        "KX-M012");
    Job job(printer);
    ASSERT_NE(job.e.dc, nullptr);
    ASSERT_TRUE(DrvStartDoc(&job.so, nullptr, 1));
    ASSERT_TRUE(DrvStartPage(&job.so));
    ASSERT_TRUE(DrvSendPage(&job.so));
    std::string before = job.Sent();
    ASSERT_TRUE(DrvEndDoc(&job.so, 0));
    EXPECT_EQ(job.Sent().substr(before.size()), c.tail);
  }
}

TEST(DocumentControl, PassThroughBeforeTheFirstPage) {
  TestPrinter printer("089", u"ZQ1 pass-through");  // PrinterFunction has 0x200
  Job job(printer);
  ASSERT_TRUE(DrvStartDoc(&job.so, nullptr, 1));
  unsigned char data[] = {5, 0, 'I', 'N', ';', 'X', 'Y', 'Z'};
  EXPECT_EQ(DrvEscape(&job.so, 19, sizeof data, data, 0, nullptr), 5u);
  EXPECT_TRUE(job.dc().jobFlags & kJobHeaderWritten);
  // Flushed at once, after the pass-through header.
  ASSERT_GE(job.bytes.size(), 5u);
  EXPECT_EQ(job.bytes.substr(job.bytes.size() - 5), "IN;XY");
  EXPECT_NE(job.bytes.find("@PJL SET QTY = 1\n"), std::string::npos);
  ASSERT_TRUE(DrvStartPage(&job.so));
  EXPECT_TRUE(job.dc().jobFlags & kJobStarted);  // the first page still builds the job header
  // A count beyond the data sends only the data; no count sends nothing.
  unsigned char lying[] = {200, 0, 'A', 'B'};
  EXPECT_EQ(DrvEscape(&job.so, 19, sizeof lying, lying, 0, nullptr), 2u);
  EXPECT_EQ(DrvEscape(&job.so, 19, 1, lying, 0, nullptr), 0u);
  EXPECT_EQ(DrvEscape(&job.so, 19, 4, nullptr, 0, nullptr), 0u);
  job.failing = true;
  EXPECT_EQ(DrvEscape(&job.so, 19, sizeof data, data, 0, nullptr), static_cast<ULONG>(-1));
}

TEST(DocumentControl, PassThroughRefusedWithoutTheFunction) {
  TestPrinter printer("103", u"Tray pass-through");  // 81192029: no 0x200, no 0x800000
  Job job(printer);
  unsigned char data[] = {1, 0, 'x'};
  EXPECT_EQ(DrvEscape(&job.so, 19, sizeof data, data, 0, nullptr), 0u);
}

TEST(DocumentControl, EscapePayloadsStayInsideTheirFields) {
  TestPrinter printer("089", u"ZQ1 escapes");  // 0x40 track ID; no 0x100, 0x400, 0x200000
  Job job(printer);
  std::vector<char> long_(300, 'T');
  EXPECT_EQ(DrvEscape(&job.so, 100, 300, long_.data(), 0, nullptr), 1u);
  EXPECT_EQ(std::string(job.dc().identity.trackId), std::string(21, 'T'));
  EXPECT_EQ(DrvEscape(&job.so, 100, 3, const_cast<char*>("ab"), 0, nullptr), 1u);
  EXPECT_STREQ(job.dc().identity.trackId, "ab");
  EXPECT_EQ(DrvEscape(&job.so, 100, 10, nullptr, 0, nullptr), 1u);
  EXPECT_STREQ(job.dc().identity.trackId, "");
  EXPECT_EQ(DrvEscape(&job.so, 107, 400, long_.data(), 0, nullptr), 1u);
  EXPECT_EQ(std::strlen(job.dc().identity.hostLoginName), 259u);
  unsigned char on = 1;
  EXPECT_EQ(DrvEscape(&job.so, 105, 1, &on, 0, nullptr), 1u);
  EXPECT_TRUE(job.dc().optionFlags & kOptionPerUser);
  EXPECT_EQ(DrvEscape(&job.so, 105, 0, nullptr, 0, nullptr), 1u);
  EXPECT_FALSE(job.dc().optionFlags & kOptionPerUser);
  // Answers go only into an output with room for them.
  job.dc().jobId = 99;
  DWORD answer = 0;
  EXPECT_EQ(DrvEscape(&job.so, 106, 0, nullptr, 4, &answer), 1u);
  EXPECT_EQ(answer, 99u);
  EXPECT_EQ(DrvEscape(&job.so, 106, 0, nullptr, 3, &answer), 0u);
  EXPECT_EQ(DrvEscape(&job.so, 113, 0, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(DrvEscape(&job.so, 113, 0, nullptr, 4, &answer), 1u);
  EXPECT_EQ(answer, 0xA61F32E7u);
  // Escapes the driver does not support, and unknown ones.
  EXPECT_EQ(DrvEscape(&job.so, 8, 0, nullptr, 0, nullptr), 0u);
  SetLastError(0);
  EXPECT_EQ(DrvEscape(nullptr, 4242, 0, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(GetLastError(), 0u);  // not even checked
  EXPECT_EQ(DrvEscape(nullptr, 106, 0, nullptr, 4, &answer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DocumentControl, WideEscapePayloadsKeepWholeCharacters) {
  TestPrinter printer("095", u"CX95 escapes");  // 0x400: user ID and code by escape
  Job job(printer);
  ASSERT_NE(job.e.dc, nullptr);
  struct Case {
    const char* name;
    const void* in;
    ULONG cjIn;
    std::u16string kept;
  };
  const char16_t nine[] = u"kato0123X";
  const Case kCases[] = {
      {"18 bytes: eight characters and the terminator", nine, 18, u"kato0123"},
      {"an odd count keeps whole characters", nine, 5, u"ka"},
      {"no input", nullptr, 18, u""},
  };
  for (ULONG escape : {103u, 104u}) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::to_string(escape) + ": " + c.name);
      EXPECT_EQ(DrvEscape(&job.so, escape, c.cjIn, const_cast<void*>(c.in), 0, nullptr), 1u);
      const char* field = escape == 103 ? job.dc().identity.userId : job.dc().identity.userCode;
      std::u16string got;
      for (std::size_t i = 0; i + 1 < 18; i += 2) {
        auto ch = static_cast<char16_t>(static_cast<unsigned char>(field[i]) |
                                        static_cast<unsigned char>(field[i + 1]) << 8);
        if (ch == 0) break;
        got.push_back(ch);
      }
      EXPECT_EQ(got, c.kept);
      EXPECT_EQ(field[16], 0);  // the terminator's place is never written
      EXPECT_EQ(field[17], 0);
    }
  }
}

TEST(DocumentControl, EntriesCheckTheContextFirst) {
  SURFOBJ broken{};
  SetLastError(0);
  EXPECT_FALSE(DrvStartDoc(&broken, nullptr, 5));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DrvStartPage(nullptr));
  EXPECT_FALSE(DrvSendPage(&broken));
  EXPECT_FALSE(DrvEndDoc(&broken, 0));
}

TEST(DocumentControl, FailedOutputIsReported) {
  TestPrinter printer("089", u"ZQ1 failing");
  Job job(printer);
  ASSERT_TRUE(DrvStartDoc(&job.so, nullptr, 1));
  ASSERT_TRUE(DrvStartPage(&job.so));
  ASSERT_TRUE(DrvSendPage(&job.so));
  job.failing = true;
  EXPECT_FALSE(DrvEndDoc(&job.so, 0));  // the last buffer never left
  EXPECT_FALSE(DrvStartPage(&job.so));  // and the next page hears of it
}

TEST(DocumentControl, AJobThroughTheEngineReachesThePrinter) {
  TestPrinter printer("089", u"ZQ1 engine job");
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, nullptr);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_TRUE(dc->StartDocument(u"Engine job"));
    ASSERT_TRUE(dc->StartPage());
    ASSERT_TRUE(dc->EndPage());
    ASSERT_TRUE(dc->StartPage());
    ASSERT_TRUE(dc->EndPage());
    ASSERT_TRUE(dc->EndDocument());
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(jobs[0].ended);
  std::string bytes(jobs[0].bytes.begin(), jobs[0].bytes.end());
  // Two pages, each ended once.
  std::size_t pages = 0;
  for (std::size_t at = bytes.find("PG;"); at != std::string::npos;
       at = bytes.find("PG;", at + 3)) {
    ++pages;
  }
  EXPECT_EQ(pages, 2u);
}

// A spool filter that exports none of its functions: every call into it is
// skipped and the stream goes to the spooler whole.
TEST(DocumentControl, AFilterWithoutItsExportsIsSkipped) {
  TestPrinter printer("089", u"ZQ1 bare filter");  // 0x81: the filter is bound
  platform::RegisterModule(u"QX48UM64", nullptr, 0, nullptr);
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, nullptr);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_TRUE(dc->StartDocument(u"Bare filter"));
    ASSERT_TRUE(dc->StartPage());
    ASSERT_TRUE(dc->EndPage());
    ASSERT_TRUE(dc->EndDocument());
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  platform::UnregisterModule(u"QX48UM64");
  ASSERT_EQ(jobs.size(), 1u);
  std::string bytes(jobs[0].bytes.begin(), jobs[0].bytes.end());
  // The start block (print and log: mode 4) goes out through the spooler, then
  // the PJL header, the page and the trailer.
  ASSERT_GE(bytes.size(), 45u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\0\0\0", 4));
  EXPECT_EQ(bytes.substr(36, 9), "\x1B%-12345X");
  EXPECT_NE(bytes.find("PG;"), std::string::npos);
  const std::string trailer = "\x1B\x12!GL2\x1B ";
  EXPECT_EQ(bytes.substr(bytes.size() - trailer.size()), trailer);
}

}  // namespace
