// Palettes: indexed tables, direct colour modes, and refusals.
#include <gtest/gtest.h>

#include "platform/base/error.h"
#include "platform/engine/ddi.h"
#include "platform/engine/engine_internal.h"

namespace {

using platform::engine::FindPalette;
using platform::engine::test::LivePaletteCount;

TEST(EngCreatePalette, IndexedAndDirectModes) {
  std::size_t before = LivePaletteCount();
  ULONG blackWhite[] = {0x000000, 0xFFFFFF};
  HPALETTE mono = EngCreatePalette(PAL_INDEXED, 2, blackWhite, 0, 0, 0);
  HPALETTE rgb = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  HPALETTE fields = EngCreatePalette(PAL_BITFIELDS, 0, nullptr, 0xF800, 0x07E0, 0x001F);
  ASSERT_NE(mono, nullptr);
  ASSERT_NE(rgb, nullptr);
  ASSERT_NE(fields, nullptr);
  EXPECT_EQ(LivePaletteCount(), before + 3);

  ASSERT_TRUE(FindPalette(mono));
  EXPECT_EQ(FindPalette(mono)->mode, PAL_INDEXED);
  EXPECT_EQ(FindPalette(mono)->colors, (std::vector<ULONG>{0x000000, 0xFFFFFF}));
  EXPECT_EQ(FindPalette(rgb)->mode, PAL_RGB);
  EXPECT_TRUE(FindPalette(rgb)->colors.empty());
  EXPECT_EQ(FindPalette(fields)->masks[1], 0x07E0u);

  EXPECT_TRUE(EngDeletePalette(mono));
  EXPECT_TRUE(EngDeletePalette(rgb));
  EXPECT_TRUE(EngDeletePalette(fields));
  EXPECT_EQ(LivePaletteCount(), before);
  SetLastError(0);
  EXPECT_FALSE(EngDeletePalette(mono));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(FindPalette(mono));
}

TEST(EngCreatePalette, Refusals) {
  ULONG one[] = {0x123456};
  SetLastError(0);
  EXPECT_EQ(EngCreatePalette(PAL_INDEXED, 0, one, 0, 0, 0), nullptr);  // no entries
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(EngCreatePalette(PAL_INDEXED, 1, nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(EngCreatePalette(0x40, 0, nullptr, 0, 0, 0), nullptr);  // no such mode
}

}  // namespace
