// Records the graphics engine and a printer graphics driver exchange when a device
// is enabled: the handles, the device capability record (GDIINFO), the device
// information record (DEVINFO) with its default fonts, and the constants of their
// members. The members are the platform's, in its documented order; the driver
// fills them and the engine (and `qx print --caps`) reads them by name.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// Engine handles. Each is a distinct type, so that a surface handle is never
// passed where a device handle is wanted without a cast, as the platform's strict
// declarations have it.
using DHPDEV = struct DHPDEV__*;  // the driver's device context
using DHSURF = struct DHSURF__*;  // the driver's record of a device-managed surface
using HSURF = struct HSURF__*;    // an engine surface (bitmap or device surface)
using HDEV = struct HDEV__*;      // the engine's device
using HPALETTE = struct HPALETTE__*;
using HFONT = struct HFONT__*;

using FLOAT = float;
using FLOATL = float;  // user-mode drivers see engine floats as plain floats
using HGLYPH = ULONG;
using ROP4 = ULONG;
using MIX = ULONG;
using FWORD = SHORT;
using PULONG = ULONG*;
using PTRDIFF = LONG;  // offsets inside the font metrics block
// An entry point of the driver function table; the engine casts it to the entry's
// own type (the PFN_Drv* types of ddi.h) by the table's index. A function type
// without parameters and result converts to and from every other one without a
// cast warning.
using PFN = void (*)();

union LARGE_INTEGER {
  __extension__ struct {
    DWORD LowPart;
    LONG HighPart;
  };
  LONGLONG QuadPart;
};

constexpr HGLYPH HGLYPH_INVALID = 0xFFFFFFFF;
constexpr ULONG DDI_ERROR = 0xFFFFFFFF;

// ---------------------------------------------------------------------------
// Fonts: the logical font record of the default fonts.

constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92);

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

// ---------------------------------------------------------------------------
// Device capability record.

// CIE chromaticity of one primary, in units of 1/10000.
struct CIECHROMA {
  LONG x;
  LONG y;
  LONG Y;
};

// The device's colours for halftoning (120 bytes).
struct COLORINFO {
  CIECHROMA Red;
  CIECHROMA Green;
  CIECHROMA Blue;
  CIECHROMA Cyan;
  CIECHROMA Magenta;
  CIECHROMA Yellow;
  CIECHROMA AlignmentWhite;
  LONG RedGamma;
  LONG GreenGamma;
  LONG BlueGamma;
  LONG MagentaInCyanDye;
  LONG YellowInCyanDye;
  LONG CyanInMagentaDye;
  LONG YellowInMagentaDye;
  LONG CyanInYellowDye;
  LONG MagentaInYellowDye;
};
static_assert(sizeof(COLORINFO) == 120);

struct GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;  // millimetres, or micrometres when negative
  ULONG ulVertSize;
  ULONG ulHorzRes;  // pixels
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;
  ULONG cyHTPat;
  LPBYTE pHTPatA;
  LPBYTE pHTPatB;
  LPBYTE pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
};
static_assert(offsetof(GDIINFO, ciDevice) == 108);
static_assert(offsetof(GDIINFO, ulDevicePelsDPI) == 228);
static_assert(offsetof(GDIINFO, pHTPatA) == 280);
static_assert(sizeof(GDIINFO) == 320);

constexpr ULONG GDI_DRIVER_VERSION = 0x4000;
constexpr ULONG DT_PLOTTER = 0;
constexpr ULONG DT_RASDISPLAY = 1;
constexpr ULONG DT_RASPRINTER = 2;
constexpr ULONG DT_RASCAMERA = 3;
constexpr ULONG DT_CHARSTREAM = 4;

// flTextCaps.
constexpr ULONG TC_OP_CHARACTER = 0x00000001;
constexpr ULONG TC_OP_STROKE = 0x00000002;
constexpr ULONG TC_CP_STROKE = 0x00000004;
constexpr ULONG TC_CR_90 = 0x00000008;
constexpr ULONG TC_CR_ANY = 0x00000010;
constexpr ULONG TC_SF_X_YINDEP = 0x00000020;
constexpr ULONG TC_SA_DOUBLE = 0x00000040;
constexpr ULONG TC_SA_INTEGER = 0x00000080;
constexpr ULONG TC_SA_CONTIN = 0x00000100;
constexpr ULONG TC_EA_DOUBLE = 0x00000200;
constexpr ULONG TC_IA_ABLE = 0x00000400;
constexpr ULONG TC_UA_ABLE = 0x00000800;
constexpr ULONG TC_SO_ABLE = 0x00001000;
constexpr ULONG TC_RA_ABLE = 0x00002000;
constexpr ULONG TC_VA_ABLE = 0x00004000;

// ulHTOutputFormat.
constexpr ULONG HT_FORMAT_1BPP = 0;
constexpr ULONG HT_FORMAT_4BPP = 2;
constexpr ULONG HT_FORMAT_4BPP_IRGB = 3;
constexpr ULONG HT_FORMAT_8BPP = 4;
constexpr ULONG HT_FORMAT_16BPP = 5;
constexpr ULONG HT_FORMAT_24BPP = 6;
constexpr ULONG HT_FORMAT_32BPP = 7;
// flHTFlags.
constexpr ULONG HT_FLAG_SQUARE_DEVICE_PEL = 0x00000001;
constexpr ULONG HT_FLAG_HAS_BLACK_DYE = 0x00000002;
constexpr ULONG HT_FLAG_ADDITIVE_PRIMS = 0x00000004;
constexpr ULONG HT_FLAG_OUTPUT_CMY = 0x00000100;
// ulPrimaryOrder.
constexpr ULONG PRIMARY_ORDER_ABC = 0;
constexpr ULONG PRIMARY_ORDER_CBA = 5;

// ---------------------------------------------------------------------------
// Device information record.

struct DEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
};
static_assert(offsetof(DEVINFO, cFonts) == 280);
static_assert(offsetof(DEVINFO, hpalDefault) == 296);
static_assert(sizeof(DEVINFO) == 312);

// flGraphicsCaps.
constexpr FLONG GCAPS_BEZIERS = 0x00000001;
constexpr FLONG GCAPS_GEOMETRICWIDE = 0x00000002;
constexpr FLONG GCAPS_ALTERNATEFILL = 0x00000004;
constexpr FLONG GCAPS_WINDINGFILL = 0x00000008;
constexpr FLONG GCAPS_HALFTONE = 0x00000010;
constexpr FLONG GCAPS_COLOR_DITHER = 0x00000020;
constexpr FLONG GCAPS_HORIZSTRIKE = 0x00000040;
constexpr FLONG GCAPS_VERTSTRIKE = 0x00000080;
constexpr FLONG GCAPS_OPAQUERECT = 0x00000100;
constexpr FLONG GCAPS_VECTORFONT = 0x00000200;
constexpr FLONG GCAPS_MONO_DITHER = 0x00000400;
constexpr FLONG GCAPS_ASYNCCHANGE = 0x00000800;
constexpr FLONG GCAPS_ASYNCMOVE = 0x00001000;
constexpr FLONG GCAPS_DONTJOURNAL = 0x00002000;
constexpr FLONG GCAPS_DIRECTDRAW = 0x00004000;
constexpr FLONG GCAPS_ARBRUSHOPAQUE = 0x00008000;
constexpr FLONG GCAPS_PANNING = 0x00010000;
constexpr FLONG GCAPS_HIGHRESTEXT = 0x00040000;
constexpr FLONG GCAPS_PALMANAGED = 0x00080000;
constexpr FLONG GCAPS_DITHERONREALIZE = 0x00200000;
constexpr FLONG GCAPS_NO64BITMEMACCESS = 0x00400000;
constexpr FLONG GCAPS_FORCEDITHER = 0x00800000;
constexpr FLONG GCAPS_GRAY16 = 0x01000000;
constexpr FLONG GCAPS_ICM = 0x02000000;
constexpr FLONG GCAPS_CMYKCOLOR = 0x04000000;
constexpr FLONG GCAPS_LAYERED = 0x08000000;
constexpr FLONG GCAPS_ARBRUSHTEXT = 0x10000000;
constexpr FLONG GCAPS_SCREENPRECISION = 0x20000000;
constexpr FLONG GCAPS_FONT_RASTERIZER = 0x40000000;
constexpr FLONG GCAPS_NUP = 0x80000000;

// ---------------------------------------------------------------------------
// Bitmap formats and surface kinds.

constexpr ULONG BMF_1BPP = 1;
constexpr ULONG BMF_4BPP = 2;
constexpr ULONG BMF_8BPP = 3;
constexpr ULONG BMF_16BPP = 4;
constexpr ULONG BMF_24BPP = 5;
constexpr ULONG BMF_32BPP = 6;
constexpr ULONG BMF_4RLE = 7;
constexpr ULONG BMF_8RLE = 8;
constexpr ULONG BMF_JPEG = 9;
constexpr ULONG BMF_PNG = 10;

// SURFOBJ fjBitmap, and the flags of EngCreateBitmap.
constexpr FLONG BMF_TOPDOWN = 0x0001;
constexpr FLONG BMF_NOZEROINIT = 0x0002;
constexpr FLONG BMF_DONTCACHE = 0x0004;
constexpr FLONG BMF_USERMEM = 0x0008;
constexpr FLONG BMF_KMSECTION = 0x0010;
constexpr FLONG BMF_NOTSYSMEM = 0x0020;
constexpr FLONG BMF_WINDOW_BLT = 0x0040;
constexpr FLONG BMF_UMPDMEM = 0x0080;

constexpr USHORT STYPE_BITMAP = 0;
constexpr USHORT STYPE_DEVICE = 1;
constexpr USHORT STYPE_DEVBITMAP = 3;

// Drawing calls a surface hooks (EngAssociateSurface): the engine calls the
// driver's entry for them instead of drawing itself.
constexpr FLONG HOOK_BITBLT = 0x00000001;
constexpr FLONG HOOK_STRETCHBLT = 0x00000002;
constexpr FLONG HOOK_PLGBLT = 0x00000004;
constexpr FLONG HOOK_TEXTOUT = 0x00000008;
constexpr FLONG HOOK_PAINT = 0x00000010;
constexpr FLONG HOOK_STROKEPATH = 0x00000020;
constexpr FLONG HOOK_FILLPATH = 0x00000040;
constexpr FLONG HOOK_STROKEANDFILLPATH = 0x00000080;
constexpr FLONG HOOK_LINETO = 0x00000100;
constexpr FLONG HOOK_COPYBITS = 0x00000400;
constexpr FLONG HOOK_MOVEPANNING = 0x00000800;
constexpr FLONG HOOK_SYNCHRONIZE = 0x00001000;
constexpr FLONG HOOK_STRETCHBLTROP = 0x00002000;
constexpr FLONG HOOK_SYNCHRONIZEACCESS = 0x00004000;
constexpr FLONG HOOK_TRANSPARENTBLT = 0x00008000;
constexpr FLONG HOOK_ALPHABLEND = 0x00010000;
constexpr FLONG HOOK_GRADIENTFILL = 0x00020000;
constexpr FLONG HOOK_FLAGS = 0x0003B5FF;

// Palettes (EngCreatePalette).
constexpr ULONG PAL_INDEXED = 0x00000001;
constexpr ULONG PAL_BITFIELDS = 0x00000002;
constexpr ULONG PAL_RGB = 0x00000004;  // colour index 0x00BBGGRR
constexpr ULONG PAL_BGR = 0x00000008;  // colour index 0x00RRGGBB
constexpr ULONG PAL_CMYK = 0x00000010;

// Hatch styles of brushes; patterns given to DrvEnablePDEV are HS_DDI_MAX.
constexpr ULONG HS_HORIZONTAL = 0;
constexpr ULONG HS_VERTICAL = 1;
constexpr ULONG HS_FDIAGONAL = 2;
constexpr ULONG HS_BDIAGONAL = 3;
constexpr ULONG HS_CROSS = 4;
constexpr ULONG HS_DIAGCROSS = 5;
constexpr ULONG HS_DDI_MAX = 6;

// Binary raster operations of a MIX: the foreground in the low byte, the
// background in the second byte, each 1-based.
constexpr MIX R2_BLACK = 1;
constexpr MIX R2_NOTMERGEPEN = 2;
constexpr MIX R2_MASKNOTPEN = 3;
constexpr MIX R2_NOTCOPYPEN = 4;
constexpr MIX R2_MASKPENNOT = 5;
constexpr MIX R2_NOT = 6;
constexpr MIX R2_XORPEN = 7;
constexpr MIX R2_NOTMASKPEN = 8;
constexpr MIX R2_MASKPEN = 9;
constexpr MIX R2_NOTXORPEN = 10;
constexpr MIX R2_NOP = 11;
constexpr MIX R2_MERGENOTPEN = 12;
constexpr MIX R2_COPYPEN = 13;
constexpr MIX R2_MERGEPENNOT = 14;
constexpr MIX R2_MERGEPEN = 15;
constexpr MIX R2_WHITE = 16;

// Stretch modes of EngStretchBlt.
constexpr ULONG BLACKONWHITE = 1;
constexpr ULONG WHITEONBLACK = 2;
constexpr ULONG COLORONCOLOR = 3;
constexpr ULONG HALFTONE = 4;

// Results of DrvDitherColor and DrvGetGlyphMode.
constexpr ULONG DCR_SOLID = 0;
constexpr ULONG DCR_DRIVER = 1;
constexpr ULONG DCR_HALFTONE = 2;
constexpr ULONG DM_DEFAULT = 0x00000001;
constexpr ULONG DM_MONOCHROME = 0x00000002;

// DrvEndDoc flags.
constexpr FLONG ED_ABORTDOC = 0x00000001;

// Escapes every printer driver meets.
constexpr ULONG QUERYESCSUPPORT = 8;
constexpr ULONG PASSTHROUGH = 19;

// Local time as the engine reports it (EngQueryLocalTime).
struct ENG_TIME_FIELDS {
  USHORT usYear;
  USHORT usMonth;
  USHORT usDay;
  USHORT usHour;
  USHORT usMinute;
  USHORT usSecond;
  USHORT usMilliseconds;
  USHORT usWeekday;  // 0 = Sunday
};
using PENG_TIME_FIELDS = ENG_TIME_FIELDS*;
