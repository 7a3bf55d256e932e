// Images written as RTL raster rows.
#include "render/raster/image_rows.h"

#include <cstring>

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/rotation.h"
#include "render/raster/row_encoding.h"

namespace render {
namespace {

constexpr DWORD kShrinkFunction = 0x1000;
constexpr std::uint16_t kOptUncompressed = 1u << 6;
constexpr std::uint64_t kMaxRowBytes = 0x7FFFFFFF;

bool Sendable(unsigned bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

void WriteDeltaRow(OutputChannel& out, RowWriter& w, const unsigned char* row) {
  const std::size_t n = w.rowBytes;
  std::size_t length = EncodeDeltaRow({w.area, 2 * n}, {w.seed, n}, {row, n});
  if (length == 0) {
    WriteEmptyRow(out, w.first);
  } else if (length <= 2 * n) {
    WriteRasterRow(out, w.area, length, w.first);
  } else {
    unsigned char* again = TakeWorkArea(w.heap, std::uint64_t{length} + 1, false);
    if (again == nullptr) {
      WriteEmptyRow(out, w.first);  // the printer repeats its seed; ours stays in step
      return;
    }
    length = EncodeDeltaRow({again, length + 1}, {w.seed, n}, {row, n});
    WriteRasterRow(out, again, length, w.first);
    ReleaseWorkArea(w.heap, again);
  }
  std::memcpy(w.seed, row, n);
}

void WriteRunLengthRow(OutputChannel& out, RowWriter& w, const unsigned char* row) {
  std::size_t length = EncodeRunLength({w.area, 2 * w.rowBytes}, {row, w.rowBytes});
  if (length == 0) {
    WriteEmptyRow(out, w.first);
  } else {
    WriteRasterRow(out, w.area, length, w.first);
  }
}

// Every row of the image from the top, then the raster end.
void WriteAllRows(OutputChannel& out, RowWriter& w, const ImageView& image) {
  for (LONG r = 0; r < image.height; ++r) WriteImageRow(out, w, image.Row(r));
}

std::uint16_t PrintOptions(const DeviceContext& dc) {
  return settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions);
}

void EndOneBit(OutputChannel& out, OneBitFrame frame) {
  WriteText(out, frame == OneBitFrame::kMonochrome ? "\x1B*rC\x1B%0B" : "\x1B*rC\x1B*p1P\x1B%0B");
}

// The block form of a small turned one-bit image.
BOOL SendOneBitBlock(DeviceContext& dc, RasterState& state, const ImageView& image, LONG x, LONG y,
                     OneBitFrame frame) {
  OwnedImage turned;
  if (!RotateImage(dc.heap, image, turned)) return FALSE;
  bool windowHere = false;
  if (!state.inputWindowSet) {
    SetInputWindow(dc, state, RECTL{x, y, x + image.width - 1, y + image.height});
    windowHere = state.inputWindowSet;
  }
  const std::uint32_t rowBytes = static_cast<std::uint32_t>(turned.view.rowStep);
  const std::uint64_t data = std::uint64_t{rowBytes} * static_cast<std::uint32_t>(image.width);
  StartMonoRaster(dc, kMethodBlock, image.height, image.width, x, y + image.height);
  WriteFormatted(dc.output, "%lW", {static_cast<std::int32_t>(data + 4)});
  const std::uint32_t bitsPerRow = 8 * rowBytes;
  const unsigned char header[4] = {
      static_cast<unsigned char>(bitsPerRow >> 24), static_cast<unsigned char>(bitsPerRow >> 16),
      static_cast<unsigned char>(bitsPerRow >> 8), static_cast<unsigned char>(bitsPerRow)};
  WriteBytes(dc.output, header, sizeof header);
  WriteBytes(dc.output, turned.bits, data);
  EndOneBit(dc.output, frame);
  if (windowHere) ResetInputWindow(dc, state);
  FreeOwnedImage(turned);
  return TRUE;
}

}  // namespace

void OpenRowWriter(RowWriter& w, HANDLE heap, int method, std::size_t rowBytes) {
  w = {};
  w.heap = heap;
  w.rowBytes = rowBytes;
  w.method = kMethodUncompressed;
  if (method == kMethodDeltaRow) {
    w.seed = TakeWorkArea(heap, rowBytes, true);
    w.area = TakeWorkArea(heap, 2 * std::uint64_t{rowBytes}, false);
  } else if (method == kMethodRunLength) {
    w.area = TakeWorkArea(heap, 2 * std::uint64_t{rowBytes}, false);
  } else {
    return;
  }
  if (w.area == nullptr || (method == kMethodDeltaRow && w.seed == nullptr)) {
    CloseRowWriter(w);
    w.heap = heap;
    w.rowBytes = rowBytes;
    return;
  }
  w.method = method;
}

void WriteImageRow(OutputChannel& out, RowWriter& w, const unsigned char* row) {
  if (w.method == kMethodDeltaRow) {
    WriteDeltaRow(out, w, row);
  } else if (w.method == kMethodRunLength) {
    WriteRunLengthRow(out, w, row);
  } else if (w.rowBytes == 0) {
    WriteEmptyRow(out, w.first);
  } else {
    WriteRasterRow(out, row, w.rowBytes, w.first);
  }
  w.first = false;
}

void CloseRowWriter(RowWriter& w) {
  ReleaseWorkArea(w.heap, w.seed);
  ReleaseWorkArea(w.heap, w.area);
  w = {};
}

ImageEncoding ChooseImageEncoding(const DeviceContext& dc, ULONG format, bool scaled) {
  if (PrintOptions(dc) & kOptUncompressed) return ImageEncoding::kUncompressed;
  if (dc.PrinterFunction() & kShrinkFunction) {
    bool reducible = format == BMF_8BPP || format == BMF_24BPP;
    bool shrink = settings::GetI16(dc.settings.priv, settings::priv::kShrinkimage) != 0;
    return reducible && shrink && !scaled ? ImageEncoding::kReduced : ImageEncoding::kDeltaRow;
  }
  return PieceMethod(dc) == kMethodUncompressed ? ImageEncoding::kUncompressed
                                                : ImageEncoding::kDeltaRow;
}

int PieceMethod(const DeviceContext& dc) {
  return settings::GetI32(dc.settings.priv, settings::priv::kImagecomp) != 0 ? kMethodUncompressed
                                                                             : kMethodDeltaRow;
}

int ReductionFactor(const DeviceContext& dc) {
  switch (settings::GetI16(dc.settings.priv, settings::priv::kShrinkimage)) {
    case 1:
      return 2;
    case 2:
      return 3;
    case 3:
      return 4;
    default:
      return 1;
  }
}

BOOL SendImageRows(DeviceContext& dc, const RasterState& state, const ImageView& source,
                   const ImagePlacement& sourcePlace, int method) {
  if (source.Empty()) return TRUE;
  const unsigned bits = FormatBits(source.format);
  if (!Sendable(bits)) return FALSE;
  OwnedImage turned;
  ImageView image = source;
  ImagePlacement place = sourcePlace;
  if (RotationNeeded(dc, state.complexClipActive)) {
    if (!RotateImage(dc.heap, source, turned)) return FALSE;
    image = turned.view;
    place = RotatedPlacement(sourcePlace);
  }
  BOOL sent = WriteRasterImage(dc, image, place, method);
  FreeOwnedImage(turned);
  return sent;
}

BOOL WriteRasterImage(DeviceContext& dc, const ImageView& image, const ImagePlacement& place,
                      int method) {
  if (image.Empty()) return TRUE;
  const unsigned bits = FormatBits(image.format);
  const std::uint64_t rowBytes = RowDataBytes(static_cast<std::uint64_t>(image.width), bits);
  if (!Sendable(bits) || rowBytes > kMaxRowBytes) return FALSE;
  RowWriter writer;
  OpenRowWriter(writer, dc.heap, method, rowBytes);
  StartRaster(dc, writer.method, image.width, image.height, place);
  WriteAllRows(dc.output, writer, image);
  EndRaster(dc.output);
  CloseRowWriter(writer);
  return TRUE;
}

bool ReduceImage(HANDLE heap, const ImageView& image, int factor, OwnedImage& reduced) {
  reduced = {};
  const unsigned bits = FormatBits(image.format);
  if (image.Empty() || !Sendable(bits)) return false;
  const LONG t = factor < 1 ? 1 : factor;
  const LONG w = static_cast<LONG>((std::int64_t{image.width} + t - 1) / t);
  const LONG h = static_cast<LONG>((std::int64_t{image.height} + t - 1) / t);
  if (!CreateOwnedImage(heap, image.format, w, h, reduced)) return false;
  for (LONG r = 0; r < h; ++r) {
    const unsigned char* from = image.Row(r * t);
    unsigned char* to = reduced.bits + static_cast<std::size_t>(r) * reduced.view.rowStep;
    for (LONG c = 0; c < w; ++c) {
      OrPixel(to, bits, static_cast<std::uint64_t>(c),
              PixelAt(from, bits, static_cast<std::uint64_t>(c) * t));
    }
  }
  return true;
}

BOOL SendReducedImageRows(DeviceContext& dc, const RasterState& state, const ImageView& image,
                          const ImagePlacement& place, int factor) {
  if (image.Empty()) return TRUE;
  ImagePlacement scaled = place;
  scaled.scaled = true;
  if (image.format != BMF_8BPP && image.format != BMF_24BPP) {
    return SendImageRows(dc, state, image, scaled, kMethodDeltaRow);
  }
  OwnedImage reduced;
  if (!ReduceImage(dc.heap, image, factor, reduced)) return FALSE;
  BOOL sent = SendImageRows(dc, state, reduced.view, scaled, kMethodDeltaRow);
  FreeOwnedImage(reduced);
  return sent;
}

BOOL SendImage(DeviceContext& dc, const RasterState& state, const ImageView& image,
               const ImagePlacement& place) {
  switch (ChooseImageEncoding(dc, image.format, place.scaled)) {
    case ImageEncoding::kReduced:
      return SendReducedImageRows(dc, state, image, place, ReductionFactor(dc));
    case ImageEncoding::kUncompressed:
      return SendImageRows(dc, state, image, place, kMethodUncompressed);
    default:
      return SendImageRows(dc, state, image, place, kMethodDeltaRow);
  }
}

BOOL SendOneBitImage(DeviceContext& dc, RasterState& state, const OneBitImage& one, int method,
                     OneBitFrame frame) {
  const ImageView source{BMF_1BPP, one.width, one.height, one.rowStep, one.bits};
  if (source.Empty()) return TRUE;
  ImageView image = source;
  ImagePlacement place{one.x, one.y, one.width, one.height, false};
  OwnedImage turned;
  const bool rotate = frame == OneBitFrame::kGlyph ? GlyphRotationNeeded(dc)
                                                   : RotationNeeded(dc, state.complexClipActive);
  if (rotate) {
    const std::uint64_t turnedRow = RowDataBytes(static_cast<std::uint64_t>(one.height), 1);
    if (VectorColorOverride(dc) == 0 && turnedRow >= 2 && turnedRow <= 19) {
      return SendOneBitBlock(dc, state, source, one.x, one.y, frame);
    }
    if (!RotateImage(dc.heap, source, turned)) return FALSE;
    image = turned.view;
    place = RotatedPlacement(place);
  }
  RowWriter writer;
  OpenRowWriter(writer, dc.heap, method, RowDataBytes(static_cast<std::uint64_t>(image.width), 1));
  if (frame != OneBitFrame::kMonochrome) {
    StartRaster(dc, writer.method, image.width, image.height, place);
  } else {
    StartMonoRaster(dc, writer.method, image.width, image.height, place.x, place.y);
  }
  WriteAllRows(dc.output, writer, image);
  EndOneBit(dc.output, frame);
  CloseRowWriter(writer);
  FreeOwnedImage(turned);
  return TRUE;
}

}  // namespace render
