// Paper choices that depend on the printer description: the default paper, the
// papers the description offers, the paper check after every merge, and the
// input slot lookup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/description.h"
#include "settings/paper_tables.h"
#include "settings/settings_record.h"

namespace settings {

// A3, or A1 on a roll printer (PrinterType 3) with PrinterFunction bit 19.
const DriverPaper& DefaultPaper(const Description& d);

// One row per PageSize option: its text (translation, else keyword; at most 31
// characters) and the code the paper name table gives that text.
struct DescriptionPaper {
  std::u16string name;
  std::int16_t code;
};
std::vector<DescriptionPaper> DescriptionPaperList(const Description& d);

// Replaces a paper the printer cannot take by the default paper.
void CheckPaper(SettingsRecord& record, const Description& d);

// The first InputSlot option whose keyword contains `namePart`: its position and
// its bin number (after "^" in its translation or keyword; 0 when absent).
struct InputSlotMatch {
  int option;  // -1: none
  int bin;
};
InputSlotMatch FindInputSlot(const Description& d, std::string_view namePart);

}  // namespace settings
