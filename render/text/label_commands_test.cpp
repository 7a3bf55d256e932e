// Label commands: each written only when the printer's state changes, exact
// bytes against a fresh page's label state.
#include "render/text/label_commands.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "render/core/output_channel.h"
#include "render/text/label_text.h"

namespace {

using namespace render;

struct Fixture {
  std::string sent;
  OutputChannel out;
  LabelState state;  // as the page set-up leaves it
  static BOOL Sink(void* c, const void* b, DWORD n, DWORD* w) {
    static_cast<Fixture*>(c)->sent.append(static_cast<const char*>(b), n);
    *w = n;
    return TRUE;
  }
  Fixture() { out.sink = {&Sink, this}; }
  std::string Take() {
    EXPECT_TRUE(FlushOutput(out));
    std::string s;
    s.swap(sent);
    return s;
  }
};

TEST(LabelCommands, ByteModeAndSymbolSetFollowTheRuns) {
  Fixture f;
  struct Step {
    int runClass;
    const char* bytes;
  };
  const Step kSteps[] = {
      {kLabelClassLowByte, ""},  // the page starts in "SD1,11", one-byte mode
      {kLabelClassDoubleByte, "SALM1"}, {kLabelClassDoubleByte, ""},
      {kLabelClassLowByte, "SSLM0"},    {kLabelClassHighByte, "SD1,43"},
      {kLabelClassDoubleByte, "SALM1"}, {kLabelClassHighByte, "SSLM0"},
      {kLabelClassLowByte, "SD1,11"},
  };
  for (const Step& s : kSteps) {
    SCOPED_TRACE(s.bytes);
    WriteLabelMode(f.out, f.state, s.runClass);
    EXPECT_EQ(f.Take(), s.bytes);
  }
  EXPECT_EQ(f.state.symbolSet, 4);
  EXPECT_EQ(f.state.byteMode, 4);
}

TEST(LabelCommands, SizeAndSlantOnChange) {
  Fixture f;
  WriteLabelSize(f.out, f.state, 0, 0);  // the page's own values
  WriteLabelSize(f.out, f.state, 150, 120);
  WriteLabelSize(f.out, f.state, 150, 120);
  WriteLabelSize(f.out, f.state, 105, 100);
  EXPECT_EQ(f.Take(), "SI1.50,1.20SI1.05,1.0");
  WriteLabelSlant(f.out, f.state, false);
  WriteLabelSlant(f.out, f.state, true);
  WriteLabelSlant(f.out, f.state, true);
  WriteLabelSlant(f.out, f.state, false);
  EXPECT_EQ(f.Take(), "SL0.5SL");
}

TEST(LabelCommands, Direction) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  Fixture f;
  struct Step {
    LabelDirection direction;
    bool deviceRotated;
    const char* bytes;
  };
  const Step kSteps[] = {
      {{1000000, 0}, false, "DI1000000,0"},
      {{1000000, 0}, false, ""},
      {{2000000, 0}, false, ""},  // the same way along the run
      {{0, 1000000}, false, "DI0,1000000"},
      {{0, -1000000}, true, "DI0,1000000"},  // kept unnegated: (0, -1000000)
      {{0, -5}, false, ""},
      {{kMin, 0}, true, "DI2147483647,0"},  // negated without overflow
  };
  for (const Step& s : kSteps) {
    SCOPED_TRACE(s.bytes);
    WriteLabelDirection(f.out, f.state, s.direction, s.deviceRotated);
    EXPECT_EQ(f.Take(), s.bytes);
  }
  EXPECT_EQ(f.state.directionRun, kMin);
  EXPECT_EQ(f.state.directionRise, 0);
}

TEST(LabelCommands, CodesAndTerminators) {
  Fixture f;
  WriteLabelCode(f.out, 'A', false);
  WriteLabelCode(f.out, 0xB1, false);
  WriteLabelTerminator(f.out, false);
  WriteLabelCode(f.out, 0x82A0, true);
  WriteLabelCode(f.out, 0x877E, true);
  WriteLabelTerminator(f.out, true);
  EXPECT_EQ(f.Take(), std::string("A\xB1\x03\x24\x22\x2D\x7E\x00\x03", 9));
}

}  // namespace
