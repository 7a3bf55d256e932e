// The device context's drawing calls: each runs now or is recorded for the bands
// of the page, and goes through one route that calls the driver's entry when the
// surface hooks it (with the engine's fallbacks when the driver refuses) and the
// engine's renderer otherwise.
#include "platform/base/error.h"
#include "platform/engine/device_context_impl.h"

namespace platform::engine {
namespace {

RECTL SurfaceBounds(const SURFOBJ* so) { return {0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}; }

Clip Place(const Clip& clip, const Placement& at) {
  return clip.Offset(-at.origin.x, -at.origin.y).Intersect(at.band);
}

POINTL Shift(POINTL p, const Placement& at) { return {p.x - at.origin.x, p.y - at.origin.y}; }

RECTL Shift(const RECTL& r, const Placement& at) {
  return {r.left - at.origin.x, r.top - at.origin.y, r.right - at.origin.x, r.bottom - at.origin.y};
}

Path Place(const Path& path, const Placement& at) {
  return path.Offset(-at.origin.x * 16, -at.origin.y * 16);
}

// The engine draws only into surfaces with bits.
bool CanRender(const SURFOBJ* so) {
  if (HasBits(so)) return true;
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

}  // namespace

bool DeviceContext::Impl::Recording() const { return pdev.so != nullptr && State().banding; }

bool DeviceContext::Impl::Submit(std::function<bool(const Placement&)> call) {
  if (!Usable()) return false;
  if (Recording()) {
    journal.push_back(std::move(call));
    return true;
  }
  return call(Placement{{0, 0}, SurfaceBounds(pdev.so), false});
}

void DeviceContext::Impl::Bind(const Brush& brush) const {
  brush.BindRealizer(driver->Entry<PFN_DrvRealizeBrush>(INDEX_DrvRealizeBrush), pdev.so);
}

// ---------------------------------------------------------------------------
// Routes.

bool DeviceContext::Impl::RouteStrokePath(PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                          const Brush& brush, POINTL* org, LINEATTRS* la, MIX mix) {
  Bind(brush);
  auto hook = driver->Entry<PFN_DrvStrokePath>(INDEX_DrvStrokePath);
  if ((State().hooks & HOOK_STROKEPATH) && hook != nullptr) {
    if (hook(pdev.so, ppo, pco, pxo, brush.Get(), org, la, mix)) return true;
    if (pco == nullptr || pco->iDComplexity != DC_COMPLEX) return false;
    // Refused under a complex clip: once per clip rectangle.
    bool ok = true;
    for (const RECTL& r : ClipRectangles(pco, SurfaceBounds(pdev.so))) {
      Clip one = Clip::Rectangle(r);
      ok = hook(pdev.so, ppo, one.Get(), pxo, brush.Get(), org, la, mix) && ok;
    }
    return ok;
  }
  return CanRender(pdev.so) && EngStrokePath(pdev.so, ppo, pco, pxo, brush.Get(), org, la, mix);
}

bool DeviceContext::Impl::RouteFillPath(PATHOBJ* ppo, CLIPOBJ* pco, const Brush& brush, POINTL* org,
                                        MIX mix, FLONG options) {
  Bind(brush);
  auto hook = driver->Entry<PFN_DrvFillPath>(INDEX_DrvFillPath);
  if ((State().hooks & HOOK_FILLPATH) && hook != nullptr) {
    if (hook(pdev.so, ppo, pco, brush.Get(), org, mix, options)) return true;
    // Refused (too many points, a complex clip): the path's region is painted.
    std::vector<RECTL> region;
    if (!PathRegion(ppo, options, pco, SurfaceBounds(pdev.so), &region)) return false;
    if (region.empty()) return true;
    Clip area = Clip::Region(std::move(region));
    return RoutePaint(area.Get(), brush, org, mix);
  }
  return CanRender(pdev.so) && EngFillPath(pdev.so, ppo, pco, brush.Get(), org, mix, options);
}

bool DeviceContext::Impl::RouteStrokeAndFillPath(PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                                 const Brush& stroke, LINEATTRS* la,
                                                 const Brush& fill, POINTL* org, MIX mix,
                                                 FLONG options) {
  Bind(stroke);
  Bind(fill);
  auto hook = driver->Entry<PFN_DrvStrokeAndFillPath>(INDEX_DrvStrokeAndFillPath);
  if ((State().hooks & HOOK_STROKEANDFILLPATH) && hook != nullptr) {
    if (hook(pdev.so, ppo, pco, pxo, stroke.Get(), la, fill.Get(), org, mix, options)) return true;
    // Refused: the fill and the stroke one after the other, each with its own route.
    bool filled = RouteFillPath(ppo, pco, fill, org, mix, options);
    return RouteStrokePath(ppo, pco, pxo, stroke, org, la, mix) && filled;
  }
  return CanRender(pdev.so) && EngStrokeAndFillPath(pdev.so, ppo, pco, pxo, stroke.Get(), la,
                                                    fill.Get(), org, mix, options);
}

bool DeviceContext::Impl::RoutePaint(CLIPOBJ* pco, const Brush& brush, POINTL* org, MIX mix) {
  Bind(brush);
  auto hook = driver->Entry<PFN_DrvPaint>(INDEX_DrvPaint);
  if ((State().hooks & HOOK_PAINT) && hook != nullptr) {
    return hook(pdev.so, pco, brush.Get(), org, mix);
  }
  return CanRender(pdev.so) && EngPaint(pdev.so, pco, brush.Get(), org, mix);
}

bool DeviceContext::Impl::RouteBitBlt(SURFOBJ* src, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* xlate,
                                      RECTL* target, POINTL* srcPoint, POINTL* maskPoint,
                                      const Brush* brush, POINTL* org, ROP4 rop4) {
  if (brush != nullptr) Bind(*brush);
  BRUSHOBJ* pbo = brush ? brush->Get() : nullptr;
  auto hook = driver->Entry<PFN_DrvBitBlt>(INDEX_DrvBitBlt);
  if ((State().hooks & HOOK_BITBLT) && hook != nullptr) {
    return hook(pdev.so, src, mask, pco, xlate, target, srcPoint, maskPoint, pbo, org, rop4);
  }
  return CanRender(pdev.so) &&
         EngBitBlt(pdev.so, src, mask, pco, xlate, target, srcPoint, maskPoint, pbo, org, rop4);
}

bool DeviceContext::Impl::RouteStretchBlt(SURFOBJ* src, CLIPOBJ* pco, XLATEOBJ* xlate,
                                          POINTL* htOrg, RECTL* target, RECTL* srcRect,
                                          ULONG mode) {
  auto hook = driver->Entry<PFN_DrvStretchBlt>(INDEX_DrvStretchBlt);
  if ((State().hooks & HOOK_STRETCHBLT) && hook != nullptr) {
    return hook(pdev.so, src, nullptr, pco, xlate, nullptr, htOrg, target, srcRect, nullptr, mode);
  }
  return CanRender(pdev.so) && EngStretchBlt(pdev.so, src, nullptr, pco, xlate, nullptr, htOrg,
                                             target, srcRect, nullptr, mode);
}

bool DeviceContext::Impl::RouteCopyBits(SURFOBJ* src, CLIPOBJ* pco, XLATEOBJ* xlate, RECTL* target,
                                        POINTL* srcPoint) {
  auto hook = driver->Entry<PFN_DrvCopyBits>(INDEX_DrvCopyBits);
  if ((State().hooks & HOOK_COPYBITS) && hook != nullptr) {
    return hook(pdev.so, src, pco, xlate, target, srcPoint);
  }
  return CanRender(pdev.so) && EngCopyBits(pdev.so, src, pco, xlate, target, srcPoint);
}

bool DeviceContext::Impl::RouteTextOut(STROBJ* str, FONTOBJ* font, CLIPOBJ* pco, RECTL* extra,
                                       RECTL* opaque, const Brush& fore, const Brush* opaqueBrush,
                                       POINTL* org, MIX mix) {
  Bind(fore);
  if (opaqueBrush != nullptr) Bind(*opaqueBrush);
  BRUSHOBJ* pboOpaque = opaqueBrush ? opaqueBrush->Get() : nullptr;
  auto hook = driver->Entry<PFN_DrvTextOut>(INDEX_DrvTextOut);
  if ((State().hooks & HOOK_TEXTOUT) && hook != nullptr) {
    return hook(pdev.so, str, font, pco, extra, opaque, fore.Get(), pboOpaque, org, mix);
  }
  return CanRender(pdev.so) &&
         EngTextOut(pdev.so, str, font, pco, extra, opaque, fore.Get(), pboOpaque, org, mix);
}

// ---------------------------------------------------------------------------
// The calls. Each closure owns copies of its objects, so that a recorded call
// can be drawn once per band.

bool DeviceContext::StrokePath(const Path& path, const Clip& clip, const Transform& transform,
                               const Brush& brush, const LineAttributes& line, MIX mix,
                               POINTL brushOrigin) {
  Impl& d = *impl_;
  if (!d.Recording()) {
    // Drawn now: the caller's objects are lent as they are (a path may be large).
    POINTL org = brushOrigin;
    return d.Usable() &&
           d.RouteStrokePath(path.Get(), clip.Get(), transform.Get(), brush, &org, line.Get(), mix);
  }
  return d.Submit([&d, path, clip, transform, brush, line, mix, brushOrigin](const Placement& at) {
    Clip c = Place(clip, at);
    if (c.empty()) return true;
    Path p = Place(path, at);
    POINTL org = Shift(brushOrigin, at);
    return d.RouteStrokePath(p.Get(), c.Get(), transform.Get(), brush, &org, line.Get(), mix);
  });
}

bool DeviceContext::FillPath(const Path& path, const Clip& clip, const Brush& brush, MIX mix,
                             FLONG fillOptions, POINTL brushOrigin) {
  Impl& d = *impl_;
  if (!d.Recording()) {
    POINTL org = brushOrigin;
    return d.Usable() && d.RouteFillPath(path.Get(), clip.Get(), brush, &org, mix, fillOptions);
  }
  return d.Submit([&d, path, clip, brush, mix, fillOptions, brushOrigin](const Placement& at) {
    Clip c = Place(clip, at);
    if (c.empty()) return true;
    Path p = Place(path, at);
    POINTL org = Shift(brushOrigin, at);
    return d.RouteFillPath(p.Get(), c.Get(), brush, &org, mix, fillOptions);
  });
}

bool DeviceContext::StrokeAndFillPath(const Path& path, const Clip& clip,
                                      const Transform& transform, const Brush& stroke,
                                      const LineAttributes& line, const Brush& fill, MIX mix,
                                      FLONG fillOptions, POINTL brushOrigin) {
  Impl& d = *impl_;
  if (!d.Recording()) {
    POINTL org = brushOrigin;
    return d.Usable() && d.RouteStrokeAndFillPath(path.Get(), clip.Get(), transform.Get(), stroke,
                                                  line.Get(), fill, &org, mix, fillOptions);
  }
  return d.Submit([&d, path, clip, transform, stroke, line, fill, mix, fillOptions,
                   brushOrigin](const Placement& at) {
    Clip c = Place(clip, at);
    if (c.empty()) return true;
    Path p = Place(path, at);
    POINTL org = Shift(brushOrigin, at);
    return d.RouteStrokeAndFillPath(p.Get(), c.Get(), transform.Get(), stroke, line.Get(), fill,
                                    &org, mix, fillOptions);
  });
}

bool DeviceContext::Paint(const Clip& clip, const Brush& brush, MIX mix, POINTL brushOrigin) {
  Impl& d = *impl_;
  return d.Submit([&d, clip, brush, mix, brushOrigin](const Placement& at) {
    Clip c = at.banded ? Place(clip, at) : clip;
    if (c.empty()) return true;
    POINTL org = Shift(brushOrigin, at);
    return d.RoutePaint(c.Get(), brush, &org, mix);
  });
}

bool DeviceContext::BitBlt(const Bitmap* source, const Bitmap* mask, const Clip& clip,
                           const Translation* translation, RECTL target, POINTL sourcePoint,
                           POINTL maskPoint, const Brush* brush, POINTL brushOrigin, ROP4 rop4) {
  Impl& d = *impl_;
  Bitmap src = source ? *source : Bitmap();
  Bitmap msk = mask ? *mask : Bitmap();
  bool hasXlate = translation != nullptr;
  Translation xlate = hasXlate ? *translation : Translation();
  bool hasBrush = brush != nullptr;
  Brush pattern = hasBrush ? *brush : Brush();
  return d.Submit([&d, src, msk, clip, hasXlate, xlate, target, sourcePoint, maskPoint, hasBrush,
                   pattern, brushOrigin, rop4](const Placement& at) {
    Clip c = at.banded ? Place(clip, at) : clip;
    if (c.empty()) return true;
    RECTL t = Shift(target, at);
    POINTL sp = sourcePoint;
    POINTL mp = maskPoint;
    POINTL org = Shift(brushOrigin, at);
    return d.RouteBitBlt(src.Get(), msk.Get(), c.Get(), hasXlate ? xlate.Get() : nullptr, &t,
                         src.valid() ? &sp : nullptr, msk.valid() ? &mp : nullptr,
                         hasBrush ? &pattern : nullptr, &org, rop4);
  });
}

bool DeviceContext::StretchBlt(const Bitmap& source, const Clip& clip,
                               const Translation* translation, RECTL target, RECTL sourceRect,
                               ULONG mode, POINTL halftoneOrigin) {
  Impl& d = *impl_;
  bool hasXlate = translation != nullptr;
  Translation xlate = hasXlate ? *translation : Translation();
  return d.Submit([&d, source, clip, hasXlate, xlate, target, sourceRect, mode,
                   halftoneOrigin](const Placement& at) {
    Clip c = at.banded ? Place(clip, at) : clip;
    if (c.empty()) return true;
    RECTL t = Shift(target, at);
    RECTL s = sourceRect;
    POINTL ht = Shift(halftoneOrigin, at);
    return d.RouteStretchBlt(source.Get(), c.Get(), hasXlate ? xlate.Get() : nullptr, &ht, &t, &s,
                             mode);
  });
}

bool DeviceContext::CopyBits(const Bitmap& source, const Clip& clip, const Translation* translation,
                             RECTL target, POINTL sourcePoint) {
  Impl& d = *impl_;
  bool hasXlate = translation != nullptr;
  Translation xlate = hasXlate ? *translation : Translation();
  return d.Submit([&d, source, clip, hasXlate, xlate, target, sourcePoint](const Placement& at) {
    Clip c = at.banded ? Place(clip, at) : clip;
    if (c.empty()) return true;
    RECTL t = Shift(target, at);
    POINTL sp = sourcePoint;
    return d.RouteCopyBits(source.Get(), c.Get(), hasXlate ? xlate.Get() : nullptr, &t, &sp);
  });
}

bool DeviceContext::TextOut(const TextString& text, const Font& font, const Clip& clip,
                            const std::vector<RECTL>& extra, const RECTL* opaque, const Brush& fore,
                            const Brush* opaqueBrush, MIX mix, POINTL brushOrigin) {
  Impl& d = *impl_;
  bool hasOpaque = opaque != nullptr;
  RECTL opaqueRect = hasOpaque ? *opaque : RECTL{0, 0, 0, 0};
  bool hasOpaqueBrush = opaqueBrush != nullptr;
  Brush back = hasOpaqueBrush ? *opaqueBrush : Brush();
  return d.Submit([&d, text, font, clip, extra, hasOpaque, opaqueRect, fore, hasOpaqueBrush, back,
                   mix, brushOrigin](const Placement& at) {
    Clip c = at.banded ? Place(clip, at) : clip;
    if (c.empty()) return true;
    TextString s = at.banded ? text.Offset(-at.origin.x, -at.origin.y) : text;
    std::vector<RECTL> rects;
    for (const RECTL& r : extra) rects.push_back(Shift(r, at));
    if (!rects.empty()) rects.push_back({0, 0, 0, 0});  // the list's end
    RECTL o = Shift(opaqueRect, at);
    POINTL org = Shift(brushOrigin, at);
    return d.RouteTextOut(s.Get(), font.Get(), c.Get(), rects.empty() ? nullptr : rects.data(),
                          hasOpaque ? &o : nullptr, fore, hasOpaqueBrush ? &back : nullptr, &org,
                          mix);
  });
}

}  // namespace platform::engine
