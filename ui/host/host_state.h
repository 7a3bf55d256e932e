// State the settings UI library keeps per process: its module handle and the
// description lock that serialises loading and reading printer descriptions.
#pragma once

#include "platform/platform.h"

namespace ui {

// Recursive for the owning thread, so a call that holds it may run a step that
// takes it again (printer initialisation while the UI state is built).
CRITICAL_SECTION& DescriptionLock();

// The library's module handle: its string table and font metric records.
HMODULE LibraryModule();
void SetLibraryModule(HMODULE module);

// Holds the description lock for a scope.
class DescriptionLockHolder {
 public:
  DescriptionLockHolder() { EnterCriticalSection(&DescriptionLock()); }
  ~DescriptionLockHolder() { LeaveCriticalSection(&DescriptionLock()); }
  DescriptionLockHolder(const DescriptionLockHolder&) = delete;
  DescriptionLockHolder& operator=(const DescriptionLockHolder&) = delete;
};

}  // namespace ui
