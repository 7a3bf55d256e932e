// Rendering a page: the picture, its orientation, and the vector marks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "tools/preview/mark_bounds.h"
#include "tools/preview/page_view.h"
#include "tools/preview/painter.h"
#include "tools/preview/preview.h"
#include "tools/preview/raster_ops.h"

namespace preview {

namespace {

// Picture coordinates stay within this, so that cairo's fixed-point numbers
// never overflow whatever a corrupt stream says.
constexpr double kFarAway = 4e6;

// A stroke with more dashes than this, or a fill with more hatch lines, is
// drawn in a simpler way: solid, or with wider spacing.
constexpr double kMaxDashes = 200000;
constexpr double kMaxHatchLines = 20000;

Point ToImage(const cairo_matrix_t& m, Point p) {
  double x = p.x;
  double y = p.y;
  cairo_matrix_transform_point(&m, &x, &y);
  return {std::clamp(x, -kFarAway, kFarAway), std::clamp(y, -kFarAway, kFarAway)};
}

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void SetColour(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// How the mark's ink is given: its own colours, or plain coverage for a mask.
enum class Ink { kColour, kCoverage };

void AddSubpaths(cairo_t* cr, const cairo_matrix_t& m, const std::vector<Subpath>& subpaths,
                 bool closeAll) {
  for (const Subpath& s : subpaths) {
    bool first = true;
    for (Point p : s.points) {
      if (!Finite(p)) continue;
      Point q = ToImage(m, p);
      if (first) {
        cairo_move_to(cr, q.x, q.y);
        first = false;
      } else {
        cairo_line_to(cr, q.x, q.y);
      }
    }
    if (!first && (s.closed || closeAll)) cairo_close_path(cr);
  }
}

bool IsDot(const Subpath& s) {
  for (Point p : s.points) {
    if (p.x != s.points.front().x || p.y != s.points.front().y) return false;
  }
  return true;
}

double PathLength(const std::vector<Subpath>& subpaths) {
  double length = 0;
  for (const Subpath& s : subpaths) {
    for (size_t i = 1; i < s.points.size(); ++i) {
      length += std::hypot(s.points[i].x - s.points[i - 1].x, s.points[i].y - s.points[i - 1].y);
    }
  }
  return length;
}

cairo_line_cap_t CairoCap(LineCap cap) {
  switch (cap) {
    case LineCap::kSquare:
      return CAIRO_LINE_CAP_SQUARE;
    case LineCap::kTriangle:
    case LineCap::kRound:
      return CAIRO_LINE_CAP_ROUND;
    default:
      return CAIRO_LINE_CAP_BUTT;
  }
}

cairo_line_join_t CairoJoin(LineJoin join) {
  switch (join) {
    case LineJoin::kRound:
    case LineJoin::kTriangle:
      return CAIRO_LINE_JOIN_ROUND;
    case LineJoin::kBevel:
    case LineJoin::kNone:
      return CAIRO_LINE_JOIN_BEVEL;
    default:
      return CAIRO_LINE_JOIN_MITER;
  }
}

// The dash pattern in picture pixels; empty when the line is drawn solid
// (no pattern, or one too fine or too long to be seen as dashes).
std::vector<double> Dashes(const StrokeMark& m, double pixel, double width) {
  std::vector<double> dashes;
  double period = 0;
  for (double d : m.style.dashes) period += d;
  if (period <= 0 || period < pixel || PathLength(m.subpaths) / period > kMaxDashes) return dashes;
  for (size_t i = 0; i < m.style.dashes.size(); ++i) {
    double d = m.style.dashes[i] / pixel;
    // A line of length 0 is a dot: as long as the line is wide.
    if (i % 2 == 0 && d == 0) d = std::min(width, 0.5 * period / pixel);
    dashes.push_back(std::max(d, 0.01));
  }
  if (dashes.size() % 2 == 1) dashes.push_back(0.01);
  return dashes;
}

void PaintStroke(cairo_t* cr, const Painter& p, const StrokeMark& m, Ink ink) {
  double width = std::max(m.style.width / p.pixel, 1.0);
  if (ink == Ink::kColour) SetColour(cr, m.colour);
  std::vector<Subpath> lines;
  for (const Subpath& s : m.subpaths) {
    if (s.points.empty()) continue;
    if (IsDot(s)) {
      Point c = ToImage(p.toImage, s.points.front());
      cairo_new_sub_path(cr);
      cairo_arc(cr, c.x, c.y, width / 2, 0, 2 * std::numbers::pi);
      cairo_fill(cr);
    } else {
      lines.push_back(s);
    }
  }
  if (lines.empty()) return;
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CairoCap(m.style.cap));
  cairo_set_line_join(cr, CairoJoin(m.style.join));
  cairo_set_miter_limit(cr, std::max(m.style.miterLimit, 1.0));
  std::vector<double> dashes = Dashes(m, p.pixel, width);
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
  AddSubpaths(cr, p.toImage, lines, false);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

// Hatch lines along `direction`, `spacing` apart through the anchor, over
// the outline's extent (the outline is the clip).
void AddHatchLines(cairo_t* cr, const Painter& p, const FillMark& m, Point direction) {
  double spacing = m.fill.spacing;
  Point n{-direction.y, direction.x};
  double tMin = 1e300, tMax = -1e300, sMin = 1e300, sMax = -1e300;
  for (const Subpath& s : m.subpaths) {
    for (Point q : s.points) {
      double dx = q.x - m.fill.anchor.x;
      double dy = q.y - m.fill.anchor.y;
      double t = dx * n.x + dy * n.y;
      double along = dx * direction.x + dy * direction.y;
      tMin = std::min(tMin, t);
      tMax = std::max(tMax, t);
      sMin = std::min(sMin, along);
      sMax = std::max(sMax, along);
    }
  }
  if (!(spacing > 0) || !(tMax >= tMin) || !std::isfinite(tMax - tMin)) return;
  double count = (tMax - tMin) / spacing;
  if (count > kMaxHatchLines) spacing *= count / kMaxHatchLines;
  // Lines counted from the first one, so that far from the anchor each
  // step still moves.
  double first = std::ceil(tMin / spacing) * spacing;
  int lines = static_cast<int>(std::min((tMax - first) / spacing, kMaxHatchLines)) + 1;
  for (int i = 0; i < lines; ++i) {
    double t = first + i * spacing;
    Point base{m.fill.anchor.x + n.x * t, m.fill.anchor.y + n.y * t};
    Point a = ToImage(p.toImage, {base.x + direction.x * sMin, base.y + direction.y * sMin});
    Point b = ToImage(p.toImage, {base.x + direction.x * sMax, base.y + direction.y * sMax});
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
  }
}

// The tile of a raster fill as a cairo pattern laid in picture pixels.
cairo_pattern_t* TilePattern(const Painter& p, const FillPattern& tile) {
  if (tile.width <= 0 || tile.height <= 0 ||
      tile.pixels.size() < static_cast<size_t>(tile.width * tile.height)) {
    return nullptr;
  }
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, tile.width, tile.height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return nullptr;
  }
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < tile.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < tile.width; ++x) {
      Rgb c = tile.pixels[static_cast<size_t>(y * tile.width + x)];
      row[x] = (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
    }
  }
  cairo_surface_mark_dirty(image);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
  cairo_surface_destroy(image);
  // Tile pixel (i, j) sits at origin + i * axisX + j * axisY: that map, into
  // picture pixels, inverted.
  double ox = tile.origin.x, oy = tile.origin.y;
  cairo_matrix_transform_point(&p.toImage, &ox, &oy);
  double ax = tile.axisX.x, ay = tile.axisX.y, bx = tile.axisY.x, by = tile.axisY.y;
  cairo_matrix_transform_distance(&p.toImage, &ax, &ay);
  cairo_matrix_transform_distance(&p.toImage, &bx, &by);
  cairo_matrix_t m;
  cairo_matrix_init(&m, ax, ay, bx, by, ox, oy);
  if (cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) {
    cairo_pattern_destroy(pattern);
    return nullptr;
  }
  cairo_pattern_set_matrix(pattern, &m);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

void PaintFill(cairo_t* cr, const Painter& p, const FillMark& m, Ink ink) {
  AddSubpaths(cr, p.toImage, m.subpaths, true);
  cairo_set_fill_rule(cr, m.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  if (m.fill.kind == FillKind::kHatch || m.fill.kind == FillKind::kCrossHatch) {
    cairo_save(cr);
    cairo_clip(cr);
    if (ink == Ink::kColour) SetColour(cr, m.fill.colour);
    AddHatchLines(cr, p, m, m.fill.direction);
    if (m.fill.kind == FillKind::kCrossHatch) {
      AddHatchLines(cr, p, m, {-m.fill.direction.y, m.fill.direction.x});
    }
    cairo_set_line_width(cr, std::max(m.fill.lineWidth / p.pixel, 1.0));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr);
    cairo_restore(cr);
    return;
  }
  cairo_pattern_t* tile = nullptr;
  if (ink == Ink::kColour && m.fill.kind == FillKind::kPattern)
    tile = TilePattern(p, m.fill.pattern);
  if (tile) {
    cairo_set_source(cr, tile);
  } else if (ink == Ink::kColour) {
    SetColour(cr, m.fill.colour);
  }
  if (m.edge > 0) {
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, m.edge / p.pixel);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(cr);
  } else {
    cairo_fill(cr);
  }
  if (tile) cairo_pattern_destroy(tile);
}

void PaintLabel(cairo_t* cr, const Painter& p, const LabelMark& m, Ink ink) {
  if (ink == Ink::kColour) SetColour(cr, m.colour);
  AppendLabelPath(cr, p.toImage, m);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr);
}

void PaintVector(cairo_t* cr, const Painter& p, const Mark& mark, Ink ink) {
  if (const auto* s = std::get_if<StrokeMark>(&mark.shape)) PaintStroke(cr, p, *s, ink);
  if (const auto* f = std::get_if<FillMark>(&mark.shape)) PaintFill(cr, p, *f, ink);
  if (const auto* l = std::get_if<LabelMark>(&mark.shape)) PaintLabel(cr, p, *l, ink);
}

// Clips to the window, on whole pixels (cairo clips those without a mask);
// nothing to do when the window holds the whole picture.
void ClipTo(cairo_t* cr, const Painter& p, const Rect& clip) {
  Point a = ToImage(p.toImage, {clip.x0, clip.y0});
  Point b = ToImage(p.toImage, {clip.x1, clip.y1});
  double x0 = std::round(std::min(a.x, b.x)), x1 = std::round(std::max(a.x, b.x));
  double y0 = std::round(std::min(a.y, b.y)), y1 = std::round(std::max(a.y, b.y));
  if (x0 <= 0 && y0 <= 0 && x1 >= p.width && y1 >= p.height) return;
  cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
  cairo_clip(cr);
}

struct PixelBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

PixelBox ImageBox(const Painter& p, const Rect& r) {
  Point a = ToImage(p.toImage, {r.x0, r.y0});
  Point b = ToImage(p.toImage, {r.x1, r.y1});
  PixelBox box;
  box.x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x))) - 2);
  box.y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y))) - 2);
  box.x1 = std::min(p.width, static_cast<int>(std::ceil(std::max(a.x, b.x))) + 2);
  box.y1 = std::min(p.height, static_cast<int>(std::ceil(std::max(a.y, b.y))) + 2);
  return box;
}

uint32_t Texture(const Mark& mark) {
  Rgb c = kBlack;
  if (const auto* s = std::get_if<StrokeMark>(&mark.shape)) c = s->colour;
  if (const auto* f = std::get_if<FillMark>(&mark.shape)) c = f->fill.colour;
  if (const auto* l = std::get_if<LabelMark>(&mark.shape)) c = l->colour;
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// A raster operation other than a plain paint: the mark's coverage into a
// mask, then each covered pixel merged from texture, black source and page.
void MergeVector(Painter& p, const Mark& mark) {
  std::optional<Rect> bounds = MarkBounds(mark);
  if (!bounds) return;
  PixelBox box = ImageBox(p, *bounds);
  if (box.Empty()) return;
  int w = box.x1 - box.x0;
  int h = box.y1 - box.y0;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(mask);
    return;
  }
  cairo_t* mc = cairo_create(mask);
  cairo_translate(mc, -box.x0, -box.y0);
  cairo_set_source_rgba(mc, 0, 0, 0, 1);
  if (mark.clipped) ClipTo(mc, p, mark.clip);
  PaintVector(mc, p, mark, Ink::kCoverage);
  cairo_destroy(mc);
  cairo_surface_flush(mask);
  cairo_surface_flush(p.surface);
  const unsigned char* coverage = cairo_image_surface_get_data(mask);
  int maskStride = cairo_image_surface_get_stride(mask);
  unsigned char* page = cairo_image_surface_get_data(p.surface);
  int pageStride = cairo_image_surface_get_stride(p.surface);
  uint32_t texture = Texture(mark);
  uint8_t rop = mark.merge.rop;
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(page + (box.y0 + y) * pageStride) + box.x0;
    const unsigned char* cover = coverage + y * maskStride;
    for (int x = 0; x < w; ++x) {
      int a = cover[x];
      if (a == 0) continue;
      uint32_t d = row[x];
      uint32_t out = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        int dc = (d >> shift) & 0xFF;
        int rc = RasterOp(rop, (texture >> shift) & 0xFF, 0, static_cast<uint8_t>(dc));
        out |= static_cast<uint32_t>(dc + (rc - dc) * a / 255) << shift;
      }
      row[x] = out;
    }
  }
  cairo_surface_mark_dirty(p.surface);
  cairo_surface_destroy(mask);
}

}  // namespace

void PaintMark(Painter& p, const Mark& mark) {
  if (const auto* raster = std::get_if<RasterMark>(&mark.shape)) {
    PaintRaster(p, mark, *raster);
    return;
  }
  RopEffect effect = VectorRopEffect(mark.merge.rop);
  if (effect == RopEffect::kNothing) return;
  if (effect == RopEffect::kGeneral) {
    MergeVector(p, mark);
    return;
  }
  cairo_save(p.cr);
  if (mark.clipped) ClipTo(p.cr, p, mark.clip);
  PaintVector(p.cr, p, mark, Ink::kColour);
  cairo_restore(p.cr);
}

std::optional<PageImage> RenderPage(const Page& page, const RenderOptions& options) {
  PageView view = MakePageView(page.sheet);
  double dpi = std::clamp(options.dpi, 1.0, 2400.0);
  auto pixels = [&](double extent, double at) {
    return std::max(1.0, std::ceil(extent * at / 1016));
  };
  double width = pixels(view.width, dpi);
  double height = pixels(view.height, dpi);
  PageImage image;
  // Within the pixel budget, and within what a cairo image can hold on either side.
  double limit = static_cast<double>(std::max<uint64_t>(options.maxPixels, 1));
  double factor =
      std::min({1.0, std::sqrt(limit / (width * height)), 32000 / width, 32000 / height});
  if (factor < 1) {
    double lower = dpi * factor * 0.999;
    char note[200];
    std::snprintf(
        note, sizeof note,
        "page %d: %.0f x %.0f mm at %.0f dpi would take %.0f megapixels; rendered at %.1f dpi",
        page.number, view.width / 40, view.height / 40, dpi, width * height / 1e6, lower);
    image.note = note;
    dpi = lower;
    width = pixels(view.width, dpi);
    height = pixels(view.height, dpi);
  }
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.dpi = dpi;
  image.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height));
  if (cairo_surface_status(image.surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;

  Painter p;
  p.surface = image.surface.get();
  p.width = image.width;
  p.height = image.height;
  p.pixel = 1016 / dpi;
  // Coordinates are the centres of device dots: the picture starts half a
  // dot before the sheet's origin.
  double k = dpi / 1016;
  double half = page.sheet.deviceDot / 2;
  cairo_matrix_init(&p.toImage, k * view.xx, k * view.yx, k * view.xy, k * view.yy,
                    k * (view.offsetX + half), k * (view.offsetY + half));
  p.cr = cairo_create(p.surface);
  cairo_set_source_rgb(p.cr, 1, 1, 1);
  cairo_paint(p.cr);
  for (const Mark& mark : page.marks) PaintMark(p, mark);
  cairo_destroy(p.cr);
  cairo_surface_flush(p.surface);
  return image;
}

}  // namespace preview
