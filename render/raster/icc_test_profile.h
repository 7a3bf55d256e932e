// Test profiles: an ICC output profile written byte by byte, with an 8-bit
// "B2A0" lookup table (three channels in and out, 17 grid points, identity input
// and output tables) or the tags of a matrix-and-curve profile, and the knobs to
// break it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace render::testing {

struct IccTag {
  std::string signature;
  std::vector<unsigned char> data;
  // Overrides of the tag table entry (-1: the real offset and size).
  long long offset = -1;
  long long size = -1;
};

inline void PutBig32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t v) {
  bytes[at] = static_cast<unsigned char>(v >> 24);
  bytes[at + 1] = static_cast<unsigned char>(v >> 16);
  bytes[at + 2] = static_cast<unsigned char>(v >> 8);
  bytes[at + 3] = static_cast<unsigned char>(v);
}

// The grid entry of node (i, j, k) for output channel ch.
using GridFunction = std::function<unsigned char(int i, int j, int k, int ch)>;

struct LutShape {
  int inputs = 3;
  int outputs = 3;
  int grid = 17;
  bool stepTables = true;  // input and output tables start 0, 1, 2, 3, 4
};

// An "mft1" tag: header, channel counts and grid points, a matrix, the input
// tables, the grid (red slowest, three bytes per node), the output tables.
inline std::vector<unsigned char> LutTag(const GridFunction& grid, LutShape shape = {}) {
  std::vector<unsigned char> t(48, 0);
  t[0] = 'm', t[1] = 'f', t[2] = 't', t[3] = '1';
  t[8] = static_cast<unsigned char>(shape.inputs);
  t[9] = static_cast<unsigned char>(shape.outputs);
  t[10] = static_cast<unsigned char>(shape.grid);
  auto table = [&](std::vector<unsigned char>& to) {
    for (int v = 0; v < 256; ++v)
      to.push_back(static_cast<unsigned char>(shape.stepTables ? v : 255 - v));
  };
  for (int c = 0; c < shape.inputs; ++c) table(t);
  int g = shape.grid;
  for (int i = 0; i < g; ++i) {
    for (int j = 0; j < g; ++j) {
      for (int k = 0; k < g; ++k) {
        for (int ch = 0; ch < shape.outputs; ++ch) t.push_back(grid(i, j, k, ch));
      }
    }
  }
  for (int c = 0; c < shape.outputs; ++c) table(t);
  return t;
}

// A whole profile: the 128-byte header (size, connection space), the tag count,
// the tag table and the tags' data.
inline std::vector<unsigned char> IccProfile(const std::string& connectionSpace,
                                             const std::vector<IccTag>& tags) {
  std::vector<unsigned char> bytes(132 + tags.size() * 12, 0);
  bytes[12] = 'p', bytes[13] = 'r', bytes[14] = 't', bytes[15] = 'r';
  bytes[16] = 'R', bytes[17] = 'G', bytes[18] = 'B', bytes[19] = ' ';
  for (int i = 0; i < 4; ++i) bytes[20 + i] = static_cast<unsigned char>(connectionSpace[i]);
  bytes[36] = 'a', bytes[37] = 'c', bytes[38] = 's', bytes[39] = 'p';
  PutBig32(bytes, 128, static_cast<std::uint32_t>(tags.size()));
  for (std::size_t n = 0; n < tags.size(); ++n) {
    std::size_t entry = 132 + n * 12;
    std::size_t offset = bytes.size();
    bytes.insert(bytes.end(), tags[n].data.begin(), tags[n].data.end());
    while (bytes.size() % 4) bytes.push_back(0);
    for (int i = 0; i < 4; ++i) bytes[entry + i] = static_cast<unsigned char>(tags[n].signature[i]);
    PutBig32(bytes, entry + 4,
             static_cast<std::uint32_t>(tags[n].offset >= 0 ? tags[n].offset : offset));
    PutBig32(bytes, entry + 8,
             static_cast<std::uint32_t>(tags[n].size >= 0 ? tags[n].size : tags[n].data.size()));
  }
  PutBig32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

// An RGB profile whose table gives the grid function.
inline std::vector<unsigned char> RgbLutProfile(const GridFunction& grid, LutShape shape = {}) {
  return IccProfile("RGB ",
                    {{"desc", std::vector<unsigned char>(12, 0)}, {"B2A0", LutTag(grid, shape)}});
}

}  // namespace render::testing
