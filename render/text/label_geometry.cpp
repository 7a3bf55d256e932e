// Label geometry: lengths of the transformed em, size units, the vertical-writing
// tables and the direction rules.
#include "render/text/label_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace render {

namespace {

constexpr double kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr double kInt32Min = std::numeric_limits<std::int32_t>::min();

std::int32_t ClampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Truncation toward zero that never converts a value out of range.
std::int64_t TruncateClamped(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int64_t>(std::clamp(v, kInt32Min, kInt32Max));
}

int Sign(std::int32_t v) { return (v > 0) - (v < 0); }

// Codes that lie on their side in vertical text.
struct CodeRange {
  std::uint16_t first;
  std::uint16_t last;
};
// clang-format off
constexpr CodeRange kVerticalRotated[] = {
    {0x8150, 0x8151},
    {0x815B, 0x815D},
    {0x8160, 0x8164},
    {0x8169, 0x817A},
    {0x8181, 0x8181},
    {0x81A8, 0x81AC},
    {0x849F, 0x84BE},
};
// clang-format on

}  // namespace

// x * x + y * y of int32-sized values can exceed 64 bits only above the clamp, so
// the square is taken in double and the root corrected by whole steps.
std::int32_t LabelLength(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return 0;
  double squared = x * x + y * y;
  if (!(squared < kInt32Max * kInt32Max)) return std::numeric_limits<std::int32_t>::max();
  double r = std::ceil(std::sqrt(squared));
  while (r > 0 && (r - 1) * (r - 1) >= squared) r -= 1;
  while (r * r < squared) r += 1;
  return static_cast<std::int32_t>(std::min(r, kInt32Max));
}

std::int32_t PixelsToHundredths(std::int32_t pixels, int dpi) {
  if (dpi <= 0) return 0;
  return ClampToInt32(static_cast<std::int64_t>(pixels) * 254 / dpi);
}

LabelSize MakeLabelSize(double em, double eM11, double eM12, double eM21, double eM22, int dpi) {
  LabelSize size{};
  size.widthPixels = LabelLength(static_cast<double>(TruncateClamped(em * eM11)),
                                 static_cast<double>(TruncateClamped(em * eM12)));
  size.heightPixels = LabelLength(static_cast<double>(TruncateClamped(em * eM21)),
                                  static_cast<double>(TruncateClamped(em * eM22)));
  size.width = PixelsToHundredths(size.widthPixels, dpi);
  size.height = ClampToInt32(static_cast<std::int64_t>(PixelsToHundredths(size.heightPixels, dpi)) *
                             85 / 100);
  return size;
}

LabelSizePair MakeLabelSizePair(const LabelSize& size, int runClass, bool vertical,
                                std::uint16_t firstCode) {
  if (runClass != 1) return {size.width / 2, size.height};
  if (vertical && !IsVerticalRotatedCode(firstCode)) return {size.height, size.width};
  return {size.width, size.height};
}

bool IsVerticalRotatedCode(std::uint16_t code) {
  return std::any_of(std::begin(kVerticalRotated), std::end(kVerticalRotated),
                     [code](const CodeRange& r) { return code >= r.first && code <= r.last; });
}

bool IsVerticalPunctuationCode(std::uint16_t code) { return code >= 0x8141 && code <= 0x8144; }

LabelDirection MakeLabelDirection(const DirectionInputs& in) {
  std::int64_t run = TruncateClamped(in.eM11 * 1000000.0);
  std::int64_t rise =
      in.riseFromM12 ? TruncateClamped(in.eM12 * -1000000.0) : TruncateClamped(in.eM21 * 1000000.0);
  if (in.vertical && in.twoByte) {
    if (IsVerticalPunctuationCode(in.code)) {
      run = -run;
      rise = -rise;
    }
    if (!IsVerticalRotatedCode(in.code)) {
      std::int64_t turned = -rise;
      rise = run;
      run = turned;
    }
  }
  return {ClampToInt32(run), ClampToInt32(rise)};
}

bool SameLabelDirection(LabelDirection now, LabelDirection last) {
  if (now.run == last.run && now.rise == last.rise) return true;
  if (now.run == 0 && last.run == 0 && Sign(now.rise) == Sign(last.rise)) return true;
  return now.rise == 0 && last.rise == 0 && Sign(now.run) == Sign(last.run);
}

}  // namespace render
