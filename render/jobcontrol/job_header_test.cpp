// The job header of the wide-format family (variant A) on the ZQ1 sample printer,
// byte for byte, with its trailer and its pass-through header; the option
// selections the header synchronises; a nickname without a model row.
#include "render/jobcontrol/job_header.h"

#include <gtest/gtest.h>

#include "render/jobcontrol/header_variants.h"
#include "render/jobcontrol/job_test_support.h"
#include "settings/device_info_file.h"
#include "settings/features.h"

namespace {

using namespace render;
using namespace render::testing;
namespace priv = settings::priv;

// The ZQ1's defaults: roll printer (type 3), model 89, PrinterFunction A61F32E7
// (job binder, date and user ID, user code, track ID, log, pass-through,
// extended commands, tenths of a percent, fold and stamp lines, STAMP line,
// image direction), monochrome, A1 by paper link from the automatic source.
const std::string kZq1Pjl =
    "\x1B%-12345X"
    "@PJL\n"
    "@PJL JOB\n"
    "@PJL SET JOBNAME = \"Site plan\"\n"  // 0x2000: the spooler's document name
    "@PJL SET DATE = \"2009/03/02\"\n"
    "@PJL SET TIME = \"07:05:09\"\n"
    "@PJL SET USERID = \"?\"\n"     // 0x2, no user ID; no user code: local, UserCodeFlag 0
    "@PJL SET TRACKID = \"\"\n"     // 0x40, no track ID came
    "@PJL SET COPIERSTAMP = OFF\n"  // type 3, model 89, softstamp clear
    // Fold and stamp form: the "Default" bin carries no line of its own, the
    // folder (FoldJava) is fitted but not chosen.
    "@PJL SET FOLD = OFF\n"
    "@PJL SET STAMP = OFF\n"  // 0x4000000
    "@PJL SET IMAGEDIRECTION = NORMAL\n"
    "@PJL SET PRINTINFO = \"SCALING=3\"\n"  // scale 1000 tenths
    "@PJL ENTER LANGUAGE = GL2\n";

const std::string kZq1Commands =
    "\x1B\x12!-1,1,2@GL2\x1B "        // the language switch
    "MS-1,6,11,3;"                    // extended set, monochrome, no vector override
    "MS-1,24,0;"                      // the automatic slot (number 7) after its slash
    "MS-1,43,3;"                      // paper link with A1 from the automatic source
    "MS-1,23,2;"                      // hardclip 0 + 2
    "MS-1,1,600;"                     // the Resolution option of 600 dpi; font 1 writes nothing
    "MS-1,21,100.00;MS-1,22,100.00;"  // model 89 always writes both factors
    "MS-1,31,0;"                      // PrintMode "Default"
    "MS-1,60,1;"                      // Desing of colour set 2: DefMono
    "MS-1,26,0;";                     // automatic slot: the PaperKind text, Plain

TEST(JobHeader, VariantAOnTheZq1) {
  TestPrinter printer("089", u"ZQ1 header");
  FixedClock clock;
  SpoolerJob spooled(printer.handle, u"Site plan");
  RecordedJob job(printer);
  ASSERT_NE(job.e.dc, nullptr);
  job.dc().jobId = spooled.id;
  BuildJobHeader(job.dc());
  FlushOutput(job.dc().output);
  ASSERT_GE(job.recorder.transfers.size(), 2u);
  // The start block (print and log: 0x80) is a transfer of its own, first.
  EXPECT_EQ(job.recorder.transfers[0], StartBlock(4));
  EXPECT_EQ(job.Take(), StartBlock(4) + kZq1Pjl + kZq1Commands);
  EXPECT_EQ(job.dc().identity.jobTime.wYear, 2009);
  EXPECT_EQ(job.dc().identity.jobTime.wSecond, 9);

  // The KX-GL emulation closes with the second and third initialisation
  // commands, unchanged, then returns to GL2. No filter: no log block.
  WriteJobTrailer(job.dc());
  EXPECT_EQ(job.Take(), "\x1B%0A\x1B%-12345X\x1B\x12!GL2\x1B ");
}

TEST(JobHeader, JobBinderRequestWithoutFilterPrints) {
  TestPrinter printer("089", u"ZQ1 binder request");
  std::u16string ini = settings::DeviceInfoFilePath(false);
  WritePrivateProfileStringW(printer.name.c_str(), u"QBXSEND", u"1", ini.c_str());
  WritePrivateProfileStringW(printer.name.c_str(), u"QBXSEND_RESET", u"1", ini.c_str());
  RecordedJob job(printer);
  BuildJobHeader(job.dc());
  std::string header = job.Take();
  EXPECT_EQ(header.substr(0, 36), StartBlock(4));
  EXPECT_NE(header.find("@PJL JOB\n"), std::string::npos);
  EXPECT_FALSE(job.dc().identity.jobBinderSend);
  // The request was not served, so it stays.
  EXPECT_EQ(GetPrivateProfileIntW(printer.name.c_str(), u"QBXSEND", 0, ini.c_str()), 1u);
}

TEST(JobHeader, SynchronisesTheSelectionsFromThePublicSettings) {
  TestPrinter printer("095", u"CX95 selections");  // Duplex and Collate features
  RecordedJob job(printer);
  settings::Description d = job.dc().Description();
  DEVMODEW& pub = job.dc().settings.pub;
  pub.dmPrintQuality = 300;
  pub.dmFields |= DM_DUPLEX | DM_COLLATE;
  pub.dmDuplex = 2;
  pub.dmCollate = 0;
  settings::Feature pageSize = d.Predefined(settings::kPageSize);
  settings::WriteOptionSel(job.dc().settings, pageSize, 2);
  BuildJobHeader(job.dc());
  auto sel = [&](settings::PredefinedFeature f) {
    return job.priv()[priv::kOptionSel + d.Predefined(f).ListIndex()];
  };
  settings::Feature resolution = d.Predefined(settings::kResolution);
  EXPECT_EQ(sel(settings::kResolution), resolution.FindOption("300dpi"));
  EXPECT_EQ(sel(settings::kDuplex), d.Predefined(settings::kDuplex).FindOption("DuplexNoTumble"));
  EXPECT_EQ(sel(settings::kCollate), d.Predefined(settings::kCollate).FindOption("False"));
  EXPECT_EQ(sel(settings::kPageSize), 0);
  EXPECT_EQ(sel(settings::kInputSlot), 255);
}

TEST(JobHeader, PassThroughHeaderOnce) {
  TestPrinter printer("089", u"ZQ1 pass-through header");
  FixedClock clock;
  RecordedJob job(printer);
  job.dc().settings.pub.dmCopies = 3;
  SurfaceFor surface(job.e);
  ASSERT_TRUE(DrvStartDoc(&surface.so, nullptr, 0));
  unsigned char data[] = {3, 0, 'I', 'N', ';'};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(DrvEscape(&surface.so, 19, sizeof data, data, 0, nullptr), 3u);
  // No job record: the ZQ1 (mask 0) writes no job name.
  EXPECT_EQ(job.Take(), StartBlock(4) +
                            "\x1B%-12345X@PJL\n@PJL JOB\n"
                            "@PJL SET DATE = \"2009/03/02\"\n"
                            "@PJL SET TIME = \"07:05:09\"\n"
                            "@PJL SET USERID = \"?\"\n"
                            "@PJL SET TRACKID = \"\"\n"
                            "@PJL SET FOLD = OFF\n@PJL SET STAMP = OFF\n"
                            "@PJL SET COPIERSTAMP = OFF\n"
                            "@PJL SET IMAGEDIRECTION = NORMAL\n"
                            "@PJL SET QTY = 3\n"
                            "@PJL ENTER LANGUAGE = GL2\n"
                            "IN;IN;IN;");
  // The first page still writes the job header, without a second start block.
  ASSERT_TRUE(DrvStartPage(&surface.so));
  std::string page = job.Take();
  EXPECT_EQ(page.substr(0, 9), "\x1B%-12345X");
}

TEST(JobHeader, NicknameWithoutAModelRow) {
  TestPrinter printer(SampleCopy("089", "NOROW", {{"*NickName:", "*NickName: \"ACME 1\""}}),
                      u"No row", "ACME 1");
  RecordedJob job(printer);
  ASSERT_NE(job.e.dc, nullptr);
  EXPECT_EQ(jobcontrol::VariantOf(job.dc()), jobcontrol::HeaderVariant::kNone);
  BuildJobHeader(job.dc());
  EXPECT_EQ(job.Take(), "");
  // No closing commands, but still the emulation return.
  WriteJobTrailer(job.dc());
  EXPECT_EQ(job.Take(), "\x1B\x12!GL2\x1B ");
}

TEST(JobHeader, VariantsByModel) {
  struct Case {
    int model;
    jobcontrol::HeaderVariant variant;
  };
  using V = jobcontrol::HeaderVariant;
  const Case kCases[] = {{0, V::kNone}, {1, V::kB},   {5, V::kA},      {17, V::kC},
                         {29, V::kD},   {33, V::kE},  {37, V::kF},     {39, V::kG},
                         {44, V::kH},   {59, V::kI},  {75, V::kE},     {89, V::kA},
                         {96, V::kB},   {104, V::kA}, {105, V::kNone}, {-1, V::kNone}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.model);
    EXPECT_EQ(jobcontrol::VariantOfModel(c.model), c.variant);
  }
}

}  // namespace
