// Packing of information records into a caller's buffer: the fixed records first,
// then the texts and settings records they point to. The same fill function runs
// twice, once to measure and once to write, so both calls of the size protocol
// agree on the size.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/types.h"

namespace platform::spool {

class Packer {
 public:
  Packer(BYTE* base, std::size_t fixedSize) : base_(base), cursor_(fixedSize) {}

  // A terminated copy of `text`; null while measuring.
  LPWSTR String(std::u16string_view text) {
    cursor_ = Align(cursor_, alignof(WCHAR));
    std::size_t at = cursor_;
    cursor_ += (text.size() + 1) * sizeof(WCHAR);
    if (base_ == nullptr) return nullptr;
    auto* out = reinterpret_cast<WCHAR*>(base_ + at);
    if (!text.empty()) std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
    out[text.size()] = 0;
    return out;
  }

  // A copy of `bytes` aligned for the record it holds; null while measuring or
  // when there are no bytes.
  void* Bytes(const std::vector<unsigned char>& bytes) {
    if (bytes.empty()) return nullptr;
    cursor_ = Align(cursor_, alignof(std::max_align_t));
    std::size_t at = cursor_;
    cursor_ += bytes.size();
    if (base_ == nullptr) return nullptr;
    std::memcpy(base_ + at, bytes.data(), bytes.size());
    return base_ + at;
  }

  // Stores the `index`-th fixed record.
  template <typename T>
  void Put(std::size_t index, const T& record) {
    if (base_ != nullptr) std::memcpy(base_ + index * sizeof(T), &record, sizeof(T));
  }

  std::size_t Used() const { return cursor_; }

 private:
  static std::size_t Align(std::size_t at, std::size_t to) { return (at + to - 1) / to * to; }

  BYTE* base_;
  std::size_t cursor_;
};

// Runs `fill(Packer&)` for `count` records of type T: measures, reports the size
// in *needed, and fills `buffer` when it holds cbBuf >= needed bytes. A null
// `needed` gives ERROR_INVALID_PARAMETER; a null or small buffer gives
// ERROR_INSUFFICIENT_BUFFER (unless nothing is needed: an empty list). The result is the call's
// BOOL.
template <typename T, typename Fill>
BOOL PackRecords(std::size_t count, BYTE* buffer, DWORD cbBuf, DWORD* needed, Fill fill) {
  if (needed == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Packer measure(nullptr, count * sizeof(T));
  fill(measure);
  if (measure.Used() > 0xFFFFFFFFu) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  *needed = static_cast<DWORD>(measure.Used());
  if (cbBuf < *needed || (buffer == nullptr && *needed > 0)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  Packer write(buffer, count * sizeof(T));
  fill(write);
  return TRUE;
}

}  // namespace platform::spool
