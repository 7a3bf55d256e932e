// The feature blocks of a settings reset in the middle of a document: the manual
// feed switched on and off across resets, the input slot chosen by the source,
// the page region, and the block DrvEndDoc writes when the switch is still on.
#include <gtest/gtest.h>

#include <memory>

#include "render/jobcontrol/device_commands.h"
#include "render/jobcontrol/job_test_support.h"
#include "settings/sticky_data.h"

namespace {

using namespace render;
using namespace render::testing;

std::string Block(const std::string& selection, const std::string& invocation) {
  return "[{\n%%BeginFeature: *" + selection + invocation +
         "\n%%EndFeature\n} stopped cleartomark\n";
}

// An application's record that asks only for a paper source.
DEVMODEW Source(short source) {
  DEVMODEW dm{};
  dm.dmSpecVersion = 0x401;
  dm.dmSize = 220;
  dm.dmFields = DM_DEFAULTSOURCE;
  dm.dmDefaultSource = source;
  return dm;
}

const std::string kA1Region =
    Block("PageRegion A1\n", "<</PageSize[1684 2384]/ImagingBBox null>>setpagedevice");

// A job on the ZQ1 whose settings are reset between its pages.
struct ResetJob {
  const TestPrinter& printer;
  std::vector<std::unique_ptr<RecordedJob>> contexts;
  std::vector<std::unique_ptr<SurfaceFor>> surfaces;
  explicit ResetJob(const TestPrinter& p) : printer(p) {
    Add(nullptr);
    EXPECT_TRUE(DrvStartDoc(&Surface(), nullptr, 0));
    Page();
  }
  void Add(DEVMODEW* settings) {
    contexts.push_back(std::make_unique<RecordedJob>(printer, settings));
    surfaces.push_back(std::make_unique<SurfaceFor>(contexts.back()->e));
  }
  SURFOBJ& Surface() { return surfaces.back()->so; }
  RecordedJob& Current() { return *contexts.back(); }
  std::string Page() {
    EXPECT_TRUE(DrvStartPage(&Surface()));
    std::string start = Current().Take();
    EXPECT_TRUE(DrvSendPage(&Surface()));
    Current().Take();
    return start;
  }
  // A reset to new settings, then the next page: what the page start wrote.
  std::string ResetAndPage(short source) {
    DEVMODEW dm = Source(source);
    RecordedJob& before = Current();
    Add(&dm);
    EXPECT_TRUE(DrvResetPDEV(before.e.pdev(), Current().e.pdev()));
    EXPECT_TRUE(DrvStartDoc(&Surface(), nullptr, 0));
    return Page();
  }
  std::string End() {
    EXPECT_TRUE(DrvEndDoc(&Surface(), 0));
    return Current().Take();
  }
};

TEST(ResetPageSetup, ManualFeedAcrossResets) {
  TestPrinter printer("089", u"ZQ1 resets");
  {
    ResetJob job(printer);
    // Source 4 is the manual feed: its block, then the page region.
    std::string page = job.ResetAndPage(4);
    std::string manualOn = Block("ManualFeed True\n", "MS-1,24,5;");
    EXPECT_EQ(page.substr(0, manualOn.size() + kA1Region.size()), manualOn + kA1Region);
    // Back to a tray: the manual feed goes off first; source 7 is the first slot.
    page = job.ResetAndPage(7);
    std::string expected = Block("ManualFeed False\n", "") +
                           Block("InputSlot AutoSelect^Auto_0\n", "None/MS-1,24,0;") + kA1Region;
    EXPECT_EQ(page.substr(0, expected.size()), expected);
    // The switch is off: the end of the document writes no block of its own.
    std::string end = job.End();
    EXPECT_EQ(end.find("ManualFeed"), std::string::npos);
  }
  {
    ResetJob job(printer);
    job.ResetAndPage(6);
    std::string end = job.End();
    std::string manualOff = Block("ManualFeed False\n", "");
    ASSERT_GE(end.size(), manualOff.size());
    EXPECT_EQ(end.substr(end.size() - manualOff.size()), manualOff);
  }
}

TEST(ResetPageSetup, SourceSevenIsTheFirstSlot) {
  // A ZQ1 whose first slot is numbered 300 and whose automatic slot comes later.
  TestPrinter printer(
      SampleCopy("089", "FIRSTSLOT",
                 {{"*InputSlot AutoSelect", "*InputSlot First^Role_9/First^300: \"None/FIRST\""},
                  {"*InputSlot HandTray", "*InputSlot Later^Auto_1/Later^7: \"None/LATER\""}}),
      u"ZQ1 first slot", "KX-M089");
  ResetJob job(printer);
  std::string page = job.ResetAndPage(7);
  std::string slot = Block("InputSlot First^Role_9\n", "None/FIRST");
  EXPECT_EQ(page.substr(0, slot.size()), slot);
  // 256 is the second slot; the last number of the range finds none (page size then).
  page = job.ResetAndPage(256);
  slot = Block("InputSlot Roll1^Role_1\n", "Role1/MS-1,24,1;MS-1,25,1;");
  EXPECT_EQ(page.substr(0, slot.size()), slot);
  page = job.ResetAndPage(255 + 6);
  std::string size =
      Block("PageSize A1\n", "<</PageSize[1684 2384]/ImagingBBox null>>setpagedevice");
  EXPECT_EQ(page.substr(0, size.size()), size);
}

// The spooler's form-to-tray table: tray, form, a third text, a flag each.
struct TrayEntry {
  std::u16string tray, form;
  std::uint16_t flag;
};
std::vector<unsigned char> TrayFormTable(const std::vector<TrayEntry>& entries) {
  std::vector<unsigned char> t(2, 0);
  auto put16 = [&](std::uint16_t v) {
    t.push_back(static_cast<unsigned char>(v & 0xFF));
    t.push_back(static_cast<unsigned char>(v >> 8));
  };
  auto text = [&](const std::u16string& s) {
    for (char16_t c : s) put16(c);
    put16(0);
  };
  for (const TrayEntry& e : entries) {
    text(e.tray);
    text(e.form);
    text(u"");
    put16(e.flag);
  }
  put16(0);
  t[0] = static_cast<unsigned char>(t.size() & 0xFF);
  t[1] = static_cast<unsigned char>(t.size() >> 8);
  return t;
}

TEST(ResetPageSetup, SourceFifteenFollowsTheFormToTrayTable) {
  TestPrinter printer("089", u"ZQ1 tray table");
  // An entry out of force is passed over; the first one in force for A1 decides.
  std::vector<unsigned char> table = TrayFormTable(
      {{u"Roll2^Role_2", u"A1", 0}, {u"CutSheet^Role_3", u"A1", 1}, {u"Manual Feed", u"A1", 1}});
  ASSERT_TRUE(
      settings::WriteTrayFormTable(printer.handle, table.data(), static_cast<DWORD>(table.size())));
  ResetJob job(printer);
  std::string page = job.ResetAndPage(15);
  std::string expected = Block("InputSlot CutSheet^Role_3\n", "None/MS-1,24,4;") + kA1Region;
  EXPECT_EQ(page.substr(0, expected.size()), expected);
  table = TrayFormTable({{u"Manual Feed", u"A1", 1}});
  ASSERT_TRUE(
      settings::WriteTrayFormTable(printer.handle, table.data(), static_cast<DWORD>(table.size())));
  page = job.ResetAndPage(7);  // another source, so that the next reset sets up the page
  page = job.ResetAndPage(15);
  expected = Block("ManualFeed True\n", "MS-1,24,5;") + kA1Region;
  EXPECT_EQ(page.substr(0, expected.size()), expected);
}

}  // namespace
