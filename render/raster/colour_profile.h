// ICC colour profiles installed beside the printer description: the 8-bit
// "B2A0" lookup table of an RGB output profile becomes the colour matching
// table. The file comes from outside, so every count, offset and size in it is
// checked against the bytes that are there; a profile that fails any check is
// unusable and printing goes on without matching.
#pragma once

#include <cstddef>

#include "render/raster/colour_state.h"

namespace render {

enum class ProfileKind {
  kUnusable,     // no table: missing tags, failed checks, broken file
  kMatrix,       // an XYZ matrix-and-curve profile: recognised, but gives no table
  kLookupTable,  // a usable "B2A0" table of 17 points per axis
};

// Reads a profile's bytes (big-endian throughout). `table` is filled only for
// kLookupTable.
ProfileKind ReadColorProfile(const unsigned char* bytes, std::size_t size,
                             ColorProfileTable* table);

// Reads the profile file at an absolute path and returns its table in global
// memory (GlobalFree gives it back), or null. The file is opened by its name in
// the ANSI code page; a path that would be cut or changed by that conversion is
// not opened at all.
ColorProfileTable* LoadColorProfile(const char16_t* path);

}  // namespace render
