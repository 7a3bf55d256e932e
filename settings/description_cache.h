// Loading a printer description, through its cache file. Parsing the text is
// slow and both libraries load the description for every device context,
// property sheet and capability query, so the flattened block is written beside
// the description (PRINTER.PPD → PRINTER.BPD) and later loads read it back when
// it is current. LoadDescription is the only way the libraries load one.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace settings {

// The description at `path` as a block in global memory that the caller owns
// (GlobalFree), read through description.h. `module` is the library whose font
// metric records give East Asian fonts their display names (ResourceModule());
// `fontOrder` (0 or 1, from the printer-sticky data) picks one font of each group
// of equal metric numbers. Null when the description cannot be read or parsed,
// with the last error set.
[[nodiscard]] void* LoadDescription(const WCHAR* path, HMODULE module, DWORD fontOrder);

// The steps of LoadDescription.

// The cache file of a description: the text after the last dot replaced by
// "BPD", or ".BPD" appended when there is no dot.
std::u16string CacheFileName(std::u16string_view path);

// The cache file's block when it is current (not older than the description) and
// whole (larger than 608 bytes, its first u32 equal to its size); null otherwise.
// The file is read into memory at once, so a writer replacing it cannot tear it.
[[nodiscard]] void* ReadCache(const WCHAR* path, const WCHAR* cachePath);

// Writes the block to a temporary file beside the cache file and renames it over
// the cache file, so that readers see the old file or the new one, never a mix.
// False when it cannot be written (the caller goes on without a cache).
bool WriteCache(const WCHAR* cachePath, const void* block);

// Parses and flattens the description without the cache: the block that
// LoadDescription would write, relocated. Null on failure.
[[nodiscard]] void* BuildDescriptionBlock(const WCHAR* path, HMODULE module);

// Reduces each run of fonts with one metric number to one font: with selector 0
// the first of character set 12 (90ms), else of set 8 (83pv); with selector 1 the
// first of set 10 (Ext); else the run's first. Only for descriptions with
// Japanese fonts; any other selector changes nothing.
void ApplyFontOrder(void* block, DWORD selector);

}  // namespace settings
