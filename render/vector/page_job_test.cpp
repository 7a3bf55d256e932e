// Empty pages through the engine: a two-page job on the ZQ1 gives, for each page,
// the paper selection, the set-up block and the page end, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "render/core/test_printer.h"

namespace {

using render::testing::TestPrinter;

// Runs a job of two empty pages and returns the bytes the printer received.
std::string TwoEmptyPages(const TestPrinter& printer, const DEVMODEW* settings) {
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, settings);
    EXPECT_NE(dc, nullptr) << GetLastError();
    if (dc) {
      EXPECT_TRUE(dc->StartDocument(u"Two empty pages"));
      for (int page = 0; page < 2; ++page) {
        EXPECT_TRUE(dc->StartPage());
        EXPECT_TRUE(dc->EndPage());
      }
      EXPECT_TRUE(dc->EndDocument());
    }
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  EXPECT_EQ(jobs.size(), 1u);
  if (jobs.empty()) return {};
  return std::string(jobs[0].bytes.begin(), jobs[0].bytes.end());
}

std::size_t Count(const std::string& bytes, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = bytes.find(piece); at != std::string::npos;
       at = bytes.find(piece, at + piece.size())) {
    ++n;
  }
  return n;
}

// The page part of the ZQ1's defaults: A1 from the automatic source (bin 7, a
// standard source) with paper link, on a roll printer that takes every size: the
// paper selection names the form, "5@A1", framed by 1B 12 and 1B 20. Then the
// set-up block (A1 at 600 dpi: R 23366, B 33187 plotter units, 13798 and 19598
// pixels; model 89 plots (B, R) whatever the orientation) and "PG;".
std::string ExpectedPage(const std::string& scaling) {
  return std::string("\x1B\x12") + "5@A1" + "\x1B\x20" +  // paper selection
         "\x1B%0BIN;BP2,1;" + "NP256" + "PS33187,23366;" + "IP23366,33187,0,0;" +
         "IW23366,33187,0,0;" + scaling + "TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;" +
         // PrinterType 3, colour mode 2: pens 0 to 7 at density 10, pens 8 to 15
         // without colour, black text on pen 30; no line attributes (penatt 0).
         "PC0,0,0,0;PC1,0,0,0;PC2,0,0,0;PC3,0,0,0;PC4,0,0,0;PC5,0,0,0;PC6,0,0,0;PC7,0,0,0;" +
         "PC30,0,0,0;" + "\x1B%1A\x1B*v1N\x1B%0B" +  // raster language: opaque source
         "PG;";
}

void ExpectTwoPages(const std::string& bytes, const std::string& page) {
  std::size_t first = bytes.find(page);
  ASSERT_NE(first, std::string::npos) << "no page of the expected bytes in the job";
  EXPECT_EQ(bytes.compare(first + page.size(), page.size(), page), 0)
      << "the second page does not follow the first";
  EXPECT_EQ(Count(bytes, "\x1B%0BIN;"), 2u);
  EXPECT_EQ(Count(bytes, "PG;"), 2u);
}

TEST(PageJob, TwoPortraitPagesOnTheZQ1) {
  TestPrinter printer("089", u"ZQ1 portrait job");
  // An application's plain record that asks for portrait only.
  DEVMODEW portrait{};
  portrait.dmSize = 220;
  portrait.dmSpecVersion = 0x401;
  portrait.dmFields = DM_ORIENTATION;
  portrait.dmOrientation = 1;
  ExpectTwoPages(TwoEmptyPages(printer, &portrait), ExpectedPage("SC13798,0,0,19598;RO90;"));
}

TEST(PageJob, TwoLandscapePagesOnTheZQ1) {
  TestPrinter printer("089", u"ZQ1 landscape job");
  // Landscape on a PrinterType 3 printer: user x runs against plotter x, no turn.
  ExpectTwoPages(TwoEmptyPages(printer, nullptr), ExpectedPage("SC0,13798,19598,0;"));
}

}  // namespace
