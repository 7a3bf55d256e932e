// Names of the device's own commands.
#include "tools/preview/device_commands.h"

#include "tools/preview/display_text.h"

namespace preview {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Framed texts, by their fixed beginning; the first row that matches names it.
struct FramedRow {
  std::string_view prefix;
  std::string_view suffix;
  const char* meaning;
};

// clang-format off
constexpr FramedRow kFramedCommands[] = {
    {kLanguageSwitch, "",    "switch the device to KX-GL/2"},
    {"!1@R00",        "",    "end of a job kept in the job binder"},
    {"!",             "",    "return to the device's emulation"},
    {"?5",            ",T",  "paper of this size (mm) from a tray"},
    {"?5",            ",R",  "roll paper cut to this size (mm)"},
    {"?6T,",          "",    "paper kind for the hand-feed tray"},
    {"?*",            ",2",  "pen drawn in the second (red) ink"},
    {"?f1,1",         "",    "following drawing in the second (red) ink"},
    {"?f1,0",         "",    "following drawing in the first ink"},
    {"?f",            "",    "end of the ink switch"},
    {"5@CT",          "",    "turn the page"},
    {"52@",           "",    "paper size for the hand-feed tray"},
    {"53,",           "@FRE", "free paper size (mm)"},
    {"5@",            "",    "paper size"},
};

// The "MS-1" commands by their second number.
struct MsRow {
  int number;
  const char* meaning;
};

constexpr MsRow kMsCommands[] = {
    {1,  "resolution (dpi)"},
    {6,  "colour mode (11,1 monochrome; 11,2 colour; 11,3 and 11,4 extended)"},
    {7,  "origin shift across"},
    {8,  "origin shift down"},
    {20, "scale (percent)"},
    {21, "horizontal scale factor (percent)"},
    {22, "vertical scale factor (percent)"},
    {23, "hard clip"},
    {24, "roll feed"},
    {25, "roll feed"},
    {26, "device set-up"},
    {30, "device font"},
    {40, "media set-up"},
    {41, "media set-up"},
    {42, "mirror (1 mirrored, 2 normal)"},
    {43, "paper feed (1 selected source, 3 automatic, 5,1 automatic on custom paper)"},
    {47, "centring mode"},
    {49, "centring"},
    {72, "red image print"},
    {81, "monochrome print on a colour device"},
    {83, "monochrome print on a colour device"},
    {93, "image rotation (1 turned, 2 as sent)"},
    {94, "reversed third bin (1 on, 2 off)"},
    {95, "top margin on custom paper (mm)"},
    {96, "bottom margin on custom paper (mm)"},
    {97, "left margin on custom paper (mm)"},
    {98, "right margin on custom paper (mm)"},
    {99, "placement on custom paper"},
};
// clang-format on

}  // namespace

std::string DescribeFramedCommand(std::string_view text) {
  for (const FramedRow& row : kFramedCommands) {
    if (StartsWith(text, row.prefix) && text.size() >= row.prefix.size() + row.suffix.size() &&
        EndsWith(text, row.suffix)) {
      std::string meaning = row.meaning;
      std::string_view value =
          text.substr(row.prefix.size(), text.size() - row.prefix.size() - row.suffix.size());
      if (!value.empty() && row.prefix != kLanguageSwitch) meaning += ": " + DisplayText(value);
      return meaning;
    }
  }
  return {};
}

std::string DescribeMsCommand(std::span<const double> params) {
  if (params.size() < 2 || params[0] != -1) return {};
  for (const MsRow& row : kMsCommands) {
    if (params[1] == row.number) return row.meaning;
  }
  return {};
}

}  // namespace preview
