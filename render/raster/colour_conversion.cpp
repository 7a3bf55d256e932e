// Colour adjustments, profile matching and the converted-colour cache.
#include "render/raster/colour_conversion.h"

#include <algorithm>
#include <cstdlib>

#include "render/core/device_context.h"

namespace render {

namespace {

using namespace settings::priv;

struct Rgb {
  int r, g, b;
};

Rgb Split(std::uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}

std::uint32_t Join(Rgb c) {
  return static_cast<std::uint32_t>(c.r) | static_cast<std::uint32_t>(c.g) << 8 |
         static_cast<std::uint32_t>(c.b) << 16;
}

bool IsBlackOrWhite(Rgb c) { return c.r == c.g && c.g == c.b && (c.r == 0 || c.r == 255); }
bool IsGray(std::uint32_t c) {
  Rgb v = Split(c);
  return v.r == v.g && v.g == v.b;
}

// The brightness and saturation curve: values up to 128 scale by (t + 128) / 128,
// values above move towards 255 (t > 0) or away from it.
int Curve(int x, int t) { return x <= 128 ? x * (t + 128) / 128 : (255 * t + (128 - t) * x) / 128; }

int Clamp(int v) { return std::clamp(v, 0, 255); }

// Brightness (and, for colour, saturation) on the luminance and the two colour
// differences; negative channels become 0.
Rgb BrightnessAndSaturation(Rgb c, const ColourSet& s, bool saturation) {
  int y = (30 * c.r + 59 * c.g + 11 * c.b) / 100;
  int dr = c.r - y;
  int db = c.b - y;
  if (s.brigt != 50) y = Curve(y, 3 * (s.brigt - 50) / 2);
  if (saturation && s.satulation != 50) {
    int t = 3 * (s.satulation - 50) / 2;
    dr = Curve(dr, t);
    db = Curve(db, t);
  }
  Rgb out{dr + y, y + (-11 * db) / 59 - (30 * dr) / 59, db + y};
  return {std::max(out.r, 0), std::max(out.g, 0), std::max(out.b, 0)};
}

// Contrast scales a channel by (cntrasut + 78) / 128 and moves it by 50 -
// cntrasut. The sliders come from a stored record that does not bound them:
// with brightness or saturation far beyond 100 a channel reaches tens of
// thousands, so the product is taken in 64 bits and the result held to 0..255,
// as the step after it does anyway.
int Contrast(int x, int cntrasut) {
  std::int64_t v = (2 * std::int64_t{x} * (cntrasut + 78)) / 256 + 50 - cntrasut;
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, 255));
}

// Colours within one step of gray become gray.
Rgb SnapToGray(Rgb c) {
  if (c.r == c.g && std::abs(c.b - c.r) == 1) {
    c.b = c.r;
  } else if (c.g == c.b && std::abs(c.r - c.g) == 1) {
    c.r = c.g;
  } else if (c.r == c.b && std::abs(c.g - c.r) == 1) {
    c.g = c.r;
  }
  return c;
}

const ColourSet& SetInForce(const DeviceContext& dc, ColourSet& storage) {
  storage = ReadColourSet(dc.settings.priv, ColourMode(dc));
  return storage;
}

ColourCacheEntry* CacheSlot(DeviceContext& dc, std::uint32_t colour) {
  if (dc.colour.cache == nullptr) return nullptr;
  return &dc.colour.cache[colour % kColourCacheEntries];
}

// A cached conversion of `colour`, or false.
bool FromCache(DeviceContext& dc, std::uint32_t colour, std::uint32_t* out) {
  ColourCacheEntry* slot = CacheSlot(dc, colour);
  if (slot == nullptr || slot->used == 0 || slot->input != colour) return false;
  *out = slot->output;
  return true;
}

void ToCache(DeviceContext& dc, std::uint32_t colour, std::uint32_t converted) {
  if (ColourCacheEntry* slot = CacheSlot(dc, colour)) *slot = {1, colour, converted};
}

// The conversion of an image colour: adjusted, and matched unless it is black,
// white, or a gray that the gray handling keeps.
std::uint32_t ConvertImageColour(DeviceContext& dc, const ColourSet& set, std::uint32_t colour) {
  std::uint32_t y = 0;
  if (FromCache(dc, colour, &y)) return y;
  y = AdjustColor(set, colour);
  if (dc.colour.profile != nullptr) {
    bool matchedGray = !IsBlackOrWhite(Split(y)) && set.truegray >= 0 && set.truegray <= 2;
    if (!IsGray(y) || matchedGray) y = MatchColor(*dc.colour.profile, y);
  }
  ToCache(dc, colour, y);
  return y;
}

std::uint32_t ConvertMonoImageColour(DeviceContext& dc, const ColourSet& set,
                                     std::uint32_t colour) {
  std::uint32_t y = 0;
  if (FromCache(dc, colour, &y)) return y;
  y = AdjustMonoColor(set, colour);
  ToCache(dc, colour, y);
  return y;
}

using ImageConversion = std::uint32_t (*)(DeviceContext&, const ColourSet&, std::uint32_t);

// Palette entries lie as blue, green, red, reserved.
void ConvertPalette(DeviceContext& dc, unsigned char* palette, std::size_t entries,
                    const ColourSet& set, ImageConversion convert) {
  if (palette == nullptr) return;
  for (std::size_t i = 0; i < entries; ++i) {
    unsigned char* e = palette + i * 4;
    Rgb c = Split(convert(dc, set, Join({e[2], e[1], e[0]})));
    e[0] = static_cast<unsigned char>(c.b);
    e[1] = static_cast<unsigned char>(c.g);
    e[2] = static_cast<unsigned char>(c.r);
  }
}

// Pixels of 24-bit images lie as red, green, blue.
void ConvertPixels(DeviceContext& dc, unsigned char* pixels, std::size_t count,
                   const ColourSet& set, ImageConversion convert) {
  if (pixels == nullptr) return;
  for (std::size_t i = 0; i < count; ++i) {
    unsigned char* p = pixels + i * 3;
    Rgb c = Split(convert(dc, set, Join({p[0], p[1], p[2]})));
    p[0] = static_cast<unsigned char>(c.r);
    p[1] = static_cast<unsigned char>(c.g);
    p[2] = static_cast<unsigned char>(c.b);
  }
}

bool ImageMatchingActive(const DeviceContext& dc) {
  return dc.colour.colorMatchingOn && ColourMode(dc) != 2;
}

}  // namespace

ColourSet ReadColourSet(const unsigned char* b, int set) {
  auto at = [&](std::size_t member) {
    return settings::GetI16(b, settings::ColorSetOffset(static_cast<std::size_t>(set), member));
  };
  return {at(kSetColormatch), at(kSetTruegray), at(8), at(10), at(12), at(14), at(16), at(18)};
}

int ColourMode(const DeviceContext& dc) {
  int mode = settings::GetI16(dc.settings.priv, kColormode);
  return mode == 0 || mode == 1 ? mode : 2;
}

std::uint32_t AdjustColor(const ColourSet& s, std::uint32_t colour) {
  Rgb c = Split(colour);
  if (IsBlackOrWhite(c)) return colour;
  if (s.brigt != 50 || s.satulation != 50) c = BrightnessAndSaturation(c, s, true);
  c = {c.r + s.intred - 50, c.g + s.intgreen - 50, c.b + s.intblue - 50};
  if (s.cntrasut != 50) {
    c = {Contrast(c.r, s.cntrasut), Contrast(c.g, s.cntrasut), Contrast(c.b, s.cntrasut)};
  }
  c = {Clamp(c.r), Clamp(c.g), Clamp(c.b)};
  if (s.truegray == 3) c = SnapToGray(c);
  return Join(c);
}

std::uint32_t AdjustMonoColor(const ColourSet& s, std::uint32_t colour) {
  Rgb c = Split(colour);
  if (IsBlackOrWhite(c)) return colour;
  if (s.brigt != 50) c = BrightnessAndSaturation(c, s, false);
  if (s.cntrasut != 50) {
    c = {Contrast(c.r, s.cntrasut), Contrast(c.g, s.cntrasut), Contrast(c.b, s.cntrasut)};
  }
  return Join({Clamp(c.r), Clamp(c.g), Clamp(c.b)});
}

std::uint32_t AdjustColor(const DeviceContext& dc, std::uint32_t colour) {
  ColourSet set;
  return AdjustColor(SetInForce(dc, set), colour);
}

std::uint32_t AdjustMonoColor(const DeviceContext& dc, std::uint32_t colour) {
  return AdjustMonoColor(ReadColourSet(dc.settings.priv, 2), colour);
}

GridPosition GridPositionOf(int value) {
  if (value >= 255) return {16, 0};
  return {value >> 4, value & 15};
}

std::uint32_t MatchColor(const ColorProfileTable& table, std::uint32_t colour) {
  Rgb c = Split(colour);
  GridPosition r = GridPositionOf(c.r), g = GridPositionOf(c.g), b = GridPositionOf(c.b);
  auto m = [](int d, int f) { return (d * f + 8) / 16; };
  int out[3];
  for (int ch = 0; ch < 3; ++ch) {
    const std::uint8_t* t = table.channel[ch];
    // The node one step further is the last node itself at the grid's end, where
    // the fraction is 0 and its weight nothing.
    auto e = [&](int dr, int dg, int db) {
      int i = std::min(r.node + dr, kProfileGrid - 1);
      int j = std::min(g.node + dg, kProfileGrid - 1);
      int k = std::min(b.node + db, kProfileGrid - 1);
      return static_cast<int>(t[i * 289 + j * 17 + k]);
    };
    int p = e(0, 0, 0) + m(e(0, 1, 0) - e(0, 0, 0), g.fraction);
    int s = e(1, 0, 1) + m(e(1, 1, 1) - e(1, 0, 1), g.fraction);
    int v = 0;
    if (r.fraction >= b.fraction) {
      int q = e(1, 0, 0) + m(e(1, 1, 0) - e(1, 0, 0), g.fraction);
      v = p + m(q - p, r.fraction) + m(s - q, b.fraction);
    } else {
      int u = e(0, 0, 1) + m(e(0, 1, 1) - e(0, 0, 1), g.fraction);
      v = p + m(u - p, b.fraction) + m(s - u, r.fraction);
    }
    out[ch] = Clamp(v);
  }
  return Join({out[0], out[1], out[2]});
}

std::uint32_t ConvertColor(DeviceContext& dc, std::uint32_t colour) {
  if (ColourMode(dc) == 2) return AdjustMonoColor(dc, colour);
  if (!dc.colour.colorMatchingOn) return colour;
  ColourSet set;
  SetInForce(dc, set);
  if (set.colormatch == 1) return AdjustColor(set, colour);
  std::uint32_t y = 0;
  if (FromCache(dc, colour, &y)) return y;
  y = AdjustColor(set, colour);
  if (dc.colour.profile != nullptr) {
    bool matchedGray = !IsBlackOrWhite(Split(y)) && (set.truegray == 1 || set.truegray == 2);
    if (!IsGray(y) || matchedGray) y = MatchColor(*dc.colour.profile, y);
  }
  ToCache(dc, colour, y);
  return y;
}

void ConvertPaletteColors(DeviceContext& dc, unsigned char* palette, std::size_t entries) {
  if (!ImageMatchingActive(dc)) return;
  ColourSet set;
  ConvertPalette(dc, palette, entries, SetInForce(dc, set), &ConvertImageColour);
}

void ConvertPixelRun(DeviceContext& dc, unsigned char* pixels, std::size_t count,
                     int bitsPerPixel) {
  if (bitsPerPixel != 24 || !ImageMatchingActive(dc)) return;
  ColourSet set;
  ConvertPixels(dc, pixels, count, SetInForce(dc, set), &ConvertImageColour);
}

void ConvertMonoPaletteColors(DeviceContext& dc, unsigned char* palette, std::size_t entries) {
  ConvertPalette(dc, palette, entries, ReadColourSet(dc.settings.priv, 2), &ConvertMonoImageColour);
}

void ConvertMonoPixelRun(DeviceContext& dc, unsigned char* pixels, std::size_t count,
                         int bitsPerPixel) {
  if (bitsPerPixel != 24) return;
  ConvertPixels(dc, pixels, count, ReadColourSet(dc.settings.priv, 2), &ConvertMonoImageColour);
}

int GrayLevel(std::uint32_t colour) {
  Rgb c = Split(colour);
  return (74 * c.r + 155 * c.g + 27 * c.b) >> 8;
}

std::int32_t VectorColorOverride(const DeviceContext& dc) {
  bool deviceMono = settings::GetU16(dc.settings.priv, kDeviceFlags) & settings::kDevPrintertype;
  if ((dc.PrinterFunction() & 0x1000000) && deviceMono) return 0;
  return settings::GetI32(dc.settings.priv, kBekutachk);
}

}  // namespace render
