// Code pages: the platform's 932 mapping, default characters, counts and errors.
#include "platform/base/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/error.h"

namespace {

std::u16string Decode(UINT page, const std::string& bytes, DWORD flags = 0) {
  int n =
      MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return u"<fail>";
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  EXPECT_EQ(
      MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n),
      n);
  return out;
}

std::string Encode(UINT page, const std::u16string& text, BOOL* usedDefault = nullptr,
                   const char* defaultChar = nullptr) {
  int n = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              defaultChar, usedDefault);
  if (n <= 0) return "<fail>";
  std::string out(static_cast<std::size_t>(n), '\0');
  EXPECT_EQ(WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                                defaultChar, usedDefault),
            n);
  return out;
}

// The system pages are process-wide: each test that changes them puts 932 back.
class CodePage : public testing::Test {
 protected:
  void TearDown() override { platform::test::SetAnsiCodePage(932); }
};

struct MappingCase {
  const char* name;
  std::string bytes;
  std::u16string text;
};

// Codes of 932 that map both ways, as the platform maps them.
const MappingCase kSjisRoundTrips[] = {
    {"0x5C is the backslash, not the yen sign", "\x5C", u"\\"},
    {"0x7E is the tilde, not the overline", "\x7E", u"~"},
    {"0x8160 is the fullwidth tilde, not the wave dash", "\x81\x60", u"\uFF5E"},
    {"0x815F is the fullwidth reverse solidus", "\x81\x5F", u"\uFF3C"},
    {"0x817C is the fullwidth hyphen-minus", "\x81\x7C", u"\uFF0D"},
    {"hiragana", "\x82\xA0", u"\u3042"},
    {"halfwidth katakana", "\xB1", u"\uFF71"},
    {"kanji", "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
    {"NEC row 13: circled digit one", "\x87\x40", u"\u2460"},
    {"NEC row 13: square mm", "\x87\x6F", u"\u339C"},
    {"IBM extension: small roman numeral one", "\xFA\x40", u"\u2170"},
    {"IBM extension: kanji", "\xFA\x5C", u"\u7E8A"},
    {"user-defined area", "\xF0\x40", u"\uE000"},
    {"0x80 keeps its value", "\x80", u"\u0080"},
    {"0xA0 is private use", "\xA0", u"\uF8F0"},
    {"0xFF is private use", "\xFF", u"\uF8F3"},
};

TEST_F(CodePage, Sjis932RoundTrips) {
  for (const MappingCase& c : kSjisRoundTrips) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(932, c.bytes), c.text);
    EXPECT_EQ(Encode(932, c.text), c.bytes);
  }
}

// Characters 932 holds at more than one code: encoding picks one of them.
const MappingCase kSjisPreferred[] = {
    {"approximately equal: JIS row over NEC row 13", "\x81\xE0", u"\u2252"},
    {"because: JIS row over NEC row 13 and IBM", "\x81\xE6", u"\u2235"},
    {"fullwidth not sign: JIS row over IBM", "\x81\xCA", u"\uFFE2"},
    {"roman numeral one: NEC row 13 over IBM", "\x87\x54", u"\u2160"},
    {"small roman numeral one: IBM over NEC-selected", "\xFA\x40", u"\u2170"},
    {"kanji: IBM over NEC-selected", "\xFA\x5C", u"\u7E8A"},
};

TEST_F(CodePage, Sjis932DuplicatesEncodeToThePreferredCode) {
  for (const MappingCase& c : kSjisPreferred) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Encode(932, c.text), c.bytes);
  }
  EXPECT_EQ(Decode(932, "\x87\x90"), u"\u2252");
  EXPECT_EQ(Decode(932, "\xED\x40"), u"\u7E8A");
  EXPECT_EQ(Decode(932, "\xEE\xEF"), u"\u2170");
}

TEST_F(CodePage, Sjis932UnmappableCharactersUseTheDefaultCharacter) {
  // The wave dash, the yen sign and a character outside the BMP have no code.
  BOOL used = FALSE;
  EXPECT_EQ(Encode(932, u"a\u301Cb", &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(932, u"\u00A5", &used, "*"), "*");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(932, u"x\U0001F600y", &used), "x?y");
  // A double-byte default character is written whole.
  EXPECT_EQ(Encode(932, u"\u301C", &used, "\x81\x45"), "\x81\x45");
  used = TRUE;
  EXPECT_EQ(Encode(932, u"\u3042", &used), "\x82\xA0");
  EXPECT_FALSE(used);
}

TEST_F(CodePage, Sjis932InvalidBytesDecodeToTheMiddleDot) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"lead byte at the end", "a\x81", u"a\u30FB"},
      {"lead byte before a byte that cannot follow it", "\x81\x20z", u"\u30FB z"},
      {"unassigned pair", "\x85\x40", u"\u30FB"},
      {"lead byte before the terminator", std::string("\x81\0", 2), std::u16string(u"\u30FB\0", 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(932, c.bytes), c.text);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  static_cast<int>(c.bytes.size()), nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
  // With -1 the terminator ends the text, so the lead byte cannot swallow it.
  WCHAR out[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(932, 0, "\x81", -1, out, 4), 2);
  EXPECT_EQ(out[0], u'\u30FB');
  EXPECT_EQ(out[1], u'\0');
}

TEST_F(CodePage, CountsSizeQueriesAndShortBuffers) {
  const std::u16string text = u"\u65E5\u672Ca";  // 2 double-byte characters and one byte
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.c_str(), 3, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), 6);
  char bytes[8] = {};
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.c_str(), -1, bytes, 6, nullptr, nullptr), 6);
  EXPECT_STREQ(bytes,
               "\x93\xFA\x96\x7B"
               "a");
  // Room for one and a half characters: nothing half-written counts.
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.c_str(), 3, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, -1, nullptr, 0), 4);
  WCHAR wide[4] = {};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide), text);
  // An explicit length converts embedded zeros like any other byte.
  EXPECT_EQ(MultiByteToWideChar(932, 0, "a\0b", 3, wide, 4), 3);
  EXPECT_EQ(wide[1], u'\0');
}

TEST_F(CodePage, BadArgumentsAndFlags) {
  WCHAR wide[4];
  char bytes[4];
  BOOL used;
  struct Case {
    const char* name;
    std::function<int()> call;
    DWORD error;
  };
  const Case cases[] = {
      {"null source", [&] { return MultiByteToWideChar(932, 0, nullptr, 1, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"zero length", [&] { return MultiByteToWideChar(932, 0, "a", 0, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"length below -1", [&] { return MultiByteToWideChar(932, 0, "a", -2, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"size without buffer", [&] { return MultiByteToWideChar(932, 0, "a", 1, nullptr, 4); },
       ERROR_INVALID_PARAMETER},
      {"unknown page", [&] { return MultiByteToWideChar(12345, 0, "a", 1, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"unknown flag", [&] { return MultiByteToWideChar(932, 0x100, "a", 1, wide, 4); },
       ERROR_INVALID_FLAGS},
      {"precomposed and composite", [&] { return MultiByteToWideChar(932, 3, "a", 1, wide, 4); },
       ERROR_INVALID_FLAGS},
      {"UTF-8 takes only the invalid-characters flag",
       [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4); },
       ERROR_INVALID_FLAGS},
      {"wide null source",
       [&] { return WideCharToMultiByte(932, 0, nullptr, 1, bytes, 4, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wide negative size",
       [&] { return WideCharToMultiByte(932, 0, u"a", 1, bytes, -1, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with a default character",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with a used-default flag",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &used); },
       ERROR_INVALID_PARAMETER},
      {"invalid-characters flag outside UTF-8",
       [&] {
         return WideCharToMultiByte(932, WC_ERR_INVALID_CHARS, u"a", 1, bytes, 4, nullptr, nullptr);
       },
       ERROR_INVALID_FLAGS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(CodePage, Latin1252MapsEveryByteIncludingTheUndefinedFive) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    std::string byte(1, static_cast<char>(b));
    std::u16string text = Decode(1252, byte, MB_ERR_INVALID_CHARS);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(Encode(1252, text), byte);
  }
  EXPECT_EQ(Decode(1252, "\x80\x81\x8D\x8F\x90\x9D\xE9"),
            u"\u20AC\u0081\u008D\u008F\u0090\u009D\u00E9");
  BOOL used = FALSE;
  EXPECT_EQ(Encode(1252, u"\u3042\u0100", &used), "??");
  EXPECT_TRUE(used);
  EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));
}

TEST_F(CodePage, Utf8) {
  const std::u16string text = u"a\u00E9\u65E5\U0001F600";
  const std::string bytes = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
  EXPECT_EQ(Encode(CP_UTF8, text), bytes);
  EXPECT_EQ(Decode(CP_UTF8, bytes), text);
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  // Each maximal invalid subsequence becomes one replacement character.
  const Case invalid[] = {
      {"lone lead byte", "\xC3", u"\uFFFD"},
      {"truncated three-byte sequence", "\xE6\x97z", u"\uFFFDz"},
      {"bad continuation", "\xF0\x28", u"\uFFFD("},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"overlong form", "\xC0\xAF", u"\uFFFD\uFFFD"},
  };
  for (const Case& c : invalid) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(CP_UTF8, c.bytes), c.text);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  static_cast<int>(c.bytes.size()), nullptr, 0),
              0);
  }
  EXPECT_EQ(Encode(CP_UTF8, u"\xD800x"), "\xEF\xBF\xBDx");
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, nullptr, 0, nullptr,
                                nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

// Every valid code of each page decodes to one character that encodes back to
// it, except where a page holds one character twice; then the preferred copy
// decodes to the same character.
TEST_F(CodePage, EveryPageRoundTrips) {
  for (UINT page : {932u, 936u, 949u, 950u, 1252u, 437u}) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(IsValidCodePage(page));
    std::vector<std::string> codes;
    for (int b = 0; b < 256; ++b) {
      if (IsDBCSLeadByteEx(page, static_cast<BYTE>(b))) {
        for (int t = 0x40; t < 256; ++t)
          codes.push_back({static_cast<char>(b), static_cast<char>(t)});
      } else {
        codes.push_back(std::string(1, static_cast<char>(b)));
      }
    }
    int valid = 0;
    for (const std::string& code : codes) {
      WCHAR c[2];
      if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, code.data(),
                              static_cast<int>(code.size()), c, 2) != 1) {
        continue;
      }
      ++valid;
      std::string back = Encode(page, std::u16string(1, c[0]));
      if (back != code) {
        ASSERT_EQ(Decode(page, back), std::u16string(1, c[0])) << std::hex << code.size();
        if (page == 932) {
          // Only NEC row 13 and the two IBM extension sets repeat characters.
          BYTE lead = static_cast<BYTE>(code[0]);
          EXPECT_TRUE(lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA);
        }
      }
    }
    EXPECT_GT(valid, page == 1252 || page == 437 ? 255 : 7000);
  }
}

TEST_F(CodePage, SystemPagesAreSettable) {
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(GetOEMCP(), 932u);
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_FALSE(IsDBCSLeadByte(0xA0));
  EXPECT_EQ(Encode(CP_ACP, u"\u3042"), "\x82\xA0");

  platform::test::SetAnsiCodePage(1252);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_FALSE(IsDBCSLeadByte(0x81));
  EXPECT_EQ(Encode(CP_ACP, u"\u00E9"), "\xE9");
  EXPECT_EQ(Encode(CP_OEMCP, u"\u00E9"), "\x82");
  char oem[8] = {};
  EXPECT_TRUE(CharToOemW(u"\u00E9t\u00E9", oem));
  EXPECT_STREQ(oem, "\x82t\x82");

  for (UINT page : {936u, 949u, 950u}) {
    platform::test::SetAnsiCodePage(page);
    EXPECT_EQ(GetOEMCP(), page);
    EXPECT_TRUE(IsDBCSLeadByteEx(page, 0xFE));
  }
  SetLastError(0);
  EXPECT_FALSE(IsDBCSLeadByteEx(12345, 0x81));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_TRUE(IsValidCodePage(CP_UTF8));
}

TEST_F(CodePage, CharToOemBuffStopsAtTheGivenLength) {
  char oem[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_TRUE(CharToOemBuffW(u"ab\u3042c", oem, 4));
  EXPECT_EQ(std::string(oem, 5), "ab\x82\xA0x");
  // Only one of two double-byte characters fits in three bytes.
  std::fill(std::begin(oem), std::end(oem), 'x');
  EXPECT_TRUE(CharToOemBuffW(u"\u3042\u3044", oem, 3));
  EXPECT_EQ(std::string(oem, 3), "\x82\xA0x");
  EXPECT_FALSE(CharToOemW(nullptr, oem));
}

TEST_F(CodePage, WholeTextHelpers) {
  EXPECT_EQ(platform::MultiByteToWide(932, "\x82\xA0\x5C"), u"\u3042\\");
  EXPECT_EQ(platform::WideToMultiByte(932, u"\u3042\\"), "\x82\xA0\x5C");
  EXPECT_EQ(platform::WideToMultiByte(12345, u"a"), "");
}

}  // namespace
