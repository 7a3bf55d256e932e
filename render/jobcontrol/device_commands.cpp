// Device commands. They are added with the job control; until then none is sent.
#include "render/jobcontrol/device_commands.h"

#include "render/core/device_context.h"

namespace render {

void WriteResetPageSetup(DeviceContext&) {}

void SwitchManualFeed(DeviceContext& dc, bool on) {
  if (on) {
    dc.jobFlags |= kJobManualFeedOn;
  } else {
    dc.jobFlags &= ~kJobManualFeedOn;
  }
}

}  // namespace render
