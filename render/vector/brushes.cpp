// The fill state of a brush: its style and colour (from its solid colour or its
// realisation), the merge control, the pen, and the fill type, which is written
// only when it changes from the one the device has.
#include "render/vector/brushes.h"

#include "platform/engine/callbacks.h"
#include "render/core/device_context.h"
#include "render/core/output_channel.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/merge_control.h"
#include "render/vector/command_emitter.h"
#include "render/vector/fill_patterns.h"
#include "render/vector/line_attributes.h"
#include "render/vector/pens.h"

namespace render {
namespace {

constexpr ULONG kNoSolidColour = 0xFFFFFFFF;
constexpr std::uint32_t kSolidStyle = static_cast<std::uint32_t>(kFillSolid);
constexpr LONG kSmallestPattern = 8;
constexpr int kRasterFillPen = 25;
// Hatch lines are drawn 0.0625 mm wide (24.8), written "PW0.063".
constexpr std::int32_t kHatchPenWidth = 16;
constexpr FLONG kWindingFill = 0x2;

// The hatch fill of each engine hatch index: fill type 3 (parallel lines) or 4
// (crossed), the spacing in millimetres and the angle in degrees.
struct HatchFill {
  std::int32_t type;
  std::int32_t angle;
};
// clang-format off
constexpr HatchFill kHatchFills[HS_DDI_MAX] = {
    {3,   0},  // horizontal
    {3,  90},  // vertical
    {3, 135},  // forward diagonal
    {3,  45},  // backward diagonal
    {4,   0},  // cross
    {4,  45},  // diagonal cross
};
// clang-format on
constexpr const char* kHatchSpacing = "26.667";

struct ResolvedBrush {
  std::uint32_t style = kSolidStyle;
  std::uint32_t colour = 0;
  const RealizedBrush* realized = nullptr;
};

// The style and colour of a brush, then the merge control for what it draws.
bool ResolveBrush(DeviceContext& dc, BRUSHOBJ* brush, DWORD rop, ResolvedBrush& out) {
  if (brush == nullptr) return false;
  if (brush->iSolidColor != kNoSolidColour) {
    out = {kSolidStyle, brush->iSolidColor, nullptr};
  } else {
    const auto* realized = static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
    if (realized == nullptr) return false;
    out = {realized->style, RealizedColourEntry(*realized, 1), realized};
  }
  SetMergeControl(dc, rop);
  return true;
}

enum class FillPen { kDrawing, kRasterFill };

// Pen 25 defined and selected in one command for the raster fills; the gray of
// monochrome vector colour is made here, as the pen table is not consulted.
void DefineRasterFillPen(DeviceContext& dc, std::uint32_t colour) {
  std::uint32_t c = ConvertColor(dc, colour);
  if (ColourMode(dc) == 2 && VectorColorOverride(dc) != 0 && c != 0 && c != 0xFFFFFF) {
    std::uint32_t g = static_cast<std::uint32_t>(GrayLevel(c));
    c = g | g << 8 | g << 16;
  }
  ClosePolyline(dc.output, dc.vector);
  WriteFormatted(dc.output, "PC%d,%d,%d,%dSP%d",
                 {kRasterFillPen, static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF), kRasterFillPen});
  dc.pens.currentPen = kRasterFillPen;
  dc.pens.cachedColour = kNoColour;
  dc.pens.patternPens = false;
}

void ChoosePen(DeviceContext& dc, std::uint32_t colour, FillPen pen) {
  if (pen == FillPen::kDrawing) {
    SelectPenForColour(dc, colour);
  } else {
    DefineRasterFillPen(dc, colour);
  }
}

void WriteFillType(DeviceContext& dc, std::uint32_t style) {
  if (static_cast<std::int32_t>(style) == dc.pens.fillType) return;
  ClosePolyline(dc.output, dc.vector);
  if (style == kSolidStyle) {
    WriteText(dc.output, "FT");
  } else {
    const HatchFill& h = kHatchFills[style];
    WriteFormatted(dc.output, "FT%d,%s,%d", {h.type, kHatchSpacing, h.angle});
  }
  dc.pens.fillType = static_cast<std::int32_t>(style);
}

// A pattern as a downloaded fill: two colours wherever colour is printed or the
// monochrome printer takes them, else the dithered black and white.
bool ApplyPattern(DeviceContext& dc, BRUSHOBJ* brush, const ResolvedBrush& b, POINTL* origin,
                  DWORD rop) {
  const RealizedBrush& r = *b.realized;
  if (r.width < kSmallestPattern || r.height < kSmallestPattern) return false;
  bool twoColours = true;
  if (ColourMode(dc) == 2) {
    const bool modetype1 = (settings::GetU16(dc.settings.priv, settings::priv::kPrintOptions) &
                            settings::kOptModetype1) != 0;
    const bool jobResolution =
        (dc.PrinterFunction() & 0x2000) != 0 && dc.Description().PrinterType() != 6;
    twoColours = VectorColorOverride(dc) == 0 && (modetype1 || jobResolution);
  }
  const bool ok = twoColours ? WriteTwoColourPattern(dc, brush, r, origin, rop)
                             : WriteMonoPattern(dc, brush, r, origin, rop);
  if (!ok) return false;
  WriteText(dc.output, "FT11,1;");
  dc.pens.fillType = static_cast<std::int32_t>(b.style);
  return true;
}

bool ApplyBrush(DeviceContext& dc, BRUSHOBJ* brush, POINTL* origin, DWORD rop, FillPen pen) {
  ResolvedBrush b;
  if (!ResolveBrush(dc, brush, rop, b)) return false;
  if (b.style >= kFirstPatternStyle) {
    return b.realized != nullptr && ApplyPattern(dc, brush, b, origin, rop);
  }
  ChoosePen(dc, b.colour, pen);
  if (b.style < HS_DDI_MAX) {
    // Hatch lines are thin and solid whatever the last stroke was.
    SetPenWidth(dc, kHatchPenWidth);
    ResetLineType(dc);
  }
  WriteFillType(dc, b.style);
  return true;
}

}  // namespace

BOOL FillPolygonWithBrush(DeviceContext& dc, FLONG fillOptions, BRUSHOBJ* brush,
                          POINTL* brushOrigin, DWORD rop) {
  if (!ApplyBrush(dc, brush, brushOrigin, rop, FillPen::kDrawing)) return FALSE;
  ClosePolyline(dc.output, dc.vector);
  SetFillRule(dc.output, (fillOptions & kWindingFill) != 0);
  return TRUE;
}

BOOL SetPaintBrush(DeviceContext& dc, BRUSHOBJ* brush, POINTL* brushOrigin, DWORD rop) {
  return ApplyBrush(dc, brush, brushOrigin, rop, FillPen::kDrawing) ? TRUE : FALSE;
}

BOOL SetRasterFillBrush(DeviceContext& dc, BRUSHOBJ* brush, POINTL* brushOrigin, DWORD rop) {
  return ApplyBrush(dc, brush, brushOrigin, rop, FillPen::kRasterFill) ? TRUE : FALSE;
}

}  // namespace render
