// The string table is sorted by number and every text is there.
#include "resources/string_table.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, SortedByNumber) {
  auto strings = resources::StringTable();
  for (std::size_t i = 0; i < strings.size(); ++i) {
    ASSERT_NE(strings[i].text, nullptr);
    if (i) {
      EXPECT_LT(strings[i - 1].id, strings[i].id);
    }
  }
}

}  // namespace
