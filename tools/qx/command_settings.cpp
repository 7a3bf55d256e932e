// qx settings: make, show, change, merge, check and copy settings records kept
// in files (the raw bytes of the record), and show the paper geometry a record
// gives a job.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/text.h"
#include "settings/byte_order.h"
#include "settings/device_info_file.h"
#include "settings/paper.h"
#include "settings/paper_geometry.h"
#include "settings/record_fields.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "tools/jobscript/record_assignment.h"
#include "tools/qx/command.h"
#include "tools/qx/tool_description.h"

namespace qx {

namespace {

using nlohmann::ordered_json;
using settings::FieldType;
using settings::RecordField;
using settings::SettingsRecord;

struct SettingsOptions {
  std::string file, source, desc, name, printer, output;
  std::vector<std::string> assignments;
  int size = 220;
  bool json = false;
};

bool ReadFile(const std::string& file, std::vector<unsigned char>* bytes, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *error = "cannot read " + file;
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const std::string& file, const void* bytes, std::size_t size, std::string* error) {
  std::string temporary = file + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out) {
      *error = "cannot write " + file;
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), file.c_str()) != 0) {
    *error = "cannot write " + file;
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

// A record file: its public size and private size must account for every byte.
bool ReadRecordBytes(const std::string& file, std::vector<unsigned char>* bytes,
                     std::string* error) {
  if (!ReadFile(file, bytes, error)) return false;
  if (bytes->size() < 72) {
    *error = file + " is not a settings record (" + std::to_string(bytes->size()) + " bytes)";
    return false;
  }
  std::size_t size = settings::LoadU16(bytes->data() + 68);
  std::size_t extra = settings::LoadU16(bytes->data() + 70);
  if (size < 72 || size + extra != bytes->size()) {
    *error = file + " is not a settings record: dmSize " + std::to_string(size) +
             " and dmDriverExtra " + std::to_string(extra) + " do not make its " +
             std::to_string(bytes->size()) + " bytes";
    return false;
  }
  return true;
}

// A whole 2,420-byte record of the driver.
bool ReadRecord(const std::string& file, SettingsRecord* record, std::string* error) {
  std::vector<unsigned char> bytes;
  if (!ReadRecordBytes(file, &bytes, error)) return false;
  if (bytes.size() != settings::kRecordSize || settings::LoadU16(bytes.data() + 68) != 220) {
    *error = file + " is not a 2,420-byte settings record of the driver (it has " +
             std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  std::memcpy(record, bytes.data(), settings::kRecordSize);
  return true;
}

std::string AnsiToUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  }
  return platform::WideToUtf8(wide);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

ordered_json FieldJson(const unsigned char* record, const RecordField& f) {
  switch (f.type) {
    case FieldType::kWide:
      return platform::WideToUtf8(settings::GetFieldText(record, f));
    case FieldType::kAnsi:
      return AnsiToUtf8(settings::GetFieldAnsi(record, f));
    case FieldType::kRaw:
      return Hex(settings::GetFieldBytes(record, f));
    case FieldType::kBit16:
    case FieldType::kBit32:
      return settings::GetFieldValue(record, f) != 0;
    default:
      return settings::GetFieldValue(record, f);
  }
}

ordered_json RecordJson(const unsigned char* record) {
  ordered_json out = ordered_json::object();
  for (const RecordField& f : settings::RecordFields()) {
    ordered_json value = FieldJson(record, f);
    if (f.group.empty()) {
      out[f.name] = value;
    } else if (f.index < 0) {
      out[f.group][f.member] = value;
    } else {
      ordered_json& list = out[f.group];
      if (!list.is_array()) list = ordered_json::array();
      while (list.size() <= static_cast<std::size_t>(f.index))
        list.push_back(ordered_json::object());
      if (f.member == "value" && (f.group == "optionSel" || f.group == "customColors")) {
        list[static_cast<std::size_t>(f.index)] = value;
      } else {
        list[static_cast<std::size_t>(f.index)][f.member] = value;
      }
    }
  }
  return out;
}

void PrintRecord(const unsigned char* record) {
  for (const RecordField& f : settings::RecordFields()) {
    ordered_json v = FieldJson(record, f);
    std::string text = v.is_string() ? v.get<std::string>() : v.dump();
    std::printf("%-24s %s\n", f.name.c_str(), text.c_str());
  }
}

void PrintGeometry(const char* title, const settings::PaperGeometry& g, ordered_json* json) {
  ordered_json j = {
      {"formName", platform::WideToUtf8(platform::WideView(g.formName, 32))},
      {"optionKeyword", std::string(g.optionKeyword, strnlen(g.optionKeyword, 32))},
      {"left", g.left},
      {"top", g.top},
      {"right", g.right},
      {"bottom", g.bottom},
      {"paperWidth", g.paperWidth},
      {"paperLength", g.paperLength},
      {"paperIndex", g.paperIndex},
      {"valid", g.valid != 0},
  };
  if (json) {
    (*json)[title] = j;
    return;
  }
  std::printf("%s: %s (option %s, %d)\n", title, j["formName"].get<std::string>().c_str(),
              j["optionKeyword"].get<std::string>().c_str(), g.paperIndex);
  std::printf("  imageable area %d, %d to %d, %d plotter units (%.1f x %.1f mm)\n", g.left, g.top,
              g.right, g.bottom, (g.right - g.left) * 0.025, (g.bottom - g.top) * 0.025);
  std::printf("  paper %d x %d micrometres\n", g.paperWidth, g.paperLength);
}

struct UserSizeSource {
  std::u16string file, printer;
};

bool UserSize(void* context, int number, int* first, int* second) {
  auto* source = static_cast<UserSizeSource*>(context);
  return !source->printer.empty() &&
         settings::ReadUserSize(source->file, source->printer, number, first, second);
}

int RunDefaults(const SettingsOptions& o) {
  LoadedDescription desc;
  std::string error;
  if (!LoadToolDescription(o.desc, true, &desc, &error)) return Fail(error);
  SettingsRecord record;
  std::u16string name = platform::Utf8ToWide(o.name);
  settings::SetDefaults(record, o.name.empty() ? nullptr : name.c_str(), desc.View());
  if (!WriteFile(o.output, &record, sizeof record, &error)) return Fail(error);
  return 0;
}

int RunShow(const SettingsOptions& o) {
  std::vector<unsigned char> bytes;
  std::string error;
  if (!ReadRecordBytes(o.file, &bytes, &error)) return Fail(error);
  // Show any size aligned to the driver's layout; members a short record lacks read 0.
  std::vector<unsigned char> aligned(settings::kRecordSize, 0);
  auto* target = reinterpret_cast<DEVMODEW*>(aligned.data());
  target->dmSize = 220;
  target->dmDriverExtra = settings::LoadU16(bytes.data() + 70) == 2200 ? 2200 : 0;
  target->dmSpecVersion = 0x401;
  if (settings::CopyRecordSized(reinterpret_cast<DEVMODEW*>(bytes.data()), target) < 0) {
    return Fail(o.file + " has a public size the driver cannot read");
  }
  settings::StoreU16(aligned.data() + 64, settings::LoadU16(bytes.data() + 64));
  settings::StoreU16(aligned.data() + 66, settings::LoadU16(bytes.data() + 66));
  settings::StoreU16(aligned.data() + 68, settings::LoadU16(bytes.data() + 68));
  settings::StoreU16(aligned.data() + 70, settings::LoadU16(bytes.data() + 70));
  if (o.json) {
    std::printf("%s\n", RecordJson(aligned.data()).dump(2).c_str());
  } else {
    PrintRecord(aligned.data());
  }
  return 0;
}

int RunSet(const SettingsOptions& o) {
  SettingsRecord record;
  std::string error;
  if (!ReadRecord(o.file, &record, &error)) return Fail(error);
  for (const std::string& a : o.assignments) {
    if (!jobscript::AssignRecordMember(reinterpret_cast<unsigned char*>(&record), a, &error)) {
      return Fail(error);
    }
  }
  if (!WriteFile(o.output, &record, sizeof record, &error)) return Fail(error);
  return 0;
}

int RunMerge(const SettingsOptions& o) {
  LoadedDescription desc;
  SettingsRecord target;
  std::vector<unsigned char> source;
  std::string error;
  if (!ReadRecord(o.file, &target, &error) || !ReadRecordBytes(o.source, &source, &error) ||
      !LoadToolDescription(o.desc, true, &desc, &error)) {
    return Fail(error);
  }
  if (!settings::MergeRecord(target, reinterpret_cast<DEVMODEW*>(source.data()), desc.View())) {
    return Fail("not enough memory to merge the records");
  }
  settings::CheckPaper(target, desc.View());
  if (!WriteFile(o.output, &target, sizeof target, &error)) return Fail(error);
  return 0;
}

int RunCheck(const SettingsOptions& o) {
  SettingsRecord record;
  std::string error;
  if (!ReadRecord(o.file, &record, &error)) return Fail(error);
  const char* failure = settings::FirstPrivateCheckFailure(record.priv);
  if (*failure != 0) {
    std::printf("invalid: %s\n", failure);
    return kExitFailure;
  }
  std::printf("valid\n");
  return 0;
}

int RunCopy(const SettingsOptions& o) {
  std::vector<unsigned char> source;
  std::string error;
  if (!ReadRecordBytes(o.file, &source, &error)) return Fail(error);
  if (o.size != 188 && o.size != 212 && o.size != 220) return Fail("--size takes 188, 212 or 220");
  WORD extra = settings::LoadU16(source.data() + 70);
  std::vector<unsigned char> target(static_cast<std::size_t>(o.size) + extra, 0);
  settings::StoreU16(target.data() + 66, settings::LoadU16(source.data() + 66));
  settings::StoreU16(target.data() + 68, static_cast<std::uint16_t>(o.size));
  settings::StoreU16(target.data() + 70, extra);
  int copied = settings::CopyRecordSized(reinterpret_cast<DEVMODEW*>(source.data()),
                                         reinterpret_cast<DEVMODEW*>(target.data()));
  if (copied < 0) return Fail(o.file + " has a public size the driver cannot copy");
  if (!WriteFile(o.output, target.data(), target.size(), &error)) return Fail(error);
  return 0;
}

int RunGeometry(const SettingsOptions& o) {
  LoadedDescription desc;
  SettingsRecord record;
  std::string error;
  if (!ReadRecord(o.file, &record, &error) || !LoadToolDescription(o.desc, true, &desc, &error)) {
    return Fail(error);
  }
  UserSizeSource users{settings::DeviceInfoFilePath(false), platform::Utf8ToWide(o.printer)};
  settings::GeometryInputs inputs{record.pub.dmPrintQuality, &UserSize, &users};
  settings::PaperGeometry logical, fed;
  if (!settings::ComputePaperGeometry(record, desc.View(), inputs, logical, fed)) {
    return Fail("the description offers no paper size for this record");
  }
  ordered_json json;
  PrintGeometry("logical", logical, o.json ? &json : nullptr);
  PrintGeometry("fed", fed, o.json ? &json : nullptr);
  if (o.json) std::printf("%s\n", json.dump(2).c_str());
  return 0;
}

}  // namespace

CommandRun SetupSettingsCommand(CLI::App& sub) {
  auto o = std::make_shared<SettingsOptions>();
  auto run = std::make_shared<int (*)(const SettingsOptions&)>(nullptr);
  sub.require_subcommand(1);
  auto on = [run](int (*f)(const SettingsOptions&)) { return [run, f] { *run = f; }; };

  CLI::App* defaults = sub.add_subcommand("defaults", "write the default record of a description");
  defaults->add_option("--desc", o->desc, "printer description file")->required();
  defaults->add_option("--name", o->name, "printer name stored in dmDeviceName");
  defaults->add_option("-o,--output", o->output, "record file to write")->required();
  defaults->callback(on(RunDefaults));

  CLI::App* show = sub.add_subcommand("show", "show every member of a record");
  show->add_option("file", o->file, "record file")->required();
  show->add_flag("--json", o->json, "print the members as JSON");
  show->callback(on(RunShow));

  CLI::App* set = sub.add_subcommand("set", "change members of a record by name");
  set->add_option("file", o->file, "record file")->required();
  set->add_option("assignments", o->assignments,
                  "NAME=VALUE: numbers in decimal or 0x hexadecimal, bits as 0/1 or "
                  "true/false, texts as they are, opaque members as hexadecimal bytes")
      ->required();
  set->add_option("-o,--output", o->output, "record file to write")->required();
  set->callback(on(RunSet));

  CLI::App* merge = sub.add_subcommand("merge", "merge a source record into a target record");
  merge->add_option("target", o->file, "record the source is merged into")->required();
  merge->add_option("source", o->source, "record of any public size")->required();
  merge->add_option("--desc", o->desc, "printer description file")->required();
  merge->add_option("-o,--output", o->output, "record file to write")->required();
  merge->callback(on(RunMerge));

  CLI::App* check = sub.add_subcommand("check", "check the private block of a record");
  check->add_option("file", o->file, "record file")->required();
  check->callback(on(RunCheck));

  CLI::App* copy = sub.add_subcommand("copy", "copy a record into another public size");
  copy->add_option("source", o->file, "record file")->required();
  copy->add_option("--size", o->size, "public size of the copy: 188, 212 or 220")->required();
  copy->add_option("-o,--output", o->output, "record file to write")->required();
  copy->callback(on(RunCopy));

  CLI::App* geometry = sub.add_subcommand("geometry", "show the paper geometry of a record");
  geometry->add_option("file", o->file, "record file")->required();
  geometry->add_option("--desc", o->desc, "printer description file")->required();
  geometry->add_option("--printer", o->printer, "printer whose user sizes are used");
  geometry->add_flag("--json", o->json, "print the geometry as JSON");
  geometry->callback(on(RunGeometry));

  return [o, run] { return *run ? (*run)(*o) : kExitUsage; };
}

}  // namespace qx
