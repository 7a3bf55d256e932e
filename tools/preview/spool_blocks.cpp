// Recognising the spool-filter blocks by their fixed layout.
#include "tools/preview/spool_blocks.h"

#include <cstdint>

namespace preview {

namespace {

constexpr size_t kJobStartSize = 36;
constexpr size_t kJobBinderSize = 1536;
constexpr size_t kMergeHeaderSize = 380;
constexpr size_t kTrailerSize = 76;
constexpr size_t kLogSize = 2648;

uint32_t Word(const ByteCursor& in, size_t at) {
  uint32_t w = 0;
  for (int i = 3; i >= 0; --i) w = (w << 8) | static_cast<uint32_t>(in.Peek(at + i));
  return w;
}

// Word 0 the mode, words 1 to 8 each 0x01010101.
bool IsJobStart(const ByteCursor& in) {
  if (in.Left() < kJobStartSize) return false;
  uint32_t mode = Word(in, 0);
  if (mode != 0 && mode != 2 && mode != 4) return false;
  for (size_t i = 4; i < kJobStartSize; ++i) {
    if (in.Peek(i) != 0x01) return false;
  }
  return true;
}

// "LIAT", flags, page count, then zeros.
bool IsTrailer(const ByteCursor& in) {
  if (in.Left() < kTrailerSize || Word(in, 0) != 0x5441494C) return false;
  for (size_t i = 12; i < kTrailerSize; ++i) {
    if (in.Peek(i) != 0) return false;
  }
  return true;
}

bool IsLogBlock(const ByteCursor& in) { return in.Left() >= kLogSize && Word(in, 0) == 0x4C6F6700; }

}  // namespace

int JobStartMode(const ByteCursor& in) { return static_cast<int>(Word(in, 0)); }

std::optional<SpoolBlock> FindSpoolBlock(const ByteCursor& in, bool afterJobBinderStart,
                                         bool afterJobBinderBlock) {
  if (afterJobBinderStart && in.Left() >= kJobBinderSize) {
    return SpoolBlock{in.pos, kJobBinderSize, "job-binder block"};
  }
  if (afterJobBinderBlock && in.Left() >= kMergeHeaderSize) {
    return SpoolBlock{in.pos, kMergeHeaderSize, "job-binder merge header"};
  }
  if (IsJobStart(in)) {
    static const char* const kModes[] = {"job start (print)", "", "job start (job binder)", "",
                                         "job start (print and log)"};
    return SpoolBlock{in.pos, kJobStartSize, kModes[JobStartMode(in)]};
  }
  if (IsTrailer(in)) return SpoolBlock{in.pos, kTrailerSize, "job-binder trailer"};
  if (IsLogBlock(in)) return SpoolBlock{in.pos, kLogSize, "print-log block"};
  return std::nullopt;
}

}  // namespace preview
