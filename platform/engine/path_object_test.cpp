// Paths: records and their flags, 28.4 points, "more records follow", bounds.
#include <gtest/gtest.h>

#include "platform/engine/objects.h"

// Comparison for the expectations (POINTFIX is a plain record of the platform).
static bool operator==(const POINTFIX& a, const POINTFIX& b) { return a.x == b.x && a.y == b.y; }

namespace {

using platform::engine::Path;
using platform::engine::PointD;
using platform::engine::ToFix;

struct Record {
  FLONG flags;
  std::vector<POINTFIX> points;
  BOOL more;
  bool operator==(const Record&) const = default;
};

std::vector<Record> Enumerate(PATHOBJ* ppo) {
  std::vector<Record> out;
  PATHOBJ_vEnumStart(ppo);
  for (int guard = 0; guard < 1000; ++guard) {
    PATHDATA pd{};
    BOOL more = PATHOBJ_bEnum(ppo, &pd);
    if (pd.count == 0) break;
    out.push_back({pd.flags, std::vector<POINTFIX>(pd.pptfx, pd.pptfx + pd.count), more});
    if (!more) break;
  }
  return out;
}

POINTFIX Fx(LONG x, LONG y) { return {x * 16, y * 16}; }

constexpr FLONG kBegin = PD_BEGINSUBPATH | PD_RESETSTYLE;
constexpr FLONG kEnd = PD_ENDSUBPATH;
constexpr FLONG kClosed = PD_ENDSUBPATH | PD_CLOSEFIGURE;

TEST(ToFix, RoundsToSixteenthsAndHoldsTheRange) {
  EXPECT_EQ(ToFix(0), 0);
  EXPECT_EQ(ToFix(1), 16);
  EXPECT_EQ(ToFix(-1), -16);
  EXPECT_EQ(ToFix(0.5), 8);
  EXPECT_EQ(ToFix(10.03), 160);     // 160.48
  EXPECT_EQ(ToFix(10.04), 161);     // 160.64
  EXPECT_EQ(ToFix(-2.5 / 16), -2);  // halves round to even
  EXPECT_EQ(ToFix(1e12), INT32_MAX);
  EXPECT_EQ(ToFix(-1e12), INT32_MIN);
}

TEST(PathObject, OpenAndClosedFigures) {
  Path path;
  path.MoveTo(100, 200).LineTo(110, 200).LineTo(110, 195);  // open
  path.AddRectangle(10, 10, 20, 30);                        // closed, 4 points
  path.MoveTo(5, 5);                                        // a lone move: left out
  std::vector<Record> records = Enumerate(path.Get());
  std::vector<Record> expected = {
      {kBegin | kEnd, {Fx(100, 200), Fx(110, 200), Fx(110, 195)}, TRUE},
      {kBegin | kClosed, {Fx(10, 10), Fx(20, 10), Fx(20, 30), Fx(10, 30)}, FALSE},
  };
  EXPECT_EQ(records, expected);
  EXPECT_EQ(path.Get()->cCurves, 2u + 4u);  // two lines; four sides
  EXPECT_EQ(path.Get()->fl, PO_ALL_INTEGERS);
}

TEST(PathObject, LinesAndCurvesMakeSeparateRecords) {
  Path path;
  path.MoveTo(0, 0).LineTo(10, 0).BezierTo(12, 0, 14, 2, 14, 4).BezierTo(14, 6, 12, 8, 10, 8);
  path.LineTo(0.5, 8).Close();
  path.MoveTo(50, 50).BezierTo(51, 50, 52, 51, 52, 52);  // a figure that starts with a curve
  std::vector<Record> records = Enumerate(path.Get());
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].flags, kBegin);
  EXPECT_EQ(records[0].points.size(), 2u);
  EXPECT_EQ(records[1].flags, PD_BEZIERS);
  EXPECT_EQ(records[1].points.size(), 6u);  // two curves, continuing from (10, 0)
  EXPECT_EQ(records[2].flags, kClosed);
  EXPECT_EQ(records[2].points, (std::vector<POINTFIX>{{8, 128}}));
  EXPECT_EQ(records[3].flags, kBegin | kEnd | PD_BEZIERS);
  EXPECT_EQ(records[3].points.size(), 4u);  // start point and one curve
  EXPECT_FALSE(records[3].more);
  EXPECT_EQ(path.Get()->fl, PO_BEZIERS);  // (0.5, 8) is not on the integer grid
  EXPECT_EQ(path.Get()->cCurves, 1u + 2u + 1u + 1u + 1u);
}

TEST(PathObject, RecordLimitSplitsRuns) {
  Path path;
  std::vector<PointD> points;
  for (int i = 0; i < 10; ++i) points.push_back({double(i), double(i % 2)});
  path.AddPolyline(points, false).SetRecordLimit(4);
  std::vector<Record> records = Enumerate(path.Get());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].flags, kBegin);
  EXPECT_EQ(records[0].points.size(), 4u);
  EXPECT_EQ(records[1].flags, 0u);
  EXPECT_EQ(records[2].flags, kEnd);
  EXPECT_EQ(records[2].points.size(), 2u);
  EXPECT_EQ(records[2].points.back(), Fx(9, 1));
}

TEST(PathObject, RecordsAsGivenAndEmptyPaths) {
  Path bad;
  bad.AddRecord(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_BEZIERS, {Fx(0, 0), Fx(1, 1), Fx(2, 2)});
  std::vector<Record> records = Enumerate(bad.Get());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].points.size(), 3u);  // a curve record with a bad count, as asked

  Path empty;
  PATHDATA pd{77, 77, nullptr};
  EXPECT_FALSE(PATHOBJ_bEnum(empty.Get(), &pd));
  EXPECT_EQ(pd.count, 0u);
  RECTFX bounds{1, 1, 1, 1};
  PATHOBJ_vGetBounds(empty.Get(), &bounds);
  EXPECT_EQ(bounds.xRight, 0);

  // An object the engine did not make has no records.
  PATHOBJ plain{0, 0};
  EXPECT_FALSE(PATHOBJ_bEnum(&plain, &pd));
  EXPECT_EQ(pd.count, 0u);
}

TEST(PathObject, EnumerationRestartsAndEnds) {
  Path path;
  path.AddRectangle(0, 0, 1, 1).AddRectangle(2, 2, 3, 3);
  PATHDATA pd{};
  EXPECT_TRUE(PATHOBJ_bEnum(path.Get(), &pd));
  EXPECT_FALSE(PATHOBJ_bEnum(path.Get(), &pd));
  EXPECT_EQ(pd.count, 4u);
  EXPECT_FALSE(PATHOBJ_bEnum(path.Get(), &pd));  // past the end
  EXPECT_EQ(pd.count, 0u);
  PATHOBJ_vEnumStart(path.Get());
  EXPECT_TRUE(PATHOBJ_bEnum(path.Get(), &pd));
  EXPECT_EQ(pd.pptfx[0], Fx(0, 0));
}

TEST(PathObject, BoundsHoldEveryPointAndOffsetMoves) {
  Path path;
  path.MoveTo(10, 20).BezierTo(-5, 20, 40, 90, 30, 25);
  RECTFX b = path.Bounds();
  EXPECT_EQ(b.xLeft, -5 * 16);
  EXPECT_EQ(b.yTop, 20 * 16);
  EXPECT_EQ(b.xRight, 40 * 16);
  EXPECT_EQ(b.yBottom, 90 * 16);
  Path moved = path.Offset(-16, 32);
  RECTFX m = moved.Bounds();
  EXPECT_EQ(m.xLeft, -6 * 16);
  EXPECT_EQ(m.yBottom, 92 * 16);
  EXPECT_EQ(path.Bounds().xLeft, -5 * 16);  // the original stays
  EXPECT_NE(moved.Get(), path.Get());
}

}  // namespace
