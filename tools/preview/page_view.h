// How the picture of a page looks at its sheet: the plotter frame that the
// page's rotation sets up, shown with its x axis to the right and its y axis
// up, as a drawing on the sheet is read. Picture coordinates are plotter
// units from the top left corner, x to the right, y down.
#pragma once

#include "tools/preview/display_list.h"

namespace preview {

struct PageView {
  double width = 0;  // picture extents, plotter units
  double height = 0;
  // picture = offset + xx/xy/yx/yy applied to the physical point.
  double xx = 1, xy = 0, yx = 0, yy = -1;
  double offsetX = 0, offsetY = 0;

  Point ToPicture(Point p) const {
    return {offsetX + xx * p.x + xy * p.y, offsetY + yx * p.x + yy * p.y};
  }
  Rect ToPicture(const Rect& r) const;
};

PageView MakePageView(const Sheet& sheet);

}  // namespace preview
