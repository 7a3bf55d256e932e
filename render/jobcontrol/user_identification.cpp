// The user identities of the job header.
#include "render/jobcontrol/user_identification.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/platform.h"
#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/header_lines.h"
#include "render/jobcontrol/job_control_library.h"
#include "settings/features.h"
#include "settings/model_table.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

// User IDs and user codes hold at most 8 characters, and 17 bytes in ANSI.
constexpr std::size_t kIdChars = 8;
constexpr std::size_t kIdBytes = 17;

// A UTF-16 text kept as little-endian bytes in an 8-bit field.
std::u16string WideFromBytes(const char* field, std::size_t size, std::size_t maxChars) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size && text.size() < maxChars; i += 2) {
    auto c = static_cast<char16_t>(static_cast<unsigned char>(field[i]) |
                                   static_cast<unsigned char>(field[i + 1]) << 8);
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

void StoreWideAsBytes(char* field, std::size_t size, std::u16string_view text) {
  std::memset(field, 0, size);
  // The last two bytes stay zero: the terminator.
  for (std::size_t i = 0; i < text.size() && 2 * i + 2 < size; ++i) {
    field[2 * i] = static_cast<char>(text[i] & 0xFF);
    field[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
}

std::string SettingsUserCode(const DeviceContext& dc) {
  const auto* code = reinterpret_cast<const char*>(dc.settings.priv + priv::kUserCode);
  std::string text(FieldText(code, kIdBytes));
  CutAtCharacter(text, kIdBytes);
  return text;
}

unsigned char UserCodeFlag(const DeviceContext& dc) {
  return dc.settings.priv[priv::kUserCodeFlag];
}

bool LocalPrinter(const DeviceContext& dc) {
  return dc.printerInfo2 == nullptr || platform::WideView(dc.printerInfo2->pServerName).empty();
}

// "UserCode" of the printer's section, when "USERCODEを使用する" is 1.
std::optional<std::string> IniUserCode(const DeviceContext& dc) {
  std::u16string file = UserCodeFilePath(dc);
  if (file.empty()) return std::nullopt;
  std::u16string section = PrinterSection(dc);
  if (GetPrivateProfileIntW(section.c_str(), u"USERCODEを使用する", 0, file.c_str()) != 1) {
    return std::nullopt;
  }
  WCHAR value[260] = {};
  GetPrivateProfileStringW(section.c_str(), u"UserCode", u"", value, 260, file.c_str());
  return AnsiText(platform::WideView(value, 260), 259);
}

// The user code the rules choose; none when the header carries no user code.
std::optional<std::string> ChosenUserCode(const DeviceContext& dc) {
  DWORD function = dc.PrinterFunction();
  unsigned char flag = UserCodeFlag(dc);
  if (function & 0x400) {
    const JobIdentity& id = dc.identity;
    return AnsiText(WideFromBytes(id.userCode, sizeof id.userCode, kIdChars), kIdBytes);
  }
  if ((function & 0x100) && (flag & 0x8)) return SettingsUserCode(dc);
  if (LocalPrinter(dc)) {
    if (flag & 0x1) return SettingsUserCode(dc);
    return std::nullopt;
  }
  if (flag & 0x4) return SettingsUserCode(dc);
  return IniUserCode(dc);
}

// A host login name that can name a folder of its own: none of the characters
// a file name cannot hold, no control characters, and not "." or "..".
bool FolderName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return name.find_first_of(u"\\/:*?\"<>|") == std::u16string_view::npos;
}

}  // namespace

std::u16string PrinterSection(const DeviceContext& dc) {
  if (dc.printerInfo2 && dc.printerInfo2->pPrinterName) return dc.printerInfo2->pPrinterName;
  return std::u16string(platform::WideView(dc.settings.pub.dmDeviceName, CCHDEVICENAME));
}

std::u16string UserCodeFilePath(const DeviceContext& dc) {
  std::u16string_view path = platform::WideView(dc.dataPath, std::size(dc.dataPath));
  if (path.size() >= 260) return {};
  std::size_t cut = path.size();
  for (int found = 0; found < 5; ++found) {
    if (cut == 0) return {};
    cut = path.find_last_of(u'\\', cut - 1);
    if (cut == std::u16string_view::npos) return {};
  }
  std::u16string file(path.substr(0, cut + 1));
  if (dc.optionFlags & kOptionPerUser) {
    const JobIdentity& id = dc.identity;
    std::u16string user =
        platform::MultiByteToWide(GetACP(), FieldText(id.hostLoginName, sizeof id.hostLoginName));
    // The name becomes a folder of the path: one that would lead elsewhere
    // leaves the job with the system file.
    if (FolderName(user)) file += u"mobra\\_mpcs\\" + user + u"\\";
  }
  return file + u"qxw4gl.ini";
}

bool AuthenticationOn(const DeviceContext& dc) {
  return (dc.PrinterFunction() & 0x200000) && (dc.optionFlags & kOptionAuthMode);
}

bool ShortAuthenticationNames(const DeviceContext& dc) {
  return settings::InModelGroupE(dc.Description());
}

std::string HeaderUserId(const DeviceContext& dc) {
  if (dc.PrinterFunction() & 0x400) {
    const JobIdentity& id = dc.identity;
    return AnsiText(WideFromBytes(id.userId, sizeof id.userId, kIdChars), kIdBytes);
  }
  std::u16string id = settings::GetWideText(dc.settings.priv, priv::kUserId, priv::kUserIdChars);
  if (id.size() > kIdChars) id.resize(kIdChars);
  return AnsiText(id, kIdBytes);
}

bool HeaderUserCode(const DeviceContext& dc, std::string* code) {
  std::optional<std::string> chosen = ChosenUserCode(dc);
  if (!chosen) return false;
  *code = *chosen;
  std::uint32_t mask =
      settings::ModelMask(settings::ModelFromNickName(dc.Description().NickName()));
  return !code->empty() || (mask & settings::kModelEmptyUserCode);
}

// The job-control library and the job owner.

namespace {

std::u16string DriverDirectory() {
  DWORD needed = 0;
  GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed);
  if (needed < 2 || needed > 4096) return {};
  std::u16string folder(needed / 2, u'\0');
  if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder.data()),
                                  needed, &needed)) {
    return {};
  }
  return std::u16string(platform::WideView(folder.c_str(), folder.size()));
}

// One use of the library: loaded, its interface asked for, and everything given
// back in the reverse order when the use ends.
struct Library {
  HMODULE module = nullptr;
  JCGetInterfaceFn getInterface = nullptr;
  JCDisposeInterfaceFn dispose = nullptr;
  Library() {
    std::u16string path = JobControlLibraryPath();
    if (path.empty() || (module = LoadLibraryW(path.c_str())) == nullptr) return;
    getInterface = reinterpret_cast<JCGetInterfaceFn>(GetProcAddress(module, "JCGetInterface"));
    dispose = reinterpret_cast<JCDisposeInterfaceFn>(GetProcAddress(module, "JCDisposeInterface"));
  }
  ~Library() {
    if (module) FreeLibrary(module);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

template <typename Table>
struct Interface {
  Library library;
  Table* table = nullptr;
  explicit Interface(DWORD version) {
    if (library.getInterface == nullptr || library.dispose == nullptr) return;
    void* got = nullptr;
    if (library.getInterface(version, &got) == 0) table = static_cast<Table*>(got);
  }
  ~Interface() {
    if (table) library.dispose(table);
  }
};

// An open connection of the settings interface for the printer.
struct SettingsConnection {
  Interface<JobControlSettingsTable> face{kJobControlSettings};
  HANDLE connection = nullptr;
  bool open = false;
  explicit SettingsConnection(const std::u16string& printer) {
    JobControlSettingsTable* t = face.table;
    open = t && t->open && t->close && t->getValue && t->open(printer.c_str(), &connection) == 0;
  }
  ~SettingsConnection() {
    if (open) face.table->close(connection, face.table);
  }
  // The item's text: its result code, 0 when the text was read.
  DWORD Get(DWORD item, std::u16string* text) {
    constexpr DWORD kLargest = 4096;
    if (!open) return 1;
    DWORD needed = 0;
    DWORD result = face.table->getValue(connection, item, 1, nullptr, 0, &needed);
    if (result != 0) return result;
    if (needed > kLargest) return 1;
    std::u16string buffer(needed / 2 + 1, u'\0');
    DWORD size = needed;
    result = face.table->getValue(connection, item, 1, buffer.data(), size, &needed);
    if (result != 0) return result;
    *text = platform::WideView(buffer.c_str(), size / 2);
    return 0;
  }
  bool SetMode(DWORD mode) {
    return open && face.table->setMode && face.table->setMode(connection, mode, 0) == 0;
  }
};

// The item's text, at most `maxChars` characters of it.
std::optional<std::u16string> ItemText(const DeviceContext& dc, DWORD item, std::size_t maxChars) {
  SettingsConnection c(PrinterSection(dc));
  std::u16string text;
  if (c.Get(item, &text) != 0) return std::nullopt;
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

// The job's owner by the spooler; the current user when the job names none.
std::u16string JobOwner(const DeviceContext& dc) {
  std::u16string owner;
  DWORD needed = 0;
  GetJobW(dc.printer, dc.jobId, 2, nullptr, 0, &needed);
  if (needed >= sizeof(JOB_INFO_2W)) {
    auto* job = static_cast<JOB_INFO_2W*>(HeapAlloc(dc.heap, HEAP_ZERO_MEMORY, needed));
    if (job && GetJobW(dc.printer, dc.jobId, 2, reinterpret_cast<LPBYTE>(job), needed, &needed)) {
      owner = platform::WideView(job->pUserName);
    }
    if (job) HeapFree(dc.heap, 0, job);
  }
  if (!owner.empty() && owner != u"UNKNOWN") return owner;
  WCHAR user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  if (!GetUserNameW(user, &size)) return {};
  return std::u16string(platform::WideView(user, UNLEN + 1));
}

// Printable ASCII without double quote and colon (and without blank on the
// short-name models): the printer refuses other names.
bool ValidAuthenticationName(std::u16string_view name, bool shortNames) {
  if (name.size() > (shortNames ? 32u : 128u)) return false;
  for (char16_t c : name) {
    if (c < 0x20 || c > 0x7E || c == u'"' || c == u':' || (shortNames && c == u' ')) return false;
  }
  return true;
}

// The cipher text of the password: encrypted (with the network key, or without
// one), then turned into text of at most 195 bytes.
std::optional<std::string> EncryptPassword(std::u16string_view name, std::u16string_view key,
                                           std::u16string_view password, bool withKey) {
  std::string plain = AnsiText(password, 256);
  DWORD limit = withKey ? 136 : 145;
  unsigned char cipher[145] = {};
  DWORD cipherLength = 0;
  {
    Interface<JobControlCipherTable> face(kJobControlCipher);
    JobControlCipherTable* t = face.table;
    HANDLE h = nullptr;
    if (!t || !t->open || !t->close || !t->transform ||
        t->open(withKey ? kCipherWithKey : kCipherWithoutKey, &h) != 0) {
      return std::nullopt;
    }
    std::u16string n(name), k(key);
    const void* parameter[2] = {n.c_str(), k.c_str()};
    bool ok = !withKey || (t->setParameter && t->setParameter(h, 256, parameter, 16) == 0);
    ok = ok &&
         t->transform(h, plain.data(), static_cast<DWORD>(plain.size()), cipher, limit,
                      &cipherLength) == 0 &&
         cipherLength <= limit;
    t->close(h, t);
    if (!ok) return std::nullopt;
  }
  Interface<JobControlCipherTable> face(kJobControlCipher);
  JobControlCipherTable* t = face.table;
  HANDLE h = nullptr;
  if (!t || !t->open || !t->close || !t->transform || t->open(kCipherText, &h) != 0) {
    return std::nullopt;
  }
  char text[196] = {};
  DWORD textLength = 0;
  bool ok = t->transform(h, cipher, cipherLength, text, 195, &textLength) == 0 && textLength <= 195;
  t->close(h, t);
  if (!ok) return std::nullopt;
  return std::string(text, textLength);
}

void FetchAuthentication(DeviceContext& dc) {
  JobIdentity& id = dc.identity;
  bool shortNames = ShortAuthenticationNames(dc);
  std::u16string name, password, key;
  bool hasPassword = false;
  {
    SettingsConnection c(PrinterSection(dc));
    if (!c.open) return;
    if (dc.PrinterFunction() & 0x400000) c.SetMode(2);
    if (c.Get(kItemAuthUser, &name) != 0) return;
    if (!ValidAuthenticationName(name, shortNames)) name.clear();
    if (!name.empty()) {
      DWORD result = c.Get(kItemAuthPassword, &password);
      hasPassword = result == 0;
      if (hasPassword && password.size() > 128) name.clear();  // a password the device cannot take
      if (result != 0 && result != kNoPassword) password.clear();
      if (c.Get(kItemNetworkKey, &key) != 0 || key.size() > 32) key.clear();
    }
  }
  std::fill(std::begin(id.authUser), std::end(id.authUser), u'\0');
  std::copy(name.begin(), name.end(), id.authUser);
  DWORD authentication = 0, networkCode = 0;
  if (name.empty() || !ReadPrinterDword(dc, u"Authentication", &authentication) ||
      authentication != 1 || !ReadPrinterDword(dc, u"Networkcode", &networkCode)) {
    return;
  }
  std::optional<std::string> text =
      EncryptPassword(name, key, hasPassword ? password : u"", networkCode == 1);
  if (!text) return;
  std::memset(id.authPassword, 0, sizeof id.authPassword);
  std::memcpy(id.authPassword, text->data(), std::min(text->size(), sizeof id.authPassword - 1));
}

}  // namespace

std::u16string JobControlLibraryPath() {
  std::u16string folder = DriverDirectory();
  if (folder.empty()) return {};
  return folder + u"\\3\\MOBJC64.dll";
}

void FetchJobControlIdentities(DeviceContext& dc) {
  JobIdentity& id = dc.identity;
  std::string owner = AnsiText(JobOwner(dc), sizeof id.hostLoginName - 1);
  std::memset(id.hostLoginName, 0, sizeof id.hostLoginName);
  std::memcpy(id.hostLoginName, owner.data(), owner.size());
  DWORD function = dc.PrinterFunction();
  if (function & 0x2) {
    if (auto userId = ItemText(dc, kItemUserId, kIdChars)) {
      StoreWideAsBytes(id.userId, sizeof id.userId, *userId);
    }
  }
  if (auto userCode = ItemText(dc, kItemUserCode, kIdChars)) {
    StoreWideAsBytes(id.userCode, sizeof id.userCode, *userCode);
  }
  if (function & 0x200000) FetchAuthentication(dc);
}

}  // namespace render::jobcontrol
