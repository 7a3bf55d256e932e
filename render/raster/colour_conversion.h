// Colour conversion: every colour written into the print stream passes through
// here first. The user's adjustments (brightness, contrast, saturation, red,
// green and blue intensity, gray snapping) are applied, the adjusted colour is
// matched to the printer through the profile's lookup table when one is loaded,
// and converted colours are kept in a direct-mapped cache.
//
// Colours are 0x00BBGGRR. Pixels of 24-bit images lie as red, green, blue bytes;
// palette entries as blue, green, red, reserved.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/raster/colour_state.h"

namespace render {

struct DeviceContext;

// One colour set of the settings (the set whose number is the colour mode is in
// force): the sliders are 0 to 100 with 50 for no change.
struct ColourSet {
  int colormatch;
  int truegray;
  int brigt;
  int cntrasut;
  int satulation;
  int intred;
  int intgreen;
  int intblue;
};

// The colour set `set` (0 to 2) of a private block.
ColourSet ReadColourSet(const unsigned char* privateBlock, int set);
// The colour mode of the device context's settings, 0 to 2 (anything else is
// taken as monochrome).
int ColourMode(const DeviceContext& dc);

// The adjustments of colour modes 0 and 1, and of monochrome (brightness and
// contrast only). Pure black and white come back unchanged.
std::uint32_t AdjustColor(const ColourSet& set, std::uint32_t colour);
std::uint32_t AdjustMonoColor(const ColourSet& set, std::uint32_t colour);
std::uint32_t AdjustColor(const DeviceContext& dc, std::uint32_t colour);
std::uint32_t AdjustMonoColor(const DeviceContext& dc, std::uint32_t colour);

// Where a channel value falls on the 17-node grid: node 16 with fraction 0 for
// 255, else value / 16 and value mod 16.
struct GridPosition {
  int node;
  int fraction;
};
GridPosition GridPositionOf(int value);

// The colour through the profile's table, by interpolation along green and over
// one of the two triangles of the red-blue square. Integer arithmetic only.
std::uint32_t MatchColor(const ColorProfileTable& table, std::uint32_t colour);

// The colour of a pen, fill or text: monochrome adjustment in colour mode 2;
// unchanged without colour matching; adjusted only when the matching option is 1
// (its table is for images); else adjusted, matched unless neutral, and cached.
std::uint32_t ConvertColor(DeviceContext& dc, std::uint32_t colour);

// Image colours in colour modes 0 and 1, in place: `entries` palette entries or
// `count` pixels. Unlike ConvertColor, neutral grays other than black and white
// are matched also with gray handling 0. Only 24 bits per pixel runs convert.
void ConvertPaletteColors(DeviceContext& dc, unsigned char* palette, std::size_t entries);
void ConvertPixelRun(DeviceContext& dc, unsigned char* pixels, std::size_t count, int bitsPerPixel);
// The same for colour mode 2: the monochrome adjustment only.
void ConvertMonoPaletteColors(DeviceContext& dc, unsigned char* palette, std::size_t entries);
void ConvertMonoPixelRun(DeviceContext& dc, unsigned char* pixels, std::size_t count,
                         int bitsPerPixel);

// The gray level 0 to 255 of a colour: (74 R + 155 G + 27 B) / 256.
int GrayLevel(std::uint32_t colour);

// Whether vector data is printed in one chosen colour: the settings' switch,
// except on a printer that reports itself monochrome where the device decides.
std::int32_t VectorColorOverride(const DeviceContext& dc);

}  // namespace render
