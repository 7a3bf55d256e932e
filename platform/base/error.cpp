// The last-error slot: one per thread, shared by every library of the process.
#include "platform/base/error.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

QXAPI DWORD GetLastError() { return lastError; }
QXAPI void SetLastError(DWORD code) { lastError = code; }
