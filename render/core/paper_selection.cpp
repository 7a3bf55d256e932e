// The paper selection command: a standard size by name ("5@"), a free size in
// millimetres ("53,"), a size for the manual or multi-purpose tray with its
// orientation code ("52@"), and the rotation request ("5@CT"). Which of them a
// page gets depends on the model, the paper source and the paper named.
#include "render/core/paper_selection.h"

#include <string>
#include <string_view>

#include "render/core/device_context.h"
#include "render/core/tray_size_table.h"
#include "settings/features.h"
#include "settings/paper.h"
#include "settings/paper_tables.h"

namespace render {

namespace {

using settings::GetI16;
namespace priv = settings::priv;

// Names and codes reach the printer as 8-bit texts of at most 31 characters.
constexpr std::size_t kNameChars = 31;

// What the commands of one page are chosen from.
struct Page {
  const settings::SettingsRecord& record;
  settings::Description d;
  OutputChannel& out;
  int model;
  std::string youshi;    // 8-bit
  std::string pageName;  // dmFormName with paper link, else youshi; 8-bit
  std::string paperKind;
  bool standardSource;
  bool paperLink;
  bool userSize;  // youshi begins with "USER" or "OSUSER"
  bool custom;
  bool orderable;

  int PrivI16(std::size_t offset) const { return GetI16(record.priv, offset); }
  bool Option(std::uint16_t bit) const {
    return (settings::GetU16(record.priv, priv::kPrintOptions) & bit) != 0;
  }
};

// Every command is framed as 1B 12, text, 1B 20; the opening pair goes out as a
// write of its own.
void WriteCommand(OutputChannel& out, const char* format,
                  std::initializer_list<FormatArg> args = {}) {
  WriteBytes(out, "\x1B\x12", 2);
  WriteFormatted(out, format, args);
  WriteBytes(out, "\x1B\x20", 2);
}

// Whether a paper-link size may be asked for by name: every size on the roll
// printers (type 3); types 7 and 8 and the other types each leave out a few
// codes of their own.
bool Orderable(const settings::Description& d, int paperSize) {
  auto listed = [paperSize](std::initializer_list<int> codes) {
    for (int c : codes) {
      if (c == paperSize) return true;
    }
    return false;
  };
  std::uint32_t type = d.PrinterType();
  if (type == 3) return true;
  if (type == 7 || type == 8) return !listed({267, 268, 280, 281});
  return !listed({66, 267, 268, 269, 280, 281, 512, 513});
}

// The invocation string of the PaperKind option at index `paperkind`, whole:
// the paper commands carry the label with the kind ("5@A3Thick/T"), unlike the
// device commands, which send only the text after the slash.
std::string PaperKindText(const settings::Description& d, int paperkind) {
  if (paperkind < 0) return {};
  settings::Option o = d.Predefined(settings::kPaperKind).OptionAt(paperkind);
  return std::string(o.Value());
}

Page ReadPage(const settings::SettingsRecord& r, const settings::Description& d,
              OutputChannel& out) {
  Page p{r,     d,     out,  static_cast<int>(d.LanguageLevel()), {}, {}, {}, false, false,
         false, false, false};
  std::u16string youshi = settings::GetWideText(r.priv, priv::kYoushi, priv::kYoushiChars);
  std::u16string_view form(r.pub.dmFormName, CCHFORMNAME);
  form = form.substr(0, form.find(u'\0'));
  p.youshi = settings::WideToAnsi(youshi, kNameChars);
  p.paperLink = youshi == u"PAPER_LINK";
  p.pageName = p.paperLink ? settings::WideToAnsi(form, kNameChars) : p.youshi;
  p.paperKind = PaperKindText(d, p.PrivI16(priv::kPaperkind));
  p.standardSource = r.pub.dmDefaultSource < 256;
  p.userSize = youshi.starts_with(u"USER") || youshi.starts_with(u"OSUSER");
  p.custom = p.paperLink ? settings::IsCustomPaperCode(r.pub.dmPaperSize) : p.userSize;
  p.orderable = !p.paperLink || Orderable(d, r.pub.dmPaperSize);
  return p;
}

// The tray command: only when the page comes from the first of the manual or
// multi-purpose trays that the printer has, and the printer may change the
// paper size there.
void HandTray(const Page& p) {
  if (!p.Option(settings::kOptPapersizechange)) return;
  for (std::string_view name : {"MultiTray", "HandTray", "HAND_0-0", "Hand"}) {
    settings::InputSlotMatch slot = settings::FindInputSlot(p.d, name);
    if (slot.option < 0) continue;
    if (slot.bin != p.record.pub.dmDefaultSource) return;
    const SelectionPattern& pattern = SelectionPatternOf(p.model);
    const char* code = TrayCode(pattern, p.pageName, p.Option(settings::kOptDirectionside));
    if (code == nullptr || *code == '\0') return;
    if (pattern.kindSuffix) {
      WriteCommand(p.out, "52@%s%s", {code, p.paperKind.c_str()});
    } else {
      WriteCommand(p.out, "52@%s", {code});
    }
    return;
  }
}

void Rotation(const Page& p) {
  if (p.PrivI16(priv::kImagerotate) == 1) WriteCommand(p.out, "5@CT");
}

// A free size is turned when its sides disagree with the page's orientation.
void Orientation(const Page& p) {
  const DEVMODEW& pub = p.record.pub;
  if (!(pub.dmFields & DM_ORIENTATION)) return;
  int tate = p.PrivI16(priv::kFreeTate);
  int yoko = p.PrivI16(priv::kFreeYoko);
  bool landscape = pub.dmOrientation == 2;
  if ((!landscape && tate < yoko) || (landscape && tate >= yoko)) WriteCommand(p.out, "5@CT");
}

void WriteName(const Page& p, const std::string& name) {
  WriteCommand(p.out, "5@%s", {name.c_str()});
}

void WriteNameAndKind(const Page& p, const std::string& name) {
  WriteCommand(p.out, "5@%s%s", {name.c_str(), p.paperKind.c_str()});
}

// Models 5, 8, 9, 16, 89, 97, 98, 101-104: free sizes go out in millimetres.
void SelectNamedOrFree(const Page& p) {
  if (!p.standardSource) {
    if (!p.custom) HandTray(p);
    Rotation(p);
    return;
  }
  if (p.custom && p.paperLink) {
    WriteCommand(p.out, "53,%d,%d@FRE", {p.PrivI16(priv::kFreeYoko), p.PrivI16(priv::kFreeTate)});
    return;
  }
  if (p.custom) {
    WriteCommand(p.out, "53,%d,%d@FRE",
                 {p.PrivI16(priv::kFreeYousiy), p.PrivI16(priv::kFreeYousit)});
    return;
  }
  if (p.orderable) WriteName(p, p.pageName);
}

// Models 6, 7, 11, 12, 15, 17-28, 90-96.
void SelectWithKind(const Page& p) {
  if (!p.standardSource) {
    HandTray(p);
  } else if (p.orderable) {
    WriteNameAndKind(p, p.pageName);
  }
}

// Models 10, 14, 87, 88, 99, 100: free sizes are not asked for by name.
void SelectWithKindNoFree(const Page& p) {
  if (!p.standardSource) {
    if (!p.custom) HandTray(p);
    Rotation(p);
    return;
  }
  if (!p.custom && p.orderable) WriteNameAndKind(p, p.pageName);
}

// Models 29-36, 39, 43, 49, 50, 56, 57, 62.
void SelectStandardOnly(const Page& p) {
  if (p.standardSource) WriteName(p, p.youshi);
}

// The tray side of models 37, 44, 45, 51, 59, 60: a free size (256) is only
// turned to the page's orientation.
void SelectTrayOrOriented(const Page& p) {
  if (p.record.pub.dmPaperSize == settings::kPaperOsUser) {
    Orientation(p);
    return;
  }
  HandTray(p);
  Rotation(p);
}

// Models 37 and 51.
void SelectOrientedNoFree(const Page& p) {
  if (!p.standardSource) {
    SelectTrayOrOriented(p);
  } else if (p.record.pub.dmPaperSize != settings::kPaperOsUser) {
    WriteName(p, p.youshi);
  }
}

// Models 44, 45, 59, 60.
void SelectOriented(const Page& p) {
  if (p.standardSource) {
    WriteName(p, p.youshi);
  } else {
    SelectTrayOrOriented(p);
  }
}

// Every other model.
void SelectDefault(const Page& p) {
  if (!p.standardSource) {
    HandTray(p);
  } else {
    WriteNameAndKind(p, p.youshi);
  }
}

struct ModelBranch {
  int first, last;
  void (*select)(const Page&);
};
// clang-format off
constexpr ModelBranch kBranches[] = {
    {  5,   5, SelectNamedOrFree}, {  8,   9, SelectNamedOrFree}, { 16,  16, SelectNamedOrFree},
    { 89,  89, SelectNamedOrFree}, { 97,  98, SelectNamedOrFree}, {101, 104, SelectNamedOrFree},
    {  6,   7, SelectWithKind},    { 11,  12, SelectWithKind},    { 15,  15, SelectWithKind},
    { 17,  28, SelectWithKind},    { 90,  96, SelectWithKind},
    { 10,  10, SelectWithKindNoFree}, { 14,  14, SelectWithKindNoFree},
    { 87,  88, SelectWithKindNoFree}, { 99, 100, SelectWithKindNoFree},
    { 29,  36, SelectStandardOnly}, { 39,  39, SelectStandardOnly}, { 43,  43, SelectStandardOnly},
    { 49,  50, SelectStandardOnly}, { 56,  57, SelectStandardOnly}, { 62,  62, SelectStandardOnly},
    { 37,  37, SelectOrientedNoFree}, { 51,  51, SelectOrientedNoFree},
    { 44,  45, SelectOriented},       { 59,  60, SelectOriented},
};
// clang-format on

}  // namespace

void WritePaperSelection(const settings::SettingsRecord& record, const settings::Description& d,
                         OutputChannel& out) {
  std::uint32_t model = d.LanguageLevel();
  if (model < 1 || model > 104) return;
  Page page = ReadPage(record, d, out);
  for (const ModelBranch& b : kBranches) {
    if (page.model >= b.first && page.model <= b.last) {
      b.select(page);
      return;
    }
  }
  SelectDefault(page);
}

void WritePaperSelection(DeviceContext& dc) {
  WritePaperSelection(dc.settings, dc.Description(), dc.output);
}

}  // namespace render
