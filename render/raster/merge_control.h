// The printer's merge control ("MC") and the raster palette this library pushed
// into the printer, kept in step with what was sent.
#pragma once

#include "platform/base/types.h"

namespace render {

struct DeviceContext;

// Sets the four-operand raster operation for what is drawn next. In colour mode
// 2 drawn in gray (no vector colour override, modetype1 off, and not a printer
// taking its resolution from the job) the monochrome tracker writes "MC1," and
// the operation's high byte; otherwise "MC1," and the high byte, or, when the
// high byte is 170, "MC1,170;" and "MC1," and the low byte. The number is left
// open: the next command's mnemonic ends it. Nothing is written when the
// tracker already holds the operation.
void SetMergeControl(DeviceContext& dc, DWORD operation);
// The colour form alone, compared with MergeControlState in every colour
// mode (the mask pass uses it also on the monochrome paths).
void SetColourMergeControl(DeviceContext& dc, DWORD operation);

// "ESC%1A", "ESC*p1P", "ESC%0B": pops the palette pushed for 1-, 4- or 8-bit
// images. Does nothing when none is pushed.
void PopRasterPalette(DeviceContext& dc);

}  // namespace render
