// The stream as the printer takes it in: PJL lines after a universal exit,
// KX-GL/2 after "@PJL ENTER LANGUAGE" or the device's language switch, the
// raster language between ESC%1A and ESC%0B. Escape-framed device commands
// (1B 12 ... 1B 20) are recognised wherever they occur outside binary data,
// and the spool-filter blocks between commands are skipped.
#include <algorithm>
#include <string>

#include "tools/preview/device_commands.h"
#include "tools/preview/display_text.h"
#include "tools/preview/gl_commands.h"
#include "tools/preview/hpgl_parser.h"
#include "tools/preview/interpreter.h"
#include "tools/preview/pjl.h"
#include "tools/preview/rtl_raster.h"
#include "tools/preview/spool_blocks.h"

namespace preview {

namespace {

// A device command text or a feature block longer than this has lost its end.
constexpr size_t kMaxFramedText = 4096;
constexpr size_t kMaxFeatureBlock = 65536;

constexpr std::string_view kFeatureOpen = "[{";
constexpr std::string_view kFeatureClose = "} stopped cleartomark";

enum class Mode { kPjl, kGl, kRtl };

class StreamReader {
 public:
  StreamReader(Interpreter& in, std::span<const uint8_t> bytes) : in_(in), cursor_{bytes, 0} {}

  void Run() {
    while (!cursor_.AtEnd()) {
      if (SkipSpoolBlock()) continue;
      if (cursor_.Peek() == kEndOfTransmission && mode_ != Mode::kRtl) {
        in_.AddDeviceCommand(cursor_.pos, "control", "\\x04", "end of the job");
        cursor_.Next();
        continue;
      }
      if (cursor_.Peek() == kEsc) {
        ReadEscape();
        continue;
      }
      switch (mode_) {
        case Mode::kPjl:
          ReadPjl();
          break;
        case Mode::kGl:
          ReadGl();
          break;
        case Mode::kRtl:
          ReadRtlText();
          break;
      }
    }
    if (mode_ == Mode::kRtl && in_.rtl.raster) {
      in_.ReportTruncated(cursor_.pos, "the stream ends inside a raster image");
    }
    in_.Finish(cursor_.pos);
  }

 private:
  Interpreter& in_;
  ByteCursor cursor_;
  Mode mode_ = Mode::kGl;
  bool afterJobBinderStart_ = false;
  bool afterJobBinderBlock_ = false;

  bool SkipSpoolBlock() {
    std::optional<SpoolBlock> block =
        FindSpoolBlock(cursor_, afterJobBinderStart_, afterJobBinderBlock_);
    afterJobBinderBlock_ = afterJobBinderStart_ && block.has_value();
    afterJobBinderStart_ = block && block->kind == "job start (job binder)";
    if (!block) return false;
    in_.AddSpoolBlock(*block);
    cursor_.Skip(block->size);
    return true;
  }

  size_t Find(std::string_view text, size_t limit) const {
    std::span<const uint8_t> bytes = cursor_.bytes;
    size_t end = std::min(bytes.size(), cursor_.pos + limit);
    for (size_t at = cursor_.pos; at + text.size() <= end; ++at) {
      if (std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at))) {
        return at;
      }
    }
    return std::string_view::npos;
  }

  void ReadEscape() {
    if (cursor_.Peek(1) == 0x12) {
      ReadFramedCommand();
      return;
    }
    if (cursor_.StartsWith(kSicEndOfJob)) {
      in_.AddDeviceCommand(cursor_.pos, "control", DisplayText(kSicEndOfJob),
                           "end of the job (SIC)");
      cursor_.Skip(kSicEndOfJob.size());
      return;
    }
    size_t start = cursor_.pos;
    PclEscape escape = ReadPclEscape(cursor_);
    if (escape.malformed) {
      if (cursor_.AtEnd()) {
        in_.ReportTruncated(start, "the stream ends inside an escape sequence");
      } else {
        in_.Report(start, "an escape sequence that is not well formed");
      }
      return;
    }
    if (escape.leftOpen) in_.Report(start, "an escape sequence left open (it ends in lower case)");
    const PclCommand& first = escape.commands.front();
    if (!escape.twoCharacter && first.introducer == '%' && first.group == 0) {
      SwitchLanguage(first);
      return;
    }
    if (mode_ == Mode::kRtl) {
      ExecuteRtlEscape(in_, escape);
      return;
    }
    if (escape.twoCharacter && first.introducer == 'E') {
      in_.Count("ESCE", start);
      return;
    }
    in_.Report(start, "the escape sequence " + PclCommandName(first, escape.twoCharacter) +
                          " is not understood outside the raster language");
  }

  // ESC%-12345X, ESC%#A and ESC%#B.
  void SwitchLanguage(const PclCommand& c) {
    int value = ClampedInt(c.value);
    if (c.parameter == 'X' && c.value == -12345) {
      in_.FlushStroke();
      if (in_.rtl.raster) in_.EndRaster(c.offset);
      in_.AddPjlLine({c.offset, "ESC%-12345X", "UEL", "", ""});
      mode_ = Mode::kPjl;
    } else if (c.parameter == 'A') {
      in_.Count("ESC%A", c.offset);
      EnterRtl(in_, value);
      mode_ = Mode::kRtl;
    } else if (c.parameter == 'B') {
      in_.Count("ESC%B", c.offset);
      if (mode_ == Mode::kRtl) LeaveRtl(in_, value);
      mode_ = Mode::kGl;
    } else {
      in_.Report(c.offset,
                 "the escape sequence " + PclCommandName(c, false) + " is not understood");
    }
  }

  void ReadFramedCommand() {
    size_t start = cursor_.pos;
    cursor_.Skip(2);
    size_t close = Find(kFrameClose, kMaxFramedText);
    if (close == std::string_view::npos) {
      if (cursor_.Left() < kMaxFramedText) {
        in_.ReportTruncated(start, "the stream ends inside a device command (no 1B 20)");
        cursor_.Skip(cursor_.Left());
      } else {
        in_.Report(start, "a device command without its closing 1B 20");
      }
      return;
    }
    std::span<const uint8_t> bytes = cursor_.Take(close - cursor_.pos);
    cursor_.Skip(kFrameClose.size());
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    in_.AddDeviceCommand(start, "framed", DisplayText(text), DescribeFramedCommand(text));
    if (text == kLanguageSwitch) {
      if (mode_ == Mode::kRtl) LeaveRtl(in_, 0);
      mode_ = Mode::kGl;
    }
  }

  void ReadPjl() {
    int c = cursor_.Peek();
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == 0x0C) {
      cursor_.Next();
      return;
    }
    if (!cursor_.StartsWith("@PJL")) {
      // Whatever is not PJL goes to the printer's language.
      mode_ = Mode::kGl;
      return;
    }
    size_t start = cursor_.pos;
    while (!cursor_.AtEnd() && cursor_.Peek() != '\n' && cursor_.Peek() != kEsc) cursor_.Next();
    std::span<const uint8_t> line = cursor_.bytes.subspan(start, cursor_.pos - start);
    if (cursor_.Peek() == '\n') cursor_.Next();
    PjlLine parsed = ParsePjlLine(
        std::string_view(reinterpret_cast<const char*>(line.data()), line.size()), start);
    if (parsed.command == "ENTER" && parsed.key == "LANGUAGE") {
      if (!IsKxGlLanguage(parsed.value)) {
        in_.Report(start, "PJL enters the language " + parsed.value + "; it is read as KX-GL/2");
      }
      mode_ = Mode::kGl;
    }
    in_.AddPjlLine(std::move(parsed));
  }

  void ReadFeatureBlock() {
    size_t start = cursor_.pos;
    size_t close = Find(kFeatureClose, kMaxFeatureBlock);
    if (close == std::string_view::npos) {
      in_.Report(start, "a feature block without its end");
      cursor_.Skip(kFeatureOpen.size());
      return;
    }
    std::span<const uint8_t> bytes = cursor_.Take(close + kFeatureClose.size() - cursor_.pos);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string_view selection = text.substr(0, text.find('\n', 3));
    in_.AddDeviceCommand(start, "feature", DisplayText(text),
                         "feature block " + DisplayText(selection));
  }

  // The printer description's texts that the job set-up copies in after the
  // language switch may be PJL lines. One ends at its line end or an escape;
  // one that runs straight into the next device command ("MS-1,") ends before
  // it, and is reported, as the printer may read it otherwise.
  void ReadEmbeddedPjl() {
    size_t start = cursor_.pos;
    bool runsOn = false;
    while (!cursor_.AtEnd() && cursor_.Peek() != '\n' && cursor_.Peek() != '\r' &&
           cursor_.Peek() != kEsc) {
      if (cursor_.StartsWith("MS-1,")) {
        runsOn = true;
        break;
      }
      cursor_.Next();
    }
    std::span<const uint8_t> line = cursor_.bytes.subspan(start, cursor_.pos - start);
    in_.AddPjlLine(ParsePjlLine(
        std::string_view(reinterpret_cast<const char*>(line.data()), line.size()), start));
    if (runsOn) {
      in_.Report(start,
                 "a PJL line inside KX-GL/2 without its line end, taken to end before "
                 "the MS command that follows");
    }
  }

  void ReadGl() {
    SkipSeparators(cursor_);
    if (cursor_.AtEnd() || cursor_.Peek() == kEsc) return;
    if (cursor_.StartsWith(kFeatureOpen)) {
      ReadFeatureBlock();
      return;
    }
    if (cursor_.StartsWith("@PJL")) {
      ReadEmbeddedPjl();
      return;
    }
    if (std::optional<Mnemonic> m = ReadMnemonic(cursor_)) {
      ExecuteGlCommand(in_, cursor_, *m);
      return;
    }
    SkipStrayBytes("bytes outside any KX-GL/2 command");
  }

  void ReadRtlText() { SkipStrayBytes("bytes outside any escape sequence in the raster language"); }

  // One report for a run of bytes that belong to nothing.
  void SkipStrayBytes(const char* what) {
    size_t start = cursor_.pos;
    cursor_.Next();
    while (!cursor_.AtEnd()) {
      int c = cursor_.Peek();
      if (c == kEsc || c == ';' || c == ' ' || c == '\n' || c == '\r') break;
      if (mode_ != Mode::kRtl && IsLetter(c)) break;
      cursor_.Next();
    }
    in_.Report(start, std::string(what) + ": \"" +
                          DisplayText(cursor_.bytes.subspan(
                              start, std::min<size_t>(cursor_.pos - start, 16))) +
                          "\"");
  }
};

}  // namespace

JobInfo InterpretStream(std::span<const uint8_t> bytes, const InterpretOptions& options,
                        const PageSink& sink) {
  JobInfo info;
  info.bytes = bytes.size();
  Interpreter in(info, options, sink);
  StreamReader reader(in, bytes);
  reader.Run();
  return info;
}

}  // namespace preview
