// Creates the per-process test root and cleans it up.
#include "tests/support/temp_root.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qxtest {

namespace {
std::string CreateRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qx-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (made == nullptr) std::abort();
  setenv("QX_ROOT", made, 1);
  return made;
}

struct RootHolder {
  std::string path = CreateRoot();
  ~RootHolder() {
    if (std::getenv("QX_KEEP_ROOT") == nullptr) {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  }
};
}  // namespace

const std::string& TempRoot() {
  static RootHolder holder;
  return holder.path;
}

std::string MakeTempDir(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(TempRoot()) / "tmp" / name;
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string SourceDir() {
  const char* dir = std::getenv("QX_SOURCE_DIR");
  return dir && *dir ? dir : QX_SOURCE_DIR_DEFAULT;
}

std::string BuildDir() {
  const char* dir = std::getenv("QX_BUILD_DIR");
  return dir && *dir ? dir : QX_BUILD_DIR_DEFAULT;
}

}  // namespace qxtest
