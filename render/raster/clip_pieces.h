// Images under a complex clip that cannot go in one piece: on a landscape page
// the turned image column by column, each column piece with its own input
// window; with printer scaling one destination row of each clip rectangle at a
// time.
#pragma once

#include <cstddef>

#include "platform/engine/ddi.h"
#include "render/raster/raster_frame.h"
#include "render/raster/raster_image.h"

namespace render {

struct DeviceContext;

// The clip's rectangles in the engine's order (CD_RIGHTDOWN for a top-down
// bitmap, CD_RIGHTUP for a bottom-up one), from the device context's heap.
struct ClipList {
  HANDLE heap = nullptr;
  RECTL* rects = nullptr;
  std::size_t count = 0;
};
// Enumerates the clip twice, to count and to fill. False when the list cannot
// be had.
[[nodiscard]] bool CollectClipRects(HANDLE heap, CLIPOBJ* clip, bool bottomUp, ClipList& list);
void FreeClipRects(ClipList& list);

// The pieces, one pixel column wide, that the clip leaves of `image` (the
// image's place on the page): for each column from left to right the clip
// rectangles that contain it, cut to the image's vertical extent, make pieces
// (x, top, x + 1, bottom); rectangles that touch or overlap join into one
// piece, and a rectangle that does not contain the column closes the open one.
// Writes at most `capacity` pieces into `pieces` (null: only counts) and
// returns how many there are.
std::size_t BuildColumnPieces(const RECTL* rects, std::size_t count, const RECTL& image,
                              RECTL* pieces, std::size_t capacity);

// The rotated piecewise output: the image turned (24-bit pixels converted
// first when `convert`), then for each column piece the window set to it and
// the turned rows of its columns sent whole at (piece left, image bottom) with
// the destination size (image height, piece width); at the end the window is
// reset. Rows with printer scaling are the piece's columns divided by the
// factor (destination width x 100 / image width / 100, at least 1), the right
// edge rounded up. FALSE when a work area cannot be had.
BOOL SendRotatedPieces(DeviceContext& dc, RasterState& state, const ImageView& image,
                       const ImagePlacement& place, const ClipList& clip, int method, bool convert);

// The per-rectangle output with printer scaling: for each clip rectangle in
// the image's vertical extent, each destination row with the window set to
// that row of the rectangle and the source row that maps to it (row / vertical
// factor, the factor at least 1) sent as a scaled image at the image's place;
// the window is reset at the end.
BOOL SendScaledRectangles(DeviceContext& dc, RasterState& state, const ImageView& image,
                          const ImagePlacement& place, const ClipList& clip, int method);

}  // namespace render
