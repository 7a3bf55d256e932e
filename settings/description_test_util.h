// Helpers of the description tests: parse a description written in the test,
// flatten and relocate it, and hand out the block.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/memory.h"
#include "platform/modules/modules.h"
#include "resources/module_resources.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_flatten.h"
#include "settings/description_parser.h"
#include "settings/description_relocate.h"

namespace settings::testing {

struct BlockFree {
  void operator()(void* block) const { GlobalFree(block); }
};
using Block = std::unique_ptr<void, BlockFree>;

// A module that carries the libraries' resources, as a driver library does.
inline HMODULE FontModule() {
  static HMODULE module =
      platform::RegisterModule(u"qxdesc_fonts_test", nullptr, 0, resources::ModuleResources());
  return module;
}

// The parsed record of `text`, or null; the arena holds it.
inline ParsedDescription* ParseText(std::string_view text, DescriptionArena& arena,
                                    HMODULE module = FontModule()) {
  return ParseDescriptionText(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                              u"C:\\drivers\\TEST.PPD", module, arena);
}

// The relocated block of `text`, or null when the parse fails.
inline Block Flatten(std::string_view text, HMODULE module = FontModule()) {
  DescriptionArena arena;
  ParsedDescription* parsed = ParseText(text, arena, module);
  if (parsed == nullptr) return nullptr;
  Block block(FlattenDescription(*parsed));
  if (block == nullptr || !Relocate(block.get(), LoadU32(block.get()))) return nullptr;
  return block;
}

}  // namespace settings::testing
