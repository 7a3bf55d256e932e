// The engine's callbacks a printer graphics driver calls: surfaces and bitmaps,
// palettes, the glyph set, memory, resources, time and text conversion, and the
// engine's own drawing into bitmaps (what a driver hands back to the engine, and
// what the engine draws for calls the surface does not hook).
#pragma once

#include <cstddef>

#include "platform/base/devmode.h"
#include "platform/engine/engine_objects.h"

// ---------------------------------------------------------------------------
// Surfaces.

// A bitmap of sizl pixels in format iFormat (BMF_1BPP ... BMF_32BPP). Each scan
// line takes lWidth bytes when that is at least the row's size, else the row's
// size rounded up to 4 bytes. With pvBits the caller's memory is used (rows of
// lWidth bytes); otherwise the engine allocates the bits, zeroed unless
// BMF_NOZEROINIT. BMF_TOPDOWN puts the first scan line at the lowest address.
// Sizes are computed in 64 bits; a size above the engine's bitmap ceiling
// (platform::engine::SetBitmapSizeLimit), an empty or negative size or an
// unknown format gives null with ERROR_NOT_ENOUGH_MEMORY or ERROR_INVALID_PARAMETER.
QXAPI HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
// A device-managed surface: no bits; every drawing call must be hooked.
QXAPI HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
// Ties a surface to a device and records the drawing calls it hooks (HOOK_*).
QXAPI BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
// Marks the surface as a band of the page: the engine then drives the banding
// loop (DrvStartBanding, DrvNextBand) at every page end.
QXAPI BOOL EngMarkBandingSurface(HSURF hsurf);
// The surface's object, until EngUnlockSurface.
QXAPI SURFOBJ* EngLockSurface(HSURF hsurf);
QXAPI void EngUnlockSurface(SURFOBJ* pso);
// Deletes a surface (and the bits the engine allocated); a locked surface goes
// when it is unlocked.
QXAPI BOOL EngDeleteSurface(HSURF hsurf);
// Fills the rectangle of a bitmap with a colour index.
QXAPI BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);

// ---------------------------------------------------------------------------
// Palettes.

// PAL_INDEXED: cColors entries of pulColors (0x00BBGGRR); PAL_RGB, PAL_BGR: no
// entries; PAL_BITFIELDS: the three masks.
QXAPI HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                FLONG flGreen, FLONG flBlue);
QXAPI BOOL EngDeletePalette(HPALETTE hpal);

// ---------------------------------------------------------------------------
// Fonts.

// A glyph set of one run of cChars characters from nFirstChar, with the glyph
// handles nFirstChar ... nFirstChar + cChars - 1. One block of engine memory:
// the caller frees it with EngFreeMem. Null when it cannot be made.
QXAPI FD_GLYPHSET* EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars);

// ---------------------------------------------------------------------------
// Memory.

constexpr ULONG FL_ZERO_MEMORY = 0x00000001;
constexpr ULONG FL_NONPAGED_MEMORY = 0x00000002;
QXAPI PVOID EngAllocMem(ULONG Flags, ULONG cjMemSize, ULONG ulTag);
QXAPI void EngFreeMem(PVOID pv);
QXAPI PVOID EngAllocUserMem(SIZE_T cj, ULONG tag);
QXAPI void EngFreeUserMem(PVOID pv);

// ---------------------------------------------------------------------------
// The driver's environment.

// The full path of the device's render library and of its data file (the printer
// description), valid while the device lives; null for an unknown device.
QXAPI LPWSTR EngGetDriverName(HDEV hdev);
QXAPI LPWSTR EngGetPrinterDataFileName(HDEV hdev);
// The local time (GetLocalTime).
QXAPI void EngQueryLocalTime(PENG_TIME_FIELDS ptf);
// Converts BytesInWideCharString bytes of UTF-16 into the code page; returns the
// bytes written, -1 on failure. No terminator is added unless it is converted.
QXAPI INT EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                 LPSTR MultiByteString, INT BytesInMultiByteString);
QXAPI INT EngMultiByteToWideChar(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                 LPSTR MultiByteString, INT BytesInMultiByteString);
// A resource of a module (h is its module handle): its bytes and size, or null.
QXAPI PVOID EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize);

// ---------------------------------------------------------------------------
// The engine's drawing into bitmaps (STYPE_BITMAP surfaces). Each returns FALSE
// for a surface without bits.

// A four-operand raster operation: rop4's low byte where the mask is 1 (or with
// no mask), its high byte where it is 0; each a ternary operation of the brush
// pattern, the source and the target.
QXAPI BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                     XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                     BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
QXAPI BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                       RECTL* prclDest, POINTL* pptlSrc);
// Scales the source rectangle onto the target rectangle; a rectangle with right
// below left (bottom above top) mirrors. HALFTONE onto a 1-bit target dithers.
QXAPI BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                         RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
QXAPI BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                      RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                      MIX mix);
QXAPI BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                         POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
QXAPI BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                       POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
QXAPI BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
QXAPI BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);

namespace platform::engine {

// The largest bitmap (bytes of bits) EngCreateBitmap makes; larger requests are
// refused so that drivers fall back to bands. Default 512 MiB; also read from
// $QX_BITMAP_LIMIT (bytes) when the platform starts.
void SetBitmapSizeLimit(ULONGLONG bytes);
ULONGLONG BitmapSizeLimit();

}  // namespace platform::engine

namespace platform::engine::test {
// From now on EngComputeGlyphSet fails (true) or works again (false).
void FailGlyphSet(bool fail);
// Engine objects alive in the process (surfaces, palettes, engine memory blocks),
// for leak tests.
std::size_t LiveSurfaceCount();
std::size_t LivePaletteCount();
std::size_t LiveEngineBlockCount();
}  // namespace platform::engine::test
