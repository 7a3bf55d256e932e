// Reading KX-GL/2 commands: a two-letter mnemonic, then parameters in the
// form the command takes. Because the commands have irregular syntax (the
// encoded polyline, label text up to its terminator, the terminator
// definition itself), the command table says which reader a command uses.
// A command ends at ";", at the next mnemonic, or at an escape byte, which
// belongs to whatever follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/preview/byte_cursor.h"

namespace preview {

struct Mnemonic {
  char name[3] = {0, 0, 0};  // upper case
  size_t offset = 0;
};

// Numeric parameters, and whether they ended as the syntax wants.
struct NumericParams {
  std::vector<double> values;
  bool semicolon = false;  // ended by ";" (consumed)
  // Bytes that belong to no parameter (skipped up to the next separator),
  // by the offset of the first.
  std::optional<size_t> strayAt;
};

// The bytes of a command whose data runs up to a terminator.
struct RawParams {
  std::span<const uint8_t> data;
  bool terminated = false;  // the terminator was found (and consumed)
};

// A parameter as an integer: truncated, and limited so that any value a
// stream carries converts without overflow.
inline int ClampedInt(double value) {
  if (!(value > -1e9)) return value < 0 ? -1000000000 : 0;
  if (!(value < 1e9)) return 1000000000;
  return static_cast<int>(value);
}

// Skips what may stand between commands: blanks, line ends, ";".
void SkipSeparators(ByteCursor& in);

// Reads a mnemonic when the cursor is at two letters.
std::optional<Mnemonic> ReadMnemonic(ByteCursor& in);

// Reads one number ([+-]digits[.digits]); nothing (with the cursor past the
// bytes tried) when there is no digit.
std::optional<double> ReadNumber(ByteCursor& in);

// Reads comma- or blank-separated numbers ("+1", "-0.14", "00.85").
NumericParams ReadNumbers(ByteCursor& in);

// Reads up to ";" (the encoded polyline); an escape byte or the end of the
// data also end it, unterminated.
RawParams ReadUpToSemicolon(ByteCursor& in);

// Reads label text up to the terminator: one byte, or in two-byte mode a
// pair whose first byte is 0 and second the terminator. An escape byte at a
// character boundary ends the label, unterminated.
RawParams ReadLabelText(ByteCursor& in, uint8_t terminator, bool twoByte);

// Reads a quoted string parameter ("BP1,"name""): the cursor is at the quote.
RawParams ReadQuoted(ByteCursor& in);

}  // namespace preview
