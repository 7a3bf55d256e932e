// The render library's exports: its kind, its enable and disable, the table.
#include "render/core/driver_entry.h"

#include <gtest/gtest.h>

#include "platform/engine/callbacks.h"
#include "platform/platform.h"
#include "render/core/device_context.h"

namespace {

TEST(DriverEntry, EngineVersionAndRecordSize) {
  DRVENABLEDATA data{};
  SetLastError(0);
  EXPECT_FALSE(DrvEnableDriver(0x2FFFF, sizeof data, &data));
  EXPECT_EQ(GetLastError(), ERROR_BAD_DRIVER_LEVEL);
  EXPECT_FALSE(DrvEnableDriver(0x30000, 15, &data));
  EXPECT_EQ(GetLastError(), ERROR_BAD_DRIVER_LEVEL);
  ASSERT_TRUE(DrvEnableDriver(0x30000, 16, &data));
  EXPECT_EQ(data.iDriverVersion, 0x30000u);
  ASSERT_EQ(data.c, 30u);
  // The engine's index of each entry, in the table's order.
  const ULONG kIndices[30] = {0,  7,  1,  2,  3,  4,  18, 20, 19, 23, 26, 27, 28, 57, 58,
                              32, 14, 15, 16, 12, 33, 35, 24, 25, 34, 37, 47, 53, 13, 17};
  for (ULONG i = 0; i < 30; ++i) {
    EXPECT_EQ(data.pdrvfn[i].iFunc, kIndices[i]) << i;
    EXPECT_NE(data.pdrvfn[i].pfn, nullptr);
  }
  DrvDisableDriver();
}

TEST(DriverEntry, QueryDriverInfo) {
  DWORD buffer = 0, needed = 0;
  SetLastError(0);
  EXPECT_FALSE(DrvQueryDriverInfo(DRVQUERY_USERMODE, &buffer, 3, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(needed, 4u);
  EXPECT_TRUE(DrvQueryDriverInfo(DRVQUERY_USERMODE, &buffer, 4, &needed));
  EXPECT_EQ(buffer, 1u);
  EXPECT_FALSE(DrvQueryDriverInfo(2, &buffer, 4, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DriverEntry, FixedAnswers) {
  for (ULONG escape : {0u, 1u, 100u}) {
    EXPECT_EQ(render::DrvDrawEscape(nullptr, escape, nullptr, nullptr, 0, nullptr), 0u);
  }
  EXPECT_EQ(render::DrvGetGlyphMode(nullptr, nullptr), 1u);
  EXPECT_EQ(render::DrvDitherColor(nullptr, 0, 0x123456, nullptr), 2u);
}

TEST(DriverEntry, DisableAfterAFailedGlyphSetAndEnableAgain) {
  DRVENABLEDATA data{};
  platform::engine::test::FailGlyphSet(true);
  EXPECT_FALSE(DrvEnableDriver(0x30000, sizeof data, &data));
  EXPECT_EQ(render::SharedGlyphSet(), nullptr);
  DrvDisableDriver();  // deletes the locks all the same
  platform::engine::test::FailGlyphSet(false);
  ASSERT_TRUE(DrvEnableDriver(0x30000, sizeof data, &data));
  ASSERT_NE(render::SharedGlyphSet(), nullptr);
  EnterCriticalSection(&render::DescriptionLock());  // the locks are usable again
  LeaveCriticalSection(&render::DescriptionLock());
  DrvDisableDriver();
  EXPECT_EQ(render::SharedGlyphSet(), nullptr);
  EXPECT_EQ(platform::engine::test::LiveEngineBlockCount(), 0u);
}

}  // namespace
