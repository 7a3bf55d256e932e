// The printer's registry view: HKLM "SYSTEM\CurrentControlSet\Control\Print\Printers\<name>"
// with the values "Datatype" (text) and "Attributes" (32-bit), which the settings UI
// reads. It is written in the same transaction as the printer it shows; a
// connection to a printer of a server (server name set) has none.
#pragma once

#include <string_view>

#include "platform/spooler/spooler.h"

struct sqlite3;

namespace platform::spool {

// Both run inside the caller's write transaction on `db`.
// Writes the printer's key and values; false when the registry could not be written.
[[nodiscard]] bool UpdateRegistryView(sqlite3* db, const PrinterRecord& printer);
// Removes the printer's key with what is below it (a missing key is no failure).
[[nodiscard]] bool RemoveRegistryView(sqlite3* db, std::u16string_view name);

}  // namespace platform::spool
