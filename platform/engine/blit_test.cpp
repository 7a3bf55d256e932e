// The engine's bit-block transfers, stretching and erasing on 1-, 8- and 24-bit
// bitmaps.
#include <gtest/gtest.h>

#include <algorithm>

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
