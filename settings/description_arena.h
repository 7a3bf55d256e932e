// The memory of one description parse: a chain of chunks of 4,072 usable bytes
// (4,096 with the chunk's own header) from which every text and record of the
// parse is cut. Nothing is freed on its own; the whole chain goes back at once
// when the parsed record has been flattened.
#pragma once

#include <cstddef>
#include <new>
#include <string_view>

namespace settings {

inline constexpr std::size_t kArenaChunkSize = 4096;

class DescriptionArena {
 public:
  DescriptionArena() = default;
  ~DescriptionArena() { Release(); }
  DescriptionArena(const DescriptionArena&) = delete;
  DescriptionArena& operator=(const DescriptionArena&) = delete;

  // Zeroed memory for `size` bytes, raised to a multiple of 4, starting on a
  // multiple of `align` (4 or 8). Served from the first chunk with room; a request
  // larger than a chunk gets a chunk of its own. Null when memory runs out.
  [[nodiscard]] void* Allocate(std::size_t size, std::size_t align = 4);
  // A zero-terminated copy of `text`; null when memory runs out.
  [[nodiscard]] char* CopyText(std::string_view text);
  // A zeroed record of a trivial type; null when memory runs out.
  template <typename T>
  [[nodiscard]] T* New() {
    void* p = Allocate(sizeof(T), alignof(T));
    return p ? new (p) T() : nullptr;
  }
  // Gives every chunk back.
  void Release();

  // Bytes usable in an ordinary chunk.
  static std::size_t ChunkCapacity();

 private:
  struct Chunk;
  Chunk* first_ = nullptr;
  Chunk* last_ = nullptr;
};

}  // namespace settings
