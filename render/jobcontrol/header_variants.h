// The nine forms of the job header, chosen by the model number of the printer
// description's NickName. They differ in which lines they write and in their
// order; every line keeps its one form.
#pragma once

#include "render/core/device_context.h"

namespace render::jobcontrol {

enum class HeaderVariant : char { kNone, kA, kB, kC, kD, kE, kF, kG, kH, kI };

// The variant of a model number; kNone outside 1 to 104.
HeaderVariant VariantOfModel(int model);
// The variant of the description's NickName.
HeaderVariant VariantOf(const DeviceContext& dc);

// The header of that variant; nothing for kNone.
void WriteHeaderVariant(DeviceContext& dc, HeaderVariant variant);

// The variants whose PJL part a job-binder job leaves out, and whose trailer
// then ends the job for the job binder.
inline bool JobBinderVariant(HeaderVariant v) {
  return v == HeaderVariant::kA || v == HeaderVariant::kF || v == HeaderVariant::kH;
}

}  // namespace render::jobcontrol
