// A block is used only when everything in it holds together; every damaged
// variant of a good block is rejected.
#include "settings/description_relocate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "settings/description_layout.h"
#include "settings/description_test_util.h"

namespace {

using namespace settings;
namespace L = settings::layout;
using Bytes = std::vector<unsigned char>;

// A description with something in every list and table.
const char* kRich =
    "*NickName: \"KX-M095\"\n"
    "*OpenUI *Duplex: PickOne\n*Duplex None: \"\"\n*Duplex DuplexNoTumble: \"d\"\n"
    "*DefaultDuplex: DuplexNoTumble\n*CloseUI: *Duplex\n"
    "*PageSize A4/A4: \"a4\"\n*PaperDimension A4: \"595 842\"\n"
    "*PageSize A3/A3: \"a3\"\n*PaperDimension A3: \"842 1191\"\n"
    "*Resolution 600dpi: \"r\"\n"
    "*UIConstraints: *PageSize A3 *Duplex DuplexNoTumble\n"
    "*OrderDependency: 10 AnySetup *Duplex\n"
    "*Font Courier: Standard \"(1)\" Standard ROM\n"
    "*Font Times-Roman: Standard \"(1)\" Standard ROM\n"
    "*JobPatchFile 1: \"one\"\n*JobPatchFile 2: \"two\"\n";

Bytes Good() {
  settings::testing::Block block = settings::testing::Flatten(kRich);
  const auto* p = static_cast<const unsigned char*>(block.get());
  return Bytes(p, p + LoadU32(p));
}

std::uint32_t Get64(const Bytes& b, std::uint32_t at) {
  return static_cast<std::uint32_t>(LoadU64(b.data() + at));
}
void Put64(Bytes& b, std::uint32_t at, std::uint64_t v) { StoreU64(b.data() + at, v); }

std::uint32_t FirstFeature(const Bytes& b) { return Get64(b, L::kFirstFeature); }
std::uint32_t SecondFeature(const Bytes& b) { return Get64(b, FirstFeature(b)); }
// The PageSize feature (the second one) and its first option.
std::uint32_t PageSizeOption(const Bytes& b) {
  return Get64(b, SecondFeature(b) + L::kFeatureFirstOption);
}

bool Accepts(Bytes b) { return Relocate(b.data(), b.size()); }

TEST(Relocate, AcceptsAGoodBlockAndFindsItsFeatures) {
  Bytes b = Good();
  ASSERT_TRUE(Relocate(b.data(), b.size()));
  Description d(b.data());
  EXPECT_EQ(d.Predefined(kPageSize).Offset(), SecondFeature(b));
  EXPECT_EQ(d.Predefined(kDuplex).Offset(), FirstFeature(b));
}

TEST(Relocate, RejectsDamagedBlocks) {
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
  };
  const Case kCases[] = {
      {"size differs from totalSize", [](Bytes& b) { StoreU32(b.data(), LoadU32(b.data()) + 4); }},
      {"format version", [](Bytes& b) { StoreU16(b.data() + L::kFormatVersionAt, 2); }},
      {"path not at 568", [](Bytes& b) { Put64(b, L::kDataFilePath, 572); }},
      {"text at totalSize", [](Bytes& b) { Put64(b, L::kNickName, b.size()); }},
      {"text beyond the block", [](Bytes& b) { Put64(b, L::kNickName, 0x100000000ull); }},
      {"text not aligned", [](Bytes& b) { Put64(b, L::kNickName, Get64(b, L::kNickName) + 1); }},
      {"text in the header", [](Bytes& b) { Put64(b, L::kNickName, 100); }},
      {"text without terminator",
       [](Bytes& b) {
         std::memset(b.data() + b.size() - 8, 'x', 8);
         Put64(b, L::kNickName, b.size() - 8);
       }},
      {"feature record past the end", [](Bytes& b) { Put64(b, L::kFirstFeature, b.size() - 32); }},
      {"feature linking to itself", [](Bytes& b) { Put64(b, FirstFeature(b), FirstFeature(b)); }},
      {"feature linking backwards", [](Bytes& b) { Put64(b, SecondFeature(b), FirstFeature(b)); }},
      {"feature without name", [](Bytes& b) { Put64(b, FirstFeature(b) + L::kName, 0); }},
      {"option size of another feature",
       [](Bytes& b) { StoreU32(b.data() + SecondFeature(b) + L::kFeatureOptionSize, 40); }},
      {"predefined index out of range",
       [](Bytes& b) { StoreU16(b.data() + FirstFeature(b) + L::kFeaturePredefined, 40); }},
      {"two features of one index",
       [](Bytes& b) { StoreU16(b.data() + FirstFeature(b) + L::kFeaturePredefined, 0); }},
      {"default choice beyond the options",
       [](Bytes& b) { StoreU32(b.data() + FirstFeature(b) + L::kFeatureDefaultChoice, 2); }},
      {"option linking backwards", [](Bytes& b) { Put64(b, PageSizeOption(b), SecondFeature(b)); }},
      {"option past the end",
       [](Bytes& b) { Put64(b, SecondFeature(b) + L::kFeatureFirstOption, b.size() - 40); }},
      {"feature count", [](Bytes& b) { StoreU16(b.data() + L::kDocumentFeatureCount, 2); }},
      {"installable count", [](Bytes& b) { StoreU16(b.data() + L::kInstallableFeatureCount, 1); }},
      {"list index",
       [](Bytes& b) { StoreU16(b.data() + SecondFeature(b) + L::kFeatureListIndex, 0); }},
      {"installable flag out of its group",
       [](Bytes& b) { StoreU32(b.data() + FirstFeature(b) + L::kFeatureInstallable, 1); }},
      {"constraint count beyond the block",
       [](Bytes& b) { StoreU16(b.data() + Get64(b, L::kConstraints), 0xFFFF); }},
      {"constraint entry size",
       [](Bytes& b) { StoreU16(b.data() + Get64(b, L::kConstraints) + 2, 12); }},
      {"constraint feature out of range",
       [](Bytes& b) { StoreU16(b.data() + Get64(b, L::kConstraints) + 4, 7); }},
      {"constraint option out of range",
       [](Bytes& b) { StoreU16(b.data() + Get64(b, L::kConstraints) + 4 + 2, 2); }},
      {"order-dependency option out of range",
       [](Bytes& b) { StoreU16(b.data() + Get64(b, L::kOrderDependencies) + 4 + 2, 9); }},
      {"font linking backwards",
       [](Bytes& b) {
         std::uint32_t first = Get64(b, L::kFirstDeviceFont);
         Put64(b, Get64(b, first), first);
       }},
      {"font record past the end", [](Bytes& b) { Put64(b, L::kFirstDeviceFont, b.size() - 44); }},
      {"job patch file without name",
       [](Bytes& b) { Put64(b, Get64(b, L::kFirstJobPatchFile) + L::kName, 0); }},
  };
  ASSERT_TRUE(Accepts(Good()));
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Bytes b = Good();
    c.damage(b);
    EXPECT_FALSE(Accepts(b));
  }
  EXPECT_FALSE(Relocate(nullptr, 0));
  Bytes tiny(100, 0);
  StoreU32(tiny.data(), 100);
  EXPECT_FALSE(Accepts(tiny));
}

}  // namespace
