// Test main: make the process's temporary root before anything reads $QX_ROOT.
#include <gtest/gtest.h>

#include "tests/support/temp_root.h"

int main(int argc, char** argv) {
  qxtest::TempRoot();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
