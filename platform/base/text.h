// UTF-16 texts of the print system and their UTF-8 form on this machine.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace platform {

// Both conversions replace an unpaired surrogate or a malformed byte sequence with
// U+FFFD, so they never fail.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);

// Length of a zero-terminated wide text (0 for null).
std::size_t WideLength(const WCHAR* text);
// The text up to its terminator, or up to `max` characters when there is none.
std::u16string_view WideView(const WCHAR* text, std::size_t max = static_cast<std::size_t>(-1));

// ASCII-only case folding, as the file and profile functions compare names.
WCHAR AsciiLower(WCHAR c);
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace platform
