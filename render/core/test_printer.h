// Test fixtures of the render library: a printer of the stand-in spooler made
// from a sample description, and device contexts enabled on it by calling the
// driver's entries directly.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/engine/callbacks.h"
#include "platform/platform.h"
#include "platform/spooler/spooler.h"
#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "resources/module_resources.h"
#include "settings/resource_module.h"
#include "tests/support/temp_root.h"

namespace render::testing {

// Enables the driver (again, after a test disabled it) with a module that carries
// the library's resources, as DllMain would set it.
inline void EnableDriverOnce() {
  static HMODULE module = platform::RegisterModule(u"qx48gl64-test-resources", nullptr, 0,
                                                   resources::ModuleResources());
  SetLibraryModule(module);
  settings::SetResourceModule(module);
  DRVENABLEDATA data{};
  ASSERT_TRUE(DrvEnableDriver(0x30000, sizeof data, &data));
}

// A printer named `name` with the sample description KX-M<model>.ppd and the
// built libraries, opened with full access.
struct TestPrinter {
  std::u16string name;
  HANDLE handle = nullptr;
  TestPrinter(const char* model, const char16_t* printerName)
      : TestPrinter(qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd", printerName,
                    std::string("KX-M") + model) {}
  // A printer of a description file of the test's own.
  TestPrinter(const std::string& description, const char16_t* printerName,
              const std::string& driverName)
      : name(printerName) {
    EnableDriverOnce();
    platform::PrinterRecord record;
    record.name = name;
    record.portName = u"-";
    std::string why;
    EXPECT_TRUE(platform::InstallDriverFiles(description, qxtest::BuildDir() + "/lib",
                                             &record.driver, &why))
        << why;
    record.driver.name = platform::Utf8ToWide(driverName);
    EXPECT_TRUE(platform::AddPrinter(record));
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(name.c_str(), &handle, &defaults));
  }
  ~TestPrinter() { ClosePrinter(handle); }
  void SetData(const char16_t* value, DWORD type, const void* bytes, DWORD size) {
    EXPECT_EQ(SetPrinterDataW(handle, value, type, static_cast<const BYTE*>(bytes), size),
              ERROR_SUCCESS);
  }
};

// A device context enabled on a printer, with the records the engine received.
struct Enabled {
  GDIINFO caps{};
  DEVINFO info{};
  DeviceContext* dc = nullptr;
  Enabled(const TestPrinter& printer, DEVMODEW* settings) {
    HSURF patterns[12];
    std::memset(patterns, 0xAB, sizeof patterns);
    DHPDEV pdev = DrvEnablePDEV(settings, nullptr, 12, patterns, sizeof caps,
                                reinterpret_cast<ULONG*>(&caps), sizeof info, &info, nullptr,
                                const_cast<WCHAR*>(printer.name.c_str()), printer.handle);
    dc = reinterpret_cast<DeviceContext*>(pdev);
    if (dc) {
      for (HSURF p : patterns) EXPECT_EQ(p, nullptr);
    }
  }
  ~Enabled() {
    if (dc) DrvDisablePDEV(reinterpret_cast<DHPDEV>(dc));
  }
  DHPDEV pdev() const { return reinterpret_cast<DHPDEV>(dc); }
};

}  // namespace render::testing
