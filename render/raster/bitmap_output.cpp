// The colour path's image output.
#include "render/raster/bitmap_output.h"

#include <algorithm>
#include <cstring>

#include "render/core/device_context.h"
#include "render/raster/clip_pieces.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/image_rows.h"
#include "render/raster/merge_control.h"
#include "render/raster/rotation.h"
#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr DWORD kCopy = 0xCCCC;
constexpr DWORD kMaskOr = 0xEEEE;
constexpr DWORD kAnd = 0x8888;
constexpr std::uint32_t kWhite = 0xFFFFFF;

unsigned char* RowOf(SURFOBJ* s, LONG r) {
  return static_cast<unsigned char*>(s->pvScan0) + static_cast<std::ptrdiff_t>(r) * s->lDelta;
}

// Stores a pixel whatever the bits under it held.
void StorePixel(unsigned char* row, unsigned bits, std::uint64_t x, std::uint32_t value) {
  switch (bits) {
    case 1: {
      unsigned char bit = static_cast<unsigned char>(0x80u >> (x % 8));
      row[x / 8] = static_cast<unsigned char>(value & 1u ? row[x / 8] | bit : row[x / 8] & ~bit);
      return;
    }
    case 4:
      row[x / 2] =
          static_cast<unsigned char>(x % 2 == 0 ? (row[x / 2] & 0x0F) | ((value & 0x0F) << 4)
                                                : (row[x / 2] & 0xF0) | (value & 0x0F));
      return;
    default:
      OrPixel(row, bits, x, value);
  }
}

bool IsComplex(const CLIPOBJ* clip) { return clip != nullptr && clip->iDComplexity == DC_COMPLEX; }

// Converts the 24-bit rows [from, to) of the image for the colour mode.
void ConvertRows(DeviceContext& dc, SURFOBJ* bits, LONG from, LONG to) {
  if (bits->iBitmapFormat != BMF_24BPP) return;
  const std::size_t width = static_cast<std::size_t>(bits->sizlBitmap.cx);
  const bool mono = ColourMode(dc) == 2;
  for (LONG r = from; r < to; ++r) {
    if (mono) {
      ConvertMonoPixelRun(dc, RowOf(bits, r), width, 24);
    } else {
      ConvertPixelRun(dc, RowOf(bits, r), width, 24);
    }
  }
}

// Converts a copy of the record and pushes it, when no palette is pushed yet;
// a direct-colour image pushes its configuration. True when a direct-colour
// push was written, which the caller balances with a pop.
bool PushPalette(DeviceContext& dc, ULONG format, const PaletteRecord* palette) {
  if (dc.raster.paletteState != 0) return false;
  if (IndexBits(format) == 0) {
    PushRasterPalette(dc, format, nullptr);
    return true;
  }
  if (palette == nullptr) return false;
  PaletteRecord converted = *palette;
  if (ColourMode(dc) == 2) {
    ConvertMonoPaletteColors(dc, converted.entries, converted.count);
  } else {
    ConvertPaletteColors(dc, converted.entries, converted.count);
  }
  PushRasterPalette(dc, format, &converted);
  return false;
}

// One clip rectangle's window, with right and bottom reduced by one when the
// extent allows.
RECTL WindowOf(const RECTL& b) {
  RECTL w = b;
  if (w.right - w.left >= 2) --w.right;
  if (w.bottom - w.top >= 2) --w.bottom;
  return w;
}

BOOL SendSimple(DeviceContext& dc, const PreparedImage& image) {
  bool window = false;
  if (image.clip != nullptr && image.clip->iDComplexity == DC_RECT) {
    SetInputWindow(dc, dc.raster, WindowOf(image.clip->rclBounds));
    window = dc.raster.inputWindowSet;
  }
  ConvertRows(dc, image.bits, 0, image.bits->sizlBitmap.cy);
  BOOL sent = SendImage(dc, dc.raster, ImageOf(*image.bits), image.place);
  if (window) ResetInputWindow(dc, dc.raster);
  return sent;
}

// Each clip rectangle over the image's rows: its window, then those rows,
// full width, as an image of their own at the rectangle's top. Rows shared by
// rectangles side by side are converted once.
BOOL SendPerRectangle(DeviceContext& dc, const PreparedImage& image, const ClipList& clip) {
  const ImageView view = ImageOf(*image.bits);
  const LONG top = image.place.y;
  unsigned char* converted = TakeWorkArea(dc.heap, static_cast<std::uint64_t>(view.height), true);
  if (converted == nullptr) return FALSE;
  BOOL sent = TRUE;
  for (std::size_t i = 0; i < clip.count && sent; ++i) {
    const RECTL& r = clip.rects[i];
    const LONG from = static_cast<LONG>(std::max<std::int64_t>(std::int64_t{r.top} - top, 0));
    const LONG to = static_cast<LONG>(
        std::min<std::int64_t>(std::int64_t{r.bottom} - top, std::int64_t{view.height}));
    if (from >= to || r.left >= r.right) continue;
    SetInputWindow(dc, dc.raster, r);
    for (LONG row = from; row < to; ++row) {
      if (converted[row]) continue;
      ConvertRows(dc, image.bits, row, row + 1);
      converted[row] = 1;
    }
    ImageView rows = view;
    rows.top = view.Row(from);
    rows.height = to - from;
    ImagePlacement place{image.place.x, top + from, view.width, to - from, false};
    sent = SendImageRows(dc, dc.raster, rows, place, PieceMethod(dc));
  }
  ResetInputWindow(dc, dc.raster);
  ReleaseWorkArea(dc.heap, converted);
  return sent;
}

BOOL SendPieces(DeviceContext& dc, const PreparedImage& image) {
  ClipList list;
  if (!CollectClipRects(dc.heap, image.clip, false, list)) return FALSE;
  BOOL sent;
  if (LandscapePage(dc)) {
    // The pieces convert the rows before they turn them.
    sent = SendRotatedPieces(dc, dc.raster, ImageOf(*image.bits), image.place, list,
                             PieceMethod(dc), true);
  } else if (image.place.scaled) {
    ConvertRows(dc, image.bits, 0, image.bits->sizlBitmap.cy);
    sent = SendScaledRectangles(dc, dc.raster, ImageOf(*image.bits), image.place, list,
                                PieceMethod(dc));
  } else {
    sent = SendPerRectangle(dc, image, list);
  }
  FreeClipRects(list);
  return sent;
}

// The first white entry of the palette; a direct-colour image is whitened
// with three bytes of 255.
bool WhiteValue(const PreparedImage& image, std::uint32_t& white) {
  if (IndexBits(image.bits->iBitmapFormat) == 0) {
    white = kWhite;
    return true;
  }
  for (std::size_t i = 0; i < image.palette->count; ++i) {
    if (image.palette->Colour(i) == kWhite) {
      white = static_cast<std::uint32_t>(i);
      return true;
    }
  }
  return false;
}

// The one-bit mask of the image's rectangle: 1 inside the clip's rectangles.
bool BuildClipMask(DeviceContext& dc, const PreparedImage& image, ScratchBitmap& mask) {
  const LONG w = image.bits->sizlBitmap.cx;
  const LONG h = image.bits->sizlBitmap.cy;
  if (!mask.Create(w, h, BMF_1BPP)) return false;
  RECTL all{0, 0, w, h};
  EngEraseSurface(mask.surface, &all, 0);
  ClipList list;
  if (!CollectClipRects(dc.heap, image.clip, false, list)) return false;
  for (std::size_t i = 0; i < list.count; ++i) {
    const RECTL& r = list.rects[i];
    RECTL inside{r.left - image.place.x, r.top - image.place.y, r.right - image.place.x,
                 r.bottom - image.place.y};
    EngEraseSurface(mask.surface, &inside, 1);
  }
  FreeClipRects(list);
  return true;
}

// The mask method: the image whitened outside the clip replaces the page
// only inside it, after the mask pass has whitened the clip's area.
bool TryMaskMethod(DeviceContext& dc, PreparedImage& image, BOOL& sent) {
  std::uint32_t white = 0;
  if (!WhiteValue(image, white)) return false;
  ScratchBitmap mask;
  if (!BuildClipMask(dc, image, mask)) return false;
  const unsigned bits = FormatBits(image.bits->iBitmapFormat);
  for (LONG r = 0; r < image.bits->sizlBitmap.cy; ++r) {
    const unsigned char* m = RowOf(mask.surface, r);
    unsigned char* row = RowOf(image.bits, r);
    for (LONG x = 0; x < image.bits->sizlBitmap.cx; ++x) {
      if (PixelAt(m, 1, static_cast<std::uint64_t>(x)) == 0) {
        StorePixel(row, bits, static_cast<std::uint64_t>(x), white);
      }
    }
  }
  dc.raster.complexClipActive = false;
  RECTL rect{image.place.x, image.place.y, image.place.x + image.bits->sizlBitmap.cx,
             image.place.y + image.bits->sizlBitmap.cy};
  POINTL origin{0, 0};
  sent = SendMaskPass(dc, mask.surface, origin, rect);
  if (!sent) return true;
  SetMergeControl(dc, kAnd);
  bool direct = PushPalette(dc, image.bits->iBitmapFormat, image.palette);
  PreparedImage plain = image;
  plain.clip = nullptr;
  sent = SendSimple(dc, plain);
  if (direct) PopPrinterPalette(dc);
  return true;
}

}  // namespace

bool ScratchBitmap::Create(LONG width, LONG height, ULONG format) {
  handle = EngCreateBitmap(SIZEL{width, height}, 0, format, BMF_TOPDOWN, nullptr);
  if (handle == nullptr) return false;
  surface = EngLockSurface(reinterpret_cast<HSURF>(handle));
  return surface != nullptr;
}

ScratchBitmap::~ScratchBitmap() {
  if (surface != nullptr) EngUnlockSurface(surface);
  if (handle != nullptr) EngDeleteSurface(reinterpret_cast<HSURF>(handle));
}

ULONG EraseValue(ULONG format) {
  switch (format) {
    case BMF_1BPP:
      return 0;
    case BMF_4BPP:
      return 15;
    case BMF_8BPP:
      return 255;
    default:
      return kWhite;
  }
}

bool PrepareImagePalette(DeviceContext& dc, ULONG format, const PaletteRecord* palette,
                         DWORD operation) {
  SetMergeControl(dc, operation);
  return PushPalette(dc, format, palette);
}

BOOL SendGeneralImage(DeviceContext& dc, PreparedImage& image, DWORD operation) {
  if (image.bits == nullptr) return FALSE;
  if (IndexBits(image.bits->iBitmapFormat) != 0 && image.palette == nullptr) return FALSE;
  BOOL sent = TRUE;
  if (dc.raster.complexClipActive && IsComplex(image.clip) && operation == kCopy &&
      TryMaskMethod(dc, image, sent)) {
    return sent;
  }
  const bool direct = !image.paletteReady &&
                      PrepareImagePalette(dc, image.bits->iBitmapFormat, image.palette, operation);
  sent = dc.raster.complexClipActive && IsComplex(image.clip) ? SendPieces(dc, image)
                                                              : SendSimple(dc, image);
  if (direct) PopPrinterPalette(dc);
  return sent;
}

bool TwoColoursOf(const ImageView& image, std::uint32_t& first, std::uint32_t& other) {
  if (image.format != BMF_24BPP || image.Empty()) return false;
  first = PixelAt(image.Row(0), 24, 0);
  other = kWhite;
  bool haveOther = false;
  for (LONG r = 0; r < image.height; ++r) {
    const unsigned char* row = image.Row(r);
    for (LONG x = 0; x < image.width; ++x) {
      std::uint32_t c = PixelAt(row, 24, static_cast<std::uint64_t>(x));
      if (c == first || (haveOther && c == other)) continue;
      if (haveOther) return false;
      other = c;
      haveOther = true;
    }
  }
  return true;
}

bool SplitTwoColours(const ImageView& image, std::uint32_t first, ScratchBitmap& one) {
  if (!one.Create(image.width, image.height, BMF_1BPP)) return false;
  RECTL all{0, 0, image.width, image.height};
  EngEraseSurface(one.surface, &all, 0);
  for (LONG r = 0; r < image.height; ++r) {
    const unsigned char* row = image.Row(r);
    unsigned char* to = RowOf(one.surface, r);
    for (LONG x = 0; x < image.width; ++x) {
      if (PixelAt(row, 24, static_cast<std::uint64_t>(x)) != first) {
        OrPixel(to, 1, static_cast<std::uint64_t>(x), 1);
      }
    }
  }
  return true;
}

bool SendTwoColourImage(DeviceContext& dc, const PreparedImage& image, DWORD operation,
                        BOOL& sent) {
  if (image.bits == nullptr) return false;
  const ImageView view = ImageOf(*image.bits);
  std::uint32_t first = 0;
  std::uint32_t other = 0;
  if (!TwoColoursOf(view, first, other)) return false;
  ScratchBitmap one;
  if (!SplitTwoColours(view, first, one)) {
    sent = FALSE;
    return true;
  }
  PaletteRecord record;
  record.count = 2;
  record.SetColour(0, first);
  record.SetColour(1, other);
  RememberPalette(dc, record);
  PreparedImage twoColour = image;
  twoColour.bits = one.surface;
  twoColour.palette = &record;
  sent = SendGeneralImage(dc, twoColour, operation);
  return true;
}

BOOL SendMaskPass(DeviceContext& dc, SURFOBJ* mask, POINTL maskPoint, const RECTL& rect) {
  if (mask == nullptr || mask->iBitmapFormat != BMF_1BPP || mask->pvScan0 == nullptr) return FALSE;
  const RECTL r = rect;
  const LONG w = r.right - r.left;
  const LONG h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return TRUE;
  ScratchBitmap copy;
  if (!copy.Create(w, h, BMF_1BPP)) return FALSE;
  RECTL all{0, 0, w, h};
  EngEraseSurface(copy.surface, &all, 0);
  if (!EngCopyBits(copy.surface, mask, nullptr, nullptr, &all, &maskPoint)) return FALSE;
  PopRasterPalette(dc);
  SetColourMergeControl(dc, kMaskOr);
  WriteBlackWhitePush(dc);
  OneBitImage image{w,
                    h,
                    r.left,
                    r.top,
                    static_cast<const unsigned char*>(copy.surface->pvScan0),
                    copy.surface->lDelta};
  return SendOneBitImage(dc, dc.raster, image, PieceMethod(dc), OneBitFrame::kMask);
}

}  // namespace render
