// The job-binder request keys, the job-binder folder and the file-name rule.
#include "settings/job_binder_request.h"

#include <vector>

#include "platform/base/error.h"
#include "platform/files/files.h"
#include "platform/files/folders.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"

namespace settings {

namespace {

constexpr const char16_t* kFolderKey = u"SOFTWARE\\MOBRA\\QBX-W";
constexpr const char16_t* kFolderValue = u"MPDL_FOLDER";

// The string value whole: a value longer than the first buffer is read again
// with the size the registry asks for, never taken cut or unterminated.
bool ReadFolderValue(std::u16string* folder) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kFolderKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<WCHAR> buffer(MAX_PATH + 1);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(WCHAR));
  LSTATUS status = RegQueryValueExW(key, kFolderValue, nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (status == ERROR_MORE_DATA) {
    buffer.assign(size / sizeof(WCHAR) + 1, 0);
    size = static_cast<DWORD>(buffer.size() * sizeof(WCHAR));
    status = RegQueryValueExW(key, kFolderValue, nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  std::size_t chars = std::min<std::size_t>(size / sizeof(WCHAR), buffer.size());
  std::u16string value(buffer.data(), chars);
  value.resize(std::char_traits<char16_t>::length(value.c_str()));
  if (value.empty()) return false;
  *folder = value;
  return true;
}

std::u16string DefaultFolder() {
  WCHAR windows[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  std::u16string folder = n > 0 && n < MAX_PATH ? std::u16string(windows, n) : u"C:\\WINDOWS";
  return folder + u"\\temp\\QBX-W";
}

void StoreFolderValue(const std::u16string& folder) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kFolderKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, kFolderValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

// Makes `folder` and its missing parents; true when it exists afterwards.
bool EnsureFolder(const std::u16string& folder) {
  bool native = !folder.empty() && folder[0] == u'/';
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != u'/' && (native || folder[at] != u'\\')) continue;
    std::u16string prefix = folder.substr(0, at);
    if (prefix.back() == u':') continue;
    CreateDirectoryW(prefix.c_str(), nullptr);
  }
  DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::u16string JobBinderFolder() {
  std::u16string folder;
  if (ReadFolderValue(&folder)) return folder;
  folder = DefaultFolder();
  StoreFolderValue(folder);
  return folder;
}

bool IsValidJobBinderFileName(std::u16string_view name) {
  if (name.find_first_of(u"\\/:,;*?\"<>|") != std::u16string_view::npos) return false;
  // Empty asks for the document name; blanks alone name nothing.
  return name.empty() || name.find_first_not_of(u' ') != std::u16string_view::npos;
}

bool RequestJobBinderJob(const std::u16string& iniFile, const std::u16string& printer,
                         const std::u16string& folder, const std::u16string& fileName, bool once) {
  if (!EnsureFolder(folder)) return false;
  const char16_t* section = printer.c_str();
  const char16_t* file = iniFile.c_str();
  return WritePrivateProfileStringW(section, u"JobMergePath", folder.c_str(), file) &&
         WritePrivateProfileStringW(section, u"JobMergeFile", fileName.c_str(), file) &&
         WritePrivateProfileStringW(section, u"JobMergeLastFile", fileName.c_str(), file) &&
         WritePrivateProfileStringW(section, u"QBXSEND_RESET", once ? u"1" : u"0", file) &&
         WritePrivateProfileStringW(section, u"QBXSEND", u"1", file);
}

}  // namespace settings
