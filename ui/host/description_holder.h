// The settings UI library's printer descriptions: one parsed description per
// process is kept, with the data file and font-order selector it was built for
// and a use count, since the UI asks for the same printer's description again
// and again. Everything here runs under the description lock.
#pragma once

#include "platform/platform.h"

namespace ui {

// The description of the printer's driver (its data file from driver
// information level 2), or null with the last error set. With `cached` the kept
// description is handed out when it was built from the same data file (compared
// without regard to case) with the printer's font-order selector. A newly
// parsed description becomes the kept one when the kept one is not in use.
// Give it back with ReleaseDescription.
[[nodiscard]] void* AcquireDescription(HANDLE printer, bool cached);
// The kept description only loses a use; any other is freed.
void ReleaseDescription(void* block);
// Frees the kept description (the library is detached from the process).
void FreeKeptDescription();
// The kept description's use count; -1 when none is kept.
int KeptDescriptionUses();

}  // namespace ui
