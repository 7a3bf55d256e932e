// Engine memory for drivers (EngAllocMem, EngAllocUserMem): blocks of the
// platform's global memory, so that the allocators' failure injection and leak
// counts cover them too.
#include <atomic>

#include "platform/base/memory.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {
std::atomic<long> liveBlocks{0};
}  // namespace

namespace test {
std::size_t LiveEngineBlockCount() {
  long n = liveBlocks.load();
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}
}  // namespace test

}  // namespace platform::engine

QXAPI PVOID EngAllocMem(ULONG Flags, ULONG cjMemSize, ULONG) {
  PVOID p = GlobalAlloc((Flags & FL_ZERO_MEMORY) ? GPTR : GMEM_FIXED, cjMemSize);
  if (p != nullptr) ++platform::engine::liveBlocks;
  return p;
}

QXAPI void EngFreeMem(PVOID pv) {
  if (pv == nullptr) return;
  if (GlobalFree(pv) == nullptr) --platform::engine::liveBlocks;
}

QXAPI PVOID EngAllocUserMem(SIZE_T cj, ULONG tag) {
  if (cj > 0xFFFFFFFFu) return nullptr;
  return EngAllocMem(FL_ZERO_MEMORY, static_cast<ULONG>(cj), tag);
}

QXAPI void EngFreeUserMem(PVOID pv) { EngFreeMem(pv); }
