// A plausible drawing's page for the encoder tests and benchmarks: a sheet
// frame and title block, construction grid, outlines, circles, hatching and
// blocks of text-like marks on white. One bit per pixel (1 = ink) or 24 bits
// (white ground, black and coloured lines). Deterministic for a seed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace render::sample {

struct Drawing {
  int width = 0;
  int height = 0;
  int bits = 1;     // 1 or 24
  int rowStep = 0;  // bytes, a multiple of 4 as the engine lays out rows
  std::vector<unsigned char> pixels;
};

namespace detail {

struct Canvas {
  Drawing& d;
  std::uint32_t colour = 0;  // 0x00BBGGRR, for 24 bits
  void Plot(int x, int y) {
    if (x < 0 || y < 0 || x >= d.width || y >= d.height) return;
    unsigned char* row = d.pixels.data() + static_cast<std::size_t>(y) * d.rowStep;
    if (d.bits == 1) {
      row[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
    } else {
      unsigned char* p = row + 3 * static_cast<std::size_t>(x);
      p[0] = static_cast<unsigned char>(colour);
      p[1] = static_cast<unsigned char>(colour >> 8);
      p[2] = static_cast<unsigned char>(colour >> 16);
    }
  }
  void Fill(int x0, int y0, int x1, int y1) {
    for (int y = std::max(y0, 0); y < std::min(y1, d.height); ++y) {
      for (int x = std::max(x0, 0); x < std::min(x1, d.width); ++x) Plot(x, y);
    }
  }
  void Line(int x0, int y0, int x1, int y1, int pen) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Fill(x0 - pen / 2, y0 - pen / 2, x0 - pen / 2 + pen, y0 - pen / 2 + pen);
      if (x0 == x1 && y0 == y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  void Frame(int x0, int y0, int x1, int y1, int pen) {
    Fill(x0, y0, x1, y0 + pen);
    Fill(x0, y1 - pen, x1, y1);
    Fill(x0, y0, x0 + pen, y1);
    Fill(x1 - pen, y0, x1, y1);
  }
  void Circle(int cx, int cy, int r, int pen) {
    int x = r, y = 0, err = 1 - r;
    while (x >= y) {
      const int pts[8][2] = {{x, y},   {y, x},   {-y, x}, {-x, y},
                             {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
      for (const auto& p : pts) Fill(cx + p[0], cy + p[1], cx + p[0] + pen, cy + p[1] + pen);
      ++y;
      if (err < 0) {
        err += 2 * y + 1;
      } else {
        --x;
        err += 2 * (y - x) + 1;
      }
    }
  }
  // A line of text-like marks: each character a few strokes in a cell.
  void Text(std::mt19937& rng, int x, int y, int chars, int size) {
    for (int c = 0; c < chars; ++c, x += size * 3 / 4) {
      if (rng() % 6 == 0) continue;  // a space
      int strokes = 2 + static_cast<int>(rng() % 3);
      for (int s = 0; s < strokes; ++s) {
        int ax = x + static_cast<int>(rng() % (size / 2 + 1));
        int ay = y + static_cast<int>(rng() % (size + 1));
        int bx = x + static_cast<int>(rng() % (size / 2 + 1));
        int by = y + static_cast<int>(rng() % (size + 1));
        Line(ax, ay, bx, by, std::max(1, size / 12));
      }
    }
  }
};

}  // namespace detail

// A drawing of `width` x `height` pixels (scaled to the sheet: features grow
// with the page).
inline Drawing MakeDrawing(int width, int height, int bits, unsigned seed = 1) {
  Drawing d;
  d.width = width;
  d.height = height;
  d.bits = bits;
  d.rowStep = static_cast<int>(((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4);
  d.pixels.assign(static_cast<std::size_t>(d.rowStep) * height, bits == 1 ? 0x00 : 0xFF);
  std::mt19937 rng(seed);
  detail::Canvas c{d};
  const int unit = std::max(1, std::min(width, height) / 400);  // about 1/400 of the sheet
  auto pick = [&](std::uint32_t blackOrColour) { c.colour = bits == 1 ? 0 : blackOrColour; };
  auto rnd = [&](int n) { return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); };
  pick(0x000000);
  const int m = 10 * unit;
  c.Frame(m, m, width - m, height - m, 2 * unit);  // the sheet frame
  // Construction grid, thin.
  pick(0xC0C0C0);
  for (int x = m; x < width - m; x += 60 * unit)
    c.Fill(x, m, x + std::max(1, unit / 2), height - m);
  for (int y = m; y < height - m; y += 45 * unit)
    c.Fill(m, y, width - m, y + std::max(1, unit / 2));
  // Outlines of parts: rectangles, lines and circles.
  for (int i = 0; i < 60; ++i) {
    pick(i % 3 == 0 ? 0x0000FF : 0x000000);
    int x0 = m + rnd(width - 2 * m), y0 = m + rnd(height - 2 * m);
    c.Frame(x0, y0, x0 + 10 * unit + rnd(80 * unit), y0 + 10 * unit + rnd(60 * unit), unit);
  }
  for (int i = 0; i < 250; ++i) {
    pick(i % 4 == 0 ? 0xFF0000 : 0x000000);
    int x0 = m + rnd(width - 2 * m), y0 = m + rnd(height - 2 * m);
    bool axis = rnd(3) != 0;
    int len = 20 * unit + rnd(150 * unit);
    int x1 = axis ? x0 + (rnd(2) ? len : 0) : x0 + rnd(2 * len) - len;
    int y1 = axis ? (x1 == x0 ? y0 + len : y0) : y0 + rnd(2 * len) - len;
    c.Line(x0, y0, std::clamp(x1, m, width - m), std::clamp(y1, m, height - m), unit);
  }
  for (int i = 0; i < 40; ++i) {
    pick(0x000000);
    c.Circle(m + rnd(width - 2 * m), m + rnd(height - 2 * m), 5 * unit + rnd(40 * unit), unit);
  }
  // Hatched sections.
  for (int i = 0; i < 6; ++i) {
    pick(0x008000);
    int x0 = m + rnd(width - 2 * m), y0 = m + rnd(height - 2 * m), s = 20 * unit + rnd(40 * unit);
    for (int k = 0; k < 2 * s; k += 3 * unit) {
      c.Line(x0 + std::max(0, k - s), y0 + std::min(k, s), x0 + std::min(k, s),
             y0 + std::max(0, k - s), std::max(1, unit / 2));
    }
  }
  // Notes and dimensions: blocks of text lines.
  pick(0x000000);
  for (int i = 0; i < 30; ++i) {
    int x0 = m + rnd(width - 2 * m), y0 = m + rnd(height - 2 * m);
    for (int line = 0; line < 2 + rnd(6); ++line)
      c.Text(rng, x0, y0 + line * 5 * unit, 10 + rnd(30), 3 * unit);
  }
  // The title block at the bottom right.
  int tx = width - m - 180 * unit, ty = height - m - 60 * unit;
  c.Frame(tx, ty, width - m, height - m, unit);
  for (int k = 1; k < 4; ++k) c.Fill(tx, ty + k * 15 * unit, width - m, ty + k * 15 * unit + unit);
  for (int k = 0; k < 4; ++k)
    c.Text(rng, tx + 5 * unit, ty + k * 15 * unit + 4 * unit, 30, 6 * unit);
  return d;
}

}  // namespace render::sample
