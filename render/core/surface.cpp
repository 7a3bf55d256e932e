// The drawing surface: a device-managed surface for vector output, or a bitmap
// of the page (or of one band of it) for raster output; and the banding loop.
#include <cstring>

#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/raster/raster_output.h"

namespace render {

namespace {

constexpr FLONG kVectorHooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_PAINT |
                               HOOK_STROKEPATH | HOOK_FILLPATH | HOOK_STROKEANDFILLPATH |
                               HOOK_COPYBITS;
constexpr FLONG kRasterHooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT;
static_assert(kVectorHooks == 0x4FB && kRasterHooks == 0x0B);

// Band sizes in kilobytes, tried in order.
constexpr ULONG kLargeBands[] = {10000, 5000, 1000, 500, 100};
constexpr ULONG kSmallBands[] = {1000, 500, 100};

bool SystemIs(DWORD major, DWORD minimumMinor) {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  return GetVersionExW(&v) && v.dwMajorVersion == major && v.dwMinorVersion >= minimumMinor;
}

HSURF RasterSurface(DeviceContext& dc, SIZEL page) {
  ULONG format = dc.fullColour ? BMF_24BPP : BMF_1BPP;
  if (dc.fullColour && !SystemIs(5, 1)) {
    HBITMAP whole = EngCreateBitmap(page, 0, format, BMF_TOPDOWN, nullptr);
    if (whole) {
      dc.bandHeight = page.cy;
      return reinterpret_cast<HSURF>(whole);
    }
  }
  long long bytesPerRow = dc.fullColour ? 3LL * page.cx : (page.cx + 7LL) / 8;
  bool large = dc.fullColour && SystemIs(5, 1);
  const ULONG* sizes = large ? kLargeBands : kSmallBands;
  std::size_t count = large ? std::size(kLargeBands) : std::size(kSmallBands);
  for (std::size_t i = 0; i < count; ++i) {
    long long rows = static_cast<long long>(sizes[i]) * 1024 / bytesPerRow / 12 * 12 + 12;
    SIZEL band{page.cx, static_cast<LONG>(rows)};
    if (HBITMAP bitmap = EngCreateBitmap(band, 0, format, BMF_TOPDOWN, nullptr)) {
      dc.bandHeight = band.cy;
      dc.banding = true;
      return reinterpret_cast<HSURF>(bitmap);
    }
  }
  return nullptr;
}

// Paints the whole bitmap of the surface white.
void FillWhite(SURFOBJ* so) {
  if (so && so->pvBits && so->cjBits) std::memset(so->pvBits, 0xFF, so->cjBits);
}

}  // namespace

HSURF DrvEnableSurface(DHPDEV dhpdev) {
  DeviceContext* dc = ValidDeviceContext(dhpdev);
  if (dc == nullptr) return nullptr;
  long long width = static_cast<long long>(dc->logical.right - dc->logical.left) * dc->dpi / 1016;
  long long height = static_cast<long long>(dc->logical.bottom - dc->logical.top) * dc->dpi / 1016;
  dc->banding = false;
  // A page of no pixels has no surface (and no rows to band by).
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SIZEL page{static_cast<LONG>(width), static_cast<LONG>(height)};
  HSURF surface = nullptr;
  FLONG hooks = 0;
  if (dc->rasterOutput) {
    surface = RasterSurface(*dc, page);
    hooks = kRasterHooks;
    if (surface && dc->banding) EngMarkBandingSurface(surface);
  } else {
    surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(dc), page, BMF_24BPP);
    hooks = kVectorHooks;
  }
  if (surface == nullptr) return nullptr;
  if (!EngAssociateSurface(surface, dc->engineDevice, hooks)) {
    EngDeleteSurface(surface);
    return nullptr;
  }
  dc->surface = surface;
  return surface;
}

void DrvDisableSurface(DHPDEV dhpdev) {
  DeviceContext* dc = ValidDeviceContext(dhpdev);
  if (dc == nullptr || dc->surface == nullptr) return;
  EngDeleteSurface(dc->surface);
  dc->surface = nullptr;
}

BOOL DrvStartBanding(SURFOBJ* pso, POINTL* origin) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr || origin == nullptr) return FALSE;
  dc->bandOrigin = {0, 0};
  *origin = dc->bandOrigin;
  if (dc->rasterOutput) FillWhite(pso);
  return TRUE;
}

BOOL DrvNextBand(SURFOBJ* pso, POINTL* origin) {
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr || origin == nullptr) return FALSE;
  POINTL next{dc->bandOrigin.x, dc->bandOrigin.y + dc->bandHeight};
  // Only a start beyond the page ends it, so a page of whole bands gets one more.
  if (next.y > dc->pageHeight) next = {-1, -1};
  if (dc->rasterOutput) {
    SendRasterBand(*dc, pso, dc->bandOrigin);
    FillWhite(pso);
  }
  dc->bandOrigin = next;
  *origin = next;
  if (next.x == -1 && next.y == -1) return DrvSendPage(pso);
  return TRUE;
}

}  // namespace render
