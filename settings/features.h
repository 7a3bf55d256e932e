// Queries over the features and options of a loaded description: option texts
// and names, resolutions, collate, duplex and manual feed, installed device
// options, constraints and conflict codes, the installable defaults, the
// selections that mirror public members, and the model groups. All read-only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/types.h"
#include "settings/description.h"

namespace settings {

struct SettingsRecord;

// The number of options a feature can store a choice for: option numbers are
// bytes and 255 stands for none, so options at 255 and beyond cannot be chosen.
int SelectableOptionCount(Feature feature);

// Whether an option carries the given name. A name that cannot be an option
// keyword (it holds a blank or a byte of 0x80 or above, as the names shown to
// users do) is compared with the option's translation, exactly; any other name
// with the keyword.
bool OptionHasName(Option option, std::string_view name);
// The position of the first option with that name (OptionHasName), or -1.
int FindOptionNamed(Feature feature, std::string_view name);

// The option's translation, or its keyword when the translation is empty, in
// UTF-16 (from the ANSI code page), at most 63 characters.
std::u16string OptionText(Feature feature, int option);
// The position of the option with that keyword (converted to the ANSI code
// page), 0 when absent.
int FindOptionByWideName(Feature feature, std::u16string_view keyword);
// For the option with that keyword: the decimal number in the (at most 5)
// characters after the first "^" of its translation (its keyword when the
// translation is empty); 0 when absent, when one is not a digit, or above 32767.
int CaretNumber(Feature feature, std::u16string_view keyword);
// The number after the first "^" of a text (the first 23 bytes looked at), 0
// when absent, malformed or above 32767.
int CaretNumberOf(std::string_view text);

// The value of an option keyword as a resolution: its leading decimal digits
// (saturated), 0 without digits.
std::uint32_t ResolutionOfKeyword(std::string_view keyword);
// The default resolution in dpi; 300 without a Resolution feature.
int DefaultResolution(const Description& d);
bool IsResolutionOffered(const Description& d, int dpi);
// 600, 400, 300 or 200 with a default of 600; 400, 300 or 200 otherwise.
bool IsCompatibleResolution(int dpi, int defaultDpi);

bool HasDuplex(const Description& d);
// The value text of the Collate (ManualFeed) option "True" or "False".
std::optional<std::string_view> CollateCode(const Description& d, bool on);
std::optional<std::string_view> ManualFeedCode(const Description& d, bool on);
// "DuplexTumble" for 3, "DuplexNoTumble" for 2, "None" otherwise.
const char* DuplexOptionName(int dmDuplex);

// Over the device-option table of a private block (the first `count` entries):
// "None" is installed; a listed name is installed when its flag is 1.
bool IsInstalled(const unsigned char* privateBlock, std::uint32_t count, std::u16string_view name);
// "None": false with *flag 1; a listed name: installed, with *flag 1 when it is
// installed and 0 when not; an unlisted name: false with *flag 1.
bool InstalledState(const unsigned char* privateBlock, std::uint32_t count,
                    std::u16string_view name, int* flag);

// True when a constraint says that option s1 of feature f1 rules out option s2 of
// feature f2 (features numbered in the whole list, one direction only).
bool IsConstrained(const Description& d, int f1, int s1, int f2, int s2);
// 0, or a conflict code: (feature | 0x100) << 8 | option for a conflicting
// installable choice, (feature | 0x200) << 8 | option for a document one.
// `document` null: `feature` is an installable feature numbered in its group.
std::uint32_t CheckSelection(const Description& d, const std::uint8_t* installable,
                             const std::uint8_t* document, int feature, int option);
constexpr int kMaxInstallable = 64;
// Fills the installable choices (at most 64) with their defaults, moved off
// conflicts; returns how many were filled.
int ResolveInstallableDefaults(const Description& d, std::uint8_t buffer[kMaxInstallable]);
// Sets the optionSel entries of the features that mirror the public members named
// in `mask` (DM_COLLATE, DM_DUPLEX, DM_PRINTQUALITY, DM_FORMNAME, DM_DEFAULTSOURCE);
// returns the list index of the last feature handled, or -1.
int SyncSelectionsFromPublic(const Description& d, SettingsRecord& record, DWORD mask);

// Reads and writes of optionSel by list index: indexes of 64 and beyond store
// nothing and read as the feature's default.
int ReadOptionSel(const SettingsRecord& record, Feature feature);
void WriteOptionSel(SettingsRecord& record, Feature feature, int option);

// The model groups of the device commands.
bool InModelGroupA(const Description& d);
bool InModelGroupB(const Description& d);
bool InModelGroupC(const Description& d);
bool InModelGroupD(const Description& d);
bool InModelGroupE(const Description& d);

// ANSI code page conversions of description texts.
std::u16string AnsiToWide(std::string_view text);
// At most `maxChars` characters, cut at a character boundary.
std::string WideToAnsi(std::u16string_view text, std::size_t maxChars);

}  // namespace settings
