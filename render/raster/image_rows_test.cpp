// Images written as raster rows: the frame, row order, encoder choice and
// fallback, software rotation, reduction, one-bit images and the block form.
#include "render/raster/image_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/base/memory.h"
#include "render/raster/raster_test_fixture.h"
#include "render/raster/rotation.h"
#include "render/raster/row_encoding.h"

namespace {

using namespace render;
using render::testing::RasterJob;

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

const std::string kEnd = "\x1B*rC\x1B%0B";

// An image over rows of bytes, each row padded to 4 bytes as the engine does;
// `bottomUp` stores the rows from the last to the first.
struct TestImage {
  std::vector<unsigned char> memory;
  ImageView view;
  TestImage(ULONG format, LONG width, const std::vector<std::vector<unsigned char>>& rows,
            bool bottomUp = false) {
    LONG step = static_cast<LONG>((RowDataBytes(width, FormatBits(format)) + 3) / 4 * 4);
    LONG height = static_cast<LONG>(rows.size());
    memory.assign(static_cast<std::size_t>(step) * height, 0xCD);  // fill bytes never sent
    for (LONG r = 0; r < height; ++r) {
      LONG at = bottomUp ? height - 1 - r : r;
      std::copy(rows[r].begin(), rows[r].end(), memory.begin() + at * step);
    }
    const unsigned char* top = memory.data() + (bottomUp ? (height - 1) * step : 0);
    view = {format, width, height, bottomUp ? -step : step, top};
  }
};

TEST(ImageRows, RowsFollowTheRasterStartTopRowFirst) {
  const std::vector<std::vector<unsigned char>> rows = {{0, 0}, {0, 0xFF}, {0, 0xFF}};
  const std::string expected = "PUPA10,20\x1B%1A\x1B*r16s3t1A\x1B*b3m" + std::string("0W") +
                               "\x1B*b2W" + B({0x01, 0xFF}) + "\x1B*b0W" + kEnd;
  for (bool bottomUp : {false, true}) {
    SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
    RasterJob job("095");
    TestImage image(BMF_1BPP, 16, rows, bottomUp);
    ASSERT_TRUE(SendImageRows(job.dc(), job.state, image.view, {10, 20, 16, 3, false}, 3));
    EXPECT_EQ(job.Sent(), expected);
  }
}

TEST(ImageRows, UncompressedAndRunLengthRows) {
  RasterJob job("095");
  TestImage image(BMF_8BPP, 3, {{1, 2, 3}, {5, 5, 5}});
  ASSERT_TRUE(SendImageRows(job.dc(), job.state, image.view, {0, 0, 3, 2, false}, 0));
  EXPECT_EQ(job.Sent(), "PUPA0,0\x1B%1A\x1B*r3s2t1A\x1B*b0m3W" + B({1, 2, 3}) + "\x1B*b3W" +
                            B({5, 5, 5}) + kEnd);
  ASSERT_TRUE(SendImageRows(job.dc(), job.state, image.view, {0, 0, 3, 2, false}, 2));
  EXPECT_EQ(job.Sent(), "PUPA0,0\x1B%1A\x1B*r3s2t1A\x1B*b2m4W" + B({2, 1, 2, 3}) + "\x1B*b2W" +
                            B({0xFE, 5}) + kEnd);
}

TEST(ImageRows, DeltaRowFallsBackToUncompressedWithoutWorkAreas) {
  RasterJob job("095");
  TestImage image(BMF_8BPP, 2, {{0, 7}});
  platform::test::FailAllocationAt(1);
  BOOL sent = SendImageRows(job.dc(), job.state, image.view, {0, 0, 2, 1, false}, 3);
  platform::test::FailAllocationAt(0);
  ASSERT_TRUE(sent);
  EXPECT_EQ(job.Sent(), "PUPA0,0\x1B%1A\x1B*r2s1t1A\x1B*b0m2W" + B({0, 7}) + kEnd);
}

TEST(ImageRows, EmptyImageWritesNothing) {
  RasterJob job("095");
  ImageView empty{BMF_24BPP, 0, 10, 0, nullptr};
  EXPECT_TRUE(SendImageRows(job.dc(), job.state, empty, {0, 0, 0, 10, false}, 3));
  EXPECT_TRUE(SendImage(job.dc(), job.state, empty, {0, 0, 0, 10, false}));
  EXPECT_EQ(job.Sent(), "");
}

TEST(Rotation, WhenTheDriverTurnsTheImage) {
  struct Case {
    const char* name;
    const char* model;
    bool landscape;
    SHORT paper;
    bool complexClip;
    bool expected;
  };
  const Case kCases[] = {
      {"portrait", "095", false, 9, false, false},
      {"landscape, no printer rotation", "095", true, 9, false, true},
      {"landscape under a complex clip", "095", true, 9, true, false},
      {"printer turns roll paper 256", "012", true, 256, false, false},
      {"printer turns paper 390", "012", true, 390, false, false},
      {"printer does not turn A4", "012", true, 9, false, true},
      {"paper 394 is not turned by the printer", "012", true, 394, false, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RasterJob job(c.model);
    if (c.landscape) job.Landscape();
    job.dc().settings.pub.dmPaperSize = c.paper;
    EXPECT_EQ(RotationNeeded(job.dc(), c.complexClip), c.expected);
  }
  RasterJob job("095");
  job.Landscape();
  EXPECT_TRUE(GlyphRotationNeeded(job.dc()));         // the complex clip is not its test
  job.dc().settings.pub.dmFields &= ~DM_ORIENTATION;  // orientation not given
  EXPECT_FALSE(RotationNeeded(job.dc(), false));
  RasterJob type3("089");
  type3.Landscape();
  type3.dc().settings.pub.dmPaperSize = 9;
  EXPECT_TRUE(RotationNeeded(type3.dc(), false));
  EXPECT_FALSE(GlyphRotationNeeded(type3.dc()));
}

TEST(Rotation, LandscapeImageIsSentTurned) {
  // 3 wide, 2 high: output row i is column i from the bottom row up.
  RasterJob job("095");
  job.Landscape();
  TestImage image(BMF_8BPP, 3, {{1, 2, 3}, {4, 5, 6}});
  ASSERT_TRUE(SendImageRows(job.dc(), job.state, image.view, {10, 20, 3, 2, false}, 0));
  EXPECT_EQ(job.Sent(), "PUPA10,21\x1B%1A\x1B*r2s3t1A\x1B*b0m2W" + B({4, 1}) + "\x1B*b2W" +
                            B({5, 2}) + "\x1B*b2W" + B({6, 3}) + kEnd);
  // Scaled: the destination size is exchanged too (3 x 2 pixels to 30 x 20).
  ASSERT_TRUE(SendImageRows(job.dc(), job.state, image.view, {10, 20, 30, 20, true}, 0));
  const std::string start = "PUPA10,39\x1B%1A\x1B*t24h36V\x1B*r2s3t3A\x1B*b0m";
  EXPECT_EQ(job.Sent().substr(0, start.size()), start);
}

// Rotation of every pixel size against a pixel-by-pixel reference.
TEST(Rotation, EveryPixelSize) {
  RasterJob job("095");
  std::mt19937 rng(3);
  for (ULONG format : {BMF_1BPP, BMF_4BPP, BMF_8BPP, BMF_24BPP}) {
    for (bool bottomUp : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "format " << format << (bottomUp ? " bottom-up" : ""));
      const unsigned bits = FormatBits(format);
      const LONG w = 13, h = 11;
      std::vector<std::vector<unsigned char>> rows(
          h, std::vector<unsigned char>(RowDataBytes(w, bits)));
      for (auto& row : rows) {
        for (auto& b : row) b = static_cast<unsigned char>(rng());
      }
      TestImage image(format, w, rows, bottomUp);
      OwnedImage turned;
      ASSERT_TRUE(RotateImage(job.dc().heap, image.view, turned));
      ASSERT_EQ(turned.view.width, h);
      ASSERT_EQ(turned.view.height, w);
      for (LONG i = 0; i < w; ++i) {
        for (LONG j = 0; j < h; ++j) {
          ASSERT_EQ(PixelAt(turned.view.Row(i), bits, j),
                    PixelAt(image.view.Row(h - 1 - j), bits, i))
              << i << "," << j;
        }
      }
      FreeOwnedImage(turned);
    }
  }
}

TEST(Rotation, TurnedImageBeyondTheBitmapCeilingFailsWithoutOutput) {
  RasterJob job("095");
  job.Landscape();
  unsigned char pixel[4] = {};
  // 100,000 x 100,000 pixels of 24 bits would be 30 GB; nothing is read.
  ImageView huge{BMF_24BPP, 100000, 100000, 0, pixel};
  EXPECT_FALSE(SendImageRows(job.dc(), job.state, huge, {0, 0, 100000, 100000, false}, 3));
  EXPECT_EQ(job.Sent(), "");
}

TEST(ImageEncoding, Choice) {
  struct Case {
    const char* name;
    const char* model;
    std::uint16_t printOptions;
    std::int32_t imagecomp;
    std::int16_t shrinkimage;
    ULONG format;
    bool scaled;
    ImageEncoding expected;
  };
  const Case kCases[] = {
      {"option bit 6", "095", 1u << 6, 0, 1, BMF_24BPP, false, ImageEncoding::kUncompressed},
      {"reduction", "095", 0, 0, 1, BMF_24BPP, false, ImageEncoding::kReduced},
      {"reduction of 8 bits", "095", 0, 0, 3, BMF_8BPP, false, ImageEncoding::kReduced},
      {"no reduction when scaled", "095", 0, 0, 1, BMF_24BPP, true, ImageEncoding::kDeltaRow},
      {"no reduction of 4 bits", "095", 0, 0, 1, BMF_4BPP, false, ImageEncoding::kDeltaRow},
      {"shrinkimage 0", "095", 0, 0, 0, BMF_24BPP, false, ImageEncoding::kDeltaRow},
      {"imagecomp ignored with 0x1000", "095", 0, 1, 0, BMF_24BPP, false, ImageEncoding::kDeltaRow},
      {"imagecomp", "012", 0, 1, 1, BMF_24BPP, false, ImageEncoding::kUncompressed},
      {"delta row", "012", 0, 0, 1, BMF_24BPP, false, ImageEncoding::kDeltaRow},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RasterJob job(c.model);
    job.SetPrintOptions(c.printOptions);
    job.SetPriv32(settings::priv::kImagecomp, c.imagecomp);
    job.SetPriv16(settings::priv::kShrinkimage, c.shrinkimage);
    EXPECT_EQ(ChooseImageEncoding(job.dc(), c.format, c.scaled), c.expected);
  }
}

TEST(ImageEncoding, ReductionFactors) {
  RasterJob job("095");
  const int kFactors[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 1}, {-1, 1}};
  for (const auto& f : kFactors) {
    job.SetPriv16(settings::priv::kShrinkimage, static_cast<std::int16_t>(f[0]));
    EXPECT_EQ(ReductionFactor(job.dc()), f[1]) << f[0];
  }
}

TEST(ImageRows, ShrinkimageSendsTheReducedImageScaled) {
  // shrinkimage 2 keeps one pixel of 3: 100 x 10 becomes 34 x 4, printed at
  // 100 x 10 pixels (120 x 12 decipoints at 600 dpi).
  RasterJob job("095");
  job.SetPriv16(settings::priv::kShrinkimage, 2);
  std::vector<std::vector<unsigned char>> rows(10, std::vector<unsigned char>(300));
  for (int r = 0; r < 10; ++r) {
    for (int c = 0; c < 100; ++c) rows[r][3 * c] = static_cast<unsigned char>(r * 100 + c);
  }
  TestImage image(BMF_24BPP, 100, rows);
  ASSERT_TRUE(SendImage(job.dc(), job.state, image.view, {0, 0, 100, 10, false}));
  std::string sent = job.Sent();
  const std::string start = "PUPA0,0\x1B%1A\x1B*t120h12V\x1B*r34s4t3A\x1B*b3m";
  ASSERT_EQ(sent.substr(0, start.size()), start);
  OwnedImage reduced;
  ASSERT_TRUE(ReduceImage(job.dc().heap, image.view, 3, reduced));
  EXPECT_EQ(reduced.view.width, 34);
  EXPECT_EQ(reduced.view.height, 4);
  EXPECT_EQ(PixelAt(reduced.view.Row(3), 24, 33), static_cast<std::uint32_t>(9 * 100 + 99) & 0xFF);
  FreeOwnedImage(reduced);
}

TEST(OneBitImage, FramesOfMasksAndMonochromeImages) {
  RasterJob job("012");  // writes "ESC*t600R": no PrinterFunction 0x2000
  const std::vector<std::vector<unsigned char>> rows = {{0x80}, {0x80}};
  TestImage image(BMF_1BPP, 8, rows);
  OneBitImage one{8, 2, 5, 6, image.view.top, image.view.rowStep};
  ASSERT_TRUE(SendOneBitImage(job.dc(), job.state, one, 3, OneBitFrame::kMonochrome));
  EXPECT_EQ(job.Sent(),
            "PUPA5,6\x1B%1A\x1B*t600R\x1B*r8s2t1A\x1B*b3m2W" + B({0x00, 0x80}) + "\x1B*b0W" + kEnd);
  ASSERT_TRUE(SendOneBitImage(job.dc(), job.state, one, 0, OneBitFrame::kMask));
  EXPECT_EQ(job.Sent(), "PUPA5,6\x1B%1A\x1B*r8s2t1A\x1B*b0m1W" + B({0x80}) + "\x1B*b1W" +
                            B({0x80}) + "\x1B*rC\x1B*p1P\x1B%0B");
}

TEST(OneBitImage, SmallTurnedImageGoesAsOneBlock) {
  // 3 wide, 16 high: turned rows of 2 bytes. Column 0 is ink.
  RasterJob job("095");
  job.Landscape();
  std::vector<std::vector<unsigned char>> rows(16, std::vector<unsigned char>{0x80});
  TestImage image(BMF_1BPP, 3, rows);
  OneBitImage one{3, 16, 100, 200, image.view.top, image.view.rowStep};
  ASSERT_TRUE(SendOneBitImage(job.dc(), job.state, one, 3, OneBitFrame::kMonochrome));
  const std::string page = "IW0,0," + std::to_string(PageWidthPixels(job.dc())) + "," +
                           std::to_string(PageHeightPixels(job.dc())) + ";";
  // No "ESC*t...R": PrinterFunction 0x2000 on PrinterType 2.
  EXPECT_EQ(job.Sent(), "IW100,200,102,216;PUPA100,216\x1B%1A\x1B*r16s3t1A\x1B*b4m10W" +
                            B({0, 0, 0, 16, 0xFF, 0xFF, 0, 0, 0, 0}) + kEnd + page);
  EXPECT_FALSE(job.state.inputWindowSet);
}

TEST(OneBitImage, BlockKeepsAWindowAlreadySet) {
  RasterJob job("095");
  job.Landscape();
  job.state.inputWindowSet = true;
  std::vector<std::vector<unsigned char>> rows(9, std::vector<unsigned char>{0x00});
  TestImage image(BMF_1BPP, 1, rows);
  OneBitImage one{1, 9, 0, 0, image.view.top, image.view.rowStep};
  ASSERT_TRUE(SendOneBitImage(job.dc(), job.state, one, 3, OneBitFrame::kMonochrome));
  EXPECT_EQ(job.Sent(), "PUPA0,9\x1B%1A\x1B*r9s1t1A\x1B*b4m6W" + B({0, 0, 0, 16, 0, 0}) + kEnd);
  EXPECT_TRUE(job.state.inputWindowSet);
}

TEST(OneBitImage, TurnedRowsOutsideTheBlockRangeAreSentAsRows) {
  struct Case {
    const char* name;
    LONG height;  // turned row bytes (height + 7) / 8
    std::int32_t override;
  };
  const Case kCases[] = {
      {"one byte", 8, 0},
      {"20 bytes", 153, 0},
      {"vector colour override", 16, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    RasterJob job("095");
    job.Landscape();
    job.SetPriv32(settings::priv::kBekutachk, c.override);
    std::vector<std::vector<unsigned char>> rows(c.height, std::vector<unsigned char>{0x80});
    TestImage image(BMF_1BPP, 2, rows);
    OneBitImage one{2, c.height, 0, 0, image.view.top, image.view.rowStep};
    ASSERT_TRUE(SendOneBitImage(job.dc(), job.state, one, 3, OneBitFrame::kMonochrome));
    std::string sent = job.Sent();
    EXPECT_EQ(sent.find("\x1B*b4m"), std::string::npos);
    EXPECT_NE(sent.find("\x1B*r" + std::to_string(c.height) + "s2t1A\x1B*b3m"), std::string::npos);
  }
}

}  // namespace
