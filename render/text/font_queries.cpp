// The font query entries: the metrics, glyph tree, glyph data and advance widths
// of a device font. The engine may ask only about the fonts numbered 1 to the
// announced count; with none announced, every call fails with
// ERROR_INVALID_PARAMETER and leaves the caller's buffers untouched.
#include "render/text/font_queries.h"

#include "platform/platform.h"
#include "render/core/device_context.h"
#include "render/core/driver_entry.h"

namespace render {

// Announcing a font means answering for it here: its record's metrics block, the
// shared glyph set, its glyph data and its widths.
static_assert(kAnnouncedDeviceFonts == 0, "announced device fonts need their queries answered");

namespace {

// Checks a query as the engine's contract asks: a valid device context, and a
// device font numbered 1 to the announced count (engine fonts carry number 0).
// No font is announced, so every query ends here with last error 87.
void RefuseFontQuery(DHPDEV dhpdev, ULONG face) {
  if (ValidDeviceContext(dhpdev) == nullptr) return;  // 87 already set
  if (face == 0 || face > kAnnouncedDeviceFonts) SetLastError(ERROR_INVALID_PARAMETER);
}

// A realised font object names its device font; none names no font.
ULONG FaceOf(const FONTOBJ* pfo) { return pfo != nullptr ? pfo->iFace : 0; }

}  // namespace

PIFIMETRICS DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG face, ULONG_PTR*) {
  RefuseFontQuery(dhpdev, face);
  return nullptr;
}

PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG face, ULONG, ULONG_PTR*) {
  RefuseFontQuery(dhpdev, face);
  return nullptr;
}

LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  RefuseFontQuery(dhpdev, FaceOf(pfo));
  return -1;
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG, HGLYPH*, PVOID, ULONG) {
  RefuseFontQuery(dhpdev, FaceOf(pfo));
  return FALSE;
}

}  // namespace render
