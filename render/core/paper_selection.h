// The paper selection command written at every page start: which paper, from
// which source, turned how.
#pragma once

namespace render {

struct DeviceContext;

void WritePaperSelection(DeviceContext& dc);

}  // namespace render
