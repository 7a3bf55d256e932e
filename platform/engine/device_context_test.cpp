// The engine's device-context side against a fake render library registered as a
// module: the order and arguments of the driver calls (enable, complete, surface,
// documents, pages, banding, reset, escapes, disable), the routing of drawing
// calls, and many device contexts on two threads without leaks.
#include "platform/engine/device_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/base/memory.h"
#include "platform/base/text.h"
#include "platform/engine/engine_internal.h"
#include "platform/modules/modules.h"
#include "platform/spooler/spooler.h"

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::DeviceContext;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::Transform;

// ---------------------------------------------------------------------------
// The fake render library.

namespace fake {

struct Config {
  DWORD userMode = 1;
  bool enableDriverFails = false;
  bool enablePdevFails = false;
  bool enableSurfaceFails = false;
  LONG width = 800;
  LONG height = 300;
  LONG bandHeight = 0;  // 0: a device-managed surface
  FLONG hooks = 0x4FB;
  bool fillRefuses = false;
  bool strokeRefusesComplexClip = false;
  bool record = true;
};

Config config;
std::mutex lock;
std::vector<std::string> log;
int livePdevs = 0;
int enabled = 0;

void Record(const std::string& entry) {
  std::lock_guard<std::mutex> guard(lock);
  if (config.record) log.push_back(entry);
}

std::vector<std::string> TakeLog() {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> out;
  out.swap(log);
  return out;
}

struct Pdev {
  int id = 0;
  HDEV hdev = nullptr;
  HSURF surface = nullptr;
  HPALETTE palette = nullptr;
  LONG bandY = 0;
  std::vector<BYTE> settings;
};

std::atomic<int> nextId{1};

Pdev* Of(DHPDEV dhpdev) { return reinterpret_cast<Pdev*>(dhpdev); }
Pdev* Of(SURFOBJ* so) { return Of(so->dhpdev); }
std::string Id(DHPDEV d) { return "#" + std::to_string(Of(d)->id); }
std::string Id(SURFOBJ* so) { return Id(so->dhpdev); }

DHPDEV EnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* patterns, ULONG cjCaps, ULONG* caps,
                  ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR device, HANDLE printer) {
  if (config.enablePdevFails) {
    Record("DrvEnablePDEV refused");
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* p = new Pdev;
  p->id = nextId++;
  {
    std::lock_guard<std::mutex> guard(lock);
    ++livePdevs;
  }
  p->hdev = hdev;
  if (pdm != nullptr) {
    auto* bytes = reinterpret_cast<BYTE*>(pdm);
    p->settings.assign(bytes, bytes + pdm->dmSize + pdm->dmDriverExtra);
  }
  for (ULONG i = 0; i < cPat; ++i) patterns[i] = nullptr;
  GDIINFO gdi{};
  gdi.ulVersion = 0x400;
  gdi.ulTechnology = DT_RASPRINTER;
  gdi.ulHorzRes = static_cast<ULONG>(config.width);
  gdi.ulVertRes = static_cast<ULONG>(config.height);
  std::memcpy(caps, &gdi, std::min<ULONG>(cjCaps, sizeof(gdi)));
  DEVINFO info{};
  info.flGraphicsCaps = GCAPS_HALFTONE;
  ULONG mono[] = {0x000000, 0xFFFFFF};
  p->palette = config.bandHeight > 0 ? EngCreatePalette(PAL_INDEXED, 2, mono, 0, 0, 0)
                                     : EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  info.hpalDefault = p->palette;
  std::memcpy(pdi, &info, std::min<ULONG>(cjDevInfo, sizeof(info)));
  Record("DrvEnablePDEV #" + std::to_string(p->id) + " caps " + std::to_string(cjCaps) + " info " +
         std::to_string(cjDevInfo) + " patterns " + std::to_string(cPat) + " device " +
         platform::WideToUtf8(device ? device : u"(none)") +
         (printer != nullptr ? " printer" : " no printer") + (pdm ? " settings" : " no settings"));
  return reinterpret_cast<DHPDEV>(p);
}

void CompletePDEV(DHPDEV d, HDEV hdev) {
  Record("DrvCompletePDEV " + Id(d) + (hdev == Of(d)->hdev ? " same device" : " other device"));
}

void DisablePDEV(DHPDEV d) {
  Record("DrvDisablePDEV " + Id(d));
  EngDeletePalette(Of(d)->palette);
  delete Of(d);
  std::lock_guard<std::mutex> guard(lock);
  --livePdevs;
}

BOOL ResetPDEV(DHPDEV old, DHPDEV fresh) {
  Record("DrvResetPDEV " + Id(old) + " " + Id(fresh));
  return TRUE;
}

HSURF EnableSurface(DHPDEV d) {
  Pdev* p = Of(d);
  if (config.enableSurfaceFails) {
    Record("DrvEnableSurface refused");
    return nullptr;
  }
  if (config.bandHeight > 0) {
    p->surface = reinterpret_cast<HSURF>(
        EngCreateBitmap({config.width, config.bandHeight}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    EngAssociateSurface(p->surface, p->hdev, config.hooks);
    EngMarkBandingSurface(p->surface);
  } else {
    p->surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(p), {config.width, config.height},
                                        BMF_24BPP);
    EngAssociateSurface(p->surface, p->hdev, config.hooks);
  }
  Record("DrvEnableSurface " + Id(d));
  return p->surface;
}

void DisableSurface(DHPDEV d) {
  Record("DrvDisableSurface " + Id(d));
  EngDeleteSurface(Of(d)->surface);
  Of(d)->surface = nullptr;
}

BOOL StartDoc(SURFOBJ* so, LPWSTR name, DWORD job) {
  Record("DrvStartDoc " + Id(so) + " " + platform::WideToUtf8(name ? name : u"(none)") + " job " +
         std::to_string(job));
  return TRUE;
}

BOOL EndDoc(SURFOBJ* so, FLONG fl) {
  Record("DrvEndDoc " + Id(so) + (fl & ED_ABORTDOC ? " abort" : ""));
  return TRUE;
}

BOOL StartPage(SURFOBJ* so) {
  Record("DrvStartPage " + Id(so));
  return TRUE;
}

BOOL SendPage(SURFOBJ* so) {
  Record("DrvSendPage " + Id(so));
  return TRUE;
}

// The band just drawn: how many pixels are black.
long Ink(SURFOBJ* so) {
  long n = 0;
  for (LONG y = 0; y < so->sizlBitmap.cy; ++y) {
    for (LONG x = 0; x < so->sizlBitmap.cx; ++x) n += platform::engine::ReadPixel(so, x, y) == 0;
  }
  return n;
}

BOOL StartBanding(SURFOBJ* so, POINTL* origin) {
  Of(so)->bandY = 0;
  RECTL all{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy};
  EngEraseSurface(so, &all, 1);
  *origin = {0, 0};
  Record("DrvStartBanding");
  return TRUE;
}

// As the render library bands: only a start beyond the page height ends the page.
BOOL NextBand(SURFOBJ* so, POINTL* origin) {
  Pdev* p = Of(so);
  Record("band " + std::to_string(p->bandY) + " ink " + std::to_string(Ink(so)));
  RECTL all{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy};
  EngEraseSurface(so, &all, 1);
  p->bandY += config.bandHeight;
  if (p->bandY > config.height) {
    *origin = {-1, -1};
    return SendPage(so);
  }
  *origin = {0, p->bandY};
  return TRUE;
}

ULONG Escape(SURFOBJ* so, ULONG esc, ULONG cjIn, PVOID in, ULONG cjOut, PVOID out) {
  std::string input(static_cast<const char*>(in), in ? cjIn : 0);
  Record("DrvEscape " + Id(so) + " " + std::to_string(esc) + " in " + input + " out " +
         std::to_string(cjOut));
  if (esc == 106 && out != nullptr && cjOut >= 4) {
    DWORD job = 4242;
    std::memcpy(out, &job, 4);
  }
  return esc == PASSTHROUGH ? static_cast<ULONG>(-1) : 1;
}

std::string ClipText(CLIPOBJ* pco) {
  if (pco == nullptr) return "no clip";
  const RECTL& b = pco->rclBounds;
  return "clip " + std::to_string(pco->iDComplexity) + " " + std::to_string(b.left) + "," +
         std::to_string(b.top) + "," + std::to_string(b.right) + "," + std::to_string(b.bottom);
}

std::string FirstPoint(PATHOBJ* ppo) {
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd{};
  PATHOBJ_bEnum(ppo, &pd);
  if (pd.count == 0) return "empty";
  return std::to_string(pd.pptfx[0].x / 16) + "," + std::to_string(pd.pptfx[0].y / 16);
}

BOOL StrokePath(SURFOBJ* so, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ*, BRUSHOBJ* pbo, POINTL*,
                LINEATTRS*, MIX mix) {
  bool refuse = config.strokeRefusesComplexClip && pco && pco->iDComplexity == DC_COMPLEX;
  Record("DrvStrokePath " + Id(so) + " at " + FirstPoint(ppo) + " " + ClipText(pco) + " color " +
         std::to_string(pbo->iSolidColor) + " mix " + std::to_string(mix) +
         (refuse ? " refused" : ""));
  return !refuse;
}

BOOL FillPath(SURFOBJ* so, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ*, POINTL*, MIX, FLONG options) {
  Record("DrvFillPath " + Id(so) + " at " + FirstPoint(ppo) + " " + ClipText(pco) + " options " +
         std::to_string(options) + (config.fillRefuses ? " refused" : ""));
  return !config.fillRefuses;
}

BOOL Paint(SURFOBJ* so, CLIPOBJ* pco, BRUSHOBJ*, POINTL*, MIX) {
  ULONG n = CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_RIGHTDOWN, 0);
  Record("DrvPaint " + Id(so) + " " + ClipText(pco) + " rects " + std::to_string(n));
  return TRUE;
}

BOOL BitBlt(SURFOBJ* so, SURFOBJ* src, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, RECTL* target, POINTL*,
            POINTL*, BRUSHOBJ*, POINTL*, ROP4 rop4) {
  Record("DrvBitBlt " + Id(so) + " top " + std::to_string(target->top) + " " + ClipText(pco) +
         (src ? " source" : " no source") + " rop " + std::to_string(rop4));
  return TRUE;
}

// Copies to the device record what arrives; copies from it give white, as the
// render library answers.
BOOL CopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* pco, XLATEOBJ*, RECTL* rect, POINTL*) {
  if (source->iType == STYPE_DEVICE) {
    Record("DrvCopyBits " + Id(source) + " from device");
    return EngEraseSurface(target, rect, 0xFFFFFFFF);
  }
  long ink = 0;
  for (LONG y = 0; y < source->sizlBitmap.cy; ++y) {
    for (LONG x = 0; x < source->sizlBitmap.cx; ++x) {
      ink += platform::engine::ReadPixel(source, x, y) == 0;
    }
  }
  Record("DrvCopyBits " + Id(target) + " to device " + std::to_string(rect->left) + "," +
         std::to_string(rect->top) + "," + std::to_string(rect->right) + "," +
         std::to_string(rect->bottom) + " " + ClipText(pco) + " ink " + std::to_string(ink));
  return TRUE;
}

const DRVFN kTable[] = {
    {INDEX_DrvCopyBits, reinterpret_cast<PFN>(&CopyBits)},
    {INDEX_DrvEnablePDEV, reinterpret_cast<PFN>(&EnablePDEV)},
    {INDEX_DrvResetPDEV, reinterpret_cast<PFN>(&ResetPDEV)},
    {INDEX_DrvCompletePDEV, reinterpret_cast<PFN>(&CompletePDEV)},
    {INDEX_DrvDisablePDEV, reinterpret_cast<PFN>(&DisablePDEV)},
    {INDEX_DrvEnableSurface, reinterpret_cast<PFN>(&EnableSurface)},
    {INDEX_DrvDisableSurface, reinterpret_cast<PFN>(&DisableSurface)},
    {INDEX_DrvBitBlt, reinterpret_cast<PFN>(&BitBlt)},
    {INDEX_DrvStartBanding, reinterpret_cast<PFN>(&StartBanding)},
    {INDEX_DrvNextBand, reinterpret_cast<PFN>(&NextBand)},
    {INDEX_DrvSendPage, reinterpret_cast<PFN>(&SendPage)},
    {INDEX_DrvStrokePath, reinterpret_cast<PFN>(&StrokePath)},
    {INDEX_DrvFillPath, reinterpret_cast<PFN>(&FillPath)},
    {INDEX_DrvStartPage, reinterpret_cast<PFN>(&StartPage)},
    {INDEX_DrvStartDoc, reinterpret_cast<PFN>(&StartDoc)},
    {INDEX_DrvEscape, reinterpret_cast<PFN>(&Escape)},
    {INDEX_DrvEndDoc, reinterpret_cast<PFN>(&EndDoc)},
    {INDEX_DrvPaint, reinterpret_cast<PFN>(&Paint)},
};

BOOL QueryDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
  Record("DrvQueryDriverInfo " + std::to_string(mode));
  *needed = 4;
  if (mode != DRVQUERY_USERMODE || buffer == nullptr || size < 4) return FALSE;
  std::memcpy(buffer, &config.userMode, 4);
  return TRUE;
}

BOOL EnableDriver(ULONG version, ULONG size, DRVENABLEDATA* ded) {
  Record("DrvEnableDriver " + std::to_string(version) + " " + std::to_string(size));
  if (config.enableDriverFails) {
    SetLastError(ERROR_BAD_DRIVER_LEVEL);
    return FALSE;
  }
  ded->iDriverVersion = DDI_DRIVER_VERSION_NT5;
  ded->c = sizeof(kTable) / sizeof(kTable[0]);
  ded->pdrvfn = const_cast<DRVFN*>(kTable);
  std::lock_guard<std::mutex> guard(lock);
  ++enabled;
  return TRUE;
}

void DisableDriver() {
  Record("DrvDisableDriver");
  std::lock_guard<std::mutex> guard(lock);
  if (enabled > 0) --enabled;
}

const platform::ModuleExport kExports[] = {
    {"DrvQueryDriverInfo", reinterpret_cast<FARPROC>(&QueryDriverInfo)},
    {"DrvEnableDriver", reinterpret_cast<FARPROC>(&EnableDriver)},
    {"DrvDisableDriver", reinterpret_cast<FARPROC>(&DisableDriver)},
};

}  // namespace fake

// ---------------------------------------------------------------------------

constexpr char16_t kPrinter[] = u"Engine Test Plotter";
constexpr char16_t kPrinterName[] = u"Engine Test Plotter";
const std::string kName = "Engine Test Plotter";

class EngineDeviceContext : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::RegisterModule(u"QXFAKEGL", fake::kExports, std::size(fake::kExports), nullptr);
  }

  void SetUp() override {
    fake::config = fake::Config{};
    fake::TakeLog();
    platform::test::CapturePrinterOutput(true);
    platform::PrinterRecord p;
    p.name = kPrinter;
    p.portName = u"-";
    p.driver.name = u"Fake Plotter Driver";
    p.driver.driverPath = u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QXFAKEGL.DLL";
    p.driver.dataFile = u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\FAKE.PPD";
    ASSERT_TRUE(platform::AddPrinter(p)) << GetLastError();
  }

  void TearDown() override {
    EXPECT_TRUE(platform::RemovePrinter(kPrinter));
    platform::test::CapturePrinterOutput(false);
    EXPECT_EQ(platform::engine::test::OpenDeviceContextCount(), 0u);
    EXPECT_EQ(platform::engine::test::LoadedDriverCount(), 0u);
    EXPECT_EQ(fake::livePdevs, 0);
  }

  static std::unique_ptr<DeviceContext> Open(const DEVMODEW* settings = nullptr) {
    return DeviceContext::Open(kPrinterName, settings);
  }
};

using Log = std::vector<std::string>;

TEST_F(EngineDeviceContext, OpenEnablesAndCloseDisablesInTheEnginesOrder) {
  // The application's record: the public part and 4 bytes of the driver's own.
  std::vector<BYTE> record(sizeof(DEVMODEW) + 4, 0);
  auto* dm = reinterpret_cast<DEVMODEW*>(record.data());
  dm->dmSize = sizeof(DEVMODEW);
  dm->dmDriverExtra = 4;
  dm->dmCopies = 3;
  record[sizeof(DEVMODEW) + 3] = 0x7E;
  auto dc = Open(dm);
  ASSERT_NE(dc, nullptr) << GetLastError();
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvQueryDriverInfo 1", "DrvEnableDriver 196608 16",
                 "DrvEnablePDEV #" + std::to_string(fake::nextId - 1) + " caps 320 info 312 " +
                     "patterns 6 device " + kName + " printer settings",
                 "DrvCompletePDEV #" + std::to_string(fake::nextId - 1) + " same device",
                 "DrvEnableSurface #" + std::to_string(fake::nextId - 1)}));
  auto* pdev = reinterpret_cast<fake::Pdev*>(dc->Pdev());
  EXPECT_EQ(pdev->settings, record);  // the whole record, driver part included
  EXPECT_EQ(dc->Capabilities().ulHorzRes, 800u);
  EXPECT_EQ(dc->Capabilities().ulTechnology, DT_RASPRINTER);
  EXPECT_EQ(dc->CapabilitiesSize(), 320u);
  EXPECT_EQ(dc->DeviceInfoSize(), 312u);
  EXPECT_EQ(dc->DeviceInfo().flGraphicsCaps, GCAPS_HALFTONE);
  EXPECT_EQ(dc->Hooks(), 0x4FBu);
  EXPECT_FALSE(dc->Banding());
  EXPECT_EQ(dc->Surface()->dhpdev, dc->Pdev());
  EXPECT_EQ(std::u16string(EngGetDriverName(dc->Device())), dc->DriverPath());
  std::string id = "#" + std::to_string(pdev->id);
  dc->Close();
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvDisableSurface " + id, "DrvDisablePDEV " + id, "DrvDisableDriver"}));
  dc->Close();  // once only
  EXPECT_TRUE(fake::TakeLog().empty());
}

TEST_F(EngineDeviceContext, TheLibraryIsEnabledOncePerProcess) {
  auto first = Open();
  auto second = Open();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  Log log = fake::TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "DrvEnableDriver 196608 16"), 1);
  EXPECT_EQ(platform::engine::test::LoadedDriverCount(), 1u);
  first.reset();
  log = fake::TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "DrvDisableDriver"), 0);
  second.reset();
  log = fake::TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "DrvDisableDriver"), 1);
  // A later device context enables the library afresh.
  auto third = Open();
  log = fake::TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "DrvEnableDriver 196608 16"), 1);
}

TEST_F(EngineDeviceContext, FailuresReleaseWhatWasBuilt) {
  SetLastError(0);
  EXPECT_EQ(DeviceContext::Open(u"No Such Printer", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);

  fake::config.userMode = 0;  // a kernel-mode driver
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(fake::TakeLog(), (Log{"DrvQueryDriverInfo 1"}));

  fake::config = fake::Config{};
  fake::config.enableDriverFails = true;
  SetLastError(0);
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_DRIVER_LEVEL);
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvQueryDriverInfo 1", "DrvEnableDriver 196608 16", "DrvDisableDriver"}));

  fake::config = fake::Config{};
  fake::config.enablePdevFails = true;
  SetLastError(0);
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(fake::TakeLog(), (Log{"DrvQueryDriverInfo 1", "DrvEnableDriver 196608 16",
                                  "DrvEnablePDEV refused", "DrvDisableDriver"}));

  fake::config = fake::Config{};
  fake::config.enableSurfaceFails = true;
  EXPECT_EQ(Open(), nullptr);
  Log log = fake::TakeLog();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[4], "DrvEnableSurface refused");
  EXPECT_EQ(log[5].rfind("DrvDisablePDEV", 0), 0u);
  EXPECT_EQ(log[6], "DrvDisableDriver");
}

TEST_F(EngineDeviceContext, DocumentsPagesAndTheirJob) {
  auto dc = Open();
  ASSERT_NE(dc, nullptr);
  std::string id = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  fake::TakeLog();
  ASSERT_TRUE(dc->StartDocument(u"Drawing A-101"));
  DWORD job = dc->JobId();
  EXPECT_NE(job, 0u);
  ASSERT_TRUE(dc->StartPage());
  Path path;
  path.AddRectangle(10, 20, 30, 40);
  ASSERT_TRUE(
      dc->FillPath(path, Clip::None(), dc->SolidBrush(0x0000FF), R2_COPYPEN, FP_WINDINGMODE));
  ASSERT_TRUE(dc->EndPage());
  ASSERT_TRUE(dc->StartPage());
  ASSERT_TRUE(dc->EndDocument());  // ends the open page first
  EXPECT_EQ(
      fake::TakeLog(),
      (Log{"DrvStartDoc " + id + " Drawing A-101 job " + std::to_string(job), "DrvStartPage " + id,
           "DrvFillPath " + id + " at 10,20 clip 0 0,0,0,0 options 2", "DrvSendPage " + id,
           "DrvStartPage " + id, "DrvSendPage " + id, "DrvEndDoc " + id}));
  bool ended = false;
  for (const auto& j : platform::test::CapturedJobs()) {
    if (j.id == job) ended = j.ended && j.document == u"Drawing A-101";
  }
  EXPECT_TRUE(ended);
  EXPECT_FALSE(dc->EndDocument());  // no document open
}

TEST_F(EngineDeviceContext, ClosingInsideADocumentAbortsIt) {
  auto dc = Open();
  ASSERT_TRUE(dc->StartDocument(u"Left open"));
  DWORD job = dc->JobId();
  ASSERT_TRUE(dc->StartPage());
  fake::TakeLog();
  dc.reset();
  Log log = fake::TakeLog();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log[0].find("abort"), std::string::npos) << log[0];
  bool aborted = false;
  for (const auto& j : platform::test::CapturedJobs())
    aborted = aborted || (j.id == job && j.aborted);
  EXPECT_TRUE(aborted);
}

TEST_F(EngineDeviceContext, BandingReplaysThePageIntoEveryBand) {
  // A 300-row page in bands of 100 rows: the band starting at row 300 is one more,
  // handed out before the end marker.
  fake::config.bandHeight = 100;
  fake::config.hooks = HOOK_BITBLT;
  auto dc = Open();
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(dc->Banding());
  std::string id = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  ASSERT_TRUE(dc->StartDocument(u"Raster"));
  ASSERT_TRUE(dc->StartPage());
  fake::TakeLog();
  // Drawn by the engine into the band bitmap: 10 x 4 black pixels at rows 250-253.
  Path path;
  path.AddRectangle(10, 250, 20, 254);
  ASSERT_TRUE(dc->FillPath(path, Clip::None(), dc->SolidBrush(0), R2_COPYPEN, FP_ALTERNATEMODE));
  // Hooked, under a clip that lies in the third band only.
  Brush black = dc->SolidBrush(0);
  ASSERT_TRUE(dc->BitBlt(nullptr, nullptr, Clip::Rectangle({0, 250, 800, 260}), nullptr,
                         {0, 250, 800, 260}, {0, 0}, {0, 0}, &black, {0, 0}, 0xF0F0));
  EXPECT_TRUE(fake::TakeLog().empty());  // recorded, not drawn yet
  ASSERT_TRUE(dc->EndPage());
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvStartBanding", "band 0 ink 0", "band 100 ink 0",
                 "DrvBitBlt " + id + " top 50 clip 1 0,50,800,60 no source rop 61680",
                 "band 200 ink 40", "band 300 ink 0", "DrvSendPage " + id}));
  // The next page starts with nothing recorded.
  ASSERT_TRUE(dc->StartPage());
  ASSERT_TRUE(dc->EndPage());
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvStartPage " + id, "DrvStartBanding", "band 0 ink 0", "band 100 ink 0",
                 "band 200 ink 0", "band 300 ink 0", "DrvSendPage " + id}));
  ASSERT_TRUE(dc->EndDocument());
}

TEST_F(EngineDeviceContext, ResetBetweenPagesCarriesTheDocument) {
  auto dc = Open();
  ASSERT_TRUE(dc->StartDocument(u"Two settings"));
  DWORD job = dc->JobId();
  ASSERT_TRUE(dc->StartPage());
  EXPECT_FALSE(dc->Reset(nullptr));  // not while a page is open
  ASSERT_TRUE(dc->EndPage());
  std::string old = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  fake::TakeLog();
  DEVMODEW dm{};
  dm.dmSize = sizeof(DEVMODEW);
  ASSERT_TRUE(dc->Reset(&dm));
  std::string fresh = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  EXPECT_NE(old, fresh);
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvEnablePDEV " + fresh + " caps 320 info 312 patterns 6 device " + kName +
                     " printer settings",
                 "DrvCompletePDEV " + fresh + " same device", "DrvResetPDEV " + old + " " + fresh,
                 "DrvDisableSurface " + old, "DrvDisablePDEV " + old, "DrvEnableSurface " + fresh,
                 "DrvStartDoc " + fresh + " Two settings job " + std::to_string(job)}));
  ASSERT_TRUE(dc->StartPage());
  ASSERT_TRUE(dc->EndPage());
  ASSERT_TRUE(dc->EndDocument());
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvStartPage " + fresh, "DrvSendPage " + fresh, "DrvEndDoc " + fresh}));
}

TEST_F(EngineDeviceContext, EscapesReachTheDriver) {
  auto dc = Open();
  std::string id = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  fake::TakeLog();
  EXPECT_EQ(dc->Escape(100, 3, "TRK", 0, nullptr), 1);
  DWORD out = 0;
  EXPECT_EQ(dc->Escape(106, 0, nullptr, sizeof(out), &out), 1);
  EXPECT_EQ(out, 4242u);
  EXPECT_EQ(dc->Escape(PASSTHROUGH, 2, "\0\0", 0, nullptr), -1);
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvEscape " + id + " 100 in TRK out 0", "DrvEscape " + id + " 106 in  out 4",
                 std::string("DrvEscape ") + id + " 19 in " + std::string("\0\0", 2) + " out 0"}));
}

TEST_F(EngineDeviceContext, RefusedDrawingFallsBack) {
  fake::config.fillRefuses = true;
  fake::config.strokeRefusesComplexClip = true;
  auto dc = Open();
  std::string id = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  fake::TakeLog();
  // A refused fill is painted as the region of its path.
  Path square;
  square.AddRectangle(10, 10, 20, 30);
  ASSERT_TRUE(dc->FillPath(square, Clip::None(), dc->SolidBrush(0), R2_COPYPEN, 0));
  // A stroke refused under a complex clip is drawn once per rectangle.
  Path line;
  line.MoveTo(0, 5).LineTo(100, 5);
  Clip two = Clip::Region({{0, 0, 10, 10}, {50, 0, 60, 10}});
  ASSERT_TRUE(dc->StrokePath(line, two, Transform(), dc->SolidBrush(0x00FF00),
                             LineAttributes::Cosmetic(), R2_COPYPEN));
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvFillPath " + id + " at 10,10 clip 0 0,0,0,0 options 0 refused",
                 "DrvPaint " + id + " clip 1 10,10,20,30 rects 1",
                 "DrvStrokePath " + id + " at 0,5 clip 3 0,0,60,10 color 65280 mix 13 refused",
                 "DrvStrokePath " + id + " at 0,5 clip 1 0,0,10,10 color 65280 mix 13",
                 "DrvStrokePath " + id + " at 0,5 clip 1 50,0,60,10 color 65280 mix 13"}));
}

TEST_F(EngineDeviceContext, UnhookedCallsOnADeviceSurfaceAreNotSupported) {
  fake::config.hooks = HOOK_BITBLT;
  auto dc = Open();
  Path square;
  square.AddRectangle(0, 0, 5, 5);
  SetLastError(0);
  EXPECT_FALSE(dc->FillPath(square, Clip::None(), dc->SolidBrush(0), R2_COPYPEN, 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(EngineDeviceContext, EngineDrawingForADeviceSurfaceGoesThroughCopyBits) {
  auto dc = Open();
  std::string id = "#" + std::to_string(reinterpret_cast<fake::Pdev*>(dc->Pdev())->id);
  fake::TakeLog();
  // A stretch (as a driver hands one back to the engine) reaches the device as the
  // bits of the target rectangle.
  Bitmap src = Bitmap::Create({2, 1}, BMF_24BPP);
  platform::engine::WritePixel(src.Get(), 1, 0, 0xFFFFFF);
  RECTL s{0, 0, 2, 1};
  RECTL d{100, 50, 104, 52};
  ASSERT_TRUE(EngStretchBlt(dc->Surface(), src.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &d, &s, nullptr, HALFTONE));
  // An operation that reads the target reads the device first.
  RECTL r{0, 0, 3, 3};
  Clip clip = Clip::Rectangle({1, 0, 3, 3});
  ASSERT_TRUE(EngBitBlt(dc->Surface(), nullptr, nullptr, clip.Get(), nullptr, &r, nullptr, nullptr,
                        nullptr, nullptr, 0x5555));
  EXPECT_EQ(fake::TakeLog(),
            (Log{"DrvCopyBits " + id + " to device 100,50,104,52 no clip ink 4",
                 "DrvCopyBits " + id + " from device",
                 "DrvCopyBits " + id + " to device 1,0,3,3 clip 1 1,0,3,3 ink 6"}));
}

TEST_F(EngineDeviceContext, ManyDeviceContextsOnTwoThreadsLeakNothing) {
  fake::config.record = false;
  // Warm the spooler and the engine's tables before counting.
  Open().reset();
  std::size_t blocks = platform::test::OutstandingBlocks();
  std::size_t handles = platform::test::OpenHandleCount();
  std::size_t surfaces = platform::engine::test::LiveSurfaceCount();
  std::size_t palettes = platform::engine::test::LivePaletteCount();
  std::atomic<int> failures{0};
  auto work = [&failures](int n) {
    for (int i = 0; i < n; ++i) {
      auto dc = Open();
      if (dc == nullptr) {
        ++failures;
        continue;
      }
      Path path;
      path.AddRectangle(i, i, i + 10, i + 10);
      bool ok = dc->StartDocument(u"Threads") && dc->StartPage() &&
                dc->FillPath(path, Clip::None(), dc->SolidBrush(0), R2_COPYPEN, 0) &&
                dc->EndPage() && dc->EndDocument();
      if (!ok) ++failures;
      if (i % 3 == 0) dc->Close();
    }
  };
  std::thread a(work, 40);
  std::thread b(work, 40);
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(fake::enabled, 0);
  EXPECT_EQ(platform::test::OutstandingBlocks(), blocks);
  EXPECT_EQ(platform::test::OpenHandleCount(), handles);
  EXPECT_EQ(platform::engine::test::LiveSurfaceCount(), surfaces);
  EXPECT_EQ(platform::engine::test::LivePaletteCount(), palettes);
}

}  // namespace
