// The print stream previewer: reads a stream of this printer (PJL job
// header, device commands, KX-GL/2, RTL raster) and renders its pages.
// `qx view` and `qx print --preview` use it.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/preview/display_list.h"
#include "tools/preview/job_info.h"

namespace preview {

// Limits that keep a corrupt stream from taking the machine's memory.
struct InterpretOptions {
  size_t maxRasterBytesPerPage = size_t{256} << 20;
  size_t maxPointsPerPage = 20'000'000;
};

// Receives each page as soon as it is complete (at "PG" or at the end of
// the stream), with its summary.
using PageSink = std::function<void(Page&& page, const PageInfo& info)>;

// Reads the whole stream; never stops at what it does not understand (that
// goes into the result's problems).
JobInfo InterpretStream(std::span<const uint8_t> bytes, const InterpretOptions& options = {},
                        const PageSink& sink = {});

struct RenderOptions {
  double dpi = 100;
  // A page picture never has more pixels than this (400 MB of RGB); larger
  // pages are rendered at a lower resolution.
  uint64_t maxPixels = 100'000'000;
};

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct PageImage {
  Surface surface;  // RGB24
  int width = 0;
  int height = 0;
  double dpi = 0;    // the resolution used, lower than asked when limited
  std::string note;  // why the resolution was lowered, when it was
};

// Renders one page; nothing when the picture cannot be made.
std::optional<PageImage> RenderPage(const Page& page, const RenderOptions& options);

// Writes the picture as PNG; false with a reason when it cannot.
bool WritePng(const PageImage& image, const std::string& path, std::string* error);

struct PreviewResult {
  JobInfo info;
  std::vector<std::string> files;  // the pictures written, in page order
  std::vector<std::string> notes;  // pages rendered at a lower resolution, ...
  std::string error;               // a failure to write, empty when none
  bool ok() const { return error.empty(); }
  // 0 when everything was read and written, 3 when the stream had parts the
  // reader did not understand or was cut short, 1 when a picture could not
  // be written.
  int ExitStatus() const;
};

// Renders the pages of a stream to DIR/page-001.png, ... (one per page; only
// page `onlyPage` when it is not 0). `qx print --preview DIR` calls this with
// the job it has just printed.
PreviewResult RenderStreamToPngs(std::span<const uint8_t> bytes, const std::string& dir,
                                 double dpi = 100, int onlyPage = 0);

// The name of a page's picture: "page-001.png".
std::string PagePictureName(int page);

// `qx view --info`: the report as text, and as JSON.
std::string FormatJobInfo(const JobInfo& info);
std::string JobInfoToJson(const JobInfo& info);

}  // namespace preview
