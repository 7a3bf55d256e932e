// Rectangle fills of bitmap operations without a source.
#include "render/raster/rect_fill.h"

#include <algorithm>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/clip_pieces.h"
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

}  // namespace

BOOL FillClipRectangles(DeviceContext& dc, CLIPOBJ* clip, const RECTL& targetRect, BRUSHOBJ* brush,
                        POINTL* brushOrigin, DWORD operation) {
  PopRasterPalette(dc);
  if (!SetRasterFillBrush(dc, brush, brushOrigin, operation)) return FALSE;
  ClosePolyline(dc.output, dc.vector);
  const RECTL target = OrderedRect(targetRect);
  const BYTE complexity = clip != nullptr ? clip->iDComplexity : DC_TRIVIAL;
  if (complexity == DC_COMPLEX) return FillComplex(dc, clip, target);
  RECTL r = target;
  if (complexity == DC_RECT) {
    r = Cut(clip->rclBounds, target);
    if (EmptyRect(r)) return TRUE;
  } else {
    if (r.right - r.left > 1) --r.right;
    if (r.bottom - r.top > 1) --r.bottom;
  }
  WriteFormatted(dc.output, "PU;PA%d,%dRR%d,%d;",
                 {r.left, r.top, r.right - r.left, r.bottom - r.top});
  return TRUE;
}

}  // namespace render
