// Raster operations of the merge control: how the texture (the pen colour or
// fill pattern), the source (a raster image, or the shape of a vector mark,
// which counts as black) and the destination (the page) make the new page
// colour. They work bit by bit on each RGB channel, white being all ones.
#pragma once

#include <cstdint>

namespace preview {

// Bit k of `rop` is the result where texture, source and destination are
// the bits of k (texture the highest).
inline uint8_t RasterOp(uint8_t rop, uint8_t texture, uint8_t source, uint8_t destination) {
  uint8_t out = 0;
  for (int k = 0; k < 8; ++k) {
    if (!(rop & (1 << k))) continue;
    uint8_t t = (k & 4) ? texture : static_cast<uint8_t>(~texture);
    uint8_t s = (k & 2) ? source : static_cast<uint8_t>(~source);
    uint8_t d = (k & 1) ? destination : static_cast<uint8_t>(~destination);
    out |= static_cast<uint8_t>(t & s & d);
  }
  return out;
}

enum class RopEffect { kPaint, kNothing, kGeneral };

// What a raster operation does for a vector mark (black source): paints the
// texture (as 240 and 252 do), leaves the page alone (170), or anything else.
inline RopEffect VectorRopEffect(uint8_t rop) {
  // Source black: only the bits of k = 0, 1, 4, 5 count.
  bool t1d1 = rop & (1 << 5), t1d0 = rop & (1 << 4), t0d1 = rop & (1 << 1), t0d0 = rop & 1;
  if (t1d1 && t1d0 && !t0d1 && !t0d0) return RopEffect::kPaint;
  if (t1d1 && !t1d0 && t0d1 && !t0d0) return RopEffect::kNothing;
  return RopEffect::kGeneral;
}

}  // namespace preview
