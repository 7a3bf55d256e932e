// The device context: the render library's one record per enabled device (per
// print job, or per information context on the printer). It holds the merged
// settings, the printer description, the paper geometry, the output channel, the
// binding to the spool filter, the drawing state and the job state. It lives in
// a private heap of its own, zero-filled, tagged at both ends.
#pragma once

#include <cstdint>

#include "platform/engine/ddi.h"
#include "platform/platform.h"
#include "platform/spooler/spooler.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_state.h"
#include "render/raster/raster_frame.h"
#include "render/vector/command_emitter.h"
#include "render/vector/pen_state.h"
#include "settings/description.h"
#include "settings/paper_geometry.h"
#include "settings/settings_record.h"

namespace render {

constexpr DWORD kDeviceContextTag = 0x50534444;

// Job state flags. A failed output is the output channel's own state (`output.failed`).
constexpr DWORD kJobDocumentStarted = 0x4;
constexpr DWORD kJobManualFeedOn = 0x100;
constexpr DWORD kJobStarted = 0x4000;
constexpr DWORD kJobPageOpen = 0x8000;
constexpr DWORD kJobResetCarried = 0x100000;
constexpr DWORD kJobSamePageSetup = 0x800000;
constexpr DWORD kJobHeaderWritten = 0x2000000;
// The spool filter gave this document no job: it prints without the filter,
// also after a reset.
constexpr DWORD kJobFilterRefused = 0x40000000;
// The flags a reset carries into the new context.
constexpr DWORD kJobCarriedMask = 0x3094104;

// Option flags.
constexpr WORD kOptionRedInk = 0x1;
constexpr WORD kOptionPerUser = 0x2;
constexpr WORD kOptionAuthMode = 0x8;
constexpr WORD kOptionAuthSecure = 0x10;

// The spool filter's write entry.
using PFN_DrvSplWritePrinter = BOOL (*)(HANDLE job, LPVOID bytes, DWORD length, LPDWORD written);

// The identities and job data the companion components hand over through the
// private escapes, for the job header and the print log.
struct JobIdentity {
  char trackId[22];
  char userCode[18];  // job-control user code
  char userId[18];    // job-control user ID
  char hostLoginName[260];
  WCHAR authUser[129];
  char authPassword[197];
  bool jobBinderSend;
  // The start block went out for this document (a pass-through header sends it
  // before the job header would).
  bool startBlockSent;
  // The authentication encryption setting and method the header wrote, for the
  // print log.
  WORD encryptSetting;
  WORD encryptMethod;
  SYSTEMTIME jobTime;
  SYSTEMTIME stampTime;
};

struct DeviceContext {
  DWORD leadingTag;
  settings::SettingsRecord settings;
  HMODULE module;
  HANDLE heap;
  HANDLE printer;
  PRINTER_INFO_1W* printerInfo1;
  PRINTER_INFO_2W* printerInfo2;
  WCHAR dataPath[265];
  WCHAR driverPath[MAX_PATH + 1];
  void* description;      // global memory
  unsigned char* sticky;  // global memory
  std::size_t stickyBytes;
  HDEV engineDevice;
  HSURF surface;
  HPALETTE palette;
  settings::PaperGeometry logical;
  settings::PaperGeometry fed;
  // Band state, in pixels.
  POINTL bandOrigin;
  LONG pageWidth;
  LONG pageHeight;
  LONG bandHeight;
  bool banding;
  bool rasterOutput;
  bool fullColour;
  int dpi;
  ULONG pageCount;
  SHORT copies;
  WCHAR* documentName;  // heap
  DWORD jobId;
  DWORD jobFlags;
  WORD optionFlags;
  // The spool filter.
  HMODULE filter;
  ULONG64 filterJob;
  PFN_DrvSplWritePrinter filterWrite;
  // Fonts.
  ULONG deviceFontCount;
  ULONG downloadSlotCount;
  unsigned char* downloadSlots;  // heap, 1144 bytes each
  void* downloadedNames;         // global memory list
  // Raster merge control sent last (0xF0F0: nothing sent yet).
  DWORD mergeControlState;
  DWORD monoMergeControlState;
  // The raster palette pushed, the input window and the current clip's
  // complexity.
  RasterState raster;
  JobIdentity identity;
  VectorState vector;
  PenState pens;
  LabelState labels;
  ColourState colour;
  OutputChannel output;
  DWORD trailingTag;

  settings::Description Description() const { return settings::Description(description); }
  bool NoPageContent() const {
    unsigned char mode = settings.priv[settings::priv::kCommon + settings::priv::kCommonOutputMode];
    return mode == 1 || mode == 6;
  }
  DWORD PrinterFunction() const { return Description().PrinterFunction(); }
};

// The device context of a handle the engine passed, or null (last error 87)
// when it is null or its tags are broken.
DeviceContext* ValidDeviceContext(DHPDEV dhpdev);
DeviceContext* ValidDeviceContext(SURFOBJ* surface);

// The library's own module, stored by DllMain.
HMODULE LibraryModule();
void SetLibraryModule(HMODULE module);

// The process-wide locks.
CRITICAL_SECTION& DescriptionLock();
CRITICAL_SECTION& SharedRecordLock();
CRITICAL_SECTION& GlyphSetLock();
CRITICAL_SECTION& KeywordTableLock();

// The one 256-code-point glyph set of the process, null before DrvEnableDriver.
FD_GLYPHSET* SharedGlyphSet();

}  // namespace render
