// The streams the driver writes, read back by the previewer: every part of them
// (spool blocks, PJL header and trailer, device commands, page set-up, page
// ends) must be understood, on every sample printer, also across a settings
// reset in the middle of a job and after pass-through data.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/platform.h"
#include "platform/spooler/spooler.h"
#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"
#include "tools/preview/preview.h"

namespace {

// A printer of the stand-in spooler with a sample description and the built
// libraries as its driver.
bool AddSamplePrinter(const std::string& model, const std::u16string& name) {
  platform::PrinterRecord record;
  record.name = name;
  record.portName = u"-";
  std::string why;
  std::string description = qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd";
  if (!platform::InstallDriverFiles(description, qxtest::BuildDir() + "/lib", &record.driver,
                                    &why)) {
    ADD_FAILURE() << why;
    return false;
  }
  record.driver.name = platform::Utf8ToWide("KX-M" + model);
  return platform::AddPrinter(record);
}

using Drawing = std::function<void(platform::engine::DeviceContext&)>;

// Runs a job of two pages through the engine; `between` runs after the first page.
std::vector<std::uint8_t> TwoPageJob(const std::u16string& printer, const Drawing& before,
                                     const Drawing& between) {
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer, nullptr);
    EXPECT_NE(dc, nullptr) << GetLastError();
    if (dc) {
      EXPECT_TRUE(dc->StartDocument(u"Preview check"));
      if (before) before(*dc);
      for (int page = 0; page < 2; ++page) {
        EXPECT_TRUE(dc->StartPage());
        EXPECT_TRUE(dc->EndPage());
        if (page == 0 && between) between(*dc);
      }
      EXPECT_TRUE(dc->EndDocument());
    }
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  EXPECT_EQ(jobs.size(), 1u);
  if (jobs.empty()) return {};
  return jobs[0].bytes;
}

void ExpectUnderstood(const std::vector<std::uint8_t>& bytes, std::size_t pages) {
  preview::JobInfo info = preview::InterpretStream(std::span<const std::uint8_t>(bytes));
  EXPECT_FALSE(info.truncated);
  for (const preview::Problem& p : info.problems) {
    ADD_FAILURE() << "offset " << p.offset << ", page " << p.page << ": " << p.text;
  }
  EXPECT_EQ(info.pages.size(), pages);
  EXPECT_FALSE(info.pjl.empty());
}

TEST(DriverStreamPreview, EverySamplePrinter) {
  for (const char* model : {"012", "044", "059", "089", "095", "103"}) {
    SCOPED_TRACE(model);
    std::u16string name = platform::Utf8ToWide(std::string("Preview ") + model);
    ASSERT_TRUE(AddSamplePrinter(model, name));
    ExpectUnderstood(TwoPageJob(name, nullptr, nullptr), 2);
  }
}

TEST(DriverStreamPreview, SettingsResetAndPassThrough) {
  ASSERT_TRUE(AddSamplePrinter("089", u"Preview reset"));
  // New settings between the pages: the second page opens with the reset page
  // set-up instead of a header.
  ExpectUnderstood(
      TwoPageJob(u"Preview reset", nullptr,
                 [](platform::engine::DeviceContext& dc) { EXPECT_TRUE(dc.Reset(nullptr)); }),
      2);
  // Raw data before the first page brings its own short header; the data here
  // is a command the reader knows.
  ExpectUnderstood(TwoPageJob(
                       u"Preview reset",
                       [](platform::engine::DeviceContext& dc) {
                         const unsigned char data[] = {3, 0, 'I', 'N', ';'};
                         EXPECT_EQ(dc.Escape(19, sizeof data, data, 0, nullptr), 3);
                       },
                       nullptr),
                   2);
}

// What a user runs: `qx view` over a stream the driver wrote gives one picture
// per page and a clean status; a stream cut inside its header still gives its
// pictures, says so, and ends with status 3.
TEST(DriverStreamPreview, QxViewOfADriverStream) {
  ASSERT_TRUE(AddSamplePrinter("089", u"Preview qx view"));
  std::vector<std::uint8_t> bytes = TwoPageJob(u"Preview qx view", nullptr, nullptr);
  ASSERT_FALSE(bytes.empty());
  std::string dir = qxtest::MakeTempDir("qx-view");
  std::string stream = dir + "/job.prn";
  std::ofstream(stream, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  qxtest::QxResult view = qxtest::RunQx(qxtest::TempRoot(), {"view", stream, "-o", dir + "/png"});
  EXPECT_EQ(view.status, 0) << view.err;
  EXPECT_EQ(view.err, "");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/png/page-001.png"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/png/page-002.png"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/png/page-003.png"));

  // Cut in the middle of a PJL line: the rest is gone, but nothing is drawn wrongly.
  std::string cut = dir + "/cut.prn";
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 60);
  qxtest::QxResult info = qxtest::RunQx(qxtest::TempRoot(), {"view", cut, "--info", "--json"});
  EXPECT_EQ(info.status, 3) << info.err;
  EXPECT_NE(info.out.find("\"pjl\""), std::string::npos);
}

// The job scripts of the whole-job tests and the example drawing, printed by
// `qx print` on the bundled printer: the previewer understands every stream.
TEST(DriverStreamPreview, JobScriptsAndTheExampleDrawing) {
  const std::string source = qxtest::SourceDir();
  const std::string kScripts[] = {
      source + "/examples/drawing.job",         source + "/tests/jobs/zq1_drawing.job",
      source + "/tests/jobs/zq1_two_pages.job", source + "/tests/jobs/zq1_reset.job",
      source + "/tests/jobs/zq1_escapes.job",   source + "/tests/jobs/zq1_passthrough.job",
      source + "/tests/jobs/sample_page.job",
  };
  std::string dir = qxtest::MakeTempDir("qx-print-scripts");
  for (const std::string& script : kScripts) {
    SCOPED_TRACE(script);
    std::string stream = dir + "/job.prn";
    qxtest::QxResult print = qxtest::RunQx(dir + "/root", {"print", script, "-o", stream});
    ASSERT_EQ(print.status, 0) << print.err;
    std::string bytes = qxtest::ReadFileBytes(stream);
    preview::JobInfo info = preview::InterpretStream(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_FALSE(info.truncated);
    for (const preview::Problem& p : info.problems) {
      ADD_FAILURE() << "offset " << p.offset << ", page " << p.page << ": " << p.text;
    }
    EXPECT_FALSE(info.pages.empty());
  }
}

}  // namespace
