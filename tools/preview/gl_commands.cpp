// The KX-GL/2 command table: how each command's parameters are read and
// which handler runs it.
#include "tools/preview/gl_commands.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace preview {

namespace {

enum class Syntax : uint8_t {
  kNumbers,     // comma-separated numbers
  kEncoded,     // PE: bytes up to ";"
  kLabel,       // LB: text up to the label terminator
  kTerminator,  // DT: the terminator byte itself, then numbers
  kMixed,       // BP, CO: numbers and quoted strings
};

struct GlRow {
  const char* name;
  Syntax syntax;
  bool keepsStroke;  // the pen may go on drawing the same stroke
  GlHandler run;
};

// clang-format off
constexpr GlRow kGlCommands[] = {
    {"AA", Syntax::kNumbers,    true,  DoArcAbsolute},
    {"AC", Syntax::kNumbers,    false, DoAnchorCorner},
    {"AD", Syntax::kNumbers,    false, DoAlternateFont},
    {"AR", Syntax::kNumbers,    true,  DoArcRelative},
    {"AT", Syntax::kNumbers,    false, DoNotDrawn},
    {"BP", Syntax::kMixed,      false, DoNothing},
    {"CF", Syntax::kNumbers,    false, DoNothing},
    {"CI", Syntax::kNumbers,    false, DoCircle},
    {"CO", Syntax::kMixed,      false, DoNothing},
    {"CP", Syntax::kNumbers,    false, DoCharacterPlot},
    {"CR", Syntax::kNumbers,    false, DoColourRange},
    {"CT", Syntax::kNumbers,    false, DoNothing},
    {"DF", Syntax::kNumbers,    false, DoDefaults},
    {"DI", Syntax::kNumbers,    false, DoDirection},
    {"DR", Syntax::kNumbers,    false, DoRelativeDirection},
    {"DT", Syntax::kTerminator, false, DoLabelTerminator},
    {"DV", Syntax::kNumbers,    false, DoNotDrawn},
    {"EA", Syntax::kNumbers,    false, DoEdgeAbsolute},
    {"EC", Syntax::kNumbers,    false, DoNothing},
    {"EP", Syntax::kNumbers,    false, DoEdgePolygon},
    {"ER", Syntax::kNumbers,    false, DoEdgeRelative},
    {"ES", Syntax::kNumbers,    false, DoExtraSpace},
    {"EW", Syntax::kNumbers,    false, DoNotDrawn},
    {"FI", Syntax::kNumbers,    false, DoNothing},
    {"FN", Syntax::kNumbers,    false, DoNothing},
    {"FP", Syntax::kNumbers,    false, DoFillPolygon},
    {"FR", Syntax::kNumbers,    false, DoPage},
    {"FT", Syntax::kNumbers,    false, DoFillType},
    {"IN", Syntax::kNumbers,    false, DoInitialize},
    {"IP", Syntax::kNumbers,    false, DoScalingPoints},
    {"IR", Syntax::kNumbers,    false, DoRelativePoints},
    {"IW", Syntax::kNumbers,    false, DoInputWindow},
    {"LA", Syntax::kNumbers,    false, DoLineAttributes},
    {"LB", Syntax::kLabel,      false, DoLabel},
    {"LM", Syntax::kNumbers,    false, DoLabelMode},
    {"LO", Syntax::kNumbers,    false, DoLabelOrigin},
    {"LT", Syntax::kNumbers,    false, DoLineType},
    {"MC", Syntax::kNumbers,    false, DoMergeControl},
    {"MG", Syntax::kMixed,      false, DoNothing},
    {"MS", Syntax::kNumbers,    false, DoDeviceSetting},
    {"MT", Syntax::kNumbers,    false, DoNothing},
    {"NP", Syntax::kNumbers,    false, DoPens},
    {"NR", Syntax::kNumbers,    false, DoNothing},
    {"PA", Syntax::kNumbers,    true,  DoPlotAbsolute},
    {"PC", Syntax::kNumbers,    false, DoPenColour},
    {"PD", Syntax::kNumbers,    true,  DoPenDown},
    {"PE", Syntax::kEncoded,    true,  DoEncodedPolyline},
    {"PG", Syntax::kNumbers,    false, DoPage},
    {"PM", Syntax::kNumbers,    false, DoPolygonMode},
    {"PP", Syntax::kNumbers,    false, DoNothing},
    {"PR", Syntax::kNumbers,    true,  DoPlotRelative},
    {"PS", Syntax::kNumbers,    false, DoPlotSize},
    {"PU", Syntax::kNumbers,    true,  DoPenUp},
    {"PW", Syntax::kNumbers,    false, DoPenWidth},
    {"QL", Syntax::kNumbers,    false, DoNothing},
    {"RA", Syntax::kNumbers,    false, DoFillAbsolute},
    {"RF", Syntax::kNumbers,    false, DoRasterFill},
    {"RO", Syntax::kNumbers,    false, DoRotate},
    {"RR", Syntax::kNumbers,    false, DoFillRelative},
    {"RT", Syntax::kNumbers,    false, DoNotDrawn},
    {"SA", Syntax::kNumbers,    false, DoSelectAlternate},
    {"SB", Syntax::kNumbers,    false, DoNothing},
    {"SC", Syntax::kNumbers,    false, DoScale},
    {"SD", Syntax::kNumbers,    false, DoStandardFont},
    {"SI", Syntax::kNumbers,    false, DoCharacterSize},
    {"SL", Syntax::kNumbers,    false, DoSlant},
    {"SM", Syntax::kNumbers,    false, DoNotDrawn},
    {"SP", Syntax::kNumbers,    false, DoSelectPen},
    {"SR", Syntax::kNumbers,    false, DoRelativeSize},
    {"SS", Syntax::kNumbers,    false, DoSelectStandard},
    {"SV", Syntax::kNumbers,    false, DoNothing},
    {"TD", Syntax::kNumbers,    false, DoNothing},
    {"TR", Syntax::kNumbers,    false, DoTransparency},
    {"UL", Syntax::kNumbers,    false, DoUserLineType},
    {"WG", Syntax::kNumbers,    false, DoNotDrawn},
    {"WU", Syntax::kNumbers,    false, DoWidthUnit},
};
// clang-format on

const GlRow* FindRow(const char* name) {
  for (const GlRow& row : kGlCommands) {
    if (std::strcmp(row.name, name) == 0) return &row;
  }
  return nullptr;
}

void ReadMixed(ByteCursor& cursor, GlCall& call) {
  while (!cursor.AtEnd()) {
    int c = cursor.Peek();
    if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      cursor.Next();
    } else if (c == '"') {
      RawParams quoted = ReadQuoted(cursor);
      if (call.raw.data.empty()) call.raw = quoted;
    } else if (c == ';') {
      cursor.Next();
      call.numbers.semicolon = true;
      return;
    } else if (IsLetter(c) || c == kEsc) {
      return;
    } else {
      size_t at = cursor.pos;
      std::optional<double> value = ReadNumber(cursor);
      if (value) {
        call.numbers.values.push_back(*value);
      } else if (!call.numbers.strayAt) {
        call.numbers.strayAt = at;
      }
    }
  }
}

// DT: the byte after the mnemonic is the terminator (";" alone restores ETX).
void ReadTerminator(ByteCursor& cursor, GlCall& call) {
  int c = cursor.Peek();
  if (c == ';') {
    cursor.Next();
    return;
  }
  if (c < 0 || c == 0 || c == '\n' || c == kEsc) return;
  call.raw.data = cursor.Take(1);
  call.raw.terminated = true;
  call.numbers = ReadNumbers(cursor);
}

void ReadParams(Interpreter& in, ByteCursor& cursor, Syntax syntax, GlCall& call) {
  const std::string name = call.mnemonic.name;
  switch (syntax) {
    case Syntax::kNumbers:
      call.numbers = ReadNumbers(cursor);
      break;
    case Syntax::kMixed:
      ReadMixed(cursor, call);
      break;
    case Syntax::kTerminator:
      ReadTerminator(cursor, call);
      break;
    case Syntax::kEncoded:
      call.raw = ReadUpToSemicolon(cursor);
      if (!call.raw.terminated) {
        if (cursor.AtEnd()) {
          in.ReportTruncated(call.offset, "the stream ends inside an encoded polyline (PE)");
        } else {
          in.Report(call.offset, "an encoded polyline (PE) without its \";\"");
        }
      }
      break;
    case Syntax::kLabel:
      call.raw = ReadLabelText(cursor, in.gl.label.terminator, in.gl.label.twoByte);
      if (!call.raw.terminated) {
        if (cursor.AtEnd()) {
          in.ReportTruncated(call.offset, "the stream ends inside a label (LB)");
        } else {
          in.Report(call.offset, "a label (LB) without its terminator");
        }
      }
      break;
  }
  if (call.numbers.strayAt) {
    in.Report(*call.numbers.strayAt,
              "bytes in the parameters of " + name + " that are not numbers");
  }
}

}  // namespace

void ExecuteGlCommand(Interpreter& in, ByteCursor& cursor, const Mnemonic& mnemonic) {
  GlCall call;
  call.mnemonic = mnemonic;
  call.offset = mnemonic.offset;
  const GlRow* row = FindRow(mnemonic.name);
  if (!row) {
    call.numbers = ReadNumbers(cursor);
    in.FlushStroke();
    in.Count(mnemonic.name, call.offset);
    in.Report(call.offset, std::string("unknown command ") + mnemonic.name);
    return;
  }
  ReadParams(in, cursor, row->syntax, call);
  call.text = cursor.bytes.subspan(mnemonic.offset, cursor.pos - mnemonic.offset);
  if (!row->keepsStroke) in.FlushStroke();
  // The device's MS commands are listed with the device commands; the job
  // header's do not belong to the first page.
  if (row->run != DoDeviceSetting) in.Count(mnemonic.name, call.offset);
  row->run(in, call);
}

void DoNothing(Interpreter&, const GlCall&) {}

void DoNotDrawn(Interpreter& in, const GlCall& call) {
  in.Report(call.offset,
            std::string(call.mnemonic.name) + " is known but not drawn by the previewer");
}

void Interpreter::ResetAttributes() {
  gl.penWidth.fill(0.35);
  gl.relativeWidths = false;
  gl.lineType = {};
  gl.userLineTypes.clear();
  gl.cap = LineCap::kButt;
  gl.join = LineJoin::kMiter;
  gl.miterLimit = 5;
  gl.fillType = {};
  gl.rasterFills.clear();
  gl.anchor.reset();
  gl.colourRange = {0, 255, 0, 255, 0, 255};
  ResetLabels(gl.label);
  merge = {};
}

void Interpreter::ResetGraphics() {
  gl.frame.Initialize();
  gl.pen = gl.frame.PlotterToPhysical({0, 0});
  gl.penDown = false;
  gl.relative = false;
  gl.selectedPen = 1;
  gl.polygonMode = false;
  gl.polygon.clear();
  gl.subpolygonOpen = false;
  gl.polygonBuffer.clear();
  ResetAttributes();
  gl.label.carriageReturn = gl.pen;
  int size = palette.size;
  palette = DefaultPalette(size < 8 ? 8 : size);
}

}  // namespace preview
