// Test fixtures of the job control: a device context on a sample printer (or a
// copy of one with other keyword lines) whose output is caught transfer by
// transfer, and a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/system.h"
#include "render/core/device_context.h"
#include "render/core/test_printer.h"
#include "settings/settings_record.h"

namespace render::testing {

// Each transfer of the output channel, as it reached the spooler or filter.
struct Recorder {
  std::vector<std::string> transfers;
  static BOOL Sink(void* context, const void* bytes, DWORD length, DWORD* written) {
    static_cast<Recorder*>(context)->transfers.emplace_back(static_cast<const char*>(bytes),
                                                            length);
    *written = length;
    return TRUE;
  }
  std::string All() const {
    std::string all;
    for (const std::string& t : transfers) all += t;
    return all;
  }
};

// A device context whose output is recorded.
struct RecordedJob {
  Enabled e;
  Recorder recorder;
  explicit RecordedJob(const TestPrinter& printer, DEVMODEW* settings = nullptr)
      : e(printer, settings) {
    if (e.dc) e.dc->output.sink = {&Recorder::Sink, &recorder};
  }
  DeviceContext& dc() { return *e.dc; }
  unsigned char* priv() { return e.dc->settings.priv; }
  // What was written since the last call, flushed.
  std::string Take() {
    FlushOutput(e.dc->output);
    std::string all = recorder.All();
    recorder.transfers.clear();
    return all;
  }
};

// A surface of the device context, for the driver's entries.
struct SurfaceFor {
  SURFOBJ so{};
  explicit SurfaceFor(const Enabled& e) { so.dhpdev = e.pdev(); }
};

// A copy of printers/KX-M<model>.ppd with whole keyword lines replaced
// ({"*NickName:", "*NickName: \"KX-M017 C\""}), or added at the end when the
// description has no such line.
inline std::string SampleCopy(const char* model, const std::string& name,
                              const std::vector<std::pair<std::string, std::string>>& lines) {
  std::ifstream in(qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const auto& [start, line] : lines) {
    std::size_t at = text.find("\n" + start);
    if (at == std::string::npos) {
      text += line + "\n";
      continue;
    }
    std::size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at - 1, line);
  }
  std::string path = qxtest::MakeTempDir("desc-" + name) + "/" + name + ".PPD";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// 2 March 2009, 7:05:09 on the local clock for the test's life.
struct FixedClock {
  FixedClock() {
    SYSTEMTIME t{};
    t.wYear = 2009;
    t.wMonth = 3;
    t.wDay = 2;
    t.wDayOfWeek = 1;
    t.wHour = 7;
    t.wMinute = 5;
    t.wSecond = 9;
    platform::test::SetFixedTime(&t);
  }
  ~FixedClock() { platform::test::SetFixedTime(nullptr); }
};

// A spooler job of the printer with a document name, for the job name line.
struct SpoolerJob {
  HANDLE printer;
  DWORD id = 0;
  SpoolerJob(HANDLE p, const char16_t* document) : printer(p) {
    std::u16string name(document);
    DOC_INFO_1W info{name.data(), nullptr, nullptr};
    id = StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&info));
  }
  ~SpoolerJob() {
    if (id) AbortPrinter(printer);
  }
};

// The 36-byte start block of a job mode.
inline std::string StartBlock(unsigned char mode) {
  std::string block(36, '\x01');
  block.replace(0, 4, std::string{static_cast<char>(mode), 0, 0, 0});
  return block;
}

inline void SetI16(RecordedJob& job, std::size_t offset, std::int16_t v) {
  settings::SetI16(job.priv(), offset, v);
}
inline void SetI32(RecordedJob& job, std::size_t offset, std::int32_t v) {
  settings::SetI32(job.priv(), offset, v);
}
inline void SetPrintOption(RecordedJob& job, std::uint16_t bit, bool on) {
  std::uint16_t v = settings::GetU16(job.priv(), settings::priv::kPrintOptions);
  settings::SetU16(job.priv(), settings::priv::kPrintOptions,
                   static_cast<std::uint16_t>(on ? v | bit : v & ~bit));
}

}  // namespace render::testing
