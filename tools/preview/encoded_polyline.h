// Decoder of the encoded polyline ("PE"): flags and base-64 (or, after the
// "7" flag, base-32) numbers, least significant digit first, the sign folded
// into bit 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace preview {

struct EncodedPoint {
  double x = 0;
  double y = 0;
  bool penUp = false;     // "<": move there without drawing
  bool absolute = false;  // "=": the pair is absolute, not relative to the pen
};

// One step of a polyline: a point, or a pen selected with ":".
struct EncodedStep {
  bool selectsPen = false;
  int pen = 0;
  EncodedPoint point;
};

struct EncodedPolyline {
  std::vector<EncodedStep> steps;
  // The first byte that could not be read, relative to the data, with what
  // was wrong; steps before it are kept.
  std::optional<size_t> problemAt;
  std::string problem;
};

// Reads one encoded number at `pos` (advanced past it); nothing when the data
// ends before the terminating digit or the number is too long to be a
// coordinate.
std::optional<int64_t> ReadEncodedNumber(std::span<const uint8_t> data, size_t& pos, bool sevenBit);

// Decodes the data between "PE" and its ";".
EncodedPolyline DecodeEncodedPolyline(std::span<const uint8_t> data);

}  // namespace preview
