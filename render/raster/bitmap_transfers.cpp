// The colour path of bitmap transfers.
#include "render/raster/bitmap_transfers.h"

#include <algorithm>
#include <cstdint>

#include "platform/platform.h"
#include "render/core/device_context.h"
#include "render/raster/bitmap_output.h"
#include "render/raster/merge_control.h"
#include "render/raster/raster_palette.h"
#include "render/raster/raster_strips.h"
#include "render/raster/rotation.h"

namespace render {
namespace {

constexpr DWORD kCopy = 0xCCCC;
constexpr DWORD kAnd = 0x8888;

bool IsComplex(const CLIPOBJ* clip) { return clip != nullptr && clip->iDComplexity == DC_COMPLEX; }

ULONG WorkFormat(const SURFOBJ* source) {
  return IndexBits(source->iBitmapFormat) != 0 ? source->iBitmapFormat : BMF_24BPP;
}

bool HasTable(const XLATEOBJ* xlate) {
  return xlate != nullptr && (xlate->flXlate & XO_TABLE) && xlate->pulXlate != nullptr &&
         xlate->cEntries != 0;
}

// The palette check before an image: a pushed palette that is not this
// image's is popped (so is any palette before a complex clip under 0xCCCC);
// when none is pushed the image's record becomes the one remembered.
void CheckPalette(DeviceContext& dc, ULONG format, XLATEOBJ* xlate, const PaletteRecord& record,
                  bool complexCopy) {
  const bool indexed = IndexBits(format) != 0;
  const bool fits = indexed && HasTable(xlate) && PalettePushed(dc, format, record);
  if ((dc.raster.paletteState != 0 && !fits) || complexCopy) PopRasterPalette(dc);
  if (indexed && dc.raster.paletteState == 0) RememberPalette(dc, record);
}

BOOL SendPrepared(DeviceContext& dc, SURFOBJ* bits, const RECTL& target, CLIPOBJ* clip,
                  PaletteRecord* record, DWORD operation, bool scaled) {
  PreparedImage image;
  image.bits = bits;
  image.place = ImagePlacement{target.left, target.top, target.right - target.left,
                               target.bottom - target.top, scaled};
  image.clip = clip;
  image.palette = IndexBits(bits->iBitmapFormat) != 0 ? record : nullptr;
  BOOL sent = TRUE;
  if (!SendTwoColourImage(dc, image, operation, sent))
    sent = SendGeneralImage(dc, image, operation);
  return sent;
}

std::int64_t Extent(LONG a, LONG b) { return std::int64_t{b} - a; }

// The source area of a copy as a 24-bit image, when the source is 24 bits,
// its translation changes nothing and the area lies inside it.
bool SourceArea(SURFOBJ* source, XLATEOBJ* xlate, POINTL at, LONG w, LONG h, ImageView& area) {
  if (source->iBitmapFormat != BMF_24BPP || source->pvScan0 == nullptr) return false;
  if (xlate != nullptr && !(xlate->flXlate & XO_TRIVIAL)) return false;
  if (at.x < 0 || at.y < 0 || std::int64_t{at.x} + w > source->sizlBitmap.cx ||
      std::int64_t{at.y} + h > source->sizlBitmap.cy) {
    return false;
  }
  area = ImageOf(*source);
  area.top +=
      static_cast<std::ptrdiff_t>(at.y) * area.rowStep + 3 * static_cast<std::ptrdiff_t>(at.x);
  area.width = w;
  area.height = h;
  return true;
}

}  // namespace

bool RectFits(const RECTL& r) {
  const std::int64_t w = Extent(r.left, r.right);
  const std::int64_t h = Extent(r.top, r.bottom);
  if (w >= -INT32_MAX && w <= INT32_MAX && h >= -INT32_MAX && h <= INT32_MAX) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

BOOL SendColourTransfer(DeviceContext& dc, const Transfer& t) {
  if (!RectFits(t.target)) return FALSE;
  const ULONG format = WorkFormat(t.source);
  const bool indexed = IndexBits(format) != 0;
  const LONG w = t.target.right - t.target.left;
  const LONG h = t.target.bottom - t.target.top;
  if (w <= 0 || h <= 0) return TRUE;
  dc.raster.complexClipActive = IsComplex(t.clip);
  PaletteRecord record;
  if (indexed) BuildPaletteRecord(t.xlate, format, record);
  CheckPalette(dc, format, t.xlate, record, dc.raster.complexClipActive && t.operation == kCopy);
  ScratchBitmap temp;
  if (!temp.Create(w, h, format)) return FALSE;
  RECTL all{0, 0, w, h};
  EngEraseSurface(temp.surface, &all, EraseValue(format));
  POINTL from = t.sourcePoint;
  POINTL maskFrom = t.maskPoint;
  const bool withMask = !indexed && t.maskSent;
  BOOL drawn = EngBitBlt(temp.surface, t.source, withMask ? t.mask : nullptr, nullptr,
                         indexed ? nullptr : t.xlate, &all, &from, withMask ? &maskFrom : nullptr,
                         nullptr, nullptr, withMask ? t.operation : kCopy);
  if (!drawn) return FALSE;
  return SendPrepared(dc, temp.surface, t.target, t.clip, &record, t.maskSent ? kAnd : t.operation,
                      false);
}

BOOL SendColourStretch(DeviceContext& dc, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate,
                       COLORADJUSTMENT* adjustment, const RECTL& targetRect,
                       const RECTL& sourceRect, ULONG mode) {
  const RECTL t = OrderedRect(targetRect);
  const RECTL s = OrderedRect(sourceRect);
  if (EmptyRect(t) || EmptyRect(s) || source == nullptr) return TRUE;
  if (Extent(t.left, t.right) > INT32_MAX || Extent(t.top, t.bottom) > INT32_MAX ||
      Extent(s.left, s.right) > INT32_MAX || Extent(s.top, s.bottom) > INT32_MAX) {
    return FALSE;
  }
  dc.raster.complexClipActive = IsComplex(clip);
  const ULONG format = WorkFormat(source);
  const bool indexed = IndexBits(format) != 0;
  const LONG tw = t.right - t.left;
  const LONG th = t.bottom - t.top;
  const LONG sw = s.right - s.left;
  const LONG sh = s.bottom - s.top;
  // Under a complex clip the pieces need the image at the size it prints.
  const bool atTarget = tw < sw || th < sh || dc.raster.complexClipActive;
  const LONG w = atTarget ? tw : sw;
  const LONG h = atTarget ? th : sh;
  PaletteRecord record;
  if (indexed) BuildPaletteRecord(xlate, format, record);
  CheckPalette(dc, format, xlate, record, dc.raster.complexClipActive);
  ScratchBitmap temp;
  if (!temp.Create(w, h, format)) return FALSE;
  RECTL all{0, 0, w, h};
  EngEraseSurface(temp.surface, &all, EraseValue(format));
  RECTL from = s;
  if (!EngStretchBlt(temp.surface, source, nullptr, nullptr, indexed ? nullptr : xlate, adjustment,
                     nullptr, &all, &from, nullptr, mode == HALFTONE ? COLORONCOLOR : mode)) {
    return FALSE;
  }
  return SendPrepared(dc, temp.surface, t, clip, &record, kCopy, !atTarget);
}

BOOL SendColourCopyInStrips(DeviceContext& dc, const Transfer& t) {
  if (!RectFits(t.target)) return FALSE;
  const ULONG format = WorkFormat(t.source);
  const bool indexed = IndexBits(format) != 0;
  const LONG w = t.target.right - t.target.left;
  const LONG h = t.target.bottom - t.target.top;
  if (w <= 0 || h <= 0) return TRUE;
  const bool complex = IsComplex(t.clip);
  dc.raster.complexClipActive = complex;
  const std::uint64_t budget =
      complex && LandscapePage(dc) ? kLandscapeClipStripBytes : kStripBytes;
  const LONG rows = StripRows(w, budget);
  PaletteRecord record;
  if (indexed) BuildPaletteRecord(t.xlate, format, record);
  CheckPalette(dc, format, t.xlate, record, complex);
  // Line art is found once for the whole source, and every strip goes as
  // one bit with the same two-colour palette.
  std::uint32_t first = 0;
  std::uint32_t other = 0;
  ImageView whole;
  const bool twoColour = !indexed && SourceArea(t.source, t.xlate, t.sourcePoint, w, h, whole) &&
                         TwoColoursOf(whole, first, other);
  if (twoColour) {
    record.count = 2;
    record.SetColour(0, first);
    record.SetColour(1, other);
    RememberPalette(dc, record);
  }
  const ULONG sentFormat = twoColour ? BMF_1BPP : format;
  const PaletteRecord* palette = indexed || twoColour ? &record : nullptr;
  // Under a complex clip each strip sets itself up (its mask pass pops the
  // palette); otherwise the palette is pushed once for all strips.
  const bool direct = !complex && PrepareImagePalette(dc, sentFormat, palette, kCopy);
  BOOL sent = TRUE;
  for (LONG top = 0; top < h && sent; top += std::min(rows, h - top)) {
    const LONG n = std::min(rows, h - top);
    ScratchBitmap strip;
    ScratchBitmap oneBit;
    if (!strip.Create(w, n, format)) {
      sent = FALSE;
      break;
    }
    RECTL all{0, 0, w, n};
    EngEraseSurface(strip.surface, &all, EraseValue(format));
    POINTL from{t.sourcePoint.x, static_cast<LONG>(std::int64_t{t.sourcePoint.y} + top)};
    if (!EngCopyBits(strip.surface, t.source, nullptr, indexed ? nullptr : t.xlate, &all, &from) ||
        (twoColour && !SplitTwoColours(ImageOf(*strip.surface), first, oneBit))) {
      sent = FALSE;
      break;
    }
    PreparedImage image;
    image.bits = twoColour ? oneBit.surface : strip.surface;
    image.place = ImagePlacement{t.target.left, t.target.top + top, w, n, false};
    image.clip = t.clip;
    image.palette = indexed || twoColour ? &record : nullptr;
    image.paletteReady = !complex;
    dc.raster.complexClipActive = complex;
    sent = SendGeneralImage(dc, image, kCopy);
  }
  if (direct) PopPrinterPalette(dc);
  return sent;
}

}  // namespace render
