// Time, user and computer names, the OS version, the user's locale and the
// environment. Every value a job can see is settable, from a test or from the
// environment, so that a whole job run twice gives the same bytes.
#include "platform/base/system.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/codepage.h"
#include "platform/base/error.h"
#include "platform/base/text.h"

extern char** environ;

namespace {

// ---- time ----

constexpr ULONGLONG kTicksPerSecond = 10000000;  // FILETIME counts 100 ns
constexpr ULONGLONG kTicksPerMillisecond = 10000;
constexpr LONGLONG kDaysFrom1601To1970 = 134774;
constexpr ULONGLONG kLastFileTime = 0x7FFFFFFFFFFFFFFFull;

// Days from 1601-01-01 to the given date of the proleptic Gregorian calendar.
LONGLONG DaysFrom1601(LONGLONG year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  LONGLONG era = (year >= 0 ? year : year - 399) / 400;
  auto yoe = static_cast<unsigned>(year - era * 400);
  unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<LONGLONG>(doe) - 719468 + kDaysFrom1601To1970;
}

void DateFromDays(LONGLONG days1601, WORD& year, WORD& month, WORD& day) {
  LONGLONG z = days1601 - kDaysFrom1601To1970 + 719468;
  LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
  auto doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  unsigned d = doy - (153 * mp + 2) / 5 + 1;
  unsigned m = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<WORD>(static_cast<LONGLONG>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
  month = static_cast<WORD>(m);
  day = static_cast<WORD>(d);
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidSystemTime(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 &&
         t.wSecond < 60 && t.wMilliseconds < 1000;
}

ULONGLONG TicksOf(const SYSTEMTIME& t) {
  auto days = static_cast<ULONGLONG>(DaysFrom1601(t.wYear, t.wMonth, t.wDay));
  ULONGLONG seconds = days * 86400 + t.wHour * 3600ull + t.wMinute * 60ull + t.wSecond;
  return seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMillisecond;
}

SYSTEMTIME SystemTimeOf(ULONGLONG ticks) {
  SYSTEMTIME t{};
  auto days = static_cast<LONGLONG>(ticks / (86400 * kTicksPerSecond));
  ULONGLONG rest = ticks % (86400 * kTicksPerSecond);
  DateFromDays(days, t.wYear, t.wMonth, t.wDay);
  t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.wHour = static_cast<WORD>(rest / (3600 * kTicksPerSecond));
  t.wMinute = static_cast<WORD>(rest / (60 * kTicksPerSecond) % 60);
  t.wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
  t.wMilliseconds = static_cast<WORD>(rest / kTicksPerMillisecond % 1000);
  return t;
}

FILETIME FileTimeOf(ULONGLONG ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

ULONGLONG TicksOf(const FILETIME& f) {
  return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

// "2026-12-11T09:05:03", also with a blank for the T and ".mmm" milliseconds.
std::optional<SYSTEMTIME> ParseFixedTime(std::string_view text) {
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  SYSTEMTIME t{};
  bool ok = ParseNumber(text.substr(0, 4), t.wYear) && ParseNumber(text.substr(5, 2), t.wMonth) &&
            ParseNumber(text.substr(8, 2), t.wDay) && ParseNumber(text.substr(11, 2), t.wHour) &&
            ParseNumber(text.substr(14, 2), t.wMinute) &&
            ParseNumber(text.substr(17, 2), t.wSecond);
  std::string_view rest = text.substr(19);
  if (!rest.empty() && rest.back() == 'Z') rest.remove_suffix(1);
  if (!rest.empty()) {
    ok = ok && rest.size() == 4 && rest[0] == '.' && ParseNumber(rest.substr(1), t.wMilliseconds);
  }
  if (!ok || !IsValidSystemTime(t)) return std::nullopt;
  t.wDayOfWeek = SystemTimeOf(TicksOf(t)).wDayOfWeek;
  return t;
}

std::string EnvText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Everything settable lives here, behind one lock; the environment is read the
// first time anything is asked.
struct SystemState {
  std::optional<SYSTEMTIME> fixedTime;
  std::optional<std::u16string> userName;
  std::optional<std::u16string> computerName;
  DWORD major = 10;
  DWORD minor = 0;
  DWORD build = 19045;
  int country = 81;
};

std::mutex stateLock;

void ReadOsVersion(std::string_view text, SystemState& s) {
  DWORD parts[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    std::size_t dot = text.find('.');
    if (!ParseNumber(text.substr(0, dot), parts[count])) return;
    ++count;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  if (count < 2) return;
  s.major = parts[0];
  s.minor = parts[1];
  s.build = parts[2];
}

int CountryFromText(std::string_view text);

SystemState FromEnvironment() {
  SystemState s;
  s.fixedTime = ParseFixedTime(EnvText("QX_FIXED_TIME"));
  if (std::string user = EnvText("QX_USER"); !user.empty()) s.userName = platform::Utf8ToWide(user);
  if (std::string host = EnvText("QX_COMPUTER"); !host.empty()) {
    s.computerName = platform::Utf8ToWide(host);
  }
  ReadOsVersion(EnvText("QX_OS_VERSION"), s);
  if (int c = CountryFromText(EnvText("QX_COUNTRY")); c > 0) s.country = c;
  return s;
}

SystemState& State() {
  static SystemState state = FromEnvironment();
  return state;
}

std::optional<SYSTEMTIME> FixedTime() {
  std::lock_guard<std::mutex> guard(stateLock);
  return State().fixedTime;
}

// Seconds east of UTC of the local zone now; 0 while the time is fixed, since a
// fixed local time is also the system time.
long LocalOffsetSeconds() {
  if (FixedTime()) return 0;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_gmtoff;
}

ULONGLONG NowTicks() {
  if (std::optional<SYSTEMTIME> fixed = FixedTime()) return TicksOf(*fixed);
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  auto seconds = static_cast<ULONGLONG>(ts.tv_sec + kDaysFrom1601To1970 * 86400);
  return seconds * kTicksPerSecond + static_cast<ULONGLONG>(ts.tv_nsec) / 100;
}

// ---- names ----

// The name of the account the process runs as.
std::u16string LoginName() {
  char buffer[1024];
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found != nullptr) {
    return platform::Utf8ToWide(found->pw_name);
  }
  std::string user = EnvText("USER");
  return platform::Utf8ToWide(user.empty() ? "user" : user);
}

// The host name as the platform reports a computer name: the first label, at
// most 15 characters.
std::u16string HostName() {
  char host[256] = {};
  if (gethostname(host, sizeof(host) - 1) != 0 || host[0] == 0) return u"LOCALHOST";
  std::string name(host);
  name = name.substr(0, name.find('.'));
  if (name.size() > MAX_COMPUTERNAME_LENGTH) name.resize(MAX_COMPUTERNAME_LENGTH);
  return platform::Utf8ToWide(name);
}

std::u16string UpperAscii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

// Copies `text` with its terminator when `*size` holds it; the name functions
// differ only in the count they report and the error of a short buffer.
BOOL CopyName(const std::u16string& text, LPWSTR buffer, DWORD* size, bool countTerminator,
              DWORD shortError) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto needed = static_cast<DWORD>(text.size() + 1);
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    SetLastError(shortError);
    return FALSE;
  }
  std::memcpy(buffer, text.c_str(), needed * sizeof(WCHAR));
  *size = countTerminator ? needed : needed - 1;
  return TRUE;
}

// ---- locale ----

struct LocaleRow {
  int country;  // the telephone country code, as LOCALE_ICOUNTRY gives it
  LCID lcid;
  const char16_t* iso3166;
  const char16_t* iso639;
  int measure;    // 0 metric, 1 U.S.
  int paperSize;  // 9 A4, 1 letter
};

// Locales the stand-in knows; a country code not listed keeps the Japanese
// row's other values.
// clang-format off
constexpr LocaleRow kLocales[] = {
    {81,  0x0411, u"JP", u"ja", 0, 9},
    {1,   0x0409, u"US", u"en", 1, 1},
    {2,   0x1009, u"CA", u"en", 0, 1},
    {31,  0x0413, u"NL", u"nl", 0, 9},
    {33,  0x040C, u"FR", u"fr", 0, 9},
    {34,  0x0C0A, u"ES", u"es", 0, 9},
    {39,  0x0410, u"IT", u"it", 0, 9},
    {44,  0x0809, u"GB", u"en", 0, 9},
    {49,  0x0407, u"DE", u"de", 0, 9},
    {52,  0x080A, u"MX", u"es", 0, 1},
    {55,  0x0416, u"BR", u"pt", 0, 9},
    {61,  0x0C09, u"AU", u"en", 0, 9},
    {65,  0x1004, u"SG", u"zh", 0, 9},
    {82,  0x0412, u"KR", u"ko", 0, 9},
    {86,  0x0804, u"CN", u"zh", 0, 9},
    {852, 0x0C04, u"HK", u"zh", 0, 9},
    {886, 0x0404, u"TW", u"zh", 0, 9},
};
// clang-format on

const LocaleRow* FindCountry(int country) {
  for (const LocaleRow& row : kLocales) {
    if (row.country == country) return &row;
  }
  return nullptr;
}

// $QX_COUNTRY: a country code ("81") or a two-letter name ("JP").
int CountryFromText(std::string_view text) {
  int number = 0;
  if (ParseNumber(text, number)) return number;
  if (text.size() != 2) return 0;
  for (const LocaleRow& row : kLocales) {
    if (std::toupper(static_cast<unsigned char>(text[0])) == row.iso3166[0] &&
        std::toupper(static_cast<unsigned char>(text[1])) == row.iso3166[1]) {
      return row.country;
    }
  }
  return 0;
}

int CurrentCountry() {
  std::lock_guard<std::mutex> guard(stateLock);
  return State().country;
}

// The user's locale: its row, with the country code as set.
LocaleRow UserLocale() {
  int country = CurrentCountry();
  const LocaleRow* row = FindCountry(country);
  LocaleRow result = row != nullptr ? *row : kLocales[0];
  result.country = country;
  return result;
}

std::optional<LocaleRow> LocaleFor(LCID locale) {
  LocaleRow user = UserLocale();
  if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0 ||
      locale == user.lcid) {
    return user;
  }
  for (const LocaleRow& row : kLocales) {
    if (row.lcid == locale) return row;
  }
  return std::nullopt;
}

// The value of `type` for `row`: a number when the type is numeric.
std::optional<std::u16string> LocaleValue(const LocaleRow& row, DWORD type,
                                          std::optional<DWORD>& number) {
  auto decimal = [&](DWORD v) {
    number = v;
    return platform::Utf8ToWide(std::to_string(v));
  };
  switch (type) {
    case LOCALE_ILANGUAGE: {
      number = row.lcid & 0xFFFF;
      char hex[8];
      std::snprintf(hex, sizeof(hex), "%04x", row.lcid & 0xFFFF);
      return platform::Utf8ToWide(hex);
    }
    case LOCALE_ICOUNTRY:
      return decimal(static_cast<DWORD>(row.country));
    case LOCALE_IMEASURE:
      return decimal(static_cast<DWORD>(row.measure));
    case LOCALE_IPAPERSIZE:
      return decimal(static_cast<DWORD>(row.paperSize));
    case LOCALE_IDEFAULTCODEPAGE:
      return decimal(GetOEMCP());
    case LOCALE_IDEFAULTANSICODEPAGE:
      return decimal(GetACP());
    case LOCALE_SISO639LANGNAME:
      return std::u16string(row.iso639);
    case LOCALE_SISO3166CTRYNAME:
      return std::u16string(row.iso3166);
    default:
      return std::nullopt;
  }
}

int FailInt(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

QXAPI void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  if (std::optional<SYSTEMTIME> fixed = FixedTime()) {
    *time = *fixed;
    return;
  }
  ULONGLONG ticks = NowTicks();
  auto offset =
      static_cast<LONGLONG>(LocalOffsetSeconds()) * static_cast<LONGLONG>(kTicksPerSecond);
  *time = SystemTimeOf(static_cast<ULONGLONG>(static_cast<LONGLONG>(ticks) + offset));
}

QXAPI void GetSystemTime(SYSTEMTIME* time) {
  if (time != nullptr) *time = SystemTimeOf(NowTicks());
}

QXAPI void GetSystemTimeAsFileTime(FILETIME* time) {
  if (time != nullptr) *time = FileTimeOf(NowTicks());
}

QXAPI BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
  if (systemTime == nullptr || fileTime == nullptr || !IsValidSystemTime(*systemTime)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *fileTime = FileTimeOf(TicksOf(*systemTime));
  return TRUE;
}

QXAPI BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (fileTime == nullptr || systemTime == nullptr || TicksOf(*fileTime) > kLastFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *systemTime = SystemTimeOf(TicksOf(*fileTime));
  return TRUE;
}

// Uses the zone's offset of now, as the platform does, not the one in force at
// the given instant.
QXAPI BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  if (fileTime == nullptr || localFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto ticks = static_cast<LONGLONG>(TicksOf(*fileTime));
  LONGLONG local = ticks + LocalOffsetSeconds() * static_cast<LONGLONG>(kTicksPerSecond);
  if (ticks < 0 || local < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *localFileTime = FileTimeOf(static_cast<ULONGLONG>(local));
  return TRUE;
}

QXAPI LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  ULONGLONG x = TicksOf(*a);
  ULONGLONG y = TicksOf(*b);
  return x < y ? -1 : x > y ? 1 : 0;
}

QXAPI BOOL GetUserNameW(LPWSTR buffer, DWORD* size) {
  std::u16string name;
  {
    std::lock_guard<std::mutex> guard(stateLock);
    if (State().userName) name = *State().userName;
  }
  if (name.empty()) name = LoginName();
  return CopyName(name, buffer, size, true, ERROR_INSUFFICIENT_BUFFER);
}

QXAPI BOOL GetComputerNameW(LPWSTR buffer, DWORD* size) {
  std::u16string name;
  {
    std::lock_guard<std::mutex> guard(stateLock);
    if (State().computerName) name = *State().computerName;
  }
  if (name.empty()) name = HostName();
  return CopyName(UpperAscii(name), buffer, size, false, ERROR_BUFFER_OVERFLOW);
}

QXAPI BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  SystemState s;
  {
    std::lock_guard<std::mutex> guard(stateLock);
    s = State();
  }
  info->dwMajorVersion = s.major;
  info->dwMinorVersion = s.minor;
  info->dwBuildNumber = s.build;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  if (size == sizeof(OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = VER_SUITE_SINGLEUSERTS;
    ex->wProductType = VER_NT_WORKSTATION;
    ex->wReserved = 0;
  }
  return TRUE;
}

QXAPI LCID GetUserDefaultLCID() { return UserLocale().lcid; }
QXAPI LANGID GetUserDefaultLangID() { return static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF); }
QXAPI LANGID GetSystemDefaultLangID() { return GetUserDefaultLangID(); }

QXAPI int GetLocaleInfoW(LCID locale, DWORD type, LPWSTR data, int size) {
  if (size < 0 || (size > 0 && data == nullptr)) return FailInt(ERROR_INVALID_PARAMETER);
  std::optional<LocaleRow> row = LocaleFor(locale);
  if (!row) return FailInt(ERROR_INVALID_PARAMETER);
  bool asNumber = (type & LOCALE_RETURN_NUMBER) != 0;
  std::optional<DWORD> number;
  std::optional<std::u16string> value = LocaleValue(
      *row, type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER), number);
  if (!value || (asNumber && !number)) return FailInt(ERROR_INVALID_FLAGS);
  if (asNumber) {
    // The number fills two characters' room, low half first.
    if (size == 0) return 2;
    if (size < 2) return FailInt(ERROR_INSUFFICIENT_BUFFER);
    data[0] = static_cast<WCHAR>(*number & 0xFFFF);
    data[1] = static_cast<WCHAR>(*number >> 16);
    return 2;
  }
  auto needed = static_cast<int>(value->size() + 1);
  if (size == 0) return needed;
  if (size < needed) return FailInt(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(data, value->c_str(), static_cast<std::size_t>(needed) * sizeof(WCHAR));
  return needed;
}

// Names match without regard to case, as the platform's environment does; an
// exact match wins.
QXAPI DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  std::u16string_view wanted = platform::WideView(name);
  if (wanted.empty() || wanted.find(u'=') != std::u16string_view::npos) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::string key = platform::WideToUtf8(wanted);
  const char* found = std::getenv(key.c_str());
  for (char** entry = environ; found == nullptr && entry != nullptr && *entry != nullptr; ++entry) {
    std::string_view e(*entry);
    std::size_t eq = e.find('=');
    if (eq != std::string_view::npos &&
        platform::EqualsIgnoreCase(platform::Utf8ToWide(e.substr(0, eq)), wanted)) {
      found = *entry + eq + 1;
    }
  }
  if (found == nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::u16string value = platform::Utf8ToWide(found);
  auto length = static_cast<DWORD>(value.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, value.c_str(), (value.size() + 1) * sizeof(WCHAR));
  return length;
}

namespace platform::test {

void SetFixedTime(const SYSTEMTIME* localTime) {
  std::lock_guard<std::mutex> guard(stateLock);
  if (localTime == nullptr) {
    State().fixedTime.reset();
    return;
  }
  // An impossible date leaves the clock as it was.
  if (!IsValidSystemTime(*localTime)) return;
  SYSTEMTIME t = *localTime;
  t.wDayOfWeek = SystemTimeOf(TicksOf(t)).wDayOfWeek;
  State().fixedTime = t;
}

void SetUserName(const char16_t* name) {
  std::lock_guard<std::mutex> guard(stateLock);
  if (name == nullptr) {
    State().userName.reset();
  } else {
    State().userName = std::u16string(name);
  }
}

void SetComputerName(const char16_t* name) {
  std::lock_guard<std::mutex> guard(stateLock);
  if (name == nullptr) {
    State().computerName.reset();
  } else {
    State().computerName = std::u16string(name);
  }
}

void SetOsVersion(DWORD major, DWORD minor, DWORD build) {
  std::lock_guard<std::mutex> guard(stateLock);
  State().major = major;
  State().minor = minor;
  State().build = build;
}

void SetCountryCode(int country) {
  std::lock_guard<std::mutex> guard(stateLock);
  State().country = country;
}

void ReadSystemEnvironment() {
  std::lock_guard<std::mutex> guard(stateLock);
  State() = FromEnvironment();
}

}  // namespace platform::test
