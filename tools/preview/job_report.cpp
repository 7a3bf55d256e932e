// The report of `qx view --info`, as text for people and JSON for programs.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "tools/preview/preview.h"

namespace preview {

namespace {

std::string Format(const char* format, double a, double b, double c, double d) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

std::string At(size_t offset) { return "@" + std::to_string(offset); }

void AppendPage(std::string& out, const PageInfo& page) {
  out += "page " + std::to_string(page.number) + " (from " + At(page.offset) + "): sheet " +
         Format("%.1f x %.1f mm", page.sheetWidthMm, page.sheetHeightMm, 0, 0) + ", rotation " +
         std::to_string(page.rotation) + (page.turned ? " (the device turns the page)" : "") +
         (page.plotSizeGiven ? "" : " (no plot size: A0 assumed)") + ", " +
         std::to_string(page.marks) + " marks\n";
  out += "  commands:";
  bool first = true;
  for (const auto& [name, count] : page.commands) {
    out += (first ? " " : ", ") + name + " " + std::to_string(count);
    first = false;
  }
  out += "\n";
  if (page.hasExtent) {
    out += "  extent: " +
           Format("%.1f .. %.1f mm across, %.1f .. %.1f mm down", page.extentLeftMm,
                  page.extentRightMm, page.extentTopMm, page.extentBottomMm) +
           "\n";
  } else {
    out += "  extent: nothing plotted\n";
  }
  for (const RasterInfo& r : page.rasters) {
    out += "  raster " + At(r.offset) + ": " + std::to_string(r.width) + " x " +
           std::to_string(r.height) + " pixels, " + std::to_string(r.bits) + " bit" +
           (r.bits == 1 ? "" : "s") + ", method " + r.methods + (r.scaled ? ", scaled" : "") +
           ", at " + Format("%.1f, %.1f mm, %.1f x %.1f mm", r.xMm, r.yMm, r.widthMm, r.heightMm) +
           "\n";
  }
}

}  // namespace

std::string FormatJobInfo(const JobInfo& info) {
  std::string out =
      "stream: " + std::to_string(info.bytes) + " bytes, " + std::to_string(info.pages.size()) +
      " page" + (info.pages.size() == 1 ? "" : "s") + (info.truncated ? ", cut short" : "") + "\n";
  if (!info.spoolBlocks.empty()) {
    out += "spool blocks:\n";
    for (const SpoolBlock& b : info.spoolBlocks) {
      out += "  " + At(b.offset) + " " + b.kind + " (" + std::to_string(b.size) + " bytes)\n";
    }
  }
  if (!info.pjl.empty()) {
    out += "PJL:\n";
    for (const PjlLine& line : info.pjl) {
      out += "  " + At(line.offset) + " " + line.text;
      if (!line.key.empty()) out += "  [" + line.key + " = " + line.value + "]";
      out += "\n";
    }
  }
  if (!info.deviceCommands.empty()) {
    out += "device commands:\n";
    for (const DeviceCommand& c : info.deviceCommands) {
      out += "  " + At(c.offset) + " " + c.form + " " + c.text + "  (" +
             (c.meaning.empty() ? std::string("not known to the previewer") : c.meaning) + ")\n";
    }
  }
  for (const PageInfo& page : info.pages) AppendPage(out, page);
  if (!info.problems.empty()) {
    out += "not understood:\n";
    for (const Problem& p : info.problems) {
      out += "  " + At(p.offset) + " (page " + std::to_string(p.page) + ") " + p.text + "\n";
    }
  }
  return out;
}

std::string JobInfoToJson(const JobInfo& info) {
  using nlohmann::json;
  json out;
  out["bytes"] = info.bytes;
  out["truncated"] = info.truncated;
  out["spoolBlocks"] = json::array();
  for (const SpoolBlock& b : info.spoolBlocks) {
    out["spoolBlocks"].push_back({{"offset", b.offset}, {"size", b.size}, {"kind", b.kind}});
  }
  out["pjl"] = json::array();
  for (const PjlLine& l : info.pjl) {
    out["pjl"].push_back({{"offset", l.offset},
                          {"text", l.text},
                          {"command", l.command},
                          {"key", l.key},
                          {"value", l.value}});
  }
  out["deviceCommands"] = json::array();
  for (const DeviceCommand& c : info.deviceCommands) {
    out["deviceCommands"].push_back({{"offset", c.offset},
                                     {"page", c.page},
                                     {"form", c.form},
                                     {"text", c.text},
                                     {"meaning", c.meaning}});
  }
  out["pages"] = json::array();
  for (const PageInfo& p : info.pages) {
    json page = {{"number", p.number},
                 {"offset", p.offset},
                 {"sheetWidthMm", p.sheetWidthMm},
                 {"sheetHeightMm", p.sheetHeightMm},
                 {"rotation", p.rotation},
                 {"turned", p.turned},
                 {"plotSizeGiven", p.plotSizeGiven},
                 {"marks", p.marks},
                 {"commands", p.commands},
                 {"rasters", json::array()}};
    if (p.hasExtent) {
      page["extent"] = {{"leftMm", p.extentLeftMm},
                        {"topMm", p.extentTopMm},
                        {"rightMm", p.extentRightMm},
                        {"bottomMm", p.extentBottomMm}};
    }
    for (const RasterInfo& r : p.rasters) {
      page["rasters"].push_back({{"offset", r.offset},
                                 {"width", r.width},
                                 {"height", r.height},
                                 {"bits", r.bits},
                                 {"methods", r.methods},
                                 {"scaled", r.scaled},
                                 {"xMm", r.xMm},
                                 {"yMm", r.yMm},
                                 {"widthMm", r.widthMm},
                                 {"heightMm", r.heightMm}});
    }
    out["pages"].push_back(std::move(page));
  }
  out["problems"] = json::array();
  for (const Problem& p : info.problems) {
    out["problems"].push_back({{"offset", p.offset}, {"page", p.page}, {"text", p.text}});
  }
  return out.dump(2, ' ', false, json::error_handler_t::replace);
}

}  // namespace preview
