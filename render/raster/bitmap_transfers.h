// The colour path of the three bitmap transfers, shared by the entry points:
// the source prepared in a temporary bitmap of the target's size (indices
// kept for 1-, 4- and 8-bit sources, 24 bits for any other), its palette
// checked against the one the printer holds, then sent.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// One transfer: the source area at `sourcePoint` of the ordered, non-empty
// `target` size. `maskSent`: a mask pass went before, so the image is sent
// with 0x8888 and a 24-bit source is drawn with `operation` and the mask.
struct Transfer {
  SURFOBJ* source = nullptr;
  SURFOBJ* mask = nullptr;
  CLIPOBJ* clip = nullptr;
  XLATEOBJ* xlate = nullptr;
  RECTL target{};
  POINTL sourcePoint{};
  POINTL maskPoint{};
  DWORD operation = 0xCCCC;
  bool maskSent = false;
};
BOOL SendColourTransfer(DeviceContext& dc, const Transfer& transfer);

// Whether the rectangle's extents fit 32 bits; else the last error is
// ERROR_INVALID_PARAMETER and the call writes nothing.
[[nodiscard]] bool RectFits(const RECTL& rect);

// The colour path of a stretch: shrinking (or any stretch under a complex
// clip) is done by the engine at the target size; growing is left to the
// printer ("3A"), the source sent at its own size.
BOOL SendColourStretch(DeviceContext& dc, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate,
                       COLORADJUSTMENT* adjustment, const RECTL& target, const RECTL& sourceRect,
                       ULONG mode);

// A copy whose 24-bit size exceeds 0xFFFFF bytes, in strips of
// max(1, budget / (width x 3)) rows, each sent at its own place: the merge
// control and palette set once before the first strip (each strip sets its
// own under a complex clip), and a 24-bit source of two colours found once
// and sent as one-bit strips.
BOOL SendColourCopyInStrips(DeviceContext& dc, const Transfer& transfer);

}  // namespace render
