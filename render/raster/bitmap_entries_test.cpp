// Bitmap transfers through the driver's entries: palettes pushed once and
// popped, indexed and direct-colour images, printer scaling, clips by input
// window, mask and pieces, fills without a source, the monochrome copies and
// the band blocks of image print.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/engine/objects.h"
#include "render/core/driver_entry.h"
#include "render/raster/mono_copy.h"
#include "render/raster/raster_frame.h"
#include "render/raster/raster_output.h"
#include "render/raster/raster_palette.h"
#include "render/raster/raster_test_fixture.h"

namespace {

using namespace render;
using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::Translation;
using render::testing::RasterJob;

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

const std::string kEnd = "\x1B*rC\x1B%0B";
const std::string kPop = "\x1B%1A\x1B*p1P\x1B%0B";
// "ESC%1A" "ESC*t600R" "ESC*p0P" and the configure-image-data block.
std::string PushStart(int encoding, int bits) {
  return "\x1B%1A\x1B*t600R\x1B*p0P\x1B*v6W" + B({0, encoding, bits, 8, 8, 8});
}

// A bitmap whose rows are given as bytes (without the fill to 4 bytes).
Bitmap Image(ULONG format, LONG width, const std::vector<std::vector<unsigned char>>& rows) {
  Bitmap b = Bitmap::Create({width, static_cast<LONG>(rows.size())}, format);
  SURFOBJ* so = b.Get();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto* row =
        static_cast<unsigned char*>(so->pvScan0) + static_cast<std::ptrdiff_t>(r) * so->lDelta;
    std::memcpy(row, rows[r].data(), rows[r].size());
  }
  return b;
}

// The device surface the engine passes to the driver's hooks.
struct Device {
  SURFOBJ so{};
  explicit Device(RasterJob& job) {
    if (job.dc().surface == nullptr) job.dc().surface = reinterpret_cast<HSURF>(0x5157);
    so.dhpdev = job.e.pdev();
    so.hsurf = job.dc().surface;
    so.iType = STYPE_DEVICE;
    so.iBitmapFormat = BMF_24BPP;
  }
};

// The colour mode, with image reduction off so that images go at their size.
void ColourMode(RasterJob& job, int mode) {
  job.SetPriv16(settings::priv::kColormode, static_cast<std::int16_t>(mode));
  job.SetPriv16(settings::priv::kShrinkimage, 0);
}

TEST(BitmapEntries, OneBitImagePalettePushedOnceAndPoppedForAnother) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_1BPP, 8, {{0xF0}});
  Translation whiteRed = Translation::Table({0xFFFFFF, 0x0000FF});
  Translation whiteBlue = Translation::Table({0xFFFFFF, 0xFF0000});
  RECTL rect{10, 20, 18, 21};
  POINTL at{0, 0};
  const std::string image = "PUPA10,20\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xF0}) + kEnd;
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, whiteRed.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(),
            "MC1,204" + PushStart(1, 1) + "\x1B*v255a255b255c0i255a0b0c1I\x1B%0B" + image);
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, whiteRed.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), image);
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, whiteBlue.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), kPop + PushStart(1, 1) + "\x1B*v255a255b255c0i0a0b255c1I\x1B%0B" + image);
  EXPECT_EQ(job.dc().raster.paletteState, 1u);
}

// The 256 entries of an 8-bit palette whose translation gives only the first
// colours: the rest are black.
std::string EightBitEntries(std::initializer_list<std::string> first) {
  std::string s = "\x1B*v";
  int i = 0;
  for (const std::string& e : first) s += e + std::to_string(i++) + "i";
  for (; i < 256; ++i) s += "0a0b0c" + std::to_string(i) + (i == 255 ? "I" : "i");
  return s;
}

std::string PageWindow(RasterJob& job) {
  return "IW0,0," + std::to_string(PageWidthPixels(job.dc())) + "," +
         std::to_string(PageHeightPixels(job.dc())) + ";";
}

TEST(BitmapEntries, EightBitPaletteHoldsEveryIndexAndIsResentWithoutPaletteMemory) {
  Bitmap bits = Image(BMF_8BPP, 2, {{0, 1}});
  Translation greenBlue = Translation::Table({0x00FF00, 0xFF0000});
  const std::string push = PushStart(1, 8) + EightBitEntries({"0a255b0c", "0a0b255c"}) + "\x1B%0B";
  const std::string image = "PUPA0,0\x1B%1A\x1B*r2s1t1A\x1B*b3m2W" + B({0x01, 0x01}) + kEnd;
  RECTL rect{0, 0, 2, 1};
  POINTL at{0, 0};
  for (const char* model : {"095", "012"}) {
    SCOPED_TRACE(model);
    RasterJob job(model);
    ColourMode(job, 0);
    Device device(job);
    const bool memory = job.dc().colour.rasterPaletteMemory != nullptr;
    EXPECT_EQ(memory, std::string(model) == "095");
    ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), &rect, &at,
                          nullptr, nullptr, nullptr, 0xCCCC));
    EXPECT_EQ(job.Sent(), "MC1,204" + push + image);
    // The same palette again: kept when remembered, else every palette is new.
    ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), &rect, &at,
                          nullptr, nullptr, nullptr, 0xCCCC));
    EXPECT_EQ(job.Sent(), memory ? image : kPop + push + image);
  }
}

TEST(BitmapEntries, PaletteRecordAlwaysHoldsTwoToTheBitsEntries) {
  PaletteRecord record;
  Translation shortTable = Translation::Table({0x123456});
  BuildPaletteRecord(shortTable.Get(), BMF_4BPP, record);
  ASSERT_EQ(record.count, 16u);
  EXPECT_EQ(record.Colour(0), 0x123456u);
  for (std::size_t i = 1; i < 16; ++i) EXPECT_EQ(record.Colour(i), 0u) << i;
  // No translation: a gray ramp.
  BuildPaletteRecord(nullptr, BMF_1BPP, record);
  ASSERT_EQ(record.count, 2u);
  EXPECT_EQ(record.Colour(0), 0u);
  EXPECT_EQ(record.Colour(1), 0xFFFFFFu);
  BuildPaletteRecord(nullptr, BMF_4BPP, record);
  EXPECT_EQ(record.Colour(15), 0xFFFFFFu);
  EXPECT_EQ(record.Colour(1), 0x111111u);
}

TEST(BitmapEntries, DirectColourImageConvertedAndThePrinterPaletteRestored) {
  RasterJob job("095");
  ColourMode(job, 0);
  // Red intensity +10 in the colour set of mode 0.
  job.SetPriv16(settings::ColorSetOffset(0, 14), 60);
  Device device(job);
  Bitmap bits = Image(BMF_24BPP, 3, {{10, 20, 30, 40, 50, 60, 70, 80, 90}});
  RECTL rect{0, 0, 3, 1};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, &rect, &at, nullptr,
                        nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), "MC1,204" + PushStart(3, 8) + "\x1B%0B" +
                            "PUPA0,0\x1B%1A\x1B*r3s1t1A\x1B*b3m11W" +
                            B({0xE0, 20, 20, 30, 50, 50, 60, 80, 80, 0x00, 90}) + kEnd + kPop);
  EXPECT_EQ(job.dc().raster.paletteState, 0u);
}

TEST(BitmapEntries, TwoColourImageGoesAsOneBit) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  // White first, then red: a one-bit image, 1 where the pixel is red.
  Bitmap bits = Image(BMF_24BPP, 3, {{255, 255, 255, 255, 0, 0, 255, 255, 255}});
  RECTL rect{0, 0, 3, 1};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, &rect, &at, nullptr,
                        nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), "MC1,204" + PushStart(1, 1) + "\x1B*v255a255b255c0i255a0b0c1I\x1B%0B" +
                            "PUPA0,0\x1B%1A\x1B*r3s1t1A\x1B*b3m2W" + B({0x00, 0x40}) + kEnd);
  EXPECT_EQ(job.dc().raster.paletteState, 1u);
}

TEST(BitmapEntries, StretchedImageScaledByThePrinter) {
  RasterJob job("095", 400);
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_8BPP, 2, {{0, 1}});
  Translation greenBlue = Translation::Table({0x00FF00, 0xFF0000});
  RECTL target{0, 0, 200, 100};
  RECTL source{0, 0, 2, 1};
  ASSERT_TRUE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), nullptr,
                            nullptr, &target, &source, nullptr, COLORONCOLOR));
  std::string push = "\x1B%1A\x1B*t400R\x1B*p0P\x1B*v6W" + B({0, 1, 8, 8, 8, 8}) +
                     EightBitEntries({"0a255b0c", "0a0b255c"}) + "\x1B%0B";
  EXPECT_EQ(job.Sent(), "MC1,204" + push + "PUPA0,0\x1B%1A\x1B*t360h180V\x1B*r2s1t3A\x1B*b3m2W" +
                            B({0x01, 0x01}) + kEnd);
  // Empty rectangles: nothing, before any size is computed.
  RECTL empty{5, 5, 5, 9};
  EXPECT_TRUE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), nullptr,
                            nullptr, &empty, &source, nullptr, COLORONCOLOR));
  EXPECT_TRUE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), nullptr,
                            nullptr, &target, &empty, nullptr, COLORONCOLOR));
  EXPECT_EQ(job.Sent(), "");
  // A shrink is done by the engine and sent at the target size; a target
  // given bottom above top is placed in the ordered rectangle.
  RECTL small{0, 1, 1, 0};
  ASSERT_TRUE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, greenBlue.Get(), nullptr,
                            nullptr, &small, &source, nullptr, COLORONCOLOR));
  EXPECT_EQ(job.Sent(), "PUPA0,0\x1B%1A\x1B*r1s1t1A\x1B*b3m2W" + B({0x00, 0x01}) + kEnd);
}

TEST(BitmapEntries, OneRectangleClipSetsTheInputWindow) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_1BPP, 8, {{0xF0}});
  Translation whiteRed = Translation::Table({0xFFFFFF, 0x0000FF});
  Clip clip = Clip::Rectangle({12, 20, 16, 21});
  RECTL rect{10, 20, 18, 21};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, clip.Get(), whiteRed.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), "MC1,204" + PushStart(1, 1) + "\x1B*v255a255b255c0i255a0b0c1I\x1B%0B" +
                            "IW12,20,15,21;PUPA10,20\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" +
                            B({0x00, 0xF0}) + kEnd + PageWindow(job));
}

TEST(BitmapEntries, ComplexClipByMaskWhenThePaletteHasWhite) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_8BPP, 4, {{1, 1, 1, 1}});
  Translation whiteRed = Translation::Table({0xFFFFFF, 0x0000FF});
  Clip clip = Clip::Region({{0, 0, 1, 1}, {2, 0, 3, 1}});
  RECTL rect{0, 0, 4, 1};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, clip.Get(), whiteRed.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  // The mask pass whitens the clip (1 bits under "MC1,238"), then the image,
  // white outside the clip, is ANDed in ("MC1,136").
  const std::string maskPass = "MC1,238" + PushStart(1, 1) + "\x1B*v0a0b0c0i255a255b255c1I\x1B%0B" +
                               "PUPA0,0\x1B%1A\x1B*r4s1t1A\x1B*b3m2W" + B({0x00, 0xA0}) +
                               "\x1B*rC\x1B*p1P\x1B%0B";
  const std::string push =
      PushStart(1, 8) + EightBitEntries({"255a255b255c", "255a0b0c"}) + "\x1B%0B";
  EXPECT_EQ(job.Sent(), maskPass + "MC1,136" + push + "PUPA0,0\x1B%1A\x1B*r4s1t1A\x1B*b3m4W" +
                            B({0x00, 0x01, 0x01, 0x01}) + kEnd);
}

TEST(BitmapEntries, MaskMethodWhitensOneAndFourBitPixelsOutsideTheClip) {
  struct Case {
    const char* name;
    ULONG format;
    std::vector<unsigned char> row;
    std::vector<ULONG> colours;
    int bits;
    std::string entries;
    std::string sent;  // the image row as a delta row against zeros
  };
  std::string fourBit = "\x1B*v255a255b255c0i255a0b0c1i";
  for (int i = 2; i < 16; ++i) fourBit += "0a0b0c" + std::to_string(i) + (i == 15 ? "I" : "i");
  const Case cases[] = {
      {"one bit, white at index 1",
       BMF_1BPP,
       {0x00},
       {0x0000FF, 0xFFFFFF},
       1,
       "\x1B*v255a0b0c0i255a255b255c1I",
       B({0x00, 0x50})},
      {"four bits, white at index 0",
       BMF_4BPP,
       {0x11, 0x11},
       {0xFFFFFF, 0x0000FF},
       4,
       fourBit,
       B({0x20, 0x10, 0x10})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RasterJob job("095");
    ColourMode(job, 0);
    Device device(job);
    Bitmap bits = Image(c.format, 4, {c.row});
    Translation xlate = Translation::Table(c.colours);
    Clip clip = Clip::Region({{0, 0, 1, 1}, {2, 0, 3, 1}});
    RECTL rect{0, 0, 4, 1};
    POINTL at{0, 0};
    ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, clip.Get(), xlate.Get(), &rect, &at,
                          nullptr, nullptr, nullptr, 0xCCCC));
    const std::string sent = job.Sent();
    const std::string image = "MC1,136" + PushStart(1, c.bits) + c.entries + "\x1B%0B" +
                              "PUPA0,0\x1B%1A\x1B*r4s1t1A\x1B*b3m" + std::to_string(c.sent.size()) +
                              "W" + c.sent + kEnd;
    ASSERT_GE(sent.size(), image.size());
    EXPECT_EQ(sent.substr(sent.size() - image.size()), image);
  }
}

TEST(BitmapEntries, ComplexClipWithoutWhiteGoesPerRectangle) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_8BPP, 4, {{1, 1, 1, 1}, {0, 0, 0, 1}});
  Translation redBlue = Translation::Table({0x0000FF, 0xFF0000});
  // Two rectangles side by side over row 0, one over row 1.
  Clip clip = Clip::Region({{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 4, 2}});
  RECTL rect{0, 0, 4, 2};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, clip.Get(), redBlue.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  const std::string push = PushStart(1, 8) + EightBitEntries({"255a0b0c", "0a0b255c"}) + "\x1B%0B";
  EXPECT_EQ(job.Sent(),
            "MC1,204" + push + "IW0,0,1,1;" + "PUPA0,0\x1B%1A\x1B*r4s1t1A\x1B*b3m5W" +
                B({0x60, 1, 1, 1, 1}) + kEnd + "IW2,0,3,1;PUPA0,0\x1B%1A\x1B*r4s1t1A\x1B*b3m5W" +
                B({0x60, 1, 1, 1, 1}) + kEnd + "IW0,1,4,2;PUPA0,1\x1B%1A\x1B*r4s1t1A\x1B*b3m2W" +
                B({0x03, 1}) + kEnd + PageWindow(job));
}

TEST(BitmapEntries, ComplexClipOnALandscapePageGoesInTurnedColumnPieces) {
  RasterJob job("095");
  ColourMode(job, 0);
  job.Landscape();
  Device device(job);
  // 3 wide, 2 high; turned: rows (4, 1), (5, 2), (6, 3).
  Bitmap bits = Image(BMF_8BPP, 3, {{1, 2, 3}, {4, 5, 6}});
  Translation redBlue = Translation::Table({0x0000FF, 0xFF0000});
  Clip clip = Clip::Region({{10, 20, 11, 22}, {12, 20, 13, 21}});
  RECTL rect{10, 20, 13, 22};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, clip.Get(), redBlue.Get(), &rect, &at,
                        nullptr, nullptr, nullptr, 0xCCCC));
  const std::string push = PushStart(1, 8) + EightBitEntries({"255a0b0c", "0a0b255c"}) + "\x1B%0B";
  EXPECT_EQ(job.Sent(), "MC1,204" + push + "IW10,20,11,22;PUPA10,21\x1B%1A\x1B*r2s1t1A\x1B*b3m3W" +
                            B({0x20, 4, 1}) + kEnd +
                            "IW12,20,13,21;PUPA12,21\x1B%1A\x1B*r2s1t1A\x1B*b3m3W" +
                            B({0x20, 6, 3}) + kEnd + PageWindow(job));
}

TEST(BitmapEntries, FillsWithoutSource) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Brush red = Brush::Solid(0x0000FF);
  struct Case {
    const char* name;
    Clip clip;
    RECTL rect;
    std::string fill;
  };
  const Case cases[] = {
      {"one rectangle",
       Clip::Rectangle({10, 20, 110, 70}),
       {10, 20, 110, 70},
       "PU;PA10,20RR100,50;"},
      {"complex",
       Clip::Region({{10, 20, 20, 30}, {30, 20, 40, 30}, {10, 40, 15, 45}}),
       {0, 0, 100, 100},
       "PU;PA10,20RR10,10PR20,0RR10,10PR-20,20RR5,5;"},
      {"none: right and bottom pulled in", Clip::None(), {10, 20, 20, 30}, "PU;PA10,20RR9,9;"},
      {"clip cut to the target",
       Clip::Rectangle({0, 0, 500, 500}),
       {10, 20, 20, 30},
       "PU;PA10,20RR10,10;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RECTL rect = c.rect;
    ASSERT_TRUE(DrvBitBlt(&device.so, nullptr, nullptr, c.clip.Get(), nullptr, &rect, nullptr,
                          nullptr, red.Get(), nullptr, 0xF0F0));
    std::string sent = job.Sent();
    ASSERT_GE(sent.size(), c.fill.size());
    EXPECT_EQ(sent.substr(sent.size() - c.fill.size()), c.fill);
  }
  // 0xAAAA leaves the page alone; no source and no brush fails.
  RECTL rect{0, 0, 5, 5};
  EXPECT_TRUE(DrvBitBlt(&device.so, nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                        nullptr, nullptr, 0xAAAA));
  EXPECT_FALSE(DrvBitBlt(&device.so, nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                         nullptr, nullptr, 0xF0F0));
  EXPECT_EQ(job.Sent(), "");
}

TEST(BitmapEntries, MaskedCopyWhitensUnderTheMaskThenAndsTheSource) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap red = Image(BMF_24BPP, 8, {std::vector<unsigned char>(24, 0)});
  RECTL all{0, 0, 8, 1};
  EngEraseSurface(red.Get(), &all, 0x0000FF);
  Bitmap mask = Image(BMF_1BPP, 8, {{0xF0}});
  RECTL rect{0, 0, 8, 1};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, red.Get(), mask.Get(), nullptr, nullptr, &rect, &at, &at,
                        nullptr, nullptr, 0xAACC));
  // The source where the mask is 1, white elsewhere: two colours, red first.
  EXPECT_EQ(job.Sent(), "MC1,238" + PushStart(1, 1) + "\x1B*v0a0b0c0i255a255b255c1I\x1B%0B" +
                            "PUPA0,0\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xF0}) +
                            "\x1B*rC\x1B*p1P\x1B%0B" + "MC1,136" + PushStart(1, 1) +
                            "\x1B*v255a0b0c0i255a255b255c1I\x1B%0B" +
                            "PUPA0,0\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0x0F}) + kEnd);
}

TEST(BitmapEntries, PatternWhereTheSourceIsBlackBetweenTwoBrushPasses) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_1BPP, 8, {{0xF0}});
  Translation whiteRed = Translation::Table({0xFFFFFF, 0x0000FF});
  Brush red = Brush::Solid(0x0000FF);
  RECTL rect{0, 0, 8, 1};
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, whiteRed.Get(), &rect, &at,
                        nullptr, red.Get(), nullptr, 0xB8B8));
  // Pattern XOR, source AND, pattern XOR; without a clip the brush pass pulls
  // the right edge in by one and leaves a one-row bottom.
  const std::string brushPass = "MC1,90PC25,255,0,0SP25PU;PA0,0RR7,1;";
  EXPECT_EQ(job.Sent(),
            brushPass + "MC1,136" + PushStart(1, 1) + "\x1B*v255a255b255c0i255a0b0c1I\x1B%0B" +
                "PUPA0,0\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xF0}) + kEnd + kPop + brushPass);
  // A black brush leaves the passes out.
  Brush black = Brush::Solid(0x000000);
  ASSERT_TRUE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, whiteRed.Get(), &rect, &at,
                        nullptr, black.Get(), nullptr, 0xB8B8));
  EXPECT_EQ(job.Sent().find("PC25"), std::string::npos);
}

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(BitmapEntries, LargeCopiesGoInStripsWithOnePaletteForAll) {
  // 700 x 500 x 3 bytes is above 0xFFFFF: strips of 0x100000 / 2100 = 499 rows.
  Bitmap bits = Bitmap::Create({700, 500}, BMF_24BPP);
  RECTL all{0, 0, 700, 500};
  EngEraseSurface(bits.Get(), &all, 0xFFFFFF);
  RECTL line{0, 250, 700, 251};
  EngEraseSurface(bits.Get(), &line, 0x000000);
  POINTL at{0, 0};
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  {
    SCOPED_TRACE("line art: one-bit strips under one two-colour palette");
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &all, &at));
    const std::string sent = job.Sent();
    EXPECT_EQ(sent.rfind("MC1,204" + PushStart(1, 1) + "\x1B*v255a255b255c0i0a0b0c1I\x1B%0B", 0),
              0u);
    EXPECT_EQ(Count(sent, "\x1B*p0P"), 1u);
    EXPECT_EQ(Count(sent, "PUPA0,0\x1B%1A\x1B*r700s499t1A"), 1u);
    EXPECT_EQ(Count(sent, "PUPA0,499\x1B%1A\x1B*r700s1t1A"), 1u);
    EXPECT_EQ(Count(sent, kPop), 0u);
  }
  {
    SCOPED_TRACE("three colours: direct colour pushed once, popped once");
    RECTL dot{5, 5, 6, 6};
    EngEraseSurface(bits.Get(), &dot, 0x0000FF);
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &all, &at));
    const std::string sent = job.Sent();
    EXPECT_EQ(sent.rfind(kPop + PushStart(3, 8) + "\x1B%0B", 0), 0u);
    EXPECT_EQ(Count(sent, "\x1B*p0P"), 1u);
    EXPECT_EQ(Count(sent, "\x1B*r700s499t1A"), 1u);
    EXPECT_EQ(Count(sent, "\x1B*r700s1t1A"), 1u);
    EXPECT_EQ(sent.substr(sent.size() - kPop.size()), kPop);
  }
}

TEST(BitmapEntries, RefusedTransfersWriteNothing) {
  RasterJob job("095");
  ColourMode(job, 0);
  Device device(job);
  Bitmap bits = Image(BMF_24BPP, 1, {{0, 0, 0}});
  RECTL huge{INT32_MIN + 1, 0, INT32_MAX, 1};
  POINTL at{0, 0};
  SetLastError(0);
  EXPECT_FALSE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &huge, &at));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, &huge, &at, nullptr,
                         nullptr, nullptr, 0xCCCC));
  RECTL source{0, 0, 1, 1};
  EXPECT_FALSE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                             &huge, &source, nullptr, COLORONCOLOR));
  // A copy to a surface that is not the device's, or after the output failed.
  RECTL one{0, 0, 1, 1};
  SURFOBJ other = device.so;
  other.hsurf = reinterpret_cast<HSURF>(0x7777);
  SetLastError(0);
  EXPECT_FALSE(DrvCopyBits(&other, bits.Get(), nullptr, nullptr, &one, &at));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  job.dc().output.failed = true;
  EXPECT_FALSE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &one, &at));
  job.dc().output.failed = false;
  // A temporary bitmap the engine refuses (40000 x 40000 x 3 bytes).
  RECTL vast{0, 0, 40000, 40000};
  EXPECT_FALSE(DrvBitBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, &vast, &at, nullptr,
                         nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(job.Sent(), "");
}

TEST(BitmapEntries, MonochromeCopies) {
  // Four black pixels, four white.
  Bitmap bits = Image(BMF_24BPP, 8, {{0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
                                      255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}});
  RECTL rect{0, 0, 8, 1};
  POINTL at{0, 0};
  {
    SCOPED_TRACE("plain: 1 is black, the printer's monochrome merge controls");
    RasterJob job("012");
    ColourMode(job, 2);
    Device device(job);
    const std::string image =
        "PUPA0,0\x1B%1A\x1B*t600R\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xF0}) + kEnd;
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &rect, &at));
    EXPECT_EQ(job.Sent(), "MC1,204" + image);
    job.dc().mergeControlState = 0x8888;
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &rect, &at));
    EXPECT_EQ(job.Sent(), "MC1,8" + image);
    EXPECT_EQ(job.dc().mergeControlState, 0xF0F0u);
    EXPECT_EQ(job.dc().monoMergeControlState, 0u);
    // A complex clip: the clip's mask first, then the image cut to it.
    Clip clip = Clip::Region({{0, 0, 2, 1}, {4, 0, 6, 1}});
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), clip.Get(), nullptr, &rect, &at));
    const std::string cut =
        "PUPA0,0\x1B%1A\x1B*t600R\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xC0}) + kEnd;
    const std::string mask =
        "PUPA0,0\x1B%1A\x1B*t600R\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xCC}) + kEnd;
    EXPECT_EQ(job.Sent(), "MC1,11" + mask + "MC1,8" + cut);
  }
  {
    SCOPED_TRACE("override: 0 is black under the black-and-white palette");
    RasterJob job("095");
    ColourMode(job, 2);
    Device device(job);
    ASSERT_TRUE(DrvCopyBits(&device.so, bits.Get(), nullptr, nullptr, &rect, &at));
    EXPECT_EQ(job.Sent(), "MC1,204" + PushStart(1, 1) + "\x1B*v0a0b0c0i255a255b255c1I\x1B%0B" +
                              "PUPA0,0\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0x0F}) + kEnd);
  }
}

TEST(BitmapEntries, LargeMonochromeStretchGoesInBands) {
  // 2000 x 2000 target pixels from a 2 x 2 source: above 3,500,000, and the
  // first budget whose strip count leaves a source row per band is 6 MB
  // (4 and 5 MB give 3 bands of 2 source rows), with 12,000,000 / 6 MB + 1 =
  // 2 bands of 1000 rows.
  RasterJob job("012");
  ColourMode(job, 2);
  Device device(job);
  Bitmap bits = Bitmap::Create({2, 2}, BMF_24BPP);
  RECTL all{0, 0, 2, 2};
  EngEraseSurface(bits.Get(), &all, 0);
  RECTL target{0, 0, 2000, 2000};
  ASSERT_TRUE(DrvStretchBlt(&device.so, bits.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &target, &all, nullptr, COLORONCOLOR));
  const std::string sent = job.Sent();
  EXPECT_EQ(sent.rfind("MC1,204PUPA0,0\x1B%1A\x1B*t600R\x1B*r2000s1000t1A", 0), 0u);
  EXPECT_EQ(Count(sent, "PUPA0,1000\x1B%1A\x1B*t600R\x1B*r2000s1000t1A"), 1u);
  EXPECT_EQ(Count(sent, "\x1B*r2000s"), 2u);
}

TEST(BitmapEntries, MonochromeMergeControlTable) {
  struct Case {
    DWORD k;
    const char* wide;
    const char* narrow;
  };
  const Case cases[] = {
      {10, "MC1,11", "MC1,35"}, {15, "MC1,3", "MC1,3"},   {17, "MC1,14", "MC1,50"},
      {90, "MC1,9", "MC1,33"},  {136, "MC1,8", "MC1,32"}, {165, "MC1,6", "MC1,18"},
      {175, "MC1,2", "MC1,2"},  {9, "MC1,204", "MC0"},    {252, "MC1,204", "MC0"},
      {204, "MC1,204", "MC0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k);
    EXPECT_STREQ(SimpleClipMergeControl(c.k, true), c.wide);
    EXPECT_STREQ(SimpleClipMergeControl(c.k, false), c.narrow);
  }
}

// A one-bit band as the engine draws it: 1 is white.
struct Band {
  Bitmap bitmap;
  Band(LONG width, LONG rows) : bitmap(Bitmap::Create({width, rows}, BMF_1BPP)) {
    SURFOBJ* so = bitmap.Get();
    std::memset(so->pvBits, 0xFF, so->cjBits);
  }
  void Ink(LONG row, LONG byte, unsigned char bits) {
    SURFOBJ* so = bitmap.Get();
    static_cast<unsigned char*>(so->pvScan0)[row * so->lDelta + byte] =
        static_cast<unsigned char>(~bits);
  }
};

TEST(BandFlush, BlocksOfInkWithTheirByteColumns) {
  RasterJob job("012");
  ColourMode(job, 2);
  {
    Band blank(64, 4);
    FlushBandBitmap(job.dc(), blank.bitmap.Get(), 0);
    EXPECT_EQ(job.Sent(), "");
  }
  Band band(64, 3);
  band.Ink(0, 3, 0xFF);
  band.Ink(0, 4, 0xFF);
  band.Ink(0, 5, 0xFF);
  band.Ink(2, 3, 0x81);
  FlushBandBitmap(job.dc(), band.bitmap.Get(), 100);
  EXPECT_EQ(job.Sent(), "MC1,204PUPA24,100\x1B%1A\x1B*t600R\x1B*r24s3t1A\x1B*b3m4W" +
                            B({0x40, 0xFF, 0xFF, 0xFF}) + "\x1B*b4W" + B({0x40, 0, 0, 0}) +
                            "\x1B*b2W" + B({0x00, 0x81}) + kEnd);
}

TEST(BandFlush, FullColourBandIsDitheredFirst) {
  RasterJob job("012");
  ColourMode(job, 2);
  Bitmap band = Bitmap::Create({16, 1}, BMF_24BPP);
  RECTL all{0, 0, 16, 1};
  EngEraseSurface(band.Get(), &all, 0xFFFFFF);
  RECTL black{8, 0, 16, 1};
  EngEraseSurface(band.Get(), &black, 0);
  FlushBandBitmap(job.dc(), band.Get(), 7);
  EXPECT_EQ(job.Sent(),
            "MC1,204PUPA8,7\x1B%1A\x1B*t600R\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0xFF}) + kEnd);
}

TEST(BandFlush, PrinterTakingItsResolutionFromTheJobGetsTheWhiteBlackPalette) {
  RasterJob job("095");
  ColourMode(job, 2);
  Band band(16, 1);
  band.Ink(0, 1, 0x01);
  FlushBandBitmap(job.dc(), band.bitmap.Get(), 0);
  EXPECT_EQ(job.Sent(), "MC1,204" + PushStart(1, 1) + "\x1B*v255a255b255c0i0a0b0c1I\x1B%0B" +
                            "PUPA8,0\x1B%1A\x1B*r8s1t1A\x1B*b3m2W" + B({0x00, 0x01}) + kEnd + kPop);
}

TEST(BandFlush, BlockEndsAtTheThirdBlankRowFiveRowsBelowItsStart) {
  // Row bytes: ink in rows 0, 2 and 9; blank elsewhere.
  const LONG rows = 12;
  std::vector<unsigned char> bits(static_cast<std::size_t>(rows) * 2, 0);
  bits[0] = 0x80;
  bits[2 * 2 + 1] = 0x01;
  bits[9 * 2] = 0x10;
  BandBlock block{};
  LONG next = 0;
  ASSERT_TRUE(FindBandBlock(bits.data(), 2, rows, 2, 0, block, next));
  EXPECT_EQ(block.firstRow, 0);
  EXPECT_EQ(block.height, 3);
  EXPECT_EQ(block.firstByte, 0);
  EXPECT_EQ(block.lastByte, 1);
  ASSERT_TRUE(FindBandBlock(bits.data(), 2, rows, 2, next, block, next));
  EXPECT_EQ(block.firstRow, 9);
  EXPECT_EQ(block.height, 1);
  EXPECT_EQ(block.firstByte, 0);
  EXPECT_EQ(block.lastByte, 0);
  EXPECT_FALSE(FindBandBlock(bits.data(), 2, rows, 2, next, block, next));
}

}  // namespace
