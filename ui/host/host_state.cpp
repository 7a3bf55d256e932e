// The settings UI library's per-process state.
#include "ui/host/host_state.h"

#include <atomic>

namespace ui {
namespace {

struct Lock {
  CRITICAL_SECTION section;
  Lock() { InitializeCriticalSection(&section); }
};

std::atomic<HMODULE> libraryModule{nullptr};

}  // namespace

CRITICAL_SECTION& DescriptionLock() {
  // Made on first use, so that calls before the loader's attach still find it.
  static Lock lock;
  return lock.section;
}

HMODULE LibraryModule() { return libraryModule.load(); }
void SetLibraryModule(HMODULE module) { libraryModule.store(module); }

}  // namespace ui
