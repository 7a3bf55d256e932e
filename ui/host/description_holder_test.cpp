// The kept description: shared while the printer and its font order match,
// replaced only when nobody uses it.
#include "ui/host/description_holder.h"

#include <gtest/gtest.h>

#include "ui/host/test_printer.h"

namespace {

TEST(DescriptionHolder, KeptWhileInUse) {
  ui::FreeKeptDescription();
  ui::testing::TestPrinter a("012", u"holder a");
  ui::testing::TestPrinter b("095", u"holder b");

  void* first = ui::AcquireDescription(a.handle, true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ui::KeptDescriptionUses(), 1);
  EXPECT_EQ(ui::AcquireDescription(a.handle, true), first);
  EXPECT_EQ(ui::KeptDescriptionUses(), 2);

  // Another printer while the kept one is in use: handed out, not kept.
  void* other = ui::AcquireDescription(b.handle, true);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, first);
  EXPECT_EQ(ui::KeptDescriptionUses(), 2);
  ui::ReleaseDescription(other);

  // An uncached request while in use: a fresh block, the kept one stays.
  void* fresh = ui::AcquireDescription(a.handle, false);
  EXPECT_NE(fresh, first);
  ui::ReleaseDescription(fresh);
  EXPECT_EQ(ui::AcquireDescription(a.handle, true), first);

  ui::ReleaseDescription(first);
  ui::ReleaseDescription(first);
  ui::ReleaseDescription(first);
  EXPECT_EQ(ui::KeptDescriptionUses(), 0);

  // Not in use: the other printer's description replaces it.
  other = ui::AcquireDescription(b.handle, true);
  EXPECT_EQ(ui::KeptDescriptionUses(), 1);
  EXPECT_EQ(ui::AcquireDescription(b.handle, true), other);
  ui::ReleaseDescription(other);
  ui::ReleaseDescription(other);

  EXPECT_EQ(ui::AcquireDescription(nullptr, true), nullptr);
  ui::FreeKeptDescription();
  EXPECT_EQ(ui::KeptDescriptionUses(), -1);
}

}  // namespace
