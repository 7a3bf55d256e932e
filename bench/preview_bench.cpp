// How long `qx view` takes over a drawing: an A1 sheet as the driver writes
// it at 600 dpi (job header, portrait page set-up, a frame and title block,
// a few thousand polylines, hatched and solid areas, labels, a raster
// logo), read and rendered at 100 and 300 dpi.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/preview.h"

namespace {

// The encoded-number alphabet of "PE": sign in bit 0, base-64 digits least
// significant first, the last one from 191.
std::string Encoded(int64_t v) {
  uint64_t z = v >= 0 ? static_cast<uint64_t>(v) * 2 : static_cast<uint64_t>(-v) * 2 + 1;
  std::string out;
  while (z >= 64) {
    out += static_cast<char>(63 + z % 64);
    z /= 64;
  }
  out += static_cast<char>(191 + z);
  return out;
}

// A small deterministic generator, so that every run draws the same sheet.
struct Random {
  uint64_t state = 0x2545F4914F6CDD1D;
  int Next(int bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(bound));
  }
};

// A1 portrait at 600 dpi: R = 594 mm, B = 841 mm in plotter units.
constexpr int kR = 594 * 40;
constexpr int kB = 841 * 40;
constexpr int kWidth = kR * 600 / 1016;
constexpr int kHeight = kB * 600 / 1016;

std::string Header() {
  return std::string(4, '\0') + std::string(32, '\x01') +
         "\x1B%-12345X@PJL\n@PJL JOB\n@PJL SET JOBNAME = \"A1 site plan\"\n"
         "@PJL SET DATE = \"2009/03/02\"\n@PJL SET TIME = \"07:05:09\"\n"
         "@PJL SET PRINTINFO = \"SCALING=3\"\n@PJL ENTER LANGUAGE = GL2\n"
         "\x1B\x12!-1,1,2@GL2\x1B\x20MS-1,6,11,1;MS-1,23,2;MS-1,21,100.00;MS-1,22,100.00;"
         "\x1B\x12"
         "5@A1\x1B\x20";
}

std::string PageSetup() {
  std::string s = "\x1B%0BIN;BP2,1;NP256PS" + std::to_string(kB) + "," + std::to_string(kR) +
                  ";IP" + std::to_string(kR) + "," + std::to_string(kB) + ",0,0;IW" +
                  std::to_string(kR) + "," + std::to_string(kB) + ",0,0;SC" +
                  std::to_string(kWidth) + ",0,0," + std::to_string(kHeight) +
                  ";RO90;TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;";
  s += "PC1,0,0,0PW0.35,1PC2,200,0,0PW0.18,2PC3,0,0,160PW0.25,3PC4,0,120,0PW0.70,4";
  return s;
}

std::string Rectangle(int left, int top, int right, int bottom) {
  return "PUPA" + std::to_string(left) + "," + std::to_string(top) + "PMPE=" + Encoded(right) +
         Encoded(top) + Encoded(0) + Encoded(bottom - top) + Encoded(left - right) + Encoded(0) +
         ";PM2";
}

std::string FrameAndTitleBlock() {
  std::string s = "SP4" + Rectangle(240, 240, kWidth - 240, kHeight - 240) + "EP;";
  int left = kWidth - 240 - 4200;
  int top = kHeight - 240 - 1400;
  s += Rectangle(left, top, kWidth - 240, kHeight - 240) + "EP;SP1";
  for (int i = 1; i < 5; ++i) {
    s += "PE<=" + Encoded(left) + Encoded(top + i * 280) + Encoded(4200) + Encoded(0) + ";";
  }
  return s;
}

// Open polylines of 5 to 50 points in pens 1 to 3, each one encoded polyline.
std::string Polylines(Random& r, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    s += "SP" + std::to_string(1 + r.Next(3));
    int x = 400 + r.Next(kWidth - 1600);
    int y = 400 + r.Next(kHeight - 3200);
    s += "PE<=" + Encoded(x) + Encoded(y);
    int points = 5 + r.Next(46);
    for (int p = 0; p < points; ++p) s += Encoded(r.Next(161) - 80) + Encoded(r.Next(161) - 80);
    s += ";";
  }
  return s;
}

// Filled rectangles: hatched, cross-hatched and solid grey.
std::string Areas(Random& r, int count) {
  std::string s = "PC5,160,160,160";
  for (int i = 0; i < count; ++i) {
    int x = 400 + r.Next(kWidth - 3400);
    int y = 400 + r.Next(kHeight - 4400);
    int w = 300 + r.Next(2500);
    int h = 300 + r.Next(2500);
    switch (i % 3) {
      case 0:
        s += "SP1PW0.063,1FT3,26.667,45;";
        break;
      case 1:
        s += "SP3PW0.063,3FT4,26.667,0;";
        break;
      default:
        s += "SP5FT;";
        break;
    }
    s += Rectangle(x, y, x + w, y + h) + "FP0;";
  }
  return s + "FT;PW0.35,1PW0.25,3";
}

std::string Labels(Random& r, int count) {
  std::string s = "SP1";
  for (int i = 0; i < count; ++i) {
    int x = 400 + r.Next(kWidth - 6000);
    int y = 400 + r.Next(kHeight - 2000);
    s += "PE<=" + Encoded(x) + Encoded(y) + ";";
    s += i % 7 == 0 ? "DI0,1000000" : "DI1000000,0";
    s += "SI0.21,0.36LBROOM " + std::to_string(100 + i) + " - 12.5 m2\x03";
  }
  return s + "DI1000000,0";
}

// One row by delta row against the seed: each run of up to 8 changed bytes
// is a command byte (count - 1) * 32 + offset (31 continues in more bytes),
// then the bytes.
std::string DeltaRow(const std::vector<uint8_t>& seed, const std::vector<uint8_t>& row) {
  std::string out;
  size_t last = 0;
  for (size_t q = 0; q < row.size();) {
    if (row[q] == seed[q]) {
      ++q;
      continue;
    }
    size_t count = 1;
    while (count < 8 && q + count < row.size() && row[q + count] != seed[q + count]) ++count;
    size_t offset = q - last;
    out += static_cast<char>((count - 1) * 32 + (offset < 31 ? offset : 31));
    if (offset >= 31) {
      out += std::string((offset - 31) / 255, '\xFF');
      out += static_cast<char>((offset - 31) % 255);
    }
    out.append(reinterpret_cast<const char*>(row.data() + q), count);
    q += count;
    last = q;
  }
  return out;
}

// A one-bit logo of 1200 x 400 pixels: a chequer with a disc.
std::string Logo() {
  const int width = 1200, height = 400;
  const size_t rowBytes = width / 8;
  std::string s = "MC1,204PUPA600,600\x1B%1A\x1B*t600R\x1B*r" + std::to_string(width) + "s" +
                  std::to_string(height) + "t1A\x1B*b3m";
  std::vector<uint8_t> seed(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row(rowBytes, 0);
    for (int x = 0; x < width; ++x) {
      bool disc = (x - 600) * (x - 600) + (y - 200) * (y - 200) < 150 * 150;
      if (((x / 40 + y / 40) % 2 == 0) != disc) {
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    std::string data = DeltaRow(seed, row);
    s += (y == 0 ? "" : "\x1B*b") + std::to_string(data.size()) + "W" + data;
    seed = row;
  }
  return s + "\x1B*rC\x1B%0BMC1,240";
}

const std::string& DrawingStream() {
  static const std::string stream = [] {
    Random r;
    return Header() + PageSetup() + FrameAndTitleBlock() + Polylines(r, 3000) + Areas(r, 60) +
           Labels(r, 400) + Logo() + "PG;\x1B%-12345X@PJL EOJ\n\x1B%-12345X";
  }();
  return stream;
}

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

void BM_InterpretDrawing(benchmark::State& state) {
  const std::string& stream = DrawingStream();
  for (auto _ : state) {
    preview::JobInfo info = preview::InterpretStream(Bytes(stream));
    benchmark::DoNotOptimize(info.pages.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_InterpretDrawing)->Unit(benchmark::kMillisecond);

// The whole of `qx view` but the PNG file: read the stream, render the page.
void BM_RenderDrawing(benchmark::State& state) {
  const std::string& stream = DrawingStream();
  preview::RenderOptions options;
  options.dpi = static_cast<double>(state.range(0));
  for (auto _ : state) {
    int pixels = 0;
    preview::InterpretStream(
        Bytes(stream), {}, [&](preview::Page&& page, const preview::PageInfo&) {
          std::optional<preview::PageImage> image = preview::RenderPage(page, options);
          if (image) pixels = image->width * image->height;
        });
    benchmark::DoNotOptimize(pixels);
    state.counters["megapixels"] = pixels / 1e6;
  }
}
BENCHMARK(BM_RenderDrawing)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
