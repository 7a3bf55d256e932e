// Decoders of the RTL raster row methods: 0 (bytes as they are), 2 (runs of
// equal bytes and literal stretches) and 3 (delta row against the seed row,
// the previous row of the same image).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace preview {

// Rows never grow beyond this: 65,535 pixels of three bytes.
constexpr size_t kMaxRowBytes = 65535 * 3;

struct RowDecode {
  bool ok = true;
  std::string problem;  // what was wrong with the data when not ok
};

// Turns one row's data into `row`. For method 3, `row` holds the seed row on
// entry and is changed in place (an empty data block repeats the seed); for
// methods 0 and 2 it is rebuilt from zero bytes. The row grows as the data
// reaches further, but never beyond `limit` bytes: data past it is dropped
// and reported. Other methods leave the row unchanged and report it.
RowDecode DecodeRasterRow(int method, std::span<const uint8_t> data, std::vector<uint8_t>& row,
                          size_t limit);

}  // namespace preview
