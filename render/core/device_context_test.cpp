// The device context on the sample printers: the records the engine receives,
// the download slots, validation, the reset and the faults built soundly.
#include "render/core/device_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "render/core/device_caps.h"
#include "render/core/test_printer.h"
#include "settings/device_info_file.h"
#include "settings/settings_defaults.h"

namespace {

using namespace render;
using render::testing::Enabled;
using render::testing::TestPrinter;

// The default record of a printer's description with some private options set.
struct Settings {
  settings::SettingsRecord record;
  Settings(const DeviceContext& dc, std::uint16_t options, int dpi) {
    settings::SetDefaults(record, nullptr, dc.Description());
    auto* b = record.priv;
    settings::SetU16(b, settings::priv::kPrintOptions,
                     settings::GetU16(b, settings::priv::kPrintOptions) | options);
    record.pub.dmPrintQuality = static_cast<SHORT>(dpi);
  }
  DEVMODEW* dm() { return &record.pub; }
};

TEST(DeviceContext, ZQ1CapabilitiesAt600And400Dpi) {
  TestPrinter printer("089", u"ZQ1 caps");
  Enabled defaults(printer, nullptr);
  ASSERT_NE(defaults.dc, nullptr);
  // A1 portrait, model 89 margins at 600 dpi: 23366 x 33187 plotter units.
  const GDIINFO& g = defaults.caps;
  EXPECT_EQ(g.ulVersion, 0x400u);
  EXPECT_EQ(g.ulTechnology, 2u);
  EXPECT_EQ(static_cast<LONG>(g.ulHorzSize), -23366 * 25);
  EXPECT_EQ(static_cast<LONG>(g.ulVertSize), -33187 * 25);
  EXPECT_EQ(g.ulHorzRes, 23366u * 600 / 1016 - 3);
  EXPECT_EQ(g.ulVertRes, 33187u * 600 / 1016 - 3);
  EXPECT_EQ(g.cBitsPixel, 8u);
  EXPECT_EQ(g.cPlanes, 3u);
  EXPECT_EQ(g.ulNumColors, 8u);  // a colour device
  EXPECT_EQ(g.ulNumPalReg, 0u);
  EXPECT_EQ(g.ulLogPixelsX, 600u);
  EXPECT_EQ(g.flTextCaps, 0x19F7u);
  EXPECT_EQ(g.ulAspectXY, 600u * 1414 / 1000);
  EXPECT_EQ(g.denStyleStep, 24);
  EXPECT_EQ(g.ptlPhysOffset.x, (594000 * 600 / 25400 - 23366 * 600 / 1016) / 2);
  EXPECT_EQ(g.szlPhysSize.cx, 600 * 5940 / 254);
  EXPECT_EQ(g.ulHTPatternSize, 7u);  // 400 dpi and above
  EXPECT_EQ(g.ulHTOutputFormat, HT_FORMAT_4BPP);
  EXPECT_EQ(g.flHTFlags, HT_FLAG_HAS_BLACK_DYE);
  EXPECT_EQ(g.ciDevice.Red.x, 6380);
  EXPECT_EQ(g.ciDevice.MagentaInYellowDye, 10000);
  EXPECT_EQ(defaults.info.flGraphicsCaps, 0x11Eu);
  EXPECT_EQ(defaults.info.iDitherFormat, BMF_24BPP);
  EXPECT_EQ(defaults.info.cFonts, 0u);
  EXPECT_NE(defaults.info.hpalDefault, nullptr);

  Settings at400(*defaults.dc, 0, 400);
  Enabled low(printer, at400.dm());
  ASSERT_NE(low.dc, nullptr);
  EXPECT_EQ(low.caps.ulHorzRes, 23366u * 400 / 1016);  // no correction below 600 dpi
  EXPECT_EQ(low.caps.ulHTPatternSize, 7u);
}

TEST(DeviceContext, RasterOutputFormats) {
  TestPrinter printer("089", u"ZQ1 raster");
  Enabled base(printer, nullptr);
  ASSERT_NE(base.dc, nullptr);
  Settings mono(*base.dc, settings::kOptImageprint, 600);  // colormode 2 is the default
  Enabled monoRaster(printer, mono.dm());
  ASSERT_NE(monoRaster.dc, nullptr);
  EXPECT_TRUE(monoRaster.dc->rasterOutput);
  EXPECT_EQ(monoRaster.caps.cBitsPixel, 1u);
  EXPECT_EQ(monoRaster.caps.ulNumColors, 2u);
  EXPECT_EQ(monoRaster.caps.ulNumPalReg, 2u);
  EXPECT_EQ(monoRaster.caps.ulHTOutputFormat, HT_FORMAT_1BPP);
  EXPECT_EQ(monoRaster.info.flGraphicsCaps, 0x430u | 0x800000u);
  EXPECT_EQ(monoRaster.info.iDitherFormat, BMF_1BPP);
  EXPECT_EQ(monoRaster.info.cxDither, 8);  // pattern size 7
  Settings full(*base.dc, settings::kOptImageprint | settings::kOptModetype3, 600);
  Enabled fullRaster(printer, full.dm());
  ASSERT_NE(fullRaster.dc, nullptr);
  EXPECT_TRUE(fullRaster.dc->fullColour);
  EXPECT_EQ(fullRaster.caps.cBitsPixel, 24u);
  EXPECT_EQ(fullRaster.caps.ulNumColors, 0xFFFFFFu);
  EXPECT_EQ(fullRaster.caps.ulHTOutputFormat, HT_FORMAT_24BPP);
  EXPECT_EQ(fullRaster.info.flGraphicsCaps, 0x430u);
}

TEST(DeviceContext, MonochromeOfficePrinter) {
  TestPrinter printer("012", u"Office");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  EXPECT_EQ(e.caps.ulNumColors, 2u);
  EXPECT_EQ(e.caps.ulHTOutputFormat, HT_FORMAT_1BPP);
  EXPECT_EQ(e.dc->dpi, 400);
}

TEST(DeviceContext, PhysicalOffsetNeverNegative) {
  TestPrinter printer("089", u"ZQ1 offset");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  e.dc->logical.paperWidth = 100000;  // narrower than the imageable right edge
  GDIINFO g{};
  FillCapabilities(*e.dc, sizeof g, reinterpret_cast<ULONG*>(&g));
  EXPECT_EQ(g.ptlPhysOffset.x, 0);
  // A 6,000 mm custom length at 600 dpi does not wrap.
  e.dc->logical.paperLength = 6000000;
  e.dc->logical.bottom = 230000;
  FillCapabilities(*e.dc, sizeof g, reinterpret_cast<ULONG*>(&g));
  EXPECT_EQ(g.szlPhysSize.cy, 600 * 60000 / 254);
  EXPECT_GT(g.ptlPhysOffset.y, 0);
  // Only as many bytes as the engine passed are written.
  std::vector<unsigned char> small(64, 0xEE);
  FillCapabilities(*e.dc, 16, reinterpret_cast<ULONG*>(small.data()));
  EXPECT_EQ(small[16], 0xEE);
  EXPECT_EQ(settings::LoadU32(small.data()), 0x400u);
  // The information record likewise.
  std::vector<unsigned char> smallInfo(64, 0xEE);
  ASSERT_TRUE(FillDeviceInfo(*e.dc, 8, reinterpret_cast<DEVINFO*>(smallInfo.data())));
  EXPECT_NE(settings::LoadU32(smallInfo.data()), 0xEEEEEEEEu);  // the graphics caps
  EXPECT_EQ(smallInfo[8], 0xEE);
}

TEST(DeviceContext, DownloadSlotsFromTheStickyMemory) {
  TestPrinter printer("089", u"ZQ1 slots");
  {
    Enabled e(printer, nullptr);
    ASSERT_NE(e.dc, nullptr);
    EXPECT_EQ(e.dc->downloadSlotCount, 16777216u / 337920);
  }
  DWORD kilobytes = 100;  // 102,400 bytes: less than one slot's worth
  printer.SetData(u"FreeMem", REG_DWORD, &kilobytes, 4);
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  EXPECT_EQ(e.dc->downloadSlotCount, 1u);
}

TEST(DeviceContext, UserCodeFromPrinterData) {
  TestPrinter printer("089", u"ZQ1 user code");
  unsigned char flag = 0x1;
  char code[18];
  std::memset(code, '7', 18);  // no terminator: the driver ends it itself
  printer.SetData(u"UserCodeFlag", REG_BINARY, &flag, 1);
  printer.SetData(u"UserCode", REG_BINARY, code, 18);
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  EXPECT_EQ(e.dc->settings.priv[settings::priv::kUserCodeFlag], 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(e.dc->settings.priv + settings::priv::kUserCode)),
            std::string(17, '7'));
  // A value of another size is not taken.
  printer.SetData(u"UserCode", REG_BINARY, "12", 2);
  Enabled other(printer, nullptr);
  EXPECT_EQ(other.dc->settings.priv[settings::priv::kUserCode], 0);
}

TEST(DeviceContext, ColourTypeFromTheIniFileOrThePrinterData) {
  TestPrinter printer("103", u"TB103 colour type");  // PrinterFunction has 0x1000000
  namespace priv = settings::priv;
  auto printertype = [](const Enabled& e) {
    return (settings::GetU16(e.dc->settings.priv, priv::kDeviceFlags) &
            settings::kDevPrintertype) != 0;
  };
  std::u16string ini = settings::DeviceInfoFilePath(true);
  // The printer data answers when the file has no key.
  unsigned char one[2] = {1, 0};
  printer.SetData(u"PrinterColorType", REG_BINARY, one, 2);
  {
    Enabled e(printer, nullptr);
    ASSERT_NE(e.dc, nullptr);
    EXPECT_TRUE(printertype(e));
    EXPECT_EQ(settings::GetI16(e.dc->settings.priv, priv::kColormode), 2);
  }
  // The file's key comes first.
  ASSERT_TRUE(
      WritePrivateProfileStringW(printer.name.c_str(), u"PrinterColorType", u"0", ini.c_str()));
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  EXPECT_FALSE(printertype(e));
}

TEST(DeviceContext, BrokenTagsAreRefused) {
  TestPrinter printer("089", u"ZQ1 tags");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  DeviceContext broken;
  std::memset(static_cast<void*>(&broken), 0, sizeof broken);
  broken.leadingTag = kDeviceContextTag;  // the trailing tag is missing
  auto pdev = reinterpret_cast<DHPDEV>(&broken);
  SURFOBJ surface{};
  surface.dhpdev = pdev;
  POINTL origin{};
  struct Case {
    const char* name;
    bool (*call)(DHPDEV, SURFOBJ*, POINTL*, DHPDEV);
  };
  const Case kCases[] = {
      {"DrvEnableSurface",
       [](DHPDEV p, SURFOBJ*, POINTL*, DHPDEV) { return DrvEnableSurface(p) == nullptr; }},
      {"DrvResetPDEV old",
       [](DHPDEV p, SURFOBJ*, POINTL*, DHPDEV good) { return !DrvResetPDEV(p, good); }},
      {"DrvResetPDEV new",
       [](DHPDEV p, SURFOBJ*, POINTL*, DHPDEV good) { return !DrvResetPDEV(good, p); }},
      {"DrvStartBanding",
       [](DHPDEV, SURFOBJ* s, POINTL* o, DHPDEV) { return !DrvStartBanding(s, o); }},
      {"DrvNextBand", [](DHPDEV, SURFOBJ* s, POINTL* o, DHPDEV) { return !DrvNextBand(s, o); }},
      {"DrvCompletePDEV",
       [](DHPDEV p, SURFOBJ*, POINTL*, DHPDEV) {
         DrvCompletePDEV(p, nullptr);
         return true;
       }},
      {"null",
       [](DHPDEV, SURFOBJ*, POINTL*, DHPDEV) { return DrvEnableSurface(nullptr) == nullptr; }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_TRUE(c.call(pdev, &surface, &origin, e.pdev()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  DrvDisableSurface(pdev);  // silently
  DrvDisablePDEV(pdev);
}

TEST(DeviceContext, ResetCarriesTheJob) {
  TestPrinter printer("089", u"ZQ1 reset");
  Enabled before(printer, nullptr);
  Enabled now(printer, nullptr);
  ASSERT_NE(before.dc, nullptr);
  ASSERT_NE(now.dc, nullptr);
  DeviceContext& old = *before.dc;
  old.jobFlags = kJobDocumentStarted | kJobStarted | kJobHeaderWritten | kJobPageOpen | 0x40;
  old.pageCount = 3;
  old.jobId = 42;
  old.documentName = static_cast<WCHAR*>(HeapAlloc(old.heap, 0, 6 * sizeof(WCHAR)));
  std::memcpy(old.documentName, u"Sheet", 6 * sizeof(WCHAR));
  std::strcpy(old.identity.trackId, "TRACK-1");
  old.identity.jobBinderSend = true;
  old.filterJob = 77;
  // The user code handed over by escape 102 and the authentication switches of
  // escapes 110 and 111 are sent only before the header: the job keeps them.
  std::memcpy(old.settings.priv + settings::priv::kUserCode, "4711", 5);
  old.settings.priv[settings::priv::kUserCodeFlag] = 0x1 | 0x2 | 0x8;
  old.optionFlags |= kOptionAuthMode | kOptionAuthSecure | kOptionPerUser;
  now.dc->optionFlags &= static_cast<WORD>(~kOptionRedInk);
  ASSERT_TRUE(DrvResetPDEV(before.pdev(), now.pdev()));
  const DeviceContext& carried = *now.dc;
  EXPECT_EQ(carried.jobFlags, kJobResetCarried | kJobSamePageSetup | kJobDocumentStarted |
                                  kJobStarted | kJobHeaderWritten);
  EXPECT_EQ(carried.pageCount, 3u);
  EXPECT_EQ(carried.jobId, 42u);
  EXPECT_EQ(std::u16string(carried.documentName), u"Sheet");
  EXPECT_STREQ(carried.identity.trackId, "TRACK-1");
  EXPECT_TRUE(carried.identity.jobBinderSend);
  EXPECT_EQ(carried.filterJob, 77u);
  EXPECT_STREQ(reinterpret_cast<const char*>(carried.settings.priv + settings::priv::kUserCode),
               "4711");
  EXPECT_EQ(carried.settings.priv[settings::priv::kUserCodeFlag], 0x1 | 0x2 | 0x8);
  // The red-ink flag belongs to the new settings, not to the job.
  EXPECT_EQ(carried.optionFlags, kOptionAuthMode | kOptionAuthSecure | kOptionPerUser);
  // Another paper is no same page set-up.
  Enabled other(printer, nullptr);
  other.dc->settings.pub.dmPaperSize = 267;
  ASSERT_TRUE(DrvResetPDEV(before.pdev(), other.pdev()));
  EXPECT_FALSE(other.dc->jobFlags & kJobSamePageSetup);
}

TEST(DeviceContext, OverLongDataPathFailsCleanly) {
  render::testing::EnableDriverOnce();
  platform::PrinterRecord record;
  record.name = u"Long path";
  record.portName = u"-";
  record.driver.dataFile = u"C:\\" + std::u16string(300, u'd') + u".PPD";
  record.driver.driverPath = u"C:\\QX48GL64.DLL";
  ASSERT_TRUE(platform::AddPrinter(record));
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE handle = nullptr;
  ASSERT_TRUE(OpenPrinterW(record.name.c_str(), &handle, &defaults));
  unsigned long blocks = platform::test::OutstandingBlocks();
  GDIINFO caps{};
  DEVINFO info{};
  EXPECT_EQ(
      DrvEnablePDEV(nullptr, nullptr, 0, nullptr, sizeof caps, reinterpret_cast<ULONG*>(&caps),
                    sizeof info, &info, nullptr, nullptr, handle),
      nullptr);
  EXPECT_EQ(platform::test::OutstandingBlocks(), blocks);
  ClosePrinter(handle);
}

TEST(DeviceContext, ManyContextsFromTwoThreadsLeakNothing) {
  TestPrinter printer("089", u"ZQ1 threads");
  { Enabled warm(printer, nullptr); }  // the description cache is written once
  unsigned long blocks = platform::test::OutstandingBlocks();
  std::size_t palettes = platform::engine::test::LivePaletteCount();
  auto work = [&] {
    for (int i = 0; i < 20; ++i) {
      Enabled e(printer, nullptr);
      EXPECT_NE(e.dc, nullptr);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(platform::test::OutstandingBlocks(), blocks);
  EXPECT_EQ(platform::engine::test::LivePaletteCount(), palettes);
}

}  // namespace
