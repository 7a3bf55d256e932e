// The printer's registry view, written through the registry's store inside the
// spooler's transaction, so that the view never disagrees with the printer.
#include "platform/spooler/registry_view.h"

#include <sqlite3.h>

#include "platform/registry/registry.h"

namespace platform::spool {

namespace {

constexpr char16_t kPrintersKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

std::u16string PrinterKey(std::u16string_view name) { return kPrintersKey + std::u16string(name); }

}  // namespace

bool UpdateRegistryView(sqlite3* db, const PrinterRecord& printer) {
  // A connection to a printer of a server has no key of this machine's printers.
  if (!printer.serverName.empty()) return RemoveRegistryView(db, printer.name);
  std::u16string key = PrinterKey(printer.name);
  std::u16string datatype = printer.datatype + u'\0';
  const BYTE attributes[4] = {
      static_cast<BYTE>(printer.attributes), static_cast<BYTE>(printer.attributes >> 8),
      static_cast<BYTE>(printer.attributes >> 16), static_cast<BYTE>(printer.attributes >> 24)};
  return registry::SetValueAt(db, HKEY_LOCAL_MACHINE, key, u"Datatype", REG_SZ, datatype.data(),
                              datatype.size() * sizeof(char16_t)) &&
         registry::SetValueAt(db, HKEY_LOCAL_MACHINE, key, u"Attributes", REG_DWORD, attributes,
                              sizeof attributes);
}

bool RemoveRegistryView(sqlite3* db, std::u16string_view name) {
  if (name.find(u'\\') != std::u16string_view::npos) return true;  // a connection: no key
  return registry::DeleteKeyTreeAt(db, HKEY_LOCAL_MACHINE, PrinterKey(name));
}

}  // namespace platform::spool
