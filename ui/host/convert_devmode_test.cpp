// Settings record conversions on a sample printer.
#include "ui/host/convert_devmode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/settings_record.h"
#include "ui/host/test_printer.h"

namespace {

using settings::SettingsRecord;

// The driver's defaults through mode 4; the record the other cases start from.
SettingsRecord Defaults(ui::testing::TestPrinter& p) {
  SettingsRecord r{};
  LONG size = sizeof r;
  EXPECT_TRUE(DrvConvertDevMode(p.name.data(), nullptr, &r.pub, &size, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(size, 2420);
  return r;
}

TEST(ConvertDevMode, DriverDefaults) {
  ui::testing::TestPrinter p("012", u"convert defaults");
  SettingsRecord r{};
  LONG size = 2419;
  SetLastError(0);
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), nullptr, &r.pub, &size, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 2420);
  size = 0;
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), nullptr, nullptr, &size, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(size, 2420);

  r = Defaults(p);
  EXPECT_EQ(r.pub.dmSize, 220);
  EXPECT_EQ(r.pub.dmDriverExtra, 2200);
  EXPECT_EQ(r.pub.dmDriverVersion, 0x400);
  EXPECT_EQ(std::u16string(r.pub.dmDeviceName), u"KX-TEST");  // the driver's name
  EXPECT_EQ(settings::GetU32(r.priv, settings::priv::kSignature), settings::kPrivSignature);

  size = sizeof r;
  EXPECT_FALSE(DrvConvertDevMode(const_cast<WCHAR*>(u"no such printer"), nullptr, &r.pub, &size,
                                 CDM_DRIVER_DEFAULT));
}

// A record with the old 44-byte private part cannot be converted: mode 1 gives
// the driver's defaults.
TEST(ConvertDevMode, OldPrivatePartGivesDefaults) {
  ui::testing::TestPrinter p("012", u"convert old");
  SettingsRecord expected = Defaults(p);
  SettingsRecord old = expected;
  old.pub.dmDriverExtra = 44;
  old.pub.dmCopies = 7;
  SettingsRecord out{};
  std::memset(&out, 0xAB, sizeof out);
  LONG size = sizeof out;
  EXPECT_TRUE(DrvConvertDevMode(p.name.data(), &old.pub, &out.pub, &size, CDM_CONVERT));
  EXPECT_EQ(size, 2420);
  EXPECT_EQ(std::memcmp(&out, &expected, sizeof out), 0);
}

TEST(ConvertDevMode, CurrentSizes) {
  ui::testing::TestPrinter p("012", u"convert current");
  SettingsRecord in = Defaults(p);
  in.pub.dmCopies = 7;
  SettingsRecord out = Defaults(p);
  LONG size = 2419;
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), &in.pub, &out.pub, &size, CDM_CONVERT));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  size = 2420;
  EXPECT_TRUE(DrvConvertDevMode(p.name.data(), &in.pub, &out.pub, &size, CDM_CONVERT));
  EXPECT_EQ(size, 2420);
  EXPECT_EQ(out.pub.dmCopies, 7);
  EXPECT_EQ(std::memcmp(out.priv, in.priv, sizeof out.priv), 0);
}

// The old form: 188 public bytes and the first 44 private ones, 232 in all.
TEST(ConvertDevMode, OldForm) {
  ui::testing::TestPrinter p("012", u"convert 351");
  SettingsRecord in = Defaults(p);
  SettingsRecord out{};
  LONG size = 231;
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), &in.pub, &out.pub, &size, CDM_CONVERT351));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 232);
  EXPECT_TRUE(DrvConvertDevMode(p.name.data(), &in.pub, &out.pub, &size, CDM_CONVERT351));
  EXPECT_EQ(size, 232);
  EXPECT_EQ(out.pub.dmSize, 188);
  EXPECT_EQ(out.pub.dmDriverExtra, 44);
  EXPECT_EQ(out.pub.dmSpecVersion, 0x320);
  EXPECT_EQ(out.pub.dmDriverVersion, 0x350);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&out.pub);
  EXPECT_EQ(std::memcmp(bytes + 188, in.priv, 44), 0);
}

TEST(ConvertDevMode, BadCalls) {
  ui::testing::TestPrinter p("012", u"convert bad");
  SettingsRecord r = Defaults(p);
  SetLastError(0);
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), &r.pub, &r.pub, nullptr, CDM_CONVERT));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  LONG size = sizeof r;
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), &r.pub, &r.pub, &size, 3));
  SettingsRecord out{};
  EXPECT_FALSE(DrvConvertDevMode(p.name.data(), nullptr, &out.pub, &size, CDM_CONVERT));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
