// Chunked memory of a description parse, from the process heap so that the
// platform's allocation failures reach the parser.
#include "settings/description_arena.h"

#include <cstring>

#include "platform/base/memory.h"

namespace settings {

struct DescriptionArena::Chunk {
  Chunk* next;
  std::size_t used;
  std::size_t capacity;
  unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
};

namespace {
constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }
}  // namespace

std::size_t DescriptionArena::ChunkCapacity() { return kArenaChunkSize - sizeof(Chunk); }

void* DescriptionArena::Allocate(std::size_t size, std::size_t align) {
  size = RoundUp(size == 0 ? 1 : size, 4);
  for (Chunk* c = first_; c != nullptr; c = c->next) {
    std::size_t at = RoundUp(c->used, align);
    if (at + size <= c->capacity) {
      c->used = at + size;
      return c->Data() + at;
    }
  }
  std::size_t capacity = size > ChunkCapacity() ? size : ChunkCapacity();
  if (capacity > static_cast<std::size_t>(-1) - sizeof(Chunk)) return nullptr;
  void* raw = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Chunk) + capacity);
  if (raw == nullptr) return nullptr;
  Chunk* chunk = static_cast<Chunk*>(raw);
  chunk->next = nullptr;
  chunk->used = size;
  chunk->capacity = capacity;
  if (last_ != nullptr) {
    last_->next = chunk;
  } else {
    first_ = chunk;
  }
  last_ = chunk;
  return chunk->Data();
}

char* DescriptionArena::CopyText(std::string_view text) {
  auto* copy = static_cast<char*>(Allocate(text.size() + 1));
  if (copy != nullptr && !text.empty()) std::memcpy(copy, text.data(), text.size());
  return copy;
}

void DescriptionArena::Release() {
  for (Chunk* c = first_; c != nullptr;) {
    Chunk* next = c->next;
    HeapFree(GetProcessHeap(), 0, c);
    c = next;
  }
  first_ = last_ = nullptr;
}

}  // namespace settings
