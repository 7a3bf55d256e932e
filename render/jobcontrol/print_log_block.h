// The 2,648-byte print-log block that the render library hands the spool filter
// at the end of a logged job: what it knows about the job (document, pages,
// copies, paper, user, colour, track ID).
#pragma once

#include <cstddef>

#include "render/core/device_context.h"

namespace render::jobcontrol {

// Fills `block` (kLogBlockSize bytes); false when no block can be built, and
// then none is sent.
bool BuildPrintLogBlock(const DeviceContext& dc, unsigned char* block, std::size_t size);

}  // namespace render::jobcontrol
