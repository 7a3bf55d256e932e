// The row encoders: exact bytes of the delta-row and run-length rules, their
// bounds, and round trips through decoders written here from the same rules.
#include "render/raster/row_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "render/raster/sample_drawing.h"

namespace {

using render::EncodeDeltaRow;
using render::EncodeRunLength;
using Bytes = std::vector<unsigned char>;

Bytes Delta(const Bytes& seed, const Bytes& row) {
  Bytes out(render::DeltaRowWorstCase(row.size()) + 1);
  out.resize(EncodeDeltaRow(out, seed, row));
  return out;
}

Bytes RunLength(const Bytes& row) {
  Bytes out(2 * row.size());
  out.resize(EncodeRunLength(out, row));
  return out;
}

// Method 3 decoder: commands against the seed, which becomes the row.
bool DecodeDelta(const Bytes& data, Bytes& row) {
  std::size_t i = 0, p = 0;
  while (i < data.size()) {
    const unsigned command = data[i++];
    std::size_t count = (command >> 5) + 1;
    std::size_t offset = command & 31;
    if (offset == 31) {
      for (;;) {
        if (i >= data.size()) return false;
        unsigned char more = data[i++];
        offset += more;
        if (more != 255) break;
      }
    }
    p += offset;
    if (p + count > row.size() || i + count > data.size()) return false;
    for (std::size_t k = 0; k < count; ++k) row[p++] = data[i++];
  }
  return true;
}

// Method 2 decoder.
bool DecodeRunLength(const Bytes& data, Bytes& row) {
  row.clear();
  std::size_t i = 0;
  while (i < data.size()) {
    const int n = static_cast<signed char>(data[i++]);
    if (n >= 0) {
      if (i + n + 1 > data.size()) return false;
      row.insert(row.end(), data.begin() + i, data.begin() + i + n + 1);
      i += n + 1;
    } else if (n != -128) {
      if (i >= data.size()) return false;
      row.insert(row.end(), static_cast<std::size_t>(1 - n), data[i++]);
    }
  }
  return true;
}

Bytes Zeros(std::size_t n) { return Bytes(n, 0); }
Bytes With(Bytes b, std::size_t at, unsigned char v) {
  b[at] = v;
  return b;
}

TEST(DeltaRow, CommandBytes) {
  struct Case {
    const char* name;
    Bytes seed, row, expected;
  };
  Bytes tenDiffer = Zeros(12);
  for (int i = 0; i < 10; ++i) tenDiffer[i] = static_cast<unsigned char>(i + 1);
  const Case kCases[] = {
      {"unchanged row", {1, 2, 3}, {1, 2, 3}, {}},
      {"all-zero first row", Zeros(8), Zeros(8), {}},
      {"one byte at offset 1", Zeros(4), {0, 0xFF, 0, 0}, {0x01, 0xFF}},
      {"offset 30 fits the command", Zeros(40), With(Zeros(40), 30, 7), {0x1E, 7}},
      {"offset 31 takes a 0", Zeros(40), With(Zeros(40), 31, 7), {0x1F, 0, 7}},
      {"offset 40", Zeros(48), With(Zeros(48), 40, 0xAA), {0x1F, 9, 0xAA}},
      {"offset 285", Zeros(300), With(Zeros(300), 285, 7), {0x1F, 254, 7}},
      {"offset 286 takes 255, 0", Zeros(300), With(Zeros(300), 286, 7), {0x1F, 255, 0, 7}},
      {"offset 541 takes 255, 255, 0",
       Zeros(600),
       With(Zeros(600), 541, 7),
       {0x1F, 255, 255, 0, 7}},
      {"ten differing bytes", Zeros(12), tenDiffer, {0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 0x20, 9, 10}},
      {"offsets count from the previous command",
       Zeros(8),
       {5, 0, 0, 6, 6, 0, 0, 0},
       {0x00, 5, 0x22, 6, 6}},
      {"last byte", Zeros(4), {0, 0, 0, 9}, {0x03, 9}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Delta(c.seed, c.row), c.expected);
  }
}

TEST(DeltaRow, ReportsTheFullLengthBeyondTheArea) {
  Bytes seed = Zeros(16), row(16, 0x11);  // two commands of 8: 18 bytes
  Bytes area(10, 0xEE);
  EXPECT_EQ(EncodeDeltaRow(std::span(area).first(5), seed, row), 18u);
  EXPECT_EQ(area[4], 0x11);
  EXPECT_EQ(area[5], 0xEE);  // nothing written past the area
  EXPECT_EQ(Delta(seed, row).size(), 18u);
}

TEST(RunLength, RunsAndStretches) {
  struct Case {
    const char* name;
    Bytes row, expected;
  };
  Bytes distinct129(129), distinctExpected(131);
  for (int i = 0; i < 129; ++i) distinct129[i] = static_cast<unsigned char>(i);
  distinctExpected[0] = 127;  // 128 bytes, then a stretch of one
  for (int i = 0; i < 128; ++i) distinctExpected[1 + i] = static_cast<unsigned char>(i);
  distinctExpected[129] = 0;
  distinctExpected[130] = 128;
  const Case kCases[] = {
      {"200 bytes 0x55", Bytes(200, 0x55), {0x81, 0x55, 0xB9, 0x55}},
      {"a run of two", {7, 7}, {0xFF, 7}},
      {"one byte", {9}, {0, 9}},
      {"stretch stops before a run", {1, 2, 2, 3}, {0, 1, 0xFF, 2, 0, 3}},
      {"run of 129 leaves one", Bytes(129, 4), {0x81, 4, 0, 4}},
      {"129 distinct bytes", distinct129, distinctExpected},
      {"empty row", {}, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunLength(c.row), c.expected);
  }
}

TEST(RunLength, GivesUpWhenTheAreaIsTooSmall) {
  Bytes row{1, 2, 3, 4};  // needs 5 bytes
  Bytes area(4);
  EXPECT_EQ(EncodeRunLength(area, row), 0u);
}

// Rows of every kind: sparse changes, dense noise, long runs and patterns that
// are hard for one method or the other.
std::vector<Bytes> RandomRows(std::size_t count, std::size_t length, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Bytes> rows;
  Bytes row(length, 0);
  for (std::size_t r = 0; r < count; ++r) {
    switch (rng() % 5) {
      case 0:  // a few bytes change
        for (int k = 0; k < 3; ++k) row[rng() % length] = static_cast<unsigned char>(rng());
        break;
      case 1:  // noise
        for (auto& b : row) b = static_cast<unsigned char>(rng());
        break;
      case 2:  // alternating with the seed: every other byte differs
        for (std::size_t i = 0; i < length; i += 2) row[i] = static_cast<unsigned char>(~row[i]);
        break;
      case 3:  // runs
        for (std::size_t i = 0; i < length;) {
          std::size_t n = 1 + rng() % 300;
          unsigned char v = static_cast<unsigned char>(rng() % 3);
          for (; n > 0 && i < length; --n) row[i++] = v;
        }
        break;
      default:  // unchanged
        break;
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<Bytes> DrawingRows(int bits) {
  render::sample::Drawing d = render::sample::MakeDrawing(1200, 900, bits, 7);
  std::size_t rowBytes = render::RowDataBytes(d.width, bits);
  std::vector<Bytes> rows;
  for (int y = 0; y < d.height; ++y) {
    const unsigned char* p = d.pixels.data() + static_cast<std::size_t>(y) * d.rowStep;
    rows.emplace_back(p, p + rowBytes);
  }
  return rows;
}

void ExpectRoundTrips(const std::vector<Bytes>& rows) {
  Bytes seed(rows.front().size(), 0), decoded = seed;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    SCOPED_TRACE(r);
    Bytes delta = Delta(seed, rows[r]);
    EXPECT_LE(delta.size(), render::DeltaRowWorstCase(rows[r].size()));
    ASSERT_TRUE(DecodeDelta(delta, decoded));
    ASSERT_EQ(decoded, rows[r]);
    seed = rows[r];
    Bytes runs = RunLength(rows[r]);
    EXPECT_LE(runs.size(), render::RunLengthWorstCase(rows[r].size()));
    Bytes unpacked;
    ASSERT_TRUE(DecodeRunLength(runs, unpacked));
    ASSERT_EQ(unpacked, rows[r]);
  }
}

TEST(RowEncoding, RandomRowsRoundTrip) {
  for (std::size_t length : {1u, 2u, 7u, 8u, 9u, 31u, 33u, 300u, 2484u}) {
    SCOPED_TRACE(length);
    ExpectRoundTrips(RandomRows(200, length, static_cast<unsigned>(length)));
  }
}

TEST(RowEncoding, DrawingRowsRoundTrip) {
  SCOPED_TRACE("one bit");
  ExpectRoundTrips(DrawingRows(1));
  SCOPED_TRACE("24 bits");
  ExpectRoundTrips(DrawingRows(24));
}

TEST(RowEncoding, WorstCasesAreReached) {
  // Every byte differs from the seed: each command of eight bytes costs nine.
  EXPECT_EQ(Delta(Zeros(16), Bytes(16, 1)).size(), render::DeltaRowWorstCase(16));
  // One byte, a pair, one byte, ...: each single byte costs two.
  EXPECT_EQ(RunLength({1, 2, 2, 3, 4, 4, 5}).size(), render::RunLengthWorstCase(7));
}

}  // namespace
