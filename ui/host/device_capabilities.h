// What the printer can do, as applications and the spooler ask the settings UI
// library through DrvDeviceCapabilities.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/description.h"
#include "settings/settings_record.h"

// The capability indexes the operating system defines (DC_ values).
constexpr WORD DC_FIELDS = 1;
constexpr WORD DC_PAPERS = 2;
constexpr WORD DC_PAPERSIZE = 3;
constexpr WORD DC_MINEXTENT = 4;
constexpr WORD DC_MAXEXTENT = 5;
constexpr WORD DC_BINS = 6;
constexpr WORD DC_DUPLEX = 7;
constexpr WORD DC_SIZE = 8;
constexpr WORD DC_EXTRA = 9;
constexpr WORD DC_VERSION = 10;
constexpr WORD DC_DRIVER = 11;
constexpr WORD DC_BINNAMES = 12;
constexpr WORD DC_ENUMRESOLUTIONS = 13;
constexpr WORD DC_FILEDEPENDENCIES = 14;
constexpr WORD DC_TRUETYPE = 15;
constexpr WORD DC_PAPERNAMES = 16;
constexpr WORD DC_ORIENTATION = 17;
constexpr WORD DC_COPIES = 18;
constexpr WORD DC_COLLATE = 22;
constexpr WORD DC_PERSONALITY = 25;
constexpr WORD DC_PRINTRATE = 26;
constexpr WORD DC_PRINTRATEUNIT = 27;
constexpr WORD DC_PRINTERMEM = 28;
constexpr WORD DC_MEDIAREADY = 29;
constexpr WORD DC_STAPLE = 30;
constexpr WORD DC_PRINTRATEPPM = 31;
constexpr WORD DC_COLORDEVICE = 32;
constexpr WORD DC_NUP = 33;

// Column widths of the name lists, in characters with the terminator.
constexpr std::size_t kBinNameChars = 24;
constexpr std::size_t kPaperNameChars = 64;

// The answer to `capability`; -1 (0xFFFFFFFF) for an index the driver does not
// answer or when the description or the settings cannot be had. With no output
// buffer the list capabilities return only their count.
QX_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, WCHAR* deviceName, WORD capability,
                                             void* output, DEVMODEW* input);

namespace ui {

// One entry of the paper list that DC_PAPERS, DC_PAPERSIZE and DC_PAPERNAMES
// share: the code, the size in tenths of a millimetre, the name.
struct CapabilityPaper {
  WORD code;
  POINT size;
  std::u16string name;
};
// Reads the user sizes of printers that keep them per user (number 1 to 10):
// false when the size is not stored.
using UserSizeReader = bool (*)(void* context, int number, std::u16string* name, int* first,
                                int* second);
std::vector<CapabilityPaper> CapabilityPapers(const settings::Description& d,
                                              const settings::SettingsRecord& s,
                                              UserSizeReader reader, void* context);

// One available input slot: its bin number and display name.
struct CapabilityBin {
  WORD bin;
  std::u16string name;
};
std::vector<CapabilityBin> CapabilityBins(const settings::Description& d,
                                          const settings::SettingsRecord& s);

}  // namespace ui
