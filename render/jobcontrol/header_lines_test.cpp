// The header's lines: the scaling digit, the job name and its clean-up, values
// that could end a PJL string, and long values written whole.
#include "render/jobcontrol/header_lines.h"

#include <gtest/gtest.h>

#include "render/jobcontrol/job_test_support.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace priv = settings::priv;

std::string PrintInfo(RecordedJob& job, std::int16_t scale) {
  SetI16(job, priv::kScale, scale);
  WritePrintInfoLine(job.dc());
  std::string line = job.Take();
  const std::string prefix = "@PJL SET PRINTINFO = \"SCALING=";
  if (line.size() != prefix.size() + 3 || line.compare(0, prefix.size(), prefix) != 0) return line;
  return line.substr(prefix.size(), 1);
}

TEST(HeaderLines, ScalingDigit) {
  struct Case {
    std::int16_t scale;
    const char* digit;
  };
  TestPrinter percent("012", u"MX12 scaling");  // percent
  TestPrinter tenths("089", u"ZQ1 scaling");    // 0x20000: tenths of a percent
  RecordedJob p(percent);
  RecordedJob t(tenths);
  const Case kPercent[] = {{49, "1"},  {50, "2"},  {99, "2"}, {100, "3"},
                           {101, "4"}, {200, "4"}, {201, "5"}};
  for (const Case& c : kPercent) {
    SCOPED_TRACE(c.scale);
    EXPECT_EQ(PrintInfo(p, c.scale), c.digit);
  }
  const Case kTenths[] = {{499, "1"},  {500, "2"},  {999, "2"}, {1000, "3"},
                          {1001, "4"}, {2000, "4"}, {2001, "5"}};
  for (const Case& c : kTenths) {
    SCOPED_TRACE(c.scale);
    EXPECT_EQ(PrintInfo(t, c.scale), c.digit);
  }
  // Jobs without page content always say 3.
  t.priv()[priv::kCommon + priv::kCommonOutputMode] = 6;
  EXPECT_EQ(PrintInfo(t, 2500), "3");
}

std::string JobNameLine(const TestPrinter& printer, const char16_t* spooled,
                        const char16_t* started) {
  SpoolerJob job(printer.handle, spooled ? spooled : u"");
  RecordedJob recorded(printer);
  recorded.dc().jobId = spooled ? job.id : 0;
  std::u16string name = started ? started : u"";
  recorded.dc().documentName = started ? name.data() : nullptr;
  WriteJobNameLine(recorded.dc());
  recorded.dc().documentName = nullptr;
  return recorded.Take();
}

TEST(HeaderLines, JobName) {
  TestPrinter zq1("089", u"ZQ1 job names");  // mask 0
  TestPrinter m097(SampleCopy("089", "M097", {{"*NickName:", "*NickName: \"KX-M097 W\""}}),
                   u"Model 97 job names", "KX-M097 W");  // mask 7: cleaned names
  EXPECT_EQ(JobNameLine(zq1, u"Plan \"B\"", nullptr), "@PJL SET JOBNAME = \"Plan 'B'\"\n");
  // On every model the control bytes that could end the line are dropped; TAB stays.
  EXPECT_EQ(JobNameLine(zq1, u"a\r\n@PJL ENTER LANGUAGE = X\tb", nullptr),
            "@PJL SET JOBNAME = \"a@PJL ENTER LANGUAGE = X\tb\"\n");
  // An empty spooler name takes the name given at the start of the document.
  EXPECT_EQ(JobNameLine(zq1, u"", u"Started"), "@PJL SET JOBNAME = \"Started\"\n");
  // Without a job record only the models that clean their names write one.
  EXPECT_EQ(JobNameLine(zq1, nullptr, u"Started"), "");
  EXPECT_EQ(JobNameLine(m097, nullptr, u"Started"), "@PJL SET JOBNAME = \"Started\"\n");
  EXPECT_EQ(JobNameLine(zq1, u"", nullptr), "");
  // 224 bytes at most, never half a double-byte character.
  std::u16string longName = std::u16string(111, u'あ') + u"a" + u"ああ";
  std::string expected;
  for (int i = 0; i < 111; ++i) expected += "\x82\xA0";
  EXPECT_EQ(JobNameLine(zq1, longName.c_str(), nullptr),
            "@PJL SET JOBNAME = \"" + expected + "a\"\n");
}

TEST(HeaderLines, ValuesCannotEndTheirLine) {
  TestPrinter printer("089", u"ZQ1 values");
  RecordedJob job(printer);
  JobIdentity& id = job.dc().identity;
  std::strcpy(id.hostLoginName, "eve\"\n@PJL SET USERCODE = \"0000");
  std::strcpy(id.trackId, "T-1\r\nX");
  WriteHostLoginNameLine(job.dc());
  WriteTrackIdLine(job.dc());
  EXPECT_EQ(job.Take(),
            "@PJL SET HOSTLOGINNAME = \"eve'@PJL SET USERCODE = '0000\"\n"
            "@PJL SET TRACKID = \"T-1X\"\n");
  // A host login name of 259 bytes reaches the printer whole.
  std::memset(id.hostLoginName, 'h', 259);
  id.hostLoginName[259] = 0;
  WriteHostLoginNameLine(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET HOSTLOGINNAME = \"" + std::string(259, 'h') + "\"\n");
  // No name, no line.
  id.hostLoginName[0] = 0;
  WriteHostLoginNameLine(job.dc());
  EXPECT_EQ(job.Take(), "");
}

TEST(HeaderLines, StampAndDirection) {
  struct Case {
    const char* model;
    const char* type;
    bool softstamp;
    std::string line;
  };
  const Case kCases[] = {
      {"089", "3", true, "@PJL SET COPIERSTAMP = ON\n"},
      {"037", "3", false, "@PJL SET COPIERSTAMP = OFF\n"},
      {"016", "3", true, "@PJL SET PRINTERSTAMP = ON\n"},
      {"016", "7", false, "@PJL SET PRINTERSTAMP = OFF\n"},
      {"016", "4", true, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.model) + "/" + c.type);
    std::string name = std::string("STAMP") + c.model + c.type;
    TestPrinter printer(
        SampleCopy("089", name,
                   {{"*LanguageLevel:", std::string("*LanguageLevel: \"") + c.model + "\""},
                    {"*PrinterType:", std::string("*PrinterType: \"") + c.type + "\""}}),
        platform::Utf8ToWide(name).c_str(), "KX-M089");
    RecordedJob job(printer);
    SetPrintOption(job, settings::kOptSoftstamp, c.softstamp);
    WriteStampLine(job.dc());
    EXPECT_EQ(job.Take(), c.line);
  }
  TestPrinter zq1("089", u"ZQ1 direction");
  RecordedJob job(zq1);
  settings::SetU16(job.priv(), priv::kDeviceFlags, settings::kDevRotate180);
  WriteImageDirectionLine(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET IMAGEDIRECTION = REVERSE\n");
}

}  // namespace
