// Collecting marks into pages, and the summaries `--info` lists.
#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/preview/interpreter.h"
#include "tools/preview/mark_bounds.h"
#include "tools/preview/page_view.h"
#include "tools/preview/raster_ops.h"

namespace preview {

namespace {

// A stream with more problems than this is not worth listing one by one.
constexpr size_t kMaxProblems = 1000;

// The lists of a report stop here, and so do the pages handed on: a corrupt
// stream of a few bytes per entry must not fill the memory with them.
constexpr size_t kMaxListed = 10000;

// Resolutions a device dot can have; the page set-up's user unit is a dot.
constexpr double kDeviceResolutions[] = {72,  96,  100, 120, 144, 150, 180,  200,  240,
                                         300, 360, 400, 600, 720, 800, 1200, 1440, 2400};

// clang-format off
// The palette after IN: white, black, red, green, yellow, blue, magenta, cyan.
constexpr Rgb kDefaultPens[8] = {
    {255, 255, 255}, {0, 0, 0},     {255, 0, 0},   {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},   {255, 0, 255}, {0, 255, 255},
};
// clang-format on

void Grow(std::optional<Rect>& box, const Rect& r) {
  if (!box) {
    box = r;
    return;
  }
  box->x0 = std::min(box->x0, r.x0);
  box->y0 = std::min(box->y0, r.y0);
  box->x1 = std::max(box->x1, r.x1);
  box->y1 = std::max(box->y1, r.y1);
}

}  // namespace

Palette DefaultPalette(int size) {
  Palette p;
  for (size_t i = 0; i < p.entries.size(); ++i) p.entries[i] = i < 8 ? kDefaultPens[i] : kBlack;
  p.size = std::clamp(size, 2, 256);
  return p;
}

Interpreter::Interpreter(JobInfo& jobInfo, const InterpretOptions& interpretOptions,
                         const PageSink& sink)
    : info(jobInfo), options(interpretOptions), palette(DefaultPalette(8)), sink_(sink) {
  ResetGraphics();
}

void Interpreter::Report(size_t offset, std::string text) {
  if (info.problems.size() < kMaxProblems) {
    info.problems.push_back({offset, pageNumber_, std::move(text)});
  } else if (info.problems.size() == kMaxProblems) {
    info.problems.push_back({offset, pageNumber_, "further problems are not listed"});
  }
}

void Interpreter::ReportTruncated(size_t offset, std::string text) {
  info.truncated = true;
  Report(offset, std::move(text));
}

void Interpreter::Count(const std::string& command, size_t offset) {
  StartPageIfNeeded(offset);
  ++pageInfo_.commands[command];
}

void Interpreter::AddDeviceCommand(size_t offset, std::string form, std::string text,
                                   std::string meaning) {
  if (info.deviceCommands.size() < kMaxListed) {
    info.deviceCommands.push_back(
        {offset, pageNumber_, std::move(form), std::move(text), std::move(meaning)});
  } else if (info.deviceCommands.size() == kMaxListed) {
    Report(offset, "further device commands are not listed");
    info.deviceCommands.push_back({offset, pageNumber_, "", "", "further ones not listed"});
  }
}

void Interpreter::AddPjlLine(PjlLine line) {
  if (info.pjl.size() < kMaxListed) {
    info.pjl.push_back(std::move(line));
  } else if (info.pjl.size() == kMaxListed) {
    Report(line.offset, "further PJL lines are not listed");
    info.pjl.push_back({line.offset, "further lines not listed", "", "", ""});
  }
}

void Interpreter::AddSpoolBlock(SpoolBlock block) {
  if (info.spoolBlocks.size() < kMaxListed) info.spoolBlocks.push_back(std::move(block));
}

void Interpreter::StartPageIfNeeded(size_t offset) {
  if (pageStarted_) return;
  pageStarted_ = true;
  pageInfo_ = PageInfo{};
  pageInfo_.number = pageNumber_;
  pageInfo_.offset = offset;
}

bool Interpreter::PointBudget(size_t points, size_t offset) {
  if (points_ + points <= options.maxPointsPerPage) {
    points_ += points;
    return true;
  }
  if (!pointsReported_) {
    Report(offset, "the page holds more points than the previewer keeps; the rest is not drawn");
    pointsReported_ = true;
  }
  return false;
}

bool Interpreter::RasterBudget(size_t bytes, size_t offset) {
  if (rasterBytes_ + bytes <= options.maxRasterBytesPerPage) {
    rasterBytes_ += bytes;
    return true;
  }
  if (!rasterReported_) {
    Report(offset,
           "the page's raster images need more memory than the previewer gives them; "
           "the rest of them is not drawn");
    rasterReported_ = true;
  }
  return false;
}

void Interpreter::AddMark(Mark mark) {
  StartPageIfNeeded(0);
  if (!pageSheet_) pageSheet_ = CurrentSheet(&pageTurned_);
  if (std::optional<Rect> box = MarkBounds(mark)) Grow(extent_, *box);
  // Strokes that look alike and paint over the page are drawn as one: fewer
  // operations for the renderer, and the same pixels.
  if (!page_.marks.empty() && VectorRopEffect(mark.merge.rop) == RopEffect::kPaint &&
      SameLook(page_.marks.back(), mark)) {
    auto& into = std::get<StrokeMark>(page_.marks.back().shape).subpaths;
    auto& from = std::get<StrokeMark>(mark.shape).subpaths;
    into.insert(into.end(), std::make_move_iterator(from.begin()),
                std::make_move_iterator(from.end()));
    return;
  }
  page_.marks.push_back(std::move(mark));
}

void Interpreter::AddRasterInfo(RasterInfo raster) {
  if (page_.marks.empty() || !std::holds_alternative<RasterMark>(page_.marks.back().shape)) return;
  rasterMarks_.push_back(page_.marks.size() - 1);
  pageInfo_.rasters.push_back(std::move(raster));
}

double Interpreter::DeviceDot() const {
  if (gl.frame.scaling()) {
    double unit = gl.frame.UserLengthToPlotter(1);
    if (unit > 0) {
      double dpi = 1016 / unit;
      for (double r : kDeviceResolutions) {
        if (std::fabs(dpi - r) <= r * 0.01) return unit;
      }
    }
  }
  if (rtl.resolutionGiven && rtl.resolution > 0) return 1016 / rtl.resolution;
  return 0;
}

std::optional<Rect> Interpreter::CurrentClip() const {
  std::optional<Rect> window = gl.frame.PhysicalWindow();
  if (!window) return std::nullopt;
  double half = DeviceDot() / 2;
  return Rect{window->x0 - half, window->y0 - half, window->x1 + half, window->y1 + half};
}

// The sheet of the page as its set-up describes it. Two set-ups are of a
// device that turns the page itself: a user frame turned half round is
// shown turned back, and scaling points beyond the plot size but within it
// turned a quarter make the sheet the area they span.
Sheet Interpreter::CurrentSheet(bool* turned) const {
  const PlotFrame& frame = gl.frame;
  Sheet sheet;
  sheet.length = frame.length();
  sheet.width = frame.width();
  sheet.rotation = frame.rotation();
  sheet.deviceDot = DeviceDot();
  *turned = false;
  if (frame.UserFrameTurnedHalf()) {
    sheet.rotation = (sheet.rotation + 180) % 360;
    *turned = true;
  }
  if (frame.rotation() == 0) {
    double x = std::max(frame.p1().x, frame.p2().x);
    double y = std::max(frame.p1().y, frame.p2().y);
    bool beyond = x > sheet.length + 1 || y > sheet.width + 1;
    bool fitsTurned = x <= sheet.width + 1 && y <= sheet.length + 1;
    if (beyond && fitsTurned && x > 0 && y > 0) {
      sheet.length = x;
      sheet.width = y;
      *turned = true;
    }
  }
  return sheet;
}

void Interpreter::EndPage(size_t offset) {
  FlushStroke();
  EndRaster(offset);
  StartPageIfNeeded(offset);
  page_.number = pageNumber_;
  bool turned = false;
  page_.sheet = pageSheet_ ? *pageSheet_ : CurrentSheet(&turned);
  pageInfo_.turned = pageSheet_ ? pageTurned_ : turned;
  PageView view = MakePageView(page_.sheet);
  pageInfo_.sheetWidthMm = view.width / 40;
  pageInfo_.sheetHeightMm = view.height / 40;
  pageInfo_.rotation = page_.sheet.rotation;
  pageInfo_.plotSizeGiven = gl.frame.plotSizeGiven();
  pageInfo_.marks = page_.marks.size();
  if (extent_) {
    Rect r = view.ToPicture(*extent_);
    pageInfo_.hasExtent = true;
    pageInfo_.extentLeftMm = r.x0 / 40;
    pageInfo_.extentTopMm = r.y0 / 40;
    pageInfo_.extentRightMm = r.x1 / 40;
    pageInfo_.extentBottomMm = r.y1 / 40;
  }
  for (size_t i = 0; i < pageInfo_.rasters.size() && i < rasterMarks_.size(); ++i) {
    const RasterMark& m = std::get<RasterMark>(page_.marks[rasterMarks_[i]].shape);
    Point far{m.origin.x + m.pixelStep.x * m.width + m.rowStep.x * m.height,
              m.origin.y + m.pixelStep.y * m.width + m.rowStep.y * m.height};
    Rect r = view.ToPicture(Rect{m.origin.x, m.origin.y, far.x, far.y});
    RasterInfo& raster = pageInfo_.rasters[i];
    raster.xMm = r.x0 / 40;
    raster.yMm = r.y0 / 40;
    raster.widthMm = (r.x1 - r.x0) / 40;
    raster.heightMm = (r.y1 - r.y0) / 40;
  }
  if (info.pages.size() < kMaxListed) {
    info.pages.push_back(pageInfo_);
    if (sink_) sink_(std::move(page_), info.pages.back());
  } else if (info.pages.size() == kMaxListed && !pagesReported_) {
    Report(offset, "the stream holds more pages than the previewer renders; the rest is read only");
    pagesReported_ = true;
  }
  page_ = Page{};
  pageInfo_ = PageInfo{};
  pageStarted_ = false;
  pageSheet_.reset();
  pageTurned_ = false;
  extent_.reset();
  rasterMarks_.clear();
  points_ = 0;
  rasterBytes_ = 0;
  pointsReported_ = false;
  rasterReported_ = false;
  ++pageNumber_;
}

void Interpreter::Finish(size_t offset) {
  FlushStroke();
  EndRaster(offset);
  if (!page_.marks.empty()) {
    ReportTruncated(offset, "the stream ends inside a page (no PG after its last drawing)");
    EndPage(offset);
  }
}

}  // namespace preview
