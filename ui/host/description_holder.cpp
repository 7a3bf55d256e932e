// The process's kept printer description.
#include "ui/host/description_holder.h"

#include <string>
#include <vector>

#include "settings/description_cache.h"
#include "settings/sticky_data.h"
#include "ui/host/host_state.h"

namespace ui {
namespace {

struct Kept {
  void* block = nullptr;
  std::u16string dataFile;
  DWORD fontOrder = 0;
  int uses = 0;
};

Kept& KeptDescription() {
  static Kept kept;
  return kept;
}

bool ReadDataFile(HANDLE printer, std::u16string* path) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> bytes(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, bytes.data(), needed, &needed)) return false;
  const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(bytes.data());
  if (driver->pDataFile == nullptr) return false;
  *path = driver->pDataFile;
  return true;
}

}  // namespace

void* AcquireDescription(HANDLE printer, bool cached) {
  DescriptionLockHolder lock;
  std::u16string path;
  if (!ReadDataFile(printer, &path)) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD fontOrder = settings::ReadFontOrder(printer);
  Kept& kept = KeptDescription();
  if (cached && kept.block && kept.fontOrder == fontOrder &&
      platform::EqualsIgnoreCase(kept.dataFile, path)) {
    ++kept.uses;
    return kept.block;
  }
  void* block = settings::LoadDescription(path.c_str(), LibraryModule(), fontOrder);
  if (block && kept.uses == 0) {
    if (kept.block) GlobalFree(kept.block);
    kept = {block, path, fontOrder, 1};
  }
  return block;
}

void ReleaseDescription(void* block) {
  if (block == nullptr) return;
  DescriptionLockHolder lock;
  Kept& kept = KeptDescription();
  if (block == kept.block) {
    if (kept.uses > 0) --kept.uses;
    return;
  }
  GlobalFree(block);
}

void FreeKeptDescription() {
  DescriptionLockHolder lock;
  Kept& kept = KeptDescription();
  if (kept.block) GlobalFree(kept.block);
  kept = {};
}

int KeptDescriptionUses() {
  DescriptionLockHolder lock;
  const Kept& kept = KeptDescription();
  return kept.block ? kept.uses : -1;
}

}  // namespace ui
