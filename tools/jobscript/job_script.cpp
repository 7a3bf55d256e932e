// Reading job scripts: each line is split into words, its keyword is looked up
// in the line table, and the line's handler checks its words and adds a call or
// changes the drawing state that the following drawing calls carry.
#include "tools/jobscript/job_script.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/engine/engine_objects.h"
#include "settings/settings_record.h"
#include "tools/jobscript/record_assignment.h"

namespace jobscript {

namespace {

struct Word {
  std::string text;
  bool quoted = false;
};

using Words = std::vector<Word>;

// Where the reader is in the document, for the checks of the call order.
enum class Place { kBeforeDocument, kInDocument, kInPage, kAfterDocument };

struct Reader {
  Job* job = nullptr;
  Place place = Place::kBeforeDocument;
  JobCall state;  // the drawing attributes the next drawing call is made with
  int line = 0;
  std::string error;
};

bool Fail(Reader& r, std::string message) {
  r.error = std::move(message);
  return false;
}

// Splits a line into words at blanks; a word in double quotes keeps its blanks,
// with \" and \\ inside it.
bool SplitWords(std::string_view text, Words* words, std::string* error) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r') {
      ++i;
      continue;
    }
    Word w;
    if (text[i] == '"') {
      w.quoted = true;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\')) c = text[i++];
        w.text += c;
      }
      if (!closed) {
        *error = "a quoted text is not closed";
        return false;
      }
      if (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
        *error = "a blank must follow a quoted text";
        return false;
      }
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
        if (text[i] == '"') {
          *error = "a quote inside a word";
          return false;
        }
        w.text += text[i++];
      }
    }
    words->push_back(std::move(w));
  }
  return true;
}

bool Number(Reader& r, const Word& w, const char* what, double* value) {
  const char* begin = w.text.data();
  const char* end = begin + w.text.size();
  if (!w.text.empty() && *begin == '+') ++begin;
  auto [stop, ec] = std::from_chars(begin, end, *value);
  if (w.quoted || w.text.empty() || ec != std::errc() || stop != end || *value != *value) {
    return Fail(r, "'" + w.text + "' is not a number (" + what + ")");
  }
  // Device coordinates the engine can hold in 28.4 and widths alike.
  if (*value < -134217727.0 || *value > 134217727.0) {
    return Fail(r, "'" + w.text + "' is out of range (" + what + ")");
  }
  return true;
}

bool Integer(Reader& r, const Word& w, const char* what, long long low, long long high,
             long long* value) {
  const char* begin = w.text.data();
  const char* end = begin + w.text.size();
  int base = 10;
  if (w.text.size() > 2 && w.text[0] == '0' && (w.text[1] == 'x' || w.text[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  auto [stop, ec] = std::from_chars(begin, end, *value, base);
  if (w.quoted || w.text.empty() || ec != std::errc() || stop != end) {
    return Fail(r, "'" + w.text + "' is not a whole number (" + what + ")");
  }
  if (*value < low || *value > high) {
    return Fail(r, std::string(what) + " " + w.text + " is outside " + std::to_string(low) +
                       " to " + std::to_string(high));
  }
  return true;
}

bool Colour(Reader& r, const Word& w, COLORREF* colour) {
  unsigned value = 0;
  if (!w.quoted && w.text.size() == 7 && w.text[0] == '#') {
    auto [stop, ec] = std::from_chars(w.text.data() + 1, w.text.data() + 7, value, 16);
    if (ec == std::errc() && stop == w.text.data() + 7) {
      *colour = RGB(static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 8),
                    static_cast<BYTE>(value));
      return true;
    }
  }
  return Fail(r, "'" + w.text + "' is not a colour #RRGGBB");
}

bool Hex(Reader& r, const Word& w, std::vector<unsigned char>* bytes) {
  if (w.text.size() % 2 != 0) return Fail(r, "hexadecimal bytes come in pairs of digits");
  for (std::size_t i = 0; i < w.text.size(); i += 2) {
    unsigned value = 0;
    auto [stop, ec] = std::from_chars(w.text.data() + i, w.text.data() + i + 2, value, 16);
    if (ec != std::errc() || stop != w.text.data() + i + 2) {
      return Fail(r, "'" + w.text.substr(i, 2) + "' is not a hexadecimal byte");
    }
    bytes->push_back(static_cast<unsigned char>(value));
  }
  return true;
}

// A word among the names of a table; its value in `value`.
struct Named {
  const char* name;
  ULONG value;
};

// clang-format off
constexpr Named kHatches[] = {
    {"horizontal", HS_HORIZONTAL}, {"vertical", HS_VERTICAL}, {"fdiagonal", HS_FDIAGONAL},
    {"bdiagonal", HS_BDIAGONAL},   {"cross", HS_CROSS},       {"diagcross", HS_DIAGCROSS},
};
constexpr Named kFormats[] = {
    {"1bpp", BMF_1BPP}, {"4bpp", BMF_4BPP}, {"8bpp", BMF_8BPP}, {"24bpp", BMF_24BPP},
};
constexpr Named kJoins[] = {{"round", JOIN_ROUND}, {"bevel", JOIN_BEVEL}, {"miter", JOIN_MITER}};
constexpr Named kCaps[] = {
    {"round", ENDCAP_ROUND}, {"square", ENDCAP_SQUARE}, {"butt", ENDCAP_BUTT},
};
// The binary raster operations by their numbers (1 to 16) or these names.
constexpr Named kRops[] = {
    {"black", R2_BLACK},     {"notmergepen", R2_NOTMERGEPEN}, {"masknotpen", R2_MASKNOTPEN},
    {"notcopypen", R2_NOTCOPYPEN}, {"maskpennot", R2_MASKPENNOT}, {"not", R2_NOT},
    {"xorpen", R2_XORPEN},   {"notmaskpen", R2_NOTMASKPEN},   {"maskpen", R2_MASKPEN},
    {"notxorpen", R2_NOTXORPEN}, {"nop", R2_NOP},             {"mergenotpen", R2_MERGENOTPEN},
    {"copypen", R2_COPYPEN}, {"mergepennot", R2_MERGEPENNOT}, {"mergepen", R2_MERGEPEN},
    {"white", R2_WHITE},
};
// How an image is stretched to a target of another size.
constexpr Named kStretchModes[] = {
    {"blackonwhite", BLACKONWHITE}, {"whiteonblack", WHITEONBLACK},
    {"coloroncolor", COLORONCOLOR}, {"halftone",     HALFTONE},
};
// clang-format on

template <std::size_t N>
bool Choose(Reader& r, const Word& w, const Named (&table)[N], const char* what, ULONG* value) {
  for (const Named& n : table) {
    if (!w.quoted && w.text == n.name) {
      *value = n.value;
      return true;
    }
  }
  std::string names;
  for (const Named& n : table) names += std::string(names.empty() ? "" : ", ") + n.name;
  const char* article = std::strchr("aeiou", what[0]) != nullptr ? "an " : "a ";
  return Fail(r, "'" + w.text + "' is not " + article + what + " (" + names + ")");
}

bool Rop(Reader& r, const Word& w, ULONG* rop) {
  if (!w.text.empty() && w.text[0] >= '0' && w.text[0] <= '9') {
    long long n = 0;
    if (!Integer(r, w, "raster operation", 1, 16, &n)) return false;
    *rop = static_cast<ULONG>(n);
    return true;
  }
  return Choose(r, w, kRops, "raster operation", rop);
}

bool Count(Reader& r, const Words& words, std::size_t low, std::size_t high, const char* form) {
  std::size_t n = words.size() - 1;
  if (n >= low && n <= high) return true;
  return Fail(r, std::string("expected: ") + form);
}

// The payload of an escape or pass-through: "hex BYTES" or "text TEXT".
bool Payload(Reader& r, const Words& words, std::size_t at, std::vector<unsigned char>* data) {
  if (at + 1 >= words.size()) return Fail(r, "expected hex BYTES or text \"TEXT\"");
  const Word& kind = words[at];
  if (!kind.quoted && kind.text == "hex") return Hex(r, words[at + 1], data);
  if (!kind.quoted && kind.text == "text") {
    data->assign(words[at + 1].text.begin(), words[at + 1].text.end());
    return true;
  }
  return Fail(r, "'" + kind.text + "': the data is hex BYTES or text \"TEXT\"");
}

// ---------------------------------------------------------------------------
// The job's lines.

bool BeforeDocument(Reader& r, const char* keyword) {
  if (r.place == Place::kBeforeDocument) return true;
  return Fail(r, std::string(keyword) + " comes before start-document");
}

bool Assignments(Reader& r, const Words& words, std::vector<Assignment>* out) {
  if (words.size() < 2) return Fail(r, "expected NAME=VALUE ...");
  // Checked on a record of its own: the values are made on the job's record later.
  auto scratch = std::make_unique<settings::SettingsRecord>();
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string why;
    if (!AssignRecordMember(reinterpret_cast<unsigned char*>(scratch.get()), words[i].text, &why)) {
      return Fail(r, why);
    }
    out->push_back({{r.line}, words[i].text});
  }
  return true;
}

bool OnPrinter(Reader& r, const Words& words) {
  if (!BeforeDocument(r, "printer") || !Count(r, words, 1, 1, "printer \"NAME\"")) return false;
  r.job->printer = words[1].text;
  return !r.job->printer.empty() || Fail(r, "the printer name is empty");
}

bool OnSet(Reader& r, const Words& words) {
  if (r.place != Place::kBeforeDocument) {
    return Fail(r, "set comes before start-document; between pages use reset");
  }
  return Assignments(r, words, &r.job->settings);
}

bool OnDocument(Reader& r, const Words& words) {
  if (!BeforeDocument(r, "document") || !Count(r, words, 1, 1, "document \"NAME\"")) return false;
  r.job->documentName = words[1].text;
  return true;
}

bool OnOwner(Reader& r, const Words& words) {
  if (!BeforeDocument(r, "owner") || !Count(r, words, 1, 1, "owner \"USER\"")) return false;
  r.job->owner = words[1].text;
  return !r.job->owner.empty() || Fail(r, "the owner is empty");
}

// ---------------------------------------------------------------------------
// Control lines.

void Add(Reader& r, CallKind kind) {
  JobCall call;
  call.kind = kind;
  call.origin.line = r.line;
  r.job->calls.push_back(std::move(call));
}

bool OnStartDocument(Reader& r, const Words& words) {
  if (!Count(r, words, 0, 0, "start-document")) return false;
  if (r.place != Place::kBeforeDocument) return Fail(r, "a job holds one document");
  r.place = Place::kInDocument;
  Add(r, CallKind::kStartDocument);
  return true;
}

bool OnStartPage(Reader& r, const Words& words) {
  if (!Count(r, words, 0, 0, "start-page")) return false;
  if (r.place == Place::kInPage) return Fail(r, "a page is open: end-page first");
  if (r.place != Place::kInDocument) return Fail(r, "start-page outside the document");
  r.place = Place::kInPage;
  ++r.job->pages;
  Add(r, CallKind::kStartPage);
  return true;
}

bool OnEndPage(Reader& r, const Words& words) {
  if (!Count(r, words, 0, 0, "end-page")) return false;
  if (r.place != Place::kInPage) return Fail(r, "end-page without an open page");
  r.place = Place::kInDocument;
  Add(r, CallKind::kEndPage);
  return true;
}

bool OnEndDocument(Reader& r, const Words& words) {
  if (!Count(r, words, 0, 0, "end-document")) return false;
  if (r.place == Place::kInPage) return Fail(r, "a page is open: end-page first");
  if (r.place != Place::kInDocument) return Fail(r, "end-document without a document");
  r.place = Place::kAfterDocument;
  Add(r, CallKind::kEndDocument);
  return true;
}

bool InDocument(Reader& r, const char* keyword) {
  if (r.place == Place::kInDocument || r.place == Place::kInPage) return true;
  return Fail(r, std::string(keyword) + " outside the document");
}

bool OnReset(Reader& r, const Words& words) {
  if (!InDocument(r, "reset")) return false;
  if (r.place == Place::kInPage) return Fail(r, "reset comes between pages");
  JobCall call;
  call.kind = CallKind::kReset;
  call.origin.line = r.line;
  if (!Assignments(r, words, &call.settings)) return false;
  r.job->calls.push_back(std::move(call));
  return true;
}

bool OnEscape(Reader& r, const Words& words) {
  if (!InDocument(r, "escape")) return false;
  if (words.size() < 2)
    return Fail(r, "expected: escape NUMBER [hex BYTES | text \"TEXT\"] [out SIZE]");
  JobCall call;
  call.kind = CallKind::kEscape;
  call.origin.line = r.line;
  long long n = 0;
  if (!Integer(r, words[1], "escape", 0, 0xFFFFFFFF, &n)) return false;
  call.escape = static_cast<ULONG>(n);
  std::size_t at = 2;
  if (at < words.size() && words[at].text != "out") {
    if (!Payload(r, words, at, &call.data)) return false;
    at += 2;
  }
  if (at < words.size()) {
    if (words[at].text != "out" || at + 2 != words.size()) {
      return Fail(r, "expected: escape NUMBER [hex BYTES | text \"TEXT\"] [out SIZE]");
    }
    if (!Integer(r, words[at + 1], "output size", 0, 65536, &n)) return false;
    call.outputSize = static_cast<ULONG>(n);
  }
  if (call.data.size() > 65536) return Fail(r, "an escape takes at most 65536 bytes");
  r.job->calls.push_back(std::move(call));
  return true;
}

bool OnPassThrough(Reader& r, const Words& words) {
  if (!InDocument(r, "passthrough")) return false;
  JobCall call;
  call.kind = CallKind::kPassThrough;
  call.origin.line = r.line;
  if (!Count(r, words, 2, 2, "passthrough hex BYTES | passthrough text \"TEXT\"") ||
      !Payload(r, words, 1, &call.data)) {
    return false;
  }
  // The block carries its length in 16 bits.
  if (call.data.size() > 0xFFFF) return Fail(r, "a pass-through block holds at most 65535 bytes");
  r.job->calls.push_back(std::move(call));
  return true;
}

// ---------------------------------------------------------------------------
// Drawing state lines.

bool OnPen(Reader& r, const Words& words) {
  if (!Count(r, words, 1, 1, "pen #RRGGBB")) return false;
  r.state.stroke = BrushParams{};
  return Colour(r, words[1], &r.state.stroke.color);
}

// The bits of a pattern: rows of width pixels of the format, each row padded to
// a multiple of 4 bytes, top row first.
std::size_t PatternSize(ULONG format, LONG width, LONG height) {
  std::size_t bits = format == BMF_1BPP ? 1 : format == BMF_4BPP ? 4 : format == BMF_8BPP ? 8 : 24;
  std::size_t row = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  return row * static_cast<std::size_t>(height);
}

// A bitmap's words from `*at`: FORMAT WIDTH HEIGHT [palette #RRGGBB ...] bits HEX,
// of a pattern or an image (`noun`) of 1 to `most` pixels each way; `*at` ends
// after the bits. The bits must fill every padded row exactly, and an indexed
// format needs a palette the format's indices can reach.
bool ReadBitmap(Reader& r, const Words& words, std::size_t* at, const std::string& noun,
                long long most, const std::string& form, ULONG* format, LONG* width, LONG* height,
                std::vector<COLORREF>* palette, std::vector<unsigned char>* bits) {
  std::size_t i = *at;
  if (i + 5 > words.size()) return Fail(r, "expected: " + form);
  long long w = 0, h = 0;
  if (!Choose(r, words[i], kFormats, (noun + " format").c_str(), format) ||
      !Integer(r, words[i + 1], (noun + " width").c_str(), 1, most, &w) ||
      !Integer(r, words[i + 2], (noun + " height").c_str(), 1, most, &h)) {
    return false;
  }
  *width = static_cast<LONG>(w);
  *height = static_cast<LONG>(h);
  i += 3;
  if (words[i].text == "palette") {
    for (++i; i < words.size() && words[i].text != "bits"; ++i) {
      COLORREF c = 0;
      if (!Colour(r, words[i], &c)) return false;
      palette->push_back(c);
    }
  }
  if (i + 1 >= words.size() || words[i].text != "bits") return Fail(r, "expected: " + form);
  if (!Hex(r, words[i + 1], bits)) return false;
  *at = i + 2;
  std::size_t need = PatternSize(*format, *width, *height);
  if (bits->size() != need) {
    return Fail(r, "the " + noun + "'s bits take " + std::to_string(need) +
                       " bytes (rows padded to 4 bytes), not " + std::to_string(bits->size()));
  }
  std::size_t colours = *format == BMF_1BPP ? 2 : *format == BMF_4BPP ? 16 : 256;
  if (*format == BMF_24BPP ? !palette->empty() : palette->empty() || palette->size() > colours) {
    return Fail(r, *format == BMF_24BPP ? "a 24bpp " + noun + " has no palette"
                                        : "the " + noun + "'s palette needs 1 to " +
                                              std::to_string(colours) + " colours");
  }
  return true;
}

bool PatternBrush(Reader& r, const Words& words, BrushParams* b) {
  const std::string form = "brush pattern FORMAT WIDTH HEIGHT [palette #RRGGBB ...] bits HEX";
  if (words.size() < 7) return Fail(r, "expected: " + form);
  b->kind = BrushParams::kPattern;
  std::size_t at = 2;
  if (!ReadBitmap(r, words, &at, "pattern", 256, form, &b->format, &b->width, &b->height,
                  &b->palette, &b->bits)) {
    return false;
  }
  return at == words.size() || Fail(r, "expected: " + form);
}

bool OnBrush(Reader& r, const Words& words) {
  if (words.size() < 2) return Fail(r, "expected: brush solid|hatch|pattern ...");
  BrushParams b;
  const std::string& kind = words[1].text;
  if (kind == "solid") {
    if (!Count(r, words, 2, 2, "brush solid #RRGGBB") || !Colour(r, words[2], &b.color)) {
      return false;
    }
  } else if (kind == "hatch") {
    b.kind = BrushParams::kHatch;
    if (!Count(r, words, 3, 4, "brush hatch STYLE #FORE [#BACK]") ||
        !Choose(r, words[2], kHatches, "hatch style", &b.hatch) || !Colour(r, words[3], &b.color) ||
        (words.size() == 5 && !Colour(r, words[4], &b.background))) {
      return false;
    }
  } else if (kind == "pattern") {
    if (!PatternBrush(r, words, &b)) return false;
  } else {
    return Fail(r, "'" + kind + "' is not a brush (solid, hatch, pattern)");
  }
  r.state.fill = std::move(b);
  return true;
}

bool OnLine(Reader& r, const Words& words) {
  if (words.size() < 2)
    return Fail(r, "expected: line cosmetic [WIDTH] | line geometric WIDTH ...");
  LineParams& l = r.state.line;
  if (words[1].text == "cosmetic") {
    long long w = 1;
    if (!Count(r, words, 1, 2, "line cosmetic [WIDTH]") ||
        (words.size() == 3 && !Integer(r, words[2], "width", 1, 64, &w))) {
      return false;
    }
    l.geometric = false;
    l.width = static_cast<double>(w);
    return true;
  }
  if (words[1].text != "geometric") return Fail(r, "a line is cosmetic or geometric");
  if (words.size() < 3) return Fail(r, "expected: line geometric WIDTH [join J] [cap C] [miter M]");
  double width = 0;
  if (!Number(r, words[2], "width", &width)) return false;
  if (width < 0) return Fail(r, "a line width is not negative");
  ULONG join = JOIN_ROUND, cap = ENDCAP_ROUND;
  double miter = 10;
  for (std::size_t i = 3; i < words.size(); i += 2) {
    if (i + 1 >= words.size()) return Fail(r, "'" + words[i].text + "' needs a value");
    const std::string& key = words[i].text;
    bool ok = key == "join"    ? Choose(r, words[i + 1], kJoins, "join", &join)
              : key == "cap"   ? Choose(r, words[i + 1], kCaps, "cap", &cap)
              : key == "miter" ? Number(r, words[i + 1], "miter limit", &miter)
                               : Fail(r, "'" + key + "': a geometric line takes join, cap, miter");
    if (!ok) return false;
  }
  l.geometric = true;
  l.width = width;
  l.join = join;
  l.cap = cap;
  l.miterLimit = miter;
  return true;
}

bool OnDash(Reader& r, const Words& words) {
  LineParams& l = r.state.line;
  if (words.size() == 2 && words[1].text == "none") {
    l.style.clear();
    l.alternate = l.startGap = false;
    l.styleState = 0;
    return true;
  }
  std::vector<double> style;
  bool alternate = false, startGap = false;
  double state = 0;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& t = words[i].text;
    if (t == "alternate") {
      alternate = true;
    } else if (t == "startgap") {
      startGap = true;
    } else if (t == "state") {
      if (i + 1 >= words.size() || !Number(r, words[++i], "style state", &state)) {
        return r.error.empty() ? Fail(r, "state needs a value") : false;
      }
    } else {
      double v = 0;
      if (!Number(r, words[i], "dash length", &v)) return false;
      if (v <= 0) return Fail(r, "dash and gap lengths are positive");
      style.push_back(v);
    }
  }
  if (style.empty() && !alternate)
    return Fail(r, "expected: dash none | dash LENGTH ... [alternate] [startgap] [state S]");
  if (style.size() > 16) return Fail(r, "a dash style holds at most 16 lengths");
  l.style = std::move(style);
  l.alternate = alternate;
  l.startGap = startGap;
  l.styleState = state;
  return true;
}

bool OnTransform(Reader& r, const Words& words) {
  if (!Count(r, words, 6, 6, "transform M11 M12 M21 M22 DX DY")) return false;
  double m[6];
  for (int i = 0; i < 6; ++i) {
    if (!Number(r, words[static_cast<std::size_t>(i) + 1], "transform", &m[i])) return false;
  }
  std::memcpy(r.state.line.transform, m, sizeof m);
  return true;
}

bool OnMix(Reader& r, const Words& words) {
  if (!Count(r, words, 1, 2, "mix FORE [BACK]")) return false;
  ULONG fore = 0, back = 0;
  if (!Rop(r, words[1], &fore)) return false;
  back = fore;
  if (words.size() == 3 && !Rop(r, words[2], &back)) return false;
  r.state.mix = static_cast<MIX>(fore | (back << 8));
  return true;
}

bool OnFillMode(Reader& r, const Words& words) {
  if (!Count(r, words, 1, 1, "fillmode alternate|winding")) return false;
  if (words[1].text == "alternate") {
    r.state.fillMode = FP_ALTERNATEMODE;
  } else if (words[1].text == "winding") {
    r.state.fillMode = FP_WINDINGMODE;
  } else {
    return Fail(r, "the fill mode is alternate or winding");
  }
  return true;
}

bool OnClip(Reader& r, const Words& words) {
  if (words.size() == 2 && words[1].text == "none") {
    r.state.clip = ClipParams{};
    return true;
  }
  if (words.size() < 6 || words[1].text != "rect" || (words.size() - 2) % 4 != 0) {
    return Fail(r, "expected: clip none | clip rect LEFT TOP RIGHT BOTTOM [...]");
  }
  ClipParams c;
  c.none = false;
  for (std::size_t i = 2; i < words.size(); i += 4) {
    long long v[4];
    for (std::size_t k = 0; k < 4; ++k) {
      if (!Integer(r, words[i + k], "clip edge", -0x7FFFFFF, 0x7FFFFFF, &v[k])) return false;
    }
    if (v[2] <= v[0] || v[3] <= v[1]) {
      return Fail(r, "a clip rectangle's right and bottom lie beyond its left and top");
    }
    c.rects.push_back({static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[2]),
                       static_cast<LONG>(v[3])});
  }
  for (std::size_t a = 0; a < c.rects.size(); ++a) {
    for (std::size_t b = a + 1; b < c.rects.size(); ++b) {
      const RECTL &p = c.rects[a], &q = c.rects[b];
      if (p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom) {
        return Fail(r, "the clip rectangles overlap");
      }
    }
  }
  r.state.clip = std::move(c);
  return true;
}

bool OnOrigin(Reader& r, const Words& words) {
  long long x = 0, y = 0;
  if (!Count(r, words, 2, 2, "origin X Y") ||
      !Integer(r, words[1], "brush origin", -0x7FFFFFF, 0x7FFFFFF, &x) ||
      !Integer(r, words[2], "brush origin", -0x7FFFFFF, 0x7FFFFFF, &y)) {
    return false;
  }
  r.state.brushOrigin = {static_cast<LONG>(x), static_cast<LONG>(y)};
  return true;
}

// ---------------------------------------------------------------------------
// Drawing calls.

bool IsNumberWord(const Word& w) {
  if (w.quoted || w.text.empty()) return false;
  char c = w.text[0];
  return c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9');
}

// A path: M X Y (a new subpath), L X Y ..., C X1 Y1 X2 Y2 X3 Y3 ..., Z (close),
// R LEFT TOP RIGHT BOTTOM (a closed rectangle subpath).
bool ReadPath(Reader& r, const Words& words, std::size_t at, std::vector<PathStep>* path) {
  bool open = false;
  while (at < words.size()) {
    const std::string& op = words[at++].text;
    std::size_t arity = op == "M" || op == "L" ? 2 : op == "C" ? 6 : op == "R" ? 4 : 0;
    if (op != "M" && op != "L" && op != "C" && op != "Z" && op != "R") {
      return Fail(r, "'" + op + "' is not a path step (M, L, C, Z, R)");
    }
    if ((op == "L" || op == "C" || op == "Z") && !open) {
      return Fail(r, op + " needs a subpath: start it with M");
    }
    if (op == "Z") {
      path->push_back({PathStep::kClose, {}});
      open = false;
      continue;
    }
    do {
      if (at + arity > words.size()) {
        return Fail(r, op + " takes " + std::to_string(arity) + " numbers");
      }
      PathStep s;
      s.kind = op == "C" ? PathStep::kBezier : op == "L" ? PathStep::kLine : PathStep::kMove;
      for (std::size_t k = 0; k < arity; ++k) {
        if (!Number(r, words[at + k], "coordinate", &s.p[k])) return false;
      }
      at += arity;
      if (op == "R") {
        double rect[4] = {s.p[0], s.p[1], s.p[2], s.p[3]};
        path->push_back({PathStep::kMove, {rect[0], rect[1]}});
        path->push_back({PathStep::kLine, {rect[2], rect[1]}});
        path->push_back({PathStep::kLine, {rect[2], rect[3]}});
        path->push_back({PathStep::kLine, {rect[0], rect[3]}});
        path->push_back({PathStep::kClose, {}});
        open = false;
      } else {
        path->push_back(s);
        open = true;
      }
      // Further numbers after L or C continue the run.
    } while ((op == "L" || op == "C") && at < words.size() && IsNumberWord(words[at]));
    if (op == "M" && at < words.size() && IsNumberWord(words[at])) {
      return Fail(r, "M takes 2 numbers; continue the subpath with L");
    }
  }
  if (path->empty()) return Fail(r, "the path is empty");
  return true;
}

bool Drawing(Reader& r, const Words& words, CallKind kind, bool takesPath) {
  if (r.place != Place::kInPage) return Fail(r, words[0].text + " outside a page");
  JobCall call = r.state;
  call.kind = kind;
  call.origin.line = r.line;
  call.settings.clear();
  call.data.clear();
  call.path.clear();
  if (takesPath) {
    if (!ReadPath(r, words, 1, &call.path)) return false;
  } else if (!Count(r, words, 0, 0, "paint")) {
    return false;
  }
  r.job->calls.push_back(std::move(call));
  return true;
}

bool OnStroke(Reader& r, const Words& w) { return Drawing(r, w, CallKind::kStroke, true); }
bool OnFill(Reader& r, const Words& w) { return Drawing(r, w, CallKind::kFill, true); }
bool OnStrokeFill(Reader& r, const Words& w) {
  return Drawing(r, w, CallKind::kStrokeAndFill, true);
}
bool OnPaint(Reader& r, const Words& w) { return Drawing(r, w, CallKind::kPaint, false); }

// A rectangle's four edges from words[at]; right and bottom must lie beyond left
// and top (the engine's rectangles exclude them).
bool ReadRect(Reader& r, const Words& words, std::size_t at, const char* what, RECTL* rect) {
  long long v[4];
  for (std::size_t k = 0; k < 4; ++k) {
    if (!Integer(r, words[at + k], what, -0x7FFFFFF, 0x7FFFFFF, &v[k])) return false;
  }
  if (v[2] <= v[0] || v[3] <= v[1]) {
    return Fail(r, std::string("the ") + what + "'s right and bottom lie beyond its left and top");
  }
  *rect = {static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[2]),
           static_cast<LONG>(v[3])};
  return true;
}

// image FORMAT WIDTH HEIGHT [palette ...] bits HEX [from L T R B] to L T R B
// [rop ROP4] [stretch MODE]: the bitmap, the part of it drawn (the whole when
// left out), the target, and how. Scripts carry no mask, so both bytes of the
// operation are one three-operand code; a stretched image is copied.
bool OnImage(Reader& r, const Words& words) {
  const std::string form =
      "image FORMAT WIDTH HEIGHT [palette #RRGGBB ...] bits HEX [from LEFT TOP RIGHT BOTTOM] "
      "to LEFT TOP RIGHT BOTTOM [rop ROP4] [stretch MODE]";
  if (r.place != Place::kInPage) return Fail(r, "image outside a page");
  JobCall call = r.state;
  call.kind = CallKind::kImage;
  call.origin.line = r.line;
  call.settings.clear();
  call.path.clear();
  ImageParams& m = call.image;
  m = ImageParams{};
  std::size_t at = 1;
  if (!ReadBitmap(r, words, &at, "image", 32767, form, &m.format, &m.width, &m.height, &m.palette,
                  &m.bits)) {
    return false;
  }
  m.source = {0, 0, m.width, m.height};
  bool from = false, to = false, rop = false, stretch = false;
  while (at < words.size()) {
    const std::string& key = words[at].text;
    bool* seen = key == "from"      ? &from
                 : key == "to"      ? &to
                 : key == "rop"     ? &rop
                 : key == "stretch" ? &stretch
                                    : nullptr;
    if (seen == nullptr || words[at].quoted) {
      return Fail(r, "'" + key + "': an image takes from, to, rop and stretch");
    }
    if (*seen) return Fail(r, "an image takes " + key + " once");
    *seen = true;
    std::size_t arity = key == "from" || key == "to" ? 4 : 1;
    if (at + arity >= words.size()) return Fail(r, "expected: " + form);
    long long n = 0;
    bool ok = key == "from" ? ReadRect(r, words, at + 1, "source rectangle", &m.source)
              : key == "to" ? ReadRect(r, words, at + 1, "target rectangle", &m.target)
              : key == "rop"
                  ? Integer(r, words[at + 1], "raster operation", 0, 0xFFFF, &n)
                  : Choose(r, words[at + 1], kStretchModes, "stretch mode", &m.stretchMode);
    if (!ok) return false;
    if (key == "rop") m.rop = static_cast<ROP4>(n);
    at += arity + 1;
  }
  if (!to) return Fail(r, "an image needs its target: to LEFT TOP RIGHT BOTTOM");
  if (m.source.right > m.width || m.source.bottom > m.height || m.source.left < 0 ||
      m.source.top < 0) {
    return Fail(r, "the source rectangle lies outside the " + std::to_string(m.width) + " x " +
                       std::to_string(m.height) + " image");
  }
  if ((m.rop >> 8) != (m.rop & 0xFF)) {
    return Fail(r, "an image has no mask: both bytes of the raster operation are the same");
  }
  bool stretched = m.target.right - m.target.left != m.source.right - m.source.left ||
                   m.target.bottom - m.target.top != m.source.bottom - m.source.top;
  if (stretched && m.rop != 0xCCCC) {
    return Fail(r, "a stretched image is copied (rop 0xCCCC)");
  }
  r.job->calls.push_back(std::move(call));
  return true;
}

// Text comes with the driver's text output; its keywords are kept so that
// scripts written for it fail plainly here.
bool OnLater(Reader& r, const Words& words) {
  return Fail(r, words[0].text + " lines are not played yet");
}

struct LineKind {
  const char* keyword;
  bool (*handler)(Reader&, const Words&);
};

// Every keyword of a job script, with the handler that reads its line.
// clang-format off
constexpr LineKind kLineKinds[] = {
    {"printer",        OnPrinter},
    {"set",            OnSet},
    {"document",       OnDocument},
    {"owner",          OnOwner},
    {"start-document", OnStartDocument},
    {"start-page",     OnStartPage},
    {"end-page",       OnEndPage},
    {"end-document",   OnEndDocument},
    {"reset",          OnReset},
    {"escape",         OnEscape},
    {"passthrough",    OnPassThrough},
    {"pen",            OnPen},
    {"brush",          OnBrush},
    {"line",           OnLine},
    {"dash",           OnDash},
    {"transform",      OnTransform},
    {"mix",            OnMix},
    {"fillmode",       OnFillMode},
    {"clip",           OnClip},
    {"origin",         OnOrigin},
    {"stroke",         OnStroke},
    {"fill",           OnFill},
    {"strokefill",     OnStrokeFill},
    {"paint",          OnPaint},
    {"text",           OnLater},
    {"font",           OnLater},
    {"image",          OnImage},
};
// clang-format on

bool ReadLine(Reader& r, std::string_view text) {
  Words words;
  if (!SplitWords(text, &words, &r.error)) return false;
  if (words.empty() || words[0].text[0] == '#') return true;
  if (words[0].quoted) return Fail(r, "a line starts with a keyword");
  for (const LineKind& k : kLineKinds) {
    if (words[0].text == k.keyword) return k.handler(r, words);
  }
  return Fail(r, "unknown keyword '" + words[0].text + "'");
}

}  // namespace

bool ReadJobScript(std::string_view text, Job* job, ScriptError* error) {
  *job = Job{};
  Reader r;
  r.job = job;
  r.state.stroke.color = 0;
  r.state.fill.color = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    ++r.line;
    std::string_view line = text.substr(at, end - at);
    if (line.find('\0') != std::string_view::npos) {
      *error = {r.line, "the line holds a NUL byte"};
      return false;
    }
    if (!ReadLine(r, line)) {
      *error = {r.line, r.error};
      return false;
    }
    at = end + 1;
  }
  if (r.place == Place::kBeforeDocument) {
    *error = {0, "the script starts no document (start-document)"};
    return false;
  }
  if (r.place != Place::kAfterDocument) {
    *error = {r.line, "the script ends inside the document: end-page and end-document missing"};
    return false;
  }
  return true;
}

std::string FormatScriptError(const std::string& file, const ScriptError& error) {
  if (error.line == 0) return file + ": " + error.message;
  return file + ":" + std::to_string(error.line) + ": " + error.message;
}

}  // namespace jobscript
