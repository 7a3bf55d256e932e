// The characters of a label: the code page a string is converted to, the class
// and code of each character taken from the bytes the conversion produced, and
// the two-byte Shift-JIS codes written as the JIS bytes the printer's two-byte
// labels take.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace render {

// Character classes; a run of labels is a maximal sequence of one class.
inline constexpr int kLabelClassDoubleByte = 1;  // a two-byte code
inline constexpr int kLabelClassHighByte = 2;    // one byte of 0x80 or more
inline constexpr int kLabelClassLowByte = 4;     // one byte below 0x80

// The code page label text is converted to: the ANSI code page when it is one of
// the East Asian pages (932, 936, 949, 950), else 1252.
UINT LabelCodePage(UINT ansiCodePage);

struct LabelChar {
  int charClass;       // one of the classes above
  std::uint16_t code;  // one byte, or first byte * 256 + second byte
  std::size_t units;   // UTF-16 units of the text the character took (1 or 2)
};

// The first character of text[0, count) converted alone to
// `codePage`. The class follows the bytes produced, so a character the page maps
// to one byte ("¥" to '\' in 932) or cannot map at all ('?') is a one-byte code.
// A surrogate pair is one character; a conversion that gives no bytes or more
// than two gives '?'. An empty text gives '?' taking no units.
LabelChar ReadLabelChar(UINT codePage, const WCHAR* text, std::size_t count);

// The run at the start of text[0, count): the characters of one class that
// follow one another, each classed as ReadLabelChar does. An empty text gives an
// empty run.
struct LabelRun {
  int charClass;
  std::size_t units;       // UTF-16 units of the run
  std::size_t characters;  // characters (and codes) of the run
};
LabelRun ReadLabelRun(UINT codePage, const WCHAR* text, std::size_t count);

struct JisBytes {
  unsigned char first;
  unsigned char second;
};

// The JIS bytes of a two-byte Shift-JIS code, as the printer's two-byte labels
// take them; the one pair 0x2D 0x5F is sent as 0x2D 0x7E.
JisBytes ShiftJisToJis(std::uint16_t code);

// A label size in hundredths of a centimetre as "SI" writes it: the whole part,
// ".", and the hundredths as two digits, except that 0 hundredths is one "0"
// (150 gives "1.50", 105 gives "1.05", 100 gives "1.0"). A negative size keeps
// its sign. The text is terminated; `length` excludes the terminator.
struct LabelSizeText {
  char text[16];
  std::size_t length;
};
LabelSizeText FormatLabelSize(std::int32_t hundredths);

}  // namespace render
