// qx desc: loads a printer description the way the driver does (through its
// cache file) and shows it, for a person or, with --json, for programs.
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/base/text.h"
#include "platform/modules/modules.h"
#include "resources/module_resources.h"
#include "settings/description.h"
#include "settings/description_cache.h"
#include "settings/features.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "tools/qx/command.h"

namespace qx {

namespace {

using nlohmann::ordered_json;
using settings::Description;
using settings::DeviceFont;
using settings::Feature;
using settings::JobPatchFile;
using settings::Option;

struct DescOptions {
  std::string file;
  bool json = false;
  bool noCache = false;
  std::vector<std::string> conflicts;  // FEATURE=OPTION document (or installable) choices
};

// Names of the PrinterFunction bits as this tool shows them.
// clang-format off
constexpr const char* kFunctionBits[32] = {
    "job binder and filter", "date and user ID", "user code", "device trays",
    "device rotation", "custom sizes", "track ID", "print log",
    nullptr, "pass-through", "user ID in settings", nullptr,
    "image reduction", "extended commands", "image print resolution", "merge control",
    "stamps", "scale in tenths", "user sizes", "paper link",
    "Windows-font stamps", "authentication", nullptr, "device job class",
    "tray masks", "fold and stamp lines", "STAMP line", "context help",
    nullptr, "custom-size matching", nullptr, "image direction",
};
constexpr const char* kUiTypes[] = {"Boolean", "PickOne", "PickMany"};
// clang-format on

// The description's own code page: Shift-JIS for JIS83-RKSJ, the Western page
// for ISOLatin1 and WindowsANSI, else the system's ANSI page (as the driver
// treats its texts).
UINT TextCodePage(const Description& d) {
  switch (d.LanguageEncoding()) {
    case 2:
      return 932;
    case 1:
    case 4:
      return 1252;
    default:
      return CP_ACP;
  }
}

class Texts {
 public:
  explicit Texts(UINT codePage) : codePage_(codePage) {}
  std::string operator()(std::string_view text) const {
    if (text.empty()) return {};
    int n =
        MultiByteToWideChar(codePage_, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::string(text);
    std::u16string wide(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(codePage_, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return platform::WideToUtf8(wide);
  }

 private:
  UINT codePage_;
};

std::string FunctionNames(std::uint32_t bits) {
  std::string names;
  for (int i = 0; i < 32; ++i) {
    if ((bits & (1u << i)) == 0) continue;
    if (!names.empty()) names += ", ";
    names += kFunctionBits[i] ? kFunctionBits[i] : "bit " + std::to_string(i);
  }
  return names.empty() ? "none" : names;
}

ordered_json AreaJson(const settings::PointArea& a) {
  return ordered_json::array({a.left, a.bottom, a.right, a.top});
}

ordered_json OptionJson(const Feature& f, const Option& o, const Texts& text) {
  ordered_json j;
  j["name"] = text(o.Name());
  j["translation"] = text(o.Translation());
  j["value"] = text(o.Value());
  switch (f.PredefinedIndex()) {
    case settings::kPageSize:
      j["pageRegion"] = text(o.PageRegion());
      j["paperWidth"] = o.PaperWidth();
      j["paperLength"] = o.PaperLength();
      j["imageableArea"] = AreaJson(o.ImageableArea());
      break;
    case settings::kInputSlot:
      j["pageRegionFlag"] = o.PageRegionFlag();
      break;
    case settings::kResolution:
      j["jclCode"] = text(o.JclCode());
      j["setCode"] = text(o.SetCode());
      j["screenAngle"] = o.ScreenAngle();
      j["screenFreq"] = o.ScreenFreq();
      break;
    case settings::kVMOption:
      j["memory"] = o.Memory();
      break;
    default:
      break;
  }
  return j;
}

ordered_json FeatureJson(const Feature& f, const Texts& text) {
  ordered_json j;
  j["name"] = text(f.Name());
  j["translation"] = text(f.Translation());
  j["defaultChoice"] = f.DefaultChoice();
  j["optionRecordSize"] = f.OptionRecordSize();
  j["predefinedIndex"] = f.PredefinedIndex();
  j["flags"] = f.Flags();
  j["uiType"] = f.UiType();
  j["listIndex"] = f.ListIndex();
  j["installable"] = f.Installable() ? 1 : 0;
  j["options"] = ordered_json::array();
  for (Option o = f.FirstOption(); o; o = o.Next()) j["options"].push_back(OptionJson(f, o, text));
  return j;
}

void HeaderJson(ordered_json& j, const Description& d, const Texts& text) {
  j["totalSize"] = d.TotalSize();
  j["dataFilePath"] = platform::WideToUtf8(d.DataFilePath());
  j["NickName"] = text(d.NickName());
  j["formatVersion"] = d.FormatVersion();
  j["checksum"] = d.Checksum();
  j["Protocols"] = d.Protocols();
  j["LandscapeOrientation"] = d.LandscapeOrientation();
  j["TTRasterizer"] = d.TTRasterizer();
  j["LanguageEncoding"] = d.LanguageEncoding();
  j["FreeVM"] = d.FreeVM();
  j["LanguageLevel"] = d.LanguageLevel();
  j["Password"] = text(d.Password());
  j["ExitServer"] = text(d.ExitServer());
  j["SuggestedJobTimeout"] = d.SuggestedJobTimeout();
  j["SuggestedWaitTimeout"] = d.SuggestedWaitTimeout();
  j["ColorDevice"] = d.ColorDevice() ? 1 : 0;
  j["PrintPSError"] = d.PrintPSError() ? 1 : 0;
  j["customPageSize"] = d.CustomPageSize() ? 1 : 0;
  j["hwMarginsGiven"] = d.HwMarginsGiven() ? 1 : 0;
  j["HWMargins"] = AreaJson(d.HWMargins());
  j["customPageSizeCode"] = text(d.CustomPageSizeCode());
  static constexpr const char* kParameters[] = {"Width", "Height", "WidthOffset", "HeightOffset",
                                                "Orientation"};
  for (int i = 0; i < 5; ++i) {
    settings::CustomSizeRange r = d.ParamCustomPageSize(i);
    j["ParamCustomPageSize"][kParameters[i]] = {
        {"order", r.order}, {"type", r.type}, {"minimum", r.minimum}, {"maximum", r.maximum}};
  }
  j["MaxMediaWidth"] = d.MaxMediaWidth();
  j["MaxMediaHeight"] = d.MaxMediaHeight();
  j["Extensions"] = d.Extensions();
  j["resolutionKind"] = d.ResolutionKind();
  j["ScreenAngle"] = d.ScreenAngle();
  j["ScreenFreq"] = d.ScreenFreq();
  j["JCLBegin"] = text(d.JCLBegin());
  j["JCLEnd"] = text(d.JCLEnd());
  j["JCLToPSInterpreter"] = text(d.JCLToPSInterpreter());
  j["PrinterType"] = d.PrinterType();
  j["PrinterFunction"] = d.PrinterFunction();
  j["BidiModelName"] = text(d.BidiModelName());
  j["BidiDLLName"] = text(d.BidiDLLName());
  j["documentFeatureCount"] = d.DocumentFeatureCount();
  j["installableFeatureCount"] = d.InstallableFeatureCount();
  j["fontOrder"] = d.FontOrder();
  j["PrinterPPM"] = d.PrinterPPM();
}

ordered_json DescriptionJson(const Description& d) {
  Texts text(TextCodePage(d));
  ordered_json j;
  HeaderJson(j, d, text);
  j["features"] = ordered_json::array();
  for (Feature f = d.FirstFeature(); f; f = f.Next()) j["features"].push_back(FeatureJson(f, text));
  j["constraints"] = ordered_json::array();
  for (int i = 0; i < d.ConstraintCount(); ++i) {
    settings::Constraint c = d.ConstraintAt(i);
    j["constraints"].push_back({{"feature1", c.feature1},
                                {"option1", c.option1},
                                {"feature2", c.feature2},
                                {"option2", c.option2}});
  }
  j["orderDependencies"] = ordered_json::array();
  for (int i = 0; i < d.OrderDependencyCount(); ++i) {
    settings::OrderDependency o = d.OrderDependencyAt(i);
    j["orderDependencies"].push_back(
        {{"feature", o.feature}, {"option", o.option}, {"order", o.order}, {"section", o.section}});
  }
  j["jobPatchFiles"] = ordered_json::array();
  for (JobPatchFile p = d.FirstJobPatchFile(); p; p = p.Next()) {
    j["jobPatchFiles"].push_back({{"name", text(p.Name())},
                                  {"translation", text(p.Translation())},
                                  {"value", text(p.Value())}});
  }
  std::uint8_t installable[settings::kMaxInstallable] = {};
  int filled = settings::ResolveInstallableDefaults(d, installable);
  j["installableDefaults"] = ordered_json::array();
  for (int i = 0; i < filled; ++i) j["installableDefaults"].push_back(installable[i]);
  j["modelGroups"] = {{"InModelGroupA", settings::InModelGroupA(d)},
                      {"InModelGroupB", settings::InModelGroupB(d)},
                      {"InModelGroupC", settings::InModelGroupC(d)},
                      {"InModelGroupD", settings::InModelGroupD(d)},
                      {"InModelGroupE", settings::InModelGroupE(d)}};
  j["fonts"] = ordered_json::array();
  for (DeviceFont f = d.FirstFont(); f; f = f.Next()) {
    // Display names are in the system's ANSI page, like every text the driver
    // converts from UTF-16.
    j["fonts"].push_back({{"name", text(f.Name())},
                          {"displayName", Texts(CP_ACP)(f.DisplayName())},
                          {"metricNumber", f.MetricNumber()},
                          {"encodingClass", f.EncodingClass()},
                          {"characterSet", f.CharacterSet()},
                          {"codePage", f.CodePage()},
                          {"vertical", f.Vertical()}});
  }
  return j;
}

std::string Points(std::int32_t fixed) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", fixed / 256.0);
  return buffer;
}

std::string OptionLine(const Feature& f, const Option& o, int position, const Texts& text) {
  std::string line = "    " + std::to_string(position) + " " + text(o.Name());
  if (!o.Translation().empty()) line += " \"" + text(o.Translation()) + "\"";
  if (f.PredefinedIndex() == settings::kPageSize) {
    settings::PointArea a = o.ImageableArea();
    line += "  " + Points(o.PaperWidth()) + " x " + Points(o.PaperLength()) + " pt, area " +
            Points(a.left) + " " + Points(a.bottom) + " " + Points(a.right) + " " + Points(a.top);
  }
  return line;
}

void PrintFeature(const Feature& f, const Texts& text) {
  std::string head = "  " + text(f.Name());
  if (!f.Translation().empty()) head += " \"" + text(f.Translation()) + "\"";
  head += std::string(" ") + (f.UiType() < 3 ? kUiTypes[f.UiType()] : "?");
  if (f.PredefinedIndex() == settings::kResolution) {
    head += ", default " + std::to_string(f.DefaultChoice()) + " dpi";
  } else if (Option d = f.OptionAt(static_cast<int>(f.DefaultChoice())); d) {
    head += ", default " + text(d.Name());
  }
  std::printf("%s\n", head.c_str());
  int position = 0;
  for (Option o = f.FirstOption(); o; o = o.Next()) {
    std::printf("%s\n", OptionLine(f, o, position++, text).c_str());
  }
}

std::string ChoiceName(const Description& d, int feature, int option, const Texts& text) {
  Feature f = d.FeatureAt(feature);
  std::string name = text(f.Name());
  if (option != settings::kNoOption) name += " " + text(f.OptionAt(option).Name());
  return name;
}

void PrintDescription(const Description& d) {
  Texts text(TextCodePage(d));
  std::printf("%s\n", text(d.NickName()).c_str());
  std::printf("  file %s, checksum %04X\n", platform::WideToUtf8(d.DataFilePath()).c_str(),
              d.Checksum());
  std::printf("  model %u, printer type %u, %s\n", d.LanguageLevel(), d.PrinterType(),
              d.ColorDevice() ? "colour" : "monochrome");
  std::printf("  function %08X: %s\n", d.PrinterFunction(),
              FunctionNames(d.PrinterFunction()).c_str());
  std::printf("Features (%d document, %d installable):\n", d.DocumentFeatureCount(),
              d.InstallableFeatureCount());
  for (Feature f = d.FirstFeature(); f; f = f.Next()) {
    if (f.Offset() != d.FirstFeature().Offset() && f.Installable() && f.ListIndex() == 0) {
      std::printf("Installable:\n");
    }
    PrintFeature(f, text);
  }
  std::printf("Constraints:\n");
  for (int i = 0; i < d.ConstraintCount(); ++i) {
    settings::Constraint c = d.ConstraintAt(i);
    if (c.feature1 == settings::kUnresolvedFeature) {
      std::printf("  (names that do not resolve)\n");
      continue;
    }
    std::printf("  %s rules out %s\n", ChoiceName(d, c.feature1, c.option1, text).c_str(),
                ChoiceName(d, c.feature2, c.option2, text).c_str());
  }
  std::printf("Fonts:\n");
  Texts ansi(CP_ACP);
  for (DeviceFont f = d.FirstFont(); f; f = f.Next()) {
    std::printf("  %-36s metric %4u, code page %u%s: %s\n", text(f.Name()).c_str(),
                f.MetricNumber(), f.CodePage(),
                f.Vertical() == 2   ? ", vertical twin"
                : f.Vertical() == 1 ? ", vertical"
                                    : "",
                ansi(f.DisplayName()).c_str());
  }
}

// The choices a conflict report starts from: the document features' default
// selections of a fresh settings record and the resolved installable defaults.
struct Choices {
  std::uint8_t document[settings::priv::kOptionSelCount] = {};
  std::uint8_t installable[settings::kMaxInstallable] = {};
};

Choices DefaultChoices(const Description& d) {
  Choices c;
  auto record = std::make_unique<settings::SettingsRecord>();
  settings::SetDefaultSelections(*record, d);
  std::memcpy(c.document, record->priv + settings::priv::kOptionSel, sizeof c.document);
  (void)settings::ResolveInstallableDefaults(d, c.installable);
  return c;
}

struct Choice {
  std::string text;
  int feature = 0;  // in the whole list
  int option = 0;
};

// "FEATURE=OPTION" by keywords; false with a message when a name is unknown.
bool ParseChoice(const Description& d, const std::string& text, Choice& choice) {
  std::size_t eq = text.find('=');
  if (eq == std::string::npos) {
    Fail("desc: " + text + ": expected FEATURE=OPTION");
    return false;
  }
  std::string_view name(text.data(), eq);
  std::string_view option(text.data() + eq + 1, text.size() - eq - 1);
  int number = 0;
  for (Feature f = d.FirstFeature(); f; f = f.Next(), ++number) {
    if (f.Name() != name) continue;
    int position = f.FindOption(option);
    if (position < 0 || position >= settings::SelectableOptionCount(f)) {
      Fail("desc: " + text + ": " + std::string(name) + " has no option " + std::string(option));
      return false;
    }
    choice = {text, number, position};
    return true;
  }
  Fail("desc: " + text + ": no feature " + std::string(name));
  return false;
}

// Sets the given choices, then reports the conflict code of each, with the
// conflicting feature and option named.
int RunConflicts(const Description& d, const DescOptions& options) {
  std::vector<Choice> choices;
  for (const std::string& text : options.conflicts) {
    Choice c;
    if (!ParseChoice(d, text, c)) return kExitFailure;
    choices.push_back(c);
  }
  int n = d.DocumentFeatureCount();
  Choices state = DefaultChoices(d);
  for (const Choice& c : choices) {
    int group = c.feature < n ? c.feature : c.feature - n;
    std::uint8_t* slot = c.feature < n ? state.document : state.installable;
    if (group < 64) slot[group] = static_cast<std::uint8_t>(c.option);
  }
  Texts text(TextCodePage(d));
  ordered_json report = ordered_json::array();
  for (const Choice& c : choices) {
    std::uint32_t code =
        c.feature < n
            ? settings::CheckSelection(d, state.installable, state.document, c.feature, c.option)
            : settings::CheckSelection(d, state.installable, nullptr, c.feature - n, c.option);
    ordered_json entry = {{"choice", c.text}, {"code", code}};
    std::string line = c.text + ": ";
    if (code == 0) {
      line += "no conflict";
    } else {
      int feature = static_cast<int>((code >> 8) & 0xFF);
      int option = static_cast<int>(code & 0xFF);
      const char* kind = (code >> 16) == 0x1 ? "installable" : "document";
      Feature f = d.FeatureAt(feature);
      std::string optionName = text(f.OptionAt(option).Name());
      entry["conflictKind"] = kind;
      entry["conflictFeature"] = text(f.Name());
      entry["conflictOption"] = optionName;
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", code);
      line += std::string("conflict ") + hex + " with the " + kind + " choice " + text(f.Name()) +
              " " + optionName;
    }
    report.push_back(entry);
    if (!options.json) std::printf("%s\n", line.c_str());
  }
  if (options.json) std::printf("%s\n", ordered_json({{"conflicts", report}}).dump(2).c_str());
  return 0;
}

// The tool's own module, carrying the libraries' resources (font metric records).
HMODULE ResourceModuleOfTool() {
  static HMODULE module =
      platform::RegisterModule(u"qx-desc-resources", nullptr, 0, resources::ModuleResources());
  return module;
}

int RunDesc(const DescOptions& options) {
  std::u16string path = platform::Utf8ToWide(options.file);
  void* block = options.noCache
                    ? settings::BuildDescriptionBlock(path.c_str(), ResourceModuleOfTool())
                    : settings::LoadDescription(path.c_str(), ResourceModuleOfTool(), 0);
  if (block == nullptr) {
    return Fail("desc: cannot load " + options.file + " (error " + std::to_string(GetLastError()) +
                "): not a readable printer description");
  }
  if (options.noCache) settings::ApplyFontOrder(block, 0);
  Description d(block);
  int status = 0;
  if (!options.conflicts.empty()) {
    status = RunConflicts(d, options);
  } else if (options.json) {
    std::printf("%s\n", DescriptionJson(d).dump(2).c_str());
  } else {
    PrintDescription(d);
  }
  GlobalFree(block);
  return status;
}

}  // namespace

CommandRun SetupDescCommand(CLI::App& sub) {
  auto options = std::make_shared<DescOptions>();
  sub.add_option("file", options->file, "the printer description (PPD) file")->required();
  sub.add_flag("--json", options->json, "print the loaded record for programs");
  sub.add_flag("--no-cache", options->noCache, "parse the description without its cache file");
  sub.add_option("--conflict", options->conflicts,
                 "FEATURE=OPTION choices whose conflicts to report (option keywords)");
  return [options] { return RunDesc(*options); };
}

}  // namespace qx
