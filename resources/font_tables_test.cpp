// The resident-font table and the face-name records agree with each other.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "resources/device_font_names.h"
#include "resources/font_face_names.h"
#include "resources/font_metric_records.h"
#include "resources/module_resources.h"

namespace {

using resources::kDeviceFontNames;
using resources::kFontFaceNames;

const resources::FontFaceName* FindRecord(unsigned number) {
  for (const auto& r : kFontFaceNames) {
    if (r.number == number) return &r;
  }
  return nullptr;
}

TEST(DeviceFontNames, SortedByBytes) {
  for (std::size_t i = 1; i < resources::kDeviceFontNameCount; ++i) {
    SCOPED_TRACE(kDeviceFontNames[i].name);
    EXPECT_LE(std::strcmp(kDeviceFontNames[i - 1].name, kDeviceFontNames[i].name), 0);
  }
}

TEST(FontFaceNames, AscendingNumbersInTheThreeRanges) {
  unsigned latin = 0, japanese = 0, vertical = 0, chinese = 0;
  for (std::size_t i = 0; i < resources::kFontFaceNameCount; ++i) {
    unsigned n = kFontFaceNames[i].number;
    if (i > 0) {
      EXPECT_LT(kFontFaceNames[i - 1].number, n);
    }
    latin += n >= 1 && n <= 79;
    japanese += n >= 100 && n <= 151;
    chinese += n >= 200 && n <= 235;
    vertical += n >= 2100 && n <= 2151;
  }
  EXPECT_EQ(latin, 79u);
  EXPECT_EQ(japanese, 52u);
  EXPECT_EQ(vertical, 52u);
  EXPECT_EQ(chinese, 36u);
}

TEST(FontFaceNames, VerticalTwinsAreTheHorizontalNameAfterAnAt) {
  for (const auto& r : kFontFaceNames) {
    if (r.number < 2000) continue;
    SCOPED_TRACE(r.number);
    const auto* horizontal = FindRecord(r.number - 2000u);
    ASSERT_NE(horizontal, nullptr);
    EXPECT_EQ(std::u16string(u"@") + horizontal->faceName, std::u16string(r.faceName));
  }
}

// Every resident font has a record, and a Japanese font's record is the one of its
// typeface (the TypeBank families once pointed at each other's records).
TEST(DeviceFontNames, EveryFontHasTheRecordOfItsTypeface) {
  for (const auto& font : kDeviceFontNames) {
    SCOPED_TRACE(font.name);
    const auto* record = FindRecord(font.metricNumber);
    ASSERT_NE(record, nullptr);
    unsigned horizontal = font.metricNumber % 2000;
    if (horizontal < 100 || horizontal > 151) continue;
    std::string_view recordName = record->fontName;
    std::string_view base = recordName.substr(0, recordName.size() - std::strlen("-RKSJ-H"));
    EXPECT_EQ(std::string_view(font.name).substr(0, base.size() + 1), std::string(base) + "-");
    EXPECT_EQ(font.metricNumber >= 2000, std::string_view(font.name).ends_with("-V"));
  }
}

std::uint32_t Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

TEST(FontMetricRecords, FaceNameThroughTheMetricsBlock) {
  const QX_RESOURCE_TABLE* table = resources::ModuleResources();
  ASSERT_EQ(table->resourceCount, resources::kFontFaceNameCount);
  const QX_RESOURCE* found = nullptr;
  for (std::size_t i = 0; i < table->resourceCount; ++i) {
    const QX_RESOURCE& r = table->resources[i];
    if (r.type == resources::kFontMetricResourceType && r.id == 2103) found = &r;
  }
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const unsigned char*>(found->data);
  EXPECT_EQ(Get32(bytes + resources::kMetricSizeOffset), found->size);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 592), "HeiseiKakuGo-W3-RKSJ-V");
  std::uint32_t block = Get32(bytes + 12);
  std::uint32_t face = Get32(bytes + block + 16);
  ASSERT_LT(block + face, found->size);
  std::u16string name;
  for (const unsigned char* p = bytes + block + face; p[0] | p[1]; p += 2) {
    name.push_back(static_cast<char16_t>(p[0] | (p[1] << 8)));
  }
  EXPECT_EQ(name, u"@平成角ゴシックW3");
}

}  // namespace
