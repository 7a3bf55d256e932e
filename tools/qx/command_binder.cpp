// qx binder show: what a job-binder file hands the job-binder application: its
// merge header (orientation, paper, source, page count) and what the stream
// behind it holds.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "platform/base/text.h"
#include "settings/paper_tables.h"
#include "tools/preview/preview.h"
#include "tools/qx/command.h"

namespace qx {

namespace {

constexpr std::size_t kMergeHeaderSize = 380;
constexpr char kSignature[] = "MOBRA merge file header";

struct BinderOptions {
  std::string file;
  bool json = false;
};

// The merge header's fields, as the job-binder application reads them.
struct MergeHeaderView {
  bool signatureOk = false;
  std::uint32_t version = 0;
  std::uint32_t orientation = 0;
  std::uint32_t trailerFlag = 0;
  std::int32_t paperCode = 0;
  std::int32_t firstDimension = 0;
  std::int32_t secondDimension = 0;
  std::uint32_t pageCount = 0;
  std::int32_t sourceCode = 0;
  std::uint32_t tail = 0;
};

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

MergeHeaderView ReadMergeHeader(const std::vector<std::uint8_t>& b) {
  MergeHeaderView h;
  h.signatureOk = std::equal(kSignature, kSignature + sizeof kSignature, b.begin());
  h.version = U32(b, 32);
  h.orientation = U32(b, 292);
  h.trailerFlag = U32(b, 296);
  h.paperCode = I32(b, 300);
  h.firstDimension = I32(b, 304);
  h.secondDimension = I32(b, 308);
  h.pageCount = U32(b, 312);
  h.sourceCode = I32(b, 316);
  h.tail = U32(b, 320);
  return h;
}

std::string PaperName(std::int32_t code) {
  if (code == 256) return "custom size";
  const settings::DriverPaper* p = settings::FindDriverPaper(code);
  return p ? platform::WideToUtf8(p->name) : "unknown";
}

// How the stream starts: the PJL part, or the language switch of a job
// without one.
std::string StreamStart(const std::vector<std::uint8_t>& b) {
  std::string head(b.begin() + kMergeHeaderSize, b.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                 b.size(), kMergeHeaderSize + 9)));
  if (head.rfind("\x1B%-12345X", 0) == 0) return "PJL";
  if (head.rfind("\x1B\x12!", 0) == 0) return "language switch";
  return "other";
}

nlohmann::json ToJson(const MergeHeaderView& h, const std::vector<std::uint8_t>& b,
                      const preview::JobInfo& info) {
  nlohmann::json pages = nlohmann::json::array();
  for (const preview::PageInfo& p : info.pages) {
    pages.push_back({{"number", p.number},
                     {"sheetWidthMm", p.sheetWidthMm},
                     {"sheetHeightMm", p.sheetHeightMm}});
  }
  nlohmann::json commands = nlohmann::json::array();
  for (const preview::DeviceCommand& c : info.deviceCommands) {
    commands.push_back({{"page", c.page}, {"text", c.text}, {"meaning", c.meaning}});
  }
  return {{"mergeHeader",
           {{"signatureOk", h.signatureOk},
            {"version", h.version},
            {"orientation", h.orientation},
            {"trailerFlag", h.trailerFlag},
            {"paperCode", h.paperCode},
            {"paperName", PaperName(h.paperCode)},
            {"firstDimension", h.firstDimension},
            {"secondDimension", h.secondDimension},
            {"pageCount", h.pageCount},
            {"sourceCode", h.sourceCode}}},
          {"stream",
           {{"bytes", b.size() - kMergeHeaderSize},
            {"start", StreamStart(b)},
            {"pages", pages},
            {"deviceCommands", commands},
            {"problems", info.problems.size()},
            {"truncated", info.truncated}}}};
}

void PrintText(const MergeHeaderView& h, const std::vector<std::uint8_t>& b,
               const preview::JobInfo& info) {
  std::printf("merge header%s\n", h.signatureOk ? "" : " (signature missing)");
  std::printf("  version       %u\n", h.version);
  std::printf("  orientation   %u (%s)\n", h.orientation,
              (h.orientation & 1) ? "landscape" : "portrait");
  std::printf("  trailer flag  %u\n", h.trailerFlag);
  std::printf("  paper         %d (%s), %d x %d mm\n", h.paperCode, PaperName(h.paperCode).c_str(),
              h.firstDimension, h.secondDimension);
  std::printf("  source        %d\n", h.sourceCode);
  std::printf("  pages         %u\n", h.pageCount);
  std::printf("stream          %zu bytes, starts with the %s\n", b.size() - kMergeHeaderSize,
              StreamStart(b).c_str());
  for (const preview::PageInfo& p : info.pages) {
    std::printf("  page %d        %.0f x %.0f mm\n", p.number, p.sheetWidthMm, p.sheetHeightMm);
  }
  for (const preview::DeviceCommand& c : info.deviceCommands) {
    if (!c.meaning.empty()) std::printf("  %-12s  %s\n", c.text.c_str(), c.meaning.c_str());
  }
  if (!info.problems.empty() || info.truncated) {
    std::printf("  %zu part(s) not understood%s; see qx view --info\n", info.problems.size(),
                info.truncated ? ", cut short" : "");
  }
}

int RunShow(const BinderOptions& o) {
  std::ifstream in(o.file, std::ios::binary);
  if (!in) return Fail("binder: cannot read " + o.file);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (bytes.size() < kMergeHeaderSize) {
    return Fail("binder: " + o.file + " is shorter than a merge header (380 bytes)");
  }
  MergeHeaderView header = ReadMergeHeader(bytes);
  std::span<const std::uint8_t> stream(bytes.data() + kMergeHeaderSize,
                                       bytes.size() - kMergeHeaderSize);
  preview::JobInfo info = preview::InterpretStream(stream);
  if (o.json) {
    std::printf("%s\n", ToJson(header, bytes, info).dump(2).c_str());
  } else {
    PrintText(header, bytes, info);
  }
  return header.signatureOk ? 0 : kExitFailure;
}

}  // namespace

CommandRun SetupBinderCommand(CLI::App& sub) {
  auto o = std::make_shared<BinderOptions>();
  sub.require_subcommand(1);
  CLI::App* show = sub.add_subcommand("show", "show a job-binder file's merge header and stream");
  show->add_option("file", o->file, "job-binder file (.QBX)")->required();
  show->add_flag("--json", o->json, "output for programs");
  return [o, &sub] { return sub.got_subcommand("show") ? RunShow(*o) : kExitUsage; };
}

}  // namespace qx
