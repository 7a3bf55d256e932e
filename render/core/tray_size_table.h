// The sizes the manual and multi-purpose trays take, and which of them a model
// offers: the 39-row tray-size table and the selection pattern of each model.
#pragma once

#include <string_view>

namespace render {

// Three rows per size, for A0, A1, A2, A3, A4, A5, A6, B3, B4, B5, B6, B1, B2.
constexpr int kTraySizeRows = 39;

// A text of "0" and "1", one character per row of the tray-size table from row 0
// of A0 onwards; a "1" makes the row eligible. `kindSuffix` says whether the
// model appends the paper kind text to its tray command.
struct SelectionPattern {
  std::string_view rows;
  bool kindSuffix;
};

// The pattern of a model number (any number: the models without a pattern of
// their own share one).
const SelectionPattern& SelectionPatternOf(int model);

// The tray code of the first eligible row whose size name is `pageName`: the
// row's first code, or its second with `directionside`. Null when no eligible
// row carries that name. Rows at or beyond the pattern's length are not eligible
// (most patterns stop before the B1 and B2 rows).
const char* TrayCode(const SelectionPattern& pattern, std::string_view pageName,
                     bool directionside);

}  // namespace render
