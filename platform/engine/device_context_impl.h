// The device context's record, shared by its life-cycle and drawing files.
// Internal to the engine.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/engine/device_context.h"
#include "platform/engine/driver_loader.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {

// Where a drawing call is drawn: on the whole surface, or into a band whose top
// left corner is `origin` on the page (the call is then moved by -origin and
// clipped to `band`, the band surface's own rectangle).
struct Placement {
  POINTL origin{0, 0};
  RECTL band{0, 0, 0, 0};
  bool banded = false;
};

struct DeviceContext::Impl {
  struct Pdev {
    HDEV hdev = nullptr;
    DHPDEV dhpdev = nullptr;
    GDIINFO caps{};
    DEVINFO devInfo{};
    HSURF hsurf = nullptr;
    SURFOBJ* so = nullptr;
    std::vector<BYTE> settings;  // the record handed to DrvEnablePDEV
  };

  std::u16string printerName;  // zero-terminated, handed to the driver
  HANDLE printer = nullptr;
  std::u16string driverPath;
  std::u16string dataFile;
  LoadedDriver* driver = nullptr;
  Pdev pdev;
  bool closed = false;
  bool counted = false;
  bool docStarted = false;
  bool pageOpen = false;
  DWORD jobId = 0;
  std::u16string docName;  // zero-terminated
  // The page's drawing calls on a banding surface, replayed into every band.
  std::vector<std::function<bool(const Placement&)>> journal;

  bool EnablePdev(const DEVMODEW* settings, Pdev* out);
  void DisablePdev(Pdev* p);
  bool EnableSurface(Pdev* p);
  void DisableSurface(Pdev* p);
  SurfaceState State() const;
  bool Usable() const;
  bool StartDocOnDriver();
  bool RunBands();

  // Whether drawing calls are recorded for the bands of the page.
  bool Recording() const;
  // Runs a drawing call now, or records it for the bands of the page.
  bool Submit(std::function<bool(const Placement&)> call);

  // The routes: the driver's hook, its fallbacks, or the engine's renderer.
  bool RouteStrokePath(PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, const Brush& brush, POINTL* org,
                       LINEATTRS* la, MIX mix);
  bool RouteFillPath(PATHOBJ* ppo, CLIPOBJ* pco, const Brush& brush, POINTL* org, MIX mix,
                     FLONG options);
  bool RouteStrokeAndFillPath(PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, const Brush& stroke,
                              LINEATTRS* la, const Brush& fill, POINTL* org, MIX mix,
                              FLONG options);
  bool RoutePaint(CLIPOBJ* pco, const Brush& brush, POINTL* org, MIX mix);
  bool RouteBitBlt(SURFOBJ* src, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* xlate, RECTL* target,
                   POINTL* srcPoint, POINTL* maskPoint, const Brush* brush, POINTL* org, ROP4 rop4);
  bool RouteStretchBlt(SURFOBJ* src, CLIPOBJ* pco, XLATEOBJ* xlate, POINTL* htOrg, RECTL* target,
                       RECTL* srcRect, ULONG mode);
  bool RouteCopyBits(SURFOBJ* src, CLIPOBJ* pco, XLATEOBJ* xlate, RECTL* target, POINTL* srcPoint);
  bool RouteTextOut(STROBJ* str, FONTOBJ* font, CLIPOBJ* pco, RECTL* extra, RECTL* opaque,
                    const Brush& fore, const Brush* opaqueBrush, POINTL* org, MIX mix);
  void Bind(const Brush& brush) const;
};

}  // namespace platform::engine
