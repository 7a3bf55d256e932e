// The library's own module, whose resources (font metric records, strings) the
// settings code reads. Each driver library sets it from its DllMain; without it
// descriptions with East Asian fonts cannot be loaded.
#pragma once

#include "platform/base/types.h"

namespace settings {

void SetResourceModule(HMODULE module);
// The module set last, or null.
HMODULE ResourceModule();

}  // namespace settings
