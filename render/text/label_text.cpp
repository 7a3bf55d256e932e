// Label characters: conversion one character at a time, classes from the bytes
// produced, Shift-JIS to JIS, and the label size text.
#include "render/text/label_text.h"

#include <cstdio>

namespace render {

UINT LabelCodePage(UINT ansiCodePage) {
  switch (ansiCodePage) {
    case 932:
    case 936:
    case 949:
    case 950:
      return ansiCodePage;
    default:
      return 1252;
  }
}

namespace {

bool HighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool LowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

// The class cannot come from the Unicode value: the conversion gives one byte for
// characters that value would count as two, and a writer that trusted the value
// would read past the converted text and take every later character out of step.
LabelChar ReadLabelChar(UINT codePage, const WCHAR* text, std::size_t count) {
  if (text == nullptr || count == 0) return {kLabelClassLowByte, '?', 0};
  std::size_t units = count >= 2 && HighSurrogate(text[0]) && LowSurrogate(text[1]) ? 2 : 1;
  char bytes[8];
  int produced = WideCharToMultiByte(codePage, 0, text, static_cast<int>(units), bytes,
                                     static_cast<int>(sizeof bytes), nullptr, nullptr);
  if (produced == 2) {
    auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                           static_cast<unsigned char>(bytes[1]));
    return {kLabelClassDoubleByte, code, units};
  }
  unsigned char byte = produced == 1 ? static_cast<unsigned char>(bytes[0]) : '?';
  return {byte >= 0x80 ? kLabelClassHighByte : kLabelClassLowByte, byte, units};
}

LabelRun ReadLabelRun(UINT codePage, const WCHAR* text, std::size_t count) {
  LabelRun run{kLabelClassLowByte, 0, 0};
  while (run.units < count) {
    LabelChar ch = ReadLabelChar(codePage, text + run.units, count - run.units);
    if (run.characters != 0 && ch.charClass != run.charClass) break;
    run.charClass = ch.charClass;
    run.units += ch.units;
    ++run.characters;
  }
  return run;
}

JisBytes ShiftJisToJis(std::uint16_t code) {
  unsigned s1 = code >> 8;
  unsigned s2 = code & 0xFF;
  unsigned t = s2 >= 0x80 ? s2 - 1 : s2;
  unsigned first = (s1 & 0x3F) * 2 + 31;
  unsigned second = t - 31;
  if (second > 0x7E) {
    second = t - 125;
    ++first;
  }
  if (first == 0x2D && second == 0x5F) second = 0x7E;
  return {static_cast<unsigned char>(first), static_cast<unsigned char>(second)};
}

LabelSizeText FormatLabelSize(std::int32_t hundredths) {
  LabelSizeText out{};
  std::int64_t value = hundredths;
  const char* sign = value < 0 ? "-" : "";
  if (value < 0) value = -value;
  long long whole = value / 100;
  long long fraction = value % 100;
  int n = fraction == 0
              ? std::snprintf(out.text, sizeof out.text, "%s%lld.0", sign, whole)
              : std::snprintf(out.text, sizeof out.text, "%s%lld.%02lld", sign, whole, fraction);
  out.length = n > 0 ? static_cast<std::size_t>(n) : 0;
  return out;
}

}  // namespace render
