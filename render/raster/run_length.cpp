// Run-length encoding (method 2), used for the one-bit images of monochrome
// copies with an input window; and the bits-per-pixel table of the formats.
#include <cstring>

#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr std::size_t kMaxPiece = 128;

// The length of the run of equal bytes at `p`, at most 128.
std::size_t RunAt(const unsigned char* row, std::size_t p, std::size_t n) {
  std::size_t end = p + 1;
  while (end < n && end - p < kMaxPiece && row[end] == row[p]) ++end;
  return end - p;
}

// The length of the stretch at `p` that ends before two equal neighbours, at
// most 128.
std::size_t StretchAt(const unsigned char* row, std::size_t p, std::size_t n) {
  std::size_t end = p;
  while (end < n && end - p < kMaxPiece && !(end + 1 < n && row[end] == row[end + 1])) ++end;
  return end - p;
}

}  // namespace

unsigned FormatBits(ULONG format) {
  // Engine format numbers 1 to 6; 0 marks a format without plain pixels.
  constexpr unsigned kBits[] = {0, 1, 4, 8, 16, 24, 32};
  return format < sizeof kBits / sizeof kBits[0] ? kBits[format] : 0;
}

std::size_t EncodeRunLength(std::span<unsigned char> out, std::span<const unsigned char> row) {
  const std::size_t n = row.size();
  const std::size_t limit = out.size() < 2 * n ? out.size() : 2 * n;
  std::size_t length = 0;
  std::size_t p = 0;
  while (p < n) {
    std::size_t run = RunAt(row.data(), p, n);
    if (run >= 2) {
      if (length + 2 > limit) return 0;
      out[length++] = static_cast<unsigned char>(1 - static_cast<int>(run));
      out[length++] = row[p];
      p += run;
      continue;
    }
    std::size_t stretch = StretchAt(row.data(), p, n);
    if (length + 1 + stretch > limit) return 0;
    out[length++] = static_cast<unsigned char>(stretch - 1);
    std::memcpy(out.data() + length, row.data() + p, stretch);
    length += stretch;
    p += stretch;
  }
  return length;
}

}  // namespace render
