// The raster language (RTL) between ESC%1A and ESC%0B: escape sequences,
// the palette it shares with the pens, and raster images placed at the
// current active position.
//
// A raster image lies on the sheet the same way whatever the rotation of
// the plotter frame: the pixels of a row run along the plot width (physical
// +Y), the rows follow one another along the plot length (physical +X). The
// driver turns landscape images itself for a device that does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/preview/byte_cursor.h"
#include "tools/preview/interpreter.h"

namespace preview {

// One command of an escape sequence: ESC * r 100 s 50 t 3 A holds three.
struct PclCommand {
  size_t offset = 0;
  char introducer = 0;  // the byte after ESC
  char group = 0;       // the lower-case group byte, 0 when there is none
  char parameter = 0;   // upper-cased final or combined parameter byte
  bool hasValue = false;
  double value = 0;
  std::span<const uint8_t> data;  // binary data that follows (rows, palette data)
  bool dataShort = false;         // the stream ended before all of it
};

struct PclEscape {
  size_t offset = 0;
  bool twoCharacter = false;  // ESC and one byte, as ESC E
  std::vector<PclCommand> commands;
  bool malformed = false;  // no command could be read
  bool leftOpen = false;   // the last parameter asked for more, and none came
};

// Reads one escape sequence; the cursor is at its ESC byte.
PclEscape ReadPclEscape(ByteCursor& in);

// The name under which `--info` counts a command ("ESC*rA").
std::string PclCommandName(const PclCommand& command, bool twoCharacter);

// Runs the commands of an escape sequence met in the raster language.
void ExecuteRtlEscape(Interpreter& in, const PclEscape& escape);

// ESC%#A: into the raster language; with 1 the pen position becomes the
// current active position. ESC%#B: back; with 1 the pen goes to it.
void EnterRtl(Interpreter& in, int value);
void LeaveRtl(Interpreter& in, int value);

}  // namespace preview
