// The string table.
#include "resources/string_table.h"

namespace resources {

namespace {

// clang-format off
constexpr QX_STRING kStrings[] = {
    // Printer data values holding the printer's user code.
    {93, u"UserCodeFlag"},
    {94, u"UserCode"},
};
// clang-format on

}  // namespace

std::span<const QX_STRING> StringTable() { return kStrings; }

}  // namespace resources
