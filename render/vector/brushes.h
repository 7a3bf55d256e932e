// Brushes and fill patterns: the engine's brush becomes the device's fill state,
// a solid fill ("FT"), a hatch ("FT3"/"FT4" with spacing and angle) or a
// downloaded 8 x 8 raster fill pattern ("RF1,8,8", "FT11,1;"), together with the
// pen that draws it.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// The driver's realisation of an engine brush, in memory the engine allocates
// (BRUSHOBJ_pvAllocRbrush) and frees with the brush: this 32-byte head, the
// pattern's scan lines (each padded to 4 bytes; none for a hatch), then the
// colour table of the brush's translation (device RGB 0x00BBGGRR).
struct RealizedBrush {
  std::int32_t width;          // pattern width in pixels (patterns only)
  std::int32_t height;         // pattern height in pixels
  std::int32_t format;         // BMF_* of the stored bits
  std::int32_t flags;          // the pattern's bitmap flags; BMF_TOPDOWN
  std::uint32_t colourCount;   // entries of the colour table
  std::uint32_t colourOffset;  // byte offset of the colour table from the head
  std::uint32_t style;         // hatch index 0 to 5; above the hatches a pattern
  std::uint32_t reserved;
};
static_assert(sizeof(RealizedBrush) == 32);

// The first pattern style (hatch indices 0 to 5, 6 a solid fill).
constexpr std::uint32_t kFirstPatternStyle = 7;

// The stored scan lines of a realisation, and entry i of its colour table:
// entry 1 falls back to entry 0 and entry 0 to black when the table is shorter.
const unsigned char* RealizedBits(const RealizedBrush& brush);
std::uint32_t RealizedColourEntry(const RealizedBrush& brush, std::uint32_t i);

// Sets the fill state for `brush` and writes "FP1;" (winding, fill option 0x2)
// or "FP0;" for the polygon buffer. FALSE when the brush cannot be used (it
// cannot be realised, its pattern is smaller than 8 x 8 or has more than two
// colours, an engine bitmap cannot be made).
BOOL FillPolygonWithBrush(DeviceContext& dc, FLONG fillOptions, BRUSHOBJ* brush,
                          POINTL* brushOrigin, DWORD rop);

// The same without the fill command, for painting clip rectangles.
BOOL SetPaintBrush(DeviceContext& dc, BRUSHOBJ* brush, POINTL* brushOrigin, DWORD rop);

// The same for the raster fills of bitmap operations: solid and hatch colours
// define and select pen 25.
BOOL SetRasterFillBrush(DeviceContext& dc, BRUSHOBJ* brush, POINTL* brushOrigin, DWORD rop);

// The colour of a brush without a solid colour: entry 1 of the realised brush's
// colour table, entry 0 when it has only one, black when it has none. FALSE
// when the engine cannot realise the brush.
BOOL RealizedBrushColour(BRUSHOBJ* brush, ULONG* colour);

}  // namespace render
