// The engine's side of a device context, as an application's print calls reach a
// printer graphics driver: open a device context on a printer (load and enable
// the printer's render library, enable its device and surface), run documents
// and pages (with the banding loop when the surface is banded), escapes, a
// settings reset between pages, and the drawing calls, each routed to the
// driver's entry when the surface hooks it and to the engine's own renderer
// otherwise. A device context is used by one thread at a time; any number of
// them may live in the process, on any threads.
//
// Every call reports failure by its result with the thread's last error set
// (the driver's own code when a driver entry failed).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/ddi.h"
#include "platform/engine/objects.h"

namespace platform::engine {

class DeviceContext {
 public:
  // Opens a device context for a printer with the application's settings record
  // (null: the driver's defaults): OpenPrinterW, GetPrinterDriverW (level 2) for
  // the render library's path, LoadLibraryW of it, DrvQueryDriverInfo
  // (DRVQUERY_USERMODE must answer TRUE), DrvEnableDriver with engine version
  // 0x30000 (once per library while any of its device contexts lives in the
  // process), DrvEnablePDEV with the record, the engine's capability and
  // information buffers (sizeof GDIINFO, sizeof DEVINFO), the printer name and
  // handle, then DrvCompletePDEV and DrvEnableSurface. Null on failure, with
  // everything it built released.
  static std::unique_ptr<DeviceContext> Open(std::u16string_view printerName,
                                             const DEVMODEW* settings);
  // Close(); the destructor closes too.
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  // Aborts an open document (DrvEndDoc with ED_ABORTDOC, AbortPrinter), then
  // DrvDisableSurface, DrvDisablePDEV, ClosePrinter, and DrvDisableDriver with
  // FreeLibrary when this was the last device context of the library. Once.
  void Close();

  // What the driver reported at DrvEnablePDEV, and the sizes the engine passed.
  const GDIINFO& Capabilities() const;
  ULONG CapabilitiesSize() const;
  const DEVINFO& DeviceInfo() const;
  ULONG DeviceInfoSize() const;

  // The enabled device and surface.
  DHPDEV Pdev() const;
  HDEV Device() const;
  HANDLE Printer() const;
  SURFOBJ* Surface() const;
  FLONG Hooks() const;
  bool Banding() const;
  const std::u16string& DriverPath() const;
  DWORD JobId() const;

  // A document: StartDocPrinterW on the printer handle (a job of the spooler,
  // to `outputFile` when given), then DrvStartDoc with the name and job id.
  bool StartDocument(std::u16string_view name, const char16_t* outputFile = nullptr);
  // Ends an open page first, then DrvEndDoc and EndDocPrinter.
  bool EndDocument();
  bool AbortDocument();
  // DrvStartPage. On a banding surface the page's drawing calls are recorded
  // from here on.
  bool StartPage();
  // The page end: on a banding surface DrvStartBanding, then for every band the
  // recorded drawing calls moved into the band, and DrvNextBand until it hands
  // back (-1, -1) (its last call sends the page); else DrvSendPage.
  bool EndPage();
  // The application's ExtEscape: DrvEscape's result (0 when the driver has none).
  int Escape(ULONG escape, ULONG cjIn, const void* in, ULONG cjOut, void* out);
  // New settings between pages: DrvEnablePDEV of a new device, DrvResetPDEV(old,
  // new), DrvDisableSurface and DrvDisablePDEV of the old one, DrvEnableSurface
  // of the new one and, inside a document, DrvStartDoc on it with the document's
  // name and job id. Refused while a page is open.
  bool Reset(const DEVMODEW* settings);

  // The device palette's index of an RGB colour, and a solid brush of it.
  ULONG ColorIndex(COLORREF rgb) const;
  Brush SolidBrush(COLORREF rgb) const;

  // Drawing calls: the driver's entry when the surface hooks it, else the
  // engine's renderer into the surface's bitmap (FALSE, ERROR_NOT_SUPPORTED on a
  // device-managed surface). A driver that refuses a fill has it painted as the
  // region of the path (DrvPaint when hooked); a stroke refused under a complex
  // clip is drawn once per clip rectangle. On a banding surface inside a page the
  // calls are recorded and drawn at the page end (the result is then TRUE).
  bool StrokePath(const Path& path, const Clip& clip, const Transform& transform,
                  const Brush& brush, const LineAttributes& line, MIX mix,
                  POINTL brushOrigin = {0, 0});
  bool FillPath(const Path& path, const Clip& clip, const Brush& brush, MIX mix, FLONG fillOptions,
                POINTL brushOrigin = {0, 0});
  bool StrokeAndFillPath(const Path& path, const Clip& clip, const Transform& transform,
                         const Brush& stroke, const LineAttributes& line, const Brush& fill,
                         MIX mix, FLONG fillOptions, POINTL brushOrigin = {0, 0});
  bool Paint(const Clip& clip, const Brush& brush, MIX mix, POINTL brushOrigin = {0, 0});
  // A null source, mask, translation or brush is absent.
  bool BitBlt(const Bitmap* source, const Bitmap* mask, const Clip& clip,
              const Translation* translation, RECTL target, POINTL sourcePoint, POINTL maskPoint,
              const Brush* brush, POINTL brushOrigin, ROP4 rop4);
  bool StretchBlt(const Bitmap& source, const Clip& clip, const Translation* translation,
                  RECTL target, RECTL sourceRect, ULONG mode, POINTL halftoneOrigin = {0, 0});
  bool CopyBits(const Bitmap& source, const Clip& clip, const Translation* translation,
                RECTL target, POINTL sourcePoint);
  // `extra`: underline and strike-out rectangles (the engine ends the list with
  // the all-zero rectangle); `opaque` with `opaqueBrush`: the background.
  bool TextOut(const TextString& text, const Font& font, const Clip& clip,
               const std::vector<RECTL>& extra, const RECTL* opaque, const Brush& fore,
               const Brush* opaqueBrush, MIX mix, POINTL brushOrigin = {0, 0});

  struct Impl;

 private:
  DeviceContext();
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::engine

namespace platform::engine::test {
// Device contexts open in the process, and render libraries loaded by them.
std::size_t OpenDeviceContextCount();
std::size_t LoadedDriverCount();
}  // namespace platform::engine::test
