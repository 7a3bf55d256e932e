// Pen lookup, pen colours, pen selection and pen widths.
#include "render/vector/pens.h"

#include <algorithm>

#include "render/core/device_context.h"
#include "render/raster/colour_conversion.h"

namespace render {

namespace {

using namespace settings::priv;

// Basic colour classes: for each red bin (rows) and green bin (columns), the
// classes of the nine blue bins. Bins: 0-31, 32-63, 64-95, 96-127, 128-159,
// 160-191, 192-223, 224-254, 255. Classes: 0 White, 1 Black, 2 Blue, 3 Red,
// 4 Magenta, 5 Green, 6 Cyan, 7 Yellow.
// clang-format off
constexpr const char* kColourClasses[9][9] = {
  {"111222222", "111222222", "111622222", "556662222", "555666666", "555666666", "555566666", "555566666", "555566666"},
  {"111222222", "111222222", "111222222", "555622222", "555562222", "555566666", "555556666", "555556666", "555556666"},
  {"111422222", "111222222", "111222222", "755522222", "555562222", "555556666", "555556666", "555556666", "555556666"},
  {"334444222", "333442222", "733422222", "777122222", "775552222", "775555222", "555555666", "555555666", "555555666"},
  {"333444444", "333344422", "333342222", "773342222", "777512222", "775552222", "755555666", "555555666", "555556666"},
  {"333444444", "333344444", "333334444", "333334222", "773334422", "777750422", "777555666", "777555666", "777555666"},
  {"333334444", "333334444", "333334444", "333333444", "733333444", "777333444", "777755066", "777755566", "777755566"},
  {"333334444", "333334444", "333334444", "333333444", "733333444", "777333444", "777773344", "777777700", "777777700"},
  {"333334444", "333334444", "333334444", "333333444", "733333444", "777333344", "777773344", "777777700", "777777700"},
};
// clang-format on

// The ten fixed device colours of `putcolor` (0xBBGGRR).
constexpr std::uint32_t kDeviceColours[10] = {0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFF00FF,
                                              0x00FF00, 0xFFFF00, 0x00FFFF, 0x808080, 0x000000};

constexpr int kPens = 16;
constexpr int kUserColourFirst = 8;
constexpr int kUserColourLast = 23;
constexpr int kBlackEntry = 1;
constexpr int kFallbackPen = 1;
constexpr int kTextPen = 30;
constexpr int kSecondTextPen = 31;

int Bin(std::uint32_t channel) { return channel == 255 ? 8 : static_cast<int>(channel / 32); }

std::int32_t PenMember(const DeviceContext& dc, int pen, std::size_t member) {
  return settings::GetI32(dc.settings.priv,
                          settings::PenOffset(static_cast<std::size_t>(pen), member));
}

std::int16_t PenShort(const DeviceContext& dc, int pen, std::size_t member) {
  return settings::GetI16(dc.settings.priv,
                          settings::PenOffset(static_cast<std::size_t>(pen), member));
}

// The density 0 to 10 of a pen, -1 for none. A stored density outside the
// grey table defines nothing at the page set-up, so the pen is defined when
// it is selected, as one without a density.
std::int32_t PenDensity(const DeviceContext& dc, int pen) {
  std::int32_t density = PenMember(dc, pen, kPenDensity);
  return density >= 0 && density <= 10 ? density : -1;
}

bool AnyPenUses(const DeviceContext& dc, int entry) {
  for (int n = 0; n < kPens; ++n) {
    if (PenMember(dc, n, kPenColor) == entry) return true;
  }
  return false;
}

int FirstPenWithColour(const DeviceContext& dc, int entry) {
  for (int n = 0; n < kPens; ++n) {
    if (PenMember(dc, n, kPenColor) == entry) return n;
  }
  return -1;
}

struct Channels {
  int r, g, b;
};

Channels Split(std::uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}

void WritePenColour(DeviceContext& dc, int pen, Channels c) {
  WriteFormatted(dc.output, "PC%d,%d,%d,%d", {pen, c.r, c.g, c.b});
}

// The colour of pen n on colour printers, by the colour mode.
void DefineColourPen(DeviceContext& dc, int n, std::uint32_t rgb) {
  int mode = ColourMode(dc);
  if (mode == 2) {
    if (VectorColorOverride(dc) != 0 || PenDensity(dc, n) != -1) return;
    WritePenColour(dc, n, Split(ConvertColor(dc, rgb)));
  } else if (mode == 1) {
    int put = PenShort(dc, n, kPenPutcolor);
    std::uint32_t device = kDeviceColours[put >= 0 && put <= 9 ? put : 0];
    WritePenColour(dc, n, Split(ConvertColor(dc, device)));
  } else {
    // Each channel weakened by the pen's intensity (255 leaves it as drawn).
    Channels c = Split(ConvertColor(dc, rgb));
    c.r = std::clamp(c.r + PenShort(dc, n, kPenPutred) - 255, 0, 255);
    c.g = std::clamp(c.g + PenShort(dc, n, kPenPutgreen) - 255, 0, 255);
    c.b = std::clamp(c.b + PenShort(dc, n, kPenPutblue) - 255, 0, 255);
    WritePenColour(dc, n, c);
  }
}

void SelectPen(DeviceContext& dc, int n) {
  if (n == dc.pens.currentPen) return;
  WriteFormatted(dc.output, "SP%d", {n});
  dc.pens.currentPen = n;
}

bool ColourPrinter(const DeviceContext& dc) {
  std::uint32_t type = dc.Description().PrinterType();
  return type == 2 || type == 5;
}

}  // namespace

int BasicColourClass(std::uint32_t rgb) {
  const char* blues = kColourClasses[Bin(rgb & 0xFF)][Bin((rgb >> 8) & 0xFF)];
  return blues[Bin((rgb >> 16) & 0xFF)] - '0';
}

int ClassifyColour(const DeviceContext& dc, std::uint32_t rgb) {
  const unsigned char* b = dc.settings.priv;
  for (int e = kUserColourFirst; e <= kUserColourLast; ++e) {
    std::size_t entry = static_cast<std::size_t>(e);
    if (settings::GetI32(b, settings::ColorOffset(entry, kColorFlag)) == 1 &&
        settings::GetU32(b, settings::ColorOffset(entry, kColorValue)) == rgb &&
        AnyPenUses(dc, e)) {
      return e;
    }
  }
  return BasicColourClass(rgb);
}

int FindPenForColour(const DeviceContext& dc, std::uint32_t rgb) {
  int pen = FirstPenWithColour(dc, ClassifyColour(dc, rgb));
  if (pen < 0) pen = FirstPenWithColour(dc, kBlackEntry);
  return pen < 0 ? kFallbackPen : pen;
}

void SelectPenForColour(DeviceContext& dc, std::uint32_t rgb) {
  if (rgb == dc.pens.cachedColour) return;
  ClosePolyline(dc.output, dc.vector);
  dc.pens.cachedColour = rgb;
  int n = FindPenForColour(dc, rgb);
  if (ColourPrinter(dc)) {
    DefineColourPen(dc, n, rgb);
  } else if (PenDensity(dc, n) == -1) {
    // Without a density the page set-up left the pen undefined: it draws as drawn.
    WritePenColour(dc, n, Split(rgb));
  }
  SelectPen(dc, n);
}

void SelectTextPen(DeviceContext& dc, std::uint32_t rgb) {
  std::uint32_t type = dc.Description().PrinterType();
  ClosePolyline(dc.output, dc.vector);
  if (type == 4 || type == 8) {
    int n = FindPenForColour(dc, rgb == kNoColour ? 0 : rgb);
    SelectPen(dc, PenMember(dc, n, kPenIro) == 1 ? kSecondTextPen : kTextPen);
    return;
  }
  dc.pens.cachedColour = 0;
  SelectPen(dc, kTextPen);
}

bool WritePenSetSwitch(DeviceContext& dc, std::uint32_t rgb) {
  if (!(dc.optionFlags & kOptionRedInk)) return false;
  ClosePolyline(dc.output, dc.vector);
  int n = FindPenForColour(dc, rgb);
  WriteBytes(dc.output, "\x1B\x12", 2);
  WriteText(dc.output, PenMember(dc, n, kPenIro) == 1 ? "?f1,1" : "?f1,0");
  WriteBytes(dc.output, "\x1B\x20", 2);
  return true;
}

std::int32_t FixedPenWidth(const DeviceContext& dc, int pen) {
  if (pen < 0 || pen >= kPens) return -1;
  std::int32_t width = PenMember(dc, pen, kPenWidth);
  return width >= 0 && width <= 10000 ? width : -1;
}

void SetPenWidth(DeviceContext& dc, std::int32_t width) {
  int pen = dc.pens.currentPen;
  if (pen < 0 || pen >= kDevicePens) return;
  std::int32_t& cached = dc.pens.penWidths[static_cast<std::size_t>(pen)];
  if (width == cached) return;
  ClosePolyline(dc.output, dc.vector);
  if (FixedPenWidth(dc, pen) != -1) return;
  cached = width;
  WriteFormatted(dc.output, "PW%f,%d", {width, pen});
}

}  // namespace render
