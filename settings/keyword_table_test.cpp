// The keyword table and its index.
#include "settings/keyword_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace settings;

TEST(KeywordTable, EveryRowIsFoundAndNothingElse) {
  std::set<std::string> names;
  for (int row = 0; row < kKeywordCount; ++row) {
    SCOPED_TRACE(kKeywordTable[row].keyword);
    EXPECT_EQ(FindKeyword(kKeywordTable[row].keyword), row);
    names.insert(kKeywordTable[row].keyword);
  }
  EXPECT_EQ(names.size(), 91u);
  for (const char* other :
       {"", "Pagesize", "PageSizeX", "DefaultOutputBin", "?PageSize", "Font "}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(FindKeyword(other), -1);
  }
}

// Rows that stand for a predefined feature and carry its name give its options.
TEST(KeywordTable, PredefinedFeatureRows) {
  int named = 0;
  for (const KeywordRow& row : kKeywordTable) {
    for (int i = 0; i < kPredefinedCount; ++i) {
      if (std::string(row.keyword) == kPredefinedFeatures[i].name) {
        SCOPED_TRACE(row.keyword);
        ++named;
        EXPECT_EQ(row.feature, i);
        EXPECT_EQ(row.form & kFormOption, kFormOption);
      }
    }
  }
  EXPECT_EQ(named, kPredefinedCount);
  EXPECT_EQ(FindKeyword("InstalledMemory") >= 0 &&
                kKeywordTable[FindKeyword("InstalledMemory")].feature == kVMOption,
            true);
  EXPECT_EQ(OptionRecordSizeFor(kPageSize), 72u);
  EXPECT_EQ(OptionRecordSizeFor(kInputSlot), 48u);
  EXPECT_EQ(OptionRecordSizeFor(kResolution), 64u);
  EXPECT_EQ(OptionRecordSizeFor(kVMOption), 48u);
  EXPECT_EQ(OptionRecordSizeFor(kOwnFeature), 40u);
}

// Threads that look keywords up at the same time all see the one index.
TEST(KeywordTable, LookupsFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<int> misses(6, 0);
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([t, &misses] {
      for (int row = 0; row < kKeywordCount; ++row) {
        if (FindKeyword(kKeywordTable[row].keyword) != row) ++misses[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(misses, std::vector<int>(6, 0));
}

}  // namespace
