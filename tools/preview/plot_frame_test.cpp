// Where a user unit lands on the sheet, worked out from the language's
// rules for PS, IP, SC and RO, and where the picture shows it.
#include "tools/preview/plot_frame.h"

#include <gtest/gtest.h>

#include "tools/preview/page_view.h"

namespace preview {
namespace {

Point Shown(const PlotFrame& frame, Point user) {
  Sheet sheet{frame.length(), frame.width(), frame.rotation(), 0};
  return MakePageView(sheet).ToPicture(frame.UserToPhysical(user));
}

// The portrait set-up: PS B,R; IP R,B,0,0; SC w,0,0,h; RO90. P1 (the far
// corner) is user (w, 0) and P2 (the origin) user (0, h); RO90 turns the
// frame and P1, P2 keep their values, so user x runs along the sheet's width
// and user y down its length, from the top left corner as the picture shows it.
TEST(PlotFrame, PortraitSetupPutsTheUserOriginTopLeft) {
  PlotFrame frame;
  frame.SetPlotSize(6000, 4000);
  frame.SetScalingPoints(Point{4000, 6000}, Point{0, 0});
  const double sc[] = {1181, 0, 0, 1771};
  ASSERT_TRUE(frame.SetScaling(sc, 4));
  ASSERT_TRUE(frame.SetRotation(90));
  struct Case {
    Point user;
    Point picture;
  };
  const Case cases[] = {
      {{0, 0}, {0, 0}},
      {{1181, 1771}, {4000, 6000}},
      {{1181, 0}, {4000, 0}},
      {{0, 1771}, {0, 6000}},
  };
  for (const Case& c : cases) {
    Point p = Shown(frame, c.user);
    EXPECT_NEAR(p.x, c.picture.x, 1e-6) << c.user.x << "," << c.user.y;
    EXPECT_NEAR(p.y, c.picture.y, 1e-6) << c.user.x << "," << c.user.y;
  }
  Sheet sheet{frame.length(), frame.width(), 90, 0};
  PageView view = MakePageView(sheet);
  EXPECT_EQ(view.width, 4000);  // portrait: the plot width across
  EXPECT_EQ(view.height, 6000);
}

// Without RO90 the same scaling stays in the unturned frame: P1 at plotter
// (4000, 6000) lies beyond the sheet's width of 4000, so user (0, 0) is off
// the top of the picture.
TEST(PlotFrame, WithoutTheRotationTheDrawingLeavesTheSheet) {
  PlotFrame frame;
  frame.SetPlotSize(6000, 4000);
  frame.SetScalingPoints(Point{4000, 6000}, Point{0, 0});
  const double sc[] = {1181, 0, 0, 1771};
  ASSERT_TRUE(frame.SetScaling(sc, 4));
  Point origin = Shown(frame, {0, 0});
  EXPECT_NEAR(origin.x, 0, 1e-6);
  EXPECT_NEAR(origin.y, -2000, 1e-6);
}

// The window keeps its plotter values when RO turns the frame.
TEST(PlotFrame, TheWindowTurnsWithTheFrame) {
  PlotFrame frame;
  frame.SetPlotSize(6000, 4000);
  frame.SetWindow(Rect{4000, 6000, 0, 0});
  frame.SetRotation(90);
  std::optional<Rect> w = frame.PhysicalWindow();
  ASSERT_TRUE(w);
  EXPECT_EQ(w->x0, 0);
  EXPECT_EQ(w->y0, 0);
  EXPECT_EQ(w->x1, 6000);
  EXPECT_EQ(w->y1, 4000);
}

TEST(PlotFrame, RotationsAreInverted) {
  PlotFrame frame;
  frame.SetPlotSize(6000, 4000);
  for (int degrees : {0, 90, 180, 270}) {
    SCOPED_TRACE(degrees);
    ASSERT_TRUE(frame.SetRotation(degrees));
    Point p = frame.PhysicalToPlotter(frame.PlotterToPhysical({123, 456}));
    EXPECT_NEAR(p.x, 123, 1e-9);
    EXPECT_NEAR(p.y, 456, 1e-9);
    // The turned sheet keeps its corners on the sheet.
    Point far = frame.PlotterToPhysical({frame.FrameWidth(), frame.FrameHeight()});
    EXPECT_TRUE((far.x == 0 || far.x == 6000) && (far.y == 0 || far.y == 4000));
  }
  EXPECT_FALSE(frame.SetRotation(45));
}

TEST(PlotFrame, ScalingTypes) {
  PlotFrame frame;
  frame.SetPlotSize(6000, 4000);
  frame.SetScalingPoints(Point{1000, 1000}, Point{3000, 2000});
  // Point factor: user (0, 0) at P1, one user unit two plotter units.
  const double factor[] = {0, 2, 0, 2, 2};
  ASSERT_TRUE(frame.SetScaling(factor, 5));
  Point p = frame.UserToPlotter({10, 20});
  EXPECT_DOUBLE_EQ(p.x, 1020);
  EXPECT_DOUBLE_EQ(p.y, 1040);
  // Isotropic: the smaller of the scales (2000 / 100 across, 1000 / 100 up)
  // on both axes leaves 1000 plotter units across, shared half and half.
  const double iso[] = {0, 100, 0, 100, 1};
  ASSERT_TRUE(frame.SetScaling(iso, 5));
  p = frame.UserToPlotter({0, 0});
  EXPECT_DOUBLE_EQ(p.x, 1500);
  EXPECT_DOUBLE_EQ(p.y, 1000);
  const double empty[] = {5, 5, 0, 1};
  EXPECT_FALSE(frame.SetScaling(empty, 4));
}

}  // namespace
}  // namespace preview
