// The state of one description parse, handed to every keyword handler. Nothing
// of it outlives the parse, and nothing is shared with another parse: the
// "seen" marks of the non-repeatable keywords live here, not in the table.
#pragma once

#include "platform/base/types.h"
#include "settings/description_arena.h"
#include "settings/description_record.h"
#include "settings/keyword_table.h"

namespace settings {

struct ParseState {
  ParsedDescription* record = nullptr;
  DescriptionArena* arena = nullptr;
  HMODULE module = nullptr;  // where the face names of East Asian fonts come from
  ParsedFeature* openFeature = nullptr;
  bool installableGroupOpen = false;
  bool encodingGiven = false;  // LanguageEncoding seen: LanguageVersion no longer counts
  bool seen[kKeywordCount] = {};
  ParsedFeature* lastFeature = nullptr;
  ParsedOrderDependency* lastOrderDependency = nullptr;
  ParsedConstraint* lastConstraint = nullptr;
};

// Shared steps of the handlers (feature_handlers.cpp).

// A copy of `text` in the arena (null when out of memory).
const char* CopyText(ParseState& state, std::string_view text);
// The predefined feature of `index`, created when absent; null when out of memory.
ParsedFeature* PredefinedFeature(ParseState& state, std::uint16_t index);
// The first feature named `name`, or null.
ParsedFeature* FindParsedFeature(const ParsedDescription& record, std::string_view name);
// The option `entry` names in `feature`, created with the entry's translation
// when absent (a later entry only adds a missing translation).
ParseStatus FindOrCreateOption(ParseState& state, ParsedFeature* feature,
                               const DescriptionEntry& entry, ParsedOption** option);
// Adds the entry as an option of `feature`: the value is kept only when the option
// has none yet (the first definition wins), hex-decoded for JCL features.
ParseStatus AddGenericOption(ParseState& state, ParsedFeature* feature,
                             const DescriptionEntry& entry);
// Sets a feature's default option keyword (the value's first word) once.
ParseStatus SetDefaultKeyword(ParseState& state, ParsedFeature* feature,
                              const DescriptionEntry& entry);

// Handlers, by file.
ParseStatus HandleGenericOption(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleDefaultKeyword(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandlePageRegion(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleImageableArea(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandlePaperDimension(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleInputSlot(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleRequiresPageRegion(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleResolution(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleJclResolution(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleSetResolution(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleResScreenAngle(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleResScreenFreq(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleVMOption(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleOpenGroup(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleCloseGroup(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleOpenUI(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleCloseUI(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleOrderDependency(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleUIConstraints(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleJobPatchFile(ParseState&, const DescriptionEntry&, const KeywordRow&);
// header_handlers.cpp
ParseStatus HandleColorDevice(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandlePrintPSError(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleProtocols(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleExtensions(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleLanguageEncoding(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleLanguageVersion(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleTTRasterizer(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleLandscapeOrientation(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleCustomPageSize(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleParamCustomPageSize(ParseState&, const DescriptionEntry&, const KeywordRow&);
ParseStatus HandleHWMargins(ParseState&, const DescriptionEntry&, const KeywordRow&);
// device_fonts.cpp
ParseStatus HandleFont(ParseState&, const DescriptionEntry&, const KeywordRow&);

}  // namespace settings
