// The names of the resources (fonts) already downloaded in a job: a singly
// linked list in global memory that a reset hands from the old device context to
// the new one.
#pragma once

namespace render {

struct DeviceContext;

// One downloaded name; the text follows the record.
struct DownloadedName {
  DownloadedName* next;
  char name[1];
};

void ReleaseDownloadedNames(DeviceContext& dc);
// The new context takes over the old one's list and, when both have the same
// fonts, its record of what was downloaded.
void CarryDownloads(DeviceContext& before, DeviceContext& now);

}  // namespace render
