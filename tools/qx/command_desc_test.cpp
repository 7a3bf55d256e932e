// qx desc as users and programs run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/temp_root.h"

namespace {

namespace fs = std::filesystem;

struct QxResult {
  int status = -1;
  std::string out;
};

// Runs qx with its output captured; the folder holds its root and its files.
QxResult Qx(const std::string& folder, const std::string& args) {
  std::string command = "cd '" + folder + "' && QX_ROOT='" + folder + "/root' '" +
                        qxtest::BuildDir() + "/bin/qx' " + args + " 2>&1";
  QxResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string CopySample(const std::string& folder, const char* name) {
  fs::copy_file(fs::path(qxtest::SourceDir()) / "printers" / name, fs::path(folder) / name,
                fs::copy_options::overwrite_existing);
  return name;
}

TEST(QxDesc, JsonNamesTheRecordsMembers) {
  std::string folder = qxtest::MakeTempDir("qx-desc-json");
  std::string ppd = CopySample(folder, "KX-M089.ppd");
  QxResult run = Qx(folder, "desc --json " + ppd);
  ASSERT_EQ(run.status, 0) << run.out;
  nlohmann::json j = nlohmann::json::parse(run.out);
  for (const char* member :
       {"checksum", "NickName", "LanguageLevel", "PrinterType", "PrinterFunction", "ColorDevice",
        "Protocols", "LandscapeOrientation", "FreeVM", "HWMargins", "MaxMediaWidth",
        "documentFeatureCount", "installableFeatureCount", "fontOrder", "features", "constraints",
        "orderDependencies", "jobPatchFiles", "fonts"}) {
    EXPECT_TRUE(j.contains(member)) << member;
  }
  EXPECT_EQ(j["NickName"], "KX-M089 ZQ1");
  EXPECT_EQ(j["LanguageLevel"], 89);
  EXPECT_EQ(j["PrinterFunction"], 0xA61F32E7u);
  EXPECT_EQ(j["MaxMediaWidth"], 2592 * 256);  // 24.8 values as their integer
  const nlohmann::json& pageSize = j["features"][0];
  for (const char* member :
       {"name", "translation", "defaultChoice", "optionRecordSize", "predefinedIndex", "flags",
        "uiType", "listIndex", "installable", "options"}) {
    EXPECT_TRUE(pageSize.contains(member)) << member;
  }
  EXPECT_EQ(pageSize["name"], "PageSize");
  EXPECT_EQ(pageSize["translation"], "用紙サイズ");  // from Shift-JIS to UTF-8
  EXPECT_EQ(pageSize["options"][0]["name"], "A0");
  EXPECT_EQ(pageSize["options"][0]["imageableArea"],
            nlohmann::json({0, 0, 2384 * 256, 3370 * 256}));
  EXPECT_TRUE(fs::exists(fs::path(folder) / "KX-M089.BPD"));  // loaded through the cache
  // Model 89, type 3, PrinterFunction bit 24 clear: groups A and D only.
  EXPECT_EQ(j["modelGroups"], nlohmann::json({{"InModelGroupA", true},
                                              {"InModelGroupB", false},
                                              {"InModelGroupC", false},
                                              {"InModelGroupD", true},
                                              {"InModelGroupE", false}}));
}

TEST(QxDesc, InstallableDefaultsAndConflicts) {
  std::string folder = qxtest::MakeTempDir("qx-desc-conflict");
  std::string ppd = CopySample(folder, "KX-M095.ppd");
  QxResult run = Qx(folder, "desc --json " + ppd);
  ASSERT_EQ(run.status, 0) << run.out;
  nlohmann::json j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["documentFeatureCount"], 17);
  // LargeCapacityTray defaults to False (its option 1), VMOption to 256MB (1).
  EXPECT_EQ(j["installableDefaults"], nlohmann::json({1, 1}));

  // Tray2 is ruled out by the installable LargeCapacityTray False: feature
  // 17 + 0 of the whole list, flag 0x1, option 1. 12x18 is ruled out by the
  // document choice Duplex (feature 2) DuplexTumble (option 2), flag 0x2.
  run = Qx(folder,
           "desc " + ppd + " --conflict InputSlot=Tray2^Role_2 PageSize=12x18 Duplex=DuplexTumble");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "InputSlot=Tray2^Role_2: conflict 0x11101 with the installable choice "
            "LargeCapacityTray False\n"
            "PageSize=12x18: conflict 0x20202 with the document choice Duplex DuplexTumble\n"
            "Duplex=DuplexTumble: no conflict\n");
  run = Qx(folder, "desc --json " + ppd + " --conflict PageSize=12x18");
  ASSERT_EQ(run.status, 0) << run.out;
  j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["conflicts"][0]["code"], 0);  // Duplex stays at its default None
  EXPECT_EQ(Qx(folder, "desc " + ppd + " --conflict PageSize=Z9").status, 1);
  EXPECT_EQ(Qx(folder, "desc " + ppd + " --conflict Nothing=A4").status, 1);
}

TEST(QxDesc, ForPeopleAndWithoutCache) {
  std::string folder = qxtest::MakeTempDir("qx-desc-text");
  std::string ppd = CopySample(folder, "KX-M095.ppd");
  QxResult run = Qx(folder, "desc --no-cache " + ppd);
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("KX-M095 CX95"), std::string::npos);
  EXPECT_NE(run.out.find("model 95, printer type 2"), std::string::npos);
  EXPECT_NE(run.out.find("authentication"), std::string::npos);
  EXPECT_NE(run.out.find("Installable:"), std::string::npos);
  EXPECT_NE(run.out.find("@平成明朝W3"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs::path(folder) / "KX-M095.BPD"));
}

TEST(QxDesc, FileThatCannotBeLoaded) {
  std::string folder = qxtest::MakeTempDir("qx-desc-missing");
  QxResult run = Qx(folder, "desc missing.ppd");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("cannot load missing.ppd"), std::string::npos) << run.out;
  std::ofstream(fs::path(folder) / "long.ppd") << "*" << std::string(41, 'K') << ": x\n";
  EXPECT_EQ(Qx(folder, "desc long.ppd").status, 1);
}

}  // namespace
