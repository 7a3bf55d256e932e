// Strips of large copies, blits and stretches.
#include "render/raster/raster_strips.h"

#include <algorithm>

#include "render/core/device_context.h"
#include "render/raster/image_rows.h"
#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;
constexpr std::uint64_t kFirstBudget = 4;  // megabytes
constexpr std::uint64_t kLastBudget = 10;

std::int64_t Width(const RECTL& r) { return std::int64_t{r.right} - r.left; }
std::int64_t Height(const RECTL& r) { return std::int64_t{r.bottom} - r.top; }
bool FitsLong(std::int64_t v) { return v > 0 && v <= INT32_MAX; }

// A temporary engine bitmap, locked while it lives.
struct TempBitmap {
  HBITMAP handle = nullptr;
  SURFOBJ* surface = nullptr;
  bool Create(LONG width, LONG height, ULONG format) {
    handle = EngCreateBitmap(SIZEL{width, height}, 0, format, BMF_TOPDOWN, nullptr);
    if (handle == nullptr) return false;
    surface = EngLockSurface(reinterpret_cast<HSURF>(handle));
    return surface != nullptr;
  }
  ~TempBitmap() {
    if (surface != nullptr) EngUnlockSurface(surface);
    if (handle != nullptr) EngDeleteSurface(reinterpret_cast<HSURF>(handle));
  }
};

// Rows of the source moved down by `offset`, modulo its height when it has one.
LONG WrappedRow(LONG start, std::int64_t offset, LONG height) {
  std::int64_t row = start + offset;
  if (height > 0) row = ((row % height) + height) % height;
  return static_cast<LONG>(std::clamp<std::int64_t>(row, INT32_MIN, INT32_MAX));
}

// One band of a monochrome stretch: stretched to 24 bits, dithered, sent.
BOOL StretchBand(DeviceContext& dc, RasterState& state, const StretchCall& call, RECTL source,
                 RECTL target, InkPolarity polarity) {
  const LONG w = target.right - target.left;
  const LONG h = target.bottom - target.top;
  TempBitmap colour;
  if (!colour.Create(w, h, BMF_24BPP)) return FALSE;
  RECTL into{0, 0, w, h};
  if (!EngStretchBlt(colour.surface, call.source, nullptr, nullptr, call.xlate, call.adjustment,
                     nullptr, &into, &source, nullptr, HALFTONE)) {
    return FALSE;
  }
  const std::uint64_t rowBytes = RowDataBytes(static_cast<std::uint64_t>(w), 1);
  unsigned char* bits = TakeWorkArea(dc.heap, rowBytes * static_cast<std::uint64_t>(h), false);
  if (bits == nullptr) return FALSE;
  OneBitTarget oneBit{bits, static_cast<LONG>(rowBytes)};
  DitherToOneBit(dc, ImageOf(*colour.surface), oneBit, into, target.left, target.top, polarity);
  OneBitImage image{w, h, target.left, target.top, bits, static_cast<LONG>(rowBytes)};
  BOOL sent = SendOneBitImage(dc, state, image, PieceMethod(dc), OneBitFrame::kMonochrome);
  ReleaseWorkArea(dc.heap, bits);
  return sent;
}

}  // namespace

RECTL OrderedRect(const RECTL& r) {
  return RECTL{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
               std::max(r.top, r.bottom)};
}

bool EmptyRect(const RECTL& r) { return r.left >= r.right || r.top >= r.bottom; }

LONG StripRows(LONG width, std::uint64_t budget) {
  if (width <= 0) return 1;
  std::uint64_t rows = budget / (static_cast<std::uint64_t>(width) * 3);
  return static_cast<LONG>(std::clamp<std::uint64_t>(rows, 1, INT32_MAX));
}

int StretchStripCount(LONG targetWidth, LONG targetHeight, LONG sourceHeight) {
  if (targetWidth <= 0 || targetHeight <= 0 || sourceHeight <= 0) return 0;
  // Up to 3 x (2^31)^2, which fits 64 bits only unsigned.
  const std::uint64_t bytes =
      static_cast<std::uint64_t>(targetWidth) * static_cast<std::uint64_t>(targetHeight) * 3;
  for (std::uint64_t budget = kFirstBudget; budget <= kLastBudget; ++budget) {
    std::uint64_t n = bytes / (budget * kMegabyte) + 1;
    if (static_cast<std::uint64_t>(sourceHeight) / n >= 1) return static_cast<int>(n);
  }
  return 0;
}

LONG TargetBandHeight(LONG sourceBand, LONG targetHeight, LONG sourceHeight) {
  if (sourceHeight <= 0 || sourceBand <= 0 || targetHeight <= 0) return 0;
  std::int64_t hundredths = std::int64_t{targetHeight} * 100 / sourceHeight;
  if ((std::int64_t{targetHeight} * 1000 / sourceHeight) % 10 >= 5) ++hundredths;
  if (hundredths == 0) return 0;
  if (sourceBand > INT64_MAX / hundredths) return INT32_MAX;
  return static_cast<LONG>(std::min<std::int64_t>(sourceBand * hundredths / 100, INT32_MAX));
}

BOOL CopyBitsInStrips(SURFOBJ* source, XLATEOBJ* xlate, const RECTL& targetRect, POINTL sourcePoint,
                      std::uint64_t budget, StripSender send, void* context) {
  const RECTL t = OrderedRect(targetRect);
  if (EmptyRect(t)) return TRUE;
  if (source == nullptr || !FitsLong(Width(t)) || !FitsLong(Height(t))) return FALSE;
  const LONG w = static_cast<LONG>(Width(t));
  const LONG h = static_cast<LONG>(Height(t));
  const LONG rows = StripRows(w, budget);
  for (LONG top = 0; top < h; top += std::min(rows, h - top)) {
    const LONG n = std::min(rows, h - top);
    TempBitmap strip;
    if (!strip.Create(w, n, source->iBitmapFormat)) return FALSE;
    RECTL into{0, 0, w, n};
    POINTL from{sourcePoint.x, static_cast<LONG>(std::int64_t{sourcePoint.y} + top)};
    if (!EngCopyBits(strip.surface, source, nullptr, xlate, &into, &from)) return FALSE;
    if (!send(context, *strip.surface, RECTL{t.left, t.top + top, t.right, t.top + top + n})) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL BitBltInStrips(const BlitCall& call, void (*beforeStrip)(void*), void* context) {
  const RECTL t = OrderedRect(call.rect);
  if (EmptyRect(t)) return TRUE;
  if (!FitsLong(Width(t)) || !FitsLong(Height(t))) return FALSE;
  const LONG h = static_cast<LONG>(Height(t));
  const LONG rows = StripRows(static_cast<LONG>(Width(t)), kStripBytes);
  const LONG sourceHeight = call.source ? call.source->sizlBitmap.cy : 0;
  const LONG maskHeight = call.mask ? call.mask->sizlBitmap.cy : 0;
  for (LONG top = 0; top < h; top += std::min(rows, h - top)) {
    const LONG n = std::min(rows, h - top);
    if (beforeStrip != nullptr) beforeStrip(context);
    RECTL part{t.left, t.top + top, t.right, t.top + top + n};
    POINTL from{call.sourcePoint.x, WrappedRow(call.sourcePoint.y, top, sourceHeight)};
    POINTL maskFrom{call.maskPoint.x, WrappedRow(call.maskPoint.y, top, maskHeight)};
    if (!EngBitBlt(call.target, call.source, call.mask, call.clip, call.xlate, &part, &from,
                   &maskFrom, call.brush, call.brushOrigin, call.rop4)) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL StretchInStrips(DeviceContext& dc, RasterState& state, const StretchCall& call, int count,
                     InkPolarity polarity) {
  const RECTL t = OrderedRect(call.target);
  const RECTL s = OrderedRect(call.sourceRect);
  if (EmptyRect(t) || EmptyRect(s)) return TRUE;
  if (call.source == nullptr || !FitsLong(Width(t)) || !FitsLong(Height(t)) ||
      !FitsLong(Height(s))) {
    return FALSE;
  }
  const LONG sourceHeight = static_cast<LONG>(Height(s));
  const LONG targetHeight = static_cast<LONG>(Height(t));
  const LONG n = std::clamp<LONG>(count, 1, sourceHeight);
  const LONG sourceBand = sourceHeight / n;
  const LONG targetBand = TargetBandHeight(sourceBand, targetHeight, sourceHeight);
  LONG sourceTop = s.top;
  LONG targetTop = t.top;
  for (LONG band = 0; band < n && targetTop < t.bottom; ++band) {
    const bool last = band == n - 1;
    const LONG sourceBottom = last ? s.bottom : sourceTop + sourceBand;
    const LONG targetBottom = last ? t.bottom : std::min(t.bottom, targetTop + targetBand);
    if (targetBottom > targetTop) {
      RECTL from{s.left, sourceTop, s.right, sourceBottom};
      RECTL to{t.left, targetTop, t.right, targetBottom};
      if (!StretchBand(dc, state, call, from, to, polarity)) return FALSE;
    }
    sourceTop = sourceBottom;
    targetTop = targetBottom;
  }
  return TRUE;
}

BOOL DitherCopyToOneBit(DeviceContext& dc, SURFOBJ* source, XLATEOBJ* xlate, POINTL sourcePoint,
                        LONG width, LONG height, OneBitTarget target, LONG xOrigin, LONG yOrigin,
                        InkPolarity polarity) {
  if (width <= 0 || height <= 0) return TRUE;
  if (source == nullptr || target.bits == nullptr) return FALSE;
  const std::uint64_t whole =
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3;
  const LONG rows = whole < kStripBytes ? height : StripRows(width, kStripBytes);
  for (LONG top = 0; top < height; top += std::min(rows, height - top)) {
    const LONG n = std::min(rows, height - top);
    TempBitmap strip;
    if (!strip.Create(width, n, BMF_24BPP)) return FALSE;
    RECTL into{0, 0, width, n};
    POINTL from{sourcePoint.x, static_cast<LONG>(std::int64_t{sourcePoint.y} + top)};
    if (!EngCopyBits(strip.surface, source, nullptr, xlate, &into, &from)) return FALSE;
    OneBitTarget part{target.bits + static_cast<std::ptrdiff_t>(top) * target.rowStep,
                      target.rowStep};
    DitherToOneBit(dc, ImageOf(*strip.surface), part, into, xOrigin, yOrigin + top, polarity);
  }
  return TRUE;
}

}  // namespace render
