// Reading the values of description entries: numbers, words looked up in small
// tables, and hexadecimal substrings. Numbers never wrap: unsigned values stop
// at 0xFFFFFFFF and 24.8 values at 0x7FFFFFFF, so an absurd digit string reads as
// the largest value and every table lookup keyed by it finds nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "settings/description_arena.h"

namespace settings {

// Words are split at white space (and at line ends, which quoted values hold).
class WordReader {
 public:
  explicit WordReader(std::string_view text) : text_(text) {}
  // The next word; false when none is left.
  [[nodiscard]] bool Next(std::string_view* word);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// A decimal integer at the start of `text` (leading white space skipped); a
// leading "-" gives 0. False when no digit follows.
[[nodiscard]] bool ReadDecimal(std::string_view text, std::uint32_t* value);
// The same in bare hexadecimal digits ("0x2000" reads as 0).
[[nodiscard]] bool ReadHexadecimal(std::string_view text, std::uint32_t* value);
// A decimal number with an optional fraction as 24.8 fixed point (truncated);
// a leading "-" gives 0.
[[nodiscard]] bool ReadFixed(std::string_view text, std::int32_t* value);
// The same, but the whole word must be the number.
[[nodiscard]] bool ReadFixedWord(std::string_view word, std::int32_t* value);
[[nodiscard]] bool ReadDecimalWord(std::string_view word, std::uint32_t* value);

// True when `value` begins with `word` followed by its end or white space.
bool MatchesWord(std::string_view value, std::string_view word);

struct WordCode {
  const char* word;
  int code;
};
// The code of the first row `value` matches, or `otherwise`.
int LookupWord(std::string_view value, std::span<const WordCode> table, int otherwise);

enum class DecodeResult : std::uint8_t { kOk, kSyntaxError, kNoMemory };

// A zero-terminated arena copy of `text` in which every "<...>" holds pairs of
// hexadecimal digits, each pair one byte. A non-hexadecimal character between
// the brackets, an odd digit or an unclosed "<" is a syntax error.
DecodeResult DecodeHexSubstrings(std::string_view text, DescriptionArena& arena, char** out);

}  // namespace settings
