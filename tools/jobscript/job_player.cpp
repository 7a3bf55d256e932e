// The player: each call of a job becomes the device-context call of the engine
// that an application's drawing would make; the engine decides which driver
// entry or fallback runs.
#include "tools/jobscript/job_player.h"

#include <cstring>
#include <memory>

#include "platform/base/error.h"
#include "platform/base/system.h"
#include "platform/base/text.h"
#include "platform/engine/device_context.h"
#include "platform/engine/engine_objects.h"
#include "platform/spooler/spooler.h"
#include "tools/jobscript/record_assignment.h"

namespace jobscript {

namespace {

using platform::engine::Bitmap;
using platform::engine::Brush;
using platform::engine::Clip;
using platform::engine::DeviceContext;
using platform::engine::LineAttributes;
using platform::engine::Path;
using platform::engine::Transform;
using platform::engine::Translation;

Path MakePath(const std::vector<PathStep>& steps) {
  Path path;
  for (const PathStep& s : steps) {
    switch (s.kind) {
      case PathStep::kMove:
        path.MoveTo(s.p[0], s.p[1]);
        break;
      case PathStep::kLine:
        path.LineTo(s.p[0], s.p[1]);
        break;
      case PathStep::kBezier:
        path.BezierTo(s.p[0], s.p[1], s.p[2], s.p[3], s.p[4], s.p[5]);
        break;
      case PathStep::kClose:
        path.Close();
        break;
    }
  }
  return path;
}

Clip MakeClip(const ClipParams& c) {
  if (c.none) return Clip::None();
  if (c.rects.size() == 1) return Clip::Rectangle(c.rects[0]);
  return Clip::Region(c.rects);
}

Transform MakeTransform(const double (&m)[6]) {
  return Transform::Matrix(static_cast<FLOATL>(m[0]), static_cast<FLOATL>(m[1]),
                           static_cast<FLOATL>(m[2]), static_cast<FLOATL>(m[3]),
                           static_cast<FLOATL>(m[4]), static_cast<FLOATL>(m[5]));
}

LineAttributes MakeLine(const LineParams& l) {
  LineAttributes a = l.geometric
                         ? LineAttributes::Geometric(static_cast<FLOATL>(l.width), l.join, l.cap,
                                                     static_cast<FLOATL>(l.miterLimit))
                         : LineAttributes::Cosmetic(static_cast<LONG>(l.width));
  if (!l.style.empty()) {
    std::vector<FLOAT_LONG> style;
    for (double v : l.style) {
      FLOAT_LONG e{};
      if (l.geometric) {
        e.e = static_cast<FLOATL>(v);
      } else {
        e.l = static_cast<LONG>(v);
      }
      style.push_back(e);
    }
    a.Styled(std::move(style));
  }
  if (l.alternate) a.Alternate();
  if (l.startGap) a.StartGap();
  if (l.geometric) {
    a.Get()->elStyleState.e = static_cast<FLOATL>(l.styleState);
  } else {
    a.Get()->elStyleState.l = static_cast<LONG>(l.styleState);
  }
  return a;
}

// A bitmap keeps its rows as the job gave them (padded to 4 bytes), copied row
// by row into the engine bitmap's own stride. Not valid when the engine refused
// it.
Bitmap MakeBitmap(ULONG format, LONG width, LONG height, const std::vector<unsigned char>& bits) {
  Bitmap bitmap = Bitmap::Create({width, height}, format);
  if (!bitmap.valid()) return bitmap;
  SURFOBJ* so = bitmap.Get();
  std::size_t depth = format == BMF_1BPP ? 1 : format == BMF_4BPP ? 4 : format == BMF_8BPP ? 8 : 24;
  std::size_t row = (static_cast<std::size_t>(width) * depth + 31) / 32 * 4;
  std::size_t stride = static_cast<std::size_t>(so->lDelta < 0 ? -so->lDelta : so->lDelta);
  std::size_t copy = row < stride ? row : stride;
  for (LONG y = 0; y < height; ++y) {
    auto* target = static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta;
    std::memcpy(target, bits.data() + static_cast<std::size_t>(y) * row, copy);
  }
  return bitmap;
}

// An indexed bitmap's colours as the device's indices, one for each index the
// format can hold (indices beyond the palette take its last colour); a 24bpp
// bitmap's colours go unchanged.
Translation MakeTranslation(const DeviceContext& dc, ULONG format,
                            const std::vector<COLORREF>& palette) {
  if (format == BMF_24BPP) return Translation::Identity();
  std::vector<ULONG> table;
  for (COLORREF c : palette) table.push_back(dc.ColorIndex(c));
  std::size_t colours = format == BMF_1BPP ? 2 : format == BMF_4BPP ? 16 : 256;
  table.resize(colours, table.empty() ? 0 : table.back());
  return Translation::Table(std::move(table));
}

Brush MakePattern(const DeviceContext& dc, const BrushParams& b, bool* ok) {
  Bitmap bitmap = MakeBitmap(b.format, b.width, b.height, b.bits);
  *ok = bitmap.valid();
  if (!*ok) return Brush();
  return Brush::Pattern(bitmap, MakeTranslation(dc, b.format, b.palette));
}

Brush MakeBrush(const DeviceContext& dc, const BrushParams& b, bool* ok) {
  *ok = true;
  switch (b.kind) {
    case BrushParams::kHatch:
      return Brush::Hatch(b.hatch, dc.ColorIndex(b.color), dc.ColorIndex(b.background));
    case BrushParams::kPattern:
      return MakePattern(dc, b, ok);
    case BrushParams::kSolid:
      break;
  }
  return dc.SolidBrush(b.color);
}

const char* KindName(CallKind kind) {
  switch (kind) {
    case CallKind::kStartDocument:
      return "start-document";
    case CallKind::kStartPage:
      return "start-page";
    case CallKind::kEndPage:
      return "end-page";
    case CallKind::kEndDocument:
      return "end-document";
    case CallKind::kReset:
      return "reset";
    case CallKind::kEscape:
      return "escape";
    case CallKind::kPassThrough:
      return "passthrough";
    case CallKind::kStroke:
      return "stroke";
    case CallKind::kFill:
      return "fill";
    case CallKind::kStrokeAndFill:
      return "strokefill";
    case CallKind::kPaint:
      return "paint";
    case CallKind::kImage:
      return "image";
  }
  return "call";
}

std::string Hex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// One job's run: the device context, the record resets change, and the result.
struct Run {
  const PlayOptions& options;
  const Job& job;
  std::unique_ptr<DeviceContext> dc;
  std::vector<unsigned char> settings;
  PlayResult result;
  int page = 0;

  void Note(const Origin& origin, const std::string& text) const {
    if (options.note) options.note(origin, text);
  }

  // The port's own words when the port failed, else the call's error code.
  bool Stop(const JobCall& call, const std::string& what) {
    DWORD error = GetLastError();
    std::string port = dc ? platform::PortErrorText(dc->Printer()) : std::string();
    result.failedAt = call.origin;
    result.error = port.empty() ? what + " failed (error " + std::to_string(error) + ")"
                                : "the job did not reach the printer: " + port;
    return false;
  }

  // An image at its own size goes as the application's transfer with the
  // state's brush for the operations that read it (BitBlt); to a target of
  // another size it is stretched (StretchBlt, copies only).
  bool Image(const JobCall& call, const Clip& clip) {
    const ImageParams& m = call.image;
    Bitmap bitmap = MakeBitmap(m.format, m.width, m.height, m.bits);
    if (!bitmap.valid()) return false;
    Translation translation = MakeTranslation(*dc, m.format, m.palette);
    const bool stretched = m.target.right - m.target.left != m.source.right - m.source.left ||
                           m.target.bottom - m.target.top != m.source.bottom - m.source.top;
    if (stretched) {
      return dc->StretchBlt(bitmap, clip, &translation, m.target, m.source, m.stretchMode);
    }
    const POINTL from{m.source.left, m.source.top};
    bool brushOk = true;
    Brush brush = MakeBrush(*dc, call.fill, &brushOk);
    return brushOk && dc->BitBlt(&bitmap, nullptr, clip, &translation, m.target, from, {0, 0},
                                 &brush, call.brushOrigin, m.rop);
  }

  bool Draw(const JobCall& call) {
    Clip clip = MakeClip(call.clip);
    bool strokeOk = true, fillOk = true;
    bool done = false;
    switch (call.kind) {
      case CallKind::kStroke: {
        Brush pen = MakeBrush(*dc, call.stroke, &strokeOk);
        done = strokeOk &&
               dc->StrokePath(MakePath(call.path), clip, MakeTransform(call.line.transform), pen,
                              MakeLine(call.line), call.mix, call.brushOrigin);
        break;
      }
      case CallKind::kFill: {
        Brush brush = MakeBrush(*dc, call.fill, &fillOk);
        done = fillOk && dc->FillPath(MakePath(call.path), clip, brush, call.mix, call.fillMode,
                                      call.brushOrigin);
        break;
      }
      case CallKind::kStrokeAndFill: {
        Brush pen = MakeBrush(*dc, call.stroke, &strokeOk);
        Brush brush = MakeBrush(*dc, call.fill, &fillOk);
        done = strokeOk && fillOk &&
               dc->StrokeAndFillPath(MakePath(call.path), clip, MakeTransform(call.line.transform),
                                     pen, MakeLine(call.line), brush, call.mix, call.fillMode,
                                     call.brushOrigin);
        break;
      }
      case CallKind::kPaint: {
        Brush brush = MakeBrush(*dc, call.fill, &fillOk);
        done = fillOk && dc->Paint(clip, brush, call.mix, call.brushOrigin);
        break;
      }
      case CallKind::kImage:
        done = Image(call, clip);
        break;
      default:
        break;
    }
    if (!done) {
      // A refused drawing call leaves the page without it; the job goes on.
      ++result.refused;
      Note(call.origin, std::string("the driver refused ") + KindName(call.kind) + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    return true;
  }

  bool Escape(const JobCall& call) {
    std::vector<unsigned char> out(call.outputSize, 0);
    int r = dc->Escape(call.escape, static_cast<ULONG>(call.data.size()),
                       call.data.empty() ? nullptr : call.data.data(), call.outputSize,
                       out.empty() ? nullptr : out.data());
    std::string text = "escape " + std::to_string(call.escape) + " returned " + std::to_string(r);
    if (!out.empty()) text += ", output " + Hex(out);
    Note(call.origin, text);
    return true;
  }

  // The pass-through escape's data: a 16-bit little-endian count, then the bytes.
  bool PassThrough(const JobCall& call) {
    std::vector<unsigned char> block(call.data.size() + 2);
    block[0] = static_cast<unsigned char>(call.data.size() & 0xFF);
    block[1] = static_cast<unsigned char>(call.data.size() >> 8);
    std::copy(call.data.begin(), call.data.end(), block.begin() + 2);
    int r = dc->Escape(PASSTHROUGH, static_cast<ULONG>(block.size()), block.data(), 0, nullptr);
    if (r < 0) return Stop(call, "passthrough");
    if (r == 0) {
      ++result.refused;
      Note(call.origin, "the printer takes no pass-through data; the block was left out");
    }
    return true;
  }

  bool Reset(const JobCall& call) {
    for (const Assignment& a : call.settings) {
      std::string why;
      if (!AssignRecordMember(settings.data(), a.text, &why)) {
        result.failedAt = a.origin;
        result.error = why;
        return false;
      }
    }
    if (!dc->Reset(reinterpret_cast<const DEVMODEW*>(settings.data()))) return Stop(call, "reset");
    return true;
  }

  bool Play(const JobCall& call) {
    switch (call.kind) {
      case CallKind::kStartDocument: {
        std::u16string name = platform::Utf8ToWide(job.documentName);
        std::u16string file = platform::Utf8ToWide(options.outputFile);
        if (!dc->StartDocument(name, file.empty() ? nullptr : file.c_str())) {
          return Stop(call, "start-document");
        }
        return true;
      }
      case CallKind::kStartPage:
        ++page;
        if (options.progress) options.progress(page, job.pages);
        return dc->StartPage() || Stop(call, "start-page");
      case CallKind::kEndPage:
        return dc->EndPage() || Stop(call, "end-page");
      case CallKind::kEndDocument:
        return dc->EndDocument() || Stop(call, "end-document");
      case CallKind::kReset:
        return Reset(call);
      case CallKind::kEscape:
        return Escape(call);
      case CallKind::kPassThrough:
        return PassThrough(call);
      default:
        return Draw(call);
    }
  }
};

}  // namespace

PlayResult PlayJob(const Job& job, const PlayOptions& options) {
  Run run{options, job, nullptr, options.settings, {}, 0};
  if (!job.owner.empty()) {
    std::u16string owner = platform::Utf8ToWide(job.owner);
    platform::test::SetUserName(owner.c_str());
  }
  const auto* record = options.changed && !run.settings.empty()
                           ? reinterpret_cast<const DEVMODEW*>(run.settings.data())
                           : nullptr;
  run.dc = DeviceContext::Open(options.printer, record);
  if (run.dc == nullptr) {
    run.result.error = "the driver cannot open a device context on " +
                       platform::WideToUtf8(options.printer) + " (error " +
                       std::to_string(GetLastError()) + ")";
    return run.result;
  }
  for (const JobCall& call : job.calls) {
    if (call.kind == CallKind::kReset && run.settings.empty()) {
      run.result.failedAt = call.origin;
      run.result.error = "reset needs the printer's settings record";
      run.dc->AbortDocument();
      return run.result;
    }
    if (!run.Play(call)) {
      // Nothing more of a failed job goes to the port: the spooler drops it.
      run.dc->AbortDocument();
      return run.result;
    }
  }
  std::string port = platform::PortErrorText(run.dc->Printer());
  run.dc->Close();
  if (!port.empty()) {
    run.result.error = "the job did not reach the printer: " + port;
    return run.result;
  }
  run.result.reached = true;
  return run.result;
}

}  // namespace jobscript
