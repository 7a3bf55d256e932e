// Little-endian loads and stores for the persistent records (settings record,
// cache file, printer-sticky record): they are read and written by byte offset,
// never by laying a compiler's struct over the bytes.
#pragma once

#include <cstdint>
#include <cstring>

namespace settings {

inline std::uint16_t LoadU16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t LoadU32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline std::uint64_t LoadU64(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<std::uint64_t>(LoadU32(b)) |
         (static_cast<std::uint64_t>(LoadU32(b + 4)) << 32);
}
inline std::int16_t LoadI16(const void* p) { return static_cast<std::int16_t>(LoadU16(p)); }
inline std::int32_t LoadI32(const void* p) { return static_cast<std::int32_t>(LoadU32(p)); }

inline void StoreU16(void* p, std::uint16_t v) {
  auto* b = static_cast<unsigned char*>(p);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreU32(void* p, std::uint32_t v) {
  auto* b = static_cast<unsigned char*>(p);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void StoreU64(void* p, std::uint64_t v) {
  auto* b = static_cast<unsigned char*>(p);
  StoreU32(b, static_cast<std::uint32_t>(v));
  StoreU32(b + 4, static_cast<std::uint32_t>(v >> 32));
}
inline void StoreI16(void* p, std::int16_t v) { StoreU16(p, static_cast<std::uint16_t>(v)); }
inline void StoreI32(void* p, std::int32_t v) { StoreU32(p, static_cast<std::uint32_t>(v)); }

}  // namespace settings
