// The monochrome paths of bitmap transfers.
#include "render/raster/mono_copy.h"

#include <algorithm>
#include <cstring>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/bitmap_output.h"
#include "render/raster/clip_pieces.h"
#include "render/raster/dither.h"
#include "render/raster/image_rows.h"
#include "render/raster/merge_control.h"
#include "render/raster/raster_palette.h"
#include "render/raster/rect_fill.h"
#include "render/raster/row_encoding.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

constexpr DWORD kCopy = 0xCCCC;
constexpr DWORD kAnd = 0x8888;
constexpr DWORD kMaskedCopy = 0xAACC;
constexpr DWORD kIdle = 0xF0F0;
constexpr std::uint64_t kStripPixels = 0x100000;

// The merge controls of monochrome copies, by the high byte of the recorded
// operation: with PrinterFunction bit 0x8000, and without.
struct MergeRow {
  DWORD k;
  const char* wide;
  const char* narrow;
};
// clang-format off
constexpr MergeRow kSimpleClipRows[] = {
    { 10, "MC1,11", "MC1,35"}, {184, "MC1,11", "MC1,35"}, {187, "MC1,11", "MC1,35"},
    {251, "MC1,11", "MC1,35"},
    { 15, "MC1,3",  "MC1,3"},
    { 17, "MC1,14", "MC1,50"}, {160, "MC1,14", "MC1,50"}, {226, "MC1,14", "MC1,50"},
    {238, "MC1,14", "MC1,50"},
    { 90, "MC1,9",  "MC1,33"}, {102, "MC1,9",  "MC1,33"}, {106, "MC1,9",  "MC1,33"},
    {154, "MC1,9",  "MC1,33"},
    {136, "MC1,8",  "MC1,32"}, {250, "MC1,8",  "MC1,32"},
    {165, "MC1,6",  "MC1,18"},
    {175, "MC1,2",  "MC1,2"},
};
// clang-format on

const char* Pick(bool wide, const char* w, const char* n) { return wide ? w : n; }

bool In(DWORD k, std::initializer_list<DWORD> set) {
  return std::find(set.begin(), set.end(), k) != set.end();
}

bool Wide(const DeviceContext& dc) { return (dc.PrinterFunction() & 0x8000) != 0; }

void WriteMerge(DeviceContext& dc, const char* text) {
  ClosePolyline(dc.output, dc.vector);
  WriteText(dc.output, text);
}

bool NoSource(const BlitCall& call) {
  const DWORD low = call.rop4 & 0xFF;
  return call.source == nullptr || low == 0x00 || low == 0xFF;
}

std::uint64_t Pixels(const RECTL& r) {
  const RECTL o = OrderedRect(r);
  return static_cast<std::uint64_t>(std::int64_t{o.right} - o.left) *
         static_cast<std::uint64_t>(std::int64_t{o.bottom} - o.top);
}

bool SimpleClip(const CLIPOBJ* clip) { return clip == nullptr || clip->iDComplexity != DC_COMPLEX; }

BOOL Blit(const BlitCall& call, DWORD rop4) {
  RECTL rect = call.rect;
  POINTL from = call.sourcePoint;
  POINTL maskFrom = call.maskPoint;
  return EngBitBlt(call.target, call.source, call.mask, call.clip, call.xlate, &rect, &from,
                   &maskFrom, call.brush, call.brushOrigin, rop4);
}

// Large blits under a simple clip go in strips.
BOOL BlitMaybeInStrips(const BlitCall& call, DWORD rop4) {
  if (SimpleClip(call.clip) && Pixels(call.rect) > kStripPixels) {
    BlitCall strips = call;
    strips.rop4 = rop4;
    return BitBltInStrips(strips, nullptr, nullptr);
  }
  return Blit(call, rop4);
}

BOOL OverrideBitBlt(DeviceContext& dc, const BlitCall& call) {
  if (NoSource(call)) {
    dc.raster.forceMergeControl = true;
    return call.brush != nullptr ? FillClipRectangles(dc, call.clip, call.rect, call.brush,
                                                      call.brushOrigin, call.rop4)
                                 : FALSE;
  }
  if (call.rop4 == kMaskedCopy) {
    bool sent =
        call.mask != nullptr && SendMaskPass(dc, call.mask, call.maskPoint, OrderedRect(call.rect));
    dc.raster.recordedOperation = kAnd;
    return Blit(call, sent ? call.rop4 : kCopy);
  }
  if (call.rop4 == 0xB8B8 || call.rop4 == 0xE2E2) {
    const RECTL target = OrderedRect(call.rect);
    if (!SendBrushPass(dc, call.clip, target, call.brush, call.rop4)) return FALSE;
    dc.raster.recordedOperation = SourcePassOperation(call.rop4);
    if (!BlitMaybeInStrips(call, kCopy)) return FALSE;
    return SendBrushPass(dc, call.clip, target, call.brush, call.rop4);
  }
  dc.raster.recordedOperation = call.rop4;
  return call.rop4 == kAnd ? BlitMaybeInStrips(call, kCopy) : Blit(call, kCopy);
}

BOOL PlainBitBlt(DeviceContext& dc, const BlitCall& call) {
  if (NoSource(call)) {
    return call.brush != nullptr ? FillClipRectangles(dc, call.clip, call.rect, call.brush,
                                                      call.brushOrigin, call.rop4)
                                 : FALSE;
  }
  dc.mergeControlState = call.rop4;
  switch (call.rop4) {
    case kCopy: {
      RECTL rect = call.rect;
      RECTL from{call.sourcePoint.x, call.sourcePoint.y,
                 call.sourcePoint.x + (OrderedRect(rect).right - OrderedRect(rect).left),
                 call.sourcePoint.y + (OrderedRect(rect).bottom - OrderedRect(rect).top)};
      return EngStretchBlt(call.target, call.source, nullptr, call.clip, call.xlate, nullptr,
                           nullptr, &rect, &from, nullptr, HALFTONE);
    }
    case 0x1111:
    case 0xBBBB:
    case 0xEEEE:
    case 0xFBFB:
      return Blit(call, kCopy);
    case 0xB8B8:
    case 0xE2E2: {
      BOOL drawn = call.rop4 == 0xB8B8 ? BlitMaybeInStrips(call, kCopy) : Blit(call, kCopy);
      dc.mergeControlState = kAnd;
      return drawn;
    }
    case kMaskedCopy: {
      bool sent = call.mask != nullptr &&
                  SendMaskPass(dc, call.mask, call.maskPoint, OrderedRect(call.rect));
      dc.mergeControlState = kAnd;
      return Blit(call, sent ? call.rop4 : kCopy);
    }
    case kAnd:
      return BlitMaybeInStrips(call, call.rop4);
    default:
      return Blit(call, call.rop4);
  }
}

// The source as a one-bit image of the target's size.
struct OneBitCopy {
  HANDLE heap = nullptr;
  unsigned char* bits = nullptr;
  LONG rowBytes = 0;
  ~OneBitCopy() { ReleaseWorkArea(heap, bits); }
};

bool MakeOneBit(DeviceContext& dc, const Transfer& t, InkPolarity polarity, OneBitCopy& copy) {
  const LONG w = t.target.right - t.target.left;
  const LONG h = t.target.bottom - t.target.top;
  copy.heap = dc.heap;
  copy.rowBytes = static_cast<LONG>(RowDataBytes(static_cast<std::uint64_t>(w), 1));
  copy.bits = TakeWorkArea(dc.heap, static_cast<std::uint64_t>(copy.rowBytes) * h, false);
  if (copy.bits == nullptr) return false;
  OneBitTarget target{copy.bits, copy.rowBytes};
  return DitherCopyToOneBit(dc, t.source, t.xlate, t.sourcePoint, w, h, target, t.target.left,
                            t.target.top, polarity);
}

int MonoMethod(const DeviceContext& dc, bool window) {
  return PieceMethod(dc) == kMethodUncompressed ? kMethodUncompressed
         : window                               ? kMethodRunLength
                                                : kMethodDeltaRow;
}

BOOL SendMono(DeviceContext& dc, const Transfer& t, const OneBitCopy& copy, int method) {
  OneBitImage image{t.target.right - t.target.left,
                    t.target.bottom - t.target.top,
                    t.target.left,
                    t.target.top,
                    copy.bits,
                    copy.rowBytes};
  return SendOneBitImage(dc, dc.raster, image, method, OneBitFrame::kMonochrome);
}

// A one-rectangle clip's window: its bounds, right and bottom pulled in by one.
bool OpenWindow(DeviceContext& dc, const CLIPOBJ* clip) {
  if (clip == nullptr || clip->iDComplexity != DC_RECT) return false;
  RECTL w = clip->rclBounds;
  if (w.right - w.left >= 2) --w.right;
  if (w.bottom - w.top >= 2) --w.bottom;
  SetInputWindow(dc, dc.raster, w);
  return dc.raster.inputWindowSet;
}

BOOL OverrideCopy(DeviceContext& dc, const Transfer& t) {
  OneBitCopy copy;
  if (!MakeOneBit(dc, t, InkPolarity::kZeroIsInk, copy)) return FALSE;
  const DWORD operation = dc.raster.recordedOperation != 0 ? dc.raster.recordedOperation : kCopy;
  if (dc.raster.forceMergeControl) {
    dc.mergeControlState = ~operation;  // written even when the printer holds it
    dc.raster.forceMergeControl = false;
  }
  SetMergeControl(dc, operation);
  SendBlackWhitePalette(dc);
  if (t.clip != nullptr && t.clip->iDComplexity == DC_COMPLEX) {
    // Each clip rectangle its own window over the whole image.
    ClipList list;
    if (!CollectClipRects(dc.heap, t.clip, false, list)) return FALSE;
    BOOL sent = TRUE;
    for (std::size_t i = 0; i < list.count && sent; ++i) {
      SetInputWindow(dc, dc.raster, list.rects[i]);
      sent = SendMono(dc, t, copy, MonoMethod(dc, true));
    }
    ResetInputWindow(dc, dc.raster);
    FreeClipRects(list);
    return sent;
  }
  const bool window = OpenWindow(dc, t.clip);
  BOOL sent = SendMono(dc, t, copy, MonoMethod(dc, window));
  if (window) ResetInputWindow(dc, dc.raster);
  return sent;
}

void FinishPlain(DeviceContext& dc, bool writeIdle) {
  dc.monoMergeControlState = 0;
  dc.mergeControlState = kIdle;
  if (writeIdle && !Wide(dc)) WriteMerge(dc, "MC0");
}

BOOL PlainSimpleCopy(DeviceContext& dc, const Transfer& t, const OneBitCopy& copy) {
  const DWORD k = (dc.mergeControlState >> 8) & 0xFF;
  const bool wide = Wide(dc);
  const char* merge = SimpleClipMergeControl(k, wide);
  const bool specific = std::strcmp(merge, "MC0") != 0 && std::strcmp(merge, "MC1,204") != 0;
  WriteMerge(dc, merge);
  const bool window = OpenWindow(dc, t.clip);
  BOOL sent = SendMono(dc, t, copy, MonoMethod(dc, window));
  if (window) ResetInputWindow(dc, dc.raster);
  if (k == 17) WriteMerge(dc, Pick(wide, "MC1,5", "MC1,17"));
  FinishPlain(dc, specific);
  return sent;
}

BOOL PlainComplexCopy(DeviceContext& dc, const Transfer& t, OneBitCopy& copy) {
  const DWORD k = (dc.mergeControlState >> 8) & 0xFF;
  const bool wide = Wide(dc);
  const LONG w = t.target.right - t.target.left;
  const LONG h = t.target.bottom - t.target.top;
  OneBitCopy mask;
  mask.heap = dc.heap;
  mask.rowBytes = copy.rowBytes;
  mask.bits = TakeWorkArea(dc.heap, static_cast<std::uint64_t>(copy.rowBytes) * h, true);
  if (mask.bits == nullptr) return FALSE;
  ClipList list;
  if (!CollectClipRects(dc.heap, t.clip, false, list)) return FALSE;
  for (std::size_t i = 0; i < list.count; ++i) {
    const RECTL& r = list.rects[i];
    const LONG top = std::max(r.top, t.target.top) - t.target.top;
    const LONG bottom = std::min(r.bottom, t.target.bottom) - t.target.top;
    const LONG left = std::max(r.left, t.target.left) - t.target.left;
    const LONG right = std::min(r.right, t.target.right) - t.target.left;
    for (LONG y = top; y < bottom; ++y) {
      unsigned char* row = mask.bits + static_cast<std::ptrdiff_t>(y) * mask.rowBytes;
      for (LONG x = left; x < right; ++x)
        row[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
    }
  }
  FreeClipRects(list);
  // The image only inside the clip: inverted first for the operations that
  // paint where the source is white.
  const bool invert = k == 17 || k == 238;
  for (LONG y = 0; y < h; ++y) {
    unsigned char* row = copy.bits + static_cast<std::ptrdiff_t>(y) * copy.rowBytes;
    const unsigned char* m = mask.bits + static_cast<std::ptrdiff_t>(y) * mask.rowBytes;
    for (LONG b = 0; b < copy.rowBytes; ++b) {
      row[b] = static_cast<unsigned char>((invert ? ~row[b] : row[b]) & m[b]);
    }
  }
  (void)w;
  BOOL sent = TRUE;
  if (!In(k, {85, 90, 102, 136, 184, 187, 238, 251})) {
    WriteMerge(dc,
               In(k, {17, 226}) ? Pick(wide, "MC1,9", "MC1,33") : Pick(wide, "MC1,11", "MC1,35"));
    sent = SendMono(dc, t, mask, MonoMethod(dc, false));
  }
  if (In(k, {85, 102, 226})) {
    WriteMerge(dc, Pick(wide, "MC1,9", "MC1,33"));
  } else if (In(k, {184, 187, 238, 251})) {
    WriteMerge(dc, Pick(wide, "MC1,11", "MC1,35"));
  } else {
    WriteMerge(dc, Pick(wide, "MC1,8", "MC1,32"));
  }
  sent = sent && SendMono(dc, t, copy, MonoMethod(dc, false));
  FinishPlain(dc, true);
  return sent;
}

}  // namespace

const char* SimpleClipMergeControl(DWORD k, bool wide) {
  for (const MergeRow& row : kSimpleClipRows) {
    if (row.k == k) return Pick(wide, row.wide, row.narrow);
  }
  return Pick(wide, "MC1,204", "MC0");
}

BOOL MonoBitBlt(DeviceContext& dc, bool override, const BlitCall& call) {
  BOOL drawn = override ? OverrideBitBlt(dc, call) : PlainBitBlt(dc, call);
  dc.raster.recordedOperation = 0;
  return drawn;
}

BOOL MonoStretchBlt(DeviceContext& dc, bool override, const StretchCall& call, SURFOBJ* target,
                    CLIPOBJ* clip, POINTL* halftoneOrigin) {
  if (!override) dc.mergeControlState = kIdle;
  RECTL t = OrderedRect(call.target);
  RECTL s = call.sourceRect;
  RECTL d = call.target;
  auto engine = [&] {
    return EngStretchBlt(target, call.source, nullptr, clip, call.xlate, call.adjustment,
                         halftoneOrigin, &d, &s, nullptr, HALFTONE);
  };
  if (!SimpleClip(clip) || Pixels(t) <= 3500000) return engine();
  const RECTL so = OrderedRect(s);
  const int count = StretchStripCount(t.right - t.left, t.bottom - t.top, so.bottom - so.top);
  if (count == 0) return engine();
  if (override) {
    SetMergeControl(dc, kCopy);
    SendBlackWhitePalette(dc);
  } else {
    WriteMerge(dc, Pick(Wide(dc), "MC1,204", "MC0"));
  }
  return StretchInStrips(dc, dc.raster, call, count,
                         override ? InkPolarity::kZeroIsInk : InkPolarity::kOneIsInk);
}

BOOL MonoCopyBits(DeviceContext& dc, bool override, const Transfer& t) {
  if (override) return OverrideCopy(dc, t);
  OneBitCopy copy;
  if (!MakeOneBit(dc, t, InkPolarity::kOneIsInk, copy)) return FALSE;
  if (t.clip != nullptr && t.clip->iDComplexity == DC_COMPLEX) return PlainComplexCopy(dc, t, copy);
  return PlainSimpleCopy(dc, t, copy);
}

}  // namespace render
