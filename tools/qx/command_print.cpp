// qx print: plays documents through the driver as the graphics engine would.
// With --caps it opens a device context on the printer and shows the device
// capability and device information records the driver filled.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/platform.h"
#include "tools/qx/command.h"
#include "tools/qx/default_printer.h"

namespace qx {

namespace {

using nlohmann::ordered_json;

struct PrintOptions {
  std::string script;
  std::string printer;
  std::string settingsFile;
  bool caps = false;
  bool json = false;
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

}  // namespace

CommandRun SetupPrintCommand(CLI::App& sub) {
  auto o = std::make_shared<PrintOptions>();
  sub.add_option("script", o->script, "job script to print");
  sub.add_option("--printer", o->printer,
                 "printer (default: the bundled " + std::string(kDefaultPrinter) + ")");
  sub.add_option("--settings", o->settingsFile, "settings record file (see qx settings)");
  sub.add_flag("--caps", o->caps,
               "show the device capability and information records the driver reports");
  sub.add_flag("--json", o->json, "with --caps: print the records as JSON");
  return [o] {
    if (o->caps) return RunCaps(*o);
    return Fail("print: give --caps; printing job scripts is not built yet");
  };
}

}  // namespace qx
