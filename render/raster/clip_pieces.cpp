// Piecewise output of images under complex clips.
#include "render/raster/clip_pieces.h"

#include <algorithm>

#include "render/core/device_context.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/image_rows.h"
#include "render/raster/raster_strips.h"
#include "render/raster/rotation.h"

namespace render {
namespace {

// No clip of a real page has more rectangles; a clip that claims more is taken
// as broken rather than enumerated for ever.
constexpr std::size_t kMaxClipRects = std::size_t{1} << 24;

struct EnumBuffer {
  ULONG c;
  RECTL arcl[32];
};

// Enumerates the clip from its start, storing up to `capacity` rectangles
// (none when `rects` is null); returns how many it met, or kMaxClipRects + 1.
std::size_t EnumerateClip(CLIPOBJ* clip, ULONG direction, RECTL* rects, std::size_t capacity) {
  CLIPOBJ_cEnumStart(clip, FALSE, CT_RECTANGLES, direction, 0);
  std::size_t total = 0;
  BOOL more;
  do {
    EnumBuffer buffer{};
    more = CLIPOBJ_bEnum(clip, sizeof buffer, reinterpret_cast<ULONG*>(&buffer));
    const std::size_t got = std::min<std::size_t>(buffer.c, std::size(buffer.arcl));
    for (std::size_t i = 0; i < got; ++i, ++total) {
      if (rects != nullptr && total < capacity) rects[total] = buffer.arcl[i];
    }
    if (total > kMaxClipRects) return total;
  } while (more);
  return total;
}

bool Touches(const RECTL& piece, LONG top, LONG bottom) {
  return top <= piece.bottom && bottom >= piece.top;
}

LONG DestWidth(const ImageView& image, const ImagePlacement& place) {
  return place.scaled ? place.destWidth : image.width;
}
LONG DestHeight(const ImageView& image, const ImagePlacement& place) {
  return place.scaled ? place.destHeight : image.height;
}

// A scale factor in whole units: destination × 100 / source / 100, at least 1.
LONG WholeFactor(LONG destination, LONG source) {
  if (source <= 0) return 1;
  std::int64_t f = std::int64_t{destination} * 100 / source / 100;
  return static_cast<LONG>(std::clamp<std::int64_t>(f, 1, INT32_MAX));
}

// Rows `first` to `last` - 1 of an image as an image of their own.
ImageView RowsOf(const ImageView& image, LONG first, LONG last) {
  ImageView part = image;
  part.top = image.Row(first);
  part.height = last - first;
  return part;
}

// Sends the turned rows of one column piece.
void SendPiece(DeviceContext& dc, RasterState& state, const ImageView& turned, const RECTL& piece,
               const RECTL& area, const ImagePlacement& place, LONG factor, int method) {
  SetInputWindow(dc, state, piece);
  const std::int64_t m = (std::int64_t{piece.left} - area.left) / factor;
  std::int64_t n = (std::int64_t{piece.right} - area.left + factor - 1) / factor;
  n = std::min<std::int64_t>(n, turned.height);
  if (m < 0 || m >= n) return;
  const LONG destHeight = area.bottom - area.top;
  const LONG bottom = destHeight == 0 ? area.top : area.top + destHeight - 1;
  ImagePlacement at{piece.left, bottom, destHeight, piece.right - piece.left, place.scaled};
  (void)WriteRasterImage(dc, RowsOf(turned, static_cast<LONG>(m), static_cast<LONG>(n)), at,
                         method);
}

}  // namespace

bool CollectClipRects(HANDLE heap, CLIPOBJ* clip, bool bottomUp, ClipList& list) {
  list = {};
  list.heap = heap;
  if (clip == nullptr) return true;
  const ULONG direction = bottomUp ? CD_RIGHTUP : CD_RIGHTDOWN;
  const std::size_t count = EnumerateClip(clip, direction, nullptr, 0);
  if (count > kMaxClipRects) return false;
  list.rects = reinterpret_cast<RECTL*>(TakeWorkArea(heap, count * sizeof(RECTL), false));
  if (list.rects == nullptr) return false;
  list.count = std::min(count, EnumerateClip(clip, direction, list.rects, count));
  return true;
}

void FreeClipRects(ClipList& list) {
  ReleaseWorkArea(list.heap, list.rects);
  list = {};
}

std::size_t BuildColumnPieces(const RECTL* rects, std::size_t count, const RECTL& image,
                              RECTL* pieces, std::size_t capacity) {
  std::size_t n = 0;
  RECTL last{};  // the latest piece, open or closed
  auto store = [&] {
    if (pieces != nullptr && n - 1 < capacity) pieces[n - 1] = last;
  };
  for (LONG x = image.left; x < image.right; ++x) {
    for (std::size_t i = 0; i < count; ++i) {
      const RECTL& r = rects[i];
      if (EmptyRect(r)) continue;
      const LONG top = std::max(r.top, image.top);
      const LONG bottom = std::min(r.bottom, image.bottom);
      if (top >= bottom) continue;
      // A rectangle that misses the column closes the open piece; one that
      // touches the latest piece of the column (open, or closed and ending
      // where this begins) joins it.
      if (x < r.left || x >= r.right) continue;
      if (n > 0 && last.left == x && Touches(last, top, bottom)) {
        last.top = std::min(last.top, top);
        last.bottom = std::max(last.bottom, bottom);
      } else {
        ++n;
        last = RECTL{x, top, x + 1, bottom};
      }
      store();
    }
  }
  return n;
}

BOOL SendRotatedPieces(DeviceContext& dc, RasterState& state, const ImageView& image,
                       const ImagePlacement& place, const ClipList& clip, int method,
                       bool convert) {
  const LONG destWidth = DestWidth(image, place);
  const LONG destHeight = DestHeight(image, place);
  if (image.Empty() || destWidth <= 0 || destHeight <= 0) return TRUE;
  const RECTL area{place.x, place.y, place.x + destWidth, place.y + destHeight};
  OwnedImage turned;
  if (!RotateImage(dc.heap, image, turned)) return FALSE;
  if (convert && image.format == BMF_24BPP) {
    // The turned copy is converted rather than the caller's bitmap; conversion
    // is per pixel, so before or after the turn gives the same pixels.
    const std::size_t pixels =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (ColourMode(dc) == 2) {
      ConvertMonoPixelRun(dc, turned.bits, pixels, 24);
    } else {
      ConvertPixelRun(dc, turned.bits, pixels, 24);
    }
  }
  const std::size_t count = BuildColumnPieces(clip.rects, clip.count, area, nullptr, 0);
  auto* pieces = reinterpret_cast<RECTL*>(TakeWorkArea(dc.heap, count * sizeof(RECTL), false));
  if (pieces == nullptr) {
    FreeOwnedImage(turned);
    return FALSE;
  }
  BuildColumnPieces(clip.rects, clip.count, area, pieces, count);
  const LONG factor = place.scaled ? WholeFactor(destWidth, image.width) : 1;
  for (std::size_t i = 0; i < count; ++i) {
    SendPiece(dc, state, turned.view, pieces[i], area, place, factor, method);
  }
  ResetInputWindow(dc, state);
  ReleaseWorkArea(dc.heap, pieces);
  FreeOwnedImage(turned);
  return TRUE;
}

BOOL SendScaledRectangles(DeviceContext& dc, RasterState& state, const ImageView& image,
                          const ImagePlacement& place, const ClipList& clip, int method) {
  const LONG destHeight = DestHeight(image, place);
  if (image.Empty() || DestWidth(image, place) <= 0 || destHeight <= 0) return TRUE;
  const LONG vertical = WholeFactor(destHeight, image.height);
  ImagePlacement scaled = place;
  scaled.scaled = true;
  const std::int64_t imageBottom = std::int64_t{place.y} + destHeight;
  for (std::size_t i = 0; i < clip.count; ++i) {
    const RECTL& r = clip.rects[i];
    if (EmptyRect(r)) continue;
    const LONG top = std::max(r.top, place.y);
    const LONG bottom = static_cast<LONG>(std::min<std::int64_t>(r.bottom, imageBottom));
    for (LONG row = top; row < bottom; ++row) {
      SetInputWindow(dc, state, RECTL{r.left, row, r.right, row + 1});
      const LONG source = std::min<LONG>((row - place.y) / vertical, image.height - 1);
      (void)WriteRasterImage(dc, RowsOf(image, source, source + 1), scaled, method);
    }
  }
  ResetInputWindow(dc, state);
  return TRUE;
}

}  // namespace render
