// Rectangle fills of bitmap operations without a source.
#include "render/raster/rect_fill.h"

#include <algorithm>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/clip_pieces.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/merge_control.h"
#include "render/raster/raster_strips.h"
#include "render/vector/brushes.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

RECTL Cut(const RECTL& a, const RECTL& b) {
  return RECTL{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

BOOL FillComplex(DeviceContext& dc, CLIPOBJ* clip, const RECTL& target) {
  ClipList list;
  if (!CollectClipRects(dc.heap, clip, false, list)) return FALSE;
  bool first = true;
  POINTL at{0, 0};
  for (std::size_t i = 0; i < list.count; ++i) {
    const RECTL r = Cut(list.rects[i], target);
    if (EmptyRect(r)) continue;
    if (first) {
      WriteFormatted(dc.output, "PU;PA%d,%d", {r.left, r.top});
    } else {
      WriteFormatted(dc.output, "PR%d,%d", {r.left - at.x, r.top - at.y});
    }
    WriteFormatted(dc.output, "RR%d,%d", {r.right - r.left, r.bottom - r.top});
    at = {r.left, r.top};
    first = false;
  }
  if (!first) WriteText(dc.output, ";");
  FreeClipRects(list);
  return TRUE;
}

BOOL FillArea(DeviceContext& dc, CLIPOBJ* clip, const RECTL& target, bool brushPass) {
  const BYTE complexity = clip != nullptr ? clip->iDComplexity : DC_TRIVIAL;
  if (complexity == DC_COMPLEX) return FillComplex(dc, clip, target);
  RECTL r = target;
  if (complexity == DC_RECT) {
    r = Cut(clip->rclBounds, target);
    if (EmptyRect(r)) return TRUE;
  } else {
    if (r.right - r.left > (brushPass ? 0 : 1)) --r.right;
    if (r.bottom - r.top > 1) --r.bottom;
  }
  WriteFormatted(dc.output, "PU;PA%d,%dRR%d,%d;",
                 {r.left, r.top, r.right - r.left, r.bottom - r.top});
  return TRUE;
}

bool BrushColour(BRUSHOBJ* brush, ULONG& colour) {
  if (brush == nullptr) return false;
  if (brush->iSolidColor != 0xFFFFFFFF) {
    colour = brush->iSolidColor & 0xFFFFFF;
    return true;
  }
  return RealizedBrushColour(brush, &colour) != FALSE;
}

}  // namespace

DWORD SourcePassOperation(DWORD operation) { return operation == 0xB8B8 ? 0x8888 : 0xEEEE; }

BOOL SendBrushPass(DeviceContext& dc, CLIPOBJ* clip, const RECTL& targetRect, BRUSHOBJ* brush,
                   DWORD operation) {
  ULONG colour = 0;
  if (!BrushColour(brush, colour)) return FALSE;
  if ((colour & 0xFFFFFF) == 0) return TRUE;
  PopRasterPalette(dc);
  const DWORD xorOperation = operation == 0xB8B8 ? 0x5A5A : 0xA5A5;
  const bool grayPens = ColourMode(dc) == 2 && VectorColorOverride(dc) != 0;
  if (grayPens) {
    // The monochrome tracker, whatever the other settings say.
    if (xorOperation != dc.monoMergeControlState) {
      ClosePolyline(dc.output, dc.vector);
      WriteFormatted(dc.output, "MC1,%d", {(xorOperation >> 8) & 0xFF});
      dc.monoMergeControlState = xorOperation;
    }
  } else {
    SetColourMergeControl(dc, xorOperation);
  }
  std::uint32_t pen = colour;
  if (grayPens) {
    if (pen != 0 && pen != 0xFFFFFF) {
      const std::uint32_t g = static_cast<std::uint32_t>(GrayLevel(pen));
      pen = g | (g << 8) | (g << 16);
    }
  } else {
    pen = ConvertColor(dc, pen);
  }
  ClosePolyline(dc.output, dc.vector);
  WriteFormatted(dc.output, "PC%d,%d,%d,%dSP%d",
                 {25, pen & 0xFF, (pen >> 8) & 0xFF, (pen >> 16) & 0xFF, 25});
  dc.pens.currentPen = 25;
  return FillArea(dc, clip, OrderedRect(targetRect), true);
}

BOOL FillClipRectangles(DeviceContext& dc, CLIPOBJ* clip, const RECTL& targetRect, BRUSHOBJ* brush,
                        POINTL* brushOrigin, DWORD operation) {
  PopRasterPalette(dc);
  if (!SetRasterFillBrush(dc, brush, brushOrigin, operation)) return FALSE;
  ClosePolyline(dc.output, dc.vector);
  return FillArea(dc, clip, OrderedRect(targetRect), false);
}

}  // namespace render
