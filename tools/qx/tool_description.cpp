// Description loading shared by the qx commands.
#include "tools/qx/tool_description.h"

#include <filesystem>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/modules/modules.h"
#include "resources/module_resources.h"
#include "settings/description_cache.h"

namespace qx {

HMODULE ToolResourceModule() {
  static HMODULE module =
      platform::RegisterModule(u"qx-tool-resources", nullptr, 0, resources::ModuleResources());
  return module;
}

bool LoadToolDescription(const std::string& file, bool useCache, LoadedDescription* loaded,
                         std::string* error) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(file, ec);
  if (ec || !std::filesystem::is_regular_file(path, ec)) {
    *error = "cannot read the printer description " + file;
    return false;
  }
  std::u16string wide = platform::Utf8ToWide(path.string());
  void* block = useCache ? settings::LoadDescription(wide.c_str(), ToolResourceModule(), 0)
                         : settings::BuildDescriptionBlock(wide.c_str(), ToolResourceModule());
  if (block == nullptr) {
    *error = "cannot load the printer description " + file + " (error " +
             std::to_string(GetLastError()) + ")";
    return false;
  }
  loaded->block.reset(block);
  return true;
}

}  // namespace qx
