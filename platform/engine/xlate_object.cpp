// Colour translations between palettes, and the translation object functions.
#include <algorithm>
#include <atomic>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

struct Translation::Impl {
  XLATEOBJ xo{};
  std::vector<ULONG> table;
  PaletteInfo source;  // mode 0: unknown
  PaletteInfo target;

  Impl();
  Impl(const Impl& other);
  ~Impl();
  void Link() {
    xo.cEntries = static_cast<ULONG>(table.size());
    xo.pulXlate = table.empty() ? nullptr : table.data();
  }
};

namespace {

ObjectTable<XLATEOBJ, Translation::Impl>& Translations() {
  static auto* table = new ObjectTable<XLATEOBJ, Translation::Impl>;
  return *table;
}

std::atomic<ULONG> nextUniq{1};

ULONG SwapRedBlue(ULONG c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// The index of the palette entry nearest to an RGB colour (squared distance).
ULONG Nearest(const std::vector<ULONG>& colors, ULONG rgb) {
  ULONG best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    long dr = static_cast<long>(colors[i] & 0xFF) - static_cast<long>(rgb & 0xFF);
    long dg = static_cast<long>((colors[i] >> 8) & 0xFF) - static_cast<long>((rgb >> 8) & 0xFF);
    long db = static_cast<long>((colors[i] >> 16) & 0xFF) - static_cast<long>((rgb >> 16) & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = static_cast<ULONG>(i);
      bestDistance = d;
    }
  }
  return best;
}

// A colour given in a palette's terms as RGB (0x00BBGGRR).
std::optional<ULONG> ToRgb(const PaletteInfo& palette, ULONG index) {
  switch (palette.mode) {
    case PAL_INDEXED:
      if (index < palette.colors.size()) return palette.colors[index];
      return std::nullopt;
    case PAL_RGB:
      return index & 0x00FFFFFF;
    case PAL_BGR:
      return SwapRedBlue(index);
    default:
      return std::nullopt;
  }
}

ULONG FromRgb(const PaletteInfo& palette, ULONG rgb) {
  switch (palette.mode) {
    case PAL_INDEXED:
      return Nearest(palette.colors, rgb);
    case PAL_BGR:
      return SwapRedBlue(rgb);
    default:
      return rgb;
  }
}

}  // namespace

Translation::Impl::Impl() {
  xo.iUniq = nextUniq++;
  xo.flXlate = XO_TRIVIAL;
  Translations().Add(&xo, this);
}
Translation::Impl::Impl(const Impl& other)
    : xo(other.xo), table(other.table), source(other.source), target(other.target) {
  xo.iUniq = nextUniq++;
  Link();
  Translations().Add(&xo, this);
}
Translation::Impl::~Impl() { Translations().Remove(&xo); }

Translation Translation::Identity() { return Translation(); }

Translation Translation::Table(std::vector<ULONG> entries) {
  Translation t;
  t.impl_->xo.flXlate = XO_TABLE;
  t.impl_->xo.iSrcType = static_cast<USHORT>(PAL_INDEXED);
  t.impl_->table = std::move(entries);
  t.impl_->Link();
  return t;
}

Translation Translation::Between(HPALETTE source, HPALETTE target) {
  Translation t;
  Impl& impl = *t.impl_;
  impl.source = FindPalette(source).value_or(PaletteInfo{});
  impl.target = FindPalette(target).value_or(PaletteInfo{});
  impl.xo.iSrcType = static_cast<USHORT>(impl.source.mode);
  impl.xo.iDstType = static_cast<USHORT>(impl.target.mode);
  if (impl.source.mode == PAL_INDEXED) {
    for (ULONG c : impl.source.colors) impl.table.push_back(FromRgb(impl.target, c));
    impl.xo.flXlate = XO_TABLE;
    if (impl.target.mode == PAL_INDEXED && impl.target.colors.size() == 2) {
      impl.xo.flXlate |= XO_TO_MONO;
    }
  } else if (impl.source.mode == impl.target.mode) {
    impl.xo.flXlate = XO_TRIVIAL;
  } else {
    impl.xo.flXlate =
        impl.target.mode == PAL_INDEXED && impl.target.colors.size() == 2 ? XO_TO_MONO : 0;
  }
  impl.Link();
  return t;
}

Translation::Translation() : impl_(std::make_unique<Impl>()) {}
Translation::~Translation() = default;
Translation::Translation(const Translation& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
Translation& Translation::operator=(const Translation& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
Translation::Translation(Translation&& other) noexcept = default;
Translation& Translation::operator=(Translation&& other) noexcept = default;

XLATEOBJ* Translation::Get() const { return &impl_->xo; }

std::optional<ULONG> SourceRgb(XLATEOBJ* pxlo, ULONG sourceIndex, ULONG sourceFormat) {
  if (Translation::Impl* impl = Translations().Find(pxlo)) {
    if (impl->source.mode != 0) return ToRgb(impl->source, sourceIndex);
    return std::nullopt;
  }
  // No translation: a direct-colour source is taken as RGB.
  if (pxlo == nullptr && (sourceFormat == BMF_24BPP || sourceFormat == BMF_32BPP)) {
    return sourceIndex & 0x00FFFFFF;
  }
  return std::nullopt;
}

ULONG TargetIndexForRgb(XLATEOBJ* pxlo, ULONG rgb, ULONG targetFormat) {
  Translation::Impl* impl = Translations().Find(pxlo);
  if (impl != nullptr && impl->target.mode != 0) return FromRgb(impl->target, rgb);
  if (targetFormat == BMF_1BPP) return (rgb & 0x00FFFFFF) == 0x00FFFFFF ? 1 : 0;
  return rgb & 0x00FFFFFF;
}

}  // namespace platform::engine

QXAPI ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor) {
  if (pxlo == nullptr || (pxlo->flXlate & XO_TRIVIAL)) return iColor;
  if (pxlo->flXlate & XO_TABLE) {
    return iColor < pxlo->cEntries && pxlo->pulXlate ? pxlo->pulXlate[iColor] : 0;
  }
  auto* impl = platform::engine::Translations().Find(pxlo);
  if (impl == nullptr) return iColor;
  std::optional<ULONG> rgb = platform::engine::ToRgb(impl->source, iColor);
  return platform::engine::FromRgb(impl->target, rgb.value_or(iColor));
}

QXAPI ULONG XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal) {
  auto* impl = platform::engine::Translations().Find(pxlo);
  if (impl == nullptr) return 0;
  const platform::engine::PaletteInfo* palette = nullptr;
  if (iPal == XO_SRCPALETTE) palette = &impl->source;
  if (iPal == XO_DESTPALETTE || iPal == XO_DESTDCPALETTE) palette = &impl->target;
  if (palette == nullptr || palette->mode != PAL_INDEXED) return 0;
  ULONG n = static_cast<ULONG>(palette->colors.size());
  if (pPal == nullptr) return n;
  n = std::min(n, cPal);
  std::copy_n(palette->colors.begin(), n, pPal);
  return n;
}
