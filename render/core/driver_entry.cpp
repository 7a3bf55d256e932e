// The render library's exports: the query of its kind, the enable and disable of
// the driver with its function table, and the process-wide state they create.
#include "render/core/driver_entry.h"

#include "platform/platform.h"
#include "render/core/device_context.h"

namespace render {

namespace {

// clang-format off
const DRVFN kDriverFunctions[] = {
    {INDEX_DrvEnablePDEV,         reinterpret_cast<PFN>(&DrvEnablePDEV)},
    {INDEX_DrvResetPDEV,          reinterpret_cast<PFN>(&DrvResetPDEV)},
    {INDEX_DrvCompletePDEV,       reinterpret_cast<PFN>(&DrvCompletePDEV)},
    {INDEX_DrvDisablePDEV,        reinterpret_cast<PFN>(&DrvDisablePDEV)},
    {INDEX_DrvEnableSurface,      reinterpret_cast<PFN>(&DrvEnableSurface)},
    {INDEX_DrvDisableSurface,     reinterpret_cast<PFN>(&DrvDisableSurface)},
    {INDEX_DrvBitBlt,             reinterpret_cast<PFN>(&DrvBitBlt)},
    {INDEX_DrvStretchBlt,         reinterpret_cast<PFN>(&DrvStretchBlt)},
    {INDEX_DrvCopyBits,           reinterpret_cast<PFN>(&DrvCopyBits)},
    {INDEX_DrvTextOut,            reinterpret_cast<PFN>(&DrvTextOut)},
    {INDEX_DrvQueryFont,          reinterpret_cast<PFN>(&DrvQueryFont)},
    {INDEX_DrvQueryFontTree,      reinterpret_cast<PFN>(&DrvQueryFontTree)},
    {INDEX_DrvQueryFontData,      reinterpret_cast<PFN>(&DrvQueryFontData)},
    {INDEX_DrvStartBanding,       reinterpret_cast<PFN>(&DrvStartBanding)},
    {INDEX_DrvNextBand,           reinterpret_cast<PFN>(&DrvNextBand)},
    {INDEX_DrvSendPage,           reinterpret_cast<PFN>(&DrvSendPage)},
    {INDEX_DrvStrokePath,         reinterpret_cast<PFN>(&DrvStrokePath)},
    {INDEX_DrvFillPath,           reinterpret_cast<PFN>(&DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath,  reinterpret_cast<PFN>(&DrvStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush,       reinterpret_cast<PFN>(&DrvRealizeBrush)},
    {INDEX_DrvStartPage,          reinterpret_cast<PFN>(&DrvStartPage)},
    {INDEX_DrvStartDoc,           reinterpret_cast<PFN>(&DrvStartDoc)},
    {INDEX_DrvEscape,             reinterpret_cast<PFN>(&DrvEscape)},
    {INDEX_DrvDrawEscape,         reinterpret_cast<PFN>(&DrvDrawEscape)},
    {INDEX_DrvEndDoc,             reinterpret_cast<PFN>(&DrvEndDoc)},
    {INDEX_DrvGetGlyphMode,       reinterpret_cast<PFN>(&DrvGetGlyphMode)},
    {INDEX_DrvFontManagement,     reinterpret_cast<PFN>(&DrvFontManagement)},
    {INDEX_DrvQueryAdvanceWidths, reinterpret_cast<PFN>(&DrvQueryAdvanceWidths)},
    {INDEX_DrvDitherColor,        reinterpret_cast<PFN>(&DrvDitherColor)},
    {INDEX_DrvPaint,              reinterpret_cast<PFN>(&DrvPaint)},
};
// clang-format on
static_assert(std::size(kDriverFunctions) == kDriverFunctionCount);

constexpr ULONG kDriverVersion = 0x30000;

HMODULE moduleHandle = nullptr;

// The locks live from the first DrvEnableDriver to DrvDisableDriver; a later
// enable initialises them afresh.
CRITICAL_SECTION locks[4];
bool locksReady = false;

FD_GLYPHSET* sharedGlyphSet = nullptr;

}  // namespace

const DRVFN* DriverFunctionTable() { return kDriverFunctions; }

HMODULE LibraryModule() { return moduleHandle; }
void SetLibraryModule(HMODULE module) { moduleHandle = module; }

CRITICAL_SECTION& DescriptionLock() { return locks[0]; }
CRITICAL_SECTION& SharedRecordLock() { return locks[1]; }
CRITICAL_SECTION& GlyphSetLock() { return locks[2]; }
CRITICAL_SECTION& KeywordTableLock() { return locks[3]; }

FD_GLYPHSET* SharedGlyphSet() { return sharedGlyphSet; }

ULONG DrvDrawEscape(SURFOBJ*, ULONG, CLIPOBJ*, RECTL*, ULONG, PVOID) { return 0; }
ULONG DrvGetGlyphMode(DHPDEV, FONTOBJ*) { return FO_GLYPHBITS; }
ULONG DrvDitherColor(DHPDEV, ULONG, ULONG, ULONG*) { return DCR_HALFTONE; }

}  // namespace render

QX_EXPORT BOOL WINAPI DrvQueryDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
  if (mode != DRVQUERY_USERMODE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (needed) *needed = 4;
  if (buffer == nullptr || size < 4) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  *static_cast<DWORD*>(buffer) = TRUE;
  return TRUE;
}

QX_EXPORT BOOL WINAPI DrvEnableDriver(ULONG engineVersion, ULONG size, DRVENABLEDATA* data) {
  using namespace render;
  if (engineVersion < kDriverVersion || size < sizeof(DRVENABLEDATA) || data == nullptr) {
    SetLastError(ERROR_BAD_DRIVER_LEVEL);
    return FALSE;
  }
  data->iDriverVersion = kDriverVersion;
  data->c = kDriverFunctionCount;
  data->pdrvfn = const_cast<DRVFN*>(DriverFunctionTable());
  if (!locksReady) {
    for (CRITICAL_SECTION& lock : locks) InitializeCriticalSection(&lock);
    locksReady = true;
  }
  if (sharedGlyphSet == nullptr) sharedGlyphSet = EngComputeGlyphSet(0, 0, 256);
  return sharedGlyphSet != nullptr;
}

QX_EXPORT void WINAPI DrvDisableDriver() {
  using namespace render;
  if (!locksReady) return;
  EnterCriticalSection(&GlyphSetLock());
  if (sharedGlyphSet) EngFreeMem(sharedGlyphSet);
  sharedGlyphSet = nullptr;
  LeaveCriticalSection(&GlyphSetLock());
  // Printer-description, shared-record, glyph-set and keyword-table lock, in that order.
  for (CRITICAL_SECTION& lock : locks) DeleteCriticalSection(&lock);
  locksReady = false;
}
