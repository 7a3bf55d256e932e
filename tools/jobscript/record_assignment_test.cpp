// Settings members set by name: the value forms, and values that are refused
// without changing the record.
#include "tools/jobscript/record_assignment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings/byte_order.h"
#include "settings/settings_record.h"

namespace {

using jobscript::AssignRecordMember;

struct Good {
  const char* assignment;
  std::size_t offset;
  std::vector<unsigned char> bytes;
};

// Public members at their offsets in the record.
const Good kGood[] = {
    {"dmCopies=3", 86, {3, 0}},
    {"dmCopies=0x10", 86, {16, 0}},
    {"dmScale=-5", 84, {0xFB, 0xFF}},
    {"privSignature=50524956", 220, {0x50, 0x52, 0x49, 0x56}},
};

TEST(RecordAssignment, ValueForms) {
  for (const Good& c : kGood) {
    SCOPED_TRACE(c.assignment);
    std::vector<unsigned char> record(settings::kRecordSize, 0);
    std::string error;
    ASSERT_TRUE(AssignRecordMember(record.data(), c.assignment, &error)) << error;
    EXPECT_EQ(std::vector<unsigned char>(
                  record.begin() + static_cast<long>(c.offset),
                  record.begin() + static_cast<long>(c.offset) + static_cast<long>(c.bytes.size())),
              c.bytes);
  }
}

struct Bad {
  const char* assignment;
  const char* error;
};

const Bad kBad[] = {
    {"dmCopies", "expected NAME=VALUE, got 'dmCopies'"},
    {"dmNothing=1", "no member named 'dmNothing' in the settings record"},
    {"dmCopies=three", "'three' is not a number for dmCopies"},
    {"dmCopies=3x", "'3x' is not a number for dmCopies"},
    {"dmCopies=--3", "'--3' is not a number for dmCopies"},
    {"dmCopies=99999999999999999999", "'99999999999999999999' is not a number for dmCopies"},
    // Opaque members take exactly their size in hexadecimal digits.
    {"privSignature=5052495", "privSignature takes 4 bytes in hexadecimal"},
    {"privSignature=505249zz", "privSignature takes 4 bytes in hexadecimal"},
    {"dmFormName="
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
     "dmFormName holds at most 31 characters"},
};

TEST(RecordAssignment, RefusedValuesLeaveTheRecord) {
  for (const Bad& c : kBad) {
    SCOPED_TRACE(c.assignment);
    std::vector<unsigned char> record(settings::kRecordSize, 0x5A);
    std::string error;
    EXPECT_FALSE(AssignRecordMember(record.data(), c.assignment, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(record, std::vector<unsigned char>(settings::kRecordSize, 0x5A));
  }
}

}  // namespace
