// The software renderer: fills with the engine's pixel rule, fill modes, strokes,
// clips, mixes, painted regions and text from glyph images.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::Font;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::ReadPixel;
using platform::engine::TextString;
using platform::engine::Transform;

Bitmap White(LONG w, LONG h, ULONG format) {
  Bitmap b = Bitmap::Create({w, h}, format, BMF_TOPDOWN);
  RECTL all{0, 0, w, h};
  EngEraseSurface(b.Get(), &all, 0xFFFFFF);
  return b;
}

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

long Count(const Bitmap& b, ULONG ink) {
  std::string p = Picture(b, ink);
  return std::count(p.begin(), p.end(), '#');
}

TEST(EngFillPath, RightAndBottomEdgesAreExclusive) {
  for (ULONG format : {BMF_1BPP, BMF_8BPP, BMF_24BPP}) {
    SCOPED_TRACE(format);
    Bitmap b = White(40, 40, format);
    Path path;
    path.AddRectangle(10, 10, 20, 30);
    Brush black = Brush::Solid(0);
    ASSERT_TRUE(EngFillPath(b.Get(), path.Get(), nullptr, black.Get(), nullptr, R2_COPYPEN,
                            FP_ALTERNATEMODE));
    EXPECT_EQ(Count(b, 0), 10 * 20);
    EXPECT_EQ(ReadPixel(b.Get(), 10, 10), 0u);
    EXPECT_EQ(ReadPixel(b.Get(), 19, 29), 0u);
    EXPECT_NE(ReadPixel(b.Get(), 20, 29), 0u);
    EXPECT_NE(ReadPixel(b.Get(), 19, 30), 0u);
  }
}

TEST(EngFillPath, FillModesClipAndMix) {
  // Two overlapping squares drawn the same way round: winding fills the overlap,
  // alternate leaves it out.
  Path two;
  two.AddRectangle(0, 0, 6, 6).AddRectangle(3, 3, 9, 9);
  Brush black = Brush::Solid(0);
  Bitmap winding = White(10, 10, BMF_8BPP);
  Bitmap alternate = White(10, 10, BMF_8BPP);
  ASSERT_TRUE(EngFillPath(winding.Get(), two.Get(), nullptr, black.Get(), nullptr, R2_COPYPEN,
                          FP_WINDINGMODE));
  ASSERT_TRUE(EngFillPath(alternate.Get(), two.Get(), nullptr, black.Get(), nullptr, R2_COPYPEN,
                          FP_ALTERNATEMODE));
  EXPECT_EQ(Count(winding, 0), 36 + 36 - 9);
  EXPECT_EQ(Count(alternate, 0), 36 + 36 - 18);

  // A clip keeps the fill inside; XOR with white turns white into black.
  Bitmap clipped = White(10, 10, BMF_8BPP);
  Clip clip = Clip::Region({{0, 0, 2, 10}, {8, 0, 10, 10}});
  Path all;
  all.AddRectangle(0, 0, 10, 10);
  Brush white = Brush::Solid(0xFF);
  ASSERT_TRUE(EngFillPath(clipped.Get(), all.Get(), clip.Get(), white.Get(), nullptr, R2_XORPEN,
                          FP_ALTERNATEMODE));
  EXPECT_EQ(Picture(clipped, 0).substr(0, 11), "##......##\n");
  EXPECT_EQ(Count(clipped, 0), 40);
  // R2_NOP draws nothing.
  ASSERT_TRUE(EngFillPath(clipped.Get(), all.Get(), nullptr, black.Get(), nullptr, R2_NOP,
                          FP_ALTERNATEMODE));
  EXPECT_EQ(Count(clipped, 0), 40);
}

TEST(EngStrokePath, CosmeticAndGeometricLines) {
  Bitmap b = White(20, 12, BMF_1BPP);
  Path line;
  line.MoveTo(5, 5).LineTo(15, 5);
  Brush black = Brush::Solid(0);
  LineAttributes thin = LineAttributes::Cosmetic();
  Transform identity;
  ASSERT_TRUE(EngStrokePath(b.Get(), line.Get(), nullptr, identity.Get(), black.Get(), nullptr,
                            thin.Get(), R2_COPYPEN));
  // One row, from the first point to the last.
  EXPECT_EQ(Count(b, 0), 11);
  for (LONG x = 5; x <= 15; ++x) EXPECT_EQ(ReadPixel(b.Get(), x, 5), 0u) << x;

  Bitmap wide = White(20, 12, BMF_24BPP);
  LineAttributes four = LineAttributes::Geometric(4, JOIN_MITER, ENDCAP_BUTT);
  ASSERT_TRUE(EngStrokePath(wide.Get(), line.Get(), nullptr, identity.Get(), black.Get(), nullptr,
                            four.Get(), R2_COPYPEN));
  EXPECT_EQ(Count(wide, 0), 4 * 10);
  // The transform scales the pen: width 2 in world units at twice the size.
  Bitmap scaled = White(20, 12, BMF_24BPP);
  LineAttributes two = LineAttributes::Geometric(2, JOIN_MITER, ENDCAP_BUTT);
  Transform doubled = Transform::Matrix(2, 0, 0, 2);
  ASSERT_TRUE(EngStrokePath(scaled.Get(), line.Get(), nullptr, doubled.Get(), black.Get(), nullptr,
                            two.Get(), R2_COPYPEN));
  EXPECT_EQ(Count(scaled, 0), 4 * 10);
}

TEST(EngPaint, ClipRegionWithMix) {
  Bitmap b = White(6, 3, BMF_8BPP);
  Clip clip = Clip::Region({{1, 0, 3, 1}, {4, 2, 6, 3}});
  Brush black = Brush::Solid(0);
  ASSERT_TRUE(EngPaint(b.Get(), clip.Get(), black.Get(), nullptr, R2_COPYPEN));
  EXPECT_EQ(Picture(b, 0), ".##...\n......\n....##\n");
  ASSERT_TRUE(EngPaint(b.Get(), clip.Get(), black.Get(), nullptr, R2_NOT));
  EXPECT_EQ(Count(b, 0), 0);
}

TEST(EngPaint, HatchBrushFollowsItsOrigin) {
  Bitmap b = White(8, 8, BMF_8BPP);
  Brush hatch = Brush::Hatch(HS_HORIZONTAL, 0, 0xFF);
  Clip none = Clip::None();
  POINTL origin{0, 2};
  ASSERT_TRUE(EngPaint(b.Get(), none.Get(), hatch.Get(), &origin, R2_COPYPEN));
  // The hatch line lies on the pattern's row 4, moved down by the origin.
  EXPECT_EQ(Picture(b, 0),
            "........\n........\n........\n........\n........\n........\n"
            "########\n........\n");
}

TEST(EngTextOut, GlyphImagesOpaqueAndExtraRectangles) {
  Font font;
  // A 3 x 2 glyph whose image starts one pixel left of and two above its position.
  font.AddGlyphBits(7, {-1, -2}, {3, 2}, {0xA0, 0x40});
  TextString text({{7, {2, 3}}, {7, {6, 3}}});
  Bitmap b = White(10, 6, BMF_8BPP);
  Brush black = Brush::Solid(0);
  Brush grey = Brush::Solid(0x80);
  RECTL opaque{0, 0, 10, 1};
  RECTL extra[] = {{0, 5, 10, 6}, {0, 0, 0, 0}};
  Clip none = Clip::None();
  ASSERT_TRUE(EngTextOut(b.Get(), text.Get(), font.Get(), none.Get(), extra, &opaque, black.Get(),
                         grey.Get(), nullptr, R2_COPYPEN));
  EXPECT_EQ(Picture(b, 0),
            "..........\n.#.#.#.#..\n..#...#...\n..........\n..........\n"
            "##########\n");
  EXPECT_EQ(ReadPixel(b.Get(), 9, 0), 0x80u);
}

TEST(PathRegion, RowsOfARegionBecomeRectangles) {
  Path triangle;
  triangle.MoveTo(0, 0).LineTo(4, 0).LineTo(0, 4).Close();
  std::vector<RECTL> region;
  ASSERT_TRUE(platform::engine::PathRegion(triangle.Get(), FP_ALTERNATEMODE, nullptr,
                                           {0, 0, 100, 100}, &region));
  long area = 0;
  for (const RECTL& r : region) area += (r.right - r.left) * (r.bottom - r.top);
  EXPECT_GE(region.size(), 3u);
  EXPECT_EQ(area, 4 + 3 + 2 + 1 - 0);  // pixel centres inside x + y < 4
  Path square;
  square.AddRectangle(2, 3, 12, 9);
  ASSERT_TRUE(platform::engine::PathRegion(square.Get(), FP_ALTERNATEMODE, nullptr,
                                           {0, 0, 100, 100}, &region));
  ASSERT_EQ(region.size(), 1u);
  EXPECT_EQ(region[0].left, 2);
  EXPECT_EQ(region[0].bottom, 9);
}

}  // namespace
