// Gathers the libraries' typed resources into one table.
#include "resources/module_resources.h"

#include "resources/font_metric_records.h"
#include "resources/string_table.h"

namespace resources {

const QX_RESOURCE_TABLE* ModuleResources() {
  static const QX_RESOURCE_TABLE table = [] {
    std::span<const QX_RESOURCE> fonts = FontMetricRecords();
    std::span<const QX_STRING> strings = StringTable();
    return QX_RESOURCE_TABLE{fonts.data(), fonts.size(), strings.data(), strings.size()};
  }();
  return &table;
}

}  // namespace resources
