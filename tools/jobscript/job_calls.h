// A print job as the engine calls it: the job's set-up and the list of control
// and drawing calls, each with every attribute it is made with. Job scripts are
// read into this form (job_script.h); other document readers produce the same
// calls, and one player (job_player.h) turns them into device-context calls.
#pragma once

#include <string>
#include <vector>

#include "platform/engine/ddi.h"

namespace jobscript {

// Where a call came from: the line of the script, or of whatever a reader calls
// its position (a page and object number).
struct Origin {
  int line = 0;
};

// A settings change "NAME=VALUE", by the member names of the settings record.
struct Assignment {
  Origin origin;
  std::string text;
};

// One step of a path, in device pixels with fractions (the engine passes them on
// in 28.4 fixed point).
struct PathStep {
  enum Kind { kMove, kLine, kBezier, kClose } kind = kMove;
  double p[6] = {0, 0, 0, 0, 0, 0};  // x, y (x1, y1, x2, y2, x3, y3 for a curve)
};

// A brush: a solid colour, a hatch of a colour on a background colour, or a
// pattern bitmap of a format (BMF_1BPP, BMF_4BPP, BMF_8BPP: indices into the
// palette; BMF_24BPP: blue, green, red bytes) with rows top down.
struct BrushParams {
  enum Kind { kSolid, kHatch, kPattern } kind = kSolid;
  COLORREF color = 0;  // solid colour, hatch foreground (0x00BBGGRR)
  COLORREF background = 0xFFFFFF;
  ULONG hatch = 0;   // HS_*
  ULONG format = 0;  // BMF_*
  LONG width = 0, height = 0;
  std::vector<COLORREF> palette;
  std::vector<unsigned char> bits;  // rows of the format, each padded to 4 bytes
};

// Line attributes of a stroke, and the world-to-device transform of a wide line.
struct LineParams {
  bool geometric = false;
  double width = 1;  // cosmetic: whole pixels; geometric: world units
  ULONG join = 0;    // JOIN_*
  ULONG cap = 0;     // ENDCAP_*
  double miterLimit = 10;
  std::vector<double> style;  // dash and gap lengths, alternately; empty: solid
  bool alternate = false;
  bool startGap = false;
  double styleState = 0;
  double transform[6] = {1, 0, 0, 1, 0, 0};  // m11 m12 m21 m22 dx dy
};

// The clip: none, or rectangles (right and bottom exclusive; one is a rectangle
// clip, more a complex one).
struct ClipParams {
  bool none = true;
  std::vector<RECTL> rects;
};

// An image: a bitmap of a format with rows top down, each padded to 4 bytes (as
// a pattern's), the part of it that is drawn, the rectangle of the page it goes
// to (right and bottom exclusive), the four-operand raster operation, and the
// stretch mode when the two rectangles differ in size.
struct ImageParams {
  ULONG format = 0;  // BMF_*
  LONG width = 0, height = 0;
  std::vector<COLORREF> palette;
  std::vector<unsigned char> bits;
  RECTL source = {0, 0, 0, 0};
  RECTL target = {0, 0, 0, 0};
  ROP4 rop = 0xCCCC;      // the source copied
  ULONG stretchMode = 3;  // COLORONCOLOR
};

enum class CallKind {
  kStartDocument,
  kStartPage,
  kEndPage,
  kEndDocument,
  kReset,        // a settings reset between pages with the changes in `settings`
  kEscape,       // `escape`, `data`, `outputSize`
  kPassThrough,  // raw `data`, sent as the pass-through escape's counted block
  kStroke,
  kFill,
  kStrokeAndFill,
  kPaint,
  kImage,  // `image`, with the clip and the brush of the state
};

struct JobCall {
  CallKind kind = CallKind::kStartPage;
  Origin origin;
  std::vector<Assignment> settings;
  ULONG escape = 0;
  std::vector<unsigned char> data;
  ULONG outputSize = 0;
  std::vector<PathStep> path;
  BrushParams stroke;  // the pen of strokes, the brush of paints
  BrushParams fill;
  LineParams line;
  ClipParams clip;
  MIX mix = 0x0D0D;    // foreground and background raster operations (R2_COPYPEN)
  FLONG fillMode = 1;  // FP_ALTERNATEMODE or FP_WINDINGMODE
  POINTL brushOrigin = {0, 0};
  ImageParams image;
};

struct Job {
  std::string printer;               // empty: the one the command names, or the default
  std::vector<Assignment> settings;  // made before the device context opens
  std::string documentName;
  std::string owner;  // the user the spooler records the job for
  std::vector<JobCall> calls;
  int pages = 0;  // start-page calls
};

}  // namespace jobscript
