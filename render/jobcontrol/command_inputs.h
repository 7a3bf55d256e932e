// The job's settings as the device commands and the job header read them: typed
// fields of the settings record, the selected options of the description, the
// encodings of the option texts (tray name and number, slot kind, the text after
// the slash), and the writers every command group shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "render/core/device_context.h"
#include "settings/description.h"
#include "settings/settings_record.h"

namespace render::jobcontrol {

// Fields of the private block by offset.
inline std::int32_t PrivI32(const DeviceContext& dc, std::size_t offset) {
  return settings::GetI32(dc.settings.priv, offset);
}
inline std::int16_t PrivI16(const DeviceContext& dc, std::size_t offset) {
  return settings::GetI16(dc.settings.priv, offset);
}
inline std::uint16_t PrintOptions(const DeviceContext& dc) {
  return settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions);
}
inline std::uint16_t DeviceFlags(const DeviceContext& dc) {
  return settings::GetU16(dc.settings.priv, settings::priv::kDeviceFlags);
}
inline bool HasPrintOption(const DeviceContext& dc, std::uint16_t bit) {
  return (PrintOptions(dc) & bit) != 0;
}
inline bool HasDeviceFlag(const DeviceContext& dc, std::uint16_t bit) {
  return (DeviceFlags(dc) & bit) != 0;
}
inline bool HasFunction(const DeviceContext& dc, std::uint32_t bits) {
  return (dc.PrinterFunction() & bits) != 0;
}
inline std::uint32_t PrinterType(const DeviceContext& dc) { return dc.Description().PrinterType(); }
// The device model (LanguageLevel).
inline std::uint32_t DeviceModel(const DeviceContext& dc) {
  return dc.Description().LanguageLevel();
}
bool ModelIsOneOf(const DeviceContext& dc, std::initializer_list<std::uint32_t> models);

// The paper source number the commands compare: dmDefaultSource from 256 on,
// otherwise 7 (automatic selection).
int SourceNumber(const DeviceContext& dc);
// 256 and 384 to 393.
bool IsCustomSizeCode(int paperSize);
bool YoushiIsPaperLink(const DeviceContext& dc);
// `youshi` begins with "USER" or "OSUSER".
bool YoushiIsUserSize(const DeviceContext& dc);
// Paper link with a custom-size code, or a user size.
bool OnCustomPaper(const DeviceContext& dc);
// `bekutachk`, but 0 on monochrome devices of the tray family.
std::int32_t VectorOverride(const DeviceContext& dc);
// The colour set of the current colour mode (0 to 2).
int ColourSet(const DeviceContext& dc);

// An option texts' halves around the first "/" (the whole text is the label
// when there is no slash, and the text after it is empty).
std::string_view BeforeSlash(std::string_view text);
std::string_view AfterSlash(std::string_view text);

// The option of a predefined feature that a settings value selects; none for a
// value outside the feature's options.
settings::Option SelectedOption(const DeviceContext& dc, settings::PredefinedFeature feature,
                                std::int32_t index);
// Whether an option carries a name (see settings::OptionHasName): names with a
// blank or a double-byte character are compared with the translation.
bool OptionNamed(settings::Option option, std::string_view name);

// InputSlot options: the translation is "tray name^number" (the keyword when
// there is no translation), the keyword "text^kind_rest".
std::string_view SlotTrayName(settings::Option slot);
int SlotNumber(settings::Option slot);
std::string_view SlotKind(settings::Option slot);
// The first InputSlot option with that number, or none.
settings::Option SlotWithNumber(const DeviceContext& dc, int number);

// A 32-bit printer data value; false when it is missing or of another size.
bool ReadPrinterDword(const DeviceContext& dc, const char16_t* name, DWORD* value);

// A Japanese name as the description files hold it (Shift-JIS).
std::string ShiftJis(std::u16string_view text);

// The writers. Description texts and values go through the formatter as
// arguments, so that a "%" in them reaches the printer unchanged.
void WriteLine(DeviceContext& dc, const char* format, std::initializer_list<FormatArg> args = {});
void WriteVerbatim(DeviceContext& dc, std::string_view text);
// The device's escape framing of tray and pen commands: 1B 12 "?" text 1B 20.
void WriteFramed(DeviceContext& dc, std::string_view text);

}  // namespace render::jobcontrol
