// Escape-framed and "MS-1" device commands that carry the device settings.
#pragma once

namespace render {

struct DeviceContext;

// The page set-up commands the first page of a device context made by a reset
// writes instead of a job header.
void WriteResetPageSetup(DeviceContext& dc);
// Turns the printer's manual feed on or off (the job state remembers it).
void SwitchManualFeed(DeviceContext& dc, bool on);

}  // namespace render
