// Texts of the private block, the private check and the sized copy.
#include "settings/settings_record.h"

#include <algorithm>
#include <cstring>

namespace settings {

void SetWideText(unsigned char* block, std::size_t offset, std::size_t chars,
                 std::u16string_view text) {
  std::memset(block + offset, 0, chars * 2);
  std::size_t n = std::min(text.size(), chars - 1);
  for (std::size_t i = 0; i < n; ++i) StoreU16(block + offset + 2 * i, text[i]);
}

std::size_t WideTextLength(const unsigned char* block, std::size_t offset, std::size_t chars) {
  for (std::size_t i = 0; i < chars; ++i) {
    if (LoadU16(block + offset + 2 * i) == 0) return i;
  }
  return chars;
}

std::u16string GetWideText(const unsigned char* block, std::size_t offset, std::size_t chars) {
  std::size_t n = WideTextLength(block, offset, chars);
  std::u16string text(n, u'\0');
  for (std::size_t i = 0; i < n; ++i) text[i] = LoadU16(block + offset + 2 * i);
  return text;
}

std::size_t ByteTextLength(const unsigned char* block, std::size_t offset, std::size_t bytes) {
  const void* end = std::memchr(block + offset, 0, bytes);
  return end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - (block + offset))
             : bytes;
}

const char* FirstPrivateCheckFailure(const unsigned char* block) {
  using namespace priv;
  if (GetU32(block, kSignature) != kPrivSignature) return "privSignature is not \"PRIV\"";
  if (GetU16(block, kColorAdjust) != 24) return "colorAdjust size is not 24";
  if (std::memcmp(block + kCommon, "MCOMMON", 7) != 0) return "common block tag is not MCOMMON";
  if (GetU16(block, kFeatureCount) > kOptionSelCount) return "featureCount above 64";
  for (std::size_t pen = 0; pen < kPenCount; ++pen) {
    if (GetU32(block, PenOffset(pen, kPenColor)) > 25) return "a pen color above 25";
    std::int16_t putcolor = GetI16(block, PenOffset(pen, kPenPutcolor));
    if (putcolor < 0 || putcolor > 9) return "a pen putcolor outside 0-9";
    std::int32_t density = GetI32(block, PenOffset(pen, kPenDensity));
    if (static_cast<std::uint32_t>(density) > 10 && density != -1) {
      return "a pen density outside 0-10 and not -1";
    }
  }
  if (GetU32(block, kOptionCount) > kDeviceOptionCount) return "optionCount above 10";
  auto outside = [&](std::size_t offset, int low, int high) {
    std::int16_t v = GetI16(block, offset);
    return v < low || v > high;
  };
  if (outside(kOriSet, 0, 6)) return "OriSet outside 0-6";
  if (outside(kColormode, 0, 2)) return "colormode outside 0-2";
  if (outside(kBekutacolor, 0, 9)) return "bekutacolor outside 0-9";
  if (outside(kShrinkimage, 0, 3)) return "shrinkimage outside 0-3";
  if (outside(kStampsel, 0, 16)) return "stampsel outside 0-16";
  if (WideTextLength(block, kShortText, 5) >= 5) return "shortText too long";
  for (std::size_t i = 0; i < kColorCount; ++i) {
    if (WideTextLength(block, ColorOffset(i, kColorName), kColorNameChars) >= kColorNameChars) {
      return "a colour name too long";
    }
  }
  for (std::size_t i = 0; i < kDeviceOptionCount; ++i) {
    if (WideTextLength(block, DeviceOptionOffset(i, kOptName), kOptNameChars) >= kOptNameChars) {
      return "a device option name too long";
    }
  }
  if (WideTextLength(block, kYoushi, kYoushiChars) >= kYoushiChars) return "youshi too long";
  if (ByteTextLength(block, kUserCode, kUserCodeBytes) >= kUserCodeBytes) {
    return "UserCode too long";
  }
  if (WideTextLength(block, kUserId, kUserIdChars) >= kUserIdChars) return "UserId too long";
  return "";
}

bool CheckPrivateBlock(const unsigned char* block) { return *FirstPrivateCheckFailure(block) == 0; }

int CopyRecordSized(const DEVMODEW* source, DEVMODEW* target) {
  WORD sourceSize = source->dmSize;
  if (sourceSize != 188 && sourceSize != 212 && sourceSize != 220 && source->dmSpecVersion == 0) {
    return -1;
  }
  WORD specVersion;
  switch (target->dmSize) {
    case 188:
      specVersion = 0x320;
      break;
    case 212:
      specVersion = 0x400;
      break;
    case 220:
      specVersion = 0x401;
      break;
    default:
      if (target->dmSpecVersion == 0) return -1;
      specVersion = target->dmSpecVersion;
  }
  WORD targetSize = target->dmSize;
  WORD targetExtra = target->dmDriverExtra;
  WORD targetDriverVersion = target->dmDriverVersion;
  std::size_t publicBytes = std::min(sourceSize, targetSize);
  std::size_t privateBytes = std::min(source->dmDriverExtra, targetExtra);
  const auto* from = reinterpret_cast<const unsigned char*>(source);
  auto* to = reinterpret_cast<unsigned char*>(target);
  std::memmove(to, from, publicBytes);
  target->dmDriverVersion = targetDriverVersion;
  target->dmSize = targetSize;
  target->dmDriverExtra = targetExtra;
  target->dmSpecVersion = specVersion;
  std::memmove(to + targetSize, from + sourceSize, privateBytes);
  return static_cast<int>(publicBytes + privateBytes);
}

}  // namespace settings
