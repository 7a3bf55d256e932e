// Raster output: the page or band bitmaps of raster jobs sent as RTL raster.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// The input window back to the whole page, as a reset between pages needs it.
void WriteFullPageInputWindow(DeviceContext& dc);
// Sends the band just drawn (origin `band`, the surface's bitmap) to the printer.
void SendRasterBand(DeviceContext& dc, SURFOBJ* surface, POINTL band);

}  // namespace render
