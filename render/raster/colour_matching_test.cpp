// The colour matching state of device contexts on the sample printers: which
// profile the settings name, where it is looked for, and what is set up.
#include "render/raster/colour_matching.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "render/core/test_printer.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/icc_test_profile.h"
#include "settings/device_info_file.h"
#include "settings/settings_defaults.h"

namespace {

using namespace render;
using namespace settings::priv;
using render::testing::Enabled;
using render::testing::TestPrinter;

void SetColourSet(unsigned char* priv, int set, std::size_t member, int v) {
  settings::SetI16(priv, settings::ColorSetOffset(static_cast<std::size_t>(set), member),
                   static_cast<std::int16_t>(v));
}

unsigned char Gray(int i, int j, int k, int) { return static_cast<unsigned char>((i + j + k) * 5); }

// Writes a file beside the printer's description, through the file namespace.
void WriteBesideDescription(const DeviceContext& dc, const std::u16string& name,
                            const std::vector<unsigned char>& bytes) {
  std::u16string path = ColorProfilePath(std::u16string(platform::WideView(dc.dataPath)), name);
  ASSERT_FALSE(path.empty());
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(f);
}

TEST(ColourMatchingSetup, ProfileNamesFromTheDescription) {
  TestPrinter printer("095", u"CX95 profile names");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  unsigned char* b = e.dc->settings.priv;
  ASSERT_EQ(ColourMode(*e.dc), 0);
  struct Case {
    int colormatch;
    int paperkind;
    const char16_t* name;
  };
  // The options' texts: "Off^0", "Auto^1" and a Japanese text ending in "^2"
  // whose last double-byte character itself ends in the byte "^".
  const Case kCases[] = {
      {0, 0, u""},
      {1, 0, u"KXCX95AU.ICM"},
      {2, 0, u"KXCX95PH.ICM"},
      {2, 2, u"KXCX95PO.ICM"},  // paper kind OHP: the film profile
      {2, 1, u"KXCX95PH.ICM"},
      {7, 0, u""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.colormatch * 10 + c.paperkind);
    SetColourSet(b, 0, kSetColormatch, c.colormatch);
    settings::SetI16(b, kPaperkind, static_cast<std::int16_t>(c.paperkind));
    EXPECT_EQ(ColorProfileName(*e.dc), c.name);
  }
}

TEST(ColourMatchingSetup, ProfilePathBesideTheDescription) {
  EXPECT_EQ(ColorProfilePath(u"C:\\drivers\\3\\KX.PPD", u"A.ICM"), u"C:\\drivers\\3\\A.ICM");
  EXPECT_EQ(ColorProfilePath(u"C:\\drivers\\3\\KX.PPD", u""), u"");
  // No folder, or a path that does not fit: nothing is looked for at all.
  EXPECT_EQ(ColorProfilePath(u"KX.PPD", u"A.ICM"), u"");
  std::u16string deep = u"C:\\" + std::u16string(250, u'd') + u"\\KX.PPD";
  EXPECT_EQ(ColorProfilePath(deep, u"A.ICM"), u"");
  std::u16string almost = u"C:\\" + std::u16string(240, u'd') + u"\\KX.PPD";
  EXPECT_EQ(ColorProfilePath(almost, std::u16string(16, u'n')), u"");
  EXPECT_EQ(ColorProfilePath(almost, std::u16string(15, u'n')).size(), 259u);
}

TEST(ColourMatchingSetup, TableLoadedFromTheNamedProfile) {
  TestPrinter printer("095", u"CX95 profile table");
  settings::SettingsRecord record;
  {
    Enabled first(printer, nullptr);
    ASSERT_NE(first.dc, nullptr);
    // No option chosen: matching is on without a table.
    EXPECT_TRUE(first.dc->colour.colorMatchingOn);
    EXPECT_EQ(first.dc->colour.profile, nullptr);
    EXPECT_NE(first.dc->colour.cache, nullptr);
    EXPECT_TRUE(first.dc->colour.rasterPaletteExists);
    WriteBesideDescription(*first.dc, u"KXCX95PH.ICM", render::testing::RgbLutProfile(&Gray));
    render::testing::LutShape four{3, 4, 17, true};
    WriteBesideDescription(*first.dc, u"KXCX95AU.ICM", render::testing::RgbLutProfile(&Gray, four));
    settings::SetDefaults(record, nullptr, first.dc->Description());
  }
  SetColourSet(record.priv, 0, kSetColormatch, 2);
  {
    Enabled e(printer, &record.pub);
    ASSERT_NE(e.dc, nullptr);
    ASSERT_NE(e.dc->colour.profile, nullptr);
    EXPECT_EQ(e.dc->colour.profile->channel[0][16 * 289 + 16 * 17 + 16], 240);
    // Matched: node (1, 2, 3) of the gray table.
    EXPECT_EQ(ConvertColor(*e.dc, 0x302010), 0x1E1E1Eu);
  }
  SetColourSet(record.priv, 0, kSetColormatch, 1);  // a profile with four outputs
  {
    Enabled e(printer, &record.pub);
    ASSERT_NE(e.dc, nullptr);
    EXPECT_EQ(e.dc->colour.profile, nullptr);
    EXPECT_TRUE(e.dc->colour.colorMatchingOn);
    EXPECT_NE(e.dc->colour.cache, nullptr);
  }
}

TEST(ColourMatchingSetup, MonochromeModeHasNoCache) {
  TestPrinter printer("089", u"ZQ1 colour state");
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  ASSERT_EQ(ColourMode(*e.dc), 2);
  EXPECT_FALSE(e.dc->colour.colorMatchingOn);
  EXPECT_EQ(e.dc->colour.cache, nullptr);
  EXPECT_EQ(e.dc->colour.profile, nullptr);
  // modetype1 is on by default where the printer takes raster palettes.
  EXPECT_TRUE(e.dc->colour.rasterPaletteExists);
  ReleaseColorMatching(*e.dc);
  EXPECT_EQ(e.dc->colour.rasterPaletteMemory, nullptr);
  EXPECT_FALSE(e.dc->colour.rasterPaletteExists);
}

TEST(ColourMatchingSetup, PrinterWithoutColourHandlingHasNone) {
  TestPrinter printer("012", u"MX12 colour state");  // PrinterType 4, no raster palettes
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  EXPECT_FALSE(e.dc->colour.colorMatchingOn);
  EXPECT_EQ(e.dc->colour.cache, nullptr);
  EXPECT_FALSE(e.dc->colour.rasterPaletteExists);
}

// The CX95's description with PrinterFunction bit 24: its profile names live in
// qxw4gl.ini, and the device may report itself monochrome.
std::string DescriptionWithIniProfiles() {
  std::ifstream in(qxtest::SourceDir() + "/printers/KX-M095.ppd", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  std::size_t at = s.find("\"086934CF\"");
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) s.replace(at, 10, "\"096934CF\"");
  std::string path = qxtest::MakeTempDir("ini-profiles") + "/KX-M095.ppd";
  std::ofstream(path, std::ios::binary) << s;
  return path;
}

TEST(ColourMatchingSetup, ProfileNamesFromTheDeviceInformationFile) {
  TestPrinter printer(DescriptionWithIniProfiles(), u"CX95 ini", "KX-M095");
  std::u16string ini = settings::DeviceInfoFilePath(true);
  ASSERT_TRUE(WritePrivateProfileStringW(u"CX95 ini", u"Auto", u"MYAUTO.ICM", ini.c_str()));
  Enabled e(printer, nullptr);
  ASSERT_NE(e.dc, nullptr);
  ASSERT_TRUE(e.dc->PrinterFunction() & 0x1000000);
  unsigned char* b = e.dc->settings.priv;
  SetColourSet(b, ColourMode(*e.dc), kSetColormatch, 1);
  EXPECT_EQ(ColorProfileName(*e.dc), u"MYAUTO.ICM");
  // No key for the option: its profile for paper, whatever the medium.
  SetColourSet(b, ColourMode(*e.dc), kSetColormatch, 2);
  settings::SetI16(b, kPaperkind, 2);
  EXPECT_EQ(ColorProfileName(*e.dc), u"KXCX95PH.ICM");
  ASSERT_TRUE(WritePrivateProfileStringW(u"CX95 ini", u"Photo", u"MYPHOTO.ICM", ini.c_str()));
  EXPECT_EQ(ColorProfileName(*e.dc), u"MYPHOTO.ICM");

  // The vector colour override: off on a device that reports itself monochrome.
  settings::SetI32(b, kBekutachk, 1);
  EXPECT_EQ(VectorColorOverride(*e.dc), 1);
  settings::SetU16(b, kDeviceFlags, settings::GetU16(b, kDeviceFlags) | settings::kDevPrintertype);
  EXPECT_EQ(VectorColorOverride(*e.dc), 0);
}

}  // namespace
