// The driver's realisation of an engine brush: its hatch index, its colour
// table and, for a pattern, the pattern's scan lines (16- and 32-bit patterns
// turned into 24-bit RGB rows on the way).
#include <algorithm>
#include <cstring>

#include "platform/engine/callbacks.h"
#include "platform/platform.h"
#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/vector/brushes.h"

namespace render {
namespace {

constexpr std::uint64_t kHeadBytes = sizeof(RealizedBrush);
constexpr std::uint32_t kBlack = 0x000000;

// Bits of one stored scan line: 16- and 32-bit patterns are kept as 24-bit.
std::uint64_t StoredRowBits(ULONG format, std::uint64_t width) {
  switch (format) {
    case BMF_4BPP:
      return width * 4;
    case BMF_8BPP:
      return width * 8;
    case BMF_16BPP:
    case BMF_24BPP:
    case BMF_32BPP:
      return width * 24;
    default:
      return width;
  }
}

std::uint64_t StoredRowBytes(ULONG format, std::uint64_t width) {
  return (StoredRowBits(format, width) + 31) / 32 * 4;
}

bool ConvertsToRgb(ULONG format) { return format == BMF_16BPP || format == BMF_32BPP; }

// The lowest-addressed scan line of a bitmap: the stored copy keeps the rows in
// memory order, so that its flags still say which end is the top.
const unsigned char* LowestRow(const SURFOBJ& so) {
  const auto* top = static_cast<const unsigned char*>(so.pvScan0);
  if (so.lDelta >= 0) return top;
  return top + static_cast<std::ptrdiff_t>(so.sizlBitmap.cy - 1) * so.lDelta;
}

// 16- and 32-bit pixels through the translation into red, green, blue bytes,
// rows from the top.
void ConvertRows(const SURFOBJ& so, XLATEOBJ* xlate, unsigned char* to, std::uint64_t rowBytes) {
  const auto* top = static_cast<const unsigned char*>(so.pvScan0);
  const bool wide = so.iBitmapFormat == BMF_32BPP;
  for (LONG y = 0; y < so.sizlBitmap.cy; ++y) {
    const unsigned char* from = top + static_cast<std::ptrdiff_t>(y) * so.lDelta;
    unsigned char* row = to + static_cast<std::uint64_t>(y) * rowBytes;
    for (LONG x = 0; x < so.sizlBitmap.cx; ++x) {
      ULONG pixel = 0;
      if (wide) {
        const unsigned char* p = from + 4 * static_cast<std::size_t>(x);
        pixel = p[0] | ULONG{p[1]} << 8 | ULONG{p[2]} << 16 | ULONG{p[3]} << 24;
      } else {
        const unsigned char* p = from + 2 * static_cast<std::size_t>(x);
        pixel = p[0] | ULONG{p[1]} << 8;
      }
      ULONG rgb = XLATEOBJ_iXlate(xlate, pixel);
      unsigned char* q = row + 3 * static_cast<std::size_t>(x);
      q[0] = static_cast<unsigned char>(rgb & 0xFF);
      q[1] = static_cast<unsigned char>((rgb >> 8) & 0xFF);
      q[2] = static_cast<unsigned char>((rgb >> 16) & 0xFF);
    }
  }
}

// Other formats unchanged, row by row: at most the shorter of the source's and
// the stored row.
void CopyRows(const SURFOBJ& so, unsigned char* to, std::uint64_t rowBytes) {
  const unsigned char* from = LowestRow(so);
  const std::uint64_t step = so.lDelta < 0
                                 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(so.lDelta))
                                 : static_cast<std::uint64_t>(so.lDelta);
  const std::uint64_t n = std::min(step, rowBytes);
  for (LONG y = 0; y < so.sizlBitmap.cy; ++y) {
    std::memcpy(to + static_cast<std::uint64_t>(y) * rowBytes,
                from + static_cast<std::uint64_t>(y) * step, n);
  }
}

// A pattern with bits; one that is converted pixel by pixel must also have
// rows as long as its pixels.
bool UsablePattern(const SURFOBJ* so) {
  if (so == nullptr || so->pvScan0 == nullptr || so->sizlBitmap.cx <= 0 || so->sizlBitmap.cy <= 0) {
    return false;
  }
  if (!ConvertsToRgb(so->iBitmapFormat)) return true;
  const std::uint64_t pixelBytes = so->iBitmapFormat == BMF_32BPP ? 4 : 2;
  const std::int64_t step = so->lDelta;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(step < 0 ? -step : step);
  return rowBytes >= pixelBytes * static_cast<std::uint64_t>(so->sizlBitmap.cx);
}

}  // namespace

const unsigned char* RealizedBits(const RealizedBrush& brush) {
  return reinterpret_cast<const unsigned char*>(&brush) + kHeadBytes;
}

std::uint32_t RealizedColourEntry(const RealizedBrush& brush, std::uint32_t i) {
  if (i >= brush.colourCount) return i == 0 ? kBlack : RealizedColourEntry(brush, 0);
  std::uint32_t c = 0;
  std::memcpy(&c, reinterpret_cast<const unsigned char*>(&brush) + brush.colourOffset + 4 * i, 4);
  return c;
}

BOOL RealizedBrushColour(BRUSHOBJ* brush, ULONG* colour) {
  if (brush == nullptr || colour == nullptr) return FALSE;
  const auto* realized = static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
  if (realized == nullptr) return FALSE;
  *colour = RealizedColourEntry(*realized, 1);
  return TRUE;
}

BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ*, XLATEOBJ* pxlo,
                     ULONG hatch) {
  if (ValidDeviceContext(target) == nullptr || pbo == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool isPattern = hatch >= HS_DDI_MAX;
  if (isPattern && !UsablePattern(pattern)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::uint64_t rowBytes = 0;
  std::uint64_t bitsBytes = 0;
  if (isPattern) {
    rowBytes =
        StoredRowBytes(pattern->iBitmapFormat, static_cast<std::uint64_t>(pattern->sizlBitmap.cx));
    bitsBytes = rowBytes * static_cast<std::uint64_t>(pattern->sizlBitmap.cy);
  }
  const bool table = pxlo != nullptr && (pxlo->flXlate & XO_TABLE) && pxlo->pulXlate != nullptr;
  const std::uint64_t count = table ? pxlo->cEntries : 0;
  const std::uint64_t size = bitsBytes + 4 * count + kHeadBytes;
  if (size > 0xFFFFFFFFu) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  void* memory = BRUSHOBJ_pvAllocRbrush(pbo, static_cast<ULONG>(size));
  if (memory == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* realized = static_cast<RealizedBrush*>(memory);
  *realized = {};
  realized->style = hatch;
  realized->colourCount = static_cast<std::uint32_t>(count);
  realized->colourOffset = static_cast<std::uint32_t>(bitsBytes + kHeadBytes);
  auto* bytes = static_cast<unsigned char*>(memory);
  if (count > 0) std::memcpy(bytes + realized->colourOffset, pxlo->pulXlate, 4 * count);
  if (isPattern) {
    realized->width = pattern->sizlBitmap.cx;
    realized->height = pattern->sizlBitmap.cy;
    realized->flags = pattern->fjBitmap;
    realized->format = static_cast<std::int32_t>(pattern->iBitmapFormat);
    if (ConvertsToRgb(pattern->iBitmapFormat)) {
      realized->format = static_cast<std::int32_t>(BMF_24BPP);
      realized->flags |= static_cast<std::int32_t>(BMF_TOPDOWN);
      ConvertRows(*pattern, pxlo, bytes + kHeadBytes, rowBytes);
    } else {
      CopyRows(*pattern, bytes + kHeadBytes, rowBytes);
    }
  }
  pbo->pvRbrush = memory;
  return TRUE;
}

}  // namespace render
