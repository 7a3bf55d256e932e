// The colour state of a device context: the colour matching prepared from the
// settings when the device context is built (profile table, converted-colour
// cache, the memory of the last raster palette sent), and released with it.
#pragma once

#include <cstdint>

namespace render {

struct DeviceContext;

constexpr int kProfileGrid = 17;
constexpr int kProfileNodes = kProfileGrid * kProfileGrid * kProfileGrid;  // 4,913
constexpr std::uint32_t kColourCacheEntries = 6007;
constexpr int kRasterPaletteColours = 256;

// The three output tables of a profile's lookup table, one byte per grid node.
// Node (i, j, k) of red i, green j, blue k lies at i * 289 + j * 17 + k; node n
// stands for the input value 16 n, node 16 for 255.
struct ColorProfileTable {
  std::uint8_t gridSize;
  std::uint8_t channel[3][kProfileNodes];  // red, green, blue output
};

struct ColourCacheEntry {
  std::uint16_t used;
  std::uint32_t input;
  std::uint32_t output;
};

struct ColourState {
  bool colorMatchingOn;
  ColorProfileTable* profile;          // global memory, or null: no table
  ColourCacheEntry* cache;             // global memory, kColourCacheEntries, or null
  std::uint32_t* rasterPaletteMemory;  // global memory, kRasterPaletteColours, or null
  bool rasterPaletteExists;
};

// Called when the device context is built (after its settings are final) and
// when it is torn down.
void PrepareColourState(DeviceContext& dc);
void ReleaseColourState(DeviceContext& dc);

}  // namespace render
