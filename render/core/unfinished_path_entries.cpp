// Entries of the driver function table for stroking, filling and painting paths whose output is not
// written yet: they answer as a failing call does, so the engine never believes
// a page was drawn.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/unfinished_entry.h"

namespace render {

BOOL DrvStrokePath(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*, MIX) {
  return NotYet();
}
BOOL DrvFillPath(SURFOBJ*, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG) { return NotYet(); }
BOOL DrvStrokeAndFillPath(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, LINEATTRS*, BRUSHOBJ*,
                          POINTL*, MIX, FLONG) {
  return NotYet();
}
BOOL DrvPaint(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX) { return NotYet(); }

}  // namespace render
