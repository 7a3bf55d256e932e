// DrvConvertDevMode: the whole call runs under the description lock.
#include "ui/host/convert_devmode.h"

#include <vector>

#include "settings/description_cache.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "settings/sticky_data.h"
#include "ui/host/host_state.h"

namespace ui {
namespace {

constexpr LONG kOldRecordSize = kOldPublicSize + kOldPrivateSize;  // 232
constexpr LONG kRecordSize = static_cast<LONG>(settings::kRecordSize);

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL ConvertCurrent(const DEVMODEW* input, DEVMODEW* output, LONG* size) {
  if (input == nullptr || output == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  LONG needed = static_cast<LONG>(output->dmSize) + output->dmDriverExtra;
  if (*size < needed || settings::CopyRecordSized(input, output) <= 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  *size = needed;
  return TRUE;
}

BOOL ConvertOld(const DEVMODEW* input, DEVMODEW* output, LONG* size) {
  if (output == nullptr || *size < kOldRecordSize) {
    *size = kOldRecordSize;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  if (input == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  output->dmSpecVersion = kOldSpecVersion;
  output->dmSize = kOldPublicSize;
  output->dmDriverVersion = kOldDriverVersion;
  output->dmDriverExtra = kOldPrivateSize;
  if (settings::CopyRecordSized(input, output) <= 0) return Fail(ERROR_INVALID_PARAMETER);
  *size = kOldRecordSize;
  return TRUE;
}

// The defaults come from a fresh parse: the cache file is deleted first, so a
// stale or damaged cache never gives the spooler wrong defaults.
BOOL DriverDefaults(const WCHAR* printerName, DEVMODEW* output, LONG* size) {
  if (output == nullptr || *size < kRecordSize) {
    *size = kRecordSize;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  *size = kRecordSize;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(printerName, &printer, nullptr)) return FALSE;
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  std::vector<BYTE> bytes(needed);
  const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(bytes.data());
  void* block = nullptr;
  if (needed > 0 && GetPrinterDriverW(printer, nullptr, 2, bytes.data(), needed, &needed) &&
      driver->pDataFile) {
    DeleteFileW(settings::CacheFileName(platform::WideView(driver->pDataFile)).c_str());
    block = settings::LoadDescription(driver->pDataFile, LibraryModule(),
                                      settings::ReadFontOrder(printer));
  }
  if (block) {
    settings::SetDefaults(*reinterpret_cast<settings::SettingsRecord*>(output), driver->pName,
                          settings::Description(block));
    GlobalFree(block);
  }
  ClosePrinter(printer);
  return block != nullptr;
}

}  // namespace
}  // namespace ui

BOOL WINAPI DrvConvertDevMode(WCHAR* printerName, DEVMODEW* input, DEVMODEW* output, LONG* size,
                              DWORD mode) {
  ui::DescriptionLockHolder lock;
  // A record of another private size cannot be converted: the spooler gets the
  // driver's defaults instead.
  if (mode == CDM_CONVERT && input && input->dmDriverExtra != settings::kPrivateSize) {
    mode = CDM_DRIVER_DEFAULT;
  }
  if (size == nullptr) return ui::Fail(ERROR_INVALID_PARAMETER);
  switch (mode) {
    case CDM_CONVERT:
      return ui::ConvertCurrent(input, output, size);
    case CDM_CONVERT351:
      return ui::ConvertOld(input, output, size);
    case CDM_DRIVER_DEFAULT:
      return ui::DriverDefaults(printerName, output, size);
    default:
      return FALSE;
  }
}
