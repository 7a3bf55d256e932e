// The frame of an RTL raster image around its rows: the raster start that
// places the image and names its method, the rows themselves ("ESC*b<n>W" and
// the data), the raster end, and the input window that clips an image to a
// rectangle of the page. ESC is the byte 0x1B.
#pragma once

#include <cstddef>

#include "platform/engine/ddi.h"
#include "render/raster/raster_image.h"

namespace render {

struct DeviceContext;
struct OutputChannel;

// The raster output's state of one device context that the image writers read
// and change. The bitmap calls keep one per device context and pass it along.
struct RasterState {
  DWORD paletteState = 0;          // 0, or 1, 2, 3: a palette for 1-, 4-, 8-bit images is pushed
  bool inputWindowSet = false;     // an "IW" narrower than the page is in force
  bool complexClipActive = false;  // the current bitmap call's clip is complex
  // The operation a monochrome blit recorded for the copies the engine's
  // drawing of it sends (0: none), and whether the next copy writes its merge
  // control even when the printer holds it already.
  DWORD recordedOperation = 0;
  bool forceMergeControl = false;
};

// "PUPA" x "," y, "ESC%1A", for a scaled image "ESC*t" w "h" h "V" (the
// destination size in decipoints, rounded), "ESC*r" width "s" height "t",
// "3A" (scaled) or "1A", "ESC*b" method "m". The open "m" lets the first row
// follow without its own "ESC*b".
void StartRaster(DeviceContext& dc, int method, LONG width, LONG height,
                 const ImagePlacement& place);
// The start of a one-bit image printed one pixel per dot: as StartRaster
// without a destination size, with "ESC*t" dpi "R" before "ESC*r" unless the
// vector colour override is on outside image print, or the printer takes its
// resolution from the job (PrinterFunction 0x2000 on a PrinterType other than 6).
void StartMonoRaster(DeviceContext& dc, int method, LONG width, LONG height, LONG x, LONG y);

// One row: "ESC*b" (not for the image's first row), the length, "W", the bytes.
void WriteRasterRow(OutputChannel& out, const unsigned char* data, std::size_t length, bool first);
// A row without data: "0W" as the first row, else "ESC*b0W".
void WriteEmptyRow(OutputChannel& out, bool first);
// "ESC*rC", "ESC%0B".
void EndRaster(OutputChannel& out);

// The page extents in device pixels the input window is bounded by: the
// imageable right and bottom of the logical page at the job's resolution.
LONG PageWidthPixels(const DeviceContext& dc);
LONG PageHeightPixels(const DeviceContext& dc);
// "IW" left "," top "," right "," bottom ";" for a non-empty rectangle that
// starts on the page (cut to the page), marking the window as set; otherwise
// the same as ResetInputWindow.
void SetInputWindow(DeviceContext& dc, RasterState& state, const RECTL& rect);
// "IW0,0," W "," H ";" when a window is set; the window is then cleared.
void ResetInputWindow(DeviceContext& dc, RasterState& state);

}  // namespace render
