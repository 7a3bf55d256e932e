// qx settings as users run it: records of every sample printer, and round trips.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"

namespace {

using qxtest::ReadFileBytes;
using qxtest::RunQx;

std::string Printer(const std::string& model) {
  return qxtest::SourceDir() + "/printers/KX-M" + model + ".ppd";
}

TEST(QxSettings, DefaultsOfEverySamplePrinter) {
  std::string dir = qxtest::MakeTempDir("settings-defaults");
  for (const char* model : {"012", "044", "059", "089", "095", "103"}) {
    SCOPED_TRACE(model);
    std::string record = dir + "/" + model + ".rec";
    auto made = RunQx(dir + "/root", {"settings", "defaults", "--desc", Printer(model), "--name",
                                      "Plotter", "-o", record});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(ReadFileBytes(record).size(), 2420u);
    auto shown = RunQx(dir + "/root", {"settings", "show", "--json", record});
    ASSERT_EQ(shown.status, 0) << shown.err;
    nlohmann::json j = nlohmann::json::parse(shown.out);
    EXPECT_EQ(j["dmDeviceName"], "Plotter");
    EXPECT_EQ(j["dmSize"], 220);
    for (const char* name :
         {"youshi", "privFlags", "optionSel", "pens", "colors", "deviceOptions", "colorSets",
          "common", "printOptionsBits", "deviceFlagsBits", "UserCode", "outputtray"}) {
      EXPECT_TRUE(j.contains(name)) << name;
    }
    EXPECT_EQ(j["pens"].size(), 16u);
    EXPECT_EQ(j["colors"][24]["name"], "指定なし");
    EXPECT_EQ(RunQx(dir + "/root", {"settings", "check", record}).out, "valid\n");
  }
}

TEST(QxSettings, SetMergeCheckAndCopyRoundTrip) {
  std::string dir = qxtest::MakeTempDir("settings-roundtrip");
  std::string root = dir + "/root";
  std::string base = dir + "/base.rec", changed = dir + "/changed.rec";
  ASSERT_EQ(RunQx(root, {"settings", "defaults", "--desc", Printer("089"), "-o", base}).status, 0);
  auto set = RunQx(root, {"settings", "set", base, "dmCopies=3", "pen3density=-1", "center=1",
                          "youshi=A0", "-o", changed});
  ASSERT_EQ(set.status, 0) << set.err;
  nlohmann::json j =
      nlohmann::json::parse(RunQx(root, {"settings", "show", "--json", changed}).out);
  EXPECT_EQ(j["dmCopies"], 3);
  EXPECT_EQ(j["pens"][3]["density"], -1);
  EXPECT_EQ(j["printOptionsBits"]["center"], true);
  EXPECT_EQ(j["youshi"], "A0");
  // A bad density fails the check; a merge then keeps the target's private block.
  std::string bad = dir + "/bad.rec", merged = dir + "/merged.rec";
  ASSERT_EQ(RunQx(root, {"settings", "set", changed, "pen3density=11", "-o", bad}).status, 0);
  auto check = RunQx(root, {"settings", "check", bad});
  EXPECT_NE(check.status, 0);
  EXPECT_NE(check.out.find("density"), std::string::npos);
  ASSERT_EQ(
      RunQx(root, {"settings", "merge", base, bad, "--desc", Printer("089"), "-o", merged}).status,
      0);
  nlohmann::json m = nlohmann::json::parse(RunQx(root, {"settings", "show", "--json", merged}).out);
  EXPECT_EQ(m["dmCopies"], 3);           // public members are taken
  EXPECT_EQ(m["youshi"], "PAPER_LINK");  // the rejected block is not
  // A copy to 188 bytes and a merge of it back.
  std::string small = dir + "/small.rec", back = dir + "/back.rec";
  ASSERT_EQ(RunQx(root, {"settings", "copy", changed, "--size", "188", "-o", small}).status, 0);
  EXPECT_EQ(ReadFileBytes(small).size(), 188u + 2200u);
  ASSERT_EQ(
      RunQx(root, {"settings", "merge", base, small, "--desc", Printer("089"), "-o", back}).status,
      0);
  nlohmann::json b = nlohmann::json::parse(RunQx(root, {"settings", "show", "--json", back}).out);
  EXPECT_EQ(b["youshi"], "A0");
  EXPECT_EQ(b["dmCopies"], 3);
}

// The ZQ1's defaults: A1 with paper link, landscape, 600 dpi. Both records come
// from model 89's A1 row, pair 3 (length extent 33187, width extent 23366); the
// paper fed is turned for landscape.
TEST(QxSettings, GeometryOfTheDefaults) {
  std::string dir = qxtest::MakeTempDir("settings-geometry");
  std::string root = dir + "/root", record = dir + "/zq1.rec";
  ASSERT_EQ(RunQx(root, {"settings", "defaults", "--desc", Printer("089"), "-o", record}).status,
            0);
  auto run = RunQx(root, {"settings", "geometry", record, "--desc", Printer("089"), "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json j = nlohmann::json::parse(run.out);
  const nlohmann::json logical = {{"formName", "A1"},
                                  {"optionKeyword", "A1"},
                                  {"left", 0},
                                  {"top", 0},
                                  {"right", 23366},
                                  {"bottom", 33187},
                                  {"paperWidth", 594000},
                                  {"paperLength", 841000},
                                  {"paperIndex", 1},
                                  {"valid", true}};
  EXPECT_EQ(j["logical"], logical);
  nlohmann::json fed = logical;
  fed["right"] = 33187;
  fed["bottom"] = 23366;
  fed["paperWidth"] = 841000;
  fed["paperLength"] = 594000;
  EXPECT_EQ(j["fed"], fed);
}

TEST(QxSettings, BadInputGivesOneLine) {
  std::string dir = qxtest::MakeTempDir("settings-bad");
  std::string root = dir + "/root", base = dir + "/base.rec";
  ASSERT_EQ(RunQx(root, {"settings", "defaults", "--desc", Printer("012"), "-o", base}).status, 0);
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case kCases[] = {
      {{"settings", "set", base, "nosuch=1", "-o", dir + "/x"}, "no member named 'nosuch'"},
      {{"settings", "set", base, "dmCopies=40000", "-o", dir + "/x"}, "does not fit dmCopies"},
      {{"settings", "set", base, "youshi=" + std::string(200, 'a'), "-o", dir + "/x"},
       "at most 127"},
      {{"settings", "show", dir + "/missing.rec"}, "cannot read"},
      {{"settings", "defaults", "--desc", dir + "/missing.ppd", "-o", dir + "/x"}, "cannot read"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.says);
    auto r = RunQx(root, c.args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
}

}  // namespace
