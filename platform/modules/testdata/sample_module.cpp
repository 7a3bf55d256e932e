// A small library that the module tests load by its Windows name "QXSAMPLE.DLL".
// It exports DllMain, one function and a resource table (strings, a data record
// and a version resource), and notes each DllMain call in $QX_SAMPLE_EVENTS so
// that a test can read the order after the library is gone.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/modules/modules.h"
#include "platform/modules/version.h"

namespace {

// clang-format off
const QX_STRING kStrings[] = {
    {1,  u"\u7528\u7D19"},  // two kanji
    {2,  u"Paper source: roll 1"},
    {40, u""},
};
// clang-format on
const BYTE kRecord[] = {0x51, 0x58, 0x01, 0x00, 0xFF};

void Note(const std::string& event) {
  const char* before = std::getenv("QX_SAMPLE_EVENTS");
  std::string all = before != nullptr ? before : "";
  all += (all.empty() ? "" : ",") + event;
  setenv("QX_SAMPLE_EVENTS", all.c_str(), 1);
}

}  // namespace

QX_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    // The handle already serves the library's own strings while it attaches.
    WCHAR text[32];
    Note(LoadStringW(instance, 2, text, 32) == 20 ? "attach" : "attach without strings");
    return std::getenv("QX_SAMPLE_FAIL_ATTACH") == nullptr ? TRUE : FALSE;
  }
  if (reason == DLL_PROCESS_DETACH) Note("detach");
  return TRUE;
}

QX_EXPORT int SampleAdd(int a, int b) { return a + b; }

QX_EXPORT const QX_RESOURCE_TABLE* QxModuleResources() {
  static const platform::VersionString kVersionStrings[] = {
      {u"FileDescription", u"Sample module"},
  };
  static const std::vector<BYTE> kVersion = [] {
    platform::VersionResourceInfo info{};
    info.fileVersion[0] = 2;
    info.fileVersion[1] = 5;
    info.fileVersion[2] = 17;
    info.fileVersion[3] = 301;
    info.strings = kVersionStrings;
    info.stringCount = 1;
    return platform::BuildVersionResource(info);
  }();
  static const QX_RESOURCE kResources[] = {
      {10, 100, kRecord, sizeof(kRecord)},
      {16, 1, kVersion.data(), static_cast<DWORD>(kVersion.size())},
  };
  static const QX_RESOURCE_TABLE kTable = {kResources, 2, kStrings, 3};
  return &kTable;
}
