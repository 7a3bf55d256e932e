// Reading, deriving and writing the printer-sticky data.
#include "settings/sticky_data.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/memory.h"
#include "platform/base/system.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "settings/byte_order.h"
#include "settings/features.h"

namespace settings {

namespace {

using namespace sticky;

// A stored size above this is no record of ours.
constexpr DWORD kLargestRecord = 64 * 1024;

// Reads a value of exactly `size` bytes; false when it is missing or of another size.
bool ReadExact(HANDLE printer, const char16_t* name, void* data, DWORD size) {
  DWORD type = 0, needed = 0;
  DWORD rc = GetPrinterDataW(printer, name, &type, static_cast<LPBYTE>(data), size, &needed);
  return rc == ERROR_SUCCESS && needed == size;
}

bool ReadDword(HANDLE printer, const char16_t* name, DWORD* value) {
  unsigned char bytes[4];
  if (!ReadExact(printer, name, bytes, 4)) return false;
  *value = LoadU32(bytes);
  return true;
}

// Reads up to `size` bytes of a value; the bytes actually there, or -1.
long ReadUpTo(HANDLE printer, const char16_t* name, unsigned char* data, DWORD size) {
  DWORD type = 0, needed = 0;
  DWORD rc = GetPrinterDataW(printer, name, &type, data, size, &needed);
  if (rc != ERROR_SUCCESS) return -1;
  return static_cast<long>(std::min(needed, size));
}

int UserCountry() {
  WCHAR text[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, text, 16) <= 0) return 0;
  int country = 0;
  for (const WCHAR* p = text; *p >= u'0' && *p <= u'9'; ++p) country = country * 10 + (*p - u'0');
  return country;
}

// The derived values into a zeroed record of at least 108 bytes.
void FillDerived(unsigned char* r, HANDLE printer, const Description& d) {
  StoreU16(r + kVersion, kStickyVersion);
  StoreU16(r + kSize, kStickySize);
  std::uint32_t memory = d.FreeVM();
  DWORD freeMem = 0;
  if (ReadDword(printer, u"FreeMem", &freeMem)) {
    std::uint64_t bytes = static_cast<std::uint64_t>(freeMem) * 1024;
    memory = bytes < kMinimumMemory
                 ? kMinimumMemory
                 : static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
  }
  StoreU32(r + kMemory, memory);
  StoreU32(r + kJobTimeout, d.SuggestedJobTimeout());
  StoreU32(r + kWaitTimeout, d.SuggestedWaitTimeout());
  StoreU16(r + kChecksum, d.Checksum());
  std::uint8_t selections[kMaxInstallable] = {};
  int count = ResolveInstallableDefaults(d, selections);
  StoreU16(r + kInstallableCount, static_cast<std::uint16_t>(count));
  std::memcpy(r + kInstallableSel, selections, kMaxInstallable);
  std::uint32_t flags = 0;
  DWORD halftone = 0;
  if (ReadDword(printer, u"PrinterHT", &halftone) && halftone != 0) flags |= kStickyHalftone;
  if (IsMetricCountry(UserCountry())) flags |= kStickyMetric;
  UINT acp = GetACP();
  if (acp != 1252 && acp != 932 && acp != 936 && acp != 949 && acp != 950) {
    flags |= kStickyNoDeviceFonts;
  }
  StoreU32(r + kFlags, flags);
}

unsigned char* AllocateRecord(std::size_t bytes) {
  return static_cast<unsigned char*>(GlobalAlloc(GPTR, bytes));
}

}  // namespace

bool IsMetricCountry(int country) {
  return !(country == 1 || country == 2 || (country >= 50 && country <= 59) ||
           (country >= 500 && country <= 599));
}

StickyRecord DeriveStickyRecord(HANDLE printer, const Description& d) {
  unsigned char* r = AllocateRecord(kStickySize);
  if (r) FillDerived(r, printer, d);
  return {r, kStickySize, true};
}

StickyRecord ReadStickyRecord(HANDLE printer, const Description& d) {
  DWORD size = 0;
  if (!ReadDword(printer, u"PrinterDataSize", &size) || size == 0 || size > kLargestRecord) {
    return DeriveStickyRecord(printer, d);
  }
  std::size_t bytes = std::max<std::size_t>(size, kStickySize);
  unsigned char* r = AllocateRecord(bytes);
  if (r == nullptr) return {nullptr, 0, false};
  long got = ReadUpTo(printer, u"PrinterData", r, size);
  if (got < 12) {
    GlobalFree(r);
    return DeriveStickyRecord(printer, d);
  }
  // Fields past the bytes actually read take their derived values.
  if (static_cast<std::size_t>(got) < kStickySize) {
    unsigned char derived[kStickySize] = {};
    FillDerived(derived, printer, d);
    std::memcpy(r + got, derived + got, kStickySize - static_cast<std::size_t>(got));
  }
  std::size_t storedCount = std::min<std::size_t>(
      {LoadU16(r + kInstallableCount), static_cast<std::size_t>(kMaxInstallable),
       got > static_cast<long>(kInstallableSel) ? static_cast<std::size_t>(got) - kInstallableSel
                                                : 0});
  StoreU16(r + kInstallableCount, static_cast<std::uint16_t>(storedCount));
  if (LoadU16(r + kChecksum) != d.Checksum()) {
    StoreU16(r + kChecksum, d.Checksum());
    std::uint8_t selections[kMaxInstallable] = {};
    int count = ResolveInstallableDefaults(d, selections);
    StoreU16(r + kInstallableCount, static_cast<std::uint16_t>(count));
    std::memcpy(r + kInstallableSel, selections, kMaxInstallable);
  }
  return {r, bytes, false};
}

int StoredInstallableChoice(const unsigned char* record, const Description& d, int n) {
  Feature f = d.FeatureAt(d.DocumentFeatureCount() + n);
  if (!f || n < 0) return kNoOption;
  int options = SelectableOptionCount(f);
  int fallback = static_cast<int>(f.DefaultChoice());
  if (fallback >= options) fallback = 0;
  if (n >= kMaxInstallable || n >= LoadU16(record + sticky::kInstallableCount)) return fallback;
  int stored = record[sticky::kInstallableSel + static_cast<std::size_t>(n)];
  return stored == kNoOption || stored < options ? stored : fallback;
}

DWORD ReadFontOrder(HANDLE printer) {
  DWORD size = 0;
  if (!ReadDword(printer, u"PrinterDataSize", &size) || size == 0 || size > kLargestRecord)
    return 0;
  std::vector<unsigned char> r(std::max<std::size_t>(size, kStickySize), 0);
  long got = ReadUpTo(printer, u"PrinterData", r.data(), size);
  if (got < static_cast<long>(kFontOrder + 2) || LoadU16(r.data() + kVersion) < kStickyVersion)
    return 0;
  return LoadU16(r.data() + kFontOrder);
}

bool WriteStickyRecord(HANDLE printer, const unsigned char* record, DWORD size) {
  if (record == nullptr || size < 12) return false;
  unsigned char word[4];
  StoreU32(word, LoadU32(record + kMemory) / 1024);
  SetPrinterDataW(printer, u"FreeMem", REG_DWORD, word, 4);
  StoreU32(word, (LoadU32(record + kFlags) & kStickyHalftone) ? 1 : 0);
  SetPrinterDataW(printer, u"PrinterHT", REG_BINARY, word, 4);
  StoreU32(word, size);
  bool sized = SetPrinterDataW(printer, u"PrinterDataSize", REG_DWORD, word, 4) == ERROR_SUCCESS;
  bool stored = SetPrinterDataW(printer, u"PrinterData", REG_BINARY, record, size) == ERROR_SUCCESS;
  return sized && stored;
}

std::optional<std::vector<TrayFormEntry>> ParseTrayFormTable(const unsigned char* table,
                                                             std::size_t size) {
  if (size < 4 || LoadU16(table) != size) return std::nullopt;
  std::vector<TrayFormEntry> entries;
  std::size_t at = 2;
  // One text of the entry: it must end with a zero WCHAR inside the table.
  auto text = [&](std::u16string* out) {
    out->clear();
    while (at + 2 <= size) {
      char16_t c = LoadU16(table + at);
      at += 2;
      if (c == 0) return true;
      out->push_back(c);
    }
    return false;
  };
  while (true) {
    if (at + 2 > size) return std::nullopt;
    if (LoadU16(table + at) == 0) return entries;  // an empty tray name ends the table
    TrayFormEntry e;
    if (!text(&e.tray) || !text(&e.form) || !text(&e.third) || at + 2 > size) return std::nullopt;
    e.flag = LoadU16(table + at);
    at += 2;
    entries.push_back(std::move(e));
  }
}

std::optional<std::vector<TrayFormEntry>> ReadTrayFormTable(HANDLE printer) {
  DWORD size = 0;
  if (!ReadDword(printer, u"TrayFormSize", &size) || size < 4 || size > kLargestRecord) {
    return std::nullopt;
  }
  std::vector<unsigned char> table(size);
  long got = ReadUpTo(printer, u"TrayFormTable", table.data(), size);
  if (got != static_cast<long>(size)) return std::nullopt;
  return ParseTrayFormTable(table.data(), size);
}

bool WriteTrayFormTable(HANDLE printer, const unsigned char* table, DWORD size) {
  unsigned char word[4];
  StoreU32(word, size);
  bool sized = SetPrinterDataW(printer, u"TrayFormSize", REG_DWORD, word, 4) == ERROR_SUCCESS;
  return sized &&
         SetPrinterDataW(printer, u"TrayFormTable", REG_BINARY, table, size) == ERROR_SUCCESS;
}

bool ReadHalftoneRecord(HANDLE printer, unsigned char area[kHalftoneSize]) {
  unsigned char bytes[kHalftoneSize + 1];
  DWORD type = 0, needed = 0;
  DWORD rc = GetPrinterDataW(printer, u"CurDevHTInfo", &type, bytes, sizeof bytes, &needed);
  if (rc != ERROR_SUCCESS || needed != kHalftoneSize) return false;
  std::memcpy(area, bytes, kHalftoneSize);
  return true;
}

}  // namespace settings
