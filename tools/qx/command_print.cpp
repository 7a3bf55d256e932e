// qx print: plays documents through the driver as the graphics engine would.
// With --caps it opens a device context on the printer and shows the device
// capability and device information records the driver filled.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/files/paths.h"
#include "platform/platform.h"
#include "platform/spooler/spooler.h"
#include "settings/settings_defaults.h"
#include "settings/settings_record.h"
#include "tools/jobscript/job_player.h"
#include "tools/jobscript/job_script.h"
#include "tools/jobscript/record_assignment.h"
#include "tools/qx/binder_request.h"
#include "tools/qx/command.h"
#include "tools/qx/default_printer.h"
#include "tools/qx/tool_description.h"

namespace qx {

namespace {

using nlohmann::ordered_json;

struct PrintOptions {
  std::string script;
  std::string printer;
  std::string settingsFile;
  std::vector<std::string> assignments;
  std::string output;
  bool caps = false;
  bool json = false;
  // --to-binder: the job goes to the job binder, named `binderName` (empty:
  // after the document).
  bool toBinder = false;
  std::string binderName;
};

ordered_json Chroma(const CIECHROMA& c) { return {{"x", c.x}, {"y", c.y}, {"Y", c.Y}}; }

ordered_json CapabilitiesJson(const GDIINFO& g) {
  const COLORINFO& c = g.ciDevice;
  return {
      {"ulVersion", g.ulVersion},
      {"ulTechnology", g.ulTechnology},
      {"ulHorzSize", static_cast<LONG>(g.ulHorzSize)},
      {"ulVertSize", static_cast<LONG>(g.ulVertSize)},
      {"ulHorzRes", g.ulHorzRes},
      {"ulVertRes", g.ulVertRes},
      {"cBitsPixel", g.cBitsPixel},
      {"cPlanes", g.cPlanes},
      {"ulNumColors", g.ulNumColors},
      {"flRaster", g.flRaster},
      {"ulLogPixelsX", g.ulLogPixelsX},
      {"ulLogPixelsY", g.ulLogPixelsY},
      {"flTextCaps", g.flTextCaps},
      {"ulAspectX", g.ulAspectX},
      {"ulAspectY", g.ulAspectY},
      {"ulAspectXY", g.ulAspectXY},
      {"xStyleStep", g.xStyleStep},
      {"yStyleStep", g.yStyleStep},
      {"denStyleStep", g.denStyleStep},
      {"ptlPhysOffset", {{"x", g.ptlPhysOffset.x}, {"y", g.ptlPhysOffset.y}}},
      {"szlPhysSize", {{"cx", g.szlPhysSize.cx}, {"cy", g.szlPhysSize.cy}}},
      {"ulNumPalReg", g.ulNumPalReg},
      {"ciDevice",
       {{"Red", Chroma(c.Red)},
        {"Green", Chroma(c.Green)},
        {"Blue", Chroma(c.Blue)},
        {"Cyan", Chroma(c.Cyan)},
        {"Magenta", Chroma(c.Magenta)},
        {"Yellow", Chroma(c.Yellow)},
        {"AlignmentWhite", Chroma(c.AlignmentWhite)},
        {"RedGamma", c.RedGamma},
        {"GreenGamma", c.GreenGamma},
        {"BlueGamma", c.BlueGamma},
        {"MagentaInCyanDye", c.MagentaInCyanDye},
        {"YellowInCyanDye", c.YellowInCyanDye},
        {"CyanInMagentaDye", c.CyanInMagentaDye},
        {"YellowInMagentaDye", c.YellowInMagentaDye},
        {"CyanInYellowDye", c.CyanInYellowDye},
        {"MagentaInYellowDye", c.MagentaInYellowDye}}},
      {"ulDevicePelsDPI", g.ulDevicePelsDPI},
      {"ulPrimaryOrder", g.ulPrimaryOrder},
      {"ulHTPatternSize", g.ulHTPatternSize},
      {"ulHTOutputFormat", g.ulHTOutputFormat},
      {"flHTFlags", g.flHTFlags},
  };
}

ordered_json FontJson(const LOGFONTW& f) {
  return {{"lfHeight", f.lfHeight},
          {"lfWeight", f.lfWeight},
          {"lfCharSet", f.lfCharSet},
          {"lfPitchAndFamily", f.lfPitchAndFamily},
          {"lfFaceName", platform::WideToUtf8(platform::WideView(f.lfFaceName, LF_FACESIZE))}};
}

ordered_json DeviceInfoJson(const DEVINFO& d) {
  return {{"flGraphicsCaps", d.flGraphicsCaps},
          {"lfDefaultFont", FontJson(d.lfDefaultFont)},
          {"lfAnsiVarFont", FontJson(d.lfAnsiVarFont)},
          {"lfAnsiFixFont", FontJson(d.lfAnsiFixFont)},
          {"cFonts", d.cFonts},
          {"iDitherFormat", d.iDitherFormat},
          {"cxDither", d.cxDither},
          {"cyDither", d.cyDither},
          {"hpalDefault", d.hpalDefault != nullptr}};
}

// Prints a JSON object as "name value" lines, nested members joined by dots.
void PrintFlat(const std::string& prefix, const ordered_json& j) {
  for (auto it = j.begin(); it != j.end(); ++it) {
    std::string name = prefix.empty() ? it.key() : prefix + "." + it.key();
    if (it->is_object()) {
      PrintFlat(name, *it);
    } else {
      std::string value = it->is_string() ? it->get<std::string>() : it->dump();
      std::printf("%-34s %s\n", name.c_str(), value.c_str());
    }
  }
}

bool ReadSettings(const std::string& file, std::vector<unsigned char>* bytes, std::string* error) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) {
    *error = "cannot read " + file;
    return false;
  }
  unsigned char buffer[65536];
  std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  bytes->assign(buffer, buffer + n);
  if (n < 72 || static_cast<std::size_t>(bytes->at(68) | (bytes->at(69) << 8)) +
                        static_cast<std::size_t>(bytes->at(70) | (bytes->at(71) << 8)) !=
                    n) {
    *error = file + " is not a settings record";
    return false;
  }
  return true;
}

int RunCaps(const PrintOptions& o) {
  std::u16string printer;
  std::string error;
  if (!ResolvePrinter(o.printer, &printer, &error)) return Fail(error);
  std::vector<unsigned char> settings;
  if (!o.settingsFile.empty() && !ReadSettings(o.settingsFile, &settings, &error)) {
    return Fail(error);
  }
  auto* record = settings.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(settings.data());
  auto dc = platform::engine::DeviceContext::Open(printer, record);
  if (dc == nullptr) {
    return Fail("the driver cannot open a device context on " + platform::WideToUtf8(printer) +
                " (error " + std::to_string(GetLastError()) + ")");
  }
  ordered_json out = {{"printer", platform::WideToUtf8(printer)},
                      {"GDIINFO", CapabilitiesJson(dc->Capabilities())},
                      {"DEVINFO", DeviceInfoJson(dc->DeviceInfo())}};
  if (o.json) {
    std::printf("%s\n", out.dump(2).c_str());
  } else {
    PrintFlat("", out);
  }
  return 0;
}

// The record a job starts from: the printer's stored default record when it is
// a whole record of the driver, else the defaults of its description.
bool PrinterSettings(const std::u16string& printer, std::vector<unsigned char>* record,
                     std::string* error) {
  std::optional<platform::PrinterRecord> p = platform::FindPrinter(printer);
  if (!p) {
    *error = "no printer named " + platform::WideToUtf8(printer);
    return false;
  }
  if (p->devMode.size() == settings::kRecordSize && p->devMode[68] == 220 && p->devMode[69] == 0) {
    *record = p->devMode;
    return true;
  }
  LoadedDescription desc;
  if (!LoadToolDescription(platform::NativePath(p->driver.dataFile), true, &desc, error)) {
    return false;
  }
  auto defaults = std::make_unique<settings::SettingsRecord>();
  settings::SetDefaults(*defaults, printer.c_str(), desc.View());
  const auto* bytes = reinterpret_cast<const unsigned char*>(defaults.get());
  record->assign(bytes, bytes + settings::kRecordSize);
  return true;
}

bool ReadScript(const std::string& file, std::string* text) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// What the player tells the user: escape results on the standard output (on the
// standard error when the job itself goes there), refused calls on the standard
// error, the first few of them by line and then how many there were.
struct JobNotes {
  std::string file;
  bool toStdout = true;
  int refused = 0;
  bool progressShown = false;
  static constexpr int kRefusedShown = 10;

  void Note(const jobscript::Origin& origin, const std::string& text) {
    EndProgress();
    std::string where = file + ":" + std::to_string(origin.line) + ": ";
    if (text.rfind("escape ", 0) == 0) {
      std::fprintf(toStdout ? stdout : stderr, "%s%s\n", where.c_str(), text.c_str());
      return;
    }
    if (++refused <= kRefusedShown) std::fprintf(stderr, "qx: %s%s\n", where.c_str(), text.c_str());
  }
  void Progress(int page, int pages) {
    std::fprintf(stderr, "\rqx: page %d of %d", page, pages);
    progressShown = true;
  }
  void EndProgress() {
    if (progressShown) std::fprintf(stderr, "\n");
    progressShown = false;
  }
};

int RunPrint(const PrintOptions& o) {
  if (o.script.empty()) return Fail("print: give a job script (or --caps)");
  std::string text;
  if (!ReadScript(o.script, &text)) return Fail("print: cannot read " + o.script);
  jobscript::Job job;
  jobscript::ScriptError scriptError;
  // The whole script is checked before anything is opened or sent.
  if (!jobscript::ReadJobScript(text, &job, &scriptError)) {
    return Fail(jobscript::FormatScriptError(o.script, scriptError));
  }
  std::u16string printer;
  std::string error;
  if (!ResolvePrinter(o.printer.empty() ? job.printer : o.printer, &printer, &error)) {
    return Fail(error);
  }
  jobscript::PlayOptions play;
  play.printer = printer;
  if (!PrinterSettings(printer, &play.settings, &error)) return Fail(error);
  if (o.toBinder) {
    std::string folder;
    if (!RequestBinderJob(printer, o.binderName, &folder, &error)) return Fail("print: " + error);
    std::fprintf(stderr, "qx: print: the job goes to the job binder folder %s\n", folder.c_str());
  }
  for (const jobscript::Assignment& a : job.settings) {
    if (!jobscript::AssignRecordMember(play.settings.data(), a.text, &error)) {
      return Fail(o.script + ":" + std::to_string(a.origin.line) + ": " + error);
    }
  }
  for (const std::string& a : o.assignments) {
    if (!jobscript::AssignRecordMember(play.settings.data(), a, &error)) {
      return Fail("--set " + a + ": " + error);
    }
  }
  play.changed = !job.settings.empty() || !o.assignments.empty();
  if (o.output == "-") {
    play.outputFile = "/dev/stdout";
  } else if (!o.output.empty()) {
    play.outputFile = std::filesystem::absolute(o.output).lexically_normal().string();
  }
  JobNotes notes{o.script, o.output != "-"};
  play.note = [&notes](const jobscript::Origin& origin, const std::string& line) {
    notes.Note(origin, line);
  };
  if (isatty(STDERR_FILENO) && job.pages > 1) {
    play.progress = [&notes](int page, int pages) { notes.Progress(page, pages); };
  }
  // A reader that goes away is a port failure to report, not a reason to die.
  std::signal(SIGPIPE, SIG_IGN);
  jobscript::PlayResult result = jobscript::PlayJob(job, play);
  notes.EndProgress();
  if (notes.refused > JobNotes::kRefusedShown) {
    std::fprintf(stderr, "qx: %s: %d calls refused in all\n", o.script.c_str(), notes.refused);
  }
  if (!result.reached) {
    std::string where =
        o.script +
        (result.failedAt.line > 0 ? ":" + std::to_string(result.failedAt.line) : std::string());
    return Fail(where + ": " + result.error);
  }
  return 0;
}

}  // namespace

CommandRun SetupPrintCommand(CLI::App& sub) {
  auto o = std::make_shared<PrintOptions>();
  sub.footer(
      "Plays a job script (docs/job-script.md) into the driver and sends the job to the "
      "printer's port, or to FILE with -o (-o - for the standard output). Exit status: 0 when "
      "the job reached its destination, 1 when it did not or the script is malformed (nothing "
      "is sent then), 2 for wrong usage.\n");
  sub.add_option("script", o->script, "job script to print");
  sub.add_option("--printer", o->printer,
                 "printer (default: the bundled " + std::string(kDefaultPrinter) + ")");
  sub.add_option("--settings", o->settingsFile,
                 "with --caps: settings record file (see qx settings)");
  sub.add_option("--set", o->assignments,
                 "NAME=VALUE: change a member of the settings record, as qx settings set does "
                 "(after the script's own set lines)");
  sub.add_option("-o,--output", o->output,
                 "write the job to FILE instead of the printer's port "
                 "(- for the standard output)");
  sub.add_flag("--caps", o->caps,
               "show the device capability and information records the driver reports");
  sub.add_flag("--json", o->json, "with --caps: print the records as JSON");
  CLI::Option* binder =
      sub.add_option("--to-binder", o->binderName,
                     "save the job as a job-binder file (.QBX) instead of printing it, named "
                     "NAME (--to-binder=NAME; without a name, after the document), on printers "
                     "with the job binder")
          ->expected(0, 1);
  return [o, binder] {
    o->toBinder = binder->count() > 0;
    if (o->caps) return RunCaps(*o);
    return RunPrint(*o);
  };
}

}  // namespace qx
