// The KX-GL/2 command table and the handlers it calls. Each handler gets the
// command's parameters as its row in the table says they are read; the
// handlers live by command group in gl_config.cpp, gl_vectors.cpp,
// gl_attributes.cpp and gl_labels.cpp.
#pragma once

#include <cstddef>
#include <span>

#include "tools/preview/byte_cursor.h"
#include "tools/preview/hpgl_parser.h"
#include "tools/preview/interpreter.h"

namespace preview {

struct GlCall {
  Mnemonic mnemonic;
  NumericParams numbers;
  RawParams raw;
  std::span<const uint8_t> text;  // the whole command as it stands in the stream
  size_t offset = 0;
};

// Reads and executes the command whose mnemonic was just read.
void ExecuteGlCommand(Interpreter& in, ByteCursor& cursor, const Mnemonic& mnemonic);

// Shared by the handlers.
Rgb PenColour(const Interpreter& in);
LineStyle CurrentLineStyle(const Interpreter& in);
FillStyle CurrentFillStyle(Interpreter& in, size_t offset);
Mark NewMark(const Interpreter& in);
Point PenUser(const Interpreter& in);
void MoveTo(Interpreter& in, Point physical);
void DrawTo(Interpreter& in, Point physical, size_t offset);
double Diagonal(const Interpreter& in);  // of P1 and P2, plotter units

using GlHandler = void (*)(Interpreter&, const GlCall&);

// clang-format off
// Configuration and status (gl_config.cpp).
void DoInitialize(Interpreter&, const GlCall&);       // IN
void DoDefaults(Interpreter&, const GlCall&);         // DF
void DoPlotSize(Interpreter&, const GlCall&);         // PS
void DoScalingPoints(Interpreter&, const GlCall&);    // IP
void DoRelativePoints(Interpreter&, const GlCall&);   // IR
void DoInputWindow(Interpreter&, const GlCall&);      // IW
void DoScale(Interpreter&, const GlCall&);            // SC
void DoRotate(Interpreter&, const GlCall&);           // RO
void DoPage(Interpreter&, const GlCall&);             // PG
void DoPens(Interpreter&, const GlCall&);             // NP
void DoPenColour(Interpreter&, const GlCall&);        // PC
void DoColourRange(Interpreter&, const GlCall&);      // CR
void DoTransparency(Interpreter&, const GlCall&);     // TR
void DoMergeControl(Interpreter&, const GlCall&);     // MC
void DoDeviceSetting(Interpreter&, const GlCall&);    // MS
void DoNothing(Interpreter&, const GlCall&);          // commands that draw nothing here
void DoNotDrawn(Interpreter&, const GlCall&);         // known commands the previewer does not draw

// Vectors and polygons (gl_vectors.cpp).
void DoPlotAbsolute(Interpreter&, const GlCall&);     // PA
void DoPlotRelative(Interpreter&, const GlCall&);     // PR
void DoPenUp(Interpreter&, const GlCall&);            // PU
void DoPenDown(Interpreter&, const GlCall&);          // PD
void DoEncodedPolyline(Interpreter&, const GlCall&);  // PE
void DoCircle(Interpreter&, const GlCall&);           // CI
void DoArcAbsolute(Interpreter&, const GlCall&);      // AA
void DoArcRelative(Interpreter&, const GlCall&);      // AR
void DoPolygonMode(Interpreter&, const GlCall&);      // PM
void DoFillPolygon(Interpreter&, const GlCall&);      // FP
void DoEdgePolygon(Interpreter&, const GlCall&);      // EP
void DoFillRelative(Interpreter&, const GlCall&);     // RR
void DoFillAbsolute(Interpreter&, const GlCall&);     // RA
void DoEdgeRelative(Interpreter&, const GlCall&);     // ER
void DoEdgeAbsolute(Interpreter&, const GlCall&);     // EA

// Line and fill attributes (gl_attributes.cpp).
void DoSelectPen(Interpreter&, const GlCall&);        // SP
void DoPenWidth(Interpreter&, const GlCall&);         // PW
void DoWidthUnit(Interpreter&, const GlCall&);        // WU
void DoLineType(Interpreter&, const GlCall&);         // LT
void DoUserLineType(Interpreter&, const GlCall&);     // UL
void DoLineAttributes(Interpreter&, const GlCall&);   // LA
void DoFillType(Interpreter&, const GlCall&);         // FT
void DoRasterFill(Interpreter&, const GlCall&);       // RF
void DoAnchorCorner(Interpreter&, const GlCall&);     // AC

// Labels (gl_labels.cpp).
void DoLabel(Interpreter&, const GlCall&);            // LB
void DoLabelTerminator(Interpreter&, const GlCall&);  // DT
void DoCharacterSize(Interpreter&, const GlCall&);    // SI
void DoRelativeSize(Interpreter&, const GlCall&);     // SR
void DoDirection(Interpreter&, const GlCall&);        // DI
void DoRelativeDirection(Interpreter&, const GlCall&);  // DR
void DoSlant(Interpreter&, const GlCall&);            // SL
void DoLabelOrigin(Interpreter&, const GlCall&);      // LO
void DoExtraSpace(Interpreter&, const GlCall&);       // ES
void DoCharacterPlot(Interpreter&, const GlCall&);    // CP
void DoStandardFont(Interpreter&, const GlCall&);     // SD
void DoAlternateFont(Interpreter&, const GlCall&);    // AD
void DoSelectStandard(Interpreter&, const GlCall&);   // SS
void DoSelectAlternate(Interpreter&, const GlCall&);  // SA
void DoLabelMode(Interpreter&, const GlCall&);        // LM
// clang-format on

// Labels back to their defaults (IN and DF).
void ResetLabels(LabelState& label);

}  // namespace preview
