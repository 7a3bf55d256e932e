// The engine's software renderer for what a surface does not hook: paths filled
// and stroked into bitmaps of any format, painted regions and text from glyph
// images. cairo rasterises the path into a coverage mask without antialiasing
// (a pixel is covered when its centre is), strip by strip so that a page-sized
// path never needs a page-sized mask; the mask's pixels then get the brush with
// the mix's raster operation, in the bitmap's own format.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/base/error.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {

constexpr LONG kStripRows = 256;

RECTL Bounds(const SURFOBJ* so) { return {0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}; }

// The path's records as a cairo path, moved by `shift` pixels.
void AddPath(cairo_t* cr, PATHOBJ* ppo, double shift) {
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd{};
  BOOL more = TRUE;
  while (more) {
    more = PATHOBJ_bEnum(ppo, &pd);
    if (pd.count == 0 || pd.pptfx == nullptr) continue;
    auto x = [&](ULONG i) { return pd.pptfx[i].x / 16.0 + shift; };
    auto y = [&](ULONG i) { return pd.pptfx[i].y / 16.0 + shift; };
    ULONG i = 0;
    if (pd.flags & PD_BEGINSUBPATH) {
      cairo_move_to(cr, x(0), y(0));
      i = 1;
    } else if (!cairo_has_current_point(cr)) {
      cairo_move_to(cr, x(0), y(0));
    }
    if (pd.flags & PD_BEZIERS) {
      for (; i + 3 <= pd.count; i += 3) {
        cairo_curve_to(cr, x(i), y(i), x(i + 1), y(i + 1), x(i + 2), y(i + 2));
      }
    }
    for (; i < pd.count; ++i) cairo_line_to(cr, x(i), y(i));  // lines, or a bad curve's rest
    if ((pd.flags & PD_ENDSUBPATH) && (pd.flags & PD_CLOSEFIGURE)) cairo_close_path(cr);
  }
}

void SetClip(cairo_t* cr, CLIPOBJ* pco, const RECTL& area) {
  for (const RECTL& r : ClipRectangles(pco, area)) {
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  cairo_clip(cr);
}

// Runs `draw` on coverage masks of `area`, strip by strip, and hands every covered
// run of pixels to `span(y, x0, x1)`.
template <typename Draw, typename Span>
bool Rasterize(const RECTL& area, CLIPOBJ* pco, Draw draw, Span span) {
  LONG width = area.right - area.left;
  for (LONG top = area.top; top < area.bottom; top += kStripRows) {
    LONG rows = std::min(kStripRows, area.bottom - top);
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, rows);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(mask);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    cairo_t* cr = cairo_create(mask);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_translate(cr, -area.left, -top);
    SetClip(cr, pco, {area.left, top, area.right, top + rows});
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    const unsigned char* data = cairo_image_surface_get_data(mask);
    int stride = cairo_image_surface_get_stride(mask);
    for (LONG row = 0; row < rows; ++row) {
      const unsigned char* line = data + static_cast<std::ptrdiff_t>(row) * stride;
      LONG x = 0;
      while (x < width) {
        while (x < width && line[x] < 128) ++x;
        LONG start = x;
        while (x < width && line[x] >= 128) ++x;
        if (x > start) span(top + row, area.left + start, area.left + x);
      }
    }
    cairo_surface_destroy(mask);
  }
  return true;
}

// The pixels a path can touch: its bounds grown by `margin`, cut to `limit` and to
// the clip's bounds.
RECTL PathArea(PATHOBJ* ppo, double margin, CLIPOBJ* pco, const RECTL& limit) {
  RECTFX b{0, 0, 0, 0};
  PATHOBJ_vGetBounds(ppo, &b);
  auto clamp = [](double v) {
    return static_cast<LONG>(std::clamp(v, -2147483000.0, 2147483000.0));
  };
  RECTL r{clamp(std::floor(b.xLeft / 16.0 - margin)), clamp(std::floor(b.yTop / 16.0 - margin)),
          clamp(std::ceil(b.xRight / 16.0 + margin) + 1),
          clamp(std::ceil(b.yBottom / 16.0 + margin) + 1)};
  r = Intersect(r, limit);
  if (pco != nullptr && pco->iDComplexity != DC_TRIVIAL) r = Intersect(r, pco->rclBounds);
  return r;
}

void FillDraw(cairo_t* cr, PATHOBJ* ppo, FLONG flOptions) {
  AddPath(cr, ppo, 0.0);
  cairo_set_fill_rule(
      cr, (flOptions & FP_WINDINGMODE) ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
}

struct Pen {
  double width = 1;
  bool geometric = false;
  cairo_matrix_t matrix{1, 0, 0, 1, 0, 0};
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  double miter = 10;
  std::vector<double> dashes;
  double dashOffset = 0;
  double margin = 2;
};

Pen MakePen(XFORMOBJ* pxo, const LINEATTRS* la) {
  Pen pen;
  if (la == nullptr) return pen;
  pen.geometric = (la->fl & LA_GEOMETRIC) != 0;
  double scale = 1;
  if (pen.geometric) {
    pen.width = la->elWidth.e;
    XFORML m{1, 0, 0, 1, 0, 0};
    if (pxo != nullptr && XFORMOBJ_iGetXform(pxo, &m) != DDI_ERROR) {
      double det = static_cast<double>(m.eM11) * m.eM22 - static_cast<double>(m.eM12) * m.eM21;
      if (std::isfinite(det) && std::fabs(det) > 1e-12) {
        cairo_matrix_init(&pen.matrix, m.eM11, m.eM12, m.eM21, m.eM22, 0, 0);
        scale = std::max(std::hypot(m.eM11, m.eM12), std::hypot(m.eM21, m.eM22));
      }
    }
    static constexpr cairo_line_join_t kJoins[] = {CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL,
                                                   CAIRO_LINE_JOIN_MITER};
    static constexpr cairo_line_cap_t kCaps[] = {CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_SQUARE,
                                                 CAIRO_LINE_CAP_BUTT};
    pen.join = kJoins[la->iJoin <= JOIN_MITER ? la->iJoin : JOIN_ROUND];
    pen.cap = kCaps[la->iEndCap <= ENDCAP_BUTT ? la->iEndCap : ENDCAP_ROUND];
    pen.miter = la->eMiterLimit >= 1 ? la->eMiterLimit : 10;
  } else {
    // Cosmetic lines are one pixel wide (or the given pixels), drawn to their ends.
    pen.width = la->elWidth.l > 0 ? la->elWidth.l : 1;
    pen.cap = CAIRO_LINE_CAP_SQUARE;
    pen.join = CAIRO_LINE_JOIN_MITER;
    pen.miter = 2;
  }
  if (!(pen.width > 0) || !std::isfinite(pen.width)) pen.width = pen.geometric ? 0.01 : 1;
  if (la->fl & LA_ALTERNATE) {
    pen.dashes = {1, 1};
  } else if ((la->fl & LA_STYLED) && la->pstyle != nullptr && la->cstyle > 0) {
    // Geometric styles are in world units (float), cosmetic ones in style steps,
    // taken as pixels here.
    for (ULONG i = 0; i < la->cstyle; ++i) {
      double v = pen.geometric ? la->pstyle[i].e : la->pstyle[i].l;
      pen.dashes.push_back(std::isfinite(v) && v > 0 ? v : 1);
    }
    if (la->fl & LA_STARTGAP) pen.dashOffset = pen.dashes[0];
  }
  double join = pen.join == CAIRO_LINE_JOIN_MITER ? pen.miter : 1.5;
  pen.margin = pen.width * scale * join / 2 + 2;
  if (!std::isfinite(pen.margin) || pen.margin > 1e6) pen.margin = 1e6;
  return pen;
}

void StrokeDraw(cairo_t* cr, PATHOBJ* ppo, const Pen& pen) {
  // Lines run through pixel centres.
  AddPath(cr, ppo, 0.5);
  cairo_matrix_t device;
  cairo_get_matrix(cr, &device);
  if (pen.geometric) cairo_transform(cr, &pen.matrix);
  cairo_set_line_width(cr, pen.width);
  cairo_set_line_join(cr, pen.join);
  cairo_set_line_cap(cr, pen.cap);
  cairo_set_miter_limit(cr, pen.miter);
  if (!pen.dashes.empty()) {
    cairo_set_dash(cr, pen.dashes.data(), static_cast<int>(pen.dashes.size()), pen.dashOffset);
  }
  cairo_stroke(cr);
  cairo_set_matrix(cr, &device);
}

bool Paint(SURFOBJ* pso, const RECTL& area, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* org, MIX mix,
           auto draw) {
  PatternSource brush(pbo, org);
  if (!brush.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  BYTE rop = MixToRop3(mix & 0xFF);
  if (IsEmpty(area) || rop == 0xAA) return true;
  bool ok = Rasterize(area, pco, draw,
                      [&](LONG y, LONG x0, LONG x1) { PaintSpan(pso, y, x0, x1, rop, brush); });
  ++pso->iUniq;
  return ok;
}

bool Drawable(SURFOBJ* pso, PATHOBJ* ppo) {
  if (HasBits(pso) && ppo != nullptr) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

// Applies the raster operation to the set bits of a glyph image at (x, y).
void DrawGlyph(SURFOBJ* pso, const GLYPHBITS* gb, LONG x, LONG y, const std::vector<RECTL>& clip,
               BYTE rop, const PatternSource& brush) {
  LONG w = gb->sizlBitmap.cx;
  LONG h = gb->sizlBitmap.cy;
  if (w <= 0 || h <= 0) return;
  std::size_t rowBytes = (static_cast<std::size_t>(w) + 7) / 8;
  const BYTE* bits = gb->aj;
  RECTL glyph{x, y, x + w, y + h};
  ULONG mask = FormatMask(pso->iBitmapFormat);
  for (const RECTL& c : clip) {
    RECTL r = Intersect(glyph, c);
    for (LONG py = r.top; py < r.bottom; ++py) {
      const BYTE* row = bits + rowBytes * static_cast<std::size_t>(py - y);
      for (LONG px = r.left; px < r.right; ++px) {
        LONG gx = px - x;
        if (!((row[gx >> 3] >> (7 - (gx & 7))) & 1)) continue;
        WritePixel(pso, px, py, Rop3(rop, brush.At(px, py), 0, ReadPixel(pso, px, py)) & mask);
      }
    }
  }
}

void PaintRects(SURFOBJ* pso, const RECTL& rect, const std::vector<RECTL>& clip, BYTE rop,
                const PatternSource& brush) {
  for (const RECTL& c : clip) {
    RECTL r = Intersect(Ordered(rect), c);
    for (LONG y = r.top; y < r.bottom; ++y) PaintSpan(pso, y, r.left, r.right, rop, brush);
  }
}

}  // namespace

bool PathRegion(PATHOBJ* ppo, FLONG fillOptions, CLIPOBJ* pco, const RECTL& limit,
                std::vector<RECTL>* region) {
  region->clear();
  RECTL area = PathArea(ppo, 1, pco, limit);
  if (IsEmpty(area)) return true;
  // Runs of one row become rectangles; a run repeated on the next row grows the
  // rectangle above it instead.
  std::vector<std::size_t> open;  // rectangles ending at the previous row
  LONG lastRow = area.top - 1;
  std::vector<std::size_t> current;
  auto span = [&](LONG y, LONG x0, LONG x1) {
    if (y != lastRow) {
      open = (y == lastRow + 1) ? current : std::vector<std::size_t>{};
      current.clear();
      lastRow = y;
    }
    for (std::size_t i : open) {
      RECTL& r = (*region)[i];
      if (r.left == x0 && r.right == x1 && r.bottom == y) {
        r.bottom = y + 1;
        current.push_back(i);
        return;
      }
    }
    region->push_back({x0, y, x1, y + 1});
    current.push_back(region->size() - 1);
  };
  return Rasterize(
      area, pco, [&](cairo_t* cr) { FillDraw(cr, ppo, fillOptions); }, span);
}

}  // namespace platform::engine

using namespace platform::engine;

QXAPI BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                       POINTL* pptlBrushOrg, MIX mix, FLONG flOptions) {
  if (!Drawable(pso, ppo)) return FALSE;
  RECTL area = PathArea(ppo, 1, pco, Bounds(pso));
  return Paint(pso, area, pco, pbo, pptlBrushOrg, mix,
               [&](cairo_t* cr) { FillDraw(cr, ppo, flOptions); });
}

QXAPI BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                         POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
  if (!Drawable(pso, ppo)) return FALSE;
  Pen pen = MakePen(pxo, plineattrs);
  RECTL area = PathArea(ppo, pen.margin, pco, Bounds(pso));
  return Paint(pso, area, pco, pbo, pptlBrushOrg, mix,
               [&](cairo_t* cr) { StrokeDraw(cr, ppo, pen); });
}

QXAPI BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
  return EngFillPath(pso, ppo, pco, pboFill, pptlBrushOrg, mixFill, flOptions) &&
         EngStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mixFill);
}

QXAPI BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) {
  if (!HasBits(pso)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PatternSource brush(pbo, pptlBrushOrg);
  if (!brush.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BYTE rop = MixToRop3(mix & 0xFF);
  for (const RECTL& r : ClipRectangles(pco, Bounds(pso))) {
    for (LONG y = r.top; y < r.bottom; ++y) PaintSpan(pso, y, r.left, r.right, rop, brush);
  }
  ++pso->iUniq;
  return TRUE;
}

QXAPI BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                      RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                      MIX mix) {
  if (!HasBits(pso) || pstro == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<RECTL> clip = ClipRectangles(pco, Bounds(pso));
  if (prclOpaque != nullptr && pboOpaque != nullptr) {
    PatternSource opaque(pboOpaque, pptlOrg);
    if (opaque.ok()) PaintRects(pso, *prclOpaque, clip, 0xF0, opaque);
  }
  PatternSource fore(pboFore, pptlOrg);
  if (!fore.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BYTE rop = MixToRop3(mix & 0xFF);
  STROBJ_vEnumStart(pstro);
  BOOL more = TRUE;
  while (more) {
    ULONG count = 0;
    GLYPHPOS* positions = nullptr;
    more = STROBJ_bEnum(pstro, &count, &positions);
    for (ULONG i = 0; positions != nullptr && i < count; ++i) {
      const GLYPHPOS& gp = positions[i];
      GLYPHBITS* gb = gp.pgdf != nullptr ? gp.pgdf->pgb : nullptr;
      if (gb == nullptr) {
        HGLYPH hg = gp.hg;
        PVOID data = nullptr;
        if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, &data) == 1 && data != nullptr) {
          gb = static_cast<GLYPHDATA*>(data)->gdf.pgb;
        }
      }
      if (gb == nullptr) continue;
      DrawGlyph(pso, gb, gp.ptl.x + gb->ptlOrigin.x, gp.ptl.y + gb->ptlOrigin.y, clip, rop, fore);
    }
  }
  // Underlines and strike-outs: rectangles up to the all-zero one.
  for (RECTL* r = prclExtra; r != nullptr && (r->left | r->top | r->right | r->bottom) != 0; ++r) {
    PaintRects(pso, *r, clip, rop, fore);
  }
  ++pso->iUniq;
  return TRUE;
}
