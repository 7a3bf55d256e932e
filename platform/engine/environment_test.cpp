// The driver's environment: local time, text conversion, module resources, the
// device's file names.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/system.h"
#include "platform/engine/ddi.h"
#include "platform/engine/engine_internal.h"
#include "platform/modules/modules.h"

namespace {

TEST(EngQueryLocalTime, FieldsOfTheLocalTime) {
  SYSTEMTIME fixed{2026, 12, 5, 11, 9, 5, 3, 250};  // Friday 11 December 2026
  platform::test::SetFixedTime(&fixed);
  ENG_TIME_FIELDS t{};
  EngQueryLocalTime(&t);
  platform::test::SetFixedTime(nullptr);
  EXPECT_EQ(t.usYear, 2026);
  EXPECT_EQ(t.usMonth, 12);
  EXPECT_EQ(t.usDay, 11);
  EXPECT_EQ(t.usHour, 9);
  EXPECT_EQ(t.usMinute, 5);
  EXPECT_EQ(t.usSecond, 3);
  EXPECT_EQ(t.usMilliseconds, 250);
  EXPECT_EQ(t.usWeekday, 5);
}

TEST(EngWideCharToMultiByte, CountsBytesBothWays) {
  WCHAR text[] = u"AB";
  char out[8] = {};
  EXPECT_EQ(EngWideCharToMultiByte(1252, text, 4, out, sizeof(out)), 2);
  EXPECT_STREQ(out, "AB");
  EXPECT_EQ(EngWideCharToMultiByte(1252, nullptr, 4, out, sizeof(out)), -1);
  EXPECT_EQ(EngWideCharToMultiByte(1252, text, 0, out, sizeof(out)), 0);
  WCHAR back[4] = {};
  char narrow[] = "xy";
  EXPECT_EQ(EngMultiByteToWideChar(1252, back, sizeof(back), narrow, 2), 4);
  EXPECT_EQ(back[1], u'y');
}

TEST(EngFindResource, ResourcesOfAModule) {
  static const BYTE kRecord[] = {1, 2, 3, 4, 5};
  static const QX_RESOURCE kResources[] = {{258, 17, kRecord, sizeof(kRecord)}};
  static const QX_RESOURCE_TABLE kTable = {kResources, 1, nullptr, 0};
  HMODULE module = platform::RegisterModule(u"ENGRESOURCES", nullptr, 0, &kTable);
  ASSERT_NE(module, nullptr);
  ULONG size = 99;
  auto* data = static_cast<const BYTE*>(EngFindResource(module, 17, 258, &size));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, sizeof(kRecord));
  EXPECT_EQ(std::memcmp(data, kRecord, sizeof(kRecord)), 0);
  EXPECT_EQ(EngFindResource(module, 18, 258, &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(EngFindResource(module, 17, 259, &size), nullptr);
  platform::UnregisterModule(u"ENGRESOURCES");
}

TEST(EngGetDriverName, NamesOfTheDevice) {
  HDEV hdev =
      platform::engine::CreateEngineDevice(u"C:\\drivers\\QX48GL64.DLL", u"C:\\drivers\\QX48.PPD");
  EXPECT_EQ(std::u16string(EngGetDriverName(hdev)), u"C:\\drivers\\QX48GL64.DLL");
  EXPECT_EQ(std::u16string(EngGetPrinterDataFileName(hdev)), u"C:\\drivers\\QX48.PPD");
  platform::engine::DeleteEngineDevice(hdev);
  EXPECT_EQ(EngGetDriverName(hdev), nullptr);
}

}  // namespace
