// qx printer as users run it: from a fresh root, with bad input, and across processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/base/root.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "platform/modules/modules.h"
#include "platform/spooler/spooler.h"
#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"

namespace {

using QxRun = qxtest::QxResult;

std::string Quote(const std::string& text) { return qxtest::ShellQuote(text); }
std::string ReadAll(const std::string& path) { return qxtest::ReadFileBytes(path); }
QxRun Qx(const std::string& root, const std::string& args) { return qxtest::RunQxLine(root, args); }

// A fresh, empty root and a printer description beside it.
struct Fixture {
  std::string root;
  std::string description;
  explicit Fixture(const std::string& name) {
    std::string folder = qxtest::MakeTempDir(name);
    root = qxtest::MakeTempDir(name + "/root");  // empty: nothing set up before qx runs
    description = folder + "/QXA0.PPD";
    std::ofstream(description) << "*PPD-Adobe: \"4.3\"\n*NickName: \"KX-GL/2 A0 Plotter\"\n";
  }
};

TEST(QxPrinter, AddListShowRemoveFromAFreshRoot) {
  Fixture f("qx-fresh");
  QxRun add = Qx(f.root, "printer add 'Plotter 1' --desc " + Quote(f.description) +
                             " --port socket://10.0.0.5:9100");
  ASSERT_EQ(add.status, 0) << add.err;
  EXPECT_EQ(Qx(f.root, "printer list").out,
            "Plotter 1\tsocket://10.0.0.5:9100\tKX-GL/2 A0 Plotter\n");

  QxRun show = Qx(f.root, "printer show 'plotter 1' --json");
  ASSERT_EQ(show.status, 0) << show.err;
  nlohmann::json j = nlohmann::json::parse(show.out);
  EXPECT_EQ(j["pPrinterName"], "Plotter 1");
  EXPECT_EQ(j["pServerName"], "");
  EXPECT_EQ(j["Attributes"], PRINTER_ATTRIBUTE_LOCAL);
  EXPECT_EQ(j["driver"]["pDataFile"], "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QXA0.PPD");
  EXPECT_EQ(j["driver"]["pDriverPath"],
            "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48GL64.DLL");
  // The description was copied below the root, and the libraries answer there.
  std::string version = f.root + "/c/WINDOWS/system32/spool/drivers/x64/3";
  EXPECT_EQ(ReadAll(version + "/QXA0.PPD"), ReadAll(f.description));
  EXPECT_EQ(access((version + "/QX48GL64.so").c_str(), R_OK), 0);
  EXPECT_EQ(access((version + "/QX48UM64.so").c_str(), R_OK), 0);
  // The render library loads by the driver path, the spool filter from beside it.
  platform::test::SetRootPath(f.root);
  std::u16string driverPath = platform::Utf8ToWide(j["driver"]["pDriverPath"].get<std::string>());
  HMODULE render = LoadLibraryW(driverPath.c_str());
  EXPECT_NE(render, nullptr) << GetLastError();
  std::u16string filter = driverPath.substr(0, driverPath.rfind(u'\\') + 1) + u"QX48UM64.DLL";
  HMODULE spool = LoadLibraryW(filter.c_str());
  EXPECT_NE(spool, nullptr) << GetLastError();
  if (spool) FreeLibrary(spool);
  if (render) FreeLibrary(render);
  platform::test::SetRootPath(qxtest::TempRoot());

  QxRun remote =
      Qx(f.root, "printer add '\\\\plotsrv\\A1' --remote --desc " + Quote(f.description));
  ASSERT_EQ(remote.status, 0) << remote.err;
  nlohmann::json r = nlohmann::json::parse(Qx(f.root, "printer show '\\\\plotsrv\\A1' --json").out);
  EXPECT_EQ(r["pServerName"], "\\\\plotsrv");
  EXPECT_EQ(r["pPortName"], "-");

  EXPECT_EQ(Qx(f.root, "printer remove 'Plotter 1'").status, 0);
  EXPECT_EQ(Qx(f.root, "printer remove '\\\\plotsrv\\A1'").status, 0);
  EXPECT_EQ(Qx(f.root, "printer list").out, "");
}

TEST(QxPrinter, BadInputGivesOneLineAndChangesNothing) {
  Fixture f("qx-bad");
  ASSERT_EQ(Qx(f.root, "printer add P --desc " + Quote(f.description)).status, 0);
  std::string before = Qx(f.root, "printer show P --json").out;
  std::string folder = qxtest::MakeTempDir("qx-bad-folder");
  std::string other = folder + "/OTHER.PPD";
  std::ofstream(other) << "*NickName: \"Other\"\n";
  struct Case {
    std::string args;
    const char* says;
  };
  const Case cases[] = {
      {"printer show Nope", "no printer named Nope"},
      {"printer remove Nope", "no printer named Nope"},
      {"printer set Nope Logging=dword:1", "no printer named Nope"},
      {"printer add Q --desc " + Quote(folder + "/missing.ppd"), "does not exist"},
      {"printer add Q --desc " + Quote(folder), "directory"},
      {"printer add Q --desc " + Quote(other) + " --port lpt1:", "unknown port 'lpt1:'"},
      {"printer add Q --desc " + Quote(other) + " --port socket://plotter:0", "1 to 65535"},
      {"printer add P --desc " + Quote(other), "P exists already"},
      {"printer set P Logging=dword:1 Other=7", "'Other' is no printer field"},
      {"printer set P Logging=dword:1 port=socket://", "socket://HOST:PORT"},
      {"printer set P UserCode=hex:123", "odd number"},
      {"printer unset P Missing", "no printer data Missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    QxRun run = Qx(f.root, c.args);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_EQ(Qx(f.root, "printer show P --json").out, before);
  EXPECT_EQ(Qx(f.root, "printer list").out, "P\t-\tKX-GL/2 A0 Plotter\n");
  EXPECT_NE(access((f.root + "/c/WINDOWS/system32/spool/drivers/x64/3/OTHER.PPD").c_str(), F_OK),
            0);
}

TEST(QxPrinter, PrinterDataWrittenByOneProcessIsReadByAnother) {
  Fixture f("qx-two");
  ASSERT_EQ(Qx(f.root, "printer add Shared --desc " + Quote(f.description)).status, 0);
  QxRun set = Qx(f.root,
                 "printer set Shared Version=hex\\(1\\):560065007200 FreeMem=dword:0x2000 "
                 "UserCodeFlag=hex:05 may-change=no bidi=on");
  ASSERT_EQ(set.status, 0) << set.err;

  nlohmann::json j = nlohmann::json::parse(Qx(f.root, "printer show Shared --json").out);
  EXPECT_EQ(j["Attributes"], PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_ENABLE_BIDI);
  EXPECT_EQ(j["userMayChange"], false);
  ASSERT_EQ(j["printerData"].size(), 3u);
  EXPECT_EQ(j["printerData"][0]["name"], "FreeMem");
  EXPECT_EQ(j["printerData"][0]["value"], 0x2000);
  EXPECT_EQ(j["printerData"][2]["name"], "Version");
  EXPECT_EQ(j["printerData"][2]["value"], "Ver");
  EXPECT_NE(Qx(f.root, "printer show Shared").out.find("sz:\"Ver\" (6 bytes, no terminator)"),
            std::string::npos);

  // This process reads what the other one wrote, through the spooler's functions.
  platform::test::SetRootPath(f.root);
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(u"Shared", &h, nullptr));
  BYTE bytes[8] = {};
  DWORD type = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetPrinterDataW(h, u"Version", &type, bytes, sizeof bytes, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), needed), std::string("V\0e\0r\0", 6));
  EXPECT_EQ(GetPrinterDataW(h, u"UserCodeFlag", &type, bytes, sizeof bytes, &needed),
            ERROR_SUCCESS);
  EXPECT_EQ(needed, 1u);
  EXPECT_EQ(bytes[0], 5);
  EXPECT_EQ(SetPrinterDataW(h, u"Version", REG_SZ, bytes, 2), ERROR_ACCESS_DENIED);
  ClosePrinter(h);
  platform::test::SetRootPath(qxtest::TempRoot());
}

TEST(QxPrinter, ShowsTheStickyRecordReadOrDerived) {
  Fixture f("qx-sticky");
  std::string sample = qxtest::SourceDir() + "/printers/KX-M095.ppd";
  ASSERT_EQ(Qx(f.root, "printer add P --desc " + Quote(sample)).status, 0);
  nlohmann::json desc = nlohmann::json::parse(Qx(f.root, "desc --json " + Quote(sample)).out);
  auto sticky = [&] {
    return nlohmann::json::parse(Qx(f.root, "printer show P --json").out)["stickyRecord"];
  };

  // No "PrinterData": derived from the description, FreeVM as the memory and
  // the installable defaults (LargeCapacityTray False, VMOption 256MB).
  nlohmann::json j = sticky();
  EXPECT_EQ(j["source"], "derived");
  EXPECT_EQ(j["version"], 1024);
  EXPECT_EQ(j["size"], 108);
  EXPECT_EQ(j["memory"], desc["FreeVM"]);
  EXPECT_EQ(j["waitTimeout"], desc["SuggestedWaitTimeout"]);
  EXPECT_EQ(j["checksum"], desc["checksum"]);
  EXPECT_EQ(j["installableCount"], 2);
  EXPECT_EQ(j["installableSel"], nlohmann::json({1, 1}));
  EXPECT_EQ(j["fontOrder"], 0);
  // "FreeMem" of 64 KB stays at the 102,400-byte floor.
  ASSERT_EQ(Qx(f.root, "printer set P FreeMem=dword:64").status, 0);
  EXPECT_EQ(sticky()["memory"], 102400);

  // A stored record: version 1024, size 108, halftoning, 2 MB, a checksum of
  // another description (so the selections are recomputed), font order 5.
  std::string record =
      "0004"
      "6c00"
      "02000000"
      "00002000" +
      std::string(2 * 24, '0') +
      "0000"
      "0200" +
      std::string(2 * 64, '0') +
      "0500"
      "0000";
  ASSERT_EQ(record.size(), 2u * 108);
  ASSERT_EQ(Qx(f.root, "printer set P PrinterDataSize=dword:108 PrinterData=hex:" + record).status,
            0);
  j = sticky();
  EXPECT_EQ(j["source"], "read");
  EXPECT_EQ(j["halftone"], true);
  EXPECT_EQ(j["memory"], 0x200000);
  EXPECT_EQ(j["checksum"], desc["checksum"]);
  EXPECT_EQ(j["installableSel"], nlohmann::json({1, 1}));
  EXPECT_EQ(j["fontOrder"], 5);
  EXPECT_NE(Qx(f.root, "printer show P").out.find("sticky record (read)"), std::string::npos);
  // A size too short for the fields the libraries read: derived again.
  ASSERT_EQ(Qx(f.root, "printer set P PrinterDataSize=dword:4").status, 0);
  EXPECT_EQ(sticky()["source"], "derived");
}

}  // namespace
