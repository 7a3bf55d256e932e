// The state of one stream read: the KX-GL/2 graphics state, the RTL raster
// state, the palette they share, and the page being collected. The command
// readers (gl_*.cpp, rtl_raster.cpp) and the stream demultiplexer
// (stream_reader.cpp) work on it; the page builder (page_builder.cpp) turns
// finished marks into pages and page summaries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/preview/display_list.h"
#include "tools/preview/job_info.h"
#include "tools/preview/plot_frame.h"
#include "tools/preview/preview.h"

namespace preview {

// The palette that pens and indexed raster images share. Pen n and raster
// index n are the same entry; RTL palette commands create, push and pop it.
struct Palette {
  std::array<Rgb, 256> entries;
  int size = 8;
  int bitsPerIndex = 0;  // set by a raster configuration; 0: the pen palette
  bool direct = false;   // raster pixels carry their own colour
};

Palette DefaultPalette(int size);

// Whether two marks are strokes of the same colour, style, merge and clip.
bool SameLook(const Mark& a, const Mark& b);

struct LineTypeState {
  bool solid = true;
  int type = 0;
  double length = 4;  // percent of the P1-P2 diagonal, or millimetres
  bool absolute = false;
};

struct FillTypeState {
  int type = 1;
  double spacing = 0;
  double angle = 0;
  int pattern = 0;
  double level = 100;
};

struct RasterFill {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pens;
};

struct LabelState {
  bool sized = false;
  double width = 0;       // centimetres
  double height = 0;      // centimetres
  Point direction{1, 0};  // plotter frame
  double slant = 0;
  int origin = 1;
  double extraWidth = 0;
  double extraHeight = 0;
  uint8_t terminator = 3;
  bool terminatorPrinted = false;
  bool twoByte = false;
  bool alternate = false;
  int standardSet = 277;
  int alternateSet = 277;
  double pitch = 0;      // from SD/AD kind 3, 0 when not given
  double points = 0;     // from SD/AD kind 4
  Point carriageReturn;  // physical
};

struct GlState {
  PlotFrame frame;
  Point pen;  // physical
  bool penDown = false;
  bool relative = false;
  int selectedPen = 1;
  std::array<double, 256> penWidth;  // millimetres
  bool relativeWidths = false;       // WU1: widths in percent of the P1-P2 diagonal
  LineTypeState lineType;
  std::map<int, std::vector<double>> userLineTypes;
  LineCap cap = LineCap::kButt;
  LineJoin join = LineJoin::kMiter;
  double miterLimit = 5;
  FillTypeState fillType;
  std::map<int, RasterFill> rasterFills;
  std::optional<Point> anchor;  // physical; the plotter frame's origin when not set
  std::array<double, 6> colourRange{0, 255, 0, 255, 0, 255};

  // Polygon mode: the buffer being filled, and the pen before PM0.
  bool polygonMode = false;
  std::vector<Subpath> polygon;
  bool subpolygonOpen = false;
  Point polygonPen;
  bool polygonPenDown = false;
  std::vector<Subpath> polygonBuffer;  // kept after PM2 for FP and EP

  LabelState label;

  // The stroke being drawn: connected segments with one set of attributes.
  std::optional<StrokeMark> stroke;
  bool strokeSubpathOpen = false;
  size_t strokeOffset = 0;
};

struct ActiveRaster {
  size_t offset = 0;
  RasterMark mark;
  Merge merge;
  std::optional<Rect> clip;
  std::vector<uint8_t> seed;
  size_t rowBytes = 0;  // 0 until the width is known
  bool scaled = false;
  bool full = false;  // rows are being dropped (image height or memory)
  std::set<int> methods;
};

struct RtlState {
  Point cap;  // current active position, physical
  double resolution = 300;
  bool resolutionGiven = false;
  std::optional<double> destWidth;  // decipoints
  std::optional<double> destHeight;
  std::optional<int> sourceWidth;
  std::optional<int> sourceHeight;
  int method = 0;
  std::array<double, 3> component{0, 0, 0};
  std::optional<ActiveRaster> raster;
};

class Interpreter {
 public:
  Interpreter(JobInfo& info, const InterpretOptions& options, const PageSink& sink);

  JobInfo& info;
  const InterpretOptions& options;
  GlState gl;
  RtlState rtl;
  Palette palette;
  std::vector<Palette> paletteStack;
  Merge merge;  // MC and TR, shared with the raster language

  // Reporting.
  void Report(size_t offset, std::string text);
  void ReportTruncated(size_t offset, std::string text);
  void Count(const std::string& command, size_t offset);
  void AddDeviceCommand(size_t offset, std::string form, std::string text, std::string meaning);
  void AddPjlLine(PjlLine line);
  void AddSpoolBlock(SpoolBlock block);

  // Marks and pages (page_builder.cpp).
  void AddMark(Mark mark);
  // The summary of the raster image just added as the last mark.
  void AddRasterInfo(RasterInfo raster);
  bool PointBudget(size_t points, size_t offset);
  bool RasterBudget(size_t bytes, size_t offset);
  void EndPage(size_t offset);
  void Finish(size_t offset);
  int PageNumber() const { return pageNumber_; }

  // Plotter units per device dot as the page set-up shows it, 0 when unknown.
  double DeviceDot() const;
  // The clip of a mark drawn now: the input window, grown to take in the
  // dots its edges pass through.
  std::optional<Rect> CurrentClip() const;

  // Graphics state shared by the command readers (gl_commands.cpp).
  void ResetGraphics();           // IN
  void ResetAttributes();         // DF and IN
  void FlushStroke();             // ends the stroke being drawn
  void EndRaster(size_t offset);  // ends the raster image being received (rtl_raster.cpp)

 private:
  const PageSink& sink_;
  Page page_;
  PageInfo pageInfo_;
  int pageNumber_ = 1;
  bool pageStarted_ = false;
  std::optional<Sheet> pageSheet_;  // the sheet as the first mark found it
  bool pageTurned_ = false;
  std::optional<Rect> extent_;
  std::vector<size_t> rasterMarks_;  // mark index of each of pageInfo_.rasters
  size_t points_ = 0;
  size_t rasterBytes_ = 0;
  bool pointsReported_ = false;
  bool rasterReported_ = false;
  bool pagesReported_ = false;

  void StartPageIfNeeded(size_t offset);
  Sheet CurrentSheet(bool* turned) const;
};

}  // namespace preview
