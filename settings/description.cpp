// Reading the flattened description block by offsets.
#include "settings/description.h"

#include <cstring>

#include "settings/byte_order.h"
#include "settings/description_layout.h"

namespace settings {

namespace L = layout;

std::uint16_t BlockView::U16(std::uint32_t at) const {
  return block_ ? LoadU16(block_ + offset_ + at) : 0;
}
std::uint32_t BlockView::U32(std::uint32_t at) const {
  return block_ ? LoadU32(block_ + offset_ + at) : 0;
}
std::uint32_t BlockView::Link(std::uint32_t at) const {
  return block_ ? static_cast<std::uint32_t>(LoadU64(block_ + offset_ + at)) : 0;
}
std::string_view BlockView::Text(std::uint32_t at) const {
  std::uint32_t o = Link(at);
  return o == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(block_ + o));
}

// Options.

Option Option::Next() const { return {block_, Link(L::kNext), feature_}; }
std::string_view Option::Name() const { return Text(L::kName); }
std::uint32_t Option::Hash() const { return U32(L::kHash); }
std::string_view Option::Translation() const { return Text(L::kTranslation); }
std::string_view Option::Value() const { return Text(L::kOptionValue); }
std::string_view Option::PageRegion() const {
  return feature_ == kPageSize ? Text(L::kOptionPageRegion) : std::string_view();
}
std::int32_t Option::PaperWidth() const {
  return feature_ == kPageSize ? I32(L::kOptionPaperWidth) : 0;
}
std::int32_t Option::PaperLength() const {
  return feature_ == kPageSize ? I32(L::kOptionPaperLength) : 0;
}
PointArea Option::ImageableArea() const {
  if (feature_ != kPageSize) return {};
  return {I32(L::kOptionArea), I32(L::kOptionArea + 4), I32(L::kOptionArea + 8),
          I32(L::kOptionArea + 12)};
}
std::uint32_t Option::PageRegionFlag() const {
  return feature_ == kInputSlot ? U32(L::kOptionPageRegionFlag) : 0;
}
std::string_view Option::JclCode() const {
  return feature_ == kResolution ? Text(L::kOptionJclCode) : std::string_view();
}
std::string_view Option::SetCode() const {
  return feature_ == kResolution ? Text(L::kOptionSetCode) : std::string_view();
}
std::int32_t Option::ScreenAngle() const {
  return feature_ == kResolution ? I32(L::kOptionScreenAngle) : 0;
}
std::int32_t Option::ScreenFreq() const {
  return feature_ == kResolution ? I32(L::kOptionScreenFreq) : 0;
}
std::uint32_t Option::Memory() const { return feature_ == kVMOption ? U32(L::kOptionMemory) : 0; }

// Features.

Feature Feature::Next() const { return {block_, Link(L::kNext)}; }
std::string_view Feature::Name() const { return Text(L::kName); }
std::uint32_t Feature::Hash() const { return U32(L::kHash); }
std::string_view Feature::Translation() const { return Text(L::kTranslation); }
std::uint32_t Feature::DefaultChoice() const { return U32(L::kFeatureDefaultChoice); }
std::uint32_t Feature::OptionRecordSize() const { return U32(L::kFeatureOptionSize); }
std::uint16_t Feature::PredefinedIndex() const { return U16(L::kFeaturePredefined); }
std::uint16_t Feature::Flags() const { return U16(L::kFeatureFlags); }
std::uint16_t Feature::UiType() const { return U16(L::kFeatureUiType); }
std::uint16_t Feature::ListIndex() const { return U16(L::kFeatureListIndex); }
bool Feature::Installable() const { return U32(L::kFeatureInstallable) != 0; }

Option Feature::FirstOption() const {
  return {block_, Link(L::kFeatureFirstOption), PredefinedIndex()};
}

int Feature::OptionCount() const {
  int n = 0;
  for (Option o = FirstOption(); o; o = o.Next()) ++n;
  return n;
}

Option Feature::OptionAt(int n) const {
  if (n < 0) return {};
  Option o = FirstOption();
  for (; o && n > 0; --n) o = o.Next();
  return o;
}

int Feature::FindOption(std::string_view name) const {
  std::uint32_t hash = NameHash(name);
  int position = 0;
  for (Option o = FirstOption(); o; o = o.Next(), ++position) {
    if (o.Hash() == hash && o.Name() == name) return position;
  }
  return -1;
}

// Device fonts and job patch files.

DeviceFont DeviceFont::Next() const { return {block_, Link(L::kNext)}; }
std::string_view DeviceFont::Name() const { return Text(L::kName); }
std::string_view DeviceFont::DisplayName() const { return Text(L::kFontDisplayName); }
std::uint16_t DeviceFont::EncodingClass() const { return U16(L::kFontEncodingClass); }
std::uint16_t DeviceFont::CharacterSet() const { return U16(L::kFontCharacterSet); }
std::uint16_t DeviceFont::MetricNumber() const { return U16(L::kFontMetricNumber); }
std::uint16_t DeviceFont::CodePage() const { return U16(L::kFontCodePage); }
std::uint16_t DeviceFont::Vertical() const { return U16(L::kFontVertical); }

JobPatchFile JobPatchFile::Next() const { return {block_, Link(L::kNext)}; }
std::string_view JobPatchFile::Name() const { return Text(L::kName); }
std::string_view JobPatchFile::Translation() const { return Text(L::kTranslation); }
std::string_view JobPatchFile::Value() const { return Text(L::kOptionValue); }

// The header.

std::uint32_t Description::TotalSize() const { return U32(L::kTotalSize); }
std::u16string Description::DataFilePath() const {
  std::u16string path;
  std::uint32_t o = Link(L::kDataFilePath);
  if (o == 0) return path;
  for (const unsigned char* p = block_ + o; LoadU16(p) != 0; p += 2) {
    path.push_back(static_cast<char16_t>(LoadU16(p)));
  }
  return path;
}
std::string_view Description::NickName() const { return Text(L::kNickName); }
std::uint16_t Description::FormatVersion() const { return U16(L::kFormatVersionAt); }
std::uint16_t Description::Checksum() const { return U16(L::kChecksum); }
std::uint16_t Description::Protocols() const { return U16(L::kProtocols); }
std::uint16_t Description::LandscapeOrientation() const { return U16(L::kLandscapeOrientation); }
std::uint16_t Description::TTRasterizer() const { return U16(L::kTTRasterizer); }
std::uint16_t Description::LanguageEncoding() const { return U16(L::kLanguageEncoding); }
std::uint32_t Description::FreeVM() const { return U32(L::kFreeVM); }
std::uint32_t Description::LanguageLevel() const { return U32(L::kLanguageLevel); }
std::string_view Description::Password() const { return Text(L::kPassword); }
std::string_view Description::ExitServer() const { return Text(L::kExitServer); }
std::uint32_t Description::SuggestedJobTimeout() const { return U32(L::kSuggestedJobTimeout); }
std::uint32_t Description::SuggestedWaitTimeout() const { return U32(L::kSuggestedWaitTimeout); }
bool Description::ColorDevice() const { return U32(L::kColorDevice) != 0; }
bool Description::PrintPSError() const { return U32(L::kPrintPSError) != 0; }
bool Description::CustomPageSize() const { return U32(L::kCustomPageSize) != 0; }
bool Description::HwMarginsGiven() const { return U32(L::kHwMarginsGiven) != 0; }
PointArea Description::HWMargins() const {
  return {I32(L::kHWMargins), I32(L::kHWMargins + 4), I32(L::kHWMargins + 8),
          I32(L::kHWMargins + 12)};
}
std::string_view Description::CustomPageSizeCode() const { return Text(L::kCustomPageSizeCode); }
CustomSizeRange Description::ParamCustomPageSize(int parameter) const {
  if (parameter < 0 || parameter > 4) return {};
  std::uint32_t at = L::kParamCustomPageSize + static_cast<std::uint32_t>(parameter) * 16;
  return {U32(at), U16(at + 4), I32(at + 8), I32(at + 12)};
}
std::int32_t Description::MaxMediaWidth() const { return I32(L::kMaxMediaWidth); }
std::int32_t Description::MaxMediaHeight() const { return I32(L::kMaxMediaHeight); }
std::uint16_t Description::Extensions() const { return U16(L::kExtensions); }
std::uint16_t Description::ResolutionKind() const { return U16(L::kResolutionKind); }
std::int32_t Description::ScreenAngle() const { return I32(L::kScreenAngle); }
std::int32_t Description::ScreenFreq() const { return I32(L::kScreenFreq); }
std::string_view Description::JCLBegin() const { return Text(L::kJCLBegin); }
std::string_view Description::JCLEnd() const { return Text(L::kJCLEnd); }
std::string_view Description::JCLToPSInterpreter() const { return Text(L::kJCLToPSInterpreter); }
std::uint32_t Description::PrinterType() const { return U32(L::kPrinterType); }
std::uint32_t Description::PrinterFunction() const { return U32(L::kPrinterFunction); }
std::string_view Description::BidiModelName() const { return Text(L::kBidiModelName); }
std::string_view Description::BidiDLLName() const { return Text(L::kBidiDLLName); }
std::uint16_t Description::DocumentFeatureCount() const { return U16(L::kDocumentFeatureCount); }
std::uint16_t Description::InstallableFeatureCount() const {
  return U16(L::kInstallableFeatureCount);
}
std::uint32_t Description::FontOrder() const { return U32(L::kFontOrder); }
std::uint32_t Description::PrinterPPM() const { return U32(L::kPrinterPPM); }

// Lists and tables.

Feature Description::FirstFeature() const { return {block_, Link(L::kFirstFeature)}; }

Feature Description::Predefined(std::uint16_t index) const {
  if (index >= kPredefinedCount) return {};
  return {block_, Link(L::kPredefined + 8u * index)};
}

Feature Description::FindFeature(std::string_view name) const {
  std::uint32_t hash = NameHash(name);
  for (Feature f = FirstFeature(); f; f = f.Next()) {
    if (f.Hash() == hash && f.Name() == name) return f;
  }
  return {};
}

Feature Description::FeatureAt(int number) const {
  if (number < 0) return {};
  Feature f = FirstFeature();
  for (; f && number > 0; --number) f = f.Next();
  return f;
}

int Description::FeatureCount() const {
  int n = 0;
  for (Feature f = FirstFeature(); f; f = f.Next()) ++n;
  return n;
}

DeviceFont Description::FirstFont() const { return {block_, Link(L::kFirstDeviceFont)}; }
JobPatchFile Description::FirstJobPatchFile() const {
  return {block_, Link(L::kFirstJobPatchFile)};
}

int Description::ConstraintCount() const {
  std::uint32_t o = Link(L::kConstraints);
  return o == 0 ? 0 : LoadU16(block_ + o);
}

Constraint Description::ConstraintAt(int n) const {
  if (n < 0 || n >= ConstraintCount()) return {kUnresolvedFeature, kNoOption, 0, kNoOption};
  const unsigned char* e = block_ + Link(L::kConstraints) + L::kTableHeaderSize +
                           static_cast<std::uint32_t>(n) * L::kConstraintEntrySize;
  return {LoadI16(e), LoadI16(e + 2), LoadI16(e + 4), LoadI16(e + 6)};
}

int Description::OrderDependencyCount() const {
  std::uint32_t o = Link(L::kOrderDependencies);
  return o == 0 ? 0 : LoadU16(block_ + o);
}

OrderDependency Description::OrderDependencyAt(int n) const {
  if (n < 0 || n >= OrderDependencyCount()) return {kUnresolvedFeature, kNoOption, 0, 0};
  const unsigned char* e = block_ + Link(L::kOrderDependencies) + L::kTableHeaderSize +
                           static_cast<std::uint32_t>(n) * L::kOrderEntrySize;
  return {LoadI16(e), LoadI16(e + 2), LoadI32(e + 4), LoadU16(e + 8)};
}

}  // namespace settings
