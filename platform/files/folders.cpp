// The well-known folders of the Windows namespace and the process token that
// names the current user. The Windows and system folders, and the current
// user's profile folder, exist as they do on an installed system: they are
// created under the root on first use.
#include "platform/files/folders.h"

#include <sys/stat.h>

#include <mutex>
#include <set>
#include <string>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/base/root.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace {

constexpr char16_t kWindowsFolder[] = u"C:\\WINDOWS";
constexpr char16_t kSystemFolder[] = u"C:\\WINDOWS\\system32";
constexpr char16_t kUsersFolder[] = u"C:\\Users\\";
constexpr char16_t kCommonAppData[] = u"C:\\ProgramData";

struct TokenObject : platform::HandleObject {};

// mkdir -p of a native folder.
bool MakeNativeFolders(const std::string& native) {
  if (!platform::MakeParentFolders(native + "/")) return false;
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(std::u16string_view path) { return MakeNativeFolders(platform::NativePath(path)); }

bool NativeFolderExists(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the Windows and system folders once per root. Missing ones are made in
// lower case, as the native tree shows them ($QX_ROOT/c/windows/system32).
void EnsureSystemFolders() {
  static std::mutex lock;
  static std::set<std::string> done;
  std::string root = platform::RootPath();
  std::lock_guard<std::mutex> guard(lock);
  if (done.count(root)) return;
  std::string windows = platform::NativePath(kWindowsFolder);
  if (!NativeFolderExists(windows)) windows = root + "/c/windows";
  std::string system = platform::NativePath(kSystemFolder);
  if (!NativeFolderExists(system)) system = windows + "/system32";
  if (MakeNativeFolders(system)) done.insert(root);
}

std::u16string UserName() {
  WCHAR name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!GetUserNameW(name, &size) || size == 0) return u"User";
  return std::u16string(platform::WideView(name, size));
}

std::u16string ProfileFolder() {
  std::u16string profile = kUsersFolder + UserName();
  MakeFolders(profile);
  return profile;
}

// Copies `text` as GetWindowsDirectoryW does: its length when it fits, else the
// size needed with the terminator.
UINT CopyFolder(std::u16string_view text, LPWSTR buffer, UINT size) {
  if (buffer == nullptr || size <= text.size()) return static_cast<UINT>(text.size() + 1);
  text.copy(buffer, text.size());
  buffer[text.size()] = 0;
  return static_cast<UINT>(text.size());
}

// The path of a CSIDL folder; empty for a number we do not know.
std::u16string FolderPath(int folder) {
  switch (folder) {
    case CSIDL_PERSONAL:
      return ProfileFolder() + u"\\Documents";
    case CSIDL_APPDATA:
      return ProfileFolder() + u"\\AppData\\Roaming";
    case CSIDL_LOCAL_APPDATA:
      return ProfileFolder() + u"\\AppData\\Local";
    case CSIDL_COMMON_APPDATA:
      return kCommonAppData;
    case CSIDL_WINDOWS:
      EnsureSystemFolders();
      return kWindowsFolder;
    case CSIDL_SYSTEM:
      EnsureSystemFolders();
      return kSystemFolder;
    case CSIDL_PROFILE:
      return ProfileFolder();
    default:
      return {};
  }
}

bool FolderExists(std::u16string_view path) {
  return NativeFolderExists(platform::NativePath(path));
}

}  // namespace

QXAPI UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
  EnsureSystemFolders();
  return CopyFolder(kWindowsFolder, buffer, size);
}

QXAPI UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
  EnsureSystemFolders();
  return CopyFolder(kSystemFolder, buffer, size);
}

// A folder that does not exist gives E_FAIL unless CSIDL_FLAG_CREATE asks for
// it to be made; the path is filled in either way.
QXAPI HRESULT SHGetFolderPathW(HWND /*owner*/, int folder, HANDLE /*token*/, DWORD /*flags*/,
                               LPWSTR path) {
  if (path == nullptr) return E_INVALIDARG;
  path[0] = 0;
  std::u16string found = FolderPath(folder & 0xFF);
  if (found.empty()) return E_INVALIDARG;
  if (found.size() >= MAX_PATH) return E_FAIL;
  found.copy(path, found.size());
  path[found.size()] = 0;
  if (FolderExists(found)) return S_OK;
  if ((folder & CSIDL_FLAG_CREATE) && MakeFolders(found)) return S_OK;
  return E_FAIL;
}

QXAPI BOOL GetUserProfileDirectoryW(HANDLE token, LPWSTR profileDir, DWORD* size) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!platform::LookupHandleObject(token, platform::HandleKind::kToken)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::u16string profile = ProfileFolder();
  DWORD needed = static_cast<DWORD>(profile.size() + 1);
  if (profileDir == nullptr || *size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  profile.copy(profileDir, profile.size());
  profileDir[profile.size()] = 0;
  *size = needed;
  return TRUE;
}

// The current user's temporary folder, made when it is missing.
QXAPI DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
  std::u16string temp = ProfileFolder() + u"\\AppData\\Local\\Temp";
  MakeFolders(temp);
  temp += u'\\';
  if (buffer == nullptr || size <= temp.size()) return static_cast<DWORD>(temp.size() + 1);
  temp.copy(buffer, temp.size());
  buffer[temp.size()] = 0;
  return static_cast<DWORD>(temp.size());
}

QXAPI HANDLE GetCurrentProcess() { return platform::CurrentProcessPseudoHandle(); }

// Every token is the current user's; CloseHandle gives it back.
QXAPI BOOL OpenProcessToken(HANDLE process, DWORD /*desiredAccess*/, HANDLE* token) {
  if (token == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *token = nullptr;
  if (process != platform::CurrentProcessPseudoHandle()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = platform::CreateHandle(platform::HandleKind::kToken, std::make_shared<TokenObject>());
  return *token != nullptr ? TRUE : FALSE;
}
