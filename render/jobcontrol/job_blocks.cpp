// The in-band blocks of the job header and trailer.
#include "render/jobcontrol/job_blocks.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/merge_header.h"
#include "render/jobcontrol/print_log_block.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/byte_order.h"
#include "settings/device_info_file.h"

namespace render::jobcontrol {

namespace {

constexpr DWORD kTrailerTag = 0x5441494C;  // "LIAT"

// Each text of the job-binder block has a 512-byte slot: at most 255
// characters and a terminator, so that no text runs into the next slot.
constexpr std::size_t kSlotChars = 256;

void StoreSlotText(unsigned char* slot, std::u16string_view text) {
  std::size_t n = std::min(text.size(), kSlotChars - 1);
  for (std::size_t i = 0; i < n; ++i) settings::StoreU16(slot + 2 * i, text[i]);
}

std::u16string ReadKey(const std::u16string& section, const char16_t* key,
                       const std::u16string& file) {
  WCHAR value[512] = {};
  DWORD n = GetPrivateProfileStringW(section.c_str(), key, u"", value, 512, file.c_str());
  return std::u16string(value, n);
}

}  // namespace

bool FilterBound(const DeviceContext& dc) {
  return dc.filter != nullptr && dc.filterWrite != nullptr && dc.filterJob != 0;
}

void SendBlock(DeviceContext& dc, const unsigned char* block, std::size_t size) {
  FlushOutput(dc.output);
  dc.output.sendingBlock = true;
  WriteBytes(dc.output, block, size);
  FlushOutput(dc.output);
  dc.output.sendingBlock = false;
}

void BuildJobBinderBlock(const DeviceContext& dc, unsigned char* block) {
  std::memset(block, 0, kJobBinderBlockSize);
  std::u16string file = settings::DeviceInfoFilePath(false);
  std::u16string section = PrinterSection(dc);
  StoreSlotText(block, ReadKey(section, u"JobMergePath", file));
  StoreSlotText(block + 512, ReadKey(section, u"JobMergeFile", file));
  if (dc.documentName) StoreSlotText(block + 1024, dc.documentName);
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
  id.jobBinderSend = readJobBinder && FilterBound(dc) && IsJobBinderSend(dc);
  DWORD mode = id.jobBinderSend        ? kModeJobBinder
               : HasFunction(dc, 0x80) ? kModePrintAndLog
                                       : kModePrint;
  unsigned char block[kStartBlockSize];
  settings::StoreU32(block, mode);
  for (std::size_t at = 4; at < kStartBlockSize; at += 4)
    settings::StoreU32(block + at, 0x01010101);
  SendBlock(dc, block, sizeof block);
  id.startBlockSent = true;
  if (!id.jobBinderSend) return;
  // The filter makes the job-binder file from these two blocks.
  unsigned char binder[kJobBinderBlockSize];
  BuildJobBinderBlock(dc, binder);
  SendBlock(dc, binder, sizeof binder);
  unsigned char header[kMergeHeaderSize];
  BuildMergeHeader(dc, header);
  SendBlock(dc, header, sizeof header);
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
