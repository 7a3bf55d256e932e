// What the engine's own files share and the drivers never see: the tables of live
// engine objects, the surface and palette records behind their handles, and the
// pixel and raster-operation helpers of the software renderer.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/engine/ddi.h"

namespace platform::engine {

// A table of the engine objects alive in the process, from the public object a
// driver is handed to the engine's record behind it. An object a caller built by
// hand is not in the table; lookups then give null and the object functions fall
// back to the public members.
template <typename Public, typename Record>
class ObjectTable {
 public:
  void Add(const Public* object, Record* record) {
    std::lock_guard<std::mutex> guard(lock_);
    map_[object] = record;
  }
  void Remove(const Public* object) {
    std::lock_guard<std::mutex> guard(lock_);
    map_.erase(object);
  }
  Record* Find(const Public* object) const {
    if (object == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    auto it = map_.find(object);
    return it == map_.end() ? nullptr : it->second;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return map_.size();
  }

 private:
  mutable std::mutex lock_;
  std::unordered_map<const Public*, Record*> map_;
};

// ---------------------------------------------------------------------------
// Surfaces.

struct SurfaceState {
  FLONG hooks = 0;
  bool banding = false;
  bool associated = false;
};
// The state of a surface handle, when it is a live surface.
std::optional<SurfaceState> FindSurfaceState(HSURF hsurf);

// ---------------------------------------------------------------------------
// Palettes.

struct PaletteInfo {
  ULONG mode = 0;
  std::vector<ULONG> colors;  // PAL_INDEXED entries, 0x00BBGGRR
  FLONG masks[3] = {0, 0, 0};
};
std::optional<PaletteInfo> FindPalette(HPALETTE hpal);

// ---------------------------------------------------------------------------
// Engine devices (HDEV): one per enabled device context.

HDEV CreateEngineDevice(const std::u16string& driverPath, const std::u16string& dataFile);
void SetEngineDevicePdev(HDEV hdev, DHPDEV dhpdev);
DHPDEV FindEngineDevicePdev(HDEV hdev);
// The driver's DrvCopyBits, through which the engine hands what it drew for a
// device-managed surface to the device.
void SetEngineDeviceCopyBits(HDEV hdev, PFN_DrvCopyBits copyBits);
PFN_DrvCopyBits FindEngineDeviceCopyBits(HDEV hdev);
void DeleteEngineDevice(HDEV hdev);

// ---------------------------------------------------------------------------
// Pixels.

// Bits per pixel of a bitmap format; 0 for formats the engine does not draw.
int BitsPerPixel(ULONG format);
// Bytes of one scan line's pixels (without padding), in 64 bits.
ULONGLONG RowBytes(LONG width, ULONG format);
// True when the surface has bits the engine can draw into.
bool HasBits(const SURFOBJ* so);

inline BYTE* ScanLine(const SURFOBJ* so, LONG y) {
  return static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta;
}
ULONG ReadPixel(const SURFOBJ* so, LONG x, LONG y);
void WritePixel(const SURFOBJ* so, LONG x, LONG y, ULONG value);
// The colour index meaning white, black in a surface of this format: all ones, 0.
ULONG FormatMask(ULONG format);

// The ternary raster operation `rop` of pattern, source and target, bit by bit.
ULONG Rop3(BYTE rop, ULONG pattern, ULONG source, ULONG target);
inline bool RopUsesSource(BYTE rop) { return ((rop >> 2) ^ rop) & 0x33; }
inline bool RopUsesPattern(BYTE rop) { return ((rop >> 4) ^ rop) & 0x0F; }
inline bool RopUsesTarget(BYTE rop) { return ((rop >> 1) ^ rop) & 0x55; }
// The ternary operation of a mix's foreground code (R2_*).
BYTE MixToRop3(MIX mix);

// ---------------------------------------------------------------------------
// Rectangles.

inline RECTL Ordered(const RECTL& r) {
  return {r.left < r.right ? r.left : r.right, r.top < r.bottom ? r.top : r.bottom,
          r.left < r.right ? r.right : r.left, r.top < r.bottom ? r.bottom : r.top};
}
inline bool IsEmpty(const RECTL& r) { return r.right <= r.left || r.bottom <= r.top; }
inline RECTL Intersect(const RECTL& a, const RECTL& b) {
  return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
          a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

// The rectangles a drawing call may touch: the clip's rectangles (all of `limit`
// for a trivial or absent clip), each cut to `limit`, empty ones left out.
std::vector<RECTL> ClipRectangles(CLIPOBJ* pco, const RECTL& limit);

// ---------------------------------------------------------------------------
// Brushes: the pattern colour at a target pixel.

class PatternSource {
 public:
  // A brush for a target of `targetFormat`, with its origin. `ok` is false for a
  // brush without a colour or pattern the engine knows.
  PatternSource(BRUSHOBJ* pbo, const POINTL* origin);
  bool ok() const { return ok_; }
  ULONG At(LONG x, LONG y) const;
  bool solid() const { return solid_; }
  ULONG solidColor() const { return color_; }

 private:
  bool ok_ = false;
  bool solid_ = true;
  ULONG color_ = 0;
  const SURFOBJ* pattern_ = nullptr;
  XLATEOBJ* xlate_ = nullptr;
  POINTL origin_{0, 0};
};

// The pattern surface and colour translation of an engine brush (null for a
// solid brush or a brush built by hand).
struct BrushPattern {
  SURFOBJ* pattern = nullptr;
  XLATEOBJ* xlate = nullptr;
};
BrushPattern FindBrushPattern(BRUSHOBJ* pbo);

// Applies the ternary operation `rop` with the brush to the pixels [x0, x1) of row y.
void PaintSpan(const SURFOBJ* so, LONG y, LONG x0, LONG x1, BYTE rop, const PatternSource& brush);

// The region a filled path covers (the engine's fill rule: a pixel is inside when
// its centre is), cut to the clip and to `limit`, as rectangles of one or more
// rows, top to bottom. FALSE when the renderer runs out of memory.
bool PathRegion(PATHOBJ* ppo, FLONG fillOptions, CLIPOBJ* pco, const RECTL& limit,
                std::vector<RECTL>* region);

// The source colour of a translation as RGB (0x00BBGGRR), when the translation
// knows its source palette; else nullopt.
std::optional<ULONG> SourceRgb(XLATEOBJ* pxlo, ULONG sourceIndex, ULONG sourceFormat);
// The target index of an RGB colour: through the translation's target palette when
// it knows one, else the colour itself for direct-colour targets and, for 1-bit
// targets, 1 for white and 0 for every other colour (the printers' black-and-white
// palettes put black first).
ULONG TargetIndexForRgb(XLATEOBJ* pxlo, ULONG rgb, ULONG targetFormat);

}  // namespace platform::engine
