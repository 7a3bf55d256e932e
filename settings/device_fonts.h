// Device fonts: the printer's resident fonts that a description lists in its
// Font entries. Only fonts of the built-in table are kept; each gets an encoding
// class, a character set, a code page and a display name, East Asian fonts of the
// "83pv" set a vertical twin, and the records stay sorted by metric number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/base/types.h"

namespace settings {

// Encoding classes the normalised records use.
inline constexpr std::uint16_t kFontEncodingRksj = 6;  // Japanese, code page 932
inline constexpr std::uint16_t kFontEncodingEuc = 7;
inline constexpr std::uint16_t kFontEncodingB5 = 9;
inline constexpr std::uint16_t kFontEncodingUhc = 10;
// Character sets the font order and the vertical twin look at.
inline constexpr std::uint16_t kFontSet83pv = 8;
inline constexpr std::uint16_t kFontSetExt = 10;
inline constexpr std::uint16_t kFontSet90ms = 12;

// Vertical flags of a device font.
inline constexpr std::uint16_t kFontVerticalName = 1;  // its name ends in "-V"
inline constexpr std::uint16_t kFontVerticalTwin = 2;  // made for an "83pv" font

// The metric number of a resident font, or -1 when the built-in table does not
// list it. The table is sorted on the first call (once per process) and searched
// by bisection with exact byte comparison.
int FindResidentFont(std::string_view name);

// The face name of font metric record `number` (resource type 258) of `module`,
// copied as UTF-16 into `out` (at most capacity - 1 units, terminated). Its length,
// or -1 when the module has no such record or the record is malformed.
int ReadFontFaceName(HMODULE module, unsigned number, WCHAR* out, std::size_t capacity);

}  // namespace settings
