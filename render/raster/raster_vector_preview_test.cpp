// One drawing printed in vector mode and in raster mode (colour mode 2 with
// image print) on the same printer: the previewer renders the two streams to
// the same picture, within a small tolerance for edges that fall on other
// pixels.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/engine/objects.h"
#include "platform/spooler/spooler.h"
#include "render/core/test_printer.h"
#include "tools/preview/preview.h"

namespace {

using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::Transform;
using render::testing::TestPrinter;

// A solid block, a triangle and two wide strokes in black.
void Draw(platform::engine::DeviceContext& dc) {
  Brush black = dc.SolidBrush(0x000000);
  Path block;
  block.AddRectangle(400, 400, 1200, 900);
  EXPECT_TRUE(dc.FillPath(block, Clip::None(), black, 0x0D0D, FP_WINDINGMODE));
  Path triangle;
  triangle.MoveTo(1600, 400).LineTo(2400, 1400).LineTo(1600, 1400).Close();
  EXPECT_TRUE(dc.FillPath(triangle, Clip::None(), black, 0x0D0D, FP_WINDINGMODE));
  Path lines;
  lines.MoveTo(400, 2000).LineTo(2400, 2000).MoveTo(400, 2400).LineTo(2400, 3400);
  EXPECT_TRUE(dc.StrokePath(lines, Clip::None(), Transform(), black,
                            LineAttributes::Geometric(24, JOIN_MITER, ENDCAP_BUTT), 0x0D0D));
}

std::vector<std::uint8_t> Print(const TestPrinter& printer, bool raster) {
  settings::SettingsRecord r;
  {
    render::testing::Enabled e(printer, nullptr);
    EXPECT_NE(e.dc, nullptr);
    if (e.dc == nullptr) return {};
    r = e.dc->settings;
  }
  settings::SetI16(r.priv, settings::priv::kColormode, 2);
  std::uint16_t options = settings::GetU16(r.priv, settings::priv::kPrintOptions);
  options = raster ? options | settings::kOptImageprint : options & ~settings::kOptImageprint;
  settings::SetU16(r.priv, settings::priv::kPrintOptions, options);
  r.pub.dmFields |= DM_ORIENTATION;
  r.pub.dmOrientation = 1;
  platform::test::CapturePrinterOutput(true);
  {
    auto dc = platform::engine::DeviceContext::Open(printer.name, &r.pub);
    EXPECT_NE(dc, nullptr) << GetLastError();
    if (dc) {
      EXPECT_TRUE(dc->StartDocument(raster ? u"raster" : u"vector"));
      EXPECT_TRUE(dc->StartPage());
      Draw(*dc);
      EXPECT_TRUE(dc->EndPage());
      EXPECT_TRUE(dc->EndDocument());
    }
  }
  std::vector<platform::test::CapturedJob> jobs = platform::test::CapturedJobs();
  platform::test::CapturePrinterOutput(false);
  EXPECT_EQ(jobs.size(), 1u);
  return jobs.empty() ? std::vector<std::uint8_t>{} : jobs[0].bytes;
}

// The first page of a stream as gray levels, at 50 dpi.
std::vector<int> Picture(const std::vector<std::uint8_t>& stream, int& width, int& height) {
  std::optional<preview::Page> first;
  preview::InterpretStream(std::span<const std::uint8_t>(stream), {},
                           [&](preview::Page&& page, const preview::PageInfo&) {
                             if (!first) first = std::move(page);
                           });
  EXPECT_TRUE(first.has_value());
  if (!first) return {};
  std::optional<preview::PageImage> image = preview::RenderPage(*first, {50});
  EXPECT_TRUE(image.has_value());
  if (!image) return {};
  cairo_surface_t* s = image->surface.get();
  cairo_surface_flush(s);
  width = image->width;
  height = image->height;
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  std::vector<int> gray(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = row[x];
      gray[static_cast<std::size_t>(y) * width + x] =
          static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    }
  }
  return gray;
}

TEST(RasterVectorPreview, SameDrawingSamePicture) {
  TestPrinter printer("089", u"ZQ raster and vector");
  int vw = 0, vh = 0, rw = 0, rh = 0;
  std::vector<int> vector = Picture(Print(printer, false), vw, vh);
  std::vector<int> raster = Picture(Print(printer, true), rw, rh);
  ASSERT_FALSE(vector.empty());
  ASSERT_EQ(vw, rw);
  ASSERT_EQ(vh, rh);
  std::size_t inkVector = 0, inkRaster = 0, differ = 0;
  for (std::size_t i = 0; i < vector.size(); ++i) {
    inkVector += vector[i] < 128;
    inkRaster += raster[i] < 128;
    differ += std::abs(vector[i] - raster[i]) > 128;
  }
  // The drawing covers some 6,400 pixels at 50 dpi; pixels that differ lie
  // only along its edges. The printer takes its resolution from the job, so
  // its blocks come with the white-black palette the previewer paints them by.
  EXPECT_GT(inkVector, 5000u);
  EXPECT_GT(inkRaster, 5000u);
  EXPECT_LT(differ, inkVector / 20) << "ink " << inkVector << " / " << inkRaster << ", differ "
                                    << differ << " of " << vector.size();
  RecordProperty("differing_pixels", std::to_string(differ));
  RecordProperty("ink_pixels", std::to_string(inkVector));
}

}  // namespace
