// Kernel handles: one process-wide table that maps HANDLE values to the objects
// behind them (open files, tokens, registry keys, printers, ...), each tagged
// with its kind, so that CloseHandle closes any of them and a handle of one kind
// is never taken for another.
//
// A subsystem adds a kind by deriving its object from HandleObject (the
// destructor releases what the object holds: that is what closing does), by
// adding a row to HandleKind, and by creating handles with CreateHandle. Calls
// that take a handle find the object with LookupHandle<T>(handle, kind), which
// shares ownership: a thread that closes the handle while another still uses the
// object only drops the table's reference, and the object goes when the last
// user lets it go. Handle values are multiples of 4 below 2^31 (so that the
// 16-bit file functions can carry them as an HFILE) and are never given twice
// in one process, so a stale handle fails with ERROR_INVALID_HANDLE instead of
// reaching a newer object.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/base/types.h"

// Closes a handle of any kind: FALSE with ERROR_INVALID_HANDLE when it is not
// open. The pseudo handle of the current process closes without effect.
QXAPI BOOL CloseHandle(HANDLE object);

namespace platform {

// The kinds of objects behind handles; a new subsystem adds its row.
enum class HandleKind : std::uint16_t {
  kFile = 1,
  kToken = 2,
  kRegistryKey = 3,
  kPrinter = 4,
  kEvent = 5,
  kOther = 100,
};

struct HandleObject {
  virtual ~HandleObject() = default;
};

// Registers `object` and returns its new handle; null when the object is null.
HANDLE CreateHandle(HandleKind kind, std::shared_ptr<HandleObject> object);

// The object behind `handle` when it is open and of `kind`; null otherwise
// (without touching the last error: the caller knows which code to report).
std::shared_ptr<HandleObject> LookupHandleObject(HANDLE handle, HandleKind kind);

template <typename T>
std::shared_ptr<T> LookupHandle(HANDLE handle, HandleKind kind) {
  return std::static_pointer_cast<T>(LookupHandleObject(handle, kind));
}

// Removes `handle` from the table when it is open and of `kind` (any kind when
// `kind` is null); the object is destroyed once no caller holds it any more.
bool ReleaseHandle(HANDLE handle, const HandleKind* kind = nullptr);

// The pseudo handle GetCurrentProcess returns.
inline HANDLE CurrentProcessPseudoHandle() { return INVALID_HANDLE_VALUE; }

namespace test {
// Handles open in this process, for leak tests.
std::size_t OpenHandleCount();
}  // namespace test

}  // namespace platform
