// The drawing state of the KX-GL/2 emitter kept in the device context, and its
// reset: the device forgets line state and colours at every page end.
#pragma once

namespace render {

struct DeviceContext;

// Forgets the emitter's open polyline, the cached line description and dash
// style, the cached colour and the transforms, so the next drawing sends them
// again. The current pen and the pen widths are the page set-up's to reset.
void ResetGraphicsState(DeviceContext& dc);

// The page end: a pushed raster palette is popped, an open encoded polyline
// ended, "PG;" written, the pen-up forgotten and the graphics state reset.
void EndPage(DeviceContext& dc);

}  // namespace render
