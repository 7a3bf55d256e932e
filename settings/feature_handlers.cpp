// Handlers of the keywords that build features, options, groups, constraints,
// order dependencies and job patch files.
#include <cstring>

#include "settings/description_values.h"
#include "settings/parse_state.h"

namespace settings {

namespace {

// Longest word of an OrderDependency or UIConstraints entry.
constexpr std::size_t kMaxRuleWord = 39;

// clang-format off
constexpr WordCode kUiTypes[] = {{"PickOne", kUiPickOne}, {"PickMany", kUiPickMany},
                                 {"Boolean", kUiBoolean}};
constexpr WordCode kBooleans[] = {{"True", 1}, {"False", 0}};
constexpr WordCode kSections[] = {{"ExitServer", 1}, {"Prolog", 2}, {"DocumentSetup", 4},
                                  {"PageSetup", 8}, {"JCLSetup", 16}, {"AnySetup", 32}};
// clang-format on

ParseStatus FromDecode(DecodeResult r) {
  if (r == DecodeResult::kNoMemory) return ParseStatus::kFailed;
  return r == DecodeResult::kSyntaxError ? ParseStatus::kSyntaxError : ParseStatus::kOk;
}

ParsedFeature* CreateFeature(ParseState& state, std::string_view name, std::uint16_t index) {
  auto* f = state.arena->New<ParsedFeature>();
  if (f == nullptr) return nullptr;
  f->name = CopyText(state, name);
  if (f->name == nullptr) return nullptr;
  f->hash = NameHash(name);
  f->predefinedIndex = index;
  f->optionRecordSize = OptionRecordSizeFor(index);
  f->uiType = index < kPredefinedCount ? kPredefinedFeatures[index].uiType : kUiPickOne;
  f->installable = (state.installableGroupOpen || index == kVMOption) ? 1 : 0;
  if (state.lastFeature != nullptr) {
    state.lastFeature->next = f;
  } else {
    state.record->features = f;
  }
  state.lastFeature = f;
  if (index < kPredefinedCount) state.record->predefined[index] = f;
  return f;
}

ParsedOption* FindParsedOption(const ParsedFeature* feature, std::string_view name) {
  std::uint32_t hash = NameHash(name);
  for (ParsedOption* o = feature->options; o != nullptr; o = o->next) {
    if (o->hash == hash && name == o->name) return o;
  }
  return nullptr;
}

// The option of the row's predefined feature that the entry names.
ParseStatus RowOption(ParseState& state, const DescriptionEntry& entry, const KeywordRow& row,
                      ParsedOption** option) {
  ParsedFeature* feature = PredefinedFeature(state, row.feature);
  if (feature == nullptr) return ParseStatus::kFailed;
  return FindOrCreateOption(state, feature, entry, option);
}

// Stores a text member once; later entries leave it.
ParseStatus SetTextOnce(ParseState& state, const char** member, std::string_view text,
                        bool decode) {
  if (*member != nullptr) return ParseStatus::kOk;
  if (!decode) {
    *member = CopyText(state, text);
    return *member ? ParseStatus::kOk : ParseStatus::kFailed;
  }
  char* decoded = nullptr;
  ParseStatus status = FromDecode(DecodeHexSubstrings(text, *state.arena, &decoded));
  if (status == ParseStatus::kOk) *member = decoded;
  return status;
}

// Reads `count` whole 24.8 numbers and nothing more.
bool ReadFixedWords(std::string_view value, std::int32_t* out, int count) {
  WordReader words(value);
  std::string_view word;
  for (int i = 0; i < count; ++i) {
    if (!words.Next(&word) || !ReadFixedWord(word, &out[i])) return false;
  }
  return !words.Next(&word);
}

// Splits a rule value into at most four words of at most 39 bytes each.
bool SplitRuleWords(std::string_view value, std::string_view* words, int* count) {
  WordReader reader(value);
  std::string_view word;
  *count = 0;
  while (reader.Next(&word)) {
    if (*count == 4 || word.size() > kMaxRuleWord) return false;
    words[(*count)++] = word;
  }
  return true;
}

std::string_view WithoutStar(std::string_view word) {
  return word.starts_with('*') ? word.substr(1) : word;
}

// The predefined index a "Default..." keyword stands for.
std::uint16_t DefaultTarget(std::string_view keyword) {
  std::string_view name = keyword.substr(std::strlen("Default"));
  if (name == "InstalledMemory") return kVMOption;
  if (name == "JCLResolution") return kResolution;
  for (std::uint16_t i = 0; i < kPredefinedCount; ++i) {
    if (name == kPredefinedFeatures[i].name) return i;
  }
  return kOwnFeature;
}

}  // namespace

const char* CopyText(ParseState& state, std::string_view text) {
  return state.arena->CopyText(text);
}

ParsedFeature* PredefinedFeature(ParseState& state, std::uint16_t index) {
  if (state.record->predefined[index] != nullptr) return state.record->predefined[index];
  return CreateFeature(state, kPredefinedFeatures[index].name, index);
}

ParsedFeature* FindParsedFeature(const ParsedDescription& record, std::string_view name) {
  std::uint32_t hash = NameHash(name);
  for (ParsedFeature* f = record.features; f != nullptr; f = f->next) {
    if (f->hash == hash && name == f->name) return f;
  }
  return nullptr;
}

ParseStatus FindOrCreateOption(ParseState& state, ParsedFeature* feature,
                               const DescriptionEntry& entry, ParsedOption** option) {
  ParsedOption* o = FindParsedOption(feature, entry.Option());
  // The translation is decoded first, so that a malformed one leaves no option.
  char* translation = nullptr;
  if (entry.HasTranslation() && (o == nullptr || o->translation == nullptr)) {
    ParseStatus status =
        FromDecode(DecodeHexSubstrings(entry.Translation(), *state.arena, &translation));
    if (status != ParseStatus::kOk) return status;
  }
  if (o == nullptr) {
    o = state.arena->New<ParsedOption>();
    if (o == nullptr) return ParseStatus::kFailed;
    o->name = CopyText(state, entry.Option());
    if (o->name == nullptr) return ParseStatus::kFailed;
    o->hash = NameHash(entry.Option());
    if (feature->lastOption != nullptr) {
      feature->lastOption->next = o;
    } else {
      feature->options = o;
    }
    feature->lastOption = o;
  }
  if (o->translation == nullptr) o->translation = translation;
  *option = o;
  return ParseStatus::kOk;
}

ParseStatus AddGenericOption(ParseState& state, ParsedFeature* feature,
                             const DescriptionEntry& entry) {
  if (!entry.HasOption()) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = FindOrCreateOption(state, feature, entry, &o);
  if (status != ParseStatus::kOk) return status;
  return SetTextOnce(state, &o->value, entry.Value(), (feature->flags & kFeatureHexValues) != 0);
}

ParseStatus SetDefaultKeyword(ParseState& state, ParsedFeature* feature,
                              const DescriptionEntry& entry) {
  std::string_view word;
  if (!WordReader(entry.Value()).Next(&word)) return ParseStatus::kSyntaxError;
  return SetTextOnce(state, &feature->defaultKeyword, word, false);
}

ParseStatus HandleGenericOption(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow& row) {
  ParsedFeature* feature = PredefinedFeature(state, row.feature);
  if (feature == nullptr) return ParseStatus::kFailed;
  return AddGenericOption(state, feature, entry);
}

ParseStatus HandleDefaultKeyword(ParseState& state, const DescriptionEntry& entry,
                                 const KeywordRow& row) {
  std::uint16_t index = DefaultTarget(row.keyword);
  if (index >= kPredefinedCount) return ParseStatus::kOk;
  ParsedFeature* feature = PredefinedFeature(state, index);
  if (feature == nullptr) return ParseStatus::kFailed;
  return SetDefaultKeyword(state, feature, entry);
}

ParseStatus HandlePageRegion(ParseState& state, const DescriptionEntry& entry,
                             const KeywordRow& row) {
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status != ParseStatus::kOk) return status;
  return SetTextOnce(state, &o->pageRegion, entry.Value(), false);
}

// The lower-left corner is kept one point inside what the description writes.
ParseStatus HandleImageableArea(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow& row) {
  std::int32_t area[4];
  if (!ReadFixedWords(entry.Value(), area, 4)) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status != ParseStatus::kOk || o->areaGiven) return status;
  constexpr std::int32_t kOnePoint = 256;
  for (int i = 0; i < 2; ++i) {
    area[i] = area[i] > 0x7FFFFFFF - kOnePoint ? 0x7FFFFFFF : area[i] + kOnePoint;
  }
  for (int i = 0; i < 4; ++i) o->area[i] = area[i];
  o->areaGiven = true;
  return ParseStatus::kOk;
}

ParseStatus HandlePaperDimension(ParseState& state, const DescriptionEntry& entry,
                                 const KeywordRow& row) {
  std::int32_t size[2];
  if (!ReadFixedWords(entry.Value(), size, 2)) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status != ParseStatus::kOk || o->dimensionGiven) return status;
  o->paperWidth = size[0];
  o->paperLength = size[1];
  o->dimensionGiven = true;
  return ParseStatus::kOk;
}

ParseStatus HandleInputSlot(ParseState& state, const DescriptionEntry& entry,
                            const KeywordRow& row) {
  ParseStatus status = HandleGenericOption(state, entry, row);
  if (status != ParseStatus::kOk) return status;
  ParsedOption* o = FindParsedOption(state.record->predefined[kInputSlot], entry.Option());
  o->pageRegionFlag = 1;
  return ParseStatus::kOk;
}

// "All" sets the feature's flag for every slot at the end of the parse; another
// option sets that slot's flag.
ParseStatus HandleRequiresPageRegion(ParseState& state, const DescriptionEntry& entry,
                                     const KeywordRow& row) {
  int value = LookupWord(entry.Value(), kBooleans, -1);
  if (entry.Option() == "All") {
    if (value < 0) return ParseStatus::kSyntaxError;
    ParsedFeature* feature = PredefinedFeature(state, row.feature);
    if (feature == nullptr) return ParseStatus::kFailed;
    feature->flags |= value == 1 ? kFeatureAllRequirePageRegion : kFeatureNoneRequirePageRegion;
    return ParseStatus::kOk;
  }
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk) o->pageRegionFlag = value == 1 ? 1 : 0;
  return status;
}

ParseStatus HandleResolution(ParseState& state, const DescriptionEntry& entry,
                             const KeywordRow& row) {
  ParseStatus status = HandleGenericOption(state, entry, row);
  if (status == ParseStatus::kOk) state.record->resolutionKind = 0;
  return status;
}

ParseStatus HandleJclResolution(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow& row) {
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk) status = SetTextOnce(state, &o->jclCode, entry.Value(), true);
  if (status == ParseStatus::kOk) state.record->resolutionKind = 1;
  return status;
}

ParseStatus HandleSetResolution(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow& row) {
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk) status = SetTextOnce(state, &o->setCode, entry.Value(), false);
  if (status == ParseStatus::kOk) state.record->resolutionKind = 2;
  return status;
}

ParseStatus HandleResScreenAngle(ParseState& state, const DescriptionEntry& entry,
                                 const KeywordRow& row) {
  std::int32_t value = 0;
  if (!ReadFixed(entry.Value(), &value)) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk) o->screenAngle = value;
  return status;
}

ParseStatus HandleResScreenFreq(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow& row) {
  std::int32_t value = 0;
  if (!ReadFixed(entry.Value(), &value)) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk) o->screenFreq = value;
  return status;
}

ParseStatus HandleVMOption(ParseState& state, const DescriptionEntry& entry,
                           const KeywordRow& row) {
  std::uint32_t memory = 0;
  if (!ReadDecimal(entry.Value(), &memory)) return ParseStatus::kSyntaxError;
  ParsedOption* o = nullptr;
  ParseStatus status = RowOption(state, entry, row, &o);
  if (status == ParseStatus::kOk && !o->memoryGiven) {
    o->memory = memory;
    o->memoryGiven = true;
  }
  return status;
}

// Only the InstallableOptions group matters: features created inside it are the
// printer's fitted equipment.
ParseStatus HandleOpenGroup(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  if (!MatchesWord(entry.Value(), "InstallableOptions")) return ParseStatus::kOk;
  if (state.installableGroupOpen) return ParseStatus::kSyntaxError;
  state.installableGroupOpen = true;
  return ParseStatus::kOk;
}

ParseStatus HandleCloseGroup(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  if (!MatchesWord(entry.Value(), "InstallableOptions")) return ParseStatus::kOk;
  if (!state.installableGroupOpen) return ParseStatus::kSyntaxError;
  state.installableGroupOpen = false;
  return ParseStatus::kOk;
}

// "*OpenUI *Name/Translation: PickOne". A predefined feature only takes the type
// and translation; a feature of the description's own becomes the open feature,
// whose options and default the following entries give.
ParseStatus HandleOpenUI(ParseState& state, const DescriptionEntry& entry, const KeywordRow& row) {
  state.openFeature = nullptr;
  std::string_view name = WithoutStar(entry.Option());
  if (name.empty()) return ParseStatus::kSyntaxError;
  ParsedFeature* feature = nullptr;
  int known = FindKeyword(name);
  if (known >= 0) {
    std::uint8_t index = kKeywordTable[known].feature;
    if (index == kNoFeature) return ParseStatus::kOk;
    feature = PredefinedFeature(state, index);
  } else {
    feature = FindParsedFeature(*state.record, name);
    if (feature == nullptr) feature = CreateFeature(state, name, kOwnFeature);
  }
  if (feature == nullptr) return ParseStatus::kFailed;
  feature->uiType = static_cast<std::uint16_t>(LookupWord(entry.Value(), kUiTypes, kUiBoolean));
  if (entry.HasTranslation()) {
    ParseStatus status = SetTextOnce(state, &feature->translation, entry.Translation(), true);
    if (status != ParseStatus::kOk) return status;
  }
  if (feature->predefinedIndex == kOwnFeature) {
    state.openFeature = feature;
    if (std::string_view(row.keyword) == "JCLOpenUI") feature->flags |= kFeatureHexValues;
  }
  return ParseStatus::kOk;
}

ParseStatus HandleCloseUI(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  std::string_view name = entry.Value();
  while (!name.empty() && IsWhiteSpace(static_cast<unsigned char>(name.back()))) {
    name.remove_suffix(1);
  }
  name = WithoutStar(name);
  if (name.empty()) return ParseStatus::kSyntaxError;
  if (state.openFeature != nullptr && name == state.openFeature->name) {
    state.openFeature = nullptr;
    return ParseStatus::kOk;
  }
  return FindKeyword(name) >= 0 ? ParseStatus::kOk : ParseStatus::kSyntaxError;
}

// "*OrderDependency: 10 AnySetup *PageSize [Option]".
ParseStatus HandleOrderDependency(ParseState& state, const DescriptionEntry& entry,
                                  const KeywordRow&) {
  std::string_view words[4];
  int count = 0;
  if (!SplitRuleWords(entry.Value(), words, &count) || count < 3) return ParseStatus::kSyntaxError;
  std::int32_t order = 0;
  if (!ReadFixedWord(words[0], &order)) return ParseStatus::kSyntaxError;
  std::string_view keyword = WithoutStar(words[2]);
  if (keyword.empty()) return ParseStatus::kSyntaxError;
  auto* d = state.arena->New<ParsedOrderDependency>();
  if (d == nullptr) return ParseStatus::kFailed;
  d->order = order;
  d->section = static_cast<std::uint16_t>(LookupWord(words[1], kSections, 32));
  d->keyword = CopyText(state, keyword);
  d->option = count == 4 ? CopyText(state, words[3]) : nullptr;
  if (d->keyword == nullptr || (count == 4 && d->option == nullptr)) return ParseStatus::kFailed;
  if (state.lastOrderDependency != nullptr) {
    state.lastOrderDependency->next = d;
  } else {
    state.record->orderDependencies = d;
  }
  state.lastOrderDependency = d;
  return ParseStatus::kOk;
}

// "*UIConstraints: *Keyword1 [Option1] *Keyword2 [Option2]".
ParseStatus HandleUIConstraints(ParseState& state, const DescriptionEntry& entry,
                                const KeywordRow&) {
  std::string_view words[4];
  int count = 0;
  if (!SplitRuleWords(entry.Value(), words, &count) || count < 2) return ParseStatus::kSyntaxError;
  if (!words[0].starts_with('*') || words[0].size() == 1) return ParseStatus::kSyntaxError;
  int next = 1;
  std::string_view option1;
  if (!words[1].starts_with('*')) option1 = words[next++];
  if (next >= count || !words[next].starts_with('*')) return ParseStatus::kSyntaxError;
  std::string_view keyword2 = words[next].substr(1);
  if (keyword2.empty() || count > next + 2) return ParseStatus::kSyntaxError;
  std::string_view option2 = next + 1 < count ? words[next + 1] : std::string_view();

  auto* c = state.arena->New<ParsedConstraint>();
  if (c == nullptr) return ParseStatus::kFailed;
  c->keyword1 = CopyText(state, words[0].substr(1));
  c->keyword2 = CopyText(state, keyword2);
  c->option1 = option1.empty() ? nullptr : CopyText(state, option1);
  c->option2 = option2.empty() ? nullptr : CopyText(state, option2);
  if (!c->keyword1 || !c->keyword2 || (!option1.empty() && !c->option1) ||
      (!option2.empty() && !c->option2)) {
    return ParseStatus::kFailed;
  }
  if (state.lastConstraint != nullptr) {
    state.lastConstraint->next = c;
  } else {
    state.record->constraints = c;
  }
  state.lastConstraint = c;
  return ParseStatus::kOk;
}

// Job patch files are kept in ascending byte order of their names; a later
// entry replaces an earlier one of the same name.
ParseStatus HandleJobPatchFile(ParseState& state, const DescriptionEntry& entry,
                               const KeywordRow&) {
  auto* p = state.arena->New<ParsedJobPatchFile>();
  if (p == nullptr) return ParseStatus::kFailed;
  p->name = CopyText(state, entry.Option());
  p->hash = NameHash(entry.Option());
  p->value = CopyText(state, entry.Value());
  if (p->name == nullptr || p->value == nullptr) return ParseStatus::kFailed;
  if (entry.HasTranslation()) {
    char* decoded = nullptr;
    ParseStatus status =
        FromDecode(DecodeHexSubstrings(entry.Translation(), *state.arena, &decoded));
    if (status != ParseStatus::kOk) return status;
    p->translation = decoded;
  }
  ParsedJobPatchFile** link = &state.record->jobPatchFiles;
  while (*link != nullptr && std::strcmp((*link)->name, p->name) < 0) link = &(*link)->next;
  if (*link != nullptr && std::strcmp((*link)->name, p->name) == 0) *link = (*link)->next;
  p->next = *link;
  *link = p;
  return ParseStatus::kOk;
}

}  // namespace settings
