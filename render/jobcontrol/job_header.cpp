// The job header and trailer. Their lines are added with the job control; until
// then a job has no PJL frame.
#include "render/jobcontrol/job_header.h"

#include "render/core/device_context.h"

namespace render {

void BuildJobHeader(DeviceContext&) {}
void WritePassThroughHeader(DeviceContext&) {}
void WriteJobTrailer(DeviceContext&) {}

}  // namespace render
