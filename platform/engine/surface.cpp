// Engine surfaces: bitmaps with engine-owned or caller-owned bits, device-managed
// surfaces, their association with a device and its hooks, banding marks, locks.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {

struct Surface {
  SURFOBJ so{};
  SurfaceState state;
  void* ownBits = nullptr;  // bits the engine allocated
  int locks = 0;
  bool deleted = false;
};

struct SurfaceTable {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::unique_ptr<Surface>> surfaces;
  std::uintptr_t next = 0x10000;
};

SurfaceTable& Surfaces() {
  static SurfaceTable* table = new SurfaceTable;  // lives as long as the process
  return *table;
}

ULONGLONG DefaultLimit() {
  if (const char* text = std::getenv("QX_BITMAP_LIMIT")) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (end != text && v != 0) return v;
  }
  return ULONGLONG{512} << 20;
}

std::atomic<ULONGLONG>& Limit() {
  static std::atomic<ULONGLONG> limit{DefaultLimit()};
  return limit;
}

Surface* FindLocked(SurfaceTable& table, HSURF hsurf) {
  auto it = table.surfaces.find(reinterpret_cast<std::uintptr_t>(hsurf));
  if (it == table.surfaces.end() || it->second->deleted) return nullptr;
  return it->second.get();
}

HSURF AddSurface(std::unique_ptr<Surface> surface) {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  std::uintptr_t id = table.next;
  table.next += 4;
  surface->so.hsurf = reinterpret_cast<HSURF>(id);
  table.surfaces.emplace(id, std::move(surface));
  return reinterpret_cast<HSURF>(id);
}

void Destroy(SurfaceTable& table, std::uintptr_t id) {
  auto it = table.surfaces.find(id);
  if (it == table.surfaces.end()) return;
  std::free(it->second->ownBits);
  table.surfaces.erase(it);
}

// The scan-line length of a new bitmap: lWidth when it holds the row, else the
// row rounded up to 4 bytes. 0 when the row cannot be described.
ULONGLONG ScanLength(LONG width, ULONG format, LONG lWidth) {
  ULONGLONG row = RowBytes(width, format);
  if (lWidth > 0 && static_cast<ULONGLONG>(lWidth) >= row) return static_cast<ULONGLONG>(lWidth);
  return (row + 3) / 4 * 4;
}

}  // namespace

void SetBitmapSizeLimit(ULONGLONG bytes) { Limit() = bytes; }
ULONGLONG BitmapSizeLimit() { return Limit(); }

std::optional<SurfaceState> FindSurfaceState(HSURF hsurf) {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  Surface* s = FindLocked(table, hsurf);
  if (s == nullptr) return std::nullopt;
  return s->state;
}

namespace test {
std::size_t LiveSurfaceCount() {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.surfaces.size();
}
}  // namespace test

}  // namespace platform::engine

using platform::engine::Surface;
using platform::engine::Surfaces;
using platform::engine::SurfaceTable;

QXAPI HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  if (sizl.cx <= 0 || sizl.cy <= 0 || platform::engine::BitsPerPixel(iFormat) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ULONGLONG scan = platform::engine::ScanLength(sizl.cx, iFormat, lWidth);
  if (pvBits != nullptr && (lWidth <= 0 || static_cast<ULONGLONG>(lWidth) <
                                               platform::engine::RowBytes(sizl.cx, iFormat))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ULONGLONG size = scan * static_cast<ULONGLONG>(sizl.cy);
  // lDelta and cjBits are 32-bit members: a bitmap they cannot describe is refused
  // like one above the ceiling.
  if (size > platform::engine::BitmapSizeLimit() || size > 0xFFFFFFFFull || scan > 0x7FFFFFFFull) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (platform::AllocationShouldFail()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto surface = std::make_unique<Surface>();
  void* bits = pvBits;
  if (bits == nullptr) {
    bits = (fl & BMF_NOZEROINIT) ? std::malloc(size) : std::calloc(1, size);
    if (bits == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    surface->ownBits = bits;
  }
  SURFOBJ& so = surface->so;
  so.sizlBitmap = sizl;
  so.cjBits = static_cast<ULONG>(size);
  so.pvBits = bits;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.iUniq = 1;
  so.fjBitmap = static_cast<USHORT>(
      fl & (BMF_TOPDOWN | BMF_NOZEROINIT | BMF_DONTCACHE | BMF_USERMEM | BMF_NOTSYSMEM));
  if (fl & BMF_TOPDOWN) {
    so.pvScan0 = bits;
    so.lDelta = static_cast<LONG>(scan);
  } else {
    so.pvScan0 = static_cast<BYTE*>(bits) + (size - scan);
    so.lDelta = -static_cast<LONG>(scan);
  }
  return reinterpret_cast<HBITMAP>(platform::engine::AddSurface(std::move(surface)));
}

QXAPI HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  if (sizl.cx <= 0 || sizl.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (platform::AllocationShouldFail()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto surface = std::make_unique<Surface>();
  surface->so.dhsurf = dhsurf;
  surface->so.sizlBitmap = sizl;
  surface->so.iBitmapFormat = iFormatCompat;
  surface->so.iType = STYPE_DEVICE;
  surface->so.iUniq = 1;
  return platform::engine::AddSurface(std::move(surface));
}

QXAPI BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  SurfaceTable& table = Surfaces();
  DHPDEV dhpdev = platform::engine::FindEngineDevicePdev(hdev);
  std::lock_guard<std::mutex> guard(table.lock);
  Surface* s = platform::engine::FindLocked(table, hsurf);
  if (s == nullptr || hdev == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s->so.hdev = hdev;
  s->so.dhpdev = dhpdev;
  s->state.hooks = flHooks & HOOK_FLAGS;
  s->state.associated = true;
  return TRUE;
}

QXAPI BOOL EngMarkBandingSurface(HSURF hsurf) {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  Surface* s = platform::engine::FindLocked(table, hsurf);
  if (s == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s->state.banding = true;
  return TRUE;
}

QXAPI SURFOBJ* EngLockSurface(HSURF hsurf) {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  Surface* s = platform::engine::FindLocked(table, hsurf);
  if (s == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ++s->locks;
  return &s->so;
}

QXAPI void EngUnlockSurface(SURFOBJ* pso) {
  if (pso == nullptr) return;
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  auto id = reinterpret_cast<std::uintptr_t>(pso->hsurf);
  auto it = table.surfaces.find(id);
  if (it == table.surfaces.end() || &it->second->so != pso || it->second->locks == 0) return;
  if (--it->second->locks == 0 && it->second->deleted) platform::engine::Destroy(table, id);
}

QXAPI BOOL EngDeleteSurface(HSURF hsurf) {
  SurfaceTable& table = Surfaces();
  std::lock_guard<std::mutex> guard(table.lock);
  Surface* s = platform::engine::FindLocked(table, hsurf);
  if (s == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (s->locks > 0) {
    s->deleted = true;  // goes with the last unlock
  } else {
    platform::engine::Destroy(table, reinterpret_cast<std::uintptr_t>(hsurf));
  }
  return TRUE;
}
