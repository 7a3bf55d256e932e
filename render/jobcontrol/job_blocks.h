// The binary blocks the render library sends in band to the spool filter: the
// job start block that tells the filter the job's mode, the job-binder trailer
// and the print-log block. Each goes out as one transfer of its own, with the
// output buffer flushed before and after it.
#pragma once

#include "render/core/device_context.h"

namespace render::jobcontrol {

constexpr std::size_t kStartBlockSize = 36;
constexpr std::size_t kJobBinderBlockSize = 1536;
constexpr std::size_t kJobBinderTrailerSize = 76;
constexpr std::size_t kLogBlockSize = 2648;

// Job modes of the start block.
constexpr DWORD kModePrint = 0;
constexpr DWORD kModeJobBinder = 2;
constexpr DWORD kModePrintAndLog = 4;

// The spool filter is loaded and its start-document call gave a job.
bool FilterBound(const DeviceContext& dc);

// Whether the printer's settings file asks for this job to go to the job
// binder ("QBXSEND" 1, on printers with the job binder, for jobs with page
// content). A one-time request ("QBXSEND_RESET" 1) is taken back at once.
bool IsJobBinderSend(DeviceContext& dc);

// The job-binder block: "JobMergePath" (offset 0), "JobMergeFile" (512) and
// the document name (1024), UTF-16, each cut to 255 characters and terminated.
void BuildJobBinderBlock(const DeviceContext& dc, unsigned char* block);

// Reads the job-binder send flag (when `readJobBinder`) and sends the start
// block, once per document, whether a spool filter is bound or not; a
// job-binder job's start block is followed by the job-binder block and the
// merge header.
void SendStartBlocks(DeviceContext& dc, bool readJobBinder);
// The end of a job-binder job: 1B 12 "!1@R00" 1B 20 and the trailer block with
// the page count.
void WriteJobBinderEnd(DeviceContext& dc);
// The print-log block, when the printer logs and its "Logging" value is 1.
void SendPrintLogBlock(DeviceContext& dc);

// One in-band block as a transfer of its own.
void SendBlock(DeviceContext& dc, const unsigned char* block, std::size_t size);

}  // namespace render::jobcontrol
