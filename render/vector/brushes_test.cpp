// Brushes: realisations of hatches and patterns, the fill types of solid and
// hatched fills, and the downloaded two-colour and monochrome fill patterns,
// byte for byte.
#include "render/vector/brushes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/engine/callbacks.h"
#include "platform/engine/objects.h"
#include "render/core/driver_entry.h"
#include "render/vector/recording_context.h"

namespace {

using namespace render;
using namespace settings::priv;
using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Translation;
using render::testing::Recorded;
using render::testing::TestPrinter;

constexpr ULONG kWhite = 0xFFFFFF;
constexpr ULONG kRed = 0x0000FF;
constexpr DWORD kPatCopy = 0xF0F0;  // the merge control a fresh device context holds

// The device's surface as the engine hands it to DrvRealizeBrush.
struct Surface {
  SURFOBJ so{};
  explicit Surface(DeviceContext& dc) {
    so.dhpdev = reinterpret_cast<DHPDEV>(&dc);
    so.iBitmapFormat = BMF_24BPP;
  }
};

// A one-bit pattern whose row y from the top is rows[y] (the first byte of it).
Bitmap OneBit(LONG w, LONG h, const std::vector<BYTE>& rows, FLONG flags = BMF_TOPDOWN) {
  Bitmap b = Bitmap::Create({w, h}, BMF_1BPP, flags);
  SURFOBJ* so = b.Get();
  for (LONG y = 0; y < h; ++y) {
    static_cast<BYTE*>(so->pvScan0)[y * so->lDelta] = rows[static_cast<std::size_t>(y)];
  }
  return b;
}

// "RF1,8,8" and the pens of 8 rows of 8 bits, most significant first.
std::string PatternPens(const std::vector<BYTE>& rows) {
  std::string s = "RF1,8,8";
  for (BYTE row : rows) {
    for (int bit = 7; bit >= 0; --bit) s += (row >> bit) & 1 ? ",26" : ",25";
  }
  return s;
}

const std::vector<BYTE> kChecker = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};

TEST(Brushes, HatchWritesItsFillTypeOnceAndSolidWritesFtAgain) {
  TestPrinter printer("089", u"ZQ1 hatch fills");
  Recorded r(printer);
  Surface surface(r.dc());
  Brush cross = Brush::Hatch(HS_CROSS, 0x000000, kWhite);
  cross.BindRealizer(&DrvRealizeBrush, &surface.so);
  // Pen 1 draws black (defined by the page set-up); hatch lines are 16/256 mm
  // wide; fill type 4 at 0 degrees; an alternate fill.
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), 0, cross.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "SP1PW0.063,1FT4,26.667,0FP0;");
  // The same brush again: pen, width and fill type are all in force.
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), FP_WINDINGMODE, cross.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "FP1;");
  // A solid black fill after the hatch sets the solid fill type again, once.
  Brush solid = Brush::Solid(0x000000);
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), 0, solid.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "FTFP0;");
  ASSERT_TRUE(SetPaintBrush(r.dc(), solid.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "");
}

TEST(Brushes, EveryHatchStyleHasItsFillType) {
  struct Case {
    ULONG style;
    const char* ft;
  };
  const Case kCases[] = {
      {HS_HORIZONTAL, "FT3,26.667,0"},  {HS_VERTICAL, "FT3,26.667,90"},
      {HS_FDIAGONAL, "FT3,26.667,135"}, {HS_BDIAGONAL, "FT3,26.667,45"},
      {HS_CROSS, "FT4,26.667,0"},       {HS_DIAGCROSS, "FT4,26.667,45"},
  };
  TestPrinter printer("089", u"ZQ1 hatch styles");
  Recorded r(printer);
  Surface surface(r.dc());
  r.dc().pens.cachedColour = 0;  // pen 1 is current with its hatch width
  r.dc().pens.currentPen = 1;
  r.dc().pens.penWidths[1] = 16;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.ft);
    Brush hatch = Brush::Hatch(c.style, 0x000000, kWhite);
    hatch.BindRealizer(&DrvRealizeBrush, &surface.so);
    ASSERT_TRUE(SetPaintBrush(r.dc(), hatch.Get(), nullptr, kPatCopy));
    EXPECT_EQ(r.Take(), c.ft);
  }
}

TEST(Brushes, MergeControlComesFirstAndUnrealisableBrushesFail) {
  TestPrinter printer("089", u"ZQ1 brush merge");
  Recorded r(printer);
  Brush solid = Brush::Solid(0x000000);
  // Transparent background: the background operation 170 first, then the pen's.
  ASSERT_TRUE(SetPaintBrush(r.dc(), solid.Get(), nullptr, 0xAAF0));
  EXPECT_EQ(r.Take(), "MC1,170;MC1,240SP1");
  // A hatch whose engine offers no realisation (no driver bound): no fill.
  Brush hatch = Brush::Hatch(HS_CROSS, 0, kWhite);
  EXPECT_FALSE(FillPolygonWithBrush(r.dc(), 0, hatch.Get(), nullptr, 0xAAF0));
  EXPECT_FALSE(SetPaintBrush(r.dc(), nullptr, nullptr, 0xAAF0));
  EXPECT_EQ(r.Take(), "");
}

TEST(Brushes, RasterFillDefinesPen25) {
  TestPrinter printer("095", u"CX95 raster fill");
  Recorded r(printer);
  Surface surface(r.dc());
  r.dc().pens.patternPens = true;
  Brush solid = Brush::Solid(kRed);
  ASSERT_TRUE(SetRasterFillBrush(r.dc(), solid.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,255,0,0SP25");
  EXPECT_EQ(r.dc().pens.currentPen, 25);
  EXPECT_FALSE(r.dc().pens.patternPens);
  // Hatch colours go to pen 25 as well, with the hatch width and fill type.
  Brush hatch = Brush::Hatch(HS_HORIZONTAL, kRed, kWhite);
  hatch.BindRealizer(&DrvRealizeBrush, &surface.so);
  ASSERT_TRUE(SetRasterFillBrush(r.dc(), hatch.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,255,0,0SP25PW0.063,25FT3,26.667,0");
}

TEST(Brushes, RasterFillGraysMonochromeVectorColour) {
  TestPrinter printer("089", u"ZQ1 raster fill gray");
  Recorded r(printer);
  ASSERT_EQ(settings::GetI16(r.priv(), kColormode), 2);
  settings::SetI32(r.priv(), kBekutachk, 1);
  // Gray of red: 74 x 255 / 256 = 73. Black and white stay as they are.
  Brush red = Brush::Solid(kRed);
  ASSERT_TRUE(SetRasterFillBrush(r.dc(), red.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,73,73,73SP25");
  Brush white = Brush::Solid(kWhite);
  ASSERT_TRUE(SetRasterFillBrush(r.dc(), white.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,255,255,255SP25");
}

TEST(Brushes, CheckerboardInColourModeIsATwoColourPattern) {
  TestPrinter printer("095", u"CX95 checkerboard");
  Recorded r(printer);
  Surface surface(r.dc());
  ASSERT_EQ(settings::GetI16(r.priv(), kColormode), 0);
  Bitmap bits = OneBit(8, 8, kChecker);
  Brush brush = Brush::Pattern(bits, Translation::Table({kWhite, kRed}));
  brush.BindRealizer(&DrvRealizeBrush, &surface.so);
  // Clear bits are pen 25 (entry 0, white), set bits pen 26 (entry 1, red).
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), 0, brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), PatternPens(kChecker) + "PC25,255,255,255PC26,255,0,0SP25;FT11,1;FP0;");
  EXPECT_EQ(r.dc().pens.currentPen, 25);
  // A solid fill afterwards sets the solid fill type and its own pen.
  Brush solid = Brush::Solid(kRed);
  ASSERT_TRUE(SetPaintBrush(r.dc(), solid.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC3,255,0,0SP3FT");
}

TEST(Brushes, OneBitPatternRowsFromTheTopWhicheverWayStored) {
  TestPrinter printer("095", u"CX95 pattern rows");
  Recorded r(printer);
  Surface surface(r.dc());
  const std::vector<BYTE> rows = {0xFF, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x03};
  const std::string expected = PatternPens(rows) + "PC25,0,0,0PC26,0,0,0SP25;FT11,1;";
  for (FLONG flags : {FLONG{BMF_TOPDOWN}, FLONG{0}}) {
    SCOPED_TRACE(flags);
    Bitmap bits = OneBit(8, 8, rows, flags);
    Brush brush = Brush::Pattern(bits, Translation::Table({0, 0}));
    brush.BindRealizer(&DrvRealizeBrush, &surface.so);
    ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), nullptr, kPatCopy));
    EXPECT_EQ(r.Take(), expected);
  }
}

TEST(Brushes, PatternsSmallerThanEightFail) {
  TestPrinter printer("095", u"CX95 small pattern");
  Recorded r(printer);
  Surface surface(r.dc());
  for (SIZEL size : {SIZEL{7, 7}, SIZEL{8, 7}, SIZEL{7, 8}}) {
    SCOPED_TRACE(size.cx * 10 + size.cy);
    Bitmap bits = OneBit(size.cx, size.cy, kChecker);
    Brush brush = Brush::Pattern(bits, Translation::Table({kWhite, kRed}));
    brush.BindRealizer(&DrvRealizeBrush, &surface.so);
    EXPECT_FALSE(FillPolygonWithBrush(r.dc(), 0, brush.Get(), nullptr, kPatCopy));
    EXPECT_EQ(r.Take(), "");
  }
}

// A 16 x 16 one-bit pattern: its top-left 8 x 8 pixels are `corner`, the rest
// all set.
Bitmap SixteenSquare(const std::vector<BYTE>& corner) {
  Bitmap b = Bitmap::Create({16, 16}, BMF_1BPP, BMF_TOPDOWN);
  SURFOBJ* so = b.Get();
  for (LONG y = 0; y < 16; ++y) {
    BYTE* row = static_cast<BYTE*>(so->pvScan0) + y * so->lDelta;
    row[0] = y < 8 ? corner[static_cast<std::size_t>(y)] : 0xFF;
    row[1] = 0xFF;
  }
  return b;
}

TEST(Brushes, MonochromeModeDownloadsTheTopLeftOfADitheredPattern) {
  TestPrinter printer("012", u"MX12 monochrome pattern");
  Recorded r(printer);
  Surface surface(r.dc());
  ASSERT_EQ(settings::GetI16(r.priv(), kColormode), 2);
  const std::vector<BYTE> corner = {0x81, 0x42, 0x24, 0x18, 0x00, 0x00, 0xF0, 0x0F};
  // Set bits black, clear bits white: black is ink (pen 26), white no ink.
  Bitmap bits = SixteenSquare(corner);
  Brush brush = Brush::Pattern(bits, Translation::Table({kWhite, 0x000000}));
  brush.BindRealizer(&DrvRealizeBrush, &surface.so);
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), 0, brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,255,255,255PC26,0,0,0" + PatternPens(corner) + "SP25;FT11,1;FP0;");
  // The pattern pens are defined once.
  ASSERT_TRUE(FillPolygonWithBrush(r.dc(), 0, brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), PatternPens(corner) + "SP25;FT11,1;FP0;");
  // The brush origin moves the pattern: at (-8, 0) the top-left pixels are the
  // pattern's top-right, all set.
  POINTL origin{-8, 0};
  ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), &origin, kPatCopy));
  EXPECT_EQ(r.Take(),
            PatternPens({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + "SP25;FT11,1;");
}

TEST(Brushes, MonochromeModeOnAPrinterOfTheJobsResolutionTakesTwoColours) {
  // ZQ1 has PrinterFunction 0x2000 and PrinterType 3: two colours in mode 2,
  // unless vector colour is printed in one colour.
  TestPrinter printer("089", u"ZQ1 pattern kinds");
  Recorded r(printer);
  Surface surface(r.dc());
  ASSERT_EQ(settings::GetI16(r.priv(), kColormode), 2);
  Bitmap bits = OneBit(8, 8, kChecker);
  Brush brush = Brush::Pattern(bits, Translation::Table({kWhite, 0x000000}));
  brush.BindRealizer(&DrvRealizeBrush, &surface.so);
  ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), PatternPens(kChecker) + "PC25,255,255,255PC26,0,0,0SP25;FT11,1;");
  settings::SetI32(r.priv(), kBekutachk, 1);
  ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "PC25,255,255,255PC26,0,0,0" + PatternPens(kChecker) + "SP25;FT11,1;");
}

TEST(Brushes, DrawnPatternsOfTwoColoursAndNoMore) {
  TestPrinter printer("095", u"CX95 drawn pattern");
  Recorded r(printer);
  Surface surface(r.dc());
  // An 8-bit pattern: index 1 (red) on the diagonal, index 0 (white) elsewhere.
  Bitmap bits = Bitmap::Create({8, 8}, BMF_8BPP, BMF_TOPDOWN);
  SURFOBJ* so = bits.Get();
  for (LONG i = 0; i < 8; ++i) static_cast<BYTE*>(so->pvScan0)[i * so->lDelta + i] = 1;
  Brush brush = Brush::Pattern(bits, Translation::Table({kWhite, kRed, 0xFF0000}));
  brush.BindRealizer(&DrvRealizeBrush, &surface.so);
  const std::vector<BYTE> diagonal = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  // The first pixel's colour (red) is pen 25, the other (white) pen 26.
  std::string pens = "RF1,8,8";
  for (BYTE row : diagonal) {
    for (int bit = 7; bit >= 0; --bit) pens += (row >> bit) & 1 ? ",25" : ",26";
  }
  ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), pens + "PC25,255,0,0PC26,255,255,255SP25;FT11,1;");
  // A third colour (index 2, blue) anywhere makes the pattern unusable.
  static_cast<BYTE*>(so->pvScan0)[7 * so->lDelta] = 2;
  Brush three = Brush::Pattern(bits, Translation::Table({kWhite, kRed, 0xFF0000}));
  three.BindRealizer(&DrvRealizeBrush, &surface.so);
  EXPECT_FALSE(SetPaintBrush(r.dc(), three.Get(), nullptr, kPatCopy));
  EXPECT_EQ(r.Take(), "");
}

// ---------------------------------------------------------------------------
// Realisations.

const RealizedBrush& Realized(const Brush& brush) {
  return *static_cast<const RealizedBrush*>(brush.Get()->pvRbrush);
}

TEST(DrvRealizeBrush, HatchKeepsItsIndexAndColourTable) {
  TestPrinter printer("089", u"ZQ1 realise hatch");
  Recorded r(printer);
  Surface surface(r.dc());
  Brush hatch = Brush::Hatch(HS_DIAGCROSS, 0x123456, kWhite);
  hatch.BindRealizer(&DrvRealizeBrush, &surface.so);
  ASSERT_NE(BRUSHOBJ_pvGetRbrush(hatch.Get()), nullptr);
  const RealizedBrush& rb = Realized(hatch);
  EXPECT_EQ(rb.style, static_cast<std::uint32_t>(HS_DIAGCROSS));
  EXPECT_EQ(rb.colourCount, 2u);
  EXPECT_EQ(rb.colourOffset, 32u);  // no bits for a hatch
  EXPECT_EQ(RealizedColourEntry(rb, 0), kWhite);
  EXPECT_EQ(RealizedColourEntry(rb, 1), 0x123456u);
  ULONG colour = 0;
  ASSERT_TRUE(RealizedBrushColour(hatch.Get(), &colour));
  EXPECT_EQ(colour, 0x123456u);
}

TEST(DrvRealizeBrush, SixteenAndThirtyTwoBitPatternsBecomeRgbRows) {
  TestPrinter printer("095", u"CX95 realise wide");
  Recorded r(printer);
  Surface surface(r.dc());
  for (ULONG format : {BMF_16BPP, BMF_32BPP}) {
    SCOPED_TRACE(format);
    // 3 x 2, bottom-up: pixel value x + 2y, translated through a table.
    Bitmap bits = Bitmap::Create({3, 2}, format, 0);
    SURFOBJ* so = bits.Get();
    int bytes = format == BMF_16BPP ? 2 : 4;
    for (LONG y = 0; y < 2; ++y) {
      for (LONG x = 0; x < 3; ++x) {
        static_cast<BYTE*>(so->pvScan0)[y * so->lDelta + x * bytes] = static_cast<BYTE>(x + 2 * y);
      }
    }
    Translation table =
        Translation::Table({0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110});
    Brush brush = Brush::Pattern(bits, table);
    brush.BindRealizer(&DrvRealizeBrush, &surface.so);
    ASSERT_NE(BRUSHOBJ_pvGetRbrush(brush.Get()), nullptr);
    const RealizedBrush& rb = Realized(brush);
    EXPECT_EQ(rb.width, 3);
    EXPECT_EQ(rb.height, 2);
    EXPECT_EQ(rb.format, static_cast<std::int32_t>(BMF_24BPP));
    EXPECT_EQ(rb.flags, static_cast<std::int32_t>(BMF_TOPDOWN));
    EXPECT_EQ(rb.style, static_cast<std::uint32_t>(HS_DDI_MAX + 1));
    EXPECT_EQ(rb.colourCount, 6u);
    EXPECT_EQ(rb.colourOffset, 32u + 2 * 12);  // rows of 9 bytes padded to 12
    const unsigned char expected[24] = {1, 2, 3, 4,  5,  6,  7,  8,  9,  0, 0, 0,
                                        7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 0, 0};
    EXPECT_EQ(std::memcmp(RealizedBits(rb), expected, sizeof expected), 0);
    EXPECT_EQ(RealizedColourEntry(rb, 5), 0x121110u);
  }
}

TEST(DrvRealizeBrush, RefusesAnInvalidDeviceAndAFailedAllocation) {
  TestPrinter printer("089", u"ZQ1 realise refusals");
  Recorded r(printer);
  Surface surface(r.dc());
  Brush hatch = Brush::Hatch(HS_CROSS, 0, kWhite);
  SURFOBJ stranger{};
  SetLastError(0);
  EXPECT_FALSE(DrvRealizeBrush(hatch.Get(), &stranger, nullptr, nullptr, nullptr, HS_CROSS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  platform::test::FailAllocationAt(1);
  EXPECT_FALSE(DrvRealizeBrush(hatch.Get(), &surface.so, nullptr, nullptr, nullptr, HS_CROSS));
  platform::test::FailAllocationAt(0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(hatch.Get()->pvRbrush, nullptr);
  // A pattern index without a pattern surface.
  EXPECT_FALSE(DrvRealizeBrush(hatch.Get(), &surface.so, nullptr, nullptr, nullptr, 7));
  // A 32-bit pattern whose rows are shorter than its pixels is not read past them.
  std::uint32_t pixels[3] = {};
  SURFOBJ shortRows{};
  shortRows.sizlBitmap = {3, 3};
  shortRows.pvBits = shortRows.pvScan0 = pixels;
  shortRows.lDelta = 4;
  shortRows.iBitmapFormat = BMF_32BPP;
  EXPECT_FALSE(DrvRealizeBrush(hatch.Get(), &surface.so, &shortRows, nullptr, nullptr, 7));
}

// Colour-table entries that a translation does not have are never read: entry 1
// falls back to entry 0, entry 0 to black.
TEST(DrvRealizeBrush, ShortColourTablesFallBack) {
  TestPrinter printer("095", u"CX95 short tables");
  Recorded r(printer);
  Surface surface(r.dc());
  Bitmap bits = OneBit(8, 8, kChecker);
  struct Case {
    const char* name;
    Translation xlate;
    ULONG colour;
    const char* pens;
  };
  const Case kCases[] = {
      {"no table", Translation::Identity(), 0x000000, "PC25,0,0,0PC26,0,0,0"},
      {"one entry", Translation::Table({kRed}), kRed, "PC25,255,0,0PC26,255,0,0"},
      {"two entries", Translation::Table({kWhite, kRed}), kRed, "PC25,255,255,255PC26,255,0,0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Brush brush = Brush::Pattern(bits, c.xlate);
    brush.BindRealizer(&DrvRealizeBrush, &surface.so);
    ULONG colour = 0xABCDEF;
    ASSERT_TRUE(RealizedBrushColour(brush.Get(), &colour));
    EXPECT_EQ(colour, c.colour);
    ASSERT_TRUE(SetPaintBrush(r.dc(), brush.Get(), nullptr, kPatCopy));
    EXPECT_EQ(r.Take(), PatternPens(kChecker) + c.pens + "SP25;FT11,1;");
  }
  Brush unbound = Brush::Pattern(bits, Translation::Identity());
  ULONG colour = 0;
  EXPECT_FALSE(RealizedBrushColour(unbound.Get(), &colour));
}

// The pattern copy takes each source row by the source's own row step and never
// more than a stored row, whatever the step.
TEST(DrvRealizeBrush, PatternRowsCopiedByTheSourceStep) {
  TestPrinter printer("089", u"ZQ1 copy rows");
  Recorded r(printer);
  Surface surface(r.dc());
  Brush brush = Brush::Solid(0);  // any engine brush takes the realisation
  // 8 x 3 one-bit rows 16 bytes apart (the stored rows are 4 bytes), bottom-up.
  HBITMAP hbm = EngCreateBitmap({8, 3}, 16, BMF_1BPP, 0, nullptr);
  ASSERT_NE(hbm, nullptr);
  SURFOBJ* so = EngLockSurface(reinterpret_cast<HSURF>(hbm));
  ASSERT_NE(so, nullptr);
  ASSERT_EQ(so->lDelta, -16);
  auto* lowest = static_cast<BYTE*>(so->pvBits);
  for (int i = 0; i < 3; ++i) std::memset(lowest + 16 * i, 0x11 * (i + 1), 16);
  ASSERT_TRUE(DrvRealizeBrush(brush.Get(), &surface.so, so, nullptr, nullptr, 7));
  const RealizedBrush& rb = Realized(brush);
  EXPECT_EQ(rb.flags, 0);
  EXPECT_EQ(rb.format, static_cast<std::int32_t>(BMF_1BPP));
  EXPECT_EQ(rb.colourCount, 0u);
  EXPECT_EQ(rb.colourOffset, 32u + 12);
  // Memory order is kept: the bottom row first, as the flags say.
  const unsigned char expected[12] = {0x11, 0x11, 0x11, 0x11, 0x22, 0x22,
                                      0x22, 0x22, 0x33, 0x33, 0x33, 0x33};
  EXPECT_EQ(std::memcmp(RealizedBits(rb), expected, sizeof expected), 0);
  EngUnlockSurface(so);
  EngDeleteSurface(reinterpret_cast<HSURF>(hbm));
}

}  // namespace
