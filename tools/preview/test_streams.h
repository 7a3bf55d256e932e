// Helpers of the previewer's tests: stream bytes written from the rules of
// the language (not from the previewer), and pixel probes of a picture.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "tools/preview/preview.h"

namespace preview::test {

// The encoded-number alphabet of "PE": the sign folded into bit 0, base-64
// digits least significant first, 63 + digit, the last one 191 + digit.
inline std::string EncodedNumber(int64_t v) {
  uint64_t z = v >= 0 ? static_cast<uint64_t>(v) * 2 : static_cast<uint64_t>(-v) * 2 + 1;
  std::string out;
  while (z >= 64) {
    out += static_cast<char>(63 + z % 64);
    z /= 64;
  }
  out += static_cast<char>(191 + z);
  return out;
}

inline std::string Pair(int64_t x, int64_t y) { return EncodedNumber(x) + EncodedNumber(y); }

inline std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}
// A literal's bytes, without its terminating zero.
template <size_t N>
std::span<const uint8_t> Bytes(const char (&literal)[N]) {
  return {reinterpret_cast<const uint8_t*>(literal), N - 1};
}
// The bytes of a temporary would not outlive the statement.
std::span<const uint8_t> Bytes(std::string&&) = delete;

// A portrait page of 100 x 150 mm at 300 dpi as the driver sets it up:
// R = 4000 and B = 6000 plotter units, 1181 x 1771 pixels, one user unit a
// dot with the origin at the top left, then the pen table (pen 1 black, 0.35 mm).
inline std::string PortraitSetup() {
  return "\x1B%0BIN;BP2,1;NP256PS6000,4000;IP4000,6000,0,0;IW4000,6000,0,0;"
         "SC1181,0,0,1771;RO90;TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;"
         "PC1,0,0,0PW0.35,1SP1;";
}

// The same sheet turned: a landscape page, 150 x 100 mm, as a printer that
// does not rotate writes it (plot size and scaling with R = 6000, B = 4000,
// no RO).
inline std::string LandscapeSetup() {
  return "\x1B%0BIN;BP2,1;NP256PS6000,4000;IP6000,4000,0,0;IW6000,4000,0,0;"
         "SC1771,0,0,1181;TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;"
         "PC1,0,0,0PW0.35,1SP1;";
}

// A landscape page of the wide-format models, whose device turns landscape
// pages itself: the plot size is the paper as fed (B, R), the scaling
// points are those of the portrait sheet, and the user frame is turned half
// round (x against the plotter frame's x), with no RO.
inline std::string TurnedLandscapeSetup() {
  return "\x1B%0BIN;BP2,1;NP256PS6000,4000;IP4000,6000,0,0;IW4000,6000,0,0;"
         "SC0,1181,1771,0;TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;"
         "PC1,0,0,0PW0.35,1SP1;";
}

struct Picture {
  PageImage image;
  JobInfo info;

  uint32_t At(int x, int y) const {
    cairo_surface_t* s = image.surface.get();
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
  }
  // Dark enough to be ink of a black pen (antialiased edges are lighter).
  bool Inked(int x, int y) const {
    uint32_t c = At(x, y);
    return ((c >> 16) & 0xFF) < 96 && ((c >> 8) & 0xFF) < 96 && (c & 0xFF) < 96;
  }
  bool White(int x, int y) const { return At(x, y) == 0xFFFFFF; }
};

// Reads the stream and renders its first page at `dpi`.
inline Picture RenderFirstPage(const std::string& stream, double dpi = 300) {
  Picture picture;
  bool done = false;
  picture.info =
      InterpretStream(Bytes(stream), InterpretOptions{}, [&](Page&& page, const PageInfo&) {
        if (done) return;
        RenderOptions options;
        options.dpi = dpi;
        std::optional<PageImage> image = RenderPage(page, options);
        if (image) picture.image = std::move(*image);
        done = true;
      });
  return picture;
}

}  // namespace preview::test
