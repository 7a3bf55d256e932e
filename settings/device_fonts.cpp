// Font entries of the description parser.
#include "settings/device_fonts.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "platform/base/codepage.h"
#include "platform/modules/modules.h"
#include "resources/device_font_names.h"
#include "resources/font_metric_records.h"
#include "settings/byte_order.h"
#include "settings/description_values.h"
#include "settings/parse_state.h"

namespace settings {

namespace {

// clang-format off
constexpr WordCode kFontEncodings[] = {
    {"Standard", 0}, {"Special", 1}, {"ISOLatin1", 2}, {"Expert", 3}, {"ExpertSubset", 4},
    {"JIS", 5}, {"RKSJ", 6}, {"EUC", 7}, {"Shift-JIS", 8}, {"B5", 9}, {"UHC", 10},
    {"83pv-RKSJ-H", 11}, {"90ms-RKSJ-H", 12}, {"90ms-RKSJ-V", 13}, {"Ext-RKSJ-H", 14},
    {"Ext-RKSJ-V", 15}, {"GB-EUC-H", 16}, {"GB-EUC-V", 17}, {"B5-H", 18}, {"B5-V", 19},
    {"KSC-EUC-H", 20}, {"KSC-EUC-V", 21}, {"KSCms-EHC-H", 22}, {"KSCms-EHC-V", 23}};
constexpr WordCode kFontCharacterSets[] = {
    {"Standard", 0}, {"OldStandard", 1}, {"Special", 2}, {"ISOLatin1", 3}, {"Expert", 4},
    {"ExpertSubset", 5}, {"JIS-83", 6}, {"JIS-78", 7}, {"83pv", 8}, {"Add", 9}, {"Ext", 10},
    {"NWP", 11}, {"90ms", 12}, {"GB", 14}, {"B5", 16}, {"KSCms", 13}};
// clang-format on
constexpr int kOtherEncoding = 24;
constexpr int kOtherCharacterSet = 17;
constexpr std::size_t kMaxFontWord = 39;
// A vertical twin's metric record is its horizontal one's number plus this.
constexpr unsigned kVerticalNumberOffset = 2000;
constexpr std::size_t kMaxFaceName = 128;

std::array<resources::DeviceFontName, resources::kDeviceFontNameCount> gSorted;
std::once_flag gSortOnce;

void SortTable() {
  std::copy(std::begin(resources::kDeviceFontNames), std::end(resources::kDeviceFontNames),
            gSorted.begin());
  std::sort(gSorted.begin(), gSorted.end(),
            [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
}

struct FontClass {
  std::uint16_t encoding;
  std::uint16_t set;
  std::uint16_t codePage;
};

// The encoding word, and the character set after the quoted version:
// "RKSJ "(003.000)" 83pv ROM".
FontClass ReadFontClass(std::string_view value) {
  std::string_view word;
  WordReader words(value);
  FontClass c{static_cast<std::uint16_t>(kOtherEncoding), 0, 1252};
  if (words.Next(&word)) {
    word = word.substr(0, kMaxFontWord);
    c.encoding = static_cast<std::uint16_t>(LookupWord(word, kFontEncodings, kOtherEncoding));
  }
  if (c.encoding < kOtherEncoding) {
    std::size_t first = value.find('"');
    std::size_t second = first == std::string_view::npos ? first : value.find('"', first + 1);
    if (second != std::string_view::npos && WordReader(value.substr(second + 1)).Next(&word)) {
      word = word.substr(0, kMaxFontWord);
      c.set = static_cast<std::uint16_t>(LookupWord(word, kFontCharacterSets, kOtherCharacterSet));
    }
  }
  return c;
}

// Folds the many Japanese, Chinese and Korean encodings into four classes.
void Normalise(FontClass& c) {
  switch (c.encoding) {
    case 6:
      if (c.set != kFontSet83pv && c.set != kFontSetExt) c.set = kFontSet90ms;
      break;
    case 11:
      c = {6, kFontSet83pv, 0};
      break;
    case 12:
    case 13:
      c = {6, kFontSet90ms, 0};
      break;
    case 14:
    case 15:
      c = {6, kFontSetExt, 0};
      break;
    case 16:
    case 17:
      c = {7, 14, 0};
      break;
    case 18:
    case 19:
      c = {9, 16, 0};
      break;
    case 20:
    case 21:
    case 22:
    case 23:
      c = {10, 13, 0};
      break;
    default:
      break;
  }
  switch (c.encoding) {
    case kFontEncodingRksj:
      c.codePage = 932;
      break;
    case kFontEncodingEuc:
      c.codePage = c.set == 14 ? 936 : 1252;
      break;
    case kFontEncodingB5:
      c.codePage = 950;
      break;
    case kFontEncodingUhc:
      c.codePage = 949;
      break;
    default:
      c.codePage = 1252;
      break;
  }
}

bool IsEastAsian(std::uint16_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// The display name of an East Asian font: its record's face name in the ANSI
// code page. False when the module has no record of that number.
bool FaceDisplayName(ParseState& state, unsigned number, const char** out) {
  WCHAR face[kMaxFaceName];
  int length = ReadFontFaceName(state.module, number, face, kMaxFaceName);
  if (length < 0) return false;
  char ansi[kMaxFaceName * 2];
  int n = length == 0
              ? 0
              : WideCharToMultiByte(CP_ACP, 0, face, length, ansi, sizeof ansi, nullptr, nullptr);
  *out = CopyText(state, std::string_view(ansi, n > 0 ? static_cast<std::size_t>(n) : 0));
  return true;
}

const char* HyphensToBlanks(ParseState& state, std::string_view name) {
  char* text = state.arena->CopyText(name);
  if (text != nullptr) std::replace(text, text + name.size(), '-', ' ');
  return text;
}

bool HasFont(const ParsedDescription& record, std::string_view name) {
  std::uint32_t hash = NameHash(name);
  for (const ParsedDeviceFont* f = record.fonts; f != nullptr; f = f->next) {
    if (f->hash == hash && name == f->name) return true;
  }
  return false;
}

// Inserts ahead of the first font with a larger metric number.
void InsertFont(ParsedDescription& record, ParsedDeviceFont* font) {
  ParsedDeviceFont** link = &record.fonts;
  while (*link != nullptr && (*link)->metricNumber <= font->metricNumber) link = &(*link)->next;
  font->next = *link;
  *link = font;
  record.fontOrder = 0xFFFFFFFF;
}

}  // namespace

int FindResidentFont(std::string_view name) {
  std::call_once(gSortOnce, SortTable);
  auto it = std::lower_bound(gSorted.begin(), gSorted.end(), name,
                             [](const auto& row, std::string_view n) { return row.name < n; });
  if (it == gSorted.end() || name != it->name) return -1;
  return it->metricNumber;
}

int ReadFontFaceName(HMODULE module, unsigned number, WCHAR* out, std::size_t capacity) {
  if (module == nullptr || number > 0xFFFF || capacity == 0) return -1;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(number)),
                              MAKEINTRESOURCEW(resources::kFontMetricResourceType));
  if (found == nullptr) return -1;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  std::size_t size = SizeofResource(module, found);
  if (bytes == nullptr || size < resources::kMetricBlockOffsetOffset + 4) return -1;
  std::size_t block = LoadU32(bytes + resources::kMetricBlockOffsetOffset);
  if (block > size || size - block < resources::kMetricsFaceNameOffset + 4) return -1;
  std::size_t face = block + LoadU32(bytes + block + resources::kMetricsFaceNameOffset);
  if (face < block || face > size) return -1;
  std::size_t n = 0;
  for (std::size_t at = face; at + 1 < size; at += 2) {
    WCHAR c = static_cast<WCHAR>(LoadU16(bytes + at));
    if (c == 0) {
      out[n] = 0;
      return static_cast<int>(n);
    }
    if (n + 1 < capacity) out[n++] = c;
  }
  return -1;  // no terminator inside the record
}

// "*Font Name/Display: Encoding "(version)" CharacterSet Status".
ParseStatus HandleFont(ParseState& state, const DescriptionEntry& entry, const KeywordRow&) {
  int number = FindResidentFont(entry.Option());
  if (number < 0 || HasFont(*state.record, entry.Option())) return ParseStatus::kOk;
  FontClass c = ReadFontClass(entry.Value());
  Normalise(c);
  bool eastAsian = IsEastAsian(c.codePage);
  bool twin =
      eastAsian && c.set == kFontSet83pv && number < static_cast<int>(kVerticalNumberOffset);
  // Without the library's module no face name can be had: the load fails rather
  // than leave the East Asian fonts out of a cache that would keep them out.
  if (eastAsian && (twin || !entry.HasTranslation()) && state.module == nullptr) {
    return ParseStatus::kFailed;
  }

  auto* font = state.arena->New<ParsedDeviceFont>();
  if (font == nullptr) return ParseStatus::kFailed;
  font->name = CopyText(state, entry.Option());
  if (font->name == nullptr) return ParseStatus::kFailed;
  font->hash = NameHash(entry.Option());
  font->encodingClass = c.encoding;
  font->characterSet = c.set;
  font->codePage = c.codePage;
  font->metricNumber = static_cast<std::uint16_t>(number);
  if (entry.HasTranslation()) {
    char* decoded = nullptr;
    DecodeResult r = DecodeHexSubstrings(entry.Translation(), *state.arena, &decoded);
    if (r != DecodeResult::kOk) {
      return r == DecodeResult::kNoMemory ? ParseStatus::kFailed : ParseStatus::kSyntaxError;
    }
    font->displayName = decoded;
  } else if (eastAsian) {
    // A font whose record is missing is left out, as one the table does not know.
    if (!FaceDisplayName(state, font->metricNumber, &font->displayName)) return ParseStatus::kOk;
  } else {
    font->displayName = HyphensToBlanks(state, entry.Option());
  }
  if (font->displayName == nullptr) return ParseStatus::kFailed;

  ParsedDeviceFont* vertical = nullptr;
  if (twin) {
    vertical = state.arena->New<ParsedDeviceFont>();
    if (vertical == nullptr) return ParseStatus::kFailed;
    *vertical = *font;
    vertical->metricNumber = static_cast<std::uint16_t>(number + kVerticalNumberOffset);
    vertical->vertical = kFontVerticalTwin;
    if (!FaceDisplayName(state, vertical->metricNumber, &vertical->displayName)) {
      return ParseStatus::kOk;
    }
    if (vertical->displayName == nullptr) return ParseStatus::kFailed;
  } else if (eastAsian && entry.Option().size() >= 4 && entry.Option().ends_with("-V")) {
    font->vertical = kFontVerticalName;
  }
  InsertFont(*state.record, font);
  if (vertical != nullptr) InsertFont(*state.record, vertical);
  return ParseStatus::kOk;
}

}  // namespace settings
