// Reading a printer description one entry at a time. An entry is a line that
// starts with "*" (not "*%"): a keyword, an optional option keyword with an
// optional translation after "/", then ":" and a value. A quoted value runs to the
// next double quote across line ends; a plain value runs to the line end or to a
// "/" (a translation after it is dropped). Everything else is skipped: comments,
// blank lines and text between entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace settings {

// Character classes of the description's 8-bit text.
constexpr bool IsWhiteSpace(unsigned char c) { return c == ' ' || c == '\t'; }
constexpr bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }
constexpr bool IsKeywordChar(unsigned char c) { return c >= 0x21 && c <= 0x7E && c != ':'; }
constexpr bool IsOptionKeywordChar(unsigned char c) { return IsKeywordChar(c) && c != '/'; }
constexpr bool IsTranslationChar(unsigned char c) {
  return IsKeywordChar(c) || IsWhiteSpace(c) || c >= 0x7F;
}
constexpr bool IsDecimalDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsHexDigit(unsigned char c) {
  return IsDecimalDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// What reading one entry gives. The numbers are the parser's result codes.
enum class EntryResult : std::uint8_t {
  kEntry = 0,        // an entry was read
  kEnd = 1,          // the end of the file
  kSyntaxError = 3,  // this entry is malformed; reading goes on with the next line
  kSizeError = 4,    // over-long keyword, option keyword or translation, or no memory
};

enum class ValueKind : std::uint8_t { kQuoted = 2, kSymbol = 3, kPlain = 4 };

inline constexpr std::size_t kMaxKeywordLength = 40;

// The entry being read, reused for every entry of a parse. The value buffer
// starts with room for 1,024 bytes and grows by 1,024 as values need it.
class DescriptionEntry {
 public:
  DescriptionEntry() = default;
  ~DescriptionEntry();
  DescriptionEntry(const DescriptionEntry&) = delete;
  DescriptionEntry& operator=(const DescriptionEntry&) = delete;

  std::string_view Keyword() const { return {keyword_, keywordLength_}; }
  bool HasOption() const { return optionLength_ > 0; }
  std::string_view Option() const { return {option_, optionLength_}; }
  bool HasTranslation() const { return translationLength_ > 0; }
  std::string_view Translation() const { return {translation_, translationLength_}; }
  std::string_view Value() const { return {value_, valueLength_}; }
  ValueKind Kind() const { return kind_; }

 private:
  friend class EntryReader;
  void Clear();
  [[nodiscard]] bool SetValue(const unsigned char* data, std::size_t length);

  char keyword_[kMaxKeywordLength];
  std::size_t keywordLength_ = 0;
  char option_[kMaxKeywordLength];
  std::size_t optionLength_ = 0;
  char translation_[kMaxKeywordLength];
  std::size_t translationLength_ = 0;
  char* value_ = nullptr;
  std::size_t valueLength_ = 0;
  std::size_t valueCapacity_ = 0;
  ValueKind kind_ = ValueKind::kPlain;
};

class EntryReader {
 public:
  // Reads from `size` bytes at `data`, which outlive the reader.
  EntryReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  // Reads the next entry into `entry`. After a syntax error the rest of the line
  // has been skipped; after a size error the parse is over.
  EntryResult Next(DescriptionEntry& entry);

 private:
  bool AtEnd() const { return pos_ >= size_; }
  unsigned char Peek() const { return data_[pos_]; }
  bool FindEntryStart();
  void SkipLine();
  void SkipWhiteSpace();
  EntryResult ReadEntry(DescriptionEntry& entry);
  EntryResult ReadWord(bool (*isChar)(unsigned char), char* out, std::size_t* length);
  EntryResult ReadTranslation(DescriptionEntry& entry);
  EntryResult ReadValue(DescriptionEntry& entry);

  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace settings
