// Which user ID, user code and authentication values the job header carries, and
// where they come from: the settings record, the printer data read when the
// device context was built, the private escapes, the per-machine settings file
// for printers reached through a server, and the maker's job-control library.
#pragma once

#include <string>

#include "render/core/device_context.h"

namespace render::jobcontrol {

// The user ID of the header in ANSI (at most 17 bytes); empty when there is none.
std::string HeaderUserId(const DeviceContext& dc);
// Whether the header carries a user code line, and its value in ANSI.
bool HeaderUserCode(const DeviceContext& dc, std::string* code);
// Authentication is on for this job (escape 110 on a printer that takes it).
bool AuthenticationOn(const DeviceContext& dc);
// The models whose authentication names are short (at most 32 characters).
bool ShortAuthenticationNames(const DeviceContext& dc);
// At header time, before any line, on printers whose identities come from the
// job-control library: the job owner as the host login name, the user ID, the
// user code and the authentication values. A missing library or a failed call
// leaves the value as it was.
void FetchJobControlIdentities(DeviceContext& dc);

// The qxw4gl.ini that holds the user-code keys of the job header: the folder
// five levels above the description file, with the per-user part when escape
// 105 asked for it. Empty when the path gives no such folder.
std::u16string UserCodeFilePath(const DeviceContext& dc);
// The printer's section in qxw4gl.ini.
std::u16string PrinterSection(const DeviceContext& dc);

}  // namespace render::jobcontrol
