// The folder that holds the stand-in's state: files of the Windows namespace, the
// database of registry and spooler. $QX_ROOT chooses it (default
// ~/.local/share/qx); tests give each process a fresh one.
#pragma once

#include <string>

namespace platform {

// The root as a native path without a trailing slash, created on first use.
std::string RootPath();

namespace test {
// Points the stand-in at another root (a test's fresh folder) from now on.
void SetRootPath(const std::string& path);
}  // namespace test

}  // namespace platform
