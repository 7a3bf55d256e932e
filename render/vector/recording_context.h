// Test fixture of the vector output: a device context enabled on a sample printer
// whose output is caught in memory, and a settings record of that printer to
// change before enabling.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "render/core/test_printer.h"
#include "settings/settings_defaults.h"

namespace render::testing {

struct Recorded {
  Enabled e;
  std::string bytes;
  static BOOL Sink(void* context, const void* b, DWORD n, DWORD* written) {
    static_cast<Recorded*>(context)->bytes.append(static_cast<const char*>(b), n);
    *written = n;
    return TRUE;
  }
  explicit Recorded(const TestPrinter& printer, DEVMODEW* settings = nullptr)
      : e(printer, settings) {
    EXPECT_NE(e.dc, nullptr);
    if (e.dc) e.dc->output.sink = {&Sink, this};
  }
  DeviceContext& dc() { return *e.dc; }
  unsigned char* priv() { return e.dc->settings.priv; }
  // What was written since the last call.
  std::string Take() {
    FlushOutput(e.dc->output);
    std::string s = std::move(bytes);
    bytes.clear();
    return s;
  }
};

// The printer's default settings record, to change and enable with.
struct Record {
  settings::SettingsRecord record;
  explicit Record(const TestPrinter& printer) {
    Enabled e(printer, nullptr);
    EXPECT_NE(e.dc, nullptr);
    if (e.dc) settings::SetDefaults(record, nullptr, e.dc->Description());
  }
  DEVMODEW* dm() { return &record.pub; }
  unsigned char* priv() { return record.priv; }
};

}  // namespace render::testing
