// The frame around raster rows: raster starts, row writers and input windows.
#include "render/raster/raster_frame.h"

#include <gtest/gtest.h>

#include <string>

#include "render/raster/raster_test_fixture.h"

namespace {

using namespace render;
using render::testing::RasterJob;

TEST(RasterFrame, ScaledStartGivesTheSizeInDecipoints) {
  // 400 dpi: 18 decipoints a pixel; 200 x 18 / 10 = 360, 100 x 18 / 10 = 180.
  RasterJob job("095", 400);
  StartRaster(job.dc(), 3, 2, 1, {5, 6, 200, 100, true});
  EXPECT_EQ(job.Sent(), "PUPA5,6\x1B%1A\x1B*t360h180V\x1B*r2s1t3A\x1B*b3m");
  // 300 dpi: 24 a pixel, 7 x 24 = 168 -> 17 (rounded up from 16.8).
  RasterJob coarse("095", 300);
  StartRaster(coarse.dc(), 0, 1, 1, {0, 0, 7, 3, true});
  EXPECT_EQ(coarse.Sent(), "PUPA0,0\x1B%1A\x1B*t17h7V\x1B*r1s1t3A\x1B*b0m");
}

TEST(RasterFrame, RowsAndEnd) {
  RasterJob job("095");
  const unsigned char data[] = {0x1B, 0x00, 0x41};
  WriteRasterRow(job.dc().output, data, 3, true);
  WriteRasterRow(job.dc().output, data, 3, false);
  WriteEmptyRow(job.dc().output, true);
  WriteEmptyRow(job.dc().output, false);
  EndRaster(job.dc().output);
  EXPECT_EQ(job.Sent(), std::string("3W\x1B\0A\x1B*b3W\x1B\0A0W\x1B*b0W\x1B*rC\x1B%0B", 28));
}

TEST(RasterFrame, InputWindow) {
  RasterJob job("095");
  const std::string w = std::to_string(PageWidthPixels(job.dc()));
  const std::string h = std::to_string(PageHeightPixels(job.dc()));
  ASSERT_GT(PageWidthPixels(job.dc()), 1000);
  const std::string page = "IW0,0," + w + "," + h + ";";
  struct Case {
    const char* name;
    RECTL rect;
    bool setBefore;
    std::string expected;
    bool setAfter;
  };
  const Case kCases[] = {
      {"inside the page", {10, 20, 110, 70}, false, "IW10,20,110,70;", true},
      {"negative corner", {-5, -6, 40, 50}, false, "IW0,0,40,50;", true},
      {"beyond the page", {10, 20, 1000000, 1000000}, false, "IW10,20," + w + "," + h + ";", true},
      {"empty, nothing set", {10, 20, 10, 70}, false, "", false},
      {"empty resets", {10, 20, 110, 20}, true, page, false},
      {"starts right of the page", {1000000, 0, 1000001, 5}, true, page, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    job.state.inputWindowSet = c.setBefore;
    SetInputWindow(job.dc(), job.state, c.rect);
    EXPECT_EQ(job.Sent(), c.expected);
    EXPECT_EQ(job.state.inputWindowSet, c.setAfter);
  }
  job.state.inputWindowSet = true;
  ResetInputWindow(job.dc(), job.state);
  ResetInputWindow(job.dc(), job.state);  // the second finds no window
  EXPECT_EQ(job.Sent(), page);
}

TEST(RasterFrame, StartsEndAnOpenPolyline) {
  RasterJob job("095");
  job.dc().vector.polylineOpen = true;
  StartMonoRaster(job.dc(), 3, 8, 1, 0, 0);
  EXPECT_EQ(job.Sent().substr(0, 5), ";PUPA");
}

}  // namespace
