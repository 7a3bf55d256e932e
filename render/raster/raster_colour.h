// The colour conversion the raster encoders call: the monochrome adjustment
// before dithering, the vector colour override that decides the one-bit frame,
// and the conversion of 24-bit rows before they are rotated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace render {

struct DeviceContext;

std::uint32_t RasterMonoColour(const DeviceContext& dc, std::uint32_t colour);
std::int32_t RasterVectorColorOverride(const DeviceContext& dc);
// Converts `count` 24-bit pixels in place for the device context's colour mode.
void RasterConvertPixels(DeviceContext& dc, unsigned char* pixels, std::size_t count);

}  // namespace render
