// The merge header: paper code and dimensions, paper source code, layout.
#include "render/jobcontrol/merge_header.h"

#include <cstring>
#include <string>
#include <vector>

#include "render/jobcontrol/command_inputs.h"
#include "settings/byte_order.h"
#include "settings/features.h"
#include "settings/paper_tables.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

// The tray that stands for the cut-paper tray when a role is installed: the
// first role of the device-option table that is installed decides.
struct RoleTray {
  const char16_t* role;
  const char16_t* tray;
};
constexpr RoleTray kRoleTrays[] = {{u"Role1", u"ﾄﾚｲ4"}, {u"Role2", u"ﾄﾚｲ7"}};
constexpr const char16_t* kCutPaperTray = u"ｶｯﾄ紙ﾄﾚｲ";

// Tray names (either of the two) and the source codes the job-binder
// application knows them by.
struct MergeTray {
  const char16_t* name;
  const char16_t* secondName;
  std::int32_t code;
};
// clang-format off
constexpr MergeTray kMergeTrays[] = {
    {u"自動ﾄﾚｲ切替",        u"Auto Tray Select",    7},
    {u"自動ﾄﾚｲ選択",        u"Auto Tray Select",    7},
    {u"手差しﾄﾚｲ",          u"Bypass Tray",         4},
    {u"手差し",             u"Bypass",              4},
    {u"ﾄﾚｲ1",               u"Tray 1",            260},
    {u"ﾄﾚｲ2",               u"Tray 2",            261},
    {u"ﾄﾚｲ3",               u"Tray 3",            262},
    {u"ﾄﾚｲ4",               u"Tray 4",            263},
    {u"ﾄﾚｲ5",               u"Tray 5",            264},
    {u"ﾄﾚｲ6",               u"トレイ６",          265},
    {u"ﾄﾚｲ7",               u"Tray 7",            266},
    {u"ﾄﾚｲ8",               u"トレイ８",          267},
    {u"ﾄﾚｲ9",               u"トレイ９",          268},
    {u"ﾄﾚｲ10",              u"トレイ１０",        269},
    {u"ﾄﾚｲ11",              u"トレイ１１",        270},
    {u"ﾄﾚｲ12",              u"トレイ１２",        271},
    {u"ﾛｰﾙ紙1(定形ﾀﾃ)",     u"Roll 1(Portrait)",  260},
    {u"ﾛｰﾙ紙1(定形ﾖｺ)",     u"Roll 1(Landscape)", 261},
    {u"ﾛｰﾙ紙1(不定形)",     u"Roll 1(Others)",    262},
    {u"ﾛｰﾙ紙2(定形ﾀﾃ)",     u"Roll 2(Portrait)",  263},
    {u"ﾛｰﾙ紙2(定形ﾖｺ)",     u"Roll 2(Landscape)", 264},
    {u"ﾛｰﾙ紙2(不定形)",     u"Roll 2(Others)",    265},
    {u"ﾛｰﾙ紙3(定形ﾀﾃ)",     u"Roll 3(Portrait)",  266},
    {u"ﾛｰﾙ紙3(定形ﾖｺ)",     u"Roll 3(Landscape)", 267},
    {u"ﾛｰﾙ紙3(不定形)",     u"Roll 3(Others)",    268},
    {u"ﾛｰﾙ紙4(定形ﾀﾃ)",     u"Roll 4(Portrait)",  269},
    {u"ﾛｰﾙ紙4(定形ﾖｺ)",     u"Roll 4(Landscape)", 270},
    {u"ﾛｰﾙ紙4(不定形)",     u"Roll 4(Others)",    271},
    {u"ｶｯﾄ紙ﾄﾚｲ",           u"Cut Paper Tray",    263},
    {u"ｶｯﾄ紙ﾄﾚｲ1",          u"Cut Paper Tray 1",  266},
    {u"ｶｯﾄ紙ﾄﾚｲ2",          u"Cut Paper Tray 2",  267},
};
// clang-format on

// The merge tray names as the descriptions hold them (Shift-JIS), converted
// once: two per row.
const std::vector<std::string>& MergeTrayNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const MergeTray& t : kMergeTrays) {
      all.push_back(ShiftJis(t.name));
      all.push_back(ShiftJis(t.secondName));
    }
    return all;
  }();
  return names;
}

MergePaper FormPaper(const DeviceContext& dc, std::u16string_view name) {
  if (const settings::DriverPaper* p = settings::FindDriverPaperByName(name, false)) {
    return {p->code, p->length / 1000, p->width / 1000};
  }
  if (PrinterType(dc) == 3 && HasFunction(dc, 0x80000)) return {268, 841, 594};
  return {8, 420, 297};
}

// The tray name an option names, with the cut-paper tray taken by its role.
std::string TrayNameOf(const DeviceContext& dc, settings::Option slot) {
  std::string tray(SlotTrayName(slot));
  if (tray != ShiftJis(kCutPaperTray)) return tray;
  std::uint32_t count = settings::GetU32(dc.settings.priv, priv::kOptionCount);
  for (const RoleTray& r : kRoleTrays) {
    if (settings::IsInstalled(dc.settings.priv, count, r.role)) return ShiftJis(r.tray);
  }
  return tray;
}

}  // namespace

MergePaper MergePaperOf(const DeviceContext& dc) {
  const DEVMODEW& pub = dc.settings.pub;
  const unsigned char* p = dc.settings.priv;
  if (YoushiIsPaperLink(dc)) {
    if (IsCustomSizeCode(pub.dmPaperSize)) {
      return {256, settings::GetI16(p, priv::kFreeTate), settings::GetI16(p, priv::kFreeYoko)};
    }
    return FormPaper(dc, platform::WideView(pub.dmFormName, CCHFORMNAME));
  }
  if (YoushiIsUserSize(dc)) {
    return {256, settings::GetI16(p, priv::kFreeYousit), settings::GetI16(p, priv::kFreeYousiy)};
  }
  return FormPaper(dc, settings::GetWideText(p, priv::kYoushi, priv::kYoushiChars));
}

std::int32_t MergeSourceCode(const DeviceContext& dc) {
  int number = dc.settings.pub.dmDefaultSource;
  settings::Feature slots = dc.Description().Predefined(settings::kInputSlot);
  const std::vector<std::string>& names = MergeTrayNames();
  for (settings::Option o = slots ? slots.FirstOption() : settings::Option(); o; o = o.Next()) {
    if (SlotNumber(o) != number) continue;
    std::string tray = TrayNameOf(dc, o);
    for (std::size_t row = 0; row < std::size(kMergeTrays); ++row) {
      if (tray == names[2 * row] || tray == names[2 * row + 1]) return kMergeTrays[row].code;
    }
  }
  return number;
}

void BuildMergeHeader(const DeviceContext& dc, unsigned char* header) {
  std::memset(header, 0, kMergeHeaderSize);
  // The signature text with its terminating zero.
  std::memcpy(header, "MOBRA merge file header", 24);
  settings::StoreU32(header + merge::kVersion, 101);
  settings::StoreU32(header + merge::kOrientation, dc.settings.pub.dmOrientation == 2 ? 1 : 0);
  MergePaper paper = MergePaperOf(dc);
  settings::StoreI32(header + merge::kPaperCode, paper.code);
  settings::StoreI32(header + merge::kFirstDimension, paper.first);
  settings::StoreI32(header + merge::kSecondDimension, paper.second);
  settings::StoreI32(header + merge::kSourceCode, MergeSourceCode(dc));
  settings::StoreU32(header + merge::kTail, 2);
}

}  // namespace render::jobcontrol
