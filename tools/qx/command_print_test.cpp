// qx print --caps on every sample printer, and on a printer the driver cannot open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"

namespace {

using qxtest::RunQx;

TEST(QxPrintCaps, EverySamplePrinter) {
  std::string root = qxtest::MakeTempDir("print-caps") + "/root";
  auto bundled = RunQx(root, {"print", "--caps", "--json"});
  ASSERT_EQ(bundled.status, 0) << bundled.err;
  nlohmann::json zq1 = nlohmann::json::parse(bundled.out);
  EXPECT_EQ(zq1["printer"], "KX-M089 ZQ1");
  EXPECT_EQ(zq1["GDIINFO"]["ulLogPixelsX"], 600);
  EXPECT_EQ(zq1["DEVINFO"]["flGraphicsCaps"], 0x11E);
  for (const char* model : {"012", "044", "059", "095", "103"}) {
    SCOPED_TRACE(model);
    std::string name = std::string("P") + model;
    std::string desc = qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd";
    ASSERT_EQ(RunQx(root, {"printer", "add", name, "--desc", desc}).status, 0);
    auto caps = RunQx(root, {"print", "--caps", "--printer", name, "--json"});
    ASSERT_EQ(caps.status, 0) << caps.err;
    nlohmann::json j = nlohmann::json::parse(caps.out);
    EXPECT_GT(j["GDIINFO"]["ulHorzRes"].get<int>(), 0);
    EXPECT_EQ(j["GDIINFO"]["ulVersion"], 0x400);
  }
}

TEST(QxPrintCaps, DescriptionThatCannotBeLoaded) {
  std::string dir = qxtest::MakeTempDir("print-caps-bad");
  std::string root = dir + "/root";
  std::string desc = dir + "/KX-M089.ppd";
  std::filesystem::copy_file(qxtest::SourceDir() + "/printers/KX-M089.ppd", desc);
  ASSERT_EQ(RunQx(root, {"printer", "add", "Broken", "--desc", desc}).status, 0);
  // The installed copy in the driver folder goes missing.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.path().filename() == "KX-M089.ppd") std::filesystem::remove(entry.path());
  }
  auto caps = RunQx(root, {"print", "--caps", "--printer", "Broken"});
  EXPECT_NE(caps.status, 0);
  EXPECT_NE(caps.err.find("cannot open a device context"), std::string::npos) << caps.err;
  EXPECT_EQ(std::count(caps.err.begin(), caps.err.end(), '\n'), 1);
}

}  // namespace
