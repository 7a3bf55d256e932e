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

}  // namespace render
