// Label commands: the text itself, its size, direction, slant, origin and
// spacing, the font definitions and one- or two-byte label mode.
//
// A character takes one cell: the character width of SI, widened by the
// extra space of ES; its height is the cap height of SI. Two-byte (JIS)
// characters are given their own SI by the driver and take one cell too.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/preview/display_text.h"
#include "tools/preview/gl_commands.h"

namespace preview {

namespace {

const std::vector<double>& Values(const GlCall& call) { return call.numbers.values; }

// Centimetres in plotter units.
constexpr double kCm = 400;

// Without SI: the size the font definition gives, else the device's own
// 2.85 mm wide, 3.75 mm high characters.
double CellWidthCm(const LabelState& l) {
  if (l.sized) return l.width;
  if (l.pitch > 0) return 2.54 / l.pitch;
  return 0.285;
}

double CapHeightCm(const LabelState& l) {
  if (l.sized) return l.height;
  if (l.points > 0) return l.points * 2.54 / 72 * 0.7;
  return 0.375;
}

Point Scale(Point v, double s) { return {v.x * s, v.y * s}; }
Point Plus(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }

// One-byte codes by symbol set: 11 is JIS Roman (yen sign and overline in
// place of backslash and tilde), 43 JIS Katakana (half-width katakana from
// 0xA1); other sets are read as ASCII.
char32_t OneByteCharacter(int symbolSet, uint8_t code) {
  if (symbolSet == 11 || symbolSet == 43) {
    if (code == 0x5C) return U'\u00A5';
    if (code == 0x7E) return U'\u203E';
  }
  if (code >= 0xA1 && code <= 0xDF && (symbolSet == 43 || symbolSet == 11)) {
    return U'\uFF61' + (code - 0xA1);
  }
  if (code < 0x80) return code;
  return U'\uFFFD';
}

struct LabelGeometry {
  Point advance;  // one cell, physical
  Point step;     // one cell with the extra space
  Point up;       // cap height, physical
  Point line;     // one line down, physical
};

LabelGeometry Geometry(const Interpreter& in) {
  const LabelState& l = in.gl.label;
  Point dir = l.direction;
  double length = std::hypot(dir.x, dir.y);
  dir = length > 0 ? Point{dir.x / length, dir.y / length} : Point{1, 0};
  Point upDir{-dir.y, dir.x};
  double width = CellWidthCm(l) * kCm;
  double height = CapHeightCm(l) * kCm;
  LabelGeometry g;
  g.advance = in.gl.frame.PlotterVectorToPhysical(Scale(dir, width));
  g.step = in.gl.frame.PlotterVectorToPhysical(Scale(dir, width * (1 + l.extraWidth)));
  g.up = in.gl.frame.PlotterVectorToPhysical(Scale(upDir, height));
  g.line = in.gl.frame.PlotterVectorToPhysical(Scale(upDir, -2 * height * (1 + l.extraHeight)));
  return g;
}

// Where the label starts against the pen, by the label origin: positions 1
// to 9 put the pen at the left, centre or right end and at the bottom,
// middle or top of the label; 11 to 19 the same half a cell further away;
// 21 is the same as 1.
Point OriginShift(int origin, const LabelGeometry& g, double cells) {
  int position = origin == 21 ? 1 : origin;
  bool away = position > 10;
  if (away) position -= 10;
  if (position < 1 || position > 9) position = 1;
  int column = (position - 1) / 3;  // 0 left, 1 centre, 2 right
  int row = (position - 1) % 3;     // 0 bottom, 1 middle, 2 top
  double along = column == 0 ? 0 : column == 1 ? -cells / 2 : -cells;
  double upward = row == 0 ? 0 : row == 1 ? -0.5 : -1;
  if (away) {
    along += column == 0 ? 0.5 : column == 2 ? -0.5 : 0;
    upward += row == 0 ? 0.5 : row == 2 ? -0.5 : 0;
  }
  return Plus(Scale(g.step, along), Scale(g.up, upward));
}

struct Character {
  char32_t code;
  bool control;
};

std::vector<Character> Characters(const Interpreter& in, std::span<const uint8_t> text) {
  const LabelState& l = in.gl.label;
  std::vector<Character> out;
  if (l.twoByte) {
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
      if (text[i] == 0) {
        uint8_t b = text[i + 1];
        out.push_back({b < 0x20 ? char32_t{b} : OneByteCharacter(l.standardSet, b), b < 0x20});
      } else {
        out.push_back({JisToUnicode(text[i], text[i + 1]), false});
      }
    }
    return out;
  }
  int set = l.alternate ? l.alternateSet : l.standardSet;
  for (uint8_t b : text) {
    out.push_back({b < 0x20 ? char32_t{b} : OneByteCharacter(set, b), b < 0x20});
  }
  return out;
}

// Cells on the first line, for the label origin.
double FirstLineCells(const std::vector<Character>& chars) {
  double cells = 0;
  for (const Character& c : chars) {
    if (c.control && (c.code == '\r' || c.code == '\n')) break;
    if (c.control && c.code == '\b') cells -= 1;
    if (!c.control) cells += 1;
  }
  return std::max(cells, 0.0);
}

}  // namespace

void ResetLabels(LabelState& label) { label = LabelState{}; }

void DoLabel(Interpreter& in, const GlCall& call) {
  LabelState& l = in.gl.label;
  std::vector<Character> chars = Characters(in, call.raw.data);
  if (call.raw.terminated && l.terminatorPrinted) chars.push_back({l.terminator, false});
  LabelGeometry g = Geometry(in);
  Point start = in.gl.pen;
  l.carriageReturn = start;
  Point shift = OriginShift(l.origin, g, FirstLineCells(chars));
  LabelMark label;
  label.advance = g.advance;
  label.up = g.up;
  label.slant = l.slant;
  label.fullWidth = l.twoByte;
  label.colour = PenColour(in);
  Point at = start;
  Point lineStart = start;
  for (const Character& c : chars) {
    if (c.control) {
      if (c.code == '\r') at = lineStart;
      if (c.code == '\n') {
        lineStart = Plus(lineStart, g.line);
        at = Plus(at, g.line);
      }
      if (c.code == '\b') at = Plus(at, Scale(g.step, -1));
      continue;
    }
    if (c.code != ' ') label.glyphs.push_back({c.code, Plus(at, shift)});
    at = Plus(at, g.step);
  }
  in.gl.pen = at;
  if (label.glyphs.empty() || !in.PointBudget(label.glyphs.size(), call.offset)) return;
  Mark mark = NewMark(in);
  mark.shape = std::move(label);
  in.AddMark(std::move(mark));
}

void DoLabelTerminator(Interpreter& in, const GlCall& call) {
  LabelState& l = in.gl.label;
  if (call.raw.data.empty()) {
    l.terminator = 3;
    l.terminatorPrinted = false;
    return;
  }
  l.terminator = call.raw.data[0];
  l.terminatorPrinted = !Values(call).empty() && Values(call)[0] == 0;
}

void DoCharacterSize(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  LabelState& l = in.gl.label;
  if (v.empty()) {
    l.sized = false;
  } else if (v.size() >= 2 && std::isfinite(v[0]) && std::isfinite(v[1]) &&
             std::fabs(v[0]) <= 10000 && std::fabs(v[1]) <= 10000) {
    l.sized = true;
    l.width = v[0];
    l.height = v[1];
  } else {
    in.Report(call.offset, "a character size (SI) the previewer cannot use");
  }
}

// SR: percent of the P1-P2 distance along each axis.
void DoRelativeSize(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  LabelState& l = in.gl.label;
  if (v.size() < 2) {
    l.sized = true;
    l.width = 0.75 * std::fabs(in.gl.frame.p2().x - in.gl.frame.p1().x) / kCm / 100;
    l.height = 1.5 * std::fabs(in.gl.frame.p2().y - in.gl.frame.p1().y) / kCm / 100;
    return;
  }
  l.sized = true;
  l.width = v[0] * std::fabs(in.gl.frame.p2().x - in.gl.frame.p1().x) / kCm / 100;
  l.height = v[1] * std::fabs(in.gl.frame.p2().y - in.gl.frame.p1().y) / kCm / 100;
}

void DoDirection(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.size() >= 2 && (v[0] != 0 || v[1] != 0) && std::isfinite(v[0]) && std::isfinite(v[1])) {
    in.gl.label.direction = {v[0], v[1]};
  } else {
    in.gl.label.direction = {1, 0};
  }
}

// DR: run and rise in percent of the P1-P2 distances.
void DoRelativeDirection(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.size() >= 2 && (v[0] != 0 || v[1] != 0)) {
    in.gl.label.direction = {v[0] * (in.gl.frame.p2().x - in.gl.frame.p1().x),
                             v[1] * (in.gl.frame.p2().y - in.gl.frame.p1().y)};
  } else {
    in.gl.label.direction = {1, 0};
  }
}

void DoSlant(Interpreter& in, const GlCall& call) {
  double slant = Values(call).empty() ? 0 : Values(call)[0];
  in.gl.label.slant = std::isfinite(slant) ? std::clamp(slant, -10.0, 10.0) : 0;
}

void DoLabelOrigin(Interpreter& in, const GlCall& call) {
  int origin = Values(call).empty() ? 1 : ClampedInt(Values(call)[0]);
  bool known = (origin >= 1 && origin <= 9) || (origin >= 11 && origin <= 19) || origin == 21;
  if (!known) in.Report(call.offset, "a label origin (LO) the previewer does not know");
  in.gl.label.origin = known ? origin : 1;
}

void DoExtraSpace(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  auto sane = [](double x) { return std::isfinite(x) ? std::clamp(x, -10.0, 10.0) : 0.0; };
  in.gl.label.extraWidth = v.empty() ? 0 : sane(v[0]);
  in.gl.label.extraHeight = v.size() >= 2 ? sane(v[1]) : 0;
}

// CP spaces, lines moves the pen by cells and lines; CP alone is a carriage
// return and line feed.
void DoCharacterPlot(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  LabelGeometry g = Geometry(in);
  if (v.empty()) {
    in.gl.label.carriageReturn = Plus(in.gl.label.carriageReturn, g.line);
    in.gl.pen = in.gl.label.carriageReturn;
    return;
  }
  double spaces = std::isfinite(v[0]) ? std::clamp(v[0], -1e6, 1e6) : 0;
  double lines = v.size() >= 2 && std::isfinite(v[1]) ? std::clamp(v[1], -1e6, 1e6) : 0;
  in.gl.pen = Plus(Plus(in.gl.pen, Scale(g.step, spaces)), Scale(g.line, -lines));
}

namespace {

void FontDefinition(Interpreter& in, const GlCall& call, bool alternate) {
  const std::vector<double>& v = Values(call);
  LabelState& l = in.gl.label;
  for (size_t i = 0; i + 1 < v.size(); i += 2) {
    int kind = ClampedInt(v[i]);
    if (kind == 1) (alternate ? l.alternateSet : l.standardSet) = ClampedInt(v[i + 1]);
    if (kind == 3 && v[i + 1] > 0) l.pitch = v[i + 1];
    if (kind == 4 && v[i + 1] > 0) l.points = v[i + 1];
  }
}

}  // namespace

void DoStandardFont(Interpreter& in, const GlCall& call) { FontDefinition(in, call, false); }
void DoAlternateFont(Interpreter& in, const GlCall& call) { FontDefinition(in, call, true); }
void DoSelectStandard(Interpreter& in, const GlCall&) { in.gl.label.alternate = false; }
void DoSelectAlternate(Interpreter& in, const GlCall&) { in.gl.label.alternate = true; }

void DoLabelMode(Interpreter& in, const GlCall& call) {
  in.gl.label.twoByte = !Values(call).empty() && Values(call)[0] == 1;
}

}  // namespace preview
