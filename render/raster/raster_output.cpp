// Raster output of image-print bands.
#include "render/raster/raster_output.h"

#include <cstring>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/dither.h"
#include "render/raster/image_rows.h"
#include "render/raster/merge_control.h"
#include "render/raster/raster_palette.h"
#include "render/raster/row_encoding.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

bool Blank(const unsigned char* row, LONG bytes) {
  for (LONG i = 0; i < bytes; ++i) {
    if (row[i] != 0) return false;
  }
  return true;
}

// The palette and merge control of one block: true when a palette was pushed.
bool StartBlock(DeviceContext& dc) {
  dc.monoMergeControlState = 0;
  dc.mergeControlState = 0xF0F0;
  const bool modetype1 = (settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions) &
                          settings::kOptModetype1) != 0;
  const DWORD type = dc.Description().PrinterType();
  const DWORD function = dc.PrinterFunction();
  if ((type == 6 && modetype1) || ((function & 0x2000) != 0 && type != 6)) {
    SetMergeControl(dc, 0xCCCC);
    SendWhiteBlackPalette(dc);
    return true;
  }
  ClosePolyline(dc.output, dc.vector);
  WriteText(dc.output, (function & 0x8000) != 0 ? "MC1,204" : "MC0");
  return false;
}

void SendBlocks(DeviceContext& dc, const unsigned char* bits, LONG rowStep, LONG rows,
                LONG rowBytes, LONG bandTop) {
  ResetInputWindow(dc, dc.raster);
  BandBlock block{};
  LONG from = 0;
  while (from < rows && FindBandBlock(bits, rowStep, rows, rowBytes, from, block, from)) {
    const bool palette = StartBlock(dc);
    OneBitImage image;
    image.width = 8 * (block.lastByte - block.firstByte + 1);
    image.height = block.height;
    image.x = 8 * block.firstByte;
    image.y = block.firstRow + bandTop;
    image.bits = bits + static_cast<std::ptrdiff_t>(block.firstRow) * rowStep + block.firstByte;
    image.rowStep = rowStep;
    (void)SendOneBitImage(dc, dc.raster, image, PieceMethod(dc), OneBitFrame::kMonochrome);
    if (palette) PopRasterPalette(dc);
  }
}

}  // namespace

void WriteFullPageInputWindow(DeviceContext& dc) { ResetInputWindow(dc, dc.raster); }

bool FindBandBlock(const unsigned char* bits, LONG rowStep, LONG rows, LONG rowBytes, LONG from,
                   BandBlock& block, LONG& next) {
  auto row = [&](LONG r) { return bits + static_cast<std::ptrdiff_t>(r) * rowStep; };
  LONG first = from;
  while (first < rows && Blank(row(first), rowBytes)) ++first;
  if (first >= rows) {
    next = rows;
    return false;
  }
  block = {first, 0, rowBytes, -1};
  LONG blankRun = 0;
  LONG r = first;
  for (; r < rows; ++r) {
    const unsigned char* data = row(r);
    if (Blank(data, rowBytes)) {
      ++blankRun;
      if (blankRun >= 3 && r - first >= 5) break;
      continue;
    }
    blankRun = 0;
    block.height = r - first + 1;
    for (LONG b = 0; b < rowBytes; ++b) {
      if (data[b] == 0) continue;
      if (b < block.firstByte) block.firstByte = b;
      if (b > block.lastByte) block.lastByte = b;
    }
  }
  next = r < rows ? r + 1 : rows;
  return true;
}

void FlushBandBitmap(DeviceContext& dc, SURFOBJ* band, LONG bandTop) {
  if (band == nullptr || band->pvScan0 == nullptr || band->lDelta <= 0) return;
  const LONG width = band->sizlBitmap.cx;
  const LONG rows = band->sizlBitmap.cy;
  if (width <= 0 || rows <= 0) return;
  const LONG rowBytes = static_cast<LONG>(RowDataBytes(static_cast<std::uint64_t>(width), 1));
  auto* scan = static_cast<unsigned char*>(band->pvScan0);
  if (band->iBitmapFormat == BMF_1BPP) {
    for (LONG r = 0; r < rows; ++r) {
      unsigned char* data = scan + static_cast<std::ptrdiff_t>(r) * band->lDelta;
      for (LONG b = 0; b < rowBytes; ++b) data[b] = static_cast<unsigned char>(~data[b]);
      // The fill bits past the last pixel stay blank.
      if (width % 8 != 0) data[rowBytes - 1] &= static_cast<unsigned char>(0xFF00u >> (width % 8));
    }
    SendBlocks(dc, scan, band->lDelta, rows, rowBytes, bandTop);
    return;
  }
  if (band->iBitmapFormat != BMF_24BPP) return;
  unsigned char* oneBit = TakeWorkArea(
      dc.heap, static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(rows), false);
  if (oneBit == nullptr) return;
  RECTL all{0, 0, width, rows};
  DitherToOneBit(dc, ImageOf(*band), OneBitTarget{oneBit, rowBytes}, all, 0, bandTop,
                 InkPolarity::kOneIsInk);
  SendBlocks(dc, oneBit, rowBytes, rows, rowBytes, bandTop);
  ReleaseWorkArea(dc.heap, oneBit);
}

void SendRasterBand(DeviceContext& dc, SURFOBJ* surface, POINTL band) {
  FlushBandBitmap(dc, surface, band.y);
}

}  // namespace render
