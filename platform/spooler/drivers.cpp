// The printer's driver: GetPrinterDriverW, the driver folder, and the
// installation of a driver's files into its version folder.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "platform/registry/database.h"
#include "platform/spooler/handles.h"
#include "platform/spooler/pack.h"
#include "platform/spooler/store.h"

namespace platform {

namespace {

constexpr char16_t kDefaultEnvironment[] = u"Windows x64";

// Driver environments and their folders below "C:\WINDOWS\system32\spool\drivers".
struct EnvironmentRow {
  const char16_t* environment;
  const char16_t* folder;
};
// clang-format off
constexpr EnvironmentRow kEnvironments[] = {
    {u"Windows x64",    u"x64"},
    {u"Windows NT x86", u"W32X86"},
};
// clang-format on

constexpr char16_t kDriversFolder[] = u"C:\\WINDOWS\\system32\\spool\\drivers\\";

const EnvironmentRow* FindEnvironment(std::u16string_view environment) {
  if (environment.empty()) environment = kDefaultEnvironment;
  for (const EnvironmentRow& row : kEnvironments) {
    if (EqualsIgnoreCase(row.environment, environment)) return &row;
  }
  return nullptr;
}

// The libraries a printer of this driver loads, under their file names here and
// the names the driver information gives them.
struct LibraryRow {
  const char* file;
  const char16_t* name;
};
// clang-format off
constexpr LibraryRow kLibraries[] = {
    {"QX48GL64.so", u"QX48GL64.DLL"},  // render library: the driver path
    {"QX48UI64.so", u"QX48UI64.DLL"},  // settings UI: the config file
    {"QX48UM64.so", u"QX48UM64.DLL"},  // spool filter, found beside the render library
};
// clang-format on

// Reads a whole regular file; `why` says why not.
bool ReadNativeFile(const std::string& path, std::string* bytes, std::string* why) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) *why = "not a file";
  char chunk[65536];
  while (ok) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      if (!ok) *why = std::strerror(errno);
      break;
    }
    bytes->append(chunk, static_cast<std::size_t>(n));
  }
  close(fd);
  return ok;
}

// Writes `bytes` to `path` through a temporary file, so that the file is either
// the old one or the whole new one.
bool ReplaceNativeFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".new";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  bool ok = close(fd) == 0 && done == bytes.size() && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool ReplaceLink(const std::string& link, const std::string& target) {
  std::string temporary = link + ".new";
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0) return false;
  if (rename(temporary.c_str(), link.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::u16string DriverDirectory() {
  return std::u16string(kDriversFolder) + kEnvironments[0].folder;
}

std::u16string DriverVersionDirectory() { return DriverDirectory() + u"\\3"; }

bool InstallDriverFiles(const std::string& descriptionFile, const std::string& libraryFolder,
                        PrinterDriver* driver, std::string* why) {
  std::string description;
  std::string reason;
  if (!ReadNativeFile(descriptionFile, &description, &reason)) {
    *why = "cannot read the printer description " + descriptionFile + ": " + reason;
    return false;
  }
  char resolved[PATH_MAX];
  if (realpath(libraryFolder.c_str(), resolved) == nullptr) {
    *why = "no driver library folder " + libraryFolder;
    return false;
  }
  std::string libraries = resolved;
  for (const LibraryRow& row : kLibraries) {
    if (access((libraries + "/" + row.file).c_str(), R_OK) != 0) {
      *why = std::string("no driver library ") + row.file + " in " + libraries;
      return false;
    }
  }
  std::string folder = NativePath(DriverVersionDirectory());
  std::string name = BaseName(descriptionFile);
  if (!MakeParentFolders(folder + "/" + name)) {
    *why = "cannot create the driver folder " + folder;
    return false;
  }
  for (const LibraryRow& row : kLibraries) {
    if (!ReplaceLink(folder + "/" + row.file, libraries + "/" + row.file)) {
      *why =
          std::string("cannot link ") + row.file + " into " + folder + ": " + std::strerror(errno);
      return false;
    }
  }
  if (!ReplaceNativeFile(folder + "/" + name, description)) {
    *why = "cannot copy the printer description into " + folder + ": " + std::strerror(errno);
    return false;
  }
  std::u16string version = DriverVersionDirectory() + u"\\";
  driver->environment = kDefaultEnvironment;
  driver->version = 3;
  driver->driverPath = version + kLibraries[0].name;
  driver->configFile = version + kLibraries[1].name;
  driver->dataFile = version + Utf8ToWide(name);
  return true;
}

}  // namespace platform

BOOL GetPrinterDriverW(HANDLE hPrinter, LPCWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                       DWORD cbBuf, LPDWORD pcbNeeded) {
  using namespace platform::spool;
  auto handle = FindHandle(hPrinter);
  if (!handle) return FALSE;
  if (Level != 1 && Level != 2) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  std::optional<platform::PrinterRecord> printer = LoadHandlePrinter(*handle);
  if (!printer) return FALSE;
  const platform::PrinterDriver& d = printer->driver;
  std::u16string_view environment = platform::WideView(pEnvironment);
  if (!environment.empty() && !platform::EqualsIgnoreCase(environment, d.environment)) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return FALSE;
  }
  if (Level == 1) {
    return PackRecords<DRIVER_INFO_1W>(1, pDriverInfo, cbBuf, pcbNeeded, [&](Packer& pack) {
      pack.Put(0, DRIVER_INFO_1W{pack.String(d.name)});
    });
  }
  return PackRecords<DRIVER_INFO_2W>(1, pDriverInfo, cbBuf, pcbNeeded, [&](Packer& pack) {
    DRIVER_INFO_2W info{};
    info.cVersion = d.version;
    info.pName = pack.String(d.name);
    info.pEnvironment = pack.String(d.environment);
    info.pDriverPath = pack.String(d.driverPath);
    info.pDataFile = pack.String(d.dataFile);
    info.pConfigFile = pack.String(d.configFile);
    pack.Put(0, info);
  });
}

BOOL GetPrinterDriverDirectoryW(LPCWSTR /*pName*/, LPCWSTR pEnvironment, DWORD Level,
                                LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded) {
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pcbNeeded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const platform::EnvironmentRow* row = platform::FindEnvironment(platform::WideView(pEnvironment));
  if (row == nullptr) {
    SetLastError(ERROR_INVALID_ENVIRONMENT);
    return FALSE;
  }
  std::u16string folder = std::u16string(platform::kDriversFolder) + row->folder;
  DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR));
  *pcbNeeded = bytes;
  if (pDriverDirectory == nullptr || cbBuf < bytes) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  platform::MakeParentFolders(platform::NativePath(folder + u"\\3") + "/-");  // the "3" too
  std::memcpy(pDriverDirectory, folder.c_str(), bytes);
  return TRUE;
}
