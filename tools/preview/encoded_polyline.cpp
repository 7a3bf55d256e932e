// Decoder of the encoded polyline: flags and self-terminating numbers.
#include "tools/preview/encoded_polyline.h"

#include <cmath>

namespace preview {

namespace {

// A coordinate never needs more digits: 64^7 is 2^42.
constexpr int kMaxDigits = 7;

enum class ByteClass { kIgnored, kFlag, kDigit, kTerminator, kInvalid };

// The flag characters; the printer disregards their eighth bit.
bool IsFlag(int c) { return c == ':' || c == '<' || c == '=' || c == '>' || c == '7'; }

ByteClass Classify(int b, bool sevenBit) {
  if (sevenBit) b &= 0x7F;
  if (b < 32 || b == 32 || b == 127 || (b >= 128 && b <= 160) || b == 255) {
    return ByteClass::kIgnored;
  }
  if (IsFlag(b & 0x7F) && (b < 63 || (b >= 128 && b < 191))) return ByteClass::kFlag;
  if (sevenBit) {
    if (b >= 63 && b <= 94) return ByteClass::kDigit;
    if (b >= 95 && b <= 126) return ByteClass::kTerminator;
    return ByteClass::kInvalid;
  }
  if (b >= 63 && b <= 126) return ByteClass::kDigit;
  if (b >= 191 && b <= 254) return ByteClass::kTerminator;
  return ByteClass::kInvalid;
}

int64_t Unfold(int64_t z) { return (z & 1) ? -((z - 1) / 2) : z / 2; }

struct Decoder {
  std::span<const uint8_t> data;
  EncodedPolyline out;
  bool sevenBit = false;
  int fraction = 0;
  char pendingValueFlag = 0;  // ':' or '>' waiting for its value
  bool penUp = false;
  bool absolute = false;
  bool haveX = false;
  double x = 0;

  void Fail(size_t at, const char* what) {
    if (!out.problemAt) {
      out.problemAt = at;
      out.problem = what;
    }
  }

  void TakeFlag(int flag) {
    switch (flag) {
      case '7':
        sevenBit = true;
        break;
      case '<':
        penUp = true;
        break;
      case '=':
        absolute = true;
        break;
      default:
        pendingValueFlag = static_cast<char>(flag);
        break;
    }
  }

  void TakeValue(int64_t value) {
    if (pendingValueFlag == ':') {
      EncodedStep step;
      step.selectsPen = true;
      step.pen = static_cast<int>(value < 0 ? -1 : (value > 255 ? 255 : value));
      out.steps.push_back(step);
      pendingValueFlag = 0;
      return;
    }
    if (pendingValueFlag == '>') {
      fraction = static_cast<int>(value < -26 ? -26 : (value > 26 ? 26 : value));
      pendingValueFlag = 0;
      return;
    }
    double scaled = std::ldexp(static_cast<double>(value), -fraction);
    if (!haveX) {
      x = scaled;
      haveX = true;
      return;
    }
    EncodedStep step;
    step.point = {x, scaled, penUp, absolute};
    out.steps.push_back(step);
    haveX = false;
    penUp = false;
    absolute = false;
  }

  void Run() {
    size_t pos = 0;
    while (pos < data.size()) {
      size_t at = pos;
      int b = data[pos];
      switch (Classify(b, sevenBit)) {
        case ByteClass::kIgnored:
          ++pos;
          break;
        case ByteClass::kFlag:
          if (haveX) Fail(at, "a flag between the two numbers of a pair");
          TakeFlag(b & 0x7F);
          ++pos;
          break;
        case ByteClass::kInvalid:
          Fail(at, "a byte that is neither a flag nor a digit");
          ++pos;
          break;
        case ByteClass::kDigit:
        case ByteClass::kTerminator: {
          std::optional<int64_t> z = ReadEncodedNumber(data, pos, sevenBit);
          if (!z) {
            Fail(at, pos >= data.size() ? "the data ends inside a number"
                                        : "a number too long for a coordinate");
            break;
          }
          TakeValue(Unfold(*z));
          break;
        }
      }
    }
    if (haveX) Fail(data.size(), "a coordinate pair without its second number");
  }
};

}  // namespace

std::optional<int64_t> ReadEncodedNumber(std::span<const uint8_t> data, size_t& pos,
                                         bool sevenBit) {
  int64_t value = 0;
  int64_t weight = 1;
  const int64_t base = sevenBit ? 32 : 64;
  int digits = 0;
  while (pos < data.size()) {
    int b = data[pos];
    ByteClass kind = Classify(b, sevenBit);
    if (kind == ByteClass::kIgnored) {
      ++pos;
      continue;
    }
    if (sevenBit) b &= 0x7F;
    if (kind == ByteClass::kTerminator) {
      ++pos;
      value += (b - (sevenBit ? 95 : 191)) * weight;
      return value;
    }
    if (kind != ByteClass::kDigit || ++digits > kMaxDigits) {
      // Skip the rest of the overlong number so that reading goes on after it.
      while (pos < data.size() && Classify(data[pos], sevenBit) == ByteClass::kDigit) ++pos;
      if (pos < data.size() && Classify(data[pos], sevenBit) == ByteClass::kTerminator) ++pos;
      return std::nullopt;
    }
    value += (b - 63) * weight;
    weight *= base;
    ++pos;
  }
  return std::nullopt;
}

EncodedPolyline DecodeEncodedPolyline(std::span<const uint8_t> data) {
  Decoder decoder{data, {}};
  decoder.Run();
  return std::move(decoder.out);
}

}  // namespace preview
