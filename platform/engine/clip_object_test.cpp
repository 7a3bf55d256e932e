// Clip regions: complexities, bounds, enumeration order, buffers and limits.
#include <gtest/gtest.h>

#include "platform/engine/objects.h"

// Comparisons for the expectations (RECTL is a plain record of the platform).
static bool operator==(const RECTL& a, const RECTL& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

using platform::engine::Clip;

// Room for three rectangles at a time.
struct Enum3 {
  ULONG c;
  RECTL arcl[3];
};

std::vector<RECTL> EnumerateAll(CLIPOBJ* pco, ULONG direction) {
  std::vector<RECTL> out;
  CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, direction, 0);
  BOOL more = TRUE;
  for (int guard = 0; more && guard < 100; ++guard) {
    Enum3 e{};
    more = CLIPOBJ_bEnum(pco, sizeof(e), reinterpret_cast<ULONG*>(&e));
    out.insert(out.end(), e.arcl, e.arcl + e.c);
  }
  return out;
}

TEST(ClipObject, Complexities) {
  Clip none = Clip::None({0, 0, 100, 50});
  EXPECT_EQ(none.Get()->iDComplexity, DC_TRIVIAL);
  Clip one = Clip::Rectangle({30, 40, 10, 20});  // given in any order
  EXPECT_EQ(one.Get()->iDComplexity, DC_RECT);
  EXPECT_EQ(one.Get()->rclBounds, (RECTL{10, 20, 30, 40}));
  Clip set = Clip::Region({{10, 10, 20, 20}, {30, 5, 40, 15}});
  EXPECT_EQ(set.Get()->iDComplexity, DC_COMPLEX);
  EXPECT_EQ(set.Get()->iFComplexity, FC_RECT4);
  EXPECT_EQ(set.Get()->iMode, TC_RECTANGLES);
  EXPECT_EQ(set.Get()->rclBounds, (RECTL{10, 5, 40, 20}));
  EXPECT_EQ(Clip::Region({{0, 0, 5, 5}}).Get()->iDComplexity, DC_RECT);
  EXPECT_TRUE(Clip::Region({}).empty());
  EXPECT_TRUE(Clip::Region({{5, 5, 5, 9}}).empty());  // no area
  EXPECT_FALSE(none.empty());
}

TEST(ClipObject, EnumerationOrders) {
  const RECTL a{0, 0, 10, 10}, b{20, 0, 30, 10}, c{0, 20, 10, 30}, d{20, 20, 30, 30};
  Clip set = Clip::Region({d, a, c, b});
  struct Case {
    const char* name;
    ULONG direction;
    std::vector<RECTL> order;
  };
  const Case kCases[] = {{"right down", CD_RIGHTDOWN, {a, b, c, d}},
                         {"left down", CD_LEFTDOWN, {b, a, d, c}},
                         {"right up", CD_RIGHTUP, {c, d, a, b}},
                         {"left up", CD_LEFTUP, {d, c, b, a}},
                         {"any", CD_ANY, {d, a, c, b}}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(EnumerateAll(set.Get(), k.direction), k.order);
  }
}

TEST(ClipObject, CountsBuffersAndLimits) {
  std::vector<RECTL> rects;
  for (LONG i = 0; i < 7; ++i) rects.push_back({i * 10, 0, i * 10 + 5, 5});
  Clip set = Clip::Region(rects);
  EXPECT_EQ(set.Get()->iFComplexity, FC_COMPLEX);
  EXPECT_EQ(CLIPOBJ_cEnumStart(set.Get(), TRUE, CT_RECTANGLES, CD_ANY, 0), 7u);
  EXPECT_EQ(CLIPOBJ_cEnumStart(set.Get(), TRUE, CT_RECTANGLES, CD_ANY, 6), 0xFFFFFFFFu);
  EXPECT_EQ(CLIPOBJ_cEnumStart(set.Get(), TRUE, CT_RECTANGLES, CD_ANY, 7), 7u);

  // Three, three, then the last one with "no more".
  Enum3 e{};
  EXPECT_TRUE(CLIPOBJ_bEnum(set.Get(), sizeof(e), reinterpret_cast<ULONG*>(&e)));
  EXPECT_EQ(e.c, 3u);
  EXPECT_TRUE(CLIPOBJ_bEnum(set.Get(), sizeof(e), reinterpret_cast<ULONG*>(&e)));
  EXPECT_FALSE(CLIPOBJ_bEnum(set.Get(), sizeof(e), reinterpret_cast<ULONG*>(&e)));
  EXPECT_EQ(e.c, 1u);
  EXPECT_EQ(e.arcl[0], rects[6]);

  // A buffer too small for one rectangle gets none and loses none.
  CLIPOBJ_cEnumStart(set.Get(), TRUE, CT_RECTANGLES, CD_ANY, 0);
  ENUMRECTS small{};
  EXPECT_TRUE(CLIPOBJ_bEnum(set.Get(), sizeof(ULONG) + sizeof(RECTL) - 1,
                            reinterpret_cast<ULONG*>(&small)));
  EXPECT_EQ(small.c, 0u);
  EXPECT_TRUE(CLIPOBJ_bEnum(set.Get(), sizeof(small), reinterpret_cast<ULONG*>(&small)));
  EXPECT_EQ(small.c, 1u);
  EXPECT_EQ(small.arcl[0], rects[0]);
  EXPECT_FALSE(CLIPOBJ_bEnum(set.Get(), 2, reinterpret_cast<ULONG*>(&small)));
}

TEST(ClipObject, OneRectangleAndHandMadeObjects) {
  Clip one = Clip::Rectangle({10, 20, 110, 70});
  EXPECT_EQ(EnumerateAll(one.Get(), CD_ANY), (std::vector<RECTL>{{10, 20, 110, 70}}));
  CLIPOBJ plain{};
  plain.iDComplexity = DC_RECT;
  plain.rclBounds = {1, 2, 3, 4};
  EXPECT_EQ(EnumerateAll(&plain, CD_ANY), (std::vector<RECTL>{{1, 2, 3, 4}}));
}

TEST(ClipObject, OffsetAndIntersectForBands) {
  Clip set = Clip::Region({{0, 0, 50, 40}, {60, 90, 80, 120}});
  Clip band = set.Offset(0, -130).Intersect({0, 0, 200, 100});
  EXPECT_TRUE(band.empty());  // both above the band starting at row 130
  Clip next = set.Offset(0, -80).Intersect({0, 0, 200, 100});
  EXPECT_EQ(next.complexity(), DC_RECT);
  EXPECT_EQ(next.bounds(), (RECTL{60, 10, 80, 40}));
  Clip none = Clip::None().Intersect({0, 0, 10, 10});
  EXPECT_EQ(none.complexity(), DC_TRIVIAL);
  EXPECT_FALSE(none.empty());
}

}  // namespace
