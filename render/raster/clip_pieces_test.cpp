// Images under complex clips: column pieces of the turned image and the
// per-rectangle output with printer scaling.
#include "render/raster/clip_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/engine/objects.h"
#include "render/raster/raster_test_fixture.h"

namespace {

using namespace render;
using platform::engine::Clip;
using render::testing::RasterJob;

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

bool Same(const RECTL& a, const RECTL& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ClipPieces, ColumnPieces) {
  struct Case {
    const char* name;
    std::vector<RECTL> rects;
    std::vector<RECTL> pieces;
  };
  const RECTL image{0, 0, 3, 10};
  const Case kCases[] = {
      {"bands join down a column",
       {{0, 0, 2, 4}, {0, 4, 1, 8}, {2, 4, 3, 6}},
       {{0, 0, 1, 8}, {1, 0, 2, 4}, {2, 4, 3, 6}}},
      {"a rectangle between reopens the piece before",
       {{0, 0, 1, 4}, {2, 0, 3, 4}, {0, 4, 1, 6}},
       {{0, 0, 1, 6}, {2, 0, 3, 4}}},
      {"a gap leaves two pieces", {{0, 0, 1, 2}, {0, 5, 1, 7}}, {{0, 0, 1, 2}, {0, 5, 1, 7}}},
      {"upward order joins too", {{1, 5, 2, 9}, {1, 2, 2, 5}}, {{1, 2, 2, 9}}},
      {"cut to the image, empty and outside rectangles passed over",
       {{0, -5, 1, 3}, {1, 1, 1, 9}, {2, 12, 3, 20}, {2, 8, 3, 40}},
       {{0, 0, 1, 3}, {2, 8, 3, 10}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::size_t n = BuildColumnPieces(c.rects.data(), c.rects.size(), image, nullptr, 0);
    ASSERT_EQ(n, c.pieces.size());
    std::vector<RECTL> pieces(n);
    ASSERT_EQ(BuildColumnPieces(c.rects.data(), c.rects.size(), image, pieces.data(), n), n);
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_TRUE(Same(pieces[i], c.pieces[i]))
          << i << ": " << pieces[i].left << "," << pieces[i].top << "," << pieces[i].right << ","
          << pieces[i].bottom;
    }
  }
}

TEST(ClipPieces, ClipRectanglesInTheEnginesOrder) {
  RasterJob job("095");
  Clip clip = Clip::Region({{0, 0, 5, 5}, {0, 5, 5, 10}, {6, 5, 9, 10}});
  ClipList down, up;
  ASSERT_TRUE(CollectClipRects(job.dc().heap, clip.Get(), false, down));
  ASSERT_TRUE(CollectClipRects(job.dc().heap, clip.Get(), true, up));
  ASSERT_EQ(down.count, 3u);
  ASSERT_EQ(up.count, 3u);
  EXPECT_EQ(down.rects[0].top, 0);
  EXPECT_EQ(up.rects[0].top, 5);
  EXPECT_EQ(up.rects[2].top, 0);
  FreeClipRects(down);
  FreeClipRects(up);
}

const std::string kEnd = "\x1B*rC\x1B%0B";

struct Image3x2 {
  // 3 wide, 2 high; turned: rows (4, 1), (5, 2), (6, 3).
  unsigned char bits[8] = {1, 2, 3, 0, 4, 5, 6, 0};
  ImageView view{BMF_8BPP, 3, 2, 4, bits};
};

TEST(ClipPieces, RotatedPiecesEachWithItsWindow) {
  RasterJob job("095");
  job.Landscape();
  Image3x2 image;
  Clip clip = Clip::Region({{10, 20, 11, 22}, {12, 20, 13, 21}});
  ClipList list;
  ASSERT_TRUE(CollectClipRects(job.dc().heap, clip.Get(), false, list));
  ASSERT_TRUE(
      SendRotatedPieces(job.dc(), job.state, image.view, {10, 20, 3, 2, false}, list, 0, false));
  FreeClipRects(list);
  const std::string page = "IW0,0," + std::to_string(PageWidthPixels(job.dc())) + "," +
                           std::to_string(PageHeightPixels(job.dc())) + ";";
  EXPECT_EQ(job.Sent(), "IW10,20,11,22;PUPA10,21\x1B%1A\x1B*r2s1t1A\x1B*b0m2W" + B({4, 1}) + kEnd +
                            "IW12,20,13,21;PUPA12,21\x1B%1A\x1B*r2s1t1A\x1B*b0m2W" + B({6, 3}) +
                            kEnd + page);
  EXPECT_FALSE(job.state.inputWindowSet);
}

TEST(ClipPieces, RotatedPiecesOfColourImagesAreConverted) {
  // Two 24-bit pixels, grays 128 and 100, under a clip of the whole image: one
  // piece per column, each the turned row of that column. Brightness 100 of
  // colour set 0 gives 203 and 158 (100 x 203 / 128); brightness 0 of the
  // monochrome set gives 53 and 41 (100 x 53 / 128). The caller's bitmap keeps
  // its pixels.
  struct Case {
    const char* name;
    std::int16_t mode;
    bool convert;
    int first, second;
  };
  const Case kCases[] = {
      {"colour mode 0", 0, true, 203, 158},
      {"colour mode 2", 2, true, 53, 41},
      {"plain monochrome: not converted", 2, false, 128, 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RasterJob job("095");
    job.Landscape();
    for (std::size_t set = 0; set < 3; ++set) {
      for (std::size_t member = 8; member < 20; member += 2) {
        job.SetPriv16(settings::ColorSetOffset(set, member), 50);
      }
      job.SetPriv16(settings::ColorSetOffset(set, settings::priv::kSetColormatch), 0);
      job.SetPriv16(settings::ColorSetOffset(set, settings::priv::kSetTruegray), 0);
    }
    job.SetPriv16(settings::ColorSetOffset(0, 8), 100);
    job.SetPriv16(settings::ColorSetOffset(2, 8), 0);
    job.SetPriv16(settings::priv::kColormode, c.mode);
    job.dc().colour.colorMatchingOn = true;
    unsigned char bits[8] = {128, 128, 128, 100, 100, 100, 0, 0};
    ImageView image{BMF_24BPP, 2, 1, 8, bits};
    Clip clip = Clip::Region({{10, 20, 12, 21}});
    ClipList list;
    ASSERT_TRUE(CollectClipRects(job.dc().heap, clip.Get(), false, list));
    ASSERT_TRUE(
        SendRotatedPieces(job.dc(), job.state, image, {10, 20, 2, 1, false}, list, 0, c.convert));
    FreeClipRects(list);
    const std::string page = "IW0,0," + std::to_string(PageWidthPixels(job.dc())) + "," +
                             std::to_string(PageHeightPixels(job.dc())) + ";";
    EXPECT_EQ(job.Sent(), "IW10,20,11,21;PUPA10,20\x1B%1A\x1B*r1s1t1A\x1B*b0m3W" +
                              B({c.first, c.first, c.first}) + kEnd +
                              "IW11,20,12,21;PUPA11,20\x1B%1A\x1B*r1s1t1A\x1B*b0m3W" +
                              B({c.second, c.second, c.second}) + kEnd + page);
    EXPECT_EQ(bits[0], 128);
    EXPECT_EQ(bits[3], 100);
  }
}

TEST(ClipPieces, ScaledRectanglesRowByRow) {
  // 2 x 2 printed at 4 x 4 (5 x 5 decipoints at 600 dpi): vertical factor 2,
  // so destination rows 1 and 2 take source rows 0 and 1.
  RasterJob job("095");
  unsigned char bits[8] = {1, 2, 0, 0, 3, 4, 0, 0};
  ImageView image{BMF_8BPP, 2, 2, 4, bits};
  Clip clip = Clip::Region({{0, 1, 4, 3}, {0, 9, 4, 12}});  // the second lies below the image
  ClipList list;
  ASSERT_TRUE(CollectClipRects(job.dc().heap, clip.Get(), false, list));
  ASSERT_TRUE(SendScaledRectangles(job.dc(), job.state, image, {0, 0, 4, 4, true}, list, 0));
  const std::string start = "PUPA0,0\x1B%1A\x1B*t5h5V\x1B*r2s1t3A\x1B*b0m2W";
  const std::string page = "IW0,0," + std::to_string(PageWidthPixels(job.dc())) + "," +
                           std::to_string(PageHeightPixels(job.dc())) + ";";
  EXPECT_EQ(job.Sent(), "IW0,1,4,2;" + start + B({1, 2}) + kEnd + "IW0,2,4,3;" + start + B({3, 4}) +
                            kEnd + page);
  FreeClipRects(list);
  // A destination smaller than the image: the factor is 1, not 0.
  Clip whole = Clip::Region({{0, 0, 4, 3}});
  ASSERT_TRUE(CollectClipRects(job.dc().heap, whole.Get(), false, list));
  ASSERT_TRUE(SendScaledRectangles(job.dc(), job.state, image, {0, 0, 1, 1, true}, list, 0));
  EXPECT_EQ(job.Sent(),
            "IW0,0,4,1;PUPA0,0\x1B%1A\x1B*t1h1V\x1B*r2s1t3A\x1B*b0m2W" + B({1, 2}) + kEnd + page);
  FreeClipRects(list);
}

}  // namespace
