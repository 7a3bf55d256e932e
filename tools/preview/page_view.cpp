// The picture's orientation on the sheet.
#include "tools/preview/page_view.h"

#include <algorithm>

namespace preview {

Rect PageView::ToPicture(const Rect& r) const {
  Point a = ToPicture(Point{r.x0, r.y0});
  Point b = ToPicture(Point{r.x1, r.y1});
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The plotter frame of each rotation in physical terms (plot_frame.cpp),
// then its y axis flipped so that the picture's y runs down:
//   0:   plotter (X, Y)          picture (X, W - Y)
//   90:  plotter (Y, L - X)      picture (Y, X)
//   180: plotter (L - X, W - Y)  picture (L - X, Y)
//   270: plotter (W - Y, X)      picture (W - Y, L - X)
PageView MakePageView(const Sheet& sheet) {
  const double l = sheet.length;
  const double w = sheet.width;
  PageView v;
  switch (sheet.rotation) {
    case 90:
      v = {w, l, 0, 1, 1, 0, 0, 0};
      break;
    case 180:
      v = {l, w, -1, 0, 0, 1, l, 0};
      break;
    case 270:
      v = {w, l, 0, -1, -1, 0, w, l};
      break;
    default:
      v = {l, w, 1, 0, 0, -1, 0, w};
      break;
  }
  return v;
}

}  // namespace preview
