// What the reader collects from a whole job: spool blocks, PJL lines, device
// commands, pages; and how it carries on past what it does not understand.
#include <gtest/gtest.h>

#include "tools/preview/preview.h"
#include "tools/preview/test_streams.h"

namespace preview {
namespace {

const std::string kFrameOpen = "\x1B\x12";
const std::string kFrameClose = "\x1B\x20";

std::string Framed(const std::string& text) { return kFrameOpen + text + kFrameClose; }

// A job as the render library writes it for the wide-format family: the
// spool filter's start block, the PJL header, the language switch, the
// device commands, one page, the trailer.
std::string Job() {
  std::string start(4, '\0');
  start += std::string(32, '\x01');
  return start +
         "\x1B%-12345X@PJL\n@PJL JOB\n@PJL SET JOBNAME = \"site plan 'A'\"\n"
         "@PJL SET DATE = \"2009/03/02\"\n@PJL SET TIME = \"07:05:09\"\n"
         "@PJL SET PRINTINFO = \"SCALING=3\"\n@PJL ENTER LANGUAGE = GL2\n" +
         Framed("!-1,1,2@GL2") + "MS-1,6,11,1;MS-1,23,2;MS-1,21,100.00;MS-1,42,2;" +
         Framed("?5420,594,T") + Framed("5@A1") + test::PortraitSetup() +
         "PU;PA100,100;RR50,50;PG;" + "\x1B%-12345X@PJL EOJ\n\x1B%-12345X" + Framed("!KX-GL ");
}

TEST(StreamReader, CollectsTheJobHeaderAndDeviceCommands) {
  const std::string job = Job();
  JobInfo info = InterpretStream(test::Bytes(job));
  EXPECT_TRUE(info.problems.empty()) << FormatJobInfo(info);
  ASSERT_EQ(info.spoolBlocks.size(), 1u);
  EXPECT_EQ(info.spoolBlocks[0].kind, "job start (print)");
  EXPECT_EQ(info.spoolBlocks[0].size, 36u);

  std::map<std::string, std::string> set;
  for (const PjlLine& line : info.pjl) {
    if (line.command == "SET") set[line.key] = line.value;
  }
  EXPECT_EQ(set["JOBNAME"], "site plan 'A'");
  EXPECT_EQ(set["DATE"], "2009/03/02");
  EXPECT_EQ(set["PRINTINFO"], "SCALING=3");
  ASSERT_GE(info.pjl.size(), 2u);
  EXPECT_EQ(info.pjl[0].command, "UEL");
  EXPECT_EQ(info.pjl[0].offset, 36u);

  std::vector<std::string> texts;
  for (const DeviceCommand& c : info.deviceCommands) {
    texts.push_back(c.form + " " + c.text);
    EXPECT_FALSE(c.meaning.empty()) << c.text;
  }
  const std::vector<std::string> expected = {
      "framed !-1,1,2@GL2", "MS MS-1,6,11,1;",    "MS MS-1,23,2;", "MS MS-1,21,100.00;",
      "MS MS-1,42,2;",      "framed ?5420,594,T", "framed 5@A1",   "framed !KX-GL "};
  EXPECT_EQ(texts, expected);
  ASSERT_EQ(info.pages.size(), 1u);
  EXPECT_EQ(info.pages[0].commands.at("RR"), 1);
  EXPECT_NEAR(info.pages[0].sheetWidthMm, 100, 1e-9);
  EXPECT_NEAR(info.pages[0].sheetHeightMm, 150, 1e-9);
}

// Printers without PJL end the job with the SIC terminator or a single 04.
TEST(StreamReader, EndsOfJobWithoutPjl) {
  const std::string stream =
      test::PortraitSetup() + "PG;" + std::string("\x1B[K\x01\x00\x06\x00", 7) + "\x04";
  JobInfo info = InterpretStream(test::Bytes(stream));
  EXPECT_TRUE(info.problems.empty()) << FormatJobInfo(info);
  ASSERT_EQ(info.deviceCommands.size(), 2u);
  EXPECT_EQ(info.deviceCommands[0].meaning, "end of the job (SIC)");
  EXPECT_EQ(info.deviceCommands[1].meaning, "end of the job");
}

// Description texts copied in after the language switch may be PJL lines;
// one without its line end is read up to the MS command it runs into.
TEST(StreamReader, PjlLinesInsideKxGl) {
  const std::string stream =
      "\x1B\x12!-1,1,2@GL2\x1B\x20@PJL SET MEDIASOURCE = TRAY1\n"
      "MS-1,43,1;@PJL SET PRINTMODE = NORMALMS-1,23,2;" +
      test::PortraitSetup() + "PG;";
  JobInfo info = InterpretStream(test::Bytes(stream));
  ASSERT_EQ(info.pjl.size(), 2u);
  EXPECT_EQ(info.pjl[0].key, "MEDIASOURCE");
  EXPECT_EQ(info.pjl[0].value, "TRAY1");
  EXPECT_EQ(info.pjl[1].value, "NORMAL");
  ASSERT_EQ(info.deviceCommands.size(), 3u);
  EXPECT_EQ(info.deviceCommands[2].text, "MS-1,23,2;");
  ASSERT_EQ(info.problems.size(), 1u);
  EXPECT_EQ(info.problems[0].offset, stream.find("@PJL SET PRINTMODE"));
}

// "PS;" alone keeps the sheet the stream gave just before it.
TEST(StreamReader, PlotSizeAloneKeepsTheSheet) {
  const std::string stream = "\x1B%0BIN;PS6000,4000;PS;SP1;PA10,10;PD20,20;PG;";
  JobInfo info = InterpretStream(test::Bytes(stream));
  ASSERT_EQ(info.pages.size(), 1u);
  EXPECT_NEAR(info.pages[0].sheetWidthMm, 150, 1e-9);
  EXPECT_NEAR(info.pages[0].sheetHeightMm, 100, 1e-9);
}

TEST(StreamReader, JobBinderBlocksAreSkipped) {
  std::string start(1, '\x02');
  start += std::string(3, '\0') + std::string(32, '\x01');
  std::string trailer = "LIAT" + std::string("\x01\0\0\0\x01\0\0\0", 8) + std::string(64, '\0');
  std::string stream = start + std::string(1536, 'b') + std::string(380, 'm') +
                       test::PortraitSetup() + "PG;" + Framed("!1@R00") + trailer;
  JobInfo info = InterpretStream(test::Bytes(stream));
  EXPECT_TRUE(info.problems.empty()) << FormatJobInfo(info);
  ASSERT_EQ(info.spoolBlocks.size(), 4u);
  EXPECT_EQ(info.spoolBlocks[1].kind, "job-binder block");
  EXPECT_EQ(info.spoolBlocks[2].kind, "job-binder merge header");
  EXPECT_EQ(info.spoolBlocks[3].kind, "job-binder trailer");
  EXPECT_EQ(info.pages.size(), 1u);
}

TEST(StreamReader, AnUnknownCommandIsReportedAndTheRestRenders) {
  std::string before = test::PortraitSetup() + "PU;PA100,100;RR50,50;";
  std::string stream = before + "ZZ12,3;PU;PA300,100;RR50,50;PG;";
  test::Picture p = test::RenderFirstPage(stream);
  ASSERT_EQ(p.info.problems.size(), 1u);
  EXPECT_EQ(p.info.problems[0].offset, before.size());
  EXPECT_EQ(p.info.problems[0].text, "unknown command ZZ");
  EXPECT_EQ(p.info.problems[0].page, 1);
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.Inked(125, 125));
  EXPECT_TRUE(p.Inked(325, 125));
}

TEST(StreamReader, StrayBytesAndForeignEscapesAreReportedOnce) {
  std::string setup = test::PortraitSetup();
  std::string stream = setup + "\x03\x03\x03" + "PU;PA100,100;RR50,50;\x1B&l1O" + "PG;";
  JobInfo info = InterpretStream(test::Bytes(stream));
  ASSERT_EQ(info.problems.size(), 2u) << FormatJobInfo(info);
  EXPECT_EQ(info.problems[0].offset, setup.size());
  EXPECT_EQ(info.problems[1].offset, stream.size() - 3 - 5);
  EXPECT_EQ(info.pages.size(), 1u);
}

TEST(StreamReader, ACutStreamRendersWhatItHas) {
  std::string stream = test::PortraitSetup() + "PE<=" + test::Pair(100, 100) + test::Pair(50, 0);
  test::Picture p = test::RenderFirstPage(stream);
  EXPECT_TRUE(p.info.truncated);
  ASSERT_EQ(p.info.pages.size(), 1u);
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.Inked(125, 100));

  // Cut inside a raster row: the rows before it are kept.
  std::string raster =
      test::PortraitSetup() + "PUPA10,10\x1B%1A\x1B*r8s1A\x1B*b0m1W\xFF\x1B*b5W\xFF";
  JobInfo info = InterpretStream(test::Bytes(raster));
  EXPECT_TRUE(info.truncated);
  ASSERT_EQ(info.pages.size(), 1u);
  ASSERT_EQ(info.pages[0].rasters.size(), 1u);
  EXPECT_EQ(info.pages[0].rasters[0].height, 2);
}

TEST(StreamReader, AbsurdSizesAreLimited) {
  // A plot size of a kilometre and a raster wider than any image.
  std::string stream =
      "\x1B%0BIN;PS40000000,40000000;SP1;PA0,0;PD400000,400000;PU;"
      "\x1B%1A\x1B*r99999999s1A\x1B*b0m4W\xFF\xFF\xFF\xFF\x1B*rC\x1B%0BPG;";
  JobInfo info = InterpretStream(test::Bytes(stream));
  ASSERT_EQ(info.pages.size(), 1u);
  EXPECT_GE(info.problems.size(), 2u) << FormatJobInfo(info);
  EXPECT_NEAR(info.pages[0].sheetWidthMm, 100000, 1e-6);  // limited to 100 m

  // The picture of such a sheet stays within its pixel budget, and says so.
  std::optional<PageImage> image;
  InterpretStream(test::Bytes(stream), {}, [&](Page&& page, const PageInfo&) {
    RenderOptions options;
    options.dpi = 300;
    options.maxPixels = 1'000'000;
    image = RenderPage(page, options);
  });
  ASSERT_TRUE(image);
  EXPECT_LE(static_cast<uint64_t>(image->width) * image->height, 1'000'000u);
  EXPECT_LT(image->dpi, 1);
  EXPECT_NE(image->note.find("rendered at"), std::string::npos);
}

TEST(StreamReader, LanguageSwitchWithAHugeNumber) {
  // The switch's number is far beyond any int; the stream still reads.
  std::string stream = "\x1B%22222222222221A\x1B*r3U\x1B*r1A\x1B*b3m2W\x01\xFF\x1B*rC\x1B%0BPG;";
  JobInfo info = InterpretStream(test::Bytes(stream));
  EXPECT_EQ(info.pages.size(), 1u) << FormatJobInfo(info);
}

}  // namespace
}  // namespace preview
