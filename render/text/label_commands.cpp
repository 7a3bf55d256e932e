// Label commands written on change, against the label state of the device
// context.
#include "render/text/label_commands.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "render/core/output_channel.h"
#include "render/text/label_text.h"

namespace render {

namespace {

void WriteSizeText(OutputChannel& out, std::int32_t hundredths) {
  LabelSizeText t = FormatLabelSize(hundredths);
  (void)WriteBytes(out, t.text, t.length);
}

// -v without overflow: the one value that has no negation stays the largest.
std::int32_t Negated(std::int32_t v) {
  return v == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                       : -v;
}

}  // namespace

void WriteLabelSize(OutputChannel& out, LabelState& state, std::int32_t width,
                    std::int32_t height) {
  if (width == state.sizeWidth && height == state.sizeHeight) return;
  (void)WriteText(out, "SI");
  WriteSizeText(out, width);
  (void)WriteText(out, ",");
  WriteSizeText(out, height);
  state.sizeWidth = width;
  state.sizeHeight = height;
}

void WriteLabelMode(OutputChannel& out, LabelState& state, int runClass) {
  if (runClass == kLabelClassDoubleByte) {
    if (state.byteMode != 1) (void)WriteText(out, "SALM1");
    state.byteMode = 1;
    return;
  }
  bool high = runClass == kLabelClassHighByte;
  int symbolSet = high ? kLabelClassHighByte : kLabelClassLowByte;
  if (state.symbolSet != symbolSet) (void)WriteText(out, high ? "SD1,43" : "SD1,11");
  if (state.byteMode == 1) (void)WriteText(out, "SSLM0");
  state.symbolSet = symbolSet;
  state.byteMode = symbolSet;
}

void WriteLabelSlant(OutputChannel& out, LabelState& state, bool italic) {
  if (italic && state.slanted == 0) (void)WriteText(out, "SL0.5");
  if (!italic && state.slanted != 0) (void)WriteText(out, "SL");
  state.slanted = italic ? 1 : 0;
}

void WriteLabelDirection(OutputChannel& out, LabelState& state, LabelDirection direction,
                         bool deviceRotated) {
  LabelDirection last{state.directionRun, state.directionRise};
  if (SameLabelDirection(direction, last)) return;
  std::int32_t run = deviceRotated ? Negated(direction.run) : direction.run;
  std::int32_t rise = deviceRotated ? Negated(direction.rise) : direction.rise;
  char text[32];
  int n = std::snprintf(text, sizeof text, "DI%ld,%ld", static_cast<long>(run),
                        static_cast<long>(rise));
  if (n > 0) (void)WriteBytes(out, text, static_cast<std::size_t>(n));
  state.directionRun = direction.run;
  state.directionRise = direction.rise;
}

void WriteLabelCode(OutputChannel& out, std::uint16_t code, bool twoByte) {
  if (!twoByte) {
    auto byte = static_cast<unsigned char>(code);
    (void)WriteBytes(out, &byte, 1);
    return;
  }
  JisBytes jis = ShiftJisToJis(code);
  unsigned char bytes[2] = {jis.first, jis.second};
  (void)WriteBytes(out, bytes, 2);
}

void WriteLabelTerminator(OutputChannel& out, bool twoByte) {
  static constexpr unsigned char kTwoByte[2] = {0x00, 0x03};
  (void)WriteBytes(out, twoByte ? kTwoByte : kTwoByte + 1, twoByte ? 2 : 1);
}

}  // namespace render
