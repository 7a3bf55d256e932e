// Mapping of namespace paths to native paths.
#include "platform/files/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "platform/base/casefold.h"
#include "platform/base/root.h"
#include "platform/base/text.h"

namespace platform {

namespace {

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// Splits at both separators. As on the platform, trailing dots and blanks of a
// component are not part of its name ("notes.txt." is "notes.txt").
std::vector<std::u16string> SplitComponents(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::u16string current;
  auto flush = [&] {
    if (current != u"." && current != u"..") {
      while (!current.empty() && (current.back() == u'.' || current.back() == u' ')) {
        current.pop_back();
      }
    }
    if (!current.empty()) parts.push_back(current);
    current.clear();
  };
  for (WCHAR c : path) {
    if (IsSeparator(c)) {
      flush();
    } else {
      current += c;
    }
  }
  flush();
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
    if (EqualsFolded(Utf8ToWide(entry->d_name), wanted)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

// Appends `parts` to `base`, each matched against what exists. ".." never climbs
// above the first `floor` characters of `base` (the drive's root folder or the
// share of a UNC path), as a Windows path cannot leave its drive.
std::string JoinMatched(std::string base, const std::vector<std::u16string>& parts,
                        std::size_t floor) {
  for (const std::u16string& part : parts) {
    if (part == u".") continue;
    if (part == u"..") {
      std::size_t slash = base.find_last_of('/');
      if (slash != std::string::npos && slash >= floor) base.resize(slash);
      continue;
    }
    base += "/" + MatchEntry(base, WideToUtf8(part));
  }
  return base;
}

// A relative path: components matched below the working folder; ".." that
// leads out of it stays.
std::string JoinRelative(const std::vector<std::u16string>& parts) {
  std::vector<std::string> kept;
  std::string base;
  for (const std::u16string& part : parts) {
    if (part == u".") continue;
    if (part == u".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (part == u"..") {
      kept.push_back("..");
    } else {
      std::string folder;
      for (const std::string& k : kept) folder += (folder.empty() ? "" : "/") + k;
      kept.push_back(MatchEntry(folder.empty() ? "." : folder, WideToUtf8(part)));
    }
  }
  for (const std::string& k : kept) base += (base.empty() ? "" : "/") + k;
  return base.empty() ? "." : base;
}

// "\\?\C:\x" and "\\.\C:\x" name "C:\x"; "\\?\UNC\server\share" names
// "\\server\share".
std::u16string_view StripLongPrefix(std::u16string_view path, bool& unc) {
  unc = false;
  if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) ||
      (path[2] != u'?' && path[2] != u'.') || !IsSeparator(path[3])) {
    return path;
  }
  path.remove_prefix(4);
  if (path.size() >= 3 && EqualsIgnoreCase(path.substr(0, 3), u"UNC") &&
      (path.size() == 3 || IsSeparator(path[3]))) {
    unc = true;
    path.remove_prefix(3);
  }
  return path;
}

std::string UncPath(std::u16string_view path) {
  std::vector<std::u16string> parts = SplitComponents(path);
  if (parts.empty()) return {};
  std::size_t shareParts = parts.size() < 2 ? parts.size() : 2;
  std::vector<std::u16string> head(parts.begin(), parts.begin() + static_cast<long>(shareParts));
  std::vector<std::u16string> tail(parts.begin() + static_cast<long>(shareParts), parts.end());
  std::string base = RootPath() + "/unc";
  std::string share = JoinMatched(base, head, base.size());
  return JoinMatched(share, tail, share.size());
}

}  // namespace

std::string NativePath(std::u16string_view path) {
  if (path.empty()) return {};
  if (path[0] == u'/' && !(path.size() > 1 && path[1] == u'/')) return WideToUtf8(path);
  bool unc = false;
  path = StripLongPrefix(path, unc);
  if (unc) return UncPath(path);
  if (path.size() >= 2 && path[1] == u':') {
    WCHAR drive = AsciiLower(path[0]);
    if (drive < u'a' || drive > u'z') return {};
    std::string base = RootPath() + "/" + static_cast<char>(drive);
    return JoinMatched(base, SplitComponents(path.substr(2)), base.size());
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return UncPath(path);
  if (!path.empty() && IsSeparator(path[0])) {
    // A rooted path without a drive is on drive C.
    std::string base = RootPath() + "/c";
    return JoinMatched(base, SplitComponents(path), base.size());
  }
  return JoinRelative(SplitComponents(path));
}

std::string NativePath(const WCHAR* path) { return NativePath(WideView(path)); }

std::u16string NamespacePath(const std::string& native) {
  std::string root = RootPath() + "/";
  if (native.compare(0, root.size(), root) != 0) return Utf8ToWide(native);
  std::string rest = native.substr(root.size());
  auto backslashed = [](const std::string& tail) {
    std::u16string out;
    for (char16_t c : Utf8ToWide(tail)) out += c == u'/' ? u'\\' : c;
    return out;
  };
  if (rest.size() >= 1 && rest[0] >= 'a' && rest[0] <= 'z' &&
      (rest.size() == 1 || rest[1] == '/')) {
    std::u16string out;
    out += static_cast<WCHAR>(rest[0] - 'a' + 'A');
    out += u':';
    out += rest.size() <= 2 ? u"\\" : backslashed(rest.substr(1));
    return out;
  }
  if (rest.compare(0, 4, "unc/") == 0 && rest.size() > 4)
    return u"\\" + backslashed(rest.substr(3));
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
