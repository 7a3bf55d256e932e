// Brushes and fill patterns: the engine's brush becomes the device's fill state,
// a solid fill ("FT"), a hatch ("FT3"/"FT4" with spacing and angle) or a
// downloaded 8 x 8 raster fill pattern ("RF1,8,8", "FT11,1;"), together with the
// pen that draws it.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

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
