// Colour adjustments, matching through the profile's table, and the cache shared
// by pen colours and image colours.
#include "render/raster/colour_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "render/core/device_context.h"

namespace {

using namespace render;
using namespace settings::priv;

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
         static_cast<std::uint32_t>(b) << 16;
}

ColourSet Neutral() { return {0, 0, 50, 50, 50, 50, 50, 50}; }

TEST(ColourAdjustment, ExactValues) {
  struct Case {
    const char* name;
    ColourSet set;
    std::uint32_t in, out;
  };
  ColourSet bright = Neutral(), dark = Neutral(), flat = Neutral(), steep = Neutral();
  bright.brigt = 100;
  dark.brigt = 0;
  flat.cntrasut = 0;
  steep.cntrasut = 100;
  ColourSet snap = Neutral(), saturated = Neutral(), redder = Neutral();
  snap.truegray = 3;
  saturated.satulation = 100;
  redder.intred = 60;
  const Case kCases[] = {
      {"all sliders at 50", Neutral(), Rgb(12, 200, 77), Rgb(12, 200, 77)},
      {"brightness 100 on mid gray", bright, Rgb(128, 128, 128), Rgb(203, 203, 203)},
      {"brightness 0 on mid gray", dark, Rgb(128, 128, 128), Rgb(53, 53, 53)},
      {"contrast 0 on blue", flat, Rgb(0, 0, 255), Rgb(50, 50, 205)},
      {"contrast 100 on red is clamped", steep, Rgb(255, 0, 0), Rgb(255, 0, 0)},
      {"gray snap of blue", snap, Rgb(100, 100, 101), Rgb(100, 100, 100)},
      {"gray snap of red", snap, Rgb(101, 100, 100), Rgb(100, 100, 100)},
      {"gray snap of green", snap, Rgb(100, 99, 100), Rgb(100, 100, 100)},
      {"two steps from gray stay", snap, Rgb(100, 100, 102), Rgb(100, 100, 102)},
      // Y 124, R' 76 and B' -74 both scaled by 203 / 128 (toward zero): 120 and
      // -117; G = 124 + 1287 / 59 - 3600 / 59.
      {"saturation 100", saturated, Rgb(200, 100, 50), Rgb(244, 84, 7)},
      {"red intensity 60", redder, Rgb(100, 100, 100), Rgb(110, 100, 100)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AdjustColor(c.set, c.in), c.out);
  }
}

TEST(ColourAdjustment, BlackAndWhiteNeverChange) {
  ColourSet extreme{2, 3, 100, 0, 0, 100, 0, 100};
  ColourSet other{2, 1, 0, 100, 100, 0, 100, 0};
  for (const ColourSet& s : {extreme, other}) {
    for (std::uint32_t c : {Rgb(0, 0, 0), Rgb(255, 255, 255)}) {
      EXPECT_EQ(AdjustColor(s, c), c);
      EXPECT_EQ(AdjustMonoColor(s, c), c);
    }
  }
}

TEST(ColourAdjustment, SlidersFarOutOfRangeStayDefined) {
  // A stored record may hold any 16-bit slider value. Brightness, saturation and
  // contrast at 32767 take (200, 100, 50) to channels of 76879, 38114 and 19220
  // before contrast, whose products pass 2^31; the colour ends white.
  ColourSet s{0, 0, 32767, 32767, 32767, 50, 50, 50};
  EXPECT_EQ(AdjustColor(s, Rgb(200, 100, 50)), Rgb(255, 255, 255));
  EXPECT_EQ(AdjustMonoColor(s, Rgb(200, 100, 50)), Rgb(255, 255, 255));
  ColourSet low{0, 0, -32768, -32768, -32768, -32768, -32768, -32768};
  EXPECT_EQ(AdjustColor(low, Rgb(200, 100, 50)), Rgb(255, 255, 255));
}

TEST(ColourAdjustment, MonochromeTakesBrightnessAndContrastOnly) {
  ColourSet s = Neutral();
  s.satulation = 100;
  s.intred = 100;
  s.truegray = 3;
  EXPECT_EQ(AdjustMonoColor(s, Rgb(200, 100, 50)), Rgb(200, 100, 50));
  EXPECT_EQ(AdjustMonoColor(s, Rgb(100, 100, 101)), Rgb(100, 100, 101));
  s.brigt = 100;
  EXPECT_EQ(AdjustMonoColor(s, Rgb(128, 128, 128)), Rgb(203, 203, 203));
  s = Neutral();
  s.cntrasut = 0;
  EXPECT_EQ(AdjustMonoColor(s, Rgb(0, 0, 255)), Rgb(50, 50, 205));
}

TEST(ColourMatching, GridPositions) {
  struct Case {
    int value, node, fraction;
  };
  const Case kCases[] = {{0, 0, 0},  {15, 0, 15},   {16, 1, 0},
                         {17, 1, 1}, {254, 15, 14}, {255, 16, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.value);
    GridPosition p = GridPositionOf(c.value);
    EXPECT_EQ(p.node, c.node);
    EXPECT_EQ(p.fraction, c.fraction);
  }
}

// A table with one value per node, the rest zero.
std::unique_ptr<ColorProfileTable> Table(unsigned char fill = 0) {
  auto t = std::make_unique<ColorProfileTable>();
  t->gridSize = 17;
  for (auto& channel : t->channel) std::fill(std::begin(channel), std::end(channel), fill);
  return t;
}

int Node(int i, int j, int k) { return i * 289 + j * 17 + k; }

TEST(ColourMatching, LastNodeAndItsNeighbour) {
  // Each output channel grows along its own input: node n gives 16 n, node 16 255.
  auto t = Table();
  for (int i = 0; i < 17; ++i) {
    for (int j = 0; j < 17; ++j) {
      for (int k = 0; k < 17; ++k) {
        t->channel[0][Node(i, j, k)] = static_cast<unsigned char>(std::min(16 * i, 255));
        t->channel[1][Node(i, j, k)] = static_cast<unsigned char>(std::min(16 * j, 255));
        t->channel[2][Node(i, j, k)] = static_cast<unsigned char>(std::min(16 * k, 255));
      }
    }
  }
  EXPECT_EQ(MatchColor(*t, Rgb(255, 255, 255)), Rgb(255, 255, 255));
  // 254: node 15 (240) and a fraction 14 of the way to node 16: (15 x 14 + 8) / 16.
  EXPECT_EQ(MatchColor(*t, Rgb(254, 254, 254)), Rgb(253, 253, 253));
  EXPECT_EQ(MatchColor(*t, Rgb(255, 0, 254)), Rgb(255, 0, 253));
  EXPECT_EQ(MatchColor(*t, Rgb(32, 64, 128)), Rgb(32, 64, 128));
}

TEST(ColourMatching, TwoTrianglesOfTheRedBlueSquare) {
  // Only the corner (1, 0, 1) of red output is set: it weighs by the smaller of
  // the two fractions on either triangle.
  auto t = Table();
  t->channel[0][Node(1, 0, 1)] = 100;
  struct Case {
    std::uint32_t in;
    int red;
  };
  const Case kCases[] = {
      {Rgb(8, 0, 8), 50},  // fR = fB: the first triangle, (100 x 8 + 8) / 16
      {Rgb(4, 0, 8), 25},  // fR < fB: (100 x 4 + 8) / 16
      {Rgb(8, 0, 4), 25}, {Rgb(16, 0, 16), 100}, {Rgb(0, 0, 0), 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(MatchColor(*t, c.in) & 0xFF, static_cast<std::uint32_t>(c.red));
  }
}

TEST(ColourMatching, GrayLevel) {
  EXPECT_EQ(GrayLevel(Rgb(255, 255, 255)), 255);
  EXPECT_EQ(GrayLevel(Rgb(255, 0, 0)), 73);
  EXPECT_EQ(GrayLevel(Rgb(0, 255, 0)), 154);
  EXPECT_EQ(GrayLevel(Rgb(0, 0, 255)), 26);
  EXPECT_EQ(GrayLevel(0), 0);
}

// A device context that holds only settings and colour state, with a table that
// turns every colour it matches into (7, 8, 9).
struct Colours {
  std::unique_ptr<DeviceContext> dc = std::make_unique<DeviceContext>();
  std::unique_ptr<ColorProfileTable> table = Table();
  std::unique_ptr<ColourCacheEntry[]> cache =
      std::make_unique<ColourCacheEntry[]>(kColourCacheEntries);
  explicit Colours(int mode) {
    for (int ch = 0; ch < 3; ++ch) {
      std::fill(std::begin(table->channel[ch]), std::end(table->channel[ch]), 7 + ch);
    }
    settings::SetI16(dc->settings.priv, kColormode, static_cast<std::int16_t>(mode));
    for (int set = 0; set < 3; ++set) {
      for (std::size_t member = 8; member < 20; member += 2) Set(set, member, 50);
    }
    dc->colour.colorMatchingOn = mode != 2;
    dc->colour.profile = table.get();
    dc->colour.cache = mode != 2 ? cache.get() : nullptr;
  }
  void Set(int set, std::size_t member, int v) {
    settings::SetI16(dc->settings.priv,
                     settings::ColorSetOffset(static_cast<std::size_t>(set), member),
                     static_cast<std::int16_t>(v));
  }
  std::uint32_t Pixel(std::uint32_t c) {
    unsigned char p[3] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                          static_cast<unsigned char>(c >> 16)};
    ConvertPixelRun(*dc, p, 1, 24);
    return Rgb(p[0], p[1], p[2]);
  }
};

constexpr std::uint32_t kMatched = Rgb(7, 8, 9);

TEST(ConvertColor, WithoutMatchingOrAdjustmentColoursStay) {
  Colours c(0);
  c.dc->colour.profile = nullptr;
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(12, 200, 77)), Rgb(12, 200, 77));
  c.Set(0, 8, 100);  // brightness, but matching is off
  c.dc->colour.colorMatchingOn = false;
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(128, 128, 128)), Rgb(128, 128, 128));
  EXPECT_EQ(c.Pixel(Rgb(128, 128, 128)), Rgb(128, 128, 128));
}

TEST(ConvertColor, OptionOneMatchesImagesButNotPens) {
  Colours c(1);
  c.Set(1, kSetColormatch, 1);
  c.Set(1, 8, 100);
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(255, 0, 0)), AdjustColor(*c.dc, Rgb(255, 0, 0)));
  EXPECT_NE(AdjustColor(*c.dc, Rgb(255, 0, 0)), Rgb(255, 0, 0));
  EXPECT_EQ(c.Pixel(Rgb(255, 0, 0)), kMatched);
}

TEST(ConvertColor, GraysOfImagesAreMatchedAndTheCacheIsShared) {
  Colours c(0);
  c.Set(0, kSetColormatch, 2);
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(200, 0, 0)), kMatched);
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(128, 128, 128)), Rgb(128, 128, 128));  // gray handling 0
  EXPECT_EQ(c.Pixel(Rgb(100, 100, 100)), kMatched);
  // The image put its conversion into the cache; the pen colour now finds it.
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(100, 100, 100)), kMatched);
  EXPECT_EQ(c.Pixel(Rgb(255, 255, 255)), Rgb(255, 255, 255));
  c.Set(0, kSetTruegray, 1);
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(90, 90, 90)), kMatched);
  c.Set(0, kSetTruegray, 3);
  EXPECT_EQ(c.Pixel(Rgb(80, 80, 80)), Rgb(80, 80, 80));
}

TEST(ConvertColor, CacheSlotsAreReplaced) {
  Colours c(0);
  c.Set(0, kSetColormatch, 2);
  std::uint32_t a = Rgb(10, 20, 30);
  std::uint32_t b = a + kColourCacheEntries;  // the same slot
  ConvertColor(*c.dc, a);
  ConvertColor(*c.dc, b);
  const ColourCacheEntry& slot = c.cache[a % kColourCacheEntries];
  EXPECT_EQ(slot.used, 1);
  EXPECT_EQ(slot.input, b);
  EXPECT_EQ(slot.output, kMatched);
  // With the table gone, a cached colour still comes from the cache, an evicted one is recomputed.
  c.dc->colour.profile = nullptr;
  EXPECT_EQ(ConvertColor(*c.dc, b), kMatched);
  EXPECT_EQ(ConvertColor(*c.dc, a), a);
}

TEST(ConvertColor, MonochromeModeAdjustsOnly) {
  Colours c(2);
  c.Set(2, 8, 100);
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(128, 128, 128)), Rgb(203, 203, 203));
  EXPECT_EQ(ConvertColor(*c.dc, Rgb(200, 0, 0)), Rgb(235, 35, 35));  // never matched
  EXPECT_EQ(c.Pixel(Rgb(200, 0, 0)), Rgb(200, 0, 0));                // the colour path does nothing
  unsigned char p[6] = {128, 128, 128, 0, 0, 0};
  ConvertMonoPixelRun(*c.dc, p, 2, 24);
  EXPECT_EQ(Rgb(p[0], p[1], p[2]), Rgb(203, 203, 203));
  EXPECT_EQ(Rgb(p[3], p[4], p[5]), 0u);
  ConvertMonoPixelRun(*c.dc, p, 1, 8);
  EXPECT_EQ(p[0], 203);
}

TEST(ConvertColor, PaletteEntriesKeepTheirByteOrder) {
  Colours c(0);
  c.Set(0, kSetColormatch, 2);
  // Blue, green, red, reserved.
  unsigned char palette[8] = {0, 0, 200, 0xAA, 255, 255, 255, 0xBB};
  ConvertPaletteColors(*c.dc, palette, 2);
  const unsigned char kExpected[8] = {9, 8, 7, 0xAA, 255, 255, 255, 0xBB};
  EXPECT_TRUE(std::equal(std::begin(palette), std::end(palette), kExpected));
  unsigned char pixels[3] = {0, 0, 200};
  ConvertPixelRun(*c.dc, pixels, 1, 8);  // only 24-bit runs
  EXPECT_EQ(pixels[2], 200);
  unsigned char mono[4] = {10, 20, 30, 0};
  c.Set(2, 10, 0);
  ConvertMonoPaletteColors(*c.dc, mono, 1);
  EXPECT_EQ(mono[2], (2 * 30 * 78) / 256 + 50);
}

}  // namespace
