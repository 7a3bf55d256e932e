// Feature blocks: the description's own invocation texts for manual feed, input
// slot, page region and page size, wrapped as the printer's feature sections.
// They are written when a settings reset in the middle of a document changed the
// paper or its source, and when the manual feed is turned off again.
#include "render/jobcontrol/device_commands.h"

#include <optional>
#include <string>

#include "platform/base/codepage.h"
#include "render/core/device_context.h"
#include "render/jobcontrol/command_inputs.h"
#include "settings/features.h"
#include "settings/sticky_data.h"

namespace render {

namespace jobcontrol {

void WriteFeatureBlock(DeviceContext& dc, const char* selection,
                       std::initializer_list<FormatArg> args, std::string_view invocation) {
  WriteText(dc.output, "[{\n%%BeginFeature: *");
  WriteFormatted(dc.output, selection, args);
  if (!invocation.empty()) WriteBytes(dc.output, invocation.data(), invocation.size());
  WriteText(dc.output, "\n%%EndFeature\n} stopped cleartomark\n");
}

}  // namespace jobcontrol

namespace {

using namespace jobcontrol;

// What the new settings feed from: the manual feed, an InputSlot option, or
// neither.
struct FeedChoice {
  bool manual = false;
  int slot = -1;
};

// By the settings' paper source.
FeedChoice FeedFromSource(const DeviceContext& dc, int source) {
  FeedChoice choice;
  int slots = dc.Description().Predefined(settings::kInputSlot).OptionCount();
  if (source == 4 || source == 6) {
    choice.manual = true;
  } else if (source == 7) {
    choice.slot = slots > 0 ? 0 : -1;
  } else if (source >= 256 && source - 255 < slots) {
    // 256 is the second option; the last number of the range finds none.
    choice.slot = source - 255;
  }
  return choice;
}

// By the spooler's form-to-tray table for the form of the page.
FeedChoice FeedFromForm(const DeviceContext& dc) {
  FeedChoice choice;
  std::u16string_view form =
      platform::WideView(dc.logical.formName, std::size(dc.logical.formName));
  if (form.empty()) return choice;
  std::optional<std::vector<settings::TrayFormEntry>> table =
      settings::ReadTrayFormTable(dc.printer);
  if (!table) return choice;
  for (const settings::TrayFormEntry& entry : *table) {
    if (entry.flag == 0 || entry.form != form) continue;
    if (entry.tray == u"Manual Feed") {
      choice.manual = true;
      return choice;
    }
    std::string tray = settings::WideToAnsi(entry.tray, 63);
    if (tray.size() > 63) return choice;  // longer than the 64-byte area: no slot bears it
    int n = 0;
    for (settings::Option o = dc.Description().Predefined(settings::kInputSlot).FirstOption(); o;
         o = o.Next(), ++n) {
      if (o.Translation() == tray || o.Name() == tray) {
        choice.slot = n;
        break;
      }
    }
    return choice;
  }
  return choice;
}

FeedChoice ChooseFeed(const DeviceContext& dc) {
  const DEVMODEW& pub = dc.settings.pub;
  if ((pub.dmFields & DM_DEFAULTSOURCE) && pub.dmDefaultSource != 15) {
    return FeedFromSource(dc, pub.dmDefaultSource);
  }
  return FeedFromForm(dc);
}

}  // namespace

void SwitchManualFeed(DeviceContext& dc, bool on) {
  bool isOn = (dc.jobFlags & kJobManualFeedOn) != 0;
  if (on == isOn) return;
  std::optional<std::string_view> code = settings::ManualFeedCode(dc.Description(), on);
  WriteFeatureBlock(dc, "ManualFeed %s", {on ? "True\n" : "False\n"}, code.value_or(""));
  if (on) {
    dc.jobFlags |= kJobManualFeedOn;
  } else {
    dc.jobFlags &= ~kJobManualFeedOn;
  }
}

void WriteResetPageSetup(DeviceContext& dc) {
  FeedChoice feed = ChooseFeed(dc);
  settings::Description d = dc.Description();
  settings::Option slot =
      feed.slot >= 0 ? d.Predefined(settings::kInputSlot).OptionAt(feed.slot) : settings::Option();
  if (feed.manual) {
    SwitchManualFeed(dc, true);
  } else {
    SwitchManualFeed(dc, false);
    if (slot) {
      std::string keyword(slot.Name());
      WriteFeatureBlock(dc, "InputSlot %s\n", {keyword.c_str()}, slot.Value());
    }
  }
  // A slot that needs no page region keeps the page as it was.
  if (slot && slot.PageRegionFlag() == 0) return;
  bool region = feed.manual || slot;
  settings::Option page = d.Predefined(settings::kPageSize).OptionAt(dc.logical.paperIndex);
  std::string keyword(dc.logical.optionKeyword,
                      ::strnlen(dc.logical.optionKeyword, sizeof dc.logical.optionKeyword));
  WriteFeatureBlock(dc, region ? "PageRegion %s\n" : "PageSize %s\n", {keyword.c_str()},
                    region ? page.PageRegion() : page.Value());
}

}  // namespace render
