// The palettes of raster images in the printer: the palette record of an
// indexed image built from the engine's colour translation, its push into the
// printer ("ESC*p0P" and the configure-image-data block), and the fixed
// black-and-white palettes of one-bit images.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/engine/ddi.h"

namespace render {

struct DeviceContext;

// A palette of up to 256 entries, each four bytes blue, green, red, reserved
// (the layout the palette conversion works on).
struct PaletteRecord {
  std::size_t count = 0;
  unsigned char entries[256 * 4] = {};

  std::uint32_t Colour(std::size_t i) const;  // 0x00BBGGRR
  void SetColour(std::size_t i, std::uint32_t colour);
};

// The bits per index of an indexed format (1, 4, 8), 0 for any other.
unsigned IndexBits(ULONG format);
// The palette state a pushed palette of `format` leaves: 1, 2, 3, or 0.
DWORD PaletteStateOf(ULONG format);

// The record of an indexed image: always 2^b entries. Entries the
// translation lacks are black; a missing or identity translation (no table)
// gives a gray ramp of 2^b steps.
void BuildPaletteRecord(XLATEOBJ* xlate, ULONG format, PaletteRecord& record);
// The record stored as the palette last sent; without palette memory nothing
// is stored.
void RememberPalette(DeviceContext& dc, const PaletteRecord& record);
// Whether the palette the printer holds (the state and the memory) is this
// record's. Without palette memory no palette is known to be sent.
bool PalettePushed(const DeviceContext& dc, ULONG format, const PaletteRecord& record);

// "ESC%1A" "ESC*t" dpi "R" "ESC*p0P", the configure-image-data block of the
// format ("ESC*v6W" and six bytes), for indexed formats the entries
// "ESC*v" r "a" g "b" b "c" i "i" ... "I", and "ESC%0B". Nothing when a
// palette is pushed already. Indexed formats set the palette state; 24 bits
// (direct colour) leaves it 0. `record` may be null for 24 bits.
void PushRasterPalette(DeviceContext& dc, ULONG format, const PaletteRecord* record);
// "ESC%1A" "ESC*p1P" "ESC%0B" without looking at the state: the pop that
// balances the push of a direct-colour image, which leaves no state.
void PopPrinterPalette(DeviceContext& dc);

// The one-bit palette of index 0 black and index 1 white, pushed unless a
// palette is pushed already (the state becomes 1).
void SendBlackWhitePalette(DeviceContext& dc);
// Index 0 white and index 1 black, always pushed; the state is left alone.
void SendWhiteBlackPalette(DeviceContext& dc);
// The black-and-white push of masks, without the state: "ESC%1A" "ESC*t" dpi
// "R" "ESC*p0P" "ESC*v6W" 00 01 01 08 08 08 "ESC*v0a0b0c0i255a255b255c1I"
// "ESC%0B".
void WriteBlackWhitePush(DeviceContext& dc);

}  // namespace render
