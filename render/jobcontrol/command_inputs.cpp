// Settings, option texts and writers shared by the device commands and the header.
#include "render/jobcontrol/command_inputs.h"

#include <algorithm>

#include "platform/base/codepage.h"
#include "platform/base/text.h"
#include "settings/features.h"

namespace render::jobcontrol {

namespace priv = settings::priv;

bool ModelIsOneOf(const DeviceContext& dc, std::initializer_list<std::uint32_t> models) {
  return std::find(models.begin(), models.end(), DeviceModel(dc)) != models.end();
}

int SourceNumber(const DeviceContext& dc) {
  int source = dc.settings.pub.dmDefaultSource;
  return source >= 256 ? source : 7;
}

bool IsCustomSizeCode(int paperSize) {
  return paperSize == 256 || (paperSize >= 384 && paperSize <= 393);
}

namespace {
std::u16string Youshi(const DeviceContext& dc) {
  return settings::GetWideText(dc.settings.priv, priv::kYoushi, priv::kYoushiChars);
}
}  // namespace

bool YoushiIsPaperLink(const DeviceContext& dc) { return Youshi(dc) == u"PAPER_LINK"; }

bool YoushiIsUserSize(const DeviceContext& dc) {
  std::u16string youshi = Youshi(dc);
  return youshi.starts_with(u"USER") || youshi.starts_with(u"OSUSER");
}

bool OnCustomPaper(const DeviceContext& dc) {
  return (YoushiIsPaperLink(dc) && IsCustomSizeCode(dc.settings.pub.dmPaperSize)) ||
         YoushiIsUserSize(dc);
}

std::int32_t VectorOverride(const DeviceContext& dc) {
  if (HasFunction(dc, 0x1000000) && HasDeviceFlag(dc, settings::kDevPrintertype)) return 0;
  return PrivI32(dc, priv::kBekutachk);
}

int ColourSet(const DeviceContext& dc) {
  // The private check keeps colormode in 0 to 2; a record built otherwise still
  // never reads outside the three sets.
  return std::clamp<int>(PrivI16(dc, priv::kColormode), 0, 2);
}

std::string_view BeforeSlash(std::string_view text) { return text.substr(0, text.find('/')); }

std::string_view AfterSlash(std::string_view text) {
  std::size_t slash = text.find('/');
  return slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
}

settings::Option SelectedOption(const DeviceContext& dc, settings::PredefinedFeature feature,
                                std::int32_t index) {
  if (index < 0) return {};
  return dc.Description().Predefined(feature).OptionAt(index);
}

bool OptionNamed(settings::Option option, std::string_view name) {
  return option && settings::OptionHasName(option, name);
}

namespace {
std::string_view SlotLabel(settings::Option slot) {
  return slot.Translation().empty() ? slot.Name() : slot.Translation();
}
}  // namespace

std::string_view SlotTrayName(settings::Option slot) {
  std::string_view label = SlotLabel(slot);
  return label.substr(0, label.find('^'));
}

int SlotNumber(settings::Option slot) {
  std::string_view label = SlotLabel(slot);
  std::size_t caret = label.find('^');
  if (caret == std::string_view::npos) return 0;
  std::string_view digits = label.substr(caret + 1);
  if (digits.empty() || digits.size() > 9) return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;  // not all digits: counts as 0
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string_view SlotKind(settings::Option slot) {
  std::string_view keyword = slot.Name();
  std::size_t caret = keyword.find('^');
  if (caret == std::string_view::npos) return {};
  std::string_view rest = keyword.substr(caret + 1);
  return rest.substr(0, rest.find('_'));
}

settings::Option SlotWithNumber(const DeviceContext& dc, int number) {
  for (settings::Option o = dc.Description().Predefined(settings::kInputSlot).FirstOption(); o;
       o = o.Next()) {
    if (SlotNumber(o) == number) return o;
  }
  return {};
}

bool ReadPrinterDword(const DeviceContext& dc, const char16_t* name, DWORD* value) {
  unsigned char bytes[4] = {};
  DWORD type = 0, needed = 0;
  if (GetPrinterDataW(dc.printer, name, &type, bytes, 4, &needed) != ERROR_SUCCESS || needed != 4) {
    return false;
  }
  *value = settings::LoadU32(bytes);
  return true;
}

std::string ShiftJis(std::u16string_view text) { return platform::WideToMultiByte(932, text); }

void WriteLine(DeviceContext& dc, const char* format, std::initializer_list<FormatArg> args) {
  WriteFormatted(dc.output, format, args);
}

void WriteVerbatim(DeviceContext& dc, std::string_view text) {
  if (text.empty()) return;
  std::string copy(text);
  WriteFormatted(dc.output, "%s", {copy.c_str()});
}

void WriteFramed(DeviceContext& dc, std::string_view text) {
  std::string copy(text);
  WriteFormatted(dc.output, "\x1B\x12?%s\x1B ", {copy.c_str()});
}

}  // namespace render::jobcontrol
