// The Windows-shaped file namespace. A drive path lives under the root:
// "C:\WINDOWS\system32\qxw4gl.ini" is $QX_ROOT/c/windows/system32/qxw4gl.ini, a
// UNC path "\\server\share\x" is $QX_ROOT/unc/server/share/x. A path that starts
// with "/" is a native path. Backslash and slash both separate components, and
// components are matched without regard to case against what exists on disk.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace platform {

// The native path a namespace path stands for. Existing components are found
// whatever their case; components that do not exist yet keep the case given.
// A relative path stays relative to the working folder (its components are
// matched there too). ".." stops at the drive's root folder (or a UNC path's
// share), "\\?\" and "\\.\" prefixes are dropped, and trailing dots and
// blanks of a component are not part of its name, as on the platform. Empty for
// an empty or malformed path ("C:" with nothing after it is the drive's root
// folder).
std::string NativePath(std::u16string_view path);
std::string NativePath(const WCHAR* path);

// The namespace path of a native path below the root ("C:\..."), or the native
// path itself when it lies outside the root.
std::u16string NamespacePath(const std::string& native);

// Creates the native folders on the way to `native` (not the last component).
bool MakeParentFolders(const std::string& native);

}  // namespace platform
