// The output-option commands (monochrome print, dither design, grey and tone,
// output bin and paper kind, image rotation, the reversed third bin) and the texts
// of the selected PrintMode, Desing, OutputBin and PaperKind options.
#include <algorithm>

#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"
#include "settings/features.h"
#include "settings/paper.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

settings::Option DesingOption(const DeviceContext& dc) {
  std::size_t at =
      settings::ColorSetOffset(static_cast<std::size_t>(ColourSet(dc)), priv::kSetDither);
  return SelectedOption(dc, settings::kDesing, PrivI16(dc, at));
}

settings::Option OutputBinOption(const DeviceContext& dc) {
  return SelectedOption(dc, settings::kOutputBin, PrivI32(dc, priv::kDestination));
}

settings::Option PaperKindOption(const DeviceContext& dc) {
  return SelectedOption(dc, settings::kPaperKind, PrivI16(dc, priv::kPaperkind));
}

// Whether the job's source is the hand-feed tray of the description.
bool FromHandTray(const DeviceContext& dc) {
  settings::InputSlotMatch hand = settings::FindInputSlot(dc.Description(), "HandTray");
  return hand.option >= 0 && dc.settings.pub.dmDefaultSource == hand.bin;
}

// The position of the first option with that name, 0 when none has it.
int PositionOr0(settings::Feature feature, std::string_view name) {
  int n = settings::FindOptionNamed(feature, name);
  return n < 0 ? 0 : n;
}

// Plain paper, in any of the names the descriptions give it.
bool RegularPaper(const DeviceContext& dc) {
  settings::Feature kinds = dc.Description().Predefined(settings::kPaperKind);
  int kind = PrivI16(dc, priv::kPaperkind);
  static const std::string kPlain = ShiftJis(u"普通紙");
  return kind == PositionOr0(kinds, "Regular") || kind == PositionOr0(kinds, "RevRegular") ||
         kind == PositionOr0(kinds, kPlain);
}

}  // namespace

void WriteOutputOptionCommands(DeviceContext& dc) {
  std::uint32_t type = PrinterType(dc);
  bool colourFamily = (type == 2 || type == 5) && (!HasFunction(dc, 0x1000000) ||
                                                   !HasDeviceFlag(dc, settings::kDevPrintertype));
  bool monochrome = PrivI16(dc, priv::kColormode) == 2;
  if (colourFamily && monochrome) {
    bool imageOnly = HasPrintOption(dc, settings::kOptImageprint) || VectorOverride(dc) == 0;
    WriteLine(dc, imageOnly ? "MS-1,81,2;" : "MS-1,83,4;");
  }
  WriteDesingText(dc);
  if (!monochrome) {
    auto set = static_cast<std::size_t>(ColourSet(dc));
    std::int16_t gray = PrivI16(dc, settings::ColorSetOffset(set, priv::kSetTruegray));
    std::int16_t tone = PrivI16(dc, settings::ColorSetOffset(set, priv::kSetColortone));
    WriteVerbatim(dc, SelectedOption(dc, settings::kGrayPrint, gray).Value());
    WriteVerbatim(dc, SelectedOption(dc, settings::kColorTone, tone).Value());
  }
  if (type == 2) {
    WriteVerbatim(dc, AfterSlash(OutputBinOption(dc).Value()));
    if (DeviceModel(dc) == 39 || FromHandTray(dc)) WriteVerbatim(dc, PaperKindOption(dc).Value());
  }
  if (dc.settings.pub.dmDefaultSource != 7) {
    WriteLine(dc, PrivI16(dc, priv::kImagerotate) != 0 ? "MS-1,93,1;" : "MS-1,93,2;");
  }
  if (dc.Description().Predefined(settings::kDeviceOption).FindOption("3binRev") >= 0) {
    WriteReversedBinCommand(dc);
  }
}

void WriteReversedBinCommand(DeviceContext& dc) {
  const unsigned char* b = dc.settings.priv;
  std::uint32_t count =
      std::min<std::uint32_t>(settings::GetU32(b, priv::kOptionCount), priv::kDeviceOptionCount);
  for (std::uint32_t i = 0; i < count; ++i) {
    bool installed = settings::GetI32(b, settings::DeviceOptionOffset(i, priv::kOptFlag)) == 1;
    if (!installed || settings::GetWideText(b, settings::DeviceOptionOffset(i, priv::kOptName),
                                            priv::kOptNameChars) != u"3binRev") {
      continue;
    }
    // Special paper from the hand-feed tray is never delivered reversed.
    if (HasPrintOption(dc, settings::kOptRevprint) && !(FromHandTray(dc) && !RegularPaper(dc))) {
      WriteLine(dc, "MS-1,94,1;");
      return;
    }
    break;
  }
  WriteLine(dc, "MS-1,94,2;");
}

void WritePrintModeInvocation(DeviceContext& dc) {
  WriteVerbatim(dc, SelectedOption(dc, settings::kPrintMode, PrivI32(dc, priv::kSmooth)).Value());
}

void WriteDesingText(DeviceContext& dc) { WriteVerbatim(dc, AfterSlash(DesingOption(dc).Value())); }

void WriteOutputBinText(DeviceContext& dc) {
  static const std::string kSystemDefault = ShiftJis(u"ｼｽﾃﾑﾃﾞﾌｫﾙﾄ ");
  static const std::string kPrinterSetting = ShiftJis(u"ﾌﾟﾘﾝﾀｰの設定にしたがう ");
  settings::Option bin = OutputBinOption(dc);
  if (OptionNamed(bin, kSystemDefault) || OptionNamed(bin, kPrinterSetting)) {
    WriteVerbatim(dc, AfterSlash(bin.Value()));
  }
}

void WritePaperKindText(DeviceContext& dc) {
  WriteVerbatim(dc, AfterSlash(PaperKindOption(dc).Value()));
}

}  // namespace render::jobcontrol
