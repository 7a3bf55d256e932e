// The printer description parser: reads a description file (PPD syntax with the
// printer maker's keywords) into the parsed description record. The parser is
// lenient: an entry that does not fit its keyword's form is skipped and unknown
// keywords are ignored; only running out of memory, an over-long keyword, option
// keyword or translation, or East Asian fonts without the library's module make
// it fail. Only the loader (description_cache.h) calls it; everything else reads
// the flattened block of description.h.
#pragma once

#include <cstddef>

#include "platform/base/types.h"
#include "settings/description_arena.h"
#include "settings/description_record.h"

namespace settings {

// Parses the description text of `size` bytes. `path` is stored as the record's
// data file path; `module` is where the face names of East Asian fonts come
// from. The record and all its pieces live in `arena`. Null on failure.
ParsedDescription* ParseDescriptionText(const unsigned char* data, std::size_t size,
                                        const WCHAR* path, HMODULE module, DescriptionArena& arena);

// Reads and parses the description file at `path`. Null when the file cannot be
// read (last error from the file functions) or the parse fails.
ParsedDescription* ParseDescription(const WCHAR* path, HMODULE module, DescriptionArena& arena);

}  // namespace settings
