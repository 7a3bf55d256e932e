// The engine's devices (HDEV): one per enabled device context, holding what the
// engine answers the driver about it (its library and data file, its PDEV).
#include <string>

#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {

struct EngineDevice {
  DHPDEV dhpdev = nullptr;
  PFN_DrvCopyBits copyBits = nullptr;
  std::u16string driverPath;
  std::u16string dataFile;
};

struct DeviceTable {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::unique_ptr<EngineDevice>> devices;
  std::uintptr_t next = 0x30000;
};

DeviceTable& Devices() {
  static DeviceTable* table = new DeviceTable;  // lives as long as the process
  return *table;
}

EngineDevice* FindLocked(DeviceTable& table, HDEV hdev) {
  auto it = table.devices.find(reinterpret_cast<std::uintptr_t>(hdev));
  return it == table.devices.end() ? nullptr : it->second.get();
}

}  // namespace

HDEV CreateEngineDevice(const std::u16string& driverPath, const std::u16string& dataFile) {
  auto device = std::make_unique<EngineDevice>();
  device->driverPath = driverPath;
  device->dataFile = dataFile;
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  std::uintptr_t id = table.next;
  table.next += 4;
  table.devices.emplace(id, std::move(device));
  return reinterpret_cast<HDEV>(id);
}

void SetEngineDevicePdev(HDEV hdev, DHPDEV dhpdev) {
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  if (EngineDevice* d = FindLocked(table, hdev)) d->dhpdev = dhpdev;
}

DHPDEV FindEngineDevicePdev(HDEV hdev) {
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  EngineDevice* d = FindLocked(table, hdev);
  return d ? d->dhpdev : nullptr;
}

void SetEngineDeviceCopyBits(HDEV hdev, PFN_DrvCopyBits copyBits) {
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  if (EngineDevice* d = FindLocked(table, hdev)) d->copyBits = copyBits;
}

PFN_DrvCopyBits FindEngineDeviceCopyBits(HDEV hdev) {
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  EngineDevice* d = FindLocked(table, hdev);
  return d ? d->copyBits : nullptr;
}

void DeleteEngineDevice(HDEV hdev) {
  DeviceTable& table = Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  table.devices.erase(reinterpret_cast<std::uintptr_t>(hdev));
}

}  // namespace platform::engine

// The texts live as long as the device, so the pointers stay valid for the driver.
QXAPI LPWSTR EngGetDriverName(HDEV hdev) {
  auto& table = platform::engine::Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  auto* d = platform::engine::FindLocked(table, hdev);
  return d ? d->driverPath.data() : nullptr;
}

QXAPI LPWSTR EngGetPrinterDataFileName(HDEV hdev) {
  auto& table = platform::engine::Devices();
  std::lock_guard<std::mutex> guard(table.lock);
  auto* d = platform::engine::FindLocked(table, hdev);
  return d ? d->dataFile.data() : nullptr;
}
