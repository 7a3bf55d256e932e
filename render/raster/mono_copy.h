// The monochrome paths of bitmap transfers (colour mode 2 outside image print
// and outside modetype1): the blit's operation is recorded and the engine
// draws it back through DrvCopyBits, which sends one-bit images with the
// merge controls the recorded operation calls for. The override case (vector
// colour override, or a printer taking its resolution from the job) sends
// images in which 0 is black under the black-and-white palette; the plain
// case images in which 1 is black under the printer's own monochrome merge
// controls.
#pragma once

#include "platform/engine/ddi.h"
#include "render/raster/bitmap_transfers.h"
#include "render/raster/raster_strips.h"

namespace render {

struct DeviceContext;

BOOL MonoBitBlt(DeviceContext& dc, bool override, const BlitCall& call);
BOOL MonoStretchBlt(DeviceContext& dc, bool override, const StretchCall& call, SURFOBJ* target,
                    CLIPOBJ* clip, POINTL* halftoneOrigin);
BOOL MonoCopyBits(DeviceContext& dc, bool override, const Transfer& transfer);

// The monochrome merge control a copy writes before its image under a simple
// clip, for the high byte k of the recorded operation ("MC1,204" or "MC0"
// for any k without one of its own); `wide` is PrinterFunction bit 0x8000.
const char* SimpleClipMergeControl(DWORD k, bool wide);

}  // namespace render
