// The paper geometry: the form of the settings' paper, the PageSize option that
// fits it, the printable extent of the model's paper, and the paper fed.
#include "settings/paper_geometry.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/text.h"
#include "resources/margins_table.h"
#include "settings/features.h"
#include "settings/model_table.h"
#include "settings/paper.h"
#include "settings/paper_tables.h"

namespace settings {

namespace {

using namespace priv;

bool HasFunction(const Description& d, int bit) { return (d.PrinterFunction() & (1u << bit)) != 0; }

// The form the settings' paper stands for; sizes in micrometres.
struct Form {
  bool present = false;
  std::u16string name;
  std::int64_t width = 0, length = 0;
};

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::u16string FormNameOf(const SettingsRecord& s) {
  return std::u16string(platform::WideView(s.pub.dmFormName, CCHFORMNAME));
}

void SetFormName(SettingsRecord& s, std::u16string_view name) {
  for (std::size_t i = 0; i < CCHFORMNAME; ++i) {
    s.pub.dmFormName[i] = i < name.size() && i < CCHFORMNAME - 1 ? name[i] : u'\0';
  }
}

void SetGeometryNames(PaperGeometry& g, std::u16string_view form, std::string_view keyword) {
  std::memset(g.formName, 0, sizeof g.formName);
  std::memset(g.optionKeyword, 0, sizeof g.optionKeyword);
  std::copy_n(form.begin(), std::min<std::size_t>(form.size(), 31), g.formName);
  std::copy_n(keyword.begin(), std::min<std::size_t>(keyword.size(), 31), g.optionKeyword);
}

// The first FreeSize option's numbers (first, second), for sizes that are unusable.
void FreeSizeDefault(const Description& d, int* first, int* second) {
  *first = *second = 0;
  Option o = d.Predefined(kFreeSize).FirstOption();
  std::string_view k = o.Name();
  std::size_t at = 0;
  auto number = [&] {
    int v = 0;
    while (at < k.size() && (k[at] < '0' || k[at] > '9')) ++at;
    while (at < k.size() && k[at] >= '0' && k[at] <= '9')
      v = std::min(v * 10 + (k[at++] - '0'), 32767);
    return v;
  };
  *first = number();
  *second = number();
}

// A custom size that is zero or negative in either direction takes the first
// FreeSize option's numbers; false when those are unusable too.
bool UsableSize(const Description& d, int* yoko, int* tate) {
  if (*yoko > 0 && *tate > 0) return true;
  FreeSizeDefault(d, yoko, tate);
  return *yoko > 0 && *tate > 0;
}

// Step 1: a user size takes its dimensions from the per-user settings file.
void ReadUserSize(SettingsRecord& s, const Description& d, const GeometryInputs& in) {
  int code = s.pub.dmPaperSize;
  std::u16string form = FormNameOf(s);
  bool user = StartsWith(form, u"USER") || (code >= kPaperUserFirst && code <= kPaperUserLast);
  if (!HasFunction(d, 18) || !user) return;
  int number = code >= kPaperUserFirst && code <= kPaperUserLast ? code - kPaperUserFirst + 1 : 0;
  if (number == 0) {
    for (char16_t c : form.substr(4)) {
      if (c < u'0' || c > u'9') break;
      number = std::min(number * 10 + (c - u'0'), 99);
    }
  }
  int first = 0, second = 0;
  if (in.readUserSize == nullptr || !in.readUserSize(in.userSizeContext, number, &first, &second)) {
    FreeSizeDefault(d, &first, &second);
  }
  SetI16(s.priv, kFreeYoko, static_cast<std::int16_t>(first));
  SetI16(s.priv, kFreeTate, static_cast<std::int16_t>(second));
  if (GetWideText(s.priv, kYoushi, kYoushiChars) == u"PAPER_LINK") {
    SetI16(s.priv, kFreeYousiy, static_cast<std::int16_t>(first));
    SetI16(s.priv, kFreeYousit, static_cast<std::int16_t>(second));
  }
}

// Step 2: the form of the settings' paper.
Form BuildForm(SettingsRecord& s, const Description& d) {
  Form form;
  int code = s.pub.dmPaperSize;
  if (IsCustomPaperCode(code)) {
    int yoko = GetI16(s.priv, kFreeYoko), tate = GetI16(s.priv, kFreeTate);
    form.present = true;
    form.name = code == kPaperOsUser ? (HasFunction(d, 19) ? u"OSUSER" : u"不定形ｻｲｽﾞ")
                                     : u"USER" + platform::Utf8ToWide(std::to_string(code - 383));
    form.width = static_cast<std::int64_t>(yoko) * 1000;
    form.length = static_cast<std::int64_t>(tate) * 1000;
    if (yoko <= 3276 && tate <= 3276) {
      s.pub.dmPaperWidth = static_cast<SHORT>(yoko * 10);
      s.pub.dmPaperLength = static_cast<SHORT>(tate * 10);
    }
    return form;
  }
  if ((s.pub.dmFields & (DM_PAPERSIZE | DM_FORMNAME)) == 0) return form;
  form.present = true;
  if (const DriverPaper* paper = FindDriverPaper(code)) {
    form.name = paper->name;
    form.width = paper->width;
    form.length = paper->length;
    SetFormName(s, form.name);
    s.pub.dmPaperWidth = static_cast<SHORT>(paper->width / 100);
    s.pub.dmPaperLength = static_cast<SHORT>(paper->length / 100);
  }
  s.pub.dmFields |= DM_PAPERSIZE | DM_FORMNAME;
  return form;
}

// Fills a geometry from a PageSize option (and the form's area, when given).
void FromOption(PaperGeometry& g, Option o, int index, const Form* form, std::string_view keyword) {
  std::int64_t width = o.PaperWidth(), length = o.PaperLength();
  PointArea a = o.ImageableArea();
  if (form) {
    // The form's imageable area is the whole form; intersect it with the option's.
    std::int64_t fw = MicrometresToPoints(form->width), fl = MicrometresToPoints(form->length);
    a.right = static_cast<std::int32_t>(std::min<std::int64_t>(a.right, fw));
    a.top = static_cast<std::int32_t>(std::min<std::int64_t>(a.top, fl));
    a.left = std::max(a.left, 0);
    a.bottom = std::max(a.bottom, 0);
  }
  // Measured from the top edge, as the device context reads it.
  g.left = PointsToPlotter(a.left);
  g.right = PointsToPlotter(a.right);
  g.top = PointsToPlotter(length - a.top);
  g.bottom = PointsToPlotter(length - a.bottom);
  g.paperWidth = PointsToMicrometres(width);
  g.paperLength = PointsToMicrometres(length);
  g.paperIndex = index;
  SetGeometryNames(g, form ? std::u16string_view(form->name) : std::u16string_view(), keyword);
}

// Step 3: the PageSize option of a form, by name and else by size; -1 for none.
int MatchOption(const Description& d, const Form& form) {
  Feature pages = d.Predefined(kPageSize);
  std::string name = WideToAnsi(form.name, 31);
  int n = 0;
  if (!name.empty()) {
    for (Option o = pages.FirstOption(); o; o = o.Next(), ++n) {
      if (o.Translation() == name) return n;
    }
    n = 0;
    for (Option o = pages.FirstOption(); o; o = o.Next(), ++n) {
      if (o.Name() == name) return n;
    }
  }
  std::int64_t w = MicrometresToPoints(form.width), l = MicrometresToPoints(form.length);
  n = 0;
  for (Option o = pages.FirstOption(); o; o = o.Next(), ++n) {
    if (std::abs(o.PaperWidth() - w) <= 256 && std::abs(o.PaperLength() - l) <= 256) return n;
  }
  int best = -1;
  std::int64_t bestSum = 0;
  n = 0;
  for (Option o = pages.FirstOption(); o; o = o.Next(), ++n) {
    std::int64_t dw = o.PaperWidth() - w, dl = o.PaperLength() - l;
    if (dw < 0 || dl < 0) continue;
    if (best < 0 || dw + dl < bestSum) {
      best = n;
      bestSum = dw + dl;
    }
  }
  return best;
}

// Step 4: the fallback option ("JIS A3" for model 20, else "A3", else the default).
bool Fallback(const Description& d, PaperGeometry& g) {
  Feature pages = d.Predefined(kPageSize);
  if (!pages || pages.OptionCount() == 0) return false;
  int n = FindOptionNamed(pages, d.LanguageLevel() == 20 ? "JIS A3" : "A3");
  if (n < 0) n = static_cast<int>(pages.DefaultChoice());
  Option o = pages.OptionAt(n);
  if (!o) return false;
  bool valueNames = ModelFromNickName(d.NickName()) == 20;
  std::string_view keyword = valueNames ? o.Value() : o.Name();
  FromOption(g, o, n, nullptr, keyword);
  SetGeometryNames(g, AnsiToWide(keyword), keyword);
  return true;
}

// The printable extent pair of a model's paper, or false without a row.
bool MarginsFor(const Description& d, const SettingsRecord& s, int dpi, std::u16string_view paper,
                resources::Extent* extent) {
  std::string name = WideToAnsi(paper, 31);
  bool hardclip = GetI32(s.priv, kHardclip) != 0;
  bool fine = dpi == 600 || (HasFunction(d, 19) && dpi == 300);
  int pair = (fine ? 2 : 0) + (hardclip ? 1 : 0);
  for (const resources::MarginsRow& row : resources::MarginsTable()) {
    if (row.model < 0) break;
    if (static_cast<std::uint32_t>(row.model) != d.LanguageLevel() || name != row.paper) continue;
    *extent = row.pair[pair];
    if (dpi == 600 && !hardclip && d.PrinterType() != 3) {
      for (const resources::MarginsOverride& o : resources::Margins600Overrides()) {
        if (name == o.paper) *extent = o.pair3;
      }
    }
    return true;
  }
  return false;
}

// A custom size in millimetres: the larger one is the length unless the page is
// landscape.
void CustomGeometry(PaperGeometry& g, const SettingsRecord& s, int yoko, int tate) {
  bool landscape = (s.pub.dmFields & DM_ORIENTATION) && s.pub.dmOrientation == DMORIENT_LANDSCAPE;
  int big = std::max(yoko, tate), small = std::min(yoko, tate);
  int width = landscape ? big : small, length = landscape ? small : big;
  g.paperWidth = width * 1000;
  g.paperLength = length * 1000;
  g.left = g.top = 0;
  g.right = g.paperWidth / 25;
  g.bottom = g.paperLength / 25;
}

void ApplyMargins(PaperGeometry& g, const resources::Extent& e, std::int64_t width,
                  std::int64_t length) {
  g.left = g.top = 0;
  g.right = e.width;
  g.bottom = e.length;
  g.paperWidth = static_cast<LONG>(width);
  g.paperLength = static_cast<LONG>(length);
}

// Margins of a driver paper named `name` into `g`.
void MarginsByName(PaperGeometry& g, const Description& d, const SettingsRecord& s, int dpi,
                   std::u16string_view name) {
  resources::Extent e;
  const DriverPaper* paper = FindDriverPaperByName(name, false);
  if (paper && MarginsFor(d, s, dpi, name, &e)) ApplyMargins(g, e, paper->width, paper->length);
}

}  // namespace

LONG PointsToPlotter(std::int64_t points) { return static_cast<LONG>(points * 1016 / 18432); }
LONG PointsToMicrometres(std::int64_t points) { return static_cast<LONG>(points * 25400 / 18432); }
std::int64_t MicrometresToPoints(std::int64_t micrometres) { return micrometres * 18432 / 25400; }

bool ComputePaperGeometry(SettingsRecord& s, const Description& d, const GeometryInputs& in,
                          PaperGeometry& logical, PaperGeometry& fed) {
  std::memset(&logical, 0, sizeof logical);
  std::memset(&fed, 0, sizeof fed);
  ReadUserSize(s, d, in);
  bool customUnderBit5 = HasFunction(d, 5) && IsCustomPaperCode(s.pub.dmPaperSize);
  int yoko = GetI16(s.priv, kFreeYoko), tate = GetI16(s.priv, kFreeTate);
  if (customUnderBit5 && !UsableSize(d, &yoko, &tate)) {
    // A custom size with no usable dimensions prints on the default paper.
    const DriverPaper& paper = DefaultPaper(d);
    s.pub.dmPaperSize = paper.code;
    SetFormName(s, paper.name);
    s.pub.dmPaperWidth = static_cast<SHORT>(paper.width / 100);
    s.pub.dmPaperLength = static_cast<SHORT>(paper.length / 100);
    customUnderBit5 = false;
  } else if (customUnderBit5) {
    SetI16(s.priv, kFreeYoko, static_cast<std::int16_t>(yoko));
    SetI16(s.priv, kFreeTate, static_cast<std::int16_t>(tate));
  }
  Form form = BuildForm(s, d);
  int option = form.present ? MatchOption(d, form) : -1;
  Feature pages = d.Predefined(kPageSize);
  if (option >= 0) {
    Option o = pages.OptionAt(option);
    FromOption(logical, o, option, &form, o.Name());
  } else if (!Fallback(d, logical)) {
    return false;
  }
  if (customUnderBit5) {
    CustomGeometry(logical, s, yoko, tate);
  } else {
    MarginsByName(logical, d, s, in.dpi, FormNameOf(s));
  }
  // The paper fed: a driver paper named by youshi, else the logical page.
  std::u16string youshi = GetWideText(s.priv, kYoushi, kYoushiChars);
  const DriverPaper* fedPaper = FindDriverPaperByName(youshi, true);
  fed = logical;
  if (fedPaper) {
    Form fedForm{true, fedPaper->name, fedPaper->width, fedPaper->length};
    int n = MatchOption(d, fedForm);
    if (n >= 0) FromOption(fed, pages.OptionAt(n), n, &fedForm, pages.OptionAt(n).Name());
  }
  // A copy of a custom logical page already has its orientation.
  bool fedCustom = customUnderBit5 && fedPaper == nullptr;
  if (youshi == u"PAPER_LINK") {
    if (customUnderBit5) {
      CustomGeometry(fed, s, yoko, tate);
      fedCustom = true;
    } else {
      MarginsByName(fed, d, s, in.dpi, FormNameOf(s));
    }
  } else if (HasFunction(d, 18) && (StartsWith(youshi, u"USER") || StartsWith(youshi, u"OSUSER"))) {
    int w = GetI16(s.priv, kFreeYousiy), l = GetI16(s.priv, kFreeYousit);
    if (UsableSize(d, &w, &l)) {
      CustomGeometry(fed, s, w, l);
      fedCustom = true;
    }
  } else {
    MarginsByName(fed, d, s, in.dpi, fedPaper ? std::u16string_view(fedPaper->name) : youshi);
  }
  if (!fedCustom && (s.pub.dmFields & DM_ORIENTATION) &&
      s.pub.dmOrientation == DMORIENT_LANDSCAPE) {
    std::swap(fed.paperWidth, fed.paperLength);
    LONG right = fed.right, bottom = fed.bottom;
    fed.left = fed.top = 0;
    fed.right = bottom;
    fed.bottom = right;
  }
  logical.valid = TRUE;
  fed.valid = TRUE;
  return true;
}

}  // namespace settings
