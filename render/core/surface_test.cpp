// Surfaces through the engine: the render library loaded by the engine from the
// printer's driver path, vector and raster surfaces, band sizes and banding.
#include <gtest/gtest.h>

#include "platform/engine/device_context.h"
#include "render/core/device_context.h"
#include "render/core/test_printer.h"
#include "settings/settings_defaults.h"

namespace {

using render::testing::TestPrinter;

// A settings record of the printer's description with some print options set.
settings::SettingsRecord Record(const TestPrinter& printer, std::uint16_t options) {
  render::testing::Enabled e(printer, nullptr);
  settings::SettingsRecord r = e.dc->settings;
  settings::SetU16(r.priv, settings::priv::kPrintOptions,
                   settings::GetU16(r.priv, settings::priv::kPrintOptions) | options);
  return r;
}

const render::DeviceContext& Render(const platform::engine::DeviceContext& dc) {
  return *reinterpret_cast<const render::DeviceContext*>(dc.Pdev());
}

TEST(Surface, VectorSurfaceHooksTheDrawingCalls) {
  TestPrinter printer("089", u"ZQ1 vector");
  auto dc = platform::engine::DeviceContext::Open(printer.name, nullptr);
  ASSERT_NE(dc, nullptr) << GetLastError();
  EXPECT_EQ(dc->Hooks(), 0x4FBu);
  EXPECT_FALSE(dc->Banding());
  EXPECT_EQ(dc->Surface()->iType, STYPE_DEVICE);
  // The surface is 3 pixels larger than the capability record says at 600 dpi.
  EXPECT_EQ(dc->Surface()->sizlBitmap.cx, static_cast<LONG>(dc->Capabilities().ulHorzRes) + 3);
  EXPECT_EQ(dc->Surface()->sizlBitmap.cy, static_cast<LONG>(dc->Capabilities().ulVertRes) + 3);
}

TEST(Surface, MonochromeRasterBandsFromTheSizeList) {
  TestPrinter printer("089", u"ZQ1 mono raster");
  settings::SettingsRecord r = Record(printer, settings::kOptImageprint);
  auto dc = platform::engine::DeviceContext::Open(printer.name, &r.pub);
  ASSERT_NE(dc, nullptr) << GetLastError();
  EXPECT_EQ(dc->Hooks(), 0x0Bu);
  EXPECT_TRUE(dc->Banding());
  LONG width = dc->Surface()->sizlBitmap.cx;
  long long bytesPerRow = (width + 7) / 8;
  EXPECT_EQ(dc->Surface()->iBitmapFormat, BMF_1BPP);
  EXPECT_EQ(dc->Surface()->sizlBitmap.cy, 1000LL * 1024 / bytesPerRow / 12 * 12 + 12);
  EXPECT_EQ(Render(*dc).bandHeight, dc->Surface()->sizlBitmap.cy);
}

TEST(Surface, FullColourRasterFallsBackToBandsWhenThePageIsTooLarge) {
  TestPrinter printer("089", u"ZQ1 colour raster");
  settings::SettingsRecord r = Record(printer, settings::kOptImageprint | settings::kOptModetype3);
  auto dc = platform::engine::DeviceContext::Open(printer.name, &r.pub);
  ASSERT_NE(dc, nullptr) << GetLastError();
  EXPECT_EQ(dc->Surface()->iBitmapFormat, BMF_24BPP);
  LONG width = dc->Surface()->sizlBitmap.cx;
  if (dc->Banding()) {
    EXPECT_EQ(dc->Surface()->sizlBitmap.cy, 1000LL * 1024 / (3LL * width) / 12 * 12 + 12);
  } else {
    EXPECT_EQ(dc->Surface()->sizlBitmap.cy, static_cast<LONG>(dc->Capabilities().ulVertRes) + 3);
  }
}

TEST(Surface, BandsEndOnlyBeyondThePage) {
  TestPrinter printer("089", u"ZQ1 bands");
  render::testing::Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  e.dc->bandHeight = 100;
  e.dc->pageHeight = 200;  // a whole number of bands
  SURFOBJ so{};
  so.dhpdev = e.pdev();
  POINTL origin{};
  ASSERT_TRUE(render::DrvStartBanding(&so, &origin));
  EXPECT_EQ(origin.y, 0);
  EXPECT_TRUE(render::DrvNextBand(&so, &origin));
  EXPECT_EQ(origin.y, 100);
  EXPECT_TRUE(render::DrvNextBand(&so, &origin));
  EXPECT_EQ(origin.y, 200);  // a band that starts at the page height
  // After the last band the page is sent: the call answers as DrvSendPage does,
  // and the page counts.
  ULONG pages = e.dc->pageCount;
  EXPECT_TRUE(render::DrvNextBand(&so, &origin));
  EXPECT_EQ(origin.x, -1);
  EXPECT_EQ(origin.y, -1);
  EXPECT_EQ(e.dc->pageCount, pages + 1);
}

TEST(Surface, PageWithoutPixelsHasNoSurface) {
  TestPrinter printer("089", u"ZQ1 empty");
  render::testing::Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  e.dc->logical.right = e.dc->logical.left;
  SetLastError(0);
  EXPECT_EQ(render::DrvEnableSurface(e.pdev()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
