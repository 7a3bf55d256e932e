// A fresh, empty stand-in root for a test process, removed when the process ends.
#pragma once

#include <string>

namespace qxtest {
// The root created for this process (also in $QX_ROOT).
const std::string& TempRoot();
// A new empty folder below the root, for one test's files.
std::string MakeTempDir(const std::string& name);
// The source tree's folder of test data, and the build folder.
std::string SourceDir();
std::string BuildDir();
}  // namespace qxtest
