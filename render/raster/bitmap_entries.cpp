// The bitmap transfers of the driver function table: DrvBitBlt, DrvStretchBlt
// and DrvCopyBits. Each chooses the colour path (the library writes the
// image), the engine (which draws into the page bitmap of image print, or
// back through DrvCopyBits), or a rectangle fill for operations without a
// source.
#include "platform/platform.h"
#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/raster/bitmap_output.h"
#include "render/raster/bitmap_transfers.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/mono_copy.h"
#include "render/raster/raster_strips.h"
#include "render/raster/rect_fill.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

constexpr DWORD kLeaveAlone = 0xAAAA;
constexpr DWORD kCopy = 0xCCCC;
constexpr DWORD kMaskedCopy = 0xAACC;
constexpr std::uint64_t kLargeCopyBytes = 0xFFFFF;

std::uint16_t PrintOptions(const DeviceContext& dc) {
  return settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions);
}
bool Imageprint(const DeviceContext& dc) {
  return (PrintOptions(dc) & settings::kOptImageprint) != 0;
}
bool Modetype1(const DeviceContext& dc) {
  return (PrintOptions(dc) & settings::kOptModetype1) != 0;
}
// The printer takes its resolution from the job and draws one-bit images in
// the override's manner.
bool JobResolution(const DeviceContext& dc) {
  return (dc.PrinterFunction() & 0x2000) != 0 && dc.Description().PrinterType() != 6;
}

// Colour modes 0 and 1, and colour mode 2 drawn in colour (modetype1 without
// the vector colour override).
bool ColourPath(const DeviceContext& dc) {
  return ColourMode(dc) != 2 || (Modetype1(dc) && VectorColorOverride(dc) == 0);
}
bool OverrideCase(const DeviceContext& dc) {
  return VectorColorOverride(dc) != 0 || JobResolution(dc);
}

// Whether a four-operand code reads the source where the mask is 1 or 0.
bool UsesSource(DWORD rop4) { return (((rop4 >> 2) ^ rop4) & 0x3333) != 0; }

// Image print: the engine draws into the page bitmap. A source is first
// halftoned to the bitmap's format at the target size.
BOOL EngineBitBlt(DeviceContext& dc, SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip,
                  XLATEOBJ* xlate, RECTL* rect, POINTL* sourcePoint, POINTL* maskPoint,
                  BRUSHOBJ* brush, POINTL* brushOrigin, ROP4 rop4) {
  if (source == nullptr || sourcePoint == nullptr || !UsesSource(rop4)) {
    return EngBitBlt(target, source, mask, clip, xlate, rect, sourcePoint, maskPoint, brush,
                     brushOrigin, rop4);
  }
  const RECTL t = OrderedRect(*rect);
  if (EmptyRect(t)) return TRUE;
  if (!RectFits(t)) return FALSE;
  ScratchBitmap halftoned;
  if (!halftoned.Create(t.right - t.left, t.bottom - t.top, target->iBitmapFormat)) return FALSE;
  RECTL all{0, 0, t.right - t.left, t.bottom - t.top};
  RECTL from{sourcePoint->x, sourcePoint->y, sourcePoint->x + all.right,
             sourcePoint->y + all.bottom};
  // The pattern anchored to the page, as the band's other drawing.
  POINTL origin{-t.left, -(t.top + dc.bandOrigin.y)};
  if (!EngStretchBlt(halftoned.surface, source, nullptr, nullptr, xlate, nullptr, &origin, &all,
                     &from, nullptr, HALFTONE)) {
    return FALSE;
  }
  POINTL zero{0, 0};
  RECTL into = t;
  return EngBitBlt(target, halftoned.surface, mask, clip, nullptr, &into, &zero, maskPoint, brush,
                   brushOrigin, rop4);
}

BOOL ColourBitBlt(DeviceContext& dc, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                  const RECTL& rect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush,
                  POINTL* brushOrigin, DWORD rop4) {
  const DWORD low = rop4 & 0xFF;
  if (source == nullptr || sourcePoint == nullptr || low == 0x00 || low == 0xFF) {
    return brush != nullptr ? FillClipRectangles(dc, clip, rect, brush, brushOrigin, rop4) : FALSE;
  }
  Transfer t;
  t.source = source;
  t.clip = clip;
  t.xlate = xlate;
  t.target = OrderedRect(rect);
  t.sourcePoint = *sourcePoint;
  t.operation = rop4;
  if (EmptyRect(t.target)) return TRUE;
  if (!RectFits(t.target)) return FALSE;
  const bool brushPass = rop4 == 0xB8B8 || rop4 == 0xE2E2;
  if (brushPass) {
    if (!SendBrushPass(dc, clip, t.target, brush, rop4)) return FALSE;
    t.operation = SourcePassOperation(rop4);
  }
  if (rop4 == kMaskedCopy && mask != nullptr && mask->iBitmapFormat == BMF_1BPP &&
      maskPoint != nullptr) {
    if (!SendMaskPass(dc, mask, *maskPoint, t.target)) return FALSE;
    t.mask = mask;
    t.maskPoint = *maskPoint;
    t.maskSent = true;
  }
  BOOL sent = SendColourTransfer(dc, t);
  if (brushPass && sent) sent = SendBrushPass(dc, clip, t.target, brush, rop4);
  return sent;
}

// Opens a bitmap call: the device context, the polyline closed, the clip's
// complexity forgotten.
DeviceContext* Begin(SURFOBJ* target) {
  DeviceContext* dc = ValidDeviceContext(target);
  if (dc == nullptr) return nullptr;
  ClosePolyline(dc->output, dc->vector);
  dc->raster.complexClipActive = false;
  return dc;
}

}  // namespace

BOOL DrvBitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* targetRect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* pbo,
               POINTL* brushOrigin, ROP4 rop4) {
  DeviceContext* dc = Begin(target);
  if (dc == nullptr || targetRect == nullptr) return FALSE;
  if (rop4 == kLeaveAlone) return TRUE;
  if (ColourMode(*dc) == 2 && Imageprint(*dc)) {
    return EngineBitBlt(*dc, target, source, mask, pco, pxlo, targetRect, sourcePoint, maskPoint,
                        pbo, brushOrigin, rop4);
  }
  if (ColourPath(*dc)) {
    return ColourBitBlt(*dc, source, mask, pco, pxlo, *targetRect, sourcePoint, maskPoint, pbo,
                        brushOrigin, rop4);
  }
  return MonoBitBlt(*dc, OverrideCase(*dc),
                    BlitCall{target, source, mask, pco, pxlo, *targetRect,
                             sourcePoint ? *sourcePoint : POINTL{0, 0},
                             maskPoint ? *maskPoint : POINTL{0, 0}, pbo, brushOrigin, rop4});
}

BOOL DrvStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* halftoneOrigin, RECTL* targetRect,
                   RECTL* sourceRect, POINTL* maskPoint, ULONG mode) {
  DeviceContext* dc = Begin(target);
  if (dc == nullptr || targetRect == nullptr || sourceRect == nullptr) return FALSE;
  if (EmptyRect(OrderedRect(*targetRect)) || EmptyRect(OrderedRect(*sourceRect))) return TRUE;
  if (!RectFits(*targetRect) || !RectFits(*sourceRect)) return FALSE;
  if (ColourMode(*dc) == 2 && Imageprint(*dc)) {
    dc->mergeControlState = 0xF0F0;
    return EngStretchBlt(target, source, mask, pco, pxlo, pca, halftoneOrigin, targetRect,
                         sourceRect, maskPoint, HALFTONE);
  }
  if (ColourPath(*dc)) {
    return SendColourStretch(*dc, source, pco, pxlo, pca, *targetRect, *sourceRect, mode);
  }
  return MonoStretchBlt(*dc, OverrideCase(*dc),
                        StretchCall{source, pxlo, pca, *targetRect, *sourceRect}, target, pco,
                        halftoneOrigin);
}

BOOL DrvCopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* targetRect,
                 POINTL* sourcePoint) {
  if (source != nullptr && source->iType != STYPE_BITMAP) {
    // The engine reads from the device, which keeps no page: it reads white.
    if (ValidDeviceContext(source) == nullptr) return FALSE;
    return EngEraseSurface(target, targetRect, 0xFFFFFFFF);
  }
  DeviceContext* dc = ValidDeviceContext(target);
  if (dc == nullptr || target->hsurf != dc->surface || source == nullptr || targetRect == nullptr ||
      sourcePoint == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (dc->output.failed) return FALSE;
  ClosePolyline(dc->output, dc->vector);
  dc->raster.complexClipActive = false;
  Transfer t;
  t.source = source;
  t.clip = pco;
  t.xlate = pxlo;
  t.target = OrderedRect(*targetRect);
  t.sourcePoint = *sourcePoint;
  if (EmptyRect(t.target)) return TRUE;
  if (!RectFits(t.target)) return FALSE;
  if (!ColourPath(*dc)) return MonoCopyBits(*dc, OverrideCase(*dc), t);
  const std::uint64_t bytes = static_cast<std::uint64_t>(t.target.right - t.target.left) *
                              static_cast<std::uint64_t>(t.target.bottom - t.target.top) * 3;
  if (bytes > kLargeCopyBytes) return SendColourCopyInStrips(*dc, t);
  return SendColourTransfer(*dc, t);
}

}  // namespace render
