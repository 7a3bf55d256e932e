// Encoded numbers, moves and polygons of the KX-GL/2 stream.
#include "render/vector/command_emitter.h"

#include "render/core/output_channel.h"

namespace render {

std::size_t EncodeNumber(std::int32_t v, unsigned char* bytes) {
  // Fold the sign into bit 0 in 64 bits, so the most negative value is safe too.
  std::uint64_t z = v >= 0 ? 2 * static_cast<std::uint64_t>(v)
                           : 1 + 2 * static_cast<std::uint64_t>(-static_cast<std::int64_t>(v));
  std::size_t n = 0;
  while (z >= 64) {
    bytes[n++] = static_cast<unsigned char>(63 + z % 64);
    z /= 64;
  }
  bytes[n++] = static_cast<unsigned char>(191 + z);
  return n;
}

BOOL WriteEncodedNumber(OutputChannel& out, std::int32_t v) {
  unsigned char bytes[8];
  return WriteBytes(out, bytes, EncodeNumber(v, bytes));
}

namespace {
void WriteEncodedPoint(OutputChannel& out, POINTL p) {
  unsigned char bytes[16];
  std::size_t n = EncodeNumber(p.x, bytes);
  n += EncodeNumber(p.y, bytes + n);
  WriteBytes(out, bytes, n);
}

void PenUpIfPending(OutputChannel& out, VectorState& state) {
  if (state.penUpPending) {
    WriteBytes(out, "PU", 2);
    state.penUpPending = false;
  }
}
}  // namespace

void MoveAbsolute(OutputChannel& out, VectorState& state, POINTL p) {
  PenUpIfPending(out, state);
  WriteFormatted(out, "PA%d,%d", {p.x, p.y});
}

void StartPolyline(OutputChannel& out, POINTL p, bool terminate) {
  WriteBytes(out, "PE<=", 4);
  WriteEncodedPoint(out, p);
  if (terminate) WriteBytes(out, ";", 1);
}

void ContinuePolylineMove(OutputChannel& out, POINTL p) {
  WriteBytes(out, "<=", 2);
  WriteEncodedPoint(out, p);
}

void ClosePolyline(OutputChannel& out, VectorState& state) {
  if (!state.polylineOpen) return;
  state.polylineOpen = false;
  WriteBytes(out, ";", 1);
  state.penUpPending = true;
}

void WriteRectanglePolygon(OutputChannel& out, VectorState& state, const RECTL& r) {
  PenUpIfPending(out, state);
  WriteFormatted(out, "PA%d,%dPMPE", {r.left, r.top});
  const std::int32_t steps[] = {r.right - r.left, 0, 0, r.bottom - r.top, r.left - r.right, 0};
  for (std::int32_t v : steps) WriteEncodedNumber(out, v);
  WriteBytes(out, ";PM2", 4);
  state.penUpPending = true;
}

void SetFillRule(OutputChannel& out, bool winding) {
  WriteBytes(out, winding ? "FP1;" : "FP0;", 4);
}

}  // namespace render
