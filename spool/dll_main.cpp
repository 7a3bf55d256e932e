// Entry point the loader calls when the spool filter is attached to or detached
// from a process.
#include "platform/platform.h"

QX_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
