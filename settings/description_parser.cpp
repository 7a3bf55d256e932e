// Dispatching entries to the keyword table, and the end-of-parse steps.
#include "settings/description_parser.h"

#include <cstring>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "settings/checksum.h"
#include "settings/description_entry.h"
#include "settings/parse_state.h"

namespace settings {

namespace {

constexpr std::uint32_t kMinimumFreeVM = 102400;
constexpr std::int32_t kDefaultScreenAngle = 45 * 256;
constexpr std::int32_t kDefaultScreenFreq = 60 * 256;

// Whether the entry has the form its row asks for.
bool FormFits(const DescriptionEntry& entry, std::uint8_t form) {
  if (entry.HasOption() != ((form & kFormOption) != 0)) return false;
  switch (form & kClassMask) {
    case kClassQuoted:
      return entry.Kind() == ValueKind::kQuoted;
    case kClassQuotedOrPlain:
      return entry.Kind() != ValueKind::kSymbol;
    case kClassPlain:
      return entry.Kind() == ValueKind::kPlain && !entry.Value().empty();
    default:
      return true;
  }
}

// Entries of the open feature of the description's own: "*Name Option: ..." adds
// an option, "*DefaultName: Option" sets its default once.
bool DispatchOpenFeature(ParseState& state, const DescriptionEntry& entry, ParseStatus* status) {
  ParsedFeature* open = state.openFeature;
  std::string_view keyword = entry.Keyword();
  if (keyword == open->name) {
    *status = AddGenericOption(state, open, entry);
    return true;
  }
  if (keyword.starts_with("Default") && keyword.substr(7) == open->name) {
    *status = open->defaultKeyword ? ParseStatus::kOk : SetDefaultKeyword(state, open, entry);
    return true;
  }
  return false;
}

ParseStatus Dispatch(ParseState& state, const DescriptionEntry& entry) {
  std::string_view keyword = entry.Keyword();
  if (keyword.starts_with('?')) return ParseStatus::kOk;  // a query, for other hosts
  ParseStatus status = ParseStatus::kOk;
  if (state.openFeature != nullptr && DispatchOpenFeature(state, entry, &status)) return status;
  int row = FindKeyword(keyword);
  if (row < 0 || kKeywordTable[row].handler == nullptr) return ParseStatus::kOk;
  const KeywordRow& r = kKeywordTable[row];
  if (!FormFits(entry, r.form)) return ParseStatus::kSyntaxError;
  bool once = (r.form & (kFormRepeat | kFormOption)) == 0;
  if (once && state.seen[row]) return ParseStatus::kOk;
  status = r.handler(state, entry, r);
  if (status == ParseStatus::kOk) state.seen[row] = true;
  return status;
}

// RequiresPageRegion "All" decides for every slot.
void ApplyPageRegionFlags(ParsedDescription& record) {
  ParsedFeature* slots = record.predefined[kInputSlot];
  if (slots == nullptr) return;
  std::uint16_t flags = slots->flags;
  if ((flags & (kFeatureAllRequirePageRegion | kFeatureNoneRequirePageRegion)) == 0) return;
  std::uint32_t value = (flags & kFeatureAllRequirePageRegion) ? 1 : 0;
  for (ParsedOption* o = slots->options; o != nullptr; o = o->next) o->pageRegionFlag = value;
}

// Document features first, then the installable ones, each group in the order of
// first appearance, numbered within the group.
void OrderFeatures(ParsedDescription& record) {
  ParsedFeature* document = nullptr;
  ParsedFeature** documentTail = &document;
  ParsedFeature* installable = nullptr;
  ParsedFeature** installableTail = &installable;
  std::uint32_t documentCount = 0, installableCount = 0;
  for (ParsedFeature* f = record.features; f != nullptr;) {
    ParsedFeature* next = f->next;
    f->next = nullptr;
    if (f->installable) {
      f->listIndex = static_cast<std::uint16_t>(installableCount++);
      *installableTail = f;
      installableTail = &f->next;
    } else {
      f->listIndex = static_cast<std::uint16_t>(documentCount++);
      *documentTail = f;
      documentTail = &f->next;
    }
    f = next;
  }
  *documentTail = installable;
  record.features = document;
  record.documentFeatureCount = static_cast<std::uint16_t>(documentCount);
  record.installableFeatureCount = static_cast<std::uint16_t>(installableCount);
}

void FinishDescription(ParsedDescription& record) {
  ApplyPageRegionFlags(record);
  OrderFeatures(record);
  if (record.FreeVM < kMinimumFreeVM) record.FreeVM = kMinimumFreeVM;
  if (record.MaxMediaWidth == 0 && record.MaxMediaHeight == 0) record.customPageSize = 0;
}

ParsedDescription* NewRecord(const WCHAR* path, DescriptionArena& arena) {
  auto* record = arena.New<ParsedDescription>();
  if (record == nullptr) return nullptr;
  std::size_t length = platform::WideLength(path);
  auto* copy = static_cast<WCHAR*>(arena.Allocate((length + 1) * sizeof(WCHAR)));
  if (copy == nullptr) return nullptr;
  if (length > 0) std::memcpy(copy, path, length * sizeof(WCHAR));
  record->dataFilePath = copy;
  record->LanguageLevel = 1;
  record->SuggestedWaitTimeout = 240;
  record->ScreenAngle = kDefaultScreenAngle;
  record->ScreenFreq = kDefaultScreenFreq;
  return record;
}

}  // namespace

ParsedDescription* ParseDescriptionText(const unsigned char* data, std::size_t size,
                                        const WCHAR* path, HMODULE module,
                                        DescriptionArena& arena) {
  ParsedDescription* record = NewRecord(path, arena);
  if (record == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Every byte of the file passes through the checksum; a successful parse reads
  // them all.
  record->checksum = UpdateChecksum(0, data, size);
  ParseState state;
  state.record = record;
  state.arena = &arena;
  state.module = module;
  DescriptionEntry entry;
  EntryReader reader(data, size);
  for (;;) {
    EntryResult result = reader.Next(entry);
    if (result == EntryResult::kEnd) break;
    if (result == EntryResult::kSyntaxError) continue;
    if (result == EntryResult::kSizeError || Dispatch(state, entry) == ParseStatus::kFailed) {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
  }
  FinishDescription(*record);
  return record;
}

ParsedDescription* ParseDescription(const WCHAR* path, HMODULE module, DescriptionArena& arena) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return nullptr;
  return ParseDescriptionText(bytes.data(), bytes.size(), path, module, arena);
}

}  // namespace settings
