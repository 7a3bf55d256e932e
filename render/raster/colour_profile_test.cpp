// Reading the matching table out of ICC profiles, and the profiles that give none.
#include "render/raster/colour_profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "render/raster/icc_test_profile.h"
#include "tests/support/temp_root.h"

namespace {

using namespace render;
using render::testing::IccProfile;
using render::testing::IccTag;
using render::testing::LutShape;
using render::testing::LutTag;
using render::testing::PutBig32;
using render::testing::RgbLutProfile;

// A grid that tells its nodes apart: each channel's own index plus the channel.
unsigned char Distinct(int i, int j, int k, int ch) {
  return static_cast<unsigned char>((i * 7 + j * 3 + k + ch * 50) & 0xFF);
}

ProfileKind Read(const std::vector<unsigned char>& bytes, ColorProfileTable* table = nullptr) {
  return ReadColorProfile(bytes.data(), bytes.size(), table);
}

TEST(ColourProfile, LookupTableIsCopiedRedSlowest) {
  auto table = std::make_unique<ColorProfileTable>();
  ASSERT_EQ(Read(RgbLutProfile(&Distinct), table.get()), ProfileKind::kLookupTable);
  EXPECT_EQ(table->gridSize, 17);
  for (int i : {0, 5, 16}) {
    for (int j : {0, 9, 16}) {
      for (int k : {0, 1, 16}) {
        for (int ch = 0; ch < 3; ++ch) {
          EXPECT_EQ(table->channel[ch][i * 289 + j * 17 + k], Distinct(i, j, k, ch));
        }
      }
    }
  }
}

TEST(ColourProfile, BrokenProfilesGiveNoTable) {
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  auto withLut = [](LutShape shape) { return RgbLutProfile(&Distinct, shape); };
  std::vector<unsigned char> truncated = withLut({});
  truncated.resize(truncated.size() - 1);  // shorter than its own length
  std::vector<unsigned char> shortTag = IccProfile("RGB ", {{"B2A0", LutTag(&Distinct)}});
  PutBig32(shortTag, 132 + 8, 816 + 17 * 17 * 17 * 3);  // no room for the output tables
  std::vector<unsigned char> tooManyTags = withLut({});
  PutBig32(tooManyTags, 128, 0x10000000);
  const Case kCases[] = {
      {"four output channels", withLut({3, 4, 17, true})},
      {"four input channels", withLut({4, 3, 17, true})},
      {"a grid of 16 points", withLut({3, 3, 16, true})},
      {"a grid of 1 point", withLut({3, 3, 1, true})},
      {"a grid of 18 points", withLut({3, 3, 18, true})},
      {"tables not starting 0 1 2 3 4", withLut({3, 3, 17, false})},
      {"a B2A0 tag past the end of the file",
       IccProfile("RGB ", {{"B2A0", LutTag(&Distinct), 100000, -1}})},
      {"a B2A0 tag size past the end",
       IccProfile("RGB ", {{"B2A0", LutTag(&Distinct), -1, 0x7FFFFFFF}})},
      {"a tag smaller than its grid", shortTag},
      {"a truncated file", truncated},
      {"a tag count beyond the file", tooManyTags},
      {"a lookup table in a Lab profile", IccProfile("Lab ", {{"B2A0", LutTag(&Distinct)}})},
      {"no tags", IccProfile("RGB ", {})},
      {"only a header", std::vector<unsigned char>(128, 0)},
      {"nothing", {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto table = std::make_unique<ColorProfileTable>();
    EXPECT_EQ(Read(c.bytes, table.get()), ProfileKind::kUnusable);
  }
}

TEST(ColourProfile, MatrixProfileIsRecognisedButGivesNoTable) {
  std::vector<IccTag> tags;
  for (const char* s : {"rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"}) {
    tags.push_back({s, std::vector<unsigned char>(20, 0)});
  }
  EXPECT_EQ(Read(IccProfile("XYZ ", tags)), ProfileKind::kMatrix);
  tags.pop_back();
  EXPECT_EQ(Read(IccProfile("XYZ ", tags)), ProfileKind::kUnusable);
  tags.push_back({"bTRC", std::vector<unsigned char>(20, 0), 1 << 20, -1});
  EXPECT_EQ(Read(IccProfile("XYZ ", tags)), ProfileKind::kUnusable);
}

void WriteProfile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

TEST(ColourProfile, LoadedFromAnAbsolutePathOnly) {
  std::string folder = qxtest::MakeTempDir("profiles");
  WriteProfile(folder + "/TEST.ICM", RgbLutProfile(&Distinct));
  std::u16string wide = platform::Utf8ToWide(folder);
  ColorProfileTable* table = LoadColorProfile((wide + u"/TEST.ICM").c_str());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->channel[2][16 * 289 + 16 * 17 + 16], Distinct(16, 16, 16, 2));
  GlobalFree(table);

  EXPECT_EQ(LoadColorProfile(u"TEST.ICM"), nullptr);  // relative: never opened
  EXPECT_EQ(LoadColorProfile((wide + u"/MISSING.ICM").c_str()), nullptr);
  EXPECT_EQ(LoadColorProfile(nullptr), nullptr);
  // A path the ANSI conversion would cut opens nothing, even when the cut path
  // names a file.
  std::string longPath = folder + "/" + std::string(140 - folder.size(), 'n') + ".ICM";
  WriteProfile(longPath, RgbLutProfile(&Distinct));
  WriteProfile(longPath.substr(0, 128), RgbLutProfile(&Distinct));
  EXPECT_EQ(LoadColorProfile(platform::Utf8ToWide(longPath).c_str()), nullptr);
  EXPECT_NE(table = LoadColorProfile(platform::Utf8ToWide(longPath.substr(0, 128)).c_str()),
            nullptr);
  GlobalFree(table);
}

}  // namespace
