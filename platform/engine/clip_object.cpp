// Clip regions: none, one rectangle or a set of rectangles, and their enumeration.
#include <algorithm>
#include <atomic>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

struct Clip::Impl {
  CLIPOBJ co{};
  std::vector<RECTL> rects;  // DC_RECT: the one rectangle; DC_COMPLEX: all
  bool emptyRegion = false;
  std::vector<RECTL> order;  // the enumeration under way
  std::size_t cursor = 0;

  Impl();
  Impl(const Impl& other);
  ~Impl();
  void Set(BYTE complexity, std::vector<RECTL> list);
};

namespace {

ObjectTable<CLIPOBJ, Clip::Impl>& Clips() {
  static auto* table = new ObjectTable<CLIPOBJ, Clip::Impl>;
  return *table;
}

std::atomic<ULONG> nextUniq{1};

// A clip object built by hand has no record of its own: its enumeration (its
// bounds, once) is kept per thread.
thread_local const CLIPOBJ* plainClip = nullptr;
thread_local bool plainClipDone = true;

void SortForDirection(std::vector<RECTL>& rects, ULONG direction) {
  auto down = [](const RECTL& a, const RECTL& b) { return a.top != b.top ? a.top < b.top : false; };
  auto up = [](const RECTL& a, const RECTL& b) {
    return a.bottom != b.bottom ? a.bottom > b.bottom : false;
  };
  switch (direction) {
    case CD_RIGHTDOWN:
      std::stable_sort(rects.begin(), rects.end(), [&](const RECTL& a, const RECTL& b) {
        return a.top != b.top ? down(a, b) : a.left < b.left;
      });
      break;
    case CD_LEFTDOWN:
      std::stable_sort(rects.begin(), rects.end(), [&](const RECTL& a, const RECTL& b) {
        return a.top != b.top ? down(a, b) : a.left > b.left;
      });
      break;
    case CD_RIGHTUP:
      std::stable_sort(rects.begin(), rects.end(), [&](const RECTL& a, const RECTL& b) {
        return a.bottom != b.bottom ? up(a, b) : a.left < b.left;
      });
      break;
    case CD_LEFTUP:
      std::stable_sort(rects.begin(), rects.end(), [&](const RECTL& a, const RECTL& b) {
        return a.bottom != b.bottom ? up(a, b) : a.left > b.left;
      });
      break;
    default:  // CD_ANY: as stored
      break;
  }
}

RECTL Union(const std::vector<RECTL>& rects) {
  if (rects.empty()) return {0, 0, 0, 0};
  RECTL u = rects[0];
  for (const RECTL& r : rects) {
    u.left = std::min(u.left, r.left);
    u.top = std::min(u.top, r.top);
    u.right = std::max(u.right, r.right);
    u.bottom = std::max(u.bottom, r.bottom);
  }
  return u;
}

}  // namespace

Clip::Impl::Impl() {
  co.iUniq = nextUniq++;
  Clips().Add(&co, this);
}
Clip::Impl::Impl(const Impl& other)
    : co(other.co), rects(other.rects), emptyRegion(other.emptyRegion) {
  co.iUniq = nextUniq++;
  Clips().Add(&co, this);
}
Clip::Impl::~Impl() { Clips().Remove(&co); }

void Clip::Impl::Set(BYTE complexity, std::vector<RECTL> list) {
  std::erase_if(list, [](const RECTL& r) { return IsEmpty(r); });
  emptyRegion = list.empty();
  if (list.size() == 1) complexity = DC_RECT;
  co.iDComplexity = complexity;
  co.iFComplexity = list.size() <= 1 ? FC_RECT : list.size() <= 4 ? FC_RECT4 : FC_COMPLEX;
  co.iMode = TC_RECTANGLES;
  co.fjOptions = 0;
  co.rclBounds = Union(list);
  rects = std::move(list);
}

Clip Clip::None(RECTL bounds) {
  Clip c;
  c.impl_->co.iDComplexity = DC_TRIVIAL;
  c.impl_->co.iFComplexity = FC_RECT;
  c.impl_->co.rclBounds = bounds;
  return c;
}

Clip Clip::Rectangle(const RECTL& rect) {
  Clip c;
  c.impl_->Set(DC_RECT, {Ordered(rect)});
  return c;
}

Clip Clip::Region(std::vector<RECTL> rects) {
  Clip c;
  for (RECTL& r : rects) r = Ordered(r);
  c.impl_->Set(DC_COMPLEX, std::move(rects));
  return c;
}

Clip::Clip() : impl_(std::make_unique<Impl>()) {}
Clip::~Clip() = default;
Clip::Clip(const Clip& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
Clip& Clip::operator=(const Clip& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
Clip::Clip(Clip&& other) noexcept = default;
Clip& Clip::operator=(Clip&& other) noexcept = default;

BYTE Clip::complexity() const { return impl_->co.iDComplexity; }
const std::vector<RECTL>& Clip::rectangles() const { return impl_->rects; }
RECTL Clip::bounds() const { return impl_->co.rclBounds; }
bool Clip::empty() const { return impl_->co.iDComplexity != DC_TRIVIAL && impl_->emptyRegion; }

Clip Clip::Offset(LONG dx, LONG dy) const {
  Clip moved(*this);
  auto shift = [dx, dy](RECTL& r) { r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; };
  for (RECTL& r : moved.impl_->rects) shift(r);
  shift(moved.impl_->co.rclBounds);
  return moved;
}

Clip Clip::Intersect(const RECTL& limit) const {
  if (impl_->co.iDComplexity == DC_TRIVIAL) return *this;
  Clip cut(*this);
  std::vector<RECTL> list;
  for (const RECTL& r : impl_->rects) list.push_back(platform::engine::Intersect(r, limit));
  cut.impl_->Set(impl_->co.iDComplexity, std::move(list));
  return cut;
}

CLIPOBJ* Clip::Get() const { return &impl_->co; }

std::vector<RECTL> ClipRectangles(CLIPOBJ* pco, const RECTL& limit) {
  std::vector<RECTL> out;
  auto add = [&](const RECTL& r) {
    RECTL cut = platform::engine::Intersect(r, limit);
    if (!IsEmpty(cut)) out.push_back(cut);
  };
  if (pco == nullptr || pco->iDComplexity == DC_TRIVIAL) {
    add(limit);
  } else if (Clip::Impl* impl = Clips().Find(pco)) {
    for (const RECTL& r : impl->rects) add(r);
  } else {
    add(pco->rclBounds);
  }
  return out;
}

}  // namespace platform::engine

QXAPI ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL, ULONG iType, ULONG iDirection, ULONG cLimit) {
  if (pco == nullptr || iType != CT_RECTANGLES) return 0xFFFFFFFF;
  auto* impl = platform::engine::Clips().Find(pco);
  if (impl == nullptr) {
    platform::engine::plainClip = pco;
    platform::engine::plainClipDone = false;
    return 1;
  }
  if (pco->iDComplexity == DC_TRIVIAL) {
    impl->order = {pco->rclBounds};
  } else {
    impl->order = impl->rects;
    platform::engine::SortForDirection(impl->order, iDirection);
  }
  impl->cursor = 0;
  ULONG count = static_cast<ULONG>(impl->order.size());
  return cLimit != 0 && count > cLimit ? 0xFFFFFFFF : count;
}

QXAPI BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pv) {
  constexpr ULONG kHeader = offsetof(ENUMRECTS, arcl);
  if (pv == nullptr || cj < kHeader) return FALSE;
  auto* out = reinterpret_cast<ENUMRECTS*>(pv);
  out->c = 0;
  ULONG capacity = (cj - kHeader) / sizeof(RECTL);
  auto* impl = platform::engine::Clips().Find(pco);
  if (impl == nullptr) {
    if (pco == nullptr || pco != platform::engine::plainClip || platform::engine::plainClipDone ||
        capacity == 0) {
      return FALSE;
    }
    out->arcl[0] = pco->rclBounds;
    out->c = 1;
    platform::engine::plainClipDone = true;
    return FALSE;
  }
  RECTL* dest = out->arcl;
  while (out->c < capacity && impl->cursor < impl->order.size()) {
    dest[out->c++] = impl->order[impl->cursor++];
  }
  return impl->cursor < impl->order.size();
}
