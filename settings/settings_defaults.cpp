// The defaults of a settings record, step by step in the order the record is
// filled, and the merge of an incoming record.
#include "settings/settings_defaults.h"

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/memory.h"
#include "platform/base/text.h"
#include "settings/features.h"
#include "settings/paper.h"

namespace settings {

namespace {

using namespace priv;

constexpr std::uint32_t Bit(int n) { return 1u << n; }

bool IsType(const Description& d, std::initializer_list<std::uint32_t> types) {
  for (std::uint32_t t : types) {
    if (d.PrinterType() == t) return true;
  }
  return false;
}

bool HasFunction(const Description& d, int bit) { return (d.PrinterFunction() & Bit(bit)) != 0; }

void CopyName(WCHAR* to, std::u16string_view name) {
  std::size_t n = name.size() < 31 ? name.size() : 31;
  for (std::size_t i = 0; i < 32; ++i) to[i] = i < n ? name[i] : u'\0';
}

// The index of the option named `name` among the options of a predefined
// feature, 0 when there is none.
int IndexOfNamed(const Description& d, PredefinedFeature feature, std::string_view name) {
  int n = FindOptionNamed(d.Predefined(feature), name);
  return n < 0 ? 0 : n;
}

bool CollateHasTrue(const Description& d) { return d.Predefined(kCollate).FindOption("True") >= 0; }

bool IsColourCapable(const Description& d) { return HasFunction(d, 24) || d.ColorDevice(); }

void FillPublic(SettingsRecord& r, const Description& d) {
  DEVMODEW& dm = r.pub;
  dm.dmSpecVersion = DM_SPECVERSION;
  dm.dmDriverVersion = kDriverVersion;
  dm.dmSize = kPublicSize;
  dm.dmDriverExtra = kPrivateSize;
  dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                DM_TTOPTION | DM_FORMNAME;
  dm.dmColor = IsType(d, {2, 5}) ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
  if (IsColourCapable(d)) {
    dm.dmColor = DMCOLOR_COLOR;
    dm.dmFields |= DM_COLOR;
  }
  if (HasDuplex(d)) dm.dmFields |= DM_DUPLEX;
  if (CollateHasTrue(d)) dm.dmFields |= DM_COLLATE;
  const DriverPaper& paper = DefaultPaper(d);
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  dm.dmPaperSize = paper.code;
  dm.dmPaperWidth = static_cast<SHORT>(paper.width / 100);
  dm.dmPaperLength = static_cast<SHORT>(paper.length / 100);
  dm.dmScale = 100;
  dm.dmCopies = 1;
  dm.dmDefaultSource = 7;  // replaced below by the first available input slot
  dm.dmPrintQuality = static_cast<SHORT>(DefaultResolution(d));
  dm.dmDuplex = DMDUP_SIMPLEX;
  dm.dmTTOption = DMTT_SUBDEV;
  dm.dmCollate = DMCOLLATE_FALSE;
  CopyName(dm.dmFormName, paper.name);
}

std::uint32_t PrivateFlags(const Description& d) {
  UINT acp = GetACP();
  std::uint32_t flags = 0x1000;
  if (acp == 1252 || acp == 932 || acp == 936 || acp == 949 || acp == 950) flags |= 0x20 | 0x80;
  if (d.LandscapeOrientation() == 2) flags |= 0x200;
  if (d.LanguageLevel() > 1) flags |= 0x40;
  return flags;
}

void FillColorAdjust(unsigned char* b) {
  const std::uint16_t kAdjust[12] = {24, 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i)
    SetU16(b, kColorAdjust + 2 * static_cast<std::size_t>(i), kAdjust[i]);
}

void FillPens(unsigned char* b) {
  for (std::size_t pen = 0; pen < kPenCount; ++pen) {
    bool first = pen < 8;
    SetI32(b, PenOffset(pen, kPenColor), first ? static_cast<std::int32_t>(pen) : 24);
    SetI32(b, PenOffset(pen, kPenWidth), -1);
    SetI32(b, PenOffset(pen, kPenDensity), 10);
    SetI32(b, PenOffset(pen, kPenIro), 0);
    SetI16(b, PenOffset(pen, kPenPutred), 255);
    SetI16(b, PenOffset(pen, kPenPutgreen), 255);
    SetI16(b, PenOffset(pen, kPenPutblue), 255);
    SetI16(b, PenOffset(pen, kPenPutcolor), first ? static_cast<std::int16_t>(pen) : 0);
  }
}

struct NamedColor {
  const char16_t* name;
  COLORREF value;
};
// The fixed screen colours of entries 0-7.
constexpr NamedColor kFixedColors[] = {
    {u"White", 0xFFFFFF},   {u"Black", 0x000000}, {u"Blue", 0xFF0000}, {u"Red", 0x0000FF},
    {u"Magenta", 0xFF00FF}, {u"Green", 0x00FF00}, {u"Cyan", 0xFFFF00}, {u"Yellow", 0x00FFFF},
};

void SetColorEntry(unsigned char* b, std::size_t entry, std::int32_t flag, COLORREF value,
                   std::u16string_view name) {
  SetI32(b, ColorOffset(entry, kColorFlag), flag);
  SetU32(b, ColorOffset(entry, kColorValue), value);
  SetWideText(b, ColorOffset(entry, kColorName), kColorNameChars, name);
}

void FillColors(unsigned char* b) {
  for (std::size_t i = 0; i < 8; ++i)
    SetColorEntry(b, i, 1, kFixedColors[i].value, kFixedColors[i].name);
  for (std::size_t i = 8; i < 24; ++i) SetColorEntry(b, i, 0, 0, u"Color");
  SetColorEntry(b, 24, -1, 0xFFFFFF, u"指定なし");
  for (std::size_t i = 0; i < kCustomColorCount; ++i) SetU32(b, kCustomColors + 4 * i, 0x00FFFFFF);
}

// Hexadecimal digits up to `stop` characters; false at any other character.
bool ReadHex(std::string_view text, std::uint32_t* value) {
  std::uint64_t v = 0;
  for (char c : text) {
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0) return false;
    v = v * 16 + static_cast<std::uint64_t>(digit);
    if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;
  }
  *value = static_cast<std::uint32_t>(v);
  return true;
}

std::string_view SkipHexPrefix(std::string_view text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  return text;
}

// The device-option table from the DeviceOption options after the first.
void FillDeviceOptions(unsigned char* b, const Description& d) {
  std::uint32_t count = 0;
  Option o = d.Predefined(kDeviceOption).FirstOption();
  if (o) o = o.Next();
  for (; o && count < kDeviceOptionCount; o = o.Next(), ++count) {
    std::u16string name = AnsiToWide(o.Name());
    if (name.size() > 9) name.resize(9);
    SetWideText(b, DeviceOptionOffset(count, kOptName), kOptNameChars, name);
    std::uint32_t value = DeviceOptionValue(o.Value());
    std::int32_t type = static_cast<std::int32_t>((value >> 4) & 0xF);
    std::int32_t priority = static_cast<std::int32_t>(value & 0xF);
    SetI32(b, DeviceOptionOffset(count, kOptType), type);
    SetI32(b, DeviceOptionOffset(count, kOptPriority), priority);
    SetI32(b, DeviceOptionOffset(count, kOptFlag), type == 7 && priority == 0 ? 1 : 0);
  }
  SetU32(b, kOptionCount, count);
}

// The trays of the device options on printers whose device options are tray
// masks: "prefix/mask,trays/"; mask and trays carry over when an option's text
// does not give them.
std::uint32_t InputTrays(const Description& d) {
  std::uint32_t trays = 0, mask = 0, bits = 0;
  Option o = d.Predefined(kDeviceOption).FirstOption();
  if (o) o = o.Next();
  for (; o; o = o.Next()) {
    std::string_view text = o.Value();
    std::size_t slash = text.find('/');
    if (slash != std::string_view::npos) {
      std::string_view rest = text.substr(slash + 1);
      std::size_t comma = rest.find(',');
      std::size_t end = rest.find('/');
      if (comma != std::string_view::npos && (end == std::string_view::npos || comma < end)) {
        std::uint32_t v = 0;
        if (ReadHex(SkipHexPrefix(rest.substr(0, comma)), &v)) mask = v;
        rest = rest.substr(comma + 1);
        end = rest.find('/');
      }
      if (end != std::string_view::npos) {
        std::uint32_t v = 0;
        if (ReadHex(SkipHexPrefix(rest.substr(0, end)), &v)) bits = v;
      }
    }
    if (mask & 1) trays |= bits;
  }
  return trays;
}

// The bin number of the first available input slot: its value text before "/" is
// "None" or the name of an installed device option.
SHORT FirstAvailableSource(const unsigned char* b, const Description& d) {
  std::uint32_t count = GetU32(b, kOptionCount);
  for (Option o = d.Predefined(kInputSlot).FirstOption(); o; o = o.Next()) {
    std::string_view value = o.Value();
    std::string_view device = value.substr(0, value.find('/'));
    if (device != "None" && !IsInstalled(b, count, AnsiToWide(device))) continue;
    return static_cast<SHORT>(CaretNumberOf(o.Translation().empty() ? o.Name() : o.Translation()));
  }
  return 0;
}

// The two numbers of a FreeSize keyword such as "841x1189".
void FreeSizeNumbers(const Description& d, std::int16_t* first, std::int16_t* second) {
  *first = *second = 0;
  Option o = d.Predefined(kFreeSize).FirstOption();
  if (!o) return;
  std::string_view k = o.Name();
  auto number = [&](std::size_t& at) {
    std::int64_t v = 0;
    while (at < k.size() && (k[at] < '0' || k[at] > '9')) ++at;
    while (at < k.size() && k[at] >= '0' && k[at] <= '9') {
      v = std::min<std::int64_t>(v * 10 + (k[at] - '0'), 32767);
      ++at;
    }
    return static_cast<std::int16_t>(v);
  };
  std::size_t at = 0;
  *first = number(at);
  *second = number(at);
}

bool IsModel(const Description& d, std::initializer_list<std::uint32_t> models) {
  for (std::uint32_t m : models) {
    if (d.LanguageLevel() == m) return true;
  }
  return false;
}

std::int16_t OriComboDefault(const Description& d) {
  if (!HasFunction(d, 25)) return 100;
  if (HasFunction(d, 24)) return 6;
  if (d.PrinterType() != 3) return 0;
  return IsModel(d, {5, 8, 9, 16, 37, 51, 87, 88, 89, 97, 98, 99, 101, 102}) ? 0 : 6;
}

void FillColorSets(unsigned char* b, const Description& d) {
  for (std::size_t set = 0; set < kColorSetCount; ++set) {
    bool mono = set == 2;
    SetI16(b, ColorSetOffset(set, kSetColormatch),
           static_cast<std::int16_t>(mono ? 0 : IndexOfNamed(d, kColorchange, "Default")));
    SetI16(b, ColorSetOffset(set, kSetDither),
           static_cast<std::int16_t>(IndexOfNamed(d, kDesing, mono ? "DefMono" : "Default")));
    SetI16(b, ColorSetOffset(set, kSetColortone),
           static_cast<std::int16_t>(mono ? 0 : IndexOfNamed(d, kColorTone, "Default")));
    SetI16(b, ColorSetOffset(set, kSetTruegray), 0);
    for (std::size_t m = 8; m < kColorSetSize; m += 2) SetI16(b, ColorSetOffset(set, m), 50);
  }
}

std::uint16_t PrintOptionsDefault(const Description& d) {
  std::uint16_t options = 0;
  if (IsModel(d, {49, 50})) options |= kOptRevprint;
  if (HasFunction(d, 13)) options |= kOptModetype1;
  if (IsType(d, {3, 4, 7, 8})) {
    options = static_cast<std::uint16_t>((options & ~kOptDirectionside) | kOptPapersizechange);
  } else {
    options = static_cast<std::uint16_t>(options & ~kOptPapersizechange);
  }
  if (IsType(d, {3, 7, 8})) {
    options = static_cast<std::uint16_t>(options & ~kOptPaperlink);
  } else {
    options |= kOptPaperlink;
  }
  return options;
}

void FillCommonBlock(unsigned char* b, const Description& d) {
  unsigned char* c = b + kCommon;
  std::memcpy(c, "MCOMMON", 8);
  c[kCommonJobClass] = HasFunction(d, 23) ? 7 : HasFunction(d, 9) ? 6 : 0;
  c[44] = 2;
  c[48] = 3;
  c[50] = 8;
  c[51] = 1;
  c[57] = HasFunction(d, 9) ? 1 : 0;
  c[58] = 1;
  c[60] = HasFunction(d, 23) ? 1 : 0;
}

void FillRemaining(unsigned char* b, const Description& d) {
  SetI16(b, kCharblack + 4, 1);  // charblack0: monochrome prints coloured text in black
  SetI32(b, kLinedotvalue, 2);
  SetI32(b, kLineintvalue, 8);
  SetI32(b, kLine1chvalue, 8);
  SetI32(b, kLine2chvalue, 8);
  SetI16(b, kScale, HasFunction(d, 17) ? 1000 : 100);
  std::int16_t role = IsModel(d, {51}) ? 1 : IsModel(d, {37}) ? 0 : IsModel(d, {8}) ? 3 : 4;
  for (std::size_t i = 0; i < 4; ++i) SetI16(b, kOptRole + 2 * i, role);
  SetI16(b, kPaperkind, IsType(d, {2, 3}) ? 0 : 1);
  SetI16(b, kReserved1960, 8);
  SetI16(b, kImagerotate, IsType(d, {2, 5}) || HasFunction(d, 19) ? 1 : 0);
  std::int16_t yoko = 0, tate = 0;
  FreeSizeNumbers(d, &yoko, &tate);
  SetI16(b, kFreeTate, tate);
  SetI16(b, kFreeYoko, yoko);
  SetI16(b, kOriSet, HasFunction(d, 25) ? 6 : 0);
  SetI16(b, kOriCombo, OriComboDefault(d));
  SetI16(b, kBindValue, 25);
  std::int16_t colormode =
      HasFunction(d, 24) ? (d.ColorDevice() ? 0 : 2) : (IsType(d, {2, 5}) ? 0 : 2);
  SetI16(b, kColormode, colormode);
  FillColorSets(b, d);
  SetU16(b, kPrintOptions, PrintOptionsDefault(d));
  FillCommonBlock(b, d);
  SetI16(b, kShrinkimage, HasFunction(d, 12) ? 1 : 0);
  auto resolution = static_cast<std::int16_t>(DefaultResolution(d));
  SetI16(b, kReschange, resolution);
  SetI16(b, kBresolution, resolution);
  SetI16(b, kCentermode, 1);
  SetI16(b, kFreeYousit, tate);
  SetI16(b, kFreeYousiy, yoko);
  SetU16(b, kDeviceFlags, HasFunction(d, 24) && !d.ColorDevice() ? kDevPrintertype : 0);
}

bool InScaleRange(const Description& d, int scale) {
  switch (d.PrinterType()) {
    case 4:
      return scale >= 25 && scale <= 400;
    case 3:
      return scale >= 20 && scale <= 400;
    default:
      return scale >= 25 && scale <= 200;
  }
}

// Whether the public member at `offset` of width `width` lies inside a source
// record of `size` bytes.
bool Present(WORD size, std::size_t offset, std::size_t width) { return offset + width <= size; }

}  // namespace

std::uint32_t DeviceOptionValue(std::string_view text) {
  text = SkipHexPrefix(text);
  text = text.substr(0, text.find('/'));
  std::uint32_t value = 0;
  return ReadHex(text, &value) ? value : 0;
}

void SetDefaultSelections(SettingsRecord& r, const Description& d) {
  unsigned char* b = r.priv;
  SetU16(b, kDescStamp, d.Checksum());
  int count = std::min<int>(d.DocumentFeatureCount(), static_cast<int>(kOptionSelCount));
  SetU16(b, kFeatureCount, static_cast<std::uint16_t>(count));
  std::memset(b + kOptionSel, 0, kOptionSelCount);
  int n = 0;
  for (Feature f = d.FirstFeature(); f && n < d.DocumentFeatureCount(); f = f.Next(), ++n) {
    int choice =
        f.PredefinedIndex() == kResolution ? kNoOption : static_cast<int>(f.DefaultChoice());
    WriteOptionSel(r, f, choice);
  }
}

void SetDefaults(SettingsRecord& r, const char16_t* printerName, const Description& d) {
  std::memset(&r, 0, sizeof r);
  if (printerName) CopyName(r.pub.dmDeviceName, platform::WideView(printerName));
  FillPublic(r, d);
  unsigned char* b = r.priv;
  SetU32(b, kSignature, kPrivSignature);
  SetU32(b, kFlags, PrivateFlags(d));
  FillColorAdjust(b);
  SetDefaultSelections(r, d);
  SetI32(b, kFont, 1);
  SetI32(b, kScaleh, 10000);
  SetI32(b, kScaley, 10000);
  SetI32(b, kSmooth, IndexOfNamed(d, kPrintMode, "Default"));
  SetI32(b, kPenconn, 5);
  SetI32(b, kDestination, IndexOfNamed(d, kOutputBin, "Default"));
  bool paperLink = HasFunction(d, 19) && IsType(d, {3, 7, 8});
  SetWideText(b, kYoushi, kYoushiChars, paperLink ? u"PAPER_LINK" : u"A3");
  FillPens(b);
  FillColors(b);
  if (HasFunction(d, 24)) {
    SetU32(b, kInputtray, InputTrays(d));
  } else {
    FillDeviceOptions(b, d);
  }
  r.pub.dmDefaultSource = FirstAvailableSource(b, d);
  FillRemaining(b, d);
}

bool MergeRecord(SettingsRecord& target, const DEVMODEW* source, const Description& d) {
  if (source == nullptr) return true;
  const WORD sourceSize = source->dmSize;
  if (sourceSize < 76) return true;  // no dmFields: nothing to take
  // A source with a private block is first aligned to the target's layout, in a
  // copy of the target.
  const DEVMODEW* from = source;
  SettingsRecord* aligned = nullptr;
  bool withPrivate = source->dmDriverExtra == kPrivateSize;
  if (withPrivate) {
    aligned = static_cast<SettingsRecord*>(GlobalAlloc(GMEM_FIXED, sizeof(SettingsRecord)));
    if (aligned == nullptr) return false;
    std::memcpy(aligned, &target, sizeof target);
    if (CopyRecordSized(source, &aligned->pub) < 0) {
      GlobalFree(aligned);
      return false;
    }
    from = &aligned->pub;
  }
  const DWORD fields = from->dmFields;
  DEVMODEW& dm = target.pub;
  bool paperAccepted = false;
  auto has = [&](DWORD bit, std::size_t offset, std::size_t width) {
    return (fields & bit) != 0 && Present(sourceSize, offset, width);
  };
  if (has(DM_DEFAULTSOURCE, 88, 2)) {
    dm.dmDefaultSource = from->dmDefaultSource;
    dm.dmFields |= DM_DEFAULTSOURCE;
  }
  if (has(DM_ORIENTATION, 76, 2)) {
    dm.dmOrientation = (from->dmOrientation == 1 || from->dmOrientation == 2) ? from->dmOrientation
                                                                              : DMORIENT_LANDSCAPE;
    dm.dmFields |= DM_ORIENTATION;
  }
  if (Present(sourceSize, 84, 0)) {
    dm.dmPaperLength = from->dmPaperLength;
    dm.dmPaperWidth = from->dmPaperWidth;
  }
  if (has(DM_PAPERSIZE, 78, 2)) {
    dm.dmPaperSize = from->dmPaperSize;
    dm.dmFields = (dm.dmFields | DM_PAPERSIZE) & ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
    paperAccepted = true;
  }
  if (has(DM_FORMNAME, 102, 64)) {
    CopyName(dm.dmFormName, platform::WideView(from->dmFormName, CCHFORMNAME));
    dm.dmFields = (dm.dmFields | DM_FORMNAME) & ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
    paperAccepted = true;
  }
  if (has(DM_SCALE, 84, 2)) dm.dmScale = InScaleRange(d, from->dmScale) ? from->dmScale : 100;
  if (has(DM_COPIES, 86, 2)) {
    dm.dmCopies = (from->dmCopies >= 1 && from->dmCopies <= 99) ? from->dmCopies : 1;
    dm.dmFields |= DM_COPIES;
  }
  if (has(DM_PRINTQUALITY, 90, 2)) {
    SHORT q = from->dmPrintQuality;
    dm.dmPrintQuality =
        (q > 0 && IsResolutionOffered(d, q)) ? q : static_cast<SHORT>(DefaultResolution(d));
    dm.dmFields |= DM_PRINTQUALITY;
  }
  if (has(DM_COLOR, 92, 2)) {
    bool colour = from->dmColor == DMCOLOR_COLOR && (HasFunction(d, 24) || d.ColorDevice());
    dm.dmColor = colour ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    dm.dmFields |= DM_COLOR;
  }
  if (has(DM_DUPLEX, 94, 2)) {
    if (HasDuplex(d) && from->dmDuplex >= 1 && from->dmDuplex <= 3) {
      dm.dmDuplex = from->dmDuplex;
      dm.dmFields |= DM_DUPLEX;
    } else {
      dm.dmDuplex = DMDUP_SIMPLEX;
    }
  }
  if (has(DM_COLLATE, 100, 2)) {
    if (CollateHasTrue(d) && (from->dmCollate == 0 || from->dmCollate == 1)) {
      dm.dmCollate = from->dmCollate;
      dm.dmFields |= DM_COLLATE;
    } else {
      dm.dmCollate = DMCOLLATE_FALSE;
    }
  }
  const unsigned char* sourcePrivate = reinterpret_cast<const unsigned char*>(from) + from->dmSize;
  if (withPrivate && GetU32(sourcePrivate, kSignature) == kPrivSignature &&
      CheckPrivateBlock(sourcePrivate)) {
    std::memcpy(target.priv, sourcePrivate, kPrivateSize);
  }
  unsigned char* b = target.priv;
  if (HasFunction(d, 14) && (GetU16(b, kPrintOptions) & kOptImageprint)) {
    int defaultDpi = DefaultResolution(d);
    SHORT asked = Present(sourceSize, 90, 2) ? from->dmPrintQuality : 0;
    if (IsCompatibleResolution(asked, defaultDpi)) {
      dm.dmPrintQuality = asked;
    } else if (IsCompatibleResolution(GetI16(b, kReschange), defaultDpi)) {
      dm.dmPrintQuality = GetI16(b, kReschange);
    }
  }
  if (GetU16(b, kDescStamp) != d.Checksum()) SetDefaultSelections(target, d);
  if (HasFunction(d, 29) && (GetU16(b, kDeviceFlags) & kDevSizeMatch) && from->dmPaperSize == 0 &&
      paperAccepted) {
    MatchCustomSize(dm, *from);
  }
  if (aligned) GlobalFree(aligned);
  return true;
}

}  // namespace settings
