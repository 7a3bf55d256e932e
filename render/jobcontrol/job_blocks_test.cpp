// The job-binder request of the per-machine settings file, the start block's job
// mode, and the trailer of a job-binder job.
#include "render/jobcontrol/job_blocks.h"

#include <gtest/gtest.h>

#include "render/jobcontrol/job_header.h"
#include "render/jobcontrol/job_test_support.h"
#include "settings/device_info_file.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;

struct Request {
  std::u16string file = settings::DeviceInfoFilePath(false);
  std::u16string section;
  explicit Request(const std::u16string& printer) : section(printer) {}
  void Set(const char16_t* send, const char16_t* reset) {
    WritePrivateProfileStringW(section.c_str(), u"QBXSEND", send, file.c_str());
    WritePrivateProfileStringW(section.c_str(), u"QBXSEND_RESET", reset, file.c_str());
  }
  UINT Send() const { return GetPrivateProfileIntW(section.c_str(), u"QBXSEND", 9, file.c_str()); }
};

TEST(JobBlocks, JobBinderRequest) {
  TestPrinter zq1("089", u"ZQ1 request");  // 0x1: the job binder
  Request request(zq1.name);
  RecordedJob job(zq1);
  EXPECT_FALSE(IsJobBinderSend(job.dc()));  // no key: 0
  request.Set(u"1", u"0");
  EXPECT_TRUE(IsJobBinderSend(job.dc()));
  EXPECT_EQ(request.Send(), 1u);  // a standing request stays
  request.Set(u"1", u"1");
  EXPECT_TRUE(IsJobBinderSend(job.dc()));
  EXPECT_EQ(request.Send(), 0u);  // a one-time request is taken back at once
  EXPECT_FALSE(IsJobBinderSend(job.dc()));
  // Jobs without page content never go to the job binder.
  request.Set(u"1", u"0");
  job.priv()[settings::priv::kCommon + settings::priv::kCommonOutputMode] = 1;
  EXPECT_FALSE(IsJobBinderSend(job.dc()));
  // Nor do printers without the job binder.
  TestPrinter rx44("044", u"RX44 request");  // 0001C0A4: no 0x1
  Request other(rx44.name);
  other.Set(u"1", u"1");
  RecordedJob plain(rx44);
  EXPECT_FALSE(IsJobBinderSend(plain.dc()));
  EXPECT_EQ(other.Send(), 1u);
}

TEST(JobBlocks, StartBlockModeAndOnce) {
  TestPrinter tb103("103", u"TB103 start");  // variant A, 81192029: no 0x80
  RecordedJob job(tb103);
  SendStartBlocks(job.dc(), true);
  SendStartBlocks(job.dc(), true);  // once per document
  ASSERT_EQ(job.recorder.transfers.size(), 1u);
  EXPECT_EQ(job.recorder.transfers[0], StartBlock(0));
}

TEST(JobBlocks, JobBinderTrailer) {
  TestPrinter zq1("089", u"ZQ1 binder trailer");
  TestPrinter b(SampleCopy("089", "ZQ1B", {{"*NickName:", "*NickName: \"KX-M012 Z\""}}),
                u"Variant B binder trailer", "KX-M012 Z");
  {
    RecordedJob job(zq1);
    job.dc().identity.jobBinderSend = true;
    job.dc().pageCount = 3;
    WriteJobTrailer(job.dc());
    // The job-binder end replaces the closing commands, and the printer is not
    // sent back to its emulation.
    EXPECT_EQ(job.Take(), "\x1B\x12!1@R00\x1B ");
    // With a filter job the trailer block follows as a transfer of its own.
    job.dc().identity.jobBinderSend = true;
    job.dc().filter = reinterpret_cast<HMODULE>(&zq1);
    job.dc().filterWrite = reinterpret_cast<PFN_DrvSplWritePrinter>(&Recorder::Sink);
    job.dc().filterJob = 1;
    WriteJobTrailer(job.dc());
    FlushOutput(job.dc().output);
    job.dc().filter = nullptr;
    ASSERT_EQ(job.recorder.transfers.size(), 2u);
    std::string trailer(76, '\0');
    trailer.replace(0, 4, "LIAT");
    trailer[8] = 3;
    EXPECT_EQ(job.recorder.transfers[1], trailer);
  }
  {
    // Other variants keep their closing commands.
    RecordedJob job(b);
    job.dc().identity.jobBinderSend = true;
    WriteJobTrailer(job.dc());
    EXPECT_EQ(job.Take(), "\x1B%0A\x1B%-12345X");
  }
}

}  // namespace
