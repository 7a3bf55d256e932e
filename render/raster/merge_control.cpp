// Merge control and the raster palette pop.
#include "render/raster/merge_control.h"

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

bool MonochromeTracker(const DeviceContext& dc) {
  if (ColourMode(dc) != 2 || VectorColorOverride(dc) != 0) return false;
  if ((settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions) &
       settings::kOptModetype1) != 0) {
    return false;
  }
  return !((dc.PrinterFunction() & 0x2000) != 0 && dc.Description().PrinterType() != 6);
}

}  // namespace

void SetMergeControl(DeviceContext& dc, DWORD operation) {
  if (MonochromeTracker(dc)) {
    if (operation == dc.monoMergeControlState) return;
    ClosePolyline(dc.output, dc.vector);
    WriteFormatted(dc.output, "MC1,%l", {static_cast<LONG>((operation >> 8) & 0xFF)});
    dc.monoMergeControlState = operation;
    return;
  }
  SetColourMergeControl(dc, operation);
}

void SetColourMergeControl(DeviceContext& dc, DWORD operation) {
  if (operation == dc.mergeControlState) return;
  ClosePolyline(dc.output, dc.vector);
  DWORD n = (operation >> 8) & 0xFF;
  if (n == 170) {
    WriteText(dc.output, "MC1,170;");
    n = operation & 0xFF;
  }
  WriteFormatted(dc.output, "MC1,%l", {static_cast<LONG>(n)});
  dc.mergeControlState = operation;
}

void PopRasterPalette(DeviceContext& dc) {
  if (dc.raster.paletteState == 0) return;
  ClosePolyline(dc.output, dc.vector);
  WriteText(dc.output, "\x1B%1A\x1B*p1P\x1B%0B");
  dc.raster.paletteState = 0;
}

}  // namespace render
