// The table of record members, built once from the layout.
#include "settings/record_fields.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "settings/settings_record.h"

namespace settings {

namespace {

using std::size_t;
constexpr size_t kPriv = kPublicSize;

struct Builder {
  std::vector<RecordField> fields;
  void Add(std::string name, size_t offset, FieldType type, std::uint32_t size = 0,
           std::string group = "", int index = -1, std::string member = "") {
    if (member.empty()) member = name;
    fields.push_back(
        {std::move(name), offset, type, size, std::move(group), index, std::move(member)});
  }
  void Bits16(const std::string& group, size_t offset,
              std::initializer_list<std::pair<const char*, std::uint32_t>> bits) {
    for (const auto& [name, mask] : bits)
      Add(name, offset, FieldType::kBit16, mask, group + "Bits");
  }
};

void AddPublic(Builder& b) {
  using F = FieldType;
  b.Add("dmDeviceName", 0, F::kWide, 32);
  b.Add("dmSpecVersion", 64, F::kU16);
  b.Add("dmDriverVersion", 66, F::kU16);
  b.Add("dmSize", 68, F::kU16);
  b.Add("dmDriverExtra", 70, F::kU16);
  b.Add("dmFields", 72, F::kU32);
  const char* kSigned[] = {"dmOrientation", "dmPaperSize", "dmPaperLength",   "dmPaperWidth",
                           "dmScale",       "dmCopies",    "dmDefaultSource", "dmPrintQuality",
                           "dmColor",       "dmDuplex",    "dmYResolution",   "dmTTOption",
                           "dmCollate"};
  for (size_t i = 0; i < std::size(kSigned); ++i) b.Add(kSigned[i], 76 + 2 * i, F::kI16);
  b.Add("dmFormName", 102, F::kWide, 32);
  b.Add("dmLogPixels", 166, F::kU16);
  const char* kWords[] = {"dmBitsPerPel",       "dmPelsWidth", "dmPelsHeight", "dmNup",
                          "dmDisplayFrequency", "dmICMMethod", "dmICMIntent",  "dmMediaType",
                          "dmDitherType",       "dmReserved1", "dmReserved2",  "dmPanningWidth",
                          "dmPanningHeight"};
  for (size_t i = 0; i < std::size(kWords); ++i) b.Add(kWords[i], 168 + 4 * i, F::kU32);
  // clang-format off
  const std::pair<const char*, std::uint32_t> kFieldBits[] = {
      {"DM_ORIENTATION", DM_ORIENTATION}, {"DM_PAPERSIZE", DM_PAPERSIZE},
      {"DM_PAPERLENGTH", DM_PAPERLENGTH}, {"DM_PAPERWIDTH", DM_PAPERWIDTH},
      {"DM_SCALE", DM_SCALE},             {"DM_COPIES", DM_COPIES},
      {"DM_DEFAULTSOURCE", DM_DEFAULTSOURCE}, {"DM_PRINTQUALITY", DM_PRINTQUALITY},
      {"DM_COLOR", DM_COLOR},             {"DM_DUPLEX", DM_DUPLEX},
      {"DM_YRESOLUTION", DM_YRESOLUTION}, {"DM_TTOPTION", DM_TTOPTION},
      {"DM_COLLATE", DM_COLLATE},         {"DM_FORMNAME", DM_FORMNAME},
      {"DM_ICMMETHOD", DM_ICMMETHOD},     {"DM_ICMINTENT", DM_ICMINTENT},
      {"DM_MEDIATYPE", DM_MEDIATYPE},     {"DM_DITHERTYPE", DM_DITHERTYPE},
  };
  // clang-format on
  for (const auto& [name, mask] : kFieldBits) b.Add(name, 72, F::kBit32, mask, "dmFieldsBits");
}

void AddPens(Builder& b) {
  using F = FieldType;
  struct Member {
    const char* name;
    size_t offset;
    F type;
  };
  const Member kMembers[] = {
      {"color", priv::kPenColor, F::kI32},     {"width", priv::kPenWidth, F::kI32},
      {"density", priv::kPenDensity, F::kI32}, {"iro", priv::kPenIro, F::kI32},
      {"putred", priv::kPenPutred, F::kI16},   {"putgreen", priv::kPenPutgreen, F::kI16},
      {"putblue", priv::kPenPutblue, F::kI16}, {"putcolor", priv::kPenPutcolor, F::kI16}};
  for (size_t pen = 0; pen < priv::kPenCount; ++pen) {
    for (const Member& m : kMembers) {
      b.Add("pen" + std::to_string(pen) + m.name, kPriv + PenOffset(pen, m.offset), m.type, 0,
            "pens", static_cast<int>(pen), m.name);
    }
  }
}

void AddColors(Builder& b) {
  using F = FieldType;
  for (size_t i = 0; i < priv::kColorCount; ++i) {
    std::string n = "dispcolor" + std::to_string(i);
    int index = static_cast<int>(i);
    b.Add(n + "flag", kPriv + ColorOffset(i, priv::kColorFlag), F::kI32, 0, "colors", index,
          "flag");
    b.Add(n + "value", kPriv + ColorOffset(i, priv::kColorValue), F::kU32, 0, "colors", index,
          "value");
    b.Add(n, kPriv + ColorOffset(i, priv::kColorName), F::kWide, priv::kColorNameChars, "colors",
          index, "name");
  }
  for (size_t i = 0; i < priv::kCustomColorCount; ++i) {
    b.Add("customColors" + std::to_string(i), kPriv + priv::kCustomColors + 4 * i, F::kU32, 0,
          "customColors", static_cast<int>(i), "value");
  }
}

void AddDeviceOptions(Builder& b) {
  using F = FieldType;
  for (size_t i = 0; i < priv::kDeviceOptionCount; ++i) {
    std::string n = std::to_string(i);
    int index = static_cast<int>(i);
    b.Add("opname" + n, kPriv + DeviceOptionOffset(i, priv::kOptName), F::kWide,
          priv::kOptNameChars, "deviceOptions", index, "name");
    b.Add("optype" + n, kPriv + DeviceOptionOffset(i, priv::kOptType), F::kI32, 0, "deviceOptions",
          index, "type");
    b.Add("oppriority" + n, kPriv + DeviceOptionOffset(i, priv::kOptPriority), F::kI32, 0,
          "deviceOptions", index, "priority");
    b.Add("opflag" + n, kPriv + DeviceOptionOffset(i, priv::kOptFlag), F::kI32, 0, "deviceOptions",
          index, "flag");
  }
}

void AddColorSets(Builder& b) {
  const char* kMembers[] = {"colormatch", "dither",     "colortone", "truegray", "brigt",
                            "cntrasut",   "satulation", "intred",    "intgreen", "intblue"};
  for (size_t set = 0; set < priv::kColorSetCount; ++set) {
    for (size_t m = 0; m < std::size(kMembers); ++m) {
      b.Add(kMembers[m] + std::to_string(set), kPriv + ColorSetOffset(set, 2 * m), FieldType::kI16,
            0, "colorSets", static_cast<int>(set), kMembers[m]);
    }
  }
}

void AddPrivate(Builder& b) {
  using F = FieldType;
  using namespace priv;
  b.Add("privSignature", kPriv + kSignature, F::kRaw, 4);
  b.Add("privFlags", kPriv + kFlags, F::kU32);
  b.Add("mirror", kPriv + kFlags, F::kBit32, kPrivMirror, "privFlagsBits");
  b.Add("shortText", kPriv + kShortText, F::kWide, 5);
  const char* kAdjust[] = {"caSize",       "caFlags",     "caIlluminantIndex", "caRedGamma",
                           "caGreenGamma", "caBlueGamma", "caReferenceBlack",  "caReferenceWhite"};
  for (size_t i = 0; i < std::size(kAdjust); ++i) {
    b.Add(kAdjust[i], kPriv + kColorAdjust + 2 * i, F::kU16, 0, "colorAdjust");
  }
  const char* kAdjustSigned[] = {"caContrast", "caBrightness", "caColorfulness", "caRedGreenTint"};
  for (size_t i = 0; i < std::size(kAdjustSigned); ++i) {
    b.Add(kAdjustSigned[i], kPriv + kColorAdjust + 16 + 2 * i, F::kI16, 0, "colorAdjust");
  }
  b.Add("descStamp", kPriv + kDescStamp, F::kU16);
  b.Add("featureCount", kPriv + kFeatureCount, F::kU16);
  for (size_t i = 0; i < kOptionSelCount; ++i) {
    b.Add("optionSel" + std::to_string(i), kPriv + kOptionSel + i, F::kU8, 0, "optionSel",
          static_cast<int>(i), "value");
  }
  b.Add("reserved110", kPriv + 110, F::kRaw, 2);
  struct Word {
    const char* name;
    size_t offset;
  };
  const Word kWords[] = {
      {"font", kFont},           {"fontcard", kFontcard},   {"hardclip", kHardclip},
      {"movex", kMovex},         {"movey", kMovey},         {"scaleh", kScaleh},
      {"scaley", kScaley},       {"imagecomp", kImagecomp}, {"smooth", kSmooth},
      {"emuration", kEmuration}, {"penatt", kPenatt},       {"penterm", kPenterm},
      {"penconn", kPenconn},     {"reserved164", 164},      {"destination", kDestination},
      {"sorter", kSorter}};
  for (const Word& w : kWords) b.Add(w.name, kPriv + w.offset, F::kI32);
  AddPens(b);
  AddColors(b);
  AddDeviceOptions(b);
  b.Add("optionCount", kPriv + kOptionCount, F::kU32);
  b.Add("youshi", kPriv + kYoushi, F::kWide, kYoushiChars);
  b.Add("penimage", kPriv + kPenimage, F::kI32);
  b.Add("charblack2", kPriv + kCharblack, F::kI16);
  b.Add("charblack1", kPriv + kCharblack + 2, F::kI16);
  b.Add("charblack0", kPriv + kCharblack + 4, F::kI16);
  b.Add("reserved1914", kPriv + 1914, F::kRaw, 2);
  const Word kLines[] = {{"linedotcheck", kLinedotcheck}, {"lineintcheck", kLineintcheck},
                         {"line1chcheck", kLine1chcheck}, {"line2chcheck", kLine2chcheck},
                         {"linedotvalue", kLinedotvalue}, {"lineintvalue", kLineintvalue},
                         {"line1chvalue", kLine1chvalue}, {"line2chvalue", kLine2chvalue}};
  for (const Word& w : kLines) b.Add(w.name, kPriv + w.offset, F::kI32);
  const Word kShorts[] = {{"scale", kScale},
                          {"OptRole1", kOptRole},
                          {"OptRole2", kOptRole + 2},
                          {"OptRole3", kOptRole + 4},
                          {"OptRole4", kOptRole + 6},
                          {"paperkind", kPaperkind},
                          {"reserved1960", kReserved1960},
                          {"freesize", kFreesize},
                          {"imagerotate", kImagerotate},
                          {"FreeTate", kFreeTate},
                          {"FreeYoko", kFreeYoko},
                          {"OriSet", kOriSet},
                          {"OriCombo", kOriCombo},
                          {"BindCheck", kBindCheck},
                          {"BindValue", kBindValue},
                          {"HardStamp", kHardStamp}};
  for (const Word& w : kShorts) b.Add(w.name, kPriv + w.offset, F::kI16);
  b.Add("UserCodeFlag", kPriv + kUserCodeFlag, F::kU8);
  b.Add("UserCode", kPriv + kUserCode, F::kAnsi, kUserCodeBytes);
  b.Add("reserved1999", kPriv + 1999, F::kRaw, 3);
  b.Add("colormode", kPriv + kColormode, F::kI16);
  b.Add("bekutachk", kPriv + kBekutachk, F::kI32);
  b.Add("bekutacolor", kPriv + kBekutacolor, F::kI16);
  AddColorSets(b);
  b.Add("settingsLoaded", kPriv + kSettingsLoaded, F::kI16);
  b.Add("printOptions", kPriv + kPrintOptions, F::kU16);
  b.Bits16("printOptions", kPriv + kPrintOptions,
           {{"ntSystem", kOptNtSystem},
            {"linechange", kOptLinechange},
            {"revprint", kOptRevprint},
            {"softstamp", kOptSoftstamp},
            {"imageprint", kOptImageprint},
            {"modetype1", kOptModetype1},
            {"directionside", kOptDirectionside},
            {"center", kOptCenter},
            {"emfspool", kOptEmfspool},
            {"modetype3", kOptModetype3},
            {"papersizechange", kOptPapersizechange},
            {"superbold", kOptSuperbold},
            {"fontcom", kOptFontcom},
            {"stampcheck", kOptStampcheck},
            {"paperlink", kOptPaperlink}});
  b.Add("commonTag", kPriv + kCommon, F::kAnsi, 8, "common", -1, "tag");
  b.Add("jobClass", kPriv + kCommon + kCommonJobClass, F::kU8, 0, "common");
  b.Add("outputMode", kPriv + kCommon + kCommonOutputMode, F::kU8, 0, "common");
  b.Add("commonBytes", kPriv + kCommon + 10, F::kRaw, 64, "common", -1, "bytes");
  b.Add("UserId", kPriv + kUserId, F::kWide, kUserIdChars);
  const Word kTail[] = {
      {"shrinkimage", kShrinkimage}, {"reschange", kReschange},    {"bresolution", kBresolution},
      {"centermode", kCentermode},   {"stampsel", kStampsel},      {"freeYousit", kFreeYousit},
      {"freeYousiy", kFreeYousiy},   {"spacetop", kSpacetop},      {"spaceleft", kSpaceleft},
      {"spaceright", kSpaceright},   {"spacebottom", kSpacebottom}};
  for (const Word& w : kTail) b.Add(w.name, kPriv + w.offset, F::kI16);
  b.Add("deviceFlags", kPriv + kDeviceFlags, F::kU16);
  b.Bits16("deviceFlags", kPriv + kDeviceFlags,
           {{"deviceFlags.freespacepos", kDevFreespacepos},
            {"printertype", kDevPrintertype},
            {"Punch", kDevPunch},
            {"EarFolds", kDevEarFolds},
            {"OriStamp", kDevOriStamp},
            {"sizeMatch", kDevSizeMatch},
            {"rotate180deg", kDevRotate180}});
  b.Add("freespacepos", kPriv + kFreespacepos, F::kI16);
  b.Add("inputtray", kPriv + kInputtray, F::kU32);
  b.Add("outputtray", kPriv + kOutputtray, F::kU32);
}

const std::vector<RecordField>& Table() {
  static std::once_flag once;
  static std::vector<RecordField>* table;
  std::call_once(once, [] {
    Builder b;
    AddPublic(b);
    AddPrivate(b);
    table = new std::vector<RecordField>(std::move(b.fields));
  });
  return *table;
}

bool Fits(std::int64_t v, std::int64_t low, std::int64_t high) { return v >= low && v <= high; }

}  // namespace

std::span<const RecordField> RecordFields() { return Table(); }

const RecordField* FindRecordField(std::string_view name) {
  for (const RecordField& f : Table()) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::int64_t GetFieldValue(const unsigned char* record, const RecordField& f) {
  const unsigned char* p = record + f.offset;
  switch (f.type) {
    case FieldType::kU8:
      return *p;
    case FieldType::kI16:
      return LoadI16(p);
    case FieldType::kU16:
      return LoadU16(p);
    case FieldType::kI32:
      return LoadI32(p);
    case FieldType::kU32:
      return LoadU32(p);
    case FieldType::kBit16:
      return (LoadU16(p) & f.size) ? 1 : 0;
    case FieldType::kBit32:
      return (LoadU32(p) & f.size) ? 1 : 0;
    default:
      return 0;
  }
}

bool SetFieldValue(unsigned char* record, const RecordField& f, std::int64_t v) {
  unsigned char* p = record + f.offset;
  switch (f.type) {
    case FieldType::kU8:
      if (!Fits(v, 0, 255)) return false;
      *p = static_cast<unsigned char>(v);
      return true;
    case FieldType::kI16:
      if (!Fits(v, INT16_MIN, INT16_MAX)) return false;
      StoreI16(p, static_cast<std::int16_t>(v));
      return true;
    case FieldType::kU16:
      if (!Fits(v, 0, UINT16_MAX)) return false;
      StoreU16(p, static_cast<std::uint16_t>(v));
      return true;
    case FieldType::kI32:
      if (!Fits(v, INT32_MIN, INT32_MAX)) return false;
      StoreI32(p, static_cast<std::int32_t>(v));
      return true;
    case FieldType::kU32:
      if (!Fits(v, 0, UINT32_MAX)) return false;
      StoreU32(p, static_cast<std::uint32_t>(v));
      return true;
    case FieldType::kBit16:
      if (!Fits(v, 0, 1)) return false;
      StoreU16(p, static_cast<std::uint16_t>(v ? (LoadU16(p) | f.size) : (LoadU16(p) & ~f.size)));
      return true;
    case FieldType::kBit32:
      if (!Fits(v, 0, 1)) return false;
      StoreU32(p, v ? (LoadU32(p) | f.size) : (LoadU32(p) & ~f.size));
      return true;
    default:
      return false;
  }
}

std::u16string GetFieldText(const unsigned char* record, const RecordField& f) {
  return f.type == FieldType::kWide ? GetWideText(record, f.offset, f.size) : std::u16string();
}

bool SetFieldText(unsigned char* record, const RecordField& f, std::u16string_view text) {
  if (f.type != FieldType::kWide || text.size() >= f.size) return false;
  SetWideText(record, f.offset, f.size, text);
  return true;
}

std::string GetFieldAnsi(const unsigned char* record, const RecordField& f) {
  if (f.type != FieldType::kAnsi) return {};
  return std::string(reinterpret_cast<const char*>(record + f.offset),
                     ByteTextLength(record, f.offset, f.size));
}

bool SetFieldAnsi(unsigned char* record, const RecordField& f, std::string_view text) {
  if (f.type != FieldType::kAnsi || text.size() >= f.size ||
      text.find('\0') != std::string_view::npos) {
    return false;
  }
  std::memset(record + f.offset, 0, f.size);
  std::memcpy(record + f.offset, text.data(), text.size());
  return true;
}

std::string GetFieldBytes(const unsigned char* record, const RecordField& f) {
  return std::string(reinterpret_cast<const char*>(record + f.offset), f.size);
}

bool SetFieldBytes(unsigned char* record, const RecordField& f, std::string_view bytes) {
  if (f.type != FieldType::kRaw || bytes.size() != f.size) return false;
  std::memcpy(record + f.offset, bytes.data(), bytes.size());
  return true;
}

}  // namespace settings
