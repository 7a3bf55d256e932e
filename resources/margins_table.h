// Printable extents of each model's papers, in plotter units of 1/1016 inch.
#pragma once

#include <span>

namespace resources {

// One printable extent: along the paper's length and across its width.
struct Extent {
  int length;
  int width;
};

// A model's paper: pair 1 for resolutions other than 600 dpi, pair 2 the same
// with hard clipping, pair 3 for 600 dpi, pair 4 for 600 dpi with hard clipping.
struct MarginsRow {
  int model;  // -1 ends the table
  const char* paper;
  Extent pair[4];
};

// The rows, one model's rows consecutive, ended by a row of model -1.
std::span<const MarginsRow> MarginsTable();

// Papers whose pair 3 is replaced at 600 dpi (hard clipping off) on printers
// that are not roll printers.
struct MarginsOverride {
  const char* paper;
  Extent pair3;
};
std::span<const MarginsOverride> Margins600Overrides();

}  // namespace resources
