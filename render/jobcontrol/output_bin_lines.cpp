// The PJL lines of the output bin, the folder and the fold stamp, inside the PJL
// part of the job header. The text after the slash of an OutputBin option is the
// printer's own PJL line for that bin.
#include <string>

#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"
#include "settings/features.h"
#include "settings/paper.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

settings::Option OutputBinOption(const DeviceContext& dc) {
  return SelectedOption(dc, settings::kOutputBin, PrivI32(dc, priv::kDestination));
}

// A PJL line that an option text carries. An empty text writes no line: a line
// that does not start with "@PJL" would end the PJL part of the job there.
void WriteTextLine(DeviceContext& dc, std::string_view text) {
  if (text.empty()) return;
  std::string copy(text);
  WriteLine(dc, "%s\n", {copy.c_str()});
}

std::uint32_t DeviceOptionCount(const DeviceContext& dc) {
  return settings::GetU32(dc.settings.priv, priv::kOptionCount);
}

bool Installed(const DeviceContext& dc, std::u16string_view name) {
  return settings::IsInstalled(dc.settings.priv, DeviceOptionCount(dc), name);
}

// A keyword read as a decimal number; anything but digits reads as 0.
std::int64_t KeywordNumber(std::string_view keyword) {
  if (keyword.empty() || keyword.size() > 9) return 0;
  std::int64_t n = 0;
  for (char c : keyword) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

void WriteFoldOutputLine(DeviceContext& dc) {
  std::int16_t combination = PrivI16(dc, priv::kOriCombo);
  for (settings::Option o = dc.Description().Predefined(settings::kFoldOutput).FirstOption(); o;
       o = o.Next()) {
    if (KeywordNumber(o.Name()) == combination) {
      WriteTextLine(dc, AfterSlash(o.Value()));
      return;
    }
  }
}

void WriteCopierFold(DeviceContext& dc, bool on) {
  WriteLine(dc, on ? "@PJL SET COPIERFOLD = ON\n" : "@PJL SET COPIERFOLD = OFF\n");
}

// The selected bin's keyword, label and text; none when the keyword or the label
// is empty.
struct BinTexts {
  std::string_view keyword, label, text;
};
bool ReadBinTexts(const DeviceContext& dc, BinTexts* bin) {
  settings::Option o = OutputBinOption(dc);
  *bin = {o.Name(), BeforeSlash(o.Value()), AfterSlash(o.Value())};
  return !bin->keyword.empty() && !bin->label.empty();
}

}  // namespace

void WriteFoldLines(DeviceContext& dc) {
  WriteFoldOutputLine(dc);
  settings::Description d = dc.Description();
  if (PrivI16(dc, priv::kBindCheck) == 0) {
    WriteLine(dc, "@PJL SET FOLDMARGIN=0\n");
  } else {
    settings::Feature margins = d.Predefined(settings::kFoldFileMargin);
    int n = margins.FindOption("Default");
    if (n >= 0) {
      std::string code(margins.OptionAt(n).Value());
      WriteLine(dc, "%s%d\n",
                {code.c_str(), static_cast<std::int32_t>(PrivI16(dc, priv::kBindValue))});
    }
  }
  settings::Option stamp =
      SelectedOption(dc, settings::kFoldStampSet, PrivI16(dc, priv::kHardStamp));
  if (stamp) WriteTextLine(dc, stamp.Value());
}

void WritePlainOutputBinLines(DeviceContext& dc) {
  static const std::string kSystemDefault = ShiftJis(u"ｼｽﾃﾑﾃﾞﾌｫﾙﾄ ");
  static const std::string kPrinterSetting = ShiftJis(u"ﾌﾟﾘﾝﾀｰの設定にしたがう ");
  static const std::string kFolderSetting = ShiftJis(u"折機設定に従う ");
  static const std::string kFoldTray = ShiftJis(u"紙折排紙ﾄﾚｲ ");
  settings::Option bin = OutputBinOption(dc);
  if (!bin || OptionNamed(bin, kSystemDefault) || OptionNamed(bin, "dummy ") ||
      OptionNamed(bin, kPrinterSetting)) {
    return;
  }
  WriteTextLine(dc, AfterSlash(bin.Value()));
  if (DeviceModel(dc) != 37) return;
  WriteCopierFold(dc, OptionNamed(bin, kFolderSetting));
  if (OptionNamed(bin, kFoldTray)) WriteFoldLines(dc);
}

void WriteUpperBinLines(DeviceContext& dc) {
  BinTexts bin;
  if (!ReadBinTexts(dc, &bin)) return;
  // A folder that is not listed counts as fitted.
  int flag = 1;
  settings::InstalledState(dc.settings.priv, DeviceOptionCount(dc), u"Fold", &flag);
  if (flag != 1) {
    if (bin.label == "Fold") {
      WriteLine(dc, "@PJL SET OUTBIN=UPPER\n");
    } else {
      WriteTextLine(dc, bin.text);
    }
    WriteCopierFold(dc, false);
  } else if (bin.keyword == "Back") {
    WriteLine(dc, "@PJL SET OUTBIN=UPPER\n");
    WriteCopierFold(dc, false);
  } else {
    WriteTextLine(dc, bin.text);
    WriteCopierFold(dc, bin.keyword == "Fold");
    if (bin.keyword == "Folding") WriteFoldLines(dc);
  }
}

void WriteFoldAndStampLines(DeviceContext& dc) {
  BinTexts bin;
  if (!ReadBinTexts(dc, &bin)) return;
  bool folder = Installed(dc, u"FoldJava") || Installed(dc, u"FoldFld");
  WriteTextLine(dc, bin.text);
  int source = dc.settings.pub.dmDefaultSource;
  settings::InputSlotMatch hand = settings::FindInputSlot(dc.Description(), "Hand");
  bool stamps = HasFunction(dc, 0x4000000);
  // Sheets from the hand-feed tray and automatic selection never reach the folder.
  if (folder && bin.keyword == "FoldJava" && source != 7 &&
      (hand.option < 0 || source != hand.bin)) {
    WriteFoldOutputLine(dc);
    if (stamps) {
      WriteLine(dc, HasDeviceFlag(dc, settings::kDevOriStamp) ? "@PJL SET STAMP = ON\n"
                                                              : "@PJL SET STAMP = OFF\n");
    }
    return;
  }
  WriteLine(dc, "@PJL SET FOLD = OFF\n");
  if (stamps) WriteLine(dc, "@PJL SET STAMP = OFF\n");
}

}  // namespace render::jobcontrol
