// The 91 keywords of the description parser and their index.
#include "settings/keyword_table.h"

#include <mutex>

#include "settings/description_values.h"
#include "settings/parse_state.h"

namespace settings {

namespace {

// Rows that store one value into one header member of the record.
template <const char* ParsedDescription::*Member>
ParseStatus HandleDecodedText(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  char* text = nullptr;
  DecodeResult r = DecodeHexSubstrings(entry.Value(), *state.arena, &text);
  if (r == DecodeResult::kNoMemory) return ParseStatus::kFailed;
  if (r == DecodeResult::kSyntaxError) return ParseStatus::kSyntaxError;
  state.record->*Member = text;
  return ParseStatus::kOk;
}

template <const char* ParsedDescription::*Member>
ParseStatus HandleCopiedText(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  const char* text = CopyText(state, entry.Value());
  if (text == nullptr) return ParseStatus::kFailed;
  state.record->*Member = text;
  return ParseStatus::kOk;
}

template <std::uint32_t ParsedDescription::*Member>
ParseStatus HandleDecimal(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  std::uint32_t value = 0;
  if (!ReadDecimal(entry.Value(), &value)) return ParseStatus::kSyntaxError;
  state.record->*Member = value;
  return ParseStatus::kOk;
}

template <std::uint32_t ParsedDescription::*Member>
ParseStatus HandleHexadecimal(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  std::uint32_t value = 0;
  if (!ReadHexadecimal(entry.Value(), &value)) return ParseStatus::kSyntaxError;
  state.record->*Member = value;
  return ParseStatus::kOk;
}

template <std::int32_t ParsedDescription::*Member>
ParseStatus HandleFixed(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  std::int32_t value = 0;
  if (!ReadFixed(entry.Value(), &value)) return ParseStatus::kSyntaxError;
  state.record->*Member = value;
  return ParseStatus::kOk;
}

using D = ParsedDescription;
constexpr std::uint8_t kAny = kClassAny;
constexpr std::uint8_t kQ = kClassQuoted;
constexpr std::uint8_t kQP = kClassQuotedOrPlain;
constexpr std::uint8_t kP = kClassPlain;
constexpr std::uint8_t kOpt = kFormOption;
constexpr std::uint8_t kRep = kFormRepeat;
constexpr std::uint8_t kNone = kNoFeature;

}  // namespace

// clang-format off
const KeywordRow kKeywordTable[kKeywordCount] = {
    {"Include",               nullptr,                                 kNone,           kQP | kRep},
    {"ColorDevice",           HandleColorDevice,                       kNone,           kP},
    {"Protocols",             HandleProtocols,                         kNone,           kP | kRep},
    {"NickName",              HandleDecodedText<&D::NickName>,         kNone,           kQP},
    {"BidiModelName",         HandleDecodedText<&D::BidiModelName>,    kNone,           kQP},
    {"BidiDLLName",           HandleDecodedText<&D::BidiDLLName>,      kNone,           kQP},
    {"LanguageLevel",         HandleDecimal<&D::LanguageLevel>,        kNone,           kQP},
    {"PrinterType",           HandleDecimal<&D::PrinterType>,          kNone,           kQP},
    {"PrinterPPM",            HandleDecimal<&D::PrinterPPM>,           kNone,           kQP},
    {"SuggestedJobTimeout",   HandleDecimal<&D::SuggestedJobTimeout>,  kNone,           kQP},
    {"SuggestedWaitTimeout",  HandleDecimal<&D::SuggestedWaitTimeout>, kNone,           kQP},
    {"PrinterFunction",       HandleHexadecimal<&D::PrinterFunction>,  kNone,           kQP},
    {"LanguageEncoding",      HandleLanguageEncoding,                  kNone,           kP},
    {"LanguageVersion",       HandleLanguageVersion,                   kNone,           kP},
    {"TTRasterizer",          HandleTTRasterizer,                      kNone,           kP},
    {"LandscapeOrientation",  HandleLandscapeOrientation,              kNone,           kP},
    {"ExitServer",            HandleCopiedText<&D::ExitServer>,        kNone,           kQ},
    {"Password",              HandleCopiedText<&D::Password>,          kNone,           kQ},
    {"PrintPSError",          HandlePrintPSError,                      kNone,           kP},
    {"JCLBegin",              HandleDecodedText<&D::JCLBegin>,         kNone,           kQP},
    {"JCLEnd",                HandleDecodedText<&D::JCLEnd>,           kNone,           kQP},
    {"JCLToPSInterpreter",    HandleDecodedText<&D::JCLToPSInterpreter>, kNone,         kQP},
    {"Font",                  HandleFont,                              kNone,           kOpt | kP},
    {"CustomPageSize",        HandleCustomPageSize,                    kNone,           kOpt | kQ},
    {"ParamCustomPageSize",   HandleParamCustomPageSize,               kNone,           kOpt | kP},
    {"MaxMediaWidth",         HandleFixed<&D::MaxMediaWidth>,          kNone,           kQP},
    {"MaxMediaHeight",        HandleFixed<&D::MaxMediaHeight>,         kNone,           kQP},
    {"HWMargins",             HandleHWMargins,                         kNone,           kP},
    {"PageSize",              HandleGenericOption,                     kPageSize,       kOpt | kQ},
    {"PageRegion",            HandlePageRegion,                        kPageSize,       kOpt | kQ},
    {"ImageableArea",         HandleImageableArea,                     kPageSize,       kOpt | kQ},
    {"PaperDimension",        HandlePaperDimension,                    kPageSize,       kOpt | kQ},
    {"DefaultPageSize",       HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultInputSlot",      HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultCollate",        HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultDuplex",         HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultManualFeed",     HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultResolution",     HandleDefaultKeyword,                    kNone,           kP},
    {"DefaultInstalledMemory", HandleDefaultKeyword,                   kNone,           kP},
    {"InputSlot",             HandleInputSlot,                         kInputSlot,      kOpt | kQ},
    {"RequiresPageRegion",    HandleRequiresPageRegion,                kInputSlot,      kOpt | kP},
    {"Collate",               HandleGenericOption,                     kCollate,        kOpt | kQ},
    {"Duplex",                HandleGenericOption,                     kDuplex,         kOpt | kQ},
    {"ManualFeed",            HandleGenericOption,                     kManualFeed,     kOpt | kQ},
    {"Emulation",             HandleGenericOption,                     kEmulation,      kOpt | kQ},
    {"OutputBin",             HandleGenericOption,                     kOutputBin,      kOpt | kQ},
    {"PrintMode",             HandleGenericOption,                     kPrintMode,      kOpt | kQ},
    {"KihonHelp",             HandleGenericOption,                     kKihonHelp,      kOpt | kQ},
    {"OptionHelp",            HandleGenericOption,                     kOptionHelp,     kOpt | kQ},
    {"PenHelp",               HandleGenericOption,                     kPenHelp,        kOpt | kQ},
    {"DeviceOption",          HandleGenericOption,                     kDeviceOption,   kOpt | kQ},
    {"IconHeader",            HandleGenericOption,                     kIconHeader,     kOpt | kQ},
    {"InputSlotIcon",         HandleGenericOption,                     kInputSlotIcon,  kOpt | kQ},
    {"OutputBinIcon",         HandleGenericOption,                     kOutputBinIcon,  kOpt | kQ},
    {"PrtInitCommand",        HandleGenericOption,                     kPrtInitCommand, kOpt | kQ},
    {"PaperKind",             HandleGenericOption,                     kPaperKind,      kOpt | kQ},
    {"Colorchange",           HandleGenericOption,                     kColorchange,    kOpt | kQ},
    {"GrayPrint",             HandleGenericOption,                     kGrayPrint,      kOpt | kQ},
    {"ColorTone",             HandleGenericOption,                     kColorTone,      kOpt | kQ},
    {"Desing",                HandleGenericOption,                     kDesing,         kOpt | kQ},
    {"RoleSetting",           HandleGenericOption,                     kRoleSetting,    kOpt | kQ},
    {"FoldOutput",            HandleGenericOption,                     kFoldOutput,     kOpt | kQ},
    {"FoldFileMargin",        HandleGenericOption,                     kFoldFileMargin, kOpt | kQ},
    {"FoldStampSet",          HandleGenericOption,                     kFoldStampSet,   kOpt | kQ},
    {"AutoConfigData",        HandleGenericOption,                     kAutoConfigData, kOpt | kQ},
    {"InPaperName",           HandleGenericOption,                     kInPaperName,    kOpt | kQ},
    {"FreeSize",              HandleGenericOption,                     kFreeSize,       kOpt | kQ},
    {"OptRoleSetting",        HandleGenericOption,                     kOptRoleSetting, kOpt | kQ},
    {"Resolution",            HandleResolution,                        kResolution,     kOpt | kQ},
    {"JCLResolution",         HandleJclResolution,                     kResolution,     kOpt | kQP},
    {"SetResolution",         HandleSetResolution,                     kResolution,     kOpt | kQ},
    {"DefaultJCLResolution",  HandleDefaultKeyword,                    kNone,           kP},
    {"ScreenAngle",           HandleFixed<&D::ScreenAngle>,            kNone,           kQP},
    {"ScreenFreq",            HandleFixed<&D::ScreenFreq>,             kNone,           kQP},
    {"ResScreenAngle",        HandleResScreenAngle,                    kResolution,     kOpt | kQP},
    {"ResScreenFreq",         HandleResScreenFreq,                     kResolution,     kOpt | kQP},
    {"FreeVM",                HandleDecimal<&D::FreeVM>,               kNone,           kQP},
    {"InstalledMemory",       HandleGenericOption,                     kVMOption,       kOpt | kQ},
    {"VMOption",              HandleVMOption,                          kVMOption,       kOpt | kQP},
    {"OpenGroup",             HandleOpenGroup,                         kNone,           kP | kRep},
    {"CloseGroup",            HandleCloseGroup,                        kNone,           kP | kRep},
    {"OpenUI",                HandleOpenUI,                            kNone,           kOpt | kP},
    {"JCLOpenUI",             HandleOpenUI,                            kNone,           kOpt | kP},
    {"CloseUI",               HandleCloseUI,                           kNone,           kP | kRep},
    {"JCLCloseUI",            HandleCloseUI,                           kNone,           kP | kRep},
    {"OrderDependency",       HandleOrderDependency,                   kNone,           kP | kRep},
    {"UIConstraints",         HandleUIConstraints,                     kNone,           kP | kRep},
    {"Extensions",            HandleExtensions,                        kNone,           kP | kRep},
    {"End",                   nullptr,                                 kNone,           kAny | kRep},
    {"JCLRes",                nullptr,                                 kResolution,     kOpt | kQP},
    {"JobPatchFile",          HandleJobPatchFile,                      kNone,           kOpt | kQ},
};

const PredefinedFeatureRow kPredefinedFeatures[kPredefinedCount] = {
    {"PageSize",       kPageSizeOptionSize,   kUiPickOne},
    {"InputSlot",      kInputSlotOptionSize,  kUiPickOne},
    {"ManualFeed",     kOptionSize,           kUiBoolean},
    {"Duplex",         kOptionSize,           kUiPickOne},
    {"Collate",        kOptionSize,           kUiBoolean},
    {"Resolution",     kResolutionOptionSize, kUiPickOne},
    {"VMOption",       kVMOptionOptionSize,   kUiPickOne},
    {"Emulation",      kOptionSize,           kUiPickOne},
    {"OutputBin",      kOptionSize,           kUiPickOne},
    {"PrintMode",      kOptionSize,           kUiPickOne},
    {"KihonHelp",      kOptionSize,           kUiPickOne},
    {"OptionHelp",     kOptionSize,           kUiPickOne},
    {"PenHelp",        kOptionSize,           kUiPickOne},
    {"DeviceOption",   kOptionSize,           kUiPickOne},
    {"IconHeader",     kOptionSize,           kUiPickOne},
    {"InputSlotIcon",  kOptionSize,           kUiPickOne},
    {"OutputBinIcon",  kOptionSize,           kUiPickOne},
    {"PrtInitCommand", kOptionSize,           kUiPickOne},
    {"PaperKind",      kOptionSize,           kUiPickOne},
    {"Colorchange",    kOptionSize,           kUiPickOne},
    {"GrayPrint",      kOptionSize,           kUiPickOne},
    {"ColorTone",      kOptionSize,           kUiPickOne},
    {"Desing",         kOptionSize,           kUiPickOne},
    {"RoleSetting",    kOptionSize,           kUiPickOne},
    {"FoldOutput",     kOptionSize,           kUiPickOne},
    {"FoldFileMargin", kOptionSize,           kUiPickOne},
    {"FoldStampSet",   kOptionSize,           kUiPickOne},
    {"AutoConfigData", kOptionSize,           kUiPickOne},
    {"InPaperName",    kOptionSize,           kUiPickOne},
    {"FreeSize",       kOptionSize,           kUiPickOne},
    {"OptRoleSetting", kOptionSize,           kUiPickOne},
};
// clang-format on

std::uint32_t OptionRecordSizeFor(std::uint16_t index) {
  return index < kPredefinedCount ? kPredefinedFeatures[index].optionRecordSize : kOptionSize;
}

namespace {

// The open-addressing index: hash mod 127 gives the first slot, collisions take
// the next free one (wrapping). A slot keeps the keyword's full hash and its row.
constexpr int kIndexSlots = 127;
struct IndexSlot {
  std::uint32_t hash;
  int row;  // -1: free
};
IndexSlot gIndex[kIndexSlots];
std::once_flag gIndexOnce;

void BuildIndex() {
  for (IndexSlot& slot : gIndex) slot = {0, -1};
  for (int row = 0; row < kKeywordCount; ++row) {
    std::uint32_t hash = NameHash(kKeywordTable[row].keyword);
    int slot = static_cast<int>(hash % kIndexSlots);
    while (gIndex[slot].row >= 0) slot = (slot + 1) % kIndexSlots;
    gIndex[slot] = {hash, row};
  }
}

}  // namespace

int FindKeyword(std::string_view keyword) {
  std::call_once(gIndexOnce, BuildIndex);
  std::uint32_t hash = NameHash(keyword);
  int slot = static_cast<int>(hash % kIndexSlots);
  for (int probes = 0; probes < kIndexSlots && gIndex[slot].row >= 0; ++probes) {
    const IndexSlot& s = gIndex[slot];
    if (s.hash == hash && keyword == kKeywordTable[s.row].keyword) return s.row;
    slot = (slot + 1) % kIndexSlots;
  }
  return -1;
}

}  // namespace settings
