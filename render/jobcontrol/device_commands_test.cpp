// The device command groups: scale factors and shifts, the basic and extended
// media sets, fold lines, tray commands and red-ink pens.
#include "render/jobcontrol/device_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "render/jobcontrol/job_test_support.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace priv = settings::priv;

struct MediaCase {
  const char* name;
  std::function<void(RecordedJob&)> set;
  std::string bytes;
};

// On the ZQ1 (type 3, model 89, extended set, scale in tenths, landscape A1).
TEST(DeviceCommands, ExtendedMediaOnTheZq1) {
  TestPrinter printer("089", u"ZQ1 media");
  const std::string clip = "MS-1,23,2;MS-1,1,600;";
  const MediaCase kCases[] = {
      {"defaults", [](RecordedJob&) {}, clip + "MS-1,21,100.00;MS-1,22,100.00;"},
      {"scaleh 10005", [](RecordedJob& j) { SetI32(j, priv::kScaleh, 10005); },
       clip + "MS-1,21,100.05;MS-1,22,100.00;"},
      {"scaleh 12345", [](RecordedJob& j) { SetI32(j, priv::kScaleh, 12345); },
       clip + "MS-1,21,123.45;MS-1,22,100.00;"},
      {"scaley 9990", [](RecordedJob& j) { SetI32(j, priv::kScaley, 9990); },
       clip + "MS-1,21,100.00;MS-1,22,99.90;"},
      {"scale 1005 in tenths", [](RecordedJob& j) { SetI16(j, priv::kScale, 1005); },
       clip + "MS-1,21,100.00;MS-1,22,100.00;MS-1,20,100.5;"},
      // Landscape on a roll printer shifts the other way; a zero shift is left out.
      {"movex 12 landscape", [](RecordedJob& j) { SetI32(j, priv::kMovex, 12); },
       clip + "MS-1,21,100.00;MS-1,22,100.00;MS-1,7,-12;"},
      {"portrait keeps the sign",
       [](RecordedJob& j) {
         SetI32(j, priv::kMovex, 12);
         SetI32(j, priv::kMovey, -3);
         j.dc().settings.pub.dmOrientation = 1;
       },
       clip + "MS-1,21,100.00;MS-1,22,100.00;MS-1,7,12;MS-1,8,-3;"},
      {"font 3, mirror, centred",
       [](RecordedJob& j) {
         SetI32(j, priv::kFont, 3);
         settings::SetU32(j.priv(), priv::kFlags,
                          settings::GetU32(j.priv(), priv::kFlags) | settings::kPrivMirror);
         SetPrintOption(j, settings::kOptCenter, true);
       },
       // centermode 1, but the description offers "hdd" and the table has it not fitted
       "MS-1,23,2;MS-1,30,3;MS-1,1,600;MS-1,21,100.00;MS-1,22,100.00;MS-1,42,1;MS-1,49,2;"
       "MS-1,47,1;"},
      {"custom paper from the roll",
       [](RecordedJob& j) {
         j.dc().settings.pub.dmPaperSize = 256;
         SetI16(j, priv::kSpacetop, 5);
         SetI16(j, priv::kSpaceright, 7);
       },
       // Custom size: clip 3; model 89 places by its flag (clear: no command).
       "MS-1,23,3;MS-1,1,600;MS-1,21,100.00;MS-1,22,100.00;MS-1,95,5;MS-1,98,7;"},
  };
  for (const MediaCase& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordedJob job(printer);
    c.set(job);
    WriteExtendedMediaCommands(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

// On the MX12 (type 4, A4, percent, no Resolution with 0x4000).
TEST(DeviceCommands, BasicMediaOnTheMx12) {
  TestPrinter printer("012", u"MX12 media");
  const MediaCase kCases[] = {
      {"defaults", [](RecordedJob&) {},
       "MS-1,23,2;MS-1,30,1;MS-1,21,100.00;MS-1,22,100.00;MS-1,7,0;MS-1,8,0;MS-1,42,2;"
       "MS-1,20,100;MS-1,40,1;MS-1,41,2;MS-1,72,1,1;MS-1,72,2,1;"},
      {"red image, stamp font, hard clip 1",
       [](RecordedJob& j) {
         SetI32(j, priv::kPenimage, 1);
         SetI32(j, priv::kFont, 0);
         SetI32(j, priv::kHardclip, 1);
         SetPrintOption(j, settings::kOptStampcheck, true);
         SetI16(j, priv::kScale, 75);
         SetI32(j, priv::kMovex, 12);  // type 4: never negated
       },
       "MS-1,23,3;MS-1,30,3;MS-1,21,100.00;MS-1,22,100.00;MS-1,7,12;MS-1,8,0;MS-1,42,2;"
       "MS-1,20,75;MS-1,40,1;MS-1,41,2;MS-1,72,1,1;MS-1,72,2,2;"},
  };
  for (const MediaCase& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordedJob job(printer);
    c.set(job);
    WriteBasicMediaCommands(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

TEST(DeviceCommands, JobSetupBySource) {
  TestPrinter printer("012", u"MX12 set-up");
  struct Case {
    int source;
    std::string bytes;
  };
  const Case kCases[] = {
      // Below 256 the automatic slot (number 7) is meant, whatever the number.
      {1, "MS-1,24,0;MS-1,43,3;"},
      {7, "MS-1,24,0;MS-1,43,3;"},
      {257, "MS-1,24,1;MS-1,43,1;"},
      {300, "MS-1,43,1;"},  // no slot: only the feed mode
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.source);
    RecordedJob job(printer);
    job.dc().settings.pub.dmDefaultSource = static_cast<short>(c.source);
    WriteJobSetupCommands(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

TEST(DeviceCommands, FoldLines) {
  TestPrinter printer("089", u"ZQ1 fold");
  RecordedJob job(printer);
  SetI16(job, priv::kBindValue, 40);
  WriteFoldLines(job.dc());  // OriCombo 0, BindCheck 0, HardStamp 0
  EXPECT_EQ(job.Take(), "@PJL SET FOLD = OFF\n@PJL SET FOLDMARGIN=0\n@PJL SET FOLDSTAMP = OFF\n");
  SetI16(job, priv::kOriCombo, 2);
  SetI16(job, priv::kBindCheck, 1);
  SetI16(job, priv::kHardStamp, 1);
  WriteFoldLines(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET FOLD = CROSS\n@PJL SET FOLDMARGIN=40\n@PJL SET FOLDSTAMP = ON\n");
}

TEST(DeviceCommands, FoldAndStampLines) {
  TestPrinter printer("089", u"ZQ1 folder");
  RecordedJob job(printer);
  SetI32(job, priv::kDestination, 3);  // FoldJava: "Fold/@PJL SET OUTBIN=FOLDER"
  SetI16(job, priv::kOriCombo, 1);
  WriteFoldAndStampLines(job.dc());  // automatic source: never folded
  EXPECT_EQ(job.Take(), "@PJL SET OUTBIN=FOLDER\n@PJL SET FOLD = OFF\n@PJL SET STAMP = OFF\n");
  job.dc().settings.pub.dmDefaultSource = 260;
  settings::SetU16(job.priv(), priv::kDeviceFlags, settings::kDevOriStamp);
  WriteFoldAndStampLines(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET OUTBIN=FOLDER\n@PJL SET FOLD = ZIGZAG\n@PJL SET STAMP = ON\n");
  job.dc().settings.pub.dmDefaultSource = 265;  // the hand-feed tray
  WriteFoldAndStampLines(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET OUTBIN=FOLDER\n@PJL SET FOLD = OFF\n@PJL SET STAMP = OFF\n");
}

TEST(DeviceCommands, RedInkPens) {
  TestPrinter printer("044", u"RX44 pens");  // type 8 with the "Redink" option fitted
  RecordedJob job(printer);
  ASSERT_TRUE(job.dc().optionFlags & kOptionRedInk);
  auto pen = [&](std::size_t n, std::int32_t colour, std::int32_t iro) {
    settings::SetI32(job.priv(), settings::PenOffset(n, priv::kPenColor), colour);
    settings::SetI32(job.priv(), settings::PenOffset(n, priv::kPenIro), iro);
  };
  pen(0, 1, 1);
  pen(3, 24, 1);  // "no colour": never red, whatever iro says
  pen(9, 5, 1);
  pen(10, 5, 2);
  const std::string framed = "\x1B\x12?";
  auto cmd = [&](const char* t) { return framed + t + "\x1B "; };
  WriteRedInkPalette(job.dc());
  EXPECT_EQ(job.Take(), cmd("*0,2") + cmd("*9,2") + cmd("*31,2"));
  SetI32(job, priv::kPenimage, 1);
  WriteRedInkPalette(job.dc());
  EXPECT_EQ(job.Take(), cmd("*0,2") + cmd("*9,2") + cmd("*31,2") + cmd("*25,2") + cmd("*26,2"));
  // The second form: "*31,2" only with black text in the colour mode and a font.
  SetI32(job, priv::kPenimage, 0);
  WriteSecondPenPalette(job.dc());  // monochrome: charblack0 1, font 1
  EXPECT_EQ(job.Take(), cmd("*0,2") + cmd("*9,2") + cmd("*31,2"));
  SetI32(job, priv::kFont, 0);
  WriteSecondPenPalette(job.dc());
  EXPECT_EQ(job.Take(), cmd("*0,2") + cmd("*9,2"));
}

TEST(DeviceCommands, CustomSizeTrayOnlyFromHandOrMultiTray) {
  // The CX95 with custom sizes on its trays (0x20); its multi tray is ^259.
  TestPrinter printer(
      SampleCopy("095", "CX95TRAY", {{"*PrinterFunction:", "*PrinterFunction: \"086934EF\""}}),
      u"CX95 tray", "KX-M095");
  const std::string size = "\x1B\x12?5841,1189,T\x1B ";
  struct Case {
    int source;
    short paper;
    std::string bytes;
  };
  const Case kCases[] = {{259, 256, size}, {257, 256, ""}, {259, 9, ""}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.source);
    RecordedJob job(printer);
    job.dc().settings.pub.dmDefaultSource = static_cast<short>(c.source);
    job.dc().settings.pub.dmPaperSize = c.paper;
    SetI16(job, priv::kFreeYoko, 841);
    SetI16(job, priv::kFreeTate, 1189);
    SetPrintOption(job, settings::kOptPapersizechange, true);
    WriteCustomSizeTray(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

TEST(DeviceCommands, RoleTrayOnTheZq1) {
  TestPrinter printer("089", u"ZQ1 roles");
  const std::string framed = "\x1B\x12?";
  struct Case {
    const char* name;
    int source;
    short paper;
    std::string bytes;
  };
  const Case kCases[] = {
      {"automatic: paper kind text", 7, 268, "MS-1,26,0;"},
      {"fixed roll: nothing", 260, 268, ""},
      {"free roll, custom size", 262, 256, framed + "5841,1189,R\x1B "},
      {"free roll, standard size", 262, 268, ""},
      {"hand tray, standard size", 265, 268, framed + "6T,Plain\x1B "},
      {"hand tray, custom size", 265, 256, framed + "5841,1189,T\x1B " + framed + "6T,Plain\x1B "},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordedJob job(printer);
    job.dc().settings.pub.dmDefaultSource = static_cast<short>(c.source);
    job.dc().settings.pub.dmPaperSize = c.paper;
    WriteRoleTray(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

}  // namespace
