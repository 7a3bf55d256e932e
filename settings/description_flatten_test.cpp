// The flattened block: where each item lands, and what flattening resolves.
#include "settings/description_flatten.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/description_layout.h"
#include "settings/description_test_util.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

std::uint32_t At64(const void* b, std::uint32_t at) {
  return static_cast<std::uint32_t>(LoadU64(static_cast<const unsigned char*>(b) + at));
}
std::string TextAt(const void* b, std::uint32_t at) {
  return reinterpret_cast<const char*>(static_cast<const unsigned char*>(b) + at);
}

// The path "C:\drivers\TEST.PPD" has 19 characters: 2 x 19 + 5 = 43, lowered to
// 40 bytes at 568. Then "AB" (3 bytes, 4 with padding) at 608, the two empty
// tables (4 bytes each) at 612 and 616, the PageSize feature (64) at 620 with its
// name (9 bytes, 12) at 684, the option A4 (72) at 696, its name at 768 and its
// value at 772: 776 bytes in all.
TEST(FlattenDescription, ItemsInTheirPlaces) {
  Block block = Flatten("*NickName: \"AB\"\n*PageSize A4: \"x\"\n");
  ASSERT_NE(block, nullptr);
  const void* b = block.get();
  const auto* bytes = static_cast<const unsigned char*>(b);
  EXPECT_EQ(LoadU32(bytes + 0), 776u);
  EXPECT_EQ(At64(b, 8), 568u);
  std::u16string path;
  for (std::uint32_t at = 568; LoadU16(bytes + at) != 0; at += 2) {
    path.push_back(static_cast<char16_t>(LoadU16(bytes + at)));
  }
  EXPECT_EQ(path, u"C:\\drivers\\TEST.PPD");
  EXPECT_EQ(At64(b, 16), 608u);
  EXPECT_EQ(TextAt(b, 608), "AB");
  EXPECT_EQ(LoadU16(bytes + 24), 3);
  EXPECT_EQ(At64(b, 552), 612u);
  EXPECT_EQ(LoadU16(bytes + 612), 0);
  EXPECT_EQ(LoadU16(bytes + 614), 12);
  EXPECT_EQ(At64(b, 560), 616u);
  EXPECT_EQ(LoadU16(bytes + 618), 8);
  EXPECT_EQ(At64(b, 272), 620u);
  EXPECT_EQ(At64(b, 620 + 8), 684u);
  EXPECT_EQ(TextAt(b, 684), "PageSize");
  EXPECT_EQ(LoadU32(bytes + 620 + 16), NameHash("PageSize"));
  EXPECT_EQ(LoadU32(bytes + 620 + 36), 72u);
  EXPECT_EQ(At64(b, 620 + 56), 696u);
  EXPECT_EQ(At64(b, 696 + 8), 768u);
  EXPECT_EQ(At64(b, 696 + 32), 772u);
  EXPECT_EQ(TextAt(b, 772), "x");
  EXPECT_EQ(At64(b, 696), 0u);  // the last option
  EXPECT_EQ(At64(b, 536), 0u);  // no fonts
  EXPECT_EQ(At64(b, 528), 0u);  // no job patch files
}

// Flattening leaves the predefined references zero; relocating fills them.
TEST(FlattenDescription, PredefinedReferencesAreRebuiltOnLoad) {
  DescriptionArena arena;
  ParsedDescription* parsed = settings::testing::ParseText("*PageSize A4: \"x\"\n", arena);
  ASSERT_NE(parsed, nullptr);
  Block block(FlattenDescription(*parsed));
  const auto* bytes = static_cast<const unsigned char*>(block.get());
  for (std::uint32_t i = 0; i < 31; ++i) EXPECT_EQ(LoadU64(bytes + 280 + 8 * i), 0u);
  ASSERT_TRUE(Relocate(block.get(), LoadU32(bytes)));
  EXPECT_EQ(At64(block.get(), 280), At64(block.get(), 272));
  EXPECT_EQ(Description(block.get()).Predefined(kPageSize).Name(), "PageSize");
  EXPECT_FALSE(Description(block.get()).Predefined(kInputSlot));
}

// Imageable areas, normalised at flattening: inside the paper and never empty.
TEST(FlattenDescription, ImageableAreaNormalised) {
  struct Case {
    const char* name;
    const char* entries;
    PointArea area;
    std::int32_t width, length;
  };
  constexpr std::int32_t P = 256;
  // clang-format off
  const Case kCases[] = {
      {"inside",       "*PaperDimension A0: \"2384 3370\"\n*ImageableArea A0: \"18 18 2366 3352\"\n",
       {19 * P, 19 * P, 2366 * P, 3352 * P}, 2384 * P, 3370 * P},
      {"no area",      "*PaperDimension A0: \"2384 3370\"\n",
       {0, 0, 2384 * P, 3370 * P}, 2384 * P, 3370 * P},
      {"clamped",      "*PaperDimension A0: \"2384 3370\"\n*ImageableArea A0: \"0 0 9999 9999\"\n",
       {1 * P, 1 * P, 2384 * P, 3370 * P}, 2384 * P, 3370 * P},
      {"empty area",   "*PaperDimension A0: \"2384 3370\"\n*ImageableArea A0: \"500 18 400 3352\"\n",
       {0, 0, 2384 * P, 3370 * P}, 2384 * P, 3370 * P},
      {"no length",    "*PaperDimension A0: \"2384 0\"\n*ImageableArea A0: \"18 18 100 100\"\n",
       {0, 0, 0, 0}, 0, 0},
      {"no dimension", "*ImageableArea A0: \"18 18 100 100\"\n", {0, 0, 0, 0}, 0, 0},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Block block = Flatten(std::string("*PageSize A0: \"a0\"\n") + c.entries);
    ASSERT_NE(block, nullptr);
    Option o = Description(block.get()).Predefined(kPageSize).OptionAt(0);
    PointArea a = o.ImageableArea();
    EXPECT_EQ(a.left, c.area.left);
    EXPECT_EQ(a.bottom, c.area.bottom);
    EXPECT_EQ(a.right, c.area.right);
    EXPECT_EQ(a.top, c.area.top);
    EXPECT_EQ(o.PaperWidth(), c.width);
    EXPECT_EQ(o.PaperLength(), c.length);
  }
}

TEST(FlattenDescription, DefaultChoices) {
  struct Case {
    const char* name;
    const char* text;
    std::uint32_t choice;
  };
  // clang-format off
  const Case kCases[] = {
      {"named default",  "*OutputBin A: \"\"\n*PageSize A4: \"\"\n*PageSize A3: \"\"\n"
                         "*DefaultPageSize: A3\n", 1},
      {"unknown default", "*PageSize A4: \"\"\n*DefaultPageSize: B9\n", 0},
      {"no default",     "*PageSize A4: \"\"\n*PageSize A3: \"\"\n", 0},
      {"no options",     "*DefaultPageSize: A3\n", 0},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Block block = Flatten(c.text);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Description(block.get()).Predefined(kPageSize).DefaultChoice(), c.choice);
  }
}

TEST(DescriptionLookups, FindCountAndNthOption) {
  Block block = Flatten(
      "*OutputBin Default/ｼｽﾃﾑﾃﾞﾌｫﾙﾄ : \"\"\n*OutputBin Upper: \"u\"\n*OutputBin Lower: \"l\"\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  Feature bins = d.FindFeature("OutputBin");
  ASSERT_TRUE(bins);
  EXPECT_FALSE(d.FindFeature("outputbin"));
  EXPECT_EQ(bins.OptionCount(), 3);
  EXPECT_EQ(bins.FindOption("Lower"), 2);
  EXPECT_EQ(bins.FindOption("lower"), -1);
  EXPECT_EQ(bins.OptionAt(1).Value(), "u");
  EXPECT_FALSE(bins.OptionAt(3));
  EXPECT_FALSE(bins.OptionAt(-1));
  EXPECT_EQ(bins.OptionAt(0).Translation(), "ｼｽﾃﾑﾃﾞﾌｫﾙﾄ ");  // the blank stays
  EXPECT_FALSE(d.FeatureAt(1));
  EXPECT_EQ(d.FeatureCount(), 1);
  Feature none;
  EXPECT_EQ(none.OptionCount(), 0);
  EXPECT_EQ(none.Name(), "");
  EXPECT_FALSE(none.OptionAt(0));
}

}  // namespace
