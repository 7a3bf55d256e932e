// Code-page conversion of the stream's texts for the report and for labels.
#include "tools/preview/display_text.h"

#include <iconv.h>

#include <cstdio>
#include <vector>

namespace preview {

namespace {

// One conversion descriptor per thread and direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The converted bytes; false when the input is not valid in the source code page.
  bool Convert(std::string_view in, std::string& out) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(in.size() * 4 + 8);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    out.assign(buffer.data(), buffer.size() - outLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

std::string Escaped(std::string_view bytes, bool keepHighBytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7F || (!keepHighBytes && c >= 0x80)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The bytes are UTF-8 after the conversion; only code point counts matter here.
char32_t FirstCodePoint(const std::string& utf8) {
  if (utf8.empty()) return 0;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return lead;
  int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (utf8.size() < static_cast<size_t>(length)) return 0;
  char32_t code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) code = (code << 6) | (byte(static_cast<size_t>(i)) & 0x3F);
  return code;
}

}  // namespace

std::string DisplayText(std::string_view bytes) {
  bool plain = true;
  for (unsigned char c : bytes) plain &= c < 0x80;
  if (plain) return Escaped(bytes, false);
  thread_local Converter fromShiftJis("UTF-8", "CP932");
  std::string utf8;
  if (fromShiftJis.Convert(bytes, utf8)) return Escaped(utf8, true);
  return Escaped(bytes, false);
}

std::string DisplayText(std::span<const uint8_t> bytes) {
  return DisplayText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

char32_t JisToUnicode(uint8_t first, uint8_t second) {
  if (first < 0x21 || first > 0x7E || second < 0x21 || second > 0x7E) return 0;
  thread_local Converter fromEucJp("UTF-8", "EUC-JP");
  const char euc[2] = {static_cast<char>(first | 0x80), static_cast<char>(second | 0x80)};
  std::string utf8;
  if (!fromEucJp.Convert(std::string_view(euc, 2), utf8)) return 0;
  return FirstCodePoint(utf8);
}

}  // namespace preview
