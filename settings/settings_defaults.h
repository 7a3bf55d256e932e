// The defaults of a settings record for a printer description, and the merge of
// an incoming record into a defaulted one.
#pragma once

#include "platform/base/devmode.h"
#include "settings/description.h"
#include "settings/settings_record.h"

namespace settings {

// Fills all 2,420 bytes of `record` with the defaults of the description; the
// printer name (when given, at most 31 characters) becomes dmDeviceName.
void SetDefaults(SettingsRecord& record, const char16_t* printerName, const Description& d);

// Merges `source` (any size of public record with any private data; null: nothing
// to merge) into `target`, which already holds defaults or an earlier merge.
// Out-of-range public members are corrected, a private block is taken only when
// it passes the private check, and selections of another description are
// replaced by the defaults. False (target unchanged) when working memory cannot be
// had. `source` must hold dmSize + dmDriverExtra bytes.
[[nodiscard]] bool MergeRecord(SettingsRecord& target, const DEVMODEW* source,
                               const Description& d);

// The parts of the defaults that others recompute: the selections of the
// document features (descStamp, featureCount, optionSel).
void SetDefaultSelections(SettingsRecord& record, const Description& d);

// The hexadecimal value of a device option's value text ("0x" skipped, up to "/"
// or the end; any other character gives 0).
std::uint32_t DeviceOptionValue(std::string_view text);

}  // namespace settings
