// The job header, the pass-through header and the job trailer.
#include "render/jobcontrol/job_header.h"

#include "render/core/device_context.h"
#include "render/jobcontrol/command_inputs.h"
#include "render/jobcontrol/header_lines.h"
#include "render/jobcontrol/header_variants.h"
#include "render/jobcontrol/job_blocks.h"
#include "render/jobcontrol/user_identification.h"
#include "settings/features.h"

namespace render {

namespace {

using namespace jobcontrol;

void Select(DeviceContext& dc, settings::Feature feature, int option) {
  if (!feature || feature.Installable() || option < 0 || option > settings::kNoOption) return;
  settings::WriteOptionSel(dc.settings, feature, option);
}

// The option selections that mirror the public settings, as the job prints them.
void SynchroniseSelections(DeviceContext& dc) {
  settings::Description d = dc.Description();
  const DEVMODEW& pub = dc.settings.pub;
  if (pub.dmPrintQuality > 0) {
    settings::Feature resolution = d.Predefined(settings::kResolution);
    int n = 0;
    for (settings::Option o = resolution.FirstOption(); o; o = o.Next(), ++n) {
      if (settings::ResolutionOfKeyword(o.Name()) ==
          static_cast<std::uint32_t>(pub.dmPrintQuality)) {
        Select(dc, resolution, n);
        break;
      }
    }
  }
  if (pub.dmFields & DM_DUPLEX) {
    settings::Feature duplex = d.Predefined(settings::kDuplex);
    Select(dc, duplex, duplex.FindOption(settings::DuplexOptionName(pub.dmDuplex)));
  }
  if (pub.dmFields & DM_COLLATE) {
    settings::Feature collate = d.Predefined(settings::kCollate);
    Select(dc, collate, collate.FindOption(pub.dmCollate == 1 ? "True" : "False"));
  }
  Select(dc, d.Predefined(settings::kPageSize), 0);
  Select(dc, d.Predefined(settings::kManualFeed), settings::kNoOption);
  Select(dc, d.Predefined(settings::kInputSlot), settings::kNoOption);
}

// The description's closing commands: with the KX-GL emulation the second and
// third initialisation commands, else the first.
void WriteClosingCommands(DeviceContext& dc, settings::Option emulation) {
  settings::Feature init = dc.Description().Predefined(settings::kPrtInitCommand);
  if (OptionNamed(emulation, "KX-GL ")) {
    WriteVerbatim(dc, init.OptionAt(1).Value());
    WriteVerbatim(dc, init.OptionAt(2).Value());
  } else {
    WriteVerbatim(dc, init.OptionAt(0).Value());
  }
}

// 1B 12 "!" emulation 1B 20: the printer goes back to the job's emulation.
void WriteEmulationReturn(DeviceContext& dc, settings::Option emulation) {
  std::string code(emulation.Value());
  if (code.empty()) return;
  WriteLine(dc, "\x1B\x12!%s\x1B ", {code.c_str()});
}

}  // namespace

void BuildJobHeader(DeviceContext& dc) {
  SynchroniseSelections(dc);
  if (HasFunction(dc, 0x400)) FetchJobControlIdentities(dc);
  WriteHeaderVariant(dc, VariantOf(dc));
  dc.jobFlags &= ~kJobResetCarried;
}

void WritePassThroughHeader(DeviceContext& dc) {
  dc.jobFlags |= kJobHeaderWritten;
  SendStartBlocks(dc, true);
  WritePjlStart(dc);
  if (HasFunction(dc, 0x2000)) WriteJobNameLine(dc);
  WriteDateTimeLines(dc);
  if (HasFunction(dc, 0x4) && !AuthenticationOn(dc)) WriteUserCodeLine(dc);
  WriteUserIdLine(dc);
  if (HasFunction(dc, 0x2000)) WriteHostLoginNameLine(dc);
  if (HasFunction(dc, 0x200000)) WriteAuthenticationLines(dc);
  if (HasFunction(dc, 0x40)) WriteTrackIdLine(dc);
  WriteOutputBinLinesByModel(dc);
  WriteStampLine(dc);
  if (HasFunction(dc, 0x80000000)) WriteImageDirectionLine(dc);
  WriteLine(dc, "@PJL SET QTY = %d\n", {static_cast<std::int32_t>(dc.settings.pub.dmCopies)});
  if (dc.settings.priv[settings::priv::kCommon + settings::priv::kCommonOutputMode] != 6) {
    WriteEnterLanguage(dc);
  }
}

void WriteJobTrailer(DeviceContext& dc) {
  HeaderVariant variant = VariantOf(dc);
  bool jobBinder = dc.identity.jobBinderSend;
  settings::Option emulation =
      SelectedOption(dc, settings::kEmulation, PrivI32(dc, settings::priv::kEmuration));
  if (jobBinder && JobBinderVariant(variant)) {
    WriteJobBinderEnd(dc);
  } else if (variant != HeaderVariant::kNone) {
    WriteClosingCommands(dc, emulation);
  }
  if (!jobBinder) {
    WriteEmulationReturn(dc, emulation);
    SendPrintLogBlock(dc);
  }
  // The next document of the device context starts afresh.
  dc.identity.startBlockSent = false;
  dc.identity.jobBinderSend = false;
}

}  // namespace render
