// The forms database: listing, lookup, adding and deleting.
#include <gtest/gtest.h>

#include "platform/spooler/spooler_test_support.h"

namespace {

using spooltest::As;
using spooltest::FetchRecord;
using spooltest::ScopedPrinter;
using spooltest::Text;

FORM_INFO_1W Form(const char16_t* name, DWORD flags, LONG width, LONG length) {
  return FORM_INFO_1W{flags, const_cast<LPWSTR>(name), SIZEL{width, length},
                      RECTL{0, 0, width, length}};
}

bool Add(HANDLE h, FORM_INFO_1W form) { return AddFormW(h, 1, reinterpret_cast<LPBYTE>(&form)); }

// The forms EnumFormsW lists, as (flags, name, width, length).
struct Listed {
  DWORD flags;
  std::u16string name;
  LONG width;
  LONG length;
  bool operator==(const Listed&) const = default;
};
std::vector<Listed> Enumerate(HANDLE h) {
  DWORD count = 0;
  DWORD needed = 0;
  if (EnumFormsW(h, 1, nullptr, 0, &needed, &count)) return {};  // no forms at all
  std::vector<BYTE> buffer = FetchRecord(
      [&](BYTE* b, DWORD n, DWORD* need) { return EnumFormsW(h, 1, b, n, need, &count); });
  std::vector<Listed> forms;
  const auto* info = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    forms.push_back({info[i].Flags, Text(info[i].pName), info[i].Size.cx, info[i].Size.cy});
  }
  return forms;
}

TEST(Forms, ListedInOrderAndDeletedByName) {
  ScopedPrinter printer(u"Forms List");
  HANDLE h = printer.Open();
  std::vector<Listed> before = Enumerate(h);
  ASSERT_TRUE(Add(h, Form(u"A0", FORM_PRINTER, 841000, 1189000)));
  ASSERT_TRUE(Add(h, Form(u"ISO A1 ロール", FORM_USER, 594000, 841000)));
  ASSERT_TRUE(Add(h, Form(u"B1", FORM_USER, 728000, 1030000)));

  std::vector<Listed> expected = before;
  expected.push_back({FORM_PRINTER, u"A0", 841000, 1189000});
  expected.push_back({FORM_USER, u"ISO A1 ロール", 594000, 841000});
  expected.push_back({FORM_USER, u"B1", 728000, 1030000});
  EXPECT_EQ(Enumerate(h), expected);

  std::vector<BYTE> one = FetchRecord(
      [&](BYTE* b, DWORD n, DWORD* need) { return GetFormW(h, u"iso a1 ロール", 1, b, n, need); });
  ASSERT_FALSE(one.empty());
  EXPECT_EQ(Text(As<FORM_INFO_1W>(one).pName), u"ISO A1 ロール");
  EXPECT_EQ(As<FORM_INFO_1W>(one).ImageableArea.bottom, 841000);

  EXPECT_TRUE(DeleteFormW(h, u"ISO A1 ロール"));
  expected.erase(expected.end() - 2);
  EXPECT_EQ(Enumerate(h), expected);
  DWORD needed = 0;
  EXPECT_FALSE(GetFormW(h, u"ISO A1 ロール", 1, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FORM_NAME);
  EXPECT_FALSE(DeleteFormW(h, u"ISO A1 ロール"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FORM_NAME);

  EXPECT_TRUE(DeleteFormW(h, u"A0"));
  EXPECT_TRUE(DeleteFormW(h, u"B1"));
  EXPECT_EQ(Enumerate(h), before);
}

TEST(Forms, RefusesBadFormsAndUsersWithoutTheRight) {
  ScopedPrinter printer(u"Forms Bad");
  HANDLE h = printer.Open();
  ASSERT_TRUE(Add(h, Form(u"Forms Bad Taken", FORM_USER, 100000, 100000)));
  struct Case {
    const char* what;
    FORM_INFO_1W form;
    DWORD error;
  };
  FORM_INFO_1W outside = Form(u"Forms Bad Area", FORM_USER, 1000, 1000);
  outside.ImageableArea = RECTL{600, 0, 500, 1000};
  const Case cases[] = {
      {"taken name", Form(u"FORMS BAD TAKEN", FORM_USER, 1000, 1000), ERROR_FILE_EXISTS},
      {"no name", Form(u"", FORM_USER, 1000, 1000), ERROR_INVALID_FORM_NAME},
      {"zero width", Form(u"Forms Bad Zero", FORM_USER, 0, 1000), ERROR_INVALID_FORM_SIZE},
      {"area inside out", outside, ERROR_INVALID_FORM_SIZE},
      {"built-in", Form(u"Forms Bad Builtin", FORM_BUILTIN, 1000, 1000), ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(Add(h, c.form));
    EXPECT_EQ(GetLastError(), c.error);
  }

  // A built-in form (the stand-in's tools may add one) stays.
  platform::FormRecord builtin{u"Forms Bad Letter", FORM_BUILTIN, {215900, 279400}, {}};
  builtin.imageableArea = RECTL{0, 0, 215900, 279400};
  ASSERT_TRUE(platform::AddForm(builtin));
  EXPECT_FALSE(DeleteFormW(h, u"Forms Bad Letter"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  ASSERT_TRUE(platform::SetUserMayChange(printer.name(), false));
  EXPECT_FALSE(DeleteFormW(h, u"Forms Bad Taken"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(Add(h, Form(u"Forms Bad New", FORM_USER, 1000, 1000)));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(platform::SetUserMayChange(printer.name(), true));
  EXPECT_TRUE(DeleteFormW(h, u"Forms Bad Taken"));
}

}  // namespace
