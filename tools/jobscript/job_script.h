// Job scripts: a print job as text, one call per line (docs/job-script.md). The
// reader checks the whole script before anything is printed: a malformed line
// stops the job with its line number and what is wrong with it.
#pragma once

#include <string>
#include <string_view>

#include "tools/jobscript/job_calls.h"

namespace jobscript {

struct ScriptError {
  int line = 0;  // 0: the script as a whole
  std::string message;
};

// Reads a whole script into `job`. False with `error` set at the first malformed
// line; `job` is then not to be played.
[[nodiscard]] bool ReadJobScript(std::string_view text, Job* job, ScriptError* error);

// "FILE:LINE: message" (or "FILE: message" for the script as a whole).
std::string FormatScriptError(const std::string& file, const ScriptError& error);

}  // namespace jobscript
