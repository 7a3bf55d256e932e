// Entries of the driver function table for text and font queries whose output is not
// written yet: they answer as a failing call does, so the engine never believes
// a page was drawn.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/unfinished_entry.h"

namespace render {

BOOL DrvTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                POINTL*, MIX) {
  return NotYet();
}
PIFIMETRICS DrvQueryFont(DHPDEV, ULONG_PTR, ULONG, ULONG_PTR*) {
  NotYet();
  return nullptr;
}
PVOID DrvQueryFontTree(DHPDEV, ULONG_PTR, ULONG, ULONG, ULONG_PTR*) {
  NotYet();
  return nullptr;
}
LONG DrvQueryFontData(DHPDEV, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  NotYet();
  return -1;
}
ULONG DrvFontManagement(SURFOBJ*, FONTOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID) { return 0; }
BOOL DrvQueryAdvanceWidths(DHPDEV, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG) { return NotYet(); }

}  // namespace render
