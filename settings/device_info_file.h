// The per-machine settings file qxw4gl.ini that holds the device information,
// user sizes, stamps, user codes and job-binder requests of each printer, in a
// section named after the printer.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace settings {

// Where the file lives: in the "_mpcs" folder of the user's profile on a
// terminal-server installation (the device-information library MC00C150.dll
// says so through its export "_IsTSE_WMICOM_MPCS_Printer_Driver"), else in the
// system folder. With `createFolder` the per-user folder is made when missing.
std::u16string DeviceInfoFilePath(bool createFolder);

// Whether this is a terminal-server installation; asked once per process.
bool IsTerminalServerInstallation();

// User size "USER<number>" of a printer's section: "source, first, second, name".
// False when the key is missing or its dimensions cannot be read.
bool ReadUserSize(const std::u16string& file, const std::u16string& printer, int number, int* first,
                  int* second);

}  // namespace settings
