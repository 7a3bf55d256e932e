// The answer of a driver entry whose output is not written yet.
#pragma once

#include "platform/platform.h"

namespace render {

inline BOOL NotYet() {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

}  // namespace render
