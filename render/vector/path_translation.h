// A path of the engine written as KX-GL/2 encoded polylines and polygons: open
// strokes stay one encoded polyline across subpaths and calls, every closed
// figure is "PE=" with its own absolute move, and a path drawn as a polygon is
// framed by polygon mode.
#pragma once

#include "platform/engine/ddi.h"

namespace render {

struct OutputChannel;
struct VectorState;

enum class PathKind : int {
  kStroke = 0,
  kFill = 1,
  kStrokeAndFill = 2,
  kStrokeAsPolygons = 4,
};

// Writes the whole path. FALSE with ERROR_INVALID_PARAMETER when a curve record's
// point count (less its starting point) is no multiple of 3; polygon mode opened
// by this path is then closed again ("PM2") without filling.
BOOL TranslatePath(OutputChannel& out, VectorState& state, PATHOBJ* path, PathKind kind);

// Whether a stroke is drawn as polygons: scanning the records in order, one that
// ends a subpath with the close-figure flag comes before one that begins a
// subpath with the close-figure flag and exactly 4 points.
PathKind StrokeKind(PATHOBJ* path);

}  // namespace render
