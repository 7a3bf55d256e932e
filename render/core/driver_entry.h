// The render library's entry points the engine calls through the driver
// function table. Each Part's entries are declared here and defined in the unit
// that implements them.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

// Device context and surface.
DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR logAddress, ULONG cPat, HSURF* patterns, ULONG cjCaps,
                     ULONG* caps, ULONG cjDevInfo, DEVINFO* devInfo, HDEV hdev, LPWSTR deviceName,
                     HANDLE printer);
BOOL DrvResetPDEV(DHPDEV oldPdev, DHPDEV newPdev);
void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);
void DrvDisablePDEV(DHPDEV dhpdev);
HSURF DrvEnableSurface(DHPDEV dhpdev);
void DrvDisableSurface(DHPDEV dhpdev);
BOOL DrvStartBanding(SURFOBJ* pso, POINTL* origin);
BOOL DrvNextBand(SURFOBJ* pso, POINTL* origin);

// Documents and pages.
BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR docName, DWORD jobId);
BOOL DrvStartPage(SURFOBJ* pso);
BOOL DrvSendPage(SURFOBJ* pso);
BOOL DrvEndDoc(SURFOBJ* pso, FLONG fl);
ULONG DrvEscape(SURFOBJ* pso, ULONG escape, ULONG cjIn, PVOID in, ULONG cjOut, PVOID out);

// Drawing.
BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* brushOrigin, LINEATTRS* line, MIX mix);
BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* brushOrigin,
                 MIX mix, FLONG options);
BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* stroke,
                          LINEATTRS* line, BRUSHOBJ* fill, POINTL* brushOrigin, MIX mix,
                          FLONG options);
BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* brushOrigin, MIX mix);
BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ* mask,
                     XLATEOBJ* pxlo, ULONG hatch);
BOOL DrvBitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* targetRect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* pbo,
               POINTL* brushOrigin, ROP4 rop4);
BOOL DrvStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* halftoneOrigin, RECTL* targetRect,
                   RECTL* sourceRect, POINTL* maskPoint, ULONG mode);
BOOL DrvCopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* targetRect,
                 POINTL* sourcePoint);

// Text and fonts.
BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* extra,
                RECTL* opaque, BRUSHOBJ* fore, BRUSHOBJ* opaqueBrush, POINTL* origin, MIX mix);
PIFIMETRICS DrvQueryFont(DHPDEV dhpdev, ULONG_PTR file, ULONG face, ULONG_PTR* id);
PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR file, ULONG face, ULONG mode, ULONG_PTR* id);
LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG mode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                      ULONG cjSize);
ULONG DrvFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG mode, ULONG cjIn, PVOID in, ULONG cjOut,
                        PVOID out);
BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG mode, HGLYPH* glyphs, PVOID widths,
                           ULONG count);

// The entries that always answer the same.
ULONG DrvDrawEscape(SURFOBJ* pso, ULONG escape, CLIPOBJ* pco, RECTL* rect, ULONG cjIn, PVOID in);
ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo);
ULONG DrvDitherColor(DHPDEV dhpdev, ULONG mode, ULONG rgb, ULONG* dither);

// The driver function table: 30 pairs of engine index and entry.
constexpr ULONG kDriverFunctionCount = 30;
const DRVFN* DriverFunctionTable();

}  // namespace render

// The library's exports, found by name.
QX_EXPORT BOOL WINAPI DrvQueryDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed);
QX_EXPORT BOOL WINAPI DrvEnableDriver(ULONG engineVersion, ULONG size, DRVENABLEDATA* data);
QX_EXPORT void WINAPI DrvDisableDriver();
