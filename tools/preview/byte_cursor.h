// A read position in the stream bytes. Every read is bounded by the bytes
// that are there: past the end, Peek gives -1 and Take gives nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace preview {

struct ByteCursor {
  std::span<const uint8_t> bytes;
  size_t pos = 0;

  bool AtEnd() const { return pos >= bytes.size(); }
  size_t Left() const { return AtEnd() ? 0 : bytes.size() - pos; }
  int Peek(size_t ahead = 0) const { return ahead < Left() ? bytes[pos + ahead] : -1; }
  int Next() { return AtEnd() ? -1 : bytes[pos++]; }
  void Skip(size_t n) { pos += n < Left() ? n : Left(); }
  std::span<const uint8_t> Take(size_t n) {
    size_t count = n < Left() ? n : Left();
    std::span<const uint8_t> taken = bytes.subspan(pos, count);
    pos += count;
    return taken;
  }
  bool StartsWith(std::string_view text) const {
    if (Left() < text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
      if (bytes[pos + i] != static_cast<uint8_t>(text[i])) return false;
    }
    return true;
  }
};

constexpr uint8_t kEsc = 0x1B;

inline bool IsLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace preview
