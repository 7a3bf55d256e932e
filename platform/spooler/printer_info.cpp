// GetPrinterW levels 1, 2 and 7, and SetPrinterW level 7 (publishing).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/base/error.h"
#include "platform/registry/database.h"
#include "platform/spooler/handles.h"
#include "platform/spooler/pack.h"
#include "platform/spooler/registry_view.h"
#include "platform/spooler/store.h"

namespace platform::spool {

namespace {

// PRINTER_INFO_1 Flags as the spooler reports a printer.
constexpr DWORD PRINTER_ENUM_ICON8 = 0x00800000;

BOOL PackLevel1(const PrinterRecord& p, LPBYTE buffer, DWORD cbBuf, LPDWORD needed) {
  std::u16string description = p.name + u"," + p.driver.name + u"," + p.location;
  return PackRecords<PRINTER_INFO_1W>(1, buffer, cbBuf, needed, [&](Packer& pack) {
    PRINTER_INFO_1W info{};
    info.Flags = PRINTER_ENUM_ICON8;
    info.pDescription = pack.String(description);
    info.pName = pack.String(p.name);
    info.pComment = pack.String(p.comment);
    pack.Put(0, info);
  });
}

BOOL PackLevel2(const PrinterRecord& p, DWORD jobs, LPBYTE buffer, DWORD cbBuf, LPDWORD needed) {
  return PackRecords<PRINTER_INFO_2W>(1, buffer, cbBuf, needed, [&](Packer& pack) {
    PRINTER_INFO_2W info{};
    // The settings record goes first, where the packer aligns it for its members.
    info.pDevMode = static_cast<LPDEVMODEW>(pack.Bytes(p.devMode));
    info.pServerName = p.serverName.empty() ? nullptr : pack.String(p.serverName);
    info.pPrinterName = pack.String(p.name);
    info.pShareName = pack.String(p.shareName);
    info.pPortName = pack.String(p.portName);
    info.pDriverName = pack.String(p.driver.name);
    info.pComment = pack.String(p.comment);
    info.pLocation = pack.String(p.location);
    info.pSepFile = pack.String(u"");
    info.pPrintProcessor = pack.String(u"winprint");
    info.pDatatype = pack.String(p.datatype);
    info.pParameters = pack.String(u"");
    info.Attributes = p.attributes;
    info.Priority = 1;
    info.Status = p.status;
    info.cJobs = jobs;
    pack.Put(0, info);
  });
}

BOOL PackLevel7(const PrinterRecord& p, LPBYTE buffer, DWORD cbBuf, LPDWORD needed) {
  return PackRecords<PRINTER_INFO_7W>(1, buffer, cbBuf, needed, [&](Packer& pack) {
    PRINTER_INFO_7W info{};
    bool published = !p.objectGuid.empty();
    info.pszObjectGUID = published ? pack.String(p.objectGuid) : nullptr;
    info.dwAction = published ? DSPRINT_PUBLISH : DSPRINT_UNPUBLISH;
    pack.Put(0, info);
  });
}

// A new directory object identifier, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::u16string NewObjectGuid() {
  unsigned char bytes[16] = {};
  if (getentropy(bytes, sizeof bytes) != 0) {
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(std::rand());
  }
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return std::u16string(text, text + 38);
}

// Applies a publishing action; false for an unknown one.
bool ApplyDirectoryAction(PrinterRecord& p, DWORD action) {
  switch (action) {
    case DSPRINT_PUBLISH:
    case DSPRINT_REPUBLISH:
      if (p.objectGuid.empty() || action == DSPRINT_REPUBLISH) p.objectGuid = NewObjectGuid();
      p.attributes |= PRINTER_ATTRIBUTE_PUBLISHED;
      break;
    case DSPRINT_UPDATE:
      break;
    case DSPRINT_UNPUBLISH:
      p.objectGuid.clear();
      p.attributes &= ~PRINTER_ATTRIBUTE_PUBLISHED;
      break;
    default:
      return false;
  }
  ++p.directoryUpdates;
  return true;
}

}  // namespace

}  // namespace platform::spool

BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  if (Level != 1 && Level != 2 && Level != 7) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  std::optional<platform::PrinterRecord> printer;
  DWORD jobs = 0;
  platform::ReadDatabase([&](sqlite3* db) {
    printer = LoadPrinter(db, handle->printer);
    if (printer) jobs = CountJobs(db, printer->name);
    return true;
  });
  if (!printer) {
    SetLastError(ERROR_PRINTER_DELETED);
    return FALSE;
  }
  if (Level == 1) return PackLevel1(*printer, pPrinter, cbBuf, pcbNeeded);
  if (Level == 2) return PackLevel2(*printer, jobs, pPrinter, cbBuf, pcbNeeded);
  return PackLevel7(*printer, pPrinter, cbBuf, pcbNeeded);
}

BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD /*Command*/) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  if (Level != 7) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pPrinter == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PRINTER_INFO_7W info;
  std::memcpy(&info, pPrinter, sizeof info);
  DWORD error = ChangeHandlePrinter(*handle, [&](sqlite3* db, platform::PrinterRecord& printer) {
    if (!ApplyDirectoryAction(printer, info.dwAction)) return ERROR_INVALID_PARAMETER;
    return StorePrinter(db, printer) && UpdateRegistryView(db, printer) ? ERROR_SUCCESS
                                                                        : ERROR_GEN_FAILURE;
  });
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}
