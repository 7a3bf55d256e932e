// Time, names, version and locale: settable from tests and from the environment.
#include "platform/base/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/base/error.h"

namespace {

// Each test starts and ends with nothing set and none of the variables present.
class System : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    for (const char* name : {"QX_FIXED_TIME", "QX_USER", "QX_COMPUTER", "QX_OS_VERSION",
                             "QX_COUNTRY", "QX_TEST_VALUE"}) {
      unsetenv(name);
    }
    platform::test::ReadSystemEnvironment();
  }
};

SYSTEMTIME Time(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  t.wMilliseconds = ms;
  return t;
}

void ExpectSameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  EXPECT_EQ(a.wYear, b.wYear);
  EXPECT_EQ(a.wMonth, b.wMonth);
  EXPECT_EQ(a.wDay, b.wDay);
  EXPECT_EQ(a.wHour, b.wHour);
  EXPECT_EQ(a.wMinute, b.wMinute);
  EXPECT_EQ(a.wSecond, b.wSecond);
  EXPECT_EQ(a.wMilliseconds, b.wMilliseconds);
}

ULONGLONG Ticks(const FILETIME& f) {
  return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

TEST_F(System, FixedTimeFromTheEnvironment) {
  setenv("QX_FIXED_TIME", "2026-12-11T09:05:03", 1);
  platform::test::ReadSystemEnvironment();
  SYSTEMTIME local{};
  GetLocalTime(&local);
  ExpectSameTime(local, Time(2026, 12, 11, 9, 5, 3));
  EXPECT_EQ(local.wDayOfWeek, 5);  // a Friday
  SYSTEMTIME system{};
  GetSystemTime(&system);
  ExpectSameTime(system, local);
  FILETIME now{};
  FILETIME expected{};
  GetSystemTimeAsFileTime(&now);
  ASSERT_TRUE(SystemTimeToFileTime(&local, &expected));
  EXPECT_EQ(Ticks(now), Ticks(expected));
  FILETIME shifted{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&now, &shifted));
  EXPECT_EQ(Ticks(shifted), Ticks(now));
}

TEST_F(System, UnreadableFixedTimeLeavesTheClock) {
  for (const char* text : {"2026-13-01T00:00:00", "2026-02-29T00:00:00", "tomorrow"}) {
    SCOPED_TRACE(text);
    setenv("QX_FIXED_TIME", text, 1);
    platform::test::ReadSystemEnvironment();
    std::time_t before = std::time(nullptr);
    SYSTEMTIME system{};
    GetSystemTime(&system);
    std::tm utc{};
    gmtime_r(&before, &utc);
    EXPECT_EQ(system.wYear, utc.tm_year + 1900);
    EXPECT_EQ(system.wDayOfWeek, utc.tm_wday);
  }
}

TEST_F(System, SetFixedTimeOverridesAndClears) {
  SYSTEMTIME fixed = Time(2001, 2, 3, 4, 5, 6, 789);
  platform::test::SetFixedTime(&fixed);
  SYSTEMTIME local{};
  GetLocalTime(&local);
  ExpectSameTime(local, fixed);
  EXPECT_EQ(local.wDayOfWeek, 6);  // a Saturday
  platform::test::SetFixedTime(nullptr);
  GetLocalTime(&local);
  EXPECT_GE(local.wYear, 2024);
}

TEST_F(System, FileTimeConversions) {
  struct Case {
    const char* name;
    SYSTEMTIME time;
    std::time_t epochSeconds;  // the same instant counted from 1970 by the C library
    WORD dayOfWeek;
  };
  const Case cases[] = {
      {"first day of 1970", Time(1970, 1, 1, 0, 0, 0), 0, 4},
      {"leap day", Time(2000, 2, 29, 23, 59, 59, 999), 951868799, 2},
      {"job date", Time(2026, 12, 11, 9, 5, 3, 250), 1796979903, 5},
      {"after 2038", Time(2100, 3, 1, 12, 0, 0), 4107585600, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FILETIME f{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.time, &f));
    ULONGLONG expected = (static_cast<ULONGLONG>(c.epochSeconds) + 11644473600ull) * 10000000ull +
                         c.time.wMilliseconds * 10000ull;
    EXPECT_EQ(Ticks(f), expected);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&f, &back));
    ExpectSameTime(back, c.time);
    EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek);
  }
  FILETIME zero{0, 0};
  SYSTEMTIME first{};
  ASSERT_TRUE(FileTimeToSystemTime(&zero, &first));
  ExpectSameTime(first, Time(1601, 1, 1, 0, 0, 0));
  EXPECT_EQ(first.wDayOfWeek, 1);

  FILETIME f{};
  for (SYSTEMTIME bad : {Time(2100, 2, 29, 0, 0, 0), Time(2026, 13, 1, 0, 0, 0),
                         Time(1600, 12, 31, 0, 0, 0), Time(2026, 1, 1, 24, 0, 0)}) {
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &f));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  FILETIME tooLate{0, 0x80000000};
  SYSTEMTIME t{};
  EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &t));

  FILETIME a{1, 0};
  FILETIME b{0, 1};
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);
}

TEST_F(System, UserName) {
  platform::test::SetUserName(u"yamada");
  WCHAR name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_EQ(std::u16string(name), u"yamada");
  EXPECT_EQ(size, 7u);  // counts the terminator
  size = 6;
  SetLastError(0);
  EXPECT_FALSE(GetUserNameW(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 7u);

  setenv("QX_USER", "suzuki", 1);
  platform::test::ReadSystemEnvironment();
  size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_EQ(std::u16string(name), u"suzuki");

  unsetenv("QX_USER");
  platform::test::ReadSystemEnvironment();
  size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_GT(size, 1u);  // the login name
}

TEST_F(System, ComputerNameIsUpperCase) {
  platform::test::SetComputerName(u"pc-01");
  WCHAR name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(name, &size));
  EXPECT_EQ(std::u16string(name), u"PC-01");
  EXPECT_EQ(size, 5u);  // without the terminator
  size = 5;
  SetLastError(0);
  EXPECT_FALSE(GetComputerNameW(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(size, 6u);

  platform::test::SetComputerName(nullptr);
  size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(name, &size));
  EXPECT_LE(size, MAX_COMPUTERNAME_LENGTH);
  for (DWORD i = 0; i < size; ++i) EXPECT_FALSE(name[i] >= u'a' && name[i] <= u'z');
}

TEST_F(System, OsVersion) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, 10u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.dwBuildNumber, 19045u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);

  platform::test::SetOsVersion(5, 1, 2600);
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof(ex);
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
  EXPECT_EQ(ex.dwMajorVersion, 5u);
  EXPECT_EQ(ex.dwMinorVersion, 1u);
  EXPECT_EQ(ex.dwBuildNumber, 2600u);
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

  setenv("QX_OS_VERSION", "6.1.7601", 1);
  platform::test::ReadSystemEnvironment();
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwBuildNumber, 7601u);

  info.dwOSVersionInfoSize = sizeof(info) - 4;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExW(&info));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

std::u16string LocaleText(DWORD type, LCID locale = LOCALE_USER_DEFAULT) {
  WCHAR text[16] = {};
  return GetLocaleInfoW(locale, type, text, 16) > 0 ? std::u16string(text) : u"<fail>";
}

TEST_F(System, LocaleCountry) {
  EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0411);
  EXPECT_EQ(LocaleText(LOCALE_ICOUNTRY), u"81");
  EXPECT_EQ(LocaleText(LOCALE_IMEASURE), u"0");
  EXPECT_EQ(LocaleText(LOCALE_SISO3166CTRYNAME), u"JP");
  EXPECT_EQ(LocaleText(LOCALE_ICOUNTRY, 0x0411), u"81");

  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, nullptr, 0), 3);
  WCHAR small[2];
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  DWORD number = 0;
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&number), 2),
            2);
  EXPECT_EQ(number, 81u);

  platform::test::SetCountryCode(1);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  EXPECT_EQ(LocaleText(LOCALE_ICOUNTRY), u"1");
  EXPECT_EQ(LocaleText(LOCALE_IMEASURE), u"1");
  EXPECT_EQ(LocaleText(LOCALE_SISO3166CTRYNAME), u"US");

  setenv("QX_COUNTRY", "de", 1);
  platform::test::ReadSystemEnvironment();
  EXPECT_EQ(LocaleText(LOCALE_ICOUNTRY), u"49");
  setenv("QX_COUNTRY", "44", 1);
  platform::test::ReadSystemEnvironment();
  EXPECT_EQ(LocaleText(LOCALE_SISO3166CTRYNAME), u"GB");

  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, 0x7777, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(0x1234, LOCALE_ICOUNTRY, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(System, EnvironmentVariables) {
  setenv("QX_TEST_VALUE", "\xE6\x97\xA5\xE6\x9C\xAC", 1);  // two kanji in UTF-8
  EXPECT_EQ(GetEnvironmentVariableW(u"QX_TEST_VALUE", nullptr, 0), 3u);
  WCHAR value[8] = {};
  EXPECT_EQ(GetEnvironmentVariableW(u"QX_TEST_VALUE", value, 2), 3u);
  EXPECT_EQ(GetEnvironmentVariableW(u"qx_test_value", value, 8), 2u);
  EXPECT_EQ(std::u16string(value), u"\u65E5\u672C");
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableW(u"QX_NO_SUCH_VALUE", value, 8), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

}  // namespace
