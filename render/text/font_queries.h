// The font queries of the driver function table. The device information record
// announces no device font, so the engine never realises one and never has a
// font to ask about: every query is refused.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

// The device fonts the device information record announces to the engine. The
// printer's resident fonts stay unannounced: text prints with the label font or
// as glyph images.
inline constexpr ULONG kAnnouncedDeviceFonts = 0;

}  // namespace render
