// The keyword table of the description parser: one row per keyword the parser
// knows, with the form its entries must have, the predefined feature it stands
// for and the handler that stores its value. Keywords outside the table are
// ignored, so that a description may carry keywords of other drivers.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/base/types.h"
#include "settings/description_entry.h"
#include "settings/description_record.h"

namespace settings {

inline constexpr int kKeywordCount = 91;
inline constexpr std::uint8_t kNoFeature = 0xFF;

// Form bits of a row: the value class in the low bits, and two flags.
inline constexpr std::uint8_t kClassAny = 0;            // any value
inline constexpr std::uint8_t kClassQuoted = 1;         // quoted only
inline constexpr std::uint8_t kClassQuotedOrPlain = 2;  // quoted or plain, not a symbol
inline constexpr std::uint8_t kClassPlain = 4;          // plain and not empty
inline constexpr std::uint8_t kClassMask = 0x07;
inline constexpr std::uint8_t kFormOption = 0x10;  // an option keyword is required (else forbidden)
inline constexpr std::uint8_t kFormRepeat = 0x20;  // every entry counts, not only the first

// What a handler (and the parse) makes of an entry.
enum class ParseStatus : std::uint8_t {
  kOk,           // stored (or deliberately ignored)
  kSyntaxError,  // the entry is skipped
  kFailed,       // the parse fails: no memory, or no module to read font names from
};

struct ParseState;
struct KeywordRow;
using KeywordHandler = ParseStatus (*)(ParseState& state, const DescriptionEntry& entry,
                                       const KeywordRow& row);

struct KeywordRow {
  const char* keyword;
  KeywordHandler handler;  // null: the entry is ignored
  std::uint8_t feature;    // predefined feature index, or kNoFeature
  std::uint8_t form;
};

extern const KeywordRow kKeywordTable[kKeywordCount];

// The row number of `keyword`, or -1. The first call builds the 127-slot index
// (once per process, under a once-guard); afterwards the index is read-only.
int FindKeyword(std::string_view keyword);

// Names, option record sizes and UI types of the 31 predefined features.
struct PredefinedFeatureRow {
  const char* name;
  std::uint32_t optionRecordSize;
  std::uint16_t uiType;
};
extern const PredefinedFeatureRow kPredefinedFeatures[kPredefinedCount];

// The option record size a feature of predefined index `index` has.
std::uint32_t OptionRecordSizeFor(std::uint16_t index);

}  // namespace settings
