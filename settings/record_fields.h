// Every member of the settings record by name, for tools that show and change
// records and for files that store members by key. The names are the record's
// own: the public members by their platform names (dmPaperSize), the private
// members by theirs (youshi, pen3color, dispcolor8value, opname0, colormatch2),
// bits by their names (mirror, center, Punch, DM_COLOR).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace settings {

enum class FieldType : std::uint8_t {
  kU8,
  kI16,
  kU16,
  kI32,
  kU32,
  kWide,   // WCHAR[size]
  kAnsi,   // char[size], ANSI code page
  kBit16,  // bit `mask` of a u16
  kBit32,  // bit `mask` of a u32
  kRaw,    // size opaque bytes
};

struct RecordField {
  std::string name;
  std::size_t offset;  // from the start of the 2,420-byte record
  FieldType type;
  std::uint32_t size;  // characters (kWide), bytes (kAnsi, kRaw) or the bit mask (kBit*)
  // Where the member is shown: the group ("" for a plain member, e.g. "pens"),
  // the index in a list group (-1 for a plain group) and the member's name there.
  std::string group;
  int index;
  std::string member;
};

// All members, public first, then the private block in offset order.
std::span<const RecordField> RecordFields();
// The member of that name, or null.
const RecordField* FindRecordField(std::string_view name);

// Reads a numeric member (integer types and bits) of a record.
std::int64_t GetFieldValue(const unsigned char* record, const RecordField& field);
// Writes a numeric member; false when the value does not fit its width.
[[nodiscard]] bool SetFieldValue(unsigned char* record, const RecordField& field,
                                 std::int64_t value);
// UTF-16 text members (kWide); false when the text does not fit (size - 1 characters).
std::u16string GetFieldText(const unsigned char* record, const RecordField& field);
[[nodiscard]] bool SetFieldText(unsigned char* record, const RecordField& field,
                                std::u16string_view text);
// 8-bit text members (kAnsi), as bytes of the ANSI code page.
std::string GetFieldAnsi(const unsigned char* record, const RecordField& field);
[[nodiscard]] bool SetFieldAnsi(unsigned char* record, const RecordField& field,
                                std::string_view text);
// Opaque members (kRaw): exactly `size` bytes.
std::string GetFieldBytes(const unsigned char* record, const RecordField& field);
[[nodiscard]] bool SetFieldBytes(unsigned char* record, const RecordField& field,
                                 std::string_view bytes);

}  // namespace settings
