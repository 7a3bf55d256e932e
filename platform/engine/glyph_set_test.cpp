// The engine's glyph set and engine memory.
#include <gtest/gtest.h>

#include "platform/base/memory.h"
#include "platform/engine/ddi.h"

namespace {

using platform::engine::test::LiveEngineBlockCount;

TEST(EngComputeGlyphSet, OneRunOf256CodePointsFromZero) {
  std::size_t before = LiveEngineBlockCount();
  FD_GLYPHSET* set = EngComputeGlyphSet(0, 0, 256);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->cjThis, sizeof(FD_GLYPHSET) + 256 * sizeof(HGLYPH));
  EXPECT_EQ(set->cGlyphsSupported, 256u);
  EXPECT_EQ(set->flAccel, GS_8BIT_HANDLES);
  ASSERT_EQ(set->cRuns, 1u);
  EXPECT_EQ(set->awcrun[0].wcLow, 0);
  EXPECT_EQ(set->awcrun[0].cGlyphs, 256);
  // The handles lie inside the block: one free gives back everything.
  auto* begin = reinterpret_cast<BYTE*>(set);
  auto* handles = reinterpret_cast<BYTE*>(set->awcrun[0].phg);
  EXPECT_GE(handles, begin + sizeof(FD_GLYPHSET));
  EXPECT_LE(handles + 256 * sizeof(HGLYPH), begin + set->cjThis);
  for (HGLYPH i = 0; i < 256; ++i) ASSERT_EQ(set->awcrun[0].phg[i], i);
  EXPECT_EQ(LiveEngineBlockCount(), before + 1);
  EngFreeMem(set);
  EXPECT_EQ(LiveEngineBlockCount(), before);
}

TEST(EngComputeGlyphSet, Failures) {
  platform::engine::test::FailGlyphSet(true);
  EXPECT_EQ(EngComputeGlyphSet(0, 0, 256), nullptr);
  platform::engine::test::FailGlyphSet(false);
  platform::test::FailAllocationAt(1);
  EXPECT_EQ(EngComputeGlyphSet(0, 0, 256), nullptr);
  platform::test::FailAllocationAt(0);
  EXPECT_EQ(EngComputeGlyphSet(0, 0, 0), nullptr);
  EXPECT_EQ(EngComputeGlyphSet(0, 0xFFFF, 2), nullptr);  // past the last character
}

TEST(EngAllocMem, ZeroedMemoryAndInjectedFailure) {
  auto* p = static_cast<BYTE*>(EngAllocMem(FL_ZERO_MEMORY, 100, 0x74736574));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0);
  EngFreeMem(p);
  EngFreeMem(nullptr);
  platform::test::FailAllocationAt(1);
  EXPECT_EQ(EngAllocMem(0, 16, 0), nullptr);
  platform::test::FailAllocationAt(0);
}

}  // namespace
