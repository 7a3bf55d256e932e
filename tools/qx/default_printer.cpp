// Installing the default printer.
#include "tools/qx/default_printer.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/base/text.h"
#include "platform/spooler/spooler.h"

namespace qx {

namespace {

std::filesystem::path ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  return std::filesystem::path(path).parent_path();
}

}  // namespace

std::string LibraryFolder() {
  return (ExecutableFolder() / ".." / "lib").lexically_normal().string();
}

std::string PrintersFolder() {
  if (const char* folder = std::getenv("QX_PRINTERS"); folder && *folder) return folder;
  return QX_PRINTERS_DIR;
}

bool ResolvePrinter(const std::string& name, std::u16string* printer, std::string* error) {
  if (!name.empty()) {
    *printer = platform::Utf8ToWide(name);
    if (!platform::FindPrinter(*printer)) {
      *error = "no printer named " + name + " (see qx printer list)";
      return false;
    }
    return true;
  }
  *printer = platform::Utf8ToWide(kDefaultPrinter);
  if (platform::FindPrinter(*printer)) return true;
  platform::PrinterRecord record;
  record.name = *printer;
  record.portName = u"-";
  record.driver.name = *printer;
  std::string description = PrintersFolder() + "/KX-M089.ppd";
  if (!platform::InstallDriverFiles(description, LibraryFolder(), &record.driver, error) ||
      !platform::AddPrinter(record)) {
    if (error->empty()) *error = "cannot add the default printer " + std::string(kDefaultPrinter);
    return false;
  }
  return true;
}

}  // namespace qx
