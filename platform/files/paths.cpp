// Mapping of namespace paths to native paths.
#include "platform/files/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "platform/base/root.h"
#include "platform/base/text.h"

namespace platform {

namespace {

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

std::vector<std::u16string> SplitComponents(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::u16string current;
  for (WCHAR c : path) {
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// The entry of `folder` whose name equals `name` without regard to case, or
// `name` itself when there is none (or the folder cannot be read).
std::string MatchEntry(const std::string& folder, const std::string& name) {
  struct stat st;
  std::string exact = folder + "/" + name;
  if (lstat(exact.c_str(), &st) == 0) return name;
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return name;
  std::u16string wanted = Utf8ToWide(name);
  std::string found = name;
  while (dirent* entry = readdir(dir)) {
    if (EqualsIgnoreCase(Utf8ToWide(entry->d_name), wanted)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::string JoinMatched(std::string base, const std::vector<std::u16string>& parts,
                        std::size_t first) {
  for (std::size_t i = first; i < parts.size(); ++i) {
    const std::u16string& part = parts[i];
    if (part == u".") continue;
    if (part == u"..") {
      std::size_t slash = base.find_last_of('/');
      if (slash != std::string::npos && slash > 0) base.resize(slash);
      continue;
    }
    base += "/" + MatchEntry(base, WideToUtf8(part));
  }
  return base;
}

}  // namespace

std::string NativePath(std::u16string_view path) {
  if (path.empty()) return {};
  if (path[0] == u'/' && !(path.size() > 1 && path[1] == u'/')) return WideToUtf8(path);
  if (path.size() >= 2 && path[1] == u':') {
    WCHAR drive = AsciiLower(path[0]);
    if (drive < u'a' || drive > u'z') return {};
    std::string base = RootPath() + "/" + static_cast<char>(drive);
    return JoinMatched(base, SplitComponents(path.substr(2)), 0);
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::vector<std::u16string> parts = SplitComponents(path);
    if (parts.empty()) return {};
    return JoinMatched(RootPath() + "/unc", parts, 0);
  }
  if (IsSeparator(path[0])) {
    // A rooted path without a drive is on drive C.
    return JoinMatched(RootPath() + "/c", SplitComponents(path), 0);
  }
  std::vector<std::u16string> parts = SplitComponents(path);
  std::string native;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) native += "/";
    native += WideToUtf8(parts[i]);
  }
  return native;
}

std::string NativePath(const WCHAR* path) { return NativePath(WideView(path)); }

std::u16string NamespacePath(const std::string& native) {
  std::string root = RootPath() + "/";
  if (native.compare(0, root.size(), root) == 0 && native.size() > root.size() + 1 &&
      native[root.size() + 1] == '/' && native[root.size()] >= 'a' && native[root.size()] <= 'z') {
    std::u16string out;
    out += static_cast<WCHAR>(native[root.size()] - 'a' + 'A');
    out += u':';
    for (char16_t c : Utf8ToWide(native.substr(root.size() + 1))) out += c == u'/' ? u'\\' : c;
    return out;
  }
  return Utf8ToWide(native);
}

bool MakeParentFolders(const std::string& native) {
  std::size_t slash = native.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return true;
  for (std::size_t i = 1; i <= slash; ++i) {
    if (i == slash || native[i] == '/') {
      std::string part = native.substr(0, i);
      if (mkdir(part.c_str(), 0777) != 0) {
        struct stat st;
        if (stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
      }
    }
  }
  return true;
}

}  // namespace platform
