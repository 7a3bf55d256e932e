// The extent of a mark on the sheet, in physical plotter units.
#pragma once

#include <optional>

#include "tools/preview/display_list.h"

namespace preview {

// The smallest rectangle around everything the mark can ink (strokes with
// half their width, label cells, raster pixels), limited by its clip;
// nothing when the mark inks nothing.
std::optional<Rect> MarkBounds(const Mark& mark);

}  // namespace preview
