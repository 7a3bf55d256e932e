// Engine palettes: indexed colour tables, RGB and BGR direct colour, bit fields.
#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {

struct PaletteTable {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, PaletteInfo> palettes;
  std::uintptr_t next = 0x20000;
};

PaletteTable& Palettes() {
  static PaletteTable* table = new PaletteTable;  // lives as long as the process
  return *table;
}

// An indexed palette holds at most the 65,536 entries a 16-bit indexed bitmap can
// use; more is a caller's mistake.
constexpr ULONG kMaxEntries = 65536;

}  // namespace

std::optional<PaletteInfo> FindPalette(HPALETTE hpal) {
  PaletteTable& table = Palettes();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.palettes.find(reinterpret_cast<std::uintptr_t>(hpal));
  if (it == table.palettes.end()) return std::nullopt;
  return it->second;
}

namespace test {
std::size_t LivePaletteCount() {
  PaletteTable& table = Palettes();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.palettes.size();
}
}  // namespace test

}  // namespace platform::engine

QXAPI HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                FLONG flGreen, FLONG flBlue) {
  platform::engine::PaletteInfo info;
  info.mode = iMode;
  switch (iMode) {
    case PAL_INDEXED:
      if (cColors == 0 || cColors > platform::engine::kMaxEntries || pulColors == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      info.colors.assign(pulColors, pulColors + cColors);
      for (ULONG& c : info.colors) c &= 0x00FFFFFF;
      break;
    case PAL_BITFIELDS:
      info.masks[0] = flRed;
      info.masks[1] = flGreen;
      info.masks[2] = flBlue;
      break;
    case PAL_RGB:
    case PAL_BGR:
    case PAL_CMYK:
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  if (platform::AllocationShouldFail()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto& table = platform::engine::Palettes();
  std::lock_guard<std::mutex> guard(table.lock);
  std::uintptr_t id = table.next;
  table.next += 4;
  table.palettes.emplace(id, std::move(info));
  return reinterpret_cast<HPALETTE>(id);
}

QXAPI BOOL EngDeletePalette(HPALETTE hpal) {
  auto& table = platform::engine::Palettes();
  std::lock_guard<std::mutex> guard(table.lock);
  if (table.palettes.erase(reinterpret_cast<std::uintptr_t>(hpal)) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
