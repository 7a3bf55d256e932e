// The capability answers for the sample printers, through the export as
// applications call it.
#include "ui/host/device_capabilities.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_root.h"
#include "ui/host/test_printer.h"

static bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

namespace {

// A sample printer asked through the export.
struct Printer : ui::testing::TestPrinter {
  using TestPrinter::TestPrinter;
  DWORD Ask(WORD capability, void* output = nullptr) {
    return DrvDeviceCapabilities(handle, name.data(), capability, output, nullptr);
  }
};

std::vector<WORD> Papers(Printer& p) {
  std::vector<WORD> codes(p.Ask(DC_PAPERS));
  EXPECT_EQ(p.Ask(DC_PAPERS, codes.data()), codes.size());
  return codes;
}
std::vector<POINT> PaperSizes(Printer& p) {
  std::vector<POINT> sizes(p.Ask(DC_PAPERSIZE));
  EXPECT_EQ(p.Ask(DC_PAPERSIZE, sizes.data()), sizes.size());
  return sizes;
}
std::vector<std::u16string> PaperNames(Printer& p) {
  DWORD count = p.Ask(DC_PAPERNAMES);
  std::vector<WCHAR> columns(count * kPaperNameChars, u'x');
  EXPECT_EQ(p.Ask(DC_PAPERNAMES, columns.data()), count);
  std::vector<std::u16string> names;
  for (DWORD i = 0; i < count; ++i) {
    const WCHAR* column = columns.data() + i * kPaperNameChars;
    EXPECT_EQ(column[kPaperNameChars - 1], u'\0');
    names.emplace_back(column);
  }
  return names;
}

// Type 4 without its own paper list: only the allowed names (B5 is not one), in
// description order, then the free size (bit 5 without bit 13; the description
// has no FreeSize, so its size is zero). Sizes are 24.8 points to micrometres,
// cut to millimetres: A4's 595 points are 209.9 mm, so 2090.
TEST(DeviceCapabilities, PaperListOfAllowedNames) {
  Printer p("012", u"caps 012");
  EXPECT_EQ(Papers(p), (std::vector<WORD>{8, 9, 12, 256}));
  EXPECT_EQ(PaperSizes(p), (std::vector<POINT>{{2970, 4200}, {2090, 2970}, {2570, 3640}, {0, 0}}));
  EXPECT_EQ(PaperNames(p), (std::vector<std::u16string>{u"A3", u"A4", u"B4", u"不定形ｻｲｽﾞ..."}));
  // The driver papers that match a PageSize option: A3, A4, B4 and B5.
  EXPECT_EQ(p.Ask(DC_MINEXTENT), 1820u | 2570u << 16);
  EXPECT_EQ(p.Ask(DC_MAXEXTENT), 2970u | 4200u << 16);
  EXPECT_EQ(p.Ask(DC_COLORDEVICE), 0u);
}

// With its own paper list every PageSize option is listed; the inch papers keep
// their micrometres (864 points = 304.8 mm).
TEST(DeviceCapabilities, PaperListOfDescription) {
  Printer p("095", u"caps 095");
  std::vector<WORD> codes = Papers(p);
  std::vector<std::u16string> names = PaperNames(p);
  ASSERT_EQ(codes.size(), names.size());
  EXPECT_EQ(codes, (std::vector<WORD>{8, 9, 11, 12, 13, 512, 513}));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"A3", u"A4", u"A5", u"B4", u"B5", u"12 x 18 in",
                                                u"13 x 19 in"}));
  EXPECT_EQ(PaperSizes(p)[5], (POINT{3048, 4572}));
  EXPECT_EQ(p.Ask(DC_ORIENTATION), 90u);  // LandscapeOrientation "Any"
  EXPECT_EQ(p.Ask(DC_PRINTRATE), 35u);
  EXPECT_EQ(p.Ask(DC_PRINTRATEPPM), 35u);
  EXPECT_EQ(p.Ask(DC_COLORDEVICE), 1u);
}

// A0 is 3,370 points long: 862,720 as 24.8, whose product with 25,400 needs
// 64 bits. The roll printer adds the free size and ten user sizes (500 mm square
// when none is stored).
TEST(DeviceCapabilities, LargePapersAndUserSizes) {
  Printer p("089", u"caps 089");
  std::vector<WORD> codes = Papers(p);
  std::vector<POINT> sizes = PaperSizes(p);
  std::vector<std::u16string> names = PaperNames(p);
  ASSERT_EQ(codes.size(), 16u);
  EXPECT_EQ(sizes[0], (POINT{8410, 11880}));
  EXPECT_EQ(codes[5], 256);
  for (int n = 0; n < 10; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(codes[6 + n], 384 + n);
    EXPECT_EQ(sizes[6 + n], (POINT{5000, 5000}));
  }
  EXPECT_EQ(names[6], u"不定形ｻｲｽﾞ1");
  EXPECT_EQ(names[15], u"不定形ｻｲｽﾞ10");
}

TEST(DeviceCapabilities, Bins) {
  Printer p("012", u"caps bins");
  std::vector<WORD> bins(p.Ask(DC_BINS));
  EXPECT_EQ(p.Ask(DC_BINS, bins.data()), 3u);
  EXPECT_EQ(bins, (std::vector<WORD>{7, 257, 259}));
  std::vector<WCHAR> names(3 * kBinNameChars, u'x');
  EXPECT_EQ(p.Ask(DC_BINNAMES, names.data()), 3u);
  for (int i = 0; i < 3; ++i) {
    std::u16string name(names.data() + i * kBinNameChars);
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find(u'^'), std::u16string::npos);
  }
}

// A display name longer than its column is cut to 23 characters and
// terminated; the next column is untouched by it.
TEST(DeviceCapabilities, LongBinNameStaysInItsColumn) {
  std::ifstream in(qxtest::SourceDir() + "/printers/KX-M012.ppd", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string ppd = text.str();
  std::size_t at = ppd.find("*InputSlot Tray1^Role_1/");
  ASSERT_NE(at, std::string::npos);
  at += std::string_view("*InputSlot Tray1^Role_1/").size();
  ppd.replace(at, ppd.find("^257", at) - at, "Tray with a very long name indeed");
  std::string file = qxtest::MakeTempDir("caps-bins") + "/KX-LONGBIN.ppd";
  std::ofstream(file, std::ios::binary) << ppd;
  Printer p(file, u"caps long bin");
  std::vector<WCHAR> names(3 * kBinNameChars, u'x');
  ASSERT_EQ(p.Ask(DC_BINNAMES, names.data()), 3u);
  EXPECT_EQ(std::u16string(names.data() + kBinNameChars), u"Tray with a very long n");
  EXPECT_EQ(names[2 * kBinNameChars - 1], u'\0');
}

TEST(DeviceCapabilities, Resolutions) {
  Printer p("012", u"caps dpi");
  LONG pairs[6] = {};
  EXPECT_EQ(p.Ask(DC_ENUMRESOLUTIONS), 3u);
  EXPECT_EQ(p.Ask(DC_ENUMRESOLUTIONS, pairs), 3u);
  EXPECT_EQ(std::vector<LONG>(pairs, pairs + 6), (std::vector<LONG>{300, 300, 400, 400, 600, 600}));

  // Keywords that are no numbers: one pair of the default resolution.
  std::ifstream in(qxtest::SourceDir() + "/printers/KX-M012.ppd", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string ppd = text.str();
  for (const char* from : {"*Resolution 300dpi", "*Resolution 400dpi", "*Resolution 600dpi"}) {
    std::size_t at = ppd.find(from);
    ASSERT_NE(at, std::string::npos);
    ppd.replace(at, std::string_view(from).size(), std::string("*Resolution Fine") + from[12]);
  }
  std::string file = qxtest::MakeTempDir("caps-dpi") + "/KX-WORDS.ppd";
  std::ofstream(file, std::ios::binary) << ppd;
  Printer words(file, u"caps dpi words");
  LONG pair[2] = {};
  EXPECT_EQ(words.Ask(DC_ENUMRESOLUTIONS, pair), 1u);
  EXPECT_EQ(pair[0], 400);
  EXPECT_EQ(pair[1], 400);
}

// The sample description turns landscape by minus 90 degrees: 270.
TEST(DeviceCapabilities, FixedAnswers) {
  Printer p("012", u"caps fixed");
  struct Case {
    WORD index;
    DWORD answer;
  };
  const Case kCases[] = {
      {DC_DUPLEX, 0},        {DC_SIZE, 220},     {DC_EXTRA, 2200},      {DC_VERSION, 0x401},
      {DC_DRIVER, 0x400},    {DC_COPIES, 99},    {DC_PRINTRATEUNIT, 1}, {DC_STAPLE, 0},
      {DC_ORIENTATION, 270}, {DC_COLLATE, ~0u},  {DC_PRINTERMEM, ~0u},  {0, ~0u},
      {DC_NUP + 1, ~0u},     {DC_MEDIAREADY, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(p.Ask(c.index), c.answer);
  }
  WCHAR personality[32];
  std::fill(std::begin(personality), std::end(personality), u'x');
  EXPECT_EQ(p.Ask(DC_PERSONALITY, personality), 1u);
  EXPECT_EQ(std::u16string(personality), u"KX-GL/2");
  DWORD nup = 0;
  EXPECT_EQ(p.Ask(DC_NUP, &nup), 1u);
  EXPECT_EQ(nup, 1u);
  WCHAR dependencies[4] = {u'x', u'x'};
  EXPECT_EQ(p.Ask(DC_FILEDEPENDENCIES, dependencies), 0u);
  EXPECT_EQ(dependencies[0], u'\0');
  EXPECT_EQ(DrvDeviceCapabilities(nullptr, nullptr, DC_SIZE, nullptr, nullptr), ~0u);
}

}  // namespace
