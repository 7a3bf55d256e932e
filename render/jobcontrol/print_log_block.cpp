// The print-log block. It is added with the print log; until then a logged job
// sends no block and the spool filter writes no record for it.
#include "render/jobcontrol/print_log_block.h"

namespace render::jobcontrol {

bool BuildPrintLogBlock(const DeviceContext&, unsigned char*, std::size_t) { return false; }

}  // namespace render::jobcontrol
