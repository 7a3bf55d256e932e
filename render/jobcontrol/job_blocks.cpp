// The in-band blocks of the job header and trailer.
#include "render/jobcontrol/job_blocks.h"

#include "platform/platform.h"
#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/print_log_block.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/byte_order.h"
#include "settings/device_info_file.h"

namespace render::jobcontrol {

namespace {

// The job-binder block and the merge header that follow a start block of the
// job-binder mode come with the job-binder files; until then a job-binder
// request is printed like any other job (and stays pending in qxw4gl.ini).
constexpr bool kJobBinderBlocks = false;

constexpr DWORD kTrailerTag = 0x5441494C;  // "LIAT"

}  // namespace

bool FilterBound(const DeviceContext& dc) {
  return dc.filter != nullptr && dc.filterWrite != nullptr && dc.filterJob != 0;
}

void SendBlock(DeviceContext& dc, const unsigned char* block, std::size_t size) {
  FlushOutput(dc.output);
  WriteBytes(dc.output, block, size);
  FlushOutput(dc.output);
}

bool IsJobBinderSend(DeviceContext& dc) {
  if (!HasFunction(dc, 0x1) || dc.NoPageContent()) return false;
  std::u16string file = settings::DeviceInfoFilePath(false);
  std::u16string section = PrinterSection(dc);
  bool send = GetPrivateProfileIntW(section.c_str(), u"QBXSEND", 0, file.c_str()) == 1;
  bool once = GetPrivateProfileIntW(section.c_str(), u"QBXSEND_RESET", 0, file.c_str()) == 1;
  if (send && once) WritePrivateProfileStringW(section.c_str(), u"QBXSEND", u"0", file.c_str());
  return send;
}

void SendStartBlocks(DeviceContext& dc, bool readJobBinder) {
  JobIdentity& id = dc.identity;
  // The filter takes the first write of a job as its start block; a second one
  // would reach the printer as data.
  if (id.startBlockSent) return;
  // Without a filter job nothing could save the job: it prints.
  id.jobBinderSend = readJobBinder && kJobBinderBlocks && FilterBound(dc) && IsJobBinderSend(dc);
  DWORD mode = id.jobBinderSend        ? kModeJobBinder
               : HasFunction(dc, 0x80) ? kModePrintAndLog
                                       : kModePrint;
  unsigned char block[kStartBlockSize];
  settings::StoreU32(block, mode);
  for (std::size_t at = 4; at < kStartBlockSize; at += 4)
    settings::StoreU32(block + at, 0x01010101);
  SendBlock(dc, block, sizeof block);
  id.startBlockSent = true;
}

void WriteJobBinderEnd(DeviceContext& dc) {
  WriteLine(dc, "\x1B\x12!1@R00\x1B ");
  if (!FilterBound(dc)) return;
  unsigned char block[kJobBinderTrailerSize] = {};
  settings::StoreU32(block, kTrailerTag);
  settings::StoreU32(block + 4, 0);  // no trailer flags
  settings::StoreU32(block + 8, dc.pageCount);
  SendBlock(dc, block, sizeof block);
}

void SendPrintLogBlock(DeviceContext& dc) {
  if (!HasFunction(dc, 0x80) || dc.identity.jobBinderSend || !FilterBound(dc)) return;
  DWORD logging = 0;
  if (!ReadPrinterDword(dc, u"Logging", &logging) || logging != 1) return;
  unsigned char block[kLogBlockSize] = {};
  if (!BuildPrintLogBlock(dc, block, sizeof block)) return;
  SendBlock(dc, block, sizeof block);
}

}  // namespace render::jobcontrol
