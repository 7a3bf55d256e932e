// Stroking, filling and painting paths: the engine's mix becomes the device's
// merge control, a rectangle clip becomes the input window, and the path is
// written in polygon mode and filled ("FP") or edged ("EP") with the brush and
// pen. The driver entries themselves are declared in render/core/driver_entry.h.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// Both halves of the mix leave the destination unchanged: nothing to draw.
constexpr DWORD kRopNothing = 0xAAAA;
// Copy the pen, leave the background: a transparent background.
constexpr DWORD kRopTransparent = 0xAAF0;

// The engine's mix (foreground binary raster operation in the low byte,
// background in the high byte, each 1-based) as a pair of 8-bit raster
// operations, background in the high byte.
DWORD MixToRop(MIX mix);

// The pixel bounds of a path from its 28.4 bounds. A stroke covers the pixel of
// its right and bottom ends, rounded up; a fill ends one past its last pixel.
RECTL StrokeBounds(PATHOBJ* path);
RECTL FillBounds(PATHOBJ* path);

enum class ClipUse { kStroke, kFill };

// Sets the input window to a rectangle clip that does not contain `bounds`
// (for strokes only when the current pen's width is not fixed by the
// settings). A trivial clip sets nothing. Returns whether a window was set; the
// caller resets it after drawing.
bool ClipForPath(DeviceContext& dc, CLIPOBJ* clip, const RECTL& bounds, ClipUse use);

// The number of points in all records of a path.
std::uint64_t PathPointCount(PATHOBJ* path);

}  // namespace render
