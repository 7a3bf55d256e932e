// Raster output. The RTL encoder of the bands is added with the raster output;
// until then a raster page sends no image.
#include "render/raster/raster_output.h"

#include "render/core/device_context.h"

namespace render {

void WriteFullPageInputWindow(DeviceContext&) {}
void SendRasterBand(DeviceContext&, SURFOBJ*, POINTL) {}

}  // namespace render
