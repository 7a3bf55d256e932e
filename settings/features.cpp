// Feature and option queries, constraints and the installable defaults.
#include "settings/features.h"

#include <algorithm>
#include <initializer_list>

#include "platform/base/codepage.h"
#include "platform/base/text.h"
#include "settings/settings_record.h"

namespace settings {

namespace {

bool IsOneOf(std::uint32_t v, std::initializer_list<std::uint32_t> list) {
  return std::find(list.begin(), list.end(), v) != list.end();
}

// Whether constraint option `o` matches the chosen option `s` of feature `f`: the
// same option, or a constraint without option against any choice but "None" and
// "False".
bool OptionMatches(const Description& d, int o, int f, int s) {
  if (o == s) return true;
  if (o != kNoOption) return false;
  Feature feature = d.FeatureAt(f);
  if (!feature || s == kNoOption) return true;
  Option chosen = feature.OptionAt(s);
  if (!chosen) return true;
  return chosen.Name() != "None" && chosen.Name() != "False";
}

int InstallableCount(const Description& d) {
  return std::min<int>(d.InstallableFeatureCount(), kMaxInstallable);
}

int DocumentCount(const Description& d) {
  return std::min<int>(d.DocumentFeatureCount(), static_cast<int>(priv::kOptionSelCount));
}

std::optional<std::string_view> BooleanCode(const Description& d, PredefinedFeature index,
                                            bool on) {
  Feature feature = d.Predefined(index);
  int n = feature.FindOption(on ? "True" : "False");
  if (n < 0) return std::nullopt;
  return feature.OptionAt(n).Value();
}

// The device option entry's name as UTF-16.
std::u16string EntryName(const unsigned char* block, std::uint32_t entry) {
  return GetWideText(block, DeviceOptionOffset(entry, priv::kOptName), priv::kOptNameChars);
}

}  // namespace

std::u16string AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string WideToAnsi(std::u16string_view text, std::size_t maxChars) {
  if (text.size() > maxChars) {
    text = text.substr(0, maxChars);
    // Never split a surrogate pair.
    if (!text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00) text.remove_suffix(1);
  }
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  return bytes;
}

int SelectableOptionCount(Feature feature) { return std::min(feature.OptionCount(), 255); }

bool OptionHasName(Option option, std::string_view name) {
  bool keywordLike = std::none_of(name.begin(), name.end(), [](char c) {
    return c == ' ' || static_cast<unsigned char>(c) >= 0x80;
  });
  return keywordLike ? option.Name() == name : option.Translation() == name;
}

int FindOptionNamed(Feature feature, std::string_view name) {
  int n = 0;
  for (Option o = feature.FirstOption(); o; o = o.Next(), ++n) {
    if (OptionHasName(o, name)) return n;
  }
  return -1;
}

std::u16string OptionText(Feature feature, int option) {
  Option o = feature.OptionAt(option);
  if (!o) return {};
  std::u16string text = AnsiToWide(o.Translation().empty() ? o.Name() : o.Translation());
  if (text.size() > 63) text.resize(63);
  return text;
}

int FindOptionByWideName(Feature feature, std::u16string_view keyword) {
  int n = FindOptionNamed(feature, WideToAnsi(keyword, 255));
  return n < 0 ? 0 : n;
}

int CaretNumberOf(std::string_view text) {
  text = text.substr(0, 23);
  std::size_t caret = text.find('^');
  if (caret == std::string_view::npos) return 0;
  std::string_view digits = text.substr(caret + 1);
  if (digits.empty()) return 0;
  std::uint64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > 32767) return 0;
  }
  return static_cast<int>(v);
}

int CaretNumber(Feature feature, std::u16string_view keyword) {
  int n = feature.FindOption(WideToAnsi(keyword, 255));
  if (n < 0) return 0;
  Option o = feature.OptionAt(n);
  std::string_view text = o.Translation().empty() ? o.Name() : o.Translation();
  std::size_t caret = text.find('^');
  if (caret == std::string_view::npos) return 0;
  std::string_view digits = text.substr(caret + 1, 5);
  if (digits.empty()) return 0;
  int v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v > 32767 ? 0 : v;
}

std::uint32_t ResolutionOfKeyword(std::string_view keyword) {
  std::uint64_t v = 0;
  for (char c : keyword) {
    if (c < '0' || c > '9') break;
    v = std::min<std::uint64_t>(v * 10 + static_cast<std::uint64_t>(c - '0'), 0xFFFFFFFFu);
  }
  return static_cast<std::uint32_t>(v);
}

int DefaultResolution(const Description& d) {
  Feature resolution = d.Predefined(kResolution);
  if (!resolution) return 300;
  std::uint32_t dpi = resolution.DefaultChoice();
  return dpi == 0 || dpi > 0x7FFFFFFF ? 300 : static_cast<int>(dpi);
}

bool IsResolutionOffered(const Description& d, int dpi) {
  if (dpi <= 0) return false;
  for (Option o = d.Predefined(kResolution).FirstOption(); o; o = o.Next()) {
    if (ResolutionOfKeyword(o.Name()) == static_cast<std::uint32_t>(dpi)) return true;
  }
  return false;
}

bool IsCompatibleResolution(int dpi, int defaultDpi) {
  if (defaultDpi == 600 && dpi == 600) return true;
  return dpi == 400 || dpi == 300 || dpi == 200;
}

bool HasDuplex(const Description& d) { return d.Predefined(kDuplex).OptionCount() > 0; }

std::optional<std::string_view> CollateCode(const Description& d, bool on) {
  return BooleanCode(d, kCollate, on);
}

std::optional<std::string_view> ManualFeedCode(const Description& d, bool on) {
  return BooleanCode(d, kManualFeed, on);
}

const char* DuplexOptionName(int dmDuplex) {
  return dmDuplex == 3 ? "DuplexTumble" : dmDuplex == 2 ? "DuplexNoTumble" : "None";
}

bool IsInstalled(const unsigned char* block, std::uint32_t count, std::u16string_view name) {
  int flag = 0;
  return InstalledState(block, count, name, &flag) || name == u"None";
}

bool InstalledState(const unsigned char* block, std::uint32_t count, std::u16string_view name,
                    int* flag) {
  *flag = 1;
  if (name == u"None") return false;
  count = std::min<std::uint32_t>(count, priv::kDeviceOptionCount);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (EntryName(block, i) == name) {
      bool installed = GetI32(block, DeviceOptionOffset(i, priv::kOptFlag)) == 1;
      *flag = installed ? 1 : 0;
      return installed;
    }
  }
  return false;
}

bool IsConstrained(const Description& d, int f1, int s1, int f2, int s2) {
  int n = d.ConstraintCount();
  for (int i = 0; i < n; ++i) {
    Constraint c = d.ConstraintAt(i);
    if (c.feature1 == kUnresolvedFeature || c.feature1 != f1 || c.feature2 != f2) continue;
    if (OptionMatches(d, c.option1, f1, s1) && OptionMatches(d, c.option2, f2, s2)) return true;
  }
  return false;
}

std::uint32_t CheckSelection(const Description& d, const std::uint8_t* installable,
                             const std::uint8_t* document, int x, int a) {
  int n = d.DocumentFeatureCount();
  int m = InstallableCount(d);
  auto code = [](int feature, int flag, int option) {
    return (static_cast<std::uint32_t>(feature) | static_cast<std::uint32_t>(flag)) * 256 +
           static_cast<std::uint32_t>(option);
  };
  if (document == nullptr) {
    for (int i = 0; i < m; ++i) {
      if (i != x && IsConstrained(d, n + i, installable[i], n + x, a)) {
        return code(n + i, 0x100, installable[i]);
      }
    }
    return 0;
  }
  if (a == kNoOption) return 0;
  int docs = DocumentCount(d);
  for (int i = 0; i < docs; ++i) {
    if (i != x && document[i] != kNoOption && IsConstrained(d, i, document[i], x, a)) {
      return code(i, 0x200, document[i]);
    }
  }
  for (int i = 0; i < m; ++i) {
    if (IsConstrained(d, n + i, installable[i], x, a)) return code(n + i, 0x100, installable[i]);
  }
  return 0;
}

int ResolveInstallableDefaults(const Description& d, std::uint8_t buffer[kMaxInstallable]) {
  int n = d.DocumentFeatureCount();
  int m = InstallableCount(d);
  for (int i = 0; i < m; ++i) {
    Feature f = d.FeatureAt(n + i);
    std::uint32_t choice = f.DefaultChoice();
    buffer[i] = static_cast<std::uint8_t>(
        choice < static_cast<std::uint32_t>(SelectableOptionCount(f)) ? choice : 0);
  }
  for (int j = 0; j < m; ++j) {
    int k = -1;
    for (int c = 0; c < m && k < 0; ++c) {
      if (c != j && IsConstrained(d, n + c, buffer[c], n + j, buffer[j])) k = c;
    }
    if (k < 0) continue;
    int options = SelectableOptionCount(d.FeatureAt(n + j));
    bool moved = false;
    for (int l = 0; l < options && !moved; ++l) {
      bool free = true;
      for (int c = 0; c < m && free; ++c) {
        if (c != j && IsConstrained(d, n + c, buffer[c], n + j, l)) free = false;
      }
      if (free) {
        buffer[j] = static_cast<std::uint8_t>(l);
        moved = true;
      }
    }
    if (moved) continue;
    int others = SelectableOptionCount(d.FeatureAt(n + k));
    for (int o = 0; o < others; ++o) {
      if (!IsConstrained(d, n + k, o, n + j, buffer[j])) {
        buffer[k] = static_cast<std::uint8_t>(o);
        break;
      }
    }
  }
  return m;
}

int ReadOptionSel(const SettingsRecord& record, Feature feature) {
  std::uint32_t defaultChoice = feature.DefaultChoice();
  if (feature.ListIndex() >= priv::kOptionSelCount) return static_cast<int>(defaultChoice);
  int stored = record.priv[priv::kOptionSel + feature.ListIndex()];
  if (stored == kNoOption || stored < SelectableOptionCount(feature)) return stored;
  return static_cast<int>(defaultChoice);
}

void WriteOptionSel(SettingsRecord& record, Feature feature, int option) {
  if (feature.ListIndex() >= priv::kOptionSelCount) return;
  record.priv[priv::kOptionSel + feature.ListIndex()] = static_cast<unsigned char>(option);
}

int SyncSelectionsFromPublic(const Description& d, SettingsRecord& record, DWORD mask) {
  const DEVMODEW& dm = record.pub;
  int last = -1;
  auto set = [&](Feature f, int option) {
    if (!f || f.Installable() || f.ListIndex() >= priv::kOptionSelCount) return;
    WriteOptionSel(record, f, option);
    last = f.ListIndex();
  };
  auto positionOr255 = [](int n) { return n < 0 || n >= 255 ? kNoOption : n; };
  if (mask & DM_COLLATE) {
    Feature f = d.Predefined(kCollate);
    set(f, positionOr255(f.FindOption(dm.dmCollate == 1 ? "True" : "False")));
  }
  if (mask & DM_DUPLEX) {
    Feature f = d.Predefined(kDuplex);
    set(f, positionOr255(f.FindOption(DuplexOptionName(dm.dmDuplex))));
  }
  if (mask & DM_PRINTQUALITY) {
    Feature f = d.Predefined(kResolution);
    int counted = 0, found = kNoOption;
    for (Option o = f.FirstOption(); o; o = o.Next()) {
      std::uint32_t dpi = ResolutionOfKeyword(o.Name());
      if (dpi == 0) continue;
      if (dm.dmPrintQuality > 0 && dpi == static_cast<std::uint32_t>(dm.dmPrintQuality)) {
        found = counted;
        break;
      }
      ++counted;
    }
    set(f, positionOr255(found));
  }
  if (mask & DM_FORMNAME) {
    Feature f = d.Predefined(kPageSize);
    std::string form = WideToAnsi(platform::WideView(dm.dmFormName, CCHFORMNAME), 32);
    int n = 0, found = kNoOption;
    for (Option o = f.FirstOption(); o; o = o.Next(), ++n) {
      if (o.Translation() == form || o.Name() == form) {
        found = n;
        break;
      }
    }
    set(f, positionOr255(found));
  }
  if (mask & DM_DEFAULTSOURCE) {
    Feature f = d.Predefined(kInputSlot);
    int source = dm.dmDefaultSource;
    int option = source < 256 ? kNoOption : source - 255;
    if (option != kNoOption && option >= SelectableOptionCount(f)) option = kNoOption;
    set(f, option);
  }
  return last;
}

bool InModelGroupA(const Description& d) { return IsOneOf(d.LanguageLevel(), {5, 8, 9, 89}); }

bool InModelGroupB(const Description& d) {
  return d.PrinterType() == 3 && !IsOneOf(d.LanguageLevel(), {5, 8, 9, 37, 51, 89});
}

bool InModelGroupC(const Description& d) {
  if (d.PrinterFunction() & (1u << 24)) return true;
  return d.PrinterType() == 3 &&
         !IsOneOf(d.LanguageLevel(), {5, 8, 9, 16, 37, 51, 87, 88, 89, 97, 98, 99, 101, 102});
}

bool InModelGroupD(const Description& d) {
  return IsOneOf(d.LanguageLevel(), {5, 8, 9, 37, 51, 89});
}

bool InModelGroupE(const Description& d) {
  return IsOneOf(d.LanguageLevel(), {11, 12, 15, 16, 20, 21, 92});
}

}  // namespace settings
