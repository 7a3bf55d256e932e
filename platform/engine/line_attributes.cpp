// Line attributes of strokes: the record and the dash style it points to.
#include "platform/engine/objects.h"

namespace platform::engine {

LineAttributes::LineAttributes() {
  attrs_.iJoin = JOIN_ROUND;
  attrs_.iEndCap = ENDCAP_ROUND;
  attrs_.elWidth.l = 1;
  attrs_.eMiterLimit = 10.0f;
}

LineAttributes::LineAttributes(const LineAttributes& other)
    : attrs_(other.attrs_), style_(other.style_) {
  Relink();
}

LineAttributes& LineAttributes::operator=(const LineAttributes& other) {
  attrs_ = other.attrs_;
  style_ = other.style_;
  Relink();
  return *this;
}

void LineAttributes::Relink() const {
  attrs_.cstyle = static_cast<ULONG>(style_.size());
  attrs_.pstyle = style_.empty() ? nullptr : style_.data();
}

LineAttributes LineAttributes::Cosmetic(LONG width) {
  LineAttributes a;
  a.attrs_.elWidth.l = width;
  return a;
}

LineAttributes LineAttributes::Geometric(FLOATL width, ULONG join, ULONG endCap,
                                         FLOATL miterLimit) {
  LineAttributes a;
  a.attrs_.fl = LA_GEOMETRIC;
  a.attrs_.elWidth.e = width;
  a.attrs_.iJoin = join;
  a.attrs_.iEndCap = endCap;
  a.attrs_.eMiterLimit = miterLimit;
  return a;
}

LineAttributes& LineAttributes::Styled(std::vector<FLOAT_LONG> style) {
  style_ = std::move(style);
  if (style_.empty()) {
    attrs_.fl &= ~LA_STYLED;
  } else {
    attrs_.fl |= LA_STYLED;
  }
  Relink();
  return *this;
}

LineAttributes& LineAttributes::Alternate() {
  attrs_.fl |= LA_ALTERNATE;
  return *this;
}

LineAttributes& LineAttributes::StartGap() {
  attrs_.fl |= LA_STARTGAP;
  return *this;
}

LINEATTRS* LineAttributes::Get() const {
  Relink();
  return &attrs_;
}

}  // namespace platform::engine
