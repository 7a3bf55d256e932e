// The list of downloaded names.
#include "render/text/download_list.h"

#include "render/core/device_context.h"

namespace render {

void ReleaseDownloadedNames(DeviceContext& dc) {
  auto* name = static_cast<DownloadedName*>(dc.downloadedNames);
  while (name) {
    DownloadedName* next = name->next;
    GlobalFree(name);
    name = next;
  }
  dc.downloadedNames = nullptr;
}

void CarryDownloads(DeviceContext& before, DeviceContext& now) {
  ReleaseDownloadedNames(now);
  now.downloadedNames = before.downloadedNames;
  before.downloadedNames = nullptr;
}

}  // namespace render
