// The profile functions over INI documents: lookups by section and key without
// regard to case, the platform's buffer rules, and edits that keep every line
// they do not change.
#include "platform/files/profile.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/casefold.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/files/folders.h"
#include "platform/files/paths.h"
#include "platform/files/profile_file.h"

namespace {

using platform::profile::Document;
using platform::profile::LineKind;
using platform::profile::ParsedLine;
using platform::profile::ParseLine;

// A section of the document: its header line and the lines up to the next one.
struct Span {
  std::u16string_view name;
  std::size_t header;
  std::size_t end;
};

std::vector<Span> SectionsOf(const Document& document) {
  std::vector<Span> spans;
  for (std::size_t i = 0; i < document.lines.size(); ++i) {
    ParsedLine parsed = ParseLine(document.lines[i].text);
    if (parsed.kind != LineKind::kSection) continue;
    if (!spans.empty()) spans.back().end = i;
    spans.push_back({parsed.name, i, document.lines.size()});
  }
  return spans;
}

// The native path of a profile: a bare file name lives in the Windows folder,
// and no name at all means the system's own win.ini there.
std::string ProfilePath(LPCWSTR fileName) {
  std::u16string_view name = fileName ? platform::WideView(fileName) : u"win.ini";
  if (name.empty()) return {};
  if (name.find_first_of(u"\\/:") != std::u16string_view::npos) return platform::NativePath(name);
  WCHAR folder[MAX_PATH];
  UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::u16string path(folder, length);
  path += u'\\';
  path += name;
  return platform::NativePath(path);
}

// The document of a profile; nothing when the file is missing or unreadable.
std::optional<Document> LoadProfile(LPCWSTR fileName) {
  std::string native = ProfilePath(fileName);
  Document document;
  if (native.empty() ||
      platform::profile::Load(native, document) != platform::profile::LoadResult::kLoaded) {
    return std::nullopt;
  }
  return document;
}

// The first value of `key` in the sections named `section`, blanks trimmed.
std::optional<std::u16string> FindValue(const Document& document, std::u16string_view section,
                                        std::u16string_view key) {
  for (const Span& span : SectionsOf(document)) {
    if (!platform::EqualsFolded(span.name, section)) continue;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
      ParsedLine parsed = ParseLine(document.lines[i].text);
      if (parsed.kind == LineKind::kEntry && platform::EqualsFolded(parsed.name, key))
        return std::u16string(parsed.value);
    }
  }
  return std::nullopt;
}

// One pair of matching quotes around a value is not part of it.
std::u16string_view StripQuotes(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

void AddUnique(std::vector<std::u16string>& names, std::u16string_view name) {
  for (const std::u16string& have : names) {
    if (platform::EqualsFolded(have, name)) return;
  }
  names.emplace_back(name);
}

std::vector<std::u16string> SectionNames(const Document& document) {
  std::vector<std::u16string> names;
  for (const Span& span : SectionsOf(document)) AddUnique(names, span.name);
  return names;
}

std::vector<std::u16string> KeyNames(const Document& document, std::u16string_view section) {
  std::vector<std::u16string> names;
  for (const Span& span : SectionsOf(document)) {
    if (!platform::EqualsFolded(span.name, section)) continue;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
      ParsedLine parsed = ParseLine(document.lines[i].text);
      if (parsed.kind == LineKind::kEntry) AddUnique(names, parsed.name);
    }
  }
  return names;
}

// The section's lines as GetPrivateProfileSectionW gives them: "key=value" with
// blanks trimmed and quotes kept, other lines but comments as they are.
std::vector<std::u16string> SectionLines(const Document& document, std::u16string_view section) {
  std::vector<std::u16string> lines;
  for (const Span& span : SectionsOf(document)) {
    if (!platform::EqualsFolded(span.name, section)) continue;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
      ParsedLine parsed = ParseLine(document.lines[i].text);
      if (parsed.kind == LineKind::kEntry) {
        lines.push_back(std::u16string(parsed.name) + u"=" + std::u16string(parsed.value));
      } else if (parsed.kind == LineKind::kBare) {
        lines.emplace_back(parsed.name);
      }
    }
  }
  return lines;
}

// Copies one value cut to size - 1 characters; the characters copied.
DWORD CopyValue(std::u16string_view value, LPWSTR returned, DWORD size) {
  if (returned == nullptr || size == 0) return 0;
  std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
  value.copy(returned, n);
  returned[n] = 0;
  return static_cast<DWORD>(n);
}

// Copies a list of names, each terminated and the list ended by a second zero.
// When it does not fit, the last name that fits in part is cut and followed by
// the two zeros, and the result is size - 2.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR returned, DWORD size) {
  if (returned == nullptr || size == 0) return 0;
  if (size == 1) {
    returned[0] = 0;
    return 0;
  }
  std::size_t used = 0;
  for (const std::u16string& name : names) {
    if (used + name.size() + 1 > size - 1) {
      std::size_t room = used < size - 2 ? size - 2 - used : 0;
      name.copy(returned + used, room);
      returned[size - 2] = 0;
      returned[size - 1] = 0;
      return size - 2;
    }
    name.copy(returned + used, name.size());
    used += name.size();
    returned[used++] = 0;
  }
  returned[used] = 0;
  if (used == 0 && size > 1) returned[1] = 0;
  return static_cast<DWORD>(used);
}

std::u16string_view DefaultOf(LPCWSTR defaultValue) {
  std::u16string_view value = platform::WideView(defaultValue);
  while (!value.empty() && (value.back() == u' ' || value.back() == u'\t')) value.remove_suffix(1);
  return value;
}

// Edits for WritePrivateProfileStringW; each returns whether it changed the document.

bool DeleteSection(Document& document, std::u16string_view section) {
  std::vector<Span> spans = SectionsOf(document);
  bool changed = false;
  for (std::size_t k = spans.size(); k-- > 0;) {
    if (!platform::EqualsFolded(spans[k].name, section)) continue;
    document.lines.erase(document.lines.begin() + static_cast<long>(spans[k].header),
                         document.lines.begin() + static_cast<long>(spans[k].end));
    changed = true;
  }
  return changed;
}

bool DeleteKey(Document& document, std::u16string_view section, std::u16string_view key) {
  std::vector<Span> spans = SectionsOf(document);
  bool changed = false;
  for (std::size_t k = spans.size(); k-- > 0;) {
    if (!platform::EqualsFolded(spans[k].name, section)) continue;
    for (std::size_t i = spans[k].end; i-- > spans[k].header + 1;) {
      ParsedLine parsed = ParseLine(document.lines[i].text);
      if (parsed.kind == LineKind::kEntry && platform::EqualsFolded(parsed.name, key)) {
        document.lines.erase(document.lines.begin() + static_cast<long>(i));
        changed = true;
      }
    }
  }
  return changed;
}

// Sets the first entry of the key, keeping its spelling; a new key goes after
// the last entry of the first section of that name, a new section at the end.
bool SetKey(Document& document, std::u16string_view section, std::u16string_view key,
            std::u16string_view value) {
  std::vector<Span> spans = SectionsOf(document);
  const Span* first = nullptr;
  for (const Span& span : spans) {
    if (!platform::EqualsFolded(span.name, section)) continue;
    if (first == nullptr) first = &span;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
      ParsedLine parsed = ParseLine(document.lines[i].text);
      if (parsed.kind != LineKind::kEntry || !platform::EqualsFolded(parsed.name, key)) continue;
      if (parsed.value == value) return false;
      std::u16string name(parsed.name);
      platform::profile::SetLineText(document.lines[i], name + u"=" + std::u16string(value));
      return true;
    }
  }
  std::u16string line = std::u16string(key) + u"=" + std::u16string(value);
  if (first == nullptr) {
    platform::profile::AppendLine(document, u"[" + std::u16string(section) + u"]");
    platform::profile::AppendLine(document, line);
    return true;
  }
  std::size_t after = first->header;
  for (std::size_t i = first->header + 1; i < first->end; ++i) {
    LineKind kind = ParseLine(document.lines[i].text).kind;
    if (kind == LineKind::kEntry || kind == LineKind::kBare) after = i;
  }
  platform::profile::InsertLine(document, after + 1, line);
  return true;
}

}  // namespace

QXAPI DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue,
                                     LPWSTR returned, DWORD size, LPCWSTR fileName) {
  if (returned == nullptr || size == 0) return 0;
  std::optional<Document> document = LoadProfile(fileName);
  if (section == nullptr) {
    SetLastError(ERROR_SUCCESS);
    return CopyList(document ? SectionNames(*document) : std::vector<std::u16string>{}, returned,
                    size);
  }
  std::u16string_view sectionName = platform::profile::TrimBlanks(platform::WideView(section));
  if (key == nullptr) {
    std::vector<std::u16string> keys;
    if (document) keys = KeyNames(*document, sectionName);
    if (!keys.empty()) {
      SetLastError(ERROR_SUCCESS);
      return CopyList(keys, returned, size);
    }
  } else if (document) {
    std::optional<std::u16string> value =
        FindValue(*document, sectionName, platform::profile::TrimBlanks(platform::WideView(key)));
    if (value) {
      SetLastError(ERROR_SUCCESS);
      return CopyValue(StripQuotes(*value), returned, size);
    }
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return CopyValue(DefaultOf(defaultValue), returned, size);
}

// Leading digits with an optional sign, as the platform reads them (wrapping
// like its 32-bit conversion); an empty or missing value gives the default.
QXAPI UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  if (section == nullptr || key == nullptr) return static_cast<UINT>(defaultValue);
  std::optional<Document> document = LoadProfile(fileName);
  std::optional<std::u16string> value;
  if (document) {
    value = FindValue(*document, platform::profile::TrimBlanks(platform::WideView(section)),
                      platform::profile::TrimBlanks(platform::WideView(key)));
  }
  std::u16string_view text = value ? StripQuotes(*value) : std::u16string_view{};
  if (text.empty()) return static_cast<UINT>(defaultValue);
  bool negative = false;
  if (text[0] == u'-' || text[0] == u'+') {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  UINT result = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    result = result * 10 + static_cast<UINT>(c - u'0');
  }
  return negative ? 0u - result : result;
}

QXAPI BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value,
                                      LPCWSTR fileName) {
  if (section == nullptr) {
    // All three null flushes the profile cache, which there is none of.
    if (key == nullptr && value == nullptr) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native = ProfilePath(fileName);
  if (native.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if ((key == nullptr || value == nullptr) && stat(native.c_str(), &st) != 0) {
    return TRUE;  // nothing to delete from a missing file
  }
  std::u16string sectionName(platform::profile::TrimBlanks(platform::WideView(section)));
  std::u16string keyName(platform::profile::TrimBlanks(platform::WideView(key)));
  std::u16string_view text = platform::WideView(value);
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  std::u16string valueText(text);
  bool ok = platform::profile::Update(native, [&](Document& document, bool existed) {
    if (key == nullptr) return existed && DeleteSection(document, sectionName);
    if (value == nullptr) return existed && DeleteKey(document, sectionName, keyName);
    return SetKey(document, sectionName, keyName, valueText);
  });
  return ok ? TRUE : FALSE;
}

QXAPI DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size,
                                      LPCWSTR fileName) {
  if (returned == nullptr || size == 0) return 0;
  if (section == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    returned[0] = 0;
    return 0;
  }
  std::optional<Document> document = LoadProfile(fileName);
  std::vector<std::u16string> lines;
  if (document) {
    lines = SectionLines(*document, platform::profile::TrimBlanks(platform::WideView(section)));
  }
  return CopyList(lines, returned, size);
}
