// Software rotation for landscape pages.
#include "render/raster/rotation.h"

#include <cstring>

#include "render/core/device_context.h"
#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr SHORT kLandscape = 2;

// One output row of a one-bit image: the bits of source column `column` from
// the bottom row up, gathered a byte at a time.
void RotateOneBitColumn(const ImageView& s, LONG column, unsigned char* out) {
  const std::size_t byte = static_cast<std::size_t>(column) / 8;
  const unsigned char mask = static_cast<unsigned char>(0x80u >> (column % 8));
  for (LONG j = 0; j < s.height; j += 8) {
    unsigned char v = 0;
    LONG end = j + 8 < s.height ? j + 8 : s.height;
    for (LONG k = j; k < end; ++k) {
      if (s.Row(s.height - 1 - k)[byte] & mask) v |= static_cast<unsigned char>(0x80u >> (k - j));
    }
    out[j / 8] = v;
  }
}

void RotateBytes(const ImageView& s, std::size_t pixelBytes, OwnedImage& r) {
  for (LONG i = 0; i < s.width; ++i) {
    unsigned char* out = r.bits + static_cast<std::size_t>(i) * r.view.rowStep;
    const std::size_t from = static_cast<std::size_t>(i) * pixelBytes;
    for (LONG j = 0; j < s.height; ++j) {
      std::memcpy(out + j * pixelBytes, s.Row(s.height - 1 - j) + from, pixelBytes);
    }
  }
}

void RotateNibbles(const ImageView& s, OwnedImage& r) {
  for (LONG i = 0; i < s.width; ++i) {
    unsigned char* out = r.bits + static_cast<std::size_t>(i) * r.view.rowStep;
    for (LONG j = 0; j < s.height; ++j) {
      OrPixel(out, 4, static_cast<std::uint64_t>(j), PixelAt(s.Row(s.height - 1 - j), 4, i));
    }
  }
}

}  // namespace

bool LandscapePage(const DeviceContext& dc) {
  return (dc.settings.pub.dmFields & DM_ORIENTATION) != 0 &&
         dc.settings.pub.dmOrientation == kLandscape;
}

bool DeviceRotatesPage(const DeviceContext& dc) {
  DWORD function = dc.PrinterFunction();
  if (function & 0x10) return true;
  SHORT paper = dc.settings.pub.dmPaperSize;
  return (function & 0x20) != 0 && (paper == 256 || (paper >= 384 && paper <= 393));
}

bool RotationNeeded(const DeviceContext& dc, bool complexClipActive) {
  return LandscapePage(dc) && !DeviceRotatesPage(dc) && !complexClipActive;
}

bool GlyphRotationNeeded(const DeviceContext& dc) {
  return LandscapePage(dc) && !DeviceRotatesPage(dc) && dc.Description().PrinterType() != 3;
}

bool RotateImage(HANDLE heap, const ImageView& source, OwnedImage& rotated) {
  rotated = {};
  unsigned bits = FormatBits(source.format);
  if (source.Empty() || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) return false;
  if (!CreateOwnedImage(heap, source.format, source.height, source.width, rotated)) return false;
  if (bits == 1) {
    for (LONG i = 0; i < source.width; ++i) {
      RotateOneBitColumn(source, i,
                         rotated.bits + static_cast<std::size_t>(i) * rotated.view.rowStep);
    }
  } else if (bits == 4) {
    RotateNibbles(source, rotated);
  } else {
    RotateBytes(source, bits / 8, rotated);
  }
  return true;
}

ImagePlacement RotatedPlacement(const ImagePlacement& place) {
  ImagePlacement r = place;
  r.y = place.destHeight == 0 ? place.y : place.y + place.destHeight - 1;
  r.destWidth = place.destHeight;
  r.destHeight = place.destWidth;
  return r;
}

}  // namespace render
