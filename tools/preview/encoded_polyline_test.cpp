// The encoded polyline decoder against the alphabet's own examples.
#include "tools/preview/encoded_polyline.h"

#include <gtest/gtest.h>

#include "tools/preview/test_streams.h"

namespace preview {
namespace {

struct NumberCase {
  const char* name;
  std::string bytes;
  int64_t value;
};

// Sign folded into bit 0 (z = 2v, or 1 - 2v below zero); digits 63 + d,
// least significant first; the last digit 191 + d.
const NumberCase kNumbers[] = {
    {"zero", "\xBF", 0},
    {"one", "\xC1", 2},
    {"minus one", "\xC2", 3},
    {"thirty-two", "\x3F\xC0", 64},
    {"minus one hundred", "\x48\xC2", 201},
    {"largest one-byte", "\xFE", 63},
};

TEST(EncodedNumber, ReadsTheAlphabet) {
  for (const NumberCase& c : kNumbers) {
    SCOPED_TRACE(c.name);
    size_t pos = 0;
    std::optional<int64_t> z = ReadEncodedNumber(test::Bytes(c.bytes), pos, false);
    ASSERT_TRUE(z.has_value());
    EXPECT_EQ(*z, c.value);
    EXPECT_EQ(pos, c.bytes.size());
  }
}

TEST(EncodedNumber, UnterminatedAndOverlongNumbersAreRefused) {
  size_t pos = 0;
  EXPECT_FALSE(ReadEncodedNumber(test::Bytes("\x3F\x3F"), pos, false));
  std::string overlong(12, '\x40');
  overlong += '\xC0';
  pos = 0;
  EXPECT_FALSE(ReadEncodedNumber(test::Bytes(overlong), pos, false));
  EXPECT_EQ(pos, overlong.size());  // skipped as a whole
}

// The driver's open polyline from (100, 200) through (110, 200) to (110, 195).
TEST(EncodedPolyline, PenUpAbsoluteStartThenRelativePoints) {
  std::string data = "<=" + test::Pair(100, 200) + test::Pair(10, 0) + test::Pair(0, -5);
  EncodedPolyline p = DecodeEncodedPolyline(test::Bytes(data));
  ASSERT_FALSE(p.problemAt);
  ASSERT_EQ(p.steps.size(), 3u);
  EXPECT_TRUE(p.steps[0].point.penUp);
  EXPECT_TRUE(p.steps[0].point.absolute);
  EXPECT_EQ(p.steps[0].point.x, 100);
  EXPECT_EQ(p.steps[0].point.y, 200);
  EXPECT_FALSE(p.steps[1].point.penUp);
  EXPECT_FALSE(p.steps[1].point.absolute);
  EXPECT_EQ(p.steps[1].point.x, 10);
  EXPECT_EQ(p.steps[2].point.y, -5);
}

TEST(EncodedPolyline, PenSelectFractionAndSevenBitFlags) {
  // ":" selects pen 3; ">" with 1 halves the coordinates; "7" switches to
  // base 32 (digits 63 + d, last digit 95 + d) for the rest.
  std::string data = ":" + test::EncodedNumber(3) + ">" + test::EncodedNumber(1) +
                     test::Pair(4, 6) + "7" + "\x63\x5F";
  EncodedPolyline p = DecodeEncodedPolyline(test::Bytes(data));
  ASSERT_FALSE(p.problemAt) << p.problem;
  ASSERT_EQ(p.steps.size(), 3u);
  EXPECT_TRUE(p.steps[0].selectsPen);
  EXPECT_EQ(p.steps[0].pen, 3);
  EXPECT_EQ(p.steps[1].point.x, 2);
  EXPECT_EQ(p.steps[1].point.y, 3);
  // 0x63 is z = 4 (v = 2), 0x5F is z = 0; halved by the fraction.
  EXPECT_EQ(p.steps[2].point.x, 1);
  EXPECT_EQ(p.steps[2].point.y, 0);
}

TEST(EncodedPolyline, FlagsWithTheEighthBitAndIgnoredBytes) {
  std::string data = "\xBC\xBD" + test::Pair(7, 8) + " \r\n\x90" + test::Pair(1, 1);
  EncodedPolyline p = DecodeEncodedPolyline(test::Bytes(data));
  ASSERT_FALSE(p.problemAt);
  ASSERT_EQ(p.steps.size(), 2u);
  EXPECT_TRUE(p.steps[0].point.penUp);
  EXPECT_TRUE(p.steps[0].point.absolute);
}

TEST(EncodedPolyline, BadDataKeepsWhatCameBefore) {
  struct Case {
    const char* name;
    std::string data;
    size_t steps;
    size_t problemAt;
  };
  const Case cases[] = {
      {"odd number of values", test::Pair(1, 2) + test::EncodedNumber(3), 1, 3},
      {"ends inside a number", test::Pair(1, 2) + "\x40", 1, 2},
      {"byte that is no digit", test::Pair(1, 2) + "!" + test::Pair(3, 4), 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EncodedPolyline p = DecodeEncodedPolyline(test::Bytes(c.data));
    EXPECT_EQ(p.steps.size(), c.steps);
    ASSERT_TRUE(p.problemAt);
    EXPECT_EQ(*p.problemAt, c.problemAt);
  }
}

}  // namespace
}  // namespace preview
