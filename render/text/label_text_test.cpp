// Label characters: classes and codes from the bytes each conversion produces,
// Shift-JIS to JIS, and the "SI" size text.
#include "render/text/label_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace render;

TEST(LabelText, CodePage) {
  for (UINT page : {932u, 936u, 949u, 950u}) EXPECT_EQ(LabelCodePage(page), page);
  for (UINT page : {1252u, 1250u, 437u, 0u, 65001u}) EXPECT_EQ(LabelCodePage(page), 1252u);
}

// Characters where the Unicode value and the bytes disagree are the ones that
// matter: "¥" and "€" take one byte in 932 (the default character '?', as the
// conversion maps without best fit), and "€" one byte of 0x80 in 1252.
struct CharCase {
  const char* name;
  UINT page;
  std::u16string text;
  int charClass;
  std::uint16_t code;
  std::size_t units;
};
// clang-format off
const CharCase kChars[] = {
    {"ASCII",                  932,  u"A",                 4, 0x41,   1},
    {"half-width katakana",    932,  u"\uFF71",            2, 0xB1,   1},
    {"hiragana",               932,  u"\u3042",            1, 0x82A0, 1},
    {"kanji",                  932,  u"\u6F22",            1, 0x8ABF, 1},
    {"yen sign",               932,  u"\u00A5",            4, 0x3F,   1},
    {"euro sign unmapped",     932,  u"\u20AC",            4, 0x3F,   1},
    {"Hangul unmapped",        932,  u"\uD55C",            4, 0x3F,   1},
    {"emoji as one character", 932,  u"\U0001F600",        4, 0x3F,   2},
    {"lone high surrogate",    932,  {char16_t{0xD83D}, u'A'}, 4, 0x3F, 1},
    {"only the first is read", 932,  u"A\u6F22",           4, 0x41,   1},
    {"e acute",                1252, u"\u00E9",            2, 0xE9,   1},
    {"euro sign",              1252, u"\u20AC",            2, 0x80,   1},
    {"kanji unmapped",         1252, u"\u6F22",            4, 0x3F,   1},
    {"GBK",                    936,  u"\u6C49",            1, 0xBABA, 1},
    {"Hangul",                 949,  u"\uD55C",            1, 0xC7D1, 1},
    {"Big5",                   950,  u"\u6F22",            1, 0xBA7E, 1},
};
// clang-format on

TEST(LabelText, ClassAndCodeFollowTheBytesProduced) {
  for (const CharCase& c : kChars) {
    SCOPED_TRACE(c.name);
    LabelChar ch = ReadLabelChar(c.page, c.text.data(), c.text.size());
    EXPECT_EQ(ch.charClass, c.charClass);
    EXPECT_EQ(ch.code, c.code);
    EXPECT_EQ(ch.units, c.units);
  }
}

TEST(LabelText, EmptyTextTakesNothing) {
  LabelChar ch = ReadLabelChar(932, u"A", 0);
  EXPECT_EQ(ch.units, 0u);
  EXPECT_EQ(ch.code, '?');
}

TEST(LabelText, RunsAreMaximalSequencesOfOneClass) {
  struct Run {
    int charClass;
    std::size_t units, characters;
  };
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<Run> runs;
  };
  const Case kCases[] = {
      {"ASCII, kanji, katakana, ASCII",
       u"AB\u6F22\u3042\uFF71C",
       {{4, 2, 2}, {1, 2, 2}, {2, 1, 1}, {4, 1, 1}}},
      // "¥" and the emoji come out as one byte each and stay in the ASCII run.
      {"one-byte results", u"A\u00A5\U0001F600B", {{4, 5, 4}}},
      {"empty", u"", {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<Run> runs;
    for (std::size_t at = 0; at < c.text.size();) {
      LabelRun r = ReadLabelRun(932, c.text.data() + at, c.text.size() - at);
      ASSERT_GT(r.units, 0u);
      runs.push_back({r.charClass, r.units, r.characters});
      at += r.units;
    }
    ASSERT_EQ(runs.size(), c.runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
      EXPECT_EQ(runs[i].charClass, c.runs[i].charClass) << i;
      EXPECT_EQ(runs[i].units, c.runs[i].units) << i;
      EXPECT_EQ(runs[i].characters, c.runs[i].characters) << i;
    }
  }
  EXPECT_EQ(ReadLabelRun(932, u"A", 0).units, 0u);
}

TEST(LabelText, ShiftJisToJis) {
  struct Case {
    std::uint16_t sjis;
    unsigned first, second;
  };
  const Case kCases[] = {
      {0x8140, 0x21, 0x21},  // the first code: ideographic space
      {0x82A0, 0x24, 0x22},  // second byte from 0x80: one less, then the second half row
      {0x8ABF, 0x34, 0x41}, {0xE040, 0x5F, 0x21},  // the first lead byte above the gap
      {0xEAA4, 0x74, 0x26},                        // the last JIS code
      {0x877E, 0x2D, 0x7E},                        // 0x2D 0x5F is sent as 0x2D 0x7E
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sjis);
    JisBytes jis = ShiftJisToJis(c.sjis);
    EXPECT_EQ(jis.first, c.first);
    EXPECT_EQ(jis.second, c.second);
  }
}

TEST(LabelText, SizeText) {
  struct Case {
    std::int32_t hundredths;
    const char* text;
  };
  const Case kCases[] = {
      {150, "1.50"},
      {105, "1.05"},
      {100, "1.0"},
      {0, "0.0"},
      {5, "0.05"},
      {12345, "123.45"},
      {-150, "-1.50"},
      {INT_MAX, "21474836.47"},
      {INT_MIN, "-21474836.48"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.hundredths);
    LabelSizeText t = FormatLabelSize(c.hundredths);
    EXPECT_EQ(std::string(t.text, t.length), c.text);
    EXPECT_EQ(t.text[t.length], '\0');
  }
}

}  // namespace
