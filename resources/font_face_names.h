// The face names of the font metric records (resource type 258), by record
// number. The description parser shows East Asian device fonts under these names.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

namespace resources {

struct FontFaceName {
  WORD number;           // the metric number of the description's Font entries
  const char* fontName;  // the record's font name
  const char16_t* faceName;
};

// 219 records in ascending number: 1-79 Latin fonts, 100-151 Japanese fonts and
// 2100-2151 their vertical twins ("@" before the face name), 200-235 Chinese
// (Big5) fonts.
inline constexpr std::size_t kFontFaceNameCount = 219;
extern const FontFaceName kFontFaceNames[kFontFaceNameCount];

}  // namespace resources
