// Loading, enabling, disabling and unloading render libraries.
#include "platform/engine/driver_loader.h"

#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/engine/device_context.h"
#include "platform/modules/modules.h"

namespace platform::engine {
namespace {

struct DriverTable {
  std::mutex lock;
  std::vector<std::unique_ptr<LoadedDriver>> drivers;
};

DriverTable& Drivers() {
  static DriverTable* table = new DriverTable;  // lives as long as the process
  return *table;
}

// The entries without which no device can be enabled.
constexpr ULONG kRequired[] = {INDEX_DrvEnablePDEV, INDEX_DrvCompletePDEV, INDEX_DrvDisablePDEV,
                               INDEX_DrvEnableSurface, INDEX_DrvDisableSurface};

// A table longer than this is not a driver's.
constexpr ULONG kMaxTableEntries = 1024;

template <typename F>
F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(GetProcAddress(module, name));
}

// DrvDisableDriver is an export; a library that has none may carry it in its table.
void Disable(const LoadedDriver& d) {
  auto disable = Export<PFN_DrvDisableDriver>(d.module, "DrvDisableDriver");
  if (disable == nullptr) disable = d.Entry<PFN_DrvDisableDriver>(INDEX_DrvDisableDriver);
  if (disable != nullptr) disable();
}

void Fail(HMODULE module, DWORD error) {
  FreeLibrary(module);
  SetLastError(error);
}

bool IsUserModeDriver(HMODULE module) {
  auto query = Export<PFN_DrvQueryDriverInfo>(module, "DrvQueryDriverInfo");
  DWORD answer = 0;
  DWORD needed = 0;
  return query != nullptr && query(DRVQUERY_USERMODE, &answer, sizeof(answer), &needed) &&
         answer != 0;
}

// Calls DrvEnableDriver and takes over its table. A driver that refuses is
// disabled again (its DrvDisableDriver frees what a half-done enable left).
bool Enable(LoadedDriver& d) {
  auto enable = Export<PFN_DrvEnableDriver>(d.module, "DrvEnableDriver");
  if (enable == nullptr) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  if (!enable(ENGINE_VERSION, sizeof(DRVENABLEDATA), &d.enableData)) {
    DWORD error = GetLastError();
    Disable(d);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_BAD_DRIVER_LEVEL);
    return false;
  }
  const DRVENABLEDATA& ded = d.enableData;
  bool table = ded.pdrvfn != nullptr && ded.c > 0 && ded.c <= kMaxTableEntries;
  for (ULONG i = 0; table && i < ded.c; ++i) {
    if (ded.pdrvfn[i].iFunc < INDEX_LAST) d.entries[ded.pdrvfn[i].iFunc] = ded.pdrvfn[i].pfn;
  }
  for (ULONG index : kRequired) table = table && d.entries[index] != nullptr;
  if (!table) {
    Disable(d);
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return false;
  }
  return true;
}

}  // namespace

LoadedDriver* AcquireDriver(const std::u16string& path) {
  DriverTable& table = Drivers();
  std::lock_guard<std::mutex> guard(table.lock);
  for (auto& d : table.drivers) {
    if (EqualsIgnoreCase(d->path, path)) {
      ++d->users;
      return d.get();
    }
  }
  auto d = std::make_unique<LoadedDriver>();
  d->path = path;
  d->module = LoadLibraryW(path.c_str());
  if (d->module == nullptr) return nullptr;
  if (!IsUserModeDriver(d->module)) {
    Fail(d->module, ERROR_UNKNOWN_PRINTER_DRIVER);
    return nullptr;
  }
  if (!Enable(*d)) {
    Fail(d->module, GetLastError());
    return nullptr;
  }
  d->users = 1;
  table.drivers.push_back(std::move(d));
  return table.drivers.back().get();
}

void ReleaseDriver(LoadedDriver* driver) {
  if (driver == nullptr) return;
  DriverTable& table = Drivers();
  std::lock_guard<std::mutex> guard(table.lock);
  if (--driver->users > 0) return;
  Disable(*driver);
  FreeLibrary(driver->module);
  std::erase_if(table.drivers, [driver](const auto& d) { return d.get() == driver; });
}

namespace test {
std::size_t LoadedDriverCount() {
  DriverTable& table = Drivers();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.drivers.size();
}
}  // namespace test

}  // namespace platform::engine
