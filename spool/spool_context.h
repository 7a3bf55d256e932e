// The spool filter's record of one job: the printer and job it writes to, the
// in-band blocks the render library sent, the protocol state, the open
// job-binder file and the page count. The blocks are kept as the bytes that
// arrived, and read and written by offset.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace spool {

constexpr DWORD kContextSignature = 0x44525347;  // "GSRD"

// Sizes and magic words of the in-band blocks.
constexpr std::size_t kStartBlockSize = 36;
constexpr std::size_t kJobBinderBlockSize = 1536;
constexpr std::size_t kMergeHeaderSize = 380;
constexpr std::size_t kTrailerBlockSize = 76;
constexpr std::size_t kLogBlockSize = 2648;
constexpr DWORD kStartBlockFill = 0x01010101;
constexpr DWORD kTrailerMagic = 0x5441494C;  // "LIAT"
constexpr DWORD kLogMagic = 0x4C6F6700;

// Job modes, the first word of the start block.
constexpr DWORD kModePrint = 0;
constexpr DWORD kModeJobBinder = 2;
constexpr DWORD kModePrintAndLog = 4;

// Pending-block bit: the job-binder block is still expected.
constexpr DWORD kPendingJobBinder = 0x2;

// Protocol states; a job only moves forward.
enum class State : DWORD {
  kWaitStart = 0,
  kPassThrough = 1,
  kWaitJobBinderBlock = 2,
  kWaitMergeHeader = 3,
  kData = 4,
};

// The three texts of the job-binder block, 256 WCHARs each.
constexpr std::size_t kFolderOffset = 0;
constexpr std::size_t kFileNameOffset = 512;
constexpr std::size_t kDocumentNameOffset = 1024;
constexpr std::size_t kBlockTextChars = 256;

// Words of the merge header the filter updates.
constexpr std::size_t kHeaderOrientationFlags = 292;
constexpr std::size_t kHeaderTrailerFlag = 296;
constexpr std::size_t kHeaderPageCount = 312;

struct SpoolContext {
  DWORD signature;
  HANDLE printer;
  DWORD jobId;
  DWORD startBlock[9];
  State state;
  DWORD pendingBlocks;
  HANDLE jobBinderFile;
  unsigned char mergeHeader[kMergeHeaderSize];
  unsigned char jobBinderBlock[kJobBinderBlockSize];
  DWORD pageCount;
  unsigned char logBlock[kLogBlockSize];
  SpoolContext* nextLive;  // the process's list of live contexts

  DWORD Mode() const { return startBlock[0]; }
};

inline DWORD LoadU32(const unsigned char* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
         static_cast<DWORD>(p[3]) << 24;
}
inline void StoreU32(unsigned char* p, DWORD v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace spool
