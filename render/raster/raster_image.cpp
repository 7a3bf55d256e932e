// Images, pixels and work areas of the raster encoders.
#include "render/raster/raster_image.h"

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "render/raster/row_encoding.h"

namespace render {

ImageView ImageOf(const SURFOBJ& surface) {
  ImageView v;
  v.format = surface.iBitmapFormat;
  v.width = surface.sizlBitmap.cx;
  v.height = surface.sizlBitmap.cy;
  v.rowStep = surface.lDelta;
  v.top = static_cast<const unsigned char*>(surface.pvScan0);
  return v;
}

std::uint32_t PixelAt(const unsigned char* row, unsigned bits, std::uint64_t x) {
  switch (bits) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 4:
      return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0Fu;
    case 8:
      return row[x];
    default: {
      const unsigned char* p = row + 3 * x;
      return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
  }
}

void OrPixel(unsigned char* row, unsigned bits, std::uint64_t x, std::uint32_t value) {
  switch (bits) {
    case 1:
      row[x / 8] |= static_cast<unsigned char>((value & 1u) << (7 - x % 8));
      return;
    case 4:
      row[x / 2] |= static_cast<unsigned char>(x % 2 == 0 ? (value & 0x0Fu) << 4 : value & 0x0Fu);
      return;
    case 8:
      row[x] = static_cast<unsigned char>(value);
      return;
    default: {
      unsigned char* p = row + 3 * x;
      p[0] = static_cast<unsigned char>(value);
      p[1] = static_cast<unsigned char>(value >> 8);
      p[2] = static_cast<unsigned char>(value >> 16);
    }
  }
}

unsigned char* TakeWorkArea(HANDLE heap, std::uint64_t bytes, bool zero) {
  if (bytes > platform::engine::BitmapSizeLimit()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* area = HeapAlloc(heap, zero ? HEAP_ZERO_MEMORY : 0, bytes == 0 ? 1 : bytes);
  return static_cast<unsigned char*>(area);
}

void ReleaseWorkArea(HANDLE heap, void* area) {
  if (area != nullptr) HeapFree(heap, 0, area);
}

bool CreateOwnedImage(HANDLE heap, ULONG format, LONG width, LONG height, OwnedImage& image) {
  image = {};
  unsigned bits = FormatBits(format);
  if (bits == 0 || width <= 0 || height <= 0) return false;
  std::uint64_t rowBytes = RowDataBytes(static_cast<std::uint64_t>(width), bits);
  if (rowBytes > 0x7FFFFFFF) return false;
  unsigned char* bits8 = TakeWorkArea(heap, rowBytes * static_cast<std::uint64_t>(height), true);
  if (bits8 == nullptr) return false;
  image.heap = heap;
  image.bits = bits8;
  image.view = {format, width, height, static_cast<LONG>(rowBytes), bits8};
  return true;
}

void FreeOwnedImage(OwnedImage& image) {
  ReleaseWorkArea(image.heap, image.bits);
  image = {};
}

}  // namespace render
