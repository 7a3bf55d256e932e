// Runs the built qx command in a child process, as a user would.
#pragma once

#include <string>
#include <vector>

namespace qxtest {

struct QxResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Quotes one argument for the shell.
std::string ShellQuote(const std::string& text);
// Runs "qx ARGS..." with $QX_ROOT set to `root`.
QxResult RunQx(const std::string& root, const std::vector<std::string>& args);
// The same with the arguments as one shell text, quoted where needed.
QxResult RunQxLine(const std::string& root, const std::string& arguments);

std::string ReadFileBytes(const std::string& path);

}  // namespace qxtest
