// The paper selection command: exact bytes of every model branch, the tray
// command and its size table, on the sample ZQ1 and on small descriptions.
#include "render/core/paper_selection.h"

#include <gtest/gtest.h>

#include <string>

#include "render/core/device_context.h"
#include "render/core/test_printer.h"
#include "render/core/tray_size_table.h"
#include "settings/description_test_util.h"
#include "settings/settings_defaults.h"

namespace {

using namespace render;
using settings::SettingsRecord;
namespace priv = settings::priv;

// A sink that keeps every transfer.
struct RecordingSink {
  std::string bytes;
  static BOOL Transfer(void* context, const void* data, DWORD length, DWORD* written) {
    static_cast<RecordingSink*>(context)->bytes.append(static_cast<const char*>(data), length);
    *written = length;
    return TRUE;
  }
};

// The escape framing of one device command.
std::string Framed(const std::string& text) { return "\x1B\x12" + text + "\x1B\x20"; }
std::string Framed(const std::string& first, const std::string& second) {
  return Framed(first) + Framed(second);
}

void SetYoushi(SettingsRecord& s, const char16_t* name) {
  settings::SetWideText(s.priv, priv::kYoushi, priv::kYoushiChars, name);
}
void SetFormName(SettingsRecord& s, const char16_t* name) {
  std::u16string_view n(name);
  std::fill(std::begin(s.pub.dmFormName), std::end(s.pub.dmFormName), u'\0');
  std::copy(n.begin(), n.end(), s.pub.dmFormName);
}
void SetOption(SettingsRecord& s, std::uint16_t bit, bool on) {
  std::uint16_t v = settings::GetU16(s.priv, priv::kPrintOptions);
  settings::SetU16(s.priv, priv::kPrintOptions,
                   static_cast<std::uint16_t>(on ? (v | bit) : (v & ~bit)));
}

// ---- The sample ZQ1 (model 89), through its device context ----

// Each test installs a printer of its own name.
std::u16string NextPrinterName() {
  static int n = 0;
  std::string name = "ZQ1 paper " + std::to_string(++n);
  return std::u16string(name.begin(), name.end());
}

struct Zq1 : ::testing::Test {
  std::u16string name = NextPrinterName();
  render::testing::TestPrinter printer{"089", name.c_str()};
  render::testing::Enabled e{printer, nullptr};
  RecordingSink sink;
  void SetUp() override {
    ASSERT_NE(e.dc, nullptr);
    e.dc->output.sink = {&RecordingSink::Transfer, &sink};
    ResetOutput(e.dc->output);
  }
  SettingsRecord& s() { return e.dc->settings; }
  std::string Written() {
    WritePaperSelection(*e.dc);
    FlushOutput(e.dc->output);
    return sink.bytes;
  }
};

TEST_F(Zq1, StandardSourceNamesThePaper) {
  s().pub.dmDefaultSource = 7;
  SetYoushi(s(), u"A1");
  EXPECT_EQ(Written(), Framed("5@A1"));
}

TEST_F(Zq1, PaperLinkFreeSizeInMillimetres) {
  s().pub.dmDefaultSource = 7;
  s().pub.dmPaperSize = 256;
  SetYoushi(s(), u"PAPER_LINK");
  settings::SetI16(s().priv, priv::kFreeYoko, 841);
  settings::SetI16(s().priv, priv::kFreeTate, 1189);
  EXPECT_EQ(Written(), Framed("53,841,1189@FRE"));
}

// The ZQ1 has no "MultiTray" slot: its "HandTray" (bin 265) is the tray.
TEST_F(Zq1, HandTrayThenRotation) {
  EXPECT_EQ(settings::GetI16(s().priv, priv::kImagerotate), 1);  // the ZQ1's default
  EXPECT_NE(settings::GetU16(s().priv, priv::kPrintOptions) & settings::kOptPapersizechange, 0);
  s().pub.dmDefaultSource = 265;
  SetYoushi(s(), u"A1");
  EXPECT_EQ(Written(), Framed("52@A1R", "5@CT"));
}

// ---- Small descriptions ----

// A description of the given model and printer type with a hand tray (bin 265)
// and two paper kinds; `extraSlots` adds InputSlot options before the hand tray.
std::string DescriptionText(int model, int type, const std::string& extraSlots = "") {
  return "*NickName: \"KX-M test\"\n"
         "*LanguageLevel: \"" +
         std::to_string(model) +
         "\"\n"
         "*PrinterType: \"" +
         std::to_string(type) +
         "\"\n"
         "*PrinterFunction: \"00000000\"\n"
         "*OpenUI *InputSlot: PickOne\n*DefaultInputSlot: Auto^Auto_0\n"
         "*InputSlot Auto^Auto_0/Auto^7: \"None/\"\n" +
         extraSlots +
         "*InputSlot HandTray^Hand_0/Hand tray^265: \"None/\"\n"
         "*CloseUI: *InputSlot\n"
         "*OpenUI *PaperKind: PickOne\n*DefaultPaperKind: Plain\n"
         "*PaperKind Plain/Plain: \"Plain/\"\n"
         "*PaperKind Thick/Thick: \"Thick/T\"\n"
         "*CloseUI: *PaperKind\n";
}

// A page of a description: the record starts from the description's defaults
// with a standard source, a plain named paper, no option bits and no rotation.
struct Job {
  settings::testing::Block block;
  settings::Description d;
  SettingsRecord s{};
  explicit Job(const std::string& text) : block(settings::testing::Flatten(text)), d(block.get()) {
    EXPECT_NE(block, nullptr);
    settings::SetDefaults(s, u"P", d);
    s.pub.dmDefaultSource = 7;
    s.pub.dmPaperSize = DMPAPER_A3;
    s.pub.dmFields &= ~DM_ORIENTATION;
    SetYoushi(s, u"A3");
    SetFormName(s, u"A3");
    settings::SetU16(s.priv, priv::kPrintOptions, 0);
    settings::SetI16(s.priv, priv::kImagerotate, 0);
    settings::SetI16(s.priv, priv::kPaperkind, 0);
  }
  Job(int model, int type) : Job(DescriptionText(model, type)) {}
  void Tray(const char16_t* youshi) {
    s.pub.dmDefaultSource = 265;
    SetYoushi(s, youshi);
    SetOption(s, settings::kOptPapersizechange, true);
  }
  std::string Written() {
    RecordingSink sink;
    OutputChannel out;
    out.sink = {&RecordingSink::Transfer, &sink};
    ResetOutput(out);
    WritePaperSelection(s, d, out);
    FlushOutput(out);
    return sink.bytes;
  }
};

// Model 89 with a multi-purpose tray at bin 259 besides the hand tray.
std::string Model89WithMultiTray() {
  return DescriptionText(89, 3, "*InputSlot MultiTray^Hand_0/Multi tray^259: \"None/\"\n");
}

TEST(PaperSelection, Model89TrayCodes) {
  struct Case {
    const char* name;
    const char16_t* page;
    bool directionside;
    int imagerotate;
    std::string bytes;
  };
  const Case kCases[] = {
      {"A1, row 1: turned", u"A1", false, 1, Framed("52@A1R", "5@CT")},
      {"A1 with directionside", u"A1", true, 1, Framed("52@A1", "5@CT")},
      {"A1 without rotation", u"A1", false, 0, Framed("52@A1R")},
      {"A0, row 0: turned either way", u"A0", false, 0, Framed("52@A0R")},
      {"A0 with directionside", u"A0", true, 0, Framed("52@A0R")},
      {"B1 beyond row 32", u"B1", false, 0, Framed("52@B1R")},
      {"A5: no eligible row", u"A5", false, 1, Framed("5@CT")},
      {"unknown name", u"Letter", false, 0, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Job job(Model89WithMultiTray());
    job.Tray(c.page);
    job.s.pub.dmDefaultSource = 259;
    SetOption(job.s, settings::kOptDirectionside, c.directionside);
    settings::SetI16(job.s.priv, priv::kImagerotate, static_cast<std::int16_t>(c.imagerotate));
    EXPECT_EQ(job.Written(), c.bytes);
  }
}

// Only the first tray name the printer has counts, and only with papersizechange.
TEST(PaperSelection, HandTrayConditions) {
  Job multi(Model89WithMultiTray());
  multi.Tray(u"A1");  // the hand tray's bin, but "MultiTray" comes first
  EXPECT_EQ(multi.Written(), "");

  Job hand(89, 3);
  hand.Tray(u"A1");
  EXPECT_EQ(hand.Written(), Framed("52@A1R"));
  SetOption(hand.s, settings::kOptPapersizechange, false);
  EXPECT_EQ(hand.Written(), "");
  SetOption(hand.s, settings::kOptPapersizechange, true);
  hand.s.pub.dmDefaultSource = 300;  // no slot of that bin
  EXPECT_EQ(hand.Written(), "");

  // With paper link the page name is the form name.
  hand.s.pub.dmDefaultSource = 265;
  SetYoushi(hand.s, u"PAPER_LINK");
  SetFormName(hand.s, u"A2");
  hand.s.pub.dmPaperSize = 66;
  EXPECT_EQ(hand.Written(), Framed("52@A2R"));
}

// One row per model branch and per rule inside it; the expected texts follow
// from the branch, the model's pattern and its suffix.
TEST(PaperSelection, ModelBranches) {
  struct Case {
    const char* name;
    int model;
    int type;
    void (*set)(Job&);
    std::string bytes;
  };
  const Case kCases[] = {
      // Models 5, 8, 9, 16, 89, 97, 98, 101-104.
      {"5: standard name", 5, 4, [](Job&) {}, Framed("5@A3")},
      {"5: user size in millimetres", 5, 4,
       [](Job& j) {
         SetYoushi(j.s, u"USER1");
         settings::SetI16(j.s.priv, priv::kFreeYousiy, 300);
         settings::SetI16(j.s.priv, priv::kFreeYousit, 400);
       },
       Framed("53,300,400@FRE")},
      {"5: paper link, user code 384", 5, 4,
       [](Job& j) {
         SetYoushi(j.s, u"PAPER_LINK");
         j.s.pub.dmPaperSize = 384;
         settings::SetI16(j.s.priv, priv::kFreeYoko, 500);
         settings::SetI16(j.s.priv, priv::kFreeTate, 700);
       },
       Framed("53,500,700@FRE")},
      {"5: paper link A1 not orderable on type 4", 5, 4,
       [](Job& j) {
         SetYoushi(j.s, u"PAPER_LINK");
         SetFormName(j.s, u"A1");
         j.s.pub.dmPaperSize = 268;
       },
       ""},
      {"5: paper link A1 orderable on type 3", 5, 3,
       [](Job& j) {
         SetYoushi(j.s, u"PAPER_LINK");
         SetFormName(j.s, u"A1");
         j.s.pub.dmPaperSize = 268;
       },
       Framed("5@A1")},
      {"8: paper link A4 on type 8", 8, 8,
       [](Job& j) {
         SetYoushi(j.s, u"PAPER_LINK");
         SetFormName(j.s, u"A4");
         j.s.pub.dmPaperSize = DMPAPER_A4;
       },
       Framed("5@A4")},
      {"103: tray on user size: rotation only", 103, 5,
       [](Job& j) {
         j.Tray(u"USER2");
         settings::SetI16(j.s.priv, priv::kImagerotate, 1);
       },
       Framed("5@CT")},
      {"9: tray A4, row 13", 9, 4, [](Job& j) { j.Tray(u"A4"); }, Framed("52@A4R")},
      // Models 6, 7, 11, 12, 15, 17-28, 90-96.
      {"12: standard name and kind", 12, 4,
       [](Job& j) { settings::SetI16(j.s.priv, priv::kPaperkind, 1); }, Framed("5@A3Thick/T")},
      {"12: tray with kind suffix, no rotation", 12, 4,
       [](Job& j) {
         j.Tray(u"A4");
         settings::SetI16(j.s.priv, priv::kPaperkind, 1);
         settings::SetI16(j.s.priv, priv::kImagerotate, 1);
       },
       Framed("52@A4RThick/T")},
      {"6: tray without suffix", 6, 4, [](Job& j) { j.Tray(u"A4"); }, Framed("52@A4R")},
      {"95: paper link A2 not orderable", 95, 2,
       [](Job& j) {
         SetYoushi(j.s, u"PAPER_LINK");
         SetFormName(j.s, u"A2");
         j.s.pub.dmPaperSize = 66;
       },
       ""},
      // Models 10, 14, 87, 88, 99, 100.
      {"99: standard name and kind", 99, 4, [](Job&) {}, Framed("5@A3Plain/")},
      {"99: user size: nothing", 99, 4, [](Job& j) { SetYoushi(j.s, u"OSUSER"); }, ""},
      {"99: tray A3 with directionside, suffix, rotation", 99, 4,
       [](Job& j) {
         j.Tray(u"A3");
         SetOption(j.s, settings::kOptDirectionside, true);
         settings::SetI16(j.s.priv, priv::kImagerotate, 1);
       },
       Framed("52@A3Plain/", "5@CT")},
      {"10: tray A2, row 6", 10, 4, [](Job& j) { j.Tray(u"A2"); }, Framed("52@A2R")},
      // Models 29-36, 39, 43, 49, 50, 56, 57, 62.
      {"30: standard name without kind", 30, 4,
       [](Job& j) { settings::SetI16(j.s.priv, priv::kPaperkind, 1); }, Framed("5@A3")},
      {"30: tray: nothing", 30, 4, [](Job& j) { j.Tray(u"A3"); }, ""},
      // Models 37 and 51.
      {"37: standard name", 37, 4, [](Job&) {}, Framed("5@A3")},
      {"37: standard free size: nothing", 37, 4, [](Job& j) { j.s.pub.dmPaperSize = 256; }, ""},
      {"37: tray free size, portrait, wider than high", 37, 4,
       [](Job& j) {
         j.Tray(u"A3");
         j.s.pub.dmPaperSize = 256;
         j.s.pub.dmFields |= DM_ORIENTATION;
         j.s.pub.dmOrientation = 1;
         settings::SetI16(j.s.priv, priv::kFreeTate, 500);
         settings::SetI16(j.s.priv, priv::kFreeYoko, 600);
       },
       Framed("5@CT")},
      {"51: tray A2, row 7, rotation", 51, 4,
       [](Job& j) {
         j.Tray(u"A2");
         settings::SetI16(j.s.priv, priv::kImagerotate, 1);
       },
       Framed("52@A2R", "5@CT")},
      // Models 44, 45, 59, 60.
      {"44: standard name", 44, 8, [](Job&) {}, Framed("5@A3")},
      {"59: tray free size, landscape, square", 59, 8,
       [](Job& j) {
         j.Tray(u"A3");
         j.s.pub.dmPaperSize = 256;
         j.s.pub.dmFields |= DM_ORIENTATION;
         j.s.pub.dmOrientation = 2;
         settings::SetI16(j.s.priv, priv::kFreeTate, 600);
         settings::SetI16(j.s.priv, priv::kFreeYoko, 600);
       },
       Framed("5@CT")},
      {"59: tray free size, landscape, wider: nothing", 59, 8,
       [](Job& j) {
         j.Tray(u"A3");
         j.s.pub.dmPaperSize = 256;
         j.s.pub.dmFields |= DM_ORIENTATION;
         j.s.pub.dmOrientation = 2;
         settings::SetI16(j.s.priv, priv::kFreeTate, 500);
         settings::SetI16(j.s.priv, priv::kFreeYoko, 600);
       },
       ""},
      {"45: tray free size without orientation bit: nothing", 45, 8,
       [](Job& j) {
         j.Tray(u"A3");
         j.s.pub.dmPaperSize = 256;
         settings::SetI16(j.s.priv, priv::kFreeTate, 500);
         settings::SetI16(j.s.priv, priv::kFreeYoko, 600);
       },
       ""},
      {"60: tray A3, row 9", 60, 8, [](Job& j) { j.Tray(u"A3"); }, Framed("52@A3R")},
      // Every other model.
      {"2: standard name and kind", 2, 4,
       [](Job& j) { settings::SetI16(j.s.priv, priv::kPaperkind, 1); }, Framed("5@A3Thick/T")},
      {"2: tray, no suffix, no rotation", 2, 4,
       [](Job& j) {
         j.Tray(u"A4");
         settings::SetI16(j.s.priv, priv::kImagerotate, 1);
       },
       Framed("52@A4R")},
      {"2: paper kind out of range: no text", 2, 4,
       [](Job& j) { settings::SetI16(j.s.priv, priv::kPaperkind, 7); }, Framed("5@A3")},
      // Outside the model numbers.
      {"0: nothing", 0, 4, [](Job&) {}, ""},
      {"105: nothing", 105, 4, [](Job&) {}, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Job job(c.model, c.type);
    c.set(job);
    EXPECT_EQ(job.Written(), c.bytes);
  }
}

// ---- The tray-size table ----

TEST(TraySizeTable, PatternRowsAndCodes) {
  const SelectionPattern& zq1 = SelectionPatternOf(89);
  EXPECT_EQ(zq1.rows.size(), 39u);
  EXPECT_FALSE(zq1.kindSuffix);
  EXPECT_STREQ(TrayCode(zq1, "B2", false), "B2R");  // row 37
  EXPECT_STREQ(TrayCode(zq1, "B2", true), "B2");
  EXPECT_STREQ(TrayCode(zq1, "B4", true), "B4R");  // row 24
  EXPECT_EQ(TrayCode(zq1, "A5", false), nullptr);
  EXPECT_EQ(TrayCode(zq1, "a1", false), nullptr);  // names compare exactly
  EXPECT_TRUE(SelectionPatternOf(90).kindSuffix);
  EXPECT_TRUE(SelectionPatternOf(100).kindSuffix);
  EXPECT_FALSE(SelectionPatternOf(7).kindSuffix);
  // Model 99 offers A6 at row 0 of the size, model 14 at row 1.
  EXPECT_STREQ(TrayCode(SelectionPatternOf(99), "A6", true), "A6R");
  EXPECT_STREQ(TrayCode(SelectionPatternOf(14), "A6", true), "A6");
}

// A pattern shorter than the table makes its missing rows ineligible; one longer
// than the table reads no row beyond it.
TEST(TraySizeTable, RowsBeyondThePattern) {
  const std::string ones(45, '1');
  SelectionPattern short33{std::string_view(ones).substr(0, 33), false};
  EXPECT_STREQ(TrayCode(short33, "B6", false), "B6R");  // row 30
  EXPECT_EQ(TrayCode(short33, "B1", false), nullptr);   // row 33
  EXPECT_EQ(TrayCode(short33, "B2", false), nullptr);
  EXPECT_EQ(TrayCode(SelectionPatternOf(8), "B1", false), nullptr);
  SelectionPattern long45{ones, false};
  EXPECT_STREQ(TrayCode(long45, "B2", true), "B2R");
  EXPECT_EQ(TrayCode(long45, "C0", false), nullptr);
  SelectionPattern empty{"", false};
  EXPECT_EQ(TrayCode(empty, "A0", false), nullptr);
}

}  // namespace
