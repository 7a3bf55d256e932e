// The downloaded 8 x 8 raster fill patterns of pattern brushes: "RF1,8,8" and
// 64 pen numbers (25 or 26), the colours of pens 25 and 26, and "SP25;".
#pragma once

#include "platform/engine/ddi.h"
#include "render/vector/brushes.h"

namespace render {

struct DeviceContext;

// The width or height class of a pattern: 8 for 8 to 15 pixels, 16 for 16 to
// 31, 32 for 32 to 63, 64 above.
LONG PatternClass(LONG pixels);

// The pattern in two colours: the bits of a one-bit pattern with pens 25 and 26
// from its colour table, else the brush drawn by the engine into a 24-bit bitmap
// of the width and height classes, whose two colours become pens 25 and 26.
// False when the drawn pattern has a third colour or the bitmap cannot be made.
[[nodiscard]] bool WriteTwoColourPattern(DeviceContext& dc, BRUSHOBJ* brush,
                                         const RealizedBrush& realized, const POINTL* origin,
                                         DWORD rop);

// The pattern dithered to black (pen 26) and white (pen 25), anchored at the
// brush origin. False when the engine bitmap cannot be made.
[[nodiscard]] bool WriteMonoPattern(DeviceContext& dc, BRUSHOBJ* brush,
                                    const RealizedBrush& realized, const POINTL* origin, DWORD rop);

}  // namespace render
