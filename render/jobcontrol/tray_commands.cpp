// Tray, roll and pen commands in the device's escape framing: the size of a
// custom sheet from a tray ("5" width "," length ",T") or cut from a roll
// (",R"), the paper kind of the hand-feed tray ("6T," name), and the pens that
// draw in the second (red) ink ("*" pen ",2").
#include <string>

#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

void WriteSheetSize(DeviceContext& dc, std::int32_t width, std::int32_t length, char feed) {
  char text[40] = {};
  FormatInto(text, sizeof text, "5%d,%d,%c", {width, length, feed});
  WriteFramed(dc, text);
}

void WriteFreeSize(DeviceContext& dc, char feed) {
  WriteSheetSize(dc, PrivI16(dc, priv::kFreeYoko), PrivI16(dc, priv::kFreeTate), feed);
}

void WriteUserSize(DeviceContext& dc, char feed) {
  WriteSheetSize(dc, PrivI16(dc, priv::kFreeYousiy), PrivI16(dc, priv::kFreeYousit), feed);
}

void WriteHandTrayPaper(DeviceContext& dc, std::string_view name) {
  WriteFramed(dc, "6T," + std::string(name));
}

settings::Option PaperKindOption(const DeviceContext& dc) {
  return SelectedOption(dc, settings::kPaperKind, PrivI16(dc, priv::kPaperkind));
}

const std::string& HandTrayName() {
  static const std::string kName = ShiftJis(u"手差しﾄﾚｲ");
  return kName;
}

bool PaperSizeChange(const DeviceContext& dc) {
  return HasPrintOption(dc, settings::kOptPapersizechange);
}

void WritePenCommands(DeviceContext& dc) {
  for (std::size_t pen = 0; pen < priv::kPenCount; ++pen) {
    std::int32_t colour = PrivI32(dc, settings::PenOffset(pen, priv::kPenColor));
    std::int32_t ink = PrivI32(dc, settings::PenOffset(pen, priv::kPenIro));
    // Colour index 24 is "no colour": such a pen never draws in red.
    if (colour == 24 || ink != 1) continue;
    char text[16] = {};
    FormatInto(text, sizeof text, "*%u,2", {static_cast<std::uint32_t>(pen)});
    WriteFramed(dc, text);
  }
}

void WriteImageInRed(DeviceContext& dc) {
  if (PrivI32(dc, priv::kPenimage) == 0) return;
  WriteFramed(dc, "*25,2");
  WriteFramed(dc, "*26,2");
}

}  // namespace

void WriteCustomSizeTray(DeviceContext& dc) {
  if (!HasFunction(dc, 0x20) || dc.settings.pub.dmPaperSize != 256 || !PaperSizeChange(dc)) return;
  static const std::string kMultiTray = ShiftJis(u"ﾏﾙﾁﾄﾚｲ");
  int source = SourceNumber(dc);
  for (settings::Option o = dc.Description().Predefined(settings::kInputSlot).FirstOption(); o;
       o = o.Next()) {
    std::string_view tray = SlotTrayName(o);
    if (SlotNumber(o) == source && (tray == HandTrayName() || tray == kMultiTray)) {
      WriteFreeSize(dc, 'T');
      return;
    }
  }
}

void WritePaperLinkTray(DeviceContext& dc) {
  if (!HasFunction(dc, 0x20)) return;
  settings::Option slot = SlotWithNumber(dc, SourceNumber(dc));
  if (slot && (!PaperSizeChange(dc) || SlotTrayName(slot) != HandTrayName())) return;
  if (YoushiIsPaperLink(dc) && IsCustomSizeCode(dc.settings.pub.dmPaperSize)) {
    WriteFreeSize(dc, 'T');
  } else if (YoushiIsUserSize(dc)) {
    WriteUserSize(dc, 'T');
  }
}

void WriteRoleTray(DeviceContext& dc) {
  std::string_view kind = SlotKind(SlotWithNumber(dc, SourceNumber(dc)));
  settings::Option paper = PaperKindOption(dc);
  std::string_view paperName = BeforeSlash(paper.Value());
  if (kind == "Auto") {
    WriteVerbatim(dc, AfterSlash(paper.Value()));
  } else if (kind == "Role") {
    return;
  }
  if (kind == "Hand" && DeviceModel(dc) == 9 && paper.Name() == "Recycle") paperName = "0";
  bool paperLink = YoushiIsPaperLink(dc);
  auto writeSize = [&](char feed) {
    if (paperLink) {
      WriteFreeSize(dc, feed);
    } else {
      WriteUserSize(dc, feed);
    }
  };
  if (OnCustomPaper(dc)) {
    if (kind == "Free") {
      writeSize('R');
      return;
    }
    if (kind != "Hand") return;
    if (PaperSizeChange(dc)) writeSize('T');
  } else if (kind != "Hand") {
    return;
  }
  WriteHandTrayPaper(dc, paperName);
}

void WriteOlderWideTray(DeviceContext& dc) {
  std::string_view kind = SlotKind(SlotWithNumber(dc, SourceNumber(dc)));
  bool customCode = dc.settings.pub.dmPaperSize == 256;
  settings::Option paper = PaperKindOption(dc);
  if (kind == "Free") {
    if (customCode) WriteFreeSize(dc, 'R');
  } else if (kind == "Hand") {
    if (customCode && PaperSizeChange(dc)) WriteFreeSize(dc, 'T');
    WriteHandTrayPaper(dc, BeforeSlash(paper.Value()));
  } else if (kind == "Auto") {
    WriteVerbatim(dc, AfterSlash(paper.Value()));
  }
}

void WriteRedInkPalette(DeviceContext& dc) {
  WritePenCommands(dc);
  WriteFramed(dc, "*31,2");
  WriteImageInRed(dc);
}

void WriteSecondPenPalette(DeviceContext& dc) {
  WritePenCommands(dc);
  std::size_t word = settings::priv::kCharblack + 2 * static_cast<std::size_t>(ColourSet(dc));
  if (PrivI16(dc, word) != 0 && PrivI32(dc, priv::kFont) != 0) WriteFramed(dc, "*31,2");
  WriteImageInRed(dc);
}

}  // namespace render::jobcontrol
