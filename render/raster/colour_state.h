// The colour state of a device context: the colour matching prepared from the
// settings when the device context is built, and released with it.
#pragma once

namespace render {

struct DeviceContext;

void PrepareColourState(DeviceContext& dc);
void ReleaseColourState(DeviceContext& dc);

}  // namespace render
