// Constraints, conflict codes, installable defaults and the feature queries.
#include "settings/features.h"

#include <gtest/gtest.h>

#include <cstring>

#include "settings/description_test_util.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "settings/sticky_data.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

// Two document features and two installable ones; the constraints below test
// option matching. Feature numbers in the whole list: PageSize 0, Duplex 1,
// Resolution 2, Unit 3 (installable), Tray 4 (installable).
constexpr char kConstrained[] =
    "*OpenUI *PageSize: PickOne\n"
    "*DefaultPageSize: A4\n"
    "*PageSize A3: \"a3\"\n"
    "*PageSize A4: \"a4\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *Duplex: PickOne\n"
    "*DefaultDuplex: None\n"
    "*Duplex None: \"\"\n"
    "*Duplex DuplexNoTumble: \"\"\n"
    "*Duplex DuplexTumble: \"\"\n"
    "*CloseUI: *Duplex\n"
    "*OpenUI *Resolution: PickOne\n"
    "*DefaultResolution: 600dpi\n"
    "*Resolution 400dpi: \"\"\n"
    "*Resolution 600dpi: \"\"\n"
    "*CloseUI: *Resolution\n"
    "*OpenGroup: InstallableOptions\n"
    "*OpenUI *Unit: Boolean\n"
    "*DefaultUnit: True\n"
    "*Unit True: \"\"\n"
    "*Unit False: \"\"\n"
    "*CloseUI: *Unit\n"
    "*OpenUI *Tray: PickOne\n"
    "*DefaultTray: Big\n"
    "*Tray Small: \"\"\n"
    "*Tray Big: \"\"\n"
    "*CloseUI: *Tray\n"
    "*CloseGroup: InstallableOptions\n"
    "*% duplex needs the unit (no options named: every choice but None/False)\n"
    "*UIConstraints: *Unit False *Duplex\n"
    "*% A3 cannot be printed from the small tray\n"
    "*UIConstraints: *Tray Small *PageSize A3\n"
    "*% names an option the feature lacks: never applies\n"
    "*UIConstraints: *PageSize A9 *Duplex DuplexTumble\n"
    "*% no options on either side\n"
    "*UIConstraints: *Resolution *Duplex\n";

TEST(Constraints, OptionMatching) {
  Block block = Flatten(kConstrained);
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  ASSERT_EQ(d.DocumentFeatureCount(), 3);
  ASSERT_EQ(d.InstallableFeatureCount(), 2);
  struct Case {
    const char* name;
    int f1, s1, f2, s2;
    bool constrained;
  };
  const Case kCases[] = {
      {"unit absent blocks duplex", 3, 1, 1, 1, true},
      {"unit absent blocks tumble", 3, 1, 1, 2, true},
      {"unit absent allows simplex (None)", 3, 1, 1, 0, false},
      {"unit fitted allows duplex", 3, 0, 1, 1, false},
      {"one direction only", 1, 1, 3, 1, false},
      {"small tray blocks A3", 4, 0, 0, 0, true},
      {"small tray allows A4", 4, 0, 0, 1, false},
      {"unknown option never applies", 0, 0, 1, 2, false},
      {"no options: any resolution against duplex", 2, 0, 1, 1, true},
      {"no options: but not against None", 2, 1, 1, 0, false},
      {"no options: no choice (255) still matches", 2, 255, 1, 2, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsConstrained(d, c.f1, c.s1, c.f2, c.s2), c.constrained);
  }
}

TEST(Constraints, CheckSelectionCodes) {
  Block block = Flatten(kConstrained);
  Description d(block.get());
  std::uint8_t installable[2] = {1, 0};  // Unit False, Tray Small
  std::uint8_t document[3] = {1, 0, 255};
  // Duplex tumble conflicts with the missing unit: installable feature 3, option 1.
  EXPECT_EQ(CheckSelection(d, installable, document, 1, 2), (3u | 0x100) * 256 + 1);
  // A3 conflicts with the small tray.
  EXPECT_EQ(CheckSelection(d, installable, document, 0, 0), (4u | 0x100) * 256 + 0);
  // A document choice that conflicts: resolution 400dpi (any) against duplex.
  std::uint8_t fitted[2] = {0, 1};
  std::uint8_t withResolution[3] = {1, 0, 0};
  EXPECT_EQ(CheckSelection(d, fitted, withResolution, 1, 1), (2u | 0x200) * 256 + 0);
  // No option chosen: nothing to report.
  EXPECT_EQ(CheckSelection(d, installable, document, 1, 255), 0u);
  // An installable feature against the other installable choices.
  std::uint8_t smallTray[2] = {0, 0};
  EXPECT_EQ(CheckSelection(d, smallTray, nullptr, 0, 1), 0u);
}

TEST(InstallableDefaults, ConflictingDefaultsMove) {
  // The second feature moves to its first option that fits.
  Block second = Flatten(
      "*OpenGroup: InstallableOptions\n"
      "*OpenUI *A: PickOne\n*DefaultA: On\n*A Off: \"\"\n*A On: \"\"\n*CloseUI: *A\n"
      "*OpenUI *B: PickOne\n*DefaultB: Y\n*B X: \"\"\n*B Y: \"\"\n*B Z: \"\"\n*CloseUI: *B\n"
      "*CloseGroup: InstallableOptions\n"
      "*UIConstraints: *A On *B Y\n"
      "*UIConstraints: *A On *B X\n");
  ASSERT_NE(second, nullptr);
  std::uint8_t buffer[kMaxInstallable] = {};
  EXPECT_EQ(ResolveInstallableDefaults(Description(second.get()), buffer), 2);
  EXPECT_EQ(buffer[0], 1);  // A stays On
  EXPECT_EQ(buffer[1], 2);  // B moves from Y past X to Z
  // When no option of the second fits, the first one moves.
  Block first = Flatten(
      "*OpenGroup: InstallableOptions\n"
      "*OpenUI *A: PickOne\n*DefaultA: On\n*A Off: \"\"\n*A On: \"\"\n*CloseUI: *A\n"
      "*OpenUI *B: PickOne\n*DefaultB: Y\n*B Y: \"\"\n*CloseUI: *B\n"
      "*CloseGroup: InstallableOptions\n"
      "*UIConstraints: *A On *B Y\n");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ResolveInstallableDefaults(Description(first.get()), buffer), 2);
  EXPECT_EQ(buffer[0], 0);  // A moves to Off
  EXPECT_EQ(buffer[1], 0);
}

TEST(Features, Resolutions) {
  struct Case {
    const char* name;
    const char* text;
    int dpi;
  };
  const Case kCases[] = {
      {"600dpi default",
       "*OpenUI *Resolution: PickOne\n*DefaultResolution: 600dpi\n"
       "*Resolution 400dpi: \"\"\n*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n",
       600},
      {"no default, first Auto",
       "*OpenUI *Resolution: PickOne\n*Resolution Auto: \"\"\n"
       "*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n",
       300},
      {"no feature", "*NickName: \"x\"\n", 300},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Block block = Flatten(c.text);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(DefaultResolution(Description(block.get())), c.dpi);
  }
  Block block = Flatten(kConstrained);
  Description d(block.get());
  EXPECT_TRUE(IsResolutionOffered(d, 400));
  EXPECT_FALSE(IsResolutionOffered(d, 300));
  EXPECT_TRUE(IsCompatibleResolution(600, 600));
  EXPECT_FALSE(IsCompatibleResolution(600, 400));
  EXPECT_TRUE(IsCompatibleResolution(200, 400));
  EXPECT_FALSE(IsCompatibleResolution(100, 600));
}

TEST(Features, CaretNumbersAndOptionNames) {
  Block block = Flatten(
      "*OpenUI *InputSlot: PickOne\n"
      "*InputSlot Auto/Auto tray^7: \"None/\"\n"
      "*InputSlot Roll1/Roll^260: \"Role1/\"\n"
      "*InputSlot Bad/Bad^26x: \"None/\"\n"
      "*InputSlot Long/Long^123456: \"None/\"\n"
      "*InputSlot Big/Big^40000: \"None/\"\n"
      "*InputSlot Bare^12: \"None/\"\n"
      "*CloseUI: *InputSlot\n"
      "*OpenUI *OutputBin: PickOne\n"
      "*OutputBin Default/System default : \"\"\n"
      "*OutputBin Top/Top: \"\"\n"
      "*CloseUI: *OutputBin\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  Feature slots = d.Predefined(kInputSlot);
  EXPECT_EQ(CaretNumber(slots, u"Auto"), 7);
  EXPECT_EQ(CaretNumber(slots, u"Roll1"), 260);
  EXPECT_EQ(CaretNumber(slots, u"Bad"), 0);
  EXPECT_EQ(CaretNumber(slots, u"Long"), 12345);  // five characters are read
  EXPECT_EQ(CaretNumber(slots, u"Big"), 0);       // above 32767
  EXPECT_EQ(CaretNumber(slots, u"Bare^12"), 12);  // the keyword when there is no translation
  EXPECT_EQ(CaretNumber(slots, u"Missing"), 0);
  EXPECT_EQ(CaretNumberOf("Tray^7"), 7);
  EXPECT_EQ(CaretNumberOf("Tray^7a"), 0);                    // digits followed by anything else
  EXPECT_EQ(CaretNumberOf("Tray^99999999999999"), 0);        // too large for a bin number
  EXPECT_EQ(CaretNumberOf("01234567890123456789012^5"), 0);  // only 23 characters are read
  EXPECT_EQ(OptionText(slots, 1), u"Roll^260");
  Feature bins = d.Predefined(kOutputBin);
  // A name with a blank is a shown name: it matches the translation, blank included.
  EXPECT_EQ(FindOptionNamed(bins, "System default "), 0);
  EXPECT_EQ(FindOptionNamed(bins, "System default"), -1);
  EXPECT_EQ(FindOptionNamed(bins, "Top"), 1);
  EXPECT_EQ(FindOptionByWideName(bins, u"Nothing"), 0);
}

TEST(Features, InstalledDeviceOptions) {
  SettingsRecord r{};
  auto entry = [&](std::size_t i, const char16_t* name, int flag) {
    SetWideText(r.priv, DeviceOptionOffset(i, priv::kOptName), priv::kOptNameChars, name);
    SetI32(r.priv, DeviceOptionOffset(i, priv::kOptFlag), flag);
  };
  entry(0, u"Role1", 1);
  entry(1, u"Fold", 0);
  int flag = -1;
  EXPECT_TRUE(IsInstalled(r.priv, 2, u"None"));
  EXPECT_TRUE(IsInstalled(r.priv, 2, u"Role1"));
  EXPECT_FALSE(IsInstalled(r.priv, 2, u"Fold"));
  EXPECT_FALSE(IsInstalled(r.priv, 1, u"Fold"));
  EXPECT_FALSE(InstalledState(r.priv, 2, u"None", &flag));
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(InstalledState(r.priv, 2, u"Fold", &flag));
  EXPECT_EQ(flag, 0);
  EXPECT_TRUE(InstalledState(r.priv, 2, u"Role1", &flag));
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(InstalledState(r.priv, 2, u"hdd", &flag));
  EXPECT_EQ(flag, 1);
}

TEST(Features, SyncSelectionsFromPublic) {
  Block block = Flatten(
      "*OpenUI *Collate: Boolean\n*Collate True: \"c1\"\n*Collate False: \"c0\"\n*CloseUI: "
      "*Collate\n"
      "*OpenUI *Duplex: PickOne\n*Duplex None: \"\"\n*Duplex DuplexTumble: \"\"\n*CloseUI: "
      "*Duplex\n"
      "*OpenUI *Resolution: PickOne\n*Resolution Auto: \"\"\n*Resolution 400dpi: \"\"\n"
      "*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n"
      "*OpenUI *PageSize: PickOne\n*PageSize A4/A4 sheet: \"\"\n*PageSize A3: \"\"\n*CloseUI: "
      "*PageSize\n"
      "*OpenUI *InputSlot: PickOne\n*InputSlot One: \"\"\n*InputSlot Two: \"\"\n*CloseUI: "
      "*InputSlot\n");
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  SettingsRecord r{};
  r.pub.dmCollate = 1;
  r.pub.dmDuplex = 3;
  r.pub.dmPrintQuality = 600;
  const char16_t form[] = u"A4 sheet";
  std::memcpy(r.pub.dmFormName, form, sizeof form);
  r.pub.dmDefaultSource = 256;
  int last = SyncSelectionsFromPublic(
      d, r, DM_COLLATE | DM_DUPLEX | DM_PRINTQUALITY | DM_FORMNAME | DM_DEFAULTSOURCE);
  EXPECT_EQ(last, d.Predefined(kInputSlot).ListIndex());
  auto sel = [&](PredefinedFeature f) {
    return r.priv[priv::kOptionSel + d.Predefined(f).ListIndex()];
  };
  EXPECT_EQ(sel(kCollate), 0);
  EXPECT_EQ(sel(kDuplex), 1);
  EXPECT_EQ(sel(kResolution), 1);  // counting only numeric keywords: Auto is passed over
  EXPECT_EQ(sel(kPageSize), 0);
  EXPECT_EQ(sel(kInputSlot), 1);
  r.pub.dmDefaultSource = 300;  // beyond the slots: none
  r.pub.dmPrintQuality = 300;
  SyncSelectionsFromPublic(d, r, DM_DEFAULTSOURCE | DM_PRINTQUALITY);
  EXPECT_EQ(sel(kInputSlot), 255);
  EXPECT_EQ(sel(kResolution), 255);
}

TEST(Features, ModelGroups) {
  struct Case {
    const char* text;
    bool a, b, c, d, e;
  };
  const Case kCases[] = {
      {"*LanguageLevel: \"89\"\n*PrinterType: \"3\"\n", true, false, false, true, false},
      {"*LanguageLevel: \"12\"\n*PrinterType: \"4\"\n", false, false, false, false, true},
      {"*LanguageLevel: \"40\"\n*PrinterType: \"3\"\n", false, true, true, false, false},
      {"*LanguageLevel: \"16\"\n*PrinterType: \"3\"\n", false, true, false, false, true},
      {"*LanguageLevel: \"95\"\n*PrinterType: \"2\"\n*PrinterFunction: \"01000000\"\n", false,
       false, true, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Block block = Flatten(c.text);
    ASSERT_NE(block, nullptr);
    Description d(block.get());
    EXPECT_EQ(InModelGroupA(d), c.a);
    EXPECT_EQ(InModelGroupB(d), c.b);
    EXPECT_EQ(InModelGroupC(d), c.c);
    EXPECT_EQ(InModelGroupD(d), c.d);
    EXPECT_EQ(InModelGroupE(d), c.e);
  }
}

// A description with more than the record can hold: 70 document features after
// one of 300 options, and 70 installable ones; every feature defaults to B (1).
std::string Oversized() {
  std::string text = "*OpenUI *Many: PickOne\n*DefaultMany: O5\n";
  for (int i = 0; i < 300; ++i) text += "*Many O" + std::to_string(i) + ": \"\"\n";
  text += "*CloseUI: *Many\n";
  auto features = [&](const char* prefix) {
    for (int i = 0; i < 70; ++i) {
      std::string name = prefix + std::to_string(i);
      text += "*OpenUI *" + name + ": PickOne\n*Default" + name + ": B\n*" + name + " A: \"\"\n*" +
              name + " B: \"\"\n*CloseUI: *" + name + "\n";
    }
  };
  features("F");
  text += "*OpenGroup: InstallableOptions\n";
  features("I");
  return text + "*CloseGroup: InstallableOptions\n";
}

TEST(Features, ChoicesBeyondWhatTheRecordsHold) {
  Block block = Flatten(Oversized());
  ASSERT_NE(block, nullptr);
  Description d(block.get());
  ASSERT_EQ(d.DocumentFeatureCount(), 71);
  ASSERT_EQ(d.InstallableFeatureCount(), 70);

  // optionSel holds 64 features; the bytes after it keep their defaults.
  SettingsRecord r;
  SetDefaults(r, nullptr, d);
  EXPECT_EQ(LoadU16(r.priv + priv::kFeatureCount), 64);
  EXPECT_EQ(LoadU16(r.priv + 110), 0);
  EXPECT_EQ(LoadI32(r.priv + 112), 1);  // font
  Feature beyond = d.FeatureAt(66);
  ASSERT_EQ(beyond.ListIndex(), 66);
  SettingsRecord copy = r;
  WriteOptionSel(copy, beyond, 0);
  EXPECT_EQ(std::memcmp(&copy, &r, sizeof r), 0);
  EXPECT_EQ(ReadOptionSel(r, beyond), 1);

  // Options at 255 and beyond cannot be chosen; a stored value that is not 255
  // or an option of the feature reads as its default.
  Feature many = d.FeatureAt(0);
  EXPECT_EQ(many.OptionCount(), 300);
  EXPECT_EQ(SelectableOptionCount(many), 255);
  EXPECT_EQ(ReadOptionSel(r, many), 5);
  Feature two = d.FeatureAt(1);
  struct Stored {
    Feature f;
    int stored, read;
  };
  for (const Stored& c : {Stored{many, 254, 254}, Stored{many, 255, 255}, Stored{two, 0, 0},
                          Stored{two, 2, 1}, Stored{two, 200, 1}}) {
    SCOPED_TRACE(c.stored);
    WriteOptionSel(r, c.f, c.stored);
    EXPECT_EQ(ReadOptionSel(r, c.f), c.read);
  }

  // 64 installable choices at most: the buffer's end is never passed.
  std::uint8_t buffer[80];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(ResolveInstallableDefaults(d, buffer), 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(buffer[i], 1) << i;
  for (int i = 64; i < 80; ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
  unsigned char sticky[kStickySize] = {};
  StoreU16(sticky + sticky::kInstallableCount, 64);
  sticky[sticky::kInstallableSel + 0] = 0;
  sticky[sticky::kInstallableSel + 1] = 2;    // not an option: the default
  sticky[sticky::kInstallableSel + 2] = 255;  // none
  EXPECT_EQ(StoredInstallableChoice(sticky, d, 0), 0);
  EXPECT_EQ(StoredInstallableChoice(sticky, d, 1), 1);
  EXPECT_EQ(StoredInstallableChoice(sticky, d, 2), 255);
  EXPECT_EQ(StoredInstallableChoice(sticky, d, 65), 1);  // beyond 64: the default
  StoreU16(sticky + sticky::kInstallableCount, 1);
  EXPECT_EQ(StoredInstallableChoice(sticky, d, 2), 1);  // beyond the stored count
}

}  // namespace
