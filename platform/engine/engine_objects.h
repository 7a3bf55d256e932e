// The engine objects a driver receives with its drawing calls (surfaces, paths,
// clip regions, brushes, colour translations, transforms, line attributes,
// strings, fonts and glyphs) and the object functions it reads them with. The
// public members are the platform's; each object made by the engine has private
// state behind it, and the functions below reach it. An object a caller built by
// hand (not through the engine) is answered from its public members only.
#pragma once

#include "platform/engine/gdi_records.h"

// ---------------------------------------------------------------------------
// Surfaces.

struct SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;   // the lowest address of the bits
  PVOID pvScan0;  // the first scan line (the top row)
  LONG lDelta;    // bytes from one scan line to the next; negative: bottom-up
  ULONG iUniq;    // changes whenever the engine draws into the surface
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
};

// ---------------------------------------------------------------------------
// Clip regions.

struct CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;  // right and bottom exclusive
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
};

constexpr BYTE DC_TRIVIAL = 0;  // nothing is clipped (rclBounds is not to be relied on)
constexpr BYTE DC_RECT = 1;     // one rectangle, rclBounds
constexpr BYTE DC_COMPLEX = 3;  // enumerate the rectangles
constexpr BYTE FC_RECT = 1;
constexpr BYTE FC_RECT4 = 2;
constexpr BYTE FC_COMPLEX = 3;
constexpr BYTE TC_RECTANGLES = 0;
constexpr BYTE TC_PATHOBJ = 2;
constexpr BYTE OC_BANK_CLIP = 1;

// CLIPOBJ_cEnumStart: kinds and directions.
constexpr ULONG CT_RECTANGLES = 0;
constexpr ULONG CD_RIGHTDOWN = 0;
constexpr ULONG CD_LEFTDOWN = 1;
constexpr ULONG CD_RIGHTUP = 2;
constexpr ULONG CD_LEFTUP = 3;
constexpr ULONG CD_ANY = 4;

// What CLIPOBJ_bEnum fills: a count and that many rectangles.
struct ENUMRECTS {
  ULONG c;
  RECTL arcl[1];
};

// ---------------------------------------------------------------------------
// Paths. Points are in 28.4 fixed point device coordinates.

struct PATHOBJ {
  FLONG fl;
  ULONG cCurves;  // lines and Bézier curves in the path
};

constexpr FLONG PO_BEZIERS = 0x00000001;
constexpr FLONG PO_ELLIPSE = 0x00000002;
constexpr FLONG PO_ALL_INTEGERS = 0x00000004;
constexpr FLONG PO_ENUM_AS_INTEGERS = 0x00000008;

struct PATHDATA {
  FLONG flags;
  ULONG count;
  POINTFIX* pptfx;
};

constexpr FLONG PD_BEGINSUBPATH = 0x00000001;  // the first point starts a figure
constexpr FLONG PD_ENDSUBPATH = 0x00000002;    // the last point ends it
constexpr FLONG PD_RESETSTYLE = 0x00000004;    // the line style starts anew with the figure
constexpr FLONG PD_CLOSEFIGURE = 0x00000008;   // a line closes the figure (with PD_ENDSUBPATH)
constexpr FLONG PD_BEZIERS = 0x00000010;       // the points are cubic control points, 3 per curve
constexpr FLONG PD_ALL = 0x0000001F;

// Fill modes of DrvFillPath.
constexpr FLONG FP_ALTERNATEMODE = 0x00000001;
constexpr FLONG FP_WINDINGMODE = 0x00000002;

// ---------------------------------------------------------------------------
// Brushes.

// iSolidColor: the colour index of a solid brush in the target's format;
// 0xFFFFFFFF when the brush is not solid.
struct BRUSHOBJ {
  ULONG iSolidColor;
  PVOID pvRbrush;  // the driver's realisation, once made
  FLONG flColorType;
};

constexpr FLONG BR_DEVICE_ICM = 0x00000001;
constexpr FLONG BR_HOST_ICM = 0x00000002;
constexpr FLONG BR_CMYKCOLOR = 0x00000004;
constexpr FLONG BR_ORIGCOLOR = 0x00000008;

// ---------------------------------------------------------------------------
// Colour translations.

struct XLATEOBJ {
  ULONG iUniq;
  FLONG flXlate;
  USHORT iSrcType;  // PAL_* of the source when it is not indexed
  USHORT iDstType;
  ULONG cEntries;   // entries of pulXlate (XO_TABLE)
  ULONG* pulXlate;  // source index -> target index
};

constexpr FLONG XO_TRIVIAL = 0x00000001;
constexpr FLONG XO_TABLE = 0x00000002;
constexpr FLONG XO_TO_MONO = 0x00000004;
constexpr FLONG XO_FROM_CMYK = 0x00000008;
constexpr FLONG XO_DEVICE_ICM = 0x00000010;
constexpr FLONG XO_HOST_ICM = 0x00000020;

// XLATEOBJ_cGetPalette.
constexpr ULONG XO_SRCPALETTE = 1;
constexpr ULONG XO_DESTPALETTE = 2;
constexpr ULONG XO_DESTDCPALETTE = 3;
constexpr ULONG XO_SRCBITFIELDS = 4;
constexpr ULONG XO_DESTBITFIELDS = 5;

// ---------------------------------------------------------------------------
// Transforms (world to device).

struct XFORMOBJ {
  ULONG ulReserved;
};

struct XFORML {
  FLOATL eM11;
  FLOATL eM12;
  FLOATL eM21;
  FLOATL eM22;
  FLOATL eDx;
  FLOATL eDy;
};
using FLOATOBJ = FLOAT;
struct FLOATOBJ_XFORM {
  FLOATOBJ eM11;
  FLOATOBJ eM12;
  FLOATOBJ eM21;
  FLOATOBJ eM22;
  FLOATOBJ eDx;
  FLOATOBJ eDy;
};

// XFORMOBJ_iGetXform results.
constexpr ULONG GX_IDENTITY = 0;
constexpr ULONG GX_OFFSET = 1;
constexpr ULONG GX_SCALE = 2;
constexpr ULONG GX_GENERAL = 3;

// XFORMOBJ_bApplyXform modes.
constexpr ULONG XF_LTOL = 0;       // POINTL to POINTL
constexpr ULONG XF_INV_LTOL = 1;   // POINTL to POINTL through the inverse
constexpr ULONG XF_LTOFX = 2;      // POINTL to POINTFIX
constexpr ULONG XF_INV_FXTOL = 3;  // POINTFIX to POINTL through the inverse

// ---------------------------------------------------------------------------
// Line attributes of strokes.

union FLOAT_LONG {
  FLOATL e;
  LONG l;
};

struct LINEATTRS {
  FLONG fl;
  ULONG iJoin;
  ULONG iEndCap;
  FLOAT_LONG elWidth;  // geometric: e in world units; cosmetic: l in pixels
  FLOATL eMiterLimit;
  ULONG cstyle;        // elements of pstyle
  FLOAT_LONG* pstyle;  // dash and gap lengths, alternately
  FLOAT_LONG elStyleState;
};

constexpr FLONG LA_GEOMETRIC = 0x00000001;
constexpr FLONG LA_ALTERNATE = 0x00000002;
constexpr FLONG LA_STARTGAP = 0x00000004;
constexpr FLONG LA_STYLED = 0x00000008;
constexpr ULONG JOIN_ROUND = 0;
constexpr ULONG JOIN_BEVEL = 1;
constexpr ULONG JOIN_MITER = 2;
constexpr ULONG ENDCAP_ROUND = 0;
constexpr ULONG ENDCAP_SQUARE = 1;
constexpr ULONG ENDCAP_BUTT = 2;

// ---------------------------------------------------------------------------
// Glyphs, strings and fonts.

struct POINTQF {
  LARGE_INTEGER x;
  LARGE_INTEGER y;
};

// A glyph image: one bit per pixel, rows padded to whole bytes, top row first.
struct GLYPHBITS {
  POINTL ptlOrigin;  // from the glyph position to the image's top left corner
  SIZEL sizlBitmap;
  BYTE aj[1];
};

union GLYPHDEF {
  GLYPHBITS* pgb;
  PATHOBJ* ppo;
};

struct GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;  // may be null: FONTOBJ_cGetGlyphs gives it
  POINTL ptl;      // the glyph's origin on the device
};

struct GLYPHDATA {
  GLYPHDEF gdf;
  HGLYPH hg;
  FIX fxD;
  FIX fxA;
  FIX fxAB;
  FIX fxInkTop;
  FIX fxInkBottom;
  RECTL rclInk;
  POINTQF ptqD;
};

struct STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;   // all positions, when the engine has them at once; else null
  LPWSTR pwszOrg;  // the application's text (cGlyphs characters), or null
};

constexpr FLONG SO_FLAG_DEFAULT_PLACEMENT = 0x00000001;
constexpr FLONG SO_HORIZONTAL = 0x00000002;
constexpr FLONG SO_VERTICAL = 0x00000004;
constexpr FLONG SO_REVERSED = 0x00000008;
constexpr FLONG SO_ZERO_BEARINGS = 0x00000010;
constexpr FLONG SO_CHAR_INC_EQUAL_BM_BASE = 0x00000020;
constexpr FLONG SO_MAXEXT_EQUAL_BM_SIDE = 0x00000040;
constexpr FLONG SO_DO_NOT_SUBSTITUTE_DEVICE_FONT = 0x00000080;
constexpr FLONG SO_GLYPHINDEX_TEXTOUT = 0x00000100;
constexpr FLONG SO_ESC_NOT_ORIENT = 0x00000200;
constexpr FLONG SO_DXDY = 0x00000400;
constexpr FLONG SO_CHARACTER_EXTRA = 0x00000800;
constexpr FLONG SO_BREAK_EXTRA = 0x00001000;

struct FONTOBJ {
  ULONG iUniq;  // the realisation's identity
  ULONG iFace;  // the device font number (1-based), for device fonts
  ULONG cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;  // the TrueType file's identity
  ULONG_PTR iFile;
  SIZE sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;  // the driver's own pointer
  PVOID pvProducer;
};

constexpr FLONG FO_TYPE_RASTER = 0x00000001;
constexpr FLONG FO_TYPE_DEVICE = 0x00000002;
constexpr FLONG FO_TYPE_TRUETYPE = 0x00000004;
constexpr FLONG FO_TYPE_OPENTYPE = 0x00000008;
constexpr FLONG FO_SIM_BOLD = 0x00002000;
constexpr FLONG FO_SIM_ITALIC = 0x00004000;
constexpr FLONG FO_EM_HEIGHT = 0x00008000;
constexpr FLONG FO_GRAY16 = 0x00010000;
constexpr FLONG FO_NOGRAY16 = 0x00020000;
constexpr FLONG FO_NOHINTS = 0x00040000;
constexpr FLONG FO_NO_CHOICE = 0x00080000;
constexpr FLONG FO_CFF = 0x00100000;
constexpr FLONG FO_POSTSCRIPT = 0x00200000;
constexpr FLONG FO_MULTIPLEMASTER = 0x00400000;
constexpr FLONG FO_VERT_FACE = 0x00800000;
constexpr FLONG FO_DBCS_FONT = 0x01000000;

// FONTOBJ_cGetGlyphs, DrvQueryFontData modes; DrvGetGlyphMode answers.
constexpr ULONG FO_HGLYPHS = 0;
constexpr ULONG FO_GLYPHBITS = 1;
constexpr ULONG FO_PATHOBJ = 2;
constexpr ULONG QFD_GLYPHANDBITMAP = 1;
constexpr ULONG QFD_GLYPHANDOUTLINE = 2;
constexpr ULONG QFD_MAXEXTENTS = 3;
// DrvQueryFontTree modes.
constexpr ULONG QFT_LIGATURES = 1;
constexpr ULONG QFT_KERNPAIRS = 2;
constexpr ULONG QFT_GLYPHSET = 3;
// DrvQueryAdvanceWidths modes.
constexpr ULONG QAW_GETWIDTHS = 0;
constexpr ULONG QAW_GETEASYWIDTHS = 1;

struct PANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
};

// The font metrics block. Its names are zero-terminated UTF-16 texts at the given
// byte offsets from the start of the block.
struct IFIMETRICS {
  ULONG cjThis;
  ULONG cjIfiExtra;
  PTRDIFF dpwszFamilyName;
  PTRDIFF dpwszStyleName;
  PTRDIFF dpwszFaceName;
  PTRDIFF dpwszUniqueName;
  PTRDIFF dpFontSim;
  LONG lEmbedId;
  LONG lItalicAngle;  // tenths of a degree
  LONG lCharBias;
  PTRDIFF dpCharSets;
  BYTE jWinCharSet;
  BYTE jWinPitchAndFamily;
  USHORT usWinWeight;
  ULONG flInfo;
  USHORT fsSelection;
  USHORT fsType;
  FWORD fwdUnitsPerEm;
  FWORD fwdLowestPPEm;
  FWORD fwdWinAscender;
  FWORD fwdWinDescender;
  FWORD fwdMacAscender;
  FWORD fwdMacDescender;
  FWORD fwdMacLineGap;
  FWORD fwdTypoAscender;
  FWORD fwdTypoDescender;
  FWORD fwdTypoLineGap;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  FWORD fwdCapHeight;
  FWORD fwdXHeight;
  FWORD fwdSubscriptXSize;
  FWORD fwdSubscriptYSize;
  FWORD fwdSubscriptXOffset;
  FWORD fwdSubscriptYOffset;
  FWORD fwdSuperscriptXSize;
  FWORD fwdSuperscriptYSize;
  FWORD fwdSuperscriptXOffset;
  FWORD fwdSuperscriptYOffset;
  FWORD fwdUnderscoreSize;
  FWORD fwdUnderscorePosition;
  FWORD fwdStrikeoutSize;
  FWORD fwdStrikeoutPosition;
  BYTE chFirstChar;
  BYTE chLastChar;
  BYTE chDefaultChar;
  BYTE chBreakChar;
  WCHAR wcFirstChar;
  WCHAR wcLastChar;
  WCHAR wcDefaultChar;
  WCHAR wcBreakChar;
  POINTL ptlBaseline;
  POINTL ptlAspect;
  POINTL ptlCaret;
  RECTL rclFontBox;
  BYTE achVendId[4];
  ULONG cKerningPairs;
  ULONG ulPanoseCulture;
  PANOSE panose;
  PVOID Align;  // present in the 64-bit block
};
static_assert(offsetof(IFIMETRICS, jWinCharSet) == 44);
static_assert(offsetof(IFIMETRICS, fwdUnitsPerEm) == 56);
static_assert(offsetof(IFIMETRICS, chFirstChar) == 108);
static_assert(offsetof(IFIMETRICS, rclFontBox) == 144);
static_assert(offsetof(IFIMETRICS, panose) == 172);
static_assert(sizeof(IFIMETRICS) == 192);
using PIFIMETRICS = IFIMETRICS*;

// IFIMETRICS flInfo and fsSelection bits the libraries read.
constexpr ULONG FM_INFO_TECH_TRUETYPE = 0x00000001;
constexpr ULONG FM_INFO_TECH_BITMAP = 0x00000002;
constexpr ULONG FM_INFO_TECH_STROKE = 0x00000004;
constexpr ULONG FM_INFO_TECH_OUTLINE_NOT_TRUETYPE = 0x00000008;
constexpr ULONG FM_INFO_ARB_XFORMS = 0x00000010;
constexpr ULONG FM_INFO_1BPP = 0x00000020;
constexpr ULONG FM_INFO_4BPP = 0x00000040;
constexpr ULONG FM_INFO_8BPP = 0x00000080;
constexpr ULONG FM_INFO_16BPP = 0x00000100;
constexpr ULONG FM_INFO_24BPP = 0x00000200;
constexpr ULONG FM_INFO_32BPP = 0x00000400;
constexpr ULONG FM_INFO_INTEGER_WIDTH = 0x00000800;
constexpr ULONG FM_INFO_CONSTANT_WIDTH = 0x00001000;
constexpr ULONG FM_INFO_NOT_CONTIGUOUS = 0x00002000;
constexpr ULONG FM_INFO_TECH_MM = 0x00004000;
constexpr ULONG FM_INFO_RETURNS_OUTLINES = 0x00008000;
constexpr ULONG FM_INFO_RETURNS_STROKES = 0x00010000;
constexpr ULONG FM_INFO_RETURNS_BITMAPS = 0x00020000;
constexpr ULONG FM_INFO_DSIG = 0x00040000;
constexpr ULONG FM_INFO_RIGHT_HANDED = 0x00080000;
constexpr ULONG FM_INFO_INTEGRAL_SCALING = 0x00100000;
constexpr ULONG FM_INFO_90DEGREE_ROTATIONS = 0x00200000;
constexpr ULONG FM_INFO_OPTICALLY_FIXED_PITCH = 0x00400000;
constexpr ULONG FM_INFO_DO_NOT_ENUMERATE = 0x00800000;
constexpr ULONG FM_INFO_ISOTROPIC_SCALING_ONLY = 0x01000000;
constexpr ULONG FM_INFO_ANISOTROPIC_SCALING_ONLY = 0x02000000;
constexpr ULONG FM_INFO_TECH_CFF = 0x04000000;
constexpr ULONG FM_INFO_FAMILY_EQUIV = 0x08000000;
constexpr ULONG FM_INFO_DBCS_FIXED_PITCH = 0x10000000;
constexpr ULONG FM_INFO_NONNEGATIVE_AC = 0x20000000;
constexpr ULONG FM_INFO_IGNORE_TC_RA_ABLE = 0x40000000;
constexpr ULONG FM_INFO_TECH_TYPE1 = 0x80000000;
constexpr USHORT FM_SEL_ITALIC = 0x0001;
constexpr USHORT FM_SEL_UNDERSCORE = 0x0002;
constexpr USHORT FM_SEL_NEGATIVE = 0x0004;
constexpr USHORT FM_SEL_OUTLINED = 0x0008;
constexpr USHORT FM_SEL_STRIKEOUT = 0x0010;
constexpr USHORT FM_SEL_BOLD = 0x0020;
constexpr USHORT FM_SEL_REGULAR = 0x0040;

// The Unicode characters a font covers and their glyph handles: runs of
// consecutive characters, each with its handles.
struct WCRUN {
  WCHAR wcLow;
  USHORT cGlyphs;
  HGLYPH* phg;
};

struct FD_GLYPHSET {
  ULONG cjThis;  // the whole block, runs and handles included
  FLONG flAccel;
  ULONG cGlyphsSupported;
  ULONG cRuns;
  WCRUN awcrun[1];
};

constexpr FLONG GS_UNICODE_HANDLES = 0x00000001;
constexpr FLONG GS_8BIT_HANDLES = 0x00000002;
constexpr FLONG GS_16BIT_HANDLES = 0x00000004;

// ---------------------------------------------------------------------------
// Object functions.

// Restarts the enumeration of the path's records.
QXAPI void PATHOBJ_vEnumStart(PATHOBJ* ppo);
// Hands out the next record (flags, count, points; the points stay valid until
// the next call). TRUE when more records follow this one; FALSE with the last
// one, and FALSE with count 0 when there are none (left).
QXAPI BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
// The smallest rectangle holding every point of the path (control points
// included), inclusive on all sides, in 28.4.
QXAPI void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx);

// Starts enumerating the clip region's rectangles in the given order; returns
// their number, or 0xFFFFFFFF when there are more than cLimit (cLimit 0: no limit).
QXAPI ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection,
                               ULONG cLimit);
// Fills `pv` (cj bytes, an ENUMRECTS) with as many of the next rectangles as fit;
// TRUE when more follow.
QXAPI BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pv);

// Memory for the driver's realisation of the brush; the engine frees it with the
// brush. Null when it cannot be had.
QXAPI PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
// The driver's realisation, calling DrvRealizeBrush first when there is none yet.
QXAPI PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
// The brush's colour as RGB when it has one, else 0xFFFFFFFF.
QXAPI ULONG BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo);

// A source colour index in the target's format. A null translation is the identity.
QXAPI ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor);
// Copies up to cPal entries of the source or target palette (XO_SRCPALETTE,
// XO_DESTPALETTE) as RGB; with pPal null, returns the number of entries.
QXAPI ULONG XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal);

// The transform's matrix and its kind (GX_*); DDI_ERROR when it cannot be had.
QXAPI ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
QXAPI ULONG XFORMOBJ_iGetFloatObjXform(XFORMOBJ* pxo, FLOATOBJ_XFORM* pfxo);
// Transforms cPoints points (mode XF_*); FALSE when the transform cannot be
// inverted for the inverse modes.
QXAPI BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

// Restarts the enumeration of the string's glyph positions.
QXAPI void STROBJ_vEnumStart(STROBJ* pstro);
// The next batch of glyph positions (*pc of them at *ppgpos); TRUE when more follow.
QXAPI BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos);
// The code page of the string's font (the ANSI page when the font names none).
QXAPI DWORD STROBJ_dwGetCodePage(STROBJ* pstro);

// The font's metrics block, or null when the engine has none for it.
QXAPI IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo);
// The font's notional-to-device transform, or null.
QXAPI XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo);
// Images (FO_GLYPHBITS) or outlines (FO_PATHOBJ) of cGlyph glyphs (one is all the
// engine answers at a time); the result is the number given, 0 on failure.
QXAPI ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg,
                               PVOID* ppvGlyph);
// The number of glyphs of the font; with phg non-null, their handles too.
QXAPI ULONG FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg);
