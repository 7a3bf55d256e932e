// The graphics-state reset.
#include "render/vector/graphics_state.h"

#include "render/core/device_context.h"

namespace render {

void ResetGraphicsState(DeviceContext& dc) {
  dc.vector.polylineOpen = false;
  dc.vector.polylineEnd = {0, 0};
}

void EndPage(DeviceContext& dc) {
  ClosePolyline(dc.output, dc.vector);
  WriteBytes(dc.output, "PG;", 3);
  dc.vector.penUpPending = false;
  ResetGraphicsState(dc);
}

}  // namespace render
