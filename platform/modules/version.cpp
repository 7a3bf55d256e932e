// Version resources: built from numbers for the libraries that carry them,
// copied out of module files, and walked block by block with every offset
// checked against the block that holds it.
#include "platform/modules/version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/modules/modules.h"

namespace {

constexpr WORD kBinary = 0;
constexpr WORD kText = 1;
constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType

void PutU16(std::vector<BYTE>& out, std::size_t at, WORD v) {
  out[at] = static_cast<BYTE>(v & 0xFF);
  out[at + 1] = static_cast<BYTE>(v >> 8);
}
void AppendU16(std::vector<BYTE>& out, WORD v) {
  out.push_back(static_cast<BYTE>(v & 0xFF));
  out.push_back(static_cast<BYTE>(v >> 8));
}
void AppendU32(std::vector<BYTE>& out, DWORD v) {
  AppendU16(out, static_cast<WORD>(v & 0xFFFF));
  AppendU16(out, static_cast<WORD>(v >> 16));
}
void AppendText(std::vector<BYTE>& out, std::u16string_view text) {
  for (char16_t c : text) AppendU16(out, c);
  AppendU16(out, 0);
}
void Align4(std::vector<BYTE>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

WORD GetU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

// One block: its header, key and value; the children follow through `write`.
template <typename Children>
void WriteBlock(std::vector<BYTE>& out, std::u16string_view key, WORD type, WORD valueLength,
                const std::vector<BYTE>& value, Children write) {
  Align4(out);
  std::size_t start = out.size();
  AppendU16(out, 0);  // wLength, set below
  AppendU16(out, valueLength);
  AppendU16(out, type);
  AppendText(out, key);
  Align4(out);
  out.insert(out.end(), value.begin(), value.end());
  write();
  PutU16(out, start, static_cast<WORD>(out.size() - start));
}

void WriteTextBlock(std::vector<BYTE>& out, std::u16string_view key, std::u16string_view text) {
  std::vector<BYTE> value;
  AppendText(value, text);
  WriteBlock(out, key, kText, static_cast<WORD>(text.size() + 1), value, [] {});
}

std::vector<BYTE> FixedInfo(const platform::VersionResourceInfo& info) {
  const WORD* file = info.fileVersion;
  bool noProduct = info.productVersion[0] == 0 && info.productVersion[1] == 0 &&
                   info.productVersion[2] == 0 && info.productVersion[3] == 0;
  const WORD* product = noProduct ? file : info.productVersion;
  std::vector<BYTE> value;
  AppendU32(value, VS_FFI_SIGNATURE);
  AppendU32(value, VS_FFI_STRUCVERSION);
  AppendU32(value, static_cast<DWORD>(file[0]) << 16 | file[1]);
  AppendU32(value, static_cast<DWORD>(file[2]) << 16 | file[3]);
  AppendU32(value, static_cast<DWORD>(product[0]) << 16 | product[1]);
  AppendU32(value, static_cast<DWORD>(product[2]) << 16 | product[3]);
  AppendU32(value, VS_FFI_FILEFLAGSMASK);
  AppendU32(value, 0);  // flags: a release build
  AppendU32(value, VOS_NT_WINDOWS32);
  AppendU32(value, info.fileType);
  AppendU32(value, info.fileSubtype);
  AppendU32(value, 0);  // no file date
  AppendU32(value, 0);
  return value;
}

std::u16string VersionText(const WORD* v) {
  std::string text = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                     std::to_string(v[2]) + "." + std::to_string(v[3]);
  return platform::Utf8ToWide(text);
}

std::u16string TableKey(WORD language, WORD codePage) {
  char key[9];
  std::snprintf(key, sizeof(key), "%04X%04X", language, codePage);
  return platform::Utf8ToWide(key);
}

// A block read back: where its value and children lie, inside [offset, end).
struct Block {
  std::size_t offset;
  std::size_t end;
  std::size_t key;  // offset of the key's first character
  std::size_t keyChars;
  WORD type;
  WORD valueLength;
  std::size_t value;
  std::size_t valueBytes;
  std::size_t children;
};

std::size_t Up4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

std::optional<Block> ReadBlock(const BYTE* base, std::size_t offset, std::size_t limit) {
  if (offset > limit || limit - offset < kHeaderSize) return std::nullopt;
  Block b{};
  b.offset = offset;
  std::size_t length = GetU16(base + offset);
  if (length < kHeaderSize || length > limit - offset) return std::nullopt;
  b.end = offset + length;
  b.valueLength = GetU16(base + offset + 2);
  b.type = GetU16(base + offset + 4);
  std::size_t at = offset + kHeaderSize;
  std::size_t keyStart = at;
  while (at + 2 <= b.end && GetU16(base + at) != 0) at += 2;
  if (at + 2 > b.end) return std::nullopt;  // the key has no terminator
  b.key = keyStart;
  b.keyChars = (at - keyStart) / 2;
  b.value = std::min(Up4(at + 2), b.end);
  b.valueBytes = b.type == kText ? b.valueLength * std::size_t{2} : b.valueLength;
  if (b.valueBytes > b.end - b.value) return std::nullopt;
  b.children = std::min(Up4(b.value + b.valueBytes), b.end);
  return b;
}

bool KeyEquals(const BYTE* base, const Block& b, std::u16string_view key) {
  if (b.keyChars != key.size()) return false;
  std::u16string text(b.keyChars, u'\0');
  for (std::size_t i = 0; i < b.keyChars; ++i) text[i] = GetU16(base + b.key + 2 * i);
  return platform::EqualsIgnoreCase(text, key);
}

std::optional<Block> FindChild(const BYTE* base, const Block& parent, std::u16string_view key) {
  for (std::size_t at = parent.children; at < parent.end;) {
    std::optional<Block> child = ReadBlock(base, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyEquals(base, *child, key)) return child;
    at = Up4(child->end);
  }
  return std::nullopt;
}

// The module's version resource, copied; false with the error set.
bool ReadVersionResource(LPCWSTR fileName, std::vector<BYTE>& bytes) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HMODULE module = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    if (GetLastError() == ERROR_MOD_NOT_FOUND) SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
  const auto* data = found != nullptr
                         ? static_cast<const BYTE*>(LockResource(LoadResource(module, found)))
                         : nullptr;
  DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  bool ok = data != nullptr && size >= kHeaderSize;
  if (ok) bytes.assign(data, data + size);
  DWORD error = found == nullptr ? GetLastError() : ERROR_RESOURCE_DATA_NOT_FOUND;
  FreeLibrary(module);
  if (!ok) SetLastError(error);
  return ok;
}

}  // namespace

QXAPI DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, DWORD* handle) {
  if (handle != nullptr) *handle = 0;
  std::vector<BYTE> bytes;
  if (!ReadVersionResource(fileName, bytes)) return 0;
  return static_cast<DWORD>(bytes.size());
}

QXAPI BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD, DWORD length, LPVOID data) {
  if (data == nullptr || length < kHeaderSize) {
    SetLastError(data == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::vector<BYTE> bytes;
  if (!ReadVersionResource(fileName, bytes)) return FALSE;
  if (bytes.size() > length) {
    bytes.resize(length);
    if (GetU16(bytes.data()) > length) PutU16(bytes, 0, static_cast<WORD>(length));
  }
  std::memcpy(data, bytes.data(), bytes.size());
  return TRUE;
}

QXAPI BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) {
  if (length != nullptr) *length = 0;
  if (block == nullptr || subBlock == nullptr || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* base = static_cast<const BYTE*>(block);
  std::optional<Block> current = ReadBlock(base, 0, GetU16(base));
  std::u16string_view path = platform::WideView(subBlock);
  while (current && !path.empty()) {
    std::size_t start = path.find_first_not_of(u'\\');
    if (start == std::u16string_view::npos) break;
    path.remove_prefix(start);
    std::size_t end = path.find(u'\\');
    current = FindChild(base, *current, path.substr(0, end));
    path = end == std::u16string_view::npos ? std::u16string_view() : path.substr(end);
  }
  if (!current) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  *buffer = const_cast<BYTE*>(base + current->value);
  if (length != nullptr) *length = current->valueLength;
  return TRUE;
}

namespace platform {

std::vector<BYTE> BuildVersionResource(const VersionResourceInfo& info) {
  bool hasFileVersion = false;
  bool hasProductVersion = false;
  for (std::size_t i = 0; i < info.stringCount; ++i) {
    hasFileVersion |= WideView(info.strings[i].key) == u"FileVersion";
    hasProductVersion |= WideView(info.strings[i].key) == u"ProductVersion";
  }
  std::vector<BYTE> out;
  std::vector<BYTE> fixed = FixedInfo(info);
  std::vector<BYTE> none;
  WriteBlock(out, u"VS_VERSION_INFO", kBinary, static_cast<WORD>(fixed.size()), fixed, [&] {
    WriteBlock(out, u"StringFileInfo", kText, 0, none, [&] {
      WriteBlock(out, TableKey(info.language, info.codePage), kText, 0, none, [&] {
        if (!hasFileVersion) WriteTextBlock(out, u"FileVersion", VersionText(info.fileVersion));
        if (!hasProductVersion) {
          WriteTextBlock(out, u"ProductVersion",
                         info.productVersion[0] | info.productVersion[1] | info.productVersion[2] |
                                 info.productVersion[3]
                             ? VersionText(info.productVersion)
                             : VersionText(info.fileVersion));
        }
        for (std::size_t i = 0; i < info.stringCount; ++i) {
          WriteTextBlock(out, WideView(info.strings[i].key), WideView(info.strings[i].value));
        }
      });
    });
    std::vector<BYTE> translation;
    AppendU16(translation, info.language);
    AppendU16(translation, info.codePage);
    WriteBlock(out, u"VarFileInfo", kText, 0, none,
               [&] { WriteBlock(out, u"Translation", kBinary, 4, translation, [] {}); });
  });
  // Every length is a WORD: a resource that outgrows one cannot be written.
  if (out.size() > 0xFFFF) out.clear();
  return out;
}

}  // namespace platform
