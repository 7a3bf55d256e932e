// The document settings record: the 220-byte public record followed by the
// 2,200-byte private block. The record is persistent (the spooler stores it,
// saved files hold it, both libraries read it), so the private block is read and
// written only by the byte offsets below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/devmode.h"
#include "settings/byte_order.h"

namespace settings {

constexpr std::size_t kPublicSize = 220;
constexpr std::size_t kPrivateSize = 2200;
constexpr std::size_t kRecordSize = kPublicSize + kPrivateSize;
constexpr std::uint32_t kPrivSignature = 0x56495250;  // "PRIV"
constexpr WORD kDriverVersion = 0x400;

// The whole record as the libraries hold it.
struct SettingsRecord {
  DEVMODEW pub;
  unsigned char priv[kPrivateSize];
};
static_assert(sizeof(SettingsRecord) == kRecordSize);

// Offsets in the private block.
namespace priv {
constexpr std::size_t kSignature = 0;
constexpr std::size_t kFlags = 4;
constexpr std::size_t kShortText = 8;     // WCHAR[5]
constexpr std::size_t kColorAdjust = 18;  // COLORADJUSTMENT, 24 bytes
constexpr std::size_t kDescStamp = 42;
constexpr std::size_t kFeatureCount = 44;
constexpr std::size_t kOptionSel = 46;  // u8[64]
constexpr std::size_t kOptionSelCount = 64;
constexpr std::size_t kFont = 112;
constexpr std::size_t kFontcard = 116;
constexpr std::size_t kHardclip = 120;
constexpr std::size_t kMovex = 124;
constexpr std::size_t kMovey = 128;
constexpr std::size_t kScaleh = 132;
constexpr std::size_t kScaley = 136;
constexpr std::size_t kImagecomp = 140;
constexpr std::size_t kSmooth = 144;
constexpr std::size_t kEmuration = 148;
constexpr std::size_t kPenatt = 152;
constexpr std::size_t kPenterm = 156;
constexpr std::size_t kPenconn = 160;
constexpr std::size_t kDestination = 168;
constexpr std::size_t kSorter = 172;
constexpr std::size_t kPens = 176;  // 16 x PenEntry
constexpr std::size_t kPenSize = 24;
constexpr std::size_t kPenCount = 16;
constexpr std::size_t kColors = 560;  // 25 x ColorEntry
constexpr std::size_t kColorSize = 28;
constexpr std::size_t kColorCount = 25;
constexpr std::size_t kCustomColors = 1260;  // 16 x COLORREF
constexpr std::size_t kCustomColorCount = 16;
constexpr std::size_t kDeviceOptions = 1324;  // 10 x OptionEntry
constexpr std::size_t kDeviceOptionSize = 32;
constexpr std::size_t kDeviceOptionCount = 10;
constexpr std::size_t kOptionCount = 1644;
constexpr std::size_t kYoushi = 1648;  // WCHAR[128]
constexpr std::size_t kYoushiChars = 128;
constexpr std::size_t kPenimage = 1904;
constexpr std::size_t kCharblack = 1908;  // i16[3], indexed by colormode
constexpr std::size_t kLinedotcheck = 1916;
constexpr std::size_t kLineintcheck = 1920;
constexpr std::size_t kLine1chcheck = 1924;
constexpr std::size_t kLine2chcheck = 1928;
constexpr std::size_t kLinedotvalue = 1932;
constexpr std::size_t kLineintvalue = 1936;
constexpr std::size_t kLine1chvalue = 1940;
constexpr std::size_t kLine2chvalue = 1944;
constexpr std::size_t kScale = 1948;
constexpr std::size_t kOptRole = 1950;  // i16[4]
constexpr std::size_t kPaperkind = 1958;
constexpr std::size_t kReserved1960 = 1960;
constexpr std::size_t kFreesize = 1962;
constexpr std::size_t kImagerotate = 1964;
constexpr std::size_t kFreeTate = 1966;
constexpr std::size_t kFreeYoko = 1968;
constexpr std::size_t kOriSet = 1970;
constexpr std::size_t kOriCombo = 1972;
constexpr std::size_t kBindCheck = 1974;
constexpr std::size_t kBindValue = 1976;
constexpr std::size_t kHardStamp = 1978;
constexpr std::size_t kUserCodeFlag = 1980;
constexpr std::size_t kUserCode = 1981;  // char[18]
constexpr std::size_t kUserCodeBytes = 18;
constexpr std::size_t kColormode = 2002;
constexpr std::size_t kBekutachk = 2004;
constexpr std::size_t kBekutacolor = 2008;
constexpr std::size_t kColorSets = 2010;  // 3 x ColorSet
constexpr std::size_t kColorSetSize = 20;
constexpr std::size_t kColorSetCount = 3;
constexpr std::size_t kSettingsLoaded = 2070;
constexpr std::size_t kPrintOptions = 2072;
constexpr std::size_t kCommon = 2074;  // CommonBlock, 74 bytes
constexpr std::size_t kCommonSize = 74;
constexpr std::size_t kUserId = 2148;  // WCHAR[9]
constexpr std::size_t kUserIdChars = 9;
constexpr std::size_t kShrinkimage = 2166;
constexpr std::size_t kReschange = 2168;
constexpr std::size_t kBresolution = 2170;
constexpr std::size_t kCentermode = 2172;
constexpr std::size_t kStampsel = 2174;
constexpr std::size_t kFreeYousit = 2176;
constexpr std::size_t kFreeYousiy = 2178;
constexpr std::size_t kSpacetop = 2180;
constexpr std::size_t kSpaceleft = 2182;
constexpr std::size_t kSpaceright = 2184;
constexpr std::size_t kSpacebottom = 2186;
constexpr std::size_t kDeviceFlags = 2188;
constexpr std::size_t kFreespacepos = 2190;
constexpr std::size_t kInputtray = 2192;
constexpr std::size_t kOutputtray = 2196;

// Members of one PenEntry (24 bytes).
constexpr std::size_t kPenColor = 0;
constexpr std::size_t kPenWidth = 4;
constexpr std::size_t kPenDensity = 8;
constexpr std::size_t kPenIro = 12;
constexpr std::size_t kPenPutred = 16;
constexpr std::size_t kPenPutgreen = 18;
constexpr std::size_t kPenPutblue = 20;
constexpr std::size_t kPenPutcolor = 22;

// Members of one ColorEntry (28 bytes).
constexpr std::size_t kColorFlag = 0;
constexpr std::size_t kColorValue = 4;
constexpr std::size_t kColorName = 8;  // WCHAR[10]
constexpr std::size_t kColorNameChars = 10;

// Members of one OptionEntry (32 bytes).
constexpr std::size_t kOptName = 0;  // WCHAR[10]
constexpr std::size_t kOptNameChars = 10;
constexpr std::size_t kOptType = 20;
constexpr std::size_t kOptPriority = 24;
constexpr std::size_t kOptFlag = 28;

// Members of one ColorSet (ten i16).
constexpr std::size_t kSetColormatch = 0;
constexpr std::size_t kSetDither = 2;
constexpr std::size_t kSetColortone = 4;
constexpr std::size_t kSetTruegray = 6;

// Members of the common block.
constexpr std::size_t kCommonJobClass = 8;
constexpr std::size_t kCommonOutputMode = 9;
}  // namespace priv

// privFlags bits.
constexpr std::uint32_t kPrivMirror = 0x4;

// printOptions bits.
constexpr std::uint16_t kOptNtSystem = 1u << 0;
constexpr std::uint16_t kOptLinechange = 1u << 1;
constexpr std::uint16_t kOptRevprint = 1u << 2;
constexpr std::uint16_t kOptSoftstamp = 1u << 3;
constexpr std::uint16_t kOptImageprint = 1u << 4;
constexpr std::uint16_t kOptModetype1 = 1u << 5;
constexpr std::uint16_t kOptDirectionside = 1u << 7;
constexpr std::uint16_t kOptCenter = 1u << 8;
constexpr std::uint16_t kOptEmfspool = 1u << 9;
constexpr std::uint16_t kOptModetype3 = 1u << 10;
constexpr std::uint16_t kOptPapersizechange = 1u << 11;
constexpr std::uint16_t kOptSuperbold = 1u << 12;
constexpr std::uint16_t kOptFontcom = 1u << 13;
constexpr std::uint16_t kOptStampcheck = 1u << 14;
constexpr std::uint16_t kOptPaperlink = 1u << 15;

// deviceFlags bits.
constexpr std::uint16_t kDevFreespacepos = 1u << 0;
constexpr std::uint16_t kDevPrintertype = 1u << 1;
constexpr std::uint16_t kDevPunch = 1u << 2;
constexpr std::uint16_t kDevEarFolds = 1u << 3;
constexpr std::uint16_t kDevOriStamp = 1u << 4;
constexpr std::uint16_t kDevSizeMatch = 1u << 5;
constexpr std::uint16_t kDevRotate180 = 1u << 6;

// Typed access to the private block by offset.
inline std::int16_t GetI16(const unsigned char* block, std::size_t offset) {
  return LoadI16(block + offset);
}
inline std::int32_t GetI32(const unsigned char* block, std::size_t offset) {
  return LoadI32(block + offset);
}
inline std::uint16_t GetU16(const unsigned char* block, std::size_t offset) {
  return LoadU16(block + offset);
}
inline std::uint32_t GetU32(const unsigned char* block, std::size_t offset) {
  return LoadU32(block + offset);
}
inline void SetI16(unsigned char* block, std::size_t offset, std::int16_t v) {
  StoreI16(block + offset, v);
}
inline void SetI32(unsigned char* block, std::size_t offset, std::int32_t v) {
  StoreI32(block + offset, v);
}
inline void SetU16(unsigned char* block, std::size_t offset, std::uint16_t v) {
  StoreU16(block + offset, v);
}
inline void SetU32(unsigned char* block, std::size_t offset, std::uint32_t v) {
  StoreU32(block + offset, v);
}
inline std::size_t PenOffset(std::size_t pen, std::size_t member) {
  return priv::kPens + pen * priv::kPenSize + member;
}
inline std::size_t ColorOffset(std::size_t entry, std::size_t member) {
  return priv::kColors + entry * priv::kColorSize + member;
}
inline std::size_t DeviceOptionOffset(std::size_t entry, std::size_t member) {
  return priv::kDeviceOptions + entry * priv::kDeviceOptionSize + member;
}
inline std::size_t ColorSetOffset(std::size_t set, std::size_t member) {
  return priv::kColorSets + set * priv::kColorSetSize + member;
}

// Writes a UTF-16 text into a WCHAR[chars] area of the block: at most chars - 1
// characters, the rest of the area zero.
void SetWideText(unsigned char* block, std::size_t offset, std::size_t chars,
                 std::u16string_view text);
// The text of a WCHAR[chars] area up to its terminator (the whole area when it
// has none).
std::u16string GetWideText(const unsigned char* block, std::size_t offset, std::size_t chars);
// Length of the text in a WCHAR[chars] area, or chars when it has no terminator.
std::size_t WideTextLength(const unsigned char* block, std::size_t offset, std::size_t chars);
// The same for an 8-bit char[bytes] area.
std::size_t ByteTextLength(const unsigned char* block, std::size_t offset, std::size_t bytes);

// The private check: true when every test of the block passes. The second form
// names the first test that fails (empty when valid), for tools.
[[nodiscard]] bool CheckPrivateBlock(const unsigned char* block);
[[nodiscard]] const char* FirstPrivateCheckFailure(const unsigned char* block);

// Copies between records of different public sizes: the public part up to the
// smaller size and the private data up to the smaller extra size. Returns the
// bytes copied, or -1 when the source's size is not one it can take. `target`
// must hold its own dmSize, dmDriverExtra and dmDriverVersion, and room for
// dmSize + dmDriverExtra bytes; `source` must hold dmSize + dmDriverExtra bytes.
int CopyRecordSized(const DEVMODEW* source, DEVMODEW* target);

}  // namespace settings
