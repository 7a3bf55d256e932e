// The font queries: the device information record announces no device font, so
// every query is refused with error 87, its refusal value and the caller's
// buffers untouched, whatever the context and the font number.
#include "render/text/font_queries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "render/core/test_printer.h"

namespace {

using namespace render;
using render::testing::Enabled;
using render::testing::TestPrinter;

// What the caller hands in; every byte is a sentinel that a refused query must
// leave as it was.
struct Buffers {
  ULONG_PTR id = 0x5A5A5A5A;
  GLYPHDATA glyph;
  unsigned char bytes[64];
  HGLYPH glyphs[4] = {1, 2, 3, 4};
  Buffers() {
    std::memset(static_cast<void*>(&glyph), 0xA5, sizeof glyph);
    std::memset(bytes, 0xA5, sizeof bytes);
  }
  bool Untouched() const {
    Buffers fresh;
    return id == fresh.id && std::memcmp(&glyph, &fresh.glyph, sizeof glyph) == 0 &&
           std::memcmp(bytes, fresh.bytes, sizeof bytes) == 0 &&
           std::memcmp(glyphs, fresh.glyphs, sizeof glyphs) == 0;
  }
};

// Calls each of the four queries about font `face` and checks the refusal.
void ExpectRefused(DHPDEV pdev, ULONG face) {
  FONTOBJ font{};
  font.iFace = face;
  font.flFontType = face != 0 ? FO_TYPE_DEVICE : FO_TYPE_TRUETYPE;
  Buffers b;
  SetLastError(0);
  EXPECT_EQ(DrvQueryFont(pdev, 0, face, &b.id), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  for (ULONG mode : {QFT_LIGATURES, QFT_KERNPAIRS, QFT_GLYPHSET}) {
    SCOPED_TRACE(mode);
    SetLastError(0);
    EXPECT_EQ(DrvQueryFontTree(pdev, 0, face, mode, &b.id), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  for (ULONG mode : {QFD_GLYPHANDBITMAP, QFD_GLYPHANDOUTLINE, QFD_MAXEXTENTS}) {
    SCOPED_TRACE(mode);
    SetLastError(0);
    EXPECT_EQ(DrvQueryFontData(pdev, &font, mode, 1, &b.glyph, b.bytes, sizeof b.bytes), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  SetLastError(0);
  EXPECT_FALSE(DrvQueryAdvanceWidths(pdev, &font, 1, b.glyphs, b.bytes, 4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(b.Untouched());
}

TEST(FontQueries, NoDeviceFontIsAnnounced) {
  TestPrinter printer("089", u"ZQ1 font queries");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  // The description lists resident fonts, yet the engine is told of none.
  EXPECT_EQ(e.info.cFonts, kAnnouncedDeviceFonts);
  EXPECT_EQ(kAnnouncedDeviceFonts, 0u);
  // Font 1 is the first a device could announce; 0 is an engine font; the
  // largest number must not wrap into a table.
  for (ULONG face : {1u, 0u, 2u, 219u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(face);
    ExpectRefused(e.pdev(), face);
  }
}

TEST(FontQueries, BadContextsAndFontObjectsAreRefused) {
  TestPrinter printer("089", u"ZQ1 font query contexts");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  auto broken = std::make_unique<DeviceContext>();
  broken->leadingTag = kDeviceContextTag;  // the trailing tag is missing
  for (DHPDEV pdev : {DHPDEV{}, reinterpret_cast<DHPDEV>(broken.get())}) {
    SCOPED_TRACE(pdev == nullptr ? "null context" : "broken tags");
    ExpectRefused(pdev, 1);
  }
  // The glyph and width queries without a font object.
  Buffers b;
  SetLastError(0);
  EXPECT_EQ(
      DrvQueryFontData(e.pdev(), nullptr, QFD_GLYPHANDBITMAP, 1, &b.glyph, b.bytes, sizeof b.bytes),
      -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_FALSE(DrvQueryAdvanceWidths(e.pdev(), nullptr, 1, b.glyphs, b.bytes, 4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(b.Untouched());
}

}  // namespace
