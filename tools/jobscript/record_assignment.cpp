// Members of a settings record set by name.
#include "tools/jobscript/record_assignment.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/text.h"
#include "settings/record_fields.h"
#include "settings/settings_record.h"

namespace jobscript {

namespace {

using settings::FieldType;
using settings::RecordField;

// A number in decimal or with a 0x prefix, with an optional sign.
bool ParseNumber(const std::string& text, long long* value) {
  std::string_view rest = text;
  bool negative = false;
  if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
    negative = rest[0] == '-';
    rest.remove_prefix(1);
  }
  int base = 10;
  if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    base = 16;
    rest.remove_prefix(2);
  }
  if (rest.empty() || rest[0] == '-' || rest[0] == '+') return false;
  unsigned long long magnitude = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, base);
  if (ec != std::errc() || end != rest.data() + rest.size()) return false;
  if (magnitude > (negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL)) return false;
  *value = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
  return true;
}

bool HexBytes(const std::string& text, std::string* bytes) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (ec != std::errc() || end != text.data() + i + 2) return false;
    *bytes += static_cast<char>(value);
  }
  return true;
}

bool AssignAnsi(unsigned char* record, const RecordField& f, const std::string& value) {
  std::u16string wide = platform::Utf8ToWide(value);
  std::string bytes(wide.size() * 2 + 1, '\0');
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return settings::SetFieldAnsi(record, f, bytes);
}

bool AssignField(unsigned char* record, const RecordField& f, const std::string& name,
                 const std::string& value, std::string* error) {
  switch (f.type) {
    case FieldType::kWide:
      if (settings::SetFieldText(record, f, platform::Utf8ToWide(value))) return true;
      *error = name + " holds at most " + std::to_string(f.size - 1) + " characters";
      return false;
    case FieldType::kAnsi:
      if (AssignAnsi(record, f, value)) return true;
      *error = name + " holds at most " + std::to_string(f.size - 1) + " bytes";
      return false;
    case FieldType::kRaw: {
      std::string bytes;
      if (value.size() == 2 * f.size && HexBytes(value, &bytes) &&
          settings::SetFieldBytes(record, f, bytes)) {
        return true;
      }
      *error = name + " takes " + std::to_string(f.size) + " bytes in hexadecimal";
      return false;
    }
    default: {
      long long v = 0;
      if (value == "true" || value == "false") {
        v = value == "true";
      } else if (!ParseNumber(value, &v)) {
        *error = "'" + value + "' is not a number for " + name;
        return false;
      }
      if (settings::SetFieldValue(record, f, v)) return true;
      *error = value + " does not fit " + name;
      return false;
    }
  }
}

}  // namespace

bool AssignRecordMember(unsigned char* record, const std::string& assignment, std::string* error) {
  std::size_t eq = assignment.find('=');
  if (eq == std::string::npos) {
    *error = "expected NAME=VALUE, got '" + assignment + "'";
    return false;
  }
  std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
  const RecordField* f = settings::FindRecordField(name);
  if (f == nullptr) {
    *error = "no member named '" + name + "' in the settings record";
    return false;
  }
  // A failed change leaves the record as it was.
  std::vector<unsigned char> before(record, record + settings::kRecordSize);
  if (AssignField(record, *f, name, value, error)) return true;
  std::memcpy(record, before.data(), before.size());
  return false;
}

}  // namespace jobscript
