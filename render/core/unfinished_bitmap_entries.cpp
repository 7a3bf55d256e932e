// Entries of the driver function table for bitmap transfers whose output is not
// written yet: they answer as a failing call does, so the engine never believes
// a page was drawn.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/unfinished_entry.h"

namespace render {

BOOL DrvBitBlt(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*,
               BRUSHOBJ*, POINTL*, ROP4) {
  return NotYet();
}
BOOL DrvStretchBlt(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                   RECTL*, RECTL*, POINTL*, ULONG) {
  return NotYet();
}
BOOL DrvCopyBits(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*) { return NotYet(); }

}  // namespace render
