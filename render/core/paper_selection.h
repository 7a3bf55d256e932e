// The paper selection command written at every page start: which paper, from
// which source, turned how.
#pragma once

#include "render/core/output_channel.h"
#include "settings/description.h"
#include "settings/settings_record.h"

namespace render {

struct DeviceContext;

// Writes the escape-framed paper selection commands of the page (none, or one
// or two: a size and a rotation request) for the device context's settings and
// printer description.
void WritePaperSelection(DeviceContext& dc);

// The same for a settings record and description of the caller's. A model
// number outside 1-104 writes nothing.
void WritePaperSelection(const settings::SettingsRecord& record, const settings::Description& d,
                         OutputChannel& out);

}  // namespace render
