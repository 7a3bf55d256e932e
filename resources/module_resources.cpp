// Gathers the libraries' typed resources into one table.
#include "resources/module_resources.h"

#include "resources/font_metric_records.h"

namespace resources {

const QX_RESOURCE_TABLE* ModuleResources() {
  static const QX_RESOURCE_TABLE table = [] {
    std::span<const QX_RESOURCE> fonts = FontMetricRecords();
    return QX_RESOURCE_TABLE{fonts.data(), fonts.size(), nullptr, 0};
  }();
  return &table;
}

}  // namespace resources
