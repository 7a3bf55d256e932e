// A whole job through the engine on the ZQ1: what reaches the printer starts
// with the start block and the PJL header, frames each page, and ends with the
// trailer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "render/jobcontrol/job_test_support.h"

namespace {

using namespace render::testing;

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(JobStream, EmptyTwoPageJobOnTheZq1) {
  TestPrinter printer("089", u"ZQ1 stream");
  FixedClock clock;
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, nullptr);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_TRUE(dc->StartDocument(u"Two pages"));
    for (int page = 0; page < 2; ++page) {
      ASSERT_TRUE(dc->StartPage());
      ASSERT_TRUE(dc->EndPage());
    }
    ASSERT_TRUE(dc->EndDocument());
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  ASSERT_EQ(jobs.size(), 1u);
  std::string bytes(jobs[0].bytes.begin(), jobs[0].bytes.end());
  // The spool filter takes the start block (print and log): the printer's
  // stream begins with the PJL part.
  std::string pjl = "\x1B%-12345X@PJL\n@PJL JOB\n@PJL SET JOBNAME = \"Two pages\"\n";
  EXPECT_EQ(bytes.substr(0, pjl.size()), pjl);
  EXPECT_EQ(bytes.find(StartBlock(4)), std::string::npos);
  std::size_t commands =
      bytes.find("@PJL ENTER LANGUAGE = GL2\n\x1B\x12!-1,1,2@GL2\x1B MS-1,6,11,3;");
  EXPECT_NE(commands, std::string::npos);
  // One header, two pages, each re-initialised and ended.
  EXPECT_EQ(Count(bytes, "@PJL JOB\n"), 1u);
  EXPECT_EQ(Count(bytes, "PG;"), 2u);
  const std::string trailer = "\x1B%0A\x1B%-12345X\x1B\x12!GL2\x1B ";
  ASSERT_GE(bytes.size(), trailer.size());
  EXPECT_EQ(bytes.substr(bytes.size() - trailer.size()), trailer);
  EXPECT_LT(bytes.rfind("PG;"), bytes.size() - trailer.size());
}

}  // namespace
