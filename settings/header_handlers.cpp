// Handlers of the keywords that set members of the description's header.
#include "settings/description_values.h"
#include "settings/parse_state.h"

namespace settings {

namespace {

// clang-format off
constexpr WordCode kBooleans[] = {{"True", 1}, {"False", 0}};
constexpr WordCode kProtocols[] = {{"PJL", 1}, {"BCP", 2}, {"TBCP", 4}, {"SIC", 8}};
constexpr WordCode kExtensions[] = {{"DPS", 1}, {"CMYK", 2}, {"Composite", 4}, {"FileSystem", 8}};
constexpr WordCode kEncodings[] = {
    {"ISOLatin1", 1}, {"JIS83-RKSJ", 2}, {"MaxStandard", 3}, {"WindowsANSI", 4}, {"None", 0}};
constexpr WordCode kLanguages[] = {
    {"English", 1}, {"Danish", 1}, {"Dutch", 1}, {"Finnish", 1}, {"French", 1}, {"German", 1},
    {"Italian", 1}, {"Norwegian", 1}, {"Portuguese", 1}, {"Spanish", 1}, {"Swedish", 1},
    {"Japanese", 2}, {"Chinese", 0}, {"Russian", 0}};
constexpr WordCode kRasterizers[] = {
    {"None", 0}, {"Accept68k", 1}, {"Type42", 2}, {"TrueImage", 3}};
constexpr WordCode kOrientations[] = {{"Any", 0}, {"Plus90", 1}, {"Minus90", 2}};
constexpr WordCode kCustomParameters[] = {
    {"Width", 0}, {"Height", 1}, {"WidthOffset", 2}, {"HeightOffset", 3}, {"Orientation", 4}};
constexpr WordCode kCustomTypes[] = {{"int", 0}, {"real", 1}, {"points", 2}};
// clang-format on

constexpr int kNoWord = -1;

// ORs the code of every word of the value into `bits`; unknown words are skipped.
std::uint16_t OrWordCodes(std::string_view value, std::span<const WordCode> table) {
  std::uint16_t bits = 0;
  WordReader words(value);
  std::string_view word;
  while (words.Next(&word)) {
    int code = LookupWord(word, table, 0);
    bits = static_cast<std::uint16_t>(bits | code);
  }
  return bits;
}

// A member set from a table; a value matching no word leaves it unchanged.
void SetFromTable(std::uint16_t* member, std::string_view value, std::span<const WordCode> table) {
  int code = LookupWord(value, table, kNoWord);
  if (code != kNoWord) *member = static_cast<std::uint16_t>(code);
}

}  // namespace

ParseStatus HandleColorDevice(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  state.record->ColorDevice = static_cast<std::uint32_t>(LookupWord(entry.Value(), kBooleans, 0));
  return ParseStatus::kOk;
}

ParseStatus HandlePrintPSError(ParseState& state, const DescriptionEntry& entry,
                               const KeywordRow&) {
  state.record->PrintPSError = static_cast<std::uint32_t>(LookupWord(entry.Value(), kBooleans, 0));
  return ParseStatus::kOk;
}

ParseStatus HandleProtocols(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  state.record->Protocols |= OrWordCodes(entry.Value(), kProtocols);
  return ParseStatus::kOk;
}

ParseStatus HandleExtensions(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  std::uint16_t bits = OrWordCodes(entry.Value(), kExtensions);
  state.record->Extensions |= bits;
  if (bits & 2) state.record->ColorDevice = 1;  // CMYK
  return ParseStatus::kOk;
}

ParseStatus HandleLanguageEncoding(ParseState& state, const DescriptionEntry& entry,
                                   const KeywordRow&) {
  SetFromTable(&state.record->LanguageEncoding, entry.Value(), kEncodings);
  state.encodingGiven = true;
  return ParseStatus::kOk;
}

ParseStatus HandleLanguageVersion(ParseState& state, const DescriptionEntry& entry,
                                  const KeywordRow&) {
  if (!state.encodingGiven)
    SetFromTable(&state.record->LanguageEncoding, entry.Value(), kLanguages);
  return ParseStatus::kOk;
}

ParseStatus HandleTTRasterizer(ParseState& state, const DescriptionEntry& entry,
                               const KeywordRow&) {
  SetFromTable(&state.record->TTRasterizer, entry.Value(), kRasterizers);
  return ParseStatus::kOk;
}

ParseStatus HandleLandscapeOrientation(ParseState& state, const DescriptionEntry& entry,
                                       const KeywordRow&) {
  SetFromTable(&state.record->LandscapeOrientation, entry.Value(), kOrientations);
  return ParseStatus::kOk;
}

// Only the option "True" counts; its invocation is kept once.
ParseStatus HandleCustomPageSize(ParseState& state, const DescriptionEntry& entry,
                                 const KeywordRow&) {
  if (entry.Option() != "True") return ParseStatus::kOk;
  state.record->customPageSize = 1;
  if (state.record->customPageSizeCode == nullptr) {
    state.record->customPageSizeCode = CopyText(state, entry.Value());
    if (state.record->customPageSizeCode == nullptr) return ParseStatus::kFailed;
  }
  return ParseStatus::kOk;
}

// "*ParamCustomPageSize Width: 1 points 0 2384": order 1-5, type, minimum, maximum.
ParseStatus HandleParamCustomPageSize(ParseState& state, const DescriptionEntry& entry,
                                      const KeywordRow&) {
  int parameter = LookupWord(entry.Option(), kCustomParameters, kNoWord);
  if (parameter == kNoWord) return ParseStatus::kOk;
  WordReader words(entry.Value());
  std::string_view order, type, minimum, maximum;
  if (!words.Next(&order) || !words.Next(&type) || !words.Next(&minimum) || !words.Next(&maximum)) {
    return ParseStatus::kSyntaxError;
  }
  CustomSizeParameter p{};
  if (!ReadDecimalWord(order, &p.order) || p.order < 1 || p.order > 5) {
    return ParseStatus::kSyntaxError;
  }
  if (!ReadFixedWord(minimum, &p.minimum) || !ReadFixedWord(maximum, &p.maximum)) {
    return ParseStatus::kSyntaxError;
  }
  int code = LookupWord(type, kCustomTypes, kNoWord);
  if (code == kNoWord) return ParseStatus::kOk;
  p.type = static_cast<std::uint16_t>(code);
  state.record->ParamCustomPageSize[parameter] = p;
  return ParseStatus::kOk;
}

// Four numbers or nothing: left, bottom, right, top.
ParseStatus HandleHWMargins(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  WordReader words(entry.Value());
  std::int32_t margins[4];
  std::string_view word;
  for (std::int32_t& margin : margins) {
    if (!words.Next(&word) || !ReadFixedWord(word, &margin)) return ParseStatus::kSyntaxError;
  }
  if (words.Next(&word)) return ParseStatus::kSyntaxError;
  for (int i = 0; i < 4; ++i) state.record->HWMargins[i] = margins[i];
  state.record->hwMarginsGiven = 1;
  return ParseStatus::kOk;
}

}  // namespace settings
