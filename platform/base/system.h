// Time, user and computer names, the OS version and the user's locale. Each is
// settable for tests (and from the environment, so that whole jobs are
// reproducible): $QX_FIXED_TIME=2026-12-11T09:05:03 fixes the local time,
// $QX_USER the user name, $QX_COMPUTER the computer name, $QX_OS_VERSION
// "major.minor.build" the version, $QX_COUNTRY the locale's country code.
#pragma once

#include "platform/base/types.h"

QXAPI void GetLocalTime(SYSTEMTIME* time);
QXAPI void GetSystemTime(SYSTEMTIME* time);
QXAPI void GetSystemTimeAsFileTime(FILETIME* time);
QXAPI BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
QXAPI BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
QXAPI BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
QXAPI LONG CompareFileTime(const FILETIME* a, const FILETIME* b);

constexpr DWORD UNLEN = 256;
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
// Both take the buffer size in characters in *size; on success *size is the
// length (GetUserNameW: including the terminator, GetComputerNameW: without it);
// too small a buffer gives FALSE, ERROR_INSUFFICIENT_BUFFER (user) or
// ERROR_BUFFER_OVERFLOW (computer) and the needed size.
QXAPI BOOL GetUserNameW(LPWSTR buffer, DWORD* size);
QXAPI BOOL GetComputerNameW(LPWSTR buffer, DWORD* size);
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr WORD VER_SUITE_SINGLEUSERTS = 0x0100;
constexpr BYTE VER_NT_WORKSTATION = 1;
// Fills either record, chosen by dwOSVersionInfoSize; any other size fails with
// ERROR_INSUFFICIENT_BUFFER.
QXAPI BOOL GetVersionExW(OSVERSIONINFOW* info);

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr DWORD LOCALE_ILANGUAGE = 0x00000001;
constexpr DWORD LOCALE_ICOUNTRY = 0x00000005;
constexpr DWORD LOCALE_IDEFAULTCODEPAGE = 0x0000000B;
constexpr DWORD LOCALE_IMEASURE = 0x0000000D;
constexpr DWORD LOCALE_SISO639LANGNAME = 0x00000059;
constexpr DWORD LOCALE_SISO3166CTRYNAME = 0x0000005A;
constexpr DWORD LOCALE_IDEFAULTANSICODEPAGE = 0x00001004;
constexpr DWORD LOCALE_IPAPERSIZE = 0x0000100A;
// Flags combined with the type.
constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr DWORD LOCALE_USE_CP_ACP = 0x40000000;
constexpr DWORD LOCALE_RETURN_NUMBER = 0x20000000;
QXAPI LCID GetUserDefaultLCID();
QXAPI LANGID GetUserDefaultLangID();
QXAPI LANGID GetSystemDefaultLangID();
// With size 0 returns the needed size (with terminator); else copies and returns
// the characters written with terminator, 0 and ERROR_INSUFFICIENT_BUFFER when
// too small. The locale is LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT or a known
// LCID (else ERROR_INVALID_PARAMETER); an unknown type gives ERROR_INVALID_FLAGS.
// With LOCALE_RETURN_NUMBER a numeric value is stored as a DWORD in two WCHARs.
QXAPI int GetLocaleInfoW(LCID locale, DWORD type, LPWSTR data, int size);

// The value's length without terminator, or the size needed with it when
// `size` is too small; 0 and ERROR_ENVVAR_NOT_FOUND when the variable is unset.
QXAPI DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);

namespace platform::test {
// A fixed local time (and the same instant as system time); null: the clock;
// an impossible date changes nothing.
void SetFixedTime(const SYSTEMTIME* localTime);
void SetUserName(const char16_t* name);
void SetComputerName(const char16_t* name);
void SetOsVersion(DWORD major, DWORD minor, DWORD build);
void SetCountryCode(int country);
// Forgets every setting above and reads the environment again.
void ReadSystemEnvironment();
}  // namespace platform::test
