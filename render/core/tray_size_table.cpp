// The tray-size table and the selection patterns by model.
#include "render/core/tray_size_table.h"

namespace render {

namespace {

// One row of the tray-size table: the size and the code the printer takes for
// it, the first with `directionside` clear and the second with it set. Row 0 of a
// size keeps the "R" (turned) code either way, row 1 drops it with
// `directionside`, row 2 never has it.
struct TraySizeRow {
  std::string_view size;
  const char* code;
  const char* directionsideCode;
};

// clang-format off
constexpr TraySizeRow kTraySizes[kTraySizeRows] = {
    {"A0", "A0R", "A0R"}, {"A0", "A0R", "A0"}, {"A0", "A0", "A0"},
    {"A1", "A1R", "A1R"}, {"A1", "A1R", "A1"}, {"A1", "A1", "A1"},
    {"A2", "A2R", "A2R"}, {"A2", "A2R", "A2"}, {"A2", "A2", "A2"},
    {"A3", "A3R", "A3R"}, {"A3", "A3R", "A3"}, {"A3", "A3", "A3"},
    {"A4", "A4R", "A4R"}, {"A4", "A4R", "A4"}, {"A4", "A4", "A4"},
    {"A5", "A5R", "A5R"}, {"A5", "A5R", "A5"}, {"A5", "A5", "A5"},
    {"A6", "A6R", "A6R"}, {"A6", "A6R", "A6"}, {"A6", "A6", "A6"},
    {"B3", "B3R", "B3R"}, {"B3", "B3R", "B3"}, {"B3", "B3", "B3"},
    {"B4", "B4R", "B4R"}, {"B4", "B4R", "B4"}, {"B4", "B4", "B4"},
    {"B5", "B5R", "B5R"}, {"B5", "B5R", "B5"}, {"B5", "B5", "B5"},
    {"B6", "B6R", "B6R"}, {"B6", "B6R", "B6"}, {"B6", "B6", "B6"},
    {"B1", "B1R", "B1R"}, {"B1", "B1R", "B1"}, {"B1", "B1", "B1"},
    {"B2", "B2R", "B2R"}, {"B2", "B2R", "B2"}, {"B2", "B2", "B2"},
};

// The patterns; the models that use each are in kPatternModels.
constexpr SelectionPattern kPatterns[] = {
    {"100010010010100000000010100000000100010", false},  // 0: 5, 89
    {"100010010010001000000000000000000",       false},  // 1: 8, 37, 51
    {"100010010010010000000000000000000",       false},  // 2: 9
    {"000000100010010010010100010010010",       false},  // 3: 10, 14, 87, 88
    {"000000000100100100100000100100100",       true},   // 4: 11, 12, 15, 17-28, 90-96
    {"100010010010010000000010010000000100010", false},  // 5: 16, 103, 104
    {"000000100100100100100100100100100",       false},  // 6: 44, 45, 59, 60
    {"100010010010100000000010010000000100010", false},  // 7: 97, 98, 101, 102
    {"000000100010010010100100010010010",       true},   // 8: 99, 100
    {"000000000100100100100000100100100",       false},  // 9: every other model
};
constexpr int kOtherModels = 9;

struct PatternModels {
  int first, last;
  int pattern;
};
constexpr PatternModels kPatternModels[] = {
    {  5,   5, 0}, { 89,  89, 0},
    {  8,   8, 1}, { 37,  37, 1}, { 51,  51, 1},
    {  9,   9, 2},
    { 10,  10, 3}, { 14,  14, 3}, { 87,  88, 3},
    { 11,  12, 4}, { 15,  15, 4}, { 17,  28, 4}, { 90,  96, 4},
    { 16,  16, 5}, {103, 104, 5},
    { 44,  45, 6}, { 59,  60, 6},
    { 97,  98, 7}, {101, 102, 7},
    { 99, 100, 8},
};
// clang-format on

}  // namespace

const SelectionPattern& SelectionPatternOf(int model) {
  for (const PatternModels& m : kPatternModels) {
    if (model >= m.first && model <= m.last) return kPatterns[m.pattern];
  }
  return kPatterns[kOtherModels];
}

const char* TrayCode(const SelectionPattern& pattern, std::string_view pageName,
                     bool directionside) {
  for (std::size_t row = 0; row < pattern.rows.size() && row < kTraySizeRows; ++row) {
    const TraySizeRow& r = kTraySizes[row];
    if (pattern.rows[row] != '1' || r.size != pageName) continue;
    return directionside ? r.directionsideCode : r.code;
  }
  return nullptr;
}

}  // namespace render
