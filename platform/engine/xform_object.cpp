// World-to-device transforms and the transform object functions.
#include <cmath>

#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace platform::engine {

struct Transform::Impl {
  XFORMOBJ xo{};
  XFORML m{1, 0, 0, 1, 0, 0};

  Impl() { Table().Add(&xo, this); }
  Impl(const Impl& other) : m(other.m) { Table().Add(&xo, this); }
  ~Impl() { Table().Remove(&xo); }
  static ObjectTable<XFORMOBJ, Impl>& Table() {
    static auto* table = new ObjectTable<XFORMOBJ, Impl>;
    return *table;
  }
};

Transform::Transform() : impl_(std::make_unique<Impl>()) {}
Transform Transform::Matrix(FLOATL m11, FLOATL m12, FLOATL m21, FLOATL m22, FLOATL dx, FLOATL dy) {
  Transform t;
  t.impl_->m = {m11, m12, m21, m22, dx, dy};
  return t;
}
Transform::~Transform() = default;
Transform::Transform(const Transform& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
Transform& Transform::operator=(const Transform& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
Transform::Transform(Transform&& other) noexcept = default;
Transform& Transform::operator=(Transform&& other) noexcept = default;

const XFORML& Transform::matrix() const { return impl_->m; }
XFORMOBJ* Transform::Get() const { return &impl_->xo; }

namespace {

ULONG Complexity(const XFORML& m) {
  if (m.eM12 != 0 || m.eM21 != 0) return GX_GENERAL;
  if (m.eM11 != 1 || m.eM22 != 1) return GX_SCALE;
  if (m.eDx != 0 || m.eDy != 0) return GX_OFFSET;
  return GX_IDENTITY;
}

// Points are row vectors: (x, y) becomes (x eM11 + y eM21 + eDx, x eM12 + y eM22 + eDy).
void Apply(const XFORML& m, double x, double y, double* ox, double* oy) {
  *ox = x * m.eM11 + y * m.eM21 + m.eDx;
  *oy = x * m.eM12 + y * m.eM22 + m.eDy;
}

bool ApplyInverse(const XFORML& m, double x, double y, double* ox, double* oy) {
  double det = static_cast<double>(m.eM11) * m.eM22 - static_cast<double>(m.eM12) * m.eM21;
  if (det == 0 || !std::isfinite(det)) return false;
  double tx = x - m.eDx;
  double ty = y - m.eDy;
  *ox = (tx * m.eM22 - ty * m.eM21) / det;
  *oy = (ty * m.eM11 - tx * m.eM12) / det;
  return true;
}

LONG RoundLong(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (v > 2147483647.0) return INT32_MAX;
  return static_cast<LONG>(std::lround(v));
}

}  // namespace

}  // namespace platform::engine

using TransformImpl = platform::engine::Transform::Impl;

QXAPI ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform) {
  TransformImpl* impl = TransformImpl::Table().Find(pxo);
  if (impl == nullptr) return DDI_ERROR;
  if (pxform != nullptr) *pxform = impl->m;
  return platform::engine::Complexity(impl->m);
}

QXAPI ULONG XFORMOBJ_iGetFloatObjXform(XFORMOBJ* pxo, FLOATOBJ_XFORM* pfxo) {
  TransformImpl* impl = TransformImpl::Table().Find(pxo);
  if (impl == nullptr) return DDI_ERROR;
  if (pfxo != nullptr) {
    const XFORML& m = impl->m;
    *pfxo = {m.eM11, m.eM12, m.eM21, m.eM22, m.eDx, m.eDy};
  }
  return platform::engine::Complexity(impl->m);
}

QXAPI BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn,
                                PVOID pvOut) {
  TransformImpl* impl = TransformImpl::Table().Find(pxo);
  if (impl == nullptr || pvIn == nullptr || pvOut == nullptr || iMode > XF_INV_FXTOL) return FALSE;
  const XFORML& m = impl->m;
  for (ULONG i = 0; i < cPoints; ++i) {
    double x = 0;
    double y = 0;
    if (iMode == XF_INV_FXTOL) {
      const POINTFIX& p = static_cast<const POINTFIX*>(pvIn)[i];
      x = p.x / 16.0;
      y = p.y / 16.0;
    } else {
      const POINTL& p = static_cast<const POINTL*>(pvIn)[i];
      x = p.x;
      y = p.y;
    }
    double ox = 0;
    double oy = 0;
    if (iMode == XF_LTOL || iMode == XF_LTOFX) {
      platform::engine::Apply(m, x, y, &ox, &oy);
    } else if (!platform::engine::ApplyInverse(m, x, y, &ox, &oy)) {
      return FALSE;
    }
    if (iMode == XF_LTOFX) {
      static_cast<POINTFIX*>(pvOut)[i] = {platform::engine::ToFix(ox), platform::engine::ToFix(oy)};
    } else {
      static_cast<POINTL*>(pvOut)[i] = {platform::engine::RoundLong(ox),
                                        platform::engine::RoundLong(oy)};
    }
  }
  return TRUE;
}
