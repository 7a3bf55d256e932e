// Flattening a parsed description into the relocatable block of
// description_layout.h: one allocation in which every reference is an offset, the
// default keywords are replaced by default choices, the constraint and
// order-dependency names by positions, and every PageSize option's imageable area
// is normalised. The same bytes are written as the cache file.
#pragma once

#include "settings/description_record.h"

namespace settings {

// A new block in global memory (GlobalFree), with totalSize and format version 3
// set and the predefined references zero. Null when memory runs out or the
// description is too large for the layout's 32-bit sizes and 16-bit counts.
void* FlattenDescription(ParsedDescription& record);

}  // namespace settings
