// Joins, caps, widths and dash patterns of strokes.
#include "render/vector/line_attributes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "render/core/device_context.h"
#include "render/vector/pens.h"

namespace render {

namespace {

using namespace settings::priv;

// Wide lines above 5 pixels (in 24.8) are not rounded to the nearest step.
constexpr std::int64_t kRoundedWidthLimit = 1280;
// The device's pattern length of the alternate (every other pixel) style, 2.031.
constexpr std::int32_t kAlternatePattern = 520;

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Dpi(const DeviceContext& dc) { return dc.dpi > 0 ? dc.dpi : 300; }

bool LineChange(const DeviceContext& dc) {
  return settings::GetU16(dc.settings.priv, kPrintOptions) & settings::kOptLinechange;
}

std::int32_t Setting(const DeviceContext& dc, std::size_t offset) {
  return settings::GetI32(dc.settings.priv, offset);
}

int JoinCode(ULONG join) {
  switch (join) {
    case JOIN_ROUND:
      return 4;
    case JOIN_BEVEL:
      return 5;
    default:
      return 1;  // mitered
  }
}

int CapCode(ULONG cap) {
  switch (cap) {
    case ENDCAP_ROUND:
      return 4;
    case ENDCAP_SQUARE:
      return 2;
    default:
      return 1;  // flat
  }
}

void Close(DeviceContext& dc) { ClosePolyline(dc.output, dc.vector); }

ULONG StyleCount(const LINEATTRS& la) { return la.pstyle ? la.cstyle : 0; }

std::uint32_t Bits(const FLOAT_LONG& v) { return static_cast<std::uint32_t>(v.l); }

bool SameStyle(const CachedLine& cached, const LINEATTRS& la) {
  ULONG count = StyleCount(la);
  if (count != cached.styleCount) return false;
  if (count == 0) return true;
  if (cached.style == nullptr) return false;
  for (ULONG i = 0; i < count; ++i) {
    if (cached.style[i] != Bits(la.pstyle[i])) return false;
  }
  return true;
}

// Keeps a copy of the style; false when no memory could be had (the cache then
// holds the count without elements, so the next stroke writes its pattern anew).
bool CacheStyle(DeviceContext& dc, const LINEATTRS& la) {
  CachedLine& cached = dc.pens.line;
  if (cached.style) HeapFree(dc.heap, 0, cached.style);
  cached.style = nullptr;
  cached.styleCount = StyleCount(la);
  if (cached.styleCount == 0) return true;
  cached.style = static_cast<std::uint32_t*>(
      HeapAlloc(dc.heap, 0, static_cast<SIZE_T>(cached.styleCount) * sizeof(std::uint32_t)));
  if (cached.style == nullptr) return false;
  for (ULONG i = 0; i < cached.styleCount; ++i) cached.style[i] = Bits(la.pstyle[i]);
  return true;
}

// "UL8" (or "UL-8") and the dash elements; returns the sum of the written values.
// An element is written as its length times 256; one that comes out as 0 (the
// integer elements of thin lines read as floats) is written as its raw value.
std::int64_t WriteUserPattern(DeviceContext& dc, const LINEATTRS& la, bool lineChange) {
  WriteText(dc.output, lineChange ? "UL-8" : "UL8");
  std::int64_t sum = 0;
  for (ULONG i = 0; i < StyleCount(la); ++i) {
    std::int32_t v = TruncateToInt32(static_cast<double>(la.pstyle[i].e) * 256);
    if (v == 0) v = la.pstyle[i].l;
    WriteFormatted(dc.output, ",%d", {v});
    sum += v;
  }
  return sum;
}

void WritePatternLength(DeviceContext& dc, bool lineChange, const char* number, std::int32_t v) {
  WriteText(dc.output, lineChange ? "LT-8," : "LT8,");
  WriteFormatted(dc.output, number, {v});
  WriteText(dc.output, ",1");
}

// Scales a 24.8 millimetre length by the transform's scale (-1: unscaled).
std::int64_t Scaled(std::int64_t v, std::int32_t scale) {
  return scale > 0 ? (v * scale + 128) >> 8 : v;
}

bool ApplyWide(DeviceContext& dc, const LINEATTRS& la, XFORMOBJ* transform) {
  CachedLine& cached = dc.pens.line;
  if (Setting(dc, kPenatt) == 0) {
    if (static_cast<std::int32_t>(la.iJoin) != cached.join) {
      Close(dc);
      cached.join = static_cast<std::int32_t>(la.iJoin);
      WriteFormatted(dc.output, "LA2,%d", {JoinCode(la.iJoin)});
    }
    if (static_cast<std::int32_t>(la.iEndCap) != cached.cap) {
      Close(dc);
      cached.cap = static_cast<std::int32_t>(la.iEndCap);
      WriteFormatted(dc.output, "LA1,%d", {CapCode(la.iEndCap)});
    }
  }
  std::int64_t dpi = Dpi(dc);
  std::int64_t a = TruncateToInt32(static_cast<double>(la.elWidth.e) * 256);
  std::int64_t w = a > kRoundedWidthLimit ? a * 254 / 10 / dpi : (a * 254 + dpi * 5) / 10 / dpi;
  std::int32_t scale = LineScale(dc, transform);
  if (scale == 0) return false;
  SetPenWidth(dc, Clamp32(Scaled(w, scale)));
  if (SameStyle(cached, la)) return true;
  Close(dc);
  bool lineChange = LineChange(dc);
  if (StyleCount(la) != 0) {
    std::int64_t t = std::clamp<std::int64_t>(WriteUserPattern(dc, la, lineChange), 0, 0xFFFFFFFF);
    WritePatternLength(dc, lineChange, "%f", Clamp32(Scaled(t * 254 / 10 / dpi, scale)));
  } else {
    WriteText(dc.output, "LT");
  }
  cached.flags = la.fl;
  cached.join = static_cast<std::int32_t>(la.iJoin);
  cached.cap = static_cast<std::int32_t>(la.iEndCap);
  cached.width = Bits(la.elWidth);
  cached.miterLimit = la.eMiterLimit;
  cached.styleState = Bits(la.elStyleState);
  return CacheStyle(dc, la);
}

// The settings' pitch for a dash style of 2, 4, 6 or 8 elements when its
// override is on, else none.
std::optional<std::int32_t> PitchOverride(const DeviceContext& dc, ULONG count) {
  struct Row {
    ULONG count;
    std::size_t check, value;
    std::int32_t factor;
  };
  constexpr Row kPitches[] = {{2, kLineintcheck, kLineintvalue, 1},
                              {4, kLine1chcheck, kLine1chvalue, 1},
                              {6, kLine2chcheck, kLine2chvalue, 1},
                              {8, kLinedotcheck, kLinedotvalue, 4}};
  for (const Row& row : kPitches) {
    if (row.count == count && Setting(dc, row.check) != 0) {
      return Clamp32(std::int64_t{Setting(dc, row.value)} * row.factor);
    }
  }
  return std::nullopt;
}

bool ApplyThin(DeviceContext& dc, const LINEATTRS& la) {
  CachedLine& cached = dc.pens.line;
  if (Setting(dc, kPenatt) == 0 && (cached.join != JOIN_BEVEL || cached.cap != ENDCAP_BUTT)) {
    cached.join = JOIN_BEVEL;
    cached.cap = ENDCAP_BUTT;
    Close(dc);
    WriteText(dc.output, "LA1,1,2,5");
  }
  SetPenWidth(dc, Clamp32(std::int64_t{la.elWidth.l} * 65024 / 10 / Dpi(dc)));
  bool lineChange = LineChange(dc);
  if (la.fl & LA_ALTERNATE) {
    Close(dc);
    WriteText(dc.output, lineChange ? "LT-2," : "LT2,");
    WriteFormatted(dc.output, "%f,1", {kAlternatePattern});
    return true;
  }
  if (SameStyle(cached, la)) return true;
  Close(dc);
  if (StyleCount(la) == 0) {
    WriteText(dc.output, "LT");
  } else {
    std::int64_t t = WriteUserPattern(dc, la, lineChange);
    if (std::optional<std::int32_t> pitch = PitchOverride(dc, StyleCount(la))) {
      WritePatternLength(dc, lineChange, "%d", *pitch);
    } else {
      WritePatternLength(dc, lineChange, "%f", Clamp32(t * 260));
    }
  }
  cached.flags = la.fl;
  cached.width = Bits(la.elWidth);
  cached.styleState = Bits(la.elStyleState);
  return CacheStyle(dc, la);
}

}  // namespace

std::int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

std::int32_t LineScale(DeviceContext& dc, XFORMOBJ* transform) {
  XFORML m{};
  if (transform == nullptr || XFORMOBJ_iGetXform(transform, &m) == DDI_ERROR) return -1;
  dc.pens.transforms[0] = m;
  dc.pens.emitterFlags |= kEmitterTransformFetched;
  std::int64_t a = std::abs(std::int64_t{TruncateToInt32(static_cast<double>(m.eM11) * 256)});
  std::int64_t d = std::abs(std::int64_t{TruncateToInt32(static_cast<double>(m.eM22) * 256)});
  return static_cast<std::int32_t>((a + d) / 2);
}

bool ApplyLineAttributes(DeviceContext& dc, const LINEATTRS* line, XFORMOBJ* transform) {
  if (line == nullptr) return false;
  return (line->fl & LA_GEOMETRIC) ? ApplyWide(dc, *line, transform) : ApplyThin(dc, *line);
}

void ResetLineType(DeviceContext& dc) {
  CachedLine& cached = dc.pens.line;
  if (cached.styleCount == 0 && cached.style == nullptr) return;
  if (cached.style) HeapFree(dc.heap, 0, cached.style);
  cached.style = nullptr;
  cached.styleCount = 0;
  Close(dc);
  WriteText(dc.output, "LT");
}

}  // namespace render
