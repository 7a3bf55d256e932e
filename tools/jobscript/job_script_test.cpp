// Reading job scripts: the calls a script gives, with the drawing state each
// carries, and the malformed lines that stop a job with their line and reason.
#include "tools/jobscript/job_script.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/engine/engine_objects.h"
#include "tests/support/temp_root.h"

namespace {

using namespace jobscript;

std::string Wrap(const std::string& page) {
  return "start-document\nstart-page\n" + page + "end-page\nend-document\n";
}

TEST(JobScript, CallsCarryTheirState) {
  Job job;
  ScriptError error;
  const std::string text =
      "# a comment\n"
      "printer \"KX-M089 ZQ1\"\n"
      "set dmCopies=2\n"
      "document \"Plan \\\"B\\\"\"\n"
      "owner sato\n"
      "start-document\n"
      "escape 106 out 4\n"
      "start-page\n"
      "pen #ff8000\n"
      "line geometric 16.5 join miter cap butt miter 4\n"
      "dash 10 5 startgap state 3\n"
      "clip rect 0 0 100 100 200 0 300 100\n"
      "mix xorpen nop\n"
      "stroke M 0 0.5 L 10 0.5 20 30 C 1 2 3 4 5 6 Z R 1 2 3 4\n"
      "brush hatch cross #000000\n"
      "fillmode winding\n"
      "fill R 0 0 10 10\n"
      "end-page\n"
      "reset dmCopies=3 dmOrientation=1\n"
      "start-page\n"
      "end-page\n"
      "passthrough hex 1b45\n"
      "end-document\n";
  ASSERT_TRUE(ReadJobScript(text, &job, &error)) << error.line << ": " << error.message;
  EXPECT_EQ(job.printer, "KX-M089 ZQ1");
  EXPECT_EQ(job.documentName, "Plan \"B\"");
  EXPECT_EQ(job.owner, "sato");
  ASSERT_EQ(job.settings.size(), 1u);
  EXPECT_EQ(job.settings[0].text, "dmCopies=2");
  EXPECT_EQ(job.settings[0].origin.line, 3);
  EXPECT_EQ(job.pages, 2);
  ASSERT_EQ(job.calls.size(), 11u);
  const JobCall& escape = job.calls[1];
  EXPECT_EQ(escape.kind, CallKind::kEscape);
  EXPECT_EQ(escape.escape, 106u);
  EXPECT_EQ(escape.outputSize, 4u);
  const JobCall& stroke = job.calls[3];
  EXPECT_EQ(stroke.kind, CallKind::kStroke);
  EXPECT_EQ(stroke.origin.line, 14);
  EXPECT_EQ(stroke.stroke.color, 0x0080FFu);  // 0x00BBGGRR
  EXPECT_TRUE(stroke.line.geometric);
  EXPECT_EQ(stroke.line.width, 16.5);
  EXPECT_EQ(stroke.line.join, JOIN_MITER);
  EXPECT_EQ(stroke.line.cap, ENDCAP_BUTT);
  EXPECT_EQ(stroke.line.miterLimit, 4);
  EXPECT_EQ(stroke.line.style, (std::vector<double>{10, 5}));
  EXPECT_TRUE(stroke.line.startGap);
  EXPECT_EQ(stroke.line.styleState, 3);
  EXPECT_FALSE(stroke.clip.none);
  EXPECT_EQ(stroke.clip.rects.size(), 2u);
  EXPECT_EQ(stroke.mix, static_cast<MIX>(R2_XORPEN | (R2_NOP << 8)));
  // M, two lines, a curve, Z, then the rectangle's five steps.
  ASSERT_EQ(stroke.path.size(), 10u);
  EXPECT_EQ(stroke.path[0].kind, PathStep::kMove);
  EXPECT_EQ(stroke.path[0].p[1], 0.5);
  EXPECT_EQ(stroke.path[2].kind, PathStep::kLine);
  EXPECT_EQ(stroke.path[2].p[1], 30);
  EXPECT_EQ(stroke.path[3].kind, PathStep::kBezier);
  EXPECT_EQ(stroke.path[3].p[5], 6);
  EXPECT_EQ(stroke.path[4].kind, PathStep::kClose);
  EXPECT_EQ(stroke.path[9].kind, PathStep::kClose);
  const JobCall& fill = job.calls[4];
  EXPECT_EQ(fill.fill.kind, BrushParams::kHatch);
  EXPECT_EQ(fill.fill.hatch, HS_CROSS);
  EXPECT_EQ(fill.fill.background, 0xFFFFFFu);
  EXPECT_EQ(fill.fillMode, FP_WINDINGMODE);
  EXPECT_EQ(fill.line.styleState, 3);  // the state stays for later calls
  const JobCall& reset = job.calls[6];
  EXPECT_EQ(reset.kind, CallKind::kReset);
  EXPECT_EQ(reset.settings.size(), 2u);
  EXPECT_EQ(job.calls[9].kind, CallKind::kPassThrough);
  EXPECT_EQ(job.calls[9].data, (std::vector<unsigned char>{0x1B, 0x45}));
}

TEST(JobScript, PatternBrushes) {
  Job job;
  ScriptError error;
  // 8 x 8 at 1 bit: 8 rows of 1 byte, each padded to 4.
  ASSERT_TRUE(ReadJobScript(Wrap("brush pattern 1bpp 8 8 palette #ffffff #000000 bits " +
                                 std::string(64, 'f') + "\npaint\n"),
                            &job, &error))
      << error.message;
  const BrushParams& b = job.calls[2].fill;
  EXPECT_EQ(b.kind, BrushParams::kPattern);
  EXPECT_EQ(b.format, BMF_1BPP);
  EXPECT_EQ(b.bits.size(), 32u);
  EXPECT_EQ(b.palette.size(), 2u);
}

TEST(JobScript, ImagesCarryTheirRectanglesAndTheState) {
  Job job;
  ScriptError error;
  ASSERT_TRUE(ReadJobScript(
      Wrap("clip rect 0 0 100 100\n"
           "brush solid #ff0000\n"
           "origin 4 4\n"
           // 1 bit, 10 x 2: two bytes of pixels in each row, padded to 4.
           "image 1bpp 10 2 palette #ffffff #000000 bits ffc00000ffc00000 to 10 20 20 22\n"
           // The right half of a 4-bit image, stretched to twice its size.
           "image 4bpp 4 1 palette #000000 #ffffff #ff0000 bits 01220000 from 2 0 4 1 "
           "to 0 0 4 2 stretch halftone\n"
           "image 24bpp 1 1 bits 0000ff00 to 5 5 6 6 rop 0x6666\n"),
      &job, &error))
      << error.line << ": " << error.message;
  ASSERT_EQ(job.calls.size(), 7u);
  const JobCall& whole = job.calls[2];
  EXPECT_EQ(whole.kind, CallKind::kImage);
  EXPECT_EQ(whole.origin.line, 6);
  EXPECT_EQ(whole.image.format, BMF_1BPP);
  EXPECT_EQ(whole.image.width, 10);
  EXPECT_EQ(whole.image.height, 2);
  EXPECT_EQ(whole.image.bits.size(), 8u);
  EXPECT_EQ(whole.image.palette, (std::vector<COLORREF>{0xFFFFFF, 0x000000}));
  // The whole bitmap when no source is given; a copy in the default mode.
  EXPECT_EQ(whole.image.source.left, 0);
  EXPECT_EQ(whole.image.source.right, 10);
  EXPECT_EQ(whole.image.source.bottom, 2);
  EXPECT_EQ(whole.image.target.left, 10);
  EXPECT_EQ(whole.image.target.bottom, 22);
  EXPECT_EQ(whole.image.rop, 0xCCCCu);
  EXPECT_EQ(whole.image.stretchMode, COLORONCOLOR);
  // The clip and the brush of the state go with it.
  ASSERT_EQ(whole.clip.rects.size(), 1u);
  EXPECT_EQ(whole.clip.rects[0].right, 100);
  EXPECT_EQ(whole.fill.color, 0x0000FFu);
  EXPECT_EQ(whole.brushOrigin.x, 4);
  const ImageParams& half = job.calls[3].image;
  EXPECT_EQ(half.source.left, 2);
  EXPECT_EQ(half.source.right, 4);
  EXPECT_EQ(half.target.bottom, 2);
  EXPECT_EQ(half.stretchMode, HALFTONE);
  EXPECT_EQ(half.palette.size(), 3u);
  EXPECT_EQ(job.calls[4].image.rop, 0x6666u);
  EXPECT_TRUE(job.calls[4].image.palette.empty());
}

struct BadLine {
  const char* name;
  std::string script;
  int line;
  const char* message;
};

const BadLine kBadLines[] = {
    {"unknown keyword", Wrap("strok M 0 0 L 1 1\n"), 3, "unknown keyword 'strok'"},
    {"short line step", Wrap("stroke M 10 10 L 20\n"), 3, "L takes 2 numbers"},
    {"step before move", Wrap("stroke L 1 1\n"), 3, "L needs a subpath: start it with M"},
    {"not a number", Wrap("stroke M 1 x\n"), 3, "'x' is not a number (coordinate)"},
    {"huge coordinate", Wrap("stroke M 1 1e300\n"), 3, "'1e300' is out of range (coordinate)"},
    {"empty path", Wrap("fill\n"), 3, "the path is empty"},
    {"bad colour", Wrap("pen red\n"), 3, "'red' is not a colour #RRGGBB"},
    {"bad hatch", Wrap("brush hatch dots #000000\n"), 3,
     "'dots' is not a hatch style (horizontal, vertical, fdiagonal, bdiagonal, cross, "
     "diagcross)"},
    {"pattern bits short", Wrap("brush pattern 8bpp 2 2 palette #000000 bits 0000\n"), 3,
     "the pattern's bits take 8 bytes (rows padded to 4 bytes), not 2"},
    {"pattern without palette", Wrap("brush pattern 4bpp 1 1 bits 00000000\n"), 3,
     "the pattern's palette needs 1 to 16 colours"},
    {"overlapping clip", Wrap("clip rect 0 0 10 10 5 5 20 20\n"), 3, "the clip rectangles overlap"},
    {"empty clip rectangle", Wrap("clip rect 0 0 0 10\n"), 3,
     "a clip rectangle's right and bottom lie beyond its left and top"},
    {"raster operation", Wrap("mix 17\n"), 3, "raster operation 17 is outside 1 to 16"},
    {"unclosed quote", "document \"Plan\nstart-document\n", 1, "a quoted text is not closed"},
    {"unknown member", "set dmNothing=1\n" + Wrap(""), 1,
     "no member named 'dmNothing' in the settings record"},
    {"member too small", "set dmCopies=70000\n" + Wrap(""), 1, "70000 does not fit dmCopies"},
    {"drawing outside a page", "start-document\npaint\nend-document\n", 2, "paint outside a page"},
    {"reset in a page", Wrap("reset dmCopies=2\n"), 3, "reset comes between pages"},
    {"page in a page", Wrap("start-page\n"), 3, "a page is open: end-page first"},
    {"no end", "start-document\nstart-page\n", 2,
     "the script ends inside the document: end-page and end-document missing"},
    {"no document", "pen #000000\n", 0, "the script starts no document (start-document)"},
    {"odd hex", Wrap("passthrough hex 1b4\n"), 3, "hexadecimal bytes come in pairs of digits"},
    {"escape payload", Wrap("escape 100 bytes 00\n"), 3,
     "'bytes': the data is hex BYTES or text \"TEXT\""},
    {"text later", Wrap("text 10 10 \"A\"\n"), 3, "text lines are not played yet"},
    {"image bits short", Wrap("image 24bpp 2 1 bits 000000 to 0 0 2 1\n"), 3,
     "the image's bits take 8 bytes (rows padded to 4 bytes), not 3"},
    {"image bits long", Wrap("image 1bpp 8 1 palette #000000 bits 0000000000 to 0 0 8 1\n"), 3,
     "the image's bits take 4 bytes (rows padded to 4 bytes), not 5"},
    {"image palette too large",
     Wrap("image 1bpp 1 1 palette #000000 #ffffff #ff0000 bits 00000000 to 0 0 1 1\n"), 3,
     "the image's palette needs 1 to 2 colours"},
    {"indexed image without palette", Wrap("image 8bpp 1 1 bits 00000000 to 0 0 1 1\n"), 3,
     "the image's palette needs 1 to 256 colours"},
    {"direct image with palette",
     Wrap("image 24bpp 1 1 palette #000000 bits 00000000 to 0 0 1 1\n"), 3,
     "a 24bpp image has no palette"},
    {"image format", Wrap("image 2bpp 1 1 bits 00000000 to 0 0 1 1\n"), 3,
     "'2bpp' is not an image format (1bpp, 4bpp, 8bpp, 24bpp)"},
    {"image width", Wrap("image 1bpp 0 1 palette #000000 bits to 0 0 1 1\n"), 3,
     "image width 0 is outside 1 to 32767"},
    {"image without target", Wrap("image 1bpp 1 1 palette #000000 bits 00000000\n"), 3,
     "an image needs its target: to LEFT TOP RIGHT BOTTOM"},
    {"image source outside",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 from 0 0 2 1 to 0 0 2 1\n"), 3,
     "the source rectangle lies outside the 1 x 1 image"},
    {"image source negative",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 from -1 0 1 1 to 0 0 2 1\n"), 3,
     "the source rectangle lies outside the 1 x 1 image"},
    {"image target empty", Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 5 5 5 9\n"), 3,
     "the target rectangle's right and bottom lie beyond its left and top"},
    {"image target short", Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 5 5 6\n"), 3,
     "expected: image FORMAT WIDTH HEIGHT [palette #RRGGBB ...] bits HEX [from LEFT TOP RIGHT "
     "BOTTOM] to LEFT TOP RIGHT BOTTOM [rop ROP4] [stretch MODE]"},
    {"image with a mask operation",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 0 0 1 1 rop 0xAACC\n"), 3,
     "an image has no mask: both bytes of the raster operation are the same"},
    {"image operation range",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 0 0 1 1 rop 0x10000\n"), 3,
     "raster operation 0x10000 is outside 0 to 65535"},
    {"stretched image not a copy",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 0 0 2 2 rop 0x6666\n"), 3,
     "a stretched image is copied (rop 0xCCCC)"},
    {"stretch mode",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 0 0 2 2 stretch smooth\n"), 3,
     "'smooth' is not a stretch mode (blackonwhite, whiteonblack, coloroncolor, halftone)"},
    {"image word twice",
     Wrap("image 1bpp 1 1 palette #000000 bits 00000000 to 0 0 1 1 to 0 0 1 1\n"), 3,
     "an image takes to once"},
    {"image word unknown", Wrap("image 1bpp 1 1 palette #000000 bits 00000000 at 0 0 1 1\n"), 3,
     "'at': an image takes from, to, rop and stretch"},
    {"image outside a page",
     "start-document\nimage 1bpp 1 1 palette #000000 bits 00000000 "
     "to 0 0 1 1\nend-document\n",
     2, "image outside a page"},
};

TEST(JobScript, MalformedLinesStopTheJob) {
  for (const BadLine& c : kBadLines) {
    SCOPED_TRACE(c.name);
    Job job;
    ScriptError error;
    ASSERT_FALSE(ReadJobScript(c.script, &job, &error));
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.message, c.message);
  }
  Job job;
  ScriptError error;
  ASSERT_FALSE(ReadJobScript("start-document\nset dmCopies=2\n", &job, &error));
  EXPECT_EQ(FormatScriptError("a.job", error),
            "a.job:2: set comes before start-document; between pages use reset");
}

// Every example block of docs/job-script.md that holds page lines reads as a page.
TEST(JobScript, DocumentedExamplesRead) {
  std::ifstream in(qxtest::SourceDir() + "/docs/job-script.md");
  std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(doc.empty());
  // Blocks fenced by a bare ``` are job lines; ```sh blocks are commands.
  std::vector<std::string> blocks;
  bool inside = false, lines = false;
  std::size_t at = 0;
  while (at < doc.size()) {
    std::size_t end = doc.find('\n', at);
    if (end == std::string::npos) end = doc.size();
    std::string line = doc.substr(at, end - at);
    at = end + 1;
    if (line.rfind("```", 0) == 0) {
      lines = !inside && line == "```";
      if (lines) blocks.emplace_back();
      inside = !inside;
    } else if (inside && lines) {
      blocks.back() += line + "\n";
    }
  }
  ASSERT_GE(blocks.size(), 4u);
  // The job block, the control block (a whole document), the state block and the
  // drawing block.
  Job job;
  ScriptError error;
  EXPECT_TRUE(ReadJobScript(blocks[0] + Wrap(""), &job, &error)) << error.message;
  EXPECT_TRUE(ReadJobScript(blocks[1], &job, &error)) << error.line << ": " << error.message;
  EXPECT_TRUE(ReadJobScript(Wrap(blocks[2] + blocks[3]), &job, &error))
      << error.line << ": " << error.message;
  // The image block: images drawn with the state before them.
  ASSERT_GE(blocks.size(), 5u);
  EXPECT_TRUE(ReadJobScript(Wrap(blocks[4]), &job, &error)) << error.line << ": " << error.message;
  EXPECT_GE(job.calls.size(), 5u);
}

}  // namespace
