// Printer-sticky data over the spooler's printer data: read, derived, written.
#include "settings/sticky_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/memory.h"
#include "platform/base/system.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "settings/byte_order.h"
#include "settings/description_test_util.h"

namespace {

using namespace settings;
using settings::testing::Block;
using settings::testing::Flatten;

constexpr char kDescription[] =
    "*FreeVM: \"4194304\"\n"
    "*SuggestedJobTimeout: \"30\"\n"
    "*OpenGroup: InstallableOptions\n"
    "*OpenUI *Unit: Boolean\n*DefaultUnit: True\n*Unit True: \"\"\n*Unit False: \"\"\n*CloseUI: "
    "*Unit\n"
    "*CloseGroup: InstallableOptions\n";

// A printer of its own for each test, opened for administration.
struct Printer {
  std::u16string name;
  HANDLE handle = nullptr;
  explicit Printer(const char16_t* n) : name(n) {
    platform::PrinterRecord record;
    record.name = name;
    record.portName = u"-";
    EXPECT_TRUE(platform::AddPrinter(record));
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(name.c_str(), &handle, &defaults));
  }
  ~Printer() { ClosePrinter(handle); }
  void Set(const char16_t* value, DWORD type, const void* bytes, DWORD size) {
    EXPECT_EQ(SetPrinterDataW(handle, value, type, static_cast<const BYTE*>(bytes), size),
              ERROR_SUCCESS);
  }
  void SetDword(const char16_t* value, DWORD v) { Set(value, REG_DWORD, &v, 4); }
};

struct Record {
  StickyRecord r;
  explicit Record(StickyRecord record) : r(record) {}
  ~Record() { GlobalFree(r.data); }
  std::uint32_t U32(std::size_t at) const { return LoadU32(r.data + at); }
  std::uint16_t U16(std::size_t at) const { return LoadU16(r.data + at); }
};

TEST(StickyData, DerivedWithoutPrinterData) {
  Block block = Flatten(kDescription);
  Description d(block.get());
  Printer p(u"derived");
  Record r(ReadStickyRecord(p.handle, d));
  ASSERT_NE(r.r.data, nullptr);
  EXPECT_TRUE(r.r.derived);
  EXPECT_EQ(r.U16(sticky::kVersion), 1024);
  EXPECT_EQ(r.U16(sticky::kSize), 108);
  EXPECT_EQ(r.U32(sticky::kMemory), 4194304u);
  EXPECT_EQ(r.U32(sticky::kJobTimeout), 30u);
  EXPECT_EQ(r.U32(sticky::kWaitTimeout), 240u);
  EXPECT_EQ(r.U16(sticky::kChecksum), d.Checksum());
  EXPECT_EQ(r.U16(sticky::kInstallableCount), 1);
  EXPECT_EQ(r.r.data[sticky::kInstallableSel], 0);
  EXPECT_EQ(r.U16(sticky::kFontOrder), 0);
}

TEST(StickyData, FreeMemAndHalftoneAndCountry) {
  Block block = Flatten(kDescription);
  Description d(block.get());
  struct Case {
    DWORD freeMem;
    std::uint32_t memory;
  };
  for (Case c : {Case{64, 102400}, Case{200, 204800}}) {
    SCOPED_TRACE(c.freeMem);
    Printer p(c.freeMem == 64 ? u"mem64" : u"mem200");
    p.SetDword(u"FreeMem", c.freeMem);
    DWORD on = 1;
    p.Set(u"PrinterHT", REG_BINARY, &on, 4);
    Record r(DeriveStickyRecord(p.handle, d));
    EXPECT_EQ(r.U32(sticky::kMemory), c.memory);
    EXPECT_TRUE(r.U32(sticky::kFlags) & kStickyHalftone);
  }
  for (int country : {1, 2, 55, 520}) EXPECT_FALSE(IsMetricCountry(country)) << country;
  for (int country : {81, 49, 3, 600}) EXPECT_TRUE(IsMetricCountry(country)) << country;
}

TEST(StickyData, CodePageDecidesDeviceFonts) {
  Block block = Flatten(kDescription);
  Description d(block.get());
  Printer p(u"codepages");
  struct Case {
    UINT acp;
    bool noFonts;
  };
  for (Case c : {Case{1252, false}, Case{932, false}, Case{950, false}, Case{1250, true}}) {
    SCOPED_TRACE(c.acp);
    platform::test::SetAnsiCodePage(c.acp);
    Record r(DeriveStickyRecord(p.handle, d));
    EXPECT_EQ((r.U32(sticky::kFlags) & kStickyNoDeviceFonts) != 0, c.noFonts);
  }
  platform::test::SetAnsiCodePage(932);
}

TEST(StickyData, StoredRecordWithAnotherChecksumGetsFreshSelections) {
  Block block = Flatten(kDescription);
  Description d(block.get());
  Printer p(u"stored");
  unsigned char stored[108] = {};
  StoreU16(stored + sticky::kVersion, 1024);
  StoreU16(stored + sticky::kSize, 108);
  StoreU32(stored + sticky::kMemory, 999999);
  StoreU16(stored + sticky::kChecksum, static_cast<std::uint16_t>(d.Checksum() + 1));
  StoreU16(stored + sticky::kInstallableCount, 1);
  stored[sticky::kInstallableSel] = 1;
  StoreU16(stored + sticky::kFontOrder, 1);
  ASSERT_TRUE(WriteStickyRecord(p.handle, stored, 108));
  Record r(ReadStickyRecord(p.handle, d));
  EXPECT_FALSE(r.r.derived);
  EXPECT_EQ(r.U32(sticky::kMemory), 999999u);
  EXPECT_EQ(r.U16(sticky::kChecksum), d.Checksum());
  EXPECT_EQ(r.r.data[sticky::kInstallableSel], 0);  // the default again
  EXPECT_EQ(ReadFontOrder(p.handle), 1u);
  // A record older than the current form has no font order.
  StoreU16(stored + sticky::kVersion, 1023);
  ASSERT_TRUE(WriteStickyRecord(p.handle, stored, 108));
  EXPECT_EQ(ReadFontOrder(p.handle), 0u);
  // The writer also published the memory in kilobytes and the halftone switch.
  DWORD type = 0, needed = 0, kb = 0;
  EXPECT_EQ(GetPrinterDataW(p.handle, u"FreeMem", &type, reinterpret_cast<BYTE*>(&kb), 4, &needed),
            ERROR_SUCCESS);
  EXPECT_EQ(kb, 999999u / 1024);
}

TEST(StickyData, ShortOrHugeStoredRecords) {
  Block block = Flatten(kDescription);
  Description d(block.get());
  // "PrinterDataSize" says 4: derived, never read past what is there.
  Printer p(u"short");
  p.SetDword(u"PrinterDataSize", 4);
  unsigned char four[4] = {0, 4, 108, 0};
  p.Set(u"PrinterData", REG_BINARY, four, 4);
  Record r(ReadStickyRecord(p.handle, d));
  EXPECT_TRUE(r.r.derived);
  EXPECT_EQ(r.U32(sticky::kMemory), 4194304u);
  // 40 bytes stored: the rest takes its derived values.
  unsigned char forty[40] = {};
  StoreU16(forty, 1024);
  StoreU32(forty + sticky::kMemory, 555555);
  StoreU16(forty + sticky::kChecksum, d.Checksum());
  p.SetDword(u"PrinterDataSize", 40);
  p.Set(u"PrinterData", REG_BINARY, forty, 40);
  Record partial(ReadStickyRecord(p.handle, d));
  EXPECT_FALSE(partial.r.derived);
  EXPECT_EQ(partial.r.bytes, 108u);
  EXPECT_EQ(partial.U32(sticky::kMemory), 555555u);
  EXPECT_EQ(partial.U16(sticky::kInstallableCount), 0);  // no selection bytes were stored
  // A size no record has: derived.
  p.SetDword(u"PrinterDataSize", 0x7FFFFFFF);
  Record huge(ReadStickyRecord(p.handle, d));
  EXPECT_TRUE(huge.r.derived);
}

std::vector<unsigned char> Table(std::initializer_list<std::u16string> texts, bool terminated) {
  std::vector<unsigned char> t(2, 0);
  auto put16 = [&](char16_t c) {
    t.push_back(static_cast<unsigned char>(c));
    t.push_back(static_cast<unsigned char>(c >> 8));
  };
  int n = 0;
  for (const std::u16string& s : texts) {
    for (char16_t c : s) put16(c);
    put16(0);
    if (++n % 3 == 0) put16(1);  // the flag after each entry's three texts
  }
  if (terminated) put16(0);
  StoreU16(t.data(), static_cast<std::uint16_t>(t.size()));
  return t;
}

TEST(StickyData, TrayFormTable) {
  Printer p(u"trays");
  std::vector<unsigned char> table = Table({u"Roll1", u"A1", u"x", u"Tray", u"A4", u""}, true);
  ASSERT_TRUE(WriteTrayFormTable(p.handle, table.data(), static_cast<DWORD>(table.size())));
  auto entries = ReadTrayFormTable(p.handle);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[1].form, u"A4");
  EXPECT_EQ((*entries)[1].flag, 1);
  // A size word that differs from "TrayFormSize": absent.
  p.SetDword(u"TrayFormSize", static_cast<DWORD>(table.size() + 2));
  EXPECT_FALSE(ReadTrayFormTable(p.handle).has_value());
  // Without its final 0, or a text cut off: malformed.
  std::vector<unsigned char> open = Table({u"Roll1", u"A1", u"x"}, false);
  EXPECT_FALSE(ParseTrayFormTable(open.data(), open.size()).has_value());
  std::vector<unsigned char> cut = Table({u"Roll1", u"A1", u"x"}, true);
  cut.resize(8);
  StoreU16(cut.data(), 8);
  EXPECT_FALSE(ParseTrayFormTable(cut.data(), cut.size()).has_value());
}

TEST(StickyData, HalftoneRecordOnlyAtItsSize) {
  Printer p(u"halftone");
  unsigned char area[132];
  std::vector<unsigned char> right(132, 7), wrong(131, 7);
  EXPECT_FALSE(ReadHalftoneRecord(p.handle, area));
  p.Set(u"CurDevHTInfo", REG_BINARY, wrong.data(), 131);
  EXPECT_FALSE(ReadHalftoneRecord(p.handle, area));
  p.Set(u"CurDevHTInfo", REG_BINARY, right.data(), 132);
  EXPECT_TRUE(ReadHalftoneRecord(p.handle, area));
  EXPECT_EQ(area[131], 7);
}

}  // namespace
