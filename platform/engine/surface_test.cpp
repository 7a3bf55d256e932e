// Bitmaps and surfaces: row lengths and sizes in 64 bits, the bitmap ceiling,
// scan-line order, device surfaces, hooks and banding marks, locks and deletion.
#include <gtest/gtest.h>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/engine/ddi.h"
#include "platform/engine/engine_internal.h"

namespace {

using platform::engine::BitmapSizeLimit;
using platform::engine::FindSurfaceState;
using platform::engine::SetBitmapSizeLimit;
using platform::engine::test::LiveSurfaceCount;

// Restores the ceiling a test changed.
class LimitGuard {
 public:
  LimitGuard() : saved_(BitmapSizeLimit()) {}
  ~LimitGuard() { SetBitmapSizeLimit(saved_); }

 private:
  ULONGLONG saved_;
};

struct SizeCase {
  const char* name;
  LONG width;
  ULONG format;
  LONG lWidth;
  LONG scan;  // expected bytes per scan line
};

// clang-format off
const SizeCase kSizes[] = {
    {"1 bit, 1 pixel",        1, BMF_1BPP,   0,  4},
    {"1 bit, 33 pixels",     33, BMF_1BPP,   0,  8},
    {"4 bits, 9 pixels",      9, BMF_4BPP,   0,  8},
    {"8 bits, 5 pixels",      5, BMF_8BPP,   0,  8},
    {"16 bits, 3 pixels",     3, BMF_16BPP,  0,  8},
    {"24 bits, 3 pixels",     3, BMF_24BPP,  0, 12},
    {"24 bits, 4 pixels",     4, BMF_24BPP,  0, 12},
    {"32 bits, 1 pixel",      1, BMF_32BPP,  0,  4},
    {"wider lWidth kept",     5, BMF_8BPP,  64, 64},
    {"short lWidth ignored", 33, BMF_24BPP, 10, 100},
};
// clang-format on

TEST(EngCreateBitmap, RowLengthsAndSizes) {
  for (const SizeCase& c : kSizes) {
    SCOPED_TRACE(c.name);
    for (FLONG fl : {FLONG{0}, BMF_TOPDOWN}) {
      HSURF h =
          reinterpret_cast<HSURF>(EngCreateBitmap({c.width, 7}, c.lWidth, c.format, fl, nullptr));
      ASSERT_NE(h, nullptr);
      SURFOBJ* so = EngLockSurface(h);
      ASSERT_NE(so, nullptr);
      EXPECT_EQ(so->cjBits, static_cast<ULONG>(c.scan * 7));
      EXPECT_EQ(so->iBitmapFormat, c.format);
      EXPECT_EQ(so->iType, STYPE_BITMAP);
      EXPECT_EQ(so->hsurf, h);
      EXPECT_EQ(so->sizlBitmap.cx, c.width);
      EXPECT_EQ(so->sizlBitmap.cy, 7);
      if (fl & BMF_TOPDOWN) {
        EXPECT_EQ(so->lDelta, c.scan);
        EXPECT_EQ(so->pvScan0, so->pvBits);
        EXPECT_TRUE(so->fjBitmap & BMF_TOPDOWN);
      } else {
        // Bottom-up: the first scan line is the last in memory.
        EXPECT_EQ(so->lDelta, -c.scan);
        EXPECT_EQ(static_cast<BYTE*>(so->pvScan0), static_cast<BYTE*>(so->pvBits) + 6 * c.scan);
      }
      const BYTE* bits = static_cast<const BYTE*>(so->pvBits);
      for (ULONG i = 0; i < so->cjBits; ++i) ASSERT_EQ(bits[i], 0) << i;
      EngUnlockSurface(so);
      EXPECT_TRUE(EngDeleteSurface(h));
    }
  }
}

TEST(EngCreateBitmap, SizesAreComputedIn64BitsAndHeldToTheCeiling) {
  LimitGuard guard;
  // A whole 24-bit page of a 6 m roll at 600 dpi: 19,866 x 141,732 x 3 bytes, about
  // 8.4 GB, which a 32-bit size would wrap to a small one.
  SetBitmapSizeLimit(ULONGLONG{1} << 40);
  SetLastError(0);
  EXPECT_EQ(EngCreateBitmap({19866, 141732}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);

  // 10 x 25 pixels of 8 bits take 12 x 25 = 300 bytes.
  SetBitmapSizeLimit(300);
  HBITMAP at = EngCreateBitmap({10, 25}, 0, BMF_8BPP, 0, nullptr);
  EXPECT_NE(at, nullptr);
  EXPECT_TRUE(EngDeleteSurface(reinterpret_cast<HSURF>(at)));
  SetLastError(0);
  EXPECT_EQ(EngCreateBitmap({10, 26}, 0, BMF_8BPP, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST(EngCreateBitmap, RefusesBadRequests) {
  struct Bad {
    const char* name;
    SIZEL size;
    ULONG format;
  };
  const Bad kBad[] = {{"zero width", {0, 10}, BMF_8BPP},
                      {"negative height", {10, -1}, BMF_8BPP},
                      {"no format", {10, 10}, 0},
                      {"compressed format", {10, 10}, BMF_8RLE}};
  for (const Bad& b : kBad) {
    SCOPED_TRACE(b.name);
    SetLastError(0);
    EXPECT_EQ(EngCreateBitmap(b.size, 0, b.format, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  platform::test::FailAllocationAt(1);
  EXPECT_EQ(EngCreateBitmap({10, 10}, 0, BMF_8BPP, 0, nullptr), nullptr);
  platform::test::FailAllocationAt(0);
}

TEST(EngCreateBitmap, CallersBitsStayTheCallers) {
  std::vector<BYTE> bits(16 * 4, 0x5A);
  std::size_t before = LiveSurfaceCount();
  HSURF h =
      reinterpret_cast<HSURF>(EngCreateBitmap({10, 4}, 16, BMF_8BPP, BMF_TOPDOWN, bits.data()));
  ASSERT_NE(h, nullptr);
  SURFOBJ* so = EngLockSurface(h);
  EXPECT_EQ(so->pvBits, bits.data());
  EXPECT_EQ(so->lDelta, 16);
  EXPECT_EQ(static_cast<BYTE*>(so->pvBits)[0], 0x5A);  // not zeroed
  EngUnlockSurface(so);
  EXPECT_TRUE(EngDeleteSurface(h));
  EXPECT_EQ(LiveSurfaceCount(), before);
  // Rows shorter than the pixels are refused.
  EXPECT_EQ(EngCreateBitmap({10, 4}, 8, BMF_8BPP, BMF_TOPDOWN, bits.data()), nullptr);
}

TEST(Surfaces, DeviceSurfaceHooksAndBanding) {
  auto dhsurf = reinterpret_cast<DHSURF>(0x1234);
  HSURF h = EngCreateDeviceSurface(dhsurf, {4000, 3000}, BMF_24BPP);
  ASSERT_NE(h, nullptr);
  SURFOBJ* so = EngLockSurface(h);
  EXPECT_EQ(so->iType, STYPE_DEVICE);
  EXPECT_EQ(so->dhsurf, dhsurf);
  EXPECT_EQ(so->pvBits, nullptr);
  EXPECT_EQ(so->sizlBitmap.cx, 4000);

  ASSERT_TRUE(FindSurfaceState(h));
  EXPECT_FALSE(FindSurfaceState(h)->associated);
  EXPECT_FALSE(EngAssociateSurface(h, nullptr, HOOK_BITBLT));
  HDEV hdev = platform::engine::CreateEngineDevice(u"QX48GL64.DLL", u"");
  platform::engine::SetEngineDevicePdev(hdev, reinterpret_cast<DHPDEV>(0x77));
  ASSERT_TRUE(EngAssociateSurface(h, hdev, 0x4FB));
  EXPECT_EQ(so->hdev, hdev);
  EXPECT_EQ(so->dhpdev, reinterpret_cast<DHPDEV>(0x77));
  FLONG hooks = FindSurfaceState(h)->hooks;
  EXPECT_EQ(hooks, HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_PAINT | HOOK_STROKEPATH |
                       HOOK_FILLPATH | HOOK_STROKEANDFILLPATH | HOOK_COPYBITS);
  EXPECT_FALSE(FindSurfaceState(h)->banding);
  EXPECT_TRUE(EngMarkBandingSurface(h));
  EXPECT_TRUE(FindSurfaceState(h)->banding);

  EngUnlockSurface(so);
  EXPECT_TRUE(EngDeleteSurface(h));
  EXPECT_FALSE(EngMarkBandingSurface(h));
  EXPECT_FALSE(EngAssociateSurface(h, hdev, 0));
  platform::engine::DeleteEngineDevice(hdev);
}

TEST(Surfaces, LockedSurfaceGoesWithItsLastUnlock) {
  std::size_t before = LiveSurfaceCount();
  HSURF h = reinterpret_cast<HSURF>(EngCreateBitmap({8, 8}, 0, BMF_1BPP, 0, nullptr));
  SURFOBJ* first = EngLockSurface(h);
  SURFOBJ* second = EngLockSurface(h);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(EngDeleteSurface(h));
  EXPECT_EQ(EngLockSurface(h), nullptr);  // deleted: no new locks
  EngUnlockSurface(first);
  EXPECT_EQ(LiveSurfaceCount(), before + 1);
  EngUnlockSurface(second);
  EXPECT_EQ(LiveSurfaceCount(), before);
  SetLastError(0);
  EXPECT_FALSE(EngDeleteSurface(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EngUnlockSurface(nullptr);  // harmless
}

}  // namespace
