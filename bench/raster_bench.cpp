// How fast the raster rows of a drawing are encoded: an A0 sheet at 600 dpi,
// one bit per pixel (19,866 x 28,087), and an A1 sheet at 300 dpi, 24 bits
// (7,016 x 9,933), both a drawing's page (frame, grid, outlines, hatching,
// text on white). Delta-row encoding alone, the whole row writer into the
// output channel, and memcpy of the same input beside them; run-length for
// the one-bit page too. Throughput is input bytes per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/base/memory.h"
#include "render/core/output_channel.h"
#include "render/raster/image_rows.h"
#include "render/raster/row_encoding.h"
#include "render/raster/sample_drawing.h"

namespace {

using render::sample::Drawing;

const Drawing& A0OneBit() {
  static const Drawing d = render::sample::MakeDrawing(19866, 28087, 1, 11);
  return d;
}

const Drawing& A1Colour() {
  static const Drawing d = render::sample::MakeDrawing(7016, 9933, 24, 12);
  return d;
}

std::size_t RowBytes(const Drawing& d) { return render::RowDataBytes(d.width, d.bits); }
const unsigned char* Row(const Drawing& d, int y) {
  return d.pixels.data() + static_cast<std::size_t>(y) * d.rowStep;
}

void Report(benchmark::State& state, const Drawing& d, std::size_t outputBytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(RowBytes(d)) * d.height);
  state.counters["input_MB"] = static_cast<double>(RowBytes(d)) * d.height / 1e6;
  state.counters["output_bytes"] = static_cast<double>(outputBytes);
}

// EncodeDeltaRow over every row, each against the row before it.
void DeltaRows(benchmark::State& state, const Drawing& d) {
  const std::size_t n = RowBytes(d);
  std::vector<unsigned char> zero(n, 0), area(2 * n);
  std::size_t total = 0;
  for (auto _ : state) {
    total = 0;
    const unsigned char* seed = zero.data();
    for (int y = 0; y < d.height; ++y) {
      total += render::EncodeDeltaRow(area, {seed, n}, {Row(d, y), n});
      seed = Row(d, y);
    }
    benchmark::DoNotOptimize(total);
  }
  Report(state, d, total);
}

// The whole row writer (seed copy, re-encode rule, "ESC*b<n>W") into an
// output channel whose sink takes everything.
void WrittenRows(benchmark::State& state, const Drawing& d, int method) {
  HANDLE heap = HeapCreate(0, 0, 0);
  render::OutputChannel out;
  std::size_t written = 0;
  out.sink = {[](void* context, const void*, DWORD length, DWORD* done) -> BOOL {
                *static_cast<std::size_t*>(context) += length;
                *done = length;
                return TRUE;
              },
              &written};
  std::size_t total = 0;
  for (auto _ : state) {
    written = 0;
    render::RowWriter w;
    render::OpenRowWriter(w, heap, method, RowBytes(d));
    for (int y = 0; y < d.height; ++y) render::WriteImageRow(out, w, Row(d, y));
    render::FlushOutput(out);
    render::CloseRowWriter(w);
    total = written;
  }
  HeapDestroy(heap);
  Report(state, d, total);
}

void CopiedRows(benchmark::State& state, const Drawing& d) {
  const std::size_t n = RowBytes(d);
  std::vector<unsigned char> target(n * d.height);
  for (auto _ : state) {
    for (int y = 0; y < d.height; ++y) std::memcpy(target.data() + y * n, Row(d, y), n);
    benchmark::ClobberMemory();
  }
  Report(state, d, target.size());
}

void BM_A0OneBit_DeltaRow(benchmark::State& s) { DeltaRows(s, A0OneBit()); }
void BM_A0OneBit_DeltaRowWritten(benchmark::State& s) { WrittenRows(s, A0OneBit(), 3); }
void BM_A0OneBit_RunLengthWritten(benchmark::State& s) { WrittenRows(s, A0OneBit(), 2); }
void BM_A0OneBit_Memcpy(benchmark::State& s) { CopiedRows(s, A0OneBit()); }
void BM_A1Colour_DeltaRow(benchmark::State& s) { DeltaRows(s, A1Colour()); }
void BM_A1Colour_DeltaRowWritten(benchmark::State& s) { WrittenRows(s, A1Colour(), 3); }
void BM_A1Colour_Memcpy(benchmark::State& s) { CopiedRows(s, A1Colour()); }

BENCHMARK(BM_A0OneBit_DeltaRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A0OneBit_DeltaRowWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A0OneBit_RunLengthWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A0OneBit_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A1Colour_DeltaRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A1Colour_DeltaRowWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_A1Colour_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
