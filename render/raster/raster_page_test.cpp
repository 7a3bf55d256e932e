// Raster pages through the engine: with colour mode 2 and image print the
// engine draws every call into the band bitmap, and the page reaches the
// printer as band blocks only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/engine/objects.h"
#include "platform/spooler/spooler.h"
#include "render/core/device_context.h"
#include "render/core/test_printer.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using render::testing::TestPrinter;

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(RasterPage, ImagePrintPageIsBandBlocksOnly) {
  TestPrinter printer("012", u"ZQ raster page");
  settings::SettingsRecord r;
  {
    render::testing::Enabled e(printer, nullptr);
    ASSERT_NE(e.dc, nullptr);
    r = e.dc->settings;
  }
  settings::SetI16(r.priv, settings::priv::kColormode, 2);
  r.pub.dmFields |= DM_ORIENTATION;
  r.pub.dmOrientation = 1;  // portrait: the blocks go as they are
  settings::SetU16(
      r.priv, settings::priv::kPrintOptions,
      settings::GetU16(r.priv, settings::priv::kPrintOptions) | settings::kOptImageprint);
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, &r.pub);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_TRUE(dc->Banding());
    ASSERT_TRUE(dc->StartDocument(u"Raster page"));
    ASSERT_TRUE(dc->StartPage());
    // A black bar 16 pixels wide and 2 high at (80, 100), drawn as a fill
    // without a source.
    Brush black = dc->SolidBrush(0x000000);
    ASSERT_TRUE(dc->BitBlt(nullptr, nullptr, Clip::None(), nullptr, RECTL{80, 100, 96, 102},
                           POINTL{0, 0}, POINTL{0, 0}, &black, POINTL{0, 0}, 0xF0F0));
    // A filled rectangle the device does not hook: the engine draws it into
    // the band, and it leaves as a block of its own.
    platform::engine::Path bar;
    bar.AddRectangle(160, 300, 176, 302);
    ASSERT_TRUE(dc->FillPath(bar, Clip::None(), black, 0x0D0D, FP_WINDINGMODE));
    ASSERT_TRUE(dc->EndPage());
    ASSERT_TRUE(dc->EndDocument());
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  ASSERT_EQ(jobs.size(), 1u);
  const std::string stream(jobs[0].bytes.begin(), jobs[0].bytes.end());
  // The one block: monochrome merge control of a printer with PrinterFunction
  // bit 0x8000 at its 400 dpi, the block's two byte columns at x = 8 x 10, two rows of ink
  // (delta rows: the first replaces two bytes, the second repeats it).
  const std::string block =
      "MC1,204PUPA80,100\x1B%1A\x1B*t400R\x1B*r16s2t1A\x1B*b3m3W\x20\xFF\xFF\x1B*b0W\x1B*rC\x1B%0B";
  EXPECT_EQ(Count(stream, block), 1u) << ::testing::PrintToString(
      stream.substr(stream.find("\x1B*r") > 40 ? stream.find("\x1B*r") - 40 : 0, 120));
  const std::string filled =
      "MC1,204PUPA160,300\x1B%1A\x1B*t400R\x1B*r16s2t1A\x1B*b3m3W\x20\xFF\xFF\x1B*b0W\x1B*rC\x1B%"
      "0B";
  EXPECT_EQ(Count(stream, filled), 1u);
  EXPECT_EQ(Count(stream, "\x1B*r"), 4u);  // the blocks' starts and ends only
  EXPECT_EQ(Count(stream, "PUPA"), 2u);
}

TEST(RasterPage, MonochromeBlitDrawnByTheEngineComesBackAsACopy) {
  TestPrinter printer("012", u"ZQ mono blit");
  settings::SettingsRecord r;
  {
    render::testing::Enabled e(printer, nullptr);
    ASSERT_NE(e.dc, nullptr);
    r = e.dc->settings;
  }
  settings::SetI16(r.priv, settings::priv::kColormode, 2);
  r.pub.dmFields |= DM_ORIENTATION;
  r.pub.dmOrientation = 1;
  // Four black pixels, four white.
  Bitmap source = Bitmap::Create({8, 1}, BMF_24BPP);
  RECTL all{0, 0, 8, 1};
  EngEraseSurface(source.Get(), &all, 0xFFFFFF);
  RECTL black{0, 0, 4, 1};
  EngEraseSurface(source.Get(), &black, 0);
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, &r.pub);
    ASSERT_NE(dc, nullptr) << GetLastError();
    ASSERT_FALSE(dc->Banding());
    ASSERT_TRUE(dc->StartDocument(u"Mono blit"));
    ASSERT_TRUE(dc->StartPage());
    ASSERT_TRUE(dc->BitBlt(&source, nullptr, Clip::None(), nullptr, RECTL{40, 50, 48, 51},
                           POINTL{0, 0}, POINTL{0, 0}, nullptr, POINTL{0, 0}, 0xCCCC));
    ASSERT_TRUE(dc->EndPage());
    ASSERT_TRUE(dc->EndDocument());
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  ASSERT_EQ(jobs.size(), 1u);
  const std::string stream(jobs[0].bytes.begin(), jobs[0].bytes.end());
  // The blit records 0xCCCC; the engine stretches the source and hands it to
  // DrvCopyBits, which sends it in one bit (1 is black) after "MC1,204", the
  // merge control of 204 on a printer with PrinterFunction bit 0x8000.
  const std::string copy =
      "MC1,204PUPA40,50\x1B%1A\x1B*t400R\x1B*r8s1t1A\x1B*b3m2W\x00\xF0\x1B*rC\x1B%0B";
  EXPECT_EQ(Count(stream, copy), 1u) << ::testing::PrintToString(
      stream.substr(stream.find("\x1B*r") > 40 ? stream.find("\x1B*r") - 40 : 0, 120));
}

}  // namespace
