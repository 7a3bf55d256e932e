// Line attributes of wide and thin strokes: joins and caps, widths in
// millimetres, user line patterns and the settings' pitch overrides.
#include "render/vector/line_attributes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/engine/objects.h"
#include "render/vector/pens.h"
#include "render/vector/recording_context.h"

namespace {

using namespace render;
using namespace settings::priv;
using platform::engine::Transform;
using render::testing::Recorded;
using render::testing::TestPrinter;

// A stroke's line description with its dash elements.
struct Line {
  LINEATTRS la{};
  std::vector<FLOAT_LONG> style;
  static Line Wide(float width, ULONG join, ULONG cap, std::vector<float> dashes = {}) {
    Line l;
    l.la.fl = LA_GEOMETRIC;
    l.la.iJoin = join;
    l.la.iEndCap = cap;
    l.la.elWidth.e = width;
    for (float d : dashes) l.style.push_back(FLOAT_LONG{.e = d});
    return l;
  }
  static Line Thin(LONG width, std::vector<LONG> dashes = {}, FLONG flags = 0) {
    Line l;
    l.la.fl = flags;
    l.la.elWidth.l = width;
    for (LONG d : dashes) {
      FLOAT_LONG v;
      v.l = d;
      l.style.push_back(v);
    }
    return l;
  }
  const LINEATTRS* get() {
    la.cstyle = static_cast<ULONG>(style.size());
    la.pstyle = style.empty() ? nullptr : style.data();
    return &la;
  }
};

// A ZQ1 device context at 600 dpi with pen 3 selected.
// Printers are added once per name: each fixture gets its own.
std::u16string NextPrinterName() {
  static int n = 0;
  return u"ZQ1 lines " + std::u16string(1, static_cast<char16_t>(u'a' + n++));
}

struct Stroking {
  std::u16string name = NextPrinterName();
  TestPrinter printer{"089", name.c_str()};
  Recorded r{printer};
  Stroking() {
    SelectPenForColour(r.dc(), 0x0000FF);
    r.Take();
  }
  void Set(std::size_t offset, std::int32_t v) { settings::SetI32(r.priv(), offset, v); }
  std::string Apply(Line line, XFORMOBJ* xo = nullptr, bool ok = true) {
    EXPECT_EQ(ApplyLineAttributes(r.dc(), line.get(), xo), ok);
    return r.Take();
  }
};

TEST(LineAttributes, WideLineJoinsCapsAndWidth) {
  Stroking s;
  ASSERT_EQ(s.r.dc().dpi, 600);
  // a = 128, w = (128 x 254 + 3000) / 10 / 600 = 5: 0.0195 mm.
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_ROUND, ENDCAP_ROUND)), "LA2,4LA1,4PW0.02,3");
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_ROUND, ENDCAP_ROUND)), "");
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_BEVEL, ENDCAP_SQUARE)), "LA2,5LA1,2");
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT)), "LA2,1LA1,1");
  // Above 5 pixels the width is not rounded: 10 px = 2560 x 254 / 10 / 600 = 108.
  EXPECT_EQ(s.Apply(Line::Wide(10.0f, JOIN_MITER, ENDCAP_BUTT)), "PW0.422,3");
  // With the settings' own joins and caps nothing of the line's is sent.
  s.Set(kPenatt, 1);
  EXPECT_EQ(s.Apply(Line::Wide(10.0f, JOIN_ROUND, ENDCAP_ROUND)), "");
}

TEST(LineAttributes, WideLineScaledByTheTransform) {
  Stroking s;
  Transform twice = Transform::Matrix(2, 0, 0, 2, 0, 0);
  EXPECT_EQ(LineScale(s.r.dc(), twice.Get()), 512);
  EXPECT_TRUE(s.r.dc().pens.emitterFlags & kEmitterTransformFetched);
  EXPECT_EQ(s.r.dc().pens.transforms[0].eM22, 2.0f);
  // w 5, scaled: (5 x 512 + 128) / 256 = 10.
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT), twice.Get()), "LA1,1PW0.039,3");
  // A transform that turns by 90 degrees has no scale on its diagonal: refused.
  Transform turned = Transform::Matrix(0, 1, -1, 0, 0, 0);
  EXPECT_EQ(s.Apply(Line::Wide(3.0f, JOIN_MITER, ENDCAP_BUTT), turned.Get(), false), "");
}

TEST(LineAttributes, LineScaleBounds) {
  Stroking s;
  Transform mixed = Transform::Matrix(2, 0, 0, -3, 0, 0);
  EXPECT_EQ(LineScale(s.r.dc(), mixed.Get()), 640);
  Transform huge = Transform::Matrix(1e30f, 0, 0, 1e30f, 0, 0);
  EXPECT_EQ(LineScale(s.r.dc(), huge.Get()), std::numeric_limits<std::int32_t>::max());
  Transform nan = Transform::Matrix(std::nanf(""), 0, 0, 1, 0, 0);
  EXPECT_EQ(LineScale(s.r.dc(), nan.Get()), 128);
  s.r.dc().pens.emitterFlags = 0;
  EXPECT_EQ(LineScale(s.r.dc(), nullptr), -1);
  EXPECT_EQ(s.r.dc().pens.emitterFlags, 0u);
  EXPECT_EQ(TruncateToInt32(-1e20), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(TruncateToInt32(-2.9), -2);
}

TEST(LineAttributes, WideLineWidthsOutOfRangeAreHeld) {
  // A width of 1e30 pixels holds a = width x 256 at 2^31 - 1: w = a x 254 / 10 /
  // 600 = 90,910,141, 355117.738 mm. Scaled by a transform of 1e30 (s = 2^31 - 1)
  // the product is held at 2^31 - 1 as well: 8388607.996 mm.
  // NaN counts as 0: w = 3000 / 10 / 600 = 0.
  Stroking s;
  s.Set(kPenatt, 1);
  Transform huge = Transform::Matrix(1e30f, 0, 0, 1e30f, 0, 0);
  EXPECT_EQ(s.Apply(Line::Wide(1e30f, JOIN_MITER, ENDCAP_BUTT)), "PW355117.738,3");
  EXPECT_EQ(s.Apply(Line::Wide(1e30f, JOIN_MITER, ENDCAP_BUTT), huge.Get()), "PW8388607.996,3");
  EXPECT_EQ(s.Apply(Line::Wide(std::nanf(""), JOIN_MITER, ENDCAP_BUTT)), "PW0,3");
}

TEST(LineAttributes, WideLineDashes) {
  Stroking s;
  s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT));
  // Elements 2 and 1 (x 256: 512, 256); t = 768, h = 768 x 254 / 10 / 600 = 32.
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT, {2, 1})), "UL8,512,256LT8,0.125,1");
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT, {2, 1})), "");
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT)), "LT");
  settings::SetU16(s.r.priv(), kPrintOptions,
                   settings::GetU16(s.r.priv(), kPrintOptions) | settings::kOptLinechange);
  EXPECT_EQ(s.Apply(Line::Wide(0.5f, JOIN_MITER, ENDCAP_BUTT, {2, 1})), "UL-8,512,256LT-8,0.125,1");
  ResetLineType(s.r.dc());
  EXPECT_EQ(s.r.Take(), "LT");
  ResetLineType(s.r.dc());
  EXPECT_EQ(s.r.Take(), "");
}

TEST(LineAttributes, ThinLineDashesAndPitchOverrides) {
  struct Case {
    const char* name;
    std::vector<LONG> dashes;
    std::size_t check, value;
    std::int32_t pitch;
    const char* bytes;
  };
  const Case kCases[] = {
      // Integer elements read as floats are tiny: they are written as they are.
      {"dash with the dashed pitch", {3, 1}, kLineintcheck, kLineintvalue, 8, "UL8,3,1LT8,8,1"},
      {"dash without override: (3 + 1) x 260", {3, 1}, 0, 0, 0, "UL8,3,1LT8,4.063,1"},
      {"dash-dot pitch", {3, 1, 1, 1}, kLine1chcheck, kLine1chvalue, 12, "UL8,3,1,1,1LT8,12,1"},
      {"dash-dot-dot pitch",
       {3, 1, 1, 1, 1, 1},
       kLine2chcheck,
       kLine2chvalue,
       9,
       "UL8,3,1,1,1,1,1LT8,9,1"},
      {"dotted pitch times 4",
       {1, 1, 1, 1, 1, 1, 1, 1},
       kLinedotcheck,
       kLinedotvalue,
       2,
       "UL8,1,1,1,1,1,1,1,1LT8,8,1"},
      {"the dashed pitch is only for 2 elements",
       {3, 1, 1, 1},
       kLineintcheck,
       kLineintvalue,
       8,
       "UL8,3,1,1,1LT8,6.094,1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Stroking s;
    if (c.check) {
      s.Set(c.check, 1);
      s.Set(c.value, c.pitch);
    }
    // Thin lines bring flat caps and bevel joins; 1 pixel: 65024 / 10 / 600 = 10.
    EXPECT_EQ(s.Apply(Line::Thin(1, c.dashes)), std::string("LA1,1,2,5PW0.039,3") + c.bytes);
    EXPECT_EQ(s.Apply(Line::Thin(1, c.dashes)), "");
  }
}

TEST(LineAttributes, ThinLineAlternateAndSolid) {
  Stroking s;
  EXPECT_EQ(s.Apply(Line::Thin(0)), "LA1,1,2,5PW0,3");
  EXPECT_EQ(s.Apply(Line::Thin(0, {}, LA_ALTERNATE)), "LT2,2.031,1");
  EXPECT_EQ(s.Apply(Line::Thin(0, {}, LA_ALTERNATE)), "LT2,2.031,1");  // never cached
  EXPECT_EQ(s.Apply(Line::Thin(0, {2, 2})), "UL8,2,2LT8,4.063,1");
  EXPECT_EQ(s.Apply(Line::Thin(0)), "LT");
  settings::SetU16(s.r.priv(), kPrintOptions,
                   settings::GetU16(s.r.priv(), kPrintOptions) | settings::kOptLinechange);
  EXPECT_EQ(s.Apply(Line::Thin(0, {}, LA_ALTERNATE)), "LT-2,2.031,1");
  s.Set(kLineintcheck, 1);
  EXPECT_EQ(s.Apply(Line::Thin(0, {3, 1})), "UL-8,3,1LT-8,8,1");
}

TEST(LineAttributes, StyleCopyWithoutMemory) {
  Stroking s;
  s.Apply(Line::Thin(1));
  platform::test::FailAllocationAt(1);
  EXPECT_EQ(s.Apply(Line::Thin(1, {3, 1}), nullptr, false), "UL8,3,1LT8,4.063,1");
  platform::test::FailAllocationAt(0);
  // Without the copy the pattern is not known to be the device's: sent again.
  EXPECT_EQ(s.Apply(Line::Thin(1, {3, 1})), "UL8,3,1LT8,4.063,1");
  EXPECT_EQ(s.Apply(Line::Thin(1, {3, 1})), "");
}

TEST(LineAttributes, NoLineDescriptionIsRefused) {
  Stroking s;
  EXPECT_FALSE(ApplyLineAttributes(s.r.dc(), nullptr, nullptr));
}

}  // namespace
