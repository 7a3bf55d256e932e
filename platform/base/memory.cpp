// Private heaps and global memory over malloc, with a block list per heap.
#include "platform/base/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/base/error.h"

namespace {

// Every block carries its header in front: the owning heap, its size and the
// links of the heap's block list.
struct Heap;
struct Block {
  Heap* heap;
  Block* prev;
  Block* next;
  SIZE_T size;
  std::max_align_t align[1];
};
constexpr SIZE_T kHeader = offsetof(Block, align);

constexpr unsigned kHeapTag = 0x50414548;  // "HEAP"

struct Heap {
  unsigned tag = kHeapTag;
  std::mutex lock;
  Block* first = nullptr;
  SIZE_T maximum = 0;  // 0: growable
  SIZE_T used = 0;
};

std::atomic<unsigned long> failCountdown{0};
std::atomic<long> outstanding{0};

Heap& ProcessHeap() {
  static Heap* heap = new Heap;  // lives as long as the process
  return *heap;
}
Heap& GlobalHeap() {
  static Heap* heap = new Heap;
  return *heap;
}

Heap* AsHeap(HANDLE h) {
  auto* heap = static_cast<Heap*>(h);
  if (heap == nullptr || heap->tag != kHeapTag) return nullptr;
  return heap;
}

Block* AsBlock(LPCVOID p) {
  return reinterpret_cast<Block*>(const_cast<char*>(static_cast<const char*>(p)) - kHeader);
}
void* Payload(Block* b) { return reinterpret_cast<char*>(b) + kHeader; }

void Link(Heap& heap, Block* b) {
  b->heap = &heap;
  b->prev = nullptr;
  b->next = heap.first;
  if (heap.first) heap.first->prev = b;
  heap.first = b;
  heap.used += b->size;
  ++outstanding;
}
void Unlink(Heap& heap, Block* b) {
  if (b->prev)
    b->prev->next = b->next;
  else
    heap.first = b->next;
  if (b->next) b->next->prev = b->prev;
  heap.used -= b->size;
  --outstanding;
}

void* Allocate(Heap& heap, SIZE_T bytes, bool zero) {
  if (platform::AllocationShouldFail() || bytes > (SIZE_T{1} << 48)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(heap.lock);
  if (heap.maximum != 0 && heap.used + bytes > heap.maximum) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* b =
      static_cast<Block*>(zero ? std::calloc(1, kHeader + bytes) : std::malloc(kHeader + bytes));
  if (b == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  b->size = bytes;
  Link(heap, b);
  return Payload(b);
}

bool Release(Heap& heap, void* p) {
  if (p == nullptr) return true;
  Block* b = AsBlock(p);
  std::lock_guard<std::mutex> guard(heap.lock);
  if (b->heap != &heap) return false;
  Unlink(heap, b);
  b->heap = nullptr;
  std::free(b);
  return true;
}

}  // namespace

namespace platform {
bool AllocationShouldFail() {
  unsigned long n = failCountdown.load();
  while (n != 0) {
    if (failCountdown.compare_exchange_weak(n, n - 1)) return n == 1;
  }
  return false;
}
}  // namespace platform

namespace platform::test {
void FailAllocationAt(unsigned long n) { failCountdown = n; }
unsigned long OutstandingBlocks() {
  long n = outstanding.load();
  return n < 0 ? 0 : static_cast<unsigned long>(n);
}
}  // namespace platform::test

QXAPI HANDLE HeapCreate(DWORD, SIZE_T, SIZE_T maximumSize) {
  if (platform::AllocationShouldFail()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* heap = new Heap;
  heap->maximum = maximumSize;
  return heap;
}

QXAPI BOOL HeapDestroy(HANDLE h) {
  Heap* heap = AsHeap(h);
  if (heap == nullptr || heap == &ProcessHeap()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> guard(heap->lock);
    for (Block* b = heap->first; b != nullptr;) {
      Block* next = b->next;
      --outstanding;
      std::free(b);
      b = next;
    }
    heap->first = nullptr;
    heap->tag = 0;
  }
  delete heap;
  return TRUE;
}

QXAPI LPVOID HeapAlloc(HANDLE h, DWORD flags, SIZE_T bytes) {
  Heap* heap = AsHeap(h);
  if (heap == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return Allocate(*heap, bytes, (flags & HEAP_ZERO_MEMORY) != 0);
}

QXAPI LPVOID HeapReAlloc(HANDLE h, DWORD flags, LPVOID block, SIZE_T bytes) {
  Heap* heap = AsHeap(h);
  if (heap == nullptr || block == nullptr || AsBlock(block)->heap != heap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SIZE_T old = AsBlock(block)->size;
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) {
    if (bytes > old) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    return block;
  }
  void* fresh = Allocate(*heap, bytes, (flags & HEAP_ZERO_MEMORY) != 0);
  if (fresh == nullptr) return nullptr;
  std::memcpy(fresh, block, old < bytes ? old : bytes);
  Release(*heap, block);
  return fresh;
}

QXAPI BOOL HeapFree(HANDLE h, DWORD, LPVOID block) {
  Heap* heap = AsHeap(h);
  if (heap == nullptr || (block != nullptr && AsBlock(block)->heap != heap)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Release(*heap, block);
  return TRUE;
}

QXAPI SIZE_T HeapSize(HANDLE h, DWORD, LPCVOID block) {
  Heap* heap = AsHeap(h);
  if (heap == nullptr || block == nullptr || AsBlock(block)->heap != heap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<SIZE_T>(-1);
  }
  return AsBlock(block)->size;
}

QXAPI HANDLE GetProcessHeap() { return &ProcessHeap(); }

// Global and local memory are fixed blocks of one process-wide heap; a "handle"
// is the block's address.
QXAPI HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  return Allocate(GlobalHeap(), bytes, (flags & GMEM_ZEROINIT) != 0);
}

QXAPI HGLOBAL GlobalFree(HGLOBAL mem) {
  if (mem == nullptr) return nullptr;
  if (AsBlock(mem)->heap != &GlobalHeap()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  Release(GlobalHeap(), mem);
  return nullptr;
}

QXAPI LPVOID GlobalLock(HGLOBAL mem) { return mem; }
QXAPI BOOL GlobalUnlock(HGLOBAL) { return FALSE; }
QXAPI SIZE_T GlobalSize(HGLOBAL mem) { return mem ? AsBlock(mem)->size : 0; }
QXAPI HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return GlobalAlloc(flags, bytes); }
QXAPI HLOCAL LocalFree(HLOCAL mem) { return GlobalFree(mem); }
