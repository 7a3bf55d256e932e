// Raster images merged into the picture pixel by pixel: each picture pixel
// takes the image pixel under its centre, through the palette for indexed
// images, then the raster operation with a black texture. A white source
// pixel leaves the page alone while the source is transparent.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/preview/painter.h"
#include "tools/preview/raster_ops.h"

namespace preview {

namespace {

uint32_t Pack(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

Rgb SourcePixel(const RasterMark& m, size_t rowBytes, int i, int j) {
  const uint8_t* row = m.rows.data() + static_cast<size_t>(j) * rowBytes;
  if (m.bits == 24) {
    const uint8_t* p = row + static_cast<size_t>(i) * 3;
    return {p[0], p[1], p[2]};
  }
  size_t bit = static_cast<size_t>(i) * static_cast<size_t>(m.bits);
  int shift = 8 - m.bits - static_cast<int>(bit % 8);
  int index = (row[bit / 8] >> shift) & ((1 << m.bits) - 1);
  return static_cast<size_t>(index) < m.palette.size() ? m.palette[static_cast<size_t>(index)]
                                                       : kBlack;
}

// For each picture column (or row), the image column or row under it, -1 outside.
std::vector<int> Lookup(int from, int to, double origin, double step, int count) {
  std::vector<int> out;
  out.reserve(static_cast<size_t>(std::max(0, to - from)));
  for (int x = from; x < to; ++x) {
    double at = (x + 0.5 - origin) / step;
    out.push_back(at >= 0 && at < count ? static_cast<int>(at) : -1);
  }
  return out;
}

}  // namespace

void PaintRaster(Painter& p, const Mark& mark, const RasterMark& m) {
  if (m.width <= 0 || m.height <= 0 || m.rows.empty()) return;
  size_t rowBytes = m.rows.size() / static_cast<size_t>(m.height);
  if (rowBytes * 8 < static_cast<size_t>(m.width) * static_cast<size_t>(m.bits)) return;

  double ox = m.origin.x, oy = m.origin.y;
  cairo_matrix_transform_point(&p.toImage, &ox, &oy);
  double ax = m.pixelStep.x, ay = m.pixelStep.y, bx = m.rowStep.x, by = m.rowStep.y;
  cairo_matrix_transform_distance(&p.toImage, &ax, &ay);
  cairo_matrix_transform_distance(&p.toImage, &bx, &by);
  // Rotations by quarter turns keep the image's axes on the picture's.
  bool pixelsAcross = std::fabs(ax) > std::fabs(ay);
  double stepX = pixelsAcross ? ax : bx;
  double stepY = pixelsAcross ? by : ay;
  if (!(std::fabs(stepX) > 1e-9) || !(std::fabs(stepY) > 1e-9)) return;
  int countX = pixelsAcross ? m.width : m.height;
  int countY = pixelsAcross ? m.height : m.width;
  double x0 = std::min(ox, ox + stepX * countX), x1 = std::max(ox, ox + stepX * countX);
  double y0 = std::min(oy, oy + stepY * countY), y1 = std::max(oy, oy + stepY * countY);
  if (mark.clipped) {
    double cx0 = mark.clip.x0, cy0 = mark.clip.y0, cx1 = mark.clip.x1, cy1 = mark.clip.y1;
    cairo_matrix_transform_point(&p.toImage, &cx0, &cy0);
    cairo_matrix_transform_point(&p.toImage, &cx1, &cy1);
    x0 = std::max(x0, std::min(cx0, cx1));
    x1 = std::min(x1, std::max(cx0, cx1));
    y0 = std::max(y0, std::min(cy0, cy1));
    y1 = std::min(y1, std::max(cy0, cy1));
  }
  auto toPixel = [](double v, int limit) {
    return static_cast<int>(std::clamp(std::round(v), 0.0, static_cast<double>(limit)));
  };
  int px0 = toPixel(x0, p.width), px1 = toPixel(x1, p.width);
  int py0 = toPixel(y0, p.height), py1 = toPixel(y1, p.height);
  if (px1 <= px0 || py1 <= py0) return;

  std::vector<int> columns = Lookup(px0, px1, ox, stepX, countX);
  std::vector<int> rows = Lookup(py0, py1, oy, stepY, countY);
  cairo_surface_flush(p.surface);
  unsigned char* data = cairo_image_surface_get_data(p.surface);
  int stride = cairo_image_surface_get_stride(p.surface);
  const uint8_t rop = mark.merge.rop;
  const bool plainCopy = rop == 204 || rop == 252;  // source copy (texture black)
  for (int y = py0; y < py1; ++y) {
    int along = rows[static_cast<size_t>(y - py0)];
    if (along < 0) continue;
    auto* out = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = px0; x < px1; ++x) {
      int across = columns[static_cast<size_t>(x - px0)];
      if (across < 0) continue;
      int i = pixelsAcross ? across : along;
      int j = pixelsAcross ? along : across;
      Rgb s = SourcePixel(m, rowBytes, i, j);
      if (mark.merge.sourceTransparent && s == kWhite) continue;
      if (plainCopy) {
        out[x] = Pack(s);
        continue;
      }
      uint32_t d = out[x];
      Rgb r{RasterOp(rop, 0, s.r, static_cast<uint8_t>(d >> 16)),
            RasterOp(rop, 0, s.g, static_cast<uint8_t>(d >> 8)),
            RasterOp(rop, 0, s.b, static_cast<uint8_t>(d))};
      out[x] = Pack(r);
    }
  }
  cairo_surface_mark_dirty(p.surface);
}

}  // namespace preview
