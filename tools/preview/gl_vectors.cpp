// Vector and polygon commands: pen moves, the encoded polyline, circles and
// arcs, polygon mode with its fill and edge, rectangles.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "tools/preview/encoded_polyline.h"
#include "tools/preview/gl_commands.h"

namespace preview {

namespace {

const std::vector<double>& Values(const GlCall& call) { return call.numbers.values; }

Point Plus(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }

// The pairs of PA, PR, PU and PD: each a move or a draw by the pen state,
// absolute or relative by the plotting mode.
void PlotPairs(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.size() % 2 != 0) {
    in.Report(call.offset, std::string(call.mnemonic.name) + " with an odd number of coordinates");
  }
  if (!in.gl.penDown && !in.gl.polygonMode) in.gl.strokeSubpathOpen = false;
  for (size_t i = 0; i + 1 < v.size(); i += 2) {
    Point user{v[i], v[i + 1]};
    if (in.gl.relative) user = Plus(PenUser(in), user);
    Point target = in.gl.frame.UserToPhysical(user);
    if (in.gl.penDown) {
      DrawTo(in, target, call.offset);
    } else {
      MoveTo(in, target);
    }
  }
}

size_t DataOffset(const GlCall& call) {
  return call.offset + static_cast<size_t>(call.raw.data.data() - call.text.data());
}

// A closed outline through the user points, as a subpath in physical units.
Subpath UserOutline(const Interpreter& in, const std::vector<Point>& user) {
  Subpath s;
  s.closed = true;
  for (Point u : user) s.points.push_back(in.gl.frame.UserToPhysical(u));
  return s;
}

// Points of an arc about `centre` from `start`, turning `sweep` degrees in
// steps of at most `chord` degrees, the start excluded.
std::vector<Point> ArcPoints(Point centre, Point start, double sweep, double chord) {
  std::vector<Point> out;
  if (!std::isfinite(sweep) || !std::isfinite(chord)) return out;
  sweep = std::clamp(sweep, -360.0, 360.0);
  chord = std::clamp(std::fabs(chord), 0.5, 180.0);
  int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / chord)));
  double radius = std::hypot(start.x - centre.x, start.y - centre.y);
  double from = std::atan2(start.y - centre.y, start.x - centre.x);
  for (int i = 1; i <= steps; ++i) {
    double a = from + sweep * std::numbers::pi / 180 * i / steps;
    out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
  }
  return out;
}

void Arc(Interpreter& in, const GlCall& call, Point centre) {
  const std::vector<double>& v = Values(call);
  double chord = v.size() >= 4 ? v[3] : 5;
  for (Point user : ArcPoints(centre, PenUser(in), v[2], chord)) {
    Point target = in.gl.frame.UserToPhysical(user);
    if (in.gl.penDown) {
      DrawTo(in, target, call.offset);
    } else {
      MoveTo(in, target);
    }
  }
}

bool OutsidePolygonMode(Interpreter& in, const GlCall& call) {
  if (!in.gl.polygonMode) return true;
  in.Report(call.offset, std::string(call.mnemonic.name) + " in polygon mode is ignored");
  return false;
}

std::vector<Point> RectangleCorners(Point a, Point b) { return {a, {b.x, a.y}, b, {a.x, b.y}}; }

void FillOutlines(Interpreter& in, std::vector<Subpath> outlines, bool evenOdd, size_t offset) {
  Mark mark = NewMark(in);
  FillMark fill;
  fill.subpaths = std::move(outlines);
  fill.evenOdd = evenOdd;
  fill.fill = CurrentFillStyle(in, offset);
  bool solidArea = fill.fill.kind == FillKind::kSolid || fill.fill.kind == FillKind::kPattern;
  fill.edge = solidArea ? in.DeviceDot() : 0;
  mark.shape = std::move(fill);
  in.AddMark(std::move(mark));
}

void EdgeOutlines(Interpreter& in, std::vector<Subpath> outlines) {
  Mark mark = NewMark(in);
  StrokeMark stroke;
  stroke.subpaths = std::move(outlines);
  for (Subpath& s : stroke.subpaths) s.closed = true;
  stroke.colour = PenColour(in);
  stroke.style = CurrentLineStyle(in);
  mark.shape = std::move(stroke);
  in.AddMark(std::move(mark));
}

void Rectangle(Interpreter& in, const GlCall& call, bool relative, bool fill) {
  const std::vector<double>& v = Values(call);
  if (v.size() < 2) {
    in.Report(call.offset, std::string(call.mnemonic.name) + " without its corner");
    return;
  }
  if (!OutsidePolygonMode(in, call) || !in.PointBudget(4, call.offset)) return;
  Point from = PenUser(in);
  Point to = relative ? Plus(from, {v[0], v[1]}) : Point{v[0], v[1]};
  std::vector<Subpath> outline{UserOutline(in, RectangleCorners(from, to))};
  if (fill) {
    FillOutlines(in, std::move(outline), false, call.offset);
  } else {
    EdgeOutlines(in, std::move(outline));
  }
}

}  // namespace

Point PenUser(const Interpreter& in) { return in.gl.frame.PhysicalToUser(in.gl.pen); }

void MoveTo(Interpreter& in, Point physical) {
  if (in.gl.polygonMode) {
    in.gl.subpolygonOpen = false;
  } else {
    in.gl.strokeSubpathOpen = false;
  }
  in.gl.pen = physical;
}

void DrawTo(Interpreter& in, Point physical, size_t offset) {
  GlState& gl = in.gl;
  if (!std::isfinite(physical.x) || !std::isfinite(physical.y)) return;
  if (!in.PointBudget(1, offset)) {
    gl.pen = physical;
    return;
  }
  if (gl.polygonMode) {
    if (!gl.subpolygonOpen) {
      gl.polygon.push_back(Subpath{{gl.pen}, false});
      gl.subpolygonOpen = true;
    }
    gl.polygon.back().points.push_back(physical);
  } else {
    if (!gl.stroke) {
      gl.stroke = StrokeMark{{}, PenColour(in), CurrentLineStyle(in)};
      gl.strokeSubpathOpen = false;
      gl.strokeOffset = offset;
    }
    if (!gl.strokeSubpathOpen) {
      gl.stroke->subpaths.push_back(Subpath{{gl.pen}, false});
      gl.strokeSubpathOpen = true;
    }
    gl.stroke->subpaths.back().points.push_back(physical);
  }
  gl.pen = physical;
}

void Interpreter::FlushStroke() {
  if (!gl.stroke) return;
  StrokeMark stroke = std::move(*gl.stroke);
  gl.stroke.reset();
  gl.strokeSubpathOpen = false;
  if (stroke.subpaths.empty()) return;
  Mark mark = NewMark(*this);
  mark.shape = std::move(stroke);
  AddMark(std::move(mark));
}

bool SameLook(const Mark& a, const Mark& b) {
  const auto* sa = std::get_if<StrokeMark>(&a.shape);
  const auto* sb = std::get_if<StrokeMark>(&b.shape);
  if (!sa || !sb) return false;
  bool sameClip =
      a.clipped == b.clipped && (!a.clipped || (a.clip.x0 == b.clip.x0 && a.clip.y0 == b.clip.y0 &&
                                                a.clip.x1 == b.clip.x1 && a.clip.y1 == b.clip.y1));
  const LineStyle& x = sa->style;
  const LineStyle& y = sb->style;
  return sameClip && a.merge.rop == b.merge.rop &&
         a.merge.sourceTransparent == b.merge.sourceTransparent && sa->colour == sb->colour &&
         x.width == y.width && x.cap == y.cap && x.join == y.join && x.miterLimit == y.miterLimit &&
         x.dashes == y.dashes;
}

Mark NewMark(const Interpreter& in) {
  Mark mark;
  mark.merge = in.merge;
  std::optional<Rect> clip = in.CurrentClip();
  mark.clipped = clip.has_value();
  if (clip) mark.clip = *clip;
  return mark;
}

void DoPlotAbsolute(Interpreter& in, const GlCall& call) {
  in.gl.relative = false;
  PlotPairs(in, call);
}

void DoPlotRelative(Interpreter& in, const GlCall& call) {
  in.gl.relative = true;
  PlotPairs(in, call);
}

void DoPenUp(Interpreter& in, const GlCall& call) {
  in.gl.penDown = false;
  if (in.gl.polygonMode) {
    in.gl.subpolygonOpen = false;
  } else {
    in.gl.strokeSubpathOpen = false;
  }
  PlotPairs(in, call);
}

void DoPenDown(Interpreter& in, const GlCall& call) {
  in.gl.penDown = true;
  PlotPairs(in, call);
}

// Every pair is relative to the pen unless "=" makes it absolute; each draws
// unless "<" lifts the pen for it. The pen stays as the last pair left it.
void DoEncodedPolyline(Interpreter& in, const GlCall& call) {
  EncodedPolyline decoded = DecodeEncodedPolyline(call.raw.data);
  if (decoded.problemAt) {
    in.Report(DataOffset(call) + *decoded.problemAt, "in an encoded polyline: " + decoded.problem);
  }
  bool anyPoint = false;
  bool lastUp = false;
  for (const EncodedStep& step : decoded.steps) {
    if (step.selectsPen) {
      if (!in.gl.polygonMode) {
        in.FlushStroke();
        in.gl.selectedPen = std::clamp(step.pen, 0, 255);
      }
      continue;
    }
    Point user{step.point.x, step.point.y};
    if (!step.point.absolute) user = Plus(PenUser(in), user);
    Point target = in.gl.frame.UserToPhysical(user);
    if (step.point.penUp) {
      MoveTo(in, target);
    } else {
      DrawTo(in, target, call.offset);
    }
    anyPoint = true;
    lastUp = step.point.penUp;
  }
  if (anyPoint) in.gl.penDown = !lastUp;
}

void DoCircle(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.Report(call.offset, "CI without its radius");
    return;
  }
  Point centre = PenUser(in);
  double chord = v.size() >= 2 ? v[1] : 5;
  std::vector<Point> user = ArcPoints(centre, {centre.x + v[0], centre.y}, 360, chord);
  if (user.empty() || !in.PointBudget(user.size(), call.offset)) return;
  Subpath circle = UserOutline(in, user);
  if (in.gl.polygonMode) {
    in.gl.polygon.push_back(std::move(circle));
    in.gl.subpolygonOpen = false;
    return;
  }
  EdgeOutlines(in, {std::move(circle)});
}

void DoArcAbsolute(Interpreter& in, const GlCall& call) {
  if (Values(call).size() < 3) {
    in.Report(call.offset, "AA without its centre and angle");
    return;
  }
  Arc(in, call, {Values(call)[0], Values(call)[1]});
}

void DoArcRelative(Interpreter& in, const GlCall& call) {
  if (Values(call).size() < 3) {
    in.Report(call.offset, "AR without its centre and angle");
    return;
  }
  Arc(in, call, Plus(PenUser(in), {Values(call)[0], Values(call)[1]}));
}

// PM0 opens the buffer at the pen; PM1 closes a subpolygon; PM2 closes the
// last one and leaves polygon mode with the pen where PM0 found it.
void DoPolygonMode(Interpreter& in, const GlCall& call) {
  GlState& gl = in.gl;
  int mode = Values(call).empty() ? 0 : ClampedInt(Values(call)[0]);
  if (mode == 0) {
    gl.polygonMode = true;
    gl.polygon.clear();
    gl.subpolygonOpen = false;
    gl.polygonPen = gl.pen;
    gl.polygonPenDown = gl.penDown;
    return;
  }
  if (!gl.polygonMode) {
    in.Report(call.offset, "PM" + std::to_string(mode) + " outside polygon mode");
    return;
  }
  if (!gl.polygon.empty()) gl.polygon.back().closed = true;
  gl.subpolygonOpen = false;
  if (mode == 2) {
    gl.polygonMode = false;
    gl.polygonBuffer.clear();
    for (Subpath& s : gl.polygon) {
      if (s.points.size() >= 2) gl.polygonBuffer.push_back(std::move(s));
    }
    gl.polygon.clear();
    gl.pen = gl.polygonPen;
    gl.penDown = gl.polygonPenDown;
  }
}

// FP0 (or FP alone) fills by the even-odd rule, FP1 by the non-zero winding rule.
void DoFillPolygon(Interpreter& in, const GlCall& call) {
  if (!OutsidePolygonMode(in, call) || in.gl.polygonBuffer.empty()) return;
  bool evenOdd = Values(call).empty() || Values(call)[0] != 1;
  std::vector<Subpath> outlines = in.gl.polygonBuffer;
  for (Subpath& s : outlines) s.closed = true;
  FillOutlines(in, std::move(outlines), evenOdd, call.offset);
}

void DoEdgePolygon(Interpreter& in, const GlCall& call) {
  if (!OutsidePolygonMode(in, call) || in.gl.polygonBuffer.empty()) return;
  EdgeOutlines(in, in.gl.polygonBuffer);
}

void DoFillRelative(Interpreter& in, const GlCall& call) { Rectangle(in, call, true, true); }
void DoFillAbsolute(Interpreter& in, const GlCall& call) { Rectangle(in, call, false, true); }
void DoEdgeRelative(Interpreter& in, const GlCall& call) { Rectangle(in, call, true, false); }
void DoEdgeAbsolute(Interpreter& in, const GlCall& call) { Rectangle(in, call, false, false); }

}  // namespace preview
