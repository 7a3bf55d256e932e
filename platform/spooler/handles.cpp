// OpenPrinterW and ClosePrinter, the table of live handles, and the spooler's
// impersonation of its client.
#include "platform/spooler/handles.h"

#include <cstddef>
#include <cstring>
#include <unordered_set>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/registry/database.h"
#include "platform/spooler/store.h"

namespace platform::spool {

namespace {

// Desired access bits that change the printer: the administer rights, and the
// standard rights to delete it or change its security (0xF0003 and 0xF000C
// both hold them), and generic-all.
constexpr ACCESS_MASK kChangingAccess = SERVER_ACCESS_ADMINISTER | PRINTER_ACCESS_ADMINISTER |
                                        0x00010000 /* delete */ | 0x00040000 /* write DAC */ |
                                        0x00080000 /* write owner */ | 0x10000000 /* all */;

constexpr HandleKind kPrinterKind = HandleKind::kPrinter;

std::mutex tokenLock;
thread_local bool runsAsSpooler = false;

// What RevertToPrinterSelf hands out: the identity to go back to.
struct Token {
  bool wasSpooler;
};
std::unordered_set<Token*>& Tokens() {
  static auto* tokens = new std::unordered_set<Token*>;
  return *tokens;
}

// The settings record the defaults carry: its public and private parts, as its
// sizes say (a record too short to hold them is taken as none).
std::vector<unsigned char> CopyDevMode(const DEVMODEW* devMode) {
  if (devMode == nullptr || devMode->dmSize < offsetof(DEVMODEW, dmFields)) return {};
  std::size_t size = std::size_t{devMode->dmSize} + devMode->dmDriverExtra;
  const auto* bytes = reinterpret_cast<const unsigned char*>(devMode);
  return std::vector<unsigned char>(bytes, bytes + size);
}

}  // namespace

// A handle closed with CloseHandle instead of ClosePrinter still lets go of its port.
PrinterHandle::~PrinterHandle() {
  if (job) job->sink->Abort();
}

std::shared_ptr<PrinterHandle> FindHandle(HANDLE handle) {
  std::shared_ptr<PrinterHandle> found = LookupHandle<PrinterHandle>(handle, kPrinterKind);
  if (!found) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

std::optional<PrinterRecord> LoadHandlePrinter(const PrinterHandle& handle) {
  std::optional<PrinterRecord> printer;
  ReadDatabase([&](sqlite3* db) {
    printer = LoadPrinter(db, handle.printer);
    return true;
  });
  if (!printer) SetLastError(ERROR_PRINTER_DELETED);
  return printer;
}

bool MayChange(const PrinterHandle& handle, const PrinterRecord& printer) {
  if (handle.access == HandleAccess::kUse) return false;
  return runsAsSpooler || printer.userMayChange;
}

DWORD ChangeHandlePrinter(const PrinterHandle& handle,
                          const std::function<DWORD(sqlite3* db, PrinterRecord& printer)>& change) {
  DWORD error = ERROR_SUCCESS;
  bool ok = WithDatabase([&](sqlite3* db) {
    std::optional<PrinterRecord> printer = LoadPrinter(db, handle.printer);
    if (!printer) {
      error = ERROR_PRINTER_DELETED;
    } else if (!MayChange(handle, *printer)) {
      error = ERROR_ACCESS_DENIED;
    } else {
      error = change(db, *printer);
    }
    return error == ERROR_SUCCESS;
  });
  if (error == ERROR_SUCCESS && !ok) error = ERROR_GEN_FAILURE;
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error;
}

}  // namespace platform::spool

using platform::spool::HandleAccess;
using platform::spool::PrinterHandle;

BOOL OpenPrinterW(LPCWSTR pPrinterName, HANDLE* phPrinter, PRINTER_DEFAULTSW* pDefault) {
  if (phPrinter == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phPrinter = nullptr;
  std::u16string_view name = platform::WideView(pPrinterName);
  std::optional<platform::PrinterRecord> printer;
  if (!name.empty()) {
    platform::ReadDatabase([&](sqlite3* db) {
      printer = platform::spool::LoadPrinter(db, name);
      return true;
    });
  }
  if (!printer) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  auto handle = std::make_shared<PrinterHandle>();
  handle->printer = printer->name;
  ACCESS_MASK desired = pDefault ? pDefault->DesiredAccess : 0;
  if (desired & platform::spool::kChangingAccess) {
    if (!platform::spool::runsAsSpooler && !printer->userMayChange) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    handle->access = HandleAccess::kAdminister;
  } else if (desired != 0) {
    handle->access = HandleAccess::kUse;
  }
  if (pDefault) {
    handle->datatype = platform::WideView(pDefault->pDatatype);
    handle->devMode = platform::spool::CopyDevMode(pDefault->pDevMode);
  }
  *phPrinter = platform::CreateHandle(platform::spool::kPrinterKind, handle);
  return *phPrinter != nullptr;
}

BOOL ClosePrinter(HANDLE hPrinter) {
  std::shared_ptr<PrinterHandle> handle = platform::spool::FindHandle(hPrinter);
  if (!handle || !platform::ReleaseHandle(hPrinter, &platform::spool::kPrinterKind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(handle->lock);
  if (handle->job) platform::spool::DropJob(*handle);
  return TRUE;
}

HANDLE RevertToPrinterSelf() {
  auto* token = new platform::spool::Token{platform::spool::runsAsSpooler};
  {
    std::lock_guard<std::mutex> guard(platform::spool::tokenLock);
    platform::spool::Tokens().insert(token);
  }
  platform::spool::runsAsSpooler = true;
  return token;
}

BOOL ImpersonatePrinterClient(HANDLE hToken) {
  auto* token = static_cast<platform::spool::Token*>(hToken);
  {
    std::lock_guard<std::mutex> guard(platform::spool::tokenLock);
    if (platform::spool::Tokens().erase(token) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  platform::spool::runsAsSpooler = token->wasSpooler;
  delete token;
  return TRUE;
}
