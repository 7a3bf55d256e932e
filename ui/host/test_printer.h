// Test fixture of the UI library: a printer of the stand-in spooler made from a
// description file and the built libraries, with the library's module set as its
// loader would set it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/spooler/spooler.h"
#include "resources/module_resources.h"
#include "settings/resource_module.h"
#include "tests/support/temp_root.h"
#include "ui/host/host_state.h"

namespace ui::testing {

// The printer's driver is named "KX-TEST".
struct TestPrinter {
  std::u16string name;
  HANDLE handle = nullptr;
  TestPrinter(const std::string& description, const char16_t* printerName) : name(printerName) {
    static HMODULE module = platform::RegisterModule(u"qx48ui64-test-resources", nullptr, 0,
                                                     resources::ModuleResources());
    SetLibraryModule(module);
    settings::SetResourceModule(module);
    platform::PrinterRecord record;
    record.name = name;
    record.portName = u"-";
    std::string why;
    EXPECT_TRUE(platform::InstallDriverFiles(description, qxtest::BuildDir() + "/lib",
                                             &record.driver, &why))
        << why;
    record.driver.name = u"KX-TEST";
    EXPECT_TRUE(platform::AddPrinter(record));
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(name.c_str(), &handle, &defaults));
  }
  // The sample printer KX-M<model>.
  TestPrinter(const char* model, const char16_t* printerName)
      : TestPrinter(qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd", printerName) {}
  ~TestPrinter() { ClosePrinter(handle); }
  TestPrinter(const TestPrinter&) = delete;
  TestPrinter& operator=(const TestPrinter&) = delete;
};

}  // namespace ui::testing
