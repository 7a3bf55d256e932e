// Extents of marks.
#include "tools/preview/mark_bounds.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace preview {

namespace {

void Grow(std::optional<Rect>& box, Point p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  if (!box) {
    box = Rect{p.x, p.y, p.x, p.y};
    return;
  }
  box->x0 = std::min(box->x0, p.x);
  box->y0 = std::min(box->y0, p.y);
  box->x1 = std::max(box->x1, p.x);
  box->y1 = std::max(box->y1, p.y);
}

Point Add(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point Scale(Point a, double s) { return {a.x * s, a.y * s}; }

struct BoundsOf {
  std::optional<Rect>& box;
  void operator()(const StrokeMark& m) const {
    double half = m.style.width / 2;
    for (const Subpath& s : m.subpaths) {
      for (Point p : s.points) {
        Grow(box, {p.x - half, p.y - half});
        Grow(box, {p.x + half, p.y + half});
      }
    }
  }
  void operator()(const FillMark& m) const {
    double half = m.edge / 2;
    for (const Subpath& s : m.subpaths) {
      for (Point p : s.points) {
        Grow(box, {p.x - half, p.y - half});
        Grow(box, {p.x + half, p.y + half});
      }
    }
  }
  void operator()(const LabelMark& m) const {
    // Glyphs may reach a little beyond their cell; half a cell all round covers them.
    Point pad = Add(Scale(m.advance, 0.5), Scale(m.up, 0.5));
    for (const Glyph& g : m.glyphs) {
      Point corners[4] = {g.origin, Add(g.origin, m.advance), Add(g.origin, m.up),
                          Add(Add(g.origin, m.advance), m.up)};
      for (Point c : corners) {
        Grow(box, Add(c, pad));
        Grow(box, Add(c, Scale(pad, -1)));
      }
    }
  }
  void operator()(const RasterMark& m) const {
    Point across = Scale(m.pixelStep, m.width);
    Point down = Scale(m.rowStep, m.height);
    Grow(box, m.origin);
    Grow(box, Add(m.origin, across));
    Grow(box, Add(m.origin, down));
    Grow(box, Add(Add(m.origin, across), down));
  }
};

}  // namespace

std::optional<Rect> MarkBounds(const Mark& mark) {
  std::optional<Rect> box;
  std::visit(BoundsOf{box}, mark.shape);
  if (!box || !mark.clipped) return box;
  Rect r{std::max(box->x0, mark.clip.x0), std::max(box->y0, mark.clip.y0),
         std::min(box->x1, mark.clip.x1), std::min(box->y1, mark.clip.y1)};
  if (r.x0 > r.x1 || r.y0 > r.y1) return std::nullopt;
  return r;
}

}  // namespace preview
