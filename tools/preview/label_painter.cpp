// Glyph outlines of labels. The device's label font is a fixed-pitch font:
// each character fills its cell, its capitals are as high as the cap height.
// An outline font of the system stands in for it; a character the font does
// not have is drawn as an empty box in its cell.
#include <cairo.h>

#include <cmath>
#include <string>

#include "tools/preview/painter.h"

namespace preview {

namespace {

constexpr const char* kLabelFont = "DejaVu Sans Mono";
constexpr double kFarAway = 4e6;

// The font's cap height and character advance for a size of one.
struct FontMetrics {
  double capHeight = 0.73;
  double advance = 0.6;
};

const FontMetrics& Metrics() {
  static const FontMetrics metrics = [] {
    FontMetrics m;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4);
    cairo_t* cr = cairo_create(s);
    cairo_select_font_face(cr, kLabelFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 100);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    if (e.y_bearing < 0) m.capHeight = -e.y_bearing / 100;
    cairo_text_extents(cr, "0", &e);
    if (e.x_advance > 0) m.advance = e.x_advance / 100;
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return m;
  }();
  return metrics;
}

std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// A frame inside the cell, in glyph space (one cell wide, y down, cap height 1).
void BoxPath(cairo_t* cr) {
  const double l = 0.12, r = 0.88, t = -1.0, b = 0.0, w = 0.08;
  cairo_move_to(cr, l, b);
  cairo_line_to(cr, r, b);
  cairo_line_to(cr, r, t);
  cairo_line_to(cr, l, t);
  cairo_close_path(cr);
  cairo_move_to(cr, l + w, b - w);
  cairo_line_to(cr, l + w, t + w);
  cairo_line_to(cr, r - w, t + w);
  cairo_line_to(cr, r - w, b - w);
  cairo_close_path(cr);
}

}  // namespace

void AppendLabelPath(cairo_t* cr, const cairo_matrix_t& toImage, const LabelMark& label) {
  const FontMetrics& metrics = Metrics();
  Point a = label.advance;
  Point up = label.up;
  double cell = std::hypot(a.x, a.y);
  double cap = std::hypot(up.x, up.y);
  if (!(cell > 1e-6) || !(cap > 1e-6) || !std::isfinite(cell) || !std::isfinite(cap)) return;
  // Glyph space: u along the cell, y down in cap heights, slanted by SL.
  double shear = label.slant * cap / cell;
  Point down{-shear * a.x - up.x, -shear * a.y - up.y};

  cairo_save(cr);
  cairo_select_font_face(cr, kLabelFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_matrix_t font;
  double width = label.fullWidth ? 1.0 : 1.0 / metrics.advance;
  cairo_matrix_init_scale(&font, width, 1.0 / metrics.capHeight);
  cairo_set_font_matrix(cr, &font);
  for (const Glyph& g : label.glyphs) {
    double ox = g.origin.x, oy = g.origin.y;
    cairo_matrix_transform_point(&toImage, &ox, &oy);
    if (!(std::fabs(ox) < kFarAway && std::fabs(oy) < kFarAway)) continue;
    cairo_matrix_t glyph;
    cairo_matrix_init(&glyph, a.x, a.y, down.x, down.y, g.origin.x, g.origin.y);
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &glyph, &toImage);
    cairo_matrix_t check = m;
    if (cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS) continue;
    cairo_set_matrix(cr, &m);
    std::string text = Utf8(g.code);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr);
    cairo_status_t status =
        cairo_scaled_font_text_to_glyphs(scaled, 0, 0, text.data(), static_cast<int>(text.size()),
                                         &glyphs, &count, nullptr, nullptr, nullptr);
    if (status == CAIRO_STATUS_SUCCESS && count > 0 && glyphs[0].index != 0) {
      cairo_glyph_path(cr, glyphs, count);
    } else {
      BoxPath(cr);
    }
    cairo_glyph_free(glyphs);
  }
  cairo_restore(cr);
}

}  // namespace preview
