// Strokes, fills, strokes with fills and painted clip regions, byte for byte:
// polygon mode around closed figures, the edge and fill commands, the input
// window of a rectangle clip, the refusals the engine falls back from, and the
// raster operation pairs of the engine's mixes.
#include "render/vector/path_drawing.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/engine/objects.h"
#include "render/core/driver_entry.h"
#include "render/raster/raster_frame.h"
#include "render/vector/command_emitter.h"
#include "render/vector/line_attributes.h"
#include "render/vector/pens.h"
#include "render/vector/recording_context.h"

namespace {

using namespace render;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::PointD;
using platform::engine::Transform;
using render::testing::Recorded;
using render::testing::TestPrinter;

constexpr MIX kCopyPen = 0x0D0D;      // R2_COPYPEN both halves
constexpr MIX kNoOp = 0x0B0B;         // R2_NOP both halves
constexpr MIX kTransparent = 0x0B0D;  // R2_COPYPEN on R2_NOP

// The encoded numbers of a point list, as the emitter writes them.
std::string Encoded(std::initializer_list<std::int32_t> values) {
  std::string s;
  for (std::int32_t v : values) {
    unsigned char b[8];
    std::size_t n = EncodeNumber(v, b);
    s.append(reinterpret_cast<const char*>(b), n);
  }
  return s;
}

std::u16string NextPrinterName() {
  static int n = 0;
  return u"ZQ1 paths " + std::u16string(1, static_cast<char16_t>(u'a' + n++));
}

// A ZQ1 device context with its surface, drawing in black with a thin line
// whose pen, joins, caps and width the device already holds, the pen up.
struct Drawing {
  TestPrinter printer{"089", NextPrinterName().c_str()};
  Recorded r{printer};
  SURFOBJ so{};
  Brush black = Brush::Solid(0x000000);
  LineAttributes line = LineAttributes::Cosmetic(1);
  Transform identity;
  Drawing() {
    so.dhpdev = r.e.pdev();
    so.iBitmapFormat = BMF_24BPP;
    // Pen 1 draws at the width the stroke asks for (no width fixed by the settings).
    settings::SetI32(r.priv(), settings::PenOffset(1, settings::priv::kPenWidth), -1);
    SelectPenForColour(r.dc(), 0x000000);
    EXPECT_TRUE(ApplyLineAttributes(r.dc(), line.Get(), identity.Get()));
    r.dc().vector.penUpPending = true;
    r.Take();
  }
  BOOL Stroke(const Path& p, const Clip& clip = Clip::None(), MIX mix = kCopyPen) {
    return DrvStrokePath(&so, p.Get(), clip.Get(), identity.Get(), black.Get(), nullptr, line.Get(),
                         mix);
  }
  BOOL Fill(const Path& p, const Clip& clip = Clip::None(), MIX mix = kCopyPen, FLONG options = 0) {
    return DrvFillPath(&so, p.Get(), clip.Get(), black.Get(), nullptr, mix, options);
  }
  BOOL StrokeAndFill(const Path& p, const Clip& clip = Clip::None(), MIX mix = kCopyPen) {
    return DrvStrokeAndFillPath(&so, p.Get(), clip.Get(), identity.Get(), black.Get(), line.Get(),
                                black.Get(), nullptr, mix, 0);
  }
};

// The rectangle (10, 20) - (110, 70) as a closed four-point figure.
Path Rectangle() { return Path().AddRectangle(10, 20, 110, 70); }

// Its polygon: its own absolute move, "PMPE=", the first point absolute and the
// others relative, the figure's ";" and the end of polygon mode.
std::string RectanglePolygon(std::int32_t right, std::int32_t bottom) {
  return "PUPA10,20PMPE=" + Encoded({right, 20, 0, bottom - 20, 10 - right, 0}) + ";PM2";
}

TEST(MixToRop, PairsOfEightBitOperations) {
  struct Case {
    const char* name;
    MIX mix;
    DWORD rop;
  };
  const Case kCases[] = {
      {"copy pen", kCopyPen, 0xF0F0},        {"no operation", kNoOp, 0xAAAA},
      {"transparent", kTransparent, 0xAAF0}, {"black on white", 0x1001, 0xFF00},
      {"mask pen", 0x0909, 0xA0A0},          {"xor pen on not", 0x0307, 0x0A5A},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MixToRop(c.mix), c.rop);
  }
  EXPECT_EQ(kRopNothing, 0xAAAAu);
  EXPECT_EQ(kRopTransparent, 0xAAF0u);
}

TEST(PathBounds, StrokesAndFillsInPixels) {
  // 28.4 bounds (10.5, 20) - (110.25, 70.9375).
  Path p = Path().MoveTo(10.5, 20).LineTo(110.25, 70.9375);
  EXPECT_EQ(StrokeBounds(p.Get()).left, 10);
  EXPECT_EQ(StrokeBounds(p.Get()).top, 20);
  EXPECT_EQ(StrokeBounds(p.Get()).right, 111);
  EXPECT_EQ(StrokeBounds(p.Get()).bottom, 71);
  EXPECT_EQ(FillBounds(p.Get()).right, 111);
  EXPECT_EQ(FillBounds(p.Get()).bottom, 71);
}

TEST(DrvStrokePath, OpenPolylineHasNoEdgeAndClosedFiguresAreEdged) {
  Drawing d;
  // An open stroke is one encoded polyline that stays open for the next stroke.
  Path open = Path().MoveTo(100, 200).LineTo(110, 200).LineTo(110, 195);
  ASSERT_TRUE(d.Stroke(open));
  EXPECT_EQ(d.r.Take(), "PE<=" + Encoded({100, 200, 10, 0, 0, -5}));
  EXPECT_FALSE(d.r.dc().vector.polygonStartPending);
  // A stroked rectangle keeps its right and bottom edges; the open polyline is
  // ended first.
  ASSERT_TRUE(d.Stroke(Rectangle()));
  EXPECT_EQ(d.r.Take(), ";" + RectanglePolygon(110, 70) + "EP;");
  // A closed triangle: a polygon of one figure.
  std::vector<PointD> triangle = {{0, 0}, {30, 0}, {0, 40}};
  ASSERT_TRUE(d.Stroke(Path().AddPolyline(triangle, true)));
  EXPECT_EQ(d.r.Take(), "PUPA0,0PMPE=" + Encoded({30, 0, -30, 40}) + ";PM2EP;");
}

TEST(DrvStrokePath, PolygonModeEndsWhenTheLastFigureIsOpen) {
  Drawing d;
  // A closed triangle before an open line: every figure goes into the polygon,
  // and polygon mode, which the open figure's end does not close, is ended
  // before the edge.
  std::vector<PointD> triangle = {{0, 0}, {30, 0}, {0, 40}};
  Path p = Path().AddPolyline(triangle, true).MoveTo(50, 50).LineTo(60, 50);
  ASSERT_TRUE(d.Stroke(p));
  EXPECT_EQ(d.r.Take(), "PUPA0,0PMPE=" + Encoded({30, 0, -30, 40}) + ";PM1" +
                            "PUPA50,50PE=" + Encoded({60, 50}) + ";PM2EP;");
}

TEST(DrvStrokePath, RectangleClipSetsTheWindowOnlyWhenItCuts) {
  Drawing d;
  const std::string plain = RectanglePolygon(110, 70) + "EP;";
  // Stroke bounds (10, 20) - (111, 71): a clip holding them sets no window.
  for (RECTL clip : {RECTL{0, 0, 200, 200}, RECTL{10, 20, 111, 71}}) {
    d.r.dc().vector.penUpPending = true;
    ASSERT_TRUE(d.Stroke(Rectangle(), Clip::Rectangle(clip)));
    EXPECT_EQ(d.r.Take(), plain);
  }
  const std::string page = "IW0,0," + std::to_string(PageWidthPixels(d.r.dc())) + "," +
                           std::to_string(PageHeightPixels(d.r.dc())) + ";";
  d.r.dc().vector.penUpPending = true;
  ASSERT_TRUE(d.Stroke(Rectangle(), Clip::Rectangle({10, 20, 110, 71})));
  EXPECT_EQ(d.r.Take(), "IW10,20,110,71;" + plain + page);
  EXPECT_FALSE(d.r.dc().raster.inputWindowSet);
  // A pen of fixed width is not clipped.
  settings::SetI32(d.r.priv(), settings::PenOffset(1, settings::priv::kPenWidth), 35);
  d.r.dc().vector.penUpPending = true;
  ASSERT_TRUE(d.Stroke(Rectangle(), Clip::Rectangle({10, 20, 110, 71})));
  EXPECT_EQ(d.r.Take(), plain);
  // A fill is clipped whatever the pen.
  d.r.dc().vector.penUpPending = true;
  ASSERT_TRUE(d.Fill(Rectangle(), Clip::Rectangle({10, 20, 110, 71})));
  EXPECT_EQ(d.r.Take(), "IW10,20,110,71;" + RectanglePolygon(109, 69) + "FP0;" + page);
}

TEST(PathDrawing, NothingToDrawAndRefusals) {
  Drawing d;
  Clip complex = Clip::Region({{0, 0, 50, 50}, {60, 0, 100, 50}});
  // A mix that leaves the destination as it is draws nothing.
  EXPECT_TRUE(d.Stroke(Rectangle(), Clip::None(), kNoOp));
  EXPECT_TRUE(d.Fill(Rectangle(), Clip::None(), kNoOp));
  EXPECT_TRUE(d.StrokeAndFill(Rectangle(), Clip::None(), kNoOp));
  EXPECT_EQ(d.r.Take(), "");
  // A complex clip is refused before anything is written; the engine hands the
  // drawing over in simpler calls.
  EXPECT_FALSE(d.Stroke(Rectangle(), complex));
  EXPECT_FALSE(d.Fill(Rectangle(), complex));
  EXPECT_FALSE(d.StrokeAndFill(Rectangle(), complex));
  EXPECT_EQ(d.r.Take(), "");
  // No device context behind the surface.
  SURFOBJ stray{};
  EXPECT_FALSE(DrvStrokePath(&stray, Rectangle().Get(), nullptr, nullptr, d.black.Get(), nullptr,
                             d.line.Get(), kCopyPen));
  EXPECT_FALSE(
      DrvFillPath(nullptr, Rectangle().Get(), nullptr, d.black.Get(), nullptr, kCopyPen, 0));
  EXPECT_FALSE(
      DrvPaint(&stray, Clip::Rectangle({0, 0, 5, 5}).Get(), d.black.Get(), nullptr, kCopyPen));
  EXPECT_EQ(d.r.Take(), "");
  // After a failed transfer nothing reports a drawing done.
  d.r.dc().output.failed = true;
  EXPECT_FALSE(d.Stroke(Rectangle()));
  EXPECT_FALSE(d.Fill(Rectangle()));
  EXPECT_FALSE(d.StrokeAndFill(Rectangle()));
  EXPECT_FALSE(
      DrvPaint(&d.so, Clip::Rectangle({0, 0, 5, 5}).Get(), d.black.Get(), nullptr, kCopyPen));
}

// A closed figure of `n` points along the edges of (10, 10) - (110, 60).
Path ManyPoints(int n) {
  std::vector<PointD> points = {{10, 10}, {110, 10}, {110, 60}};
  for (int i = 3; i < n; ++i) points.push_back({10, 60 - 50.0 * (i - 3) / (n - 3)});
  return Path().AddPolyline(points, true);
}

TEST(DrvFillPath, TooManyPointsAreRefusedAfterThePendingEnd) {
  Drawing d;
  ASSERT_TRUE(d.Stroke(Path().MoveTo(0, 0).LineTo(5, 0)));
  d.r.Take();
  // 2,501 points: only the open polyline's ";" is written.
  Path many = ManyPoints(2501);
  ASSERT_EQ(PathPointCount(many.Get()), 2501u);
  EXPECT_FALSE(d.Fill(many));
  EXPECT_EQ(d.r.Take(), ";");
  // 2,500 are filled.
  EXPECT_TRUE(d.Fill(ManyPoints(2500)));
  std::string bytes = d.r.Take();
  EXPECT_EQ(bytes.rfind("PUPA10,10PMPE=", 0), 0u);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), ";PM2FP0;");
}

TEST(DrvFillPath, SolidAndWindingAndTransparentFills) {
  Drawing d;
  // A filled rectangle gives up its right and bottom edges.
  ASSERT_TRUE(d.Fill(Rectangle(), Clip::None(), kCopyPen, FP_WINDINGMODE));
  EXPECT_EQ(d.r.Take(), RectanglePolygon(109, 69) + "FP1;");
  // A transparent background: the black edge ORed in (merge 250), the solid
  // fill type, then the polygon again ANDed with the brush (merge 160).
  ASSERT_TRUE(d.Fill(Rectangle(), Clip::None(), kTransparent));
  EXPECT_EQ(d.r.Take(), "MC1,250" + RectanglePolygon(109, 69) + "FTEP;" +
                            RectanglePolygon(109, 69) + "MC1,160FP0;");
}

TEST(DrvFillPath, FailedTranslationLeavesPolygonModeUnfilled) {
  Drawing d;
  // A rectangle, then a curve record whose two points make no whole curve.
  Path bad = Rectangle().AddRecord(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_BEZIERS,
                                   {{0, 0}, {160, 160}, {320, 0}});
  EXPECT_FALSE(d.Fill(bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::string polygon = RectanglePolygon(109, 69);
  EXPECT_EQ(d.r.Take(), polygon.substr(0, polygon.size() - 3) + "PM1PM2");
  EXPECT_FALSE(d.r.dc().vector.polygonStartPending);
  d.r.dc().vector.penUpPending = true;
  EXPECT_FALSE(d.Stroke(bad));
  EXPECT_EQ(d.r.Take(), RectanglePolygon(110, 70).substr(0, polygon.size() - 3) + "PM1PM2");
  EXPECT_FALSE(d.r.dc().vector.polygonStartPending);
}

TEST(DrvStrokeAndFillPath, FillThenEdgeOfTheSamePolygon) {
  Drawing d;
  ASSERT_TRUE(d.StrokeAndFill(Rectangle()));
  // Stroke and fill keep the rectangle's edges where the stroke draws them.
  EXPECT_EQ(d.r.Take(), RectanglePolygon(110, 70) + "FP0;EP;");
  // An empty path opens no polygon: neither the last one is filled again nor
  // edged.
  ASSERT_TRUE(d.StrokeAndFill(Path()));
  ASSERT_TRUE(d.Fill(Path()));
  EXPECT_EQ(d.r.Take(), "");
}

TEST(DrvStrokePath, ColourOfABrushWithoutOneColour) {
  Drawing d;
  Path line = Path().MoveTo(0, 0).LineTo(5, 0);
  Brush hatch = Brush::Hatch(HS_CROSS, 0x0000FF, 0xFFFFFF);
  auto stroke = [&](const Brush& b) {
    return DrvStrokePath(&d.so, line.Get(), nullptr, d.identity.Get(), b.Get(), nullptr,
                         d.line.Get(), kCopyPen);
  };
  // Colour mode 2 strokes it in gray.
  ASSERT_TRUE(stroke(hatch));
  EXPECT_EQ(d.r.dc().pens.cachedColour, 0x7F7F7Fu);
  // The other modes take the realised brush's colour: its hatch colour.
  settings::SetI16(d.r.priv(), settings::priv::kColormode, 0);
  hatch.BindRealizer(&DrvRealizeBrush, &d.so);
  ASSERT_TRUE(stroke(hatch));
  EXPECT_EQ(d.r.dc().pens.cachedColour, 0x0000FFu);
  // A brush the engine cannot realise is not drawn.
  d.r.Take();
  Brush unrealisable = Brush::Hatch(HS_CROSS, 0x00FF00, 0xFFFFFF);
  EXPECT_FALSE(stroke(unrealisable));
  EXPECT_EQ(d.r.Take(), "");
}

TEST(DrvStrokePath, PatternAndTextPensForgetTheDrawingColour) {
  Drawing d;
  // Black was selected for pen 1; then a fill pattern or text took pen 25, 30
  // or 31, so black must be selected again.
  for (int pen : {25, 30, 31}) {
    SCOPED_TRACE(pen);
    d.r.dc().pens.currentPen = pen;
    d.r.dc().vector.penUpPending = true;
    ASSERT_TRUE(d.Stroke(Rectangle()));
    EXPECT_EQ(d.r.Take(), "SP1" + RectanglePolygon(110, 70) + "EP;");
  }
}

TEST(DrvPaint, ClipRectanglesAsRelativeMovesAndRectangles) {
  Drawing d;
  Clip two = Clip::Region({{10, 10, 20, 20}, {30, 5, 40, 15}});
  ASSERT_TRUE(DrvPaint(&d.so, two.Get(), d.black.Get(), nullptr, kCopyPen));
  EXPECT_EQ(d.r.Take(), "PU;PA10,10RR10,10PR20,-5RR10,10;");
  // Without a clip object nothing is painted.
  EXPECT_FALSE(DrvPaint(&d.so, nullptr, d.black.Get(), nullptr, kCopyPen));
  EXPECT_EQ(d.r.Take(), "");
}

}  // namespace
