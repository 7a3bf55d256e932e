// The coordinate set-up: plot size, rotation, scaling points, user scaling.
#include "tools/preview/plot_frame.h"

#include <algorithm>
#include <cmath>

namespace preview {

void PlotFrame::Initialize() {
  rotation_ = 0;
  p1_ = {0, 0};
  p2_ = {FrameWidth(), FrameHeight()};
  scaling_.reset();
  window_.reset();
}

void PlotFrame::SetPlotSize(double length, double width) {
  length_ = std::clamp(length, 1.0, kMaxPlotSize);
  width_ = std::clamp(width, 1.0, kMaxPlotSize);
  plotSizeGiven_ = true;
  p1_ = {0, 0};
  p2_ = {FrameWidth(), FrameHeight()};
  window_.reset();
}

bool PlotFrame::SetRotation(double degrees) {
  if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) return false;
  rotation_ = static_cast<int>(degrees);
  return true;
}

void PlotFrame::SetScalingPoints(std::optional<Point> p1, std::optional<Point> p2) {
  if (!p1) {
    p1_ = {0, 0};
    p2_ = {FrameWidth(), FrameHeight()};
    return;
  }
  // With P1 alone, P2 keeps its distance from P1.
  Point shift{p1->x - p1_.x, p1->y - p1_.y};
  p1_ = *p1;
  p2_ = p2 ? *p2 : Point{p2_.x + shift.x, p2_.y + shift.y};
}

bool PlotFrame::SetScaling(const double* v, int count) {
  if (count < 4) return false;
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(v[i])) return false;
  }
  int type = count >= 5 ? static_cast<int>(v[4]) : 0;
  UserScaling s;
  if (type == 2) {
    if (v[1] == 0 || v[3] == 0) return false;
    s.scaleX = v[1];
    s.scaleY = v[3];
  } else {
    if (v[1] == v[0] || v[3] == v[2]) return false;
    s.scaleX = (p2_.x - p1_.x) / (v[1] - v[0]);
    s.scaleY = (p2_.y - p1_.y) / (v[3] - v[2]);
    if (s.scaleX == 0 || s.scaleY == 0) return false;
  }
  double shiftX = 0;
  double shiftY = 0;
  if (type == 1) {
    // Isotropic: the smaller scale on both axes; the room left over on the
    // other axis is shared as left and bottom say (half and half by default).
    double scale = std::min(std::fabs(s.scaleX), std::fabs(s.scaleY));
    double extraX = (p2_.x - p1_.x) - std::copysign(scale, s.scaleX) * (v[1] - v[0]);
    double extraY = (p2_.y - p1_.y) - std::copysign(scale, s.scaleY) * (v[3] - v[2]);
    double left = count >= 6 ? v[5] : 50;
    double bottom = count >= 7 ? v[6] : 50;
    s.scaleX = std::copysign(scale, s.scaleX);
    s.scaleY = std::copysign(scale, s.scaleY);
    shiftX = extraX * left / 100;
    shiftY = extraY * bottom / 100;
  }
  s.originX = p1_.x + shiftX - s.scaleX * v[0];
  s.originY = p1_.y + shiftY - s.scaleY * v[2];
  scaling_ = s;
  return true;
}

void PlotFrame::SetWindow(std::optional<Rect> userRect) {
  if (!userRect) {
    window_.reset();
    return;
  }
  Point a = UserToPlotter({userRect->x0, userRect->y0});
  Point b = UserToPlotter({userRect->x1, userRect->y1});
  window_ = Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

double PlotFrame::FrameWidth() const { return rotation_ % 180 == 0 ? length_ : width_; }
double PlotFrame::FrameHeight() const { return rotation_ % 180 == 0 ? width_ : length_; }

Point PlotFrame::PlotterToPhysical(Point p) const {
  switch (rotation_) {
    case 90:
      return {length_ - p.y, p.x};
    case 180:
      return {length_ - p.x, width_ - p.y};
    case 270:
      return {p.y, width_ - p.x};
    default:
      return p;
  }
}

Point PlotFrame::PhysicalToPlotter(Point p) const {
  switch (rotation_) {
    case 90:
      return {p.y, length_ - p.x};
    case 180:
      return {length_ - p.x, width_ - p.y};
    case 270:
      return {width_ - p.y, p.x};
    default:
      return p;
  }
}

Point PlotFrame::PlotterVectorToPhysical(Point v) const {
  switch (rotation_) {
    case 90:
      return {-v.y, v.x};
    case 180:
      return {-v.x, -v.y};
    case 270:
      return {v.y, -v.x};
    default:
      return v;
  }
}

UserScaling PlotFrame::Scaling() const { return scaling_ ? *scaling_ : UserScaling{}; }

Point PlotFrame::UserToPlotter(Point u) const {
  UserScaling s = Scaling();
  return {s.originX + s.scaleX * u.x, s.originY + s.scaleY * u.y};
}

Point PlotFrame::PlotterToUser(Point p) const {
  UserScaling s = Scaling();
  return {(p.x - s.originX) / s.scaleX, (p.y - s.originY) / s.scaleY};
}

Point PlotFrame::UserVectorToPhysical(Point v) const {
  UserScaling s = Scaling();
  return PlotterVectorToPhysical({s.scaleX * v.x, s.scaleY * v.y});
}

double PlotFrame::UserLengthToPlotter(double length) const {
  return std::fabs(Scaling().scaleX) * length;
}

std::optional<Rect> PlotFrame::PhysicalWindow() const {
  if (!window_) return std::nullopt;
  Point a = PlotterToPhysical({window_->x0, window_->y0});
  Point b = PlotterToPhysical({window_->x1, window_->y1});
  return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace preview
