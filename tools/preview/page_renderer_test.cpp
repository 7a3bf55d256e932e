// Pictures of small hand-made pages, checked by probing pixels where the
// language puts ink and where it puts none. The pages use the driver's
// portrait set-up at 300 dpi and are rendered at 300 dpi, so one user unit
// is one picture pixel: user (x, y) is pixel (x, y).
#include <gtest/gtest.h>

#include <cmath>

#include "tools/preview/test_streams.h"

// Font lookups for labels leave fontconfig's own allocations for the life of
// the process; the leak check of sanitizer builds is not about them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace preview {
namespace {

using test::Pair;
using test::Picture;
using test::PortraitSetup;
using test::RenderFirstPage;

const std::string kEsc = "\x1B";

// Distance of a pixel's centre from the segment (ax, ay)-(bx, by) of user
// points, which are pixel centres.
double Distance(int x, int y, double ax, double ay, double bx, double by) {
  double px = x, py = y;
  double dx = bx - ax, dy = by - ay;
  double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// A polyline from (100, 200) right by 300 and down by 400, 0.35 mm wide
// (4.1 dots): the pixels along its two segments are inked, and no pixel
// farther from them than half the width and a pixel of antialiasing.
TEST(PageRenderer, AnEncodedPolylineInksItsSegmentsAndNothingElse) {
  Picture p = RenderFirstPage(PortraitSetup() + "PE<=" + Pair(100, 200) + Pair(300, 0) +
                              Pair(0, 400) + ";PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.info.problems.empty());
  for (int x : {102, 200, 300, 399}) EXPECT_TRUE(p.Inked(x, 200)) << x;
  for (int y : {202, 400, 598}) EXPECT_TRUE(p.Inked(400, y)) << y;
  const double reach = 0.35 / 25.4 * 300 / 2 + 1.5;
  int inked = 0;
  for (int y = 0; y < p.image.height; ++y) {
    for (int x = 0; x < p.image.width; ++x) {
      if (p.White(x, y)) continue;
      ++inked;
      double d = std::fmin(Distance(x, y, 100, 200, 400, 200), Distance(x, y, 400, 200, 400, 600));
      ASSERT_LE(d, reach) << "ink at " << x << "," << y;
    }
  }
  // About the segments' length times the width.
  EXPECT_NEAR(inked, 700 * 4.13, 700);
}

TEST(PageRenderer, PensDrawInTheirColour) {
  Picture p = RenderFirstPage(PortraitSetup() + "PC2,255,0,0SP2PU;PA100,100;RR40,40;PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_EQ(p.At(120, 120), 0xFF0000u);
}

// RR fills from the pen to the opposite corner; the pen does not move.
TEST(PageRenderer, AFilledRectangleCoversItsCorners) {
  Picture p = RenderFirstPage(PortraitSetup() + "PU;PA100,100;RR200,100;RR-50,-50;PG;");
  ASSERT_TRUE(p.image.surface);
  for (auto [x, y] : {std::pair{101, 101}, {299, 101}, {101, 199}, {299, 199}, {200, 150}}) {
    EXPECT_TRUE(p.Inked(x, y)) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{97, 150}, {303, 150}, {200, 97}, {200, 203}}) {
    EXPECT_TRUE(p.White(x, y)) << x << "," << y;
  }
  // The second rectangle starts where the first did: from (100, 100) back to (50, 50).
  EXPECT_TRUE(p.Inked(75, 75));
}

// A square from (100, 100) to (500, 500) with a hole from (200, 200) to
// (400, 400), both drawn the same way round: the even-odd rule (FP0) leaves
// the hole, the non-zero winding rule (FP1) fills it, as the winding number
// there is 2.
TEST(PageRenderer, EvenOddAndNonZeroFillTheHoleDifferently) {
  std::string polygon = "PU;PA100,100;PMPE=" + Pair(500, 100) + Pair(0, 400) + Pair(-400, 0) +
                        ";PM1PUPA200,200PE=" + Pair(400, 200) + Pair(0, 200) + Pair(-200, 0) +
                        ";PM2";
  struct Case {
    const char* fill;
    bool holeInked;
  };
  for (Case c : {Case{"FP0;", false}, Case{"FP1;", true}, Case{"FP;", false}}) {
    SCOPED_TRACE(c.fill);
    Picture p = RenderFirstPage(PortraitSetup() + polygon + c.fill + "PG;");
    ASSERT_TRUE(p.image.surface);
    EXPECT_TRUE(p.info.problems.empty());
    EXPECT_TRUE(p.Inked(150, 150));
    EXPECT_TRUE(p.Inked(450, 300));
    EXPECT_EQ(p.Inked(300, 300), c.holeInked);
    EXPECT_EQ(p.White(300, 300), !c.holeInked);
    EXPECT_TRUE(p.White(600, 600));
  }
}

// EP edges the polygon buffer with the pen, closing each subpolygon.
TEST(PageRenderer, EdgingAPolygonDrawsItsOutline) {
  Picture p = RenderFirstPage(PortraitSetup() + "PU;PA100,100;PMPE=" + Pair(300, 100) +
                              Pair(0, 200) + ";PM2EP;PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.Inked(200, 100));
  EXPECT_TRUE(p.Inked(300, 200));
  EXPECT_TRUE(p.Inked(200, 200));  // the closing edge back to (100, 100)
  EXPECT_TRUE(p.White(280, 120));
}

// A 16-pixel-wide one-bit image at (300, 400), rows sent by delta row: row
// 0 changes bytes 0 and 1 to F0 0F; row 1 repeats it (no data); row 2
// changes byte 1 to FF. Index 0 is white, 1 black; pixels run along user x,
// rows down user y. The image is sent under merge 204 (source copy), as the
// driver sets it for images.
TEST(PageRenderer, DeltaRowRasterPutsItsPixelsInPlace) {
  std::string palette = kEsc + "%1A" + kEsc + "*t300R" + kEsc + "*p0P" + kEsc + "*v6W" +
                        std::string("\x00\x01\x01\x08\x08\x08", 6) + kEsc +
                        "*v255a255b255c0i0a0b0c1I" + kEsc + "%0B";
  std::string image = "MC1,204PUPA300,400" + kEsc + "%1A" + kEsc + "*r16s3t1A" + kEsc + "*b3m3W" +
                      "\x20\xF0\x0F" + kEsc + "*b0W" + kEsc + "*b2W" + "\x01\xFF" + kEsc + "*rC" +
                      kEsc + "%0B";
  std::string pop = kEsc + "%1A" + kEsc + "*p1P" + kEsc + "%0B";
  Picture p = RenderFirstPage(PortraitSetup() + palette + image + pop + "PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.info.problems.empty()) << FormatJobInfo(p.info);
  const char* expected[3] = {"####........####", "####........####", "####....########"};
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 16; ++i) {
      bool ink = expected[j][i] == '#';
      EXPECT_EQ(p.Inked(300 + i, 400 + j), ink) << i << "," << j;
      EXPECT_EQ(p.White(300 + i, 400 + j), !ink) << i << "," << j;
    }
  }
  EXPECT_TRUE(p.White(299, 400));
  EXPECT_TRUE(p.White(316, 400));
  EXPECT_TRUE(p.White(300, 403));
  ASSERT_EQ(p.info.pages[0].rasters.size(), 1u);
  EXPECT_EQ(p.info.pages[0].rasters[0].methods, "3");
}

// A printer that does not turn landscape pages gets its images turned by the
// driver: an image 3 wide and 2 high (rows 1 0 1 and 0 1 1) arrives as 3
// rows of 2 pixels, each a column of the image read from the bottom up,
// placed at the image's left and its bottom row. The page shows the image
// as it was.
// The same holds on a page the device turns half round: its images turn with it.
TEST(PageRenderer, TurnedRasterOfALandscapePageShowsUpright) {
  std::string image = "MC1,204PUPA100,201" + kEsc + "%1A" + kEsc + "*r2s3t1A" + kEsc + "*b0m1W" +
                      "\x40" + kEsc + "*b1W" + "\x80" + kEsc + "*b1W" + "\xC0" + kEsc + "*rC" +
                      kEsc + "%0B";
  for (const std::string& setup : {test::LandscapeSetup(), test::TurnedLandscapeSetup()}) {
    Picture p = RenderFirstPage(setup + image + "PG;");
    ASSERT_TRUE(p.image.surface);
    EXPECT_TRUE(p.info.problems.empty()) << FormatJobInfo(p.info);
    const char* expected[2] = {"#.#", ".##"};
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(p.Inked(100 + x, 200 + y), expected[y][x] == '#') << x << "," << y;
      }
    }
  }
}

// Scaled images (ESC*r#A with 3) fill their destination size, given in
// decipoints: 240 x 120 is 100 x 50 dots at 300 dpi, so each of the two
// pixels of this 8-bit image covers 50 x 50 dots.
TEST(PageRenderer, ScaledRasterFillsItsDestination) {
  std::string palette = kEsc + "%1A" + kEsc + "*t300R" + kEsc + "*p0P" + kEsc + "*v6W" +
                        std::string("\x00\x01\x08\x08\x08\x08", 6) + kEsc + "*v0a0b0c0i255a0b0c1I" +
                        kEsc + "%0B";
  std::string image = "MC1,204PUPA200,300" + kEsc + "%1A" + kEsc + "*t240h120V" + kEsc +
                      "*r2s1t3A" + kEsc + "*b0m2W" + std::string("\x00\x01", 2) + kEsc + "*rC" +
                      kEsc + "*p1P" + kEsc + "%0B";
  Picture p = RenderFirstPage(PortraitSetup() + palette + image + "PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.info.problems.empty()) << FormatJobInfo(p.info);
  EXPECT_EQ(p.At(201, 301), 0x000000u);
  EXPECT_EQ(p.At(248, 348), 0x000000u);
  EXPECT_EQ(p.At(252, 301), 0xFF0000u);
  EXPECT_EQ(p.At(298, 348), 0xFF0000u);
  EXPECT_TRUE(p.White(302, 320));
  EXPECT_TRUE(p.White(250, 352));
  ASSERT_EQ(p.info.pages[0].rasters.size(), 1u);
  EXPECT_TRUE(p.info.pages[0].rasters[0].scaled);
}

// Black glyph text: merge 226 (texture where the source is white, the page
// where it is black) with index 0 black and 1 white draws the set bits
// black and leaves the rest of the page as it was.
TEST(PageRenderer, MergeControlOfTheGlyphImages) {
  std::string red = "PC2,255,0,0SP2PU;PA290,390;RR40,20;";
  std::string glyph = "MC1,226PUPA300,400" + kEsc + "%1A" + kEsc + "*t300R" + kEsc + "*p0P" + kEsc +
                      "*v6W" + std::string("\x00\x01\x01\x08\x08\x08", 6) + kEsc +
                      "*v0a0b0c0i255a255b255c1I" + kEsc + "%0B" + kEsc + "%1A" + kEsc + "*r8s1t1A" +
                      kEsc + "*b0m1W" + "\xF0" + kEsc + "*rC" + kEsc + "*p1P" + kEsc + "%0B";
  Picture p = RenderFirstPage(PortraitSetup() + red + glyph + "PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_EQ(p.At(300, 400), 0x000000u);
  EXPECT_EQ(p.At(303, 400), 0x000000u);
  EXPECT_EQ(p.At(304, 400), 0xFF0000u);
  EXPECT_EQ(p.At(300, 401), 0xFF0000u);
}

// MC1,90 (texture XOR page): a white pen turns black white and white black.
TEST(PageRenderer, ExclusiveOrMergeWithAWhitePen) {
  Picture p = RenderFirstPage(PortraitSetup() +
                              "PU;PA100,100;RR100,100;MC1,90;SP0;PA150,150;RR100,100;PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.Inked(120, 120));
  EXPECT_TRUE(p.White(175, 175));
  EXPECT_TRUE(p.Inked(225, 225));
}

struct PageSetup {
  const char* name;
  std::string stream;
  int width;
  int height;
};

// The portrait set-up turns the plotter frame with RO90: the picture is
// portrait and user (x, y) is pixel (x, y). The landscape set-up of a
// printer that does not rotate writes no RO and scales the other way round;
// its picture is landscape with the same meaning of user units.
TEST(PageRenderer, TheRotationOfThePageSetupTurnsThePage) {
  const PageSetup setups[] = {
      {"portrait with RO90", PortraitSetup(), 1182, 1772},
      {"landscape", test::LandscapeSetup(), 1772, 1182},
      {"landscape the device turns", test::TurnedLandscapeSetup(), 1182, 1772},
  };
  for (const PageSetup& s : setups) {
    SCOPED_TRACE(s.name);
    int farX = s.width - 80;
    int farY = s.height - 80;
    std::string marks = "PU;PA20,20;RR40,20;PA" + std::to_string(farX) + "," +
                        std::to_string(farY) + ";RR40,40;PG;";
    Picture p = RenderFirstPage(s.stream + marks);
    ASSERT_TRUE(p.image.surface);
    EXPECT_EQ(p.image.width, s.width);
    EXPECT_EQ(p.image.height, s.height);
    EXPECT_TRUE(p.Inked(40, 30));
    EXPECT_TRUE(p.White(40, 50));  // the first rectangle is wider than high
    EXPECT_TRUE(p.Inked(farX + 20, farY + 20));
    EXPECT_TRUE(p.White(farX - 10, farY + 20));
  }
}

// Labels: "HH" with a cap height of 0.5 cm (59 dots) stands on its baseline
// at the pen (LO1); DI0,1 turns it to run up the page, its capitals then
// pointing left.
TEST(PageRenderer, LabelsHaveTheirSizeDirectionAndOrigin) {
  Picture p = RenderFirstPage(PortraitSetup() + "SI0.5,0.5;PU;PA200,600;LBHH\x03" +
                              "DI0,1;PA600,900;LBHH\x03PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.info.problems.empty());
  auto inkIn = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += p.White(x, y) ? 0 : 1;
    }
    return n;
  };
  const int cap = 59;
  // Upright: ink from the baseline up by the cap height, to the right of the pen.
  EXPECT_GT(inkIn(200, 600 - cap, 310, 600), 500);
  EXPECT_EQ(inkIn(150, 603, 350, 700), 0);
  EXPECT_EQ(inkIn(150, 450, 350, 600 - cap - 4), 0);
  EXPECT_EQ(inkIn(100, 500, 197, 603), 0);
  // Turned: ink left of the pen by the cap height, above it.
  EXPECT_GT(inkIn(600 - cap, 790, 600, 900), 500);
  EXPECT_EQ(inkIn(603, 700, 700, 1000), 0);
  EXPECT_EQ(inkIn(450, 903, 700, 1000), 0);
}

// On a page the device turns half round the driver writes the label
// direction negated; turned back, the label reads upright.
TEST(PageRenderer, LabelsOfATurnedPageReadUpright) {
  Picture p = RenderFirstPage(test::TurnedLandscapeSetup() +
                              "SI0.5,0.5;PU;PA200,600;DI-1000000,0;LBHH\x03PG;");
  ASSERT_TRUE(p.image.surface);
  int above = 0, below = 0, left = 0;
  for (int y = 450; y < 700; ++y) {
    for (int x = 100; x < 350; ++x) {
      if (p.White(x, y)) continue;
      if (y < 603 && x > 197) ++above;
      if (y >= 603) ++below;
      if (x <= 197) ++left;
    }
  }
  EXPECT_GT(above, 500);
  EXPECT_EQ(below, 0);
  EXPECT_EQ(left, 0);
}

// Hatching FT3 with a spacing of 20 user units at 0 degrees: lines across
// the rectangle every 20 pixels, with white between them.
TEST(PageRenderer, HatchedFillDrawsLinesAtItsSpacing) {
  Picture p = RenderFirstPage(PortraitSetup() + "PW0.1,1FT3,20,0;PU;PA100,100;RR200,200;PG;");
  ASSERT_TRUE(p.image.surface);
  int runs = 0;
  bool inLine = false;
  for (int y = 100; y <= 300; ++y) {
    bool ink = !p.White(200, y);
    if (ink && !inLine) ++runs;
    inLine = ink;
  }
  EXPECT_NEAR(runs, 10, 1);
  EXPECT_TRUE(p.White(50, 150));  // nothing outside the rectangle
}

// A raster fill pattern: pens 1 and 0 in a 2 x 2 checkerboard, one pattern
// pixel a device dot.
TEST(PageRenderer, RasterFillPatternTilesTheArea) {
  Picture p =
      RenderFirstPage(PortraitSetup() + "RF1,2,2,1,0,0,1;FT11,1;PU;PA100,100;RR100,100;PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.info.problems.empty());
  int changes = 0;
  for (int x = 120; x < 140; ++x) changes += p.Inked(x, 150) != p.Inked(x + 1, 150) ? 1 : 0;
  EXPECT_EQ(changes, 20);
  EXPECT_NE(p.Inked(150, 150), p.Inked(150, 151));
}

TEST(PageRenderer, ClipWindowLimitsTheMarks) {
  Picture p = RenderFirstPage(PortraitSetup() +
                              "IW100,100,199,199;PU;PA50,50;RR300,300;"
                              "IW0,0,1181,1771;PG;");
  ASSERT_TRUE(p.image.surface);
  EXPECT_TRUE(p.Inked(100, 100));
  EXPECT_TRUE(p.Inked(199, 199));
  EXPECT_TRUE(p.White(203, 150));
  EXPECT_TRUE(p.White(70, 150));
}

}  // namespace
}  // namespace preview
