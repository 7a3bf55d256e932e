// Jobs: document and page calls, job information, the capture and write faults.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/base/system.h"
#include "platform/spooler/spooler_test_support.h"

namespace {

using spooltest::As;
using spooltest::FetchRecord;
using spooltest::ScopedPrinter;
using spooltest::Text;

class Jobs : public testing::Test {
 protected:
  void SetUp() override {
    platform::test::CapturePrinterOutput(true);
    platform::test::SetUserName(u"kimura");
  }
  void TearDown() override {
    platform::test::CapturePrinterOutput(false);
    platform::test::InjectWriteFault(0, 0);
  }

  static DWORD Start(HANDLE h, const char16_t* document) {
    DOC_INFO_1W doc{const_cast<LPWSTR>(document), nullptr, nullptr};
    return StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc));
  }

  static BOOL Write(HANDLE h, const std::string& bytes, DWORD* written) {
    return WritePrinter(h, bytes.data(), static_cast<DWORD>(bytes.size()), written);
  }

  static std::string Captured(DWORD id) {
    for (const auto& job : platform::test::CapturedJobs()) {
      if (job.id == id) return std::string(job.bytes.begin(), job.bytes.end());
    }
    return "(no job)";
  }
};

std::vector<BYTE> JobInfo(HANDLE h, DWORD id) {
  return FetchRecord([&](BYTE* b, DWORD n, DWORD* need) { return GetJobW(h, id, 2, b, n, need); });
}

TEST_F(Jobs, AJobFromStartToEnd) {
  ScopedPrinter printer(u"Jobs Flow");
  std::vector<unsigned char> record(2420, 0x5A);
  ASSERT_TRUE(platform::SetPrinterDevMode(printer.name(), record));
  HANDLE h = printer.Open();
  DWORD id = Start(h, u"図面 A-101.pdf");
  ASSERT_NE(id, 0u) << GetLastError();
  ASSERT_TRUE(StartPagePrinter(h));
  DWORD written = 0;
  ASSERT_TRUE(Write(h, "\x1B%-12345X@PJL JOB\n", &written));
  EXPECT_EQ(written, 18u);
  ASSERT_TRUE(Write(h, "IN;", &written));
  ASSERT_TRUE(EndPagePrinter(h));

  std::vector<BYTE> buffer = JobInfo(h, id);
  ASSERT_FALSE(buffer.empty());
  const auto& info = As<JOB_INFO_2W>(buffer);
  EXPECT_EQ(info.JobId, id);
  EXPECT_EQ(Text(info.pDocument), u"図面 A-101.pdf");
  EXPECT_EQ(Text(info.pUserName), u"kimura");
  EXPECT_EQ(Text(info.pPrinterName), u"Jobs Flow");
  EXPECT_EQ(Text(info.pDriverName), u"KX-GL/2 Test Plotter");
  EXPECT_EQ(Text(info.pDatatype), u"RAW");
  EXPECT_EQ(info.Position, 1u);
  EXPECT_EQ(info.TotalPages, 1u);
  EXPECT_EQ(info.PagesPrinted, 1u);
  EXPECT_EQ(info.Size, 21u);
  EXPECT_TRUE(info.Status & JOB_STATUS_PRINTING);
  ASSERT_NE(info.pDevMode, nullptr);  // the job runs with the printer's stored record
  EXPECT_EQ(reinterpret_cast<const BYTE*>(info.pDevMode)[2419], 0x5A);

  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(Captured(id), "\x1B%-12345X@PJL JOB\nIN;");
  DWORD needed = 0;
  EXPECT_FALSE(GetJobW(h, id, 2, nullptr, 0, &needed));  // a finished job is gone
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Write(h, "x", &written));
  EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
}

TEST_F(Jobs, TheHandlesDefaultsGoWithItsJobs) {
  ScopedPrinter printer(u"Jobs Defaults");
  std::vector<unsigned char> bytes(sizeof(DEVMODEW) + 16, 0);
  DEVMODEW record{};
  record.dmSize = sizeof(DEVMODEW);
  record.dmDriverExtra = 16;
  record.dmCopies = 3;
  std::memcpy(bytes.data(), &record, sizeof record);
  bytes.back() = 0x77;
  PRINTER_DEFAULTSW defaults{const_cast<LPWSTR>(u"NT EMF 1.008"),
                             reinterpret_cast<DEVMODEW*>(bytes.data()), PRINTER_ACCESS_USE};
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(printer.name().c_str(), &h, &defaults));
  DWORD id = Start(h, u"with defaults");
  ASSERT_NE(id, 0u);
  std::vector<BYTE> buffer = JobInfo(h, id);
  ASSERT_FALSE(buffer.empty());
  const auto& info = As<JOB_INFO_2W>(buffer);
  EXPECT_EQ(Text(info.pDatatype), u"NT EMF 1.008");
  ASSERT_NE(info.pDevMode, nullptr);
  EXPECT_EQ(info.pDevMode->dmCopies, 3);
  EXPECT_EQ(reinterpret_cast<const BYTE*>(info.pDevMode)[sizeof(DEVMODEW) + 15], 0x77);
  EXPECT_TRUE(EndDocPrinter(h));
  EXPECT_TRUE(ClosePrinter(h));
}

TEST_F(Jobs, JobsAddedForTestsAreListedPerPrinter) {
  ScopedPrinter printer(u"Jobs Listed");
  ScopedPrinter other(u"Jobs Other");
  DWORD first = platform::AddJob(printer.name(), u"plan.dwg", u"sato");
  DWORD second = platform::AddJob(printer.name(), u"", u"UNKNOWN");
  DWORD elsewhere = platform::AddJob(other.name(), u"other.pdf", u"sato");
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(platform::AddJob(u"Jobs Nowhere", u"x", u"y"), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);

  HANDLE h = printer.Open();
  std::vector<BYTE> buffer = JobInfo(h, second);
  ASSERT_FALSE(buffer.empty());
  EXPECT_EQ(Text(As<JOB_INFO_2W>(buffer).pUserName), u"UNKNOWN");
  EXPECT_EQ(Text(As<JOB_INFO_2W>(buffer).pDocument), u"");
  EXPECT_EQ(As<JOB_INFO_2W>(buffer).Position, 2u);
  EXPECT_EQ(As<JOB_INFO_2W>(buffer).pDevMode, nullptr);

  DWORD needed = 0;
  EXPECT_FALSE(GetJobW(h, elsewhere, 2, nullptr, 0, &needed));  // not this printer's job
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetJobW(h, first, 1, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);

  ASSERT_EQ(platform::ListJobs(printer.name()).size(), 2u);
  EXPECT_EQ(platform::ListJobs(printer.name())[0].document, u"plan.dwg");
  ASSERT_TRUE(platform::RemoveJob(first));
  EXPECT_EQ(platform::ListJobs(printer.name()).size(), 1u);
  std::vector<BYTE> info = JobInfo(h, second);
  ASSERT_FALSE(info.empty());
  EXPECT_EQ(As<JOB_INFO_2W>(info).Position, 1u);
}

TEST_F(Jobs, AbortAndCloseDropTheJob) {
  ScopedPrinter printer(u"Jobs Abort");
  HANDLE h = printer.Open();
  DWORD id = Start(h, u"dropped");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(Start(h, u"second"), 0u);  // one document at a time per handle
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_STATE);
  EXPECT_TRUE(AbortPrinter(h));
  EXPECT_TRUE(platform::ListJobs(printer.name()).empty());

  HANDLE closing = printer.Open();
  DWORD open = Start(closing, u"closed while open");
  ASSERT_NE(open, 0u);
  EXPECT_TRUE(ClosePrinter(closing));
  EXPECT_TRUE(platform::ListJobs(printer.name()).empty());
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_TRUE(jobs[0].aborted);
  EXPECT_TRUE(jobs[1].aborted);
  EXPECT_FALSE(jobs[1].ended);

  EXPECT_FALSE(AbortPrinter(h));
  EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
  EXPECT_FALSE(StartPagePrinter(h));
  EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
}

TEST_F(Jobs, InjectedFaultsAtTheNthWrite) {
  ScopedPrinter printer(u"Jobs Faults");
  HANDLE h = printer.Open();
  ASSERT_NE(Start(h, u"faults"), 0u);
  DWORD written = 99;

  platform::test::InjectWriteFault(2, ERROR_PRINT_CANCELLED);
  EXPECT_TRUE(Write(h, "one", &written));
  EXPECT_FALSE(Write(h, "two", &written));
  EXPECT_EQ(GetLastError(), ERROR_PRINT_CANCELLED);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(Write(h, "three", &written));  // only the armed call fails

  platform::test::InjectWriteFault(1, 0, 2);
  EXPECT_TRUE(Write(h, "four", &written));
  EXPECT_EQ(written, 2u);  // a short write succeeds with fewer bytes
  EXPECT_TRUE(Write(h, "five", &written));
  EXPECT_EQ(written, 4u);

  DWORD id = platform::test::CapturedJobs().back().id;
  EXPECT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(Captured(id), "onethreefofive");
}

}  // namespace
