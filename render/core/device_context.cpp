// Building, resetting and tearing down the device context.
#include "render/core/device_context.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "render/core/device_caps.h"
#include "render/core/driver_entry.h"
#include "render/raster/colour_state.h"
#include "render/raster/raster_output.h"
#include "render/text/download_list.h"
#include "render/vector/graphics_state.h"
#include "settings/description_cache.h"
#include "settings/device_info_file.h"
#include "settings/paper.h"
#include "settings/settings_defaults.h"
#include "settings/sticky_data.h"

namespace render {

namespace {

using namespace settings::priv;

constexpr std::size_t kSlotSize = 1144;
constexpr DWORD kSlotMemory = 337920;
constexpr std::size_t kDataPathChars = 264;

// One level of printer or driver information in heap memory, by the two-call
// size protocol.
template <typename Info, typename Query>
Info* ReadInfo(HANDLE heap, Query query) {
  DWORD needed = 0;
  query(nullptr, 0, &needed);
  if (needed == 0) return nullptr;
  auto* info = static_cast<Info*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, needed));
  if (info == nullptr) return nullptr;
  if (!query(reinterpret_cast<LPBYTE>(info), needed, &needed)) {
    HeapFree(heap, 0, info);
    return nullptr;
  }
  return info;
}

bool CopyPath(WCHAR* to, std::size_t capacity, const WCHAR* from) {
  std::u16string_view path = platform::WideView(from);
  // A cut path would name another file: refuse it instead.
  if (from == nullptr || path.size() > capacity) return false;
  std::copy(path.begin(), path.end(), to);
  to[path.size()] = 0;
  return true;
}

// Step 3: the printer description, loaded under the printer-description lock.
bool LoadPrinterDescription(DeviceContext& dc) {
  EnterCriticalSection(&DescriptionLock());
  DWORD fontOrder = settings::ReadFontOrder(dc.printer);
  auto* driver = ReadInfo<DRIVER_INFO_2W>(dc.heap, [&](LPBYTE b, DWORD n, DWORD* needed) {
    return GetPrinterDriverW(dc.printer, nullptr, 2, b, n, needed);
  });
  bool ok = driver != nullptr && CopyPath(dc.dataPath, kDataPathChars, driver->pDataFile) &&
            CopyPath(dc.driverPath, MAX_PATH, driver->pDriverPath);
  if (ok) dc.description = settings::LoadDescription(dc.dataPath, dc.module, fontOrder);
  if (driver) HeapFree(dc.heap, 0, driver);
  LeaveCriticalSection(&DescriptionLock());
  return ok && dc.description != nullptr;
}

const char16_t* PrinterName(const DeviceContext& dc) {
  return dc.printerInfo2 && dc.printerInfo2->pPrinterName ? dc.printerInfo2->pPrinterName
                                                          : dc.settings.pub.dmDeviceName;
}

struct UserSizes {
  std::u16string file;
  std::u16string printer;
};

bool ReadUserSize(void* context, int number, int* first, int* second) {
  auto* sizes = static_cast<UserSizes*>(context);
  return settings::ReadUserSize(sizes->file, sizes->printer, number, first, second);
}

// Step 5: the merged settings and the paper geometry.
bool BuildSettings(DeviceContext& dc, const DEVMODEW* application) {
  settings::Description d = dc.Description();
  settings::SetDefaults(dc.settings, dc.printerInfo2->pDriverName, d);
  const DEVMODEW* stored = dc.printerInfo2->pDevMode;
  if (stored && stored->dmDriverExtra == dc.settings.pub.dmDriverExtra &&
      !settings::MergeRecord(dc.settings, stored, d)) {
    return false;
  }
  if (!settings::MergeRecord(dc.settings, application, d)) return false;
  settings::CheckPaper(dc.settings, d);
  UserSizes sizes{settings::DeviceInfoFilePath(false), PrinterName(dc)};
  settings::GeometryInputs inputs{dc.settings.pub.dmPrintQuality, &ReadUserSize, &sizes};
  return settings::ComputePaperGeometry(dc.settings, d, inputs, dc.logical, dc.fed);
}

// The device's colour type of printers whose device options are trays: from
// qxw4gl.ini, else from the printer data.
void ApplyColourType(DeviceContext& dc) {
  std::u16string ini = settings::DeviceInfoFilePath(false);
  UINT type = GetPrivateProfileIntW(PrinterName(dc), u"PrinterColorType", -1, ini.c_str());
  if (type == static_cast<UINT>(-1)) {
    unsigned char bytes[2] = {};
    DWORD valueType = 0, needed = 0;
    if (GetPrinterDataW(dc.printer, u"PrinterColorType", &valueType, bytes, 2, &needed) !=
            ERROR_SUCCESS ||
        needed != 2) {
      return;
    }
    type = settings::LoadU16(bytes);
  }
  unsigned char* b = dc.settings.priv;
  if (type == 0) {
    settings::SetU16(
        b, kDeviceFlags,
        static_cast<std::uint16_t>(settings::GetU16(b, kDeviceFlags) & ~settings::kDevPrintertype));
  } else if (type == 1) {
    settings::SetU16(b, kDeviceFlags,
                     settings::GetU16(b, kDeviceFlags) | settings::kDevPrintertype);
    settings::SetI16(b, kColormode, 2);
  }
}

bool HasRedInk(const DeviceContext& dc) {
  settings::Description d = dc.Description();
  if (d.LanguageLevel() == 14) return true;
  if (d.PrinterType() != 8) return false;
  const unsigned char* b = dc.settings.priv;
  std::uint32_t count = std::min<std::uint32_t>(settings::GetU32(b, kOptionCount), 10);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (settings::GetI32(b, settings::DeviceOptionOffset(i, kOptFlag)) == 1 &&
        settings::GetWideText(b, settings::DeviceOptionOffset(i, kOptName), kOptNameChars) ==
            u"Redink") {
      return true;
    }
  }
  return false;
}

// Step 6: the printer's user code, unless an escape already handed one over.
void ReadUserCode(DeviceContext& dc) {
  unsigned char* b = dc.settings.priv;
  unsigned char flag = b[kUserCodeFlag];
  if (flag & 0x8) return;
  bool ntSystem = settings::GetU16(b, kPrintOptions) & settings::kOptNtSystem;
  if (ntSystem && !(flag & 0x4)) return;
  WCHAR flagName[64] = {}, codeName[64] = {};
  if (LoadStringW(dc.module, 93, flagName, 64) <= 0 ||
      LoadStringW(dc.module, 94, codeName, 64) <= 0) {
    return;
  }
  unsigned char value[18] = {};
  DWORD type = 0, needed = 0;
  if (GetPrinterDataW(dc.printer, flagName, &type, value, 1, &needed) == ERROR_SUCCESS &&
      needed == 1) {
    b[kUserCodeFlag] = value[0];
  }
  if (GetPrinterDataW(dc.printer, codeName, &type, value, 18, &needed) == ERROR_SUCCESS &&
      needed == 18) {
    value[17] = 0;  // always terminated: it is written with "%s"
    std::memcpy(b + kUserCode, value, 18);
  }
}

BOOL WriteToSpooler(void* context, const void* bytes, DWORD length, DWORD* written) {
  auto* dc = static_cast<DeviceContext*>(context);
  return WritePrinter(dc->printer, bytes, length, written);
}

// Without a filter job (the filter gave none) the bytes go to the spooler.
BOOL WriteToFilter(void* context, const void* bytes, DWORD length, DWORD* written) {
  auto* dc = static_cast<DeviceContext*>(context);
  if (dc->filterJob == 0) return WritePrinter(dc->printer, bytes, length, written);
  return dc->filterWrite(reinterpret_cast<HANDLE>(dc->filterJob), const_cast<void*>(bytes), length,
                         written);
}

// Step 7: the spool filter beside the render library.
void BindSpoolFilter(DeviceContext& dc) {
  dc.output.sink = {&WriteToSpooler, &dc};
  if ((dc.PrinterFunction() & 0x81) == 0) return;
  std::u16string path = dc.driverPath;
  std::size_t slash = path.find_last_of(u'\\');
  path = (slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1)) +
         u"QX48UM64.DLL";
  dc.filter = LoadLibraryW(path.c_str());
  if (dc.filter == nullptr) return;
  dc.filterWrite =
      reinterpret_cast<PFN_DrvSplWritePrinter>(GetProcAddress(dc.filter, "DrvSplWritePrinter"));
  if (dc.filterWrite) dc.output.sink = {&WriteToFilter, &dc};
}

// Steps 4 to 9 once printer information and description are there.
bool Initialise(DeviceContext& dc, const DEVMODEW* application, ULONG cjCaps, ULONG* caps,
                ULONG cjDevInfo, DEVINFO* devInfo) {
  ResetOutput(dc.output);
  dc.leadingTag = kDeviceContextTag;
  dc.trailingTag = kDeviceContextTag;
  dc.jobFlags = 0;
  settings::StickyRecord sticky = settings::ReadStickyRecord(dc.printer, dc.Description());
  if (sticky.data == nullptr) return false;
  dc.sticky = sticky.data;
  dc.stickyBytes = sticky.bytes;
  if (!BuildSettings(dc, application)) return false;
  DWORD memory = settings::LoadU32(dc.sticky + settings::sticky::kMemory);
  dc.downloadSlotCount = std::max<DWORD>(memory / kSlotMemory, 1);
  dc.downloadSlots = static_cast<unsigned char*>(
      HeapAlloc(dc.heap, HEAP_ZERO_MEMORY, dc.downloadSlotCount * kSlotSize));
  if (dc.downloadSlots == nullptr) return false;
  dc.pageCount = 0;
  dc.copies = dc.settings.pub.dmCopies;
  ResetGraphicsState(dc);
  dc.dpi = dc.settings.pub.dmPrintQuality;
  dc.mergeControlState = 0xF0F0;
  dc.monoMergeControlState = 0xF0F0;
  if (dc.PrinterFunction() & (1u << 24)) ApplyColourType(dc);
  PrepareColourState(dc);
  dc.optionFlags = HasRedInk(dc) ? kOptionRedInk : 0;
  ReadUserCode(dc);
  BindSpoolFilter(dc);
  SetOutputModes(dc);
  std::uint32_t stickyFlags = settings::LoadU32(dc.sticky + settings::sticky::kFlags);
  dc.deviceFontCount = 0;
  if (!(stickyFlags & settings::kStickyNoDeviceFonts)) {
    for (settings::DeviceFont f = dc.Description().FirstFont(); f; f = f.Next())
      ++dc.deviceFontCount;
  }
  FillCapabilities(dc, cjCaps, caps);
  return FillDeviceInfo(dc, cjDevInfo, devInfo);
}

// Everything a device context holds, given back; the heap goes last and takes
// the context with it.
void Release(DeviceContext* dc) {
  if (dc == nullptr) return;
  ReleaseColourState(*dc);
  if (dc->filter) FreeLibrary(dc->filter);
  if (dc->palette) EngDeletePalette(dc->palette);
  ResetOutput(dc->output);
  ReleaseDownloadedNames(*dc);
  if (dc->sticky) GlobalFree(dc->sticky);
  if (dc->description) GlobalFree(dc->description);
  HANDLE heap = dc->heap;
  dc->leadingTag = dc->trailingTag = 0;
  HeapDestroy(heap);
}

}  // namespace

DeviceContext* ValidDeviceContext(DHPDEV dhpdev) {
  auto* dc = reinterpret_cast<DeviceContext*>(dhpdev);
  if (dc == nullptr || dc->leadingTag != kDeviceContextTag ||
      dc->trailingTag != kDeviceContextTag) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return dc;
}

DeviceContext* ValidDeviceContext(SURFOBJ* surface) {
  if (surface == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return ValidDeviceContext(surface->dhpdev);
}

DHPDEV DrvEnablePDEV(DEVMODEW* application, LPWSTR, ULONG cPat, HSURF* patterns, ULONG cjCaps,
                     ULONG* caps, ULONG cjDevInfo, DEVINFO* devInfo, HDEV, LPWSTR, HANDLE printer) {
  HANDLE heap = HeapCreate(0, 8192, 0);
  if (heap == nullptr) return nullptr;
  void* memory = HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(DeviceContext));
  if (memory == nullptr) {
    HeapDestroy(heap);
    return nullptr;
  }
  auto* dc = new (memory) DeviceContext();
  dc->heap = heap;
  dc->printer = printer;
  dc->module = LibraryModule();
  bool ok = dc->module != nullptr;
  if (ok) {
    dc->printerInfo1 = ReadInfo<PRINTER_INFO_1W>(heap, [&](LPBYTE b, DWORD n, DWORD* needed) {
      return GetPrinterW(printer, 1, b, n, needed);
    });
    dc->printerInfo2 = ReadInfo<PRINTER_INFO_2W>(heap, [&](LPBYTE b, DWORD n, DWORD* needed) {
      return GetPrinterW(printer, 2, b, n, needed);
    });
    ok = dc->printerInfo1 && dc->printerInfo2;
  }
  ok = ok && LoadPrinterDescription(*dc) &&
       Initialise(*dc, application, cjCaps, caps, cjDevInfo, devInfo);
  if (!ok) {
    DWORD error = GetLastError();
    Release(dc);
    SetLastError(error == ERROR_SUCCESS ? ERROR_INVALID_PARAMETER : error);
    return nullptr;
  }
  if (patterns) std::memset(patterns, 0, cPat * sizeof(HSURF));
  return reinterpret_cast<DHPDEV>(dc);
}

void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  if (DeviceContext* dc = ValidDeviceContext(dhpdev)) dc->engineDevice = hdev;
}

namespace {

// Whether the paper of the new settings agrees with the old: the same size in
// the public record, else the same paper code, else the same form name.
bool SamePaper(const DEVMODEW& now, const DEVMODEW& before) {
  constexpr DWORD kSize = DM_PAPERLENGTH | DM_PAPERWIDTH;
  if ((now.dmFields & kSize) == kSize) {
    return (before.dmFields & kSize) == kSize && now.dmPaperLength == before.dmPaperLength &&
           now.dmPaperWidth == before.dmPaperWidth;
  }
  if (now.dmFields & DM_PAPERSIZE) {
    return (before.dmFields & DM_PAPERSIZE) && now.dmPaperSize == before.dmPaperSize;
  }
  if ((now.dmFields & DM_FORMNAME) && (before.dmFields & DM_FORMNAME)) {
    return platform::WideView(now.dmFormName, CCHFORMNAME) ==
           platform::WideView(before.dmFormName, CCHFORMNAME);
  }
  return false;
}

WCHAR* CopyText(HANDLE heap, const WCHAR* text) {
  if (text == nullptr) return nullptr;
  std::size_t n = platform::WideLength(text);
  auto* copy = static_cast<WCHAR*>(HeapAlloc(heap, 0, (n + 1) * sizeof(WCHAR)));
  if (copy) std::copy(text, text + n + 1, copy);
  return copy;
}

}  // namespace

BOOL DrvResetPDEV(DHPDEV oldPdev, DHPDEV newPdev) {
  DeviceContext* before = ValidDeviceContext(oldPdev);
  DeviceContext* now = before ? ValidDeviceContext(newPdev) : nullptr;
  if (before == nullptr || now == nullptr) return FALSE;
  if (before->jobFlags & kJobDocumentStarted) {
    if (before->pageCount != 0 && !(settings::GetU32(before->settings.priv, kFlags) & 0x100)) {
      WriteFullPageInputWindow(*before);
    }
    now->jobFlags |= kJobResetCarried;
    now->pageCount = before->pageCount;
    now->jobFlags |= before->jobFlags & kJobCarriedMask;
    now->documentName = CopyText(now->heap, before->documentName);
    now->jobId = before->jobId;
    // The job as a whole travels with the reset: its identities, its job-binder
    // send flag, its times and the filter's job.
    now->identity = before->identity;
    now->filterJob = before->filterJob;
    if (before->jobFlags & kJobFilterRefused) now->jobFlags |= kJobFilterRefused;
    // The user code the job was started with (from the printer data or handed
    // over by escape 102) is the job's, whatever the new settings hold; so are
    // the authentication switches and the per-user folder of escapes 105, 110
    // and 111, which are sent only before the header.
    std::memcpy(now->settings.priv + kUserCode, before->settings.priv + kUserCode, kUserCodeBytes);
    now->settings.priv[kUserCodeFlag] = before->settings.priv[kUserCodeFlag];
    constexpr WORD kJobOptions = kOptionPerUser | kOptionAuthMode | kOptionAuthSecure;
    now->optionFlags =
        static_cast<WORD>((now->optionFlags & ~kJobOptions) | (before->optionFlags & kJobOptions));
    if (SamePaper(now->settings.pub, before->settings.pub) &&
        now->settings.pub.dmDefaultSource == before->settings.pub.dmDefaultSource) {
      now->jobFlags |= kJobSamePageSetup;
    }
    CarryDownloads(*before, *now);
  }
  FlushOutput(before->output);
  // The filter's job now belongs to the new context alone: the old one neither
  // writes to it nor ends it.
  if (before->jobFlags & kJobDocumentStarted) before->filterJob = 0;
  return TRUE;
}

void DrvDisablePDEV(DHPDEV dhpdev) {
  DeviceContext* dc = ValidDeviceContext(dhpdev);
  if (dc == nullptr) return;
  // A document that never ended (the application gave up) still holds a filter
  // job, perhaps with an open job-binder file: it is aborted and closed.
  if ((dc->jobFlags & kJobDocumentStarted) && dc->filter && dc->filterJob != 0) {
    using FilterJobEnd = void (*)(HANDLE job);
    HANDLE job = reinterpret_cast<HANDLE>(dc->filterJob);
    if (auto abort = reinterpret_cast<FilterJobEnd>(GetProcAddress(dc->filter, "DrvSplAbort")))
      abort(job);
    if (auto close = reinterpret_cast<FilterJobEnd>(GetProcAddress(dc->filter, "DrvSplClose")))
      close(job);
    dc->filterJob = 0;
  }
  Release(dc);
}

}  // namespace render
