// The paper tables: names and codes, custom classes, the size match of a merge.
#include "settings/paper_tables.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using settings::MatchCustomSize;

TEST(PaperTables, NamesAndCodes) {
  struct Case {
    const char16_t* name;
    int code;
  };
  const Case kCases[] = {{u"PAPER_LINK", 0}, {u"A0", 267},    {u"B6", 88},     {u"13 x 19 in", 513},
                         {u"OSUSER", 256},   {u"USER1", 384}, {u"USER10", 393}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(static_cast<int>(c.code));
    EXPECT_EQ(settings::PaperNameToCode(c.name), c.code);
    EXPECT_EQ(std::u16string(settings::PaperCodeToName(c.code)), c.name);
  }
  EXPECT_EQ(settings::PaperNameToCode(u"a0"), 8);  // exact comparison: unknown gives A3
  EXPECT_EQ(std::u16string(settings::PaperCodeToName(12345)), u"A3");
}

TEST(PaperTables, CustomClasses) {
  EXPECT_TRUE(settings::IsCustomPaperCode(256));
  EXPECT_TRUE(settings::IsCustomPaperCode(393));
  EXPECT_FALSE(settings::IsCustomPaperCode(394));
  EXPECT_FALSE(settings::IsCustomPaperCode(0));
  EXPECT_TRUE(settings::IsCustomPaperName(256, u"PAPER_LINK"));
  EXPECT_FALSE(settings::IsCustomPaperName(0, u"PAPER_LINK"));
  EXPECT_TRUE(settings::IsCustomPaperName(8, u"USER3"));
  EXPECT_TRUE(settings::IsCustomPaperName(8, u"OSUSER"));
  EXPECT_FALSE(settings::IsCustomPaperName(256, u"A3"));
}

TEST(PaperTables, MatchCustomSizeIsStrictWithinOneMillimetre) {
  struct Case {
    int width, length;
    int code;  // 0: no match
  };
  const Case kCases[] = {
      {2970, 4205, 8},     // A3 within 0.5 mm
      {2970, 4210, 0},     // exactly 1 mm off: the bound is strict
      {2961, 4191, 8},     // 0.9 mm off in both directions
      {8410, 11890, 267},  // A0 as tenths of a millimetre
      {1000, 1000, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.width * 100000 + c.length);
    DEVMODEW source{};
    DEVMODEW target{};
    source.dmPaperWidth = static_cast<SHORT>(c.width);
    source.dmPaperLength = static_cast<SHORT>(c.length);
    EXPECT_EQ(MatchCustomSize(target, source), c.code != 0);
    if (c.code != 0) {
      EXPECT_EQ(target.dmPaperSize, c.code);
      EXPECT_EQ(std::u16string(target.dmFormName),
                std::u16string(settings::PaperCodeToName(c.code)));
      EXPECT_EQ(target.dmPaperWidth, settings::FindDriverPaper(c.code)->width / 100);
      EXPECT_EQ(target.dmPaperLength, settings::FindDriverPaper(c.code)->length / 100);
    }
  }
}

TEST(PaperTables, DriverFormsCoverTheWholePaper) {
  ASSERT_EQ(settings::DriverFormCount(), 15u);
  settings::DriverForm a0 = settings::DriverFormAt(0);
  EXPECT_EQ(std::u16string(a0.name), u"A0");
  EXPECT_EQ(a0.flags, settings::kFormPrinter);
  EXPECT_EQ(a0.right, 841000);
  EXPECT_EQ(a0.bottom, 1189000);
}

}  // namespace
