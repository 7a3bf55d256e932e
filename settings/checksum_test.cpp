// The description checksum is CRC-16/XMODEM.
#include "settings/checksum.h"

#include <gtest/gtest.h>

namespace {

TEST(Checksum, XmodemCheckValue) { EXPECT_EQ(settings::UpdateChecksum(0, "123456789", 9), 0x31C3); }

TEST(Checksum, ContinuesAcrossPieces) {
  std::uint16_t crc = settings::UpdateChecksum(0, "1234", 4);
  EXPECT_EQ(settings::UpdateChecksum(crc, "56789", 5), 0x31C3);
  EXPECT_EQ(settings::UpdateChecksum(0, "", 0), 0);
}

}  // namespace
