// Printers as tools and tests manage them: add, change, list and remove, with
// their printer data. These bypass the access rules of the winspool functions.
#include <functional>

#include "platform/base/error.h"
#include "platform/registry/database.h"
#include "platform/spooler/ports.h"
#include "platform/spooler/registry_view.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store.h"

namespace platform {

namespace {

// A printer name is not empty and holds no comma (the separator of the
// "name,driver,location" description); only a connection to a printer of a
// server is named with backslashes, "\\server\printer".
bool IsPrinterName(const PrinterRecord& printer) {
  std::u16string_view name = printer.name;
  if (name.empty() || name.find(u',') != std::u16string_view::npos) return false;
  if (name.find(u'\\') == std::u16string_view::npos) return true;
  return !printer.serverName.empty() && name.size() > 2 && name.substr(0, 2) == u"\\\\";
}

// Runs `work` in one write transaction; `work` returns an error code and
// ERROR_SUCCESS commits. Sets the last error on failure.
bool Change(const std::function<DWORD(sqlite3* db)>& work) {
  DWORD error = ERROR_SUCCESS;
  bool ok = WithDatabase([&](sqlite3* db) {
    error = work(db);
    return error == ERROR_SUCCESS;
  });
  if (ok) return true;
  SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
  return false;
}

// Loads, edits and stores one printer.
bool EditPrinter(std::u16string_view name, const std::function<void(PrinterRecord&)>& edit) {
  return Change([&](sqlite3* db) {
    std::optional<PrinterRecord> printer = spool::LoadPrinter(db, name);
    if (!printer) return ERROR_INVALID_PRINTER_NAME;
    edit(*printer);
    return spool::StorePrinter(db, *printer) && spool::UpdateRegistryView(db, *printer)
               ? ERROR_SUCCESS
               : ERROR_GEN_FAILURE;
  });
}

}  // namespace

bool CheckPortName(std::u16string_view port, std::string* why) {
  spool::PortAddress address;
  return spool::ParsePortName(port, &address, why);
}

bool AddPrinter(const PrinterRecord& printer) {
  std::string why;
  if (!IsPrinterName(printer)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return false;
  }
  if (!CheckPortName(printer.portName, &why)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return Change([&](sqlite3* db) {
    if (spool::LoadPrinter(db, printer.name)) return ERROR_PRINTER_ALREADY_EXISTS;
    return spool::InsertPrinter(db, printer) && spool::UpdateRegistryView(db, printer)
               ? ERROR_SUCCESS
               : ERROR_GEN_FAILURE;
  });
}

bool RemovePrinter(std::u16string_view name) {
  return Change([&](sqlite3* db) {
    std::optional<PrinterRecord> printer = spool::LoadPrinter(db, name);
    if (!printer) return ERROR_INVALID_PRINTER_NAME;
    return spool::DeletePrinterRow(db, printer->name) &&
                   spool::RemoveRegistryView(db, printer->name)
               ? ERROR_SUCCESS
               : ERROR_GEN_FAILURE;
  });
}

bool UpdatePrinter(const PrinterRecord& printer) {
  std::string why;
  if (!CheckPortName(printer.portName, &why)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return EditPrinter(printer.name, [&](PrinterRecord& stored) {
    PrinterRecord kept = stored;  // the stored spelling and the directory state stay
    stored = printer;
    stored.name = kept.name;
    stored.objectGuid = kept.objectGuid;
    stored.directoryUpdates = kept.directoryUpdates;
  });
}

std::optional<PrinterRecord> FindPrinter(std::u16string_view name) {
  std::optional<PrinterRecord> printer;
  ReadDatabase([&](sqlite3* db) {
    printer = spool::LoadPrinter(db, name);
    return true;
  });
  return printer;
}

std::vector<PrinterRecord> ListPrinters() {
  std::vector<PrinterRecord> printers;
  ReadDatabase([&](sqlite3* db) {
    printers = spool::LoadPrinters(db);
    return true;
  });
  return printers;
}

bool SetUserMayChange(std::u16string_view printer, bool mayChange) {
  return EditPrinter(printer, [&](PrinterRecord& p) { p.userMayChange = mayChange; });
}

bool SetPrinterDevMode(std::u16string_view printer, const std::vector<unsigned char>& devMode) {
  return EditPrinter(printer, [&](PrinterRecord& p) { p.devMode = devMode; });
}

std::vector<PrinterDataValue> ListPrinterData(std::u16string_view printer) {
  std::vector<PrinterDataValue> values;
  ReadDatabase([&](sqlite3* db) {
    values = spool::LoadAllPrinterData(db, printer);
    return true;
  });
  return values;
}

bool SetPrinterData(std::u16string_view printer, const PrinterDataValue& value) {
  return Change([&](sqlite3* db) {
    std::optional<PrinterRecord> p = spool::LoadPrinter(db, printer);
    if (!p) return ERROR_INVALID_PRINTER_NAME;
    return spool::StorePrinterData(db, p->name, value) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
  });
}

bool DeletePrinterData(std::u16string_view printer, std::u16string_view name) {
  return Change([&](sqlite3* db) {
    std::optional<PrinterRecord> p = spool::LoadPrinter(db, printer);
    if (!p) return ERROR_INVALID_PRINTER_NAME;
    return spool::DeletePrinterDataRow(db, p->name, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

}  // namespace platform
