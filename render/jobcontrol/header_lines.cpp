// The job header's line writers.
#include "render/jobcontrol/header_lines.h"

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/model_table.h"

namespace render::jobcontrol {

namespace {

namespace priv = settings::priv;

// The job name buffer holds 224 bytes and a terminator.
constexpr std::size_t kJobNameBytes = 224;

bool IsControlByte(unsigned char c) { return c <= 0x08 || (c >= 0x0A && c <= 0x1F); }

std::uint32_t NickNameMask(const DeviceContext& dc) {
  return settings::ModelMask(settings::ModelFromNickName(dc.Description().NickName()));
}

// The spooler's document name of the job; false when the job record cannot be read.
bool SpoolerDocumentName(const DeviceContext& dc, std::u16string* name) {
  DWORD needed = 0;
  GetJobW(dc.printer, dc.jobId, 2, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_2W)) return false;
  auto* job = static_cast<JOB_INFO_2W*>(HeapAlloc(dc.heap, HEAP_ZERO_MEMORY, needed));
  if (job == nullptr) return false;
  bool ok = GetJobW(dc.printer, dc.jobId, 2, reinterpret_cast<LPBYTE>(job), needed, &needed);
  if (ok) *name = platform::WideView(job->pDocument);
  HeapFree(dc.heap, 0, job);
  return ok;
}

void WriteTwoDigits(char* at, unsigned value) {
  at[0] = static_cast<char>('0' + value / 10 % 10);
  at[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

std::string_view FieldText(const char* field, std::size_t size) {
  return std::string_view(field, ::strnlen(field, size));
}

void CutAtCharacter(std::string& text, std::size_t maxBytes) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[at])) ? 2 : 1;
    // A lead byte without its trail byte ends the text.
    if (at + width > text.size() || (width == 2 && text[at + 1] == 0)) break;
    if (at + width > maxBytes) break;
    at += width;
  }
  text.resize(at);
}

std::string AnsiText(std::u16string_view text, std::size_t maxBytes) {
  std::string bytes = platform::WideToMultiByte(GetACP(), text);
  CutAtCharacter(bytes, maxBytes);
  return bytes;
}

std::string CleanPjlValue(std::string_view value) {
  // Shift-JIS and the other double-byte pages never use these bytes as trail
  // bytes, so the value is cleaned byte by byte.
  std::string clean;
  clean.reserve(value.size());
  for (char c : value) {
    auto b = static_cast<unsigned char>(c);
    if (IsControlByte(b)) continue;
    clean.push_back(c == '"' ? '\'' : c);
  }
  return clean;
}

void WriteQuotedLine(DeviceContext& dc, const char* prefix, std::string_view value) {
  std::string clean = CleanPjlValue(value);
  WriteText(dc.output, prefix);
  WriteText(dc.output, "\"");
  WriteBytes(dc.output, clean.data(), clean.size());
  WriteText(dc.output, "\"\n");
}

void WritePjlStart(DeviceContext& dc) {
  // The universal exit goes out as it is: the formatter would take its "%".
  WriteText(dc.output, "\x1B%-12345X");
  WriteLine(dc, "@PJL\n");
  WriteLine(dc, "@PJL JOB\n");
}

void WriteJobNameLine(DeviceContext& dc) {
  std::u16string name;
  bool fromSpooler = SpoolerDocumentName(dc, &name);
  bool cleanModel = NickNameMask(dc) & settings::kModelCleanJobName;
  if (!fromSpooler && !cleanModel) return;
  if (name.empty() && dc.documentName) name = platform::WideView(dc.documentName);
  std::string bytes = platform::WideToMultiByte(GetACP(), name);
  CutAtCharacter(bytes, kJobNameBytes);
  std::string clean = CleanPjlValue(bytes);
  if (clean.empty()) return;
  WriteQuotedLine(dc, "@PJL SET JOBNAME = ", clean);
}

void WriteDateTimeLines(DeviceContext& dc) {
  SYSTEMTIME& now = dc.identity.jobTime;
  GetLocalTime(&now);
  char date[8] = {};
  WriteTwoDigits(date, now.wMonth);
  date[2] = '/';
  WriteTwoDigits(date + 3, now.wDay);
  WriteLine(dc, "@PJL SET DATE = \"%u/%s\"\n", {static_cast<std::uint32_t>(now.wYear), date});
  char time[9] = {};
  WriteTwoDigits(time, now.wHour);
  time[2] = ':';
  WriteTwoDigits(time + 3, now.wMinute);
  time[5] = ':';
  WriteTwoDigits(time + 6, now.wSecond);
  WriteLine(dc, "@PJL SET TIME = \"%s\"\n", {time});
}

void WriteUserIdLine(DeviceContext& dc) {
  std::string id = HeaderUserId(dc);
  if (CleanPjlValue(id).empty()) id = "?";
  WriteQuotedLine(dc, "@PJL SET USERID = ", id);
}

void WriteUserCodeLine(DeviceContext& dc) {
  std::string code;
  if (HeaderUserCode(dc, &code)) WriteQuotedLine(dc, "@PJL SET USERCODE = ", code);
}

void WriteHostLoginNameLine(DeviceContext& dc) {
  std::string_view name = FieldText(dc.identity.hostLoginName, sizeof dc.identity.hostLoginName);
  if (!name.empty()) WriteQuotedLine(dc, "@PJL SET HOSTLOGINNAME = ", name);
}

void WriteAuthenticationLines(DeviceContext& dc) {
  JobIdentity& id = dc.identity;
  bool on = AuthenticationOn(dc);
  std::string user;
  if (on) {
    std::u16string_view wide = platform::WideView(id.authUser, std::size(id.authUser));
    user = AnsiText(wide, ShortAuthenticationNames(dc) ? 32 : 128);
  }
  WriteQuotedLine(dc, "@PJL SET AUTHENTICATIONUSERNAME = ", user);
  std::string_view password = FieldText(id.authPassword, sizeof id.authPassword);
  if (on && !password.empty()) {
    WriteQuotedLine(dc, "@PJL SET AUTHENTICATIONPASSWORD = ", password);
  }
  id.encryptSetting = 0;
  id.encryptMethod = 0;
  if (!on || user.empty()) return;
  id.encryptSetting = (dc.optionFlags & kOptionAuthSecure) ? 2 : 1;
  WriteLine(dc, "@PJL SET AUTHENTICATIONENCRYPTSETTING = %u\n",
            {static_cast<std::uint32_t>(id.encryptSetting)});
  WriteLine(dc, "@PJL SET AUTHENTICATIONENCRYPTMETHOD = %u\n",
            {static_cast<std::uint32_t>(id.encryptMethod)});
}

void WriteTrackIdLine(DeviceContext& dc) {
  WriteQuotedLine(
      dc, "@PJL SET TRACKID = ", FieldText(dc.identity.trackId, sizeof dc.identity.trackId));
}

namespace {
void WriteStamp(DeviceContext& dc, const char* kind) {
  bool on = HasPrintOption(dc, settings::kOptSoftstamp);
  WriteLine(dc, "@PJL SET %s = %s\n", {kind, on ? "ON" : "OFF"});
}
}  // namespace

void WriteStampLine(DeviceContext& dc) {
  switch (PrinterType(dc)) {
    case 3:
      WriteStamp(dc, ModelIsOneOf(dc, {5, 8, 9, 37, 51, 89}) ? "COPIERSTAMP" : "PRINTERSTAMP");
      break;
    case 7:
    case 8:
      WriteStamp(dc, "PRINTERSTAMP");
      break;
    default:
      break;
  }
}

void WriteCopierStampLine(DeviceContext& dc) { WriteStamp(dc, "COPIERSTAMP"); }

void WriteImageDirectionLine(DeviceContext& dc) {
  WriteLine(dc, HasDeviceFlag(dc, settings::kDevRotate180) ? "@PJL SET IMAGEDIRECTION = REVERSE\n"
                                                           : "@PJL SET IMAGEDIRECTION = NORMAL\n");
}

void WritePrintInfoLine(DeviceContext& dc) {
  int scaling = 3;
  if (!dc.NoPageContent()) {
    // In percent, or in tenths of a percent; the steps are the same.
    std::int32_t scale = PrivI16(dc, priv::kScale);
    std::int32_t unit = HasFunction(dc, 0x20000) ? 10 : 1;
    scaling = scale < 50 * unit     ? 1
              : scale < 100 * unit  ? 2
              : scale == 100 * unit ? 3
              : scale <= 200 * unit ? 4
                                    : 5;
  }
  WriteLine(dc, "@PJL SET PRINTINFO = \"SCALING=%d\"\n", {scaling});
}

void WriteOutputBinLinesByModel(DeviceContext& dc) {
  if (DeviceModel(dc) == 8) {
    WriteUpperBinLines(dc);
  } else if (HasFunction(dc, 0x2000000)) {
    WriteFoldAndStampLines(dc);
  } else {
    WritePlainOutputBinLines(dc);
  }
}

void WriteEnterLanguage(DeviceContext& dc) { WriteLine(dc, "@PJL ENTER LANGUAGE = GL2\n"); }

void WriteLanguageSwitch(DeviceContext& dc) { WriteLine(dc, "\x1B\x12!-1,1,2@GL2\x1B "); }

}  // namespace render::jobcontrol
