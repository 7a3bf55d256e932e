// Fixed-width types of the print system, with the sizes its records rely on.
#pragma once

#include <cstddef>
#include <cstdint>

// Every function of the print system is a C entry point of the platform library.
#define QXAPI extern "C" __attribute__((visibility("default")))
// Entry points a library exports to the print system (the driver function table,
// the spool filter's functions): C names, visible from a library built hidden.
#define QX_EXPORT extern "C" __attribute__((visibility("default")))
#define WINAPI
#define APIENTRY
#define CALLBACK

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using BOOLEAN = std::uint8_t;
using CHAR = char;
using UCHAR = unsigned char;
using WCHAR = char16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using ULONG64 = std::uint64_t;
using DWORD64 = std::uint64_t;
using SIZE_T = std::size_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using LPARAM = LONG_PTR;
using WPARAM = UINT_PTR;
using LRESULT = LONG_PTR;
using FLONG = ULONG;
using LANGID = WORD;
using LCID = DWORD;
using COLORREF = DWORD;
using FIX = LONG;  // 28.4 fixed point
using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PDWORD = DWORD*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;

using HANDLE = void*;
using HMODULE = struct HMODULE__*;
using HINSTANCE = HMODULE;
using HKEY = struct HKEY__*;
using HWND = struct HWND__*;
using HDC = struct HDC__*;
using HGLOBAL = void*;
using HLOCAL = void*;
using HRSRC = struct HRSRC__*;
using HICON = struct HICON__*;
using HBITMAP = struct HBITMAP__*;
using HFILE = int;
using FARPROC = void (*)();

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
constexpr HFILE HFILE_ERROR = -1;
constexpr UINT MAX_PATH = 260;

struct POINTL {
  LONG x;
  LONG y;
};
struct POINTS {
  SHORT x;
  SHORT y;
};
struct POINTFIX {
  FIX x;
  FIX y;
};
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using RECT = RECTL;
using POINT = POINTL;
struct RECTFX {
  FIX xLeft;
  FIX yTop;
  FIX xRight;
  FIX yBottom;
};
struct SIZEL {
  LONG cx;
  LONG cy;
};
using SIZE = SIZEL;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// 100-nanosecond intervals since 1601-01-01 UTC, split in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr WORD LOWORD(DWORD v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD v) { return static_cast<WORD>(v >> 16); }
constexpr BYTE LOBYTE(WORD v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(WORD v) { return static_cast<BYTE>(v >> 8); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) {
  return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
}
// A resource or class named by number instead of by text.
inline LPCWSTR MAKEINTRESOURCEW(WORD id) {
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
}
inline bool IS_INTRESOURCE(LPCWSTR p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }

// Reasons a library's DllMain is called with.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;
