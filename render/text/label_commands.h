// The label commands that depend on what the printer was last told: character
// size, byte mode and symbol set, slant and direction are written only when they
// change, and the label state of the device context remembers them.
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "render/text/label_geometry.h"
#include "render/vector/pen_state.h"

namespace render {

struct OutputChannel;

// "SI" with the width and height in hundredths of a centimetre, when they differ
// from the last ones; stores them.
void WriteLabelSize(OutputChannel& out, LabelState& state, std::int32_t width, std::int32_t height);

// The byte mode and symbol set of a run of `runClass` (1, 2 or 4): two-byte runs
// switch to "SALM1"; one-byte runs select "SD1,43" (bytes from 0x80) or "SD1,11"
// (below 0x80) and leave two-byte mode with "SSLM0".
void WriteLabelMode(OutputChannel& out, LabelState& state, int runClass);

// "SL0.5" when an italic font starts, "SL" when it ends.
void WriteLabelSlant(OutputChannel& out, LabelState& state, bool italic);

// "DI" with the direction when it differs from the last one (SameLabelDirection);
// negated when the device turns the page. The state keeps the direction as it
// was before negation.
void WriteLabelDirection(OutputChannel& out, LabelState& state, LabelDirection direction,
                         bool deviceRotated);

// One character of a label: a one-byte code as its byte, a two-byte Shift-JIS
// code as its two JIS bytes.
void WriteLabelCode(OutputChannel& out, std::uint16_t code, bool twoByte);

// The end of a label: 0x03 after one-byte text, 0x00 0x03 after two-byte text.
void WriteLabelTerminator(OutputChannel& out, bool twoByte);

}  // namespace render
