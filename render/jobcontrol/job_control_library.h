// The maker's job-control library MOBJC64.dll, found in the driver's version
// folder. It keeps users' IDs, codes and authentication values per printer and
// encrypts passwords. It is loaded for each use and unloaded after it; when it is
// missing, every value it would give is left out.
//
// JCGetInterface(version, &interface) hands out an interface: a table of
// functions, slot n at position n. Results are 0 on success.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace render::jobcontrol {

constexpr DWORD kJobControlSettings = 517;
constexpr DWORD kJobControlCipher = 642;

// Items of the settings interface (index 1).
constexpr DWORD kItemUserCode = 1;
constexpr DWORD kItemUserId = 4;
constexpr DWORD kItemAuthUser = 9;
constexpr DWORD kItemAuthPassword = 10;
constexpr DWORD kItemNetworkKey = 11;
// The answer for a password that is not set.
constexpr DWORD kNoPassword = 0x20000001;

// Kinds of the cipher interface.
constexpr DWORD kCipherText = 1;
constexpr DWORD kCipherWithKey = 2;
constexpr DWORD kCipherWithoutKey = 4;

using JCGetInterfaceFn = DWORD (*)(DWORD version, void** table);
using JCDisposeInterfaceFn = DWORD (*)(void* table);

// The settings interface (version 517). Sizes are bytes; texts UTF-16.
struct JobControlSettingsTable {
  void* slot0;
  DWORD (*open)(LPCWSTR printer, HANDLE* connection);
  DWORD (*close)(HANDLE connection, void* table);
  // A null buffer asks for the size in *needed.
  DWORD(*getValue)
  (HANDLE connection, DWORD item, DWORD index, void* buffer, DWORD size, DWORD* needed);
  DWORD (*setValue)(HANDLE connection, DWORD item, DWORD index, LPCWSTR text);
  DWORD (*clearValue)(HANDLE connection, DWORD item);
  void* slot6;
  DWORD (*setMode)(HANDLE connection, DWORD mode, DWORD zero);
  DWORD(*getAttribute)
  (HANDLE connection, DWORD item, DWORD index, DWORD kind, void* buffer, DWORD size, DWORD* needed);
};

// The cipher interface (version 642).
struct JobControlCipherTable {
  void* slot0;
  DWORD (*open)(DWORD kind, HANDLE* handle);
  DWORD (*close)(HANDLE handle, void* table);
  // Parameter 256: the address of two pointers (user name and network key), 16 bytes.
  DWORD (*setParameter)(HANDLE handle, DWORD parameter, void* value, DWORD size);
  // A null output asks for the size in *needed.
  DWORD(*transform)
  (HANDLE handle, const void* input, DWORD length, void* output, DWORD size, DWORD* needed);
};

// The library's file: the printer driver directory, "\3\", "MOBJC64.dll".
std::u16string JobControlLibraryPath();

}  // namespace render::jobcontrol
