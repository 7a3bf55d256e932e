// The raster language: escape syntax, palette commands, raster images.
#include "tools/preview/rtl_raster.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "tools/preview/raster_rows.h"

namespace preview {

namespace {

// A palette stack deeper than this comes only from a corrupt stream.
constexpr size_t kMaxPaletteStack = 32;

// Commands followed by as many bytes of binary data as their value says.
struct DataCommand {
  char introducer;
  char group;
  char parameter;
};

// clang-format off
constexpr DataCommand kDataCommands[] = {
    {'*', 'b', 'W'}, {'*', 'b', 'V'}, {'*', 'v', 'W'}, {'*', 'c', 'W'}, {'*', 'g', 'W'},
    {'*', 'm', 'W'}, {'*', 'l', 'W'}, {'*', 'i', 'W'}, {'(', 's', 'W'}, {')', 's', 'W'},
    {'&', 'p', 'X'}, {'&', 'n', 'W'},
};
// clang-format on

bool CarriesData(char introducer, char group, char parameter) {
  for (const DataCommand& d : kDataCommands) {
    if (d.introducer == introducer && d.group == group && d.parameter == parameter) return true;
  }
  return false;
}

// [+-]digits[.digits], at most 32 characters.
bool ReadValue(ByteCursor& in, double& value) {
  size_t start = in.pos;
  if (in.Peek() == '+' || in.Peek() == '-') in.Next();
  while ((IsDigit(in.Peek()) || in.Peek() == '.') && in.pos - start < 32) in.Next();
  if (in.pos == start) return false;
  const char* first = reinterpret_cast<const char*>(in.bytes.data()) + start;
  const char* last = reinterpret_cast<const char*>(in.bytes.data()) + in.pos;
  bool negative = *first == '-';
  if (*first == '+' || *first == '-') ++first;
  double v = 0;
  std::from_chars(first, last, v, std::chars_format::fixed);
  value = negative ? -v : v;
  return true;
}

using RtlHandler = void (*)(Interpreter&, const PclCommand&);

void Unknown(Interpreter& in, const PclCommand& c) {
  in.Report(c.offset, "the escape sequence " + PclCommandName(c, false) +
                          " is not understood in the raster language");
}

void Ignored(Interpreter&, const PclCommand&) {}

int IntValue(const PclCommand& c) { return static_cast<int>(std::clamp(c.value, -1e9, 1e9)); }

void Resolution(Interpreter& in, const PclCommand& c) {
  if (!(c.value >= 10 && c.value <= 10000)) {
    in.Report(c.offset, "a raster resolution the previewer cannot use; it is ignored");
    return;
  }
  in.rtl.resolution = c.value;
  in.rtl.resolutionGiven = true;
}

void DestinationWidth(Interpreter& in, const PclCommand& c) {
  if (c.value > 0 && c.value < 720.0 * 4000) in.rtl.destWidth = c.value;
}

void DestinationHeight(Interpreter& in, const PclCommand& c) {
  if (c.value > 0 && c.value < 720.0 * 4000) in.rtl.destHeight = c.value;
}

void SourceWidth(Interpreter& in, const PclCommand& c) {
  if (c.value >= 1 && c.value <= 65535) {
    in.rtl.sourceWidth = IntValue(c);
  } else {
    in.Report(c.offset, "a raster width beyond 65,535 pixels; the width comes from the rows");
    in.rtl.sourceWidth.reset();
  }
}

void SourceHeight(Interpreter& in, const PclCommand& c) {
  if (c.value >= 0 && c.value <= 1e8) in.rtl.sourceHeight = IntValue(c);
}

int RasterBits(const Palette& p) {
  if (p.direct) return 24;
  return p.bitsPerIndex > 0 ? p.bitsPerIndex : 1;
}

void StartRaster(Interpreter& in, size_t offset, int mode) {
  in.EndRaster(offset);
  ActiveRaster r;
  r.offset = offset;
  r.mark.bits = RasterBits(in.palette);
  if (r.mark.bits < 24) {
    size_t colours = size_t{1} << r.mark.bits;
    r.mark.palette.assign(in.palette.entries.begin(), in.palette.entries.begin() + colours);
  }
  if (in.rtl.sourceWidth) {
    r.mark.width = *in.rtl.sourceWidth;
    size_t bits = static_cast<size_t>(r.mark.width) * static_cast<size_t>(r.mark.bits);
    r.rowBytes = std::min((bits + 7) / 8, kMaxRowBytes);
  }
  r.scaled = (mode == 2 || mode == 3) && (in.rtl.destWidth || in.rtl.destHeight);
  r.merge = in.merge;
  r.clip = in.CurrentClip();
  r.seed.assign(r.rowBytes, 0);
  in.rtl.raster = std::move(r);
}

void StartRasterCommand(Interpreter& in, const PclCommand& c) {
  StartRaster(in, c.offset, c.hasValue ? IntValue(c) : 0);
}

void EndRasterCommand(Interpreter& in, const PclCommand& c) { in.EndRaster(c.offset); }

void Method(Interpreter& in, const PclCommand& c) {
  int method = IntValue(c);
  if (method != 0 && method != 2 && method != 3 && method != 4) {
    in.Report(c.offset, "raster compression method " + std::to_string(method) +
                            " is not known; its rows are not drawn");
  }
  in.rtl.method = method;
}

// Keeps the seed row as the image's next row.
void AppendRow(Interpreter& in, ActiveRaster& r, size_t offset) {
  if (r.rowBytes == 0) r.rowBytes = std::max<size_t>(1, r.seed.size());
  r.seed.resize(r.rowBytes, 0);
  if (r.full) return;
  if (in.rtl.sourceHeight && r.mark.height >= *in.rtl.sourceHeight) {
    r.full = true;
    return;
  }
  if (!in.RasterBudget(r.rowBytes, offset)) {
    r.full = true;
    return;
  }
  r.mark.rows.insert(r.mark.rows.end(), r.seed.begin(), r.seed.end());
  ++r.mark.height;
}

// The block form: a 4-byte big-endian count of bits per row, then the rows
// back to back without compression.
void BlockRows(Interpreter& in, ActiveRaster& r, const PclCommand& c) {
  if (c.data.size() < 4) {
    in.Report(c.offset, "a raster block without its row length");
    return;
  }
  uint32_t bits = (uint32_t{c.data[0]} << 24) | (uint32_t{c.data[1]} << 16) |
                  (uint32_t{c.data[2]} << 8) | c.data[3];
  size_t rowBytes = (bits + 7) / 8;
  if (rowBytes == 0 || rowBytes > kMaxRowBytes) {
    in.Report(c.offset, "a raster block with an impossible row length");
    return;
  }
  std::span<const uint8_t> rows = c.data.subspan(4);
  for (size_t at = 0; at + rowBytes <= rows.size(); at += rowBytes) {
    r.seed.assign(rows.begin() + static_cast<std::ptrdiff_t>(at),
                  rows.begin() + static_cast<std::ptrdiff_t>(at + rowBytes));
    AppendRow(in, r, c.offset);
  }
  if (rows.size() % rowBytes != 0) in.Report(c.offset, "a raster block that ends inside a row");
}

void Row(Interpreter& in, const PclCommand& c) {
  if (!in.rtl.raster) StartRaster(in, c.offset, 0);
  ActiveRaster& r = *in.rtl.raster;
  int method = in.rtl.method;
  r.methods.insert(method);
  if (c.dataShort) in.ReportTruncated(c.offset, "the stream ends inside a raster row");
  if (method == 4) {
    BlockRows(in, r, c);
    return;
  }
  if (method != 0 && method != 2 && method != 3) return;
  size_t limit = r.rowBytes ? r.rowBytes : kMaxRowBytes;
  RowDecode decoded = DecodeRasterRow(method, c.data, r.seed, limit);
  if (!decoded.ok) in.Report(c.offset, "a raster row with " + decoded.problem);
  AppendRow(in, r, c.offset);
}

// ESC*b#Y: rows left blank.
void YOffset(Interpreter& in, const PclCommand& c) {
  if (!in.rtl.raster) StartRaster(in, c.offset, 0);
  ActiveRaster& r = *in.rtl.raster;
  int rows = std::clamp(IntValue(c), 0, 1 << 20);
  std::fill(r.seed.begin(), r.seed.end(), 0);
  for (int i = 0; i < rows && !r.full; ++i) AppendRow(in, r, c.offset);
}

void Plane(Interpreter& in, const PclCommand& c) {
  in.Report(c.offset, "planar raster data (ESC*b#V) is not drawn by the previewer");
}

void Component(Interpreter& in, const PclCommand& c, size_t which) {
  in.rtl.component[which] = std::clamp(c.value, 0.0, 255.0);
}
void Red(Interpreter& in, const PclCommand& c) { Component(in, c, 0); }
void Green(Interpreter& in, const PclCommand& c) { Component(in, c, 1); }
void Blue(Interpreter& in, const PclCommand& c) { Component(in, c, 2); }

void AssignColour(Interpreter& in, const PclCommand& c) {
  if (c.value >= 0 && c.value <= 255) {
    auto channel = [&](size_t i) { return static_cast<uint8_t>(std::lround(in.rtl.component[i])); };
    in.palette.entries[static_cast<size_t>(c.value)] = {channel(0), channel(1), channel(2)};
  } else {
    in.Report(c.offset, "a palette index beyond 255");
  }
  in.rtl.component = {0, 0, 0};
}

// ESC*v6W: colour space, pixel encoding (1 indexed by pixel, 3 direct by
// pixel), bits per index, bits per primary. It makes a new palette.
void ConfigureImageData(Interpreter& in, const PclCommand& c) {
  if (c.data.size() < 6) {
    in.Report(c.offset, "a raster configuration shorter than 6 bytes");
    return;
  }
  int space = c.data[0];
  int encoding = c.data[1];
  int bits = c.data[2];
  if (space != 0) in.Report(c.offset, "a colour space other than RGB is read as RGB");
  if (encoding == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) {
    in.palette = DefaultPalette(1 << bits);
    in.palette.bitsPerIndex = bits;
  } else if (encoding == 3 && c.data[3] == 8 && c.data[4] == 8 && c.data[5] == 8) {
    in.palette = DefaultPalette(8);
    in.palette.direct = true;
  } else {
    in.Report(c.offset, "a raster configuration the previewer does not draw (encoding " +
                            std::to_string(encoding) + ", " + std::to_string(bits) + " bits)");
  }
}

// ESC*r#U: the simple palettes: 1 black and white, 3 RGB, -3 CMY.
void SimplePalette(Interpreter& in, const PclCommand& c) {
  int kind = IntValue(c);
  if (kind == 1) {
    in.palette = DefaultPalette(2);
    in.palette.bitsPerIndex = 1;
  } else if (kind == 3 || kind == -3) {
    static constexpr Rgb kRgb[8] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    in.palette = DefaultPalette(8);
    in.palette.bitsPerIndex = 3;
    for (size_t i = 0; i < 8; ++i) in.palette.entries[i] = kRgb[kind == 3 ? i : 7 - i];
  } else {
    in.Report(c.offset, "a simple palette the previewer does not know");
  }
}

void SourceTransparency(Interpreter& in, const PclCommand& c) {
  in.merge.sourceTransparent = IntValue(c) == 0;
}

// ESC*p0P pushes the palette, ESC*p1P pops it.
void PushPop(Interpreter& in, const PclCommand& c) {
  if (IntValue(c) == 0) {
    if (in.paletteStack.size() >= kMaxPaletteStack) {
      in.Report(c.offset, "the palette stack is full; the push is ignored");
      return;
    }
    in.paletteStack.push_back(in.palette);
  } else if (IntValue(c) == 1) {
    if (in.paletteStack.empty()) return;
    in.palette = in.paletteStack.back();
    in.paletteStack.pop_back();
  }
}

void LogicalOperation(Interpreter& in, const PclCommand& c) {
  if (c.value >= 0 && c.value <= 255) in.merge.rop = static_cast<uint8_t>(c.value);
}

void Reset(Interpreter& in, const PclCommand& c) {
  in.EndRaster(c.offset);
  in.rtl = RtlState{};
  in.paletteStack.clear();
}

struct RtlRow {
  char introducer;
  char group;
  char parameter;
  RtlHandler run;
};

// clang-format off
constexpr RtlRow kRtlCommands[] = {
    {'E', 0,   0,   Reset},
    {'*', 't', 'R', Resolution},
    {'*', 't', 'H', DestinationWidth},
    {'*', 't', 'V', DestinationHeight},
    {'*', 't', 'J', Ignored},
    {'*', 'r', 'S', SourceWidth},
    {'*', 'r', 'T', SourceHeight},
    {'*', 'r', 'A', StartRasterCommand},
    {'*', 'r', 'B', EndRasterCommand},
    {'*', 'r', 'C', EndRasterCommand},
    {'*', 'r', 'F', Ignored},
    {'*', 'r', 'U', SimplePalette},
    {'*', 'b', 'M', Method},
    {'*', 'b', 'W', Row},
    {'*', 'b', 'Y', YOffset},
    {'*', 'b', 'V', Plane},
    {'*', 'v', 'A', Red},
    {'*', 'v', 'B', Green},
    {'*', 'v', 'C', Blue},
    {'*', 'v', 'I', AssignColour},
    {'*', 'v', 'W', ConfigureImageData},
    {'*', 'v', 'N', SourceTransparency},
    {'*', 'v', 'O', Ignored},
    {'*', 'v', 'S', Ignored},
    {'*', 'v', 'T', Ignored},
    {'*', 'p', 'P', PushPop},
    {'*', 'l', 'O', LogicalOperation},
    {'*', 'l', 'R', Ignored},
};
// clang-format on

}  // namespace

PclEscape ReadPclEscape(ByteCursor& in) {
  PclEscape out;
  out.offset = in.pos;
  in.Next();  // ESC
  int first = in.Next();
  if (first >= 48 && first <= 126) {
    out.twoCharacter = true;
    out.commands.push_back({out.offset, static_cast<char>(first), 0, 0, false, 0, {}, false});
    return out;
  }
  if (first < 33 || first > 47) {
    out.malformed = true;
    if (first == kEsc) --in.pos;
    return out;
  }
  char group = 0;
  if (in.Peek() >= 96 && in.Peek() <= 126) group = static_cast<char>(in.Next());
  while (true) {
    PclCommand c;
    c.offset = out.offset;
    c.introducer = static_cast<char>(first);
    c.group = group;
    c.hasValue = ReadValue(in, c.value);
    int p = in.Peek();
    bool combined = p >= 96 && p <= 126;
    bool final = p >= 64 && p <= 94;
    if (!combined && !final) {
      if (out.commands.empty() || c.hasValue) {
        out.malformed = true;
      } else {
        out.leftOpen = true;
      }
      return out;
    }
    in.Next();
    c.parameter = static_cast<char>(combined ? p - 32 : p);
    if (CarriesData(c.introducer, c.group, c.parameter) && c.value > 0) {
      size_t want = static_cast<size_t>(std::min(c.value, 1e12));
      c.data = in.Take(want);
      c.dataShort = c.data.size() < want;
    }
    out.commands.push_back(c);
    if (final) return out;
  }
}

std::string PclCommandName(const PclCommand& c, bool twoCharacter) {
  std::string name = "ESC";
  name += c.introducer;
  if (twoCharacter) return name;
  if (c.group) name += c.group;
  if (c.parameter) name += c.parameter;
  return name;
}

void ExecuteRtlEscape(Interpreter& in, const PclEscape& escape) {
  for (const PclCommand& c : escape.commands) {
    in.Count(PclCommandName(c, escape.twoCharacter), c.offset);
    const RtlRow* found = nullptr;
    for (const RtlRow& row : kRtlCommands) {
      if (row.introducer == c.introducer && row.group == c.group && row.parameter == c.parameter) {
        found = &row;
        break;
      }
    }
    if (found) {
      found->run(in, c);
    } else {
      Unknown(in, c);
    }
  }
}

void EnterRtl(Interpreter& in, int value) {
  in.FlushStroke();
  if (value == 1) in.rtl.cap = in.gl.pen;
}

void LeaveRtl(Interpreter& in, int value) {
  if (in.rtl.raster) in.EndRaster(in.rtl.raster->offset);
  if (value == 1) in.gl.pen = in.rtl.cap;
}

void Interpreter::EndRaster(size_t offset) {
  if (!rtl.raster) return;
  ActiveRaster r = std::move(*rtl.raster);
  rtl.raster.reset();
  if (r.mark.height == 0 || r.rowBytes == 0) return;
  RasterMark& m = r.mark;
  if (m.width == 0) m.width = static_cast<int>(r.rowBytes * 8 / static_cast<size_t>(m.bits));
  double dot = 1016 / rtl.resolution;
  double across = dot;
  double down = dot;
  if (r.scaled) {
    if (rtl.destWidth) across = *rtl.destWidth / 720 * 1016 / m.width;
    if (rtl.destHeight) down = *rtl.destHeight / 720 * 1016 / m.height;
    if (!rtl.destWidth) across = down;
    if (!rtl.destHeight) down = across;
  }
  // A page the device turns half round turns its images with it.
  double sign = gl.frame.UserFrameTurnedHalf() ? -1 : 1;
  m.pixelStep = {0, sign * across};
  m.rowStep = {sign * down, 0};
  // The current active position is the centre of the image's first pixel.
  double half = sign * (DeviceDot() > 0 ? DeviceDot() : dot) / 2;
  m.origin = {rtl.cap.x - half, rtl.cap.y - half};
  rtl.cap.x += sign * down * m.height;

  RasterInfo summary;
  summary.offset = r.offset;
  summary.width = m.width;
  summary.height = m.height;
  summary.bits = m.bits;
  summary.scaled = r.scaled;
  for (int method : r.methods) {
    if (!summary.methods.empty()) summary.methods += ",";
    summary.methods += std::to_string(method);
  }
  Mark mark;
  mark.merge = r.merge;
  mark.clipped = r.clip.has_value();
  if (r.clip) mark.clip = *r.clip;
  mark.shape = std::move(r.mark);
  (void)offset;
  AddMark(std::move(mark));
  AddRasterInfo(std::move(summary));
}

}  // namespace preview
