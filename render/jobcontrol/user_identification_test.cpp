// Which user ID, user code and authentication lines the job header writes: the
// settings record, the local and remote rules for the user code, and a double of
// the job-control library for the printers whose identities it keeps.
#include "render/jobcontrol/user_identification.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "render/jobcontrol/header_lines.h"
#include "render/jobcontrol/job_control_library.h"
#include "render/jobcontrol/job_test_support.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace priv = settings::priv;

void SetUserCode(RecordedJob& job, unsigned char flag, const char* code) {
  job.priv()[priv::kUserCodeFlag] = flag;
  std::memset(job.priv() + priv::kUserCode, 0, priv::kUserCodeBytes);
  std::memcpy(job.priv() + priv::kUserCode, code, std::strlen(code));
}

std::string UserCodeLine(RecordedJob& job) {
  WriteUserCodeLine(job.dc());
  return job.Take();
}

TEST(UserCode, LocalPrinterOnlyWithFlagOne) {
  TestPrinter printer("089", u"ZQ1 user code");
  RecordedJob job(printer);
  SetUserCode(job, 0, "1234");
  EXPECT_EQ(UserCodeLine(job), "");  // flag 0: no line, even with a code
  SetUserCode(job, 0x1, "1234");
  EXPECT_EQ(UserCodeLine(job), "@PJL SET USERCODE = \"1234\"\n");
  SetUserCode(job, 0x1, "");
  EXPECT_EQ(UserCodeLine(job), "");  // empty, and the model does not ask for it
}

TEST(UserCode, EmptyLineOnModelsThatAskForIt) {
  // Model 90 (mask 3) writes the line even when the code is empty.
  TestPrinter printer(SampleCopy("089", "M090", {{"*NickName:", "*NickName: \"KX-M090 Z\""}}),
                      u"Model 90 user code", "KX-M090 Z");
  RecordedJob job(printer);
  SetUserCode(job, 0x1, "");
  EXPECT_EQ(UserCodeLine(job), "@PJL SET USERCODE = \"\"\n");
}

TEST(UserCode, EscapeCodeWinsWithItsFunction) {
  TestPrinter printer(
      SampleCopy("089", "F0100", {{"*PrinterFunction:", "*PrinterFunction: \"A61F33E7\""}}),
      u"ZQ1 escape code", "KX-M089");
  RecordedJob job(printer);
  SurfaceFor surface(job.e);
  char code[64] = "5678";
  EXPECT_EQ(DrvEscape(&surface.so, 102, sizeof code, code, 0, nullptr), 1u);
  job.priv()[priv::kUserCodeFlag] = 0x8;  // only the escape's bit: the local rule would refuse
  EXPECT_EQ(UserCodeLine(job), "@PJL SET USERCODE = \"5678\"\n");
}

TEST(UserCode, PrinterThroughAServer) {
  TestPrinter printer("089", u"ZQ1 remote");
  RecordedJob job(printer);
  static char16_t server[] = u"\\\\plotserver";
  job.dc().printerInfo2->pServerName = server;
  std::u16string ini = UserCodeFilePath(job.dc());
  EXPECT_EQ(ini, u"C:\\WINDOWS\\system32\\qxw4gl.ini");
  SetUserCode(job, 0x4, "ADMIN1");  // fixed for the printer by the administrator
  EXPECT_EQ(UserCodeLine(job), "@PJL SET USERCODE = \"ADMIN1\"\n");
  SetUserCode(job, 0x1, "ignored");
  EXPECT_EQ(UserCodeLine(job), "");  // no keys yet
  std::u16string section = PrinterSection(job.dc());
  WritePrivateProfileStringW(section.c_str(), u"USERCODEを使用する", u"1", ini.c_str());
  WritePrivateProfileStringW(section.c_str(), u"UserCode", u"7777", ini.c_str());
  EXPECT_EQ(UserCodeLine(job), "@PJL SET USERCODE = \"7777\"\n");
  WritePrivateProfileStringW(section.c_str(), u"USERCODEを使用する", u"0", ini.c_str());
  EXPECT_EQ(UserCodeLine(job), "");
  // A per-user file lies below the host login name; a name that would leave the
  // folder (or cannot name one) leaves the job with the system file.
  job.dc().optionFlags |= kOptionPerUser;
  std::strcpy(job.dc().identity.hostLoginName, "kato");
  EXPECT_EQ(UserCodeFilePath(job.dc()), u"C:\\WINDOWS\\system32\\mobra\\_mpcs\\kato\\qxw4gl.ini");
  const char* kNotFolders[] = {"..",   ".",   "a\\b", "a/b", "c:",   "a*", "a?",
                               "a\"b", "a<b", "a>b",  "a|b", "a\tb", ""};
  for (const char* name : kNotFolders) {
    SCOPED_TRACE(name);
    std::strcpy(job.dc().identity.hostLoginName, name);
    EXPECT_EQ(UserCodeFilePath(job.dc()), u"C:\\WINDOWS\\system32\\qxw4gl.ini");
  }
}

TEST(UserId, FromTheSettingsRecord) {
  TestPrinter printer("089", u"ZQ1 user id");
  RecordedJob job(printer);
  WriteUserIdLine(job.dc());
  EXPECT_EQ(job.Take(), "@PJL SET USERID = \"?\"\n");
  settings::SetWideText(job.priv(), priv::kUserId, priv::kUserIdChars, u"吉田a\"\n");
  WriteUserIdLine(job.dc());
  // Shift-JIS, with the quote turned and the line feed dropped.
  EXPECT_EQ(job.Take(),
            "@PJL SET USERID = \"\x8B\x67\x93\x63"
            "a'\"\n");
}

// The job-control library's double: values by item, a cipher that reverses the
// bytes, and a text form in hexadecimal.
struct JobControlDouble {
  static inline std::map<DWORD, std::u16string> items;
  static inline std::map<DWORD, DWORD> failures;
  static inline int opened = 0, closed = 0, disposed = 0;
  static inline DWORD lastKind = 0;
  static inline std::u16string parameterName, parameterKey;

  static DWORD Open(LPCWSTR, HANDLE* c) {
    *c = reinterpret_cast<HANDLE>(0x51);
    ++opened;
    return 0;
  }
  static DWORD Close(HANDLE, void*) {
    ++closed;
    return 0;
  }
  static DWORD GetValue(HANDLE, DWORD item, DWORD, void* buffer, DWORD size, DWORD* needed) {
    if (failures.count(item)) return failures[item];
    auto it = items.find(item);
    if (it == items.end()) return 5;
    DWORD bytes = static_cast<DWORD>((it->second.size() + 1) * 2);
    *needed = bytes;
    if (buffer == nullptr) return 0;
    if (size < bytes) return 122;
    std::memcpy(buffer, it->second.c_str(), bytes);
    return 0;
  }
  static DWORD SetMode(HANDLE, DWORD, DWORD) { return 0; }
  static DWORD CipherOpen(DWORD kind, HANDLE* h) {
    lastKind = kind == kCipherText ? lastKind : kind;
    *h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(kind));
    return 0;
  }
  static DWORD CipherClose(HANDLE, void*) { return 0; }
  static DWORD SetParameter(HANDLE, DWORD what, void* value, DWORD size) {
    if (what != 256 || size != 16) return 1;
    auto** pointers = static_cast<const char16_t**>(value);
    parameterName = pointers[0];
    parameterKey = pointers[1];
    return 0;
  }
  static DWORD Transform(HANDLE h, const void* in, DWORD length, void* out, DWORD size,
                         DWORD* needed) {
    const auto* b = static_cast<const unsigned char*>(in);
    std::string result;
    if (reinterpret_cast<std::uintptr_t>(h) == kCipherText) {
      for (DWORD i = 0; i < length; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b[i]);
        result += hex;
      }
    } else {
      result.assign(reinterpret_cast<const char*>(b), length);
      result.assign(result.rbegin(), result.rend());
    }
    *needed = static_cast<DWORD>(result.size());
    if (out == nullptr || size < result.size()) return 122;
    std::memcpy(out, result.data(), result.size());
    return 0;
  }

  static inline JobControlSettingsTable settingsTable{
      nullptr, &Open, &Close, &GetValue, nullptr, nullptr, nullptr, &SetMode, nullptr};
  static inline JobControlCipherTable cipherTable{nullptr, &CipherOpen, &CipherClose, &SetParameter,
                                                  &Transform};
  static DWORD GetInterface(DWORD version, void** table) {
    if (version == kJobControlSettings)
      *table = &settingsTable;
    else if (version == kJobControlCipher)
      *table = &cipherTable;
    else
      return 1;
    return 0;
  }
  static DWORD Dispose(void*) {
    ++disposed;
    return 0;
  }

  JobControlDouble() {
    items.clear();
    failures.clear();
    opened = closed = disposed = 0;
    static const platform::ModuleExport kExports[] = {
        {"JCGetInterface", reinterpret_cast<FARPROC>(&GetInterface)},
        {"JCDisposeInterface", reinterpret_cast<FARPROC>(&Dispose)},
    };
    platform::RegisterModule(u"MOBJC64.dll", kExports, 2, nullptr);
  }
  ~JobControlDouble() { platform::UnregisterModule(u"MOBJC64.dll"); }
};

// The CX95 keeps its identities in the job-control library (0x400), with
// authentication (0x200000) and its mode (0x400000).
struct Cx95 {
  TestPrinter printer;
  explicit Cx95(const char16_t* name) : printer("095", name) {}
};

TEST(JobControl, IdentitiesFromTheLibrary) {
  Cx95 cx(u"CX95 identities");
  JobControlDouble library;
  JobControlDouble::items = {{kItemUserId, u"kato01"}, {kItemUserCode, u"123456789"}};
  platform::test::SetUserName(u"kato");
  RecordedJob job(cx.printer);
  FetchJobControlIdentities(job.dc());
  platform::test::SetUserName(nullptr);
  // No job record: the current user is the host login name.
  EXPECT_STREQ(job.dc().identity.hostLoginName, "kato");
  WriteUserIdLine(job.dc());
  WriteUserCodeLine(job.dc());
  WriteHostLoginNameLine(job.dc());
  // The user code holds at most 8 characters.
  EXPECT_EQ(job.Take(),
            "@PJL SET USERID = \"kato01\"\n@PJL SET USERCODE = \"12345678\"\n"
            "@PJL SET HOSTLOGINNAME = \"kato\"\n");
  // Every use (user ID, user code, authentication) gave everything back.
  EXPECT_EQ(JobControlDouble::opened, 3);
  EXPECT_EQ(JobControlDouble::closed, 3);
  EXPECT_EQ(JobControlDouble::disposed, 3);
}

TEST(JobControl, MissingLibrarySkipsTheValues) {
  Cx95 cx(u"CX95 no library");
  platform::UnregisterModule(u"MOBJC64.dll");
  RecordedJob job(cx.printer);
  FetchJobControlIdentities(job.dc());
  WriteUserIdLine(job.dc());
  WriteUserCodeLine(job.dc());  // mask 15 of model 95: the line is written empty
  EXPECT_EQ(job.Take(), "@PJL SET USERID = \"?\"\n@PJL SET USERCODE = \"\"\n");
}

TEST(JobControl, AuthenticationLines) {
  Cx95 cx(u"CX95 authentication");
  JobControlDouble library;
  cx.printer.SetData(u"Authentication", REG_DWORD, "\x01\0\0\0", 4);
  cx.printer.SetData(u"Networkcode", REG_DWORD, "\x01\0\0\0", 4);
  struct Case {
    const char* name;
    std::u16string user;
    bool secure;
    std::string lines;
  };
  const Case kCases[] = {
      {"network key", u"kato", false,
       "@PJL SET AUTHENTICATIONUSERNAME = \"kato\"\n"
       "@PJL SET AUTHENTICATIONPASSWORD = \"7770\"\n"  // "pw" reversed, in hexadecimal
       "@PJL SET AUTHENTICATIONENCRYPTSETTING = 1\n"
       "@PJL SET AUTHENTICATIONENCRYPTMETHOD = 0\n"},
      {"secure mode", u"kato", true,
       "@PJL SET AUTHENTICATIONUSERNAME = \"kato\"\n"
       "@PJL SET AUTHENTICATIONPASSWORD = \"7770\"\n"
       "@PJL SET AUTHENTICATIONENCRYPTSETTING = 2\n"
       "@PJL SET AUTHENTICATIONENCRYPTMETHOD = 0\n"},
      // A colon is refused by the device: the name is cleared, no password is
      // made and no encryption lines follow.
      {"colon", u"ka:to", false, "@PJL SET AUTHENTICATIONUSERNAME = \"\"\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    JobControlDouble::items = {
        {kItemAuthUser, c.user}, {kItemAuthPassword, u"pw"}, {kItemNetworkKey, u"key1"}};
    RecordedJob job(cx.printer);
    SurfaceFor surface(job.e);
    DWORD on = 1, secure = c.secure ? 1 : 0;
    DrvEscape(&surface.so, 110, 4, &on, 0, nullptr);
    DrvEscape(&surface.so, 111, 4, &secure, 0, nullptr);
    FetchJobControlIdentities(job.dc());
    WriteAuthenticationLines(job.dc());
    EXPECT_EQ(job.Take(), c.lines);
    if (!c.lines.empty() && c.user == u"kato") {
      EXPECT_EQ(JobControlDouble::lastKind, kCipherWithKey);
      EXPECT_EQ(JobControlDouble::parameterName, u"kato");
      EXPECT_EQ(JobControlDouble::parameterKey, u"key1");
      EXPECT_EQ(job.dc().identity.encryptSetting, c.secure ? 2 : 1);
    }
  }
  // Without authentication for the job the user name line is still written, empty.
  RecordedJob off(cx.printer);
  WriteAuthenticationLines(off.dc());
  EXPECT_EQ(off.Take(), "@PJL SET AUTHENTICATIONUSERNAME = \"\"\n");
}

}  // namespace
