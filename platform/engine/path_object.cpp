// Paths: the builder's subpaths, the records the engine enumerates from them, and
// the path object functions.
#include <algorithm>
#include <cmath>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

struct PathRecord {
  FLONG flags;
  std::vector<POINTFIX> points;
};

struct Path::Impl {
  struct Segment {
    bool bezier;
    std::vector<POINTFIX> points;
  };
  struct Figure {
    bool raw = false;
    FLONG rawFlags = 0;
    POINTFIX start{0, 0};
    std::vector<Segment> segments;
    std::vector<POINTFIX> rawPoints;
    bool closed = false;
  };

  PATHOBJ po{};
  std::vector<Figure> figures;
  ULONG recordLimit = 0;
  std::vector<PathRecord> records;
  std::size_t cursor = 0;
  bool dirty = true;

  Impl();
  Impl(const Impl& other);
  ~Impl();
  Figure& OpenFigure();
  void Add(bool bezier, std::initializer_list<POINTFIX> points);
  void Build();
  void Emit(FLONG flags, std::vector<POINTFIX> points, bool bezier);
};

namespace {

ObjectTable<PATHOBJ, Path::Impl>& Paths() {
  static auto* table = new ObjectTable<PATHOBJ, Path::Impl>;
  return *table;
}

// Points of a curve record are whole curves of 3; a first record also carries
// its start point.
std::size_t ChunkSize(ULONG limit, bool bezier, bool first) {
  if (!bezier) return limit;
  std::size_t curves = (limit - (first ? 1 : 0)) / 3;
  return (first ? 1 : 0) + 3 * std::max<std::size_t>(curves, 1);
}

}  // namespace

FIX ToFix(double v) {
  double f = std::nearbyint(v * 16.0);
  if (!(f > -2147483648.0)) return INT32_MIN;  // also NaN
  if (f > 2147483647.0) return INT32_MAX;
  return static_cast<FIX>(f);
}

Path::Impl::Impl() { Paths().Add(&po, this); }
Path::Impl::Impl(const Impl& other) : figures(other.figures), recordLimit(other.recordLimit) {
  Paths().Add(&po, this);
}
Path::Impl::~Impl() { Paths().Remove(&po); }

Path::Impl::Figure& Path::Impl::OpenFigure() {
  if (figures.empty() || figures.back().raw || figures.back().closed) {
    POINTFIX start{0, 0};
    if (!figures.empty() && !figures.back().raw) {
      const Figure& last = figures.back();
      start =
          last.closed || last.segments.empty() ? last.start : last.segments.back().points.back();
    }
    figures.push_back({});
    figures.back().start = start;
  }
  return figures.back();
}

void Path::Impl::Add(bool bezier, std::initializer_list<POINTFIX> points) {
  Figure& f = OpenFigure();
  if (f.segments.empty() || f.segments.back().bezier != bezier) f.segments.push_back({bezier, {}});
  f.segments.back().points.insert(f.segments.back().points.end(), points);
  dirty = true;
}

void Path::Impl::Emit(FLONG flags, std::vector<POINTFIX> points, bool bezier) {
  if (recordLimit == 0 || points.size() <= recordLimit) {
    records.push_back({flags, std::move(points)});
    return;
  }
  // Split: the first piece keeps the begin flags, the last the end flags.
  FLONG begin = flags & (PD_BEGINSUBPATH | PD_RESETSTYLE);
  FLONG end = flags & (PD_ENDSUBPATH | PD_CLOSEFIGURE);
  FLONG kind = flags & PD_BEZIERS;
  std::size_t at = 0;
  while (at < points.size()) {
    std::size_t n = std::min(ChunkSize(recordLimit, bezier, at == 0 && begin), points.size() - at);
    FLONG f = kind | (at == 0 ? begin : 0) | (at + n == points.size() ? end : 0);
    records.push_back(
        {f, std::vector<POINTFIX>(points.begin() + static_cast<std::ptrdiff_t>(at),
                                  points.begin() + static_cast<std::ptrdiff_t>(at + n))});
    at += n;
  }
}

void Path::Impl::Build() {
  records.clear();
  cursor = 0;
  po.fl = 0;
  po.cCurves = 0;
  for (const Figure& f : figures) {
    if (f.raw) {
      records.push_back({f.rawFlags, f.rawPoints});
      continue;
    }
    if (f.segments.empty()) continue;  // a lone move draws nothing
    for (std::size_t i = 0; i < f.segments.size(); ++i) {
      const Segment& s = f.segments[i];
      FLONG flags = s.bezier ? PD_BEZIERS : 0;
      std::vector<POINTFIX> points;
      if (i == 0) {
        flags |= PD_BEGINSUBPATH | PD_RESETSTYLE;
        points.push_back(f.start);
      }
      points.insert(points.end(), s.points.begin(), s.points.end());
      if (i + 1 == f.segments.size()) flags |= PD_ENDSUBPATH | (f.closed ? PD_CLOSEFIGURE : 0);
      po.cCurves += static_cast<ULONG>(s.bezier ? s.points.size() / 3 : s.points.size());
      Emit(flags, std::move(points), s.bezier);
    }
    if (f.closed) ++po.cCurves;  // the closing line
  }
  bool integers = true;
  for (const PathRecord& r : records) {
    if (r.flags & PD_BEZIERS) po.fl |= PO_BEZIERS;
    for (const POINTFIX& p : r.points) integers = integers && (p.x & 15) == 0 && (p.y & 15) == 0;
  }
  if (integers) po.fl |= PO_ALL_INTEGERS;
  dirty = false;
}

Path::Path() : impl_(std::make_unique<Impl>()) {}
Path::~Path() = default;
Path::Path(const Path& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
Path& Path::operator=(const Path& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
Path::Path(Path&& other) noexcept = default;
Path& Path::operator=(Path&& other) noexcept = default;

Path& Path::MoveTo(double x, double y) {
  impl_->figures.push_back({});
  impl_->figures.back().start = {ToFix(x), ToFix(y)};
  impl_->dirty = true;
  return *this;
}

Path& Path::LineTo(double x, double y) {
  impl_->Add(false, {{ToFix(x), ToFix(y)}});
  return *this;
}

Path& Path::BezierTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  impl_->Add(true, {{ToFix(x1), ToFix(y1)}, {ToFix(x2), ToFix(y2)}, {ToFix(x3), ToFix(y3)}});
  return *this;
}

Path& Path::Close() {
  if (!impl_->figures.empty() && !impl_->figures.back().raw) impl_->figures.back().closed = true;
  impl_->dirty = true;
  return *this;
}

Path& Path::AddPolyline(std::span<const PointD> points, bool closed) {
  if (points.empty()) return *this;
  MoveTo(points[0].x, points[0].y);
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].x, points[i].y);
  if (closed) Close();
  return *this;
}

Path& Path::AddRectangle(double left, double top, double right, double bottom) {
  const PointD corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  return AddPolyline(corners, true);
}

Path& Path::AddRecord(FLONG flags, std::vector<POINTFIX> points) {
  Impl::Figure f;
  f.raw = true;
  f.rawFlags = flags;
  f.rawPoints = std::move(points);
  impl_->figures.push_back(std::move(f));
  impl_->dirty = true;
  return *this;
}

Path& Path::SetRecordLimit(ULONG n) {
  impl_->recordLimit = n;
  impl_->dirty = true;
  return *this;
}

Path Path::Offset(FIX dx, FIX dy) const {
  Path moved(*this);
  auto shift = [dx, dy](POINTFIX& p) {
    p.x += dx;
    p.y += dy;
  };
  for (Impl::Figure& f : moved.impl_->figures) {
    shift(f.start);
    for (Impl::Segment& s : f.segments) std::for_each(s.points.begin(), s.points.end(), shift);
    std::for_each(f.rawPoints.begin(), f.rawPoints.end(), shift);
  }
  moved.impl_->dirty = true;
  return moved;
}

bool Path::empty() const {
  for (const Impl::Figure& f : impl_->figures) {
    if (f.raw || !f.segments.empty()) return false;
  }
  return true;
}

RECTFX Path::Bounds() const {
  RECTFX r{0, 0, 0, 0};
  PATHOBJ_vGetBounds(Get(), &r);
  return r;
}

PATHOBJ* Path::Get() const {
  if (impl_->dirty) impl_->Build();
  return &impl_->po;
}

}  // namespace platform::engine

using platform::engine::Paths;

QXAPI void PATHOBJ_vEnumStart(PATHOBJ* ppo) {
  if (auto* impl = Paths().Find(ppo)) {
    if (impl->dirty) impl->Build();
    impl->cursor = 0;
  }
}

QXAPI BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd) {
  if (ppd == nullptr) return FALSE;
  *ppd = {0, 0, nullptr};
  auto* impl = Paths().Find(ppo);
  if (impl == nullptr) return FALSE;
  if (impl->dirty) impl->Build();
  if (impl->cursor >= impl->records.size()) return FALSE;
  platform::engine::PathRecord& r = impl->records[impl->cursor++];
  ppd->flags = r.flags;
  ppd->count = static_cast<ULONG>(r.points.size());
  ppd->pptfx = r.points.data();
  return impl->cursor < impl->records.size();
}

QXAPI void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx) {
  if (prectfx == nullptr) return;
  *prectfx = {0, 0, 0, 0};
  auto* impl = Paths().Find(ppo);
  if (impl == nullptr) return;
  if (impl->dirty) impl->Build();
  bool first = true;
  for (const platform::engine::PathRecord& r : impl->records) {
    for (const POINTFIX& p : r.points) {
      if (first) {
        *prectfx = {p.x, p.y, p.x, p.y};
        first = false;
        continue;
      }
      prectfx->xLeft = std::min(prectfx->xLeft, p.x);
      prectfx->yTop = std::min(prectfx->yTop, p.y);
      prectfx->xRight = std::max(prectfx->xRight, p.x);
      prectfx->yBottom = std::max(prectfx->yBottom, p.y);
    }
  }
}
