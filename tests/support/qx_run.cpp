// Child processes of qx for the tool tests.
#include "tests/support/qx_run.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/support/temp_root.h"

namespace qxtest {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

QxResult RunQx(const std::string& root, const std::vector<std::string>& args) {
  std::string arguments;
  for (const std::string& a : args) arguments += " " + ShellQuote(a);
  return RunQxLine(root, arguments);
}

QxResult RunQxLine(const std::string& root, const std::string& arguments) {
  std::string errFile = root + ".stderr";
  std::string command = "QX_ROOT=" + ShellQuote(root) + " " + ShellQuote(BuildDir() + "/bin/qx");
  command += " " + arguments + " 2>" + ShellQuote(errFile) + " </dev/null";
  QxResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = ReadFileBytes(errFile);
  std::remove(errFile.c_str());
  return result;
}

}  // namespace qxtest
