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
    EXPECT_TRUE(dc.FillPath(Path().AddRectangle(20, 20, 80, 40), two, dc.SolidBrush(0), kCopyPen,
                            0));
  });
  std::string drawing = Drawing(bytes);
  EXPECT_EQ(Count(drawing, "IW0,0,50,50;"), 1u) << drawing;
  EXPECT_EQ(Count(drawing, "IW60,0,100,50;"), 1u) << drawing;
  EXPECT_EQ(Count(drawing, "PE<=" + Encoded({10, 10, 80, 0})), 2u) << drawing;
  EXPECT_NE(drawing.find("PU;PA20,20RR30,20PR40,0RR20,20;"), std::string::npos) << drawing;
}

}  // namespace
