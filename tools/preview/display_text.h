// Texts from the stream made fit to print: the stream's 8-bit texts are in
// the system code page (Shift-JIS on Japanese systems), the report is UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace preview {

// The bytes as UTF-8: read as Shift-JIS when they are valid Shift-JIS, with
// control characters and unreadable bytes written as \xNN.
std::string DisplayText(std::span<const uint8_t> bytes);
std::string DisplayText(std::string_view bytes);

// The Unicode character of a two-byte JIS X 0208 code (both bytes 0x21 to
// 0x7E), or 0 when it has none.
char32_t JisToUnicode(uint8_t first, uint8_t second);

}  // namespace preview
