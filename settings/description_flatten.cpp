// Measure, then write: the same walk runs twice, first without a block to find
// the size, then into the block.
#include "settings/description_flatten.h"

#include <cstring>

#include "platform/base/error.h"
#include "platform/base/memory.h"
#include "platform/base/text.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_layout.h"
#include "settings/description_values.h"

namespace settings {

namespace {

namespace L = layout;

constexpr std::uint32_t kDefaultDpi = 300;
constexpr std::uint64_t kMaxBlock = 0xFFFFFFFFu;

// Places items one after another; without a block it only counts.
class BlockWriter {
 public:
  explicit BlockWriter(unsigned char* block) : block_(block) {}
  std::uint64_t Size() const { return pos_; }

  // Room for a record of `size` bytes; its offset.
  std::uint32_t Reserve(std::uint64_t size) {
    std::uint64_t at = pos_;
    pos_ += (size + 3) & ~std::uint64_t{3};
    return static_cast<std::uint32_t>(at);
  }
  // A text (absent texts take no room and give offset 0).
  std::uint32_t PutText(const char* text) {
    if (text == nullptr) return 0;
    std::size_t length = std::strlen(text);
    std::uint32_t at = Reserve(length + 1);
    if (block_ != nullptr) std::memcpy(block_ + at, text, length);
    return at;
  }
  std::uint32_t PutWidePath(const WCHAR* path) {
    std::size_t length = platform::WideLength(path);
    std::uint64_t at = pos_;
    pos_ += (2 * static_cast<std::uint64_t>(length) + 5) & ~std::uint64_t{3};
    if (block_ != nullptr) {
      for (std::size_t i = 0; i < length; ++i) StoreU16(block_ + at + 2 * i, path[i]);
    }
    return static_cast<std::uint32_t>(at);
  }
  void Link(std::uint32_t at, std::uint32_t offset) {
    if (block_ != nullptr) StoreU64(block_ + at, offset);
  }
  void U16(std::uint32_t at, std::uint32_t v) {
    if (block_ != nullptr) StoreU16(block_ + at, static_cast<std::uint16_t>(v));
  }
  void U32(std::uint32_t at, std::uint32_t v) {
    if (block_ != nullptr) StoreU32(block_ + at, v);
  }
  void I32(std::uint32_t at, std::int32_t v) { U32(at, static_cast<std::uint32_t>(v)); }
  bool Writing() const { return block_ != nullptr; }

 private:
  unsigned char* block_;
  std::uint64_t pos_ = 0;
};

int OptionPosition(const ParsedFeature* feature, const char* name) {
  int position = 0;
  std::uint32_t hash = NameHash(name);
  for (const ParsedOption* o = feature->options; o != nullptr; o = o->next, ++position) {
    if (o->hash == hash && std::strcmp(o->name, name) == 0) return position;
  }
  return -1;
}

const ParsedFeature* FeatureNamed(const ParsedDescription& record, const char* name,
                                  int* position) {
  std::uint32_t hash = NameHash(name);
  *position = 0;
  for (const ParsedFeature* f = record.features; f != nullptr; f = f->next, ++*position) {
    if (f->hash == hash && std::strcmp(f->name, name) == 0) return f;
  }
  *position = kUnresolvedFeature;
  return nullptr;
}

// A feature and option name resolved to positions: option kNoOption when none was
// named, -1 when the named one is missing (or beyond what 16 bits hold).
struct Resolved {
  int feature;
  int option;
  bool ok() const { return feature >= 0 && option != -1; }
};

// What an entry holds when one of its names does not resolve.
constexpr Resolved kNeverApplies{kUnresolvedFeature, kNoOption};

Resolved Resolve(const ParsedDescription& record, const char* keyword, const char* option) {
  Resolved r{kUnresolvedFeature, option == nullptr ? kNoOption : -1};
  const ParsedFeature* f = FeatureNamed(record, keyword, &r.feature);
  if (f == nullptr || r.feature > 0x7FFF) return {kUnresolvedFeature, r.option};
  if (option != nullptr) {
    r.option = OptionPosition(f, option);
    if (r.option > 0x7FFF) r.option = -1;
  }
  return r;
}

std::uint32_t DefaultChoice(const ParsedFeature& f) {
  if (f.predefinedIndex == kResolution) {
    const char* keyword = f.defaultKeyword ? f.defaultKeyword : (f.options ? f.options->name : "");
    std::uint32_t dpi = 0;
    if (!ReadDecimal(keyword, &dpi) || dpi == 0) dpi = kDefaultDpi;
    return dpi;
  }
  if (f.defaultKeyword == nullptr) return 0;
  int position = OptionPosition(&f, f.defaultKeyword);
  return position < 0 ? 0 : static_cast<std::uint32_t>(position);
}

// The imageable area never leaves the paper and is never empty; without a paper
// size there is no area either.
void NormaliseArea(ParsedOption& o) {
  auto w = static_cast<std::uint32_t>(o.paperWidth);
  auto h = static_cast<std::uint32_t>(o.paperLength);
  if (w == 0 || h == 0) w = h = 0;
  auto* a = reinterpret_cast<std::uint32_t*>(o.area);
  std::uint32_t ur[2] = {a[2] < w ? a[2] : w, a[3] < h ? a[3] : h};
  a[2] = ur[0];
  a[3] = ur[1];
  if (a[0] >= a[2] || a[1] >= a[3]) {
    a[0] = a[1] = 0;
    a[2] = w;
    a[3] = h;
  }
  o.paperWidth = static_cast<std::int32_t>(w);
  o.paperLength = static_cast<std::int32_t>(h);
}

void WriteHeaderScalars(BlockWriter& w, const ParsedDescription& r) {
  w.U16(L::kChecksum, r.checksum);
  w.U16(L::kProtocols, r.Protocols);
  w.U16(L::kLandscapeOrientation, r.LandscapeOrientation);
  w.U16(L::kTTRasterizer, r.TTRasterizer);
  w.U16(L::kLanguageEncoding, r.LanguageEncoding);
  w.U32(L::kFreeVM, r.FreeVM);
  w.U32(L::kLanguageLevel, r.LanguageLevel);
  w.U32(L::kSuggestedJobTimeout, r.SuggestedJobTimeout);
  w.U32(L::kSuggestedWaitTimeout, r.SuggestedWaitTimeout);
  w.U32(L::kColorDevice, r.ColorDevice);
  w.U32(L::kPrintPSError, r.PrintPSError);
  w.U32(L::kCustomPageSize, r.customPageSize);
  w.U32(L::kHwMarginsGiven, r.hwMarginsGiven);
  for (std::uint32_t i = 0; i < 4; ++i) w.I32(L::kHWMargins + 4 * i, r.HWMargins[i]);
  for (std::uint32_t i = 0; i < 5; ++i) {
    std::uint32_t at = L::kParamCustomPageSize + i * L::kCustomParameterSize;
    w.U32(at, r.ParamCustomPageSize[i].order);
    w.U16(at + 4, r.ParamCustomPageSize[i].type);
    w.I32(at + 8, r.ParamCustomPageSize[i].minimum);
    w.I32(at + 12, r.ParamCustomPageSize[i].maximum);
  }
  w.I32(L::kMaxMediaWidth, r.MaxMediaWidth);
  w.I32(L::kMaxMediaHeight, r.MaxMediaHeight);
  w.U16(L::kExtensions, r.Extensions);
  w.U16(L::kResolutionKind, r.resolutionKind);
  w.I32(L::kScreenAngle, r.ScreenAngle);
  w.I32(L::kScreenFreq, r.ScreenFreq);
  w.U32(L::kPrinterType, r.PrinterType);
  w.U32(L::kPrinterFunction, r.PrinterFunction);
  w.U16(L::kDocumentFeatureCount, r.documentFeatureCount);
  w.U16(L::kInstallableFeatureCount, r.installableFeatureCount);
  w.U32(L::kFontOrder, r.fontOrder);
  w.U32(L::kPrinterPPM, r.PrinterPPM);
}

void WriteHeaderTexts(BlockWriter& w, const ParsedDescription& r) {
  w.Link(L::kDataFilePath, w.PutWidePath(r.dataFilePath));
  w.Link(L::kNickName, w.PutText(r.NickName));
  w.Link(L::kPassword, w.PutText(r.Password));
  w.Link(L::kExitServer, w.PutText(r.ExitServer));
  w.Link(L::kCustomPageSizeCode, w.PutText(r.customPageSizeCode));
  w.Link(L::kJCLBegin, w.PutText(r.JCLBegin));
  w.Link(L::kJCLToPSInterpreter, w.PutText(r.JCLToPSInterpreter));
  w.Link(L::kJCLEnd, w.PutText(r.JCLEnd));
  w.Link(L::kBidiModelName, w.PutText(r.BidiModelName));
  w.Link(L::kBidiDLLName, w.PutText(r.BidiDLLName));
}

std::uint32_t CountOf(const auto* list) {
  std::uint32_t n = 0;
  for (; list != nullptr; list = list->next) ++n;
  return n;
}

void WriteOrderDependencies(BlockWriter& w, const ParsedDescription& r) {
  std::uint32_t count = CountOf(r.orderDependencies);
  std::uint32_t at = w.Reserve(L::kTableHeaderSize + std::uint64_t{L::kOrderEntrySize} * count);
  w.Link(L::kOrderDependencies, at);
  w.U16(at, count);
  w.U16(at + 2, L::kOrderEntrySize);
  if (!w.Writing()) return;
  std::uint32_t e = at + L::kTableHeaderSize;
  for (const ParsedOrderDependency* d = r.orderDependencies; d; d = d->next) {
    Resolved x = Resolve(r, d->keyword, d->option);
    if (!x.ok()) x = kNeverApplies;
    w.U16(e, static_cast<std::uint16_t>(x.feature));
    w.U16(e + 2, static_cast<std::uint16_t>(x.option));
    w.I32(e + 4, d->order);
    w.U16(e + 8, d->section);
    e += L::kOrderEntrySize;
  }
}

void WriteConstraints(BlockWriter& w, const ParsedDescription& r) {
  std::uint32_t count = CountOf(r.constraints);
  std::uint32_t at =
      w.Reserve(L::kTableHeaderSize + std::uint64_t{L::kConstraintEntrySize} * count);
  w.Link(L::kConstraints, at);
  w.U16(at, count);
  w.U16(at + 2, L::kConstraintEntrySize);
  if (!w.Writing()) return;
  std::uint32_t e = at + L::kTableHeaderSize;
  for (const ParsedConstraint* c = r.constraints; c; c = c->next) {
    Resolved a = Resolve(r, c->keyword1, c->option1);
    Resolved b = Resolve(r, c->keyword2, c->option2);
    if (!a.ok() || !b.ok()) a = b = kNeverApplies;
    w.U16(e, static_cast<std::uint16_t>(a.feature));
    w.U16(e + 2, static_cast<std::uint16_t>(a.option));
    w.U16(e + 4, static_cast<std::uint16_t>(b.feature));
    w.U16(e + 6, static_cast<std::uint16_t>(b.option));
    e += L::kConstraintEntrySize;
  }
}

void WriteOption(BlockWriter& w, const ParsedFeature& f, const ParsedOption& o, std::uint32_t at) {
  w.U32(at + L::kHash, o.hash);
  w.Link(at + L::kName, w.PutText(o.name));
  w.Link(at + L::kTranslation, w.PutText(o.translation));
  w.Link(at + L::kOptionValue, w.PutText(o.value));
  switch (f.predefinedIndex) {
    case kPageSize:
      w.Link(at + L::kOptionPageRegion, w.PutText(o.pageRegion));
      w.I32(at + L::kOptionPaperWidth, o.paperWidth);
      w.I32(at + L::kOptionPaperLength, o.paperLength);
      for (std::uint32_t i = 0; i < 4; ++i) w.I32(at + L::kOptionArea + 4 * i, o.area[i]);
      break;
    case kInputSlot:
      w.U32(at + L::kOptionPageRegionFlag, o.pageRegionFlag);
      break;
    case kResolution:
      w.Link(at + L::kOptionJclCode, w.PutText(o.jclCode));
      w.Link(at + L::kOptionSetCode, w.PutText(o.setCode));
      w.I32(at + L::kOptionScreenAngle, o.screenAngle);
      w.I32(at + L::kOptionScreenFreq, o.screenFreq);
      break;
    case kVMOption:
      w.U32(at + L::kOptionMemory, o.memory);
      break;
    default:
      break;
  }
}

void WriteFeatures(BlockWriter& w, const ParsedDescription& r) {
  std::uint32_t link = L::kFirstFeature;
  for (const ParsedFeature* f = r.features; f != nullptr; f = f->next) {
    std::uint32_t at = w.Reserve(L::kFeatureSize);
    w.Link(link, at);
    link = at + L::kNext;
    w.U32(at + L::kHash, f->hash);
    w.U32(at + L::kFeatureDefaultChoice, w.Writing() ? DefaultChoice(*f) : 0);
    w.U32(at + L::kFeatureOptionSize, f->optionRecordSize);
    w.U16(at + L::kFeaturePredefined, f->predefinedIndex);
    w.U16(at + L::kFeatureFlags, f->flags);
    w.U16(at + L::kFeatureUiType, f->uiType);
    w.U16(at + L::kFeatureListIndex, f->listIndex);
    w.U32(at + L::kFeatureInstallable, f->installable);
    w.Link(at + L::kName, w.PutText(f->name));
    w.Link(at + L::kTranslation, w.PutText(f->translation));
    std::uint32_t optionLink = at + L::kFeatureFirstOption;
    for (const ParsedOption* o = f->options; o != nullptr; o = o->next) {
      std::uint32_t oat = w.Reserve(f->optionRecordSize);
      w.Link(optionLink, oat);
      optionLink = oat + L::kNext;
      WriteOption(w, *f, *o, oat);
    }
  }
}

void WriteFonts(BlockWriter& w, const ParsedDescription& r) {
  std::uint32_t link = L::kFirstDeviceFont;
  for (const ParsedDeviceFont* f = r.fonts; f != nullptr; f = f->next) {
    std::uint32_t at = w.Reserve(L::kFontSize);
    w.Link(link, at);
    link = at + L::kNext;
    w.U32(at + L::kHash, f->hash);
    w.U16(at + L::kFontEncodingClass, f->encodingClass);
    w.U16(at + L::kFontCharacterSet, f->characterSet);
    w.U16(at + L::kFontMetricNumber, f->metricNumber);
    w.U16(at + L::kFontCodePage, f->codePage);
    w.U16(at + L::kFontVertical, f->vertical);
    w.Link(at + L::kName, w.PutText(f->name));
    w.Link(at + L::kFontDisplayName, w.PutText(f->displayName));
  }
}

void WriteJobPatchFiles(BlockWriter& w, const ParsedDescription& r) {
  std::uint32_t link = L::kFirstJobPatchFile;
  for (const ParsedJobPatchFile* p = r.jobPatchFiles; p != nullptr; p = p->next) {
    std::uint32_t at = w.Reserve(L::kJobPatchFileSize);
    w.Link(link, at);
    link = at + L::kNext;
    w.U32(at + L::kHash, p->hash);
    w.Link(at + L::kName, w.PutText(p->name));
    w.Link(at + L::kTranslation, w.PutText(p->translation));
    w.Link(at + L::kOptionValue, w.PutText(p->value));
  }
}

void WriteBlock(BlockWriter& w, const ParsedDescription& r) {
  w.Reserve(L::kHeaderSize);
  WriteHeaderScalars(w, r);
  WriteHeaderTexts(w, r);
  WriteOrderDependencies(w, r);
  WriteConstraints(w, r);
  WriteFeatures(w, r);
  WriteFonts(w, r);
  WriteJobPatchFiles(w, r);
  w.U32(L::kTotalSize, static_cast<std::uint32_t>(w.Size()));
  w.U16(L::kFormatVersionAt, L::kFormatVersion);
}

}  // namespace

void* FlattenDescription(ParsedDescription& record) {
  for (ParsedFeature* f = record.features; f != nullptr; f = f->next) {
    if (f->predefinedIndex != kPageSize) continue;
    for (ParsedOption* o = f->options; o != nullptr; o = o->next) NormaliseArea(*o);
  }
  BlockWriter measure(nullptr);
  WriteBlock(measure, record);
  std::uint32_t features = record.documentFeatureCount + record.installableFeatureCount;
  if (measure.Size() > kMaxBlock || features != CountOf(record.features)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* block = GlobalAlloc(GPTR, static_cast<SIZE_T>(measure.Size()));
  if (block == nullptr) return nullptr;
  BlockWriter write(static_cast<unsigned char*>(block));
  WriteBlock(write, record);
  return block;
}

}  // namespace settings
