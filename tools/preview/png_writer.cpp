// Page pictures as PNG files, through cairo's PNG writer.
#include <cairo.h>

#include "tools/preview/preview.h"

namespace preview {

bool WritePng(const PageImage& image, const std::string& path, std::string* error) {
  if (!image.surface) {
    if (error) *error = "no picture to write";
    return false;
  }
  cairo_status_t status = cairo_surface_write_to_png(image.surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = path + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace preview
