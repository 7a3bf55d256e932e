// The 380-byte merge header at the start of every job-binder file: it tells the
// job-binder application the job's orientation, paper and paper source (and,
// once the spool filter completes it, the page count). The render library
// builds it at job start and sends it to the filter as one block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/core/device_context.h"

namespace render::jobcontrol {

constexpr std::size_t kMergeHeaderSize = 380;

// Offsets of the header's fields.
namespace merge {
constexpr std::size_t kVersion = 32;
constexpr std::size_t kOrientation = 292;
constexpr std::size_t kTrailerFlag = 296;
constexpr std::size_t kPaperCode = 300;
constexpr std::size_t kFirstDimension = 304;
constexpr std::size_t kSecondDimension = 308;
constexpr std::size_t kPageCount = 312;
constexpr std::size_t kSourceCode = 316;
constexpr std::size_t kTail = 320;
}  // namespace merge

// The paper of the header: its code and dimensions in millimetres (the long
// side first for a standard size).
struct MergePaper {
  std::int32_t code;
  std::int32_t first;
  std::int32_t second;
};
MergePaper MergePaperOf(const DeviceContext& dc);

// The paper source code: the tray of the InputSlot option with the job's source
// number, through the role and merge tray tables; the number itself when no
// option gives a code.
std::int32_t MergeSourceCode(const DeviceContext& dc);

// Fills `header` (kMergeHeaderSize bytes) for the job; the page count and the
// trailer flag are 0 until the spool filter completes them.
void BuildMergeHeader(const DeviceContext& dc, unsigned char* header);

}  // namespace render::jobcontrol
