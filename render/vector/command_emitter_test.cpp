// Encoded numbers and the polyline primitives, byte for byte.
#include "render/vector/command_emitter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "render/core/output_channel.h"

namespace {

using namespace render;

std::string Encoded(std::int32_t v) {
  unsigned char bytes[8];
  std::size_t n = EncodeNumber(v, bytes);
  return std::string(reinterpret_cast<char*>(bytes), n);
}

TEST(EncodedNumber, Alphabet) {
  struct Case {
    const char* name;
    std::int32_t value;
    std::string bytes;
  };
  const Case kCases[] = {
      {"zero", 0, "\xBF"},
      {"one", 1, "\xC1"},
      {"minus one", -1, "\xC2"},
      {"31 is the largest one-byte", 31, "\xFD"},     // z = 62
      {"-31 is the smallest one-byte", -31, "\xFE"},  // z = 63
      {"32 takes two", 32, "\x3F\xC0"},               // z = 64: digit 63+0, end 191+1
      {"-32 takes two", -32, "\x40\xC0"},             // z = 65
      {"-100", -100, "\x48\xC2"},                     // z = 201 = 9 + 3 x 64
      {"10", 10, "\xD3"},
      {"-5", -5, "\xCA"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Encoded(c.value), c.bytes);
  }
}

// Decodes the alphabet back, as the printer reads it.
std::int64_t Decode(const std::string& bytes) {
  std::uint64_t z = 0, scale = 1;
  for (unsigned char b : bytes) {
    if (b >= 191) {
      z += scale * (b - 191u);
      break;
    }
    z += scale * (b - 63u);
    scale *= 64;
  }
  return (z & 1) ? -static_cast<std::int64_t>((z - 1) / 2) : static_cast<std::int64_t>(z / 2);
}

TEST(EncodedNumber, LargeValuesRoundTrip) {
  for (std::int32_t v : {100000, -100000, 1 << 20, INT32_MAX, INT32_MIN, 2047, -2048}) {
    SCOPED_TRACE(v);
    std::string e = Encoded(v);
    for (std::size_t i = 0; i + 1 < e.size(); ++i) {
      EXPECT_GE(static_cast<unsigned char>(e[i]), 63);
      EXPECT_LE(static_cast<unsigned char>(e[i]), 126);
    }
    EXPECT_GE(static_cast<unsigned char>(e.back()), 191);
    EXPECT_EQ(Decode(e), v);
  }
}

struct Fixture {
  std::string sent;
  OutputChannel out;
  VectorState state;
  static BOOL Sink(void* c, const void* b, DWORD n, DWORD* w) {
    static_cast<Fixture*>(c)->sent.append(static_cast<const char*>(b), n);
    *w = n;
    return TRUE;
  }
  Fixture() { out.sink = {&Sink, this}; }
  std::string Bytes() {
    FlushOutput(out);
    return sent;
  }
};

TEST(Emitter, MovesAndPolylines) {
  Fixture f;
  MoveAbsolute(f.out, f.state, {10, -20});
  StartPolyline(f.out, {100, 200}, false);
  ContinuePolylineMove(f.out, {-1, 0});
  f.state.polylineOpen = true;
  ClosePolyline(f.out, f.state);
  ClosePolyline(f.out, f.state);  // nothing open: nothing written
  MoveAbsolute(f.out, f.state, {1, 2});
  StartPolyline(f.out, {0, 0}, true);
  EXPECT_EQ(f.Bytes(),
            "PA10,-20"
            "PE<=" +
                Encoded(100) + Encoded(200) + "<=" + Encoded(-1) + Encoded(0) +
                ";"
                "PUPA1,2"
                "PE<=\xBF\xBF;");
}

TEST(Emitter, RectanglePolygonAndFillRule) {
  Fixture f;
  f.state.penUpPending = true;
  WriteRectanglePolygon(f.out, f.state, {10, 10, 20, 30});
  SetFillRule(f.out, true);
  SetFillRule(f.out, false);
  EXPECT_TRUE(f.state.penUpPending);
  EXPECT_EQ(f.Bytes(), "PUPA10,10PMPE" + Encoded(10) + Encoded(0) + Encoded(0) + Encoded(20) +
                           Encoded(-10) + Encoded(0) + ";PM2FP1;FP0;");
}

}  // namespace
