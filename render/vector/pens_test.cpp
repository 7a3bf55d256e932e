// Pens: colour classes, the pen of a colour, pen colours by printer and colour
// mode, pen selection, text pens, the pen-set switch and pen widths.
#include "render/vector/pens.h"

#include <gtest/gtest.h>

#include "render/vector/recording_context.h"

namespace {

using namespace render;
using namespace settings::priv;
using render::testing::Recorded;
using render::testing::TestPrinter;

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
         static_cast<std::uint32_t>(b) << 16;
}

void SetPen(unsigned char* priv, int pen, std::size_t member, std::int32_t v) {
  settings::SetI32(priv, settings::PenOffset(static_cast<std::size_t>(pen), member), v);
}
void SetPenShort(unsigned char* priv, int pen, std::size_t member, std::int16_t v) {
  settings::SetI16(priv, settings::PenOffset(static_cast<std::size_t>(pen), member), v);
}

TEST(Pens, BasicColourClasses) {
  struct Case {
    std::uint32_t rgb;
    int cls;
  };
  const Case kCases[] = {
      {Rgb(255, 0, 0), 3},     {Rgb(128, 128, 128), 1}, {Rgb(100, 100, 100), 1},
      {Rgb(160, 160, 160), 0}, {Rgb(200, 200, 200), 0}, {Rgb(255, 255, 255), 0},
      {Rgb(0, 0, 0), 1},       {Rgb(0, 0, 255), 2},     {Rgb(0, 255, 0), 5},
      {Rgb(0, 255, 255), 6},   {Rgb(255, 0, 255), 4},   {Rgb(255, 255, 0), 7},
      {Rgb(254, 254, 254), 0}, {Rgb(224, 224, 255), 0}, {Rgb(192, 192, 200), 0},
      {Rgb(0, 64, 96), 6},     {Rgb(96, 0, 0), 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.rgb);
    EXPECT_EQ(BasicColourClass(c.rgb), c.cls);
  }
}

TEST(Pens, UserColourBoundToAPenWins) {
  TestPrinter printer("089", u"ZQ1 user colour");
  Recorded r(printer);
  unsigned char* b = r.priv();
  constexpr std::uint32_t kColour = 0x123456;  // basic class: Black
  ASSERT_EQ(BasicColourClass(kColour), 1);
  settings::SetI32(b, settings::ColorOffset(12, kColorFlag), 1);
  settings::SetU32(b, settings::ColorOffset(12, kColorValue), kColour);
  EXPECT_EQ(ClassifyColour(r.dc(), kColour), 1);  // no pen uses entry 12 yet
  SetPen(b, 7, kPenColor, 12);
  EXPECT_EQ(ClassifyColour(r.dc(), kColour), 12);
  EXPECT_EQ(FindPenForColour(r.dc(), kColour), 7);
  r.dc().pens.cachedColour = kNoColour;
  SelectPenForColour(r.dc(), kColour);
  EXPECT_EQ(r.Take(), "SP7");
  // A user colour with its flag off is not looked at.
  settings::SetI32(b, settings::ColorOffset(12, kColorFlag), 0);
  EXPECT_EQ(FindPenForColour(r.dc(), kColour), 1);
}

TEST(Pens, PenLookupFallsBackToBlackThenPenOne) {
  TestPrinter printer("089", u"ZQ1 pen lookup");
  Recorded r(printer);
  unsigned char* b = r.priv();
  EXPECT_EQ(FindPenForColour(r.dc(), Rgb(255, 0, 0)), 3);
  SetPen(b, 3, kPenColor, kNoColourEntry);
  SetPen(b, 5, kPenColor, 1);  // a second black pen after pen 1
  SetPen(b, 1, kPenColor, kNoColourEntry);
  EXPECT_EQ(FindPenForColour(r.dc(), Rgb(255, 0, 0)), 5);
  for (int n = 0; n < 16; ++n) SetPen(b, n, kPenColor, kNoColourEntry);
  EXPECT_EQ(FindPenForColour(r.dc(), Rgb(255, 0, 0)), 1);
  // The fallback pen has no density of its own: it is defined from the colour.
  SetPen(b, 1, kPenDensity, -1);
  SelectPenForColour(r.dc(), Rgb(255, 0, 0));
  EXPECT_EQ(r.Take(), "PC1,255,0,0SP1");
}

TEST(Pens, MonochromePrinterDefinesOnlyPensWithoutDensity) {
  TestPrinter printer("089", u"ZQ1 pen colours");
  Recorded r(printer);
  SelectPenForColour(r.dc(), Rgb(255, 0, 0));
  EXPECT_EQ(r.Take(), "SP3");  // density 10: the page set-up defined pen 3
  SelectPenForColour(r.dc(), Rgb(250, 0, 0));
  EXPECT_EQ(r.Take(), "");  // another red: the same pen, already current
  SetPen(r.priv(), 2, kPenDensity, -1);
  SelectPenForColour(r.dc(), Rgb(0, 0, 200));
  EXPECT_EQ(r.Take(), "PC2,0,0,200SP2");
  SelectPenForColour(r.dc(), Rgb(0, 0, 200));
  EXPECT_EQ(r.Take(), "");
  // A density beyond the grey table (0 to 10) counts as none: the set-up left
  // the pen undefined, so its selection defines it.
  SetPen(r.priv(), 4, kPenDensity, 11);
  SelectPenForColour(r.dc(), Rgb(255, 0, 255));
  EXPECT_EQ(r.Take(), "PC4,255,0,255SP4");
}

TEST(Pens, ColourPrinterDefinesByColourMode) {
  TestPrinter printer("095", u"CX95 pen colours");
  Recorded r(printer);
  unsigned char* b = r.priv();
  ASSERT_EQ(settings::GetI16(b, kColormode), 0);
  struct Case {
    const char* name;
    int mode;
    void (*setup)(unsigned char*);
    std::uint32_t rgb;
    const char* bytes;
  };
  const Case kCases[] = {
      {"mode 0: the drawing colour", 0, [](unsigned char*) {}, Rgb(255, 0, 0), "PC3,255,0,0SP3"},
      {"mode 0: weakened by the pen's intensities", 0,
       [](unsigned char* p) {
         SetPenShort(p, 4, kPenPutred, 200);
         SetPenShort(p, 4, kPenPutblue, 100);
       },
       Rgb(255, 0, 200), "PC4,200,0,45SP4"},
      {"mode 0: intensities limited to 0", 0,
       [](unsigned char* p) { SetPenShort(p, 3, kPenPutgreen, 0); }, Rgb(250, 10, 10),
       "PC3,250,0,10SP3"},
      {"mode 1: the pen's device colour", 1,
       [](unsigned char* p) { SetPenShort(p, 3, kPenPutcolor, 5); }, Rgb(255, 0, 0),
       "PC3,0,255,0SP3"},
      {"mode 2: a pen with a density was defined by the set-up", 2, [](unsigned char*) {},
       Rgb(255, 0, 0), "SP3"},
      {"mode 2: a pen without density takes the colour", 2,
       [](unsigned char* p) { SetPen(p, 3, kPenDensity, -1); }, Rgb(255, 0, 0), "PC3,255,0,0SP3"},
      {"mode 2: the vector override leaves pens alone", 2,
       [](unsigned char* p) { settings::SetI32(p, kBekutachk, 1); }, Rgb(255, 0, 0), "SP3"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Recorded fresh(printer);
    settings::SetI16(fresh.priv(), kColormode, static_cast<std::int16_t>(c.mode));
    c.setup(fresh.priv());
    fresh.dc().pens.cachedColour = kNoColour;
    SelectPenForColour(fresh.dc(), c.rgb);
    EXPECT_EQ(fresh.Take(), c.bytes);
  }
}

TEST(Pens, TextPens) {
  TestPrinter zq1("089", u"ZQ1 text pens");
  Recorded r(zq1);
  SelectTextPen(r.dc(), Rgb(255, 0, 0));
  EXPECT_EQ(r.Take(), "SP30");
  EXPECT_EQ(r.dc().pens.cachedColour, 0u);
  SelectTextPen(r.dc(), kNoColour);
  EXPECT_EQ(r.Take(), "");

  TestPrinter mx12("012", u"MX12 text pens");  // PrinterType 4: two device pen sets
  Recorded t(mx12);
  SetPen(t.priv(), 3, kPenIro, 1);
  SelectTextPen(t.dc(), Rgb(255, 0, 0));
  EXPECT_EQ(t.Take(), "SP31");
  SelectTextPen(t.dc(), kNoColour);  // black: pen 1, first set
  EXPECT_EQ(t.Take(), "SP30");
}

TEST(Pens, PenSetSwitchNeedsRedInk) {
  TestPrinter printer("089", u"ZQ1 pen set");
  Recorded r(printer);
  r.dc().optionFlags = 0;
  EXPECT_FALSE(WritePenSetSwitch(r.dc(), Rgb(255, 0, 0)));
  EXPECT_EQ(r.Take(), "");
  r.dc().optionFlags = kOptionRedInk;
  SetPen(r.priv(), 3, kPenIro, 1);
  EXPECT_TRUE(WritePenSetSwitch(r.dc(), Rgb(255, 0, 0)));
  EXPECT_EQ(r.Take(), "\x1B\x12?f1,1\x1B\x20");
  EXPECT_TRUE(WritePenSetSwitch(r.dc(), Rgb(0, 0, 0)));
  EXPECT_EQ(r.Take(), "\x1B\x12?f1,0\x1B\x20");
}

TEST(Pens, PenWidths) {
  TestPrinter printer("089", u"ZQ1 pen widths");
  Recorded r(printer);
  SetPenWidth(r.dc(), 89);  // no pen selected yet: nothing
  EXPECT_EQ(r.Take(), "");
  SelectPenForColour(r.dc(), Rgb(255, 0, 0));
  r.Take();
  SetPenWidth(r.dc(), 89);
  EXPECT_EQ(r.Take(), "PW0.348,3");
  SetPenWidth(r.dc(), 89);
  EXPECT_EQ(r.Take(), "");
  SetPenWidth(r.dc(), 256);
  EXPECT_EQ(r.Take(), "PW1,3");
  // A width fixed by the settings is never overridden.
  SetPen(r.priv(), 3, kPenWidth, 50);
  SetPenWidth(r.dc(), 100);
  SetPenWidth(r.dc(), 89);
  EXPECT_EQ(r.Take(), "");
  // A stored width no command can carry fixes nothing.
  SetPen(r.priv(), 3, kPenWidth, 20000);
  EXPECT_EQ(FixedPenWidth(r.dc(), 3), -1);
  SetPenWidth(r.dc(), 100);
  EXPECT_EQ(r.Take(), "PW0.391,3");
  r.dc().pens.currentPen = 40;  // outside the device's pens: nothing
  SetPenWidth(r.dc(), 7);
  EXPECT_EQ(r.Take(), "");
}

TEST(Pens, CommandsEndAnOpenPolyline) {
  TestPrinter printer("089", u"ZQ1 pens close");
  Recorded r(printer);
  r.dc().vector.polylineOpen = true;
  SelectPenForColour(r.dc(), Rgb(255, 0, 0));
  EXPECT_EQ(r.Take(), ";SP3");
  EXPECT_TRUE(r.dc().vector.penUpPending);
  r.dc().vector.polylineOpen = true;
  SetPenWidth(r.dc(), 10);
  EXPECT_EQ(r.Take(), ";PW0.039,3");
}

}  // namespace
