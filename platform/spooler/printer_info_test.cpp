// Printer information levels 1, 2 and 7, publishing, and the printer functions
// of tools and tests.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/spooler/spooler_test_support.h"

namespace {

using spooltest::As;
using spooltest::FetchRecord;
using spooltest::ScopedPrinter;
using spooltest::Text;

std::vector<BYTE> Level(HANDLE h, DWORD level) {
  return FetchRecord(
      [&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(h, level, b, n, need); });
}

// A stored settings record of another size than the public record, with a
// pattern that shows any byte moved or lost.
std::vector<unsigned char> PatternRecord(std::size_t size) {
  std::vector<unsigned char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  return bytes;
}

TEST(PrinterInfo, LevelTwoCarriesTheStoredMembers) {
  platform::PrinterRecord record = spooltest::MakePrinter(u"Info Two");
  record.portName = u"socket://plotter.example:9100";
  record.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_ENABLE_BIDI;
  record.comment = u"A0 roll";
  record.location = u"3階";
  ScopedPrinter printer(record);
  HANDLE h = printer.Open();
  ASSERT_NE(h, nullptr);

  std::vector<BYTE> buffer = Level(h, 2);
  ASSERT_FALSE(buffer.empty());
  const auto& info = As<PRINTER_INFO_2W>(buffer);
  EXPECT_EQ(info.pServerName, nullptr);  // a local printer
  EXPECT_EQ(Text(info.pPrinterName), u"Info Two");
  EXPECT_EQ(Text(info.pPortName), u"socket://plotter.example:9100");
  EXPECT_EQ(Text(info.pDriverName), u"KX-GL/2 Test Plotter");
  EXPECT_EQ(Text(info.pComment), u"A0 roll");
  EXPECT_EQ(Text(info.pLocation), u"3階");
  EXPECT_EQ(Text(info.pDatatype), u"RAW");
  EXPECT_EQ(info.Attributes, 0x840u);
  EXPECT_EQ(info.pDevMode, nullptr);  // nothing stored yet
  EXPECT_EQ(info.cJobs, 0u);
  // Every text lies inside the buffer, after the fixed record.
  for (const WCHAR* text : {info.pPrinterName, info.pPortName, info.pDatatype}) {
    auto at = reinterpret_cast<const BYTE*>(text);
    EXPECT_GE(at, buffer.data() + sizeof(PRINTER_INFO_2W));
    EXPECT_LT(at, buffer.data() + buffer.size());
  }
}

TEST(PrinterInfo, StoredSettingsRecordComesBackUnchanged) {
  ScopedPrinter printer(u"Info Record");
  HANDLE h = printer.Open();
  for (std::size_t size : {std::size_t{220}, std::size_t{2420}, std::size_t{301}}) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> record = PatternRecord(size);
    ASSERT_TRUE(platform::SetPrinterDevMode(printer.name(), record));
    std::vector<BYTE> buffer = Level(h, 2);
    ASSERT_FALSE(buffer.empty());
    const auto& info = As<PRINTER_INFO_2W>(buffer);
    ASSERT_NE(info.pDevMode, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.pDevMode) % alignof(DEVMODEW), 0u);
    auto at = reinterpret_cast<const BYTE*>(info.pDevMode);
    ASSERT_LE(at + size, buffer.data() + buffer.size());
    EXPECT_EQ(std::vector<unsigned char>(at, at + size), record);
  }
}

TEST(PrinterInfo, RemoteConnectionHasItsServerName) {
  platform::PrinterRecord record = spooltest::MakePrinter(u"\\\\plotserver\\Info Remote");
  record.serverName = u"\\\\plotserver";
  record.attributes = PRINTER_ATTRIBUTE_NETWORK;
  ScopedPrinter printer(record);
  std::vector<BYTE> buffer = Level(printer.Open(), 2);
  ASSERT_FALSE(buffer.empty());
  EXPECT_EQ(Text(As<PRINTER_INFO_2W>(buffer).pServerName), u"\\\\plotserver");
  EXPECT_EQ(Text(As<PRINTER_INFO_2W>(buffer).pPrinterName), u"\\\\plotserver\\Info Remote");
}

TEST(PrinterInfo, LevelOneDescribesThePrinter) {
  platform::PrinterRecord record = spooltest::MakePrinter(u"Info One");
  record.location = u"Room 2";
  ScopedPrinter printer(record);
  std::vector<BYTE> buffer = Level(printer.Open(), 1);
  ASSERT_FALSE(buffer.empty());
  const auto& info = As<PRINTER_INFO_1W>(buffer);
  EXPECT_EQ(Text(info.pName), u"Info One");
  EXPECT_EQ(Text(info.pDescription), u"Info One,KX-GL/2 Test Plotter,Room 2");
}

TEST(PrinterInfo, RejectsBadLevelsAndHandles) {
  ScopedPrinter printer(u"Info Bad");
  HANDLE h = printer.Open();
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(h, 3, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
  int notAHandle = 0;
  EXPECT_FALSE(GetPrinterW(&notAHandle, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(GetPrinterW(h, 2, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(PrinterInfo, HandleOfARemovedPrinterFails) {
  ASSERT_TRUE(platform::AddPrinter(spooltest::MakePrinter(u"Info Gone")));
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(u"info gone", &h, nullptr));
  ASSERT_TRUE(platform::RemovePrinter(u"Info Gone"));
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(h, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_PRINTER_DELETED);
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_FALSE(ClosePrinter(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Level 7 after a publishing action: the object's identifier and the action.
struct Directory {
  std::u16string guid;
  DWORD action = 0;
};
Directory Publish(HANDLE h, DWORD action) {
  PRINTER_INFO_7W info{nullptr, action};
  EXPECT_TRUE(SetPrinterW(h, 7, reinterpret_cast<LPBYTE>(&info), 0)) << GetLastError();
  std::vector<BYTE> buffer = Level(h, 7);
  if (buffer.empty()) return {};
  const auto& after = As<PRINTER_INFO_7W>(buffer);
  return {after.pszObjectGUID ? after.pszObjectGUID : u"", after.dwAction};
}

TEST(PrinterInfo, PublishingThroughLevelSeven) {
  ScopedPrinter printer(u"Info Seven");
  HANDLE h = printer.Open();
  std::vector<BYTE> buffer = Level(h, 7);
  ASSERT_FALSE(buffer.empty());
  EXPECT_EQ(As<PRINTER_INFO_7W>(buffer).pszObjectGUID, nullptr);
  EXPECT_EQ(As<PRINTER_INFO_7W>(buffer).dwAction, DSPRINT_UNPUBLISH);

  Directory published = Publish(h, DSPRINT_PUBLISH);
  std::u16string guid = published.guid;
  EXPECT_EQ(published.action, DSPRINT_PUBLISH);
  EXPECT_EQ(guid.size(), 38u);
  EXPECT_EQ(guid.front(), u'{');
  EXPECT_TRUE(platform::FindPrinter(printer.name())->attributes & PRINTER_ATTRIBUTE_PUBLISHED);

  // An update keeps the object and is counted, so a caller's "publish again" shows.
  EXPECT_EQ(Publish(h, DSPRINT_UPDATE).guid, guid);
  EXPECT_EQ(platform::FindPrinter(printer.name())->directoryUpdates, 2u);

  Directory unpublished = Publish(h, DSPRINT_UNPUBLISH);
  EXPECT_EQ(unpublished.action, DSPRINT_UNPUBLISH);
  EXPECT_TRUE(unpublished.guid.empty());
  EXPECT_FALSE(platform::FindPrinter(printer.name())->attributes & PRINTER_ATTRIBUTE_PUBLISHED);

  PRINTER_INFO_7W unknown{nullptr, 0x40};
  EXPECT_FALSE(SetPrinterW(h, 7, reinterpret_cast<LPBYTE>(&unknown), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetPrinterW(h, 2, reinterpret_cast<LPBYTE>(&unknown), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);

  ASSERT_TRUE(platform::SetUserMayChange(printer.name(), false));
  PRINTER_INFO_7W update{nullptr, DSPRINT_UPDATE};
  EXPECT_FALSE(SetPrinterW(h, 7, reinterpret_cast<LPBYTE>(&update), 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Printers, AddRefusesBadPrinters) {
  ScopedPrinter printer(u"Printers Twice");
  struct Case {
    const char* name;
    platform::PrinterRecord record;
    DWORD error;
  };
  platform::PrinterRecord badPort = spooltest::MakePrinter(u"Printers Bad Port");
  badPort.portName = u"lpt1:";
  const Case cases[] = {
      {"taken name, other case", spooltest::MakePrinter(u"PRINTERS TWICE"),
       ERROR_PRINTER_ALREADY_EXISTS},
      {"empty name", spooltest::MakePrinter(u""), ERROR_INVALID_PRINTER_NAME},
      {"comma", spooltest::MakePrinter(u"a,b"), ERROR_INVALID_PRINTER_NAME},
      {"bad port", badPort, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(platform::AddPrinter(c.record));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(platform::FindPrinter(u"Printers Bad Port"));
}

TEST(Printers, RemoveTakesDataAndJobsAlong) {
  ASSERT_TRUE(platform::AddPrinter(spooltest::MakePrinter(u"Printers Gone")));
  ASSERT_TRUE(platform::SetPrinterData(u"Printers Gone", {u"Version", REG_SZ, {1, 0}}));
  ASSERT_NE(platform::AddJob(u"Printers Gone", u"drawing.pdf", u"kimura"), 0u);
  ASSERT_TRUE(platform::RemovePrinter(u"printers gone"));
  EXPECT_FALSE(platform::FindPrinter(u"Printers Gone"));
  EXPECT_FALSE(platform::RemovePrinter(u"Printers Gone"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);

  // A new printer of the same name starts empty.
  ScopedPrinter again(u"Printers Gone");
  EXPECT_TRUE(platform::ListPrinterData(u"Printers Gone").empty());
  EXPECT_TRUE(platform::ListJobs(u"Printers Gone").empty());
}

TEST(Printers, UpdateKeepsTheStoredName) {
  ScopedPrinter printer(u"Printers Update");
  platform::PrinterRecord changed = *platform::FindPrinter(u"Printers Update");
  changed.name = u"PRINTERS UPDATE";
  changed.portName = u"file:/tmp/x.prn";
  changed.attributes |= PRINTER_ATTRIBUTE_ENABLE_BIDI;
  ASSERT_TRUE(platform::UpdatePrinter(changed));
  std::optional<platform::PrinterRecord> stored = platform::FindPrinter(u"printers update");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->name, u"Printers Update");
  EXPECT_EQ(stored->portName, u"file:/tmp/x.prn");
  EXPECT_TRUE(stored->attributes & PRINTER_ATTRIBUTE_ENABLE_BIDI);
  changed.portName = u"nowhere";
  EXPECT_FALSE(platform::UpdatePrinter(changed));
  EXPECT_EQ(platform::FindPrinter(u"Printers Update")->portName, u"file:/tmp/x.prn");
}

}  // namespace
