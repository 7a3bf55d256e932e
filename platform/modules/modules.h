// Libraries and their resources. LoadLibraryW loads a real shared object: a name
// ending in ".DLL" (any case; a name without an extension gets one) is the file
// of the same base name with ".so". A name with a folder is a path of the file
// namespace (platform::NativePath); a bare name is looked for in the folder of
// the calling library, of the platform library and of the modules already
// loaded, then by dlopen's own search. Modules can also be registered by name
// (the spooler's "spoolss.dll", test doubles); those are found first.
//
// A library that exports DllMain has it called with DLL_PROCESS_ATTACH when its
// first reference is taken (FALSE fails the load with ERROR_DLL_INIT_FAILED) and
// with DLL_PROCESS_DETACH before its last FreeLibrary unloads it.
//
// A library's resources (string table, typed records) come from the table its
// exported function "QxModuleResources" returns:
//   QX_EXPORT const QX_RESOURCE_TABLE* QxModuleResources();
// The table and everything it points at must stay valid while the library is
// loaded (constant data of the library).
#pragma once

#include <cstddef>

#include "platform/base/types.h"

constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;
constexpr DWORD ERROR_DLL_INIT_FAILED = 1114;

QXAPI HMODULE LoadLibraryW(LPCWSTR fileName);
QXAPI HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE reserved, DWORD flags);
QXAPI FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
QXAPI BOOL FreeLibrary(HMODULE module);
QXAPI HMODULE GetModuleHandleW(LPCWSTR moduleName);
// The full file name of a loaded module: its namespace path ("C:\...") when the
// file lies below the root, else its native path; for a registered module, its
// name; for a null module, the program. A name that does not fit is cut to
// size - 1 characters and terminated, and the result is `size` with
// ERROR_INSUFFICIENT_BUFFER.
QXAPI DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

// Resources. Types and names are numbers (MAKEINTRESOURCEW, or the text "#123");
// RT_STRING entries are served by LoadStringW from the module's string table.
// A module without a table gives ERROR_RESOURCE_DATA_NOT_FOUND, a type it does
// not carry ERROR_RESOURCE_TYPE_NOT_FOUND, a missing number of a carried type
// ERROR_RESOURCE_NAME_NOT_FOUND. LoadResource and LockResource give the table's
// own bytes (read-only).
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_VERSION MAKEINTRESOURCEW(16)
QXAPI HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
QXAPI HGLOBAL LoadResource(HMODULE module, HRSRC resource);
QXAPI LPVOID LockResource(HGLOBAL data);
QXAPI DWORD SizeofResource(HMODULE module, HRSRC resource);
// Copies string `id` into `buffer` (cut to max - 1 characters, terminated) and
// returns its length; with max 0, stores a read-only pointer to the text in
// *buffer and returns its length. 0 when the module has no such string, with
// ERROR_RESOURCE_NAME_NOT_FOUND (ERROR_RESOURCE_TYPE_NOT_FOUND when it carries
// no strings at all).
QXAPI int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int max);

// What a library carries as resources.
struct QX_RESOURCE {
  WORD type;
  WORD id;
  const void* data;
  DWORD size;
};
struct QX_STRING {
  UINT id;
  const char16_t* text;
};
struct QX_RESOURCE_TABLE {
  const QX_RESOURCE* resources;
  std::size_t resourceCount;
  const QX_STRING* strings;
  std::size_t stringCount;
};
// The function a library exports as "QxModuleResources".
using QX_RESOURCES_FN = const QX_RESOURCE_TABLE* (*)();

namespace platform {

struct ModuleExport {
  const char* name;
  FARPROC function;
};

// Registers a module that LoadLibraryW finds by its base name (without regard to
// case, ".dll" optional): the spooler's own modules and test doubles. Exports
// and resources are borrowed for the life of the process. A later registration
// of the same name replaces the earlier one for later loads.
HMODULE RegisterModule(const char16_t* name, const ModuleExport* exports, std::size_t exportCount,
                       const QX_RESOURCE_TABLE* resources);
// Forgets a registered module (tests that model an absent library).
void UnregisterModule(const char16_t* name);

}  // namespace platform
