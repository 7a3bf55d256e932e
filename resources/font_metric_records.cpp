// Builds the type-258 records from the face-name table.
#include "resources/font_metric_records.h"

#include <vector>

#include "resources/font_face_names.h"

namespace resources {

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
std::size_t RoundUp4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

// Appends a zero-terminated UTF-16 text and returns its offset from `base`.
std::uint32_t AppendWide(Bytes& b, std::size_t base, const char16_t* text) {
  std::size_t at = b.size();
  for (const char16_t* p = text; *p != 0; ++p) {
    b.push_back(static_cast<unsigned char>(*p));
    b.push_back(static_cast<unsigned char>(*p >> 8));
  }
  b.push_back(0);
  b.push_back(0);
  return static_cast<std::uint32_t>(at - base);
}

Bytes BuildRecord(const FontFaceName& font) {
  Bytes b(kMetricFontNameOffset, 0);
  Put16(b, kMetricVersionOffset, 1);
  Put32(b, kMetricNameOffsetOffset, kMetricFontNameOffset);
  // Extended text metrics: master height and master units are 1000 in every record.
  Put16(b, 28 + 2 * 3, 1000);
  Put16(b, 28 + 2 * 6, 1000);
  for (const char* p = font.fontName; *p != 0; ++p) b.push_back(static_cast<unsigned char>(*p));
  b.push_back(0);
  b.resize(RoundUp4(b.size()), 0);

  std::size_t block = b.size();
  Put32(b, kMetricBlockOffsetOffset, static_cast<std::uint32_t>(block));
  b.resize(block + kMetricsFixedSize, 0);
  std::uint32_t family = AppendWide(b, block, font.faceName);
  std::uint32_t style = AppendWide(b, block, u"");
  std::uint32_t face = AppendWide(b, block, font.faceName);
  b.resize(RoundUp4(b.size()), 0);
  Put32(b, block + kMetricsFamilyNameOffset, family);
  Put32(b, block + kMetricsStyleNameOffset, style);
  Put32(b, block + kMetricsFaceNameOffset, face);
  Put32(b, block, static_cast<std::uint32_t>(b.size() - block));  // size of the block
  Put32(b, kMetricSizeOffset, static_cast<std::uint32_t>(b.size()));
  return b;
}

struct Records {
  std::vector<Bytes> data;
  std::vector<QX_RESOURCE> table;
  Records() {
    data.reserve(kFontFaceNameCount);
    table.reserve(kFontFaceNameCount);
    for (const FontFaceName& font : kFontFaceNames) {
      data.push_back(BuildRecord(font));
      table.push_back({kFontMetricResourceType, font.number, data.back().data(),
                       static_cast<DWORD>(data.back().size())});
    }
  }
};

}  // namespace

std::span<const QX_RESOURCE> FontMetricRecords() {
  static const Records records;
  return records.table;
}

}  // namespace resources
