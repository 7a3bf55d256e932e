// qx binder show as users and programs run it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"

namespace {

std::string Word(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// A job-binder file: a landscape A1 job from tray 4 (263) of three pages,
// behind which a stream without PJL starts with the language switch.
std::string BinderFile(bool signature) {
  std::string header(380, '\0');
  if (signature) header.replace(0, 24, std::string("MOBRA merge file header\0", 24));
  header.replace(32, 4, Word(101));
  header.replace(292, 4, Word(1));
  header.replace(300, 4, Word(268));
  header.replace(304, 4, Word(841));
  header.replace(308, 4, Word(594));
  header.replace(312, 4, Word(3));
  header.replace(316, 4, Word(263));
  header.replace(320, 4, Word(2));
  return header + "\x1B\x12!-1,1,2@GL2\x1B IN;PG;IN;PG;IN;PG;\x1B\x12!1@R00\x1B ";
}

struct BinderShow : ::testing::Test {
  std::string dir = qxtest::MakeTempDir("qx-binder");
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(BinderShow, JsonNamesTheHeaderFields) {
  std::string file = Write("plan.QBX", BinderFile(true));
  qxtest::QxResult r = qxtest::RunQx(dir + "/root", {"binder", "show", file, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  nlohmann::json j = nlohmann::json::parse(r.out);
  const nlohmann::json& h = j["mergeHeader"];
  EXPECT_EQ(h["signatureOk"], true);
  EXPECT_EQ(h["version"], 101);
  EXPECT_EQ(h["orientation"], 1);
  EXPECT_EQ(h["trailerFlag"], 0);
  EXPECT_EQ(h["paperCode"], 268);
  EXPECT_EQ(h["paperName"], "A1");
  EXPECT_EQ(h["firstDimension"], 841);
  EXPECT_EQ(h["secondDimension"], 594);
  EXPECT_EQ(h["pageCount"], 3);
  EXPECT_EQ(h["sourceCode"], 263);
  EXPECT_EQ(j["stream"]["start"], "language switch");
  EXPECT_EQ(j["stream"]["pages"].size(), 3u);
}

TEST_F(BinderShow, TextAndBadFiles) {
  std::string file = Write("plan.QBX", BinderFile(true));
  qxtest::QxResult r = qxtest::RunQx(dir + "/root", {"binder", "show", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("paper         268 (A1), 841 x 594 mm"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("pages         3"), std::string::npos);
  // A file without the signature is shown, and the status says it is not one.
  r = qxtest::RunQx(dir + "/root", {"binder", "show", Write("other.QBX", BinderFile(false))});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("signature missing"), std::string::npos);
  // Shorter than a header: refused.
  r = qxtest::RunQx(dir + "/root", {"binder", "show", Write("short.QBX", std::string(100, 'x'))});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("shorter than a merge header"), std::string::npos);
}

// The example drawing on the bundled ZQ1, saved for the job binder and shown.
TEST(BinderEndToEnd, PrintToBinderAndShow) {
  std::string root = qxtest::MakeTempDir("qx-binder-e2e") + "/root";
  std::string job = qxtest::SourceDir() + "/examples/drawing.job";
  qxtest::QxResult r = qxtest::RunQx(root, {"print", job, "--to-binder=plan"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");  // nothing reached the printer
  std::string path = root + "/c/WINDOWS/temp/QBX-W/plan.QBX";
  std::string file = qxtest::ReadFileBytes(path);
  ASSERT_GT(file.size(), 380u);
  EXPECT_EQ(file.substr(0, 24), std::string("MOBRA merge file header\0", 24));
  auto word = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(file[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 3])) << 24;
  };
  EXPECT_EQ(word(32), 101u);
  EXPECT_EQ(word(296), 0u);
  EXPECT_EQ(word(312), 1u);  // one page
  EXPECT_EQ(word(320), 2u);
  // No PJL part: the language switch first; the job-binder end last.
  std::string stream = file.substr(380);
  EXPECT_EQ(stream.rfind("\x1B\x12!-1,1,2@GL2\x1B ", 0), 0u);
  EXPECT_EQ(stream.find("@PJL"), std::string::npos);
  const std::string end = "\x1B\x12!1@R00\x1B ";
  EXPECT_EQ(stream.substr(stream.size() - end.size()), end);
  r = qxtest::RunQx(root, {"binder", "show", path, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["mergeHeader"]["pageCount"], 1);
  EXPECT_EQ(j["mergeHeader"]["paperCode"], word(300));
  EXPECT_EQ(j["stream"]["pages"].size(), 1u);
  // The same chosen name again: refused with its message, the file kept.
  r = qxtest::RunQx(root, {"print", job, "--to-binder=plan"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("ﾌｧｲﾙ名がすでに存在するため Quillbox 保存は中止します。"),
            std::string::npos);
  EXPECT_EQ(qxtest::ReadFileBytes(path), file);
  // A name that would lead out of the folder is refused before anything is sent.
  r = qxtest::RunQx(root, {"print", job, "--to-binder=..\\x"});
  EXPECT_EQ(r.status, 1);
  // The request was for one job: the next one prints.
  r = qxtest::RunQx(root, {"print", job});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("\x1B%-12345X@PJL", 0), 0u);
}

}  // namespace
