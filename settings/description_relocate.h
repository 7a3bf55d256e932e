// Turning a flattened block back into a usable description. A block from a cache
// file comes from outside: the file lies in the driver folder, several processes
// write it, and it can be damaged or replaced. So a block is used only when every
// reference in it leads to a whole record or a terminated text inside the block,
// every list runs forward, and every count, size, default choice and table entry
// agrees with what the block holds. Readers of description.h then never check.
#pragma once

#include <cstddef>

namespace settings {

// Checks the block of `size` bytes (its totalSize must be `size`) and rebuilds
// its 31 predefined references. False when any check fails; the block must then
// be dropped.
[[nodiscard]] bool Relocate(void* block, std::size_t size);

}  // namespace settings
