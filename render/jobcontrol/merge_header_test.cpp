// The merge header: its layout, the paper code and dimensions, and the paper
// source code through the role and merge tray tables.
#include "render/jobcontrol/merge_header.h"

#include <gtest/gtest.h>

#include "render/jobcontrol/job_test_support.h"
#include "settings/byte_order.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace priv = settings::priv;

void SetYoushi(RecordedJob& job, const char16_t* youshi) {
  settings::SetWideText(job.priv(), priv::kYoushi, priv::kYoushiChars, youshi);
}

// The device-option table of the job's settings: names and installed flags.
void SetDeviceOptions(RecordedJob& job, std::initializer_list<std::pair<const char16_t*, int>> e) {
  std::size_t i = 0;
  for (const auto& [name, flag] : e) {
    settings::SetWideText(job.priv(), settings::DeviceOptionOffset(i, priv::kOptName),
                          priv::kOptNameChars, name);
    settings::SetI32(job.priv(), settings::DeviceOptionOffset(i, priv::kOptFlag), flag);
    ++i;
  }
  settings::SetU32(job.priv(), priv::kOptionCount, static_cast<std::uint32_t>(i));
}

std::string Word(std::uint32_t v) {
  unsigned char b[4];
  settings::StoreU32(b, v);
  return std::string(reinterpret_cast<char*>(b), 4);
}

TEST(MergeHeader, LayoutByteForByte) {
  TestPrinter zq1("089", u"ZQ1 merge layout");
  RecordedJob job(zq1);
  SetYoushi(job, u"A1");
  job.dc().settings.pub.dmDefaultSource = 7;  // 自動ﾄﾚｲ選択
  for (short orientation : {1, 2}) {
    SCOPED_TRACE(orientation);
    job.dc().settings.pub.dmOrientation = orientation;
    unsigned char header[kMergeHeaderSize];
    std::memset(header, 0xCC, sizeof header);
    BuildMergeHeader(job.dc(), header);
    std::string expected(kMergeHeaderSize, '\0');
    expected.replace(0, 24, std::string("MOBRA merge file header\0", 24));
    expected.replace(32, 4, Word(101));
    expected.replace(292, 4, Word(orientation == 2 ? 1 : 0));  // landscape: 1
    expected.replace(300, 4, Word(268));                       // A1
    expected.replace(304, 4, Word(841));
    expected.replace(308, 4, Word(594));
    expected.replace(316, 4, Word(7));
    expected.replace(320, 4, Word(2));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), sizeof header), expected);
  }
}

TEST(MergeHeader, PaperCodeAndDimensions) {
  TestPrinter zq1("089", u"ZQ1 merge paper");
  // The same printer without 0x80000 falls back to A3 for unknown names.
  TestPrinter plain(
      SampleCopy("089", "ZQ1NOLINK", {{"*PrinterFunction:", "*PrinterFunction: \"A61732E7\""}}),
      u"ZQ1 merge paper plain", "KX-M089 ZQ1");
  struct Case {
    const char* name;
    const TestPrinter* printer;
    const char16_t* youshi;
    short paperSize;
    const char16_t* formName;
    MergePaper paper;
  };
  const Case kCases[] = {
      {"A0", &zq1, u"A0", 267, u"", {267, 1189, 841}},
      {"B6", &zq1, u"B6", 88, u"", {88, 182, 128}},
      {"inch size truncated", &zq1, u"12 x 18 in", 512, u"", {512, 457, 304}},
      {"13 x 19 in", &zq1, u"13 x 19 in", 513, u"", {513, 482, 330}},
      {"paper link, size in the record", &zq1, u"PAPER_LINK", 256, u"A4", {256, 1000, 600}},
      {"paper link, user size code", &zq1, u"PAPER_LINK", 385, u"A4", {256, 1000, 600}},
      {"paper link, standard size by form", &zq1, u"PAPER_LINK", 9, u"A4", {9, 297, 210}},
      {"paper link, unknown form", &zq1, u"PAPER_LINK", 1, u"Letter", {268, 841, 594}},
      {"user size", &zq1, u"USER3", 386, u"", {256, 500, 300}},
      {"system user size", &zq1, u"OSUSER", 256, u"", {256, 500, 300}},
      {"names match exactly", &zq1, u"a0", 267, u"", {268, 841, 594}},
      {"unknown name without the roll family", &plain, u"Letter", 1, u"", {8, 420, 297}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordedJob job(*c.printer);
    ASSERT_NE(job.e.dc, nullptr);
    SetYoushi(job, c.youshi);
    DEVMODEW& pub = job.dc().settings.pub;
    pub.dmPaperSize = c.paperSize;
    std::memset(pub.dmFormName, 0, sizeof pub.dmFormName);
    std::u16string form(c.formName);
    std::copy(form.begin(), form.end(), pub.dmFormName);
    settings::SetI16(job.priv(), priv::kFreeTate, 1000);
    settings::SetI16(job.priv(), priv::kFreeYoko, 600);
    settings::SetI16(job.priv(), priv::kFreeYousit, 500);
    settings::SetI16(job.priv(), priv::kFreeYousiy, 300);
    MergePaper paper = MergePaperOf(job.dc());
    EXPECT_EQ(paper.code, c.paper.code);
    EXPECT_EQ(paper.first, c.paper.first);
    EXPECT_EQ(paper.second, c.paper.second);
  }
}

TEST(MergeHeader, PaperSourceCode) {
  TestPrinter zq1("089", u"ZQ1 merge source");
  // The hand tray renamed to a tray no row knows.
  TestPrinter other(SampleCopy("089", "ZQ1OTHERTRAY",
                               {{"*InputSlot HandTray",
                                 "*InputSlot HandTray^Hand_0/Side Door^265: \"None/MS-1,24,5;\""}}),
                    u"ZQ1 merge source other", "KX-M089 ZQ1");
  using Options = std::initializer_list<std::pair<const char16_t*, int>>;
  struct Case {
    const char* name;
    const TestPrinter* printer;
    short source;
    Options options;
    std::int32_t code;
  };
  const Case kCases[] = {
      {"cut paper tray, Role1 installed", &zq1, 266, {{u"Role1", 1}, {u"Role2", 1}}, 263},
      {"cut paper tray, only Role2", &zq1, 266, {{u"Role1", 0}, {u"Role2", 1}}, 266},
      {"cut paper tray, neither", &zq1, 266, {{u"Role1", 0}, {u"Role2", 0}}, 263},
      {"cut paper tray, no roles listed", &zq1, 266, {}, 263},
      {"automatic selection", &zq1, 7, {}, 7},
      {"first roll", &zq1, 260, {}, 260},
      {"first roll, free size", &zq1, 262, {}, 262},
      {"hand tray", &zq1, 265, {{u"Role1", 1}}, 4},
      {"no option with the number", &zq1, 999, {}, 999},
      {"a tray name in no row", &other, 265, {}, 265},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordedJob job(*c.printer);
    ASSERT_NE(job.e.dc, nullptr);
    SetDeviceOptions(job, c.options);
    job.dc().settings.pub.dmDefaultSource = c.source;
    EXPECT_EQ(MergeSourceCode(job.dc()), c.code);
  }
}

}  // namespace
