// A loaded printer description, as every part of the driver reads it.
//
// LoadDescription (description_cache.h) hands out one block of global memory
// (free it with GlobalFree) that holds the whole description: the header values,
// the features with their options, the device fonts, the job patch files and the
// resolved constraint and order-dependency tables. References inside the block
// are offsets from its start, checked when the block was loaded, so a block is
// immutable, can be read from any thread, and never reads outside itself.
//
// Description, Feature, Option, DeviceFont and JobPatchFile are small views
// (a block pointer and an offset) that lend and never own. A view that stands for
// nothing (an absent feature, the end of a list) is false in a boolean context
// and reads as zero or empty. Texts are the description's 8-bit bytes (its code
// page, Shift-JIS on the Japanese models); an absent text reads as empty.
//
// Numbering: the feature list holds the document features first, then the
// installable ones; FeatureAt and the constraint table count positions in that
// whole list, settings records count within each group (ListIndex). Options are
// numbered by their position in their feature, from 0; kNoOption (255) is none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/description_record.h"

namespace settings {

inline constexpr int kNoOption = 255;
inline constexpr int kUnresolvedFeature = -1;

// A rectangle of 24.8 points, as PageSize options carry their imageable area.
struct PointArea {
  std::int32_t left;  // lower-left x
  std::int32_t bottom;
  std::int32_t right;  // upper-right x
  std::int32_t top;
};

// One ParamCustomPageSize parameter.
struct CustomSizeRange {
  std::uint32_t order;
  std::uint16_t type;
  std::int32_t minimum;  // 24.8
  std::int32_t maximum;
};

// One constraint: choosing option1 of feature1 rules out option2 of feature2.
// Options are kNoOption when the entry named none. An entry in which some name
// did not resolve never applies: its features are kUnresolvedFeature and its
// options kNoOption.
struct Constraint {
  int feature1;
  int option1;
  int feature2;
  int option2;
};

struct OrderDependency {
  int feature;         // kUnresolvedFeature (option kNoOption) when a name did not resolve
  int option;          // kNoOption for none
  std::int32_t order;  // 24.8
  std::uint16_t section;
};

// The common reading of every record of the block.
class BlockView {
 public:
  BlockView() = default;
  // Offset 0 stands for none.
  BlockView(const unsigned char* block, std::uint32_t offset)
      : block_(offset != 0 ? block : nullptr), offset_(offset) {}
  explicit operator bool() const { return block_ != nullptr; }
  std::uint32_t Offset() const { return offset_; }

 protected:
  struct AtHeader {};
  BlockView(const unsigned char* block, AtHeader) : block_(block), offset_(0) {}

  std::uint16_t U16(std::uint32_t at) const;
  std::uint32_t U32(std::uint32_t at) const;
  std::int32_t I32(std::uint32_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint32_t Link(std::uint32_t at) const;  // the offset a reference member holds
  std::string_view Text(std::uint32_t at) const;

  const unsigned char* block_ = nullptr;
  std::uint32_t offset_ = 0;
};

class Option : public BlockView {
 public:
  Option() = default;
  // `feature` is the predefined index of the option's feature.
  Option(const unsigned char* block, std::uint32_t offset, std::uint16_t feature)
      : BlockView(block, offset), feature_(feature) {}
  Option Next() const;

  std::string_view Name() const;
  std::uint32_t Hash() const;
  std::string_view Translation() const;
  std::string_view Value() const;
  // Members of the options of some features; zero or empty for the others.
  // PageSize options.
  std::string_view PageRegion() const;
  std::int32_t PaperWidth() const;   // 24.8 points
  std::int32_t PaperLength() const;  // 24.8 points
  PointArea ImageableArea() const;   // normalised: inside the paper, never empty
  // InputSlot options.
  std::uint32_t PageRegionFlag() const;
  // Resolution options.
  std::string_view JclCode() const;
  std::string_view SetCode() const;
  std::int32_t ScreenAngle() const;
  std::int32_t ScreenFreq() const;
  // VMOption options: memory in bytes (the value holds the InstalledMemory code).
  std::uint32_t Memory() const;

 private:
  std::uint16_t feature_ = kOwnFeature;
};

class Feature : public BlockView {
 public:
  using BlockView::BlockView;
  Feature Next() const;

  std::string_view Name() const;
  std::uint32_t Hash() const;
  std::string_view Translation() const;
  // The default option's position (0 without a default), or for Resolution the
  // default resolution in dots per inch.
  std::uint32_t DefaultChoice() const;
  std::uint32_t OptionRecordSize() const;
  std::uint16_t PredefinedIndex() const;  // PredefinedFeature, kOwnFeature for others
  std::uint16_t Flags() const;
  std::uint16_t UiType() const;
  std::uint16_t ListIndex() const;  // position within its group
  bool Installable() const;

  Option FirstOption() const;
  int OptionCount() const;
  // The n-th option (from 0), or none.
  Option OptionAt(int n) const;
  // The position of the option with this keyword (hash compared first), or -1.
  int FindOption(std::string_view name) const;
};

class DeviceFont : public BlockView {
 public:
  using BlockView::BlockView;
  DeviceFont Next() const;
  std::string_view Name() const;
  std::string_view DisplayName() const;
  std::uint16_t EncodingClass() const;
  std::uint16_t CharacterSet() const;
  std::uint16_t MetricNumber() const;
  std::uint16_t CodePage() const;
  std::uint16_t Vertical() const;  // 1: a "-V" font, 2: a generated vertical twin
};

class JobPatchFile : public BlockView {
 public:
  using BlockView::BlockView;
  JobPatchFile Next() const;
  std::string_view Name() const;
  std::string_view Translation() const;
  std::string_view Value() const;
};

class Description : public BlockView {
 public:
  // `block` is a block that LoadDescription returned (or that Relocate accepted).
  explicit Description(const void* block)
      : BlockView(static_cast<const unsigned char*>(block), AtHeader{}) {}
  const unsigned char* Bytes() const { return block_; }

  std::uint32_t TotalSize() const;
  std::u16string DataFilePath() const;
  std::string_view NickName() const;
  std::uint16_t FormatVersion() const;
  std::uint16_t Checksum() const;
  std::uint16_t Protocols() const;
  std::uint16_t LandscapeOrientation() const;
  std::uint16_t TTRasterizer() const;
  std::uint16_t LanguageEncoding() const;
  std::uint32_t FreeVM() const;
  std::uint32_t LanguageLevel() const;  // the model number
  std::string_view Password() const;
  std::string_view ExitServer() const;
  std::uint32_t SuggestedJobTimeout() const;
  std::uint32_t SuggestedWaitTimeout() const;
  bool ColorDevice() const;
  bool PrintPSError() const;
  bool CustomPageSize() const;
  bool HwMarginsGiven() const;
  PointArea HWMargins() const;  // left, bottom, right, top
  std::string_view CustomPageSizeCode() const;
  CustomSizeRange ParamCustomPageSize(int parameter) const;  // 0 Width ... 4 Orientation
  std::int32_t MaxMediaWidth() const;
  std::int32_t MaxMediaHeight() const;
  std::uint16_t Extensions() const;
  std::uint16_t ResolutionKind() const;
  std::int32_t ScreenAngle() const;
  std::int32_t ScreenFreq() const;
  std::string_view JCLBegin() const;
  std::string_view JCLEnd() const;
  std::string_view JCLToPSInterpreter() const;
  std::uint32_t PrinterType() const;
  std::uint32_t PrinterFunction() const;
  std::string_view BidiModelName() const;
  std::string_view BidiDLLName() const;
  std::uint16_t DocumentFeatureCount() const;
  std::uint16_t InstallableFeatureCount() const;
  std::uint32_t FontOrder() const;
  std::uint32_t PrinterPPM() const;

  Feature FirstFeature() const;
  // The predefined feature of that index (PredefinedFeature), or none.
  Feature Predefined(std::uint16_t index) const;
  // The feature with this name (hash compared first), or none.
  Feature FindFeature(std::string_view name) const;
  // The feature at this position of the whole list, or none.
  Feature FeatureAt(int number) const;
  int FeatureCount() const;

  DeviceFont FirstFont() const;
  JobPatchFile FirstJobPatchFile() const;

  int ConstraintCount() const;
  Constraint ConstraintAt(int n) const;
  int OrderDependencyCount() const;
  OrderDependency OrderDependencyAt(int n) const;
};

}  // namespace settings
