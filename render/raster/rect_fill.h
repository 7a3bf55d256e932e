// Rectangle fills of bitmap operations without a source: the fill chosen from
// the brush and operation, then one relative rectangle per clip rectangle.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// Pops a pushed palette, selects the fill (FALSE when the brush gives none)
// and fills: the one clip rectangle, every rectangle of a complex clip ("PU;PA"
// to the first, "PR" from each to the next, "RR" for each, one ";" at the
// end), or without a clip the target with its right and bottom pulled in by
// one when the extent is more than one. Clip rectangles are cut to the target
// first, so that a fill never reaches past the rectangle it was asked for.
BOOL FillClipRectangles(DeviceContext& dc, CLIPOBJ* clip, const RECTL& target, BRUSHOBJ* brush,
                        POINTL* brushOrigin, DWORD operation);

// The brush pass around the source of 0xB8B8 (pattern where the source is
// black) and 0xE2E2 (where it is white): the pattern XORed onto the target
// area ("MC1,90" or "MC1,165") with pen 25 as the brush colour. Run before and
// after the source, which goes with 0x8888 or 0xEEEE, it leaves the pattern
// only where the source asks for it. Nothing for a black brush. Without a
// clip the target's bottom is pulled in by one when its height is more than
// one, its right edge when its width is more than 0.
BOOL SendBrushPass(DeviceContext& dc, CLIPOBJ* clip, const RECTL& target, BRUSHOBJ* brush,
                   DWORD operation);
// The operation the source goes with between two brush passes.
DWORD SourcePassOperation(DWORD operation);

}  // namespace render
