// The process-wide resource module of the settings library.
#include "settings/resource_module.h"

#include <atomic>

namespace settings {

namespace {
std::atomic<HMODULE> gModule{nullptr};
}  // namespace

void SetResourceModule(HMODULE module) { gModule.store(module, std::memory_order_release); }

HMODULE ResourceModule() { return gModule.load(std::memory_order_acquire); }

}  // namespace settings
