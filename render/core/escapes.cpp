// DrvEscape: the application's pass-through data, and the private escapes through
// which the settings UI hands over identities, track IDs and folders and asks for
// the job identifier, the model number and the printer's function bits.
#include <algorithm>
#include <cstring>

#include "render/core/device_context.h"
#include "render/core/driver_entry.h"
#include "render/jobcontrol/job_header.h"

namespace render {

namespace {

constexpr ULONG kPassThrough = 19;

// Escapes answered 0 after the device context was checked.
constexpr ULONG kAnsweredZero[] = {8,    17,   20,   33,   37,         38,         42,        4096,
                                   4097, 4098, 4111, 4115, 2147483645, 2147483646, 2147483647};

// Copies caller data into a text field of `size` bytes: never more than the
// caller gave, never more than size - 1, and always terminated.
void CopyField(char* field, std::size_t size, const void* in, ULONG cjIn) {
  std::memset(field, 0, size);
  if (in == nullptr) return;
  std::size_t n = std::min<std::size_t>(cjIn, size - 1);
  std::memcpy(field, in, n);
}

// The same for a UTF-16 field of `chars` characters: whole characters only.
void CopyWideField(WCHAR* field, std::size_t chars, const void* in, ULONG cjIn) {
  std::memset(field, 0, chars * sizeof(WCHAR));
  if (in == nullptr) return;
  std::size_t n = std::min<std::size_t>(cjIn / sizeof(WCHAR), chars - 1);
  std::memcpy(field, in, n * sizeof(WCHAR));
}

// The same for a UTF-16 text kept as bytes in a `size`-byte field: whole
// characters only, and room for the two-byte terminator.
void CopyWideBytes(char* field, std::size_t size, const void* in, ULONG cjIn) {
  std::memset(field, 0, size);
  if (in == nullptr) return;
  std::size_t chars = std::min<std::size_t>(cjIn / sizeof(WCHAR), size / sizeof(WCHAR) - 1);
  std::memcpy(field, in, chars * sizeof(WCHAR));
}

bool InputFlag(const void* in, ULONG cjIn, ULONG width) {
  if (in == nullptr || cjIn < width) return false;
  const auto* b = static_cast<const unsigned char*>(in);
  for (ULONG i = 0; i < width; ++i) {
    if (b[i] != 0) return true;
  }
  return false;
}

void SetOption(DeviceContext& dc, WORD bit, bool on) {
  dc.optionFlags = static_cast<WORD>(on ? (dc.optionFlags | bit) : (dc.optionFlags & ~bit));
}

// An answer in the caller's 32-bit output; 0 when there is no room for it.
ULONG Answer(void* out, ULONG cjOut, DWORD value) {
  if (out == nullptr || cjOut < 4) return 0;
  std::memcpy(out, &value, 4);
  return 1;
}

// Pass-through: a 16-bit little-endian count and that many bytes, sent as they are.
ULONG PassThrough(DeviceContext& dc, const void* in, ULONG cjIn) {
  if ((dc.PrinterFunction() & (0x200 | 0x800000)) == 0) return 0;
  if (in == nullptr || cjIn < 2) return 0;
  if (!(dc.jobFlags & kJobHeaderWritten)) {
    dc.jobFlags |= kJobHeaderWritten;
    WritePassThroughHeader(dc);
  }
  const auto* b = static_cast<const unsigned char*>(in);
  std::size_t count = std::min<std::size_t>(b[0] | (b[1] << 8), cjIn - 2);
  bool ok = WriteBytes(dc.output, b + 2, count) && FlushOutput(dc.output);
  return ok ? static_cast<ULONG>(count) : static_cast<ULONG>(-1);
}

void ClearUserCode(DeviceContext& dc) {
  std::memset(dc.settings.priv + settings::priv::kUserCode, 0, settings::priv::kUserCodeBytes);
}

}  // namespace

ULONG DrvEscape(SURFOBJ* pso, ULONG escape, ULONG cjIn, PVOID in, ULONG cjOut, PVOID out) {
  bool known = escape == kPassThrough || (escape >= 100 && escape <= 113) ||
               std::find(std::begin(kAnsweredZero), std::end(kAnsweredZero), escape) !=
                   std::end(kAnsweredZero);
  if (!known) return 0;
  DeviceContext* dc = ValidDeviceContext(pso);
  if (dc == nullptr) return 0;
  DWORD function = dc->PrinterFunction();
  JobIdentity& id = dc->identity;
  unsigned char* b = dc->settings.priv;
  switch (escape) {
    case kPassThrough:
      return PassThrough(*dc, in, cjIn);
    case 100:
      if (function & 0x40) CopyField(id.trackId, sizeof id.trackId, in, cjIn);
      return 1;
    case 101:
      return (dc->jobFlags & kJobHeaderWritten) ? 0 : 1;
    case 102:
      if (function & 0x100) {
        CopyField(reinterpret_cast<char*>(b + settings::priv::kUserCode),
                  settings::priv::kUserCodeBytes, in, cjIn);
        b[settings::priv::kUserCodeFlag] |= 0x1 | 0x2 | 0x8;
        if (function & 0x400) ClearUserCode(*dc);
      }
      return 1;
    case 103:
      if (function & 0x400) {
        CopyWideBytes(id.userId, sizeof id.userId, in, cjIn);
        std::memset(b + settings::priv::kUserId, 0, settings::priv::kUserIdChars * 2);
      }
      return 1;
    case 104:
      if (function & 0x400) {
        CopyWideBytes(id.userCode, sizeof id.userCode, in, cjIn);
        ClearUserCode(*dc);
      }
      return 1;
    case 105:
      SetOption(*dc, kOptionPerUser, InputFlag(in, cjIn, 1));
      return 1;
    case 106:
      return Answer(out, cjOut, dc->jobId);
    case 107:
      CopyField(id.hostLoginName, sizeof id.hostLoginName, in, cjIn);
      return 1;
    case 108:
      if (function & 0x200000) CopyWideField(id.authUser, std::size(id.authUser), in, cjIn);
      return 1;
    case 109:
      if (function & 0x200000) CopyField(id.authPassword, sizeof id.authPassword, in, cjIn);
      return 1;
    case 110:
    case 111:
      if (function & 0x200000) {
        SetOption(*dc, escape == 110 ? kOptionAuthMode : kOptionAuthSecure, InputFlag(in, cjIn, 4));
      }
      return 1;
    case 112:
      if (!(function & 0x200000)) return 1;
      return Answer(out, cjOut, dc->Description().LanguageLevel());
    case 113:
      return Answer(out, cjOut, function);
    default:
      return 0;
  }
}

}  // namespace render
