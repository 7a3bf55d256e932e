// Fuzzes the stream reader and the renderer: any bytes must be read to the
// end and rendered without a crash, a hang or unbounded memory. The pages are
// rendered small, so that the fuzzer spends its time on the reading.
#include <cstddef>
#include <cstdint>

#include "tools/preview/preview.h"

// Font lookups of the label renderer leave fontconfig's caches for the life
// of the process; they are not leaks of the code under test.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  preview::InterpretOptions interpret;
  interpret.maxRasterBytesPerPage = size_t{16} << 20;
  interpret.maxPointsPerPage = 1'000'000;
  preview::RenderOptions render;
  render.dpi = 10;
  render.maxPixels = 250'000;
  preview::JobInfo info = preview::InterpretStream(
      {data, size}, interpret,
      [&](preview::Page&& page, const preview::PageInfo&) { preview::RenderPage(page, render); });
  preview::FormatJobInfo(info);
  preview::JobInfoToJson(info);
  return 0;
}
