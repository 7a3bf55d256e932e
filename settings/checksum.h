// The description checksum: CRC-16 with polynomial 0x1021 and start value 0 over
// the bytes of a printer description file. Settings records and printer-sticky
// data carry it to tie their stored choices to one description.
#pragma once

#include <cstddef>
#include <cstdint>

namespace settings {

// Continues a checksum over `size` more bytes.
[[nodiscard]] std::uint16_t UpdateChecksum(std::uint16_t crc, const void* data, std::size_t size);

}  // namespace settings
