// Raster palettes: records, memory of the palette sent, and their pushes.
#include "render/raster/raster_palette.h"

#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/vector/command_emitter.h"

namespace render {
namespace {

// Configure image data: colour space 0 (RGB), the pixel encoding (1 indexed,
// 3 direct), bits per index, 8 bits for each of red, green and blue.
void WriteConfiguration(OutputChannel& out, unsigned char encoding, unsigned char bits) {
  const unsigned char block[6] = {0x00, encoding, bits, 0x08, 0x08, 0x08};
  WriteText(out, "\x1B*v6W");
  WriteBytes(out, block, sizeof block);
}

void WritePushStart(DeviceContext& dc) {
  ClosePolyline(dc.output, dc.vector);
  WriteFormatted(dc.output, "\x1B%%1A\x1B*t%lR\x1B*p0P", {dc.dpi});
}

void WriteEntries(OutputChannel& out, const PaletteRecord& record) {
  WriteText(out, "\x1B*v");
  for (std::size_t i = 0; i < record.count; ++i) {
    std::uint32_t c = record.Colour(i);
    WriteFormatted(out, i + 1 < record.count ? "%da%db%dc%di" : "%da%db%dc%dI",
                   {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, static_cast<std::uint32_t>(i)});
  }
}

void WriteTwoColourPalette(DeviceContext& dc, const char* entries) {
  WritePushStart(dc);
  WriteConfiguration(dc.output, 1, 1);
  WriteText(dc.output, entries);
  WriteText(dc.output, "\x1B%0B");
}

}  // namespace

std::uint32_t PaletteRecord::Colour(std::size_t i) const {
  const unsigned char* e = entries + 4 * i;
  return e[2] | (std::uint32_t{e[1]} << 8) | (std::uint32_t{e[0]} << 16);
}

void PaletteRecord::SetColour(std::size_t i, std::uint32_t colour) {
  unsigned char* e = entries + 4 * i;
  e[0] = static_cast<unsigned char>(colour >> 16);
  e[1] = static_cast<unsigned char>(colour >> 8);
  e[2] = static_cast<unsigned char>(colour);
  e[3] = 0;
}

unsigned IndexBits(ULONG format) {
  switch (format) {
    case BMF_1BPP:
      return 1;
    case BMF_4BPP:
      return 4;
    case BMF_8BPP:
      return 8;
    default:
      return 0;
  }
}

DWORD PaletteStateOf(ULONG format) {
  switch (format) {
    case BMF_1BPP:
      return 1;
    case BMF_4BPP:
      return 2;
    case BMF_8BPP:
      return 3;
    default:
      return 0;
  }
}

void BuildPaletteRecord(XLATEOBJ* xlate, ULONG format, PaletteRecord& record) {
  const unsigned bits = IndexBits(format);
  record.count = bits == 0 ? 0 : std::size_t{1} << bits;
  const bool table = xlate != nullptr && (xlate->flXlate & XO_TABLE) && xlate->pulXlate != nullptr;
  for (std::size_t i = 0; i < record.count; ++i) {
    std::uint32_t colour = 0;
    if (!table) {
      std::uint32_t level = static_cast<std::uint32_t>(i * 255 / (record.count - 1));
      colour = level | (level << 8) | (level << 16);
    } else if (i < xlate->cEntries) {
      colour = xlate->pulXlate[i] & 0xFFFFFF;
    }
    record.SetColour(i, colour);
  }
}

void RememberPalette(DeviceContext& dc, const PaletteRecord& record) {
  std::uint32_t* memory = dc.colour.rasterPaletteMemory;
  if (memory == nullptr || !dc.colour.rasterPaletteExists) return;
  for (std::size_t i = 0; i < record.count && i < kRasterPaletteColours; ++i) {
    memory[i] = record.Colour(i);
  }
}

bool PalettePushed(const DeviceContext& dc, ULONG format, const PaletteRecord& record) {
  const std::uint32_t* memory = dc.colour.rasterPaletteMemory;
  if (dc.raster.paletteState == 0 || dc.raster.paletteState != PaletteStateOf(format)) return false;
  if (memory == nullptr || !dc.colour.rasterPaletteExists || record.count == 0) return false;
  for (std::size_t i = 0; i < record.count && i < kRasterPaletteColours; ++i) {
    if (memory[i] != record.Colour(i)) return false;
  }
  return true;
}

void PushRasterPalette(DeviceContext& dc, ULONG format, const PaletteRecord* record) {
  if (dc.raster.paletteState != 0) return;
  const unsigned bits = IndexBits(format);
  WritePushStart(dc);
  if (bits == 0) {
    WriteConfiguration(dc.output, 3, 8);
  } else {
    WriteConfiguration(dc.output, 1, static_cast<unsigned char>(bits));
    PaletteRecord ramp;
    if (record == nullptr) BuildPaletteRecord(nullptr, format, ramp);
    WriteEntries(dc.output, record != nullptr ? *record : ramp);
    dc.raster.paletteState = PaletteStateOf(format);
  }
  WriteText(dc.output, "\x1B%0B");
}

void PopPrinterPalette(DeviceContext& dc) {
  ClosePolyline(dc.output, dc.vector);
  WriteText(dc.output, "\x1B%1A\x1B*p1P\x1B%0B");
  dc.raster.paletteState = 0;
}

void SendBlackWhitePalette(DeviceContext& dc) {
  if (dc.raster.paletteState != 0) return;
  WriteBlackWhitePush(dc);
  dc.raster.paletteState = 1;
}

void SendWhiteBlackPalette(DeviceContext& dc) {
  WriteTwoColourPalette(dc, "\x1B*v255a255b255c0i0a0b0c1I");
  dc.raster.paletteState = 1;
}

void WriteBlackWhitePush(DeviceContext& dc) {
  WriteTwoColourPalette(dc, "\x1B*v0a0b0c0i255a255b255c1I");
}

}  // namespace render
