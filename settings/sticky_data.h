// Printer-sticky data: settings that belong to the printer rather than to a
// document, kept in the spooler's printer data. The 108-byte printer-sticky
// record (installed memory, installed options, halftoning, the font-order
// selector), the 132-byte device halftone record and the form-to-tray table.
// When the record is missing it is derived from the description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "settings/description.h"

namespace settings {

constexpr std::size_t kStickySize = 108;
constexpr std::uint16_t kStickyVersion = 1024;
constexpr std::uint32_t kMinimumMemory = 102400;

// Offsets of the printer-sticky record.
namespace sticky {
constexpr std::size_t kVersion = 0;
constexpr std::size_t kSize = 2;
constexpr std::size_t kFlags = 4;
constexpr std::size_t kMemory = 8;
constexpr std::size_t kJobTimeout = 12;
constexpr std::size_t kWaitTimeout = 16;
constexpr std::size_t kChecksum = 36;
constexpr std::size_t kInstallableCount = 38;
constexpr std::size_t kInstallableSel = 40;  // u8[64]
constexpr std::size_t kFontOrder = 104;
}  // namespace sticky

// flags bits.
constexpr std::uint32_t kStickyMetric = 0x1;
constexpr std::uint32_t kStickyHalftone = 0x2;
constexpr std::uint32_t kStickyNoDeviceFonts = 0x4;
constexpr std::uint32_t kStickyLegacySwitch = 0x8;

// A record in global memory (GlobalFree) of at least 108 bytes; `bytes` is its
// allocation size (the stored size, or 108), `derived` says it was not read.
struct StickyRecord {
  unsigned char* data;
  std::size_t bytes;
  bool derived;
};

// The printer's record, read or derived; data null when memory is short.
StickyRecord ReadStickyRecord(HANDLE printer, const Description& d);
StickyRecord DeriveStickyRecord(HANDLE printer, const Description& d);
// The stored choice of installable feature `n` (numbered in its group) in a
// record of at least 108 bytes: the stored byte when it is 255 or one of the
// feature's selectable options, else the feature's default choice. Features at
// 64 and beyond, or beyond the record's installableCount, have their default.
int StoredInstallableChoice(const unsigned char* record, const Description& d, int n);

// The font-order selector of the stored record; 0 when there is none, or the
// record is older than the current form.
DWORD ReadFontOrder(HANDLE printer);
// Writes "FreeMem", "PrinterHT", "PrinterDataSize" and "PrinterData"; true when
// the last two were written.
bool WriteStickyRecord(HANDLE printer, const unsigned char* record, DWORD size);

// One entry of the form-to-tray table.
struct TrayFormEntry {
  std::u16string tray;
  std::u16string form;
  std::u16string third;
  std::uint16_t flag;  // bit 0: in force
};
// The table's entries, or none when it is missing, its size word differs from
// "TrayFormSize", or it is malformed (a text or flag running past its end).
std::optional<std::vector<TrayFormEntry>> ReadTrayFormTable(HANDLE printer);
// Parses a table of the current form (size word, entries, final 0) of `size`
// bytes; none when malformed.
std::optional<std::vector<TrayFormEntry>> ParseTrayFormTable(const unsigned char* table,
                                                             std::size_t size);
bool WriteTrayFormTable(HANDLE printer, const unsigned char* table, DWORD size);

constexpr std::size_t kHalftoneSize = 132;
// True only when exactly 132 bytes of "CurDevHTInfo" can be read.
bool ReadHalftoneRecord(HANDLE printer, unsigned char area[kHalftoneSize]);

// Every country of the user's locale but 1, 2, 50-59 and 500-599 measures metric.
bool IsMetricCountry(int country);

}  // namespace settings
