// PJL lines of the job header and trailer ("@PJL SET JOBNAME = "..."").
#pragma once

#include <cstddef>
#include <string_view>

#include "tools/preview/job_info.h"

namespace preview {

// The universal exit that opens and closes a PJL job (after its ESC byte).
constexpr std::string_view kUniversalExit = "%-12345X";

// Splits one line (without its line end) that starts with "@PJL" into its
// command and, for SET and ENTER lines, the variable and its value.
PjlLine ParsePjlLine(std::string_view line, size_t offset);

// Whether the language an "@PJL ENTER LANGUAGE" line names is the one read here.
bool IsKxGlLanguage(std::string_view language);

}  // namespace preview
