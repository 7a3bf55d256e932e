// qx printer: add, list, show, change and remove the printers of the stand-in
// spooler, with their printer data.
#include <limits.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "platform/registry/database.h"
#include "platform/spooler/spooler.h"
#include "settings/byte_order.h"
#include "settings/description_cache.h"
#include "settings/features.h"
#include "settings/sticky_data.h"
#include "tools/qx/command.h"
#include "tools/qx/tool_description.h"

namespace qx {

namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

struct PrinterOptions {
  std::string name;
  std::string description;
  std::string port = "-";
  std::string server;
  std::string driver;
  bool remote = false;
  bool json = false;
  std::vector<std::string> assignments;
};

// Printer data types by the prefixes `set` takes and `show` prints.
struct TypeRow {
  DWORD type;
  const char* prefix;
  const char* name;
};
// clang-format off
constexpr TypeRow kTypes[] = {
    {REG_NONE,      "none",      "REG_NONE"},
    {REG_SZ,        "sz",        "REG_SZ"},
    {REG_EXPAND_SZ, "expand_sz", "REG_EXPAND_SZ"},
    {REG_BINARY,    "hex",       "REG_BINARY"},
    {REG_DWORD,     "dword",     "REG_DWORD"},
    {REG_MULTI_SZ,  "multi_sz",  "REG_MULTI_SZ"},
    {REG_QWORD,     "qword",     "REG_QWORD"},
};

// Printer attributes by name, for show.
struct AttributeRow {
  DWORD bit;
  const char* name;
};
constexpr AttributeRow kAttributes[] = {
    {PRINTER_ATTRIBUTE_QUEUED,            "QUEUED"},
    {PRINTER_ATTRIBUTE_DIRECT,            "DIRECT"},
    {PRINTER_ATTRIBUTE_DEFAULT,           "DEFAULT"},
    {PRINTER_ATTRIBUTE_SHARED,            "SHARED"},
    {PRINTER_ATTRIBUTE_NETWORK,           "NETWORK"},
    {PRINTER_ATTRIBUTE_HIDDEN,            "HIDDEN"},
    {PRINTER_ATTRIBUTE_LOCAL,             "LOCAL"},
    {PRINTER_ATTRIBUTE_ENABLE_DEVQ,       "ENABLE_DEVQ"},
    {PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS,   "KEEPPRINTEDJOBS"},
    {PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, "DO_COMPLETE_FIRST"},
    {PRINTER_ATTRIBUTE_WORK_OFFLINE,      "WORK_OFFLINE"},
    {PRINTER_ATTRIBUTE_ENABLE_BIDI,       "ENABLE_BIDI"},
    {PRINTER_ATTRIBUTE_RAW_ONLY,          "RAW_ONLY"},
    {PRINTER_ATTRIBUTE_PUBLISHED,         "PUBLISHED"},
};
// clang-format on

constexpr const char* kSetHelp =
    "KEY=VALUE pairs. Printer fields: port=URI, datatype=TEXT, comment=TEXT, location=TEXT, "
    "attributes=NUMBER (decimal or 0x hex), bidi=on|off, may-change=yes|no (whether the "
    "current user may change the printer). Printer data: NAME=TYPE:VALUE with the type "
    "sz:TEXT or expand_sz:TEXT (UTF-16 with terminator), dword:NUMBER, qword:NUMBER, "
    "hex:BYTES (binary, e.g. hex:0a0b or hex:0a,0b; hex: is empty), or hex(N):BYTES "
    "(any type N with raw bytes, e.g. hex(1):5600 for a text without terminator)";

const char* TypeName(DWORD type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == type) return row.name;
  }
  return "REG_?";
}

std::string Hex(const std::vector<unsigned char>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::u16string WideOf(const std::vector<unsigned char>& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  }
  return text;
}

std::uint64_t Number(const std::vector<unsigned char>& bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

// A value decoded for people: text, number or hex, as its type says and its size allows.
std::string Describe(const platform::PrinterDataValue& v) {
  std::string size = std::to_string(v.bytes.size()) + " bytes";
  if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && v.bytes.size() % 2 == 0) {
    std::u16string text = WideOf(v.bytes);
    bool terminated = !text.empty() && text.back() == 0;
    if (terminated) text.pop_back();
    return std::string(v.type == REG_SZ ? "sz:\"" : "expand_sz:\"") + WideToUtf8(text) + "\" (" +
           size + (terminated ? ")" : ", no terminator)");
  }
  if ((v.type == REG_DWORD && v.bytes.size() == 4) ||
      (v.type == REG_QWORD && v.bytes.size() == 8)) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(Number(v.bytes)));
    return std::string(v.type == REG_DWORD ? "dword:" : "qword:") +
           std::to_string(Number(v.bytes)) + " (" + hex + ")";
  }
  std::string prefix = v.type == REG_BINARY ? "hex:" : "hex(" + std::to_string(v.type) + "):";
  return prefix + Hex(v.bytes) + " (" + size + ")";
}

nlohmann::ordered_json DataJson(const platform::PrinterDataValue& v) {
  nlohmann::ordered_json j;
  j["name"] = WideToUtf8(v.name);
  j["Type"] = v.type;
  j["typeName"] = TypeName(v.type);
  j["size"] = v.bytes.size();
  if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && v.bytes.size() % 2 == 0) {
    std::u16string text = WideOf(v.bytes);
    if (!text.empty() && text.back() == 0) text.pop_back();
    j["value"] = WideToUtf8(text);
  } else if ((v.type == REG_DWORD && v.bytes.size() == 4) ||
             (v.type == REG_QWORD && v.bytes.size() == 8)) {
    j["value"] = Number(v.bytes);
  }
  j["hex"] = Hex(v.bytes);
  return j;
}

std::string AttributeNames(DWORD attributes) {
  std::string names;
  for (const AttributeRow& row : kAttributes) {
    if (attributes & row.bit) names += (names.empty() ? "" : " ") + std::string(row.name);
  }
  return names;
}

// Parsing of `set` values. Each returns false with `why` set.
bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t* value, std::string* why) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || *value > max) {
    *why = "not a number up to " + std::to_string(max) + ": " + std::string(text);
    return false;
  }
  return true;
}

bool ParseHex(std::string_view text, std::vector<unsigned char>* bytes, std::string* why) {
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == ':') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c)) || digits.size() > (1u << 20)) {
      *why = "not hexadecimal bytes: " + std::string(text);
      return false;
    }
    digits += c;
  }
  if (digits.size() % 2) {
    *why = "an odd number of hexadecimal digits: " + std::string(text);
    return false;
  }
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes->push_back(static_cast<unsigned char>(nibble(digits[i]) * 16 + nibble(digits[i + 1])));
  }
  return true;
}

std::vector<unsigned char> LittleEndian(std::uint64_t value, std::size_t size) {
  std::vector<unsigned char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  return bytes;
}

std::vector<unsigned char> TerminatedWide(std::string_view text) {
  std::vector<unsigned char> bytes;
  for (char16_t c : Utf8ToWide(text) + u'\0') {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  return bytes;
}

// "TYPE:VALUE" as a printer data value; false when `text` names no type.
bool ParseTyped(std::string_view text, platform::PrinterDataValue* value, std::string* why) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view type = text.substr(0, colon);
  std::string_view rest = text.substr(colon + 1);
  std::uint64_t number = 0;
  if (type == "sz" || type == "expand_sz") {
    value->type = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
    value->bytes = TerminatedWide(rest);
  } else if (type == "dword" || type == "qword") {
    bool dword = type == "dword";
    if (!ParseNumber(rest, dword ? 0xFFFFFFFFull : ~0ull, &number, why)) return true;
    value->type = dword ? REG_DWORD : REG_QWORD;
    value->bytes = LittleEndian(number, dword ? 4 : 8);
  } else if (type == "hex") {
    value->type = REG_BINARY;
    if (!ParseHex(rest, &value->bytes, why)) return true;
  } else if (type.size() > 5 && type.substr(0, 4) == "hex(" && type.back() == ')') {
    if (!ParseNumber(type.substr(4, type.size() - 5), 0xFFFFFFFFull, &number, why)) return true;
    value->type = static_cast<DWORD>(number);
    if (!ParseHex(rest, &value->bytes, why)) return true;
  } else {
    return false;
  }
  return true;
}

bool ParseSwitch(std::string_view text, const char* on, const char* off, bool* value,
                 std::string* why) {
  if (text == on || text == "1" || text == "true") {
    *value = true;
  } else if (text == off || text == "0" || text == "false") {
    *value = false;
  } else {
    *why = std::string("give ") + on + " or " + off + ", not " + std::string(text);
    return false;
  }
  return true;
}

// A relative file port is taken from the working folder, so it still means the
// same file when a job runs elsewhere.
std::string AbsolutePort(const std::string& port) {
  if (port.size() <= 5 || port.compare(0, 5, "file:") != 0) return port;
  std::string path = port.substr(5);
  bool absolute = path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':');
  char cwd[PATH_MAX];
  if (absolute || getcwd(cwd, sizeof cwd) == nullptr) return port;
  return "file:" + std::string(cwd) + "/" + path;
}

// Applies one KEY=VALUE to the printer or to `data`; false with `why` set.
bool Assign(const std::string& assignment, platform::PrinterRecord* p,
            std::vector<platform::PrinterDataValue>* data, std::string* why) {
  std::size_t equals = assignment.find('=');
  if (equals == std::string::npos || equals == 0) {
    *why = "expected KEY=VALUE, not '" + assignment + "'";
    return false;
  }
  std::string key = assignment.substr(0, equals);
  std::string text = assignment.substr(equals + 1);
  platform::PrinterDataValue value{Utf8ToWide(key), REG_NONE, {}};
  why->clear();
  if (ParseTyped(text, &value, why)) {
    if (!why->empty()) return false;
    data->push_back(value);
    return true;
  }
  std::uint64_t number = 0;
  bool on = false;
  if (key == "port") {
    std::u16string port = Utf8ToWide(AbsolutePort(text));
    if (!platform::CheckPortName(port, why)) return false;
    p->portName = port;
  } else if (key == "datatype") {
    p->datatype = Utf8ToWide(text);
  } else if (key == "comment") {
    p->comment = Utf8ToWide(text);
  } else if (key == "location") {
    p->location = Utf8ToWide(text);
  } else if (key == "attributes") {
    if (!ParseNumber(text, 0xFFFFFFFFull, &number, why)) return false;
    p->attributes = static_cast<DWORD>(number);
  } else if (key == "bidi") {
    if (!ParseSwitch(text, "on", "off", &on, why)) return false;
    p->attributes = on ? p->attributes | PRINTER_ATTRIBUTE_ENABLE_BIDI
                       : p->attributes & ~PRINTER_ATTRIBUTE_ENABLE_BIDI;
  } else if (key == "may-change") {
    if (!ParseSwitch(text, "yes", "no", &p->userMayChange, why)) return false;
  } else {
    *why = "'" + key + "' is no printer field; printer data needs a type: " + key +
           "=dword:N, sz:TEXT or hex:BYTES";
    return false;
  }
  return true;
}

std::string Or(const std::u16string& text, const char* none) {
  return text.empty() ? none : WideToUtf8(text);
}

// The build's library folder: ../lib beside the folder of this executable.
std::string LibraryFolder() {
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "lib";
  std::string path(exe, static_cast<std::size_t>(n));
  return path.substr(0, path.find_last_of('/')) + "/../lib";
}

// The description's NickName, which names the driver; empty when it has none.
std::string NickName(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 10, "*NickName:") != 0) continue;
    std::size_t open = line.find('"');
    std::size_t close = line.rfind('"');
    if (open != std::string::npos && close > open) return line.substr(open + 1, close - open - 1);
  }
  return {};
}

std::string Stem(const std::string& path) {
  std::string base = path.substr(path.find_last_of('/') + 1);
  return base.substr(0, base.find_last_of('.'));
}

int Add(const PrinterOptions& o) {
  std::u16string name = Utf8ToWide(o.name);
  if (platform::FindPrinter(name)) return Fail("printer: " + o.name + " exists already");
  platform::PrinterRecord p;
  p.name = name;
  p.portName = Utf8ToWide(AbsolutePort(o.port));
  std::string why;
  if (!platform::CheckPortName(p.portName, &why)) return Fail("printer: " + why);
  if (o.remote || !o.server.empty()) {
    std::string server = o.server;
    if (server.empty() && o.name.size() > 2 && o.name.compare(0, 2, "\\\\") == 0) {
      server = o.name.substr(0, o.name.find('\\', 2));
    }
    if (server.empty()) server = "\\\\PRINTSERVER";
    if (server.compare(0, 2, "\\\\") != 0) server = "\\\\" + server;
    p.serverName = Utf8ToWide(server);
    p.attributes = PRINTER_ATTRIBUTE_NETWORK;
  }
  std::string dataFile = platform::NativePath(platform::DriverVersionDirectory()) + "/" +
                         o.description.substr(o.description.find_last_of('/') + 1);
  bool replacing = access(dataFile.c_str(), F_OK) == 0;
  if (!platform::InstallDriverFiles(o.description, LibraryFolder(), &p.driver, &why)) {
    return Fail("printer: " + why);
  }
  std::string driver = !o.driver.empty() ? o.driver : NickName(o.description);
  p.driver.name = Utf8ToWide(driver.empty() ? Stem(o.description) : driver);
  if (!platform::AddPrinter(p)) {
    if (!replacing) unlink(dataFile.c_str());
    return Fail("printer: cannot add " + o.name + " (error " + std::to_string(GetLastError()) +
                ")");
  }
  std::printf("added %s: driver \"%s\", port %s\n", o.name.c_str(),
              WideToUtf8(p.driver.name).c_str(), WideToUtf8(p.portName).c_str());
  return 0;
}

int List(const PrinterOptions& o) {
  std::vector<platform::PrinterRecord> printers = platform::ListPrinters();
  if (o.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& p : printers) {
      list.push_back({{"pPrinterName", WideToUtf8(p.name)},
                      {"pServerName", WideToUtf8(p.serverName)},
                      {"pPortName", WideToUtf8(p.portName)},
                      {"pDriverName", WideToUtf8(p.driver.name)}});
    }
    std::printf("%s\n", list.dump(2).c_str());
    return 0;
  }
  for (const auto& p : printers) {
    std::printf("%s\t%s\t%s%s\n", WideToUtf8(p.name).c_str(), WideToUtf8(p.portName).c_str(),
                WideToUtf8(p.driver.name).c_str(), p.serverName.empty() ? "" : "\t(remote)");
  }
  return 0;
}

// The printer-sticky record as the libraries get it: read from the printer data,
// or derived from the printer's description when there is none. Null when the
// description cannot be loaded.
nlohmann::ordered_json StickyJson(const platform::PrinterRecord& p) {
  HANDLE printer = nullptr;
  if (!OpenPrinterW(p.name.c_str(), &printer, nullptr)) return nullptr;
  void* block = settings::LoadDescription(p.driver.dataFile.c_str(), ToolResourceModule(),
                                          settings::ReadFontOrder(printer));
  nlohmann::ordered_json j = nullptr;
  if (block != nullptr) {
    settings::StickyRecord r = settings::ReadStickyRecord(printer, settings::Description(block));
    if (r.data != nullptr) {
      const unsigned char* b = r.data;
      using namespace settings::sticky;
      std::uint32_t flags = settings::LoadU32(b + kFlags);
      std::size_t count = std::min<std::size_t>(settings::LoadU16(b + kInstallableCount),
                                                settings::kMaxInstallable);
      j = {{"source", r.derived ? "derived" : "read"},
           {"bytes", r.bytes},
           {"version", settings::LoadU16(b + kVersion)},
           {"size", settings::LoadU16(b + kSize)},
           {"flags", flags},
           {"metric", (flags & settings::kStickyMetric) != 0},
           {"halftone", (flags & settings::kStickyHalftone) != 0},
           {"noDeviceFonts", (flags & settings::kStickyNoDeviceFonts) != 0},
           {"legacySwitch", (flags & settings::kStickyLegacySwitch) != 0},
           {"memory", settings::LoadU32(b + kMemory)},
           {"jobTimeout", settings::LoadU32(b + kJobTimeout)},
           {"waitTimeout", settings::LoadU32(b + kWaitTimeout)},
           {"checksum", settings::LoadU16(b + kChecksum)},
           {"installableCount", settings::LoadU16(b + kInstallableCount)},
           {"installableSel", std::vector<int>(b + kInstallableSel, b + kInstallableSel + count)},
           {"fontOrder", settings::LoadU16(b + kFontOrder)}};
      GlobalFree(r.data);
    }
    GlobalFree(block);
  }
  ClosePrinter(printer);
  return j;
}

nlohmann::ordered_json PrinterJson(const platform::PrinterRecord& p) {
  nlohmann::ordered_json j;
  j["pPrinterName"] = WideToUtf8(p.name);
  j["pServerName"] = WideToUtf8(p.serverName);
  j["pPortName"] = WideToUtf8(p.portName);
  j["pDatatype"] = WideToUtf8(p.datatype);
  j["pComment"] = WideToUtf8(p.comment);
  j["pLocation"] = WideToUtf8(p.location);
  j["Attributes"] = p.attributes;
  j["userMayChange"] = p.userMayChange;
  j["devModeSize"] = p.devMode.size();
  j["driver"] = {{"pName", WideToUtf8(p.driver.name)},
                 {"pEnvironment", WideToUtf8(p.driver.environment)},
                 {"cVersion", p.driver.version},
                 {"pDriverPath", WideToUtf8(p.driver.driverPath)},
                 {"pDataFile", WideToUtf8(p.driver.dataFile)},
                 {"pConfigFile", WideToUtf8(p.driver.configFile)}};
  j["printerData"] = nlohmann::ordered_json::array();
  for (const auto& v : platform::ListPrinterData(p.name)) j["printerData"].push_back(DataJson(v));
  j["jobs"] = nlohmann::ordered_json::array();
  for (const auto& job : platform::ListJobs(p.name)) {
    j["jobs"].push_back({{"JobId", job.id},
                         {"pDocument", WideToUtf8(job.document)},
                         {"pUserName", WideToUtf8(job.owner)}});
  }
  j["stickyRecord"] = StickyJson(p);
  return j;
}

void ShowText(const platform::PrinterRecord& p) {
  const platform::PrinterDriver& d = p.driver;
  std::printf("printer      %s\n", WideToUtf8(p.name).c_str());
  std::printf("server       %s\n", Or(p.serverName, "(local printer)").c_str());
  std::printf("port         %s\n", WideToUtf8(p.portName).c_str());
  std::printf("datatype     %s\n", WideToUtf8(p.datatype).c_str());
  if (!p.comment.empty()) std::printf("comment      %s\n", WideToUtf8(p.comment).c_str());
  if (!p.location.empty()) std::printf("location     %s\n", WideToUtf8(p.location).c_str());
  std::printf("attributes   0x%08x %s\n", p.attributes, AttributeNames(p.attributes).c_str());
  std::printf("may change   %s\n", p.userMayChange ? "yes" : "no");
  std::printf("settings     %s\n",
              p.devMode.empty() ? "none" : (std::to_string(p.devMode.size()) + " bytes").c_str());
  std::printf("driver       %s (%s, version %u)\n", WideToUtf8(d.name).c_str(),
              WideToUtf8(d.environment).c_str(), d.version);
  std::printf("  render     %s\n", WideToUtf8(d.driverPath).c_str());
  std::printf("  data file  %s\n", WideToUtf8(d.dataFile).c_str());
  std::printf("  UI         %s\n", WideToUtf8(d.configFile).c_str());
  std::vector<platform::PrinterDataValue> data = platform::ListPrinterData(p.name);
  std::printf("printer data (%zu)\n", data.size());
  for (const auto& v : data) {
    std::printf("  %-24s %s\n", WideToUtf8(v.name).c_str(), Describe(v).c_str());
  }
  std::vector<platform::JobRecord> jobs = platform::ListJobs(p.name);
  std::printf("jobs (%zu)\n", jobs.size());
  for (const auto& job : jobs) {
    std::printf("  %u  %s  %s\n", job.id, WideToUtf8(job.owner).c_str(),
                WideToUtf8(job.document).c_str());
  }
  nlohmann::ordered_json sticky = StickyJson(p);
  if (sticky.is_null()) {
    std::printf("sticky record: none (the description cannot be loaded)\n");
    return;
  }
  std::printf("sticky record (%s): version %u, flags 0x%x, memory %u, installable",
              sticky["source"].get<std::string>().c_str(), sticky["version"].get<unsigned>(),
              sticky["flags"].get<unsigned>(), sticky["memory"].get<unsigned>());
  for (int choice : sticky["installableSel"]) std::printf(" %d", choice);
  std::printf(", font order %u\n", sticky["fontOrder"].get<unsigned>());
}

int Show(const PrinterOptions& o) {
  std::optional<platform::PrinterRecord> p = platform::FindPrinter(Utf8ToWide(o.name));
  if (!p) return Fail("printer: no printer named " + o.name);
  if (o.json) {
    std::printf("%s\n", PrinterJson(*p).dump(2).c_str());
  } else {
    ShowText(*p);
  }
  return 0;
}

int Set(const PrinterOptions& o) {
  std::u16string name = Utf8ToWide(o.name);
  std::string why;
  // One transaction: every pair is stored, or none when one of them is bad.
  bool ok = platform::WithDatabase([&](sqlite3*) {
    std::optional<platform::PrinterRecord> p = platform::FindPrinter(name);
    if (!p) {
      why = "no printer named " + o.name;
      return false;
    }
    std::vector<platform::PrinterDataValue> data;
    for (const std::string& assignment : o.assignments) {
      if (!Assign(assignment, &*p, &data, &why)) return false;
    }
    why = "cannot change " + o.name + " (error " + std::to_string(GetLastError()) + ")";
    if (!platform::UpdatePrinter(*p)) return false;
    for (const auto& value : data) {
      if (!platform::SetPrinterData(p->name, value)) return false;
    }
    return true;
  });
  return ok ? 0 : Fail("printer set: " + why);
}

int Unset(const PrinterOptions& o) {
  std::u16string name = Utf8ToWide(o.name);
  if (!platform::FindPrinter(name)) return Fail("printer: no printer named " + o.name);
  std::string missing;
  bool ok = platform::WithDatabase([&](sqlite3*) {
    for (const std::string& key : o.assignments) {
      if (!platform::DeletePrinterData(name, Utf8ToWide(key))) {
        missing = key;
        return false;
      }
    }
    return true;
  });
  if (!ok) return Fail("printer unset: " + o.name + " has no printer data " + missing);
  return 0;
}

int Remove(const PrinterOptions& o) {
  if (!platform::RemovePrinter(Utf8ToWide(o.name))) {
    return Fail("printer: no printer named " + o.name);
  }
  return 0;
}

CLI::App* NameCommand(CLI::App& sub, const char* name, const char* help, PrinterOptions& o) {
  CLI::App* command = sub.add_subcommand(name, help);
  command->add_option("NAME", o.name, "the printer's name")->required();
  return command;
}

}  // namespace

CommandRun SetupPrinterCommand(CLI::App& sub) {
  auto o = std::make_shared<PrinterOptions>();
  sub.require_subcommand(1);

  CLI::App* add = NameCommand(sub, "add", "add a printer for a printer description", *o);
  add->add_option("--desc", o->description, "the printer description (PPD) file")
      ->required()
      ->check(CLI::ExistingFile);
  add->add_option("--port", o->port,
                  "where jobs go: file:PATH, - (standard output, the default) or "
                  "socket://HOST:PORT (raw TCP, port 9100 when none is given)");
  add->add_flag("--remote", o->remote,
                "a connection to a printer of a print server (\\\\SERVER\\NAME gives the server)");
  add->add_option("--server", o->server, "the print server of a remote printer");
  add->add_option("--driver", o->driver, "the driver name (default: the description's NickName)");

  CLI::App* list = sub.add_subcommand("list", "list the printers");
  list->add_flag("--json", o->json, "output for programs");

  CLI::App* show = NameCommand(sub, "show", "show a printer, its driver and printer data", *o);
  show->add_flag("--json", o->json, "output for programs");

  CLI::App* set = NameCommand(sub, "set", "change printer fields and printer data", *o);
  set->add_option("KEY=VALUE", o->assignments, kSetHelp)->required();

  CLI::App* unset = NameCommand(sub, "unset", "delete printer data values", *o);
  unset->add_option("KEY", o->assignments, "printer data names")->required();

  NameCommand(sub, "remove", "remove a printer with its data and jobs", *o);

  return [o, &sub] {
    if (sub.got_subcommand("add")) return Add(*o);
    if (sub.got_subcommand("list")) return List(*o);
    if (sub.got_subcommand("show")) return Show(*o);
    if (sub.got_subcommand("set")) return Set(*o);
    if (sub.got_subcommand("unset")) return Unset(*o);
    if (sub.got_subcommand("remove")) return Remove(*o);
    return Fail("printer: name a subcommand (see qx printer --help)");
  };
}

}  // namespace qx
