// The engine's bit-block transfers, stretching and erasing on 1-, 8- and 24-bit
// bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::ReadPixel;
using platform::engine::Translation;
using platform::engine::WritePixel;

Bitmap Make(LONG w, LONG h, ULONG format, ULONG fill, FLONG flags = BMF_TOPDOWN) {
  Bitmap b = Bitmap::Create({w, h}, format, flags);
  RECTL all{0, 0, w, h};
  EngEraseSurface(b.Get(), &all, fill);
  return b;
}

// The pixels of a bitmap as text, one character per pixel ('#' for value `ink`).
std::string Picture(const Bitmap& b, ULONG ink) {
  std::string s;
  for (LONG y = 0; y < b.Get()->sizlBitmap.cy; ++y) {
    for (LONG x = 0; x < b.Get()->sizlBitmap.cx; ++x) {
      s += ReadPixel(b.Get(), x, y) == ink ? '#' : '.';
    }
    s += '\n';
  }
  return s;
}

TEST(EngBitBlt, CopiesAndTranslatesBetweenFormats) {
  Bitmap src = Make(4, 2, BMF_8BPP, 0);
  for (LONG x = 0; x < 4; ++x) WritePixel(src.Get(), x, 1, static_cast<ULONG>(x + 1));
  Bitmap dst = Make(6, 4, BMF_24BPP, 0xFFFFFF, 0);  // bottom-up target
  Translation table = Translation::Table({0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456});
  RECTL target{1, 1, 5, 3};
  POINTL at{0, 0};
  ASSERT_TRUE(EngBitBlt(dst.Get(), src.Get(), nullptr, nullptr, table.Get(), &target, &at, nullptr,
                        nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(ReadPixel(dst.Get(), 0, 0), 0xFFFFFFu);
  EXPECT_EQ(ReadPixel(dst.Get(), 1, 1), 0x000000u);
  EXPECT_EQ(ReadPixel(dst.Get(), 1, 2), 0x0000FFu);
  EXPECT_EQ(ReadPixel(dst.Get(), 4, 2), 0x123456u);
  EXPECT_EQ(ReadPixel(dst.Get(), 5, 2), 0xFFFFFFu);
  // A 24-bit pixel of an RGB palette is the bytes red, green, blue.
  const BYTE* row = platform::engine::ScanLine(dst.Get(), 2) + 3 * 2;
  EXPECT_EQ(row[0], 0x00);
  EXPECT_EQ(row[1], 0xFF);
}

TEST(EngBitBlt, RasterOperationsWithBrushMaskAndClip) {
  // Pattern XOR target on 8 bits, under a clip of two rectangles.
  Bitmap dst = Make(8, 2, BMF_8BPP, 0x0F);
  Brush brush = Brush::Solid(0xFF);
  Clip clip = Clip::Region({{0, 0, 2, 2}, {6, 0, 8, 1}});
  RECTL all{0, 0, 8, 2};
  ASSERT_TRUE(EngBitBlt(dst.Get(), nullptr, nullptr, clip.Get(), nullptr, &all, nullptr, nullptr,
                        brush.Get(), nullptr, 0x5A5A));
  EXPECT_EQ(Picture(dst, 0xF0), "##....##\n##......\n");

  // 0xAACC: the source where the mask is 1, the target left alone where it is 0.
  Bitmap src = Make(8, 1, BMF_1BPP, 0);
  Bitmap mask = Make(8, 1, BMF_1BPP, 0);
  platform::engine::ScanLine(mask.Get(), 0)[0] = 0xA5;
  Bitmap white = Make(8, 1, BMF_1BPP, 1);
  RECTL row{0, 0, 8, 1};
  POINTL origin{0, 0};
  ASSERT_TRUE(EngBitBlt(white.Get(), src.Get(), mask.Get(), nullptr, nullptr, &row, &origin,
                        &origin, nullptr, nullptr, 0xAACC));
  EXPECT_EQ(Picture(white, 0), "#.#..#.#\n");

  // Without the brush a pattern operation cannot be drawn.
  EXPECT_FALSE(EngBitBlt(dst.Get(), nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr,
                         nullptr, nullptr, 0xF0F0));
}

// With pattern 0xF0, source 0xCC and target 0xAA across one 1-bit row, pixel x
// holds the inputs of minterm 7 - x: every raster operation leaves its own code
// in the row. The brush origin moves the pattern: at x = 4 it is 0x0F, which
// swaps the code's halves.
TEST(EngBitBlt, EveryRasterOperationOnOneBitRows) {
  Bitmap pattern = Make(8, 8, BMF_1BPP, 0);
  for (LONG y = 0; y < 8; ++y) platform::engine::ScanLine(pattern.Get(), y)[0] = 0xF0;
  Brush brush = Brush::Pattern(pattern, Translation::Identity());
  Bitmap src = Make(8, 1, BMF_1BPP, 0);
  platform::engine::ScanLine(src.Get(), 0)[0] = 0xCC;
  RECTL row{0, 0, 8, 1};
  POINTL at{0, 0};
  for (int rop = 0; rop < 256; ++rop) {
    SCOPED_TRACE(rop);
    for (LONG originX : {0, 4}) {
      Bitmap dst = Make(8, 1, BMF_1BPP, 0);
      platform::engine::ScanLine(dst.Get(), 0)[0] = 0xAA;
      POINTL origin{originX, 0};
      ASSERT_TRUE(EngBitBlt(dst.Get(), src.Get(), nullptr, nullptr, nullptr, &row, &at, nullptr,
                            brush.Get(), &origin, static_cast<ROP4>(rop * 0x101)));
      int expected = originX == 0 ? rop : ((rop << 4) | (rop >> 4)) & 0xFF;
      EXPECT_EQ(platform::engine::ScanLine(dst.Get(), 0)[0], expected) << "origin " << originX;
    }
  }
}

// Named operations on 4-, 8- and 24-bit pixels: pattern C, source A, target 6
// in every nibble of the pixel.
TEST(EngBitBlt, RasterOperationsOnWiderPixels) {
  struct Case {
    const char* name;
    BYTE rop;
    ULONG nibble;
  };
  const Case kCases[] = {
      {"pattern copy", 0xF0, 0xC},
      {"source copy", 0xCC, 0xA},
      {"pattern invert", 0x5A, 0xA},
      {"source invert", 0x66, 0xC},
      {"source and", 0x88, 0x2},
      {"source paint", 0xEE, 0xE},
      {"not source", 0x33, 0x5},
      {"not source erase", 0x11, 0x1},
      {"merge copy", 0xC0, 0x8},
      {"merge paint", 0xBB, 0x7},
      {"pattern paint", 0xFB, 0xF},
      {"pattern and target", 0xA0, 0x4},
      {"not pattern and target", 0x0A, 0x2},
      {"source chooses pattern or target", 0xE2, 0xC},
      {"blackness", 0x00, 0x0},
      {"whiteness", 0xFF, 0xF},
      {"target", 0xAA, 0x6},
  };
  struct Format {
    ULONG format;
    ULONG repeat;  // the nibble repeated over the pixel
  };
  const Format kFormats[] = {{BMF_4BPP, 0x1}, {BMF_8BPP, 0x11}, {BMF_24BPP, 0x111111}};
  for (const Format& f : kFormats) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.name) + " in format " + std::to_string(f.format));
      Bitmap dst = Make(3, 1, f.format, 0x6 * f.repeat);
      Bitmap src = Make(3, 1, f.format, 0xA * f.repeat);
      Brush brush = Brush::Solid(0xC * f.repeat);
      RECTL middle{1, 0, 2, 1};
      POINTL at{1, 0};
      ASSERT_TRUE(EngBitBlt(dst.Get(), src.Get(), nullptr, nullptr, nullptr, &middle, &at, nullptr,
                            brush.Get(), nullptr, static_cast<ROP4>(c.rop * 0x101)));
      EXPECT_EQ(ReadPixel(dst.Get(), 1, 0), c.nibble * f.repeat);
      EXPECT_EQ(ReadPixel(dst.Get(), 0, 0), 0x6 * f.repeat);  // outside the rectangle
      EXPECT_EQ(ReadPixel(dst.Get(), 2, 0), 0x6 * f.repeat);
    }
  }
}

// A 4-bit pattern brush tiled from its origin, translated, under a clip.
TEST(EngBitBlt, FourBitPatternAtItsOriginTranslatedAndClipped) {
  Bitmap pattern = Make(2, 2, BMF_4BPP, 0);
  WritePixel(pattern.Get(), 0, 0, 1);
  WritePixel(pattern.Get(), 1, 1, 1);
  Brush brush = Brush::Pattern(pattern, Translation::Table({0x3, 0xE}));
  Bitmap dst = Make(6, 3, BMF_4BPP, 0x5);
  Clip clip = Clip::Rectangle({1, 0, 5, 2});
  RECTL all{0, 0, 6, 3};
  POINTL origin{1, 0};
  ASSERT_TRUE(EngBitBlt(dst.Get(), nullptr, nullptr, clip.Get(), nullptr, &all, nullptr, nullptr,
                        brush.Get(), &origin, 0xF0F0));
  // Pattern pixel (0, 0) lands at (1, 0): 0xE on one diagonal of each 2 x 2
  // cell, 0x3 on the other; column 0, column 5 and row 2 are clipped away.
  EXPECT_EQ(Picture(dst, 0xE), ".#.#..\n..#.#.\n......\n");
  EXPECT_EQ(Picture(dst, 0x3), "..#.#.\n.#.#..\n......\n");
}

TEST(EngBitBlt, OverlappingCopyAndSourceEdges) {
  Bitmap b = Make(3, 4, BMF_8BPP, 0);
  for (LONG y = 0; y < 4; ++y) WritePixel(b.Get(), 1, y, static_cast<ULONG>(10 + y));
  // Scroll everything down one row within the same bitmap.
  RECTL target{0, 1, 3, 4};
  POINTL from{0, 0};
  ASSERT_TRUE(EngCopyBits(b.Get(), b.Get(), nullptr, nullptr, &target, &from));
  EXPECT_EQ(ReadPixel(b.Get(), 1, 0), 10u);
  EXPECT_EQ(ReadPixel(b.Get(), 1, 1), 10u);
  EXPECT_EQ(ReadPixel(b.Get(), 1, 3), 12u);

  // Target pixels without a source pixel under them are left alone.
  Bitmap small = Make(2, 2, BMF_8BPP, 7);
  Bitmap dst = Make(4, 4, BMF_8BPP, 1);
  RECTL big{0, 0, 4, 4};
  POINTL start{1, 1};
  ASSERT_TRUE(EngCopyBits(dst.Get(), small.Get(), nullptr, nullptr, &big, &start));
  EXPECT_EQ(Picture(dst, 7), "#...\n....\n....\n....\n");
}

TEST(EngEraseSurface, PartialBytesOfOneBitRows) {
  Bitmap b = Make(24, 2, BMF_1BPP, 0);
  RECTL r{3, 1, 21, 2};
  ASSERT_TRUE(EngEraseSurface(b.Get(), &r, 1));
  const BYTE* row = platform::engine::ScanLine(b.Get(), 1);
  EXPECT_EQ(row[0], 0x1F);
  EXPECT_EQ(row[1], 0xFF);
  EXPECT_EQ(row[2], 0xF8);
  EXPECT_EQ(platform::engine::ScanLine(b.Get(), 0)[1], 0x00);
  RECTL outside{30, 0, 40, 2};
  EXPECT_TRUE(EngEraseSurface(b.Get(), &outside, 1));  // nothing to do
  SURFOBJ device{};
  EXPECT_FALSE(EngEraseSurface(&device, &r, 1));  // no bits
}

TEST(EngStretchBlt, NearestPixelMirrorAndHalftone) {
  Bitmap src = Make(2, 1, BMF_8BPP, 0);
  WritePixel(src.Get(), 1, 0, 9);
  Bitmap dst = Make(4, 2, BMF_8BPP, 0);
  RECTL s{0, 0, 2, 1};
  RECTL d{0, 0, 4, 2};
  ASSERT_TRUE(EngStretchBlt(dst.Get(), src.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, &d,
                            &s, nullptr, COLORONCOLOR));
  EXPECT_EQ(Picture(dst, 9), "..##\n..##\n");
  RECTL mirrored{4, 0, 0, 2};
  ASSERT_TRUE(EngStretchBlt(dst.Get(), src.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &mirrored, &s, nullptr, COLORONCOLOR));
  EXPECT_EQ(Picture(dst, 9), "##..\n##..\n");

  // Mid grey halftoned onto black and white: half of an 8 x 8 cell is white.
  Bitmap grey = Make(1, 1, BMF_24BPP, 0x808080);
  Bitmap mono = Make(8, 8, BMF_1BPP, 0);
  RECTL one{0, 0, 1, 1};
  RECTL cell{0, 0, 8, 8};
  ASSERT_TRUE(EngStretchBlt(mono.Get(), grey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &cell, &one, nullptr, HALFTONE));
  std::string picture = Picture(mono, 1);
  EXPECT_EQ(std::count(picture.begin(), picture.end(), '#'), 32);
}

}  // namespace
