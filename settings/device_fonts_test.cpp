// Font entries: which fonts are kept, and how they are classed and named.
#include "settings/device_fonts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/text.h"
#include "settings/description_cache.h"
#include "settings/description_test_util.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;
using settings::testing::FontModule;

std::string Ansi(const std::u16string& text) {
  char out[256];
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out,
                              sizeof out, nullptr, nullptr);
  return std::string(out, n > 0 ? static_cast<std::size_t>(n) : 0);
}

struct Font {
  std::string name, display;
  int number, encoding, set, codePage, vertical;
  bool operator==(const Font&) const = default;
};

std::vector<Font> Fonts(const void* block) {
  std::vector<Font> fonts;
  for (DeviceFont f = Description(block).FirstFont(); f; f = f.Next()) {
    fonts.push_back({std::string(f.Name()), std::string(f.DisplayName()), f.MetricNumber(),
                     f.EncodingClass(), f.CharacterSet(), f.CodePage(), f.Vertical()});
  }
  return fonts;
}

TEST(DeviceFonts, ResidentTable) {
  EXPECT_EQ(FindResidentFont("Arial"), 1);
  EXPECT_EQ(FindResidentFont("ZapfDingbats"), 79);
  EXPECT_EQ(FindResidentFont("Ryumin-Light-Ext-RKSJ-V"), 2117);
  EXPECT_EQ(FindResidentFont("TypeBankG-b-90ms-RKSJ-H"), 130);  // its face name's record
  EXPECT_EQ(FindResidentFont("TypeBankM-hv-Ext-RKSJ-V"), 2127);
  EXPECT_EQ(FindResidentFont("TypeBankG-B-90MS-RKSJ-H"), 133);
  EXPECT_EQ(FindResidentFont("arial"), -1);
  EXPECT_EQ(FindResidentFont("Arial-"), -1);
  EXPECT_EQ(FindResidentFont(""), -1);
}

TEST(DeviceFonts, FaceNamesFromTheMetricRecords) {
  WCHAR face[64];
  ASSERT_EQ(ReadFontFaceName(FontModule(), 2108, face, 64), 7);
  EXPECT_EQ(std::u16string(face), u"@平成明朝W3");
  EXPECT_EQ(ReadFontFaceName(FontModule(), 99, face, 64), -1);
  EXPECT_EQ(ReadFontFaceName(nullptr, 108, face, 64), -1);
}

TEST(DeviceFonts, EntriesAreClassedNamedAndSorted) {
  Block block = Flatten(
      "*Font Times-Roman: Standard \"(001.007S)\" Standard ROM\n"
      "*Font Courier/Courier 10: Standard \"(002.004S)\" Standard ROM\n"
      "*Font Courier: Standard \"(002.004S)\" Standard ROM\n"  // already there
      "*Font NoSuchFont: Standard \"(1)\" Standard ROM\n"      // not in the table
      "*Font HeiseiMin-W3-83pv-RKSJ-H: RKSJ \"(003.000)\" 83pv ROM\n"
      "*Font HeiseiMin-W3-90ms-RKSJ-V: 90ms-RKSJ-V \"(003.000)\" ROM\n"
      "*Font Ryumin-Light-Ext-RKSJ-H: Ext-RKSJ-H \"(003.000)\" Ext ROM\n"
      "*Font Sung-Light-BIG5: B5 \"(001.000)\" B5 ROM\n"
      "*Font Arial: Special \"(1)\"\n");
  ASSERT_NE(block, nullptr);
  std::vector<Font> expected = {
      {"Arial", "Arial", 1, 1, 0, 1252, 0},
      {"Courier", "Courier 10", 17, 0, 0, 1252, 0},
      {"Times-Roman", "Times Roman", 65, 0, 0, 1252, 0},
      {"HeiseiMin-W3-83pv-RKSJ-H", Ansi(u"平成明朝W3"), 108, 6, 8, 932, 0},
      {"Ryumin-Light-Ext-RKSJ-H", Ansi(u"リュウミンL-KL"), 117, 6, 10, 932, 0},
      {"Sung-Light-BIG5", Ansi(u"細明體"), 202, 9, 16, 950, 0},
      {"HeiseiMin-W3-83pv-RKSJ-H", Ansi(u"@平成明朝W3"), 2108, 6, 8, 932, 2},
      {"HeiseiMin-W3-90ms-RKSJ-V", Ansi(u"@平成明朝W3"), 2108, 6, 12, 932, 1},
  };
  EXPECT_EQ(Fonts(block.get()), expected);
  EXPECT_EQ(Description(block.get()).FontOrder(), 0xFFFFFFFFu);
}

// A vertical font declared with the 83pv set has no twin record (metric + 2000
// would name a record that does not exist); it keeps its "-V" flag.
TEST(DeviceFonts, NoTwinForVerticalFonts) {
  Block block = Flatten("*Font HeiseiMin-W3-Ext-RKSJ-V: RKSJ \"(003.000)\" 83pv ROM\n");
  ASSERT_NE(block, nullptr);
  std::vector<Font> fonts = Fonts(block.get());
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].number, 2108);
  EXPECT_EQ(fonts[0].vertical, 1);
}

TEST(DeviceFonts, MissingFaceRecordsAndModules) {
  const QX_RESOURCE none[] = {{0, 0, nullptr, 0}};
  const QX_RESOURCE_TABLE empty = {none, 0, nullptr, 0};
  HMODULE bare = platform::RegisterModule(u"qxdesc_no_fonts_test", nullptr, 0, &empty);
  const char* kJapanese =
      "*Font Courier: Standard \"(1)\" Standard ROM\n"
      "*Font HeiseiMin-W3-83pv-RKSJ-H: RKSJ \"(003.000)\" 83pv ROM\n";
  Block skipped = Flatten(kJapanese, bare);  // the record is missing: the font is left out
  ASSERT_NE(skipped, nullptr);
  ASSERT_EQ(Fonts(skipped.get()).size(), 1u);
  EXPECT_EQ(Flatten(kJapanese, nullptr), nullptr);  // no module at all: the load fails
  Block latin = Flatten("*Font Courier: Standard \"(1)\" Standard ROM\n", nullptr);
  EXPECT_NE(latin, nullptr);
}

TEST(DeviceFonts, FontOrderKeepsOneFontPerNumber) {
  const char* kText =
      "*Font Courier: Standard \"(1)\" Standard ROM\n"
      "*Font GothicBBB-Medium-83pv-RKSJ-H: RKSJ \"(1)\" 83pv ROM\n"
      "*Font GothicBBB-Medium-90ms-RKSJ-H: 90ms-RKSJ-H \"(1)\" ROM\n"
      "*Font GothicBBB-Medium-Ext-RKSJ-H: Ext-RKSJ-H \"(1)\" ROM\n"
      "*Font Jun101-Light-Ext-RKSJ-H: Ext-RKSJ-H \"(1)\" ROM\n";
  struct Case {
    DWORD selector;
    std::vector<std::string> names;  // metric order
  };
  const Case kCases[] = {
      {0,
       {"Courier", "GothicBBB-Medium-90ms-RKSJ-H", "Jun101-Light-Ext-RKSJ-H",
        "GothicBBB-Medium-83pv-RKSJ-H"}},
      {1,
       {"Courier", "GothicBBB-Medium-Ext-RKSJ-H", "Jun101-Light-Ext-RKSJ-H",
        "GothicBBB-Medium-83pv-RKSJ-H"}},
      {7,
       {"Courier", "GothicBBB-Medium-83pv-RKSJ-H", "GothicBBB-Medium-90ms-RKSJ-H",
        "GothicBBB-Medium-Ext-RKSJ-H", "Jun101-Light-Ext-RKSJ-H", "GothicBBB-Medium-83pv-RKSJ-H"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.selector);
    Block block = Flatten(kText);
    ASSERT_NE(block, nullptr);
    ApplyFontOrder(block.get(), c.selector);
    std::vector<std::string> names;
    for (const Font& f : Fonts(block.get())) names.push_back(f.name);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(Description(block.get()).FontOrder(), c.selector > 1 ? 0xFFFFFFFFu : c.selector);
  }
}

}  // namespace
