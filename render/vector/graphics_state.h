// The drawing state of the KX-GL/2 emitter kept in the device context, and its
// reset: the device forgets pens, widths and line state at every page start.
#pragma once

namespace render {

struct DeviceContext;

// Forgets the emitter's open polyline and every cached pen and line value, so the
// next drawing sends them again.
void ResetGraphicsState(DeviceContext& dc);

}  // namespace render
