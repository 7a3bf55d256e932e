// DrvDeviceCapabilities: the answers come from the printer description and from
// a settings record merged for the question, all under the description lock.
#include "ui/host/device_capabilities.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "settings/description_cache.h"
#include "settings/device_info_file.h"
#include "settings/features.h"
#include "settings/paper_tables.h"
#include "settings/settings_defaults.h"
#include "settings/sticky_data.h"
#include "ui/host/description_holder.h"
#include "ui/host/host_state.h"

namespace ui {
namespace {

using settings::Description;
using settings::Option;
using settings::SettingsRecord;

constexpr DWORD kFailed = 0xFFFFFFFF;
constexpr std::uint32_t kFunctionDeviceExchange = 1u << 3;
constexpr std::uint32_t kFunctionFreeSize = 1u << 5;
constexpr std::uint32_t kFunctionNoFreeSize = 1u << 13;
constexpr std::uint32_t kFunctionUserSizes = 1u << 18;
constexpr std::uint32_t kFunctionPaperList = 1u << 19;
constexpr std::uint32_t kFunctionTrayMasks = 1u << 24;
constexpr std::uint32_t kPrivLandscape270 = 0x200;

// Papers a printer without its own paper list may offer, by PrinterType.
// clang-format off
constexpr const char16_t* kType1Papers[] = {
    u"JIS A1X2", u"JIS A0", u"JIS A1", u"JIS A2", u"JIS A3", u"JIS A4",
    u"ANSI dX2 22X68", u"ANSI d22X34", u"ANSI c17X22", u"ANSI b11X17", u"ANSI a8.5X11",
    u"DIN DX2 24X72", u"DIN D24X36", u"DIN C18X24", u"DIN B12X18", u"DIN A9X12",
};
constexpr const char16_t* kType3Papers[] = {u"A0", u"A1", u"A2", u"A3", u"A4"};
constexpr const char16_t* kOtherPapers[] = {
    u"A0", u"A1", u"A2", u"A3", u"A4", u"B1", u"B2", u"B3", u"B4",
};
// clang-format on

// The inch papers keep their size to the micrometre; the others are cut to
// whole millimetres.
bool IsInchPaper(std::u16string_view name) {
  return name == u"12 x 18 in" || name == u"13 x 19 in";
}

bool IsAllowedPaper(const Description& d, std::u16string_view name, const Option& o) {
  // A printer with its own paper list offers every PageSize option.
  if (d.PrinterFunction() & kFunctionPaperList) return true;
  if (IsInchPaper(name)) return o.PaperWidth() > 0 && o.PaperLength() > 0;
  auto in = [&](const auto& table) {
    return std::find(std::begin(table), std::end(table), name) != std::end(table);
  };
  switch (d.PrinterType()) {
    case 1:
      return in(kType1Papers);
    case 3:
      return in(kType3Papers);
    default:
      return in(kOtherPapers);
  }
}

// A dimension of 24.8 points in tenths of a millimetre. The product is 64-bit:
// A0's length (862,820 as 24.8) times 25,400 does not fit in 32 bits.
LONG PaperTenths(std::int32_t dimension, bool inch) {
  std::int64_t micrometres = static_cast<std::int64_t>(dimension) * 25400 / 18432;
  if (!inch) micrometres = micrometres / 1000 * 1000;
  return static_cast<LONG>(micrometres / 100);
}

POINT SmallerLarger(int a, int b) {
  return {static_cast<LONG>(std::min(a, b)) * 10, static_cast<LONG>(std::max(a, b)) * 10};
}

CapabilityPaper FreeSizePaper(const SettingsRecord& s) {
  int yoko = settings::GetI16(s.priv, settings::priv::kFreeYoko);
  int tate = settings::GetI16(s.priv, settings::priv::kFreeTate);
  return {static_cast<WORD>(settings::kPaperOsUser), SmallerLarger(yoko, tate), u"不定形ｻｲｽﾞ..."};
}

void AddUserSizes(const Description& d, UserSizeReader reader, void* context,
                  std::vector<CapabilityPaper>& papers) {
  int fallback = d.PrinterType() == 3 ? 500 : 200;
  bool perUser = d.PrinterFunction() & kFunctionPaperList;
  for (int n = 1; n <= 10; ++n) {
    std::u16string name = u"不定形ｻｲｽﾞ" + settings::AnsiToWide(std::to_string(n));
    int first = fallback, second = fallback;
    std::u16string stored;
    if (perUser && reader && reader(context, n, &stored, &first, &second)) {
      std::string label = "(" + std::to_string(first) + " x " + std::to_string(second) + "mm)";
      name = stored + settings::AnsiToWide(label);
    }
    papers.push_back(
        {static_cast<WORD>(settings::kPaperUserFirst + n - 1), SmallerLarger(first, second), name});
  }
}

// The part of a text before the first "/".
std::string_view BeforeSlash(std::string_view text) { return text.substr(0, text.find('/')); }

// The two hexadecimal masks of a device option's value text "prefix/mask,trays/".
bool ReadTrayMasks(std::string_view text, std::uint32_t* mask, std::uint32_t* trays) {
  std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  std::string_view rest = text.substr(slash + 1);
  std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  auto hex = [](std::string_view t, std::uint32_t* v) {
    if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.remove_prefix(2);
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), *v, 16);
    return ec == std::errc() && end == t.data() + t.size() && !t.empty();
  };
  std::string_view second = rest.substr(comma + 1);
  return hex(rest.substr(0, comma), mask) && hex(BeforeSlash(second), trays);
}

bool IsSlotAvailable(const Description& d, const SettingsRecord& s, std::string_view device) {
  if (device == "None") return true;
  if (!(d.PrinterFunction() & kFunctionTrayMasks)) {
    std::uint32_t count = settings::GetU32(s.priv, settings::priv::kOptionCount);
    return settings::IsInstalled(s.priv, count, settings::AnsiToWide(device));
  }
  settings::Feature options = d.Predefined(settings::kDeviceOption);
  int at = options.FindOption(device);
  if (at < 0) return false;
  std::uint32_t mask = 0, trays = 0;
  if (!ReadTrayMasks(options.OptionAt(at).Value(), &mask, &trays)) return false;
  std::uint32_t loaded = settings::GetU32(s.priv, settings::priv::kInputtray);
  return (mask & 1) && (trays & loaded);
}

}  // namespace

std::vector<CapabilityPaper> CapabilityPapers(const Description& d, const SettingsRecord& s,
                                              UserSizeReader reader, void* context) {
  std::vector<CapabilityPaper> papers;
  for (Option o = d.Predefined(settings::kPageSize).FirstOption(); o; o = o.Next()) {
    std::u16string name =
        settings::AnsiToWide(o.Translation().empty() ? o.Name() : o.Translation());
    if (!IsAllowedPaper(d, name, o)) continue;
    bool inch = IsInchPaper(name);
    const settings::DriverPaper* row = settings::FindDriverPaperByName(name, false);
    papers.push_back({row ? static_cast<WORD>(row->code) : WORD{0xFFFF},
                      {PaperTenths(o.PaperWidth(), inch), PaperTenths(o.PaperLength(), inch)},
                      name});
  }
  std::uint32_t function = d.PrinterFunction();
  if ((function & kFunctionFreeSize) && !(function & kFunctionNoFreeSize)) {
    papers.push_back(FreeSizePaper(s));
  }
  if (function & kFunctionUserSizes) {
    papers.push_back(FreeSizePaper(s));
    AddUserSizes(d, reader, context, papers);
  }
  return papers;
}

std::vector<CapabilityBin> CapabilityBins(const Description& d, const SettingsRecord& s) {
  std::vector<CapabilityBin> bins;
  for (Option o = d.Predefined(settings::kInputSlot).FirstOption(); o; o = o.Next()) {
    if (!IsSlotAvailable(d, s, BeforeSlash(o.Value()))) continue;
    std::string_view text = o.Translation().empty() ? o.Name() : o.Translation();
    int bin = settings::CaretNumberOf(text);
    bins.push_back({static_cast<WORD>(bin), settings::AnsiToWide(text.substr(0, text.find('^')))});
  }
  return bins;
}

}  // namespace ui

namespace ui {
namespace {

// A printer information level read with the two-call protocol; empty on failure.
template <typename Read>
std::vector<BYTE> ReadInfo(Read read) {
  DWORD needed = 0;
  read(nullptr, 0, &needed);
  if (needed == 0) return {};
  std::vector<BYTE> bytes(needed);
  if (!read(bytes.data(), needed, &needed)) return {};
  return bytes;
}

struct UserSizeFile {
  std::u16string file;
  std::u16string printer;
};

// "USER<n>" of the printer's section: "source, first, second, name".
bool ReadStoredUserSize(void* context, int number, std::u16string* name, int* first, int* second) {
  auto* f = static_cast<UserSizeFile*>(context);
  if (!settings::ReadUserSize(f->file, f->printer, number, first, second)) return false;
  std::u16string key = u"USER" + settings::AnsiToWide(std::to_string(number));
  WCHAR text[256] = {};
  GetPrivateProfileStringW(f->printer.c_str(), key.c_str(), u"", text, 256, f->file.c_str());
  std::u16string_view v(text);
  for (int commas = 0; commas < 3 && !v.empty(); ++commas) {
    std::size_t at = v.find(u',');
    v = at == std::u16string_view::npos ? std::u16string_view() : v.substr(at + 1);
  }
  while (!v.empty() && v.front() == u' ') v.remove_prefix(1);
  *name = std::u16string(v);
  return true;
}

// Copies a name into a column of `chars` characters: cut to chars - 1 and
// always terminated, so a long name never runs into the next column.
void CopyColumn(WCHAR* column, std::size_t chars, std::u16string_view name) {
  std::size_t n = std::min(name.size(), chars - 1);
  std::copy_n(name.data(), n, column);
  std::fill(column + n, column + chars, u'\0');
}

template <typename Item, typename Write>
DWORD AnswerList(const std::vector<Item>& items, void* output, Write write) {
  if (output) {
    for (std::size_t i = 0; i < items.size(); ++i) write(output, i, items[i]);
  }
  return static_cast<DWORD>(items.size());
}

DWORD Extent(const Description& d, bool largest) {
  settings::Feature pageSize = d.Predefined(settings::kPageSize);
  bool any = false;
  std::int32_t width = 0, length = 0;
  for (std::size_t i = 0; i < settings::DriverFormCount(); ++i) {
    settings::DriverForm form = settings::DriverFormAt(i);
    std::string name = settings::WideToAnsi(form.name, 63);
    if (settings::FindOptionNamed(pageSize, name) < 0) continue;
    std::int32_t w = form.width / 100, l = form.length / 100;
    width = !any ? w : largest ? std::max(width, w) : std::min(width, w);
    length = !any ? l : largest ? std::max(length, l) : std::min(length, l);
    any = true;
  }
  DWORD low = static_cast<DWORD>(std::min<std::int32_t>(width, 0x7FFF));
  DWORD high = static_cast<DWORD>(std::min<std::int32_t>(length, 0x7FFF));
  return low | (high << 16);
}

DWORD Resolutions(const Description& d, void* output) {
  std::vector<LONG> values;
  for (Option o = d.Predefined(settings::kResolution).FirstOption(); o; o = o.Next()) {
    std::uint32_t dpi = settings::ResolutionOfKeyword(o.Name());
    if (dpi > 0 && dpi <= 0x7FFFFFFF) values.push_back(static_cast<LONG>(dpi));
  }
  if (values.empty()) values.push_back(settings::DefaultResolution(d));
  return AnswerList(values, output, [](void* out, std::size_t i, LONG v) {
    static_cast<LONG*>(out)[2 * i] = v;
    static_cast<LONG*>(out)[2 * i + 1] = v;
  });
}

DWORD ColourDevice(const Description& d, const SettingsRecord& s) {
  if (d.PrinterFunction() & kFunctionTrayMasks) {
    std::uint16_t flags = settings::GetU16(s.priv, settings::priv::kDeviceFlags);
    return (flags & settings::kDevPrintertype) ? 0 : 1;
  }
  return d.PrinterType() == 2 || d.PrinterType() == 5 ? 1 : 0;
}

struct Query {
  HANDLE printer;
  const Description& d;
  const SettingsRecord& s;
  std::u16string printerName;
};

DWORD Answer(const Query& q, WORD capability, void* output) {
  const Description& d = q.d;
  const SettingsRecord& s = q.s;
  switch (capability) {
    case DC_FIELDS:
      return s.pub.dmFields;
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES: {
      UserSizeFile file{settings::DeviceInfoFilePath(false), q.printerName};
      std::vector<CapabilityPaper> papers = CapabilityPapers(d, s, &ReadStoredUserSize, &file);
      if (capability == DC_PAPERS) {
        return AnswerList(papers, output, [](void* out, std::size_t i, const CapabilityPaper& p) {
          static_cast<WORD*>(out)[i] = p.code;
        });
      }
      if (capability == DC_PAPERSIZE) {
        return AnswerList(papers, output, [](void* out, std::size_t i, const CapabilityPaper& p) {
          static_cast<POINT*>(out)[i] = p.size;
        });
      }
      return AnswerList(papers, output, [](void* out, std::size_t i, const CapabilityPaper& p) {
        CopyColumn(static_cast<WCHAR*>(out) + i * kPaperNameChars, kPaperNameChars, p.name);
      });
    }
    case DC_MINEXTENT:
      return Extent(d, false);
    case DC_MAXEXTENT:
      return Extent(d, true);
    case DC_BINS:
      return AnswerList(CapabilityBins(d, s), output,
                        [](void* out, std::size_t i, const CapabilityBin& b) {
                          static_cast<WORD*>(out)[i] = b.bin;
                        });
    case DC_BINNAMES:
      return AnswerList(
          CapabilityBins(d, s), output, [](void* out, std::size_t i, const CapabilityBin& b) {
            CopyColumn(static_cast<WCHAR*>(out) + i * kBinNameChars, kBinNameChars, b.name);
          });
    case DC_DUPLEX:
    case DC_STAPLE:
      return 0;
    case DC_SIZE:
      return s.pub.dmSize;
    case DC_EXTRA:
      return s.pub.dmDriverExtra;
    case DC_VERSION:
      return s.pub.dmSpecVersion;
    case DC_DRIVER:
      return s.pub.dmDriverVersion;
    case DC_ENUMRESOLUTIONS:
      return Resolutions(d, output);
    case DC_FILEDEPENDENCIES:
      if (output) static_cast<WCHAR*>(output)[0] = 0;
      return 0;
    case DC_TRUETYPE:
      return (s.pub.dmFields & DM_TTOPTION) ? 6 : 0;
    case DC_ORIENTATION:
      return (settings::GetU32(s.priv, settings::priv::kFlags) & kPrivLandscape270) ? 270 : 90;
    case DC_COPIES:
      return 99;
    case DC_PERSONALITY:
      if (output) CopyColumn(static_cast<WCHAR*>(output), 32, u"KX-GL/2");
      return 1;
    case DC_PRINTRATE:
    case DC_PRINTRATEPPM:
      return d.PrinterPPM();
    case DC_PRINTRATEUNIT:
      return 1;
    case DC_COLORDEVICE:
      return ColourDevice(d, s);
    case DC_MEDIAREADY:
      // Without the device exchange the printer reports no loaded papers.
      if (d.PrinterType() != 3 && !(d.PrinterFunction() & kFunctionDeviceExchange)) return 0;
      return kFailed;
    case DC_NUP:
      if (output) static_cast<DWORD*>(output)[0] = 1;
      return 1;
    default:
      return kFailed;
  }
}

// Steps 1 and 2 of every call: the description, and the settings merged from the
// defaults, the printer's stored record and the caller's record.
DWORD Capabilities(HANDLE printer, const WCHAR* deviceName, WORD capability, void* output,
                   const DEVMODEW* input) {
  void* block = AcquireDescription(printer, true);
  if (block == nullptr) return kFailed;
  Description d(block);
  auto* s = static_cast<SettingsRecord*>(std::calloc(1, sizeof(SettingsRecord)));
  DWORD result = kFailed;
  if (s) {
    settings::SetDefaults(*s, deviceName, d);
    std::vector<BYTE> stored = ReadInfo(
        [&](LPBYTE b, DWORD n, DWORD* needed) { return GetPrinterW(printer, 2, b, n, needed); });
    const auto* info2 =
        stored.empty() ? nullptr : reinterpret_cast<const PRINTER_INFO_2W*>(stored.data());
    bool merged = (!info2 || settings::MergeRecord(*s, info2->pDevMode, d)) &&
                  settings::MergeRecord(*s, input, d);
    std::u16string name = info2 && info2->pPrinterName ? std::u16string(info2->pPrinterName)
                          : deviceName                 ? std::u16string(deviceName)
                                                       : std::u16string();
    if (merged) result = Answer({printer, d, *s, name}, capability, output);
    std::free(s);
  }
  ReleaseDescription(block);
  return result;
}

}  // namespace
}  // namespace ui

DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, WCHAR* deviceName, WORD capability, void* output,
                                   DEVMODEW* input) {
  ui::DescriptionLockHolder lock;
  return ui::Capabilities(printer, deviceName, capability, output, input);
}
