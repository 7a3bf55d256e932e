// Private heaps and global memory. A heap owns every block allocated from it, so
// destroying the heap gives back all of them at once. Tests can make the n-th
// allocation of the process fail to walk the libraries' out-of-memory paths.
#pragma once

#include "platform/base/types.h"

constexpr DWORD HEAP_NO_SERIALIZE = 0x00000001;
constexpr DWORD HEAP_GENERATE_EXCEPTIONS = 0x00000004;
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;
constexpr DWORD HEAP_REALLOC_IN_PLACE_ONLY = 0x00000010;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

QXAPI HANDLE HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
QXAPI BOOL HeapDestroy(HANDLE heap);
QXAPI LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
QXAPI LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
QXAPI BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);
QXAPI SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block);
QXAPI HANDLE GetProcessHeap();

QXAPI HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
QXAPI HGLOBAL GlobalFree(HGLOBAL mem);
QXAPI LPVOID GlobalLock(HGLOBAL mem);
QXAPI BOOL GlobalUnlock(HGLOBAL mem);
QXAPI SIZE_T GlobalSize(HGLOBAL mem);
QXAPI HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
QXAPI HLOCAL LocalFree(HLOCAL mem);

namespace platform::test {
// The n-th allocation from now (1 = the next one) through any heap, global or
// engine allocator fails; 0 turns the injection off.
void FailAllocationAt(unsigned long n);
// Blocks currently held by live private heaps and global memory, for leak tests.
unsigned long OutstandingBlocks();
}  // namespace platform::test

namespace platform {
// Consulted by every allocator of the stand-in: true when this allocation must fail.
bool AllocationShouldFail();
}  // namespace platform
