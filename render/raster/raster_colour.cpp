// The raster encoders reach colour conversion only through these three calls.
// Until the colour conversion of the device context is in place they keep
// colours as they are (the conversion with every adjustment at its middle) and
// read the vector colour override from the settings.
#include "render/raster/raster_colour.h"

#include "render/core/device_context.h"

namespace render {

std::uint32_t RasterMonoColour(const DeviceContext&, std::uint32_t colour) { return colour; }

std::int32_t RasterVectorColorOverride(const DeviceContext& dc) {
  // A printer that reports itself monochrome decides on its own when its
  // description says so.
  const bool deviceMono = (settings::GetU16(dc.settings.priv, settings::priv::kDeviceFlags) &
                           settings::kDevPrintertype) != 0;
  if ((dc.PrinterFunction() & 0x1000000) != 0 && deviceMono) return 0;
  return settings::GetI32(dc.settings.priv, settings::priv::kBekutachk);
}

void RasterConvertPixels(DeviceContext&, unsigned char*, std::size_t) {}

}  // namespace render
