// The renderer's drawing of one mark into the page picture. Vector marks go
// through cairo; a mark whose raster operation is not a plain paint is drawn
// as a coverage mask first and merged pixel by pixel. Raster images are
// merged pixel by pixel always.
#pragma once

#include <cairo.h>

#include "tools/preview/display_list.h"

namespace preview {

struct Painter {
  cairo_t* cr = nullptr;
  cairo_surface_t* surface = nullptr;
  int width = 0;
  int height = 0;
  cairo_matrix_t toImage;  // physical plotter units to picture pixels
  double pixel = 1;        // plotter units per picture pixel
};

void PaintMark(Painter& painter, const Mark& mark);

// Raster images (raster_painter.cpp).
void PaintRaster(Painter& painter, const Mark& mark, const RasterMark& raster);

// Appends the outlines of a label's glyphs to the current path, in picture
// pixels (label_painter.cpp).
void AppendLabelPath(cairo_t* cr, const cairo_matrix_t& toImage, const LabelMark& label);

}  // namespace preview
