// Drawings through the engine on the ZQ1: the engine's calls reach the driver's
// stroke, fill and paint entries, and what the driver refuses (a fill of too
// many points, a complex clip) comes back as simpler calls that it draws.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/engine/objects.h"
#include "render/core/test_printer.h"
#include "render/vector/command_emitter.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::PointD;
using platform::engine::Transform;
using platform::engine::Translation;
using render::testing::TestPrinter;
using Engine = platform::engine::DeviceContext;

constexpr MIX kCopyPen = 0x0D0D;

std::string Encoded(std::initializer_list<std::int32_t> values) {
  std::string s;
  for (std::int32_t v : values) {
    unsigned char b[8];
    std::size_t n = render::EncodeNumber(v, b);
    s.append(reinterpret_cast<const char*>(b), n);
  }
  return s;
}

std::size_t Count(const std::string& bytes, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = bytes.find(piece); at != std::string::npos;
       at = bytes.find(piece, at + piece.size())) {
    ++n;
  }
  return n;
}

// A job of one page drawn by `draw`; the bytes the printer received.
std::string OnePage(const TestPrinter& printer, const std::function<void(Engine&)>& draw) {
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = Engine::Open(printer.name, nullptr);
    EXPECT_NE(dc, nullptr) << GetLastError();
    if (dc) {
      EXPECT_TRUE(dc->StartDocument(u"Drawing"));
      EXPECT_TRUE(dc->StartPage());
      draw(*dc);
      EXPECT_TRUE(dc->EndPage());
      EXPECT_TRUE(dc->EndDocument());
    }
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  EXPECT_EQ(jobs.size(), 1u);
  if (jobs.empty()) return {};
  return std::string(jobs[0].bytes.begin(), jobs[0].bytes.end());
}

// The drawing part of the page: from the end of the set-up block to "PG;".
std::string Drawing(const std::string& bytes) {
  const std::string setupEnd = "\x1B%1A\x1B*v1N\x1B%0B";
  std::size_t from = bytes.find(setupEnd);
  std::size_t to = bytes.rfind("PG;");
  if (from == std::string::npos || to == std::string::npos || to < from) return "no page";
  from += setupEnd.size();
  return bytes.substr(from, to - from);
}

// A closed figure of `n` points along the edges of (10, 10) - (110, 60).
Path ManyPoints(int n) {
  std::vector<PointD> points = {{10, 10}, {110, 10}, {110, 60}};
  for (int i = 3; i < n; ++i) points.push_back({10, 60 - 50.0 * (i - 3) / (n - 3)});
  return Path().AddPolyline(points, true);
}

TEST(PathJob, TooLargeFillIsPaintedAsItsRegion) {
  TestPrinter printer("089", u"ZQ1 large fill");
  std::string bytes = OnePage(printer, [](Engine& dc) {
    EXPECT_TRUE(dc.FillPath(ManyPoints(2501), Clip::None(), dc.SolidBrush(0), kCopyPen, 0));
  });
  // The driver refuses the path; the engine paints its region, one rectangle.
  EXPECT_EQ(Drawing(bytes), "SP1PU;PA10,10RR100,50;");
}

TEST(PathJob, ComplexClipComesBackAsSimplerCalls) {
  TestPrinter printer("089", u"ZQ1 complex clip");
  Clip two = Clip::Region({{0, 0, 50, 50}, {60, 0, 100, 50}});
  std::string bytes = OnePage(printer, [&](Engine& dc) {
    // The stroke, once per clip rectangle with that rectangle as its clip.
    EXPECT_TRUE(dc.StrokePath(Path().MoveTo(10, 10).LineTo(90, 10), two, Transform(),
                              dc.SolidBrush(0), LineAttributes::Cosmetic(1), kCopyPen));
    // The fill, as its region inside the clip.
    EXPECT_TRUE(
        dc.FillPath(Path().AddRectangle(20, 20, 80, 40), two, dc.SolidBrush(0), kCopyPen, 0));
  });
  std::string drawing = Drawing(bytes);
  EXPECT_EQ(Count(drawing, "IW0,0,50,50;"), 1u) << drawing;
  EXPECT_EQ(Count(drawing, "IW60,0,100,50;"), 1u) << drawing;
  EXPECT_EQ(Count(drawing, "PE<=" + Encoded({10, 10, 80, 0})), 2u) << drawing;
  EXPECT_NE(drawing.find("PU;PA20,20RR30,20PR40,0RR20,20;"), std::string::npos) << drawing;
}

}  // namespace

namespace {

// A one-bit 8 x 8 checkerboard, set bits the brush's second colour.
Bitmap Checkerboard() {
  Bitmap b = Bitmap::Create({8, 8}, BMF_1BPP, BMF_TOPDOWN);
  SURFOBJ* so = b.Get();
  for (LONG y = 0; y < 8; ++y)
    static_cast<BYTE*>(so->pvScan0)[y * so->lDelta] = y % 2 ? 0x55 : 0xAA;
  return b;
}

// The page set-up of the ZQ1's defaults (A1 landscape at 600 dpi), as the page
// job tests derive it, up to the raster language's opaque source.
const std::string kPageStart = std::string("\x1B\x12") + "5@A1" + "\x1B\x20" + "\x1B%0BIN;BP2,1;" +
                               "NP256" + "PS33187,23366;" + "IP23366,33187,0,0;" +
                               "IW23366,33187,0,0;" + "SC0,13798,19598,0;" +
                               "TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;" +
                               "PC0,0,0,0;PC1,0,0,0;PC2,0,0,0;PC3,0,0,0;PC4,0,0,0;PC5,0,0,0;" +
                               "PC6,0,0,0;PC7,0,0,0;PC30,0,0,0;" + "\x1B%1A\x1B*v1N\x1B%0B";

// The pens of an 8 x 8 pattern: row by row, ",26" for a set bit, ",25" for a clear one.
std::string CheckerboardPens() {
  std::string s;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) s += (x + y) % 2 ? ",25" : ",26";
  }
  return s;
}

TEST(PathJob, StrokesFillsHatchesAndPatternsOnAZq1Page) {
  TestPrinter printer("089", u"ZQ1 drawing page");
  std::string bytes = OnePage(printer, [](Engine& dc) {
    EXPECT_TRUE(dc.StrokePath(Path().MoveTo(100, 200).LineTo(110, 200).LineTo(110, 195),
                              Clip::None(), Transform(), dc.SolidBrush(0),
                              LineAttributes::Cosmetic(1), kCopyPen));
    EXPECT_TRUE(dc.FillPath(Path().AddRectangle(200, 200, 300, 250), Clip::None(), dc.SolidBrush(0),
                            kCopyPen, 0));
    std::vector<PointD> triangle = {{400, 400}, {500, 400}, {400, 480}};
    EXPECT_TRUE(dc.FillPath(Path().AddPolyline(triangle, true), Clip::None(),
                            Brush::Hatch(HS_CROSS, dc.ColorIndex(0), dc.ColorIndex(0xFFFFFF)),
                            kCopyPen, 0));
    Brush pattern = Brush::Pattern(Checkerboard(),
                                   Translation::Table({dc.ColorIndex(0xFFFFFF), dc.ColorIndex(0)}));
    EXPECT_TRUE(dc.FillPath(Path().AddRectangle(600, 600, 700, 700), Clip::None(), pattern,
                            kCopyPen, FP_WINDINGMODE));
  });
  const std::string drawing =
      // The stroke: the set-up holds the merge control 240 already; black is
      // pen 1 (given its density by the set-up); a thin line has bevel joins
      // and butt caps, one pixel at 600 dpi is 10/256 mm; an open encoded
      // polyline from (100, 200) that stays open.
      "SP1"
      "LA1,1,2,5"
      "PW0.039,1"
      "PE<=" +
      Encoded({100, 200, 10, 0, 0, -5}) +
      // The filled rectangle ends the polyline; its right and bottom edges move
      // in by one pixel; pen, merge control and the solid fill type are in force.
      ";" + "PUPA200,200PMPE=" + Encoded({299, 200, 0, 49, -99, 0}) + ";PM2" + "FP0;" +
      // The cross hatch in black: hatch lines 16/256 mm wide, fill type 4.
      "PUPA400,400PMPE=" + Encoded({500, 400, -100, 80}) + ";PM2" + "PW0.063,1" + "FT4,26.667,0" +
      "FP0;" +
      // The one-bit pattern on a printer that takes its resolution from the
      // job: the two-colour pattern, white on pen 25 and black on pen 26, a
      // winding fill.
      "PUPA600,600PMPE=" + Encoded({699, 600, 0, 99, -99, 0}) + ";PM2" + "RF1,8,8" +
      CheckerboardPens() + "PC25,255,255,255" + "PC26,0,0,0" + "SP25;" + "FT11,1;" + "FP1;";
  // The job header first, the page after the paper selection and set-up, the
  // drawing, the page end, and the trailer last.
  const std::string pjl = "\x1B%-12345X@PJL\n@PJL JOB\n@PJL SET JOBNAME = \"Drawing\"\n";
  EXPECT_EQ(bytes.substr(0, pjl.size()), pjl);
  EXPECT_NE(bytes.find("@PJL ENTER LANGUAGE = GL2\n\x1B\x12!-1,1,2@GL2\x1B MS-1,6,11,3;"),
            std::string::npos);
  const std::string page = kPageStart + drawing + "PG;";
  const std::string trailer = "\x1B%0A\x1B%-12345X\x1B\x12!GL2\x1B ";
  std::size_t at = bytes.find(page);
  ASSERT_NE(at, std::string::npos) << "the page is not in the job";
  EXPECT_EQ(bytes.substr(at + page.size()), trailer);
  EXPECT_EQ(Drawing(bytes), drawing);
}

}  // namespace
