// Case folding of names that the platform compares without regard to case:
// profile sections and keys, registry key and value names. Beyond ASCII it
// folds the letters that have a simple one-to-one case pair in Latin-1, Latin
// Extended-A, Greek, Cyrillic and the full-width forms, so that "ＵＳＥＲ" and
// "ｕｓｅｒ" name one key, while kana and kanji stay as they are.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace platform {

WCHAR FoldCase(WCHAR c);
std::u16string FoldCase(std::u16string_view text);
bool EqualsFolded(std::u16string_view a, std::u16string_view b);

}  // namespace platform
