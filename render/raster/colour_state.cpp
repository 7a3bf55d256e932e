// Colour state of the device context. The colour matching tables are added with
// the colour conversion; until then there is nothing to prepare or release.
#include "render/raster/colour_state.h"

#include "render/core/device_context.h"

namespace render {

void PrepareColourState(DeviceContext&) {}
void ReleaseColourState(DeviceContext&) {}

}  // namespace render
