// The spool filter's entry points: one context per job, the in-band block
// protocol that tells the filter what a job is, and the paths of the job's
// bytes (to the printer, or into a job-binder file).
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>

#include "platform/platform.h"
#include "spool/job_binder_file.h"
#include "spool/spool_context.h"

namespace spool {

namespace {

// The live contexts of the process, and the one created last (which a device
// context re-created in the middle of a document asks for). A handle is only
// used when it is in the list, so a closed context is never touched.
std::mutex gContextsLock;
SpoolContext* gLiveContexts = nullptr;
SpoolContext* gMostRecent = nullptr;

SpoolContext* LiveContext(HANDLE handle) {
  if (handle == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(gContextsLock);
  for (SpoolContext* c = gLiveContexts; c; c = c->nextLive) {
    if (c == handle) return c->signature == kContextSignature ? c : nullptr;
  }
  return nullptr;
}

void Unlink(SpoolContext* context) {
  std::lock_guard<std::mutex> lock(gContextsLock);
  for (SpoolContext** at = &gLiveContexts; *at; at = &(*at)->nextLive) {
    if (*at == context) {
      *at = context->nextLive;
      break;
    }
  }
  if (gMostRecent == context) gMostRecent = nullptr;
}

// A start block is exactly 36 bytes: a known job mode and eight fill words. A
// job whose first write is anything else never sent one (its header has no
// start block) and prints as it came.
bool IsStartBlock(const unsigned char* bytes, DWORD count) {
  if (count != kStartBlockSize) return false;
  DWORD mode = LoadU32(bytes);
  if (mode != kModePrint && mode != kModeJobBinder && mode != kModePrintAndLog) return false;
  for (std::size_t at = 4; at < kStartBlockSize; at += 4) {
    if (LoadU32(bytes + at) != kStartBlockFill) return false;
  }
  return true;
}

// Zero-terminates a UTF-16 text of `chars` characters at `offset`.
void TerminateWide(unsigned char* block, std::size_t offset, std::size_t chars) {
  block[offset + 2 * (chars - 1)] = 0;
  block[offset + 2 * (chars - 1) + 1] = 0;
}

// A terminated UTF-16 text of the block, read byte by byte.
std::u16string WideText(const unsigned char* block, std::size_t offset, std::size_t chars) {
  std::u16string text;
  for (std::size_t n = 0; n < chars; ++n) {
    auto c = static_cast<char16_t>(block[offset + 2 * n] | block[offset + 2 * n + 1] << 8);
    if (c == 0) break;
    text += c;
  }
  return text;
}

// The texts of the print-log block, each ended inside its own area: (offset,
// size in bytes, wide).
struct LogText {
  std::size_t offset;
  std::size_t bytes;
  bool wide;
};
// clang-format off
constexpr LogText kLogTexts[] = {
    {   4, 514, true},   // log file name
    { 518, 512, true},   // document name
    {1046, 514, true},   // render library's file name
    {1560,  64, true},   // device name
    {2074,  34, false},  // paper text
    {2272,   9, false},  // user ID
    {2281,  10, false},  // user code
    {2336,  36, false},  // empty text
    {2388, 260, true},   // authentication user name
};
// clang-format on

void TerminateLogTexts(unsigned char* block) {
  for (const LogText& t : kLogTexts) {
    if (t.wide) {
      TerminateWide(block, t.offset, t.bytes / 2);
    } else {
      block[t.offset + t.bytes - 1] = 0;
    }
  }
}

// The spooler's document name of the job, on systems that keep one (at most 255
// characters); empty when it cannot be read.
std::u16string SpoolerDocumentName(const SpoolContext& c) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version) || version.dwMajorVersion <= 4) return {};
  DWORD needed = 0;
  GetJobW(c.printer, c.jobId, 2, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_2W)) return {};
  auto* info = static_cast<JOB_INFO_2W*>(LocalAlloc(LPTR, needed));
  if (info == nullptr) return {};
  std::u16string name;
  if (GetJobW(c.printer, c.jobId, 2, reinterpret_cast<LPBYTE>(info), needed, &needed) &&
      info->pDocument) {
    std::u16string_view document(info->pDocument);
    name = document.substr(0, kBlockTextChars - 1);
  }
  LocalFree(info);
  return name;
}

void OpenJobBinderFile(SpoolContext& c) {
  const unsigned char* block = c.jobBinderBlock;
  std::u16string document = SpoolerDocumentName(c);
  if (document.empty()) document = WideText(block, kDocumentNameOffset, kBlockTextChars);
  c.jobBinderFile = CreateJobBinderFile(WideText(block, kFolderOffset, kBlockTextChars),
                                        WideText(block, kFileNameOffset, kBlockTextChars), document,
                                        c.mergeHeader);
}

BOOL WriteData(SpoolContext& c, const unsigned char* bytes, DWORD count) {
  DWORD mode = c.Mode();
  if ((mode & kModePrintAndLog) && count == kLogBlockSize && LoadU32(bytes) == kLogMagic) {
    std::memcpy(c.logBlock, bytes, kLogBlockSize);
    TerminateLogTexts(c.logBlock);
    return TRUE;
  }
  if ((mode & kModeJobBinder) && count == kTrailerBlockSize && LoadU32(bytes) == kTrailerMagic) {
    DWORD flags = LoadU32(bytes + 4);
    c.pageCount = LoadU32(bytes + 8);
    unsigned char* h = c.mergeHeader;
    StoreU32(h + kHeaderOrientationFlags, LoadU32(h + kHeaderOrientationFlags) | (flags & 0x2));
    StoreU32(h + kHeaderTrailerFlag, flags & 0x1);
    return TRUE;
  }
  DWORD written = 0;
  if (mode & kModeJobBinder) {
    // The file could not be made: the job's data has nowhere to go.
    if (c.jobBinderFile == INVALID_HANDLE_VALUE) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    return WriteFile(c.jobBinderFile, bytes, count, &written, nullptr) && written == count;
  }
  return WritePrinter(c.printer, bytes, count, &written) && written == count;
}

BOOL WriteByState(SpoolContext& c, const unsigned char* bytes, DWORD count) {
  DWORD written = 0;
  switch (c.state) {
    case State::kWaitStart: {
      if (!IsStartBlock(bytes, count)) {
        c.startBlock[0] = kModePrint;
        c.state = State::kPassThrough;
        return WritePrinter(c.printer, bytes, count, &written) && written == count;
      }
      for (std::size_t i = 0; i < 9; ++i) c.startBlock[i] = LoadU32(bytes + 4 * i);
      c.pendingBlocks = c.Mode() & ~kModePrintAndLog;
      c.state = c.Mode() == kModePrint ? State::kPassThrough
                : c.pendingBlocks == 0 ? State::kData
                                       : State::kWaitJobBinderBlock;
      return TRUE;
    }
    case State::kPassThrough:
      return WritePrinter(c.printer, bytes, count, &written) && written == count;
    case State::kWaitJobBinderBlock:
      if (count != kJobBinderBlockSize) return FALSE;
      std::memcpy(c.jobBinderBlock, bytes, kJobBinderBlockSize);
      TerminateWide(c.jobBinderBlock, kFolderOffset, kBlockTextChars);
      TerminateWide(c.jobBinderBlock, kFileNameOffset, kBlockTextChars);
      TerminateWide(c.jobBinderBlock, kDocumentNameOffset, kBlockTextChars);
      c.pendingBlocks &= ~kPendingJobBinder;
      c.state = State::kWaitMergeHeader;
      return TRUE;
    case State::kWaitMergeHeader:
      if (count != kMergeHeaderSize) return FALSE;
      std::memcpy(c.mergeHeader, bytes, kMergeHeaderSize);
      OpenJobBinderFile(c);
      c.state = State::kData;
      return TRUE;
    case State::kData:
      return WriteData(c, bytes, count);
  }
  return FALSE;
}

void CloseJobBinderFile(SpoolContext& c) {
  if (c.jobBinderFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(c.jobBinderFile);
  c.jobBinderFile = INVALID_HANDLE_VALUE;
}

}  // namespace

}  // namespace spool

using spool::SpoolContext;

QX_EXPORT HANDLE WINAPI DrvSplStartDoc(HANDLE printer, DWORD jobId) {
  auto* c = static_cast<SpoolContext*>(LocalAlloc(LPTR, sizeof(SpoolContext)));
  if (c == nullptr) return nullptr;
  c->signature = spool::kContextSignature;
  c->printer = printer;
  c->jobId = jobId;
  c->jobBinderFile = INVALID_HANDLE_VALUE;
  c->state = spool::State::kWaitStart;
  c->pendingBlocks = 0;
  c->pageCount = 0;
  std::lock_guard<std::mutex> lock(spool::gContextsLock);
  c->nextLive = spool::gLiveContexts;
  spool::gLiveContexts = c;
  spool::gMostRecent = c;
  return c;
}

QX_EXPORT HANDLE WINAPI MyDrvSplStartDoc() {
  std::lock_guard<std::mutex> lock(spool::gContextsLock);
  return spool::gMostRecent;
}

QX_EXPORT BOOL WINAPI DrvSplStartPage(HANDLE context) {
  return spool::LiveContext(context) ? TRUE : FALSE;
}

QX_EXPORT BOOL WINAPI DrvSplWritePrinter(HANDLE context, LPVOID bytes, DWORD count,
                                         LPDWORD written) {
  if (written) *written = count;
  SpoolContext* c = spool::LiveContext(context);
  if (c == nullptr || (bytes == nullptr && count != 0)) return FALSE;
  if (count == 0) return TRUE;
  return spool::WriteByState(*c, static_cast<const unsigned char*>(bytes), count);
}

QX_EXPORT BOOL WINAPI DrvSplEndPage(HANDLE context) {
  SpoolContext* c = spool::LiveContext(context);
  if (c == nullptr) return FALSE;
  ++c->pageCount;
  return TRUE;
}

QX_EXPORT void WINAPI DrvSplEndDoc(HANDLE context) {
  SpoolContext* c = spool::LiveContext(context);
  if (c == nullptr) return;
  if (c->jobBinderFile != INVALID_HANDLE_VALUE) {
    spool::StoreU32(c->mergeHeader + spool::kHeaderPageCount, c->pageCount);
    DWORD written = 0;
    if (SetFilePointer(c->jobBinderFile, 0, nullptr, FILE_BEGIN) == 0) {
      WriteFile(c->jobBinderFile, c->mergeHeader, spool::kMergeHeaderSize, &written, nullptr);
    }
    spool::CloseJobBinderFile(*c);
  }
}

QX_EXPORT void WINAPI DrvSplAbort(HANDLE context) {
  if (SpoolContext* c = spool::LiveContext(context)) spool::CloseJobBinderFile(*c);
}

QX_EXPORT void WINAPI DrvSplClose(HANDLE context) {
  SpoolContext* c = spool::LiveContext(context);
  if (c == nullptr) return;
  spool::Unlink(c);
  spool::CloseJobBinderFile(*c);
  c->signature = 0;
  LocalFree(c);
}
