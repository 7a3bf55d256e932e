// The colour path of bitmap transfers: an image of the target rectangle,
// prepared in a temporary bitmap, sent with its palette and merge control,
// clipped by an input window, by a mask or in pieces; the two-colour
// shortcut for line art; and the mask pass that whitens the page under a mask.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"
#include "render/raster/raster_image.h"
#include "render/raster/raster_palette.h"

namespace render {

struct DeviceContext;

// A temporary engine bitmap, top-down and locked while it lives.
struct ScratchBitmap {
  HBITMAP handle = nullptr;
  SURFOBJ* surface = nullptr;
  [[nodiscard]] bool Create(LONG width, LONG height, ULONG format);
  ScratchBitmap() = default;
  ScratchBitmap(const ScratchBitmap&) = delete;
  ScratchBitmap& operator=(const ScratchBitmap&) = delete;
  ~ScratchBitmap();
};

// The erase value of a temporary bitmap: 0, 15, 255 for the indexed formats
// (index 0 and up), white for 24 bits.
ULONG EraseValue(ULONG format);

// An image ready to send: its bits (changed in place while it is sent: rows
// converted, pixels outside a clip whitened), where it goes, its clip and,
// for indexed formats, its palette record (never null for them).
struct PreparedImage {
  SURFOBJ* bits = nullptr;
  ImagePlacement place;
  CLIPOBJ* clip = nullptr;
  PaletteRecord* palette = nullptr;
  // The caller has set the merge control and pushed the palette for a run of
  // images (the strips of one copy), and pops it after the last.
  bool paletteReady = false;
};

// Sets up the printer for an image of `format`: the merge control, then the
// palette (converted first; never null for indexed formats) unless one is
// pushed. True when a direct-colour push was
// written, which the caller balances with PopPrinterPalette after the image.
bool PrepareImagePalette(DeviceContext& dc, ULONG format, const PaletteRecord* palette,
                         DWORD operation);

// The colours of a 24-bit image when it has at most two: the first pixel's
// and the other (white when there is none).
[[nodiscard]] bool TwoColoursOf(const ImageView& image, std::uint32_t& first, std::uint32_t& other);
// The one-bit image of a 24-bit one: 1 where the pixel is not `first`. False
// when the bitmap cannot be made.
[[nodiscard]] bool SplitTwoColours(const ImageView& image, std::uint32_t first,
                                   ScratchBitmap& oneBit);

// The general image output: the mask method for a complex clip under 0xCCCC
// when the palette has a white entry; otherwise the merge control, the
// palette pushed (converted first) and the image sent whole with an input
// window for a one-rectangle clip, or in pieces for a complex one. After a
// direct-colour image the printer's palette is popped again.
BOOL SendGeneralImage(DeviceContext& dc, PreparedImage& image, DWORD operation);

// The two-colour shortcut for a 24-bit image of at most two colours: sent as
// a one-bit image with a palette of its first pixel's colour and the other
// (white when there is none). Returns false, with nothing written, when the
// image has more colours (`sent` is then untouched) or is not 24 bits.
[[nodiscard]] bool SendTwoColourImage(DeviceContext& dc, const PreparedImage& image,
                                      DWORD operation, BOOL& sent);

// The mask pass: the one-bit mask (`mask` from `maskPoint`, the size of
// `rect`) sent under merge control 0xEEEE with the black-and-white palette,
// so that its 1 bits paint the page white. A pushed palette is popped first.
// FALSE for a mask that is not one bit per pixel, or when its copy cannot
// be made.
BOOL SendMaskPass(DeviceContext& dc, SURFOBJ* mask, POINTL maskPoint, const RECTL& rect);

}  // namespace render
