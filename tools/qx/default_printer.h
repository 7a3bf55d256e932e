// The printer a qx command uses when none is named: the ZQ1 wide-format roll
// printer made from the bundled description, installed on first use.
#pragma once

#include <string>

namespace qx {

constexpr const char* kDefaultPrinter = "KX-M089 ZQ1";

// The folder of the driver libraries (beside the qx executable's folder) and of
// the bundled printer descriptions ($QX_PRINTERS overrides it).
std::string LibraryFolder();
std::string PrintersFolder();

// `name`, or the default printer (installed when missing) when `name` is empty.
// False, with `error` saying why, when the default printer cannot be installed.
bool ResolvePrinter(const std::string& name, std::u16string* printer, std::string* error);

}  // namespace qx
