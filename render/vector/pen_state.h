// The pen and line state the KX-GL/2 emitter keeps in the device context: which
// pen the device has selected, the width it holds for each pen, the colour and
// line description last applied, and the label settings of the text output.
// Every command is written only when its value differs from what is kept here.
#pragma once

#include <array>
#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

constexpr int kDevicePens = 32;
// The colour kept when no colour is known (the page set-up's "none").
constexpr std::uint32_t kNoColour = 0xFFFFFFFF;
// Emitter flag: a transform was fetched for the current path.
constexpr DWORD kEmitterTransformFetched = 0x4;
// The fill-type marker of a solid fill.
constexpr std::int32_t kFillSolid = 6;

constexpr std::array<std::int32_t, kDevicePens> NoPenWidths() {
  std::array<std::int32_t, kDevicePens> widths{};
  for (std::int32_t& w : widths) w = -1;
  return widths;
}

// The engine line description last applied. Style elements are kept as their
// raw 32-bit patterns (floats for wide lines, integers for thin ones).
struct CachedLine {
  FLONG flags = LA_GEOMETRIC;
  std::int32_t join = JOIN_MITER;
  std::int32_t cap = -1;
  std::uint32_t width = 0;
  FLOATL miterLimit = 5.0f;
  ULONG styleCount = 0;
  std::uint32_t* style = nullptr;  // heap of the device context, styleCount elements
  std::uint32_t styleState = 0;
};

struct PenState {
  std::int32_t currentPen = -1;  // pen last selected with "SP"
  // The width last written with "PW" for each pen, 24.8 millimetres.
  std::array<std::int32_t, kDevicePens> penWidths = NoPenWidths();
  std::uint32_t cachedColour = kNoColour;  // the colour a pen was last selected for
  CachedLine line;
  // The last world-to-device transforms fetched for wide lines.
  XFORML transforms[2] = {{1, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 0, 0}};
  DWORD emitterFlags = 0;
  std::int32_t fillType = kFillSolid;  // the fill-type marker of the brushes
  // Pens 25 and 26 hold the white and black of the monochrome fill patterns
  // ("PC25,255,255,255PC26,0,0,0"); cleared when pen 25 is redefined.
  bool patternPens = false;
};

// What the device holds of the label commands, and the text colour last chosen.
struct LabelState {
  std::int32_t symbolSet = 4;  // 4 after "SD1,11", 2 after "SD1,43"
  std::int32_t byteMode = 2;   // 1 after "SALM1", else the class of the last run
  std::int32_t sizeWidth = 0;  // the last "SI" values
  std::int32_t sizeHeight = 0;
  std::int32_t directionRun = 0;  // the last "DI" values
  std::int32_t directionRise = 0;
  std::int32_t slanted = 0;  // 1 while "SL0.5" is in force
  std::uint32_t textColour = kNoColour;
};

}  // namespace render
