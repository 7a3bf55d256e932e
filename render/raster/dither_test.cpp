// The ordered dither: the matrix, its anchoring to the page, the polarities.
#include "render/raster/dither.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "render/raster/raster_test_fixture.h"

namespace {

using namespace render;
using render::testing::RasterJob;

// A 24-bit image of one colour.
struct Solid {
  std::vector<unsigned char> bits;
  ImageView view;
  Solid(LONG w, LONG h, std::uint32_t colour) : bits(static_cast<std::size_t>(3 * w) * h) {
    for (std::size_t i = 0; i < bits.size(); i += 3) {
      bits[i] = static_cast<unsigned char>(colour);
      bits[i + 1] = static_cast<unsigned char>(colour >> 8);
      bits[i + 2] = static_cast<unsigned char>(colour >> 16);
    }
    view = {BMF_24BPP, w, h, 3 * w, bits.data()};
  }
};

int InkCount(const std::vector<unsigned char>& bits, InkPolarity polarity) {
  int n = 0;
  for (unsigned char b : bits) n += std::popcount(static_cast<unsigned>(b));
  return polarity == InkPolarity::kOneIsInk ? n : static_cast<int>(8 * bits.size()) - n;
}

TEST(Dither, Gray128InksHalfTheCells) {
  int ink = 0;
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) ink += DitherInk(0x808080, x, y) ? 1 : 0;
  }
  EXPECT_EQ(ink, 32);
  RasterJob job("095");
  Solid gray(8, 8, 0x808080);
  for (InkPolarity polarity : {InkPolarity::kOneIsInk, InkPolarity::kZeroIsInk}) {
    std::vector<unsigned char> target(8, 0x5A);  // rows of one byte
    DitherToOneBit(job.dc(), gray.view, {target.data(), 1}, {0, 0, 8, 8}, 0, 0, polarity);
    EXPECT_EQ(InkCount(target, polarity), 32);
  }
}

TEST(Dither, ColoursAreAdjustedByTheMonochromeSet) {
  // Brightness of the monochrome set (set 2) moves gray 128 to 203 (100) or 53
  // (0) before the threshold: ink where the matrix entry exceeds it, 14 cells
  // above 203 and 50 above 53. The colour sets of modes 0 and 1 play no part.
  struct Case {
    const char* name;
    int brightness;
    int ink;
  };
  const Case kCases[] = {{"no change", 50, 32}, {"brighter", 100, 14}, {"darker", 0, 50}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RasterJob job("095");
    for (std::size_t set = 0; set < 3; ++set) {
      for (std::size_t member = 8; member < 20; member += 2) {
        job.SetPriv16(settings::ColorSetOffset(set, member), 50);
      }
    }
    job.SetPriv16(settings::ColorSetOffset(0, 8), 0);
    job.SetPriv16(settings::ColorSetOffset(1, 8), 100);
    job.SetPriv16(settings::ColorSetOffset(2, 8), static_cast<std::int16_t>(c.brightness));
    Solid gray(8, 8, 0x808080);
    std::vector<unsigned char> target(8, 0);
    DitherToOneBit(job.dc(), gray.view, {target.data(), 1}, {0, 0, 8, 8}, 0, 0,
                   InkPolarity::kOneIsInk);
    EXPECT_EQ(InkCount(target, InkPolarity::kOneIsInk), c.ink);
  }
}

TEST(Dither, WhiteAndBlack) {
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) {
      EXPECT_FALSE(DitherInk(0xFFFFFF, x, y));
      EXPECT_TRUE(DitherInk(0x000000, x, y));
      // Nearly white (g = 254) is ink only under the two 255 entries.
      EXPECT_EQ(DitherInk(0xFEFEFE, x, y), kDitherMatrix[x][y] == 255);
    }
  }
}

TEST(Dither, PatternIsAnchoredToThePage) {
  // A 13 x 11 area at page origin (3, 5), taken from (2, 1) of the source: the
  // pattern at target pixel (i, j) is the matrix at ((i + 3) mod 8, (j + 5) mod 8).
  RasterJob job("095");
  Solid colour(16, 16, 0x3070A0);
  const int g = (74 * 0xA0 + 155 * 0x70 + 27 * 0x30) >> 8;
  std::vector<unsigned char> target(2 * 11, 0);
  DitherToOneBit(job.dc(), colour.view, {target.data(), 2}, {2, 1, 15, 12}, 3, 5,
                 InkPolarity::kOneIsInk);
  for (int j = 0; j < 11; ++j) {
    for (int i = 0; i < 13; ++i) {
      bool ink = (target[2 * j + i / 8] >> (7 - i % 8)) & 1;
      EXPECT_EQ(ink, g < kDitherMatrix[(i + 3) % 8][(j + 5) % 8]) << i << "," << j;
    }
  }
}

}  // namespace
