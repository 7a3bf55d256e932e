// The checks of a flattened block.
#include "settings/description_relocate.h"

#include <cstring>

#include "platform/base/memory.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_layout.h"
#include "settings/keyword_table.h"

namespace settings {

namespace {

namespace L = layout;

class BlockCheck {
 public:
  // A block whose last byte is zero has a terminator after every text in it,
  // which spares the search for each one.
  BlockCheck(const unsigned char* block, std::uint32_t size)
      : b_(block), size_(size), endsInZero_(size > 0 && block[size - 1] == 0) {}

  std::uint32_t Link(std::uint32_t at) const {
    std::uint64_t v = LoadU64(b_ + at);
    return v > size_ ? 0xFFFFFFFF : static_cast<std::uint32_t>(v);
  }
  // 0, or an aligned offset past the header with a whole record of `bytes` there.
  bool Record(std::uint32_t o, std::uint32_t bytes) const {
    if (o == 0) return true;
    return o >= L::kHeaderSize && o % 4 == 0 && std::uint64_t{o} + bytes <= size_;
  }
  // A record that must be there.
  bool Present(std::uint32_t o, std::uint32_t bytes) const { return o != 0 && Record(o, bytes); }
  // 0, or a text with its terminator inside the block.
  bool Text(std::uint32_t o) const {
    if (o == 0) return true;
    return Record(o, 1) && (endsInZero_ || std::memchr(b_ + o, 0, size_ - o) != nullptr);
  }
  bool TextAt(std::uint32_t record, std::uint32_t member) const {
    return Text(Link(record + member));
  }
  bool NameAt(std::uint32_t record) const {
    std::uint32_t o = Link(record + L::kName);
    return o != 0 && Text(o);
  }
  bool WidePath() const {
    if (Link(L::kDataFilePath) != L::kHeaderSize) return false;
    for (std::uint32_t at = L::kHeaderSize; at + 1 < size_; at += 2) {
      if (LoadU16(b_ + at) == 0) return true;
    }
    return false;
  }
  const unsigned char* Bytes() const { return b_; }
  std::uint32_t Size() const { return size_; }

 private:
  const unsigned char* b_;
  std::uint32_t size_;
  bool endsInZero_;
};

constexpr std::uint32_t kHeaderTexts[] = {
    L::kNickName, L::kPassword,           L::kExitServer,    L::kCustomPageSizeCode, L::kJCLBegin,
    L::kJCLEnd,   L::kJCLToPSInterpreter, L::kBidiModelName, L::kBidiDLLName};

bool CheckHeader(const BlockCheck& c) {
  if (LoadU16(c.Bytes() + L::kFormatVersionAt) != L::kFormatVersion) return false;
  if (!c.WidePath()) return false;
  for (std::uint32_t at : kHeaderTexts) {
    if (!c.Text(c.Link(at))) return false;
  }
  return true;
}

// What the feature walk learns, for the table checks: the option count of each
// feature by position.
struct FeatureCounts {
  int* options = nullptr;
  int count = 0;
  ~FeatureCounts() {
    if (options != nullptr) HeapFree(GetProcessHeap(), 0, options);
  }
};

bool CheckOption(const BlockCheck& c, std::uint32_t o, std::uint32_t size, std::uint16_t index) {
  if (!c.Present(o, size) || !c.NameAt(o)) return false;
  if (!c.TextAt(o, L::kTranslation) || !c.TextAt(o, L::kOptionValue)) return false;
  if (index == kPageSize) return c.TextAt(o, L::kOptionPageRegion);
  if (index == kResolution) return c.TextAt(o, L::kOptionJclCode) && c.TextAt(o, L::kOptionSetCode);
  return true;
}

// Walks a feature's options forward; their count, or -1.
int CheckOptions(const BlockCheck& c, std::uint32_t feature, std::uint32_t size,
                 std::uint16_t index) {
  int count = 0;
  std::uint32_t previous = feature;
  for (std::uint32_t o = c.Link(feature + L::kFeatureFirstOption); o != 0;
       o = c.Link(o + L::kNext)) {
    if (o <= previous || !CheckOption(c, o, size, index)) return -1;
    previous = o;
    ++count;
  }
  return count;
}

bool CheckFeature(const BlockCheck& c, std::uint32_t f, int position, int documentCount,
                  std::uint32_t* seenPredefined, int* optionCount) {
  if (!c.Present(f, L::kFeatureSize) || !c.NameAt(f) || !c.TextAt(f, L::kTranslation)) return false;
  const unsigned char* b = c.Bytes() + f;
  std::uint16_t index = LoadU16(b + L::kFeaturePredefined);
  if (index > kOwnFeature) return false;
  if (index < kPredefinedCount) {
    if (*seenPredefined & (1u << index)) return false;
    *seenPredefined |= 1u << index;
  }
  std::uint32_t size = LoadU32(b + L::kFeatureOptionSize);
  if (size != OptionRecordSizeFor(index)) return false;
  bool installable = LoadU32(b + L::kFeatureInstallable) != 0;
  int group = position < documentCount ? position : position - documentCount;
  if (installable != (position >= documentCount)) return false;
  if (LoadU16(b + L::kFeatureListIndex) != group) return false;
  int options = CheckOptions(c, f, size, index);
  if (options < 0) return false;
  std::uint32_t choice = LoadU32(b + L::kFeatureDefaultChoice);
  bool choiceFits =
      index == kResolution
          ? choice != 0
          : (options == 0 ? choice == 0 : choice < static_cast<std::uint32_t>(options));
  if (!choiceFits) return false;
  *optionCount = options;
  return true;
}

// Walks the features, counting their options into `counts`.
bool CheckFeatures(const BlockCheck& c, FeatureCounts& counts) {
  int documentCount = LoadU16(c.Bytes() + L::kDocumentFeatureCount);
  int total = documentCount + LoadU16(c.Bytes() + L::kInstallableFeatureCount);
  if (static_cast<std::uint64_t>(total) * L::kFeatureSize > c.Size()) return false;
  counts.options = static_cast<int*>(HeapAlloc(
      GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(int) * (static_cast<std::size_t>(total) + 1)));
  if (counts.options == nullptr) return false;
  std::uint32_t seenPredefined = 0;
  std::uint32_t previous = 0;
  int position = 0;
  for (std::uint32_t f = c.Link(L::kFirstFeature); f != 0; f = c.Link(f + L::kNext)) {
    if (f <= previous || position >= total) return false;
    if (!CheckFeature(c, f, position, documentCount, &seenPredefined, &counts.options[position])) {
      return false;
    }
    previous = f;
    ++position;
  }
  counts.count = position;
  return position == total;
}

// A feature position and an option position of a table entry that applies:
// the option is none (255) or one the feature has.
bool EntryFits(const FeatureCounts& counts, int feature, int option) {
  if (feature < 0 || feature >= counts.count) return false;
  return option == kNoOption || (option >= 0 && option < counts.options[feature]);
}

// An entry that never applies holds no positions.
bool NeverApplies(int feature, int option) {
  return feature == kUnresolvedFeature && option == kNoOption;
}

bool CheckTable(const BlockCheck& c, std::uint32_t member, std::uint32_t entrySize,
                std::uint32_t* entries, std::uint32_t* count) {
  std::uint32_t o = c.Link(member);
  *count = 0;
  if (o == 0) return true;
  if (!c.Present(o, L::kTableHeaderSize)) return false;
  *count = LoadU16(c.Bytes() + o);
  if (LoadU16(c.Bytes() + o + 2) != entrySize) return false;
  if (!c.Record(o, L::kTableHeaderSize + *count * entrySize)) return false;
  *entries = o + L::kTableHeaderSize;
  return true;
}

bool CheckConstraints(const BlockCheck& c, const FeatureCounts& counts) {
  std::uint32_t at = 0, count = 0;
  if (!CheckTable(c, L::kConstraints, L::kConstraintEntrySize, &at, &count)) return false;
  for (std::uint32_t i = 0; i < count; ++i, at += L::kConstraintEntrySize) {
    const unsigned char* e = c.Bytes() + at;
    if (NeverApplies(LoadI16(e), LoadI16(e + 2)) && NeverApplies(LoadI16(e + 4), LoadI16(e + 6))) {
      continue;
    }
    if (!EntryFits(counts, LoadI16(e), LoadI16(e + 2))) return false;
    if (!EntryFits(counts, LoadI16(e + 4), LoadI16(e + 6))) return false;
  }
  return true;
}

bool CheckOrderDependencies(const BlockCheck& c, const FeatureCounts& counts) {
  std::uint32_t at = 0, count = 0;
  if (!CheckTable(c, L::kOrderDependencies, L::kOrderEntrySize, &at, &count)) return false;
  for (std::uint32_t i = 0; i < count; ++i, at += L::kOrderEntrySize) {
    const unsigned char* e = c.Bytes() + at;
    if (!NeverApplies(LoadI16(e), LoadI16(e + 2)) &&
        !EntryFits(counts, LoadI16(e), LoadI16(e + 2))) {
      return false;
    }
  }
  return true;
}

// Fonts and job patch files: forward lists of fixed records with texts.
bool CheckList(const BlockCheck& c, std::uint32_t first, std::uint32_t recordSize,
               const std::uint32_t* texts, int textCount) {
  std::uint32_t previous = 0;
  for (std::uint32_t o = c.Link(first); o != 0; o = c.Link(o + L::kNext)) {
    if (o <= previous || !c.Present(o, recordSize) || !c.NameAt(o)) return false;
    for (int i = 0; i < textCount; ++i) {
      if (!c.TextAt(o, texts[i])) return false;
    }
    previous = o;
  }
  return true;
}

void RebuildPredefined(unsigned char* block, const BlockCheck& c) {
  for (std::uint32_t i = 0; i < kPredefinedCount; ++i) StoreU64(block + L::kPredefined + 8 * i, 0);
  for (std::uint32_t f = c.Link(L::kFirstFeature); f != 0; f = c.Link(f + L::kNext)) {
    std::uint16_t index = LoadU16(block + f + L::kFeaturePredefined);
    if (index < kPredefinedCount) StoreU64(block + L::kPredefined + 8u * index, f);
  }
}

}  // namespace

bool Relocate(void* block, std::size_t size) {
  if (block == nullptr || size < L::kHeaderSize || size > 0xFFFFFFFFu) return false;
  auto* b = static_cast<unsigned char*>(block);
  if (LoadU32(b + L::kTotalSize) != size) return false;
  BlockCheck c(b, static_cast<std::uint32_t>(size));
  FeatureCounts counts;
  static constexpr std::uint32_t kFontTexts[] = {L::kFontDisplayName};
  static constexpr std::uint32_t kPatchTexts[] = {L::kTranslation, L::kOptionValue};
  if (!CheckHeader(c) || !CheckFeatures(c, counts) || !CheckConstraints(c, counts) ||
      !CheckOrderDependencies(c, counts) ||
      !CheckList(c, L::kFirstDeviceFont, L::kFontSize, kFontTexts, 1) ||
      !CheckList(c, L::kFirstJobPatchFile, L::kJobPatchFileSize, kPatchTexts, 2)) {
    return false;
  }
  RebuildPredefined(b, c);
  return true;
}

}  // namespace settings
