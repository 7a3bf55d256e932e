// The fixed paper tables of the driver.
#include "settings/paper_tables.h"

#include <cstdlib>

#include "platform/base/text.h"

namespace settings {

namespace {

// Papers the driver knows; sizes in micrometres.
// clang-format off
constexpr DriverPaper kDriverPapers[] = {
    {u"A0",         267,  841000, 1189000},
    {u"A1",         268,  594000,  841000},
    {u"A2",          66,  420000,  594000},
    {u"A3",           8,  297000,  420000},
    {u"A4",           9,  210000,  297000},
    {u"A5",          11,  148000,  210000},
    {u"A6",          70,  105000,  148000},
    {u"B1",         280,  728000, 1030000},
    {u"B2",         281,  515000,  728000},
    {u"B3",         269,  364000,  515000},
    {u"B4",          12,  257000,  364000},
    {u"B5",          13,  182000,  257000},
    {u"B6",          88,  128000,  182000},
    {u"12 x 18 in", 512,  304800,  457300},
    {u"13 x 19 in", 513,  330200,  482600},
};
// clang-format on

struct PaperName {
  const char16_t* name;
  std::int16_t code;
};

// Names a settings record may carry for its paper, with their codes.
// clang-format off
constexpr PaperName kPaperNames[] = {
    {u"PAPER_LINK",   0},
    {u"A0",         267}, {u"A1", 268}, {u"A2",  66}, {u"A3",   8}, {u"A4", 9},
    {u"A5",          11}, {u"A6",  70}, {u"B1", 280}, {u"B2", 281}, {u"B3", 269},
    {u"B4",          12}, {u"B5",  13}, {u"B6",  88},
    {u"12 x 18 in", 512}, {u"13 x 19 in", 513},
    {u"OSUSER",     256},
    {u"USER1",      384}, {u"USER2", 385}, {u"USER3", 386}, {u"USER4", 387},
    {u"USER5",      388}, {u"USER6", 389}, {u"USER7", 390}, {u"USER8", 391},
    {u"USER9",      392}, {u"USER10", 393},
};
// clang-format on
static_assert(std::size(kPaperNames) == 27);

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::span<const DriverPaper> DriverPapers() { return kDriverPapers; }

const DriverPaper* FindDriverPaper(int code) {
  for (const DriverPaper& p : kDriverPapers) {
    if (p.code == code) return &p;
  }
  return nullptr;
}

const DriverPaper* FindDriverPaperByName(std::u16string_view name, bool ignoreCase) {
  for (const DriverPaper& p : kDriverPapers) {
    if (ignoreCase ? platform::EqualsIgnoreCase(p.name, name) : name == p.name) return &p;
  }
  return nullptr;
}

std::int16_t PaperNameToCode(std::u16string_view name) {
  for (const PaperName& p : kPaperNames) {
    if (name == p.name) return p.code;
  }
  return DMPAPER_A3;
}

const char16_t* PaperCodeToName(int code) {
  for (const PaperName& p : kPaperNames) {
    if (p.code == code) return p.name;
  }
  return u"A3";
}

bool IsCustomPaperCode(int code) {
  return code == kPaperOsUser || (code >= kPaperUserFirst && code <= kPaperUserLast);
}

bool IsCustomPaperName(int code, std::u16string_view name) {
  if (name == u"PAPER_LINK") return IsCustomPaperCode(code);
  return StartsWith(name, u"USER") || StartsWith(name, u"OSUSER");
}

std::size_t DriverFormCount() { return std::size(kDriverPapers); }

DriverForm DriverFormAt(std::size_t index) {
  const DriverPaper& p = kDriverPapers[index];
  return {kFormPrinter, p.name, p.width, p.length, 0, 0, p.width, p.length};
}

bool MatchCustomSize(DEVMODEW& target, const DEVMODEW& source) {
  for (const DriverPaper& p : kDriverPapers) {
    int width = p.width / 100;
    int length = p.length / 100;
    if (std::abs(width - source.dmPaperWidth) < 10 &&
        std::abs(length - source.dmPaperLength) < 10) {
      target.dmPaperSize = p.code;
      std::u16string_view name = p.name;
      for (std::size_t i = 0; i < CCHFORMNAME; ++i) {
        target.dmFormName[i] = i < name.size() ? name[i] : u'\0';
      }
      target.dmPaperWidth = static_cast<SHORT>(width);
      target.dmPaperLength = static_cast<SHORT>(length);
      return true;
    }
  }
  return false;
}

}  // namespace settings
