// The stamp and date overlay drawn at the end of each page.
#pragma once

namespace render {

struct DeviceContext;

void DrawStampOverlay(DeviceContext& dc);

}  // namespace render
