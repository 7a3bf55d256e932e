// Command syntax: mnemonics, numbers, and the commands with data of their own.
#include "tools/preview/hpgl_parser.h"

#include <gtest/gtest.h>

#include "tools/preview/test_streams.h"

namespace preview {
namespace {

TEST(HpglParser, NumbersEndAtTheNextMnemonicOrSemicolon) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<double> values;
    bool semicolon;
    size_t end;  // where the cursor stops
  };
  const Case cases[] = {
      {"ended by the next mnemonic", "256PS10", {256}, false, 3},
      {"signs and fractions", "-0.14,+3,.5;", {-0.14, 3, 0.5}, true, 12},
      {"leading zeros of the stamp sizes", "1.0,00.85;", {1.0, 0.85}, true, 10},
      {"blanks as separators", " 1 2\r\n3;", {1, 2, 3}, true, 8},
      {"an escape ends the command", "5,6\x1B%1A", {5, 6}, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteCursor in{test::Bytes(c.text), 0};
    NumericParams p = ReadNumbers(in);
    EXPECT_EQ(p.values, c.values);
    EXPECT_EQ(p.semicolon, c.semicolon);
    EXPECT_FALSE(p.strayAt);
    EXPECT_EQ(in.pos, c.end);
  }
}

TEST(HpglParser, StrayBytesAreSkippedAndPointedAt) {
  ByteCursor in{test::Bytes("1,\x03\x03,2;"), 0};
  NumericParams p = ReadNumbers(in);
  EXPECT_EQ(p.values, (std::vector<double>{1, 2}));
  ASSERT_TRUE(p.strayAt);
  EXPECT_EQ(*p.strayAt, 2u);
}

TEST(HpglParser, MnemonicsAreTwoLettersInEitherCase) {
  ByteCursor in{test::Bytes("sa LM1"), 0};
  std::optional<Mnemonic> m = ReadMnemonic(in);
  ASSERT_TRUE(m);
  EXPECT_STREQ(m->name, "SA");
  in.Skip(1);
  std::optional<Mnemonic> next = ReadMnemonic(in);
  ASSERT_TRUE(next);
  EXPECT_STREQ(next->name, "LM");
  EXPECT_EQ(next->offset, 3u);
  ByteCursor digit{test::Bytes("P1"), 0};
  EXPECT_FALSE(ReadMnemonic(digit));
}

TEST(HpglParser, LabelTextUpToItsTerminator) {
  // One-byte labels end at the terminator byte; two-byte labels at the pair
  // 00 terminator, so that a JIS byte equal to it does not end them.
  ByteCursor one{test::Bytes("AB\x03XY"), 0};
  RawParams a = ReadLabelText(one, 3, false);
  EXPECT_TRUE(a.terminated);
  EXPECT_EQ(std::string(a.data.begin(), a.data.end()), "AB");
  EXPECT_EQ(one.pos, 3u);

  std::string two("\x24\x03\x30\x21\x00\x03Z", 7);
  ByteCursor pairs{test::Bytes(two), 0};
  RawParams b = ReadLabelText(pairs, 3, true);
  EXPECT_TRUE(b.terminated);
  EXPECT_EQ(b.data.size(), 4u);
  EXPECT_EQ(pairs.pos, 6u);

  ByteCursor cut{test::Bytes("ABC"), 0};
  EXPECT_FALSE(ReadLabelText(cut, 3, false).terminated);
}

TEST(HpglParser, EncodedDataUpToSemicolon) {
  std::string text = "=" + test::Pair(1, 2) + ";PA";
  ByteCursor in{test::Bytes(text), 0};
  RawParams p = ReadUpToSemicolon(in);
  EXPECT_TRUE(p.terminated);
  EXPECT_EQ(p.data.size(), 3u);
  EXPECT_EQ(in.Peek(), 'P');
}

}  // namespace
}  // namespace preview
