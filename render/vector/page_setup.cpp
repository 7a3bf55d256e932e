// The page set-up block: after it, one KX-GL/2 user unit is one device pixel with
// the origin at the top left of the imageable area, the pens of the settings'
// pen table are defined, and the emitter's caches are empty.
#include "render/vector/page_setup.h"

#include <algorithm>
#include <cstdint>

#include "render/core/device_context.h"
#include "render/raster/colour_conversion.h"
#include "render/vector/pens.h"

namespace render {

namespace {

using namespace settings::priv;

// How the plot size is chosen, by model number.
enum class PlotSize : std::uint8_t {
  kOrientationWhenStandardOrCentred,  // orientation form; also off the tray when centred
  kCustomElseBR,                      // custom form for custom sizes, else (B, R)
  kOrientation,                       // orientation form
  kCustomElseOrientation,             // custom form for custom sizes, else orientation form
  kOrientationWhenStandard,           // orientation form from a standard source, else none
  kCustom256ElseBR,                   // custom form for paper code 256, else (B, R)
  kCustom256ElseOrientationWhenStandardOrTurned,
  kFedPaper,  // every other model: the fed paper's size from a standard source
};

struct ModelRange {
  int first, last;
  PlotSize plot;
  bool customSides;  // the custom sides come from FreeYoko and FreeTate
};

// clang-format off
constexpr ModelRange kModels[] = {
  {  1,   4, PlotSize::kOrientationWhenStandardOrCentred, false},
  {  5,   5, PlotSize::kCustomElseBR, true},
  {  6,   7, PlotSize::kOrientation, false},
  {  8,   9, PlotSize::kCustomElseBR, true},
  { 10,  10, PlotSize::kCustomElseOrientation, true},
  { 11,  12, PlotSize::kOrientation, false},
  { 13,  13, PlotSize::kOrientationWhenStandardOrCentred, false},
  { 14,  14, PlotSize::kCustomElseOrientation, true},
  { 15,  15, PlotSize::kOrientation, false},
  { 16,  16, PlotSize::kCustomElseBR, true},
  { 17,  28, PlotSize::kOrientation, false},
  { 29,  36, PlotSize::kOrientationWhenStandard, false},
  { 37,  37, PlotSize::kCustom256ElseBR, true},
  { 38,  43, PlotSize::kOrientationWhenStandard, false},
  { 44,  45, PlotSize::kCustom256ElseOrientationWhenStandardOrTurned, true},
  { 46,  50, PlotSize::kOrientationWhenStandard, false},
  { 51,  51, PlotSize::kCustom256ElseBR, true},
  { 52,  58, PlotSize::kOrientationWhenStandard, false},
  { 59,  60, PlotSize::kCustom256ElseOrientationWhenStandardOrTurned, true},
  { 61,  71, PlotSize::kOrientationWhenStandard, false},
  { 72,  74, PlotSize::kOrientationWhenStandardOrCentred, false},
  { 75,  75, PlotSize::kOrientationWhenStandard, false},
  { 76,  86, PlotSize::kOrientationWhenStandardOrCentred, false},
  { 87,  88, PlotSize::kCustomElseOrientation, true},
  { 89,  89, PlotSize::kCustomElseBR, true},
  { 90,  96, PlotSize::kOrientation, false},
  { 97,  98, PlotSize::kCustomElseBR, true},
  { 99, 100, PlotSize::kCustomElseOrientation, true},
  {101, 104, PlotSize::kCustomElseBR, true},
};

// The grey of each pen density 0 to 10 (red, green, blue).
constexpr std::uint8_t kDensityColours[11][3] = {
  {255, 255, 255}, {243, 216, 225}, {216, 192, 225}, {189, 168, 175}, {162, 144, 150},
  {135, 120, 125}, {108,  96, 100}, { 81,  72,  75}, { 54,  48,  50}, { 27,  24,  25},
  {  0,   0,   0},
};

// The colours of the vector colour override, by bekutacolor (0xBBGGRR).
constexpr std::uint32_t kOverrideColours[10] = {
  0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFF00FF, 0x00FF00, 0xFFFF00, 0x00FFFF, 0x808080,
  0x000000,
};
// clang-format on

constexpr int kPens = 16;

ModelRange FindModel(std::uint32_t model) {
  for (const ModelRange& m : kModels) {
    if (model >= static_cast<std::uint32_t>(m.first) && model <= static_cast<std::uint32_t>(m.last))
      return m;
  }
  return {0, 0, PlotSize::kFedPaper, false};
}

// What the set-up block depends on, in plotter units where it is a length.
struct Page {
  bool landscape;       // dmOrientation 2
  bool landscapeByBit;  // landscape and the orientation bit of dmFields
  bool custom;          // paper code 256 or 384 to 393
  bool standardSource;  // dmDefaultSource below 256
  bool squareCustom;
  std::int64_t r, b;    // imageable right and bottom of the logical page
  std::int64_t r2, b2;  // the same of the fed paper
  std::int64_t w, h;    // the custom sides
  std::int64_t larger, smaller;
  std::int64_t dpi;
  ModelRange model;
};

Page ReadPage(const DeviceContext& dc) {
  const DEVMODEW& pub = dc.settings.pub;
  const unsigned char* b = dc.settings.priv;
  settings::Description d = dc.Description();
  Page p{};
  p.model = FindModel(d.LanguageLevel());
  p.landscape = pub.dmOrientation == 2;
  p.landscapeByBit = p.landscape && (pub.dmFields & DM_ORIENTATION);
  p.custom = pub.dmPaperSize == 256 || (pub.dmPaperSize >= 384 && pub.dmPaperSize <= 393);
  p.standardSource = pub.dmDefaultSource < 256;
  p.r = dc.logical.right;
  p.b = dc.logical.bottom;
  p.r2 = dc.fed.right;
  p.b2 = dc.fed.bottom;
  std::int16_t tate = settings::GetI16(b, kFreeTate);
  std::int16_t yoko = settings::GetI16(b, kFreeYoko);
  // Models without sides of their own take the logical page's imageable area.
  p.w = p.model.customSides ? std::int64_t{yoko} * 1000 / 25 : p.r;
  p.h = p.model.customSides ? std::int64_t{tate} * 1000 / 25 : p.b;
  p.larger = std::max(p.w, p.h);
  p.smaller = std::min(p.w, p.h);
  p.squareCustom = (d.PrinterFunction() & 0x80020) == 0x80020 && p.custom && tate == yoko;
  p.dpi = dc.dpi;
  return p;
}

std::int32_t Arg(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// A plotter length in device pixels.
std::int32_t Pixels(const Page& p, std::int64_t length) {
  if (length <= 0 || p.dpi <= 0) return 0;
  return Arg(length * p.dpi / 1016);
}

void WritePair(DeviceContext& dc, const char* format, std::int64_t x, std::int64_t y) {
  WriteFormatted(dc.output, format, {Arg(x), Arg(y)});
}

void WriteOrientationForm(DeviceContext& dc, const Page& p) {
  if (p.landscape) {
    WritePair(dc, "PS%d,%d;", p.r, p.b);
  } else {
    WritePair(dc, "PS%d,%d;", p.b, p.r);
  }
}

void WriteCustomForm(DeviceContext& dc, const Page& p) {
  if (p.landscapeByBit) {
    WritePair(dc, "PS%d,%d;", p.smaller, p.larger);
  } else {
    WritePair(dc, "PS%d,%d;", p.larger, p.smaller);
  }
}

// Step 4: the plot size.
void WritePlotSize(DeviceContext& dc, const Page& p) {
  const unsigned char* b = dc.settings.priv;
  std::int16_t paper = dc.settings.pub.dmPaperSize;
  switch (p.model.plot) {
    case PlotSize::kOrientationWhenStandardOrCentred: {
      bool centred = (settings::GetU16(b, kPrintOptions) & settings::kOptCenter) &&
                     settings::GetI16(b, kCentermode) != 1;
      if (p.standardSource || centred) WriteOrientationForm(dc, p);
      break;
    }
    case PlotSize::kCustomElseBR:
      if (p.custom) {
        WriteCustomForm(dc, p);
      } else {
        WritePair(dc, "PS%d,%d;", p.b, p.r);
      }
      break;
    case PlotSize::kOrientation:
      WriteOrientationForm(dc, p);
      break;
    case PlotSize::kCustomElseOrientation:
      if (p.custom) {
        WriteCustomForm(dc, p);
      } else {
        WriteOrientationForm(dc, p);
      }
      break;
    case PlotSize::kOrientationWhenStandard:
      if (p.standardSource) WriteOrientationForm(dc, p);
      break;
    case PlotSize::kCustom256ElseBR:
      if (paper == 256) {
        WriteCustomForm(dc, p);
      } else {
        WritePair(dc, "PS%d,%d;", p.b, p.r);
      }
      break;
    case PlotSize::kCustom256ElseOrientationWhenStandardOrTurned:
      if (paper == 256) {
        WriteCustomForm(dc, p);
      } else if (p.standardSource || settings::GetI16(b, kImagerotate) == 1) {
        WriteOrientationForm(dc, p);
      }
      break;
    case PlotSize::kFedPaper:
      if (!p.standardSource) break;
      if (p.landscape) {
        WritePair(dc, "PS%d,%d;PS;", p.r2, p.b2);
      } else {
        WritePair(dc, "PS%d,%d;PS;", p.b2, p.r2);
      }
      break;
  }
}

// Steps 5 to 7: the scaling points, the window, the user scaling and rotation.
void WriteScaling(DeviceContext& dc, const Page& p) {
  std::int64_t x = p.r, y = p.b;
  if (p.custom) {
    x = p.landscapeByBit ? p.larger : p.smaller;
    y = p.landscapeByBit ? p.smaller : p.larger;
  }
  WritePair(dc, "IP%d,%d,0,0;", x, y);
  WritePair(dc, "IW%d,%d,0,0;", x, y);
  // "SC x,0,0,y" maps the far corner to user (x, 0): user x grows with plotter x
  // and user y against plotter y, as device pixels do; "SC0,x,y,0" the other way.
  const char* kAlong = "SC%d,0,0,%d;";
  const char* kAcross = "SC0,%d,%d,0;";
  if ((dc.PrinterFunction() & 0x20) && p.custom) {
    if (!p.landscapeByBit) {
      WritePair(dc, kAlong, Pixels(p, p.smaller), Pixels(p, p.larger));
    } else if (p.h < p.w) {
      WritePair(dc, kAcross, Pixels(p, p.w), Pixels(p, p.h));
    } else if (p.squareCustom) {
      WritePair(dc, kAlong, Pixels(p, p.w), Pixels(p, p.h));
    } else {
      WritePair(dc, kAcross, Pixels(p, p.h), Pixels(p, p.w));
    }
  } else {
    bool across = p.landscape && dc.Description().PrinterType() == 3;
    WritePair(dc, across ? kAcross : kAlong, Pixels(p, p.r), Pixels(p, p.b));
  }
  if (!p.landscape || p.squareCustom) WriteText(dc.output, "RO90;");
}

std::int32_t PenSetting(const DeviceContext& dc, int pen, std::size_t member) {
  return settings::GetI32(dc.settings.priv,
                          settings::PenOffset(static_cast<std::size_t>(pen), member));
}

std::uint32_t DensityColour(int density) {
  const std::uint8_t* c = kDensityColours[density];
  return std::uint32_t{c[0]} | std::uint32_t{c[1]} << 8 | std::uint32_t{c[2]} << 16;
}

void WritePenColour(DeviceContext& dc, const char* format, int pen, std::uint32_t rgb) {
  WriteFormatted(
      dc.output, format,
      {pen, static_cast<std::int32_t>(rgb & 0xFF), static_cast<std::int32_t>((rgb >> 8) & 0xFF),
       static_cast<std::int32_t>((rgb >> 16) & 0xFF)});
}

// Step 9: the pens of the pen table that are bound to a colour.
void WritePenTable(DeviceContext& dc) {
  std::uint32_t type = dc.Description().PrinterType();
  bool colourPrinter = type == 2 || type == 5;
  bool mono = ColourMode(dc) == 2;
  int choice = settings::GetI16(dc.settings.priv, kBekutacolor);
  std::uint32_t overrideColour = kOverrideColours[choice >= 0 && choice <= 9 ? choice : 0];
  for (int n = 0; n < kPens; ++n) {
    if (PenSetting(dc, n, kPenColor) == kNoColourEntry) continue;
    std::int32_t density = PenSetting(dc, n, kPenDensity);
    bool hasDensity = density >= 0 && density <= 10;
    if (colourPrinter && mono) {
      if (VectorColorOverride(dc) != 0) {
        WritePenColour(dc, "PC%d,%d,%d,%d", n, ConvertColor(dc, overrideColour));
      } else if (hasDensity) {
        WritePenColour(dc, "PC%d,%d,%d,%d", n, ConvertColor(dc, DensityColour(density)));
      }
    } else if (!colourPrinter && hasDensity) {
      WritePenColour(dc, "PC%d,%d,%d,%d;", n, DensityColour(density));
    }
    std::int32_t width = FixedPenWidth(dc, n);
    if (width != -1) {
      const char* format = width % 100 >= 10 ? "PW%d.%d,%d" : "PW%d.0%d,%d";
      WriteFormatted(dc.output, format, {width / 100, width % 100, n});
    }
  }
}

// Step 10: pens 30 and 31 draw black text.
void WriteTextPens(DeviceContext& dc) {
  const unsigned char* b = dc.settings.priv;
  std::size_t mode = static_cast<std::size_t>(ColourMode(dc));
  if (settings::GetI16(b, kCharblack + 2 * mode) == 0 || settings::GetI32(b, kFont) == 0) return;
  WriteText(dc.output, "PC30,0,0,0;");
  std::uint32_t type = dc.Description().PrinterType();
  if (type == 4 || type == 8) WriteText(dc.output, "PC31,0,0,0;");
}

// Step 11: the settings' line ends and joins.
void WriteLineAttributes(DeviceContext& dc) {
  const unsigned char* b = dc.settings.priv;
  if (settings::GetI32(b, kPenatt) == 0) return;
  std::int32_t term = settings::GetI32(b, kPenterm);
  std::int32_t conn = settings::GetI32(b, kPenconn);
  if (term < 0 || term > 3) term = 0;
  if (conn < 0 || conn > 5) conn = 5;
  WriteFormatted(dc.output, "LA1,%d,2,%d;", {term + 1, conn == 0 ? 6 : conn});
}

// Step 13: the first drawing of the page sends its pen, width and colour again.
void ResetEmitterCaches(DeviceContext& dc) {
  dc.pens.fillType = kFillSolid;
  dc.pens.cachedColour = kNoColour;
  dc.pens.currentPen = -1;
  dc.pens.penWidths = NoPenWidths();
  std::uint32_t textColour = dc.labels.textColour;
  dc.labels = LabelState{};
  dc.labels.textColour = textColour;
}

}  // namespace

void WritePageSetup(DeviceContext& dc) {
  if (dc.identity.jobBinderSend) dc.copies = 1;
  WriteBytes(dc.output, "\x1B", 1);
  WriteFormatted(dc.output, "%%0BIN;BP2,%d;", {static_cast<std::int32_t>(dc.copies)});
  WriteText(dc.output, "NP256");
  Page page = ReadPage(dc);
  WritePlotSize(dc, page);
  WriteScaling(dc, page);
  WriteText(dc.output, "TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;");
  WritePenTable(dc);
  WriteTextPens(dc);
  WriteLineAttributes(dc);
  // Into the raster language, opaque source, and back.
  static constexpr char kOpaqueRaster[] = "\x1B%1A\x1B*v1N\x1B%0B";
  if (dc.PrinterFunction() & 0x2000) WriteBytes(dc.output, kOpaqueRaster, sizeof kOpaqueRaster - 1);
  ResetEmitterCaches(dc);
}

}  // namespace render
