// The libraries' string table: names and texts found by number with LoadStringW.
#pragma once

#include <span>

#include "platform/modules/modules.h"

namespace resources {

// Sorted by number.
std::span<const QX_STRING> StringTable();

}  // namespace resources
