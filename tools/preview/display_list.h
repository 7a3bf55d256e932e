// The marks of one page as the interpreter collects them, before any pixel
// exists. Positions are physical plotter units (1/1016 inch) in the frame the
// plot size sets up with no rotation: X along the plot length, Y along the
// plot width, origin at the corner where both are zero. The renderer turns
// this frame into the picture's own orientation (page_view.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace preview {

struct Point {
  double x = 0;
  double y = 0;
};

struct Rect {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;
};

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// How a mark meets what is already on the page: the raster operation of the
// merge control (texture, source, destination) and the source transparency.
struct Merge {
  uint8_t rop = 252;
  bool sourceTransparent = true;
};

enum class LineCap : uint8_t { kButt, kSquare, kTriangle, kRound };
enum class LineJoin : uint8_t { kMiter, kMiterBevel, kTriangle, kRound, kBevel, kNone };

struct LineStyle {
  double width = 14;  // plotter units
  LineCap cap = LineCap::kButt;
  LineJoin join = LineJoin::kMiter;
  double miterLimit = 5;
  std::vector<double> dashes;  // on, off, on, ... in plotter units; empty is solid
};

struct Subpath {
  std::vector<Point> points;
  bool closed = false;
};

struct StrokeMark {
  std::vector<Subpath> subpaths;
  Rgb colour;
  LineStyle style;
};

enum class FillKind : uint8_t { kSolid, kHatch, kCrossHatch, kPattern };

// A raster fill pattern as the page lays it: pixel (i, j) of the tile sits at
// origin + i * axisX + j * axisY.
struct FillPattern {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  Point origin;
  Point axisX;
  Point axisY;
};

struct FillStyle {
  FillKind kind = FillKind::kSolid;
  Rgb colour;
  // Hatching: lines along `direction` (a unit vector), `spacing` apart,
  // through `anchor`, drawn `lineWidth` wide.
  Point direction{1, 0};
  double spacing = 0;
  Point anchor;
  double lineWidth = 0;
  FillPattern pattern;
};

struct FillMark {
  std::vector<Subpath> subpaths;
  bool evenOdd = true;
  FillStyle fill;
  // The device inks the pixels its outline passes through: the area grows by
  // half of this width all round.
  double edge = 0;
};

struct Glyph {
  char32_t code = 0;
  Point origin;  // baseline start of the character cell
};

struct LabelMark {
  std::vector<Glyph> glyphs;
  Point advance;  // one character cell along the label direction
  Point up;       // the cap height, perpendicular to the direction
  double slant = 0;
  bool fullWidth = false;  // two-byte characters fill the whole cell
  Rgb colour;
};

// Raster pixel (i, j) (column i of row j) covers the parallelogram at
// origin + i * pixelStep + j * rowStep.
struct RasterMark {
  Point origin;
  Point pixelStep;
  Point rowStep;
  int width = 0;
  int height = 0;
  int bits = 1;  // 1, 2, 4, 8 indexed or 24 direct
  std::vector<uint8_t> rows;
  std::vector<Rgb> palette;
};

struct Mark {
  Merge merge;
  bool clipped = false;
  Rect clip;  // physical, when clipped
  std::variant<StrokeMark, FillMark, LabelMark, RasterMark> shape;
};

// The page's sheet and the rotation its set-up left in force; the picture is
// the sheet seen in that rotation.
struct Sheet {
  double length = 0;     // physical X extent
  double width = 0;      // physical Y extent
  int rotation = 0;      // 0, 90, 180 or 270
  double deviceDot = 0;  // plotter units per device dot, 0 when unknown
};

struct Page {
  int number = 0;
  Sheet sheet;
  std::vector<Mark> marks;
};

}  // namespace preview
