// The software rotation of images on landscape pages that the printer does not
// turn itself: an image W pixels wide and H high is sent H wide and W high.
#pragma once

#include "render/raster/raster_image.h"

namespace render {

struct DeviceContext;

// The settings ask for a landscape page (DM_ORIENTATION set, dmOrientation 2).
bool LandscapePage(const DeviceContext& dc);
// The printer turns landscape pages itself: PrinterFunction bit 0x10, or bit
// 0x20 on the paper sizes 256 and 384 to 393.
bool DeviceRotatesPage(const DeviceContext& dc);
// A landscape page the printer does not turn, outside a complex clip (whose
// pieces take a rotated output of their own).
bool RotationNeeded(const DeviceContext& dc, bool complexClipActive);
// The same test for the glyph images of the colour text path: a landscape page
// the printer does not turn, on a PrinterType other than 3.
bool GlyphRotationNeeded(const DeviceContext& dc);

// Builds the turned image (top-down, rows without fill): output row i is
// source column i read from the bottom row up, so output pixel j of it is the
// source pixel (i, H - 1 - j). 1-, 4-, 8- and 24-bit pixels. False (nothing
// held) for an empty or unknown image, or when its work area cannot be had.
[[nodiscard]] bool RotateImage(HANDLE heap, const ImageView& source, OwnedImage& rotated);

// Where the turned image goes: at (x, y + destination height - 1), y itself
// for a height of 0, with the destination width and height exchanged.
ImagePlacement RotatedPlacement(const ImagePlacement& place);

}  // namespace render
