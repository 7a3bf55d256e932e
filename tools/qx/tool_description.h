// Loading a printer description in the tools, the way the driver loads it.
#pragma once

#include <memory>
#include <string>

#include "platform/base/memory.h"
#include "settings/description.h"

namespace qx {

struct GlobalBlockFree {
  void operator()(void* block) const { GlobalFree(block); }
};

// A loaded description block, freed with the global-memory free.
struct LoadedDescription {
  std::unique_ptr<void, GlobalBlockFree> block;
  settings::Description View() const { return settings::Description(block.get()); }
};

// The module whose resources the tools hand to the description loader.
HMODULE ToolResourceModule();

// Loads `file` (a native path) through its cache file, or parses it when
// `useCache` is false; on failure `error` says why.
bool LoadToolDescription(const std::string& file, bool useCache, LoadedDescription* loaded,
                         std::string* error);

}  // namespace qx
