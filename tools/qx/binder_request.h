// A job-binder job asked for as the settings UI asks for one: the printer's
// request keys in qxw4gl.ini and the folder the job-binder application watches.
#pragma once

#include <string>

namespace qx {

// Asks for the printer's next job to go to the job binder, named `fileName`
// (empty: after the document). On success `folder` is the job-binder folder;
// false with a reason for a name a job-binder file cannot have, or when the
// keys or the folder cannot be written.
[[nodiscard]] bool RequestBinderJob(const std::u16string& printer, const std::string& fileName,
                                    std::string* folder, std::string* error);

}  // namespace qx
