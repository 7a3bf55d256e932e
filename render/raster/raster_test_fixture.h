// Test fixture of the raster encoders: a device context enabled on a sample
// printer with its output caught in memory, and small helpers to set the
// settings the encoders read.
//   KX-M095: PrinterFunction 0x086934CF (0x1000 reduction, 0x2000, neither 0x10
//            nor 0x20: landscape pages are turned in software), PrinterType 2.
//   KX-M012: PrinterFunction 0x0000C327 (0x20: the printer turns pages of
//            paper sizes 256 and 384-393 itself; no 0x1000, no 0x2000).
//   KX-M089: PrinterType 3 (its glyph images are never turned), 0x20 as M012.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/core/test_printer.h"
#include "render/raster/raster_frame.h"

namespace render::testing {

// One printer per model for the whole test process.
inline const TestPrinter& RasterPrinter(const char* model) {
  static TestPrinter* m095 = new TestPrinter("095", u"ZQ raster 095");
  static TestPrinter* m012 = new TestPrinter("012", u"ZQ raster 012");
  static TestPrinter* m089 = new TestPrinter("089", u"ZQ raster 089");
  std::string m(model);
  return m == "095" ? *m095 : m == "089" ? *m089 : *m012;
}

struct RasterJob {
  Enabled e;
  RasterState state;
  std::string bytes;
  static BOOL Sink(void* context, const void* b, DWORD n, DWORD* written) {
    static_cast<RasterJob*>(context)->bytes.append(static_cast<const char*>(b), n);
    *written = n;
    return TRUE;
  }
  explicit RasterJob(const char* model, int dpi = 600) : e(RasterPrinter(model), nullptr) {
    EXPECT_NE(e.dc, nullptr);
    if (e.dc == nullptr) return;
    e.dc->output.sink = {&Sink, this};
    e.dc->dpi = dpi;
    Portrait();
    SetPriv32(settings::priv::kBekutachk, 0);
  }
  DeviceContext& dc() { return *e.dc; }
  // What was written since the last call.
  std::string Sent() {
    FlushOutput(e.dc->output);
    std::string s;
    s.swap(bytes);
    return s;
  }
  void Orientation(SHORT o) {
    e.dc->settings.pub.dmFields |= DM_ORIENTATION;
    e.dc->settings.pub.dmOrientation = o;
  }
  void Portrait() { Orientation(1); }
  void Landscape() { Orientation(2); }
  void SetPriv16(std::size_t offset, std::int16_t v) {
    settings::SetI16(e.dc->settings.priv, offset, v);
  }
  void SetPriv32(std::size_t offset, std::int32_t v) {
    settings::SetI32(e.dc->settings.priv, offset, v);
  }
  void SetPrintOptions(std::uint16_t bits) {
    settings::SetU16(e.dc->settings.priv, settings::priv::kPrintOptions, bits);
  }
};

}  // namespace render::testing
