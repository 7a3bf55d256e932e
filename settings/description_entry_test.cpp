// The entry reader: what an entry line gives, and what is skipped.
#include "settings/description_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings::DescriptionEntry;
using settings::EntryReader;
using settings::EntryResult;
using settings::ValueKind;

struct Read {
  EntryResult result;
  std::string keyword, option, translation, value;
  ValueKind kind;
};

std::vector<Read> ReadAll(const std::string& text) {
  EntryReader reader(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  DescriptionEntry entry;
  std::vector<Read> all;
  for (;;) {
    EntryResult r = reader.Next(entry);
    if (r == EntryResult::kEnd) break;
    all.push_back({r, std::string(entry.Keyword()), std::string(entry.Option()),
                   std::string(entry.Translation()), std::string(entry.Value()), entry.Kind()});
    if (r == EntryResult::kSizeError) break;
  }
  return all;
}

struct Case {
  const char* name;
  std::string text;
  EntryResult result;
  const char* keyword;
  const char* option;
  const char* translation;
  std::string value;
  ValueKind kind;
};

// clang-format off
const Case kEntries[] = {
    {"quoted value",      "*NickName: \"KX-M089 ZQ1\"\n",       EntryResult::kEntry, "NickName", "", "",
     "KX-M089 ZQ1", ValueKind::kQuoted},
    {"plain value",       "*ColorDevice: True\n",               EntryResult::kEntry, "ColorDevice", "", "",
     "True", ValueKind::kPlain},
    {"symbol",            "*PageSize A4: ^A4Code\n",            EntryResult::kEntry, "PageSize", "A4", "",
     "^A4Code", ValueKind::kSymbol},
    {"translation keeps its blanks", "*Emulation KX-GL/KX-GL : \"1\"\n", EntryResult::kEntry,
     "Emulation", "KX-GL", "KX-GL ", "1", ValueKind::kQuoted},
    {"plain value stops at a slash", "*OpenGroup: InstallableOptions/Options Installed\n",
     EntryResult::kEntry, "OpenGroup", "", "", "InstallableOptions", ValueKind::kPlain},
    {"quoted value over lines", "*JCLBegin: \"line 1\r\nline 2\"\r\n", EntryResult::kEntry,
     "JCLBegin", "", "", "line 1\r\nline 2", ValueKind::kQuoted},
    {"keyword alone",     "*End\n",                             EntryResult::kEntry, "End", "", "",
     "", ValueKind::kPlain},
    {"no colon",          "*PageSize A4 \"x\"\n",               EntryResult::kSyntaxError, "PageSize",
     "A4", "", "", ValueKind::kPlain},
    {"empty translation", "*PageSize A4/: \"x\"\n",             EntryResult::kSyntaxError, "PageSize",
     "A4", "", "", ValueKind::kPlain},
    {"keyword of 40",     "*" + std::string(40, 'K') + ": x\n", EntryResult::kEntry,
     "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK", "", "", "x", ValueKind::kPlain},
    {"keyword of 41",     "*" + std::string(41, 'K') + ": x\n", EntryResult::kSizeError, "", "", "",
     "", ValueKind::kPlain},
    {"option keyword of 41", "*PageSize " + std::string(41, 'o') + ": \"x\"\n",
     EntryResult::kSizeError, "PageSize", "", "", "", ValueKind::kPlain},
    {"translation of 41", "*PageSize A4/" + std::string(41, 't') + ": \"x\"\n",
     EntryResult::kSizeError, "PageSize", "A4", "", "", ValueKind::kPlain},
};
// clang-format on

TEST(EntryReader, Entries) {
  for (const Case& c : kEntries) {
    SCOPED_TRACE(c.name);
    std::vector<Read> all = ReadAll(c.text);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].result, c.result);
    if (c.result == EntryResult::kSizeError) continue;
    EXPECT_EQ(all[0].keyword, c.keyword);
    EXPECT_EQ(all[0].option, c.option);
    if (c.result != EntryResult::kEntry) continue;
    EXPECT_EQ(all[0].translation, c.translation);
    EXPECT_EQ(all[0].value, c.value);
    EXPECT_EQ(all[0].kind, c.kind);
  }
}

TEST(EntryReader, SkipsCommentsBlankLinesAndText) {
  std::vector<Read> all = ReadAll(
      "*% a comment\n"
      "\n"
      "  *NotAtLineStart: x\n"
      "free text\n"
      "*PrinterType: \"3\"\n"
      "*%*PrinterType: \"4\"\n");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].keyword, "PrinterType");
  EXPECT_EQ(all[0].value, "3");
}

TEST(EntryReader, GoesOnAfterASyntaxError) {
  std::vector<Read> all = ReadAll("*PageSize A4 oops\n*PrinterType: \"3\"\n");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].result, EntryResult::kSyntaxError);
  EXPECT_EQ(all[1].keyword, "PrinterType");
}

TEST(EntryReader, FileEndingInsideAnEntry) {
  EXPECT_TRUE(ReadAll("*JCLBegin: \"never closed\n*End\n").empty());
  EXPECT_TRUE(ReadAll("*PageSize A4").empty());
  std::vector<Read> last = ReadAll("*LanguageLevel: 89");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].value, "89");
}

// The value buffer grows by 1,024 bytes as long values need it.
TEST(EntryReader, LongValues) {
  std::string value(5000, 'v');
  std::vector<Read> all = ReadAll("*JCLBegin: \"" + value + "\"\n*JCLEnd: \"e\"\n");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].value, value);
  EXPECT_EQ(all[1].value, "e");
}

}  // namespace
