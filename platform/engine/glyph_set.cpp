// The engine's glyph sets: a run of consecutive characters whose glyph handles are
// the character codes themselves, as drivers hand them out for device fonts.
#include <atomic>
#include <cstring>

#include "platform/base/error.h"
#include "platform/engine/engine_internal.h"

namespace platform::engine {
namespace {
std::atomic<bool> failGlyphSet{false};
}  // namespace

namespace test {
void FailGlyphSet(bool fail) { failGlyphSet = fail; }
}  // namespace test

}  // namespace platform::engine

QXAPI FD_GLYPHSET* EngComputeGlyphSet(INT, INT nFirstChar, INT cChars) {
  if (cChars <= 0 || cChars > 0xFFFF || nFirstChar < 0 || nFirstChar + cChars > 0x10000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (platform::engine::failGlyphSet) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // One block: the header with its single run, then the run's handles.
  std::size_t handles = sizeof(FD_GLYPHSET);
  std::size_t size = handles + sizeof(HGLYPH) * static_cast<std::size_t>(cChars);
  auto* set = static_cast<FD_GLYPHSET*>(EngAllocMem(FL_ZERO_MEMORY, static_cast<ULONG>(size), 0));
  if (set == nullptr) return nullptr;
  auto* phg = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + handles);
  for (INT i = 0; i < cChars; ++i) phg[i] = static_cast<HGLYPH>(nFirstChar + i);
  set->cjThis = static_cast<ULONG>(size);
  set->flAccel = nFirstChar + cChars <= 256 ? GS_8BIT_HANDLES : GS_16BIT_HANDLES;
  set->cGlyphsSupported = static_cast<ULONG>(cChars);
  set->cRuns = 1;
  set->awcrun[0].wcLow = static_cast<WCHAR>(nFirstChar);
  set->awcrun[0].cGlyphs = static_cast<USHORT>(cChars);
  set->awcrun[0].phg = phg;
  return set;
}
