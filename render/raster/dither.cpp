// Ordered dither to one bit, a target byte at a time.
#include "render/raster/dither.h"

#include <algorithm>
#include <cstring>

#include "render/core/device_context.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/row_encoding.h"

namespace render {

// clang-format off
const unsigned char kDitherMatrix[8][8] = {
    {255, 249, 206,  31,   8,   1,  73, 164},
    {231, 239, 198,  39,  14,  23,  64, 173},
    {181, 189, 148,  98,  48,  56, 106, 139},
    { 94,  85, 119, 135, 227, 219, 160, 127},
    {  8,   1,  77, 169, 255, 249, 210,  35},
    { 19,  27,  69, 177, 235, 243, 202,  44},
    { 52,  60, 110, 144, 185, 194, 152, 102},
    {223, 214, 156, 123,  89,  81, 114, 131},
};
// clang-format on

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

unsigned Mod8(std::int64_t v) { return static_cast<unsigned>(((v % 8) + 8) % 8); }

bool InkOf(const ColourSet& mono, std::uint32_t colour, std::int64_t x, std::int64_t y) {
  if (colour == kWhite) return false;  // white and black pass the adjustment unchanged
  if (colour == 0) return true;
  return DitherInk(AdjustMonoColor(mono, colour), x, y);
}

// One target row: ink bits gathered into each byte before it is stored.
void DitherRow(const ColourSet& mono, const unsigned char* from, unsigned char* to, LONG width,
               std::int64_t xOrigin, std::int64_t y, InkPolarity polarity) {
  static constexpr unsigned char kBit[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  for (LONG x0 = 0; x0 < width; x0 += 8) {
    unsigned char ink = 0;
    LONG end = std::min<LONG>(width, x0 + 8);
    for (LONG x = x0; x < end; ++x) {
      const unsigned char* p = from + 3 * static_cast<std::size_t>(x);
      std::uint32_t colour = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
      if (InkOf(mono, colour, x + xOrigin, y)) ink |= kBit[x - x0];
    }
    unsigned char& byte = to[x0 / 8];
    byte = polarity == InkPolarity::kOneIsInk ? ink : static_cast<unsigned char>(~ink);
  }
}

}  // namespace

bool DitherInk(std::uint32_t colour, std::int64_t x, std::int64_t y) {
  int g = GrayLevel(colour);
  if (g == 255) return false;
  if (g == 0) return true;
  return g < kDitherMatrix[Mod8(x)][Mod8(y)];
}

void DitherToOneBit(const DeviceContext& dc, const ImageView& source, OneBitTarget target,
                    const RECTL& rect, LONG xOrigin, LONG yOrigin, InkPolarity polarity) {
  if (source.Empty() || source.format != BMF_24BPP || target.bits == nullptr) return;
  const LONG left = std::max<LONG>(rect.left, 0);
  const LONG top = std::max<LONG>(rect.top, 0);
  const LONG right = std::min(rect.right, source.width);
  const LONG bottom = std::min(rect.bottom, source.height);
  if (left >= right || top >= bottom) return;
  const LONG width = right - left;
  const std::size_t rowBytes = RowDataBytes(static_cast<std::uint64_t>(width), 1);
  const unsigned char blank = polarity == InkPolarity::kOneIsInk ? 0x00 : 0xFF;
  // The monochrome colour set, read once for the whole rectangle.
  const ColourSet mono = ReadColourSet(dc.settings.priv, 2);
  for (LONG j = 0; j < bottom - top; ++j) {
    unsigned char* to = target.bits + static_cast<std::ptrdiff_t>(j) * target.rowStep;
    std::memset(to, blank, rowBytes);
    const unsigned char* from = source.Row(top + j) + 3 * static_cast<std::size_t>(left);
    DitherRow(mono, from, to, width, xOrigin, std::int64_t{j} + yOrigin, polarity);
  }
}

}  // namespace render
