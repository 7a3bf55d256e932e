// Printer data byte for byte, and who may write it.
#include <gtest/gtest.h>

#include "platform/spooler/spooler_test_support.h"

namespace {

using spooltest::ScopedPrinter;

std::vector<BYTE> Bytes(const char16_t* text, std::size_t characters) {
  const auto* first = reinterpret_cast<const BYTE*>(text);
  return std::vector<BYTE>(first, first + characters * sizeof(char16_t));
}

// Values as the libraries write them: a string without its terminator, the
// one-byte user-code flags, the 18-byte user code, a 32-bit number, nothing.
struct DataCase {
  const char16_t* name;
  DWORD type;
  std::vector<BYTE> bytes;
};
const DataCase kValues[] = {
    {u"Version", REG_SZ, Bytes(u"Version 2.07", 12)},
    {u"UserCodeFlag", REG_BINARY, {0x05}},
    {u"UserCode", REG_BINARY, {'1', '2', '3', '4', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7F}},
    {u"Logging", REG_DWORD, {1, 0, 0, 0}},
    {u"Empty", REG_BINARY, {}},
};

TEST(PrinterData, ValuesComeBackByteForByte) {
  ScopedPrinter printer(u"Data Exact");
  HANDLE h = printer.Open();
  ASSERT_EQ(kValues[0].bytes.size(), 24u);
  ASSERT_EQ(kValues[2].bytes.size(), 18u);
  for (const DataCase& c : kValues) {
    SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
    DWORD size = static_cast<DWORD>(c.bytes.size());
    ASSERT_EQ(SetPrinterDataW(h, c.name, c.type, c.bytes.data(), size), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataW(h, c.name, &type, nullptr, 0, &needed),
              size ? ERROR_MORE_DATA : ERROR_SUCCESS);
    EXPECT_EQ(needed, size);
    EXPECT_EQ(type, c.type);
    std::vector<BYTE> read(size + 4, 0xEE);
    if (size) {
      EXPECT_EQ(GetPrinterDataW(h, c.name, &type, read.data(), size - 1, &needed), ERROR_MORE_DATA);
      EXPECT_EQ(read[0], 0xEE);  // nothing written on ERROR_MORE_DATA
    }
    ASSERT_EQ(GetPrinterDataW(h, c.name, &type, read.data(), size + 4, &needed), ERROR_SUCCESS);
    EXPECT_EQ(needed, size);
    EXPECT_EQ(std::vector<BYTE>(read.begin(), read.begin() + size), c.bytes);
    EXPECT_EQ(read[size], 0xEE);  // no terminator added
  }
}

TEST(PrinterData, MissingNamesAndCase) {
  ScopedPrinter printer(u"Data Names");
  HANDLE h = printer.Open();
  DWORD type = 99;
  DWORD needed = 99;
  BYTE buffer[8];
  EXPECT_EQ(GetPrinterDataW(h, u"FreeMem", &type, buffer, sizeof buffer, &needed),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(needed, 0u);

  const BYTE four[] = {0, 0x10, 0, 0};
  ASSERT_EQ(SetPrinterDataW(h, u"FreeMem", REG_DWORD, four, 4), ERROR_SUCCESS);
  EXPECT_EQ(GetPrinterDataW(h, u"FREEMEM", &type, buffer, sizeof buffer, &needed), ERROR_SUCCESS);
  // Writing again under another case replaces the value, type and size included.
  const BYTE two[] = {1, 2};
  ASSERT_EQ(SetPrinterDataW(h, u"freemem", REG_BINARY, two, 2), ERROR_SUCCESS);
  EXPECT_EQ(GetPrinterDataW(h, u"FreeMem", &type, buffer, sizeof buffer, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(needed, 2u);
  ASSERT_EQ(platform::ListPrinterData(printer.name()).size(), 1u);
  EXPECT_EQ(platform::ListPrinterData(printer.name())[0].name, u"FreeMem");

  EXPECT_EQ(DeletePrinterDataW(h, u"FreeMem"), ERROR_SUCCESS);
  EXPECT_EQ(DeletePrinterDataW(h, u"FreeMem"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetPrinterDataW(h, nullptr, &type, buffer, sizeof buffer, &needed),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetPrinterDataW(nullptr, u"FreeMem", &type, buffer, sizeof buffer, &needed),
            ERROR_INVALID_HANDLE);
}

// Who may write: the user's right, the handle's access and the spooler's own identity.
TEST(PrinterData, WritesNeedTheRightToChange) {
  ScopedPrinter printer(u"Data Rights");
  HANDLE any = printer.Open();
  HANDLE use = printer.Open(PRINTER_ACCESS_USE);
  const BYTE one[] = {1};
  EXPECT_EQ(SetPrinterDataW(use, u"Permission", REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetPrinterDataW(any, u"Permission", REG_BINARY, one, 1), ERROR_SUCCESS);

  ASSERT_TRUE(platform::SetUserMayChange(printer.name(), false));
  const BYTE two[] = {2};
  EXPECT_EQ(SetPrinterDataW(any, u"Permission", REG_BINARY, two, 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(DeletePrinterDataW(any, u"Permission"), ERROR_ACCESS_DENIED);
  BYTE read = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetPrinterDataW(use, u"Permission", nullptr, &read, 1, &needed), ERROR_SUCCESS);
  EXPECT_EQ(read, 1);  // reading stays open to every user, and the value is unchanged

  HANDLE token = RevertToPrinterSelf();
  ASSERT_NE(token, nullptr);
  EXPECT_EQ(SetPrinterDataW(any, u"Permission", REG_BINARY, two, 1), ERROR_SUCCESS);
  EXPECT_EQ(SetPrinterDataW(use, u"Permission", REG_BINARY, two, 1), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(ImpersonatePrinterClient(token));
  EXPECT_EQ(SetPrinterDataW(any, u"Permission", REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ImpersonatePrinterClient(token));  // a token is given back once
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Desired access of OpenPrinterW: the UI tries 0xF0003, then 0xF000C, then 8.
TEST(OpenPrinter, AdministrationNeedsTheRight) {
  ScopedPrinter printer(u"Open Rights");
  struct Case {
    ACCESS_MASK desired;
    bool mayChange;
    bool opens;
  };
  const Case cases[] = {
      {SERVER_ALL_ACCESS, true, true},    {PRINTER_ALL_ACCESS, true, true},
      {PRINTER_ACCESS_USE, true, true},   {SERVER_ALL_ACCESS, false, false},
      {PRINTER_ALL_ACCESS, false, false}, {PRINTER_ACCESS_ADMINISTER, false, false},
      {PRINTER_ACCESS_USE, false, true},  {0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.desired << " may change " << c.mayChange);
    ASSERT_TRUE(platform::SetUserMayChange(printer.name(), c.mayChange));
    SetLastError(0);
    HANDLE h = printer.Open(c.desired);
    EXPECT_EQ(h != nullptr, c.opens);
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
  }
  HANDLE token = RevertToPrinterSelf();
  EXPECT_NE(printer.Open(PRINTER_ALL_ACCESS), nullptr);
  EXPECT_TRUE(ImpersonatePrinterClient(token));
}

TEST(OpenPrinter, FindsPrintersWithoutRegardToCase) {
  ScopedPrinter printer(u"Open Name");
  HANDLE h = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(OpenPrinterW(u"No Such Printer", &h, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
  EXPECT_EQ(h, nullptr);
  EXPECT_FALSE(OpenPrinterW(nullptr, &h, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
  ASSERT_TRUE(OpenPrinterW(u"OPEN NAME", &h, nullptr));
  EXPECT_TRUE(ClosePrinter(h));
}

}  // namespace
