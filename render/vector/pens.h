// Pens: engine colours are mapped to the 16 logical pens of the settings' pen
// table (each bound to one of the named screen colours), a pen's device colour
// is defined by the colour mode ("PC") and the pen selected ("SP"); widths go out
// with "PW". Every command is left out when the device already has its value.
#pragma once

#include <cstdint>

namespace render {

struct DeviceContext;

// The colour-table entry no colour is bound to; pens pointing at it are unused.
constexpr int kNoColourEntry = 24;

// The basic colour class 0 (White) to 7 (Yellow) of a colour, by the bins
// 0-31, 32-63, ..., 224-254 and 255 of its red, green and blue.
int BasicColourClass(std::uint32_t rgb);
// The colour-table entry of a colour: a user colour 8 to 23 that equals it and
// is bound to a pen, else its basic class.
int ClassifyColour(const DeviceContext& dc, std::uint32_t rgb);

// The pen that draws a colour: the first pen bound to its entry, else the first
// black pen, else pen 1 (then defined from the colour itself).
int FindPenForColour(const DeviceContext& dc, std::uint32_t rgb);

// Defines and selects the pen for a drawing colour.
void SelectPenForColour(DeviceContext& dc, std::uint32_t rgb);
// Selects device pen 30 or 31 for text; `rgb` -1 stands for black.
void SelectTextPen(DeviceContext& dc, std::uint32_t rgb);
// With red ink available: the device's pen-set switch for the colour's pen.
// Returns whether it wrote.
bool WritePenSetSwitch(DeviceContext& dc, std::uint32_t rgb);
// "PW" for the current pen with a 24.8 millimetre width, unless the device has
// it already, the settings fix that pen's width, or no pen is selected.
void SetPenWidth(DeviceContext& dc, std::int32_t width);

// The settings' fixed width of pen n in hundredths of a millimetre, -1 for none
// (also for a stored width outside 0 to 10000, which no command can carry).
std::int32_t FixedPenWidth(const DeviceContext& dc, int pen);

}  // namespace render
