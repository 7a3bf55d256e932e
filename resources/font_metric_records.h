// The font metric records a driver library carries as resources of type 258, one
// per metric number. A record starts with a fixed header (version, size, the
// offsets of the font name, of the metrics block and of the kerning pairs),
// followed by extended text metrics and 256 advance widths; the font name sits at
// byte 592 and the metrics block (the engine's font-metrics layout, with its
// family, style and face names as UTF-16 texts at offsets from the block) after
// it. The records built here carry the names; their widths, kerning pairs and
// metrics are zero until the fonts' metric data is supplied in the same layout.
#pragma once

#include <cstddef>
#include <span>

#include "platform/modules/modules.h"

namespace resources {

inline constexpr WORD kFontMetricResourceType = 258;

// Header of a record.
inline constexpr std::size_t kMetricVersionOffset = 2;       // u16: 1
inline constexpr std::size_t kMetricSizeOffset = 4;          // u32: the record's size
inline constexpr std::size_t kMetricNameOffsetOffset = 8;    // u32: offset of the font name
inline constexpr std::size_t kMetricBlockOffsetOffset = 12;  // u32: offset of the metrics block
inline constexpr std::size_t kMetricFontNameOffset = 592;    // where the font name starts
// Members of the metrics block, relative to the block.
inline constexpr std::size_t kMetricsFamilyNameOffset = 8;  // u32: offset of the family name
inline constexpr std::size_t kMetricsStyleNameOffset = 12;  // u32: offset of the style name
inline constexpr std::size_t kMetricsFaceNameOffset = 16;   // u32: offset of the face name
inline constexpr std::size_t kMetricsFixedSize = 200;       // the block before its names

// The records in ascending metric number, built on first use and kept for the
// life of the process.
std::span<const QX_RESOURCE> FontMetricRecords();

}  // namespace resources
