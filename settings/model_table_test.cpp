// The model table: prefixes keep the numbering, masks by model.
#include "settings/model_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ModelTable, PrefixMatchGivesTheModelNumber) {
  EXPECT_EQ(settings::ModelFromNickName("KX-M089 ZQ1 wide format"), 89);
  EXPECT_EQ(settings::ModelFromNickName("KX-M001"), 1);
  EXPECT_EQ(settings::ModelFromNickName("KX-M104 colour"), 104);
  EXPECT_EQ(settings::ModelFromNickName("KX-M08"), -1);
  EXPECT_EQ(settings::ModelFromNickName("Other printer"), -1);
  for (int i = 0; i < settings::kModelCount; ++i) EXPECT_EQ(settings::ModelRowAt(i).model, i + 1);
}

TEST(ModelTable, Masks) {
  struct Case {
    int model;
    std::uint32_t mask;
  };
  const Case kCases[] = {{1, 0},   {89, 0}, {90, 3},  {92, 0}, {94, 3}, {95, 15},
                         {96, 15}, {97, 7}, {104, 7}, {0, 0},  {105, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.model);
    EXPECT_EQ(settings::ModelMask(c.model), c.mask);
  }
}

}  // namespace
