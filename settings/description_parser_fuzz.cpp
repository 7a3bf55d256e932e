// Fuzz target: any bytes as a printer description. The parser must never crash,
// hang or read outside its input, and a block it flattens must always pass the
// checks a block read from a cache file has to pass.
//
// With QX_FUZZ_BLOCKS set to a folder, every flattened block is also written
// there: scripts/run-fuzz makes the cache reader's seeds that way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/memory.h"
#include "platform/modules/modules.h"
#include "resources/module_resources.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_cache.h"
#include "settings/description_flatten.h"
#include "settings/description_parser.h"
#include "settings/description_relocate.h"

namespace {

HMODULE FontModule() {
  static HMODULE module =
      platform::RegisterModule(u"qx_fuzz_fonts", nullptr, 0, resources::ModuleResources());
  return module;
}

// Reads every member once, as the driver's readers do.
unsigned Walk(const void* block) {
  settings::Description d(block);
  unsigned sum = d.NickName().size() + d.LanguageLevel();
  for (settings::Feature f = d.FirstFeature(); f; f = f.Next()) {
    sum += f.Name().size() + f.Translation().size() + f.DefaultChoice();
    for (settings::Option o = f.FirstOption(); o; o = o.Next()) {
      sum += o.Name().size() + o.Value().size() + o.PageRegion().size() + o.JclCode().size();
    }
    sum += static_cast<unsigned>(f.FindOption("A4"));
  }
  for (int i = 0; i < d.ConstraintCount(); ++i) sum += d.ConstraintAt(i).option2;
  for (settings::DeviceFont f = d.FirstFont(); f; f = f.Next()) sum += f.DisplayName().size();
  return sum;
}

void SaveBlock(const void* block) {
  const char* folder = std::getenv("QX_FUZZ_BLOCKS");
  if (folder == nullptr) return;
  static int count = 0;
  std::string path = std::string(folder) + "/block-" + std::to_string(++count) + ".bpd";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(block, 1, settings::LoadU32(block), f);
    std::fclose(f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  settings::DescriptionArena arena;
  settings::ParsedDescription* parsed =
      settings::ParseDescriptionText(data, size, u"C:\\drivers\\FUZZ.PPD", FontModule(), arena);
  if (parsed == nullptr) return 0;
  void* block = settings::FlattenDescription(*parsed);
  if (block == nullptr) return 0;
  SaveBlock(block);
  if (!settings::Relocate(block, settings::LoadU32(block))) std::abort();
  volatile unsigned sink = Walk(block);
  settings::ApplyFontOrder(block, 0);
  sink = sink + Walk(block);
  GlobalFree(block);
  return 0;
}
