// Changing members of a settings record by name, as `qx settings set` and the
// settings lines of job scripts do: NAME=VALUE, the names of the record's field
// table.
#pragma once

#include <string>

namespace jobscript {

// Sets one member of a whole record of the driver from "NAME=VALUE": numbers in
// decimal or 0x hexadecimal (with an optional sign), bits as 0/1 or true/false,
// texts as they are (converted to the code page for ANSI members), opaque members
// as hexadecimal bytes of their whole size. False, with `error` saying what is
// wrong, when the name is unknown or the value does not fit; the record is then
// left as it was.
[[nodiscard]] bool AssignRecordMember(unsigned char* record, const std::string& assignment,
                                      std::string* error);

}  // namespace jobscript
