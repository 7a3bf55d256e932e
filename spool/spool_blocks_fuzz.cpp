// Fuzz target: any bytes as the writes of one job to the spool filter. The
// input is cut into writes by a length byte before each (0xFF: the next write
// takes the size of a block the filter knows, and its first bytes are taken as
// the block's magic word); the job then ends. The job-binder block's folder is
// held to one folder of the fuzz run, so that no input makes files elsewhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "spool/spool_context.h"

QX_EXPORT HANDLE WINAPI DrvSplStartDoc(HANDLE printer, DWORD jobId);
QX_EXPORT BOOL WINAPI DrvSplWritePrinter(HANDLE context, LPVOID bytes, DWORD count,
                                         LPDWORD written);
QX_EXPORT BOOL WINAPI DrvSplEndPage(HANDLE context);
QX_EXPORT void WINAPI DrvSplEndDoc(HANDLE context);
QX_EXPORT void WINAPI DrvSplAbort(HANDLE context);
QX_EXPORT void WINAPI DrvSplClose(HANDLE context);

namespace {

constexpr std::size_t kBlockSizes[] = {spool::kStartBlockSize, spool::kJobBinderBlockSize,
                                       spool::kMergeHeaderSize, spool::kTrailerBlockSize,
                                       spool::kLogBlockSize};

const std::u16string& Folder() {
  static const std::u16string folder = [] {
    std::string dir =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/qx-spool-fuzz";
    return platform::Utf8ToWide(dir);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::test::SetMessageBoxesQuiet(true);
  HANDLE job = DrvSplStartDoc(nullptr, 1);
  if (job == nullptr) return 0;
  std::size_t at = 0;
  int writes = 0;
  while (at < size && writes++ < 64) {
    std::size_t length = data[at++];
    if (length == 0xFF && at < size) length = kBlockSizes[data[at++] % std::size(kBlockSizes)];
    std::vector<std::uint8_t> bytes(length, 0);
    std::size_t take = std::min(length, size - at);
    if (take) std::memcpy(bytes.data(), data + at, take);
    at += take;
    if (length == spool::kJobBinderBlockSize) {
      // The folder slot: the fuzz run's folder, terminated. Half the jobs have
      // no chosen name and are named after their document.
      std::memset(bytes.data(), 0, 512);
      if (bytes[512] % 2 == 0) std::memset(bytes.data() + 512, 0, 512);
      const std::u16string& folder = Folder();
      for (std::size_t i = 0; i < folder.size() && i < 255; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(folder[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(folder[i] >> 8);
      }
    }
    DWORD written = 0;
    DrvSplWritePrinter(job, bytes.data(), static_cast<DWORD>(bytes.size()), &written);
    if (written != bytes.size()) std::abort();
    if (length % 7 == 0) DrvSplEndPage(job);
  }
  if (size % 2) DrvSplAbort(job);
  DrvSplEndDoc(job);
  DrvSplClose(job);
  return 0;
}
