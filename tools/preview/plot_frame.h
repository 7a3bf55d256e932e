// The coordinate set-up of KX-GL/2: plot size (PS), rotation (RO), scaling
// points P1 and P2 (IP), user scaling (SC) and the input window (IW) decide
// where a user unit lands on the sheet.
//
// Three frames meet here. The physical frame is the one of display_list.h:
// X along the plot length, Y along its width. The plotter frame is the
// physical frame turned by RO (and shifted so that the sheet stays at
// positive coordinates); P1, P2 and the window are kept in it, and keep
// their values when RO changes, as the language has it. The user frame is
// the plotter frame through the user scaling, or the plotter frame itself
// when scaling is off.
#pragma once

#include <optional>

#include "tools/preview/display_list.h"

namespace preview {

// A0 when the stream sets no plot size: the largest sheet of the device.
constexpr double kDefaultPlotLength = 1189.0 * 40;
constexpr double kDefaultPlotWidth = 841.0 * 40;

// Plot sizes beyond this (100 m) come only from corrupt streams.
constexpr double kMaxPlotSize = 100000.0 * 40;

struct UserScaling {
  // plotter x = originX + scaleX * user x, and likewise for y.
  double originX = 0;
  double scaleX = 1;
  double originY = 0;
  double scaleY = 1;
};

class PlotFrame {
 public:
  PlotFrame() { Initialize(); }

  // IN: rotation 0, P1 and P2 at the corners of the sheet, scaling and window off.
  void Initialize();

  // PS: a new sheet; P1 and P2 go to its corners, the window is dropped.
  void SetPlotSize(double length, double width);
  // RO: turn the plotter frame; the pen stays where it is on the sheet.
  // False for an angle other than 0, 90, 180 or 270.
  bool SetRotation(double degrees);
  // IP with two or four values, or none for the defaults.
  void SetScalingPoints(std::optional<Point> p1, std::optional<Point> p2);
  // SC: type 0 (anisotropic), 1 (isotropic, with left and bottom in
  // percent) or 2 (point factor: xmax and ymax are factors). False when the
  // values describe no scaling (an empty range).
  bool SetScaling(const double* values, int count);
  void ClearScaling() { scaling_.reset(); }
  // IW in user units; no window when not given.
  void SetWindow(std::optional<Rect> userRect);

  bool plotSizeGiven() const { return plotSizeGiven_; }
  double length() const { return length_; }
  double width() const { return width_; }
  int rotation() const { return rotation_; }
  bool scaling() const { return scaling_.has_value(); }
  Point p1() const { return p1_; }
  Point p2() const { return p2_; }

  // The user frame is the upright one (x to the right, y down the page as it
  // is read) turned half round: x against the plotter frame's x, y with its
  // y. A device that turns landscape pages itself is sent such a frame.
  bool UserFrameTurnedHalf() const {
    return scaling_ && scaling_->scaleX < 0 && scaling_->scaleY > 0;
  }

  // Extents of the plotter frame (the sheet as RO turns it).
  double FrameWidth() const;
  double FrameHeight() const;

  Point PlotterToPhysical(Point p) const;
  Point PhysicalToPlotter(Point p) const;
  // The linear part of PlotterToPhysical (for directions).
  Point PlotterVectorToPhysical(Point v) const;

  Point UserToPlotter(Point u) const;
  Point PlotterToUser(Point p) const;
  Point UserToPhysical(Point u) const { return PlotterToPhysical(UserToPlotter(u)); }
  Point PhysicalToUser(Point p) const { return PlotterToUser(PhysicalToPlotter(p)); }
  Point UserVectorToPhysical(Point v) const;
  // A user length along the x axis in plotter units.
  double UserLengthToPlotter(double length) const;

  // The input window in physical units, when one is set.
  std::optional<Rect> PhysicalWindow() const;

 private:
  UserScaling Scaling() const;

  double length_ = kDefaultPlotLength;
  double width_ = kDefaultPlotWidth;
  bool plotSizeGiven_ = false;
  int rotation_ = 0;
  Point p1_;
  Point p2_;
  std::optional<UserScaling> scaling_;
  std::optional<Rect> window_;  // plotter frame
};

}  // namespace preview
