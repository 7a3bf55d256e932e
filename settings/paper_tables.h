// The driver's fixed paper tables: the 15 driver papers, the paper name table,
// the paper code classes and the forms handed to the print system.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/base/devmode.h"

namespace settings {

// A driver paper; sizes in micrometres.
struct DriverPaper {
  const char16_t* name;
  std::int16_t code;
  std::int32_t width;
  std::int32_t length;
};

// The 15 driver papers, in table order.
std::span<const DriverPaper> DriverPapers();
// The row of a paper code, or null.
const DriverPaper* FindDriverPaper(int code);
// The row whose name equals `name` without regard to ASCII case, or null.
const DriverPaper* FindDriverPaperByName(std::u16string_view name, bool ignoreCase);

// The paper name table: exact UTF-16 names. A name not in the table gives 8
// (A3); a code not in the table gives "A3".
std::int16_t PaperNameToCode(std::u16string_view name);
const char16_t* PaperCodeToName(int code);

constexpr std::int16_t kPaperOsUser = 256;
constexpr std::int16_t kPaperUserFirst = 384;  // "USER1"
constexpr std::int16_t kPaperUserLast = 393;   // "USER10"

// 256 (a size given in the public record) and 384-393 (user sizes).
bool IsCustomPaperCode(int code);
// "PAPER_LINK" when the code is custom, or a name beginning "USER" or "OSUSER".
bool IsCustomPaperName(int code, std::u16string_view name);

// The driver papers as printer forms: the whole paper is imageable.
struct DriverForm {
  DWORD flags;  // 2: printer form
  const char16_t* name;
  std::int32_t width;
  std::int32_t length;
  std::int32_t left, top, right, bottom;
};
constexpr DWORD kFormPrinter = 2;
constexpr DWORD kFormUser = 0;
std::size_t DriverFormCount();
DriverForm DriverFormAt(std::size_t index);

// The merge step that turns a size given in tenths of a millimetre into a driver
// paper: the first row whose width and length (in tenths) lie strictly within 10
// of the given ones. Fills code, name and size of the record on a hit.
bool MatchCustomSize(DEVMODEW& target, const DEVMODEW& source);

}  // namespace settings
