// The load sequence: cache file first, the parser when the cache cannot be used.
#include "settings/description_cache.h"

#include <cstdio>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/base/sync.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_flatten.h"
#include "settings/description_layout.h"
#include "settings/description_parser.h"
#include "settings/description_relocate.h"
#include "settings/device_fonts.h"

namespace settings {

namespace {

namespace L = layout;

std::uint64_t LastWriteTime(HANDLE file, bool* ok) {
  FILETIME written{};
  *ok = GetFileTime(file, nullptr, nullptr, &written) != FALSE;
  return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

HANDLE OpenForReading(const WCHAR* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads exactly `size` bytes of an open file into a new block.
void* ReadBlock(HANDLE file, DWORD size) {
  void* block = GlobalAlloc(GMEM_FIXED, size);
  if (block == nullptr) return nullptr;
  auto* p = static_cast<unsigned char*>(block);
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(file, p + done, size - done, &got, nullptr) || got == 0) {
      GlobalFree(block);
      return nullptr;
    }
    done += got;
  }
  return block;
}

// The file name after the last separator ("\" and "/" both separate in the
// driver's namespace).
std::u16string_view FileNamePart(std::u16string_view path) {
  std::size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

// A block read from the cache is used when it is whole and sound and was written
// for a description of the same file name.
bool AcceptCachedBlock(void* block, const WCHAR* path) {
  std::uint32_t size = LoadU32(block);
  if (!Relocate(block, size)) return false;
  std::u16string stored = Description(block).DataFilePath();
  return platform::EqualsIgnoreCase(FileNamePart(stored), FileNamePart(platform::WideView(path)));
}

std::u16string TemporaryName(const WCHAR* cachePath) {
  static std::uint32_t counter = 0;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%lu-%lu-%lu.tmp",
                static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long>(GetCurrentThreadId()),
                static_cast<unsigned long>(__atomic_add_fetch(&counter, 1, __ATOMIC_RELAXED)));
  std::u16string name(platform::WideView(cachePath));
  for (const char* p = suffix; *p != 0; ++p) name.push_back(static_cast<char16_t>(*p));
  return name;
}

bool WriteAll(HANDLE file, const unsigned char* p, std::uint32_t size) {
  std::uint32_t done = 0;
  while (done < size) {
    DWORD wrote = 0;
    if (!WriteFile(file, p + done, size - done, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

// Fonts of one metric number form a run; the kept one is the first of the
// preferred character set, else of the second choice, else the run's first.
std::uint32_t ChooseInRun(unsigned char* b, std::uint32_t first, std::uint16_t number,
                          DWORD selector) {
  std::uint16_t prefer = selector == 0 ? kFontSet90ms : kFontSetExt;
  std::uint16_t second = selector == 0 ? kFontSet83pv : 0xFFFF;
  std::uint32_t chosen = 0, fallback = 0;
  for (std::uint32_t o = first; o != 0; o = static_cast<std::uint32_t>(LoadU64(b + o))) {
    if (LoadU16(b + o + L::kFontMetricNumber) != number) break;
    std::uint16_t set = LoadU16(b + o + L::kFontCharacterSet);
    if (set == prefer) {
      chosen = o;
      break;
    }
    if (set == second && fallback == 0) fallback = o;
  }
  if (chosen == 0) chosen = fallback != 0 ? fallback : first;
  return chosen;
}

// The parse arena goes back as soon as the block holds everything.
void* ParseAndFlatten(const WCHAR* path, HMODULE module) {
  DescriptionArena arena;
  ParsedDescription* parsed = ParseDescription(path, module, arena);
  return parsed != nullptr ? FlattenDescription(*parsed) : nullptr;
}

// A block just flattened always passes the checks; one that does not is dropped.
bool RelocateFresh(void* block) {
  if (Relocate(block, LoadU32(block))) return true;
  GlobalFree(block);
  SetLastError(ERROR_INVALID_DATA);
  return false;
}

bool HasJapaneseFont(const unsigned char* b) {
  for (DeviceFont f = Description(b).FirstFont(); f; f = f.Next()) {
    if (f.EncodingClass() == kFontEncodingRksj) return true;
  }
  return false;
}

}  // namespace

std::u16string CacheFileName(std::u16string_view path) {
  std::size_t dot = path.rfind(u'.');
  std::u16string name(dot == std::u16string_view::npos ? path : path.substr(0, dot));
  name += u".BPD";
  return name;
}

void* ReadCache(const WCHAR* path, const WCHAR* cachePath) {
  // The description is only looked at, not opened: its write time is all the
  // cache needs of it.
  WIN32_FILE_ATTRIBUTE_DATA description{};
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &description) ||
      (description.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return nullptr;
  }
  std::uint64_t descriptionTime =
      (static_cast<std::uint64_t>(description.ftLastWriteTime.dwHighDateTime) << 32) |
      description.ftLastWriteTime.dwLowDateTime;
  HANDLE cache = OpenForReading(cachePath);
  if (cache == INVALID_HANDLE_VALUE) return nullptr;
  bool cacheTimeOk = false;
  std::uint64_t cacheTime = LastWriteTime(cache, &cacheTimeOk);
  void* block = nullptr;
  if (cacheTimeOk && cacheTime >= descriptionTime) {
    DWORD high = 0;
    DWORD size = GetFileSize(cache, &high);
    if (size != INVALID_FILE_SIZE && high == 0 && size > L::kMinimumCacheSize) {
      block = ReadBlock(cache, size);
      if (block != nullptr && LoadU32(block) != size) {
        GlobalFree(block);
        block = nullptr;
      }
    }
  }
  CloseHandle(cache);
  return block;
}

bool WriteCache(const WCHAR* cachePath, const void* block) {
  std::u16string temporary = TemporaryName(cachePath);
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const auto* bytes = static_cast<const unsigned char*>(block);
  bool written = WriteAll(file, bytes, LoadU32(bytes));
  written = CloseHandle(file) != FALSE && written;
  if (written && MoveFileExW(temporary.c_str(), cachePath, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(temporary.c_str());
  return false;
}

void* BuildDescriptionBlock(const WCHAR* path, HMODULE module) {
  void* block = ParseAndFlatten(path, module);
  return block != nullptr && RelocateFresh(block) ? block : nullptr;
}

void ApplyFontOrder(void* block, DWORD selector) {
  auto* b = static_cast<unsigned char*>(block);
  if (selector > 1 || !HasJapaneseFont(b)) return;
  std::uint32_t link = L::kFirstDeviceFont;
  for (std::uint32_t first = static_cast<std::uint32_t>(LoadU64(b + link)); first != 0;) {
    std::uint16_t number = LoadU16(b + first + L::kFontMetricNumber);
    std::uint32_t kept = ChooseInRun(b, first, number, selector);
    std::uint32_t after = first;
    while (after != 0 && LoadU16(b + after + L::kFontMetricNumber) == number) {
      after = static_cast<std::uint32_t>(LoadU64(b + after));
    }
    StoreU64(b + link, kept);
    StoreU64(b + kept, after);
    link = kept;
    first = after;
  }
  StoreU32(b + L::kFontOrder, selector);
}

void* LoadDescription(const WCHAR* path, HMODULE module, DWORD fontOrder) {
  if (path == nullptr || *path == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string cachePath = CacheFileName(platform::WideView(path));
  void* block = ReadCache(path, cachePath.c_str());
  if (block != nullptr && !AcceptCachedBlock(block, path)) {
    GlobalFree(block);
    block = nullptr;
  }
  if (block == nullptr) {
    block = ParseAndFlatten(path, module);
    if (block == nullptr) return nullptr;
    WriteCache(cachePath.c_str(), block);  // without a cache the next load parses again
    if (!RelocateFresh(block)) return nullptr;
  }
  ApplyFontOrder(block, fontOrder);
  return block;
}

}  // namespace settings
