// Modules: registered doubles and real shared objects, DllMain order, exports,
// file names and resources.
#include "platform/modules/modules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/error.h"
#include "platform/base/root.h"
#include "platform/base/text.h"
#include "tests/support/temp_root.h"

namespace {

int DoubleIt(int x) { return 2 * x; }
int TripleIt(int x) { return 3 * x; }

int doubleAttaches = 0;
int doubleDetaches = 0;
BOOL DoubleMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ++doubleAttaches;
  if (reason == DLL_PROCESS_DETACH) ++doubleDetaches;
  return TRUE;
}

template <typename Fn>
FARPROC Export(Fn fn) {
  return reinterpret_cast<FARPROC>(fn);
}

std::string Events() {
  const char* events = std::getenv("QX_SAMPLE_EVENTS");
  return events != nullptr ? events : "";
}

std::u16string FileName(HMODULE module) {
  WCHAR name[1024];
  DWORD n = GetModuleFileNameW(module, name, 1024);
  return std::u16string(name, n);
}

bool EndsWith(std::u16string_view text, std::u16string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

class Modules : public testing::Test {
 protected:
  void SetUp() override { ClearSampleVariables(); }
  void TearDown() override { ClearSampleVariables(); }
  static void ClearSampleVariables() {
    unsetenv("QX_SAMPLE_EVENTS");
    unsetenv("QX_SAMPLE_FAIL_ATTACH");
  }
};

TEST_F(Modules, RegisteredDoubleIsFoundByBaseName) {
  const platform::ModuleExport exports[] = {
      {"DoubleIt", Export(&DoubleIt)},
      {"DllMain", Export(&DoubleMain)},
  };
  HMODULE registered = platform::RegisterModule(u"qxdouble.dll", exports, 2, nullptr);
  ASSERT_NE(registered, nullptr);
  doubleAttaches = doubleDetaches = 0;
  // Loaded for its data only, it runs no code.
  EXPECT_EQ(LoadLibraryExW(u"qxdouble", nullptr, LOAD_LIBRARY_AS_DATAFILE), registered);
  EXPECT_TRUE(FreeLibrary(registered));
  EXPECT_EQ(doubleAttaches + doubleDetaches, 0);
  for (const char16_t* name :
       {u"QXDOUBLE.DLL", u"qxdouble", u"C:\\WINDOWS\\system32\\QxDouble.dll"}) {
    SCOPED_TRACE(platform::WideToUtf8(name));
    EXPECT_EQ(LoadLibraryW(name), registered);
  }
  EXPECT_EQ(doubleAttaches, 1);
  EXPECT_EQ(GetModuleHandleW(u"QxDouble"), registered);
  EXPECT_EQ(FileName(registered), u"qxdouble.dll");

  auto fn = reinterpret_cast<int (*)(int)>(GetProcAddress(registered, "DoubleIt"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(21), 42);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(registered, "doubleit"), nullptr);  // export names keep their case
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  EXPECT_TRUE(FreeLibrary(registered));
  EXPECT_TRUE(FreeLibrary(registered));
  EXPECT_EQ(doubleDetaches, 0);
  EXPECT_TRUE(FreeLibrary(registered));
  EXPECT_EQ(doubleDetaches, 1);
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(registered));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // A later registration serves later loads; an unregistered name is gone.
  const platform::ModuleExport triple[] = {{"DoubleIt", Export(&TripleIt)}};
  HMODULE replaced = platform::RegisterModule(u"QXDOUBLE", triple, 1, nullptr);
  HMODULE loaded = LoadLibraryW(u"qxdouble.dll");
  EXPECT_EQ(loaded, replaced);
  EXPECT_EQ(reinterpret_cast<int (*)(int)>(GetProcAddress(loaded, "DoubleIt"))(2), 6);
  EXPECT_TRUE(FreeLibrary(loaded));
  platform::UnregisterModule(u"qxdouble.dll");
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"qxdouble.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(Modules, SharedObjectLifecycle) {
  HMODULE m = LoadLibraryW(u"QXSAMPLE.DLL");
  ASSERT_NE(m, nullptr) << GetLastError();
  EXPECT_EQ(Events(), "attach");
  EXPECT_EQ(LoadLibraryW(u"qxsample"), m);
  EXPECT_EQ(LoadLibraryW(u"QxSample.so"), m);
  EXPECT_EQ(Events(), "attach");  // DllMain runs for the first reference only
  EXPECT_EQ(GetModuleHandleW(u"qxsample.dll"), m);

  auto add = reinterpret_cast<int (*)(int, int)>(GetProcAddress(m, "SampleAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 3), 5);
  // Symbols of the libraries it links (the platform's) are not its exports.
  for (const char* name : {"NoSuchFunction", "LoadStringW"}) {
    SCOPED_TRACE(name);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(m, name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  }

  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(Events(), "attach");
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(Events(), "attach,detach");
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleW(u"qxsample.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_FALSE(FreeLibrary(m));
  EXPECT_EQ(GetProcAddress(m, "SampleAdd"), nullptr);

  // Loaded again after the unload: a fresh attach.
  HMODULE again = LoadLibraryW(u"QXSAMPLE.DLL");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Events(), "attach,detach,attach");
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_EQ(Events(), "attach,detach,attach,detach");
}

TEST_F(Modules, FailedAttachUnloadsAgain) {
  setenv("QX_SAMPLE_FAIL_ATTACH", "1", 1);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"QXSAMPLE.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(Events(), "attach,detach");
  EXPECT_EQ(GetModuleHandleW(u"qxsample.dll"), nullptr);
}

TEST_F(Modules, FileNamesAndNamespacePaths) {
  HMODULE m = LoadLibraryW(u"QXSAMPLE.DLL");
  ASSERT_NE(m, nullptr);
  std::u16string native = FileName(m);
  EXPECT_TRUE(EndsWith(native, u"/QxSample.so")) << platform::WideToUtf8(native);

  // Cut to the buffer: size - 1 characters and a terminator, the size returned.
  WCHAR cut[10];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(m, cut, 10), 10u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(cut), native.substr(0, 9));
  EXPECT_EQ(GetModuleFileNameW(m, cut, 0), 0u);

  // A copy in the file namespace is loaded by its Windows path, in any case.
  std::filesystem::create_directories(platform::RootPath() + "/c/Drivers");
  std::filesystem::copy_file(platform::WideToUtf8(native),
                             platform::RootPath() + "/c/Drivers/QxSample.so",
                             std::filesystem::copy_options::overwrite_existing);
  HMODULE copy = LoadLibraryW(u"c:\\DRIVERS\\qxsample.dll");
  ASSERT_NE(copy, nullptr) << GetLastError();
  EXPECT_NE(copy, m);
  std::u16string name = FileName(copy);
  EXPECT_TRUE(platform::EqualsIgnoreCase(name.substr(0, 3), u"C:\\")) << platform::WideToUtf8(name);
  EXPECT_TRUE(EndsWith(name, u"\\Drivers\\QxSample.so")) << platform::WideToUtf8(name);
  EXPECT_EQ(GetModuleHandleW(u"C:\\drivers\\QXSAMPLE.DLL"), copy);
  EXPECT_TRUE(FreeLibrary(copy));
  EXPECT_TRUE(FreeLibrary(m));

  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  EXPECT_TRUE(EndsWith(FileName(nullptr), u"platform_modules_test"));
}

TEST_F(Modules, FilesThatAreNoModules) {
  std::string folder = qxtest::MakeTempDir("modules");
  std::ofstream(folder + "/bogus.so") << "not a shared object\n";
  std::filesystem::copy_file("/proc/self/exe", folder + "/program.so",
                             std::filesystem::copy_options::overwrite_existing);
  struct Case {
    const char* name;
    std::u16string file;
    DWORD error;
  };
  const Case cases[] = {
      {"text file", platform::Utf8ToWide(folder) + u"/BOGUS.DLL", ERROR_BAD_FORMAT},
      {"program, not a library", platform::Utf8ToWide(folder) + u"/program.dll", ERROR_BAD_FORMAT},
      {"missing file in a folder", u"C:\\nowhere\\missing.dll", ERROR_MOD_NOT_FOUND},
      {"missing bare name", u"nosuchmodule.dll", ERROR_MOD_NOT_FOUND},
      {"empty name", u"", ERROR_MOD_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(c.file.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

class Resources : public Modules {
 protected:
  void SetUp() override {
    Modules::SetUp();
    module = LoadLibraryW(u"QXSAMPLE.DLL");
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override {
    FreeLibrary(module);
    Modules::TearDown();
  }
  HMODULE module = nullptr;
};

TEST_F(Resources, TypedResources) {
  for (LPCWSTR name : {MAKEINTRESOURCEW(100), static_cast<LPCWSTR>(u"#100")}) {
    HRSRC found = FindResourceW(module, name, RT_RCDATA);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(module, found), 5u);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::memcmp(bytes, "\x51\x58\x01\x00\xFF", 5), 0);
  }
  struct Case {
    const char* name;
    HMODULE module;
    LPCWSTR id;
    LPCWSTR type;
    DWORD error;
  };
  const Case cases[] = {
      {"missing number", module, MAKEINTRESOURCEW(101), RT_RCDATA, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"missing type", module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(258),
       ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"named resource", module, u"RECORD", RT_RCDATA, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"program without a table", nullptr, MAKEINTRESOURCEW(100), RT_RCDATA,
       ERROR_RESOURCE_DATA_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(FindResourceW(c.module, c.id, c.type), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // A handle that is no entry of the module's table gives nothing.
  int unrelated = 0;
  EXPECT_EQ(LoadResource(module, reinterpret_cast<HRSRC>(&unrelated)), nullptr);
  EXPECT_EQ(SizeofResource(module, reinterpret_cast<HRSRC>(&unrelated)), 0u);
}

TEST_F(Resources, Strings) {
  WCHAR text[16];
  EXPECT_EQ(LoadStringW(module, 1, text, 16), 2);
  EXPECT_EQ(std::u16string(text), u"\u7528\u7D19");
  // Cut to max - 1 characters and terminated.
  EXPECT_EQ(LoadStringW(module, 2, text, 8), 7);
  EXPECT_EQ(std::u16string(text), u"Paper s");
  EXPECT_EQ(LoadStringW(module, 2, text, 1), 0);
  EXPECT_EQ(text[0], 0);
  // With max 0 the buffer receives a pointer to the text itself.
  const WCHAR* direct = nullptr;
  EXPECT_EQ(LoadStringW(module, 2, reinterpret_cast<LPWSTR>(&direct), 0), 20);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(std::u16string(direct, 20), u"Paper source: roll 1");
  EXPECT_EQ(LoadStringW(module, 40, text, 16), 0);

  SetLastError(0);
  EXPECT_EQ(LoadStringW(module, 3, text, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(text[0], 0);

  const BYTE data[] = {1};
  const QX_RESOURCE onlyData[] = {{10, 1, data, 1}};
  const QX_RESOURCE_TABLE table = {onlyData, 1, nullptr, 0};
  HMODULE noStrings = platform::RegisterModule(u"qxnostrings.dll", nullptr, 0, &table);
  SetLastError(0);
  EXPECT_EQ(LoadStringW(noStrings, 1, text, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_NE(FindResourceW(noStrings, MAKEINTRESOURCEW(1), RT_RCDATA), nullptr);
  platform::UnregisterModule(u"qxnostrings.dll");
  SetLastError(0);
  EXPECT_EQ(LoadStringW(nullptr, 1, text, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
}

}  // namespace
