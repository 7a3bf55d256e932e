// What the render library reports to the engine about the device: the device
// capability record (GDIINFO) and the device information record (DEVINFO) with
// the default palette.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// Raster output (the engine renders the page, which is sent as raster) when the
// colour mode is monochrome and the image print option is on; full colour when
// in addition the 24-bit mode is chosen. Vector output otherwise.
void SetOutputModes(DeviceContext& dc);

// Fills at most `size` bytes of the capability record; also sets the page size
// the banding uses.
void FillCapabilities(DeviceContext& dc, ULONG size, ULONG* caps);
// Fills at most `size` bytes of the information record and creates the default
// palette (the previous one deleted first); false when the palette cannot be made.
bool FillDeviceInfo(DeviceContext& dc, ULONG size, DEVINFO* info);

// The halftone pattern size and the device pels per inch the capability record
// reports (from "CurDevHTInfo" when the printer has it).
struct Halftone {
  ULONG patternSize;
  ULONG pelsPerInch;
  COLORINFO colours;
};
Halftone DeviceHalftone(const DeviceContext& dc);

}  // namespace render
