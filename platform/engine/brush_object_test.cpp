// Brushes and their realisations: what the engine offers the driver's
// DrvRealizeBrush, when it asks, the memory it lends for the realisation, and
// colour translations.
#include <gtest/gtest.h>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/engine/callbacks.h"
#include "platform/engine/engine_internal.h"
#include "platform/engine/objects.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::ReadPixel;
using platform::engine::Translation;

// What the last realisation was offered, and how often it was asked for.
struct Offered {
  int calls = 0;
  SURFOBJ* target = nullptr;
  SURFOBJ* pattern = nullptr;
  SURFOBJ* mask = nullptr;
  XLATEOBJ* xlate = nullptr;
  ULONG hatch = 0;
  bool refuse = false;
};
Offered offered;

BOOL Realize(BRUSHOBJ* pbo, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ* mask, XLATEOBJ* xlate,
             ULONG hatch) {
  ++offered.calls;
  offered.target = target;
  offered.pattern = pattern;
  offered.mask = mask;
  offered.xlate = xlate;
  offered.hatch = hatch;
  if (offered.refuse) return FALSE;
  void* memory = BRUSHOBJ_pvAllocRbrush(pbo, 16);
  if (memory == nullptr) return FALSE;
  pbo->pvRbrush = memory;
  return TRUE;
}

struct BrushTest : ::testing::Test {
  SURFOBJ target{};
  void SetUp() override {
    offered = {};
    target.iBitmapFormat = BMF_24BPP;
  }
};

TEST_F(BrushTest, HatchIsOfferedAsItsEightByEightPatternOnce) {
  Brush hatch = Brush::Hatch(HS_CROSS, 0x0000FF, 0xFFFFFF);
  EXPECT_EQ(hatch.Get()->iSolidColor, 0xFFFFFFFFu);
  hatch.BindRealizer(&Realize, &target);
  void* realized = BRUSHOBJ_pvGetRbrush(hatch.Get());
  ASSERT_NE(realized, nullptr);
  EXPECT_EQ(offered.calls, 1);
  EXPECT_EQ(offered.target, &target);
  EXPECT_EQ(offered.hatch, static_cast<ULONG>(HS_CROSS));
  EXPECT_EQ(offered.mask, nullptr);
  ASSERT_NE(offered.pattern, nullptr);
  EXPECT_EQ(offered.pattern->iBitmapFormat, BMF_1BPP);
  EXPECT_EQ(offered.pattern->sizlBitmap.cx, 8);
  EXPECT_EQ(offered.pattern->sizlBitmap.cy, 8);
  // The cross: the fifth row and the fifth column are lines.
  for (LONG y = 0; y < 8; ++y) {
    SCOPED_TRACE(y);
    EXPECT_EQ(platform::engine::ScanLine(offered.pattern, y)[0], y == 4 ? 0xFF : 0x08);
  }
  // 0 is the background, 1 the hatch line.
  ASSERT_NE(offered.xlate, nullptr);
  EXPECT_EQ(XLATEOBJ_iXlate(offered.xlate, 0), 0xFFFFFFu);
  EXPECT_EQ(XLATEOBJ_iXlate(offered.xlate, 1), 0x0000FFu);
  EXPECT_EQ(offered.xlate->cEntries, 2u);
  // Once realised the brush keeps its realisation.
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(hatch.Get()), realized);
  EXPECT_EQ(offered.calls, 1);
}

TEST_F(BrushTest, PatternIsOfferedWithItsTranslationPastTheHatchIndices) {
  Bitmap bits = Bitmap::Create({8, 8}, BMF_8BPP);
  Translation table = Translation::Table({0x111111, 0x222222, 0x333333});
  Brush pattern = Brush::Pattern(bits, table);
  pattern.BindRealizer(&Realize, &target);
  ASSERT_NE(BRUSHOBJ_pvGetRbrush(pattern.Get()), nullptr);
  EXPECT_EQ(offered.hatch, static_cast<ULONG>(HS_DDI_MAX + 1));
  ASSERT_NE(offered.pattern, nullptr);
  EXPECT_EQ(offered.pattern->pvBits, bits.Get()->pvBits);
  ASSERT_NE(offered.xlate, nullptr);
  EXPECT_EQ(offered.xlate->cEntries, 3u);
  EXPECT_EQ(XLATEOBJ_iXlate(offered.xlate, 2), 0x333333u);
}

TEST_F(BrushTest, SolidIsOfferedAsAPatternOfItsColourInTheTargetsFormat) {
  Brush solid = Brush::Solid(0x123456);
  EXPECT_EQ(solid.Get()->iSolidColor, 0x123456u);
  solid.BindRealizer(&Realize, &target);
  ASSERT_NE(BRUSHOBJ_pvGetRbrush(solid.Get()), nullptr);
  EXPECT_EQ(offered.hatch, static_cast<ULONG>(HS_DDI_MAX));
  EXPECT_EQ(offered.xlate, nullptr);
  ASSERT_NE(offered.pattern, nullptr);
  EXPECT_EQ(offered.pattern->iBitmapFormat, BMF_24BPP);
  EXPECT_EQ(ReadPixel(offered.pattern, 7, 7), 0x123456u);
}

TEST_F(BrushTest, NoRealisationWithoutADriverOrWhenItRefuses) {
  Brush hatch = Brush::Hatch(HS_VERTICAL, 0, 0xFFFFFF);
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(hatch.Get()), nullptr);  // nothing bound
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(nullptr), nullptr);
  hatch.BindRealizer(&Realize, &target);
  offered.refuse = true;
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(hatch.Get()), nullptr);
  // A refusal is not remembered: the next request asks again.
  offered.refuse = false;
  EXPECT_NE(BRUSHOBJ_pvGetRbrush(hatch.Get()), nullptr);
  EXPECT_EQ(offered.calls, 2);
}

TEST_F(BrushTest, RealisationMemoryRefusals) {
  Brush hatch = Brush::Hatch(HS_VERTICAL, 0, 0xFFFFFF);
  SetLastError(0);
  EXPECT_EQ(BRUSHOBJ_pvAllocRbrush(hatch.Get(), 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  BRUSHOBJ stranger{0xFFFFFFFF, nullptr, 0};
  EXPECT_EQ(BRUSHOBJ_pvAllocRbrush(&stranger, 16), nullptr);
  SetLastError(0);
  platform::test::FailAllocationAt(1);
  EXPECT_EQ(BRUSHOBJ_pvAllocRbrush(hatch.Get(), 16), nullptr);
  platform::test::FailAllocationAt(0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  // Memory the engine lends is zeroed; it goes with the brush.
  auto* memory = static_cast<unsigned char*>(BRUSHOBJ_pvAllocRbrush(hatch.Get(), 64));
  ASSERT_NE(memory, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(memory[i], 0);
}

TEST(XLATEOBJ_iXlate, TablesTrivialAndBetweenPalettes) {
  EXPECT_EQ(XLATEOBJ_iXlate(nullptr, 0x123456), 0x123456u);
  Translation identity = Translation::Identity();
  EXPECT_EQ(XLATEOBJ_iXlate(identity.Get(), 7), 7u);
  Translation table = Translation::Table({0xAA, 0xBB});
  EXPECT_EQ(XLATEOBJ_iXlate(table.Get(), 1), 0xBBu);
  EXPECT_EQ(XLATEOBJ_iXlate(table.Get(), 2), 0u);  // past the table
  // RGB to BGR swaps red and blue; RGB to black and white takes the nearest.
  HPALETTE rgb = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  HPALETTE bgr = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  ULONG blackWhite[] = {0x000000, 0xFFFFFF};
  HPALETTE mono = EngCreatePalette(PAL_INDEXED, 2, blackWhite, 0, 0, 0);
  {
    Translation swap = Translation::Between(rgb, bgr);
    EXPECT_EQ(XLATEOBJ_iXlate(swap.Get(), 0x0000FF), 0xFF0000u);
    Translation toMono = Translation::Between(rgb, mono);
    EXPECT_TRUE(toMono.Get()->flXlate & XO_TO_MONO);
    EXPECT_EQ(XLATEOBJ_iXlate(toMono.Get(), 0xF0F0F0), 1u);
    EXPECT_EQ(XLATEOBJ_iXlate(toMono.Get(), 0x202020), 0u);
  }
  EngDeletePalette(rgb);
  EngDeletePalette(bgr);
  EngDeletePalette(mono);
}

}  // namespace
