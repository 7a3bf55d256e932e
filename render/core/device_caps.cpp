// The device capability and device information records.
#include "render/core/device_caps.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "render/core/device_context.h"
#include "settings/device_info_file.h"
#include "settings/sticky_data.h"

namespace render {

namespace {

using namespace settings::priv;

// The halftone colours the engine uses when the printer carries none, in 1/10000.
// clang-format off
constexpr COLORINFO kDefaultColours = {
    {6380, 3350, 0}, {2345, 6075, 0}, {1410, 932, 0},    // red, green, blue
    {2000, 2450, 0}, {5210, 2100, 0}, {4750, 5100, 0},   // cyan, magenta, yellow
    {3127, 3290, 0},                                     // alignment white
    12500, 12500, 12500,                                 // gamma of red, green, blue
    585, 120, 0, 0, 0, 10000,                            // dyes
};
// Dither cell width and height by halftone pattern size.
constexpr USHORT kDitherCells[16] = {2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 16, 16};
// clang-format on

ULONG DefaultPatternSize(int dpi) {
  if (dpi >= 2400) return 15;
  if (dpi >= 1800) return 13;
  if (dpi >= 1200) return 11;
  if (dpi >= 900) return 9;
  if (dpi >= 400) return 7;
  if (dpi >= 180) return 5;
  return 3;
}

LONG Clamp(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

bool ColourCapable(const DeviceContext& dc) {
  return (dc.PrinterFunction() & (1u << 24)) || dc.Description().ColorDevice();
}

BYTE AnsiCharSet() {
  switch (GetACP()) {
    case 932:
      return 128;  // Shift-JIS
    case 936:
      return 134;  // GB 2312
    case 949:
      return 129;  // Hangul
    case 950:
      return 136;  // Big5
    default:
      return 0;  // ANSI
  }
}

void SetFont(LOGFONTW& font, LONG height, BYTE pitchAndFamily, const char16_t* face) {
  std::memset(&font, 0, sizeof font);
  font.lfHeight = height;
  font.lfWeight = 400;
  font.lfCharSet = AnsiCharSet();
  font.lfPitchAndFamily = pitchAndFamily;
  for (std::size_t i = 0; face[i] != 0 && i + 1 < LF_FACESIZE; ++i) font.lfFaceName[i] = face[i];
}

// Whether journalling must be off: settings from a system of version 5 or later
// on a remote printer or with a job-binder request, or EMF spooling.
bool DontJournal(const DeviceContext& dc) {
  std::uint16_t options = settings::GetU16(dc.settings.priv, kPrintOptions);
  if (options & settings::kOptEmfspool) return true;
  if (!(options & settings::kOptNtSystem)) return false;
  const WCHAR* server = dc.printerInfo2 ? dc.printerInfo2->pServerName : nullptr;
  if (server && *server) return true;
  if (!(dc.PrinterFunction() & 0x1) || dc.NoPageContent()) return false;
  std::u16string ini = settings::DeviceInfoFilePath(false);
  const WCHAR* section = dc.printerInfo2 && dc.printerInfo2->pPrinterName
                             ? dc.printerInfo2->pPrinterName
                             : dc.settings.pub.dmDeviceName;
  return GetPrivateProfileIntW(section, u"QBXSEND", 0, ini.c_str()) == 1;
}

}  // namespace

void SetOutputModes(DeviceContext& dc) {
  std::uint16_t options = settings::GetU16(dc.settings.priv, kPrintOptions);
  dc.rasterOutput =
      settings::GetI16(dc.settings.priv, kColormode) == 2 && (options & settings::kOptImageprint);
  dc.fullColour = dc.rasterOutput && (options & settings::kOptModetype3);
}

Halftone DeviceHalftone(const DeviceContext& dc) {
  Halftone h{DefaultPatternSize(dc.dpi), 0, kDefaultColours};
  unsigned char record[settings::kHalftoneSize];
  if (settings::ReadHalftoneRecord(dc.printer, record)) {
    h.patternSize = settings::LoadU32(record + 4);
    h.pelsPerInch = settings::LoadU32(record + 8);
    std::memcpy(&h.colours, record + 12, sizeof h.colours);
  }
  return h;
}

void FillCapabilities(DeviceContext& dc, ULONG size, ULONG* caps) {
  GDIINFO g{};
  const settings::PaperGeometry& p = dc.logical;
  long long dpi = dc.dpi;
  long long width = p.right - p.left, height = p.bottom - p.top;
  g.ulVersion = 0x400;
  g.ulTechnology = DT_RASPRINTER;
  // Negative sizes are micrometres.
  g.ulHorzSize = static_cast<ULONG>(Clamp(-width * 25));
  g.ulVertSize = static_cast<ULONG>(Clamp(-height * 25));
  long long correction = dpi == 600 ? 3 : 0;
  g.ulHorzRes = static_cast<ULONG>(Clamp(width * dpi / 1016 - correction));
  g.ulVertRes = static_cast<ULONG>(Clamp(height * dpi / 1016 - correction));
  dc.pageWidth = static_cast<LONG>(g.ulHorzRes);
  dc.pageHeight = static_cast<LONG>(g.ulVertRes);
  if (dc.rasterOutput) {
    g.cBitsPixel = dc.fullColour ? 24 : 1;
    g.cPlanes = 1;
    g.ulNumColors = dc.fullColour ? 0xFFFFFF : 2;
    g.ulNumPalReg = g.ulNumColors;
  } else {
    g.cBitsPixel = 8;
    g.cPlanes = 3;
    g.ulNumColors = ColourCapable(dc) ? 8 : 2;
  }
  g.flRaster = 0;
  g.ulLogPixelsX = g.ulLogPixelsY = static_cast<ULONG>(dpi);
  g.flTextCaps = 0x19F7;
  g.ulAspectX = g.ulAspectY = static_cast<ULONG>(dpi);
  g.ulAspectXY = static_cast<ULONG>(dpi * 1414 / 1000);
  g.xStyleStep = g.yStyleStep = 1;
  g.denStyleStep = static_cast<LONG>(dpi / 25);
  long long offsetX =
      (static_cast<long long>(p.paperWidth) * dpi / 25400 - p.right * dpi / 1016) / 2;
  long long offsetY =
      (static_cast<long long>(p.paperLength) * dpi / 25400 - p.bottom * dpi / 1016) / 2;
  g.ptlPhysOffset = {Clamp(std::max(offsetX, 0LL)), Clamp(std::max(offsetY, 0LL))};
  g.szlPhysSize = {Clamp(dpi * (p.paperWidth / 100) / 254),
                   Clamp(dpi * (p.paperLength / 100) / 254)};
  Halftone h = DeviceHalftone(dc);
  g.ciDevice = h.colours;
  int scale = settings::GetI16(dc.settings.priv, kScale);
  int scaleDivisor = (dc.PrinterFunction() & (1u << 17)) ? 1000 : 100;
  g.ulDevicePelsDPI =
      static_cast<ULONG>(static_cast<long long>(h.pelsPerInch) * scale / scaleDivisor);
  g.ulHTPatternSize = h.patternSize < 16 ? h.patternSize : 5;
  if (dc.rasterOutput) {
    g.ulHTOutputFormat = dc.fullColour ? HT_FORMAT_24BPP : HT_FORMAT_1BPP;
  } else {
    g.ulHTOutputFormat = dc.settings.pub.dmColor == DMCOLOR_COLOR && ColourCapable(dc)
                             ? HT_FORMAT_4BPP
                             : HT_FORMAT_1BPP;
  }
  g.flHTFlags = HT_FLAG_HAS_BLACK_DYE;
  if (caps) std::memcpy(caps, &g, std::min<std::size_t>(size, sizeof g));
}

bool FillDeviceInfo(DeviceContext& dc, ULONG size, DEVINFO* out) {
  DEVINFO info{};
  bool monoRaster = dc.rasterOutput && !dc.fullColour;
  if (dc.rasterOutput) {
    info.flGraphicsCaps = GCAPS_HALFTONE | GCAPS_COLOR_DITHER | GCAPS_MONO_DITHER;
    if (monoRaster) info.flGraphicsCaps |= GCAPS_FORCEDITHER;
  } else {
    info.flGraphicsCaps = GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL |
                          GCAPS_HALFTONE | GCAPS_OPAQUERECT;
  }
  if (DontJournal(dc)) info.flGraphicsCaps |= GCAPS_DONTJOURNAL;
  if (dc.Description().FirstFont()) {
    LONG height = -(dc.dpi * 10 + 36) / 72;  // 10 points
    SetFont(info.lfDefaultFont, height, 0x31, u"");
    SetFont(info.lfAnsiVarFont, height, 0x22, u"Helvetica");
    SetFont(info.lfAnsiFixFont, height, 0x31, u"Courier");
  }
  info.cFonts = 0;
  if (monoRaster) {
    info.iDitherFormat = BMF_1BPP;
    ULONG pattern = std::min<ULONG>(DeviceHalftone(dc).patternSize, 16);
    ULONG index = pattern < 16 ? pattern : 5;
    info.cxDither = info.cyDither = kDitherCells[index];
  } else {
    info.iDitherFormat = BMF_24BPP;
  }
  if (dc.palette) EngDeletePalette(dc.palette);
  if (monoRaster) {
    ULONG colours[2] = {0x000000, 0xFFFFFF};
    dc.palette = EngCreatePalette(PAL_INDEXED, 2, colours, 0, 0, 0);
  } else {
    dc.palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  }
  if (dc.palette == nullptr) return false;
  info.hpalDefault = dc.palette;
  if (out) std::memcpy(out, &info, std::min<std::size_t>(size, sizeof info));
  return true;
}

}  // namespace render
