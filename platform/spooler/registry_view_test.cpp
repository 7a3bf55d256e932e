// The printer's registry view follows the printer.
#include <gtest/gtest.h>

#include "platform/spooler/spooler_test_support.h"

namespace {

constexpr char16_t kKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

// A value of the printer's key; type REG_NONE when the key or value is missing.
platform::PrinterDataValue View(const std::u16string& printer, const char16_t* value) {
  platform::PrinterDataValue v{value, REG_NONE, {}};
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kKey + printer).c_str(), 0, KEY_READ, &key) != 0) return v;
  DWORD size = 0;
  if (RegQueryValueExW(key, value, nullptr, &v.type, nullptr, &size) == 0) {
    v.bytes.resize(size);
    RegQueryValueExW(key, value, nullptr, &v.type, v.bytes.data(), &size);
  }
  RegCloseKey(key);
  return v;
}

std::vector<unsigned char> Dword(DWORD value) {
  return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

TEST(RegistryView, FollowsThePrinter) {
  platform::PrinterRecord record = spooltest::MakePrinter(u"View Local");
  record.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_QUEUED;
  ASSERT_TRUE(platform::AddPrinter(record));
  EXPECT_EQ(View(u"view local", u"Attributes").bytes, Dword(0x41));
  EXPECT_EQ(View(u"View Local", u"Attributes").type, REG_DWORD);
  platform::PrinterDataValue datatype = View(u"View Local", u"Datatype");
  EXPECT_EQ(datatype.type, REG_SZ);
  EXPECT_EQ(datatype.bytes, (std::vector<unsigned char>{'R', 0, 'A', 0, 'W', 0, 0, 0}));

  record.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  record.datatype = u"NT EMF 1.008";
  ASSERT_TRUE(platform::UpdatePrinter(record));
  EXPECT_EQ(View(u"View Local", u"Attributes").bytes, Dword(0x1040));
  EXPECT_EQ(View(u"View Local", u"Datatype").bytes.size(), 26u);

  // Publishing changes an attribute, and the view shows it.
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(u"View Local", &h, nullptr));
  PRINTER_INFO_7W publish{nullptr, DSPRINT_PUBLISH};
  ASSERT_TRUE(SetPrinterW(h, 7, reinterpret_cast<LPBYTE>(&publish), 0));
  EXPECT_EQ(View(u"View Local", u"Attributes").bytes, Dword(0x3040));
  ClosePrinter(h);

  ASSERT_TRUE(platform::RemovePrinter(u"View Local"));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kKey + std::u16string(u"View Local")).c_str(), 0,
                          KEY_READ, &key),
            static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST(RegistryView, ConnectionsHaveNone) {
  platform::PrinterRecord record = spooltest::MakePrinter(u"\\\\plotsrv\\View Remote");
  record.serverName = u"\\\\plotsrv";
  spooltest::ScopedPrinter printer(record);
  EXPECT_EQ(View(u"\\\\plotsrv\\View Remote", u"Attributes").type, REG_NONE);
  EXPECT_EQ(View(u"View Remote", u"Attributes").type, REG_NONE);

  platform::PrinterRecord local = spooltest::MakePrinter(u"plotsrv\\View Remote");
  EXPECT_FALSE(platform::AddPrinter(local));  // a backslash only names a connection
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
}

}  // namespace
