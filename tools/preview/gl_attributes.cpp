// Line and fill attributes: pen, width, line type, line ends and joins,
// fill type, raster fill patterns, anchor corner.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "tools/preview/gl_commands.h"

namespace preview {

namespace {

const std::vector<double>& Values(const GlCall& call) { return call.numbers.values; }

// clang-format off
// The line types 1 to 8 before any UL: line and gap lengths, in percent of
// the pattern, starting with a line (0 is a dot).
const std::vector<double> kDefaultLineTypes[8] = {
    {0, 100},
    {50, 50},
    {70, 30},
    {80, 10, 0, 10},
    {70, 10, 10, 10},
    {50, 10, 10, 10, 10, 10},
    {70, 10, 0, 10, 0, 10},
    {50, 10, 0, 10, 10, 10, 0, 10},
};

// LA kind 1 (line ends) and kind 2 (joins), by their value less one.
constexpr LineCap kCaps[] = {LineCap::kButt, LineCap::kSquare, LineCap::kTriangle, LineCap::kRound};
constexpr LineJoin kJoins[] = {LineJoin::kMiter, LineJoin::kMiterBevel, LineJoin::kTriangle,
                               LineJoin::kRound, LineJoin::kBevel,      LineJoin::kNone};
// clang-format on

const std::vector<double>& LinePattern(const Interpreter& in, int type) {
  auto own = in.gl.userLineTypes.find(type);
  if (own != in.gl.userLineTypes.end()) return own->second;
  own = in.gl.userLineTypes.find(std::abs(type));
  if (own != in.gl.userLineTypes.end()) return own->second;
  int index = std::clamp(std::abs(type), 1, 8) - 1;
  return kDefaultLineTypes[index];
}

double PenWidthPlotter(const Interpreter& in) {
  double width = in.gl.penWidth[static_cast<size_t>(in.gl.selectedPen) & 255];
  return in.gl.relativeWidths ? width * Diagonal(in) / 100 : width * 40;
}

Point FrameOrigin(const Interpreter& in) { return in.gl.frame.PlotterToPhysical({0, 0}); }

Point Unit(Point v) {
  double length = std::hypot(v.x, v.y);
  return length > 0 ? Point{v.x / length, v.y / length} : Point{1, 0};
}

FillPattern RasterPattern(Interpreter& in, const RasterFill& fill) {
  FillPattern p;
  p.width = fill.width;
  p.height = fill.height;
  for (uint8_t pen : fill.pens) p.pixels.push_back(in.palette.entries[pen]);
  double dot = in.DeviceDot() > 0 ? in.DeviceDot() : 1016.0 / 300;
  // Pattern rows run down the page as it is read: along -y of the plotter frame.
  Point x = in.gl.frame.PlotterVectorToPhysical({dot, 0});
  Point y = in.gl.frame.PlotterVectorToPhysical({0, -dot});
  p.axisX = x;
  p.axisY = y;
  p.origin = in.gl.anchor ? *in.gl.anchor : FrameOrigin(in);
  return p;
}

}  // namespace

double Diagonal(const Interpreter& in) {
  Point a = in.gl.frame.p1();
  Point b = in.gl.frame.p2();
  return std::hypot(b.x - a.x, b.y - a.y);
}

Rgb PenColour(const Interpreter& in) {
  return in.palette.entries[static_cast<size_t>(in.gl.selectedPen) & 255];
}

LineStyle CurrentLineStyle(const Interpreter& in) {
  LineStyle style;
  style.width = PenWidthPlotter(in);
  style.cap = in.gl.cap;
  style.join = in.gl.join;
  style.miterLimit = in.gl.miterLimit;
  const LineTypeState& type = in.gl.lineType;
  if (!type.solid) {
    const std::vector<double>& pattern = LinePattern(in, type.type);
    double length = type.absolute ? type.length * 40 : type.length * Diagonal(in) / 100;
    for (double percent : pattern) style.dashes.push_back(percent * length / 100);
  }
  return style;
}

FillStyle CurrentFillStyle(Interpreter& in, size_t offset) {
  FillStyle fill;
  fill.colour = PenColour(in);
  const FillTypeState& type = in.gl.fillType;
  switch (type.type) {
    case 3:
    case 4: {
      fill.kind = type.type == 3 ? FillKind::kHatch : FillKind::kCrossHatch;
      double spacing = type.spacing;
      if (spacing > 0 && in.gl.frame.scaling()) spacing = in.gl.frame.UserLengthToPlotter(spacing);
      fill.spacing = spacing > 0 ? spacing : Diagonal(in) / 100;
      double angle = type.angle * std::numbers::pi / 180;
      fill.direction =
          Unit(in.gl.frame.PlotterVectorToPhysical({std::cos(angle), std::sin(angle)}));
      fill.anchor = in.gl.anchor ? *in.gl.anchor : FrameOrigin(in);
      fill.lineWidth = PenWidthPlotter(in);
      break;
    }
    case 10: {
      double level = std::clamp(type.level, 0.0, 100.0) / 100;
      auto mix = [&](uint8_t c) {
        return static_cast<uint8_t>(std::lround(c * level + 255 * (1 - level)));
      };
      fill.colour = {mix(fill.colour.r), mix(fill.colour.g), mix(fill.colour.b)};
      break;
    }
    case 11: {
      auto found = in.gl.rasterFills.find(type.pattern);
      if (found == in.gl.rasterFills.end() || found->second.pens.empty()) {
        in.Report(offset, "a raster fill (FT11) with pattern " + std::to_string(type.pattern) +
                              " that RF did not define; filled solid");
        break;
      }
      fill.kind = FillKind::kPattern;
      fill.pattern = RasterPattern(in, found->second);
      break;
    }
    case 21:
    case 22:
      in.Report(offset,
                "fill type " + std::to_string(type.type) + " is filled solid by the previewer");
      break;
    default:
      break;
  }
  return fill;
}

void DoSelectPen(Interpreter& in, const GlCall& call) {
  double pen = Values(call).empty() ? 0 : Values(call)[0];
  in.gl.selectedPen = static_cast<int>(std::clamp(pen, 0.0, 255.0));
}

void DoPenWidth(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  double width = v.empty() ? (in.gl.relativeWidths ? 0.1 : 0.35) : v[0];
  if (!std::isfinite(width) || width < 0) width = 0;
  if (v.size() >= 2) {
    if (v[1] >= 0 && v[1] <= 255) in.gl.penWidth[static_cast<size_t>(v[1])] = width;
  } else {
    in.gl.penWidth.fill(width);
  }
}

void DoWidthUnit(Interpreter& in, const GlCall& call) {
  in.gl.relativeWidths = !Values(call).empty() && Values(call)[0] == 1;
  in.gl.penWidth.fill(in.gl.relativeWidths ? 0.1 : 0.35);
}

void DoLineType(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  LineTypeState& type = in.gl.lineType;
  if (v.empty()) {
    type.solid = true;
    return;
  }
  int number = ClampedInt(v[0]);
  if (number == 0 || number < -8 || number > 8) {
    type.solid = true;
    if (number != 0) in.Report(call.offset, "a line type beyond 8 is drawn solid");
    return;
  }
  type.solid = false;
  type.type = number;
  if (v.size() >= 2 && v[1] > 0 && std::isfinite(v[1])) type.length = v[1];
  type.absolute = v.size() >= 3 && v[2] == 1;
}

void DoUserLineType(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.userLineTypes.clear();
    return;
  }
  int number = ClampedInt(v[0]);
  if (v.size() == 1) {
    in.gl.userLineTypes.erase(number);
    return;
  }
  double sum = 0;
  for (size_t i = 1; i < v.size(); ++i) sum += v[i] > 0 ? v[i] : 0;
  if (sum <= 0 || number == 0 || std::abs(number) > 8) {
    in.Report(call.offset, "a user line type (UL) that cannot be drawn; it is ignored");
    return;
  }
  std::vector<double> pattern;
  for (size_t i = 1; i < v.size(); ++i) pattern.push_back((v[i] > 0 ? v[i] : 0) * 100 / sum);
  in.gl.userLineTypes[number] = std::move(pattern);
}

void DoLineAttributes(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.cap = LineCap::kButt;
    in.gl.join = LineJoin::kMiter;
    in.gl.miterLimit = 5;
    return;
  }
  for (size_t i = 0; i + 1 < v.size(); i += 2) {
    int kind = ClampedInt(v[i]);
    double value = v[i + 1];
    if (kind == 1 && value >= 1 && value <= 4) {
      in.gl.cap = kCaps[static_cast<int>(value) - 1];
    } else if (kind == 2 && value >= 1 && value <= 6) {
      in.gl.join = kJoins[static_cast<int>(value) - 1];
    } else if (kind == 3 && value >= 1 && std::isfinite(value)) {
      in.gl.miterLimit = value;
    } else {
      in.Report(call.offset, "a line attribute (LA) the previewer does not know");
    }
  }
}

void DoFillType(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  FillTypeState& type = in.gl.fillType;
  type.type = v.empty() ? 1 : ClampedInt(v[0]);
  if (type.type == 3 || type.type == 4) {
    if (v.size() >= 2) type.spacing = v[1];
    if (v.size() >= 3) type.angle = v[2];
  } else if (type.type == 10 && v.size() >= 2) {
    type.level = v[1];
  } else if (type.type == 11 && v.size() >= 2) {
    type.pattern = ClampedInt(v[1]);
  }
}

// RF index, width, height, then width x height pen numbers, row by row.
void DoRasterFill(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.rasterFills.clear();
    return;
  }
  int index = ClampedInt(v[0]);
  if (v.size() < 3) {
    in.gl.rasterFills.erase(index);
    return;
  }
  if (!(v[1] >= 1 && v[1] <= 255 && v[2] >= 1 && v[2] <= 255)) {
    in.Report(call.offset, "a raster fill pattern (RF) of an impossible size; it is ignored");
    return;
  }
  RasterFill fill;
  fill.width = ClampedInt(v[1]);
  fill.height = static_cast<int>(v[2]);
  size_t count = static_cast<size_t>(fill.width * fill.height);
  if (v.size() - 3 < count) {
    in.Report(call.offset, "a raster fill pattern (RF) with fewer pens than pixels");
  }
  for (size_t i = 0; i < count; ++i) {
    double pen = i + 3 < v.size() ? v[i + 3] : 0;
    fill.pens.push_back(static_cast<uint8_t>(std::clamp(pen, 0.0, 255.0)));
  }
  in.gl.rasterFills[index] = std::move(fill);
}

void DoAnchorCorner(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.size() >= 2) {
    in.gl.anchor = in.gl.frame.UserToPhysical({v[0], v[1]});
  } else {
    in.gl.anchor.reset();
  }
}

}  // namespace preview
