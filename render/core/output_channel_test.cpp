// The output channel: transfer rule, sticky failure and the format language.
#include "render/core/output_channel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

using namespace render;

// A sink that records each transfer and can fail at the n-th one.
struct RecordingSink {
  std::vector<std::string> transfers;
  int failAt = 0;  // 1-based; 0 never
  bool shortWrite = false;
  static BOOL Transfer(void* context, const void* bytes, DWORD length, DWORD* written) {
    auto* self = static_cast<RecordingSink*>(context);
    self->transfers.emplace_back(static_cast<const char*>(bytes), length);
    if (static_cast<int>(self->transfers.size()) == self->failAt) {
      *written = self->shortWrite ? length - 1 : 0;
      return self->shortWrite ? TRUE : FALSE;
    }
    *written = length;
    return TRUE;
  }
  std::string All() const {
    std::string s;
    for (const std::string& t : transfers) s += t;
    return s;
  }
};

struct Channel {
  RecordingSink sink;
  OutputChannel out;
  Channel() {
    out.sink = {&RecordingSink::Transfer, &sink};
    ResetOutput(out);
  }
  std::string Flushed() {
    FlushOutput(out);
    return sink.All();
  }
};

TEST(OutputChannel, TransferRule) {
  struct Case {
    const char* name;
    std::size_t pending, length;
    std::vector<std::size_t> transfers;  // sizes sent by the write
    std::size_t fillAfter;
  };
  const Case kCases[] = {
      {"4000 pending + 200", 4000, 200, {4000}, 200},
      {"100 pending + 3000", 100, 3000, {100, 3000}, 0},
      {"3000 pending + 2048", 3000, 2048, {3000}, 2048},
      {"4000 pending + 96 fits", 4000, 96, {}, 4096},
      {"empty + 2049 goes out directly", 0, 2049, {2049}, 0},
      {"zero-length write", 0, 0, {}, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Channel ch;
    std::string pending(c.pending, 'p');
    std::string piece(c.length, 'x');
    for (std::size_t at = 0; at < pending.size(); at += 1000) {  // small pieces stay buffered
      ASSERT_TRUE(WriteBytes(ch.out, pending.data() + at,
                             std::min<std::size_t>(1000, pending.size() - at)));
    }
    ASSERT_TRUE(ch.sink.transfers.empty());
    EXPECT_TRUE(WriteBytes(ch.out, piece.data(), piece.size()));
    ASSERT_EQ(ch.sink.transfers.size(), c.transfers.size());
    for (std::size_t i = 0; i < c.transfers.size(); ++i) {
      EXPECT_EQ(ch.sink.transfers[i].size(), c.transfers[i]);
    }
    EXPECT_EQ(ch.out.fill, c.fillAfter);
    EXPECT_EQ(ch.Flushed(), pending + piece);
  }
}

TEST(OutputChannel, FailureIsSticky) {
  for (bool shortWrite : {false, true}) {
    SCOPED_TRACE(shortWrite ? "short write" : "failed call");
    Channel ch;
    ch.sink.failAt = 1;
    ch.sink.shortWrite = shortWrite;
    WriteText(ch.out, "IN;");
    EXPECT_FALSE(FlushOutput(ch.out));
    EXPECT_TRUE(ch.out.failed);
    EXPECT_FALSE(WriteText(ch.out, "SP1;"));
    EXPECT_EQ(WriteFormatted(ch.out, "PA%d,%d", {1, 2}), -1);
    EXPECT_FALSE(WriteHex(ch.out, 1, "x"));
    EXPECT_TRUE(FlushOutput(ch.out));  // a flush after the failure sends nothing
    EXPECT_EQ(ch.sink.transfers.size(), 1u);
  }
}

TEST(OutputChannel, FailedDirectWrite) {
  Channel ch;
  ch.sink.failAt = 1;
  std::string big(3000, 'b');
  EXPECT_FALSE(WriteBytes(ch.out, big.data(), big.size()));
  EXPECT_FALSE(WriteText(ch.out, "x"));
}

std::string Formatted(const char* format, std::initializer_list<FormatArg> args = {}) {
  Channel ch;
  int n = WriteFormatted(ch.out, format, args);
  std::string s = ch.Flushed();
  EXPECT_EQ(n, static_cast<int>(s.size()));
  return s;
}

TEST(FormatLanguage, Directives) {
  struct Case {
    std::string expected;
    std::string got;
  };
  const Case kCases[] = {
      {"1", Formatted("%f", {256})},
      {"1.5", Formatted("%f", {384})},
      {"1.25", Formatted("%f", {320})},
      {"1.004", Formatted("%f", {257})},
      {"2.031", Formatted("%f", {520})},
      {"-0.5", Formatted("%f", {-128})},
      {"0", Formatted("%f", {0})},
      {"-8388608", Formatted("%f", {INT32_MIN})},
      {"00", Formatted("%x", {0})},
      {"05", Formatted("%X", {5})},
      {"1234", Formatted("%x", {4660})},
      {"FFFFFFFF", Formatted("%x", {-1})},
      {"-2147483648", Formatted("%d", {INT32_MIN})},
      {"4294967295", Formatted("%u", {-1})},
      {"PA-5,7;", Formatted("PA%l,%d;", {-5, 7})},
      {"true false", Formatted("%b %b", {3, 0})},
      {"@PJL SET JOBNAME = \"a\"", Formatted("@PJL SET JOBNAME = \"%s\"", {"a"})},
      {"A%", Formatted("%c%%", {'A'})},
      {"q", Formatted("%q")},
      {"end", Formatted("end%")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.got, c.expected);
  }
}

TEST(FormatLanguage, EmptyTextWritesNothing) {
  Channel ch;
  EXPECT_EQ(WriteFormatted(ch.out, "%s", {""}), 0);
  EXPECT_EQ(ch.out.fill, 0u);
}

TEST(FormatLanguage, LongTextReachesTheStreamWhole) {
  std::string name(700, 'n');
  EXPECT_EQ(Formatted("@PJL SET HOSTLOGINNAME = \"%s\"\r\n", {name.c_str()}),
            "@PJL SET HOSTLOGINNAME = \"" + name + "\"\r\n");
  std::vector<std::int32_t> many(100, -123456);
  Channel ch;
  EXPECT_TRUE(WriteNumberList(ch.out, many.size(), many.data()));
  std::string expected;
  for (std::size_t i = 0; i < many.size(); ++i) expected += (i ? " " : "") + std::string("-123456");
  EXPECT_EQ(ch.Flushed(), expected);
}

TEST(FormatLanguage, Lists) {
  Channel ch;
  const std::int32_t fixed[] = {256, 384, -128};
  const std::int32_t numbers[] = {1, -2, 3};
  EXPECT_TRUE(WriteFixedList(ch.out, 3, fixed));
  EXPECT_TRUE(WriteNumberList(ch.out, 3, numbers));
  EXPECT_TRUE(WriteNumberList(ch.out, 0, numbers));
  EXPECT_EQ(ch.Flushed(), "1 1.5 -0.51 -2 3");
}

TEST(OutputChannel, HexLines) {
  std::vector<unsigned char> bytes(65, 0xAB);
  bytes[64] = 0x05;
  std::string line;
  for (int i = 0; i < 64; ++i) line += "AB";
  Channel a;
  EXPECT_TRUE(WriteHex(a.out, 64, bytes.data()));
  EXPECT_EQ(a.Flushed(), line);  // 128 digits and no newline
  Channel b;
  EXPECT_TRUE(WriteHex(b.out, 65, bytes.data()));
  EXPECT_EQ(b.Flushed(), line + "\n05");
}

}  // namespace
