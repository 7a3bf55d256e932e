// The frame of a raster image: start, rows, end and the input window.
#include "render/raster/raster_frame.h"

#include <algorithm>
#include <cstdint>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// A size in pixels as decipoints at the job's resolution: pixels × (7200 /
// dpi) / 10, rounded half up.
std::int32_t Decipoints(LONG pixels, int dpi) {
  std::int64_t e = dpi > 0 ? 7200 / dpi : 0;
  std::int64_t q = std::int64_t{pixels} * e;
  return Clamp32(q / 10 + (q % 10 >= 5 ? 1 : 0));
}

void WritePlacement(DeviceContext& dc, LONG x, LONG y) {
  ClosePolyline(dc.output, dc.vector);
  WriteFormatted(dc.output, "PUPA%l,%l\x1B%%1A", {x, y});
}

void WriteRasterSize(OutputChannel& out, int method, LONG width, LONG height, bool scaled) {
  WriteFormatted(out, "\x1B*r%ls%lt%s\x1B*b%lm", {width, height, scaled ? "3A" : "1A", method});
}

// The printer takes its resolution from the job, so the one-bit frame leaves
// "ESC*t...R" out.
bool MonoFrameWithoutResolution(const DeviceContext& dc) {
  bool imageprint = (settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions) &
                     settings::kOptImageprint) != 0;
  if (VectorColorOverride(dc) != 0 && !imageprint) return true;
  return (dc.PrinterFunction() & 0x2000) != 0 && dc.Description().PrinterType() != 6;
}

}  // namespace

void StartRaster(DeviceContext& dc, int method, LONG width, LONG height,
                 const ImagePlacement& place) {
  WritePlacement(dc, place.x, place.y);
  if (place.scaled) {
    WriteFormatted(dc.output, "\x1B*t%lh%lV",
                   {Decipoints(place.destWidth, dc.dpi), Decipoints(place.destHeight, dc.dpi)});
  }
  WriteRasterSize(dc.output, method, width, height, place.scaled);
}

void StartMonoRaster(DeviceContext& dc, int method, LONG width, LONG height, LONG x, LONG y) {
  WritePlacement(dc, x, y);
  if (!MonoFrameWithoutResolution(dc)) WriteFormatted(dc.output, "\x1B*t%lR", {dc.dpi});
  WriteRasterSize(dc.output, method, width, height, false);
}

void WriteRasterRow(OutputChannel& out, const unsigned char* data, std::size_t length, bool first) {
  WriteFormatted(out, first ? "%lW" : "\x1B*b%lW", {Clamp32(static_cast<std::int64_t>(length))});
  WriteBytes(out, data, length);
}

void WriteEmptyRow(OutputChannel& out, bool first) { WriteText(out, first ? "0W" : "\x1B*b0W"); }

void EndRaster(OutputChannel& out) { WriteText(out, "\x1B*rC\x1B%0B"); }

LONG PageWidthPixels(const DeviceContext& dc) {
  return Clamp32(std::int64_t{dc.dpi} * dc.logical.right / 1016);
}

LONG PageHeightPixels(const DeviceContext& dc) {
  return Clamp32(std::int64_t{dc.dpi} * dc.logical.bottom / 1016);
}

void SetInputWindow(DeviceContext& dc, RasterState& state, const RECTL& rect) {
  LONG w = PageWidthPixels(dc);
  LONG h = PageHeightPixels(dc);
  bool empty = rect.left == rect.right || rect.top == rect.bottom;
  if (empty || w < rect.left || h < rect.top) {
    ResetInputWindow(dc, state);
    return;
  }
  ClosePolyline(dc.output, dc.vector);
  WriteFormatted(dc.output, "IW%l,%l,%l,%l;",
                 {std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                  std::min(w, rect.right), std::min(h, rect.bottom)});
  state.inputWindowSet = true;
}

void ResetInputWindow(DeviceContext& dc, RasterState& state) {
  if (state.inputWindowSet) {
    ClosePolyline(dc.output, dc.vector);
    WriteFormatted(dc.output, "IW0,0,%l,%l;", {PageWidthPixels(dc), PageHeightPixels(dc)});
  }
  state.inputWindowSet = false;
}

}  // namespace render
