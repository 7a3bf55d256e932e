// The resource table of a driver library: what its exported "QxModuleResources"
// returns, and what FindResourceW and LoadStringW serve for its module handle.
#pragma once

#include "platform/modules/modules.h"

namespace resources {

// Built on first use; lives for the process.
const QX_RESOURCE_TABLE* ModuleResources();

}  // namespace resources
