// Printer handles of this process and the rights they carry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

#include "platform/base/handles.h"
#include "platform/spooler/ports.h"
#include "platform/spooler/spooler.h"

namespace platform::spool {

// What a handle may do. kDefault follows the user's right to change the printer
// at each call; kAdminister was checked when the handle was opened; kUse never
// changes the printer.
enum class HandleAccess { kDefault, kAdminister, kUse };

// The job started on a handle and where its bytes go.
struct OpenJob {
  DWORD id = 0;
  std::unique_ptr<PortSink> sink;
  DWORD pages = 0;
  std::uint64_t size = 0;  // bytes written so far
  bool inPage = false;
};

// A printer handle is a kernel handle of the kind kPrinter, so a closed handle
// never reaches a printer opened later.
struct PrinterHandle : HandleObject {
  ~PrinterHandle() override;
  std::u16string printer;  // the name as stored
  HandleAccess access = HandleAccess::kDefault;
  std::u16string datatype;             // from the defaults, empty: the printer's
  std::vector<unsigned char> devMode;  // from the defaults, empty: the printer's
  std::mutex lock;                     // guards job and portError
  std::unique_ptr<OpenJob> job;
  std::string portError;
};

// The live handle behind `handle`, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<PrinterHandle> FindHandle(HANDLE handle);

// The handle's printer as stored now, or none with ERROR_PRINTER_DELETED set.
std::optional<PrinterRecord> LoadHandlePrinter(const PrinterHandle& handle);

// Whether calls on this handle may change `printer` now: the handle was not opened
// for use only, and the user may change the printer or the thread runs as the
// spooler itself (RevertToPrinterSelf).
bool MayChange(const PrinterHandle& handle, const PrinterRecord& printer);

// Runs `change` in one write transaction on the handle's printer once the handle
// may change it. `change` returns an error code; ERROR_SUCCESS commits. The
// result is that code, ERROR_PRINTER_DELETED or ERROR_ACCESS_DENIED (also set as
// the last error when it is not ERROR_SUCCESS).
DWORD ChangeHandlePrinter(const PrinterHandle& handle,
                          const std::function<DWORD(sqlite3* db, PrinterRecord& printer)>& change);

// Aborts a job open on the handle (caller holds handle.lock).
void DropJob(PrinterHandle& handle);

}  // namespace platform::spool
