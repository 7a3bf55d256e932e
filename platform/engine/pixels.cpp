// Pixel access in the engine's bitmap formats and the raster operations the
// software renderer applies to them. A 1-bit row holds its leftmost pixel in the
// most significant bit, a 4-bit row in the high nibble; 16-, 24- and 32-bit pixels
// are little-endian colour indices (for a PAL_RGB palette a 24-bit pixel is the
// bytes red, green, blue).
#include "platform/engine/engine_internal.h"

namespace platform::engine {

int BitsPerPixel(ULONG format) {
  switch (format) {
    case BMF_1BPP:
      return 1;
    case BMF_4BPP:
      return 4;
    case BMF_8BPP:
      return 8;
    case BMF_16BPP:
      return 16;
    case BMF_24BPP:
      return 24;
    case BMF_32BPP:
      return 32;
    default:
      return 0;
  }
}

ULONGLONG RowBytes(LONG width, ULONG format) {
  if (width <= 0) return 0;
  return (static_cast<ULONGLONG>(width) * static_cast<ULONGLONG>(BitsPerPixel(format)) + 7) / 8;
}

bool HasBits(const SURFOBJ* so) {
  return so != nullptr && so->pvScan0 != nullptr && so->sizlBitmap.cx > 0 &&
         so->sizlBitmap.cy > 0 && BitsPerPixel(so->iBitmapFormat) != 0;
}

ULONG FormatMask(ULONG format) {
  int bits = BitsPerPixel(format);
  return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

ULONG ReadPixel(const SURFOBJ* so, LONG x, LONG y) {
  const BYTE* row = ScanLine(so, y);
  switch (so->iBitmapFormat) {
    case BMF_1BPP:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case BMF_4BPP:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case BMF_8BPP:
      return row[x];
    case BMF_16BPP:
      return row[2 * x] | (static_cast<ULONG>(row[2 * x + 1]) << 8);
    case BMF_24BPP: {
      const BYTE* p = row + 3 * static_cast<std::ptrdiff_t>(x);
      return p[0] | (static_cast<ULONG>(p[1]) << 8) | (static_cast<ULONG>(p[2]) << 16);
    }
    case BMF_32BPP: {
      const BYTE* p = row + 4 * static_cast<std::ptrdiff_t>(x);
      return p[0] | (static_cast<ULONG>(p[1]) << 8) | (static_cast<ULONG>(p[2]) << 16) |
             (static_cast<ULONG>(p[3]) << 24);
    }
    default:
      return 0;
  }
}

void WritePixel(const SURFOBJ* so, LONG x, LONG y, ULONG v) {
  BYTE* row = ScanLine(so, y);
  switch (so->iBitmapFormat) {
    case BMF_1BPP: {
      BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<BYTE>((v & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case BMF_4BPP:
      row[x >> 1] = static_cast<BYTE>((x & 1) ? (row[x >> 1] & 0xF0) | (v & 0x0F)
                                              : (row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
      break;
    case BMF_8BPP:
      row[x] = static_cast<BYTE>(v);
      break;
    case BMF_16BPP:
      row[2 * x] = static_cast<BYTE>(v);
      row[2 * x + 1] = static_cast<BYTE>(v >> 8);
      break;
    case BMF_24BPP: {
      BYTE* p = row + 3 * static_cast<std::ptrdiff_t>(x);
      p[0] = static_cast<BYTE>(v);
      p[1] = static_cast<BYTE>(v >> 8);
      p[2] = static_cast<BYTE>(v >> 16);
      break;
    }
    case BMF_32BPP: {
      BYTE* p = row + 4 * static_cast<std::ptrdiff_t>(x);
      p[0] = static_cast<BYTE>(v);
      p[1] = static_cast<BYTE>(v >> 8);
      p[2] = static_cast<BYTE>(v >> 16);
      p[3] = static_cast<BYTE>(v >> 24);
      break;
    }
    default:
      break;
  }
}

ULONG Rop3(BYTE rop, ULONG p, ULONG s, ULONG d) {
  // The operations drivers and the renderer use most, then the general sum of the
  // minterms: bit (4P + 2S + D) of the code is the result for those input bits.
  switch (rop) {
    case 0x00:
      return 0;
    case 0xFF:
      return 0xFFFFFFFFu;
    case 0xCC:
      return s;
    case 0xF0:
      return p;
    case 0xAA:
      return d;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0x66:
      return s ^ d;
    case 0x5A:
      return p ^ d;
    case 0x55:
      return ~d;
    case 0x33:
      return ~s;
    default:
      break;
  }
  ULONG r = 0;
  for (int i = 0; i < 8; ++i) {
    if (rop & (1 << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

// The ternary operation of each binary mix code (R2_* AND 15; R2_WHITE is 0).
// clang-format off
constexpr BYTE kMixRop3[16] = {
    0xFF, 0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A,
    0x5F, 0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA,
};
// clang-format on

BYTE MixToRop3(MIX mix) { return kMixRop3[mix & 0x0F]; }

void PaintSpan(const SURFOBJ* so, LONG y, LONG x0, LONG x1, BYTE rop, const PatternSource& brush) {
  ULONG mask = FormatMask(so->iBitmapFormat);
  if (brush.solid() && (rop == 0xF0 || !RopUsesPattern(rop))) {
    ULONG p = brush.solidColor();
    for (LONG x = x0; x < x1; ++x) {
      WritePixel(so, x, y, (rop == 0xF0 ? p : Rop3(rop, p, 0, ReadPixel(so, x, y))) & mask);
    }
    return;
  }
  for (LONG x = x0; x < x1; ++x) {
    WritePixel(so, x, y, Rop3(rop, brush.At(x, y), 0, ReadPixel(so, x, y)) & mask);
  }
}

}  // namespace platform::engine
