// Raster row decoders, with rows written by the rules of each method.
#include "tools/preview/raster_rows.h"

#include <gtest/gtest.h>

namespace preview {
namespace {

using Bytes = std::vector<uint8_t>;

struct Case {
  const char* name;
  int method;
  Bytes seed;
  Bytes data;
  Bytes row;
  bool ok;
};

const Case kCases[] = {
    // Delta row: command byte (count - 1) * 32 + offset, then the bytes.
    {"delta: one byte at offset 1", 3, {0, 0, 0, 0}, {0x01, 0xFF}, {0, 0xFF, 0, 0}, true},
    {"delta: empty data repeats the seed", 3, {1, 2, 3}, {}, {1, 2, 3}, true},
    {"delta: offsets count from the last replacement",
     3,
     {0, 0, 0, 0, 0, 0},
     {0x20, 0xAA, 0xBB, 0x01, 0xCC},
     {0xAA, 0xBB, 0, 0xCC, 0, 0},
     true},
    {"delta: eight bytes and then two",
     3,
     Bytes(10, 0),
     {0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 0x20, 9, 10},
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     true},
    {"delta: replacement runs past the data", 3, {0, 0, 0}, {0x40, 7}, {7, 0, 0}, false},
    // Run-length: 1 - n (as a signed byte) repeats the next byte n times;
    // n - 1 takes the next n bytes as they are.
    {"run-length: a run and a stretch",
     2,
     {9, 9, 9},
     {0xFE, 0x55, 0x01, 1, 2},
     {0x55, 0x55, 0x55, 1, 2},
     true},
    {"run-length: 128 is no operation", 2, {}, {0x80, 0x00, 7}, {7}, true},
    {"run-length: a run without its byte", 2, {}, {0xFE}, {}, false},
    {"none: the bytes themselves", 0, {5, 5, 5, 5}, {1, 2}, {1, 2}, true},
    {"unknown method", 7, {4, 4}, {1}, {4, 4}, false},
};

TEST(RasterRows, DecodesEachMethod) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Bytes row = c.seed;
    RowDecode result = DecodeRasterRow(c.method, c.data, row, kMaxRowBytes);
    EXPECT_EQ(result.ok, c.ok) << result.problem;
    EXPECT_EQ(row, c.row);
  }
}

// An offset of 31 continues in the next bytes: 40 is 31 + 9, 286 is 31 + 255 + 0.
TEST(RasterRows, LongDeltaOffsets) {
  Bytes row(400, 0);
  RowDecode result = DecodeRasterRow(3, Bytes{0x1F, 9, 0xAB, 0x1F, 255, 0, 0xCD}, row, 400);
  ASSERT_TRUE(result.ok) << result.problem;
  EXPECT_EQ(row[40], 0xAB);
  EXPECT_EQ(row[41 + 286], 0xCD);
  EXPECT_EQ(row.size(), 400u);
}

TEST(RasterRows, RowsNeverGrowBeyondTheLimit) {
  Bytes row;
  RowDecode result = DecodeRasterRow(2, Bytes{0x81, 0x11, 0x81, 0x22}, row, 200);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(row.size(), 200u);
  EXPECT_EQ(row[127], 0x11);
  EXPECT_EQ(row[199], 0x22);
}

}  // namespace
}  // namespace preview
