// What a print stream holds, as `qx view --info` lists it: the spool blocks
// and PJL lines of the job, its device commands, per page the commands used,
// the plotted extent and the raster images, and every byte range the reader
// did not understand.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace preview {

// Something in the stream that was not understood, or a limit that was hit.
// `page` is the page being read at the time (1-based; 0 before any page).
struct Problem {
  size_t offset = 0;
  int page = 0;
  std::string text;
};

// One in-band block of the spool-filter protocol found in the stream.
struct SpoolBlock {
  size_t offset = 0;
  size_t size = 0;
  std::string kind;
};

struct PjlLine {
  size_t offset = 0;
  std::string text;     // the line without its line end
  std::string command;  // JOB, SET, ENTER, EOJ, ... ("UEL" for the universal exit)
  std::string key;      // SET and ENTER: the variable; other commands: empty
  std::string value;    // SET and ENTER: the value with quotes removed
};

// An escape-framed device command (1B 12 text 1B 20), a device "MS" command,
// or a feature block; `meaning` says what the printer does with it.
struct DeviceCommand {
  size_t offset = 0;
  int page = 0;
  std::string form;  // "framed", "MS" or "feature"
  std::string text;
  std::string meaning;
};

struct RasterInfo {
  size_t offset = 0;
  double xMm = 0;  // top left corner on the picture, millimetres
  double yMm = 0;
  double widthMm = 0;
  double heightMm = 0;
  int width = 0;  // source pixels
  int height = 0;
  int bits = 0;
  std::string methods;  // compression methods used by its rows, e.g. "3" or "0,3"
  bool scaled = false;
};

struct PageInfo {
  int number = 0;
  size_t offset = 0;        // where the page's first command starts
  double sheetWidthMm = 0;  // as the picture shows it
  double sheetHeightMm = 0;
  int rotation = 0;
  bool turned = false;  // the device turns the page itself (see page_builder.cpp)
  bool plotSizeGiven = false;
  std::map<std::string, int> commands;
  bool hasExtent = false;
  double extentLeftMm = 0;  // plotted extent on the picture
  double extentTopMm = 0;
  double extentRightMm = 0;
  double extentBottomMm = 0;
  size_t marks = 0;
  std::vector<RasterInfo> rasters;
};

struct JobInfo {
  size_t bytes = 0;
  std::vector<SpoolBlock> spoolBlocks;
  std::vector<PjlLine> pjl;
  std::vector<DeviceCommand> deviceCommands;
  std::vector<PageInfo> pages;
  std::vector<Problem> problems;
  bool truncated = false;  // the stream ended inside a command or an image
};

}  // namespace preview
