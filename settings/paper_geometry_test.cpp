// The paper geometry of a job: margins rows, option areas, custom sizes and the
// paper fed.
#include "settings/paper_geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/description_test_util.h"
#include "settings/settings_defaults.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

// Model 89 (it has margins rows) with A0 lacking an ImageableArea, and custom
// and user sizes (bits 5 and 18), paper link (bit 19).
constexpr char kRoll[] =
    "*NickName: \"KX-M089 test\"\n"
    "*LanguageLevel: \"89\"\n"
    "*PrinterType: \"3\"\n"
    "*PrinterFunction: \"A61F32E7\"\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A1\n"
    "*PageSize A0: \"\"\n*PageSize A1: \"\"\n*PageSize A3: \"\"\n*CloseUI: *PageSize\n"
    "*PaperDimension A0: \"2384 3370\"\n"
    "*PaperDimension A1: \"1684 2384\"\n*ImageableArea A1: \"14 14 1670 2370\"\n"
    "*PaperDimension A3: \"842 1191\"\n*ImageableArea A3: \"14 14 828 1177\"\n"
    "*OpenUI *Resolution: PickOne\n*DefaultResolution: 600dpi\n"
    "*Resolution 400dpi: \"\"\n*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n"
    "*OpenUI *FreeSize: PickOne\n*FreeSize 841x1189: \"\"\n*CloseUI: *FreeSize\n";

// The same paper on a model without margins rows.
std::string WithoutMarginsRows() {
  std::string text = kRoll;
  text.replace(text.find("\"89\""), 4, "\"77\"");
  return text;
}

struct Job {
  Block block;
  Description d;
  SettingsRecord s;
  PaperGeometry logical, fed;
  explicit Job(const std::string& text) : block(Flatten(text)), d(block.get()) {
    SetDefaults(s, u"P", d);
  }
  void Paper(int code, const char16_t* youshi = u"A3") {
    s.pub.dmPaperSize = static_cast<SHORT>(code);
    SetWideText(s.priv, priv::kYoushi, priv::kYoushiChars, youshi);
  }
  bool Compute(int dpi, UserSizeReader reader = nullptr) {
    GeometryInputs in{dpi, reader, nullptr};
    return ComputePaperGeometry(s, d, in, logical, fed);
  }
};

TEST(PaperGeometry, MarginsRowPairsByResolutionAndHardClip) {
  struct Case {
    int dpi;
    int hardclip;
    LONG right, bottom;  // width extent, length extent
  };
  // Model 89 "A0": pairs 1 and 3 (47140, 33187), pairs 2 and 4 (47506, 33594).
  const Case kCases[] = {{400, 0, 33187, 47140},
                         {400, 1, 33594, 47506},
                         {600, 0, 33187, 47140},
                         {600, 1, 33594, 47506}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.dpi * 10 + c.hardclip);
    Job job(kRoll);
    job.Paper(267);
    SetI32(job.s.priv, priv::kHardclip, c.hardclip);
    job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
    ASSERT_TRUE(job.Compute(c.dpi));
    EXPECT_EQ(job.logical.left, 0);
    EXPECT_EQ(job.logical.top, 0);
    EXPECT_EQ(job.logical.right, c.right);
    EXPECT_EQ(job.logical.bottom, c.bottom);
    EXPECT_EQ(job.logical.paperWidth, 841000);
    EXPECT_EQ(job.logical.paperLength, 1189000);
    EXPECT_EQ(job.logical.paperIndex, 0);
    EXPECT_EQ(std::string(job.logical.optionKeyword), "A0");
    EXPECT_TRUE(job.logical.valid);
  }
}

TEST(PaperGeometry, WithoutMarginsRowTheOptionAreaIsInPlotterUnits) {
  Job job(WithoutMarginsRows());
  job.Paper(267);
  job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
  ASSERT_TRUE(job.Compute(600));
  // A0 has no ImageableArea: the whole paper, 2384 x 3370 points, cut to the A0 form
  // (841 x 1189 mm, a little less than 2384 points wide).
  const std::int64_t formWidth = 841000LL * 18432 / 25400;  // 24.8 points
  EXPECT_EQ(job.logical.left, 0);
  EXPECT_EQ(job.logical.right, formWidth * 1016 / 18432);
  EXPECT_EQ(job.logical.bottom, 3370 * 1016 / 72);
  EXPECT_EQ(job.logical.top, 0);
  EXPECT_EQ(job.logical.paperWidth, 2384 * 25400 / 72);
  EXPECT_EQ(job.logical.paperLength, 3370 * 25400 / 72);
  // A3's area measured from the top edge; the lower-left corner is read 1 point larger.
  job.Paper(8);
  ASSERT_TRUE(job.Compute(600));
  EXPECT_EQ(job.logical.left, 15 * 1016 / 72);
  EXPECT_EQ(job.logical.right, 828 * 1016 / 72);
  EXPECT_EQ(job.logical.top, (1191 - 1177) * 1016 / 72);
  EXPECT_EQ(job.logical.bottom, (1191 - 15) * 1016 / 72);
}

// A form matched by its size: A0's length in micrometres times 18432 does not fit
// in 32 bits, and the match must still find the option of A0's size.
TEST(PaperGeometry, LongFormsMatchTheirOptionBySize) {
  std::string text = WithoutMarginsRows();
  for (const char* from : {"A0", "A1", "A3"}) {
    for (std::size_t at = text.find(std::string(" ") + from + ":"); at != std::string::npos;
         at = text.find(std::string(" ") + from + ":", at + 1)) {
      text.replace(at + 1, 2, std::string("S") + from[1]);  // option keywords S0, S1, S3
    }
  }
  text.replace(text.find("DefaultPageSize: A1"), 19, "DefaultPageSize: S3");
  struct Case {
    int code;
    int index;
  };
  for (const Case& c : {Case{267, 0}, Case{268, 1}, Case{280, 0}}) {  // A0, A1, B1
    SCOPED_TRACE(c.code);
    Job job(text);
    job.Paper(c.code);
    job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
    ASSERT_TRUE(job.Compute(600));
    EXPECT_EQ(job.logical.paperIndex, c.index);
  }
}

TEST(PaperGeometry, CustomSizeInMillimetres) {
  Job job(kRoll);
  job.Paper(256, u"PAPER_LINK");
  SetI16(job.s.priv, priv::kFreeYoko, 600);
  SetI16(job.s.priv, priv::kFreeTate, 2000);
  job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
  ASSERT_TRUE(job.Compute(600));
  EXPECT_EQ(job.logical.paperWidth, 600000);
  EXPECT_EQ(job.logical.paperLength, 2000000);
  EXPECT_EQ(job.logical.right, 600000 / 25);
  EXPECT_EQ(job.logical.bottom, 2000000 / 25);
  EXPECT_EQ(job.fed.paperLength, 2000000);
  EXPECT_EQ(job.s.pub.dmPaperWidth, 6000);
  EXPECT_EQ(job.s.pub.dmPaperLength, 20000);
  // Landscape: the smaller side becomes the length, and the fed paper is not turned again.
  job.s.pub.dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_TRUE(job.Compute(600));
  EXPECT_EQ(job.logical.paperWidth, 2000000);
  EXPECT_EQ(job.fed.paperWidth, 2000000);
  // The form of a custom size is in micrometres like every other form (millimetres
  // x 1000), so 841 x 1189 mm meets A0 (2384 x 3370 points) within 1.0 point; in
  // tenths of a millimetre it would be taken for the smallest option, A3.
  SetI16(job.s.priv, priv::kFreeYoko, 841);
  SetI16(job.s.priv, priv::kFreeTate, 1189);
  job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
  ASSERT_TRUE(job.Compute(600));
  EXPECT_EQ(job.logical.paperIndex, 0);
  EXPECT_STREQ(job.logical.optionKeyword, "A0");
  EXPECT_EQ(std::u16string(job.logical.formName), u"OSUSER");
}

TEST(PaperGeometry, UnusableCustomSize) {
  // Zero: the first FreeSize option's numbers.
  Job job(kRoll);
  job.Paper(256, u"PAPER_LINK");
  SetI16(job.s.priv, priv::kFreeYoko, 0);
  SetI16(job.s.priv, priv::kFreeTate, 1000);
  job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
  ASSERT_TRUE(job.Compute(600));
  EXPECT_EQ(job.logical.paperWidth, 841000);
  EXPECT_EQ(job.logical.paperLength, 1189000);
  // Without a FreeSize option either: the default paper.
  std::string text = kRoll;
  text.erase(text.find("*OpenUI *FreeSize"));
  Job bare(text);
  bare.Paper(256, u"PAPER_LINK");
  SetI16(bare.s.priv, priv::kFreeYoko, -5);
  ASSERT_TRUE(bare.Compute(600));
  EXPECT_EQ(bare.s.pub.dmPaperSize, 268);
  EXPECT_GT(bare.logical.right, 0);
  EXPECT_GT(bare.logical.bottom, 0);
}

TEST(PaperGeometry, UserSizeFromTheSettingsFile) {
  Job job(kRoll);
  job.Paper(386, u"A1");  // USER3
  job.s.pub.dmOrientation = DMORIENT_PORTRAIT;
  auto reader = [](void*, int number, int* first, int* second) {
    if (number != 3) return false;
    *first = 500;
    *second = 700;
    return true;
  };
  ASSERT_TRUE(job.Compute(600, reader));
  EXPECT_EQ(GetI16(job.s.priv, priv::kFreeYoko), 500);
  EXPECT_EQ(GetI16(job.s.priv, priv::kFreeTate), 700);
  EXPECT_EQ(job.logical.paperWidth, 500000);
  // The paper fed is A1 from the roll, as youshi says.
  EXPECT_EQ(job.fed.paperWidth, 594000);
  EXPECT_EQ(job.fed.right, 23366);
}

TEST(PaperGeometry, FedPaperTurnsForLandscape) {
  Job job(kRoll);
  job.Paper(8, u"A1");
  job.s.pub.dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_TRUE(job.Compute(400));
  EXPECT_EQ(job.fed.paperWidth, 841000);
  EXPECT_EQ(job.fed.paperLength, 594000);
  EXPECT_EQ(job.fed.right, 33187);
  EXPECT_EQ(job.fed.bottom, 23366);
  EXPECT_EQ(job.logical.right, 11377);  // A3 itself is not turned
}

TEST(PaperGeometry, FailsWithoutPageSize) {
  Job job("*LanguageLevel: \"89\"\n*PrinterType: \"3\"\n");
  EXPECT_FALSE(job.Compute(600));
}

}  // namespace
