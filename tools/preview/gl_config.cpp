// Configuration and status commands: initialise, plot size, scaling, rotation,
// window, page, palette, merge control, and the device's MS commands.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/preview/device_commands.h"
#include "tools/preview/display_text.h"
#include "tools/preview/gl_commands.h"

namespace preview {

namespace {

const std::vector<double>& Values(const GlCall& call) { return call.numbers.values; }

void WrongCount(Interpreter& in, const GlCall& call) {
  in.Report(call.offset, std::string(call.mnemonic.name) + " with " +
                             std::to_string(Values(call).size()) + " parameters is not understood");
}

// A colour component through the colour range of CR.
uint8_t Component(const Interpreter& in, double value, int channel) {
  double black = in.gl.colourRange[static_cast<size_t>(channel) * 2];
  double white = in.gl.colourRange[static_cast<size_t>(channel) * 2 + 1];
  if (white == black) return 0;
  double v = (value - black) / (white - black) * 255;
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

}  // namespace

void DoInitialize(Interpreter& in, const GlCall&) { in.ResetGraphics(); }

void DoDefaults(Interpreter& in, const GlCall&) { in.ResetAttributes(); }

// PS alone is the device's own size for the paper it has: the size the
// stream gave before (the driver writes "PS r,b;PS;" for some models), or
// the largest sheet when it gave none.
void DoPlotSize(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  bool given = in.gl.frame.plotSizeGiven();
  double length = given ? in.gl.frame.length() : kDefaultPlotLength;
  double width = given ? in.gl.frame.width() : kDefaultPlotWidth;
  if (v.size() >= 1) length = v[0];
  if (v.size() >= 2) width = v[1];
  if (v.size() == 1) width = in.gl.frame.width();
  bool sane = std::isfinite(length) && std::isfinite(width) && length >= 1 && width >= 1 &&
              length <= kMaxPlotSize && width <= kMaxPlotSize;
  if (!sane) {
    in.Report(call.offset,
              "a plot size (PS) out of range; it is limited to 1 plotter unit .. 100 m");
    if (!std::isfinite(length)) length = kDefaultPlotLength;
    if (!std::isfinite(width)) width = kDefaultPlotWidth;
  }
  in.gl.frame.SetPlotSize(length, width);
}

void DoScalingPoints(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.frame.SetScalingPoints(std::nullopt, std::nullopt);
  } else if (v.size() == 2) {
    in.gl.frame.SetScalingPoints(Point{v[0], v[1]}, std::nullopt);
  } else if (v.size() == 4) {
    in.gl.frame.SetScalingPoints(Point{v[0], v[1]}, Point{v[2], v[3]});
  } else {
    WrongCount(in, call);
  }
}

void DoRelativePoints(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  double w = in.gl.frame.FrameWidth() / 100;
  double h = in.gl.frame.FrameHeight() / 100;
  if (v.empty()) {
    in.gl.frame.SetScalingPoints(std::nullopt, std::nullopt);
  } else if (v.size() == 2) {
    in.gl.frame.SetScalingPoints(Point{v[0] * w, v[1] * h}, std::nullopt);
  } else if (v.size() == 4) {
    in.gl.frame.SetScalingPoints(Point{v[0] * w, v[1] * h}, Point{v[2] * w, v[3] * h});
  } else {
    WrongCount(in, call);
  }
}

void DoInputWindow(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.frame.SetWindow(std::nullopt);
  } else if (v.size() == 4) {
    in.gl.frame.SetWindow(Rect{v[0], v[1], v[2], v[3]});
  } else {
    WrongCount(in, call);
  }
}

void DoScale(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.frame.ClearScaling();
    return;
  }
  if (!in.gl.frame.SetScaling(v.data(), static_cast<int>(std::min<size_t>(v.size(), 7)))) {
    in.Report(call.offset, "a user scaling (SC) that scales nothing; it is ignored");
  }
}

void DoRotate(Interpreter& in, const GlCall& call) {
  double angle = Values(call).empty() ? 0 : Values(call)[0];
  if (!in.gl.frame.SetRotation(angle)) {
    in.Report(call.offset, "a rotation (RO) other than 0, 90, 180 or 270 degrees; it is ignored");
  }
}

void DoPage(Interpreter& in, const GlCall& call) { in.EndPage(call.offset); }

void DoPens(Interpreter& in, const GlCall& call) {
  int count = Values(call).empty() ? 8 : ClampedInt(Values(call)[0]);
  in.palette.size = std::clamp(count, 2, 256);
}

void DoPenColour(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  Palette defaults = DefaultPalette(8);
  if (v.empty()) {
    in.palette.entries = defaults.entries;
    return;
  }
  if (!(v[0] >= 0 && v[0] <= 255)) {
    in.Report(call.offset, "a pen colour (PC) for a pen beyond 255; it is ignored");
    return;
  }
  size_t pen = static_cast<size_t>(v[0]);
  if (v.size() == 1) {
    in.palette.entries[pen] = defaults.entries[pen];
  } else if (v.size() == 4) {
    in.palette.entries[pen] = {Component(in, v[1], 0), Component(in, v[2], 1),
                               Component(in, v[3], 2)};
  } else {
    WrongCount(in, call);
  }
}

void DoColourRange(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty()) {
    in.gl.colourRange = {0, 255, 0, 255, 0, 255};
  } else if (v.size() == 6) {
    std::copy(v.begin(), v.end(), in.gl.colourRange.begin());
  } else {
    WrongCount(in, call);
  }
}

void DoTransparency(Interpreter& in, const GlCall& call) {
  in.merge.sourceTransparent = Values(call).empty() || Values(call)[0] != 0;
}

// MC0 (or MC alone) is the default operation 252; MC1 without an operation is 168.
void DoMergeControl(Interpreter& in, const GlCall& call) {
  const std::vector<double>& v = Values(call);
  if (v.empty() || v[0] == 0) {
    in.merge.rop = 252;
  } else if (v.size() == 1) {
    in.merge.rop = 168;
  } else if (v[1] >= 0 && v[1] <= 255) {
    in.merge.rop = static_cast<uint8_t>(v[1]);
  } else {
    in.merge.rop = 252;
  }
}

void DoDeviceSetting(Interpreter& in, const GlCall& call) {
  std::string meaning = DescribeMsCommand(Values(call));
  in.AddDeviceCommand(call.offset, "MS", DisplayText(call.text), meaning);
}

}  // namespace preview
