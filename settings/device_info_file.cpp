// Locating qxw4gl.ini and reading its user sizes.
#include "settings/device_info_file.h"

#include <mutex>

#include "platform/files/files.h"
#include "platform/files/folders.h"
#include "platform/files/profile.h"
#include "platform/modules/modules.h"

namespace settings {

namespace {

std::u16string SystemFolder() {
  WCHAR folder[MAX_PATH] = {};
  UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::u16string(folder, n) : u"C:\\WINDOWS\\system32";
}

std::u16string ProfileFolder() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  WCHAR folder[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  BOOL ok = GetUserProfileDirectoryW(token, folder, &size);
  if (token) CloseHandle(token);
  return ok ? std::u16string(folder) : std::u16string();
}

// Reads one decimal field of a comma-separated text; false when there is none.
bool Field(std::u16string_view text, int index, int* value) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = text.find(u',', start);
    if (start == std::u16string_view::npos) return false;
    ++start;
  }
  while (start < text.size() && text[start] == u' ') ++start;
  long long v = 0;
  std::size_t at = start;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && v < 1000000) {
    v = v * 10 + (text[at++] - u'0');
  }
  if (at == start) return false;
  *value = static_cast<int>(v);
  return true;
}

}  // namespace

bool IsTerminalServerInstallation() {
  static std::once_flag once;
  static bool terminalServer = false;
  std::call_once(once, [] {
    HMODULE bidi = LoadLibraryW(u"MC00C150.dll");
    if (bidi == nullptr) return;
    using Probe = int (*)();
    auto probe = reinterpret_cast<Probe>(GetProcAddress(bidi, "_IsTSE_WMICOM_MPCS_Printer_Driver"));
    terminalServer = probe != nullptr && probe() == 1;
    FreeLibrary(bidi);
  });
  return terminalServer;
}

std::u16string DeviceInfoFilePath(bool createFolder) {
  if (IsTerminalServerInstallation()) {
    std::u16string profile = ProfileFolder();
    if (!profile.empty()) {
      std::u16string folder = profile + u"\\_mpcs";
      if (createFolder) CreateDirectoryW(folder.c_str(), nullptr);
      return folder + u"\\qxw4gl.ini";
    }
  }
  return SystemFolder() + u"\\qxw4gl.ini";
}

bool ReadUserSize(const std::u16string& file, const std::u16string& printer, int number, int* first,
                  int* second) {
  if (number < 1 || number > 10) return false;
  std::u16string key = u"USER";
  if (number == 10) {
    key += u"10";
  } else {
    key += static_cast<char16_t>(u'0' + number);
  }
  WCHAR value[256] = {};
  DWORD n = GetPrivateProfileStringW(printer.c_str(), key.c_str(), u"", value, 256, file.c_str());
  if (n == 0) return false;
  std::u16string_view text(value, n);
  return Field(text, 1, first) && Field(text, 2, second);
}

}  // namespace settings
