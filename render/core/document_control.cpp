// Documents and pages: the order in which the job header, each page's paper
// selection and set-up, the page end and the job trailer are written, and the
// calls into the spool filter that bracket them.
#include <cstring>

#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/core/paper_selection.h"
#include "render/jobcontrol/device_commands.h"
#include "render/jobcontrol/job_header.h"
#include "render/jobcontrol/stamp_overlay.h"
#include "render/raster/raster_output.h"
#include "render/vector/graphics_state.h"
#include "render/vector/page_setup.h"

namespace render {

namespace {

using FilterStartDoc = HANDLE (*)(HANDLE printer, DWORD jobId);
using FilterRestartDoc = HANDLE (*)();
using FilterJobCall = BOOL (*)(HANDLE job);
using FilterJobEnd = void (*)(HANDLE job);

// A spool filter function by name; null when the filter or the function is missing.
template <typename F>
F FilterFunction(const DeviceContext& dc, const char* name) {
  return dc.filter ? reinterpret_cast<F>(GetProcAddress(dc.filter, name)) : nullptr;
}

HANDLE FilterJob(const DeviceContext& dc) { return reinterpret_cast<HANDLE>(dc.filterJob); }

// A function of the filter's job; null when the document has no filter job, so
// that no filter function ever sees a null job.
template <typename F>
F JobFunction(const DeviceContext& dc, const char* name) {
  return dc.filterJob != 0 ? FilterFunction<F>(dc, name) : nullptr;
}

void FillSurfaceWhite(SURFOBJ* pso) {
  if (pso && pso->pvBits && pso->cjBits) std::memset(pso->pvBits, 0xFF, pso->cjBits);
}

WCHAR* CopyName(HANDLE heap, const WCHAR* name) {
  std::size_t n = platform::WideLength(name);
  auto* copy = static_cast<WCHAR*>(HeapAlloc(heap, 0, (n + 1) * sizeof(WCHAR)));
  if (copy) std::memcpy(copy, name, (n + 1) * sizeof(WCHAR));
  return copy;
}

}  // namespace

BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR docName, DWORD jobId) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  bool carried = dc->jobFlags & kJobResetCarried;
  if (!carried && jobId != 0) dc->jobId = jobId;
  if (carried) {
    // The reset carried the document's filter job; only when there was none to
    // carry is the filter asked for its latest one.
    if (dc->filterJob == 0 && !(dc->jobFlags & kJobFilterRefused)) {
      if (auto restart = FilterFunction<FilterRestartDoc>(*dc, "MyDrvSplStartDoc")) {
        dc->filterJob = reinterpret_cast<ULONG64>(restart());
      }
    }
  } else if (auto start = FilterFunction<FilterStartDoc>(*dc, "DrvSplStartDoc")) {
    dc->jobFlags &= ~kJobFilterRefused;
    dc->filterJob = reinterpret_cast<ULONG64>(start(dc->printer, dc->jobId));
    // Without a job the document prints as if there were no filter.
    if (dc->filterJob == 0) dc->jobFlags |= kJobFilterRefused;
  }
  dc->jobFlags |= kJobDocumentStarted;
  if (carried) return TRUE;
  dc->pageCount = 0;
  dc->jobFlags &= ~(kJobStarted | kJobPageOpen);
  if (dc->documentName) HeapFree(dc->heap, 0, dc->documentName);
  dc->documentName = nullptr;
  if (docName == nullptr) return TRUE;
  dc->documentName = CopyName(dc->heap, docName);
  return dc->documentName != nullptr;
}

BOOL DrvStartPage(SURFOBJ* pso) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  if (auto startPage = JobFunction<FilterJobCall>(*dc, "DrvSplStartPage"))
    startPage(FilterJob(*dc));
  if (dc->output.failed) return FALSE;
  if (dc->jobFlags & kJobPageOpen) return TRUE;
  bool content = !dc->NoPageContent();
  if (content) dc->jobFlags |= kJobHeaderWritten;
  if (dc->pageCount == 0 && !(dc->jobFlags & kJobStarted)) {
    BuildJobHeader(*dc);
    dc->jobFlags |= kJobStarted;
  }
  ++dc->pageCount;
  dc->mergeControlState = 0xF0F0;
  dc->monoMergeControlState = 0xF0F0;
  dc->jobFlags |= kJobPageOpen;
  if (dc->jobFlags & kJobResetCarried) {
    if (!(dc->jobFlags & kJobSamePageSetup)) WriteResetPageSetup(*dc);
    dc->jobFlags &= ~(kJobSamePageSetup | kJobResetCarried);
  }
  std::uint32_t model = dc->Description().LanguageLevel();
  if (model >= 1 && model <= 104 && content) WritePaperSelection(*dc);
  if (content) WritePageSetup(*dc);
  if (dc->rasterOutput) FillSurfaceWhite(pso);
  return dc->output.failed ? FALSE : TRUE;
}

BOOL DrvSendPage(SURFOBJ* pso) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  if (dc->rasterOutput && !dc->banding) SendRasterBand(*dc, pso, {0, 0});
  bool content = !dc->NoPageContent();
  std::uint16_t options = settings::GetU16(dc->settings.priv, settings::priv::kPrintOptions);
  if (content && (dc->PrinterFunction() & 0x10000) && (options & settings::kOptStampcheck)) {
    if (dc->identity.jobBinderSend) GetLocalTime(&dc->identity.stampTime);
    DrawStampOverlay(*dc);
  }
  if (!(dc->jobFlags & kJobPageOpen)) ++dc->pageCount;
  if (content) EndPage(*dc);
  dc->jobFlags &= ~kJobPageOpen;
  if (auto endPage = JobFunction<FilterJobCall>(*dc, "DrvSplEndPage")) endPage(FilterJob(*dc));
  return TRUE;
}

BOOL DrvEndDoc(SURFOBJ* pso, FLONG) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  if (dc->jobFlags & kJobStarted) WriteJobTrailer(*dc);
  if (dc->jobFlags & kJobManualFeedOn) SwitchManualFeed(*dc, false);
  std::uint32_t privFlags = settings::GetU32(dc->settings.priv, settings::priv::kFlags);
  std::uint16_t protocols = dc->Description().Protocols();
  if (!(privFlags & (0x100 | 0x4000)) && !(protocols & 0x1)) {
    if (protocols & 0x8) {
      // The end of a job for printers that speak SIC.
      WriteBytes(dc->output, "\x1B[K\x01\x00\x06\x00", 7);
    } else if (privFlags & 0x1000) {
      WriteBytes(dc->output, "\x04", 1);
    }
  }
  FlushOutput(dc->output);
  dc->jobFlags &= ~(kJobDocumentStarted | kJobStarted | kJobResetCarried | kJobHeaderWritten);
  if (auto endDoc = JobFunction<FilterJobEnd>(*dc, "DrvSplEndDoc")) endDoc(FilterJob(*dc));
  if (auto close = JobFunction<FilterJobEnd>(*dc, "DrvSplClose")) close(FilterJob(*dc));
  dc->filterJob = 0;
  // The application hears of a job whose last bytes never left.
  return dc->output.failed ? FALSE : TRUE;
}

}  // namespace render
