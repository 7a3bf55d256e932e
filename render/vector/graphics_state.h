// The drawing state of the KX-GL/2 emitter kept in the device context, and its
// reset: the device forgets pens, widths and line state at every page start.
#pragma once

namespace render {

struct DeviceContext;

// Forgets the emitter's open polyline and every cached pen and line value, so the
// next drawing sends them again.
void ResetGraphicsState(DeviceContext& dc);

// The page end: an open encoded polyline is ended, "PG;" written, the pen-up
// forgotten and the graphics state reset.
void EndPage(DeviceContext& dc);

}  // namespace render
