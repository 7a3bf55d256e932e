// The stamp overlay. It is added with the stamps; until then pages carry none.
#include "render/jobcontrol/stamp_overlay.h"

#include "render/core/device_context.h"

namespace render {

void DrawStampOverlay(DeviceContext&) {}

}  // namespace render
