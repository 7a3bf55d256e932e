// The KX-GL/2 primitives every drawing uses: encoded numbers, absolute moves,
// encoded polylines and polygons, and the pen state that decides when a "PU" or
// a ";" must come first. Coordinates are device pixels: the page set-up makes one
// user unit one pixel.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace render {

struct OutputChannel;

// The emitter's state of one device context. It lives in the device context, not
// in the process, so that two jobs drawing at once never share a pending "PU" or
// polygon start.
struct VectorState {
  bool polylineOpen = false;         // "PE" written and not yet ended by ";"
  POINTL polylineEnd = {0, 0};       // last point of the open encoded polyline
  bool penUpPending = false;         // the next absolute move needs "PU" first
  bool polygonStartPending = false;  // the next closed figure opens polygon mode
};

// Appends the encoded form of `v` to `bytes` (at most 7 bytes) and returns its
// length: the sign folded into bit 0, base-64 digits 63-126 least significant
// first, and a terminating byte 191-254.
std::size_t EncodeNumber(std::int32_t v, unsigned char* bytes);

BOOL WriteEncodedNumber(OutputChannel& out, std::int32_t v);
// "PU" when a pen-up is pending, then "PA%d,%d".
void MoveAbsolute(OutputChannel& out, VectorState& state, POINTL p);
// "PE<=" and the encoded point: a pen-up move to an absolute point inside an
// encoded polyline; ";" when `terminate`.
void StartPolyline(OutputChannel& out, POINTL p, bool terminate);
// "<=" and the encoded point, inside an open encoded polyline.
void ContinuePolylineMove(OutputChannel& out, POINTL p);
// Ends an open encoded polyline with ";"; the next absolute move lifts the pen.
void ClosePolyline(OutputChannel& out, VectorState& state);
// A rectangle (left, top, right, bottom pixels) as a closed polygon.
void WriteRectanglePolygon(OutputChannel& out, VectorState& state, const RECTL& r);
// "FP1;" for winding fill, "FP0;" for alternate.
void SetFillRule(OutputChannel& out, bool winding);

}  // namespace render
