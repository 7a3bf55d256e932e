// KX-GL/2 command syntax.
#include "tools/preview/hpgl_parser.h"

#include <cctype>
#include <charconv>

namespace preview {

namespace {

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNumberStart(int c) { return IsDigit(c) || c == '+' || c == '-' || c == '.'; }

}  // namespace

std::optional<double> ReadNumber(ByteCursor& in) {
  size_t start = in.pos;
  bool negative = false;
  if (in.Peek() == '+' || in.Peek() == '-') negative = in.Next() == '-';
  size_t digitsStart = in.pos;
  bool digits = false;
  while (IsDigit(in.Peek())) {
    in.Next();
    digits = true;
  }
  if (in.Peek() == '.') {
    in.Next();
    while (IsDigit(in.Peek())) {
      in.Next();
      digits = true;
    }
  }
  if (!digits) {
    in.pos = start + (in.pos > start ? in.pos - start : 1);
    return std::nullopt;
  }
  const char* first = reinterpret_cast<const char*>(in.bytes.data()) + digitsStart;
  const char* last = reinterpret_cast<const char*>(in.bytes.data()) + in.pos;
  double value = 0;
  std::from_chars(first, last, value, std::chars_format::fixed);
  return negative ? -value : value;
}

void SkipSeparators(ByteCursor& in) {
  while (!in.AtEnd() && (IsBlank(in.Peek()) || in.Peek() == ';')) in.Next();
}

std::optional<Mnemonic> ReadMnemonic(ByteCursor& in) {
  if (!IsLetter(in.Peek()) || !IsLetter(in.Peek(1))) return std::nullopt;
  Mnemonic m;
  m.offset = in.pos;
  m.name[0] = static_cast<char>(std::toupper(in.Next()));
  m.name[1] = static_cast<char>(std::toupper(in.Next()));
  return m;
}

NumericParams ReadNumbers(ByteCursor& in) {
  NumericParams out;
  while (!in.AtEnd()) {
    int c = in.Peek();
    if (IsBlank(c) || c == ',') {
      in.Next();
    } else if (c == ';') {
      in.Next();
      out.semicolon = true;
      return out;
    } else if (IsLetter(c) || c == kEsc) {
      return out;
    } else if (IsNumberStart(c)) {
      size_t at = in.pos;
      std::optional<double> value = ReadNumber(in);
      if (value) {
        out.values.push_back(*value);
      } else if (!out.strayAt) {
        out.strayAt = at;
      }
    } else {
      if (!out.strayAt) out.strayAt = in.pos;
      in.Next();
    }
  }
  return out;
}

RawParams ReadUpToSemicolon(ByteCursor& in) {
  size_t start = in.pos;
  while (!in.AtEnd() && in.Peek() != ';' && in.Peek() != kEsc) in.Next();
  RawParams out{in.bytes.subspan(start, in.pos - start), false};
  if (in.Peek() == ';') {
    in.Next();
    out.terminated = true;
  }
  return out;
}

RawParams ReadLabelText(ByteCursor& in, uint8_t terminator, bool twoByte) {
  size_t start = in.pos;
  if (!twoByte) {
    while (!in.AtEnd() && in.Peek() != terminator && in.Peek() != kEsc) in.Next();
    RawParams out{in.bytes.subspan(start, in.pos - start), false};
    if (in.Peek() == terminator) {
      in.Next();
      out.terminated = true;
    }
    return out;
  }
  while (in.Left() >= 2) {
    if (in.Peek() == 0 && in.Peek(1) == terminator) {
      RawParams out{in.bytes.subspan(start, in.pos - start), true};
      in.Skip(2);
      return out;
    }
    if (in.Peek() == kEsc) break;
    in.Skip(2);
  }
  if (in.Left() == 1 && in.Peek() != kEsc) in.Next();
  return {in.bytes.subspan(start, in.pos - start), false};
}

RawParams ReadQuoted(ByteCursor& in) {
  if (in.Peek() != '"') return {};
  in.Next();
  size_t start = in.pos;
  while (!in.AtEnd() && in.Peek() != '"' && in.Peek() != kEsc) in.Next();
  RawParams out{in.bytes.subspan(start, in.pos - start), false};
  if (in.Peek() == '"') {
    in.Next();
    out.terminated = true;
  }
  return out;
}

}  // namespace preview
