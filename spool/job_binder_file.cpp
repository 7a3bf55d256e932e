// Naming, creating and starting a job-binder file.
#include "spool/job_binder_file.h"

#include "platform/files/files.h"
#include "platform/ui/messagebox.h"
#include "spool/spool_context.h"

namespace spool {

namespace {

// The forbidden characters and what stands for them in a name made from a
// document name.
struct NameReplacement {
  char16_t character;
  char16_t replacement;
};
// clang-format off
constexpr NameReplacement kNameReplacements[] = {
    {u'\\', u'\uFFE5'}, {u'/', u'\uFF0F'}, {u':', u'\uFF1A'}, {u',', u'\uFF0C'},
    {u';',  u'\uFF1B'}, {u'*', u'\uFF0A'}, {u'?', u'\uFF1F'}, {u'"', u'\u201D'},
    {u'<',  u'\uFF1C'}, {u'>', u'\uFF1E'}, {u'|', u'\uFF5C'},
};
// clang-format on

// A job-binder path must stay below the platform's 256-character path limit.
constexpr std::size_t kMaxPathChars = 255;

constexpr const char16_t* kPathTooLong = u"フルパスが長すぎます。";
constexpr const char16_t* kChosenNameExists =
    u"ﾌｧｲﾙ名がすでに存在するため Quillbox 保存は中止します。";
constexpr const char16_t* kFolderFull =
    u"ファイルがいっぱいになりました。\nファイルの作成に失敗しました。";
constexpr const char16_t* kCreateFailed = u"ファイルの作成に失敗しました。";

// The separator that joins the folder and the name: a native folder (one that
// starts with "/") takes "/", a folder of the Windows namespace "\".
std::u16string Joined(std::u16string_view folder, std::u16string_view name) {
  char16_t separator = !folder.empty() && folder[0] == u'/' ? u'/' : u'\\';
  return std::u16string(folder) + separator + std::u16string(name);
}

void Warn(const char16_t* text) { MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONWARNING); }

// Makes every missing folder of `folder`, from the drive on. False when one
// could not be made for another reason than that it is there already or may not
// be touched (a share's root, for one).
bool CreateFolderChain(std::u16string_view folder) {
  bool native = !folder.empty() && folder[0] == u'/';
  for (std::size_t at = 0; at <= folder.size(); ++at) {
    if (at < folder.size()) {
      bool separator = folder[at] == u'/' || (!native && folder[at] == u'\\');
      if (!separator) continue;
    }
    std::u16string prefix(folder.substr(0, at));
    if (prefix.empty() || prefix.back() == u':' || prefix.back() == u'\\' ||
        prefix.back() == u'/') {
      continue;
    }
    if (CreateDirectoryW(prefix.c_str(), nullptr)) continue;
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) return false;
  }
  return true;
}

enum class Created { kOpen, kExists, kFailed };

// Creates `path` only when no file of that name is there: a file that appears
// after a name was chosen is never written over. The folder chain is made when
// the folder is missing.
Created CreateNew(const std::u16string& path, std::u16string_view folder, HANDLE* file) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    *file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (*file != INVALID_HANDLE_VALUE) return Created::kOpen;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Created::kExists;
    if (error != ERROR_PATH_NOT_FOUND || attempt == 1 || !CreateFolderChain(folder)) break;
  }
  return Created::kFailed;
}

// The merge header as the file's first bytes; a file that cannot take it is
// removed again.
HANDLE StartFile(HANDLE file, const std::u16string& path, const unsigned char* mergeHeader) {
  DWORD written = 0;
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
      WriteFile(file, mergeHeader, kMergeHeaderSize, &written, nullptr) &&
      written == kMergeHeaderSize) {
    return file;
  }
  CloseHandle(file);
  DeleteFileW(path.c_str());
  Warn(kCreateFailed);
  return INVALID_HANDLE_VALUE;
}

HANDLE CreateChosen(std::u16string_view folder, std::u16string_view fileName,
                    const unsigned char* mergeHeader) {
  // The name comes from a settings file any user can write: a name that would
  // lead out of the folder is refused like any other name a file cannot hold.
  for (char16_t c : fileName) {
    if (IsForbiddenNameCharacter(c)) {
      Warn(kCreateFailed);
      return INVALID_HANDLE_VALUE;
    }
  }
  std::u16string path = Joined(folder, fileName) + u".QBX";
  if (path.size() > kMaxPathChars) {
    Warn(kPathTooLong);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  switch (CreateNew(path, folder, &file)) {
    case Created::kOpen:
      return StartFile(file, path, mergeHeader);
    case Created::kExists:
      Warn(kChosenNameExists);
      return INVALID_HANDLE_VALUE;
    case Created::kFailed:
      break;
  }
  Warn(kCreateFailed);
  return INVALID_HANDLE_VALUE;
}

HANDLE CreateNumbered(std::u16string_view folder, std::u16string_view documentName,
                      const unsigned char* mergeHeader) {
  std::u16string stem = Joined(folder, FileNameOfDocument(documentName));
  // The plain name first, then the name with 00 to 99.
  for (int number = -1; number < 100; ++number) {
    std::u16string path = stem;
    if (number >= 0) {
      path += static_cast<char16_t>(u'0' + number / 10);
      path += static_cast<char16_t>(u'0' + number % 10);
    }
    path += u".QBX";
    if (path.size() > kMaxPathChars) return INVALID_HANDLE_VALUE;
    HANDLE file = INVALID_HANDLE_VALUE;
    switch (CreateNew(path, folder, &file)) {
      case Created::kOpen:
        return StartFile(file, path, mergeHeader);
      case Created::kExists:
        continue;
      case Created::kFailed:
        Warn(kCreateFailed);
        return INVALID_HANDLE_VALUE;
    }
  }
  Warn(kFolderFull);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool IsForbiddenNameCharacter(char16_t c) {
  for (const NameReplacement& r : kNameReplacements) {
    if (r.character == c) return true;
  }
  return false;
}

std::u16string FileNameOfDocument(std::u16string_view documentName) {
  std::u16string name(documentName);
  for (char16_t& c : name) {
    for (const NameReplacement& r : kNameReplacements) {
      if (r.character == c) c = r.replacement;
    }
  }
  return name;
}

HANDLE CreateJobBinderFile(std::u16string_view folder, std::u16string_view fileName,
                           std::u16string_view documentName, const unsigned char* mergeHeader) {
  if (mergeHeader == nullptr) return INVALID_HANDLE_VALUE;
  if (!fileName.empty()) return CreateChosen(folder, fileName, mergeHeader);
  return CreateNumbered(folder, documentName, mergeHeader);
}

}  // namespace spool
