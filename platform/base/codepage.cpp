// Code pages. Each page's decode and encode tables are built once, on first use,
// from the C library's converters (glibc iconv) plus the few bytes the platform
// maps beyond those converters' tables; every conversion after that is a table
// lookup. UTF-8 is converted by hand.
//
// Known differences from the platform: no best-fit mappings (a character
// without a code of its own on the page always becomes the default character,
// as with WC_NO_BEST_FIT_CHARS), MB_COMPOSITE, MB_USEGLYPHCHARS and
// WC_COMPOSITECHECK are accepted but change nothing, and the user-defined areas
// of 936 and 949 are not mapped to the private use area.
#include "platform/base/codepage.h"

#include <iconv.h>

#include <atomic>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>
#include <vector>

#include "platform/base/error.h"

namespace {

constexpr char16_t kNoChar = 0xFFFF;  // decode tables: byte or pair not assigned
constexpr WORD kNoCode = 0xFFFF;      // encode table: character not on the page

struct ByteRange {
  BYTE first;
  BYTE last;
};

// A mapping the platform has beyond the converter's table (both directions).
struct Addition {
  WORD code;
  char16_t ch;
};

// clang-format off
constexpr ByteRange kSjisLeads[]  = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr ByteRange kSjisTrails[] = {{0x40, 0x7E}, {0x80, 0xFC}};
constexpr ByteRange kWideLeads[]  = {{0x81, 0xFE}};
constexpr ByteRange kGbkTrails[]  = {{0x40, 0x7E}, {0x80, 0xFE}};
constexpr ByteRange kUhcTrails[]  = {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}};
constexpr ByteRange kBig5Trails[] = {{0x40, 0x7E}, {0xA1, 0xFE}};

// 932 keeps 0x80 as U+0080 and gives 0xA0 and 0xFD to 0xFF private-use
// characters, so that every single byte survives a round trip.
constexpr Addition kSjisAdditions[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3},
};
// The five bytes 1252 leaves undefined map to the C1 controls of the same value.
constexpr Addition kLatin1Additions[] = {
    {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
};
// clang-format on

// One code page: where its tables come from and what its bytes look like.
struct PageInfo {
  UINT codePage;
  const char* converter;  // iconv's name for the page
  std::span<const ByteRange> leads;
  std::span<const ByteRange> trails;
  std::span<const Addition> additions;
  char16_t unicodeDefault;  // what an invalid byte sequence decodes to
};

// The pages the stand-in offers besides UTF-8. 932's own default is the
// katakana middle dot, as on the platform; the others use '?'.
// clang-format off
const PageInfo kPages[] = {
    {932,  "CP932",  kSjisLeads, kSjisTrails, kSjisAdditions,   u'\u30FB'},
    {936,  "GBK",    kWideLeads, kGbkTrails,  {},               u'?'},
    {949,  "UHC",    kWideLeads, kUhcTrails,  {},               u'?'},
    {950,  "BIG5",   kWideLeads, kBig5Trails, {},               u'?'},
    {1252, "CP1252", {},         {},          kLatin1Additions, u'?'},
    {437,  "IBM437", {},         {},          {},               u'?'},
};
// clang-format on
constexpr std::size_t kPageCount = sizeof(kPages) / sizeof(kPages[0]);

bool InRanges(std::span<const ByteRange> ranges, BYTE b) {
  for (const ByteRange& r : ranges) {
    if (b >= r.first && b <= r.last) return true;
  }
  return false;
}

struct PageTables {
  bool ok = false;
  char16_t unicodeDefault = u'?';
  bool lead[256] = {};
  bool trail[256] = {};
  char16_t single[256] = {};
  std::vector<char16_t> pairs;  // indexed by lead << 8 | trail
  std::vector<WORD> codes;      // indexed by the UTF-16 unit
};

// Decodes `length` bytes with `cd` into exactly one UTF-16 unit, or kNoChar.
char16_t DecodeOne(iconv_t cd, const BYTE* bytes, std::size_t length) {
  char in[2] = {static_cast<char>(bytes[0]), length > 1 ? static_cast<char>(bytes[1]) : '\0'};
  char out[8];
  char* inp = in;
  char* outp = out;
  std::size_t inLeft = length;
  std::size_t outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return kNoChar;
  }
  if (sizeof(out) - outLeft != 2) return kNoChar;
  auto c = static_cast<char16_t>(static_cast<BYTE>(out[0]) | (static_cast<BYTE>(out[1]) << 8));
  if (c >= 0xD800 && c < 0xE000) return kNoChar;
  return c;
}

// The code the converter itself chooses for `c`, or kNoCode.
WORD EncodeOne(iconv_t cd, char16_t c) {
  char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  char out[8];
  char* inp = in;
  char* outp = out;
  std::size_t inLeft = 2;
  std::size_t outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) return kNoCode;
  std::size_t n = sizeof(out) - outLeft;
  if (n == 1) return static_cast<BYTE>(out[0]);
  if (n == 2)
    return static_cast<WORD>((static_cast<BYTE>(out[0]) << 8) | static_cast<BYTE>(out[1]));
  return kNoCode;
}

void FillDecodeTables(const PageInfo& info, iconv_t dec, PageTables& t) {
  for (int b = 0; b < 256; ++b) {
    auto byte = static_cast<BYTE>(b);
    t.lead[b] = InRanges(info.leads, byte);
    t.trail[b] = InRanges(info.trails, byte);
    t.single[b] = t.lead[b] ? kNoChar : DecodeOne(dec, &byte, 1);
  }
  if (!info.leads.empty()) {
    t.pairs.assign(65536, kNoChar);
    for (int lead = 0; lead < 256; ++lead) {
      if (!t.lead[lead]) continue;
      for (int trail = 0; trail < 256; ++trail) {
        if (!t.trail[trail]) continue;
        BYTE pair[2] = {static_cast<BYTE>(lead), static_cast<BYTE>(trail)};
        t.pairs[static_cast<std::size_t>(lead << 8 | trail)] = DecodeOne(dec, pair, 2);
      }
    }
  }
  for (const Addition& a : info.additions) {
    if (a.code < 256) {
      t.single[a.code] = a.ch;
    } else {
      t.pairs[a.code] = a.ch;
    }
  }
}

// The inverse of the decode tables. Where several codes decode to one character
// the converter's own choice wins (for 932 it prefers the JIS rows to NEC row
// 13, row 13 to the IBM extensions, and those to the NEC-selected copies, as the
// platform does); one-way mappings of the converter are left out.
void FillEncodeTable(iconv_t enc, PageTables& t) {
  t.codes.assign(65536, kNoCode);
  std::vector<bool> shared(65536, false);
  auto add = [&](WORD code, char16_t c) {
    if (c == kNoChar) return;
    if (t.codes[c] == kNoCode) {
      t.codes[c] = code;
    } else {
      shared[c] = true;
    }
  };
  for (int b = 0; b < 256; ++b) add(static_cast<WORD>(b), t.single[b]);
  for (std::size_t code = 0; code < t.pairs.size(); ++code)
    add(static_cast<WORD>(code), t.pairs[code]);
  for (std::size_t c = 0; c < shared.size(); ++c) {
    if (!shared[c] || enc == reinterpret_cast<iconv_t>(-1)) continue;
    WORD chosen = EncodeOne(enc, static_cast<char16_t>(c));
    char16_t back = chosen == kNoCode ? kNoChar : chosen < 256 ? t.single[chosen] : t.pairs[chosen];
    if (back == c) t.codes[c] = chosen;
  }
}

void BuildTables(const PageInfo& info, PageTables& t) {
  iconv_t dec = iconv_open("UTF-16LE", info.converter);
  if (dec == reinterpret_cast<iconv_t>(-1)) return;  // the converter is not installed
  iconv_t enc = iconv_open(info.converter, "UTF-16LE");
  t.unicodeDefault = info.unicodeDefault;
  FillDecodeTables(info, dec, t);
  FillEncodeTable(enc, t);
  iconv_close(dec);
  if (enc != reinterpret_cast<iconv_t>(-1)) iconv_close(enc);
  t.ok = true;
}

std::once_flag pageOnce[kPageCount];
PageTables* pageTables[kPageCount];

// The tables of `codePage` (a real page number), or null when the stand-in has
// no such page.
const PageTables* FindTables(UINT codePage) {
  for (std::size_t i = 0; i < kPageCount; ++i) {
    if (kPages[i].codePage != codePage) continue;
    std::call_once(pageOnce[i], [i] {
      auto* t = new PageTables;  // lives as long as the process
      BuildTables(kPages[i], *t);
      pageTables[i] = t;
    });
    return pageTables[i]->ok ? pageTables[i] : nullptr;
  }
  return nullptr;
}

const PageInfo* FindInfo(UINT codePage) {
  for (const PageInfo& info : kPages) {
    if (info.codePage == codePage) return &info;
  }
  return nullptr;
}

bool IsSupported(UINT codePage) { return codePage == CP_UTF8 || FindInfo(codePage) != nullptr; }

UINT InitialAnsiPage() {
  const char* env = std::getenv("QX_ACP");
  if (env != nullptr && *env != 0) {
    UINT page = 0;
    const char* end = env + std::strlen(env);
    auto [ptr, ec] = std::from_chars(env, end, page);
    if (ec == std::errc() && ptr == end && IsSupported(page)) return page;
  }
  return 932;
}

std::atomic<UINT>& AnsiPage() {
  static std::atomic<UINT> page{InitialAnsiPage()};
  return page;
}

UINT OemPageOf(UINT ansi) {
  switch (ansi) {
    case 932:
    case 936:
    case 949:
    case 950:
    case CP_UTF8:
      return ansi;
    default:
      return 437;
  }
}

// CP_ACP, CP_OEMCP and CP_THREAD_ACP stand for the system's pages.
UINT ResolvePage(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_THREAD_ACP) return GetACP();
  if (codePage == CP_OEMCP) return GetOEMCP();
  return codePage;
}

// Output of a conversion: counts everything, stores what fits; `capacity` 0 with
// a null buffer is a size query.
template <typename T>
struct Sink {
  T* out;
  std::size_t capacity;
  std::size_t count = 0;
  bool overflow = false;

  void Put(T c) {
    if (out != nullptr) {
      if (count >= capacity) {
        overflow = true;
        return;
      }
      out[count] = c;
    }
    ++count;
  }
  // Both units or neither: a character is never cut in half.
  void PutTwo(T a, T b) {
    if (out != nullptr && count + 2 > capacity) {
      overflow = true;
      return;
    }
    Put(a);
    Put(b);
  }
};

using WideSink = Sink<WCHAR>;
using ByteSink = Sink<char>;

bool IsHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// Decodes bytes of a table page; false on an invalid sequence when `strict`.
bool DecodeTable(const PageTables& t, const BYTE* src, std::size_t n, bool strict, WideSink& sink) {
  for (std::size_t i = 0; i < n && !sink.overflow;) {
    BYTE b = src[i];
    char16_t c;
    if (!t.lead[b]) {
      c = t.single[b];
      i += 1;
    } else if (i + 1 < n && t.trail[src[i + 1]]) {
      c = t.pairs[static_cast<std::size_t>(b << 8 | src[i + 1])];
      i += 2;
    } else {
      // A lead byte at the end, or before a byte that cannot follow it: the lead
      // byte alone is invalid and the next byte is read on its own.
      c = kNoChar;
      i += 1;
    }
    if (c == kNoChar) {
      if (strict) return false;
      c = t.unicodeDefault;
    }
    sink.Put(c);
  }
  return true;
}

// Length of the valid UTF-8 sequence at `src` (up to `n` bytes) and its code
// point; 0 when invalid, with `bad` the length of the maximal invalid prefix.
std::size_t ReadUtf8(const BYTE* src, std::size_t n, char32_t& cp, std::size_t& bad) {
  BYTE b0 = src[0];
  bad = 1;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t need;
  BYTE lo = 0x80;
  BYTE hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  cp = b0 & (0x3F >> need);
  for (std::size_t k = 1; k <= need; ++k) {
    if (k >= n || src[k] < lo || src[k] > hi) {
      bad = k;
      return 0;
    }
    cp = (cp << 6) | (src[k] & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  return need + 1;
}

// Decodes UTF-8; each maximal invalid subsequence becomes one U+FFFD.
bool DecodeUtf8(const BYTE* src, std::size_t n, bool strict, WideSink& sink) {
  for (std::size_t i = 0; i < n && !sink.overflow;) {
    char32_t cp = 0;
    std::size_t bad = 1;
    std::size_t len = ReadUtf8(src + i, n - i, cp, bad);
    if (len == 0) {
      if (strict) return false;
      sink.Put(u'\uFFFD');
      i += bad;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      sink.PutTwo(static_cast<WCHAR>(0xD800 + (cp >> 10)),
                  static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
      sink.Put(static_cast<WCHAR>(cp));
    }
    i += len;
  }
  return true;
}

void PutUtf8(char32_t cp, ByteSink& sink) {
  char buf[4];
  std::size_t n;
  if (cp < 0x80) {
    buf[0] = static_cast<char>(cp);
    n = 1;
  } else if (cp < 0x800) {
    buf[0] = static_cast<char>(0xC0 | (cp >> 6));
    buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 2;
  } else if (cp < 0x10000) {
    buf[0] = static_cast<char>(0xE0 | (cp >> 12));
    buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 3;
  } else {
    buf[0] = static_cast<char>(0xF0 | (cp >> 18));
    buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
    n = 4;
  }
  if (sink.out != nullptr && sink.count + n > sink.capacity) {
    sink.overflow = true;
    return;
  }
  for (std::size_t k = 0; k < n; ++k) sink.Put(buf[k]);
}

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD, or fails when
// `strict`.
bool EncodeUtf8(const WCHAR* src, std::size_t n, bool strict, ByteSink& sink) {
  for (std::size_t i = 0; i < n && !sink.overflow; ++i) {
    char32_t cp = src[i];
    if (IsHigh(src[i]) && i + 1 < n && IsLow(src[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      ++i;
    } else if (IsHigh(src[i]) || IsLow(src[i])) {
      if (strict) return false;
      cp = 0xFFFD;
    }
    PutUtf8(cp, sink);
  }
  return true;
}

// Encodes UTF-16 with a table page. A character the page cannot hold (and a
// surrogate pair, which no page holds) becomes the default character.
void EncodeTable(const PageTables& t, const WCHAR* src, std::size_t n, const char* defaultChar,
                 ByteSink& sink, bool& usedDefault) {
  BYTE def0 = '?';
  BYTE def1 = 0;
  if (defaultChar != nullptr) {
    def0 = static_cast<BYTE>(defaultChar[0]);
    if (t.lead[def0] && defaultChar[1] != 0) def1 = static_cast<BYTE>(defaultChar[1]);
  }
  for (std::size_t i = 0; i < n && !sink.overflow; ++i) {
    WORD code = t.codes[src[i]];
    if (IsHigh(src[i]) || IsLow(src[i])) {
      code = kNoCode;
      if (IsHigh(src[i]) && i + 1 < n && IsLow(src[i + 1])) ++i;
    }
    if (code == kNoCode) {
      usedDefault = true;
      if (def1 != 0) {
        sink.PutTwo(static_cast<char>(def0), static_cast<char>(def1));
      } else {
        sink.Put(static_cast<char>(def0));
      }
    } else if (code > 0xFF) {
      sink.PutTwo(static_cast<char>(code >> 8), static_cast<char>(code & 0xFF));
    } else {
      sink.Put(static_cast<char>(code));
    }
  }
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The count a conversion returns, or 0 with the error of a buffer too small.
template <typename T>
int Finish(const Sink<T>& sink) {
  if (sink.overflow) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (sink.count > static_cast<std::size_t>(INT_MAX)) return Fail(ERROR_INVALID_PARAMETER);
  return static_cast<int>(sink.count);
}

std::size_t WideLengthWithTerminator(const WCHAR* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n + 1;
}

}  // namespace

QXAPI UINT GetACP() { return AnsiPage().load(); }

QXAPI UINT GetOEMCP() { return OemPageOf(GetACP()); }

QXAPI BOOL IsValidCodePage(UINT codePage) {
  if (codePage == CP_UTF8) return TRUE;
  return FindTables(codePage) != nullptr ? TRUE : FALSE;
}

QXAPI BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
  UINT page = ResolvePage(codePage);
  const PageInfo* info = FindInfo(page);
  if (info == nullptr && page != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return info != nullptr && InRanges(info->leads, testChar) ? TRUE : FALSE;
}

QXAPI BOOL IsDBCSLeadByte(BYTE testChar) { return IsDBCSLeadByteEx(CP_ACP, testChar); }

QXAPI int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                              LPWSTR wideChar, int cchWideChar) {
  UINT page = ResolvePage(codePage);
  if (multiByte == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && wideChar == nullptr) ||
      static_cast<const void*>(multiByte) == static_cast<const void*>(wideChar)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const PageTables* tables = page == CP_UTF8 ? nullptr : FindTables(page);
  if (page != CP_UTF8 && tables == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  DWORD allowed = page == CP_UTF8
                      ? MB_ERR_INVALID_CHARS
                      : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0 ||
      (flags & (MB_PRECOMPOSED | MB_COMPOSITE)) == (MB_PRECOMPOSED | MB_COMPOSITE)) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  std::size_t n =
      cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
  const auto* src = reinterpret_cast<const BYTE*>(multiByte);
  bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  WideSink sink{cchWideChar > 0 ? wideChar : nullptr, static_cast<std::size_t>(cchWideChar)};
  bool ok = tables != nullptr ? DecodeTable(*tables, src, n, strict, sink)
                              : DecodeUtf8(src, n, strict, sink);
  if (!ok) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return Finish(sink);
}

QXAPI int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar,
                              LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar,
                              BOOL* usedDefaultChar) {
  UINT page = ResolvePage(codePage);
  if (wideChar == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && multiByte == nullptr) ||
      static_cast<const void*>(multiByte) == static_cast<const void*>(wideChar)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const PageTables* tables = page == CP_UTF8 ? nullptr : FindTables(page);
  if (page != CP_UTF8 && tables == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (page == CP_UTF8) {
    // UTF-8 holds every character: a default character makes no sense for it.
    if ((flags & ~WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
    if (defaultChar != nullptr || usedDefaultChar != nullptr) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
  } else if ((flags & ~(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR |
                        WC_NO_BEST_FIT_CHARS)) != 0) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  std::size_t n = cchWideChar == -1 ? WideLengthWithTerminator(wideChar)
                                    : static_cast<std::size_t>(cchWideChar);
  ByteSink sink{cbMultiByte > 0 ? multiByte : nullptr, static_cast<std::size_t>(cbMultiByte)};
  if (tables == nullptr) {
    if (!EncodeUtf8(wideChar, n, (flags & WC_ERR_INVALID_CHARS) != 0, sink)) {
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    return Finish(sink);
  }
  bool usedDefault = false;
  EncodeTable(*tables, wideChar, n, defaultChar, sink, usedDefault);
  if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  return Finish(sink);
}

QXAPI BOOL CharToOemW(LPCWSTR source, LPSTR dest) {
  if (source == nullptr || dest == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UINT page = GetOEMCP();
  std::size_t n = WideLengthWithTerminator(source);
  ByteSink sink{dest, static_cast<std::size_t>(-1)};
  if (const PageTables* tables = FindTables(page)) {
    bool usedDefault = false;
    EncodeTable(*tables, source, n, nullptr, sink, usedDefault);
  } else {
    (void)EncodeUtf8(source, n, false, sink);
  }
  return TRUE;
}

QXAPI BOOL CharToOemBuffW(LPCWSTR source, LPSTR dest, DWORD length) {
  if (source == nullptr || dest == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // `length` characters are read and at most `length` bytes written; a
  // double-byte character that no longer fits is left out.
  ByteSink sink{dest, length};
  if (const PageTables* tables = FindTables(GetOEMCP())) {
    bool usedDefault = false;
    EncodeTable(*tables, source, length, nullptr, sink, usedDefault);
  } else {
    (void)EncodeUtf8(source, length, false, sink);
  }
  return TRUE;
}

namespace platform {

std::u16string MultiByteToWide(UINT codePage, std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string WideToMultiByte(UINT codePage, std::u16string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

namespace test {
void SetAnsiCodePage(UINT codePage) { AnsiPage().store(codePage); }
}  // namespace test

}  // namespace platform
