// Version information of module files. A library carries it as its RT_VERSION
// resource (number 1) in the platform's own layout, VS_VERSIONINFO;
// GetFileVersionInfoW copies that resource out of the module file and
// VerQueryValueW reads values from the copy.
//
// The layout (little-endian) is a tree of blocks, each:
//   WORD  wLength       bytes of the block, its value and its children
//   WORD  wValueLength  bytes of a binary value, characters (with terminator)
//                       of a text value
//   WORD  wType         0 binary, 1 text
//   WCHAR szKey[]       zero-terminated, then zeros up to a multiple of 4
//   value               then zeros up to a multiple of 4
//   children            each block starting at a multiple of 4
// with offsets counted from the start of the resource. The root
// "VS_VERSION_INFO" holds a VS_FIXEDFILEINFO (52 bytes) and two children:
// "StringFileInfo", with one table per language and code page ("041104B0") of
// text blocks ("FileVersion", "ProductVersion", ...), and "VarFileInfo", with
// the block "Translation" (WORD language, WORD code page).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/base/types.h"

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;  // major << 16 | minor
  DWORD dwFileVersionLS;  // build << 16 | revision
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;
constexpr DWORD VFT_DRV = 3;
constexpr DWORD VFT2_DRV_PRINTER = 1;

// The size of the file's version resource (*handle is set to 0); 0 with
// ERROR_FILE_NOT_FOUND when there is no such module, ERROR_BAD_FORMAT when the
// file is no module, ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_DATA_NOT_FOUND when it carries no version.
QXAPI DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, DWORD* handle);
// Copies the version resource into `data`. A buffer shorter than the resource
// gets its first `length` bytes, with the root's wLength cut to match so that
// VerQueryValueW stays inside them.
QXAPI BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data);
// `subBlock` "\" gives the VS_FIXEDFILEINFO (*length 52), "\VarFileInfo\Translation"
// the language and code-page pairs (*length in bytes), and
// "\StringFileInfo\041104B0\FileVersion" a text (*length in characters with the
// terminator). Keys match without regard to case. FALSE when there is no such
// value.
QXAPI BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length);

namespace platform {

struct VersionString {
  const char16_t* key;
  const char16_t* value;
};

// What a library's version resource says.
struct VersionResourceInfo {
  WORD fileVersion[4];          // major, minor, build, revision
  WORD productVersion[4] = {};  // all zero: the file version
  DWORD fileType = VFT_DLL;     // a printer driver: VFT_DRV, VFT2_DRV_PRINTER
  DWORD fileSubtype = 0;
  WORD language = 0x0411;                  // Japanese
  WORD codePage = 1200;                    // UTF-16
  const VersionString* strings = nullptr;  // "CompanyName", "FileDescription", ...
  std::size_t stringCount = 0;
};

// The bytes of an RT_VERSION resource in the layout above. "FileVersion" and
// "ProductVersion" texts ("1.0.0.1") are added from the numbers unless
// `strings` has them. A library serves the result from its resource table as
// {16, 1, bytes.data(), size}.
std::vector<BYTE> BuildVersionResource(const VersionResourceInfo& info);

}  // namespace platform
