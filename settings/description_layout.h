// Byte layout of the flattened description block, which is also the cache file
// (PRINTER.BPD beside PRINTER.PPD). Integers are little-endian; every reference
// is a 64-bit offset from the start of the block (0 for none); texts are
// zero-terminated and, like every record, take a multiple of 4 bytes. Other
// processes read the files written by this layout, so these numbers never change
// without a new format version.
#pragma once

#include <cstdint>

namespace settings::layout {

inline constexpr std::uint16_t kFormatVersion = 3;
inline constexpr std::uint32_t kHeaderSize = 568;
// A cache file must be larger than this to be read at all.
inline constexpr std::uint32_t kMinimumCacheSize = 608;

// Header.
inline constexpr std::uint32_t kTotalSize = 0;     // u32: size of the whole block
inline constexpr std::uint32_t kDataFilePath = 8;  // offset: UTF-16 path, always 568
inline constexpr std::uint32_t kNickName = 16;
inline constexpr std::uint32_t kFormatVersionAt = 24;  // u16
inline constexpr std::uint32_t kChecksum = 26;         // u16: CRC-16 of the description
inline constexpr std::uint32_t kProtocols = 28;        // u16
inline constexpr std::uint32_t kLandscapeOrientation = 30;
inline constexpr std::uint32_t kTTRasterizer = 32;
inline constexpr std::uint32_t kLanguageEncoding = 34;
inline constexpr std::uint32_t kFreeVM = 36;         // u32
inline constexpr std::uint32_t kLanguageLevel = 40;  // u32: the model number
inline constexpr std::uint32_t kPassword = 48;
inline constexpr std::uint32_t kExitServer = 56;
inline constexpr std::uint32_t kSuggestedJobTimeout = 64;
inline constexpr std::uint32_t kSuggestedWaitTimeout = 68;
inline constexpr std::uint32_t kColorDevice = 72;
inline constexpr std::uint32_t kPrintPSError = 76;
inline constexpr std::uint32_t kCustomPageSize = 80;
inline constexpr std::uint32_t kHwMarginsGiven = 84;
inline constexpr std::uint32_t kHWMargins = 88;  // 4 x i32 24.8: left, bottom, right, top
inline constexpr std::uint32_t kCustomPageSizeCode = 104;
inline constexpr std::uint32_t kParamCustomPageSize = 112;  // 5 x 16 bytes
inline constexpr std::uint32_t kCustomParameterSize = 16;   // order u32, type u16, 2, min, max
inline constexpr std::uint32_t kMaxMediaWidth = 192;
inline constexpr std::uint32_t kMaxMediaHeight = 196;
inline constexpr std::uint32_t kExtensions = 200;      // u16
inline constexpr std::uint32_t kResolutionKind = 202;  // u16
inline constexpr std::uint32_t kScreenAngle = 204;
inline constexpr std::uint32_t kScreenFreq = 208;
inline constexpr std::uint32_t kJCLBegin = 216;
inline constexpr std::uint32_t kJCLEnd = 224;
inline constexpr std::uint32_t kJCLToPSInterpreter = 232;
inline constexpr std::uint32_t kPrinterType = 240;
inline constexpr std::uint32_t kPrinterFunction = 244;
inline constexpr std::uint32_t kBidiModelName = 248;
inline constexpr std::uint32_t kBidiDLLName = 256;
inline constexpr std::uint32_t kDocumentFeatureCount = 264;     // u16
inline constexpr std::uint32_t kInstallableFeatureCount = 266;  // u16
inline constexpr std::uint32_t kFirstFeature = 272;
// 31 references by predefined index: zero in the file, rebuilt by Relocate.
inline constexpr std::uint32_t kPredefined = 280;
inline constexpr std::uint32_t kFirstJobPatchFile = 528;
inline constexpr std::uint32_t kFirstDeviceFont = 536;
inline constexpr std::uint32_t kFontOrder = 544;  // u32: 0xFFFFFFFF until a selector is applied
inline constexpr std::uint32_t kPrinterPPM = 548;
inline constexpr std::uint32_t kOrderDependencies = 552;
inline constexpr std::uint32_t kConstraints = 560;

// Feature record (64 bytes).
inline constexpr std::uint32_t kFeatureSize = 64;
inline constexpr std::uint32_t kNext = 0;  // every list record starts with its link
inline constexpr std::uint32_t kName = 8;
inline constexpr std::uint32_t kHash = 16;  // u32
inline constexpr std::uint32_t kTranslation = 24;
inline constexpr std::uint32_t kFeatureDefaultChoice = 32;  // u32
inline constexpr std::uint32_t kFeatureOptionSize = 36;     // u32
inline constexpr std::uint32_t kFeaturePredefined = 40;     // u16
inline constexpr std::uint32_t kFeatureFlags = 42;          // u16
inline constexpr std::uint32_t kFeatureUiType = 44;         // u16
inline constexpr std::uint32_t kFeatureListIndex = 46;      // u16
inline constexpr std::uint32_t kFeatureInstallable = 48;    // u32
inline constexpr std::uint32_t kFeatureFirstOption = 56;

// Option record: 40 bytes in common, then the members of its feature.
inline constexpr std::uint32_t kOptionValue = 32;
inline constexpr std::uint32_t kOptionPageRegion = 40;  // PageSize (72 bytes)
inline constexpr std::uint32_t kOptionPaperWidth = 48;
inline constexpr std::uint32_t kOptionPaperLength = 52;
inline constexpr std::uint32_t kOptionArea = 56;  // 4 x i32: lower-left x, y, upper-right x, y
inline constexpr std::uint32_t kOptionPageRegionFlag = 40;  // InputSlot (48 bytes)
inline constexpr std::uint32_t kOptionJclCode = 40;         // Resolution (64 bytes)
inline constexpr std::uint32_t kOptionSetCode = 48;
inline constexpr std::uint32_t kOptionScreenAngle = 56;
inline constexpr std::uint32_t kOptionScreenFreq = 60;
inline constexpr std::uint32_t kOptionMemory = 40;  // VMOption (48 bytes)

// Device font record (48 bytes).
inline constexpr std::uint32_t kFontSize = 48;
inline constexpr std::uint32_t kFontDisplayName = 24;
inline constexpr std::uint32_t kFontEncodingClass = 32;  // u16 each
inline constexpr std::uint32_t kFontCharacterSet = 34;
inline constexpr std::uint32_t kFontMetricNumber = 36;
inline constexpr std::uint32_t kFontCodePage = 38;
inline constexpr std::uint32_t kFontVertical = 40;

// Job patch file record (40 bytes): name, translation and value like an option.
inline constexpr std::uint32_t kJobPatchFileSize = 40;

// Tables: count (u16), entry size (u16), then the entries.
inline constexpr std::uint32_t kTableHeaderSize = 4;
inline constexpr std::uint32_t kOrderEntrySize = 12;      // i16 feature, i16 option, i32 order,
                                                          // u16 section, 2 reserved
inline constexpr std::uint32_t kConstraintEntrySize = 8;  // i16 feature 1, option 1, feature 2,
                                                          // option 2

}  // namespace settings::layout
