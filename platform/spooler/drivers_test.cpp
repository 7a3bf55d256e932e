// The printer's driver information, the driver folder, and driver installation.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/files/paths.h"
#include "platform/spooler/spooler_test_support.h"
#include "tests/support/temp_root.h"

namespace {

using spooltest::As;
using spooltest::FetchRecord;
using spooltest::ScopedPrinter;
using spooltest::Text;

TEST(PrinterDriver, LevelTwoNamesTheDriverFiles) {
  ScopedPrinter printer(u"Driver Paths");
  HANDLE h = printer.Open();
  std::vector<BYTE> buffer = FetchRecord(
      [&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterDriverW(h, nullptr, 2, b, n, need); });
  ASSERT_FALSE(buffer.empty());
  const auto& info = As<DRIVER_INFO_2W>(buffer);
  EXPECT_EQ(info.cVersion, 3u);
  EXPECT_EQ(Text(info.pName), u"KX-GL/2 Test Plotter");
  EXPECT_EQ(Text(info.pEnvironment), u"Windows x64");
  EXPECT_EQ(Text(info.pDriverPath), u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48GL64.DLL");
  EXPECT_EQ(Text(info.pDataFile), u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QXTEST.PPD");
  EXPECT_EQ(Text(info.pConfigFile), u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48UI64.DLL");

  DWORD needed = 0;
  EXPECT_TRUE(GetPrinterDriverW(h, u"windows X64", 2, buffer.data(),
                                static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_FALSE(GetPrinterDriverW(h, u"Windows NT x86", 2, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PRINTER_DRIVER);
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 6, buffer.data(), 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

TEST(PrinterDriver, DirectoryIsTheDriverFolderOfTheNamespace) {
  std::vector<BYTE> buffer = FetchRecord([](BYTE* b, DWORD n, DWORD* need) {
    return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, b, n, need);
  });
  ASSERT_FALSE(buffer.empty());
  std::u16string folder = reinterpret_cast<const WCHAR*>(buffer.data());
  EXPECT_EQ(folder, u"C:\\WINDOWS\\system32\\spool\\drivers\\x64");
  EXPECT_EQ(buffer.size(), (folder.size() + 1) * 2);
  struct stat st;
  EXPECT_EQ(stat(platform::NativePath(folder + u"\\3").c_str(), &st), 0);  // the version folder

  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, u"Windows 3.1", 1, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ENVIRONMENT);
}

// A folder standing in for the build's library folder.
std::string FakeLibraries(const std::string& name, bool complete) {
  std::string folder = qxtest::MakeTempDir(name);
  for (const char* file : {"QX48GL64.so", "QX48UI64.so", "QX48UM64.so"}) {
    if (!complete && std::string(file) == "QX48UM64.so") continue;
    std::ofstream(folder + "/" + file) << file;
  }
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(InstallDriverFiles, CopiesTheDescriptionAndLinksTheLibraries) {
  std::string libraries = FakeLibraries("install-libs", true);
  std::string description = qxtest::MakeTempDir("install-desc") + "/QXPLOT.PPD";
  std::ofstream(description) << "*PPD-Adobe: \"4.3\"\n*NickName: \"KX-GL/2 Plot\"\n";

  platform::PrinterDriver driver;
  std::string why;
  ASSERT_TRUE(platform::InstallDriverFiles(description, libraries, &driver, &why)) << why;
  EXPECT_EQ(driver.dataFile, u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QXPLOT.PPD");
  EXPECT_EQ(driver.driverPath, u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48GL64.DLL");
  EXPECT_EQ(driver.configFile, u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QX48UI64.DLL");
  EXPECT_EQ(ReadAll(platform::NativePath(driver.dataFile)), ReadAll(description));
  // The libraries answer under their Windows names, the spool filter beside the renderer.
  std::string folder = platform::NativePath(platform::DriverVersionDirectory());
  for (const char* file : {"QX48GL64.so", "QX48UI64.so", "QX48UM64.so"}) {
    EXPECT_EQ(ReadAll(folder + "/" + file), file);
  }
}

TEST(InstallDriverFiles, LeavesNothingBehindOnBadInput) {
  std::string description = qxtest::MakeTempDir("install-bad") + "/QXBAD.PPD";
  std::ofstream(description) << "*NickName: \"Bad\"\n";
  std::string folder = platform::NativePath(platform::DriverVersionDirectory());
  platform::PrinterDriver driver;
  std::string why;

  EXPECT_FALSE(platform::InstallDriverFiles(description, FakeLibraries("install-part", false),
                                            &driver, &why));
  EXPECT_NE(why.find("QX48UM64.so"), std::string::npos) << why;
  EXPECT_NE(access((folder + "/QXBAD.PPD").c_str(), F_OK), 0);

  EXPECT_FALSE(platform::InstallDriverFiles(description + ".missing",
                                            FakeLibraries("install-full", true), &driver, &why));
  EXPECT_NE(why.find("cannot read the printer description"), std::string::npos) << why;
  EXPECT_TRUE(driver.dataFile.empty());
}

}  // namespace
