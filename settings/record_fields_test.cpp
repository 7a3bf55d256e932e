// The member table covers every byte of the record exactly once, with unique names.
#include "settings/record_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "settings/settings_record.h"

namespace {

using settings::FieldType;

std::size_t Width(const settings::RecordField& f) {
  switch (f.type) {
    case FieldType::kU8:
      return 1;
    case FieldType::kI16:
    case FieldType::kU16:
      return 2;
    case FieldType::kI32:
    case FieldType::kU32:
      return 4;
    case FieldType::kWide:
      return 2 * f.size;
    case FieldType::kAnsi:
    case FieldType::kRaw:
      return f.size;
    default:
      return 0;  // bits share their word
  }
}

TEST(RecordFields, CoverEveryByteOnceWithUniqueNames) {
  std::vector<int> owners(settings::kRecordSize, 0);
  std::set<std::string> names;
  for (const settings::RecordField& f : settings::RecordFields()) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    ASSERT_LE(f.offset + Width(f), settings::kRecordSize) << f.name;
    for (std::size_t i = 0; i < Width(f); ++i) ++owners[f.offset + i];
  }
  for (std::size_t i = 0; i < owners.size(); ++i) EXPECT_EQ(owners[i], 1) << "byte " << i;
}

TEST(RecordFields, NamedOffsets) {
  struct Case {
    const char* name;
    std::size_t offset;
  };
  const Case kCases[] = {{"dmPaperSize", 78},
                         {"dmFormName", 102},
                         {"youshi", 220 + 1648},
                         {"pen3density", 220 + 176 + 3 * 24 + 8},
                         {"dispcolor8value", 220 + 560 + 8 * 28 + 4},
                         {"opname9", 220 + 1324 + 9 * 32},
                         {"intblue2", 220 + 2010 + 40 + 18},
                         {"outputtray", 220 + 2196},
                         {"center", 220 + 2072},
                         {"UserCode", 220 + 1981}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const settings::RecordField* f = settings::FindRecordField(c.name);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->offset, c.offset);
  }
}

TEST(RecordFields, ValuesRespectTheirWidth) {
  std::vector<unsigned char> record(settings::kRecordSize, 0);
  const settings::RecordField* copies = settings::FindRecordField("dmCopies");
  EXPECT_TRUE(settings::SetFieldValue(record.data(), *copies, -5));
  EXPECT_EQ(settings::GetFieldValue(record.data(), *copies), -5);
  EXPECT_FALSE(settings::SetFieldValue(record.data(), *copies, 40000));
  const settings::RecordField* center = settings::FindRecordField("center");
  EXPECT_TRUE(settings::SetFieldValue(record.data(), *center, 1));
  EXPECT_EQ(settings::GetFieldValue(record.data(), *settings::FindRecordField("printOptions")),
            256);
  EXPECT_FALSE(settings::SetFieldValue(record.data(), *center, 2));
  const settings::RecordField* youshi = settings::FindRecordField("youshi");
  EXPECT_TRUE(settings::SetFieldText(record.data(), *youshi, u"A1"));
  EXPECT_EQ(settings::GetFieldText(record.data(), *youshi), u"A1");
  EXPECT_FALSE(settings::SetFieldText(record.data(), *youshi, std::u16string(128, u'x')));
  const settings::RecordField* code = settings::FindRecordField("UserCode");
  EXPECT_TRUE(settings::SetFieldAnsi(record.data(), *code, "12345678901234567"));
  EXPECT_FALSE(settings::SetFieldAnsi(record.data(), *code, "123456789012345678"));
}

}  // namespace
