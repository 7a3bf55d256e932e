// The description record as the parser builds it: plain records linked by
// references, all cut from the parse's arena. The flattener (description_flatten.h)
// turns it into the relocatable block that every reader uses; nothing else reads
// this form.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/base/types.h"
#include "settings/description_arena.h"

namespace settings {

// Predefined features, by the index the description record keeps them under.
enum PredefinedFeature : std::uint16_t {
  kPageSize = 0,
  kInputSlot = 1,
  kManualFeed = 2,
  kDuplex = 3,
  kCollate = 4,
  kResolution = 5,
  kVMOption = 6,
  kEmulation = 7,
  kOutputBin = 8,
  kPrintMode = 9,
  kKihonHelp = 10,
  kOptionHelp = 11,
  kPenHelp = 12,
  kDeviceOption = 13,
  kIconHeader = 14,
  kInputSlotIcon = 15,
  kOutputBinIcon = 16,
  kPrtInitCommand = 17,
  kPaperKind = 18,
  kColorchange = 19,
  kGrayPrint = 20,
  kColorTone = 21,
  kDesing = 22,
  kRoleSetting = 23,
  kFoldOutput = 24,
  kFoldFileMargin = 25,
  kFoldStampSet = 26,
  kAutoConfigData = 27,
  kInPaperName = 28,
  kFreeSize = 29,
  kOptRoleSetting = 30,
  kOwnFeature = 31,  // a feature of the description's own
};
inline constexpr int kPredefinedCount = 31;

// Feature flag bits.
inline constexpr std::uint16_t kFeatureAllRequirePageRegion = 0x1;   // RequiresPageRegion All: True
inline constexpr std::uint16_t kFeatureNoneRequirePageRegion = 0x2;  // ... All: False
inline constexpr std::uint16_t kFeatureHexValues = 0x4;              // opened by JCLOpenUI

// UI types.
inline constexpr std::uint16_t kUiBoolean = 0;
inline constexpr std::uint16_t kUiPickOne = 1;
inline constexpr std::uint16_t kUiPickMany = 2;

// Option record sizes of the flattened block, by feature.
inline constexpr std::uint32_t kOptionSize = 40;
inline constexpr std::uint32_t kPageSizeOptionSize = 72;
inline constexpr std::uint32_t kInputSlotOptionSize = 48;
inline constexpr std::uint32_t kResolutionOptionSize = 64;
inline constexpr std::uint32_t kVMOptionOptionSize = 48;

// One option. Texts are zero-terminated 8-bit texts or null. The members after
// `value` belong to the features that name them.
struct ParsedOption {
  ParsedOption* next;
  const char* name;
  std::uint32_t hash;
  const char* translation;
  const char* value;
  // PageSize: region code, paper size and imageable area (24.8 points).
  const char* pageRegion;
  std::int32_t paperWidth;
  std::int32_t paperLength;
  std::int32_t area[4];  // lower-left x, lower-left y, upper-right x, upper-right y
  bool dimensionGiven;
  bool areaGiven;
  // InputSlot.
  std::uint32_t pageRegionFlag;
  // Resolution.
  const char* jclCode;
  const char* setCode;
  std::int32_t screenAngle;
  std::int32_t screenFreq;
  // VMOption.
  std::uint32_t memory;
  bool memoryGiven;
};

struct ParsedFeature {
  ParsedFeature* next;
  const char* name;
  std::uint32_t hash;
  const char* translation;
  const char* defaultKeyword;
  std::uint32_t optionRecordSize;
  std::uint16_t predefinedIndex;
  std::uint16_t flags;
  std::uint16_t uiType;
  std::uint16_t listIndex;
  std::uint32_t installable;
  ParsedOption* options;
  ParsedOption* lastOption;
};

struct ParsedOrderDependency {
  ParsedOrderDependency* next;
  std::int32_t order;  // 24.8
  std::uint16_t section;
  const char* keyword;
  const char* option;
};

struct ParsedConstraint {
  ParsedConstraint* next;
  const char* keyword1;
  const char* option1;
  const char* keyword2;
  const char* option2;
};

struct ParsedJobPatchFile {
  ParsedJobPatchFile* next;
  const char* name;
  std::uint32_t hash;
  const char* translation;
  const char* value;
};

struct ParsedDeviceFont {
  ParsedDeviceFont* next;
  const char* name;
  std::uint32_t hash;
  const char* displayName;
  std::uint16_t encodingClass;
  std::uint16_t characterSet;
  std::uint16_t metricNumber;
  std::uint16_t codePage;
  std::uint16_t vertical;  // 1: a "-V" name, 2: the generated vertical twin
};

// One ParamCustomPageSize parameter (Width, Height, WidthOffset, HeightOffset,
// Orientation).
struct CustomSizeParameter {
  std::uint32_t order;
  std::uint16_t type;  // 0 int, 1 real, 2 points
  std::int32_t minimum;
  std::int32_t maximum;
};

struct ParsedDescription {
  const WCHAR* dataFilePath;
  const char* NickName;
  std::uint16_t checksum;
  std::uint16_t Protocols;
  std::uint16_t LandscapeOrientation;
  std::uint16_t TTRasterizer;
  std::uint16_t LanguageEncoding;
  std::uint32_t FreeVM;
  std::uint32_t LanguageLevel;
  const char* Password;
  const char* ExitServer;
  std::uint32_t SuggestedJobTimeout;
  std::uint32_t SuggestedWaitTimeout;
  std::uint32_t ColorDevice;
  std::uint32_t PrintPSError;
  std::uint32_t customPageSize;
  std::uint32_t hwMarginsGiven;
  std::int32_t HWMargins[4];  // left, bottom, right, top
  const char* customPageSizeCode;
  CustomSizeParameter ParamCustomPageSize[5];
  std::int32_t MaxMediaWidth;
  std::int32_t MaxMediaHeight;
  std::uint16_t Extensions;
  std::uint16_t resolutionKind;  // 0 Resolution, 1 JCLResolution, 2 SetResolution
  std::int32_t ScreenAngle;
  std::int32_t ScreenFreq;
  const char* JCLBegin;
  const char* JCLEnd;
  const char* JCLToPSInterpreter;
  std::uint32_t PrinterType;
  std::uint32_t PrinterFunction;
  const char* BidiModelName;
  const char* BidiDLLName;
  std::uint16_t documentFeatureCount;
  std::uint16_t installableFeatureCount;
  ParsedFeature* features;
  ParsedFeature* predefined[kPredefinedCount];
  ParsedJobPatchFile* jobPatchFiles;
  ParsedDeviceFont* fonts;
  std::uint32_t fontOrder;
  std::uint32_t PrinterPPM;
  ParsedOrderDependency* orderDependencies;
  ParsedConstraint* constraints;
};

// Hash of a name as every feature, option, font and patch file stores it:
// hash = (hash * 2) XOR byte over its bytes, in 32 bits.
constexpr std::uint32_t NameHash(std::string_view text) {
  std::uint32_t hash = 0;
  for (char c : text) hash = (hash << 1) ^ static_cast<unsigned char>(c);
  return hash;
}

}  // namespace settings
