// Defaults of the settings record and the merge of incoming records.
#include "settings/settings_defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/description_test_util.h"
#include "settings/features.h"
#include "settings/paper.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

// A roll printer: type 3 with custom sizes, paper link (bit 19), colour, device
// options with hexadecimal values and input slots that need them.
constexpr char kRoll[] =
    "*NickName: \"KX-M089 test\"\n"
    "*LanguageLevel: \"89\"\n"
    "*PrinterType: \"3\"\n"
    "*PrinterFunction: \"A61F32E7\"\n"
    "*ColorDevice: True\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A1\n"
    "*PageSize A0: \"\"\n*PageSize A1: \"\"\n*PageSize A3: \"\"\n*CloseUI: *PageSize\n"
    "*OpenUI *Resolution: PickOne\n*DefaultResolution: 600dpi\n"
    "*Resolution 400dpi: \"\"\n*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n"
    "*OpenUI *PrintMode: PickOne\n*PrintMode Fast: \"\"\n*PrintMode Default: \"\"\n*CloseUI: "
    "*PrintMode\n"
    "*OpenUI *OutputBin: PickOne\n*OutputBin Default/System default : \"\"\n*CloseUI: *OutputBin\n"
    "*OpenUI *DeviceOption: PickOne\n"
    "*DeviceOption Base: \"0x00\"\n"
    "*DeviceOption Role1: \"0x70\"\n"
    "*DeviceOption Role2: \"0x71\"\n"
    "*DeviceOption LongOptionName: \"0x7G\"\n"
    "*CloseUI: *DeviceOption\n"
    "*OpenUI *InputSlot: PickOne\n"
    "*InputSlot Roll2/Roll 2^263: \"Role2/x\"\n"
    "*InputSlot Roll1/Roll 1^260: \"Role1/x\"\n"
    "*InputSlot Auto/Auto^7: \"None/x\"\n"
    "*CloseUI: *InputSlot\n"
    "*OpenUI *Desing: PickOne\n*Desing Default: \"\"\n*Desing DefMono: \"\"\n*CloseUI: *Desing\n"
    "*OpenUI *FreeSize: PickOne\n*FreeSize 841x1189: \"\"\n*CloseUI: *FreeSize\n";

// A monochrome office printer (type 4) with duplex and collate.
constexpr char kOffice[] =
    "*NickName: \"KX-M012 test\"\n"
    "*LanguageLevel: \"12\"\n"
    "*PrinterType: \"4\"\n"
    "*PrinterFunction: \"0000C327\"\n"
    "*LandscapeOrientation: Minus90\n"
    "*OpenUI *PageSize: PickOne\n*PageSize A4: \"\"\n*PageSize A3: \"\"\n"
    "*PageSize 12x18/12 x 18 in: \"\"\n*PaperDimension 12x18: \"864 1296\"\n"
    "*PageSize 13x19/13 x 19 in: \"\"\n*CloseUI: *PageSize\n"
    "*OpenUI *Resolution: PickOne\n*DefaultResolution: 400dpi\n*Resolution 300dpi: \"\"\n"
    "*Resolution 400dpi: \"\"\n*Resolution 600dpi: \"\"\n*CloseUI: *Resolution\n"
    "*OpenUI *Duplex: PickOne\n*Duplex None: \"\"\n*Duplex DuplexTumble: \"\"\n*CloseUI: *Duplex\n"
    "*OpenUI *Collate: Boolean\n*Collate True: \"\"\n*Collate False: \"\"\n*CloseUI: *Collate\n";

struct Loaded {
  Block block;
  Description d;
  explicit Loaded(const char* text) : block(Flatten(text)), d(block.get()) {}
};

SettingsRecord Defaults(const Description& d) {
  SettingsRecord r;
  SetDefaults(r, u"Printer", d);
  return r;
}

TEST(SetDefaults, RollPrinter) {
  Loaded roll(kRoll);
  ASSERT_NE(roll.block, nullptr);
  SettingsRecord r = Defaults(roll.d);
  const DEVMODEW& dm = r.pub;
  EXPECT_EQ(std::u16string(dm.dmDeviceName), u"Printer");
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 2200);
  EXPECT_EQ(dm.dmSpecVersion, 0x401);
  EXPECT_EQ(dm.dmFields, 0x14703u | DM_COLOR);
  EXPECT_EQ(dm.dmPaperSize, 268);  // A1 on a roll printer with paper link
  EXPECT_EQ(std::u16string(dm.dmFormName), u"A1");
  EXPECT_EQ(dm.dmPaperWidth, 5940);
  EXPECT_EQ(dm.dmPaperLength, 8410);
  EXPECT_EQ(dm.dmPrintQuality, 600);
  EXPECT_EQ(dm.dmColor, DMCOLOR_COLOR);
  EXPECT_EQ(dm.dmDefaultSource, 260);  // Roll 2 needs Role2, which is not installed
  const unsigned char* b = r.priv;
  EXPECT_TRUE(CheckPrivateBlock(b)) << FirstPrivateCheckFailure(b);
  EXPECT_EQ(GetWideText(b, priv::kYoushi, priv::kYoushiChars), u"PAPER_LINK");
  EXPECT_EQ(GetI32(b, priv::kSmooth), 1);
  EXPECT_EQ(GetI32(b, priv::kDestination), 0);
  EXPECT_EQ(GetU32(b, priv::kOptionCount), 3u);
  EXPECT_EQ(GetWideText(b, DeviceOptionOffset(0, priv::kOptName), 10), u"Role1");
  EXPECT_EQ(GetI32(b, DeviceOptionOffset(0, priv::kOptType)), 7);
  EXPECT_EQ(GetI32(b, DeviceOptionOffset(0, priv::kOptFlag)), 1);
  EXPECT_EQ(GetI32(b, DeviceOptionOffset(1, priv::kOptPriority)), 1);
  EXPECT_EQ(GetI32(b, DeviceOptionOffset(1, priv::kOptFlag)), 0);
  EXPECT_EQ(GetWideText(b, DeviceOptionOffset(2, priv::kOptName), 10), u"LongOptio");
  EXPECT_EQ(GetI32(b, DeviceOptionOffset(2, priv::kOptType)), 0);  // "0x7G" is no number
  EXPECT_EQ(GetI16(b, priv::kScale), 1000);                        // bit 17: tenths of a percent
  EXPECT_EQ(GetI16(b, priv::kFreeYoko), 841);
  EXPECT_EQ(GetI16(b, priv::kFreeTate), 1189);
  EXPECT_EQ(GetI16(b, priv::kFreeYousit), 1189);
  EXPECT_EQ(GetI16(b, priv::kImagerotate), 1);
  EXPECT_EQ(GetI16(b, priv::kOriSet), 6);    // bit 25
  EXPECT_EQ(GetI16(b, priv::kOriCombo), 0);  // model 89
  EXPECT_EQ(GetI16(b, priv::kColormode), 2);
  EXPECT_EQ(GetI16(b, ColorSetOffset(2, priv::kSetDither)), 1);  // DefMono
  EXPECT_EQ(GetI16(b, ColorSetOffset(0, priv::kSetDither)), 0);
  EXPECT_EQ(GetI16(b, priv::kPaperkind), 0);
  EXPECT_EQ(GetI16(b, priv::kOptRole), 4);
  std::uint16_t options = GetU16(b, priv::kPrintOptions);
  EXPECT_TRUE(options & kOptPapersizechange);
  EXPECT_FALSE(options & kOptPaperlink);
  EXPECT_TRUE(options & kOptModetype1);                    // bit 13
  EXPECT_EQ(b[priv::kCommon + priv::kCommonJobClass], 6);  // bit 9
  EXPECT_EQ(b[priv::kCommon + 57], 1);
  EXPECT_EQ(GetI16(b, priv::kShrinkimage), 1);  // bit 12
  EXPECT_EQ(GetI16(b, priv::kReschange), 600);
  EXPECT_EQ(GetU16(b, priv::kDescStamp), roll.d.Checksum());
  // The resolution travels in dmPrintQuality, not in the selections.
  EXPECT_EQ(b[priv::kOptionSel + roll.d.Predefined(kResolution).ListIndex()], 255);
  EXPECT_EQ(b[priv::kOptionSel + roll.d.Predefined(kPageSize).ListIndex()], 1);
}

TEST(SetDefaults, OfficePrinter) {
  Loaded office(kOffice);
  ASSERT_NE(office.block, nullptr);
  SettingsRecord r = Defaults(office.d);
  EXPECT_EQ(r.pub.dmFields, 0x14703u | DM_DUPLEX | DM_COLLATE);
  EXPECT_EQ(r.pub.dmPaperSize, DMPAPER_A3);
  EXPECT_EQ(r.pub.dmColor, DMCOLOR_MONOCHROME);
  EXPECT_EQ(r.pub.dmPrintQuality, 400);
  EXPECT_EQ(r.pub.dmDefaultSource, 0);  // no input slots
  EXPECT_EQ(GetWideText(r.priv, priv::kYoushi, priv::kYoushiChars), u"A3");
  EXPECT_TRUE(GetU32(r.priv, priv::kFlags) & 0x200);  // Minus90
  EXPECT_EQ(GetI16(r.priv, priv::kScale), 100);
  EXPECT_EQ(GetI16(r.priv, priv::kPaperkind), 1);
  EXPECT_EQ(GetI16(r.priv, priv::kOriCombo), 100);
  EXPECT_TRUE(CheckPrivateBlock(r.priv));
}

// A copy of a record as bytes of another public size.
std::vector<unsigned char> Sized(const SettingsRecord& r, WORD size, WORD extra) {
  std::vector<unsigned char> bytes(size + extra, 0);
  std::memcpy(bytes.data(), &r.pub, std::min<std::size_t>(size, 220));
  std::memcpy(bytes.data() + size, r.priv, extra);
  auto* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
  dm->dmSize = size;
  dm->dmDriverExtra = extra;
  return bytes;
}

TEST(MergeRecord, PlainApplicationRecordChangesOnlyPublicMembers) {
  Loaded office(kOffice);
  SettingsRecord target = Defaults(office.d);
  SettingsRecord source = Defaults(office.d);
  source.pub.dmCopies = 5;
  source.pub.dmOrientation = 1;
  SetI32(source.priv, priv::kMovex, 77);
  std::vector<unsigned char> plain = Sized(source, 220, 0);
  SettingsRecord before = target;
  ASSERT_TRUE(MergeRecord(target, reinterpret_cast<DEVMODEW*>(plain.data()), office.d));
  EXPECT_EQ(target.pub.dmCopies, 5);
  EXPECT_EQ(target.pub.dmOrientation, 1);
  EXPECT_EQ(std::memcmp(target.priv, before.priv, kPrivateSize), 0);
}

TEST(MergeRecord, ShortRecordWithPrivateBlockIsAligned) {
  Loaded office(kOffice);
  SettingsRecord target = Defaults(office.d);
  SettingsRecord source = Defaults(office.d);
  SetI32(source.priv, priv::kMovex, 77);
  std::vector<unsigned char> bytes = Sized(source, 212, 2200);
  ASSERT_TRUE(MergeRecord(target, reinterpret_cast<DEVMODEW*>(bytes.data()), office.d));
  EXPECT_EQ(GetI32(target.priv, priv::kMovex), 77);
}

TEST(MergeRecord, PublicMembersAreCorrected) {
  struct Case {
    const char* name;
    const char* description;
    void (*set)(DEVMODEW&);
    void (*check)(const DEVMODEW&);
  };
  const Case kCases[] = {
      {"copies 0", kOffice, [](DEVMODEW& dm) { dm.dmCopies = 0; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmCopies, 1); }},
      {"copies 100", kOffice, [](DEVMODEW& dm) { dm.dmCopies = 100; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmCopies, 1); }},
      {"scale 10 on type 3", kRoll, [](DEVMODEW& dm) { dm.dmScale = 10, dm.dmFields |= DM_SCALE; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmScale, 100); }},
      {"scale 400 on type 3", kRoll,
       [](DEVMODEW& dm) { dm.dmScale = 400, dm.dmFields |= DM_SCALE; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmScale, 400); }},
      {"scale 400 on type 4", kOffice,
       [](DEVMODEW& dm) { dm.dmScale = 400, dm.dmFields |= DM_SCALE; },
       [](const DEVMODEW& dm) {
         EXPECT_EQ(dm.dmScale, 400);
         EXPECT_FALSE(dm.dmFields & DM_SCALE);
       }},
      {"orientation 3", kOffice, [](DEVMODEW& dm) { dm.dmOrientation = 3; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmOrientation, 2); }},
      {"resolution not offered", kOffice, [](DEVMODEW& dm) { dm.dmPrintQuality = 1200; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmPrintQuality, 400); }},
      {"resolution offered", kOffice, [](DEVMODEW& dm) { dm.dmPrintQuality = 600; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmPrintQuality, 600); }},
      {"colour on a monochrome printer", kOffice,
       [](DEVMODEW& dm) { dm.dmColor = 2, dm.dmFields |= DM_COLOR; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmColor, 1); }},
      {"duplex 4", kOffice, [](DEVMODEW& dm) { dm.dmDuplex = 4; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmDuplex, 1); }},
      {"duplex 3", kOffice, [](DEVMODEW& dm) { dm.dmDuplex = 3; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmDuplex, 3); }},
      {"duplex on a printer without", kRoll,
       [](DEVMODEW& dm) { dm.dmDuplex = 2, dm.dmFields |= DM_DUPLEX; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmDuplex, 1); }},
      {"collate 2", kOffice, [](DEVMODEW& dm) { dm.dmCollate = 2; },
       [](const DEVMODEW& dm) { EXPECT_EQ(dm.dmCollate, 0); }},
      {"paper accepted clears length and width bits", kOffice,
       [](DEVMODEW& dm) { dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH, dm.dmPaperSize = 9; },
       [](const DEVMODEW& dm) {
         EXPECT_EQ(dm.dmPaperSize, 9);
         EXPECT_FALSE(dm.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH));
       }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Loaded loaded(c.description);
    SettingsRecord target = Defaults(loaded.d);
    SettingsRecord source = Defaults(loaded.d);
    c.set(source.pub);
    ASSERT_TRUE(MergeRecord(target, &source.pub, loaded.d));
    c.check(target.pub);
  }
}

TEST(MergeRecord, RejectedPrivateBlockKeepsDefaults) {
  Loaded office(kOffice);
  for (int density : {11, -1}) {
    SCOPED_TRACE(density);
    SettingsRecord target = Defaults(office.d);
    SettingsRecord source = Defaults(office.d);
    SetI32(source.priv, priv::kMovex, 5);
    SetI32(source.priv, PenOffset(3, priv::kPenDensity), density);
    ASSERT_TRUE(MergeRecord(target, &source.pub, office.d));
    EXPECT_EQ(GetI32(target.priv, priv::kMovex), density == -1 ? 5 : 0);
  }
}

TEST(MergeRecord, RecordOfAnotherDescriptionGetsFreshSelections) {
  Loaded office(kOffice);
  SettingsRecord target = Defaults(office.d);
  SettingsRecord source = Defaults(office.d);
  SetU16(source.priv, priv::kDescStamp, static_cast<std::uint16_t>(office.d.Checksum() + 1));
  SetI32(source.priv, priv::kMovex, 9);
  std::memset(source.priv + priv::kOptionSel, 1, 3);
  ASSERT_TRUE(MergeRecord(target, &source.pub, office.d));
  EXPECT_EQ(GetI32(target.priv, priv::kMovex), 9);
  EXPECT_EQ(GetU16(target.priv, priv::kDescStamp), office.d.Checksum());
  SettingsRecord fresh = Defaults(office.d);
  EXPECT_EQ(std::memcmp(target.priv + priv::kOptionSel, fresh.priv + priv::kOptionSel, 64), 0);
}

TEST(MergeRecord, ShortSourceSuppliesNoMembersPastItsEnd) {
  Loaded office(kOffice);
  SettingsRecord target = Defaults(office.d);
  SettingsRecord source = Defaults(office.d);
  const char16_t form[] = u"A4";
  std::memcpy(source.pub.dmFormName, form, sizeof form);
  std::vector<unsigned char> bytes = Sized(source, 156, 0);  // ends inside dmFormName
  ASSERT_TRUE(MergeRecord(target, reinterpret_cast<DEVMODEW*>(bytes.data()), office.d));
  EXPECT_EQ(std::u16string(target.pub.dmFormName), u"A3");
}

TEST(MergeRecord, OutOfMemoryLeavesTargetUnchanged) {
  Loaded office(kOffice);
  SettingsRecord target = Defaults(office.d);
  SettingsRecord source = Defaults(office.d);
  source.pub.dmCopies = 3;
  SettingsRecord before = target;
  platform::test::FailAllocationAt(1);
  EXPECT_FALSE(MergeRecord(target, &source.pub, office.d));
  EXPECT_EQ(std::memcmp(&target, &before, sizeof target), 0);
  EXPECT_TRUE(MergeRecord(target, nullptr, office.d));
}

TEST(CheckPaper, ReplacesWhatThePrinterCannotTake) {
  struct Case {
    const char* name;
    const char* description;
    int code;
    int expected;
  };
  // A type-3 printer without paper link takes only A0-A4.
  std::string rollNoLink = std::string(kRoll);
  rollNoLink.replace(rollNoLink.find("A61F32E7"), 8, "A61732E7");  // bit 19 off
  const Case kCases[] = {
      {"B1 on a roll printer without paper link", rollNoLink.c_str(), 280, 8},
      {"A0 on a roll printer", rollNoLink.c_str(), 267, 267},
      {"A2 with paper link: not in the description", kRoll, 66, 268},
      {"A0 with paper link", kRoll, 267, 267},
      {"custom size with bit 5", kRoll, 256, 256},
      {"user size with bits 5 and 18", kRoll, 390, 390},
      {"unknown code", kOffice, 1234, 8},
      {"B4 on an office printer", kOffice, 12, 12},
      {"12 x 18 in offered with a size", kOffice, 512, 512},
      {"13 x 19 in offered without a size", kOffice, 513, 8},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Loaded loaded(c.description);
    ASSERT_NE(loaded.block, nullptr);
    SettingsRecord r = Defaults(loaded.d);
    r.pub.dmPaperSize = static_cast<SHORT>(c.code);
    CheckPaper(r, loaded.d);
    EXPECT_EQ(r.pub.dmPaperSize, c.expected);
    if (c.expected != c.code) {
      EXPECT_EQ(std::u16string(r.pub.dmFormName), DefaultPaper(loaded.d).name);
    }
  }
}

TEST(InputSlots, FindByKeyword) {
  Loaded roll(kRoll);
  InputSlotMatch m = FindInputSlot(roll.d, "oll1");
  EXPECT_EQ(m.option, 1);
  EXPECT_EQ(m.bin, 260);
  EXPECT_EQ(FindInputSlot(roll.d, "Tray").option, -1);
}

// Names are cut to 31 characters and always end in a zero; bin numbers that a
// 16-bit dmDefaultSource cannot hold read as 0.
TEST(SetDefaults, NamesAndBinNumbersStayInTheirFields) {
  Loaded office(kOffice);
  SettingsRecord r;
  const std::u16string longName(40, u'P');
  SetDefaults(r, longName.c_str(), office.d);
  EXPECT_EQ(std::u16string(r.pub.dmDeviceName), longName.substr(0, 31));
  SettingsRecord source = Defaults(office.d);
  for (char16_t& c : source.pub.dmFormName) c = u'F';  // no terminator in its 32 characters
  source.pub.dmFields |= DM_FORMNAME;
  ASSERT_TRUE(MergeRecord(r, &source.pub, office.d));
  EXPECT_EQ(std::u16string(r.pub.dmFormName), std::u16string(31, u'F'));

  struct Case {
    const char* translation;
    int bin;
  };
  for (const Case& c :
       {Case{"Tray^32767", 32767}, Case{"Tray^32768", 0}, Case{"Tray^99999999999999999999", 0}}) {
    SCOPED_TRACE(c.translation);
    std::string text = std::string(kOffice) + "*OpenUI *InputSlot: PickOne\n*InputSlot Big/" +
                       c.translation + ": \"None/x\"\n*CloseUI: *InputSlot\n";
    Loaded slots(text.c_str());
    EXPECT_EQ(Defaults(slots.d).pub.dmDefaultSource, c.bin);
    EXPECT_EQ(FindInputSlot(slots.d, "Big").bin, c.bin);
  }
}

// PrinterFunction bit 24: device options are tray masks "prefix/mask,trays/". The
// table stays empty, and the trays of every option whose mask has bit 0 make up
// inputtray; an option that gives no mask or no trays keeps the previous ones.
TEST(SetDefaults, TrayMasksGiveTheInputTrays) {
  Loaded trays(
      "*PrinterType: \"5\"\n*PrinterFunction: \"81192029\"\n*ColorDevice: False\n"
      "*OpenUI *DeviceOption: PickOne\n"
      "*DeviceOption None: \"0x00\"\n"
      "*DeviceOption T1: \"0x70/0x1,0x2/\"\n"  // mask 1: trays 0x2
      "*DeviceOption T2: \"0x70/0x0,0x4/\"\n"  // mask 0: nothing
      "*DeviceOption T3: \"0x61\"\n"           // mask 0 and trays 0x4 carried over
      "*DeviceOption T4: \"0x70/0x1,0x8/\"\n"  // trays 0x8
      "*DeviceOption T5: \"0x61/0x40/\"\n"     // trays 0x40 with the mask 1 of T4
      "*CloseUI: *DeviceOption\n");
  SettingsRecord r = Defaults(trays.d);
  EXPECT_EQ(GetU32(r.priv, priv::kInputtray), 0x2u | 0x8u | 0x40u);
  EXPECT_EQ(GetU32(r.priv, priv::kOptionCount), 0u);
  EXPECT_EQ(GetU16(r.priv, priv::kDeviceFlags), 0x2);  // bit 24 without colour: monochrome
}

// Merge step 5 (PrinterFunction bit 14 with imageprint): the source's print
// quality when it suits the default resolution (400: 400, 300 or 200), else its
// reschange. Without imageprint an unoffered 200 falls back to the default.
TEST(MergeRecord, ImagePrintResolution) {
  Loaded office(kOffice);
  struct Case {
    const char* name;
    bool imageprint;
    short quality;
    short reschange;
    short expected;
  };
  const Case kCases[] = {
      {"200 suits a default of 400", true, 200, 400, 200},
      {"600 does not: reschange", true, 600, 300, 300},
      {"neither suits: step 3's value", true, 600, 600, 600},
      {"no imageprint", false, 200, 300, 400},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    SettingsRecord target = Defaults(office.d);
    SettingsRecord source = Defaults(office.d);
    source.pub.dmPrintQuality = c.quality;
    source.pub.dmFields |= DM_PRINTQUALITY;
    SetU16(source.priv, priv::kPrintOptions,
           static_cast<std::uint16_t>(GetU16(source.priv, priv::kPrintOptions) |
                                      (c.imageprint ? 0x10 : 0)));
    SetI16(source.priv, priv::kReschange, c.reschange);
    ASSERT_TRUE(MergeRecord(target, &source.pub, office.d));
    EXPECT_EQ(target.pub.dmPrintQuality, c.expected);
  }
}

// Merge step 7 (PrinterFunction bit 29 with deviceFlags bit 5): a size given with
// paper code 0 becomes the driver paper within 1 mm.
TEST(MergeRecord, CustomSizeMatchingOnMerge) {
  Loaded roll(kRoll);
  for (bool matching : {true, false}) {
    SCOPED_TRACE(matching);
    SettingsRecord target = Defaults(roll.d);
    SettingsRecord source = Defaults(roll.d);
    source.pub.dmPaperSize = 0;
    source.pub.dmPaperWidth = 2970;
    source.pub.dmPaperLength = 4205;
    source.pub.dmFields |= DM_PAPERSIZE;
    if (matching) {
      SetU16(source.priv, priv::kDeviceFlags,
             static_cast<std::uint16_t>(GetU16(source.priv, priv::kDeviceFlags) | 0x20));
    }
    ASSERT_TRUE(MergeRecord(target, &source.pub, roll.d));
    EXPECT_EQ(target.pub.dmPaperSize, matching ? 8 : 0);
    EXPECT_EQ(target.pub.dmPaperLength, matching ? 4200 : 4205);
    EXPECT_EQ(std::u16string(target.pub.dmFormName), matching ? u"A3" : u"A1");
  }
}

// One row per PageSize option: its translation (else its keyword) and the code the
// paper name table gives it, 8 for a name the table does not know.
TEST(CheckPaper, DescriptionPaperList) {
  std::string text = std::string(kOffice) + "*PageSize Odd/Poster: \"\"\n*PageSize " +
                     std::string(40, 'L') + ": \"\"\n";
  Loaded office(text.c_str());
  std::vector<DescriptionPaper> list = DescriptionPaperList(office.d);
  ASSERT_EQ(list.size(), 6u);
  const std::pair<std::u16string, int> kRows[] = {
      {u"A4", 9},           {u"A3", 8},
      {u"12 x 18 in", 512}, {u"13 x 19 in", 513},
      {u"Poster", 8},       {std::u16string(31, u'L'), 8}};  // at most 31 characters
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list[i].name, kRows[i].first);
    EXPECT_EQ(list[i].code, kRows[i].second);
  }
}

}  // namespace
