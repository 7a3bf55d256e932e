// The device context's life: opening a printer and its render library, enabling
// the device and its surface, documents, pages, the banding loop, escapes, the
// settings reset, and closing. The drawing calls are in drawing_calls.cpp.
#include "platform/engine/device_context.h"

#include <atomic>
#include <cstring>

#include "platform/base/error.h"
#include "platform/engine/device_context_impl.h"
#include "platform/spooler/spooler.h"

namespace platform::engine {
namespace {

std::atomic<long> openContexts{0};

// A bound on bands per page, so that a driver that never ends its page cannot
// hold the engine in the loop for ever.
constexpr long kMaxBands = 1L << 20;

bool ReadDriverInfo(HANDLE printer, std::u16string* driverPath, std::u16string* dataFile) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return false;
  }
  // 8-byte units keep the record's pointers aligned.
  std::vector<std::uint64_t> buffer((needed + 7) / 8);
  auto* bytes = reinterpret_cast<LPBYTE>(buffer.data());
  if (!GetPrinterDriverW(printer, nullptr, 2, bytes, needed, &needed)) return false;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(bytes);
  if (info->pDriverPath == nullptr || info->pDriverPath[0] == 0) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return false;
  }
  *driverPath = info->pDriverPath;
  *dataFile = info->pDataFile ? info->pDataFile : u"";
  return true;
}

std::vector<BYTE> CopySettings(const DEVMODEW* settings) {
  if (settings == nullptr || settings->dmSize < offsetof(DEVMODEW, dmFields)) return {};
  std::size_t size = static_cast<std::size_t>(settings->dmSize) + settings->dmDriverExtra;
  const auto* bytes = reinterpret_cast<const BYTE*>(settings);
  return std::vector<BYTE>(bytes, bytes + size);
}

}  // namespace

// ---------------------------------------------------------------------------
// Devices and surfaces.

bool DeviceContext::Impl::EnablePdev(const DEVMODEW* settings, Pdev* out) {
  out->settings = CopySettings(settings);
  out->hdev = CreateEngineDevice(driverPath, dataFile);
  SetEngineDeviceCopyBits(out->hdev, driver->Entry<PFN_DrvCopyBits>(INDEX_DrvCopyBits));
  HSURF patterns[HS_DDI_MAX] = {};
  auto enable = driver->Entry<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV);
  auto* devmode =
      out->settings.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(out->settings.data());
  SetLastError(ERROR_SUCCESS);
  out->dhpdev = enable(devmode, nullptr, HS_DDI_MAX, patterns, sizeof(GDIINFO),
                       reinterpret_cast<ULONG*>(&out->caps), sizeof(DEVINFO), &out->devInfo,
                       out->hdev, printerName.data(), printer);
  if (out->dhpdev == nullptr) {
    DWORD error = GetLastError();
    DeleteEngineDevice(out->hdev);
    out->hdev = nullptr;
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    return false;
  }
  SetEngineDevicePdev(out->hdev, out->dhpdev);
  driver->Entry<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(out->dhpdev, out->hdev);
  return true;
}

void DeviceContext::Impl::DisablePdev(Pdev* p) {
  if (p->dhpdev == nullptr) return;
  driver->Entry<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(p->dhpdev);
  DeleteEngineDevice(p->hdev);
  p->dhpdev = nullptr;
  p->hdev = nullptr;
}

bool DeviceContext::Impl::EnableSurface(Pdev* p) {
  SetLastError(ERROR_SUCCESS);
  p->hsurf = driver->Entry<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface)(p->dhpdev);
  std::optional<SurfaceState> state = p->hsurf ? FindSurfaceState(p->hsurf) : std::nullopt;
  if (state && state->associated) p->so = EngLockSurface(p->hsurf);
  if (p->so == nullptr) {
    DWORD error = GetLastError();
    if (p->hsurf != nullptr) {
      driver->Entry<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(p->dhpdev);
    }
    p->hsurf = nullptr;
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    return false;
  }
  return true;
}

void DeviceContext::Impl::DisableSurface(Pdev* p) {
  if (p->hsurf == nullptr) return;
  EngUnlockSurface(p->so);
  p->so = nullptr;
  p->hsurf = nullptr;
  driver->Entry<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(p->dhpdev);
}

// The hooks and banding mark are read at every call: a driver may mark its
// surface banding after DrvEnableSurface.
SurfaceState DeviceContext::Impl::State() const {
  return pdev.hsurf ? FindSurfaceState(pdev.hsurf).value_or(SurfaceState{}) : SurfaceState{};
}

// ---------------------------------------------------------------------------
// Opening and closing.

DeviceContext::DeviceContext() : impl_(std::make_unique<Impl>()) {}

std::unique_ptr<DeviceContext> DeviceContext::Open(std::u16string_view printerName,
                                                   const DEVMODEW* settings) {
  std::unique_ptr<DeviceContext> dc(new DeviceContext());
  Impl& d = *dc->impl_;
  d.printerName.assign(printerName.begin(), printerName.end());
  d.printerName.push_back(0);
  std::vector<BYTE> defaults = CopySettings(settings);
  PRINTER_DEFAULTSW access{
      nullptr, defaults.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(defaults.data()),
      PRINTER_ACCESS_USE};
  if (!OpenPrinterW(d.printerName.data(), &d.printer, &access)) return nullptr;
  if (!ReadDriverInfo(d.printer, &d.driverPath, &d.dataFile)) return nullptr;
  d.driver = AcquireDriver(d.driverPath);
  if (d.driver == nullptr) return nullptr;
  if (!d.EnablePdev(settings, &d.pdev)) return nullptr;
  if (!d.EnableSurface(&d.pdev)) return nullptr;
  ++openContexts;
  d.counted = true;
  return dc;
}

DeviceContext::~DeviceContext() { Close(); }

void DeviceContext::Close() {
  Impl& d = *impl_;
  if (d.closed) return;
  DWORD error = GetLastError();  // closing keeps the error of what went before
  if (d.docStarted && d.pdev.so != nullptr) AbortDocument();
  d.closed = true;
  if (d.driver != nullptr) {
    d.DisableSurface(&d.pdev);
    d.DisablePdev(&d.pdev);
    ReleaseDriver(d.driver);
    d.driver = nullptr;
  }
  if (d.printer != nullptr) ClosePrinter(d.printer);
  d.printer = nullptr;
  if (d.counted) --openContexts;
  d.counted = false;
  SetLastError(error);
}

// ---------------------------------------------------------------------------
// What the driver reported.

const GDIINFO& DeviceContext::Capabilities() const { return impl_->pdev.caps; }
ULONG DeviceContext::CapabilitiesSize() const { return sizeof(GDIINFO); }
const DEVINFO& DeviceContext::DeviceInfo() const { return impl_->pdev.devInfo; }
ULONG DeviceContext::DeviceInfoSize() const { return sizeof(DEVINFO); }
DHPDEV DeviceContext::Pdev() const { return impl_->pdev.dhpdev; }
HDEV DeviceContext::Device() const { return impl_->pdev.hdev; }
HANDLE DeviceContext::Printer() const { return impl_->printer; }
SURFOBJ* DeviceContext::Surface() const { return impl_->pdev.so; }
FLONG DeviceContext::Hooks() const { return impl_->State().hooks; }
bool DeviceContext::Banding() const { return impl_->State().banding; }
const std::u16string& DeviceContext::DriverPath() const { return impl_->driverPath; }
DWORD DeviceContext::JobId() const { return impl_->jobId; }

// ---------------------------------------------------------------------------
// Documents and pages.

bool DeviceContext::Impl::Usable() const {
  if (pdev.so != nullptr && !closed) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

bool DeviceContext::Impl::StartDocOnDriver() {
  auto start = driver->Entry<PFN_DrvStartDoc>(INDEX_DrvStartDoc);
  return start == nullptr || start(pdev.so, docName.data(), jobId);
}

bool DeviceContext::StartDocument(std::u16string_view name, const char16_t* outputFile) {
  Impl& d = *impl_;
  if (!d.Usable()) return false;
  if (d.docStarted) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  d.docName.assign(name.begin(), name.end());
  d.docName.push_back(0);
  std::u16string output = outputFile ? std::u16string(outputFile) : std::u16string();
  DOC_INFO_1W info{d.docName.data(), outputFile ? output.data() : nullptr, nullptr};
  d.jobId = StartDocPrinterW(d.printer, 1, reinterpret_cast<LPBYTE>(&info));
  if (d.jobId == 0) return false;
  if (!d.StartDocOnDriver()) {
    DWORD error = GetLastError();
    AbortPrinter(d.printer);
    d.jobId = 0;
    SetLastError(error);
    return false;
  }
  d.docStarted = true;
  return true;
}

bool DeviceContext::EndDocument() {
  Impl& d = *impl_;
  if (!d.Usable()) return false;
  if (!d.docStarted) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  bool ok = !d.pageOpen || EndPage();
  auto end = d.driver->Entry<PFN_DrvEndDoc>(INDEX_DrvEndDoc);
  ok = (end == nullptr || end(d.pdev.so, 0)) && ok;
  DWORD error = GetLastError();
  bool spooled = EndDocPrinter(d.printer);
  d.docStarted = false;
  if (ok && !spooled) return false;
  if (!ok) SetLastError(error);
  return ok;
}

bool DeviceContext::AbortDocument() {
  Impl& d = *impl_;
  if (!d.Usable() || !d.docStarted) return false;
  d.pageOpen = false;
  d.journal.clear();
  auto end = d.driver->Entry<PFN_DrvEndDoc>(INDEX_DrvEndDoc);
  if (end != nullptr) end(d.pdev.so, ED_ABORTDOC);
  AbortPrinter(d.printer);
  d.docStarted = false;
  return true;
}

bool DeviceContext::StartPage() {
  Impl& d = *impl_;
  if (!d.Usable()) return false;
  d.journal.clear();
  d.pageOpen = true;
  auto start = d.driver->Entry<PFN_DrvStartPage>(INDEX_DrvStartPage);
  return start == nullptr || start(d.pdev.so);
}

bool DeviceContext::Impl::RunBands() {
  auto startBanding = driver->Entry<PFN_DrvStartBanding>(INDEX_DrvStartBanding);
  auto nextBand = driver->Entry<PFN_DrvNextBand>(INDEX_DrvNextBand);
  if (startBanding == nullptr || nextBand == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  POINTL origin{0, 0};
  if (!startBanding(pdev.so, &origin)) return false;
  bool drawn = true;
  for (long band = 0; band < kMaxBands; ++band) {
    if (origin.x == -1 && origin.y == -1) return drawn;
    Placement at{origin, {0, 0, pdev.so->sizlBitmap.cx, pdev.so->sizlBitmap.cy}, true};
    for (auto& call : journal) drawn = call(at) && drawn;
    if (!nextBand(pdev.so, &origin)) return false;
  }
  SetLastError(ERROR_GEN_FAILURE);
  return false;
}

bool DeviceContext::EndPage() {
  Impl& d = *impl_;
  if (!d.Usable()) return false;
  bool ok = false;
  if (d.State().banding) {
    ok = d.RunBands();
  } else {
    auto send = d.driver->Entry<PFN_DrvSendPage>(INDEX_DrvSendPage);
    ok = send == nullptr || send(d.pdev.so);
  }
  d.journal.clear();
  d.pageOpen = false;
  return ok;
}

int DeviceContext::Escape(ULONG escape, ULONG cjIn, const void* in, ULONG cjOut, void* out) {
  Impl& d = *impl_;
  if (!d.Usable()) return 0;
  auto call = d.driver->Entry<PFN_DrvEscape>(INDEX_DrvEscape);
  if (call == nullptr) return 0;
  return static_cast<int>(call(d.pdev.so, escape, cjIn, const_cast<void*>(in), cjOut, out));
}

bool DeviceContext::Reset(const DEVMODEW* settings) {
  Impl& d = *impl_;
  if (!d.Usable()) return false;
  if (d.pageOpen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  Impl::Pdev fresh;
  if (!d.EnablePdev(settings, &fresh)) return false;
  auto reset = d.driver->Entry<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV);
  if (reset != nullptr && !reset(d.pdev.dhpdev, fresh.dhpdev)) {
    DWORD error = GetLastError();
    d.DisablePdev(&fresh);
    SetLastError(error);
    return false;
  }
  d.DisableSurface(&d.pdev);
  d.DisablePdev(&d.pdev);
  d.pdev = std::move(fresh);
  if (!d.EnableSurface(&d.pdev)) return false;  // the context is then unusable
  return !d.docStarted || d.StartDocOnDriver();
}

// ---------------------------------------------------------------------------
// Colours.

ULONG DeviceContext::ColorIndex(COLORREF rgb) const {
  std::optional<PaletteInfo> palette = FindPalette(impl_->pdev.devInfo.hpalDefault);
  ULONG format = impl_->pdev.so ? impl_->pdev.so->iBitmapFormat : BMF_24BPP;
  if (!palette) return TargetIndexForRgb(nullptr, rgb, format);
  if (palette->mode == PAL_BGR) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  if (palette->mode != PAL_INDEXED) return rgb & 0x00FFFFFF;
  ULONG best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < palette->colors.size(); ++i) {
    ULONG c = palette->colors[i];
    long dr = static_cast<long>(c & 0xFF) - static_cast<long>(rgb & 0xFF);
    long dg = static_cast<long>((c >> 8) & 0xFF) - static_cast<long>((rgb >> 8) & 0xFF);
    long db = static_cast<long>((c >> 16) & 0xFF) - static_cast<long>((rgb >> 16) & 0xFF);
    long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = static_cast<ULONG>(i);
      bestDistance = distance;
    }
  }
  return best;
}

Brush DeviceContext::SolidBrush(COLORREF rgb) const {
  return Brush::Solid(ColorIndex(rgb), rgb & 0x00FFFFFF);
}

namespace test {
std::size_t OpenDeviceContextCount() {
  long n = openContexts.load();
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}
}  // namespace test

}  // namespace platform::engine
