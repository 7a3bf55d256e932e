// Delta-row encoding (method 3), the default encoder of every image. Drawing
// rows are mostly unchanged from the row before, so the skip over equal bytes
// passes whole 64-byte blocks with memcmp (the C library compares them with
// vector instructions), then finds the first difference eight bytes at a time
// from the XOR of two words.
#include <bit>
#include <cstring>

#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr std::size_t kMaxReplacement = 8;
constexpr std::size_t kShortOffset = 31;  // offsets below this fit the command byte

std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The position of the first byte from `p` on where `a` and `b` differ, or `n`.
std::size_t SkipEqual(const unsigned char* a, const unsigned char* b, std::size_t p,
                      std::size_t n) {
  while (p + 64 <= n && std::memcmp(a + p, b + p, 64) == 0) p += 64;
  while (p + 8 <= n) {
    std::uint64_t d = Load64(a + p) ^ Load64(b + p);
    if (d != 0) {
      if constexpr (std::endian::native == std::endian::little) {
        return p + static_cast<std::size_t>(std::countr_zero(d)) / 8;
      } else {
        return p + static_cast<std::size_t>(std::countl_zero(d)) / 8;
      }
    }
    p += 8;
  }
  while (p < n && a[p] == b[p]) ++p;
  return p;
}

// Writes bytes into the area as far as it reaches, counting all of them.
struct BoundedWriter {
  std::span<unsigned char> out;
  std::size_t length = 0;
  void Put(unsigned char b) {
    if (length < out.size()) out[length] = b;
    ++length;
  }
  void PutAll(const unsigned char* bytes, std::size_t count) {
    if (length + count <= out.size()) {
      std::memcpy(out.data() + length, bytes, count);
      length += count;
      return;
    }
    for (std::size_t i = 0; i < count; ++i) Put(bytes[i]);
  }
};

void PutCommand(BoundedWriter& w, std::size_t count, std::size_t offset) {
  std::size_t shortOffset = offset < kShortOffset ? offset : kShortOffset;
  w.Put(static_cast<unsigned char>((count - 1) * 32 + shortOffset));
  if (offset < kShortOffset) return;
  std::size_t rest = offset - kShortOffset;
  for (std::size_t i = rest / 255; i > 0; --i) w.Put(255);
  w.Put(static_cast<unsigned char>(rest % 255));
}

}  // namespace

std::size_t EncodeDeltaRow(std::span<unsigned char> out, std::span<const unsigned char> seed,
                           std::span<const unsigned char> row) {
  const std::size_t n = row.size() < seed.size() ? row.size() : seed.size();
  const unsigned char* cur = row.data();
  const unsigned char* old = seed.data();
  BoundedWriter w{out};
  std::size_t p = 0;
  for (;;) {
    std::size_t q = SkipEqual(cur, old, p, n);
    if (q >= n) break;
    std::size_t count = 1;
    while (count < kMaxReplacement && q + count < n && cur[q + count] != old[q + count]) ++count;
    PutCommand(w, count, q - p);
    w.PutAll(cur + q, count);
    p = q + count;
  }
  return w.length;
}

}  // namespace render
