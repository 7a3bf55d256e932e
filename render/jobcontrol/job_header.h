// The job header and trailer: the PJL frame of a job, the switch into KX-GL/2
// and the block of device commands that carries the job's device settings.
#pragma once

namespace render {

struct DeviceContext;

// Built once per document, at the first page start.
void BuildJobHeader(DeviceContext& dc);
// The shorter header an application's pass-through data needs, written once.
void WritePassThroughHeader(DeviceContext& dc);
// At the end of a document whose header was built.
void WriteJobTrailer(DeviceContext& dc);

}  // namespace render
