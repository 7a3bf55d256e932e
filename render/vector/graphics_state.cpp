// The graphics-state reset and the page end.
#include "render/vector/graphics_state.h"

#include "render/core/device_context.h"

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
  if (dc.vector.polylineOpen) {
    dc.vector.polylineOpen = false;
    WriteBytes(dc.output, ";", 1);
  }
  WriteBytes(dc.output, "PG;", 3);
  dc.vector.penUpPending = false;
  ResetGraphicsState(dc);
}

}  // namespace render
