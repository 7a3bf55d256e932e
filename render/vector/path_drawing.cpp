// The drawing entries of vector output: strokes, fills, strokes with fills and
// painted clip regions. Each maps the mix to the merge control, keeps the
// printer's input window to a rectangle clip for the duration of the drawing,
// translates the path into polygon mode and fills or edges it.
#include "render/vector/path_drawing.h"

#include <algorithm>
#include <limits>

#include "platform/engine/callbacks.h"
#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/merge_control.h"
#include "render/raster/raster_frame.h"
#include "render/vector/brushes.h"
#include "render/vector/command_emitter.h"
#include "render/vector/line_attributes.h"
#include "render/vector/path_translation.h"
#include "render/vector/pens.h"

namespace render {

namespace {

// The 8-bit raster operation of each binary raster-operation code, indexed by
// the code's low four bits (code 16, white, wraps to 0).
// clang-format off
constexpr BYTE kRop2ToRop3[16] = {
    0xFF, 0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A,
    0x5F, 0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA,
};
// clang-format on

constexpr ULONG kNoSolidColour = 0xFFFFFFFF;
// A stroke of a brush that has no one colour, where colour is printed in gray.
constexpr std::uint32_t kPatternGray = 0x7F7F7F;
constexpr std::uint32_t kBlack = 0x000000;
// The printer keeps paths of up to this many points in its polygon buffer; the
// engine breaks larger fills into smaller ones.
constexpr std::uint64_t kMostFillPoints = 2500;
// The first pass of a transparent fill ORs the black edge in; the second ANDs
// the brush over it, so that only the brush's ink reaches the page.
constexpr DWORD kTransparentEdgeRop = 0xFAFA;
constexpr MIX kTransparentFillMix = 0x0909;

constexpr int kFirstPatternPen = 25;
constexpr int kTextPen = 30;
constexpr int kSecondTextPen = 31;

DeviceContext* BeginDrawing(SURFOBJ* pso) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc != nullptr) dc->raster.complexClipActive = false;
  return dc;
}

bool Complex(const CLIPOBJ* clip) { return clip != nullptr && clip->iDComplexity == DC_COMPLEX; }

// Pens 25 and 26 carry fill patterns and 30 and 31 text: the colour cached for
// the drawing pens no longer says which pen the device has selected.
void ForgetPatternPenColour(DeviceContext& dc) {
  int pen = dc.pens.currentPen;
  if (pen == kFirstPatternPen || pen == kTextPen || pen == kSecondTextPen) {
    dc.pens.cachedColour = kNoColour;
  }
}

LONG ClampToLong(std::int64_t v) {
  return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(),
                                                    std::numeric_limits<LONG>::max()));
}

// Whether the translation of `path` ends polygon mode itself: its last record
// ends a figure with the close-figure flag.
bool EndsPolygonMode(PATHOBJ* path) {
  bool ends = false;
  PATHOBJ_vEnumStart(path);
  bool more = true;
  while (more) {
    PATHDATA record{};
    more = PATHOBJ_bEnum(path, &record) != FALSE;
    if (record.count == 0 || record.pptfx == nullptr) continue;
    ends = !more && (record.flags & PD_ENDSUBPATH) && (record.flags & PD_CLOSEFIGURE);
    if (ends) break;
  }
  return ends;
}

// Translates `path` with the polygon start pending and reports in `opened`
// whether the translation opened polygon mode. The pending start is cleared
// again, so that a path without closed figures leaves no stray "PMPE=" for the
// next drawing; polygon mode that the path's last figure did not end is ended
// here, before the polygon is filled or edged.
BOOL TranslatePolygon(DeviceContext& dc, PATHOBJ* path, PathKind kind, bool& opened) {
  dc.vector.polygonStartPending = true;
  BOOL ok = TranslatePath(dc.output, dc.vector, path, kind);
  opened = !dc.vector.polygonStartPending;
  dc.vector.polygonStartPending = false;
  if (ok && opened && !EndsPolygonMode(path)) {
    ClosePolyline(dc.output, dc.vector);
    WriteText(dc.output, "PM2");
    dc.vector.penUpPending = true;
  }
  return ok;
}

// The first pass of a transparent fill: the polygon's edge in black, ORed in.
BOOL TransparentEdge(DeviceContext& dc, PATHOBJ* path, PathKind kind) {
  SetMergeControl(dc, kTransparentEdgeRop);
  bool opened = false;
  if (!TranslatePolygon(dc, path, kind, opened)) return FALSE;
  if (!opened) return TRUE;
  WriteText(dc.output, "FT");
  dc.pens.fillType = kFillSolid;
  SelectPenForColour(dc, kBlack);
  WriteText(dc.output, "EP;");
  return TRUE;
}

void EndWindow(DeviceContext& dc, bool windowSet) {
  if (windowSet) ResetInputWindow(dc, dc.raster);
}

}  // namespace

DWORD MixToRop(MIX mix) {
  DWORD foreground = kRop2ToRop3[mix & 0x0F];
  DWORD background = kRop2ToRop3[(mix >> 8) & 0x0F];
  return background << 8 | foreground;
}

RECTL StrokeBounds(PATHOBJ* path) {
  RECTFX b{};
  PATHOBJ_vGetBounds(path, &b);
  return {b.xLeft >> 4, b.yTop >> 4, ClampToLong((std::int64_t{b.xRight} + 16) >> 4),
          ClampToLong((std::int64_t{b.yBottom} + 16) >> 4)};
}

RECTL FillBounds(PATHOBJ* path) {
  RECTFX b{};
  PATHOBJ_vGetBounds(path, &b);
  return {b.xLeft >> 4, b.yTop >> 4, (b.xRight >> 4) + 1, (b.yBottom >> 4) + 1};
}

bool ClipForPath(DeviceContext& dc, CLIPOBJ* clip, const RECTL& bounds, ClipUse use) {
  if (clip == nullptr || clip->iDComplexity != DC_RECT) return false;
  const RECTL& c = clip->rclBounds;
  bool contains = c.left <= bounds.left && c.top <= bounds.top && c.right >= bounds.right &&
                  c.bottom >= bounds.bottom;
  if (contains) return false;
  // A pen of fixed width is drawn as the settings ask, whatever the clip.
  if (use == ClipUse::kStroke && FixedPenWidth(dc, dc.pens.currentPen) != -1) return false;
  SetInputWindow(dc, dc.raster, c);
  return dc.raster.inputWindowSet;
}

std::uint64_t PathPointCount(PATHOBJ* path) {
  std::uint64_t points = 0;
  PATHOBJ_vEnumStart(path);
  bool more = true;
  while (more) {
    PATHDATA record{};
    more = PATHOBJ_bEnum(path, &record) != FALSE;
    if (record.pptfx != nullptr) points += record.count;
  }
  return points;
}

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL*,
                   LINEATTRS* line, MIX mix) {
  DeviceContext* dc = BeginDrawing(pso);
  if (dc == nullptr || dc->output.failed) return FALSE;
  if (ppo == nullptr || pbo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (Complex(pco)) return FALSE;
  DWORD rop = MixToRop(mix);
  if (rop == kRopNothing) return TRUE;
  PopRasterPalette(*dc);
  SetMergeControl(*dc, rop);
  ForgetPatternPenColour(*dc);
  ULONG colour = pbo->iSolidColor;
  if (colour == kNoSolidColour) {
    if (ColourMode(*dc) == 2) {
      colour = kPatternGray;
    } else if (!RealizedBrushColour(pbo, &colour)) {
      return FALSE;
    }
  }
  SelectPenForColour(*dc, colour);
  if (!ApplyLineAttributes(*dc, line, pxo)) return FALSE;
  bool window = ClipForPath(*dc, pco, StrokeBounds(ppo), ClipUse::kStroke);
  bool opened = false;
  BOOL ok = TranslatePolygon(*dc, ppo, StrokeKind(ppo), opened);
  // Edge the polygon with the current pen.
  if (ok && opened) WriteText(dc->output, "EP;");
  // A window left in force would clip everything drawn later on the page.
  EndWindow(*dc, window);
  return ok;
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* brushOrigin,
                 MIX mix, FLONG options) {
  DeviceContext* dc = BeginDrawing(pso);
  if (dc == nullptr || dc->output.failed) return FALSE;
  if (ppo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD rop = MixToRop(mix);
  if (rop == kRopNothing) return TRUE;
  if (Complex(pco)) return FALSE;
  ClosePolyline(dc->output, dc->vector);
  PopRasterPalette(*dc);
  ForgetPatternPenColour(*dc);
  if (PathPointCount(ppo) > kMostFillPoints) return FALSE;
  bool window = ClipForPath(*dc, pco, FillBounds(ppo), ClipUse::kFill);
  if (rop == kRopTransparent) {
    if (!TransparentEdge(*dc, ppo, PathKind::kFill)) {
      EndWindow(*dc, window);
      return FALSE;
    }
    rop = MixToRop(kTransparentFillMix);
  }
  bool opened = false;
  BOOL ok = TranslatePolygon(*dc, ppo, PathKind::kFill, opened);
  // A path without figures opened no polygon: a fill now would fill the
  // previous polygon again.
  if (ok && opened) ok = FillPolygonWithBrush(*dc, options, pbo, brushOrigin, rop);
  EndWindow(*dc, window);
  return ok;
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* stroke,
                          LINEATTRS* line, BRUSHOBJ* fill, POINTL* brushOrigin, MIX mix,
                          FLONG options) {
  DeviceContext* dc = BeginDrawing(pso);
  if (dc == nullptr || dc->output.failed) return FALSE;
  if (ppo == nullptr || stroke == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (Complex(pco)) return FALSE;
  ClosePolyline(dc->output, dc->vector);
  PopRasterPalette(*dc);
  RECTL bounds = FillBounds(ppo);
  ForgetPatternPenColour(*dc);
  bool window = ClipForPath(*dc, pco, bounds, ClipUse::kFill);
  DWORD rop = MixToRop(mix);
  if (rop == kRopNothing) {
    EndWindow(*dc, window);
    return TRUE;
  }
  if (rop == kRopTransparent) {
    if (!TransparentEdge(*dc, ppo, PathKind::kStrokeAndFill)) {
      EndWindow(*dc, window);
      return FALSE;
    }
    rop = MixToRop(kTransparentFillMix);
  }
  bool opened = false;
  if (!TranslatePolygon(*dc, ppo, PathKind::kStrokeAndFill, opened)) {
    EndWindow(*dc, window);
    return FALSE;
  }
  if (!opened) {
    EndWindow(*dc, window);
    return TRUE;
  }
  BOOL filled = FillPolygonWithBrush(*dc, options, fill, brushOrigin, rop);
  ULONG colour = stroke->iSolidColor == kNoSolidColour ? kPatternGray : stroke->iSolidColor;
  SelectPenForColour(*dc, colour);
  if (!ApplyLineAttributes(*dc, line, pxo)) {
    EndWindow(*dc, window);
    return FALSE;
  }
  // Edge the same polygon with the pen.
  WriteText(dc->output, "EP;");
  EndWindow(*dc, window);
  return filled;
}

BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* brushOrigin, MIX mix) {
  // The surface is checked as for every entry: a painted region of a broken
  // device context must not be written anywhere.
  DeviceContext* dc = BeginDrawing(pso);
  if (dc == nullptr || dc->output.failed) return FALSE;
  ClosePolyline(dc->output, dc->vector);
  PopRasterPalette(*dc);
  ForgetPatternPenColour(*dc);
  if (pco == nullptr) return FALSE;
  if (!SetPaintBrush(*dc, pbo, brushOrigin, MixToRop(mix))) return FALSE;
  // Each rectangle is reached from the previous one by a relative pen-up move
  // and filled with the current fill type.
  struct {
    ULONG c;
    RECTL arcl[16];
  } rects;
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0);
  bool first = true;
  POINTL previous{0, 0};
  bool more = true;
  while (more) {
    rects.c = 0;
    more = CLIPOBJ_bEnum(pco, sizeof rects, reinterpret_cast<ULONG*>(&rects)) != FALSE;
    ULONG count = std::min<ULONG>(rects.c, 16);
    for (ULONG i = 0; i < count; ++i) {
      const RECTL& r = rects.arcl[i];
      if (first) {
        WriteFormatted(dc->output, "PU;PA%d,%d", {r.left, r.top});
        first = false;
      } else {
        WriteFormatted(dc->output, "PR%d,%d",
                       {ClampToLong(std::int64_t{r.left} - previous.x),
                        ClampToLong(std::int64_t{r.top} - previous.y)});
      }
      WriteFormatted(dc->output, "RR%d,%d",
                     {ClampToLong(std::int64_t{r.right} - r.left),
                      ClampToLong(std::int64_t{r.bottom} - r.top)});
      previous = {r.left, r.top};
    }
  }
  WriteText(dc->output, ";");
  return TRUE;
}

}  // namespace render
