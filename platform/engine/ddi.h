// The driver interface of the graphics engine: the function table a printer
// graphics driver hands the engine (DRVENABLEDATA of {index, entry} pairs), the
// indices, the types of the entry points with their parameters, and the three
// exports the engine looks up by name. With it come the engine's records,
// objects and callbacks.
#pragma once

#include "platform/base/devmode.h"
#include "platform/engine/callbacks.h"
#include "platform/engine/engine_objects.h"
#include "platform/engine/gdi_records.h"

struct DRVFN {
  ULONG iFunc;
  PFN pfn;
};

struct DRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;  // entries of pdrvfn
  DRVFN* pdrvfn;
};
static_assert(sizeof(DRVENABLEDATA) == 16);

// Engine and driver versions.
constexpr ULONG DDI_DRIVER_VERSION_NT4 = 0x00020000;
constexpr ULONG DDI_DRIVER_VERSION_SP3 = 0x00020003;
constexpr ULONG DDI_DRIVER_VERSION_NT5 = 0x00030000;
constexpr ULONG DDI_DRIVER_VERSION_NT5_01 = 0x00030100;
// The engine version this engine passes to DrvEnableDriver.
constexpr ULONG ENGINE_VERSION = DDI_DRIVER_VERSION_NT5;

// DrvQueryDriverInfo modes.
constexpr DWORD DRVQUERY_USERMODE = 1;

// Indices of the driver function table. Gaps are indices of no entry point.
constexpr ULONG INDEX_DrvEnablePDEV = 0;
constexpr ULONG INDEX_DrvCompletePDEV = 1;
constexpr ULONG INDEX_DrvDisablePDEV = 2;
constexpr ULONG INDEX_DrvEnableSurface = 3;
constexpr ULONG INDEX_DrvDisableSurface = 4;
constexpr ULONG INDEX_DrvAssertMode = 5;
constexpr ULONG INDEX_DrvOffset = 6;
constexpr ULONG INDEX_DrvResetPDEV = 7;
constexpr ULONG INDEX_DrvDisableDriver = 8;
constexpr ULONG INDEX_DrvCreateDeviceBitmap = 10;
constexpr ULONG INDEX_DrvDeleteDeviceBitmap = 11;
constexpr ULONG INDEX_DrvRealizeBrush = 12;
constexpr ULONG INDEX_DrvDitherColor = 13;
constexpr ULONG INDEX_DrvStrokePath = 14;
constexpr ULONG INDEX_DrvFillPath = 15;
constexpr ULONG INDEX_DrvStrokeAndFillPath = 16;
constexpr ULONG INDEX_DrvPaint = 17;
constexpr ULONG INDEX_DrvBitBlt = 18;
constexpr ULONG INDEX_DrvCopyBits = 19;
constexpr ULONG INDEX_DrvStretchBlt = 20;
constexpr ULONG INDEX_DrvSetPalette = 22;
constexpr ULONG INDEX_DrvTextOut = 23;
constexpr ULONG INDEX_DrvEscape = 24;
constexpr ULONG INDEX_DrvDrawEscape = 25;
constexpr ULONG INDEX_DrvQueryFont = 26;
constexpr ULONG INDEX_DrvQueryFontTree = 27;
constexpr ULONG INDEX_DrvQueryFontData = 28;
constexpr ULONG INDEX_DrvSetPointerShape = 29;
constexpr ULONG INDEX_DrvMovePointer = 30;
constexpr ULONG INDEX_DrvLineTo = 31;
constexpr ULONG INDEX_DrvSendPage = 32;
constexpr ULONG INDEX_DrvStartPage = 33;
constexpr ULONG INDEX_DrvEndDoc = 34;
constexpr ULONG INDEX_DrvStartDoc = 35;
constexpr ULONG INDEX_DrvGetGlyphMode = 37;
constexpr ULONG INDEX_DrvSynchronize = 38;
constexpr ULONG INDEX_DrvSaveScreenBits = 40;
constexpr ULONG INDEX_DrvGetModes = 41;
constexpr ULONG INDEX_DrvFree = 42;
constexpr ULONG INDEX_DrvDestroyFont = 43;
constexpr ULONG INDEX_DrvQueryFontCaps = 44;
constexpr ULONG INDEX_DrvLoadFontFile = 45;
constexpr ULONG INDEX_DrvUnloadFontFile = 46;
constexpr ULONG INDEX_DrvFontManagement = 47;
constexpr ULONG INDEX_DrvQueryTrueTypeTable = 48;
constexpr ULONG INDEX_DrvQueryTrueTypeOutline = 49;
constexpr ULONG INDEX_DrvGetTrueTypeFile = 50;
constexpr ULONG INDEX_DrvQueryFontFile = 51;
constexpr ULONG INDEX_DrvMovePanning = 52;
constexpr ULONG INDEX_DrvQueryAdvanceWidths = 53;
constexpr ULONG INDEX_DrvSetPixelFormat = 54;
constexpr ULONG INDEX_DrvDescribePixelFormat = 55;
constexpr ULONG INDEX_DrvSwapBuffers = 56;
constexpr ULONG INDEX_DrvStartBanding = 57;
constexpr ULONG INDEX_DrvNextBand = 58;
constexpr ULONG INDEX_DrvGetDirectDrawInfo = 59;
constexpr ULONG INDEX_DrvEnableDirectDraw = 60;
constexpr ULONG INDEX_DrvDisableDirectDraw = 61;
constexpr ULONG INDEX_DrvQuerySpoolType = 62;
constexpr ULONG INDEX_DrvIcmCreateColorTransform = 64;
constexpr ULONG INDEX_DrvIcmDeleteColorTransform = 65;
constexpr ULONG INDEX_DrvIcmCheckBitmapBits = 66;
constexpr ULONG INDEX_DrvIcmSetDeviceGammaRamp = 67;
constexpr ULONG INDEX_DrvGradientFill = 68;
constexpr ULONG INDEX_DrvStretchBltROP = 69;
constexpr ULONG INDEX_DrvPlgBlt = 70;
constexpr ULONG INDEX_DrvAlphaBlend = 71;
constexpr ULONG INDEX_DrvSynthesizeFont = 72;
constexpr ULONG INDEX_DrvGetSynthesizedFontFiles = 73;
constexpr ULONG INDEX_DrvTransparentBlt = 74;
constexpr ULONG INDEX_DrvQueryPerBandInfo = 75;
constexpr ULONG INDEX_DrvQueryDeviceSupport = 76;
// One past the highest index the engine looks up.
constexpr ULONG INDEX_LAST = 89;

// The entry points of the driver function table.
using PFN_DrvEnablePDEV = DHPDEV (*)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat,
                                     HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                                     ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                     LPWSTR pwszDeviceName, HANDLE hDriver);
using PFN_DrvResetPDEV = BOOL (*)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
using PFN_DrvCompletePDEV = void (*)(DHPDEV dhpdev, HDEV hdev);
using PFN_DrvDisablePDEV = void (*)(DHPDEV dhpdev);
using PFN_DrvEnableSurface = HSURF (*)(DHPDEV dhpdev);
using PFN_DrvDisableSurface = void (*)(DHPDEV dhpdev);
using PFN_DrvBitBlt = BOOL (*)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                               XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                               BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
using PFN_DrvStretchBlt = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask,
                                   CLIPOBJ* pco, XLATEOBJ* pxlo, COLORADJUSTMENT* pca,
                                   POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                   POINTL* pptlMask, ULONG iMode);
using PFN_DrvCopyBits = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 RECTL* prclDest, POINTL* pptlSrc);
using PFN_DrvTextOut = BOOL (*)(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                                RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
using PFN_DrvQueryFont = PIFIMETRICS (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace,
                                         ULONG_PTR* pid);
using PFN_DrvQueryFontTree = PVOID (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode,
                                       ULONG_PTR* pid);
using PFN_DrvQueryFontData = LONG (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg,
                                      GLYPHDATA* pgd, PVOID pv, ULONG cjSize);
using PFN_DrvStartBanding = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvNextBand = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvSendPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvStrokePath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                   BRUSHOBJ* pbo, POINTL* pptlBrushOrg, LINEATTRS* plineattrs,
                                   MIX mix);
using PFN_DrvFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                                 POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
using PFN_DrvStrokeAndFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs,
                                          BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                          FLONG flOptions);
using PFN_DrvRealizeBrush = BOOL (*)(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern,
                                     SURFOBJ* psoMask, XLATEOBJ* pxlo, ULONG iHatch);
using PFN_DrvStartPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvStartDoc = BOOL (*)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
using PFN_DrvEscape = ULONG (*)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                                PVOID pvOut);
using PFN_DrvDrawEscape = ULONG (*)(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn,
                                    PVOID pvIn);
using PFN_DrvEndDoc = BOOL (*)(SURFOBJ* pso, FLONG fl);
using PFN_DrvGetGlyphMode = ULONG (*)(DHPDEV dhpdev, FONTOBJ* pfo);
using PFN_DrvFontManagement = ULONG (*)(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn,
                                        PVOID pvIn, ULONG cjOut, PVOID pvOut);
using PFN_DrvQueryAdvanceWidths = BOOL (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg,
                                           PVOID pvWidths, ULONG cGlyphs);
using PFN_DrvDitherColor = ULONG (*)(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
using PFN_DrvPaint = BOOL (*)(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                              MIX mix);

// The exports the engine finds by name ("DrvEnableDriver", "DrvDisableDriver",
// "DrvQueryDriverInfo").
using PFN_DrvEnableDriver = BOOL (*)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
using PFN_DrvDisableDriver = void (*)();
using PFN_DrvQueryDriverInfo = BOOL (*)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
