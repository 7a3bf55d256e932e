// The printer's resident fonts that a printer description may list in its Font
// entries: the name as the printer knows it and the number of the font metric
// record that describes it.
#pragma once

#include <cstddef>

namespace resources {

struct DeviceFontName {
  const char* name;
  unsigned short metricNumber;
};

// 382 rows in byte order of their names. Vertical forms ("-V") carry the number
// of their horizontal form plus 2000. Two rows appear twice
// (Ryumin-Light-Ext-RKSJ-H and -V); they are kept as the printer lists them.
inline constexpr std::size_t kDeviceFontNameCount = 382;
extern const DeviceFontName kDeviceFontNames[kDeviceFontNameCount];

}  // namespace resources
