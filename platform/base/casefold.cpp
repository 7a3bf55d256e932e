// Simple one-to-one case folding by ranges of capitals.
#include "platform/base/casefold.h"

namespace platform {

namespace {

// Capital letters and how far their small letter lies from them; `step` 2 marks
// ranges where capitals and small letters alternate.
struct FoldRange {
  char16_t first;
  char16_t last;
  char16_t offset;
  char16_t step;
};

// clang-format off
constexpr FoldRange kFoldRanges[] = {
    {0x0041, 0x005A, 32, 1},  // A-Z
    {0x00C0, 0x00D6, 32, 1},  // Latin-1 capitals before the multiplication sign
    {0x00D8, 0x00DE, 32, 1},  // ... and after it
    {0x0100, 0x012F,  1, 2},  // Latin Extended-A pairs
    {0x0132, 0x0137,  1, 2},
    {0x0139, 0x0148,  1, 2},
    {0x014A, 0x0177,  1, 2},
    {0x0179, 0x017E,  1, 2},
    {0x0391, 0x03A1, 32, 1},  // Greek capitals (no capital final sigma)
    {0x03A3, 0x03AB, 32, 1},
    {0x0400, 0x040F, 80, 1},  // Cyrillic capitals with marks
    {0x0410, 0x042F, 32, 1},  // Cyrillic А-Я
    {0xFF21, 0xFF3A, 32, 1},  // full-width Ａ-Ｚ
};
// clang-format on

}  // namespace

WCHAR FoldCase(WCHAR c) {
  if (c < 0x41) return c;
  for (const FoldRange& r : kFoldRanges) {
    if (c < r.first) break;
    if (c > r.last) continue;
    if (r.step == 2 && ((c - r.first) & 1) != 0) return c;
    return static_cast<WCHAR>(c + r.offset);
  }
  return c;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (WCHAR& c : out) c = FoldCase(c);
  return out;
}

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace platform
