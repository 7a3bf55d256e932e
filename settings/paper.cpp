// The default paper, the description's papers, the paper check and the input slots.
#include "settings/paper.h"

#include "platform/base/text.h"
#include "settings/features.h"

namespace settings {

namespace {

bool HasFunction(const Description& d, int bit) { return (d.PrinterFunction() & (1u << bit)) != 0; }

// Papers a roll printer takes, and papers every other printer takes.
constexpr const char16_t* kRollPapers[] = {u"A0", u"A1", u"A2", u"A3", u"A4"};
constexpr const char16_t* kGeneralPapers[] = {u"A0", u"A1", u"A2", u"A3", u"A4",
                                              u"B1", u"B2", u"B3", u"B4"};
constexpr const char16_t* kInchPapers[] = {u"12 x 18 in", u"13 x 19 in"};

template <std::size_t N>
bool Listed(const char16_t* const (&list)[N], std::u16string_view name) {
  for (const char16_t* entry : list) {
    if (name == entry) return true;
  }
  return false;
}

// An inch paper is taken only when the description offers it with a size.
bool OffersSizedPage(const Description& d, std::u16string_view name) {
  std::string text = WideToAnsi(name, 31);
  for (Option o = d.Predefined(kPageSize).FirstOption(); o; o = o.Next()) {
    if ((o.Translation() == text || o.Name() == text) && o.PaperWidth() != 0 &&
        o.PaperLength() != 0) {
      return true;
    }
  }
  return false;
}

bool Acceptable(const SettingsRecord& r, const Description& d) {
  int code = r.pub.dmPaperSize;
  if (HasFunction(d, 5) &&
      (code == kPaperOsUser ||
       (HasFunction(d, 18) && code >= kPaperUserFirst && code <= kPaperUserLast))) {
    return true;
  }
  const DriverPaper* paper = FindDriverPaper(code);
  if (paper == nullptr) return false;
  std::u16string_view name = paper->name;
  if (HasFunction(d, 19)) {
    for (const DescriptionPaper& p : DescriptionPaperList(d)) {
      if (p.name == name) return true;
    }
    return false;
  }
  if (d.PrinterType() == 3) return Listed(kRollPapers, name);
  if (Listed(kGeneralPapers, name)) return true;
  return Listed(kInchPapers, name) && OffersSizedPage(d, name);
}

}  // namespace

const DriverPaper& DefaultPaper(const Description& d) {
  bool roll = d.PrinterType() == 3 && HasFunction(d, 19);
  return *FindDriverPaper(roll ? 268 : DMPAPER_A3);
}

std::vector<DescriptionPaper> DescriptionPaperList(const Description& d) {
  std::vector<DescriptionPaper> papers;
  for (Option o = d.Predefined(kPageSize).FirstOption(); o; o = o.Next()) {
    std::u16string name = AnsiToWide(o.Translation().empty() ? o.Name() : o.Translation());
    if (name.size() > 31) name.resize(31);
    papers.push_back({name, PaperNameToCode(name)});
  }
  return papers;
}

void CheckPaper(SettingsRecord& r, const Description& d) {
  if (Acceptable(r, d)) return;
  const DriverPaper& paper = DefaultPaper(d);
  r.pub.dmPaperSize = paper.code;
  std::u16string_view name = paper.name;
  for (std::size_t i = 0; i < CCHFORMNAME; ++i) r.pub.dmFormName[i] = i < name.size() ? name[i] : 0;
  r.pub.dmPaperWidth = static_cast<SHORT>(paper.width / 100);
  r.pub.dmPaperLength = static_cast<SHORT>(paper.length / 100);
}

InputSlotMatch FindInputSlot(const Description& d, std::string_view namePart) {
  int n = 0;
  for (Option o = d.Predefined(kInputSlot).FirstOption(); o; o = o.Next(), ++n) {
    if (o.Name().find(namePart) == std::string_view::npos) continue;
    return {n, CaretNumberOf(o.Translation().empty() ? o.Name() : o.Translation())};
  }
  return {-1, 0};
}

}  // namespace settings
