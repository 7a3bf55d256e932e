// The module table: libraries loaded from shared objects with dlopen and
// modules registered by name, with their reference counts, DllMain calls,
// exports and resources. A module handle is the address of its record; every
// call checks the handle against the table before it uses it.
#include "platform/modules/modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"

namespace {

using DllMainFn = BOOL (*)(HINSTANCE, DWORD, LPVOID);

struct Module {
  std::u16string name;     // a registered module's name as registered
  std::string nativePath;  // a loaded module's file
  void* dl = nullptr;      // dlopen's handle; each record holds one reference
  link_map* map = nullptr;
  bool registered = false;
  bool listed = false;    // still found by name (a registered module)
  bool dataFile = false;  // loaded for its resources only: no code runs
  bool attached = false;  // DllMain has seen DLL_PROCESS_ATTACH
  bool program = false;
  long refs = 0;
  const platform::ModuleExport* exports = nullptr;
  std::size_t exportCount = 0;
  const QX_RESOURCE_TABLE* resources = nullptr;
  DllMainFn dllMain = nullptr;
};

// The loader lock: recursive, since a DllMain may load or free other modules.
struct ModuleTable {
  std::recursive_mutex lock;
  std::vector<Module*> modules;
  Module* program = nullptr;
};

ModuleTable& Table() {
  static auto* table = new ModuleTable;  // lives as long as the process
  return *table;
}

HMODULE HandleOf(Module* m) { return reinterpret_cast<HMODULE>(m); }

Module* Find(HMODULE handle) {
  for (Module* m : Table().modules) {
    if (HandleOf(m) == handle) return m;
  }
  return nullptr;
}

template <typename Fn>
Fn FunctionFrom(void* symbol) {
  Fn fn;
  static_assert(sizeof(fn) == sizeof(symbol));
  std::memcpy(&fn, &symbol, sizeof(fn));
  return fn;
}

// A symbol of the module's own file, not one of the libraries it depends on.
void* OwnSymbol(const Module& m, const char* name) {
  void* symbol = dlsym(m.dl, name);
  if (symbol == nullptr || m.map == nullptr) return symbol;
  Dl_info info{};
  link_map* owner = nullptr;
  if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0)
    return nullptr;
  return owner == m.map ? symbol : nullptr;
}

void BindLoaded(Module& m) {
  dlinfo(m.dl, RTLD_DI_LINKMAP, &m.map);
  if (void* fn = OwnSymbol(m, "QxModuleResources"))
    m.resources = FunctionFrom<QX_RESOURCES_FN>(fn)();
  if (void* fn = OwnSymbol(m, "DllMain")) m.dllMain = FunctionFrom<DllMainFn>(fn);
}

// The running program, as the null module handle names it.
Module* Program() {
  ModuleTable& t = Table();
  if (t.program != nullptr) return t.program;
  auto* m = new Module;
  m->program = true;
  m->dl = dlopen(nullptr, RTLD_NOW);
  m->refs = 1;
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n > 0) m->nativePath.assign(path, static_cast<std::size_t>(n));
  if (m->dl != nullptr) {
    dlinfo(m->dl, RTLD_DI_LINKMAP, &m->map);
    if (void* fn = OwnSymbol(*m, "QxModuleResources")) {
      m->resources = FunctionFrom<QX_RESOURCES_FN>(fn)();
    }
  }
  t.modules.push_back(m);
  t.program = m;
  return m;
}

Module* Resolve(HMODULE handle) { return handle == nullptr ? Program() : Find(handle); }

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view BaseName(std::u16string_view path) {
  std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

bool EndsWithIgnoreCase(std::u16string_view text, std::u16string_view tail) {
  return text.size() >= tail.size() &&
         platform::EqualsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

// A module's name without ".dll" or ".so", for comparing names.
std::u16string_view Stem(std::u16string_view name) {
  if (EndsWithIgnoreCase(name, u".dll")) return name.substr(0, name.size() - 4);
  if (EndsWithIgnoreCase(name, u".so")) return name.substr(0, name.size() - 3);
  return name;
}

bool SameModuleName(std::u16string_view a, std::u16string_view b) {
  return platform::EqualsIgnoreCase(Stem(BaseName(a)), Stem(BaseName(b)));
}

Module* FindRegistered(std::u16string_view name) {
  for (Module* m : Table().modules) {
    if (m->listed && SameModuleName(m->name, name)) return m;
  }
  return nullptr;
}

// The file a module name stands for: a name without an extension gets ".DLL",
// as on the platform, and ".DLL" becomes ".so".
std::u16string SharedObjectName(std::u16string_view name) {
  std::u16string file(name);
  std::u16string_view base = BaseName(file);
  if (base.find(u'.') == std::u16string_view::npos) {
    file += u".DLL";
  } else if (!base.empty() && base.back() == u'.') {
    file.pop_back();  // a trailing dot: no extension at all
  }
  if (EndsWithIgnoreCase(file, u".dll")) file.replace(file.size() - 4, 4, u".so");
  return file;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string FileOfAddress(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

// `path` itself when it exists, else the entry of its folder whose name
// matches its last component without regard to case (native paths are taken as
// given by the namespace), else `path`.
std::string MatchFile(const std::string& path) {
  if (path.empty() || IsRegularFile(path)) return path;
  std::string folder = FolderOf(path);
  std::u16string wanted = platform::Utf8ToWide(path.substr(path.rfind('/') + 1));
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return path;
  std::string found = path;
  while (dirent* entry = readdir(dir)) {
    if (platform::EqualsIgnoreCase(platform::Utf8ToWide(entry->d_name), wanted)) {
      found = (folder == "/" ? "" : folder) + "/" + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

// Folders a bare name is looked for in: the caller's, the platform library's,
// then those of the modules already loaded, in load order.
std::vector<std::string> SearchFolders(const void* caller) {
  std::vector<std::string> folders;
  auto add = [&](const std::string& file) {
    if (file.empty() || file.find('/') == std::string::npos) return;
    std::string folder = FolderOf(file);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  };
  add(FileOfAddress(caller));
  add(FileOfAddress(reinterpret_cast<const void*>(&FindRegistered)));
  for (const Module* m : Table().modules) {
    if (!m->registered && !m->program) add(m->nativePath);
  }
  return folders;
}

// The native file for `fileName`, or empty when only dlopen's own search can
// still find it (a bare name found in none of the folders).
std::string LocateFile(std::u16string_view fileName, const void* caller) {
  std::u16string file = SharedObjectName(fileName);
  if (std::any_of(file.begin(), file.end(), IsSeparator)) {
    return MatchFile(platform::NativePath(file));
  }
  for (const std::string& folder : SearchFolders(caller)) {
    std::string candidate = MatchFile(folder + "/" + platform::WideToUtf8(file));
    if (IsRegularFile(candidate)) return candidate;
  }
  return {};
}

// Why a file could not be loaded: missing, not a module of this machine, or
// missing something it needs.
DWORD LoadError(const std::string& path) {
  if (path.empty() || !IsRegularFile(path)) return ERROR_MOD_NOT_FOUND;
  constexpr char kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
  char magic[4] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  std::size_t n = f != nullptr ? std::fread(magic, 1, sizeof(magic), f) : 0;
  if (f != nullptr) std::fclose(f);
  if (n != 4 || std::memcmp(magic, kElfMagic, 4) != 0) return ERROR_BAD_FORMAT;
  // An ELF file that still failed: built for another machine or not a shared
  // object (bad format), needing a function no library has (as a missing
  // import), or needing a library that is not there.
  const char* why = dlerror();
  if (why == nullptr) return ERROR_MOD_NOT_FOUND;
  if (std::strstr(why, "undefined symbol") != nullptr) return ERROR_PROC_NOT_FOUND;
  if (std::strstr(why, "ELF") != nullptr || std::strstr(why, "too short") != nullptr ||
      std::strstr(why, "cannot dynamically load") != nullptr) {
    return ERROR_BAD_FORMAT;
  }
  return ERROR_MOD_NOT_FOUND;
}

// Takes one more reference. The first reference of a load that runs code
// calls DllMain, whose FALSE undoes the reference (after the detach call the
// platform makes in that case).
bool AddReference(Module& m, bool runsCode) {
  ++m.refs;
  if (!runsCode || m.attached || m.dllMain == nullptr) return true;
  if (m.dllMain(HandleOf(&m), DLL_PROCESS_ATTACH, nullptr)) {
    m.attached = true;
    return true;
  }
  m.dllMain(HandleOf(&m), DLL_PROCESS_DETACH, nullptr);
  --m.refs;
  return false;
}

void Forget(Module* m) {
  auto& modules = Table().modules;
  modules.erase(std::remove(modules.begin(), modules.end(), m), modules.end());
  if (m->dl != nullptr) dlclose(m->dl);
  delete m;
}

HMODULE LoadShared(std::u16string_view fileName, bool dataFile, const void* caller) {
  std::string path = LocateFile(fileName, caller);
  dlerror();
  void* dl = path.empty() ? dlopen(platform::WideToUtf8(SharedObjectName(fileName)).c_str(),
                                   RTLD_NOW | RTLD_LOCAL)
                          : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (dl == nullptr) {
    SetLastError(LoadError(path));
    return nullptr;
  }
  // The same file loaded again: one more reference to its record. A module
  // that runs code is never served by a record loaded only for its data.
  for (Module* m : Table().modules) {
    if (m->dl == dl && !m->program && (dataFile || !m->dataFile)) {
      dlclose(dl);
      ++m->refs;  // already attached when it runs code
      return HandleOf(m);
    }
  }
  auto* m = new Module;
  m->dl = dl;
  m->dataFile = dataFile;
  BindLoaded(*m);
  m->nativePath =
      path.empty() && m->map != nullptr && m->map->l_name != nullptr ? m->map->l_name : path;
  Table().modules.push_back(m);
  if (!AddReference(*m, !dataFile)) {
    Forget(m);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  return HandleOf(m);
}

constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x00000001;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x00000040;

HMODULE Load(LPCWSTR fileName, DWORD flags, const void* caller) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string_view name = platform::WideView(fileName);
  if (BaseName(name).empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  bool dataFile = (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE |
                            LOAD_LIBRARY_AS_IMAGE_RESOURCE | DONT_RESOLVE_DLL_REFERENCES)) != 0;
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  if (Module* m = FindRegistered(name)) {
    if (!AddReference(*m, !dataFile)) {
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
    return HandleOf(m);
  }
  return LoadShared(name, dataFile, caller);
}

const QX_RESOURCE_TABLE* ResourcesOf(HMODULE module, DWORD& error) {
  Module* m = Resolve(module);
  if (m == nullptr) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (m->resources == nullptr) error = ERROR_RESOURCE_DATA_NOT_FOUND;
  return m->resources;
}

// A resource type or name: a number, or the text "#123" that stands for one.
std::optional<WORD> ResourceId(LPCWSTR id) {
  if (id == nullptr) return std::nullopt;
  if (IS_INTRESOURCE(id)) return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(id));
  std::u16string_view text = platform::WideView(id, 8);
  if (text.size() < 2 || text[0] != u'#') return std::nullopt;
  unsigned value = 0;
  for (char16_t c : text.substr(1)) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  if (value > 0xFFFF) return std::nullopt;
  return static_cast<WORD>(value);
}

// The entry `resource` points at when it belongs to the module's table.
const QX_RESOURCE* EntryOf(HMODULE module, HRSRC resource) {
  DWORD error = 0;
  const QX_RESOURCE_TABLE* table = ResourcesOf(module, error);
  const auto* entry = reinterpret_cast<const QX_RESOURCE*>(resource);
  if (table == nullptr || table->resources == nullptr || entry == nullptr) return nullptr;
  const QX_RESOURCE* first = table->resources;
  const QX_RESOURCE* last = first + table->resourceCount;
  return std::find_if(first, last, [&](const QX_RESOURCE& r) { return &r == entry; }) != last
             ? entry
             : nullptr;
}

}  // namespace

QXAPI HMODULE LoadLibraryW(LPCWSTR fileName) {
  return Load(fileName, 0, __builtin_return_address(0));
}

QXAPI HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE reserved, DWORD flags) {
  if (reserved != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Load(fileName, flags, __builtin_return_address(0));
}

QXAPI FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  Module* m = Resolve(module);
  if (m == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Exports are found by name only; an ordinal finds nothing.
  if (procName == nullptr || reinterpret_cast<ULONG_PTR>(procName) <= 0xFFFF || m->dataFile) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  if (m->registered) {
    for (std::size_t i = 0; i < m->exportCount; ++i) {
      if (std::strcmp(m->exports[i].name, procName) == 0) return m->exports[i].function;
    }
  } else if (void* symbol = OwnSymbol(*m, procName)) {
    return FunctionFrom<FARPROC>(symbol);
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

QXAPI BOOL FreeLibrary(HMODULE module) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  Module* m = Find(module);
  if (m == nullptr || m->refs <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (m->program || --m->refs > 0) return TRUE;
  if (m->attached) {
    m->attached = false;
    m->dllMain(module, DLL_PROCESS_DETACH, nullptr);
  }
  // A registered module stays known: its exports are borrowed for the process.
  if (!m->registered) Forget(m);
  return TRUE;
}

QXAPI HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  if (moduleName == nullptr) return HandleOf(Program());
  std::u16string_view name = platform::WideView(moduleName);
  if (Module* m = FindRegistered(name)) return HandleOf(m);
  bool hasFolder = std::any_of(name.begin(), name.end(), IsSeparator);
  std::string path =
      hasFolder ? MatchFile(platform::NativePath(SharedObjectName(name))) : std::string();
  for (Module* m : Table().modules) {
    if (m->registered || m->program || m->dataFile || m->refs <= 0) continue;
    if (hasFolder ? m->nativePath == path
                  : SameModuleName(platform::Utf8ToWide(m->nativePath), name)) {
      return HandleOf(m);
    }
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

QXAPI DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  std::u16string path;
  {
    std::lock_guard<std::recursive_mutex> guard(Table().lock);
    Module* m = Resolve(module);
    if (m == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = m->registered ? m->name : platform::NamespacePath(m->nativePath);
  }
  if (size == 0 || fileName == nullptr) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // A path that does not fit is cut to size - 1 characters and terminated; the
  // result is then the buffer size.
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), (size - 1) * sizeof(WCHAR));
    fileName[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  return static_cast<DWORD>(path.size());
}

QXAPI HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  DWORD error = 0;
  const QX_RESOURCE_TABLE* table = ResourcesOf(module, error);
  if (table == nullptr) {
    SetLastError(error);
    return nullptr;
  }
  std::optional<WORD> typeId = ResourceId(type);
  std::optional<WORD> nameId = ResourceId(name);
  bool typeSeen = false;
  for (std::size_t i = 0; typeId && table->resources != nullptr && i < table->resourceCount; ++i) {
    const QX_RESOURCE& r = table->resources[i];
    if (r.type != *typeId) continue;
    typeSeen = true;
    if (nameId && r.id == *nameId) return reinterpret_cast<HRSRC>(const_cast<QX_RESOURCE*>(&r));
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

QXAPI HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  const QX_RESOURCE* entry = EntryOf(module, resource);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<void*>(entry->data);
}

QXAPI LPVOID LockResource(HGLOBAL data) { return data; }

QXAPI DWORD SizeofResource(HMODULE module, HRSRC resource) {
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  const QX_RESOURCE* entry = EntryOf(module, resource);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

QXAPI int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int max) {
  if (buffer == nullptr || max < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char16_t* text = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(Table().lock);
    DWORD error = 0;
    const QX_RESOURCE_TABLE* table = ResourcesOf(module, error);
    if (table != nullptr && (table->strings == nullptr || table->stringCount == 0)) {
      error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    }
    for (std::size_t i = 0; error == 0 && i < table->stringCount; ++i) {
      if (table->strings[i].id == id) {
        text = table->strings[i].text != nullptr ? table->strings[i].text : u"";
        break;
      }
    }
    if (error == 0 && text == nullptr) error = ERROR_RESOURCE_NAME_NOT_FOUND;
    if (error != 0) {
      SetLastError(error);
      if (max > 0) buffer[0] = 0;
      return 0;
    }
  }
  std::size_t length = platform::WideLength(text);
  if (max == 0) {
    // The caller gets a read-only pointer to the table's text.
    *reinterpret_cast<const WCHAR**>(buffer) = text;
    return static_cast<int>(length);
  }
  std::size_t n = std::min(length, static_cast<std::size_t>(max - 1));
  std::memcpy(buffer, text, n * sizeof(WCHAR));
  buffer[n] = 0;
  return static_cast<int>(n);
}

namespace platform {

HMODULE RegisterModule(const char16_t* name, const ModuleExport* exports, std::size_t exportCount,
                       const QX_RESOURCE_TABLE* resources) {
  if (name == nullptr || *name == 0) return nullptr;
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  if (Module* old = FindRegistered(name)) old->listed = false;
  auto* m = new Module;  // kept for the process, like the exports it borrows
  m->name = name;
  m->registered = true;
  m->listed = true;
  m->exports = exports;
  m->exportCount = exports != nullptr ? exportCount : 0;
  m->resources = resources;
  for (std::size_t i = 0; i < m->exportCount; ++i) {
    if (std::strcmp(exports[i].name, "DllMain") == 0) {
      m->dllMain = reinterpret_cast<DllMainFn>(exports[i].function);
    }
  }
  Table().modules.push_back(m);
  return HandleOf(m);
}

void UnregisterModule(const char16_t* name) {
  if (name == nullptr) return;
  std::lock_guard<std::recursive_mutex> guard(Table().lock);
  if (Module* m = FindRegistered(name)) m->listed = false;
}

}  // namespace platform
