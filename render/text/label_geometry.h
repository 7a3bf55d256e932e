// The geometry of a label: its character size from the font transform, the
// vertical-writing tables and the label direction.
#pragma once

#include <cstdint>

namespace render {

// The smallest integer r with r * r >= x * x + y * y: the length of a transformed
// em, in pixels. Computed without overflow; clamped to the int32 range (a NaN
// gives 0).
std::int32_t LabelLength(double x, double y);

// A length in pixels as hundredths of a centimetre at `dpi` (value * 254 / dpi,
// integer division), in 64 bits and clamped to int32; 0 for a dpi of 0 or less.
std::int32_t PixelsToHundredths(std::int32_t pixels, int dpi);

// The character size of a label from the font's em (units per em) and its
// transform. The em's transformed lengths are taken from the products truncated to
// whole pixels; width and height are their lengths in pixels, and in hundredths of
// a centimetre at `dpi` the width w and the label height H = h * 85 / 100.
struct LabelSize {
  std::int32_t widthPixels;
  std::int32_t heightPixels;
  std::int32_t width;   // w
  std::int32_t height;  // H
};
LabelSize MakeLabelSize(double em, double eM11, double eM12, double eM21, double eM22, int dpi);

// The "SI" pair of a run: (w, H) for a two-byte run, turned to (H, w) in a
// vertical font when the run's first character does not lie on its side;
// (w / 2, H) for a one-byte run.
struct LabelSizePair {
  std::int32_t first;
  std::int32_t second;
};
LabelSizePair MakeLabelSizePair(const LabelSize& size, int runClass, bool vertical,
                                std::uint16_t firstCode);

// Shift-JIS codes of characters that lie on their side in vertical text (66).
bool IsVerticalRotatedCode(std::uint16_t code);
// Shift-JIS codes of the vertical text's punctuation, which sits in the upper
// right of its cell (4).
bool IsVerticalPunctuationCode(std::uint16_t code);

struct LabelDirection {
  std::int32_t run;
  std::int32_t rise;
};

// What a run's first character turns a label direction into. `twoByte` says the
// first character has a two-byte code `code`.
struct DirectionInputs {
  double eM11;
  double eM12;
  double eM21;
  bool riseFromM12;  // the model table's mask bit 0x4: rise = eM12 * -1000000
  bool vertical;     // a vertical ("@") font
  bool twoByte;
  std::uint16_t code;
};

// The "DI" values: run = eM11 * 1000000 and rise = eM21 * 1000000, truncated (or
// rise from eM12, negated, for the masked models); in a vertical font a two-byte
// punctuation character negates both, and every two-byte character that does not
// lie on its side turns the direction by a quarter, (run, rise) to (-rise, run).
// Elements beyond the int32 range are clamped, never converted out of range.
LabelDirection MakeLabelDirection(const DirectionInputs& in);

// Whether `now` needs no new "DI" after `last`: equal, or both runs 0 with rises
// of the same sign, or both rises 0 with runs of the same sign.
bool SameLabelDirection(LabelDirection now, LabelDirection last);

}  // namespace render
