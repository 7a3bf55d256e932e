// The engine's bit-block transfers into bitmaps: four-operand raster operations
// with pattern, source and mask, copies, stretching (nearest pixel, or an 8 x 8
// ordered dither onto 1-bit targets in HALFTONE mode) and erasing.
#include <cstring>

#include "platform/base/error.h"
#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {
namespace {

RECTL Bounds(const SURFOBJ* so) { return {0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}; }

bool SameBits(const SURFOBJ* a, const SURFOBJ* b) {
  return a != nullptr && b != nullptr && a->pvBits == b->pvBits;
}

struct BlitJob {
  SURFOBJ* target;
  SURFOBJ* source;
  SURFOBJ* mask;
  XLATEOBJ* xlate;
  RECTL rect;       // the ordered target rectangle
  POINTL sourceAt;  // source point of the rectangle's top left
  POINTL maskAt;
  BYTE fore;
  BYTE back;
  bool useMask;
  bool needSource;
  bool needPattern;
};

// A plain copy between bitmaps of one byte-aligned format: rows are moved as bytes.
bool CanCopyRows(const BlitJob& job) {
  int bits = BitsPerPixel(job.target->iBitmapFormat);
  return job.fore == 0xCC && !job.useMask && job.source != nullptr &&
         job.source->iBitmapFormat == job.target->iBitmapFormat && bits >= 8 &&
         (job.xlate == nullptr || (job.xlate->flXlate & XO_TRIVIAL));
}

void CopyRows(const BlitJob& job, const RECTL& r) {
  std::size_t bytes = static_cast<std::size_t>(BitsPerPixel(job.target->iBitmapFormat) / 8);
  LONG sx = job.sourceAt.x + (r.left - job.rect.left);
  LONG sy0 = job.sourceAt.y + (r.top - job.rect.top);
  std::size_t width = bytes * static_cast<std::size_t>(r.right - r.left);
  bool upward = SameBits(job.source, job.target) && sy0 < r.top;
  for (LONG i = 0; i < r.bottom - r.top; ++i) {
    LONG row = upward ? r.bottom - r.top - 1 - i : i;
    std::memmove(ScanLine(job.target, r.top + row) + bytes * static_cast<std::size_t>(r.left),
                 ScanLine(job.source, sy0 + row) + bytes * static_cast<std::size_t>(sx), width);
  }
}

void BlitRect(const BlitJob& job, const RECTL& r, const PatternSource& brush) {
  ULONG mask = FormatMask(job.target->iBitmapFormat);
  LONG width = r.right - r.left;
  std::vector<ULONG> sourceRow(job.needSource ? static_cast<std::size_t>(width) : 0);
  LONG sy0 = job.sourceAt.y + (r.top - job.rect.top);
  bool upward = job.needSource && SameBits(job.source, job.target) && sy0 < r.top;
  for (LONG i = 0; i < r.bottom - r.top; ++i) {
    LONG y = upward ? r.bottom - 1 - i : r.top + i;
    LONG dy = y - job.rect.top;
    if (job.needSource) {
      // The source row first, so that an overlapping copy reads it before it changes.
      for (LONG x = r.left; x < r.right; ++x) {
        ULONG s = ReadPixel(job.source, job.sourceAt.x + (x - job.rect.left), job.sourceAt.y + dy);
        sourceRow[static_cast<std::size_t>(x - r.left)] = XLATEOBJ_iXlate(job.xlate, s);
      }
    }
    for (LONG x = r.left; x < r.right; ++x) {
      BYTE rop = job.fore;
      if (job.useMask && job.mask != nullptr) {
        LONG mx = job.maskAt.x + (x - job.rect.left);
        LONG my = job.maskAt.y + dy;
        bool inside =
            mx >= 0 && my >= 0 && mx < job.mask->sizlBitmap.cx && my < job.mask->sizlBitmap.cy;
        if (inside && ReadPixel(job.mask, mx, my) == 0) rop = job.back;
      }
      ULONG p = job.needPattern ? brush.At(x, y) : 0;
      ULONG s = job.needSource ? sourceRow[static_cast<std::size_t>(x - r.left)] : 0;
      WritePixel(job.target, x, y, Rop3(rop, p, s, ReadPixel(job.target, x, y)) & mask);
    }
  }
}

// The 8 x 8 ordered-dither thresholds (0 to 63).
// clang-format off
constexpr BYTE kBayer8[8][8] = {
    { 0, 32,  8, 40,  2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44,  4, 36, 14, 46,  6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    { 3, 35, 11, 43,  1, 33,  9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47,  7, 39, 13, 45,  5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
};
// clang-format on

// Draws for a device-managed target, which has no bits: the engine draws into a
// bitmap of the target rectangle (read from the device with the driver's
// DrvCopyBits first when the operation reads the target, else white) and hands
// it to the device with DrvCopyBits under the call's clip. `draw(temp, offset)`
// draws with every coordinate moved by offset. A driver whose DrvCopyBits calls
// back here for its own device is refused, not followed round.
thread_local int deviceDepth = 0;

template <typename Draw>
BOOL ThroughCopyBits(SURFOBJ* device, const RECTL& area, CLIPOBJ* pco, bool readTarget, Draw draw) {
  std::optional<SurfaceState> state = FindSurfaceState(device->hsurf);
  PFN_DrvCopyBits copy = FindEngineDeviceCopyBits(device->hdev);
  if (copy == nullptr || !state || !(state->hooks & HOOK_COPYBITS) || deviceDepth > 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  RECTL r = Intersect(area, Bounds(device));
  if (pco != nullptr && pco->iDComplexity != DC_TRIVIAL) r = Intersect(r, pco->rclBounds);
  if (IsEmpty(r)) return TRUE;
  ULONG format = BitsPerPixel(device->iBitmapFormat) ? device->iBitmapFormat : BMF_24BPP;
  Bitmap temp = Bitmap::Create({r.right - r.left, r.bottom - r.top}, format, BMF_TOPDOWN);
  if (!temp.valid()) return FALSE;
  ++deviceDepth;
  RECTL all{0, 0, r.right - r.left, r.bottom - r.top};
  POINTL at{r.left, r.top};
  BOOL ok = TRUE;
  if (readTarget) {
    ok = copy(temp.Get(), device, nullptr, nullptr, &all, &at);
  } else {
    EngEraseSurface(temp.Get(), &all, FormatMask(format));
  }
  ok = ok && draw(temp.Get(), POINTL{-r.left, -r.top});
  POINTL zero{0, 0};
  ok = ok && copy(device, temp.Get(), pco, nullptr, &r, &zero);
  --deviceDepth;
  return ok;
}

bool IsDeviceTarget(const SURFOBJ* so) {
  return so != nullptr && so->iType != STYPE_BITMAP && !HasBits(so);
}

RECTL Moved(const RECTL& r, POINTL by) {
  return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

// The source coordinate of target offset t of n target pixels over m source pixels
// (the source pixel under the target pixel's centre).
LONG Scale(LONG t, LONG n, LONG m) {
  return static_cast<LONG>((2 * static_cast<LONGLONG>(t) + 1) * m / (2 * static_cast<LONGLONG>(n)));
}

}  // namespace
}  // namespace platform::engine

using namespace platform::engine;

QXAPI BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                     XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                     BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  if (IsDeviceTarget(psoTrg) && prclTrg != nullptr) {
    BYTE fore = static_cast<BYTE>(rop4 & 0xFF);
    BYTE back = static_cast<BYTE>((rop4 >> 8) & 0xFF);
    bool reads = RopUsesTarget(fore) || (fore != back && RopUsesTarget(back));
    RECTL target = Ordered(*prclTrg);
    return ThroughCopyBits(psoTrg, target, pco, reads, [&](SURFOBJ* temp, POINTL by) {
      RECTL t = Moved(target, by);
      POINTL org = pptlBrush ? POINTL{pptlBrush->x + by.x, pptlBrush->y + by.y} : by;
      return EngBitBlt(temp, psoSrc, psoMask, nullptr, pxlo, &t, pptlSrc, pptlMask, pbo, &org,
                       rop4);
    });
  }
  if (!HasBits(psoTrg) || prclTrg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BlitJob job{};
  job.target = psoTrg;
  job.fore = static_cast<BYTE>(rop4 & 0xFF);
  job.back = static_cast<BYTE>((rop4 >> 8) & 0xFF);
  job.useMask = job.fore != job.back;
  job.needSource = RopUsesSource(job.fore) || (job.useMask && RopUsesSource(job.back));
  job.needPattern = RopUsesPattern(job.fore) || (job.useMask && RopUsesPattern(job.back));
  job.rect = Ordered(*prclTrg);
  job.xlate = pxlo;
  if (job.needSource && (!HasBits(psoSrc) || pptlSrc == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (job.useMask && psoMask != nullptr &&
      (!HasBits(psoMask) || psoMask->iBitmapFormat != BMF_1BPP || pptlMask == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PatternSource brush(pbo, pptlBrush);
  if (job.needPattern && !brush.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  job.source = job.needSource ? psoSrc : nullptr;
  job.mask = job.useMask ? psoMask : nullptr;
  if (job.source != nullptr) job.sourceAt = *pptlSrc;
  if (job.mask != nullptr) job.maskAt = *pptlMask;

  RECTL limit = Intersect(job.rect, Bounds(psoTrg));
  if (job.source != nullptr) {
    // Only target pixels with a source pixel under them are drawn.
    RECTL reach{job.rect.left - job.sourceAt.x, job.rect.top - job.sourceAt.y,
                job.rect.left - job.sourceAt.x + psoSrc->sizlBitmap.cx,
                job.rect.top - job.sourceAt.y + psoSrc->sizlBitmap.cy};
    limit = Intersect(limit, reach);
  }
  if (IsEmpty(limit)) return TRUE;
  for (const RECTL& r : ClipRectangles(pco, limit)) {
    if (CanCopyRows(job)) {
      CopyRows(job, r);
    } else {
      BlitRect(job, r, brush);
    }
  }
  ++psoTrg->iUniq;
  return TRUE;
}

QXAPI BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                       RECTL* prclDest, POINTL* pptlSrc) {
  return EngBitBlt(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, pptlSrc, nullptr, nullptr,
                   nullptr, 0xCCCC);
}

QXAPI BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                         RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) {
  if (IsDeviceTarget(psoDest) && prclDest != nullptr) {
    return ThroughCopyBits(psoDest, Ordered(*prclDest), pco, false, [&](SURFOBJ* temp, POINTL by) {
      RECTL d = Moved(*prclDest, by);  // keeps a mirrored rectangle mirrored
      POINTL ht = pptlHTOrg ? POINTL{pptlHTOrg->x + by.x, pptlHTOrg->y + by.y} : by;
      return EngStretchBlt(temp, psoSrc, psoMask, nullptr, pxlo, pca, &ht, &d, prclSrc, pptlMask,
                           iMode);
    });
  }
  if (!HasBits(psoDest) || !HasBits(psoSrc) || prclDest == nullptr || prclSrc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool flipX = (prclDest->right < prclDest->left) != (prclSrc->right < prclSrc->left);
  bool flipY = (prclDest->bottom < prclDest->top) != (prclSrc->bottom < prclSrc->top);
  RECTL d = Ordered(*prclDest);
  RECTL s = Intersect(Ordered(*prclSrc), Bounds(psoSrc));
  if (IsEmpty(d) || IsEmpty(s)) return TRUE;
  LONG dw = d.right - d.left;
  LONG dh = d.bottom - d.top;
  LONG sw = s.right - s.left;
  LONG sh = s.bottom - s.top;
  bool dither = iMode == HALFTONE && psoDest->iBitmapFormat == BMF_1BPP;
  ULONG white = TargetIndexForRgb(pxlo, 0xFFFFFF, BMF_1BPP);
  ULONG black = TargetIndexForRgb(pxlo, 0x000000, BMF_1BPP);
  POINTL ht = pptlHTOrg ? *pptlHTOrg : POINTL{0, 0};
  ULONG mask = FormatMask(psoDest->iBitmapFormat);
  for (const RECTL& r : ClipRectangles(pco, Intersect(d, Bounds(psoDest)))) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      LONG ty = flipY ? dh - 1 - (y - d.top) : y - d.top;
      LONG sy = s.top + Scale(ty, dh, sh);
      for (LONG x = r.left; x < r.right; ++x) {
        LONG tx = flipX ? dw - 1 - (x - d.left) : x - d.left;
        ULONG v = ReadPixel(psoSrc, s.left + Scale(tx, dw, sw), sy);
        std::optional<ULONG> rgb;
        if (dither) rgb = SourceRgb(pxlo, v, psoSrc->iBitmapFormat);
        if (rgb) {
          ULONG c = *rgb;
          ULONG grey = (77 * (c & 0xFF) + 150 * ((c >> 8) & 0xFF) + 29 * ((c >> 16) & 0xFF)) >> 8;
          ULONG threshold = kBayer8[(y - ht.y) & 7][(x - ht.x) & 7] * 4 + 2;
          v = grey >= threshold ? white : black;
        } else {
          v = XLATEOBJ_iXlate(pxlo, v);
        }
        WritePixel(psoDest, x, y, v & mask);
      }
    }
  }
  ++psoDest->iUniq;
  return TRUE;
}

QXAPI BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  if (!HasBits(pso) || prcl == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECTL r = Intersect(Ordered(*prcl), Bounds(pso));
  if (IsEmpty(r)) return TRUE;
  ULONG v = iColor & FormatMask(pso->iBitmapFormat);
  int bits = BitsPerPixel(pso->iBitmapFormat);
  // Rows whose bytes all take one value are set with memset.
  bool bytewise =
      bits == 8 ||
      (bits == 24 && (v & 0xFF) == ((v >> 8) & 0xFF) && (v & 0xFF) == ((v >> 16) & 0xFF)) ||
      (bits == 32 && v == (v & 0xFF) * 0x01010101u);
  for (LONG y = r.top; y < r.bottom; ++y) {
    BYTE* row = ScanLine(pso, y);
    if (bytewise) {
      std::size_t bpp = static_cast<std::size_t>(bits / 8);
      std::memset(row + bpp * static_cast<std::size_t>(r.left), static_cast<int>(v & 0xFF),
                  bpp * static_cast<std::size_t>(r.right - r.left));
      continue;
    }
    if (bits == 1) {
      LONG x = r.left;
      for (; x < r.right && (x & 7) != 0; ++x) WritePixel(pso, x, y, v);
      LONG whole = (r.right - x) / 8;
      std::memset(row + x / 8, v ? 0xFF : 0x00, static_cast<std::size_t>(whole));
      for (x += whole * 8; x < r.right; ++x) WritePixel(pso, x, y, v);
      continue;
    }
    for (LONG x = r.left; x < r.right; ++x) WritePixel(pso, x, y, v);
  }
  ++pso->iUniq;
  return TRUE;
}
