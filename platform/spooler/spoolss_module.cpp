// The module "spoolss.dll": the spooler's impersonation functions, which the
// settings UI looks up by name to act as the spooler while it refreshes a printer.
#include <iterator>

#include "platform/modules/modules.h"
#include "platform/spooler/spooler.h"

namespace {

const platform::ModuleExport kSpoolssExports[] = {
    {"ImpersonatePrinterClient", reinterpret_cast<FARPROC>(&ImpersonatePrinterClient)},
    {"RevertToPrinterSelf", reinterpret_cast<FARPROC>(&RevertToPrinterSelf)},
};

// Registered when the platform library is loaded.
const HMODULE kSpoolss =
    platform::RegisterModule(u"spoolss.dll", kSpoolssExports, std::size(kSpoolssExports), nullptr);

}  // namespace
