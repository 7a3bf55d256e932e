// The buffered writer and its formatting writers.
#include "render/core/output_channel.h"

#include <cstring>
#include <string_view>

namespace render {

namespace {

constexpr DWORD kDirectThreshold = kOutputCapacity / 2;

// One transfer to the sink; only a call that succeeds and takes every byte counts.
bool TransferOnce(OutputChannel& out, const void* bytes, DWORD length) {
  DWORD written = 0;
  if (out.sink.transfer == nullptr) return false;
  BOOL ok = out.sink.transfer(out.sink.context, bytes, length, &written);
  return ok != FALSE && written == length;
}

// The spool filter knows its log block (2,648 bytes) and its job-binder trailer
// (76 bytes) by size and first word alone; print data of that shape would be
// taken from the stream.
bool LooksLikeFilterBlock(const unsigned char* bytes, DWORD length) {
  if (length != 2648 && length != 76) return false;
  std::uint32_t word = static_cast<std::uint32_t>(bytes[0]) | std::uint32_t{bytes[1]} << 8 |
                       std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  return length == 2648 ? word == 0x4C6F6700 : word == 0x5441494C;
}

// Such data goes out with its first byte in a transfer of its own: the stream
// is the same, and the filter sees no block.
bool Transfer(OutputChannel& out, const void* bytes, DWORD length) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  if (!out.sendingBlock && LooksLikeFilterBlock(p, length)) {
    return TransferOnce(out, p, 1) && TransferOnce(out, p + 1, length - 1);
  }
  return TransferOnce(out, p, length);
}

// The piece of formatted text being built; it is handed to the channel whenever
// the 256-byte area is full, so a long text is never cut.
struct TextArea {
  OutputChannel* out;  // null: format into `external` only
  char area[256];
  std::size_t used = 0;
  std::size_t total = 0;
  bool failed = false;
  char* external = nullptr;
  std::size_t externalCapacity = 0;

  void Put(char c) {
    if (out == nullptr) {
      if (total + 1 < externalCapacity) {
        external[total] = c;
        external[total + 1] = 0;
      }
      ++total;
      return;
    }
    if (used == sizeof(area)) Drain();
    area[used++] = c;
    ++total;
  }
  void Put(std::string_view s) {
    for (char c : s) Put(c);
  }
  void Drain() {
    if (out && used > 0 && !WriteBytes(*out, area, used)) failed = true;
    used = 0;
  }
};

void PutUnsigned(TextArea& t, std::uint32_t v) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) t.Put(digits[--n]);
}

void PutSigned(TextArea& t, std::uint32_t bits) {
  auto v = static_cast<std::int32_t>(bits);
  if (v < 0) {
    t.Put('-');
    PutUnsigned(t, 0u - bits);  // the magnitude, also for the most negative value
  } else {
    PutUnsigned(t, bits);
  }
}

void PutHex(TextArea& t, std::uint32_t v) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  char digits[8];
  int n = 0;
  do {
    digits[n++] = kDigits[v & 0xF];
    v >>= 4;
  } while (v != 0);
  if (n < 2) digits[n++] = '0';
  while (n > 0) t.Put(digits[--n]);
}

// 24.8 fixed point: the integer part, and when there is a fraction, a point and
// the fraction rounded to thousandths with trailing zeros dropped.
void PutFixed(TextArea& t, std::uint32_t bits) {
  auto v = static_cast<std::int32_t>(bits);
  std::uint32_t magnitude = bits;
  if (v < 0) {
    t.Put('-');
    magnitude = 0u - bits;
  }
  PutUnsigned(t, magnitude >> 8);
  std::uint32_t low = magnitude & 0xFF;
  if (low == 0) return;
  std::uint32_t thousandths = (low * 100000 / 256 + 50) / 100;
  char digits[3] = {static_cast<char>('0' + thousandths / 100 % 10),
                    static_cast<char>('0' + thousandths / 10 % 10),
                    static_cast<char>('0' + thousandths % 10)};
  int n = 3;
  while (n > 0 && digits[n - 1] == '0') --n;
  if (n == 0) return;
  t.Put('.');
  for (int i = 0; i < n; ++i) t.Put(digits[i]);
}

void Format(TextArea& t, const char* format, std::initializer_list<FormatArg> args) {
  const FormatArg* next = args.begin();
  auto take = [&]() -> const FormatArg* { return next != args.end() ? next++ : nullptr; };
  for (const char* p = format; *p != 0; ++p) {
    if (*p != '%') {
      t.Put(*p);
      continue;
    }
    char d = *++p;
    if (d == 0) break;  // a lone "%" at the end writes nothing
    const FormatArg* a = nullptr;
    switch (d) {
      case 'd':
      case 'l':
      case 'u':
      case 'x':
      case 'X':
      case 'c':
      case 's':
      case 'b':
      case 'f':
        a = take();
        break;
      default:
        t.Put(d);
        continue;
    }
    std::uint32_t n = a && a->kind == FormatArg::Kind::kNumber ? a->number : 0;
    switch (d) {
      case 'd':
      case 'l':
        PutSigned(t, n);
        break;
      case 'u':
        PutUnsigned(t, n);
        break;
      case 'x':
      case 'X':
        PutHex(t, n);
        break;
      case 'c':
        t.Put(static_cast<char>(n));
        break;
      case 's':
        if (a && a->kind == FormatArg::Kind::kText && a->text) t.Put(std::string_view(a->text));
        break;
      case 'b':
        t.Put(n != 0 || (a && a->text) ? "true" : "false");
        break;
      case 'f':
        PutFixed(t, n);
        break;
    }
  }
}

}  // namespace

void ResetOutput(OutputChannel& out) {
  out.capacity = kOutputCapacity;
  out.fill = 0;
}

BOOL WriteBytes(OutputChannel& out, const void* bytes, std::size_t length) {
  if (out.failed) return FALSE;
  bool direct = length > kDirectThreshold;
  if (direct || out.fill + length > out.capacity) {
    if (out.fill != 0) {
      if (!Transfer(out, out.buffer, out.fill)) {
        out.failed = true;
        return FALSE;
      }
      out.fill = 0;
    }
  }
  if (direct) {
    // Large raster and font pieces go out without being copied, in slices the
    // 32-bit count can carry.
    const auto* p = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
      DWORD piece = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
      if (!Transfer(out, p, piece)) {
        out.failed = true;
        return FALSE;
      }
      p += piece;
      length -= piece;
    }
    return TRUE;
  }
  if (length != 0) {
    std::memcpy(out.buffer + out.fill, bytes, length);
    out.fill += static_cast<DWORD>(length);
  }
  return TRUE;
}

BOOL FlushOutput(OutputChannel& out) {
  if (out.fill == 0 || out.failed) return TRUE;
  bool ok = Transfer(out, out.buffer, out.fill);
  out.fill = 0;
  if (!ok) {
    out.failed = true;
    return FALSE;
  }
  return TRUE;
}

BOOL WriteText(OutputChannel& out, const char* text) {
  return WriteBytes(out, text, text ? std::strlen(text) : 0);
}

int WriteFormatted(OutputChannel& out, const char* format, std::initializer_list<FormatArg> args) {
  TextArea t;
  t.out = &out;
  Format(t, format, args);
  t.Drain();
  if (t.failed) return -1;
  return static_cast<int>(t.total);
}

std::size_t FormatInto(char* text, std::size_t capacity, const char* format,
                       std::initializer_list<FormatArg> args) {
  std::size_t start = text && capacity ? std::strlen(text) : 0;
  TextArea t;
  t.out = nullptr;
  t.external = text + start;
  t.externalCapacity = capacity > start ? capacity - start : 0;
  Format(t, format, args);
  return t.total;
}

namespace {
BOOL WriteList(OutputChannel& out, std::size_t count, const std::int32_t* values, bool fixed) {
  TextArea t;
  t.out = &out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) t.Put(' ');
    if (fixed) {
      PutFixed(t, static_cast<std::uint32_t>(values[i]));
    } else {
      PutSigned(t, static_cast<std::uint32_t>(values[i]));
    }
  }
  t.Drain();
  return (t.failed || out.failed) ? FALSE : TRUE;
}
}  // namespace

BOOL WriteNumberList(OutputChannel& out, std::size_t count, const std::int32_t* values) {
  return WriteList(out, count, values, false);
}

BOOL WriteFixedList(OutputChannel& out, std::size_t count, const std::int32_t* values) {
  return WriteList(out, count, values, true);
}

BOOL WriteHex(OutputChannel& out, std::size_t length, const void* bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  if (out.failed) return FALSE;
  const auto* p = static_cast<const unsigned char*>(bytes);
  char line[129];
  std::size_t used = 0;
  BOOL result = TRUE;
  for (std::size_t i = 0; i < length; ++i) {
    if (used == 128) {
      line[used++] = '\n';
      if (!WriteBytes(out, line, used)) return FALSE;
      used = 0;
    }
    line[used++] = kDigits[p[i] >> 4];
    line[used++] = kDigits[p[i] & 0xF];
  }
  if (used > 0) result = WriteBytes(out, line, used);
  return result;
}

}  // namespace render
