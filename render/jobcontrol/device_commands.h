// Escape-framed and "MS-1" device commands that carry the device settings, the
// PJL output-bin and fold lines, and the feature blocks of a settings reset.
#pragma once

#include <initializer_list>
#include <string_view>

#include "render/core/output_channel.h"

namespace render {

struct DeviceContext;

// The page set-up commands the first page of a device context made by a reset
// writes instead of a job header.
void WriteResetPageSetup(DeviceContext& dc);
// Turns the printer's manual feed on or off (the job state remembers it); a
// block is written only when the state changes.
void SwitchManualFeed(DeviceContext& dc, bool on);

namespace jobcontrol {

// Colour mode: "MS-1,6,11,n;" by model, printer type and colour settings, and
// the short form of the models without a PJL part.
void WriteColourCommand(DeviceContext& dc);
void WriteShortColourCommand(DeviceContext& dc);
// Paper source and feed mode.
void WriteJobSetupCommands(DeviceContext& dc);
// Clip, device font, resolution, scale factors, origin shift, mirror, scale.
void WriteBasicMediaCommands(DeviceContext& dc);
// The same for the colour and wide-format families, with centring, red image
// print and the placement and margins on custom paper.
void WriteExtendedMediaCommands(DeviceContext& dc);
// Monochrome print, dither design, grey and tone, output bin, image rotation
// and the reversed third bin.
void WriteOutputOptionCommands(DeviceContext& dc);
void WriteReversedBinCommand(DeviceContext& dc);

// Texts of the selected options.
void WritePrintModeInvocation(DeviceContext& dc);
void WriteDesingText(DeviceContext& dc);
// Only for the options that leave the bin to the printer.
void WriteOutputBinText(DeviceContext& dc);
void WritePaperKindText(DeviceContext& dc);

// The PJL output-bin lines: plain, upper bin (model 8), fold and stamp.
void WritePlainOutputBinLines(DeviceContext& dc);
void WriteUpperBinLines(DeviceContext& dc);
void WriteFoldAndStampLines(DeviceContext& dc);
// Fold pattern, binding margin and fold stamp.
void WriteFoldLines(DeviceContext& dc);

// Tray and roll commands, escape-framed.
void WriteCustomSizeTray(DeviceContext& dc);
void WritePaperLinkTray(DeviceContext& dc);
void WriteRoleTray(DeviceContext& dc);
void WriteOlderWideTray(DeviceContext& dc);
// Pens that draw in red ink: the form of the wide-format red-ink devices, and
// the second form.
void WriteRedInkPalette(DeviceContext& dc);
void WriteSecondPenPalette(DeviceContext& dc);

// A feature block: "[{\n%%BeginFeature: *", the formatted selection text, the
// invocation, "\n%%EndFeature\n} stopped cleartomark\n".
void WriteFeatureBlock(DeviceContext& dc, const char* selection,
                       std::initializer_list<FormatArg> args, std::string_view invocation);

}  // namespace jobcontrol

}  // namespace render
