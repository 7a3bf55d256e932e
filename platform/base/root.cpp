// Resolves and creates the stand-in's root folder.
#include "platform/base/root.h"

#include <sys/stat.h>

#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

std::mutex rootLock;
std::string root;

std::string DefaultRoot() {
  if (const char* env = std::getenv("QX_ROOT"); env != nullptr && *env != 0) return env;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return std::string(data) + "/qx";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/qx";
}

// mkdir -p without exceptions.
void MakeDirectories(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
  }
}

}  // namespace

std::string RootPath() {
  std::lock_guard<std::mutex> guard(rootLock);
  if (root.empty()) {
    root = DefaultRoot();
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    MakeDirectories(root);
  }
  return root;
}

namespace test {
void SetRootPath(const std::string& path) {
  std::lock_guard<std::mutex> guard(rootLock);
  root = path;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  MakeDirectories(root);
}
}  // namespace test

}  // namespace platform
