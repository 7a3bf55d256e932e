// Raster output: the page or band bitmaps of raster jobs (image print) sent as
// RTL raster, block by block.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// The input window back to the whole page, as a reset between pages needs it.
void WriteFullPageInputWindow(DeviceContext& dc);

// Sends the band bitmap just drawn (a top-down one-bit or 24-bit surface whose
// top row is page row `bandTop`): 24-bit bands are dithered to one bit, one-bit
// bands inverted in place so that 1 is black; then each block of rows with ink
// goes as a one-bit image of the byte columns its ink spans. A block ends at
// the third blank row in a row that lies at least five rows below its start.
void FlushBandBitmap(DeviceContext& dc, SURFOBJ* band, LONG bandTop);
// The band loop's call: FlushBandBitmap at the band's origin.
void SendRasterBand(DeviceContext& dc, SURFOBJ* surface, POINTL band);

// Where the blocks of a one-bit band lie: row ranges with their byte columns.
struct BandBlock {
  LONG firstRow;
  LONG height;     // without the blank rows at its end
  LONG firstByte;  // leftmost non-zero byte
  LONG lastByte;   // rightmost non-zero byte
};
// Finds the next block at or after row `from` of `rows` rows of `rowBytes`
// bytes, `rowStep` apart; false when no row with ink is left. `next` is the
// row where the search goes on.
[[nodiscard]] bool FindBandBlock(const unsigned char* bits, LONG rowStep, LONG rows, LONG rowBytes,
                                 LONG from, BandBlock& block, LONG& next);

}  // namespace render
