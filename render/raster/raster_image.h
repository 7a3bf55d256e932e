// An image as the raster encoders read it (the engine's layout: rows a signed
// step apart from the top row), where it goes on the page, and the work areas
// the encoders take for one image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

struct ImageView {
  ULONG format = BMF_1BPP;  // BMF_1BPP, BMF_4BPP, BMF_8BPP or BMF_24BPP
  LONG width = 0;
  LONG height = 0;
  LONG rowStep = 0;                    // bytes from one row to the next; negative: bottom-up
  const unsigned char* top = nullptr;  // the top row (the engine's pvScan0)

  // Row r counted from the top: for a bottom-up bitmap the rows run from the
  // last in memory to the first.
  const unsigned char* Row(LONG r) const { return top + static_cast<std::ptrdiff_t>(r) * rowStep; }
  bool Empty() const { return width <= 0 || height <= 0 || top == nullptr; }
};

// The view of an engine bitmap.
ImageView ImageOf(const SURFOBJ& surface);

// Where an image goes: its top-left corner in page pixels and its size on the
// page; `scaled` asks the printer to scale it to that size ("3A").
struct ImagePlacement {
  LONG x = 0;
  LONG y = 0;
  LONG destWidth = 0;
  LONG destHeight = 0;
  bool scaled = false;
};

// The pixel at column x of a row, as an index (1, 4, 8 bits; the leftmost pixel
// in the high bits) or as 0x00BBGGRR (24 bits, red first in memory).
std::uint32_t PixelAt(const unsigned char* row, unsigned bits, std::uint64_t x);
// Stores a pixel into a row whose bits were zero where it goes.
void OrPixel(unsigned char* row, unsigned bits, std::uint64_t x, std::uint32_t value);

// A work area from the device context's heap, for one image: null when the
// heap refuses it or when it exceeds the engine's bitmap ceiling (so that a
// product of a huge width and height fails here instead of in the allocator).
unsigned char* TakeWorkArea(HANDLE heap, std::uint64_t bytes, bool zero);
void ReleaseWorkArea(HANDLE heap, void* area);

// An image of its own bits, top-down with rows `rowBytes` apart and no fill,
// as rotation and reduction build them.
struct OwnedImage {
  HANDLE heap = nullptr;
  unsigned char* bits = nullptr;
  ImageView view;
};
[[nodiscard]] bool CreateOwnedImage(HANDLE heap, ULONG format, LONG width, LONG height,
                                    OwnedImage& image);
void FreeOwnedImage(OwnedImage& image);

}  // namespace render
