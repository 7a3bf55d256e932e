// INI profile functions with the platform's semantics: sections and keys
// compared without regard to case, a key deleted by a null value and a section by
// a null key, one pair of quotes around a value stripped, a bare file name meaning
// the Windows folder, values cut to the buffer. Files we create are UTF-16LE with
// a byte-order mark; existing files are read in their own encoding (UTF-16 with a
// mark, UTF-8 with or without one, else the ANSI code page) and written back in it.
#pragma once

#include "platform/base/types.h"

// Copies the value (or, with a null section or key, the list of section or key
// names, each terminated, the list ended by a second zero) into `returned`, cut to
// size - 1 characters (size - 2 for a list), and returns the characters copied
// without the terminator: size - 1 when a value was cut, size - 2 when a list was.
QXAPI DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue,
                                     LPWSTR returned, DWORD size, LPCWSTR fileName);
// The value read as a decimal integer (leading digits, an optional sign); the
// default when the key is missing.
QXAPI UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
QXAPI BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value,
                                      LPCWSTR fileName);
QXAPI DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size,
                                      LPCWSTR fileName);
