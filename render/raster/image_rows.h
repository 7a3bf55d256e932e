// Images sent as RTL raster: the encoder chosen for an image, its rows written
// between the raster start and end, the reduced images of `shrinkimage`, and
// the one-bit images of masks, glyphs and monochrome blocks (with the block
// form for small turned images).
#pragma once

#include <cstddef>

#include "render/raster/raster_frame.h"
#include "render/raster/raster_image.h"

namespace render {

struct DeviceContext;
struct OutputChannel;

// The work areas of one image's row encoder. Method 3 holds the seed row (the
// row sent before, zeros at first) and an area of twice the row; method 2 an
// area of twice the row; method 0 nothing.
struct RowWriter {
  HANDLE heap = nullptr;
  int method = 0;
  std::size_t rowBytes = 0;
  unsigned char* seed = nullptr;
  unsigned char* area = nullptr;
  bool first = true;  // the next row continues the raster start
};

// Takes the work areas for `method`; when they cannot be had the writer falls
// back to method 0, which needs none. `writer.method` is the method to start.
void OpenRowWriter(RowWriter& writer, HANDLE heap, int method, std::size_t rowBytes);
// Encodes and writes one row of `writer.rowBytes` bytes. A delta row longer
// than its area is encoded again into an area of exactly its length plus one;
// when that cannot be had, or a run-length row does not fit, the row goes out
// empty (and the seed stays what the printer holds).
void WriteImageRow(OutputChannel& out, RowWriter& writer, const unsigned char* row);
void CloseRowWriter(RowWriter& writer);

// How an image as a whole is encoded.
enum class ImageEncoding { kUncompressed, kDeltaRow, kReduced };
// printOptions bit 6: uncompressed. With PrinterFunction bit 0x1000: reduced
// for 8- and 24-bit images when `shrinkimage` is set and the printer does not
// scale the image, else delta row. Without it: uncompressed when `imagecomp` is
// set, else delta row.
ImageEncoding ChooseImageEncoding(const DeviceContext& dc, ULONG format, bool scaled);
// The method of pieces, strips and one-bit images: 0 when `imagecomp` is set,
// else 3.
int PieceMethod(const DeviceContext& dc);
// `shrinkimage` 1, 2, 3 keep one pixel of 2, 3, 4; anything else keeps all.
int ReductionFactor(const DeviceContext& dc);

// The whole raster of an image: raster start at the placement, every row top
// to bottom, "ESC*rC" "ESC%0B". Turned first when RotationNeeded. An empty
// image writes nothing and succeeds; FALSE (nothing written) for an unknown
// format or when the turned image cannot be built.
BOOL SendImageRows(DeviceContext& dc, const RasterState& state, const ImageView& image,
                   const ImagePlacement& place, int method);
// The raster of an image as it is, never turned: start, rows, end.
BOOL WriteRasterImage(DeviceContext& dc, const ImageView& image, const ImagePlacement& place,
                      int method);
// Keeps the first pixel of every `factor` pixels of a row and the first row
// of every `factor` rows: ceil(W / factor) x ceil(H / factor) pixels.
[[nodiscard]] bool ReduceImage(HANDLE heap, const ImageView& image, int factor,
                               OwnedImage& reduced);
// The reduced image (8 and 24 bits; other formats are sent whole) with delta
// rows, always scaled by the printer to the placement's destination size.
// FALSE when the reduced image cannot be built.
BOOL SendReducedImageRows(DeviceContext& dc, const RasterState& state, const ImageView& image,
                          const ImagePlacement& place, int factor);
// An image with the encoder ChooseImageEncoding picks.
BOOL SendImage(DeviceContext& dc, const RasterState& state, const ImageView& image,
               const ImagePlacement& place);

// What a one-bit image is, which decides its frame and when it is turned.
// Masks and glyphs take the full raster start and end with the palette pop
// ("ESC*rC" "ESC*p1P" "ESC%0B") that matches the palette their caller pushed;
// blocks and monochrome images the monochrome raster start and the plain end.
// Masks and monochrome images turn when RotationNeeded; the glyphs of the
// colour text path test, in place of the complex clip, that PrinterType is
// not 3.
enum class OneBitFrame { kMask, kGlyph, kMonochrome };
struct OneBitImage {
  LONG width = 0;
  LONG height = 0;
  LONG x = 0;
  LONG y = 0;
  const unsigned char* bits = nullptr;  // the top row
  LONG rowStep = 0;
};
// A one-bit image at its own size with `method` (0, 2 or 3). Turned when
// RotationNeeded; a turned row of 2 to 19 bytes without the vector colour
// override goes as one block (method 4): the input window set to the image
// when none is, the monochrome raster start with the turned size at (x, y +
// height), "%l" of the data length and "W", four bytes of 8 x row bytes (big
// endian), the turned rows back to back, the end, and the window reset.
BOOL SendOneBitImage(DeviceContext& dc, RasterState& state, const OneBitImage& image, int method,
                     OneBitFrame frame);

}  // namespace render
