// Large copies and stretches cut into strips, so that no temporary bitmap of
// one operation grows without bound: 24-bit copies above 1 MB, blits above
// 0x100000 target pixels, monochrome stretches above 3,500,000 target pixels
// (in budgets of 4 to 10 MB), and the dither of monochrome copies.
//
// Every size here is computed in 64 bits, every divisor is at least 1, and an
// empty target or source rectangle succeeds without output before any size is
// computed.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"
#include "render/raster/dither.h"
#include "render/raster/raster_frame.h"

namespace render {

struct DeviceContext;

constexpr std::uint64_t kStripBytes = 0x100000;
// The smaller strips of a complex clip on a landscape page.
constexpr std::uint64_t kLandscapeClipStripBytes = 524280;
constexpr std::uint64_t kStretchStripPixels = 3500000;

// The rectangle with left <= right and top <= bottom.
RECTL OrderedRect(const RECTL& r);
bool EmptyRect(const RECTL& r);

// Rows per strip of 24-bit data: max(1, budget / (width x 3)).
LONG StripRows(LONG width, std::uint64_t budget);
// The strip count of a monochrome stretch: the first n = (width x height x 3) /
// (budget x 2^20) + 1, budgets 4 to 10 MB in turn, that leaves the source
// height / n at least 1; 0 when none does (the engine then stretches it whole).
int StretchStripCount(LONG targetWidth, LONG targetHeight, LONG sourceHeight);
// A stretch band's target height: the source band's height times the scale
// in hundredths (target height x 100 / source height, plus 1 when the next
// decimal is 5 or more), divided by 100.
LONG TargetBandHeight(LONG sourceBand, LONG targetHeight, LONG sourceHeight);

// Sends one strip: its temporary bitmap and the part of the target it covers.
using StripSender = BOOL (*)(void* context, SURFOBJ& strip, const RECTL& target);

// A 24-bit-sized copy in strips of StripRows(width, budget) rows: each strip
// is copied by EngCopyBits (with `xlate`) into a temporary bitmap of the
// source's format and handed to `send`. FALSE when a temporary bitmap cannot
// be made or a strip fails; the strips sent before stay on the page.
BOOL CopyBitsInStrips(SURFOBJ* source, XLATEOBJ* xlate, const RECTL& target, POINTL sourcePoint,
                      std::uint64_t budget, StripSender send, void* context);

// EngBitBlt in strips of StripRows(width, 0x100000) rows of the target, each
// with the source (and mask) row moved down by the strip's offset, taken
// modulo the source height; `beforeStrip` (may be null) restores the recorded
// merge control first.
struct BlitCall {
  SURFOBJ* target = nullptr;
  SURFOBJ* source = nullptr;
  SURFOBJ* mask = nullptr;
  CLIPOBJ* clip = nullptr;
  XLATEOBJ* xlate = nullptr;
  RECTL rect{};
  POINTL sourcePoint{};
  POINTL maskPoint{};
  BRUSHOBJ* brush = nullptr;
  POINTL* brushOrigin = nullptr;
  ROP4 rop4 = 0xCCCC;
};
BOOL BitBltInStrips(const BlitCall& call, void (*beforeStrip)(void*), void* context);

// A monochrome stretch in `count` bands (StretchStripCount): each source band
// is stretched by EngStretchBlt (halftone) into a 24-bit temporary bitmap of
// its target band, dithered to one bit with `polarity` and sent as a
// monochrome one-bit image at the band's place. The last band takes the rest
// of the source and of the target, so the bands cover the target exactly.
struct StretchCall {
  SURFOBJ* source = nullptr;
  XLATEOBJ* xlate = nullptr;
  COLORADJUSTMENT* adjustment = nullptr;
  RECTL target{};
  RECTL sourceRect{};
};
BOOL StretchInStrips(DeviceContext& dc, RasterState& state, const StretchCall& call, int count,
                     InkPolarity polarity);

// The one-bit result of a monochrome copy: the source area of `width` x
// `height` pixels at `sourcePoint` copied to 24 bits (with `xlate`) and
// dithered into `target`, in one piece when that copy stays below 0x100000
// bytes, else in strips of StripRows(width, 0x100000) rows. The dither is
// anchored at (xOrigin, yOrigin) for the area's top-left pixel.
BOOL DitherCopyToOneBit(DeviceContext& dc, SURFOBJ* source, XLATEOBJ* xlate, POINTL sourcePoint,
                        LONG width, LONG height, OneBitTarget target, LONG xOrigin, LONG yOrigin,
                        InkPolarity polarity);

}  // namespace render
