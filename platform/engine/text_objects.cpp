// Strings and fonts: glyph positions in batches, the font's metrics block, its
// transform, and the glyph images and outlines the engine hands out one at a time.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

#include "platform/base/codepage.h"
#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

// ---------------------------------------------------------------------------
// Strings.

struct TextString::Impl {
  STROBJ so{};
  std::vector<GLYPHPOS> positions;
  std::u16string text;
  ULONG batch = 0;  // 0: all at once
  DWORD codePage = 0;
  std::size_t cursor = 0;

  Impl() { Table().Add(&so, this); }
  Impl(const Impl& other)
      : so(other.so),
        positions(other.positions),
        text(other.text),
        batch(other.batch),
        codePage(other.codePage) {
    Link();
    Table().Add(&so, this);
  }
  ~Impl() { Table().Remove(&so); }
  void Link() {
    so.cGlyphs = static_cast<ULONG>(positions.size());
    bool whole = batch == 0 || batch >= positions.size();
    so.pgp = whole && !positions.empty() ? positions.data() : nullptr;
    so.pwszOrg = text.empty() ? nullptr : text.data();
  }
  static ObjectTable<STROBJ, Impl>& Table() {
    static auto* table = new ObjectTable<STROBJ, Impl>;
    return *table;
  }
};

TextString::TextString() : impl_(std::make_unique<Impl>()) {}
TextString::TextString(std::vector<GlyphPlacement> glyphs, std::u16string text, FLONG flAccel)
    : impl_(std::make_unique<Impl>()) {
  for (const GlyphPlacement& g : glyphs) impl_->positions.push_back({g.hg, nullptr, g.ptl});
  impl_->text = std::move(text);
  impl_->so.flAccel = flAccel;
  impl_->Link();
}
TextString::~TextString() = default;
TextString::TextString(const TextString& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
TextString& TextString::operator=(const TextString& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
TextString::TextString(TextString&& other) noexcept = default;
TextString& TextString::operator=(TextString&& other) noexcept = default;

TextString& TextString::SetBackground(const RECTL& rect) {
  impl_->so.rclBkGround = rect;
  return *this;
}
TextString& TextString::SetCharInc(ULONG inc) {
  impl_->so.ulCharInc = inc;
  return *this;
}
TextString& TextString::SetCodePage(DWORD codePage) {
  impl_->codePage = codePage;
  return *this;
}
TextString& TextString::SetBatchSize(ULONG n) {
  impl_->batch = n;
  impl_->Link();
  return *this;
}

TextString TextString::Offset(LONG dx, LONG dy) const {
  TextString moved(*this);
  for (GLYPHPOS& g : moved.impl_->positions) g.ptl = {g.ptl.x + dx, g.ptl.y + dy};
  RECTL& bk = moved.impl_->so.rclBkGround;
  bk = {bk.left + dx, bk.top + dy, bk.right + dx, bk.bottom + dy};
  return moved;
}

STROBJ* TextString::Get() const {
  impl_->Link();
  return &impl_->so;
}

// ---------------------------------------------------------------------------
// Fonts.

namespace {

std::atomic<ULONG> nextFontUniq{1};

struct Glyph {
  GLYPHDATA data{};
  std::vector<std::uint64_t> bits;  // a GLYPHBITS block, 8-byte aligned
  std::unique_ptr<Path> outline;
};

}  // namespace

struct Font::Impl {
  FONTOBJ fo{};
  std::vector<std::uint64_t> metrics;  // the IFIMETRICS block with its names
  Transform transform;
  std::map<HGLYPH, Glyph> glyphs;

  Impl() {
    fo.iUniq = nextFontUniq++;
    Table().Add(&fo, this);
  }
  ~Impl() { Table().Remove(&fo); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  static ObjectTable<FONTOBJ, Impl>& Table() {
    static auto* table = new ObjectTable<FONTOBJ, Impl>;
    return *table;
  }
};

Font::Font() : impl_(std::make_shared<Impl>()) {}

Font& Font::SetMetrics(const IFIMETRICS& metrics, const std::u16string& family,
                       const std::u16string& style, const std::u16string& face,
                       const std::u16string& unique) {
  // The block: the metrics, then the four names, each zero-terminated.
  std::size_t size = sizeof(IFIMETRICS);
  std::size_t offsets[4];
  const std::u16string* names[4] = {&family, &style, &face, &unique};
  for (int i = 0; i < 4; ++i) {
    offsets[i] = size;
    size += (names[i]->size() + 1) * sizeof(WCHAR);
  }
  impl_->metrics.assign((size + 7) / 8, 0);
  auto* bytes = reinterpret_cast<BYTE*>(impl_->metrics.data());
  IFIMETRICS ifi = metrics;
  ifi.cjThis = static_cast<ULONG>(size);
  ifi.dpwszFamilyName = static_cast<PTRDIFF>(offsets[0]);
  ifi.dpwszStyleName = static_cast<PTRDIFF>(offsets[1]);
  ifi.dpwszFaceName = static_cast<PTRDIFF>(offsets[2]);
  ifi.dpwszUniqueName = static_cast<PTRDIFF>(offsets[3]);
  std::memcpy(bytes, &ifi, sizeof(ifi));
  for (int i = 0; i < 4; ++i) {
    std::memcpy(bytes + offsets[i], names[i]->data(), names[i]->size() * sizeof(WCHAR));
  }
  return *this;
}

Font& Font::SetType(FLONG flFontType) {
  impl_->fo.flFontType = flFontType;
  return *this;
}

Font& Font::SetIdentity(ULONG iUniq, ULONG_PTR iTTUniq, ULONG iFace) {
  impl_->fo.iUniq = iUniq;
  impl_->fo.iTTUniq = iTTUniq;
  impl_->fo.iFace = iFace;
  return *this;
}

Font& Font::SetTransform(const Transform& transform) {
  impl_->transform = transform;
  return *this;
}

Font& Font::AddGlyphBits(HGLYPH hg, POINTL origin, SIZEL size, std::vector<BYTE> rows) {
  Glyph& g = impl_->glyphs[hg];
  std::size_t rowBytes = size.cx > 0 ? (static_cast<std::size_t>(size.cx) + 7) / 8 : 0;
  std::size_t data = rowBytes * static_cast<std::size_t>(size.cy > 0 ? size.cy : 0);
  rows.resize(data, 0);
  std::size_t total = offsetof(GLYPHBITS, aj) + std::max<std::size_t>(data, 1);
  g.bits.assign((total + 7) / 8, 0);
  auto* gb = reinterpret_cast<GLYPHBITS*>(g.bits.data());
  gb->ptlOrigin = origin;
  gb->sizlBitmap = size;
  if (data > 0)
    std::memcpy(reinterpret_cast<BYTE*>(gb) + offsetof(GLYPHBITS, aj), rows.data(), data);
  g.data.hg = hg;
  g.data.fxD = ToFix(size.cx);
  g.data.fxA = ToFix(origin.x);
  g.data.fxAB = ToFix(origin.x + size.cx);
  g.data.fxInkTop = ToFix(-origin.y);
  g.data.fxInkBottom = ToFix(-(origin.y + size.cy));
  g.data.rclInk = {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  g.data.ptqD.x.HighPart = size.cx;
  if (impl_->fo.cxMax < static_cast<ULONG>(std::max<LONG>(size.cx, 0))) {
    impl_->fo.cxMax = static_cast<ULONG>(size.cx);
  }
  return *this;
}

Font& Font::AddGlyphOutline(HGLYPH hg, const Path& outline) {
  Glyph& g = impl_->glyphs[hg];
  g.data.hg = hg;
  g.outline = std::make_unique<Path>(outline);
  return *this;
}

FONTOBJ* Font::Get() const { return &impl_->fo; }

}  // namespace platform::engine

using StringImpl = platform::engine::TextString::Impl;
using FontImpl = platform::engine::Font::Impl;

QXAPI void STROBJ_vEnumStart(STROBJ* pstro) {
  if (StringImpl* impl = StringImpl::Table().Find(pstro)) impl->cursor = 0;
}

QXAPI BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos) {
  if (pc != nullptr) *pc = 0;
  if (ppgpos != nullptr) *ppgpos = nullptr;
  StringImpl* impl = StringImpl::Table().Find(pstro);
  if (impl == nullptr || pc == nullptr || ppgpos == nullptr) {
    // A string built by hand: its pgp array, all at once.
    if (pstro != nullptr && pc != nullptr && ppgpos != nullptr && pstro->pgp != nullptr) {
      *pc = pstro->cGlyphs;
      *ppgpos = pstro->pgp;
    }
    return FALSE;
  }
  std::size_t left = impl->positions.size() - std::min(impl->cursor, impl->positions.size());
  std::size_t n = impl->batch == 0 ? left : std::min<std::size_t>(impl->batch, left);
  if (n == 0) return FALSE;
  *pc = static_cast<ULONG>(n);
  *ppgpos = impl->positions.data() + impl->cursor;
  impl->cursor += n;
  return impl->cursor < impl->positions.size();
}

QXAPI DWORD STROBJ_dwGetCodePage(STROBJ* pstro) {
  StringImpl* impl = StringImpl::Table().Find(pstro);
  return impl != nullptr && impl->codePage != 0 ? impl->codePage : GetACP();
}

QXAPI IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo) {
  FontImpl* impl = FontImpl::Table().Find(pfo);
  if (impl == nullptr || impl->metrics.empty()) return nullptr;
  return reinterpret_cast<IFIMETRICS*>(impl->metrics.data());
}

QXAPI XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
  FontImpl* impl = FontImpl::Table().Find(pfo);
  return impl ? impl->transform.Get() : nullptr;
}

QXAPI ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg,
                               PVOID* ppvGlyph) {
  if (ppvGlyph != nullptr) *ppvGlyph = nullptr;
  FontImpl* impl = FontImpl::Table().Find(pfo);
  if (impl == nullptr || cGlyph == 0 || phg == nullptr || ppvGlyph == nullptr) return 0;
  auto it = impl->glyphs.find(phg[0]);
  if (it == impl->glyphs.end()) return 0;
  platform::engine::Glyph& g = it->second;
  if (iMode == FO_GLYPHBITS) {
    if (g.bits.empty()) return 0;
    g.data.gdf.pgb = reinterpret_cast<GLYPHBITS*>(g.bits.data());
  } else if (iMode == FO_PATHOBJ) {
    if (!g.outline) return 0;
    g.data.gdf.ppo = g.outline->Get();
    PATHOBJ_vEnumStart(g.data.gdf.ppo);
  } else {
    return 0;
  }
  *ppvGlyph = &g.data;
  return 1;
}

QXAPI ULONG FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg) {
  FontImpl* impl = FontImpl::Table().Find(pfo);
  if (impl == nullptr) return 0;
  if (phg != nullptr) {
    for (const auto& [hg, glyph] : impl->glyphs) *phg++ = hg;
  }
  return static_cast<ULONG>(impl->glyphs.size());
}
