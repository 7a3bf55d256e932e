// The entry reader of the description parser.
#include "settings/description_entry.h"

#include <cstring>

#include "platform/base/memory.h"

namespace settings {

namespace {
constexpr std::size_t kValueGrowth = 1024;
}  // namespace

DescriptionEntry::~DescriptionEntry() {
  if (value_ != nullptr) HeapFree(GetProcessHeap(), 0, value_);
}

void DescriptionEntry::Clear() {
  keywordLength_ = optionLength_ = translationLength_ = valueLength_ = 0;
  kind_ = ValueKind::kPlain;
}

bool DescriptionEntry::SetValue(const unsigned char* data, std::size_t length) {
  if (length + 1 > valueCapacity_) {
    std::size_t capacity = valueCapacity_ == 0 ? kValueGrowth : valueCapacity_;
    while (capacity < length + 1) capacity += kValueGrowth;
    void* grown = value_ == nullptr ? HeapAlloc(GetProcessHeap(), 0, capacity)
                                    : HeapReAlloc(GetProcessHeap(), 0, value_, capacity);
    if (grown == nullptr) return false;
    value_ = static_cast<char*>(grown);
    valueCapacity_ = capacity;
  }
  if (length > 0) std::memcpy(value_, data, length);
  value_[length] = 0;
  valueLength_ = length;
  return true;
}

EntryResult EntryReader::Next(DescriptionEntry& entry) {
  entry.Clear();
  if (!FindEntryStart()) return EntryResult::kEnd;
  EntryResult result = ReadEntry(entry);
  if (result == EntryResult::kSyntaxError || result == EntryResult::kEntry) SkipLine();
  return result;
}

// Leaves the reader just after the "*" of the next entry line; false at the end.
bool EntryReader::FindEntryStart() {
  while (!AtEnd()) {
    if (Peek() == '*' && (pos_ + 1 >= size_ || data_[pos_ + 1] != '%')) {
      ++pos_;
      return true;
    }
    SkipLine();
  }
  return false;
}

// Skips to the end of the current line and past its line-end bytes.
void EntryReader::SkipLine() {
  while (!AtEnd() && !IsLineEnd(Peek())) ++pos_;
  while (!AtEnd() && IsLineEnd(Peek())) ++pos_;
}

void EntryReader::SkipWhiteSpace() {
  while (!AtEnd() && IsWhiteSpace(Peek())) ++pos_;
}

// Reads a run of at most 40 characters of one class.
EntryResult EntryReader::ReadWord(bool (*isChar)(unsigned char), char* out, std::size_t* length) {
  std::size_t n = 0;
  while (!AtEnd() && isChar(Peek())) {
    if (n == kMaxKeywordLength) return EntryResult::kSizeError;
    out[n++] = static_cast<char>(Peek());
    ++pos_;
  }
  *length = n;
  if (n == 0) return AtEnd() ? EntryResult::kEnd : EntryResult::kSyntaxError;
  return EntryResult::kEntry;
}

EntryResult EntryReader::ReadTranslation(DescriptionEntry& entry) {
  ++pos_;  // the "/"
  return ReadWord(IsTranslationChar, entry.translation_, &entry.translationLength_);
}

EntryResult EntryReader::ReadEntry(DescriptionEntry& entry) {
  EntryResult r = ReadWord(IsKeywordChar, entry.keyword_, &entry.keywordLength_);
  if (r != EntryResult::kEntry) return r;
  SkipWhiteSpace();
  if (AtEnd() || IsLineEnd(Peek())) return EntryResult::kEntry;  // a keyword alone
  if (Peek() != ':') {
    r = ReadWord(IsOptionKeywordChar, entry.option_, &entry.optionLength_);
    if (r != EntryResult::kEntry) return r;
    SkipWhiteSpace();
    if (!AtEnd() && Peek() == '/') {
      r = ReadTranslation(entry);
      if (r != EntryResult::kEntry) return r;
    }
    if (AtEnd()) return EntryResult::kEnd;
    if (Peek() != ':') return EntryResult::kSyntaxError;
  }
  ++pos_;  // the ":"
  return ReadValue(entry);
}

EntryResult EntryReader::ReadValue(DescriptionEntry& entry) {
  SkipWhiteSpace();
  if (!AtEnd() && Peek() == '"') {
    const void* close = std::memchr(data_ + pos_ + 1, '"', size_ - pos_ - 1);
    if (close == nullptr) return EntryResult::kEnd;  // the file ends inside the value
    std::size_t start = pos_ + 1;
    std::size_t end = static_cast<std::size_t>(static_cast<const unsigned char*>(close) - data_);
    if (!entry.SetValue(data_ + start, end - start)) return EntryResult::kSizeError;
    entry.kind_ = ValueKind::kQuoted;
    pos_ = end + 1;
    return EntryResult::kEntry;
  }
  std::size_t start = pos_;
  while (!AtEnd() && !IsLineEnd(Peek()) && Peek() != '/') ++pos_;
  if (!entry.SetValue(data_ + start, pos_ - start)) return EntryResult::kSizeError;
  bool symbol = pos_ > start && data_[start] == '^';
  entry.kind_ = symbol ? ValueKind::kSymbol : ValueKind::kPlain;
  return EntryResult::kEntry;
}

}  // namespace settings
