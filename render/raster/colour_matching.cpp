// Setting up and releasing the colour matching of a device context.
#include "render/raster/colour_matching.h"

#include <optional>

#include "render/core/device_context.h"
#include "render/raster/colour_conversion.h"
#include "render/raster/colour_profile.h"
#include "settings/device_info_file.h"
#include "settings/features.h"

namespace render {

namespace {

using namespace settings::priv;

constexpr std::size_t kWorkChars = 260;

// The matching number of an option: the decimal number in the (at most five)
// characters after the first "^" of its text, 0 when one is not a digit. The
// text is read as characters, not bytes: a double-byte character of the
// description's code page may end in the byte "^".
int MatchingNumber(const std::u16string& text) {
  std::size_t caret = text.find(u'^');
  if (caret == std::u16string::npos) return 0;
  std::u16string_view digits = std::u16string_view(text).substr(caret + 1, 5);
  if (digits.empty()) return 0;
  int v = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return 0;
    v = v * 10 + (c - u'0');
  }
  return v;
}

struct MatchingOption {
  std::u16string keyword;
  std::u16string value;  // "profile/profile for film"
};

// The Colorchange option whose matching number is v.
std::optional<MatchingOption> FindMatchingOption(const settings::Description& d, int v) {
  settings::Feature feature = d.FindFeature("Colorchange");
  int n = 0;
  for (settings::Option o = feature ? feature.FirstOption() : settings::Option(); o;
       o = o.Next(), ++n) {
    if (MatchingNumber(settings::OptionText(feature, n)) == v) {
      return MatchingOption{settings::AnsiToWide(o.Name()), settings::AnsiToWide(o.Value())};
    }
  }
  return std::nullopt;
}

std::u16string BeforeSlash(const std::u16string& value) {
  return value.substr(0, value.find(u'/'));
}

std::u16string AfterSlash(const std::u16string& value) {
  std::size_t slash = value.find(u'/');
  return slash == std::u16string::npos ? std::u16string() : value.substr(slash + 1);
}

// Whether the paper kind of the settings is the description's "OHP" medium.
bool OnFilm(const DeviceContext& dc) {
  settings::Feature kinds = dc.Description().FindFeature("PaperKind");
  settings::Option o =
      kinds ? kinds.OptionAt(settings::GetI16(dc.settings.priv, kPaperkind)) : settings::Option();
  return o && o.Name() == "OHP";
}

const char16_t* PrinterName(const DeviceContext& dc) {
  return dc.printerInfo2 && dc.printerInfo2->pPrinterName ? dc.printerInfo2->pPrinterName
                                                          : dc.settings.pub.dmDeviceName;
}

// The name kept in qxw4gl.ini under the option's keyword ("Auto" for option 1),
// else the option's profile for paper.
std::u16string NameFromDeviceInfoFile(const DeviceContext& dc, int v,
                                      const std::optional<MatchingOption>& option) {
  std::u16string key = v == 1 ? u"Auto" : option ? option->keyword : std::u16string();
  if (!key.empty()) {
    WCHAR value[kWorkChars] = {};
    std::u16string file = settings::DeviceInfoFilePath(false);
    GetPrivateProfileStringW(PrinterName(dc), key.c_str(), u"", value, kWorkChars, file.c_str());
    if (value[0] != 0) return value;
  }
  return option ? BeforeSlash(option->value) : std::u16string();
}

void* ZeroedGlobal(std::size_t bytes) { return GlobalAlloc(GPTR, bytes); }

}  // namespace

std::u16string ColorProfileName(const DeviceContext& dc) {
  int v = ReadColourSet(dc.settings.priv, ColourMode(dc)).colormatch;
  if (v == 0) return {};
  settings::Description d = dc.Description();
  std::optional<MatchingOption> option = FindMatchingOption(d, v);
  if (d.PrinterFunction() & 0x1000000) return NameFromDeviceInfoFile(dc, v, option);
  if (!option) return {};
  return OnFilm(dc) ? AfterSlash(option->value) : BeforeSlash(option->value);
}

std::u16string ColorProfilePath(const std::u16string& dataPath, const std::u16string& name) {
  // A data path that is too long, or has no folder, gives no path at all: the
  // name alone would be looked for wherever the process happens to be.
  if (name.empty() || dataPath.size() >= kWorkChars) return {};
  std::size_t slash = dataPath.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return {};
  std::u16string path = dataPath.substr(0, slash + 1) + name;
  if (path.size() >= kWorkChars) return {};
  return path;
}

void SetupColorMatching(DeviceContext& dc) {
  ReleaseColorMatching(dc);
  settings::Description d = dc.Description();
  std::uint32_t type = d.PrinterType();
  if (type != 2 && type != 5 && !(d.PrinterFunction() & 0x2000)) return;
  ColourState& c = dc.colour;
  if (ColourMode(dc) == 2) {
    if (settings::GetU16(dc.settings.priv, kPrintOptions) & settings::kOptModetype1) {
      c.rasterPaletteMemory =
          static_cast<std::uint32_t*>(ZeroedGlobal(kRasterPaletteColours * sizeof(std::uint32_t)));
      c.rasterPaletteExists = c.rasterPaletteMemory != nullptr;
    }
    return;
  }
  std::u16string path =
      ColorProfilePath(std::u16string(platform::WideView(dc.dataPath)), ColorProfileName(dc));
  if (!path.empty()) c.profile = LoadColorProfile(path.c_str());
  c.cache =
      static_cast<ColourCacheEntry*>(ZeroedGlobal(kColourCacheEntries * sizeof(ColourCacheEntry)));
  c.colorMatchingOn = true;
  c.rasterPaletteMemory =
      static_cast<std::uint32_t*>(ZeroedGlobal(kRasterPaletteColours * sizeof(std::uint32_t)));
  c.rasterPaletteExists = c.rasterPaletteMemory != nullptr;
}

void ReleaseColorMatching(DeviceContext& dc) {
  ColourState& c = dc.colour;
  if (c.profile) GlobalFree(c.profile);
  if (c.cache) GlobalFree(c.cache);
  if (c.rasterPaletteMemory) GlobalFree(c.rasterPaletteMemory);
  c = ColourState{};
}

}  // namespace render
