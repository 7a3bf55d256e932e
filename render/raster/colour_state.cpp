// Colour state of the device context: the colour matching, prepared once the
// settings are final and released with the device context.
#include "render/raster/colour_state.h"

#include "render/core/device_context.h"
#include "render/raster/colour_matching.h"

namespace render {

void PrepareColourState(DeviceContext& dc) { SetupColorMatching(dc); }
void ReleaseColourState(DeviceContext& dc) { ReleaseColorMatching(dc); }

}  // namespace render
