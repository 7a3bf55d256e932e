// The render libraries the engine has loaded: each is loaded and enabled once
// (DrvEnableDriver) while any device context uses it, and disabled and unloaded
// with its last user. Internal to the engine.
#pragma once

#include <array>
#include <string>

#include "platform/engine/ddi.h"

namespace platform::engine {

struct LoadedDriver {
  std::u16string path;
  HMODULE module = nullptr;
  DRVENABLEDATA enableData{};
  std::array<PFN, INDEX_LAST> entries{};  // by function index; null: not in the table
  int users = 0;

  // The entry of index `i` as its own type, or null.
  template <typename F>
  F Entry(ULONG i) const {
    return i < INDEX_LAST ? reinterpret_cast<F>(entries[i]) : nullptr;
  }
};

// The enabled library of `path`, with one more user; null with the last error
// set when it cannot be loaded, is not a user-mode driver, refuses the engine or
// lacks the entries every device needs.
LoadedDriver* AcquireDriver(const std::u16string& path);
// One user less; the last one disables and unloads the library.
void ReleaseDriver(LoadedDriver* driver);

}  // namespace platform::engine
