// Private heaps give back everything at destruction; allocation failures can be injected.
#include "platform/base/memory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/error.h"

namespace {

TEST(Heap, DestroyFreesEveryBlock) {
  unsigned long before = platform::test::OutstandingBlocks();
  HANDLE heap = HeapCreate(0, 0, 0);
  ASSERT_NE(heap, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_NE(HeapAlloc(heap, 0, 64 + i), nullptr);
  EXPECT_EQ(platform::test::OutstandingBlocks(), before + 100);
  EXPECT_TRUE(HeapDestroy(heap));
  EXPECT_EQ(platform::test::OutstandingBlocks(), before);
}

TEST(Heap, ZeroMemoryAndReAlloc) {
  HANDLE heap = HeapCreate(0, 0, 0);
  auto* p = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 32));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(p[i], 0);
  std::memset(p, 0xAB, 32);
  auto* q = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 64));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q[31], 0xAB);
  EXPECT_EQ(q[32], 0);
  EXPECT_EQ(HeapSize(heap, 0, q), 64u);
  EXPECT_TRUE(HeapFree(heap, 0, q));
  EXPECT_TRUE(HeapDestroy(heap));
}

TEST(Heap, BlockOfAnotherHeapIsRefused) {
  HANDLE a = HeapCreate(0, 0, 0);
  HANDLE b = HeapCreate(0, 0, 0);
  void* p = HeapAlloc(a, 0, 8);
  SetLastError(0);
  EXPECT_FALSE(HeapFree(b, 0, p));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(HeapFree(a, 0, p));
  HeapDestroy(a);
  HeapDestroy(b);
}

TEST(Heap, MaximumSizeIsEnforced) {
  HANDLE heap = HeapCreate(0, 0, 100);
  EXPECT_NE(HeapAlloc(heap, 0, 60), nullptr);
  EXPECT_EQ(HeapAlloc(heap, 0, 60), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  HeapDestroy(heap);
}

TEST(FailureInjection, NthAllocationFailsOnce) {
  HANDLE heap = HeapCreate(0, 0, 0);
  platform::test::FailAllocationAt(3);
  EXPECT_NE(HeapAlloc(heap, 0, 8), nullptr);
  EXPECT_NE(GlobalAlloc(GPTR, 8), nullptr);
  EXPECT_EQ(HeapAlloc(heap, 0, 8), nullptr);
  EXPECT_NE(HeapAlloc(heap, 0, 8), nullptr);
  HeapDestroy(heap);
}

TEST(GlobalMemory, AllocZeroedAndFree) {
  auto* p = static_cast<unsigned char*>(GlobalAlloc(GPTR, 16));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 0);
  EXPECT_EQ(GlobalSize(p), 16u);
  EXPECT_EQ(GlobalFree(p), nullptr);
}

}  // namespace
