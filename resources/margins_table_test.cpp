// The margins table ends with its end row and keeps each model's rows together.
#include "resources/margins_table.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MarginsTable, EndsWithEndRowAndModelsAreConsecutive) {
  auto rows = resources::MarginsTable();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back().model, -1);
  std::set<int> seen;
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    if (i == 0 || rows[i].model != rows[i - 1].model) {
      EXPECT_TRUE(seen.insert(rows[i].model).second) << "model " << rows[i].model << " split";
    }
    EXPECT_GT(rows[i].model, 0);
  }
}

}  // namespace
