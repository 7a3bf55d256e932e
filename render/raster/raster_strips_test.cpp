// Strips of large copies, blits and stretches: their sizes without overflow
// or division by zero, and that the strips together give the whole image.
#include "render/raster/raster_strips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/engine/objects.h"
#include "render/raster/raster_test_fixture.h"

namespace {

using namespace render;
using platform::engine::Bitmap;
using render::testing::RasterJob;

// A 24-bit bitmap whose pixel (x, y) tells its place: red and green the row,
// blue the column.
Bitmap Numbered(LONG w, LONG h) {
  Bitmap b = Bitmap::Create({w, h}, BMF_24BPP);
  ImageView v = ImageOf(*b.Get());
  for (LONG y = 0; y < h; ++y) {
    auto* row = const_cast<unsigned char*>(v.Row(y));
    for (LONG x = 0; x < w; ++x) {
      row[3 * x] = static_cast<unsigned char>(y);
      row[3 * x + 1] = static_cast<unsigned char>(y >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(x);
    }
  }
  return b;
}

std::uint32_t Place(LONG x, LONG y) {
  return static_cast<std::uint32_t>((y & 0xFFFF) | ((x & 0xFF) << 16));
}

TEST(Strips, Sizes) {
  EXPECT_EQ(StripRows(400, kStripBytes), 873);  // 1,048,576 / 1,200
  EXPECT_EQ(StripRows(400, kLandscapeClipStripBytes), 436);
  EXPECT_EQ(StripRows(1000000, kStripBytes), 1);  // at least one row
  EXPECT_EQ(StripRows(0, kStripBytes), 1);
  EXPECT_EQ(StripRows(INT32_MAX, kStripBytes), 1);

  struct Count {
    LONG width, height, sourceHeight;
    int expected;
  };
  const Count kCounts[] = {
      {2000, 2000, 1000, 3},  // 12,000,000 / 4 MB = 2, plus 1
      {2000, 2000, 2, 2},     // 4 MB gives 3 bands of 0 rows; 6 MB gives 2
      {2000, 2000, 1, 0},     // no budget leaves a row per band
      {0, 2000, 100, 0},
      {2000, 2000, 0, 0},
      {INT32_MAX, INT32_MAX, 1000, 0},  // 3 x 2^62 bytes: no wrap, no fit
  };
  for (const Count& c : kCounts) {
    EXPECT_EQ(StretchStripCount(c.width, c.height, c.sourceHeight), c.expected)
        << c.width << " x " << c.height << " from " << c.sourceHeight;
  }

  EXPECT_EQ(TargetBandHeight(100, 150, 100), 150);
  EXPECT_EQ(TargetBandHeight(300, 2, 3), 201);   // 66.6 hundredths round to 67
  EXPECT_EQ(TargetBandHeight(300, 1, 3), 99);    // 33.3 stay 33
  EXPECT_EQ(TargetBandHeight(100, 150, 0), 0);   // no source: no division
  EXPECT_EQ(TargetBandHeight(100, 1, 1000), 0);  // under one hundredth
  EXPECT_EQ(TargetBandHeight(INT32_MAX, INT32_MAX, 1), INT32_MAX);
}

struct StripLog {
  std::vector<RECTL> targets;
  bool contentRight = true;
  LONG sourceTop = 0;  // the source row of the target's first row
  LONG targetTop = 0;
  static BOOL Send(void* context, SURFOBJ& strip, const RECTL& target) {
    auto* log = static_cast<StripLog*>(context);
    log->targets.push_back(target);
    ImageView v = ImageOf(strip);
    for (LONG r = 0; r < v.height; ++r) {
      LONG source = log->sourceTop + target.top - log->targetTop + r;
      for (LONG x : {LONG{0}, v.width / 2, v.width - 1}) {
        if (PixelAt(v.Row(r), 24, x) != Place(x, source)) log->contentRight = false;
      }
    }
    return TRUE;
  }
};

TEST(Strips, CopyStripsCoverTheTargetWithTheSourceRows) {
  Bitmap source = Numbered(400, 1100);
  StripLog log{{}, true, 50, 20};
  ASSERT_TRUE(CopyBitsInStrips(source.Get(), nullptr, {10, 1020, 410, 20}, {0, 50}, kStripBytes,
                               &StripLog::Send, &log));
  ASSERT_EQ(log.targets.size(), 2u);
  EXPECT_EQ(log.targets[0].top, 20);
  EXPECT_EQ(log.targets[0].bottom, 893);
  EXPECT_EQ(log.targets[1].top, 893);
  EXPECT_EQ(log.targets[1].bottom, 1020);
  EXPECT_EQ(log.targets[1].right, 410);
  EXPECT_TRUE(log.contentRight);
}

TEST(Strips, EmptyRectanglesSucceedWithoutWork) {
  RasterJob job("012");
  Bitmap source = Numbered(4, 4);
  StripLog log;
  for (RECTL empty : {RECTL{5, 5, 5, 50}, RECTL{5, 5, 50, 5}}) {
    EXPECT_TRUE(
        CopyBitsInStrips(source.Get(), nullptr, empty, {0, 0}, kStripBytes, &StripLog::Send, &log));
    BlitCall blit;
    blit.target = source.Get();
    blit.source = source.Get();
    blit.rect = empty;
    EXPECT_TRUE(BitBltInStrips(blit, nullptr, nullptr));
    StretchCall stretch{source.Get(), nullptr, nullptr, empty, {0, 0, 4, 4}};
    EXPECT_TRUE(StretchInStrips(job.dc(), job.state, stretch, 3, InkPolarity::kOneIsInk));
    stretch = {source.Get(), nullptr, nullptr, {0, 0, 4, 4}, empty};
    EXPECT_TRUE(StretchInStrips(job.dc(), job.state, stretch, 3, InkPolarity::kOneIsInk));
  }
  EXPECT_TRUE(DitherCopyToOneBit(job.dc(), source.Get(), nullptr, {0, 0}, 0, 10, {}, 0, 0,
                                 InkPolarity::kOneIsInk));
  EXPECT_TRUE(log.targets.empty());
  EXPECT_EQ(job.Sent(), "");
}

TEST(Strips, RefusedTemporaryBitmapFails) {
  Bitmap source = Numbered(400, 1100);
  StripLog log{{}, true, 0, 0};
  const ULONGLONG limit = platform::engine::BitmapSizeLimit();
  platform::engine::SetBitmapSizeLimit(1000);
  BOOL copied = CopyBitsInStrips(source.Get(), nullptr, {0, 0, 400, 1100}, {0, 0}, kStripBytes,
                                 &StripLog::Send, &log);
  platform::engine::SetBitmapSizeLimit(limit);
  EXPECT_FALSE(copied);
  EXPECT_TRUE(log.targets.empty());
}

TEST(Strips, BlitStripsMoveTheSourceDownModuloItsHeight) {
  // 1,000 pixels wide: strips of 349 rows. The source of 698 rows starts at
  // row 349, so the second strip starts again at its row 0.
  Bitmap source = Numbered(1000, 698);
  Bitmap target = Bitmap::Create({1000, 700}, BMF_24BPP);
  BlitCall blit;
  blit.target = target.Get();
  blit.source = source.Get();
  blit.rect = {0, 0, 1000, 700};
  blit.sourcePoint = {0, 349};
  int strips = 0;
  ASSERT_TRUE(BitBltInStrips(
      blit, [](void* n) { ++*static_cast<int*>(n); }, &strips));
  EXPECT_EQ(strips, 3);
  ImageView v = ImageOf(*target.Get());
  for (LONG y = 0; y < 700; ++y) {
    ASSERT_EQ(PixelAt(v.Row(y), 24, 7), Place(7, (349 + y) % 698)) << y;
  }
}

TEST(Strips, MonochromeStretchBandsCoverTheTarget) {
  // 40 source rows in 3 bands of 13 (the last takes 14); 90 / 40 is 225
  // hundredths, so target bands of 29, 29 and the remaining 32 rows.
  RasterJob job("012");
  Bitmap source = Numbered(50, 40);
  StretchCall call{source.Get(), nullptr, nullptr, {100, 200, 300, 290}, {0, 0, 50, 40}};
  ASSERT_TRUE(StretchInStrips(job.dc(), job.state, call, 3, InkPolarity::kOneIsInk));
  std::string sent = job.Sent();
  for (const char* start : {"PUPA100,200\x1B%1A\x1B*t600R\x1B*r200s29t1A",
                            "PUPA100,229\x1B%1A\x1B*t600R\x1B*r200s29t1A",
                            "PUPA100,258\x1B%1A\x1B*t600R\x1B*r200s32t1A"}) {
    EXPECT_NE(sent.find(start), std::string::npos) << start;
  }
  EXPECT_EQ(sent.find("PUPA", sent.find("PUPA100,258") + 1), std::string::npos);
}

TEST(Strips, MonochromeCopyDitherMatchesTheWholeImage) {
  // 600 x 700 x 3 bytes is above 1 MB: two strips of 582 and 118 rows, whose
  // pattern continues across the cut.
  RasterJob job("012");
  Bitmap source = Bitmap::Create({600, 700}, BMF_24BPP);
  ImageView v = ImageOf(*source.Get());
  for (LONG y = 0; y < 700; ++y) {
    auto* row = const_cast<unsigned char*>(v.Row(y));
    for (LONG x = 0; x < 600; ++x) {
      row[3 * x] = static_cast<unsigned char>(x / 3);
      row[3 * x + 1] = static_cast<unsigned char>(y / 3);
      row[3 * x + 2] = 0x80;
    }
  }
  const LONG rowBytes = 75;
  std::vector<unsigned char> strips(rowBytes * 700), whole(rowBytes * 700);
  ASSERT_TRUE(DitherCopyToOneBit(job.dc(), source.Get(), nullptr, {0, 0}, 600, 700,
                                 {strips.data(), rowBytes}, 4, 9, InkPolarity::kZeroIsInk));
  DitherToOneBit(job.dc(), v, {whole.data(), rowBytes}, {0, 0, 600, 700}, 4, 9,
                 InkPolarity::kZeroIsInk);
  EXPECT_EQ(strips, whole);
}

}  // namespace
