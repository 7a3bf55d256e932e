// qx view: render the pages of a print stream to PNG, or list what it holds.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tools/preview/preview.h"
#include "tools/qx/command.h"

namespace qx {

namespace {

// The stream was read to its end but held parts that were not understood,
// or was cut short; the pages were rendered as far as they go.
constexpr int kExitStreamProblems = 3;

struct ViewOptions {
  std::string stream;
  std::string dir = ".";
  double dpi = 100;
  int page = 0;
  bool info = false;
  bool json = false;
};

bool ReadStream(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int ShowInfo(const ViewOptions& o, const std::vector<uint8_t>& bytes) {
  preview::JobInfo info = preview::InterpretStream(bytes);
  std::string text = o.json ? preview::JobInfoToJson(info) + "\n" : preview::FormatJobInfo(info);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return info.problems.empty() && !info.truncated ? 0 : kExitStreamProblems;
}

int Render(const ViewOptions& o, const std::vector<uint8_t>& bytes) {
  preview::PreviewResult result = preview::RenderStreamToPngs(bytes, o.dir, o.dpi, o.page);
  for (const std::string& file : result.files) std::printf("%s\n", file.c_str());
  for (const std::string& note : result.notes) std::fprintf(stderr, "qx: %s\n", note.c_str());
  if (!result.ok()) return Fail("view: " + result.error);
  if (result.info.pages.empty()) std::fprintf(stderr, "qx: view: the stream holds no page\n");
  if (!result.info.problems.empty() || result.info.truncated) {
    std::string first;
    if (!result.info.problems.empty()) {
      const preview::Problem& p = result.info.problems.front();
      first = " (first at @" + std::to_string(p.offset) + ": " + p.text + ")";
    }
    std::fprintf(stderr,
                 "qx: view: %zu part%s of the stream not understood%s%s; see qx view --info\n",
                 result.info.problems.size(), result.info.problems.size() == 1 ? "" : "s",
                 result.info.truncated ? ", the stream is cut short" : "", first.c_str());
    return kExitStreamProblems;
  }
  return 0;
}

}  // namespace

CommandRun SetupViewCommand(CLI::App& sub) {
  auto o = std::make_shared<ViewOptions>();
  sub.footer(
      "Writes DIR/page-001.png, ... one picture per page (PG). Exit status: 0 when the whole "
      "stream was understood, 3 when parts of it were not or it is cut short (the pages are "
      "rendered as far as they go), 1 when a picture cannot be written, 2 for wrong usage.\n");
  sub.add_option("STREAM", o->stream, "the print stream (a file the driver wrote)")->required();
  sub.add_option("-o,--output", o->dir, "folder for the pictures (default: the current folder)");
  sub.add_option("--dpi", o->dpi, "resolution of the pictures (default 100)")
      ->check(CLI::Range(1.0, 2400.0));
  sub.add_option("--page", o->page, "render only this page (from 1)")->check(CLI::PositiveNumber);
  CLI::Option* info =
      sub.add_flag("--info", o->info, "list what the stream holds instead of rendering it");
  sub.add_flag("--json", o->json, "the --info list as JSON")->needs(info);
  return [o] {
    std::vector<uint8_t> bytes;
    if (!ReadStream(o->stream, bytes)) return Fail("view: cannot read " + o->stream);
    return o->info ? ShowInfo(*o, bytes) : Render(*o, bytes);
  };
}

}  // namespace qx
