// The model table. Every supported model's nickname starts with "KX-M" and its
// three-digit model number, so a row's prefix keeps the table's numbering: row n
// is model n + 1.
#include "settings/model_table.h"

#include <iterator>

namespace settings {

namespace {

// Nickname prefix, mask and model number of each model.
// clang-format off
constexpr ModelRow kModels[] = {
    {"KX-M001",  0,   1},
    {"KX-M002",  0,   2},
    {"KX-M003",  0,   3},
    {"KX-M004",  0,   4},
    {"KX-M005",  0,   5},
    {"KX-M006",  0,   6},
    {"KX-M007",  0,   7},
    {"KX-M008",  0,   8},
    {"KX-M009",  0,   9},
    {"KX-M010",  0,  10},
    {"KX-M011",  0,  11},
    {"KX-M012",  0,  12},
    {"KX-M013",  0,  13},
    {"KX-M014",  0,  14},
    {"KX-M015",  0,  15},
    {"KX-M016",  0,  16},
    {"KX-M017",  0,  17},
    {"KX-M018",  0,  18},
    {"KX-M019",  0,  19},
    {"KX-M020",  0,  20},
    {"KX-M021",  0,  21},
    {"KX-M022",  0,  22},
    {"KX-M023",  0,  23},
    {"KX-M024",  0,  24},
    {"KX-M025",  0,  25},
    {"KX-M026",  0,  26},
    {"KX-M027",  0,  27},
    {"KX-M028",  0,  28},
    {"KX-M029",  0,  29},
    {"KX-M030",  0,  30},
    {"KX-M031",  0,  31},
    {"KX-M032",  0,  32},
    {"KX-M033",  0,  33},
    {"KX-M034",  0,  34},
    {"KX-M035",  0,  35},
    {"KX-M036",  0,  36},
    {"KX-M037",  0,  37},
    {"KX-M038",  0,  38},
    {"KX-M039",  0,  39},
    {"KX-M040",  0,  40},
    {"KX-M041",  0,  41},
    {"KX-M042",  0,  42},
    {"KX-M043",  0,  43},
    {"KX-M044",  0,  44},
    {"KX-M045",  0,  45},
    {"KX-M046",  0,  46},
    {"KX-M047",  0,  47},
    {"KX-M048",  0,  48},
    {"KX-M049",  0,  49},
    {"KX-M050",  0,  50},
    {"KX-M051",  0,  51},
    {"KX-M052",  0,  52},
    {"KX-M053",  0,  53},
    {"KX-M054",  0,  54},
    {"KX-M055",  0,  55},
    {"KX-M056",  0,  56},
    {"KX-M057",  0,  57},
    {"KX-M058",  0,  58},
    {"KX-M059",  0,  59},
    {"KX-M060",  0,  60},
    {"KX-M061",  0,  61},
    {"KX-M062",  0,  62},
    {"KX-M063",  0,  63},
    {"KX-M064",  0,  64},
    {"KX-M065",  0,  65},
    {"KX-M066",  0,  66},
    {"KX-M067",  0,  67},
    {"KX-M068",  0,  68},
    {"KX-M069",  0,  69},
    {"KX-M070",  0,  70},
    {"KX-M071",  0,  71},
    {"KX-M072",  0,  72},
    {"KX-M073",  0,  73},
    {"KX-M074",  0,  74},
    {"KX-M075",  0,  75},
    {"KX-M076",  0,  76},
    {"KX-M077",  0,  77},
    {"KX-M078",  0,  78},
    {"KX-M079",  0,  79},
    {"KX-M080",  0,  80},
    {"KX-M081",  0,  81},
    {"KX-M082",  0,  82},
    {"KX-M083",  0,  83},
    {"KX-M084",  0,  84},
    {"KX-M085",  0,  85},
    {"KX-M086",  0,  86},
    {"KX-M087",  0,  87},
    {"KX-M088",  0,  88},
    {"KX-M089",  0,  89},
    {"KX-M090",  3,  90},
    {"KX-M091",  3,  91},
    {"KX-M092",  0,  92},
    {"KX-M093",  3,  93},
    {"KX-M094",  3,  94},
    {"KX-M095", 15,  95},
    {"KX-M096", 15,  96},
    {"KX-M097",  7,  97},
    {"KX-M098",  7,  98},
    {"KX-M099",  7,  99},
    {"KX-M100",  7, 100},
    {"KX-M101",  7, 101},
    {"KX-M102",  7, 102},
    {"KX-M103",  7, 103},
    {"KX-M104",  7, 104},
};
// clang-format on
static_assert(std::size(kModels) == kModelCount);

}  // namespace

int ModelFromNickName(std::string_view nickName) {
  for (const ModelRow& row : kModels) {
    if (nickName.substr(0, row.prefix.size()) == row.prefix) return row.model;
  }
  return -1;
}

std::uint32_t ModelMask(int model) {
  return model >= 1 && model <= kModelCount ? kModels[model - 1].mask : 0;
}

const ModelRow& ModelRowAt(int index) { return kModels[index]; }

}  // namespace settings
