// The job-binder request of qx print --to-binder.
#include "tools/qx/binder_request.h"

#include "platform/base/text.h"
#include "settings/device_info_file.h"
#include "settings/job_binder_request.h"

namespace qx {

bool RequestBinderJob(const std::u16string& printer, const std::string& fileName,
                      std::string* folder, std::string* error) {
  std::u16string name = platform::Utf8ToWide(fileName);
  if (!settings::IsValidJobBinderFileName(name)) {
    *error =
        "a job-binder file name cannot hold \\ / : , ; * ? \" < > | or be only blanks: " + fileName;
    return false;
  }
  std::u16string binderFolder = settings::JobBinderFolder();
  if (!settings::RequestJobBinderJob(settings::DeviceInfoFilePath(true), printer, binderFolder,
                                     name, true)) {
    *error = "cannot write the job-binder request for " + platform::WideToUtf8(printer);
    return false;
  }
  *folder = platform::WideToUtf8(binderFolder);
  return true;
}

}  // namespace qx
