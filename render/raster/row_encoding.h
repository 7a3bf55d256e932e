// The row encoders of RTL raster: the bytes that follow each "ESC*b<length>W".
// They are pure functions over byte spans; each writes at most the area it is
// given and reports the length the whole encoding needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/base/types.h"

namespace render {

// Compression methods, the number before "m" of the raster start.
constexpr int kMethodUncompressed = 0;
constexpr int kMethodRunLength = 2;
constexpr int kMethodDeltaRow = 3;
constexpr int kMethodBlock = 4;

// Bits per pixel of the engine's bitmap formats (1, 4, 8, 16, 24, 32), 0 for any
// other format.
unsigned FormatBits(ULONG format);

// The data bytes of a row of `width` pixels: the fill bytes that pad the
// engine's rows to 4 bytes are never sent. 64-bit, so no width wraps.
constexpr std::uint64_t RowDataBytes(std::uint64_t width, unsigned bits) {
  return (width * bits + 7) / 8;
}

// The largest delta-row encoding of an n-byte row: n + ceil(n / 8). A command
// skipping k >= 1 bytes costs at most what it covers; only a command that skips
// nothing (the first, or one right after 8 replacement bytes) costs one more.
constexpr std::size_t DeltaRowWorstCase(std::size_t n) { return n + (n + 7) / 8; }
// The largest run-length encoding of an n-byte row: n + ceil(n / 3). Runs cost
// at most what they cover; each stretch costs one byte more, and stretches are
// at least a run of two apart (one byte, a pair, one byte, ...) unless a
// stretch of 128 is split.
constexpr std::size_t RunLengthWorstCase(std::size_t n) { return n + (n + 2) / 3; }

// Delta row (method 3) of `row` against `seed` (the row sent before, zeros for
// an image's first row); both hold `row.size()` bytes. Each command byte holds
// (count - 1) << 5 | min(offset, 31), the offset counted from the end of the
// previous command; an offset of 31 or more is followed by (offset - 31) / 255
// bytes of 255 and one byte (offset - 31) % 255; then the `count` (1 to 8)
// replacement bytes. Returns the full encoded length, 0 for a row equal to its
// seed, even when it exceeds `out.size()`: bytes beyond the area are not written.
std::size_t EncodeDeltaRow(std::span<unsigned char> out, std::span<const unsigned char> seed,
                           std::span<const unsigned char> row);

// Run-length (method 2): a run of n = 2..128 equal bytes as the byte 1 - n and
// the repeated byte; a stretch of n = 1..128 bytes without two equal neighbours
// as n - 1 and the bytes. Returns the encoded length, or 0 when it would exceed
// twice the row's length or the area (the caller then writes an empty row).
std::size_t EncodeRunLength(std::span<unsigned char> out, std::span<const unsigned char> row);

}  // namespace render
