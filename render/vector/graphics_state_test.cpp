// The page end and the graphics-state reset: what the next page starts from.
#include "render/vector/graphics_state.h"

#include <gtest/gtest.h>

#include "render/vector/recording_context.h"

namespace {

using namespace render;
using render::testing::Recorded;
using render::testing::TestPrinter;

TEST(GraphicsState, PageEnd) {
  struct Case {
    const char* name;
    DWORD palette;  // the raster palette pushed, 0 for none
    bool polylineOpen;
    const char* bytes;
  };
  // The palette pop is "ESC%1A", "ESC*p1P", "ESC%0B"; an open polyline is ended
  // with ";" before anything else is written.
  const Case kCases[] = {
      {"nothing open", 0, false, "PG;"},
      {"open polyline", 0, true, ";PG;"},
      {"palette pushed", 3, false, "\x1B%1A\x1B*p1P\x1B%0BPG;"},
      {"both", 1, true, ";\x1B%1A\x1B*p1P\x1B%0BPG;"},
  };
  TestPrinter printer("089", u"ZQ1 page end");
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Recorded r(printer);
    DeviceContext& dc = r.dc();
    dc.raster.paletteState = c.palette;
    dc.vector.polylineOpen = c.polylineOpen;
    dc.vector.penUpPending = true;
    EndPage(dc);
    EXPECT_EQ(r.Take(), c.bytes);
    EXPECT_EQ(dc.raster.paletteState, 0u);
    EXPECT_FALSE(dc.vector.polylineOpen);
    EXPECT_FALSE(dc.vector.penUpPending);
  }
}

TEST(GraphicsState, ResetForgetsLinesAndColours) {
  TestPrinter printer("089", u"ZQ1 state reset");
  Recorded r(printer);
  DeviceContext& dc = r.dc();
  PenState& p = dc.pens;
  p.emitterFlags = kEmitterTransformFetched;
  p.cachedColour = 0x123456;
  p.line.join = static_cast<std::int32_t>(JOIN_ROUND);
  p.line.cap = static_cast<std::int32_t>(ENDCAP_SQUARE);
  p.line.styleCount = 2;
  p.line.style = static_cast<std::uint32_t*>(HeapAlloc(dc.heap, 0, 2 * sizeof(std::uint32_t)));
  p.transforms[0] = XFORML{2, 0, 0, 2, 5, 5};
  p.currentPen = 3;
  p.penWidths[3] = 89;
  dc.vector.polylineEnd = {7, 8};
  ResetGraphicsState(dc);
  EXPECT_EQ(p.emitterFlags, 0u);
  EXPECT_EQ(p.cachedColour, 0xFFFFFFu);
  EXPECT_EQ(p.line.flags, static_cast<FLONG>(LA_GEOMETRIC));
  EXPECT_EQ(p.line.join, static_cast<std::int32_t>(JOIN_MITER));
  EXPECT_EQ(p.line.cap, -1);
  EXPECT_EQ(p.line.width, 0u);
  EXPECT_EQ(p.line.miterLimit, 5.0f);
  EXPECT_EQ(p.line.styleCount, 0u);
  EXPECT_EQ(p.line.style, nullptr);  // freed: the sanitizer run sees a leak otherwise
  EXPECT_EQ(p.transforms[0].eM11, 1.0f);
  EXPECT_EQ(p.transforms[0].eDx, 0.0f);
  EXPECT_EQ(dc.vector.polylineEnd.x, 0);
  EXPECT_EQ(dc.vector.polylineEnd.y, 0);
  // The current pen and the widths the device holds are the page set-up's.
  EXPECT_EQ(p.currentPen, 3);
  EXPECT_EQ(p.penWidths[3], 89);
  EXPECT_EQ(r.Take(), "");
}

}  // namespace
