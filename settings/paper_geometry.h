// The paper geometry of a job: for the logical page and for the paper actually
// fed, the imageable area in plotter units (1/1016 inch) and the paper size in
// micrometres, computed when a device context is enabled.
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "settings/description.h"
#include "settings/settings_record.h"

namespace settings {

struct PaperGeometry {
  char16_t formName[32];
  char optionKeyword[32];
  LONG left, top, right, bottom;  // plotter units
  LONG paperWidth, paperLength;   // micrometres
  LONG reserved;
  LONG paperIndex;  // the PageSize option's position
  BOOL valid;
};

// The dimensions of a user size "USER1" ... "USER10" (first and second
// dimension in millimetres), as the per-user settings file keeps them; false when
// the size is not defined.
using UserSizeReader = bool (*)(void* context, int number, int* first, int* second);

struct GeometryInputs {
  int dpi;  // the job's resolution
  UserSizeReader readUserSize = nullptr;
  void* userSizeContext = nullptr;
};

// Fills both geometries and completes the paper members of the settings (the
// form name, paper size and custom dimensions it settles). False when the
// description offers no PageSize option to fall back on.
[[nodiscard]] bool ComputePaperGeometry(SettingsRecord& settings, const Description& d,
                                        const GeometryInputs& inputs, PaperGeometry& logical,
                                        PaperGeometry& fed);

// 24.8 points to plotter units and to micrometres, in 64 bits.
LONG PointsToPlotter(std::int64_t points);
LONG PointsToMicrometres(std::int64_t points);
// Micrometres to 24.8 points, truncated.
std::int64_t MicrometresToPoints(std::int64_t micrometres);

}  // namespace settings
