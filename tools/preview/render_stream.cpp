// A stream to page pictures in a folder: what `qx view` and
// `qx print --preview` do. Pages are rendered one by one as the reader
// finishes them, so only one page's marks are held at a time.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/preview/preview.h"

namespace preview {

std::string PagePictureName(int page) {
  char name[32];
  std::snprintf(name, sizeof name, "page-%03d.png", page);
  return name;
}

int PreviewResult::ExitStatus() const {
  if (!ok()) return 1;
  return info.problems.empty() && !info.truncated ? 0 : 3;
}

PreviewResult RenderStreamToPngs(std::span<const uint8_t> bytes, const std::string& dir, double dpi,
                                 int onlyPage) {
  PreviewResult result;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    result.error = dir + ": " + ec.message();
    return result;
  }
  RenderOptions options;
  options.dpi = dpi;
  auto render = [&](Page&& page, const PageInfo&) {
    if (!result.error.empty() || (onlyPage != 0 && page.number != onlyPage)) return;
    std::string path = (std::filesystem::path(dir) / PagePictureName(page.number)).string();
    std::optional<PageImage> image = RenderPage(page, options);
    if (!image) {
      result.error = "page " + std::to_string(page.number) + ": the picture could not be made";
      return;
    }
    if (!image->note.empty()) result.notes.push_back(image->note);
    std::string error;
    if (!WritePng(*image, path, &error)) {
      result.error = error;
      return;
    }
    result.files.push_back(path);
  };
  result.info = InterpretStream(bytes, InterpretOptions{}, render);
  if (result.ok() && onlyPage != 0 && result.files.empty()) {
    result.error = "the stream has no page " + std::to_string(onlyPage);
  }
  return result;
}

}  // namespace preview
