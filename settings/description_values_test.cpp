// Numbers, words and hexadecimal substrings of description values.
#include "settings/description_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace settings;

TEST(DescriptionValues, DecimalAndHexadecimal) {
  struct Case {
    const char* text;
    bool ok;
    std::uint32_t decimal;
  };
  // clang-format off
  const Case kCases[] = {
      {"89",                    true,  89},
      {"  600dpi",              true,  600},
      {"-5",                    true,  0},
      {"4294967295",            true,  0xFFFFFFFF},
      {"4294967296",            true,  0xFFFFFFFF},   // saturates, never wraps
      {"99999999999999999999999", true, 0xFFFFFFFF},
      {"abc",                   false, 0},
      {"",                      false, 0},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    std::uint32_t v = 12345;
    EXPECT_EQ(ReadDecimal(c.text, &v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.decimal);
    }
  }
  std::uint32_t v = 0;
  ASSERT_TRUE(ReadHexadecimal("A61F32E7", &v));
  EXPECT_EQ(v, 0xA61F32E7u);
  ASSERT_TRUE(ReadHexadecimal("0x2000", &v));  // bare digits: the "x" ends the number
  EXPECT_EQ(v, 0u);
  ASSERT_TRUE(ReadHexadecimal("123456789ABCDEF", &v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
}

TEST(DescriptionValues, FixedPoint) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  // clang-format off
  const Case kCases[] = {
      {"18",          true,  18 * 256},
      {"1172.0",      true,  1172 * 256},
      {"0.5",         true,  128},
      {".25",         true,  64},
      {"2383.94",     true,  2383 * 256 + 240},  // 0.94 × 256 = 240.6, truncated
      {"-3.5",        true,  0},
      {"8388607",     true,  8388607 * 256},
      {"8388608",     true,  0x7FFFFFFF},        // beyond 24.8: saturates
      {"1e9",         true,  256},               // a prefix reading
      {".",           false, 0},
      {"x",           false, 0},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    std::int32_t v = 0;
    EXPECT_EQ(ReadFixed(c.text, &v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
  std::int32_t v = 0;
  EXPECT_FALSE(ReadFixedWord("1e9", &v));
  EXPECT_TRUE(ReadFixedWord("12.5", &v));
}

TEST(DescriptionValues, WordsMatchWholeWords) {
  EXPECT_TRUE(MatchesWord("True", "True"));
  EXPECT_TRUE(MatchesWord("True  ", "True"));
  EXPECT_TRUE(MatchesWord("PickOne\tx", "PickOne"));
  EXPECT_FALSE(MatchesWord("TrueColor", "True"));
  EXPECT_FALSE(MatchesWord("Tru", "True"));
  const WordCode table[] = {{"A", 1}, {"B", 2}};
  EXPECT_EQ(LookupWord("B", table, -1), 2);
  EXPECT_EQ(LookupWord("C", table, -1), -1);
}

TEST(DescriptionValues, HexadecimalSubstrings) {
  struct Case {
    const char* text;
    DecodeResult result;
    const char* decoded;
  };
  // clang-format off
  const Case kCases[] = {
      {"plain",             DecodeResult::kOk,          "plain"},
      {"<1B>E<41 >",        DecodeResult::kSyntaxError, ""},  // a blank between the brackets
      {"<1B>%-12345X",      DecodeResult::kOk,          "\x1B%-12345X"},
      {"a<4142>b<>c",       DecodeResult::kOk,          "aABbc"},
      {"<4g>",              DecodeResult::kSyntaxError, ""},
      {"<414>",             DecodeResult::kSyntaxError, ""},
      {"<41",               DecodeResult::kSyntaxError, ""},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    DescriptionArena arena;
    char* out = nullptr;
    EXPECT_EQ(DecodeHexSubstrings(c.text, arena, &out), c.result);
    if (c.result == DecodeResult::kOk) {
      EXPECT_STREQ(out, c.decoded);
    }
  }
}

TEST(DescriptionArena, ChunksAndLargeRequests) {
  DescriptionArena arena;
  EXPECT_EQ(DescriptionArena::ChunkCapacity(), 4072u);
  auto* a = static_cast<unsigned char*>(arena.Allocate(1));
  auto* b = static_cast<unsigned char*>(arena.Allocate(5));
  EXPECT_EQ(b - a, 4);  // sizes are raised to a multiple of 4
  void* big = arena.Allocate(10000);
  ASSERT_NE(big, nullptr);
  auto* c = static_cast<unsigned char*>(arena.Allocate(4));
  EXPECT_EQ(c - a, 12);  // the first chunk still had room
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arena.New<double>()) % 8, 0u);
}

}  // namespace
