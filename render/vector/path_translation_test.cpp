// Paths written as encoded polylines and polygons, byte for byte.
#include "render/vector/path_translation.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/engine/objects.h"
#include "platform/platform.h"
#include "render/core/output_channel.h"
#include "render/vector/command_emitter.h"

namespace {

using namespace render;
using platform::engine::Path;

std::string E(std::int32_t v) {
  unsigned char bytes[8];
  return std::string(reinterpret_cast<char*>(bytes), EncodeNumber(v, bytes));
}
std::string P(std::int32_t x, std::int32_t y) { return E(x) + E(y); }

struct Emitter {
  std::string sent;
  OutputChannel out;
  VectorState state;
  static BOOL Sink(void* c, const void* b, DWORD n, DWORD* w) {
    static_cast<Emitter*>(c)->sent.append(static_cast<const char*>(b), n);
    *w = n;
    return TRUE;
  }
  Emitter() { out.sink = {&Sink, this}; }
  std::string Bytes() {
    FlushOutput(out);
    std::string s = sent;
    sent.clear();
    return s;
  }
};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TranslatePath, OpenStrokesStayOnePolyline) {
  Emitter e;
  Path first;
  first.MoveTo(100, 200).LineTo(110, 200).LineTo(110, 195);
  ASSERT_TRUE(TranslatePath(e.out, e.state, first.Get(), PathKind::kStroke));
  EXPECT_EQ(e.Bytes(), "PE<=" + P(100, 200) + P(10, 0) + P(0, -5));  // no ";" yet
  EXPECT_TRUE(e.state.polylineOpen);
  // A stroke that starts where the last one ended adds only its relative points.
  Path next;
  next.MoveTo(110, 195).LineTo(120, 195);
  ASSERT_TRUE(TranslatePath(e.out, e.state, next.Get(), PathKind::kStroke));
  EXPECT_EQ(e.Bytes(), P(10, 0));
  // One that starts elsewhere moves there with the pen up first.
  Path elsewhere;
  elsewhere.MoveTo(5, 6).LineTo(5, 16);
  ASSERT_TRUE(TranslatePath(e.out, e.state, elsewhere.Get(), PathKind::kStroke));
  EXPECT_EQ(e.Bytes(), "<=" + P(5, 6) + P(0, 10));
  ClosePolyline(e.out, e.state);
  EXPECT_EQ(e.Bytes(), ";");
  EXPECT_TRUE(e.state.penUpPending);
}

TEST(TranslatePath, ClosedFiguresAndRectangles) {
  Path rect;
  rect.AddRectangle(10, 10, 20, 30);
  Emitter fill;
  ASSERT_TRUE(TranslatePath(fill.out, fill.state, rect.Get(), PathKind::kFill));
  // Right and bottom edges pulled in by one pixel for a fill.
  EXPECT_EQ(fill.Bytes(), "PA10,10PE=" + P(19, 10) + P(0, 19) + P(-9, 0) + ";");
  Emitter stroke;
  stroke.state.penUpPending = true;
  ASSERT_TRUE(TranslatePath(stroke.out, stroke.state, rect.Get(), PathKind::kStroke));
  EXPECT_EQ(stroke.Bytes(), "PUPA10,10PE=" + P(20, 10) + P(0, 20) + P(-10, 0) + ";");
  // An open stroke in progress is ended before a closed figure.
  Emitter mixed;
  Path open;
  open.MoveTo(0, 0).LineTo(4, 0);
  ASSERT_TRUE(TranslatePath(mixed.out, mixed.state, open.Get(), PathKind::kStroke));
  ASSERT_TRUE(TranslatePath(mixed.out, mixed.state, rect.Get(), PathKind::kStroke));
  EXPECT_EQ(mixed.Bytes(),
            "PE<=" + P(0, 0) + P(4, 0) + ";PUPA10,10PE=" + P(20, 10) + P(0, 20) + P(-10, 0) + ";");
}

TEST(TranslatePath, PolygonMode) {
  Path three;
  three.AddRectangle(0, 0, 10, 10).AddRectangle(20, 0, 30, 10).AddRectangle(40, 0, 50, 10);
  Emitter e;
  e.state.polygonStartPending = true;
  ASSERT_TRUE(TranslatePath(e.out, e.state, three.Get(), PathKind::kStroke));
  std::string bytes = e.Bytes();
  EXPECT_EQ(Count(bytes, "PMPE="), 1u);
  EXPECT_EQ(Count(bytes, "PE="), 3u);  // the one of "PMPE=" and two more
  EXPECT_EQ(Count(bytes, "PM1"), 2u);
  EXPECT_EQ(Count(bytes, "PM2"), 1u);
  EXPECT_FALSE(e.state.polygonStartPending);
  EXPECT_EQ(bytes.substr(0, 11), "PA0,0PMPE=" + E(10).substr(0, 1));
  EXPECT_EQ(bytes.substr(bytes.size() - 4), ";PM2");
}

TEST(TranslatePath, BadCurveCountFailsAndLeavesPolygonMode) {
  Path curve;
  curve.MoveTo(0, 0).LineTo(8, 0);
  curve.AddRecord(PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE,
                  {{0, 0}, {16, 16}, {32, 32}});  // a start point and two control points
  Emitter e;
  e.state.polygonStartPending = true;
  SetLastError(0);
  EXPECT_FALSE(TranslatePath(e.out, e.state, curve.Get(), PathKind::kFill));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::string bytes = e.Bytes();
  EXPECT_EQ(bytes.substr(bytes.size() - 4), ";PM2");
  // A good curve is written as straight segments through its control points.
  Path good;
  good.MoveTo(0, 0).BezierTo(1, 1, 2, 2, 3, 3);
  Emitter g;
  EXPECT_TRUE(TranslatePath(g.out, g.state, good.Get(), PathKind::kStroke));
}

TEST(TranslatePath, StrokeKind) {
  Path rect;
  rect.AddRectangle(0, 0, 5, 5);
  EXPECT_EQ(StrokeKind(rect.Get()), PathKind::kStroke);
  Path triangle;
  triangle.MoveTo(0, 0).LineTo(5, 0).LineTo(0, 5).Close();
  EXPECT_EQ(StrokeKind(triangle.Get()), PathKind::kStrokeAsPolygons);
  Path open;
  open.MoveTo(0, 0).LineTo(5, 0);
  EXPECT_EQ(StrokeKind(open.Get()), PathKind::kStroke);
}

}  // namespace
