// The header variants A to I.
#include "render/jobcontrol/header_variants.h"

#include <iterator>

#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/device_commands.h"
#include "render/jobcontrol/header_lines.h"
#include "render/jobcontrol/job_blocks.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/model_table.h"

namespace render::jobcontrol {

namespace {

using V = HeaderVariant;

// The model numbers of each variant, as ranges.
struct VariantRange {
  int first, last;
  HeaderVariant variant;
};
// clang-format off
constexpr VariantRange kVariantRanges[] = {
    {  1,   4, V::kB}, {  5,   5, V::kA}, {  6,   7, V::kB}, {  8,  10, V::kA},
    { 11,  13, V::kB}, { 14,  14, V::kA}, { 15,  15, V::kB}, { 16,  16, V::kA},
    { 17,  18, V::kC}, { 19,  28, V::kB}, { 29,  32, V::kD}, { 33,  36, V::kE},
    { 37,  37, V::kF}, { 38,  38, V::kE}, { 39,  39, V::kG}, { 40,  43, V::kE},
    { 44,  45, V::kH}, { 46,  48, V::kE}, { 49,  50, V::kG}, { 51,  51, V::kF},
    { 52,  55, V::kE}, { 56,  57, V::kG}, { 58,  58, V::kE}, { 59,  59, V::kI},
    { 60,  60, V::kH}, { 61,  71, V::kE}, { 72,  74, V::kC}, { 75,  75, V::kE},
    { 76,  82, V::kC}, { 83,  86, V::kB}, { 87,  89, V::kA}, { 90,  96, V::kB},
    { 97, 104, V::kA},
};
// clang-format on

// The colour, job set-up and media commands of variants B, C and E, and the
// output options of their tail, in the extended set on the colour family and
// with the extended command set.
bool ExtendedSet(const DeviceContext& dc) {
  std::uint32_t type = PrinterType(dc);
  return type == 2 || type == 5 || HasFunction(dc, 0x2000);
}

void WriteSetUp(DeviceContext& dc) {
  WriteColourCommand(dc);
  WriteJobSetupCommands(dc);
  if (ExtendedSet(dc)) {
    WriteExtendedMediaCommands(dc);
  } else {
    WriteBasicMediaCommands(dc);
  }
}

void WriteTail(DeviceContext& dc) {
  if (ExtendedSet(dc)) WriteOutputOptionCommands(dc);
  WriteOutputBinText(dc);
  WriteCustomSizeTray(dc);
}

void WriteGl2Entry(DeviceContext& dc) {
  WriteEnterLanguage(dc);
  WriteLanguageSwitch(dc);
}

void WriteFilterStartIfBound(DeviceContext& dc) {
  if (HasFunction(dc, 0x1 | 0x80)) SendStartBlocks(dc, true);
}

void WriteA(DeviceContext& dc) {
  if (dc.NoPageContent()) return;
  SendStartBlocks(dc, true);
  if (!dc.identity.jobBinderSend) {
    WritePjlStart(dc);
    if (HasFunction(dc, 0x2000)) WriteJobNameLine(dc);
    WriteDateTimeLines(dc);
    if (HasFunction(dc, 0x2)) WriteUserIdLine(dc);
    if (HasFunction(dc, 0x4) && !AuthenticationOn(dc)) WriteUserCodeLine(dc);
    if (HasFunction(dc, 0x2000)) WriteHostLoginNameLine(dc);
    if (HasFunction(dc, 0x200000)) WriteAuthenticationLines(dc);
    if (HasFunction(dc, 0x40)) WriteTrackIdLine(dc);
    WriteStampLine(dc);
    WriteOutputBinLinesByModel(dc);
    if (HasFunction(dc, 0x80000000)) WriteImageDirectionLine(dc);
    WritePrintInfoLine(dc);
    WriteEnterLanguage(dc);
  }
  WriteLanguageSwitch(dc);
  WriteColourCommand(dc);
  WriteJobSetupCommands(dc);
  if (HasFunction(dc, 0x2000)) {
    WriteExtendedMediaCommands(dc);
  } else {
    WriteBasicMediaCommands(dc);
  }
  WritePrintModeInvocation(dc);
  if (HasFunction(dc, 0x2000)) WriteDesingText(dc);
  WriteOutputBinText(dc);
  if (PrinterType(dc) == 3) {
    WriteRoleTray(dc);
  } else {
    WritePaperLinkTray(dc);
  }
  if (PrinterType(dc) == 8 && (dc.optionFlags & kOptionRedInk)) WriteRedInkPalette(dc);
}

void WriteB(DeviceContext& dc) {
  WriteFilterStartIfBound(dc);
  WritePjlStart(dc);
  WriteJobNameLine(dc);
  if (HasFunction(dc, 0x2)) {
    WriteDateTimeLines(dc);
    WriteUserIdLine(dc);
  }
  if (HasFunction(dc, 0x4) && !AuthenticationOn(dc)) WriteUserCodeLine(dc);
  WriteHostLoginNameLine(dc);
  if (HasFunction(dc, 0x200000)) WriteAuthenticationLines(dc);
  if (HasFunction(dc, 0x40)) WriteTrackIdLine(dc);
  WritePlainOutputBinLines(dc);
  WritePrintInfoLine(dc);
  WriteGl2Entry(dc);
  WriteSetUp(dc);
  // Monochrome devices of the tray family take no print mode.
  if (!HasFunction(dc, 0x1000000) || HasDeviceFlag(dc, settings::kDevPrintertype)) {
    WritePrintModeInvocation(dc);
  }
  WriteTail(dc);
}

// Variants C and E; E has no job name and no host login name.
void WriteCOrE(DeviceContext& dc, bool names) {
  WriteFilterStartIfBound(dc);
  WritePjlStart(dc);
  if (names) WriteJobNameLine(dc);
  if (HasFunction(dc, 0x2)) {
    WriteDateTimeLines(dc);
    WriteUserIdLine(dc);
  }
  if (HasFunction(dc, 0x4)) WriteUserCodeLine(dc);
  if (names) WriteHostLoginNameLine(dc);
  if (HasFunction(dc, 0x40)) WriteTrackIdLine(dc);
  WritePlainOutputBinLines(dc);
  WriteGl2Entry(dc);
  WriteSetUp(dc);
  WritePrintModeInvocation(dc);
  WriteTail(dc);
}

void WriteC(DeviceContext& dc) { WriteCOrE(dc, true); }
void WriteE(DeviceContext& dc) { WriteCOrE(dc, false); }

void WriteD(DeviceContext& dc) {
  WriteText(dc.output, "\x1B%-12345X");
  WriteLine(dc, "@PJL\n");
  WritePlainOutputBinLines(dc);
  WriteLine(dc, "@PJL JOB\n");
  WriteGl2Entry(dc);
  WriteJobSetupCommands(dc);
  WriteBasicMediaCommands(dc);
  WritePrintModeInvocation(dc);
  WriteOutputBinText(dc);
}

void WriteF(DeviceContext& dc) {
  if (dc.NoPageContent()) return;
  SendStartBlocks(dc, true);
  if (!dc.identity.jobBinderSend) {
    WritePjlStart(dc);
    WriteDateTimeLines(dc);
    WriteUserIdLine(dc);
    WriteUserCodeLine(dc);
    WritePlainOutputBinLines(dc);
    WriteCopierStampLine(dc);
    WriteEnterLanguage(dc);
  }
  WriteLanguageSwitch(dc);
  WriteJobSetupCommands(dc);
  WriteBasicMediaCommands(dc);
  WriteOlderWideTray(dc);
}

void WriteG(DeviceContext& dc) {
  WriteLanguageSwitch(dc);
  WriteShortColourCommand(dc);
  WriteJobSetupCommands(dc);
  WriteExtendedMediaCommands(dc);
  WritePrintModeInvocation(dc);
  WriteOutputOptionCommands(dc);
}

void WriteH(DeviceContext& dc) {
  if (dc.NoPageContent()) return;
  SendStartBlocks(dc, true);
  if (!dc.identity.jobBinderSend) {
    WritePjlStart(dc);
    WriteDateTimeLines(dc);
    WriteUserIdLine(dc);
    WriteUserCodeLine(dc);
    WritePlainOutputBinLines(dc);
    WriteEnterLanguage(dc);
  }
  WriteLanguageSwitch(dc);
  WriteJobSetupCommands(dc);
  if (HasFunction(dc, 0x4000)) WriteLine(dc, "MS-1,26,1;");
  WriteBasicMediaCommands(dc);
  WritePrintModeInvocation(dc);
  WriteOutputBinText(dc);
  WriteCustomSizeTray(dc);
  WriteSecondPenPalette(dc);
}

void WriteI(DeviceContext& dc) {
  WritePjlStart(dc);
  WriteDateTimeLines(dc);
  WriteUserCodeLine(dc);
  WriteUserIdLine(dc);
  WritePlainOutputBinLines(dc);
  WriteEnterLanguage(dc);
  WriteLanguageSwitch(dc);
  WriteJobSetupCommands(dc);
  WriteBasicMediaCommands(dc);
  WritePrintModeInvocation(dc);
  WriteOutputBinText(dc);
  WriteCustomSizeTray(dc);
  WriteSecondPenPalette(dc);
}

using VariantWriter = void (*)(DeviceContext&);
// Indexed by HeaderVariant.
constexpr VariantWriter kVariantWriters[] = {
    nullptr, &WriteA, &WriteB, &WriteC, &WriteD, &WriteE, &WriteF, &WriteG, &WriteH, &WriteI,
};
static_assert(std::size(kVariantWriters) == static_cast<std::size_t>(V::kI) + 1);

}  // namespace

HeaderVariant VariantOfModel(int model) {
  for (const VariantRange& r : kVariantRanges) {
    if (model >= r.first && model <= r.last) return r.variant;
  }
  return V::kNone;
}

HeaderVariant VariantOf(const DeviceContext& dc) {
  return VariantOfModel(settings::ModelFromNickName(dc.Description().NickName()));
}

void WriteHeaderVariant(DeviceContext& dc, HeaderVariant variant) {
  VariantWriter write = kVariantWriters[static_cast<std::size_t>(variant)];
  if (write) write(dc);
}

}  // namespace render::jobcontrol
