// Numbers, words and hexadecimal substrings of description values.
#include "settings/description_values.h"

#include "settings/description_entry.h"

namespace settings {

namespace {

constexpr std::uint64_t kMaxU32 = 0xFFFFFFFFu;
constexpr std::int32_t kMaxFixed = 0x7FFFFFFF;

bool IsWordSeparator(unsigned char c) { return IsWhiteSpace(c) || IsLineEnd(c); }

int HexValue(unsigned char c) {
  if (IsDecimalDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

std::string_view SkipLeadingWhiteSpace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsWordSeparator(static_cast<unsigned char>(text[i]))) ++i;
  return text.substr(i);
}

// Reads digits of base 10 or 16 from `text`, saturating; returns how many bytes
// were used (0 when no digit).
std::size_t ReadDigits(std::string_view text, unsigned base, std::uint32_t* value) {
  std::uint64_t v = 0;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (base == 10 ? !IsDecimalDigit(c) : !IsHexDigit(c)) break;
    v = v * base + static_cast<unsigned>(HexValue(c));
    if (v > kMaxU32) v = kMaxU32 + 1;  // stays above the limit without overflowing
  }
  *value = v > kMaxU32 ? static_cast<std::uint32_t>(kMaxU32) : static_cast<std::uint32_t>(v);
  return i;
}

// Reads an integer at the start of `text`; `used` gets the bytes consumed.
bool ReadInteger(std::string_view text, unsigned base, std::uint32_t* value, std::size_t* used) {
  bool negative = !text.empty() && text[0] == '-';
  std::size_t start = negative ? 1 : 0;
  std::size_t n = ReadDigits(text.substr(start), base, value);
  if (n == 0) return false;
  if (negative) *value = 0;
  *used = start + n;
  return true;
}

bool ReadFixedPrefix(std::string_view text, std::int32_t* value, std::size_t* used) {
  bool negative = !text.empty() && text[0] == '-';
  std::size_t i = negative ? 1 : 0;
  std::uint32_t whole = 0;
  std::size_t wholeDigits = ReadDigits(text.substr(i), 10, &whole);
  i += wholeDigits;
  std::uint64_t fraction = 0, scale = 1;
  std::size_t fractionDigits = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (; i < text.size() && IsDecimalDigit(static_cast<unsigned char>(text[i])); ++i) {
      if (fractionDigits++ < 9) {
        fraction = fraction * 10 + static_cast<unsigned>(text[i] - '0');
        scale *= 10;
      }
    }
  }
  if (wholeDigits == 0 && fractionDigits == 0) return false;
  *used = i;
  if (negative) {
    *value = 0;
  } else if (whole > static_cast<std::uint32_t>(kMaxFixed >> 8)) {
    *value = kMaxFixed;
  } else {
    *value = static_cast<std::int32_t>((whole << 8) + fraction * 256 / scale);
  }
  return true;
}

}  // namespace

bool WordReader::Next(std::string_view* word) {
  while (pos_ < text_.size() && IsWordSeparator(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  if (pos_ >= text_.size()) return false;
  std::size_t start = pos_;
  while (pos_ < text_.size() && !IsWordSeparator(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  *word = text_.substr(start, pos_ - start);
  return true;
}

bool ReadDecimal(std::string_view text, std::uint32_t* value) {
  std::size_t used = 0;
  return ReadInteger(SkipLeadingWhiteSpace(text), 10, value, &used);
}

bool ReadHexadecimal(std::string_view text, std::uint32_t* value) {
  std::size_t used = 0;
  return ReadInteger(SkipLeadingWhiteSpace(text), 16, value, &used);
}

bool ReadFixed(std::string_view text, std::int32_t* value) {
  std::size_t used = 0;
  return ReadFixedPrefix(SkipLeadingWhiteSpace(text), value, &used);
}

bool ReadFixedWord(std::string_view word, std::int32_t* value) {
  std::size_t used = 0;
  return ReadFixedPrefix(word, value, &used) && used == word.size();
}

bool ReadDecimalWord(std::string_view word, std::uint32_t* value) {
  std::size_t used = 0;
  return ReadInteger(word, 10, value, &used) && used == word.size();
}

bool MatchesWord(std::string_view value, std::string_view word) {
  if (!value.starts_with(word)) return false;
  return value.size() == word.size() ||
         IsWhiteSpace(static_cast<unsigned char>(value[word.size()]));
}

int LookupWord(std::string_view value, std::span<const WordCode> table, int otherwise) {
  for (const WordCode& row : table) {
    if (MatchesWord(value, row.word)) return row.code;
  }
  return otherwise;
}

DecodeResult DecodeHexSubstrings(std::string_view text, DescriptionArena& arena, char** out) {
  // The decoded text is never longer than the written one.
  auto* copy = static_cast<char*>(arena.Allocate(text.size() + 1));
  if (copy == nullptr) return DecodeResult::kNoMemory;
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '<') {
      copy[n++] = text[i++];
      continue;
    }
    ++i;
    for (;;) {
      if (i >= text.size()) return DecodeResult::kSyntaxError;
      if (text[i] == '>') break;
      if (i + 1 >= text.size()) return DecodeResult::kSyntaxError;
      auto hi = static_cast<unsigned char>(text[i]);
      auto lo = static_cast<unsigned char>(text[i + 1]);
      if (!IsHexDigit(hi) || !IsHexDigit(lo)) return DecodeResult::kSyntaxError;
      copy[n++] = static_cast<char>(HexValue(hi) * 16 + HexValue(lo));
      i += 2;
    }
    ++i;  // the ">"
  }
  copy[n] = 0;
  *out = copy;
  return DecodeResult::kOk;
}

}  // namespace settings
