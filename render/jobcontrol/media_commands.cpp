// The "MS-1" commands of the job's device settings: colour mode, paper source and
// feed mode, and the media and scaling sets. The device takes each as
// "MS-1," numbers separated by commas, ";".
#include <cstdint>

#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"
#include "settings/features.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

void WriteColourMode(DeviceContext& dc, int mode) { WriteLine(dc, "MS-1,6,11,%d;", {mode}); }

bool Monochrome(const DeviceContext& dc) { return PrivI16(dc, priv::kColormode) == 2; }

// A scale factor in hundredths, as "whole.hh": 10005 is 100.05, 10000 is 100.00.
void WriteHundredths(DeviceContext& dc, int command, std::int32_t value) {
  std::int64_t v = value;
  const char* sign = v < 0 ? "-" : "";
  std::uint64_t magnitude = static_cast<std::uint64_t>(v < 0 ? -v : v);
  auto whole = static_cast<std::uint32_t>(magnitude / 100);
  auto rest = static_cast<std::uint32_t>(magnitude % 100);
  const char* format = rest < 10 ? "MS-1,%d,%s%u.0%u;" : "MS-1,%d,%s%u.%u;";
  WriteLine(dc, format, {command, sign, whole, rest});
}

// `scale`: percent, or tenths of a percent as "whole.t" on printers that hold it so.
void WriteScale(DeviceContext& dc) {
  std::int32_t scale = PrivI16(dc, priv::kScale);
  if (!HasFunction(dc, 0x20000)) {
    WriteLine(dc, "MS-1,20,%d;", {scale});
    return;
  }
  std::uint32_t magnitude = static_cast<std::uint32_t>(scale < 0 ? -scale : scale);
  WriteLine(dc, "MS-1,20,%s%u.%u;", {scale < 0 ? "-" : "", magnitude / 10, magnitude % 10});
}

void WriteHardClip(DeviceContext& dc) {
  if (IsCustomSizeCode(dc.settings.pub.dmPaperSize)) {
    WriteLine(dc, "MS-1,23,3;");
  } else {
    WriteLine(dc, "MS-1,23,%d;", {PrivI32(dc, priv::kHardclip) + 2});
  }
}

// The invocation of the Resolution option of the job's resolution.
void WriteResolution(DeviceContext& dc) {
  int dpi = dc.settings.pub.dmPrintQuality;
  if (dpi <= 0) return;
  for (settings::Option o = dc.Description().Predefined(settings::kResolution).FirstOption(); o;
       o = o.Next()) {
    if (settings::ResolutionOfKeyword(o.Name()) == static_cast<std::uint32_t>(dpi)) {
      WriteVerbatim(dc, o.Value());
      return;
    }
  }
}

// Landscape pages of the roll printers shift the other way.
bool NegatedShift(const DeviceContext& dc) {
  const DEVMODEW& pub = dc.settings.pub;
  return PrinterType(dc) == 3 && (pub.dmFields & DM_ORIENTATION) && pub.dmOrientation == 2;
}

std::int32_t Negate(std::int32_t v) {
  return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v));
}

void WriteShift(DeviceContext& dc, bool negate, bool onlyNonZero) {
  std::int32_t x = PrivI32(dc, priv::kMovex);
  std::int32_t y = PrivI32(dc, priv::kMovey);
  if (negate) {
    x = Negate(x);
    y = Negate(y);
  }
  if (!onlyNonZero || x != 0) WriteLine(dc, "MS-1,7,%d;", {x});
  if (!onlyNonZero || y != 0) WriteLine(dc, "MS-1,8,%d;", {y});
}

bool Mirrored(const DeviceContext& dc) {
  return settings::GetU32(dc.settings.priv, priv::kFlags) & settings::kPrivMirror;
}

void WriteFeedMode(DeviceContext& dc, const char* mode) { WriteLine(dc, mode); }

// Feed mode of the roll printers from the automatic source.
void WriteRollAutomaticFeed(DeviceContext& dc) {
  int paper = dc.settings.pub.dmPaperSize;
  if (!HasFunction(dc, 0x80000)) {
    WriteFeedMode(dc, paper == 256 ? "MS-1,43,5,1;" : "MS-1,43,3;");
    return;
  }
  bool custom = YoushiIsPaperLink(dc) ? IsCustomSizeCode(paper) : YoushiIsUserSize(dc);
  WriteFeedMode(dc, custom ? "MS-1,43,5,1;" : "MS-1,43,3;");
}

// Model 37 feeds automatically when a custom sheet lies across the roll, or when
// the image is turned.
void WriteModel37Feed(DeviceContext& dc) {
  const DEVMODEW& pub = dc.settings.pub;
  std::int16_t tate = PrivI16(dc, priv::kFreeTate);
  std::int16_t yoko = PrivI16(dc, priv::kFreeYoko);
  std::int16_t rotate = PrivI16(dc, priv::kImagerotate);
  bool across =
      (pub.dmFields & DM_ORIENTATION) && pub.dmPaperSize == 256 &&
      ((pub.dmOrientation == 1 && tate < yoko) || (pub.dmOrientation == 2 && tate >= yoko));
  if (across || rotate == 1) {
    WriteFeedMode(dc, "MS-1,43,3;");
  } else if (rotate == 0) {
    WriteFeedMode(dc, "MS-1,43,1;");
  }
}

}  // namespace

void WriteColourCommand(DeviceContext& dc) {
  std::uint32_t type = PrinterType(dc);
  if (ModelIsOneOf(dc, {65, 66, 67})) {
    WriteColourMode(dc, 1);
  } else if (type == 6) {
    WriteColourMode(dc, HasPrintOption(dc, settings::kOptModetype1) ? 3 : 1);
  } else if (HasFunction(dc, 0x2000)) {
    bool imageOnly = HasPrintOption(dc, settings::kOptImageprint) || VectorOverride(dc) == 0;
    WriteColourMode(dc, Monochrome(dc) && imageOnly ? 3 : 4);
  } else if (type == 2 || type == 5) {
    WriteColourMode(dc, !Monochrome(dc) || VectorOverride(dc) != 0 ? 2 : 1);
  }
}

void WriteShortColourCommand(DeviceContext& dc) {
  WriteColourMode(dc, Monochrome(dc) && PrivI32(dc, priv::kBekutachk) == 0 ? 1 : 2);
}

void WriteJobSetupCommands(DeviceContext& dc) {
  int source = SourceNumber(dc);
  std::uint32_t trays = settings::GetU32(dc.settings.priv, priv::kInputtray);
  if (HasFunction(dc, 0x1000000) && source == 261 && (trays & 0x2) && !(trays & (0x4 | 0x8))) {
    // The roll of the tray family's second roll unit.
    WriteLine(dc, "MS-1,24,8;MS-1,25,1;MS-1,43,1;");
  } else if (settings::Option slot = SlotWithNumber(dc, source)) {
    WriteVerbatim(dc, AfterSlash(slot.Value()));
  }
  switch (PrinterType(dc)) {
    case 4:
      WriteFeedMode(dc, source == 7 ? "MS-1,43,3;" : "MS-1,43,1;");
      break;
    case 3:
      if (source == 7) {
        WriteRollAutomaticFeed(dc);
      } else if (DeviceModel(dc) == 37) {
        WriteModel37Feed(dc);
      } else {
        WriteFeedMode(dc, "MS-1,43,1;");
      }
      break;
    default:
      break;
  }
}

void WriteBasicMediaCommands(DeviceContext& dc) {
  WriteHardClip(dc);
  std::int32_t font = PrivI32(dc, priv::kFont);
  if (font != 0) {
    WriteLine(dc, "MS-1,30,%d;", {font});
  } else if (HasPrintOption(dc, settings::kOptStampcheck)) {
    WriteLine(dc, "MS-1,30,3;");
  }
  if (!HasFunction(dc, 0x4000)) WriteResolution(dc);
  WriteHundredths(dc, 21, PrivI32(dc, priv::kScaleh));
  WriteHundredths(dc, 22, PrivI32(dc, priv::kScaley));
  WriteShift(dc, NegatedShift(dc), false);
  WriteLine(dc, Mirrored(dc) ? "MS-1,42,1;" : "MS-1,42,2;");
  WriteScale(dc);
  WriteLine(dc, "MS-1,40,1;MS-1,41,2;");
  if (PrinterType(dc) == 4) {
    WriteLine(dc, "MS-1,72,1,1;");
    bool red = !HasPrintOption(dc, settings::kOptImageprint) && PrivI32(dc, priv::kPenimage) != 0;
    WriteLine(dc, red ? "MS-1,72,2,2;" : "MS-1,72,2,1;");
  }
}

namespace {

// Both scale factors always, or each only when it is not 1.
void WriteExtendedScaleFactors(DeviceContext& dc) {
  bool always = HasFunction(dc, 0x1000000) ||
                (PrinterType(dc) == 3 &&
                 ModelIsOneOf(dc, {5, 8, 9, 16, 37, 51, 87, 88, 89, 97, 98, 99, 101, 102}));
  std::int32_t h = PrivI32(dc, priv::kScaleh);
  std::int32_t v = PrivI32(dc, priv::kScaley);
  if (always || h != 10000) WriteHundredths(dc, 21, h);
  if (always || v != 10000) WriteHundredths(dc, 22, v);
}

void WriteCentring(DeviceContext& dc) {
  if (!HasPrintOption(dc, settings::kOptCenter)) return;
  WriteLine(dc, "MS-1,49,2;");
  // A roll printer without its hard disk centres only the simple way.
  settings::Description d = dc.Description();
  bool hddMissing =
      PrinterType(dc) == 3 && d.Predefined(settings::kDeviceOption).FindOption("hdd") >= 0 &&
      !settings::IsInstalled(dc.settings.priv,
                             settings::GetU32(dc.settings.priv, priv::kOptionCount), u"hdd");
  bool simple = PrivI16(dc, priv::kCentermode) != 1 || hddMissing;
  WriteLine(dc, simple ? "MS-1,47,1;" : "MS-1,47,2;");
}

// Placement and margins of a custom sheet cut from the roll.
void WriteCustomPlacement(DeviceContext& dc) {
  if (PrinterType(dc) != 3 || SourceNumber(dc) != 7 || !OnCustomPaper(dc)) return;
  if (ModelIsOneOf(dc, {5, 8, 9, 89})) {
    if (HasDeviceFlag(dc, settings::kDevFreespacepos)) WriteLine(dc, "MS-1,99,2;");
  } else {
    std::int16_t position = PrivI16(dc, priv::kFreespacepos);
    WriteLine(dc, position == 1 ? "MS-1,99,1;" : position == 2 ? "MS-1,99,2;" : "MS-1,99,3;");
  }
  struct Margin {
    int command;
    std::size_t offset;
  };
  constexpr Margin kMargins[] = {{95, priv::kSpacetop},
                                 {96, priv::kSpacebottom},
                                 {97, priv::kSpaceleft},
                                 {98, priv::kSpaceright}};
  for (const Margin& m : kMargins) {
    std::int16_t mm = PrivI16(dc, m.offset);
    if (mm != 0) WriteLine(dc, "MS-1,%d,%d;", {m.command, static_cast<std::int32_t>(mm)});
  }
}

}  // namespace

void WriteExtendedMediaCommands(DeviceContext& dc) {
  WriteHardClip(dc);
  std::int32_t font = PrivI32(dc, priv::kFont);
  if (font != 0 && font != 1) {
    WriteLine(dc, "MS-1,30,%d;", {font});
  } else if (font == 0 && HasPrintOption(dc, settings::kOptStampcheck)) {
    WriteLine(dc, "MS-1,30,3;");
  }
  if (!HasFunction(dc, 0x1000000) || HasDeviceFlag(dc, settings::kDevPrintertype)) {
    WriteResolution(dc);
  }
  WriteExtendedScaleFactors(dc);
  bool squareCustom = IsCustomSizeCode(dc.settings.pub.dmPaperSize) &&
                      PrivI16(dc, priv::kFreeTate) == PrivI16(dc, priv::kFreeYoko);
  WriteShift(dc, NegatedShift(dc) && !squareCustom, true);
  if (Mirrored(dc)) WriteLine(dc, "MS-1,42,1;");
  WriteCentring(dc);
  std::int16_t scale = PrivI16(dc, priv::kScale);
  if (scale != 100 && scale != 1000) WriteScale(dc);
  if (PrinterType(dc) == 8 && (dc.optionFlags & kOptionRedInk)) {
    WriteLine(dc, "MS-1,72,1,1;");
    WriteLine(dc, PrivI32(dc, priv::kPenimage) != 0 ? "MS-1,72,2,2;" : "MS-1,72,2,1;");
  }
  WriteCustomPlacement(dc);
}

}  // namespace render::jobcontrol
