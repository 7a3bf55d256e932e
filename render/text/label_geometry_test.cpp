// Label geometry: em lengths without overflow, size units, the vertical-writing
// tables and the direction rules.
#include "render/text/label_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace render;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(LabelGeometry, LengthIsTheSmallestIntegerCoveringTheVector) {
  struct Case {
    double x, y;
    std::int32_t length;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case kCases[] = {
      {3, 4, 5},
      {3, 4.1, 6},
      {-3, -4, 5},
      {0, 0, 0},
      {1, 1, 2},
      {1000, 0, 1000},
      {0.5, 0, 1},
      // 46341 squared (2147488281) leaves the int32 range; twice that
      // (4294976562) lies just above 65536 squared (4294967296).
      {46341, 0, 46341},
      {46341, 46341, 65537},
      {1e10, 1e10, kMax},
      {inf, 0, kMax},
      {std::nan(""), 1, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(LabelLength(c.x, c.y), c.length);
  }
}

TEST(LabelGeometry, PixelsToHundredths) {
  EXPECT_EQ(PixelsToHundredths(600, 600), 254);
  EXPECT_EQ(PixelsToHundredths(100, 600), 42);  // 25400 / 600, truncated
  EXPECT_EQ(PixelsToHundredths(-600, 600), -254);
  EXPECT_EQ(PixelsToHundredths(kMax, 600), 909101410);  // the product needs 64 bits
  EXPECT_EQ(PixelsToHundredths(kMax, 1), kMax);         // clamped, not wrapped
  EXPECT_EQ(PixelsToHundredths(600, 0), 0);
}

TEST(LabelGeometry, SizeFromTheFontTransform) {
  // A 1000-unit em scaled by 0.6 at 600 dpi: 600 pixels, 254 hundredths, and the
  // label height 254 * 85 / 100. The float element 0.6 lies just above 0.6; the
  // product's fraction adds no pixel.
  LabelSize upright = MakeLabelSize(1000, 0.6f, 0, 0, 0.6f, 600);
  EXPECT_EQ(upright.widthPixels, 600);
  EXPECT_EQ(upright.heightPixels, 600);
  EXPECT_EQ(upright.width, 254);
  EXPECT_EQ(upright.height, 215);
  // Turned: each row (300, 400) has length 500; 500 * 254 / 600 = 211, H = 179.
  LabelSize turned = MakeLabelSize(1000, 0.3, 0.4, -0.4, 0.3, 600);
  EXPECT_EQ(turned.widthPixels, 500);
  EXPECT_EQ(turned.width, 211);
  EXPECT_EQ(turned.height, 179);
  // A transform far beyond any page clamps instead of wrapping.
  LabelSize huge = MakeLabelSize(1e6, 1e6, 1e6, 1e6, 1e6, 1);
  EXPECT_EQ(huge.widthPixels, kMax);
  EXPECT_EQ(huge.width, kMax);
  EXPECT_EQ(huge.height, static_cast<std::int32_t>(std::int64_t{kMax} * 85 / 100));

  struct Case {
    const char* name;
    int runClass;
    bool vertical;
    std::uint16_t code;
    LabelSizePair pair;
  };
  const Case kCases[] = {
      {"two-byte", 1, false, 0x8ABF, {211, 179}},
      {"half-width", 2, false, 0xB1, {105, 179}},
      {"ASCII", 4, false, 0x41, {105, 179}},
      {"vertical kanji", 1, true, 0x8ABF, {179, 211}},
      {"vertical, on its side", 1, true, 0x815B, {211, 179}},
      {"vertical ASCII", 4, true, 0x41, {105, 179}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    LabelSizePair p = MakeLabelSizePair(turned, c.runClass, c.vertical, c.code);
    EXPECT_EQ(p.first, c.pair.first);
    EXPECT_EQ(p.second, c.pair.second);
  }
}

TEST(LabelGeometry, VerticalTables) {
  int rotated = 0;
  for (unsigned code = 0x8100; code <= 0x84FF; ++code) {
    rotated += IsVerticalRotatedCode(static_cast<std::uint16_t>(code));
  }
  EXPECT_EQ(rotated, 66);
  // The ends of each range and their neighbours.
  for (std::uint16_t code : {0x8150, 0x8151, 0x815B, 0x815D, 0x8160, 0x8164, 0x8169, 0x817A, 0x8181,
                             0x81A8, 0x81AC, 0x849F, 0x84BE}) {
    EXPECT_TRUE(IsVerticalRotatedCode(code)) << code;
  }
  for (std::uint16_t code : {0x814F, 0x8152, 0x815A, 0x815E, 0x815F, 0x8165, 0x8168, 0x817B, 0x8180,
                             0x8182, 0x81A7, 0x81AD, 0x849E, 0x84BF, 0x8ABF}) {
    EXPECT_FALSE(IsVerticalRotatedCode(code)) << code;
  }
  for (std::uint16_t code : {0x8141, 0x8142, 0x8143, 0x8144}) {
    EXPECT_TRUE(IsVerticalPunctuationCode(code)) << code;
    EXPECT_FALSE(IsVerticalRotatedCode(code)) << code;
  }
  EXPECT_FALSE(IsVerticalPunctuationCode(0x8140));
  EXPECT_FALSE(IsVerticalPunctuationCode(0x8145));
}

TEST(LabelGeometry, Direction) {
  struct Case {
    const char* name;
    DirectionInputs in;
    LabelDirection out;
  };
  const double nan = std::nan("");
  // clang-format off
  const Case kCases[] = {
      {"horizontal",              {1, 0, 0, false, false, false, 0},          {1000000, 0}},
      {"turned",                  {0.5, 0.25, -0.25, false, false, false, 0}, {500000, -250000}},
      {"masked model",            {0.5, 0.25, 9, true, false, false, 0},      {500000, -250000}},
      {"two-byte, horizontal",    {1, 0, 0, false, false, true, 0x8ABF},      {1000000, 0}},
      {"vertical kanji",          {1, 0, 0, false, true, true, 0x8ABF},       {0, 1000000}},
      {"vertical punctuation",    {1, 0, 0, false, true, true, 0x8142},       {0, -1000000}},
      {"vertical, on its side",   {1, 0, 0, false, true, true, 0x815B},       {1000000, 0}},
      {"vertical, one byte",      {1, 0, 0, false, true, false, 0x41},        {1000000, 0}},
      {"huge element clamped",    {1e9, 0, -1e9, false, false, false, 0},     {kMax, kMin}},
      {"turn of the clamped rise", {0, 0, -1e9, false, true, true, 0x8ABF},   {kMax, 0}},
      {"not a number",            {nan, 0, nan, false, false, false, 0},      {0, 0}},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    LabelDirection d = MakeLabelDirection(c.in);
    EXPECT_EQ(d.run, c.out.run);
    EXPECT_EQ(d.rise, c.out.rise);
  }
}

TEST(LabelGeometry, SameDirection) {
  struct Case {
    LabelDirection now, last;
    bool same;
  };
  const Case kCases[] = {
      {{1, 2}, {1, 2}, true},  {{0, 5}, {0, 7}, true},   {{0, 5}, {0, -5}, false},
      {{9, 0}, {5, 0}, true},  {{-5, 0}, {5, 0}, false}, {{0, 5}, {0, 0}, false},
      {{1, 2}, {2, 1}, false}, {{0, 0}, {0, 0}, true},   {{3, 0}, {0, 3}, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.now.run << "," << c.now.rise << " after " << c.last.run
                                    << "," << c.last.rise);
    EXPECT_EQ(SameLabelDirection(c.now, c.last), c.same);
  }
}

}  // namespace
