// The ordered dither that turns colours into one-bit ink patterns in
// monochrome mode, anchored to the page so that neighbouring images and strips
// continue one pattern.
#pragma once

#include <cstdint>

#include "render/raster/raster_image.h"

namespace render {

struct DeviceContext;

// Thresholds indexed [x mod 8][y mod 8], x and y in page pixels.
extern const unsigned char kDitherMatrix[8][8];

enum class InkPolarity { kOneIsInk, kZeroIsInk };

// Whether a colour (0x00BBGGRR, already adjusted) is ink at page pixel (x, y):
// g = (74 R + 155 G + 27 B) / 256; 255 is white, 0 ink, else ink when g is below
// the matrix entry.
bool DitherInk(std::uint32_t colour, std::int64_t x, std::int64_t y);

// A one-bit bitmap the dither writes: the top row and the step between rows.
struct OneBitTarget {
  unsigned char* bits = nullptr;
  LONG rowStep = 0;
};

// Dithers the pixels of `rect` (cut to the 24-bit source) into the target:
// target pixel (i, j) is source pixel (rect.left + i, rect.top + j), ink by
// DitherInk of its monochrome-adjusted colour at (i + xOrigin, j + yOrigin).
// The target's bytes under the rectangle's rows start all 0 (one is ink) or
// all 0xFF (zero is ink).
void DitherToOneBit(const DeviceContext& dc, const ImageView& source, OneBitTarget target,
                    const RECTL& rect, LONG xOrigin, LONG yOrigin, InkPolarity polarity);

}  // namespace render
