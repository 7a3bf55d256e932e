// Path translation into encoded polylines. Every point costs its two encoded
// numbers and nothing else, so the numbers of a record are gathered in a local
// area and handed to the output channel in large pieces.
#include "render/vector/path_translation.h"

#include <cstring>

#include "platform/platform.h"
#include "render/core/output_channel.h"
#include "render/vector/command_emitter.h"

namespace render {

namespace {

// Points are 28.4 fixed point; a pixel is the point shifted right by 4 (towards
// minus infinity).
POINTL Pixel(const POINTFIX& p) { return {p.x >> 4, p.y >> 4}; }

// Encoded coordinates gathered for one write: two numbers take at most 14 bytes.
class EncodedPoints {
 public:
  explicit EncodedPoints(OutputChannel& out) : out_(out) {}
  ~EncodedPoints() { Flush(); }
  void Add(LONG dx, LONG dy) {
    if (used_ + 14 > sizeof(area_)) Flush();
    used_ += EncodeNumber(dx, area_ + used_);
    used_ += EncodeNumber(dy, area_ + used_);
  }
  void Flush() {
    if (used_ > 0) WriteBytes(out_, area_, used_);
    used_ = 0;
  }

 private:
  OutputChannel& out_;
  unsigned char area_[2048];
  std::size_t used_ = 0;
};

// Filled rectangles keep the engine's rule that right and bottom edges are
// exclusive: the larger x and the larger y move in by one pixel.
void PullInFilledRectangle(POINTL (&p)[4]) {
  bool rectangle = p[1].y == p[0].y && p[2].x == p[1].x && p[3].y == p[2].y && p[3].x == p[0].x;
  if (!rectangle) return;
  LONG maxX = p[0].x > p[1].x ? p[0].x : p[1].x;
  LONG maxY = p[2].y > p[0].y ? p[2].y : p[0].y;
  for (POINTL& q : p) {
    if (q.x == maxX) --q.x;
    if (q.y == maxY) --q.y;
  }
}

bool BadCurveCount(const PATHDATA& record) {
  if (!(record.flags & PD_BEZIERS)) return false;
  ULONG curvePoints = (record.flags & PD_BEGINSUBPATH) ? record.count - 1 : record.count;
  return record.count == 0 || curvePoints % 3 != 0;
}

}  // namespace

BOOL TranslatePath(OutputChannel& out, VectorState& state, PATHOBJ* path, PathKind kind) {
  if (!state.polylineOpen) state.polylineEnd = {0, 0};
  bool openedPolygon = false;
  bool figureOpen = false;  // a closed figure's "PE=" still waits for its ";"
  POINTL reference{0, 0};
  PATHOBJ_vEnumStart(path);
  bool more = true;
  while (more) {
    PATHDATA record{};
    more = PATHOBJ_bEnum(path, &record) != FALSE;
    if (record.count == 0 || record.pptfx == nullptr) continue;
    if (BadCurveCount(record)) {
      if (openedPolygon) {
        // Never leave the printer in polygon mode: end the polygon unfilled.
        ClosePolyline(out, state);
        if (figureOpen) WriteBytes(out, ";", 1);
        WriteBytes(out, "PM2", 3);
        state.penUpPending = true;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    ULONG first = 0;
    EncodedPoints points(out);
    POINTL rectangle[4];
    bool isRectangle = (record.flags & PD_BEGINSUBPATH) && kind == PathKind::kFill &&
                       record.count == 4 && (record.flags & PD_CLOSEFIGURE) &&
                       !(record.flags & PD_BEZIERS);
    if (isRectangle) {
      for (int i = 0; i < 4; ++i) rectangle[i] = Pixel(record.pptfx[i]);
      PullInFilledRectangle(rectangle);
    }
    auto pixelAt = [&](ULONG i) { return isRectangle ? rectangle[i] : Pixel(record.pptfx[i]); };
    if (record.flags & PD_BEGINSUBPATH) {
      POINTL start = pixelAt(0);
      first = 1;
      bool closed = (record.flags & PD_CLOSEFIGURE) || kind != PathKind::kStroke;
      if (closed) {
        ClosePolyline(out, state);
        MoveAbsolute(out, state, start);
        if (state.polygonStartPending) {
          WriteBytes(out, "PMPE=", 5);
          state.polygonStartPending = false;
          openedPolygon = true;
        } else {
          WriteBytes(out, "PE=", 3);
        }
        figureOpen = true;
        reference = {0, 0};
      } else {
        if (!state.polylineOpen) {
          state.polylineOpen = true;
          StartPolyline(out, start, false);
        } else if (start.x != state.polylineEnd.x || start.y != state.polylineEnd.y) {
          ContinuePolylineMove(out, start);
        }
        reference = start;
      }
    }
    for (ULONG i = first; i < record.count; ++i) {
      POINTL p = pixelAt(i);
      points.Add(p.x - reference.x, p.y - reference.y);
      reference = p;
    }
    points.Flush();
    state.polylineEnd = pixelAt(record.count - 1);
    if (record.flags & PD_ENDSUBPATH) {
      if (!state.polylineOpen) {
        WriteBytes(out, ";", 1);
        state.penUpPending = true;
        figureOpen = false;
      }
      if ((record.flags & PD_CLOSEFIGURE) && openedPolygon) {
        WriteBytes(out, more ? "PM1" : "PM2", 3);
        if (!more) break;
      }
    }
  }
  return TRUE;
}

PathKind StrokeKind(PATHOBJ* path) {
  PATHOBJ_vEnumStart(path);
  bool more = true;
  while (more) {
    PATHDATA record{};
    more = PATHOBJ_bEnum(path, &record) != FALSE;
    // A record begins before it ends: a closed four-point record decides for the
    // plain stroke.
    if ((record.flags & PD_BEGINSUBPATH) && (record.flags & PD_CLOSEFIGURE) && record.count == 4) {
      return PathKind::kStroke;
    }
    if ((record.flags & PD_ENDSUBPATH) && (record.flags & PD_CLOSEFIGURE)) {
      return PathKind::kStrokeAsPolygons;
    }
  }
  return PathKind::kStroke;
}

}  // namespace render
