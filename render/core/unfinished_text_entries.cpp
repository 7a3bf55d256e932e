// Entries of the driver function table for text output and font management whose
// output is not written yet: they answer as a failing call does, so the engine
// never believes a page was drawn.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/unfinished_entry.h"

namespace render {

BOOL DrvTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                POINTL*, MIX) {
  return NotYet();
}
ULONG DrvFontManagement(SURFOBJ*, FONTOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID) { return 0; }

}  // namespace render
