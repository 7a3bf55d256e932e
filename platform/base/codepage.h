// Code pages: the system's ANSI and OEM pages (settable for tests; 932 by default)
// and the conversions between them and UTF-16, with the platform's mappings and
// its default-character behaviour for what a page cannot hold.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
constexpr DWORD WC_DISCARDNS = 0x00000010;
constexpr DWORD WC_SEPCHARS = 0x00000020;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

QXAPI UINT GetACP();
QXAPI UINT GetOEMCP();
QXAPI BOOL IsValidCodePage(UINT codePage);
QXAPI BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
QXAPI BOOL IsDBCSLeadByte(BYTE testChar);

// Counts and results as the platform documents them: with cchWideChar (or
// cbMultiByte) 0 the needed size is returned; a length of -1 means the source is
// zero-terminated and the terminator is converted too; a destination that is too
// small gives 0 and ERROR_INSUFFICIENT_BUFFER.
QXAPI int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                              LPWSTR wideChar, int cchWideChar);
QXAPI int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar,
                              LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar,
                              BOOL* usedDefaultChar);
// Converts a zero-terminated text to the OEM page (into a buffer the caller
// sized for it); TRUE.
QXAPI BOOL CharToOemW(LPCWSTR source, LPSTR dest);
QXAPI BOOL CharToOemBuffW(LPCWSTR source, LPSTR dest, DWORD length);

namespace platform {
// Whole-text conversions for the stand-in's own code (INI files in the ANSI
// page, texts shown on a terminal); empty for an empty text or an unknown page.
std::u16string MultiByteToWide(UINT codePage, std::string_view text);
std::string WideToMultiByte(UINT codePage, std::u16string_view text);
}  // namespace platform

namespace platform::test {
// Sets the system's ANSI page and, from it, the OEM page (932 → 932, 1252 → 437,
// 936 → 936, 949 → 949, 950 → 950); also read from $QX_ACP at start.
void SetAnsiCodePage(UINT codePage);
}  // namespace platform::test
