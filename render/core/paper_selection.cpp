// The paper selection command. It is added with the paper selection rules; until
// then a page selects no paper of its own.
#include "render/core/paper_selection.h"

#include "render/core/device_context.h"

namespace render {

void WritePaperSelection(DeviceContext&) {}

}  // namespace render
