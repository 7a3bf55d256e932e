// Brushes (solid, hatch, pattern), the driver's realisations of them, and the
// engine bitmaps the builders share.
#include <cstdlib>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

// ---------------------------------------------------------------------------
// Bitmaps.

struct Bitmap::Holder {
  HSURF hsurf = nullptr;
  SURFOBJ* so = nullptr;
  ~Holder() {
    EngUnlockSurface(so);
    EngDeleteSurface(hsurf);
  }
};

Bitmap::Bitmap() = default;

Bitmap Bitmap::Create(SIZEL size, ULONG format, FLONG flags) {
  Bitmap b;
  HBITMAP hbm = EngCreateBitmap(size, 0, format, flags, nullptr);
  if (hbm == nullptr) return b;
  auto holder = std::make_shared<Holder>();
  holder->hsurf = reinterpret_cast<HSURF>(hbm);
  holder->so = EngLockSurface(holder->hsurf);
  b.holder_ = std::move(holder);
  return b;
}

bool Bitmap::valid() const { return holder_ && holder_->so; }
HSURF Bitmap::handle() const { return holder_ ? holder_->hsurf : nullptr; }
SURFOBJ* Bitmap::Get() const { return holder_ ? holder_->so : nullptr; }

// ---------------------------------------------------------------------------
// Brushes.

namespace {

// The engine's 8 x 8 hatch patterns, one byte per row from the top, 1 = line.
// clang-format off
constexpr BYTE kHatchRows[HS_DDI_MAX][8] = {
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};
// clang-format on

enum class BrushKind { kSolid, kHatch, kPattern };

// The hatch index a pattern brush is realised with: past the hatches, and past
// HS_DDI_MAX, which the engine gives the pattern it makes of a solid colour.
constexpr ULONG kPatternHatchIndex = HS_DDI_MAX + 1;

}  // namespace

struct Brush::Impl {
  BRUSHOBJ bo{0xFFFFFFFF, nullptr, 0};
  BrushKind kind = BrushKind::kSolid;
  ULONG rgb = 0xFFFFFFFF;
  ULONG hatch = HS_DDI_MAX;
  Bitmap pattern;       // hatch or pattern bits
  Translation xlate;    // pattern index -> target index
  Bitmap solidPattern;  // made when a solid brush is realised
  void* realization = nullptr;
  PFN_DrvRealizeBrush realize = nullptr;
  SURFOBJ* target = nullptr;

  Impl();
  Impl(const Impl& other);
  ~Impl();
};

namespace {

ObjectTable<BRUSHOBJ, Brush::Impl>& Brushes() {
  static auto* table = new ObjectTable<BRUSHOBJ, Brush::Impl>;
  return *table;
}

Bitmap HatchBitmap(ULONG style) {
  Bitmap b = Bitmap::Create({8, 8}, BMF_1BPP, BMF_TOPDOWN);
  if (!b.valid()) return b;
  for (LONG y = 0; y < 8; ++y) ScanLine(b.Get(), y)[0] = kHatchRows[style][y];
  return b;
}

}  // namespace

Brush::Impl::Impl() { Brushes().Add(&bo, this); }
Brush::Impl::Impl(const Impl& other)
    : kind(other.kind),
      rgb(other.rgb),
      hatch(other.hatch),
      pattern(other.pattern),
      xlate(other.xlate),
      realize(other.realize),
      target(other.target) {
  bo.iSolidColor = other.bo.iSolidColor;
  bo.flColorType = other.bo.flColorType;
  Brushes().Add(&bo, this);
}
Brush::Impl::~Impl() {
  Brushes().Remove(&bo);
  std::free(realization);
}

Brush Brush::Solid(ULONG colorIndex, ULONG rgb) {
  Brush b;
  b.impl_->bo.iSolidColor = colorIndex;
  b.impl_->rgb = rgb;
  return b;
}

Brush Brush::Hatch(ULONG style, ULONG foreIndex, ULONG backIndex) {
  Brush b;
  b.impl_->kind = BrushKind::kHatch;
  b.impl_->hatch = style < HS_DDI_MAX ? style : HS_HORIZONTAL;
  b.impl_->pattern = HatchBitmap(b.impl_->hatch);
  b.impl_->xlate = Translation::Table({backIndex, foreIndex});
  return b;
}

Brush Brush::Pattern(const Bitmap& pattern, const Translation& translation) {
  Brush b;
  b.impl_->kind = BrushKind::kPattern;
  b.impl_->hatch = kPatternHatchIndex;
  b.impl_->pattern = pattern;
  b.impl_->xlate = translation;
  return b;
}

Brush::Brush() : impl_(std::make_unique<Impl>()) {}
Brush::~Brush() = default;
Brush::Brush(const Brush& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
Brush& Brush::operator=(const Brush& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
Brush::Brush(Brush&& other) noexcept = default;
Brush& Brush::operator=(Brush&& other) noexcept = default;

void Brush::BindRealizer(PFN_DrvRealizeBrush realize, SURFOBJ* target) const {
  impl_->realize = realize;
  impl_->target = target;
}

BRUSHOBJ* Brush::Get() const { return &impl_->bo; }

BrushPattern FindBrushPattern(BRUSHOBJ* pbo) {
  Brush::Impl* impl = Brushes().Find(pbo);
  if (impl == nullptr || impl->kind == BrushKind::kSolid) return {};
  return {impl->pattern.Get(), impl->xlate.Get()};
}

PatternSource::PatternSource(BRUSHOBJ* pbo, const POINTL* origin) {
  if (origin != nullptr) origin_ = *origin;
  if (pbo == nullptr) return;
  if (pbo->iSolidColor != 0xFFFFFFFF) {
    color_ = pbo->iSolidColor;
    ok_ = true;
    return;
  }
  BrushPattern p = FindBrushPattern(pbo);
  if (!HasBits(p.pattern)) return;
  pattern_ = p.pattern;
  xlate_ = p.xlate;
  solid_ = false;
  ok_ = true;
}

ULONG PatternSource::At(LONG x, LONG y) const {
  if (solid_) return color_;
  LONG w = pattern_->sizlBitmap.cx;
  LONG h = pattern_->sizlBitmap.cy;
  LONG px = ((x - origin_.x) % w + w) % w;
  LONG py = ((y - origin_.y) % h + h) % h;
  return XLATEOBJ_iXlate(xlate_, ReadPixel(pattern_, px, py));
}

}  // namespace platform::engine

using platform::engine::Brushes;

QXAPI PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
  auto* impl = Brushes().Find(pbo);
  if (impl == nullptr || cj == 0 || platform::AllocationShouldFail()) {
    SetLastError(impl == nullptr || cj == 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* p = std::calloc(1, cj);
  if (p == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // The realisation is attached by the driver (pbo->pvRbrush = p) when it succeeds;
  // the engine owns the memory either way and frees it with the brush.
  std::free(impl->realization);
  impl->realization = p;
  return p;
}

QXAPI PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
  if (pbo == nullptr) return nullptr;
  if (pbo->pvRbrush != nullptr) return pbo->pvRbrush;
  auto* impl = Brushes().Find(pbo);
  if (impl == nullptr || impl->realize == nullptr || impl->target == nullptr) return nullptr;
  using platform::engine::Bitmap;
  SURFOBJ* pattern = impl->pattern.Get();
  if (impl->kind == platform::engine::BrushKind::kSolid) {
    // A solid brush is offered as an 8 x 8 pattern of its colour in the target's format.
    if (!impl->solidPattern.valid()) {
      impl->solidPattern = Bitmap::Create({8, 8}, impl->target->iBitmapFormat, BMF_TOPDOWN);
      if (SURFOBJ* so = impl->solidPattern.Get()) {
        RECTL all{0, 0, 8, 8};
        EngEraseSurface(so, &all, pbo->iSolidColor);
      }
    }
    pattern = impl->solidPattern.Get();
  }
  if (pattern == nullptr) return nullptr;
  XLATEOBJ* xlate = impl->kind == platform::engine::BrushKind::kSolid ? nullptr : impl->xlate.Get();
  if (!impl->realize(pbo, impl->target, pattern, nullptr, xlate, impl->hatch)) return nullptr;
  // A driver that allocated its realisation but did not attach it still has it.
  if (pbo->pvRbrush == nullptr) pbo->pvRbrush = impl->realization;
  return pbo->pvRbrush;
}

QXAPI ULONG BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo) {
  auto* impl = Brushes().Find(pbo);
  return impl ? impl->rgb : 0xFFFFFFFF;
}
