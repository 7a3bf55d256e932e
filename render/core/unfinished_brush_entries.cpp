// Entries of the driver function table for realising brushes whose output is not
// written yet: they answer as a failing call does, so the engine never believes
// a page was drawn.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/unfinished_entry.h"

namespace render {

BOOL DrvRealizeBrush(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) { return NotYet(); }

}  // namespace render
