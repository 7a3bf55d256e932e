// The cost of writing paths as encoded polylines: a long open path of small
// steps (as CAD drawings have them) and many closed four-point figures, into a
// sink that only counts bytes; memcpy of as many bytes beside it shows the
// memory limit the emitter is measured against.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/engine/objects.h"
#include "render/core/output_channel.h"
#include "render/vector/command_emitter.h"
#include "render/vector/path_translation.h"

namespace {

struct CountingSink {
  std::uint64_t bytes = 0;
  static BOOL Transfer(void* context, const void*, DWORD length, DWORD* written) {
    static_cast<CountingSink*>(context)->bytes += length;
    *written = length;
    return TRUE;
  }
};

// A wandering line of small steps, one subpath.
platform::engine::Path OpenPath(std::size_t points) {
  std::vector<platform::engine::PointD> p(points);
  double x = 1000, y = 1000;
  for (std::size_t i = 0; i < points; ++i) {
    x += static_cast<double>((i * 7) % 9) - 4;
    y += static_cast<double>((i * 5) % 7) - 3;
    p[i] = {x, y};
  }
  platform::engine::Path path;
  path.AddPolyline(p, false);
  return path;
}

platform::engine::Path Rectangles(std::size_t count) {
  platform::engine::Path path;
  for (std::size_t i = 0; i < count; ++i) {
    double x = static_cast<double>(i % 1000) * 12, y = static_cast<double>(i / 1000) * 12;
    path.AddRectangle(x, y, x + 10, y + 8);
  }
  return path;
}

void Translate(benchmark::State& state, const platform::engine::Path& path, render::PathKind kind,
               double points) {
  CountingSink sink;
  std::uint64_t perRun = 0;
  for (auto _ : state) {
    render::OutputChannel out;
    out.sink = {&CountingSink::Transfer, &sink};
    render::VectorState vector;
    std::uint64_t before = sink.bytes;
    render::TranslatePath(out, vector, path.Get(), kind);
    render::ClosePolyline(out, vector);
    render::FlushOutput(out);
    perRun = sink.bytes - before;
  }
  state.counters["points/s"] =
      benchmark::Counter(points, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["bytes/point"] = static_cast<double>(perRun) / points;
  state.SetBytesProcessed(static_cast<std::int64_t>(perRun) * state.iterations());
}

void BM_OpenPath1M(benchmark::State& state) {
  static platform::engine::Path path = OpenPath(1000000);
  Translate(state, path, render::PathKind::kStroke, 1e6);
}
BENCHMARK(BM_OpenPath1M)->Unit(benchmark::kMillisecond);

void BM_Rectangles100k(benchmark::State& state) {
  static platform::engine::Path path = Rectangles(100000);
  Translate(state, path, render::PathKind::kFill, 4e5);
}
BENCHMARK(BM_Rectangles100k)->Unit(benchmark::kMillisecond);

// memcpy of the open path's output size, for comparison.
void BM_MemcpyOfTheOutput(benchmark::State& state) {
  std::size_t bytes = static_cast<std::size_t>(state.range(0));
  std::vector<char> from(bytes, 'x'), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_MemcpyOfTheOutput)->Arg(2300000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
