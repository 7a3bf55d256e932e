// RTL raster row decoders.
#include "tools/preview/raster_rows.h"

namespace preview {

namespace {

// Writes `count` bytes from `from` (or `count` copies of `*from` when `repeat`)
// at `at`, growing the row up to `limit`. False when something was cut off.
bool Put(std::vector<uint8_t>& row, size_t at, const uint8_t* from, size_t count, bool repeat,
         size_t limit) {
  bool whole = true;
  if (at >= limit) return count == 0;
  if (at + count > limit) {
    count = limit - at;
    whole = false;
  }
  if (row.size() < at + count) row.resize(at + count, 0);
  for (size_t i = 0; i < count; ++i) row[at + i] = repeat ? *from : from[i];
  return whole;
}

RowDecode Uncompressed(std::span<const uint8_t> data, std::vector<uint8_t>& row, size_t limit) {
  row.clear();
  if (!Put(row, 0, data.data(), data.size(), false, limit)) {
    return {false, "a row longer than the image"};
  }
  return {};
}

// Method 2: a control byte c of 0 to 127 takes the next c + 1 bytes as they
// are; 129 to 255 (as a signed byte, -127 to -1) repeats the next byte 1 - c
// times; 128 does nothing.
RowDecode RunLength(std::span<const uint8_t> data, std::vector<uint8_t>& row, size_t limit) {
  row.clear();
  size_t at = 0;
  size_t pos = 0;
  bool whole = true;
  while (pos < data.size()) {
    int control = static_cast<int8_t>(data[pos++]);
    if (control == -128) continue;
    if (control >= 0) {
      size_t count = static_cast<size_t>(control) + 1;
      if (pos + count > data.size()) {
        Put(row, at, data.data() + pos, data.size() - pos, false, limit);
        return {false, "a literal stretch that runs past the row's data"};
      }
      whole &= Put(row, at, data.data() + pos, count, false, limit);
      pos += count;
      at += count;
    } else {
      if (pos >= data.size()) return {false, "a run without its byte"};
      size_t count = static_cast<size_t>(1 - control);
      whole &= Put(row, at, data.data() + pos, count, true, limit);
      ++pos;
      at += count;
    }
  }
  if (!whole) return {false, "a row longer than the image"};
  return {};
}

// Method 3: each command byte holds the count of replacement bytes less one
// (top three bits) and the offset from the end of the previous replacement
// (low five bits); an offset of 31 continues in the following bytes, each
// added, until one below 255.
RowDecode DeltaRow(std::span<const uint8_t> data, std::vector<uint8_t>& row, size_t limit) {
  size_t at = 0;
  size_t pos = 0;
  bool whole = true;
  while (pos < data.size()) {
    uint8_t command = data[pos++];
    size_t count = (command >> 5) + 1;
    size_t offset = command & 31;
    if (offset == 31) {
      uint8_t more = 255;
      while (more == 255) {
        if (pos >= data.size()) return {false, "a delta offset that runs past the row's data"};
        more = data[pos++];
        offset += more;
      }
    }
    at += offset;
    if (pos + count > data.size()) {
      Put(row, at, data.data() + pos, data.size() - pos, false, limit);
      return {false, "replacement bytes that run past the row's data"};
    }
    whole &= Put(row, at, data.data() + pos, count, false, limit);
    pos += count;
    at += count;
    if (at > limit) at = limit;
  }
  if (!whole) return {false, "a row longer than the image"};
  return {};
}

}  // namespace

RowDecode DecodeRasterRow(int method, std::span<const uint8_t> data, std::vector<uint8_t>& row,
                          size_t limit) {
  switch (method) {
    case 0:
      return Uncompressed(data, row, limit);
    case 2:
      return RunLength(data, row, limit);
    case 3:
      return DeltaRow(data, row, limit);
    default:
      return {false, "compression method " + std::to_string(method) + " is not known"};
  }
}

}  // namespace preview
