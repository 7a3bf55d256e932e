// Loading a printer description: parsing its text against reading the cache
// file beside it, for the largest sample printer. The cache is there because
// both libraries load the description for every device context, property sheet
// and capability query; reading it must stay far cheaper than parsing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/memory.h"
#include "platform/base/text.h"
#include "platform/modules/modules.h"
#include "resources/module_resources.h"
#include "settings/byte_order.h"
#include "settings/description_cache.h"
#include "settings/description_flatten.h"
#include "settings/description_parser.h"
#include "settings/description_relocate.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
  fs::path folder;
  std::u16string path;  // the copy of the description the benchmarks load
  std::vector<unsigned char> text;
};

fs::path LargestSamplePrinter() {
  fs::path largest;
  std::uintmax_t size = 0;
  for (const fs::directory_entry& e :
       fs::directory_iterator(fs::path(QX_SOURCE_DIR) / "printers")) {
    if (e.path().extension() == ".ppd" && e.file_size() > size) {
      size = e.file_size();
      largest = e.path();
    }
  }
  return largest;
}

// A copy in a folder of its own, so that the cache file lands there.
const Sample& TheSample() {
  static const Sample sample = [] {
    Sample s;
    s.folder = fs::temp_directory_path() / ("qx-description-bench-" + std::to_string(getpid()));
    fs::create_directories(s.folder);
    fs::path source = LargestSamplePrinter();
    fs::path copy = s.folder / source.filename();
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    s.path = platform::Utf8ToWide(copy.string());
    std::ifstream in(copy, std::ios::binary);
    s.text.assign(std::istreambuf_iterator<char>(in), {});
    return s;
  }();
  return sample;
}

HMODULE FontModule() {
  static HMODULE module =
      platform::RegisterModule(u"qx_bench_fonts", nullptr, 0, resources::ModuleResources());
  return module;
}

// Reading the file, parsing, flattening and checking the block: a load without
// a usable cache, less the writing of the cache file.
void BM_ParseDescription(benchmark::State& state) {
  const Sample& s = TheSample();
  for (auto _ : state) {
    void* block = settings::BuildDescriptionBlock(s.path.c_str(), FontModule());
    if (block == nullptr) {
      state.SkipWithError("the sample printer does not load");
      break;
    }
    benchmark::DoNotOptimize(block);
    GlobalFree(block);
  }
  state.SetLabel(fs::path(s.path).filename().string() + ", " + std::to_string(s.text.size()) +
                 " bytes");
}
BENCHMARK(BM_ParseDescription);

// The text already in memory: the parser and the flattener alone.
void BM_ParseDescriptionText(benchmark::State& state) {
  const Sample& s = TheSample();
  for (auto _ : state) {
    settings::DescriptionArena arena;
    settings::ParsedDescription* parsed = settings::ParseDescriptionText(
        s.text.data(), s.text.size(), s.path.c_str(), FontModule(), arena);
    void* block = parsed ? settings::FlattenDescription(*parsed) : nullptr;
    if (block == nullptr || !settings::Relocate(block, settings::LoadU32(block))) {
      state.SkipWithError("the sample printer does not parse");
      break;
    }
    GlobalFree(block);
  }
}
BENCHMARK(BM_ParseDescriptionText);

// A load with a current cache file: the file times, the read and the checks.
void BM_LoadFromCache(benchmark::State& state) {
  const Sample& s = TheSample();
  void* first = settings::LoadDescription(s.path.c_str(), FontModule(), 0);  // writes the cache
  if (first == nullptr) {
    state.SkipWithError("the sample printer does not load");
    return;
  }
  GlobalFree(first);
  for (auto _ : state) {
    void* block = settings::LoadDescription(s.path.c_str(), FontModule(), 0);
    benchmark::DoNotOptimize(block);
    GlobalFree(block);
  }
}
BENCHMARK(BM_LoadFromCache);

}  // namespace

int main(int argc, char** argv) {
  // A root of the benchmark's own, beside the sample copy.
  fs::path root =
      fs::temp_directory_path() / ("qx-description-bench-root-" + std::to_string(getpid()));
  fs::create_directories(root);
  setenv("QX_ROOT", root.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::remove_all(TheSample().folder, ec);
  return 0;
}
