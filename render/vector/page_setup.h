// The KX-GL/2 set-up block at the start of every page with content: language
// entry, copies, pens, plot size, scaling, window, rotation and the pen table.
#pragma once

namespace render {

struct DeviceContext;

void WritePageSetup(DeviceContext& dc);

}  // namespace render
