// Printer data: named values of a printer, stored byte for byte with their type,
// which every user reads and only a user who may change the printer writes.
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/registry/database.h"
#include "platform/spooler/handles.h"
#include "platform/spooler/store.h"

namespace {

// The result of a printer data call is its error code; the thread's last error
// says the same for callers that look there.
DWORD Result(DWORD error) {
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error;
}

}  // namespace

DWORD GetPrinterDataW(HANDLE hPrinter, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                      LPDWORD pcbNeeded) {
  using namespace platform::spool;
  if (pValueName == nullptr || pcbNeeded == nullptr) return Result(ERROR_INVALID_PARAMETER);
  auto handle = FindHandle(hPrinter);
  if (!handle) return Result(ERROR_INVALID_HANDLE);
  bool known = false;
  std::optional<platform::PrinterDataValue> value;
  bool ok = platform::ReadDatabase([&](sqlite3* db) {
    known = LoadPrinter(db, handle->printer).has_value();
    if (known) value = LoadPrinterData(db, handle->printer, platform::WideView(pValueName));
    return true;
  });
  if (!ok) return Result(ERROR_GEN_FAILURE);
  if (!known) return Result(ERROR_PRINTER_DELETED);
  if (!value) {
    *pcbNeeded = 0;
    return Result(ERROR_FILE_NOT_FOUND);
  }
  *pcbNeeded = static_cast<DWORD>(value->bytes.size());
  if (pType) *pType = value->type;
  if (value->bytes.empty()) return ERROR_SUCCESS;
  if (pData == nullptr || nSize < value->bytes.size()) return Result(ERROR_MORE_DATA);
  std::memcpy(pData, value->bytes.data(), value->bytes.size());
  return ERROR_SUCCESS;
}

DWORD SetPrinterDataW(HANDLE hPrinter, LPCWSTR pValueName, DWORD Type, const BYTE* pData,
                      DWORD cbData) {
  using namespace platform::spool;
  if (pValueName == nullptr || (pData == nullptr && cbData != 0)) {
    return Result(ERROR_INVALID_PARAMETER);
  }
  auto handle = FindHandle(hPrinter);
  if (!handle) return Result(ERROR_INVALID_HANDLE);
  platform::PrinterDataValue value{std::u16string(platform::WideView(pValueName)), Type,
                                   std::vector<unsigned char>(pData, pData + cbData)};
  return ChangeHandlePrinter(*handle, [&](sqlite3* db, platform::PrinterRecord& printer) {
    return StorePrinterData(db, printer.name, value) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
  });
}

DWORD DeletePrinterDataW(HANDLE hPrinter, LPCWSTR pValueName) {
  using namespace platform::spool;
  if (pValueName == nullptr) return Result(ERROR_INVALID_PARAMETER);
  auto handle = FindHandle(hPrinter);
  if (!handle) return Result(ERROR_INVALID_HANDLE);
  return ChangeHandlePrinter(*handle, [&](sqlite3* db, platform::PrinterRecord& printer) {
    return DeletePrinterDataRow(db, printer.name, platform::WideView(pValueName))
               ? ERROR_SUCCESS
               : ERROR_FILE_NOT_FOUND;
  });
}
