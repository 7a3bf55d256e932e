// What the spooler's tests share: a printer that exists for one test, and the
// two calls of the size protocol.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/spooler/spooler.h"

namespace spooltest {

inline platform::PrinterRecord MakePrinter(const std::u16string& name) {
  platform::PrinterRecord p;
  p.name = name;
  p.portName = u"-";
  p.driver.name = u"KX-GL/2 Test Plotter";
  p.driver.driverPath = u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48GL64.DLL";
  p.driver.dataFile = u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QXTEST.PPD";
  p.driver.configFile = u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48UI64.DLL";
  return p;
}

// Adds the printer for the test's life; Open() gives handles closed with it.
class ScopedPrinter {
 public:
  explicit ScopedPrinter(const platform::PrinterRecord& printer) : name_(printer.name) {
    EXPECT_TRUE(platform::AddPrinter(printer)) << GetLastError();
  }
  explicit ScopedPrinter(const std::u16string& name) : ScopedPrinter(MakePrinter(name)) {}
  ~ScopedPrinter() {
    for (HANDLE h : handles_) ClosePrinter(h);
    (void)platform::RemovePrinter(name_);
  }
  ScopedPrinter(const ScopedPrinter&) = delete;
  ScopedPrinter& operator=(const ScopedPrinter&) = delete;

  // A handle with the desired access (0: no defaults); null when it is refused.
  HANDLE Open(ACCESS_MASK desired = 0) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, desired};
    HANDLE h = nullptr;
    if (!OpenPrinterW(name_.c_str(), &h, desired ? &defaults : nullptr)) return nullptr;
    handles_.push_back(h);
    return h;
  }
  const std::u16string& name() const { return name_; }

 private:
  std::u16string name_;
  std::vector<HANDLE> handles_;
};

// Runs a call of the size protocol, BOOL call(BYTE* buffer, DWORD size, DWORD* needed),
// the way callers do: without a buffer, one byte short, then with the size asked
// for. Checks that the first two fail with ERROR_INSUFFICIENT_BUFFER and the same
// size; returns the filled buffer (empty when a step went wrong).
template <typename Call>
std::vector<BYTE> FetchRecord(Call call) {
  DWORD needed = 0;
  SetLastError(0);
  if (call(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
    ADD_FAILURE() << "first call: last error " << GetLastError() << ", needed " << needed;
    return {};
  }
  std::vector<BYTE> buffer(needed);
  DWORD again = 0;
  if (call(buffer.data(), needed - 1, &again) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      again != needed) {
    ADD_FAILURE() << "short call: last error " << GetLastError() << ", needed " << again;
    return {};
  }
  if (!call(buffer.data(), needed, &again) || again != needed) {
    ADD_FAILURE() << "full call: last error " << GetLastError();
    return {};
  }
  return buffer;
}

template <typename T>
const T& As(const std::vector<BYTE>& buffer) {
  return *reinterpret_cast<const T*>(buffer.data());
}

inline std::u16string Text(const WCHAR* text) { return text ? std::u16string(text) : u"(null)"; }

}  // namespace spooltest
