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
// default when the key is missing or empty. A missing file or key makes
// GetPrivateProfileStringW copy the default (trailing blanks removed) and set
// ERROR_FILE_NOT_FOUND; a section without keys gives the default for its list.
QXAPI UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
// Sets, or with a null value deletes, a key; a null key deletes the section.
// Lines the call does not change keep their bytes; a new key goes after the last
// key of its section, a new section at the end of the file, each with CRLF. The
// file is replaced in one step (a new file renamed over it) under a lock that
// every thread and process takes, so readers never see half a file. FALSE with
// ERROR_PATH_NOT_FOUND when the folder is missing, ERROR_ACCESS_DENIED for a
// read-only file.
QXAPI BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value,
                                      LPCWSTR fileName);
// The section's lines "key=value" (blanks trimmed, quotes kept; comments left
// out), each terminated and the list ended by a second zero, cut as above.
QXAPI DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size,
                                      LPCWSTR fileName);
