// The spooler's impersonation functions as the settings UI finds them: by name
// in the module "spoolss.dll".
#include <gtest/gtest.h>

#include "platform/modules/modules.h"
#include "platform/spooler/spooler_test_support.h"

namespace {

TEST(SpoolssModule, ExportsTheImpersonationFunctions) {
  HMODULE spoolss = LoadLibraryW(u"spoolss.dll");
  ASSERT_NE(spoolss, nullptr);
  auto revert = reinterpret_cast<HANDLE (*)()>(GetProcAddress(spoolss, "RevertToPrinterSelf"));
  auto impersonate =
      reinterpret_cast<BOOL (*)(HANDLE)>(GetProcAddress(spoolss, "ImpersonatePrinterClient"));
  ASSERT_NE(revert, nullptr);
  ASSERT_NE(impersonate, nullptr);

  // As the spooler, a user without the right opens the printer for administration.
  spooltest::ScopedPrinter printer(u"Spoolss Refresh");
  ASSERT_TRUE(platform::SetUserMayChange(printer.name(), false));
  EXPECT_EQ(printer.Open(SERVER_ALL_ACCESS), nullptr);
  HANDLE token = revert();
  ASSERT_NE(token, nullptr);
  EXPECT_NE(printer.Open(SERVER_ALL_ACCESS), nullptr);
  EXPECT_TRUE(impersonate(token));
  EXPECT_EQ(printer.Open(SERVER_ALL_ACCESS), nullptr);
  EXPECT_TRUE(FreeLibrary(spoolss));
}

}  // namespace
