// Critical sections are recursive for their owner and exclude other threads.
#include "platform/base/sync.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(CriticalSection, RecursiveForOwnerExclusiveForOthers) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  BOOL other = TRUE;
  std::thread([&] { other = TryEnterCriticalSection(&cs); }).join();
  EXPECT_FALSE(other);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  std::thread([&] {
    other = TryEnterCriticalSection(&cs);
    if (other) LeaveCriticalSection(&cs);
  }).join();
  EXPECT_TRUE(other);
  DeleteCriticalSection(&cs);
}

TEST(InitOnce, RunsOnceAcrossThreads) {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  static int runs = 0;
  auto fn = [](INIT_ONCE*, void*, void**) -> BOOL {
    ++runs;
    return TRUE;
  };
  std::thread a([&] { InitOnceExecuteOnce(&once, fn, nullptr, nullptr); });
  std::thread b([&] { InitOnceExecuteOnce(&once, fn, nullptr, nullptr); });
  a.join();
  b.join();
  EXPECT_TRUE(InitOnceExecuteOnce(&once, fn, nullptr, nullptr));
  EXPECT_EQ(runs, 1);
}

}  // namespace
