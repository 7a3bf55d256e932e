// The driver's environment as the engine serves it: local time, code-page
// conversion and module resources.
#include "platform/base/codepage.h"
#include "platform/base/error.h"
#include "platform/base/system.h"
#include "platform/engine/engine_internal.h"
#include "platform/modules/modules.h"

QXAPI void EngQueryLocalTime(PENG_TIME_FIELDS ptf) {
  if (ptf == nullptr) return;
  SYSTEMTIME st{};
  GetLocalTime(&st);
  ptf->usYear = st.wYear;
  ptf->usMonth = st.wMonth;
  ptf->usDay = st.wDay;
  ptf->usHour = st.wHour;
  ptf->usMinute = st.wMinute;
  ptf->usSecond = st.wSecond;
  ptf->usMilliseconds = st.wMilliseconds;
  ptf->usWeekday = st.wDayOfWeek;
}

QXAPI INT EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                 LPSTR MultiByteString, INT BytesInMultiByteString) {
  if (WideCharString == nullptr || BytesInWideCharString < 0 || BytesInMultiByteString < 0) {
    return -1;
  }
  int chars = BytesInWideCharString / 2;
  if (chars == 0) return 0;
  int n = WideCharToMultiByte(CodePage, 0, WideCharString, chars, MultiByteString,
                              BytesInMultiByteString, nullptr, nullptr);
  return n == 0 ? -1 : n;
}

QXAPI INT EngMultiByteToWideChar(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                 LPSTR MultiByteString, INT BytesInMultiByteString) {
  if (MultiByteString == nullptr || BytesInWideCharString < 0 || BytesInMultiByteString < 0) {
    return -1;
  }
  if (BytesInMultiByteString == 0) return 0;
  int n = MultiByteToWideChar(CodePage, 0, MultiByteString, BytesInMultiByteString, WideCharString,
                              BytesInWideCharString / 2);
  return n == 0 ? -1 : n * 2;
}

QXAPI PVOID EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize) {
  if (pulSize != nullptr) *pulSize = 0;
  if (iName < 0 || iName > 0xFFFF || iType < 0 || iType > 0xFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto module = static_cast<HMODULE>(h);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(iName)),
                                 MAKEINTRESOURCEW(static_cast<WORD>(iType)));
  if (resource == nullptr) return nullptr;
  HGLOBAL data = LoadResource(module, resource);
  PVOID bytes = data ? LockResource(data) : nullptr;
  if (bytes != nullptr && pulSize != nullptr) *pulSize = SizeofResource(module, resource);
  return bytes;
}
