// Line attributes: the engine's line description (width, joins, caps, dash
// style) becomes the device's "LA" joins and caps, "PW" width in millimetres and
// "UL"/"LT" user line pattern, each written only when it changed.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// The transform's scale in 24.8: the mean magnitude of its two diagonal terms;
// -1 when the transform cannot be read. The transform is kept in the device
// context.
std::int32_t LineScale(DeviceContext& dc, XFORMOBJ* transform);

// Writes the joins, caps, width and line pattern of a stroke. False when the
// transform's scale is 0 or memory for the style copy runs out; the stroke is
// then not drawn.
[[nodiscard]] bool ApplyLineAttributes(DeviceContext& dc, const LINEATTRS* line,
                                       XFORMOBJ* transform);

// Forgets the cached dash style and, when one was in force, writes "LT".
void ResetLineType(DeviceContext& dc);

// A float to an integer, truncated, with values beyond the 32-bit range held at
// its ends and NaN as 0.
std::int32_t TruncateToInt32(double v);

}  // namespace render
