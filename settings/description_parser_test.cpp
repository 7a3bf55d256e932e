// The parser's rules, each shown by a small description.
#include "settings/description_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "settings/checksum.h"
#include "settings/description_test_util.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

constexpr std::int32_t Pt(int points) { return points * 256; }

std::vector<std::string> OptionNames(Feature f) {
  std::vector<std::string> names;
  for (Option o = f.FirstOption(); o; o = o.Next()) names.emplace_back(o.Name());
  return names;
}

TEST(DescriptionParser, HeaderValues) {
  Block block = Flatten(
      "*PPD-Adobe: \"4.3\"\n"
      "*% The model and its capabilities\n"
      "*NickName: \"KX-M089 <5A51>1\"\n"
      "*LanguageLevel: \"89\"\n"
      "*PrinterType: \"3\"\n"
      "*PrinterType: \"4\"\n"
      "*PrinterFunction: \"A61F32E7\"\n"
      "*?PrinterFunction: \"FFFFFFFF\"\n"
      "*ColorDevice: True\n"
      "*Protocols: PJL BCP Other\n"
      "*Extensions: CMYK FileSystem\n"
      "*LandscapeOrientation: Minus90\n"
      "*LanguageVersion: Japanese\n"
      "*FreeVM: \"4096\"\n"
      "*HWMargins: 12 12 12\n"
      "*MaxMediaWidth: \"2384\"\n"
      "*JCLBegin: \"<1B>%-12345X@PJL<0D0A>\"\n"
      "*Password: \"0\"\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_EQ(d.NickName(), "KX-M089 ZQ1");
  EXPECT_EQ(d.LanguageLevel(), 89u);
  EXPECT_EQ(d.PrinterType(), 3u);  // the first one wins
  EXPECT_EQ(d.PrinterFunction(), 0xA61F32E7u);
  EXPECT_TRUE(d.ColorDevice());
  EXPECT_EQ(d.Protocols(), 3);
  EXPECT_EQ(d.Extensions(), 2 | 8);
  EXPECT_EQ(d.LandscapeOrientation(), 2);
  EXPECT_EQ(d.LanguageEncoding(), 2);
  EXPECT_EQ(d.FreeVM(), 102400u);    // raised to the minimum
  EXPECT_FALSE(d.HwMarginsGiven());  // three numbers: skipped
  EXPECT_EQ(d.MaxMediaWidth(), Pt(2384));
  EXPECT_EQ(d.JCLBegin(), "\x1B%-12345X@PJL\r\n");
  EXPECT_EQ(d.Password(), "0");
  EXPECT_EQ(d.SuggestedWaitTimeout(), 240u);
  EXPECT_EQ(d.ScreenAngle(), Pt(45));
  EXPECT_EQ(d.ScreenFreq(), Pt(60));
  EXPECT_EQ(d.FormatVersion(), 3);
}

TEST(DescriptionParser, DefaultsOfAnEmptyDescription) {
  Block block = Flatten("");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_EQ(d.LanguageLevel(), 1u);
  EXPECT_EQ(d.NickName(), "");
  EXPECT_EQ(d.Checksum(), 0);
  EXPECT_FALSE(d.FirstFeature());
  EXPECT_EQ(d.FreeVM(), 102400u);
}

TEST(DescriptionParser, AnOverLongKeywordFailsTheLoad) {
  EXPECT_NE(Flatten("*" + std::string(40, 'K') + ": x\n"), nullptr);
  EXPECT_EQ(Flatten("*NickName: \"x\"\n*" + std::string(41, 'K') + ": x\n"), nullptr);
}

TEST(DescriptionParser, NumbersNeverWrap) {
  Block block = Flatten(
      "*LanguageLevel: \"99999999999\"\n"
      "*MaxMediaWidth: \"9999999999\"\n"
      "*MaxMediaHeight: \"-5\"\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_EQ(d.LanguageLevel(), 0xFFFFFFFFu);
  EXPECT_EQ(d.MaxMediaWidth(), 0x7FFFFFFF);
  EXPECT_EQ(d.MaxMediaHeight(), 0);
}

TEST(DescriptionParser, PrinterFunctionIsBareHexadecimal) {
  Block block = Flatten("*PrinterFunction: \"0x2000\"\n");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Description(block.get()).PrinterFunction(), 0u);
}

TEST(DescriptionParser, WrongFormsAreSkipped) {
  Block block = Flatten(
      "*PrinterType: ^Symbol\n"       // class 2 takes no symbol
      "*ColorDevice: \"True\"\n"      // class 4 takes no quoted value
      "*NickName Option: \"x\"\n"     // an option keyword where none belongs
      "*PageSize: \"no option\"\n"    // and none where one is needed
      "*OutputBin Bad/<zz>: \"x\"\n"  // a malformed translation leaves no option
      "*PrinterType: \"7\"\n"
      "*NickName: \"kept\"\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_EQ(d.PrinterType(), 7u);
  EXPECT_FALSE(d.ColorDevice());
  EXPECT_EQ(d.NickName(), "kept");
  EXPECT_FALSE(d.Predefined(kPageSize));
  EXPECT_EQ(d.Predefined(kOutputBin).OptionCount(), 0);
}

TEST(DescriptionParser, PageSizeOptions) {
  Block block = Flatten(
      "*OpenUI *PageSize/用紙サイズ: PickOne\n"
      "*DefaultPageSize: A3\n"
      "*PageSize A4/A4: \"<1B>A4\"\n"
      "*PageSize A3/A3: \"A3\"\n"
      "*PageSize A3: \"second definition\"\n"
      "*CloseUI: *PageSize\n"
      "*PageRegion A3: \"region\"\n"
      "*ImageableArea A3: \"18 18 824 1172\"\n"
      "*PaperDimension A3: \"842 1191\"\n"
      "*PaperDimension A4: \"595 842\"\n");
  ASSERT_NE(block, nullptr);
  Feature f = Description(block.get()).Predefined(kPageSize);
  ASSERT_TRUE(f);
  EXPECT_EQ(f.Name(), "PageSize");
  EXPECT_EQ(f.Translation(), "用紙サイズ");
  EXPECT_EQ(f.OptionRecordSize(), 72u);
  EXPECT_EQ(f.DefaultChoice(), 1u);
  ASSERT_EQ(f.OptionCount(), 2);
  Option a3 = f.OptionAt(1);
  EXPECT_EQ(a3.Value(), "A3");                 // the first definition wins
  EXPECT_EQ(f.OptionAt(0).Value(), "<1B>A4");  // not a JCL feature: copied as written
  EXPECT_EQ(a3.PageRegion(), "region");
  EXPECT_EQ(a3.PaperWidth(), Pt(842));
  PointArea area = a3.ImageableArea();  // the lower-left corner 1.0 point inside
  EXPECT_EQ(area.left, Pt(19));
  EXPECT_EQ(area.bottom, Pt(19));
  EXPECT_EQ(area.right, Pt(824));
  EXPECT_EQ(area.top, Pt(1172));
  PointArea whole = f.OptionAt(0).ImageableArea();  // no ImageableArea: the whole paper
  EXPECT_EQ(whole.left, 0);
  EXPECT_EQ(whole.right, Pt(595));
  EXPECT_EQ(whole.top, Pt(842));
}

TEST(DescriptionParser, PredefinedOptionBeforeItsOpenUI) {
  Block block = Flatten(
      "*Duplex None/しない: \"\"\n"
      "*OpenUI *Duplex/両面: PickOne\n"
      "*Duplex DuplexNoTumble/長辺とじ: \"dup\"\n"
      "*DefaultDuplex: DuplexNoTumble\n"
      "*CloseUI: *Duplex\n");
  ASSERT_NE(block, nullptr);
  Feature f = Description(block.get()).FindFeature("Duplex");
  ASSERT_TRUE(f);
  EXPECT_EQ(f.PredefinedIndex(), kDuplex);
  EXPECT_EQ(f.Translation(), "両面");
  EXPECT_EQ(f.UiType(), kUiPickOne);
  EXPECT_EQ(OptionNames(f), (std::vector<std::string>{"None", "DuplexNoTumble"}));
  EXPECT_EQ(f.DefaultChoice(), 1u);
}

TEST(DescriptionParser, OwnFeatures) {
  Block block = Flatten(
      "*DefaultStaple: Front\n"  // not open yet: ignored
      "*OpenUI *Staple/ホチキス: PickOne\n"
      "*DefaultStaple: Rear\n"
      "*DefaultStaple: Front\n"
      "*Staple Front/前: \"front\"\n"
      "*Staple Rear/後: \"rear\"\n"
      "*CloseUI: *Staple\n"
      "*Staple Late/遅: \"after the close\"\n"
      "*OpenUI *Punch: Boolean\n"
      "*Punch True: \"p\"\n"
      "*CloseUI: *Punch\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  Feature staple = d.FindFeature("Staple");
  ASSERT_TRUE(staple);
  EXPECT_EQ(staple.PredefinedIndex(), kOwnFeature);
  EXPECT_EQ(staple.OptionRecordSize(), 40u);
  EXPECT_EQ(OptionNames(staple), (std::vector<std::string>{"Front", "Rear"}));
  EXPECT_EQ(staple.DefaultChoice(), 1u);  // "Rear", the first default while open
  EXPECT_EQ(staple.OptionAt(1).Translation(), "後");
  Feature punch = d.FindFeature("Punch");
  ASSERT_TRUE(punch);
  EXPECT_EQ(punch.UiType(), kUiBoolean);
  EXPECT_EQ(punch.ListIndex(), 1);
  EXPECT_EQ(d.FeatureAt(1).Name(), "Punch");
}

TEST(DescriptionParser, JclFeaturesDecodeTheirValues) {
  Block block = Flatten(
      "*JCLOpenUI *JCLStapleMode/ステープル: PickOne\n"
      "*JCLStapleMode On: \"@PJL SET STAPLE=ON<0A>\"\n"
      "*JCLCloseUI: *JCLStapleMode\n");
  ASSERT_NE(block, nullptr);
  Feature f = Description(block.get()).FindFeature("JCLStapleMode");
  ASSERT_TRUE(f);
  EXPECT_EQ(f.Flags() & kFeatureHexValues, kFeatureHexValues);
  EXPECT_EQ(f.OptionAt(0).Value(), "@PJL SET STAPLE=ON\n");
}

TEST(DescriptionParser, OpenUIOfAKeywordWithoutFeatureIsIgnored) {
  Block block = Flatten(
      "*OpenUI *Font: PickOne\n"
      "*Font Courier: Standard \"(1)\" Standard ROM\n"
      "*CloseUI: *Font\n"
      "*CloseUI: *NoSuchFeature\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_FALSE(d.FindFeature("Font"));
  EXPECT_TRUE(d.FirstFont());
}

TEST(DescriptionParser, QuotedValuesSpanLines) {
  Block block = Flatten(
      "*OpenUI *PrtInitCommand: PickOne\n"
      "*PrtInitCommand Init1: \"IN;\r\nSP1;\r\n\"\n"
      "*End\n"
      "*CloseUI: *PrtInitCommand\n");
  ASSERT_NE(block, nullptr);
  Feature f = Description(block.get()).Predefined(kPrtInitCommand);
  EXPECT_EQ(f.OptionAt(0).Value(), "IN;\r\nSP1;\r\n");
}

TEST(DescriptionParser, InstallableOptionsComeAfterTheDocumentFeatures) {
  Block block = Flatten(
      "*OpenUI *Collate: Boolean\n*Collate True: \"c\"\n*CloseUI: *Collate\n"
      "*OpenGroup: InstallableOptions/装置オプション\n"
      "*OpenGroup: InstallableOptions\n"  // already open: skipped
      "*OpenUI *Finisher/フィニッシャー: Boolean\n"
      "*Finisher True: \"\"\n*Finisher False: \"\"\n"
      "*DefaultFinisher: False\n"
      "*CloseUI: *Finisher\n"
      "*CloseGroup: InstallableOptions\n"
      "*CloseGroup: InstallableOptions\n"  // not open: skipped
      "*OpenUI *OutputBin: PickOne\n*OutputBin Default: \"\"\n*CloseUI: *OutputBin\n"
      "*InstalledMemory 16MB/16 MB: \"mem16\"\n"
      "*VMOption 16MB: \"16777216\"\n"
      "*DefaultInstalledMemory: 16MB\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  EXPECT_EQ(d.DocumentFeatureCount(), 2);
  EXPECT_EQ(d.InstallableFeatureCount(), 2);
  std::vector<std::string> order;
  for (Feature f = d.FirstFeature(); f; f = f.Next()) {
    order.push_back(std::string(f.Name()) + (f.Installable() ? "+" : "") +
                    std::to_string(f.ListIndex()));
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"Collate0", "OutputBin1", "Finisher+0", "VMOption+1"}));
  Feature memory = d.Predefined(kVMOption);
  EXPECT_EQ(memory.OptionAt(0).Value(), "mem16");
  EXPECT_EQ(memory.OptionAt(0).Memory(), 16777216u);
  EXPECT_EQ(memory.OptionAt(0).Translation(), "16 MB");
  EXPECT_EQ(d.FindFeature("Finisher").DefaultChoice(), 1u);
}

TEST(DescriptionParser, InputSlotsAndPageRegion) {
  struct Case {
    const char* name;
    const char* extra;
    std::uint32_t manual, roll;
  };
  const Case kCases[] = {
      {"defined slots", "", 1, 1},
      {"one slot without", "*RequiresPageRegion Manual: False\n", 0, 1},
      {"all false", "*RequiresPageRegion All: False\n", 0, 0},
      {"all true wins", "*RequiresPageRegion Manual: False\n*RequiresPageRegion All: True\n", 1, 1},
      {"unknown word for all", "*RequiresPageRegion All: Maybe\n", 1, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Block block = Flatten(std::string("*InputSlot Manual/手差しﾄﾚｲ^265: \"m\"\n"
                                      "*InputSlot Roll1/ﾛｰﾙ紙1^260: \"r\"\n") +
                          c.extra);
    ASSERT_NE(block, nullptr);
    Feature slots = Description(block.get()).Predefined(kInputSlot);
    EXPECT_EQ(slots.OptionRecordSize(), 48u);
    EXPECT_EQ(slots.OptionAt(0).PageRegionFlag(), c.manual);
    EXPECT_EQ(slots.OptionAt(1).PageRegionFlag(), c.roll);
  }
}

TEST(DescriptionParser, Resolutions) {
  struct Case {
    const char* name;
    const char* text;
    std::uint32_t dpi;
    std::uint16_t kind;
  };
  // clang-format off
  const Case kCases[] = {
      {"default keyword", "*Resolution 400dpi: \"4\"\n*Resolution 600dpi: \"6\"\n"
                          "*DefaultResolution: 600dpi\n", 600, 0},
      {"first option",    "*Resolution 400dpi: \"4\"\n*Resolution 600dpi: \"6\"\n", 400, 0},
      {"no number",       "*Resolution Auto: \"a\"\n", 300, 0},
      {"JCL default",     "*DefaultJCLResolution: 1200dpi\n*JCLResolution 1200dpi: \"<1B>R\"\n",
       1200, 1},
      {"set resolution",  "*SetResolution 300dpi: \"s\"\n", 300, 2},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Block block = Flatten(c.text);
    ASSERT_NE(block, nullptr);
    Description d(block.get());
    Feature f = d.Predefined(kResolution);
    ASSERT_TRUE(f);
    EXPECT_EQ(f.DefaultChoice(), c.dpi);
    EXPECT_EQ(f.OptionRecordSize(), 64u);
    EXPECT_EQ(d.ResolutionKind(), c.kind);
  }
  Block block = Flatten("*JCLResolution 600dpi: \"<1B>R6\"\n*ResScreenFreq 600dpi: \"85.5\"\n");
  Option o = Description(block.get()).Predefined(kResolution).OptionAt(0);
  EXPECT_EQ(o.JclCode(), "\x1BR6");
  EXPECT_EQ(o.ScreenFreq(), 85 * 256 + 128);
}

TEST(DescriptionParser, CustomPageSize) {
  const char* kParams =
      "*CustomPageSize True: \"pop pop\"\n"
      "*CustomPageSize False: \"ignored\"\n"
      "*ParamCustomPageSize Width: 1 points 288 2384\n"
      "*ParamCustomPageSize Height: 2 points 288 x\n"  // malformed: skipped
      "*ParamCustomPageSize Orientation: 5 int 0 3\n"
      "*ParamCustomPageSize Depth: 3 points 0 0\n";  // no such parameter
  Block without = Flatten(kParams);
  ASSERT_NE(without, nullptr);
  EXPECT_FALSE(Description(without.get()).CustomPageSize());  // no maximum media size
  Block with = Flatten(std::string(kParams) + "*MaxMediaHeight: \"3370\"\n");
  Description d(with.get());
  EXPECT_TRUE(d.CustomPageSize());
  EXPECT_EQ(d.CustomPageSizeCode(), "pop pop");
  EXPECT_EQ(d.ParamCustomPageSize(0).order, 1u);
  EXPECT_EQ(d.ParamCustomPageSize(0).type, 2);
  EXPECT_EQ(d.ParamCustomPageSize(0).maximum, Pt(2384));
  EXPECT_EQ(d.ParamCustomPageSize(1).order, 0u);
  EXPECT_EQ(d.ParamCustomPageSize(4).order, 5u);
}

TEST(DescriptionParser, ConstraintsAndOrderDependencies) {
  Block block = Flatten(
      "*OpenUI *Duplex: PickOne\n*Duplex None: \"\"\n*Duplex DuplexNoTumble: \"\"\n"
      "*CloseUI: *Duplex\n"
      "*PageSize A3: \"\"\n*PageSize A0: \"\"\n"
      "*UIConstraints: *PageSize A0 *Duplex DuplexNoTumble\n"
      "*UIConstraints: *Duplex *PageSize\n"
      "*UIConstraints: *PageSize A5 *Duplex\n"      // no such option: never applies
      "*UIConstraints: *PageSize A0 *Missing\n"     // no such feature: never applies
      "*UIConstraints: *PageSize A0\n"              // no second keyword: skipped
      "*UIConstraints: *PageSize A0 *Duplex x y\n"  // five words: skipped
      "*OrderDependency: 20 AnySetup *Duplex\n"
      "*OrderDependency: 10.5 JCLSetup *PageSize A0\n"
      "*OrderDependency: 30 Elsewhere *Missing\n"
      "*OrderDependency: 40 AnySetup *" +
      std::string(39, 'W') + "\n" +  // 40 bytes: skipped
      "*OrderDependency: 50 AnySetup\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  ASSERT_EQ(d.ConstraintCount(), 4);
  Constraint c0 = d.ConstraintAt(0);
  EXPECT_EQ(c0.feature1, 1);  // PageSize is the second feature
  EXPECT_EQ(c0.option1, 1);
  EXPECT_EQ(c0.feature2, 0);
  EXPECT_EQ(c0.option2, 1);
  Constraint c1 = d.ConstraintAt(1);
  EXPECT_EQ(c1.feature1, 0);
  EXPECT_EQ(c1.option1, kNoOption);
  EXPECT_EQ(c1.option2, kNoOption);
  for (int i : {2, 3}) {
    Constraint c = d.ConstraintAt(i);
    EXPECT_EQ(c.feature1, kUnresolvedFeature);
    EXPECT_EQ(c.option1, kNoOption);
    EXPECT_EQ(c.feature2, kUnresolvedFeature);
    EXPECT_EQ(c.option2, kNoOption);
  }
  ASSERT_EQ(d.OrderDependencyCount(), 3);
  EXPECT_EQ(d.OrderDependencyAt(0).feature, 0);
  EXPECT_EQ(d.OrderDependencyAt(0).option, kNoOption);
  EXPECT_EQ(d.OrderDependencyAt(0).section, 32);
  EXPECT_EQ(d.OrderDependencyAt(1).order, 10 * 256 + 128);
  EXPECT_EQ(d.OrderDependencyAt(1).section, 16);
  EXPECT_EQ(d.OrderDependencyAt(1).option, 1);
  EXPECT_EQ(d.OrderDependencyAt(2).feature, kUnresolvedFeature);
  EXPECT_EQ(d.OrderDependencyAt(2).option, kNoOption);
  EXPECT_EQ(d.OrderDependencyAt(2).section, 32);
}

TEST(DescriptionParser, JobPatchFilesAreSortedAndReplaced) {
  Block block = Flatten(
      "*JobPatchFile 2/second: \"two\"\n"
      "*JobPatchFile 1: \"one\"\n"
      "*JobPatchFile 2/again: \"two again\"\n");
  ASSERT_NE(block, nullptr);
  JobPatchFile p = Description(block.get()).FirstJobPatchFile();
  EXPECT_EQ(p.Name(), "1");
  EXPECT_EQ(p.Next().Name(), "2");
  EXPECT_EQ(p.Next().Value(), "two again");
  EXPECT_EQ(p.Next().Translation(), "again");
  EXPECT_FALSE(p.Next().Next());
}

TEST(DescriptionParser, ChecksumCoversEveryByte) {
  const std::string text = "*NickName: \"x\"\n*% trailing comment";
  Block block = Flatten(text);
  EXPECT_EQ(Description(block.get()).Checksum(), UpdateChecksum(0, text.data(), text.size()));
}

// Each parse keeps its own "seen" marks: parses running at once in several
// threads each keep their own first PrinterType and NickName.
TEST(DescriptionParser, ParsesInSeveralThreadsStayApart) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &wrong] {
      std::string text = "*PrinterType: \"" + std::to_string(t) + "\"\n*PrinterType: \"99\"\n" +
                         "*NickName: \"n" + std::to_string(t) + "\"\n*NickName: \"late\"\n";
      for (int i = 0; i < 50; ++i) {
        Block block = Flatten(text);
        Description d(block.get());
        if (!block || d.PrinterType() != static_cast<unsigned>(t) ||
            d.NickName() != "n" + std::to_string(t)) {
          ++wrong[t];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

}  // namespace
