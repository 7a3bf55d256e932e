// Critical sections (recursive for the owning thread) and a once-guard.
#pragma once

#include "platform/base/types.h"

// The section's state lives behind one pointer; InitializeCriticalSection sets it
// and DeleteCriticalSection releases it.
struct CRITICAL_SECTION {
  void* impl;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

QXAPI void InitializeCriticalSection(CRITICAL_SECTION* section);
QXAPI void DeleteCriticalSection(CRITICAL_SECTION* section);
QXAPI void EnterCriticalSection(CRITICAL_SECTION* section);
QXAPI BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
QXAPI void LeaveCriticalSection(CRITICAL_SECTION* section);

// One-time initialisation: the callback runs once per guard; later callers wait
// for it and see its result.
struct INIT_ONCE {
  void* impl;
};
constexpr INIT_ONCE INIT_ONCE_STATIC_INIT = {nullptr};
using PINIT_ONCE_FN = BOOL (*)(INIT_ONCE* once, void* parameter, void** context);
QXAPI BOOL InitOnceExecuteOnce(INIT_ONCE* once, PINIT_ONCE_FN fn, void* parameter, void** context);

QXAPI DWORD GetCurrentThreadId();
QXAPI DWORD GetCurrentProcessId();
QXAPI void Sleep(DWORD milliseconds);
QXAPI DWORD GetTickCount();
