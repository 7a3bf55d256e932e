// The page set-up block on the sample printers, byte for byte.
#include "render/vector/page_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "render/vector/recording_context.h"

namespace {

using namespace render;
using namespace settings::priv;
using render::testing::Record;
using render::testing::Recorded;
using render::testing::TestPrinter;

void SetPen(unsigned char* priv, int pen, std::size_t member, std::int32_t v) {
  settings::SetI32(priv, settings::PenOffset(static_cast<std::size_t>(pen), member), v);
}

std::string BlockOf(Recorded& r) {
  r.Take();
  WritePageSetup(r.dc());
  return r.Take();
}

// Every ZQ1 block begins the same way: language entry, one copy, 256 pens.
const std::string kEnter = "\x1B%0BIN;BP2,1;NP256";
// The fixed defaults after the scaling.
const std::string kDefaults = "TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;";
// PrinterType 3: pens 0 to 7 have density 10 (black, "PC...;"), pens 8 to 15 no
// colour; black text (charblack0 of colour mode 2, font 1) on pen 30 only.
const std::string kZq1Pens =
    "PC0,0,0,0;PC1,0,0,0;PC2,0,0,0;PC3,0,0,0;PC4,0,0,0;PC5,0,0,0;PC6,0,0,0;PC7,0,0,0;"
    "PC30,0,0,0;";
// PrinterFunction 0x2000: into the raster language, opaque source, and back.
const std::string kOpaque = "\x1B%1A\x1B*v1N\x1B%0B";

TEST(PageSetup, ZQ1PortraitA1) {
  TestPrinter printer("089", u"ZQ1 portrait set-up");
  Record settings(printer);
  settings.record.pub.dmOrientation = 1;
  Recorded r(printer, settings.dm());
  // A1 at 600 dpi, margins of model 89: R 23366, B 33187 plotter units, that is
  // 23366 x 600 / 1016 = 13798 and 33187 x 600 / 1016 = 19598 pixels.
  ASSERT_EQ(r.dc().logical.right, 23366);
  ASSERT_EQ(r.dc().logical.bottom, 33187);
  EXPECT_EQ(BlockOf(r), kEnter + "PS33187,23366;IP23366,33187,0,0;IW23366,33187,0,0;" +
                            "SC13798,0,0,19598;RO90;" + kDefaults + kZq1Pens + kOpaque);
}

TEST(PageSetup, ZQ1LandscapeScalesAcrossWithoutRotation) {
  TestPrinter printer("089", u"ZQ1 landscape set-up");
  Recorded r(printer);  // the default orientation is landscape
  ASSERT_EQ(r.dc().settings.pub.dmOrientation, 2);
  EXPECT_EQ(BlockOf(r), kEnter + "PS33187,23366;IP23366,33187,0,0;IW23366,33187,0,0;" +
                            "SC0,13798,19598,0;" + kDefaults + kZq1Pens + kOpaque);
}

TEST(PageSetup, CustomSizesOnModel89) {
  // 841 x 1189 mm: W = 33640, H = 47560 plotter units; 19866 and 28086 pixels.
  struct Case {
    const char* name;
    short orientation;
    std::int16_t yoko, tate;
    const char* scaling;
  };
  const Case kCases[] = {
      {"portrait", 1, 841, 1189,
       "PS47560,33640;IP33640,47560,0,0;IW33640,47560,0,0;SC19866,0,0,28086;RO90;"},
      {"landscape, taller than wide", 2, 841, 1189,
       "PS33640,47560;IP47560,33640,0,0;IW47560,33640,0,0;SC0,28086,19866,0;"},
      {"landscape, wider than tall", 2, 1189, 841,
       "PS33640,47560;IP47560,33640,0,0;IW47560,33640,0,0;SC0,28086,19866,0;"},
      {"landscape, square", 2, 841, 841,
       "PS33640,33640;IP33640,33640,0,0;IW33640,33640,0,0;SC19866,0,0,19866;RO90;"},
  };
  TestPrinter printer("089", u"ZQ1 custom set-up");
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Record settings(printer);
    settings.record.pub.dmPaperSize = 256;
    settings.record.pub.dmOrientation = c.orientation;
    settings::SetI16(settings.priv(), kFreeYoko, c.yoko);
    settings::SetI16(settings.priv(), kFreeTate, c.tate);
    Recorded r(printer, settings.dm());
    ASSERT_EQ(r.dc().settings.pub.dmPaperSize, 256);
    EXPECT_EQ(BlockOf(r), kEnter + c.scaling + kDefaults + kZq1Pens + kOpaque);
  }
}

TEST(PageSetup, CustomSizeOfAModelWithoutSidesUsesTheImageableArea) {
  TestPrinter printer("012", u"MX12 custom set-up");  // model 12: no custom sides
  Record settings(printer);
  settings.record.pub.dmPaperSize = 256;
  settings.record.pub.dmOrientation = 1;
  settings::SetI16(settings.priv(), kFreeYoko, 600);
  settings::SetI16(settings.priv(), kFreeTate, 900);
  Recorded r(printer, settings.dm());
  LONG right = r.dc().logical.right, bottom = r.dc().logical.bottom;
  LONG smaller = std::min(right, bottom), larger = std::max(right, bottom);
  std::string block = BlockOf(r);
  std::string ip = "IP" + std::to_string(smaller) + "," + std::to_string(larger) + ",0,0;";
  EXPECT_NE(block.find(ip), std::string::npos) << block;
  int dpi = r.dc().dpi;
  std::string sc = "SC" + std::to_string(smaller * dpi / 1016) + ",0,0," +
                   std::to_string(larger * dpi / 1016) + ";RO90;";
  EXPECT_NE(block.find(sc), std::string::npos) << block;
}

TEST(PageSetup, PenWidthsOfTheSettings) {
  struct Case {
    std::int32_t width;
    const char* bytes;
  };
  const Case kCases[] = {
      {100, "PC2,0,0,0;PW1.00,2PC3"},
      {7, "PC2,0,0,0;PW0.07,2PC3"},
      {250, "PC2,0,0,0;PW2.50,2PC3"},
      {1234, "PC2,0,0,0;PW12.34,2PC3"},
      {35, "PC2,0,0,0;PW0.35,2PC3"},
      {0, "PC2,0,0,0;PW0.00,2PC3"},
      {10000, "PC2,0,0,0;PW100.00,2PC3"},
      // Widths no command can carry are left out.
      {-5, "PC2,0,0,0;PC3"},
      {10001, "PC2,0,0,0;PC3"},
  };
  TestPrinter printer("089", u"ZQ1 pen widths set-up");
  Recorded r(printer);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.width);
    SetPen(r.priv(), 2, kPenWidth, c.width);
    EXPECT_NE(BlockOf(r).find(c.bytes), std::string::npos);
  }
  // A pen without colour gets neither colour nor width.
  SetPen(r.priv(), 2, kPenWidth, 100);
  SetPen(r.priv(), 2, kPenColor, 24);
  std::string block = BlockOf(r);
  EXPECT_NE(block.find("PC1,0,0,0;PC3"), std::string::npos);
  EXPECT_EQ(block.find(",2PC"), std::string::npos);
}

TEST(PageSetup, LineAttributesOfTheSettings) {
  struct Case {
    std::int32_t term, conn;
    const char* bytes;
  };
  const Case kCases[] = {
      {0, 0, "LA1,1,2,6;"},
      {0, 5, "LA1,1,2,5;"},
      {3, 1, "LA1,4,2,1;"},
      {2, 3, "LA1,3,2,3;"},
      // Out of range: ends as 0, joins as 5.
      {7, 9, "LA1,1,2,5;"},
      {-1, -2, "LA1,1,2,5;"},
  };
  TestPrinter printer("089", u"ZQ1 line set-up");
  Recorded r(printer);
  EXPECT_EQ(BlockOf(r).find("LA1"), std::string::npos);  // penatt 0: none
  settings::SetI32(r.priv(), kPenatt, 1);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes);
    settings::SetI32(r.priv(), kPenterm, c.term);
    settings::SetI32(r.priv(), kPenconn, c.conn);
    EXPECT_NE(BlockOf(r).find(std::string("PC30,0,0,0;") + c.bytes + kOpaque), std::string::npos);
  }
}

TEST(PageSetup, CopiesAndTheJobBinder) {
  TestPrinter printer("089", u"ZQ1 copies set-up");
  Recorded r(printer);
  r.dc().copies = 3;
  EXPECT_EQ(BlockOf(r).substr(0, 14), "\x1B%0BIN;BP2,3;N");
  r.dc().identity.jobBinderSend = true;
  EXPECT_EQ(BlockOf(r).substr(0, 14), "\x1B%0BIN;BP2,1;N");
  EXPECT_EQ(r.dc().copies, 1);
}

TEST(PageSetup, EmitterCachesAreEmptied) {
  TestPrinter printer("089", u"ZQ1 caches set-up");
  Recorded r(printer);
  PenState& p = r.dc().pens;
  p.currentPen = 3;
  p.cachedColour = 0x123456;
  p.penWidths[3] = 89;
  p.penWidths[31] = 5;
  p.fillType = 2;
  r.dc().labels = {2, 1, 30, 40, 1, 1, 1, 0x00FF00};
  BlockOf(r);
  EXPECT_EQ(p.currentPen, -1);
  EXPECT_EQ(p.cachedColour, kNoColour);
  for (std::int32_t w : p.penWidths) EXPECT_EQ(w, -1);
  EXPECT_EQ(p.fillType, kFillSolid);
  const LabelState& l = r.dc().labels;
  EXPECT_EQ(l.symbolSet, 4);
  EXPECT_EQ(l.byteMode, 2);
  EXPECT_EQ(l.sizeWidth + l.sizeHeight + l.directionRun + l.directionRise + l.slanted, 0);
}

TEST(PageSetup, ColourPrinterPens) {
  TestPrinter printer("095", u"CX95 set-up");
  Recorded r(printer);
  unsigned char* b = r.priv();
  // Colour mode 0: the pens are defined when they are selected, not here; the
  // black-text switch of mode 0 is off.
  std::string colour = BlockOf(r);
  EXPECT_EQ(colour.find("PC"), std::string::npos) << colour;
  // Colour mode 2: the density greys, through the monochrome adjustment.
  settings::SetI16(b, kColormode, 2);
  SetPen(b, 1, kPenDensity, 5);
  SetPen(b, 2, kPenDensity, -1);
  std::string mono = BlockOf(r);
  EXPECT_NE(mono.find("PC0,0,0,0PC1,135,120,125PC3,0,0,0"), std::string::npos) << mono;
  EXPECT_NE(mono.find("PC30,0,0,0;"), std::string::npos);
  // With the vector override every pen takes the chosen colour (3: red).
  settings::SetI32(b, kBekutachk, 1);
  settings::SetI16(b, kBekutacolor, 3);
  std::string chosen = BlockOf(r);
  EXPECT_NE(chosen.find("PC0,255,0,0PC1,255,0,0PC2,255,0,0"), std::string::npos) << chosen;
}

}  // namespace
