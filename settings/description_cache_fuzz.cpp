// Fuzz target: any bytes as the block of a cache file. A block is either
// rejected or, once accepted, read in full without leaving it; the font order
// must keep it readable.
#include <cstdint>
#include <cstring>

#include "platform/base/memory.h"
#include "settings/byte_order.h"
#include "settings/description.h"
#include "settings/description_cache.h"
#include "settings/description_layout.h"
#include "settings/description_relocate.h"

namespace {

unsigned Walk(const void* block) {
  settings::Description d(block);
  unsigned sum = d.NickName().size() + d.DataFilePath().size() + d.JCLBegin().size();
  for (settings::Feature f = d.FirstFeature(); f; f = f.Next()) {
    sum += f.Name().size() + f.Translation().size() + f.DefaultChoice();
    for (settings::Option o = f.FirstOption(); o; o = o.Next()) {
      sum += o.Name().size() + o.Translation().size() + o.Value().size() + o.PageRegion().size() +
             o.JclCode().size() + o.SetCode().size() + o.Memory();
    }
    sum += f.OptionAt(static_cast<int>(f.DefaultChoice())).Name().size();
  }
  for (std::uint16_t i = 0; i < settings::kPredefinedCount; ++i)
    sum += d.Predefined(i).Name().size();
  for (int i = 0; i < d.ConstraintCount(); ++i) {
    settings::Constraint c = d.ConstraintAt(i);
    if (c.feature1 == settings::kUnresolvedFeature) continue;
    sum += d.FeatureAt(c.feature1).OptionAt(c.option1).Name().size();
    sum += d.FeatureAt(c.feature2).OptionAt(c.option2).Name().size();
  }
  for (int i = 0; i < d.OrderDependencyCount(); ++i) {
    sum += d.FeatureAt(d.OrderDependencyAt(i).feature).Name().size();
  }
  for (settings::DeviceFont f = d.FirstFont(); f; f = f.Next()) {
    sum += f.Name().size() + f.DisplayName().size();
  }
  for (settings::JobPatchFile p = d.FirstJobPatchFile(); p; p = p.Next()) sum += p.Value().size();
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Only a block whose first u32 is its size is ever handed on by the reader.
  if (size <= settings::layout::kMinimumCacheSize) return 0;
  void* block = GlobalAlloc(GMEM_FIXED, size);
  if (block == nullptr) return 0;
  std::memcpy(block, data, size);
  settings::StoreU32(block, static_cast<std::uint32_t>(size));
  if (settings::Relocate(block, size)) {
    volatile unsigned sink = Walk(block);
    settings::ApplyFontOrder(block, data[0] & 1);
    sink = sink + Walk(block);
  }
  GlobalFree(block);
  return 0;
}
