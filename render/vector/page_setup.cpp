// The page set-up block. It is added with the page initialisation; until then a
// page opens without it.
#include "render/vector/page_setup.h"

#include "render/core/device_context.h"

namespace render {

void WritePageSetup(DeviceContext&) {}

}  // namespace render
