// The graphics-state reset and the page end.
#include "render/vector/graphics_state.h"

#include "render/core/device_context.h"
#include "render/raster/merge_control.h"

namespace render {

void ResetGraphicsState(DeviceContext& dc) {
  PenState& p = dc.pens;
  p.emitterFlags = 0;
  if (p.line.style) HeapFree(dc.heap, 0, p.line.style);
  p.line = CachedLine{};
  p.cachedColour = 0xFFFFFF;
  p.transforms[0] = p.transforms[1] = XFORML{1, 0, 0, 1, 0, 0};
  dc.labels.textColour = kNoColour;
  dc.vector.polylineOpen = false;
  dc.vector.polylineEnd = {0, 0};
}

void EndPage(DeviceContext& dc) {
  // A palette pushed for an indexed image is the printer's until it is popped;
  // the next page must not find it. The pop ends an open polyline first, so
  // its escapes never land inside the polyline's data.
  PopRasterPalette(dc);
  if (dc.vector.polylineOpen) {
    dc.vector.polylineOpen = false;
    WriteBytes(dc.output, ";", 1);
  }
  WriteBytes(dc.output, "PG;", 3);
  dc.vector.penUpPending = false;
  ResetGraphicsState(dc);
}

}  // namespace render
