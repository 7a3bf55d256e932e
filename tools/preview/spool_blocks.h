// The in-band blocks of the spool-filter protocol. The render library sends
// them through the same channel as the print stream, so a stream taken
// before the spool filter holds them: the job start block first, then for a
// job-binder job the job-binder block and the merge header, and at the end
// the job-binder trailer or the print-log block. They are skipped, not read.
#pragma once

#include <cstddef>
#include <optional>

#include "tools/preview/byte_cursor.h"
#include "tools/preview/job_info.h"

namespace preview {

// The block that starts at the cursor, when one does; `afterJobBinderStart`
// says that a job start block of mode 2 came just before.
std::optional<SpoolBlock> FindSpoolBlock(const ByteCursor& in, bool afterJobBinderStart,
                                         bool afterJobBinderBlock);

// The job mode of a job start block: 0 print, 2 job binder, 4 print and log.
int JobStartMode(const ByteCursor& in);

}  // namespace preview
