// The two-colour and the dithered monochrome raster fill patterns. The printer
// takes one 8 x 8 pattern of pen numbers ("RF1,8,8"); fill type 11 then tiles
// it. Pen 25 is the pattern's background and pen 26 its foreground.
#include "render/vector/fill_patterns.h"

#include <cstring>

#include "platform/engine/callbacks.h"
#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/dither.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

constexpr LONG kCell = 8;
constexpr int kBackgroundPen = 25;
constexpr int kForegroundPen = 26;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// An engine bitmap of 24 bits per pixel, top row first, white.
class DrawnPattern {
 public:
  DrawnPattern(LONG width, LONG height) {
    HBITMAP hbm = EngCreateBitmap({width, height}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
    if (hbm == nullptr) return;
    hsurf_ = reinterpret_cast<HSURF>(hbm);
    so_ = EngLockSurface(hsurf_);
    RECTL all{0, 0, width, height};
    if (so_ != nullptr && !EngEraseSurface(so_, &all, kWhite)) so_ = Release();
  }
  ~DrawnPattern() { Release(); }
  DrawnPattern(const DrawnPattern&) = delete;
  DrawnPattern& operator=(const DrawnPattern&) = delete;

  // The brush drawn over the whole bitmap with its origin and operation.
  [[nodiscard]] bool Draw(BRUSHOBJ* brush, const POINTL* origin, DWORD rop) {
    if (so_ == nullptr) return false;
    RECTL all{0, 0, so_->sizlBitmap.cx, so_->sizlBitmap.cy};
    POINTL at = origin ? *origin : POINTL{0, 0};
    return EngBitBlt(so_, nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr, brush, &at,
                     rop) != FALSE;
  }
  std::uint32_t At(LONG x, LONG y) const {
    const unsigned char* p = Row(y) + 3 * static_cast<std::size_t>(x);
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
  }
  ImageView View() const {
    ImageView v;
    v.format = BMF_24BPP;
    v.width = so_->sizlBitmap.cx;
    v.height = so_->sizlBitmap.cy;
    v.rowStep = so_->lDelta;
    v.top = static_cast<const unsigned char*>(so_->pvScan0);
    return v;
  }

 private:
  const unsigned char* Row(LONG y) const {
    return static_cast<const unsigned char*>(so_->pvScan0) +
           static_cast<std::ptrdiff_t>(y) * so_->lDelta;
  }
  SURFOBJ* Release() {
    if (so_ != nullptr) EngUnlockSurface(so_);
    if (hsurf_ != nullptr) EngDeleteSurface(hsurf_);
    so_ = nullptr;
    hsurf_ = nullptr;
    return nullptr;
  }
  HSURF hsurf_ = nullptr;
  SURFOBJ* so_ = nullptr;
};

// "RF1,8,8" and the 64 pen numbers, row by row from the top; `foreground(x, y)`
// says whether a pixel takes pen 26.
template <typename Foreground>
void WritePatternPens(DeviceContext& dc, Foreground foreground) {
  constexpr char kHead[] = "RF1,8,8";
  char text[sizeof kHead + 3 * kCell * kCell];
  std::memcpy(text, kHead, sizeof kHead - 1);
  char* at = text + sizeof kHead - 1;
  for (LONG y = 0; y < kCell; ++y) {
    for (LONG x = 0; x < kCell; ++x) {
      std::memcpy(at, foreground(x, y) ? ",26" : ",25", 3);
      at += 3;
    }
  }
  *at = '\0';
  ClosePolyline(dc.output, dc.vector);
  WriteText(dc.output, text);
}

void WritePatternPen(DeviceContext& dc, int pen, std::uint32_t colour) {
  std::uint32_t c = ConvertColor(dc, colour);
  WriteFormatted(dc.output, "PC%d,%d,%d,%d",
                 {pen, static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF)});
}

// Pen 25 becomes current; the drawing colour kept for the pens no longer
// describes it.
void SelectPatternPen(DeviceContext& dc) {
  WriteText(dc.output, "SP25;");
  dc.pens.currentPen = kBackgroundPen;
  dc.pens.cachedColour = kNoColour;
}

std::size_t StoredRowBytes1(LONG width) { return (static_cast<std::size_t>(width) + 31) / 32 * 4; }

// A one-bit pattern's own bits: 8 scan lines, from the first downwards when the
// pattern is top-down, otherwise from scan line (height class - 1) upwards; the
// 8 pixels of each line's first byte.
void WriteOneBitPattern(DeviceContext& dc, const RealizedBrush& realized) {
  const unsigned char* bits = RealizedBits(realized);
  const std::size_t rowBytes = StoredRowBytes1(realized.width);
  const bool topDown = realized.flags == static_cast<std::int32_t>(BMF_TOPDOWN);
  const LONG last = PatternClass(realized.height) - 1;
  WritePatternPens(dc, [&](LONG x, LONG y) {
    LONG line = topDown ? y : last - y;
    unsigned char byte = bits[static_cast<std::size_t>(line) * rowBytes];
    return (byte & (0x80u >> x)) != 0;
  });
  WritePatternPen(dc, kBackgroundPen, RealizedColourEntry(realized, 0));
  WritePatternPen(dc, kForegroundPen, RealizedColourEntry(realized, 1));
}

// A drawn pattern's two colours: the first pixel's and the first that differs
// from it (white when none does). False at a third colour.
bool FindTwoColours(const DrawnPattern& drawn, LONG width, LONG height, std::uint32_t& first,
                    std::uint32_t& second) {
  first = drawn.At(0, 0);
  bool haveSecond = false;
  second = kWhite;
  for (LONG y = 0; y < height; ++y) {
    for (LONG x = 0; x < width; ++x) {
      std::uint32_t c = drawn.At(x, y);
      if (c == first || (haveSecond && c == second)) continue;
      if (haveSecond) return false;
      second = c;
      haveSecond = true;
    }
  }
  return true;
}

}  // namespace

LONG PatternClass(LONG pixels) {
  if (pixels < 16) return 8;
  if (pixels < 32) return 16;
  if (pixels < 64) return 32;
  return 64;
}

bool WriteTwoColourPattern(DeviceContext& dc, BRUSHOBJ* brush, const RealizedBrush& realized,
                           const POINTL* origin, DWORD rop) {
  if (realized.format == static_cast<std::int32_t>(BMF_1BPP)) {
    WriteOneBitPattern(dc, realized);
  } else {
    const LONG width = PatternClass(realized.width);
    const LONG height = PatternClass(realized.height);
    DrawnPattern drawn(width, height);
    if (!drawn.Draw(brush, origin, rop)) return false;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (!FindTwoColours(drawn, width, height, first, second)) return false;
    WritePatternPens(dc, [&](LONG x, LONG y) { return drawn.At(x, y) != first; });
    WritePatternPen(dc, kBackgroundPen, first);
    WritePatternPen(dc, kForegroundPen, second);
  }
  SelectPatternPen(dc);
  return true;
}

bool WriteMonoPattern(DeviceContext& dc, BRUSHOBJ* brush, const RealizedBrush& realized,
                      const POINTL* origin, DWORD rop) {
  const LONG w = realized.width;
  const LONG h = realized.height;
  if (w <= 0 || h <= 0) return false;
  POINTL at = origin ? *origin : POINTL{0, 0};
  const LONG phaseX = (at.x % w + w) % w;
  const LONG phaseY = (at.y % h + h) % h;
  // Only the top-left 8 x 8 pixels are sent, and each pixel of the drawing and
  // of the dither depends on its own position alone: drawing that corner is
  // drawing the whole pattern's corner.
  DrawnPattern drawn(kCell, kCell);
  if (!drawn.Draw(brush, origin, rop)) return false;
  unsigned char ink[kCell] = {};
  RECTL cell{0, 0, kCell, kCell};
  DitherToOneBit(dc, drawn.View(), OneBitTarget{ink, 1}, cell, phaseX, phaseY,
                 InkPolarity::kOneIsInk);
  ClosePolyline(dc.output, dc.vector);
  if (!dc.pens.patternPens) {
    WriteText(dc.output, "PC25,255,255,255PC26,0,0,0");
    dc.pens.patternPens = true;
  }
  WritePatternPens(
      dc, [&](LONG x, LONG y) { return (ink[static_cast<std::size_t>(y)] & (0x80u >> x)) != 0; });
  SelectPatternPen(dc);
  return true;
}

}  // namespace render
