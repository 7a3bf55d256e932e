// Reading the colour matching table out of an ICC profile.
#include "render/raster/colour_profile.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace render {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTagTable = 132;  // after the tag count
constexpr std::size_t kTagEntry = 12;
constexpr std::size_t kConnectionSpace = 20;
// The 8-bit lookup table: channel counts and grid points, then three input
// tables of 256 bytes, the grid of three-byte entries, three output tables.
constexpr std::size_t kLutInputs = 8;
constexpr std::size_t kLutOutputs = 9;
constexpr std::size_t kLutGrid = 10;
constexpr std::size_t kLutInputTables = 48;
constexpr std::size_t kLutGridStart = kLutInputTables + 3 * 256;  // 816
constexpr std::size_t kLutOutputTablesSize = 3 * 256;
// Profiles with an 8-bit table are small; anything near this is no profile.
constexpr long kMaxProfileBytes = 64L << 20;

std::uint32_t BigU32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct Profile {
  const unsigned char* bytes;
  std::size_t size;  // the profile's own length, checked against the file

  std::string_view Signature(std::size_t at) const {
    return {reinterpret_cast<const char*>(bytes + at), 4};
  }
};

struct Tag {
  enum class State { kAbsent, kBroken, kFound } state;
  const unsigned char* data;
  std::size_t size;
};

// The first tag of that signature; broken when its bytes do not lie inside the
// profile.
Tag FindTag(const Profile& p, std::string_view signature) {
  std::uint32_t count = BigU32(p.bytes + kHeaderSize);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t entry = kTagTable + i * kTagEntry;
    if (p.Signature(entry) != signature) continue;
    std::uint64_t offset = BigU32(p.bytes + entry + 4);
    std::uint64_t size = BigU32(p.bytes + entry + 8);
    if (offset + size > p.size) return {Tag::State::kBroken, nullptr, 0};
    return {Tag::State::kFound, p.bytes + offset, static_cast<std::size_t>(size)};
  }
  return {Tag::State::kAbsent, nullptr, 0};
}

bool StartsWithSteps(const unsigned char* table) {
  for (int i = 0; i < 5; ++i) {
    if (table[i] != i) return false;
  }
  return true;
}

// The "B2A0" tag as an 8-bit table of three channels in and out; the grid must
// have the 17 points per axis that matching reads.
bool ReadLookupTable(const Tag& tag, ColorProfileTable* table) {
  if (tag.size < kLutGridStart) return false;
  const unsigned char* t = tag.data;
  std::size_t grid = t[kLutGrid];
  if (t[kLutInputs] != 3 || t[kLutOutputs] != 3 || grid != kProfileGrid) return false;
  std::size_t gridBytes = grid * grid * grid * 3;
  if (tag.size < kLutGridStart + gridBytes + kLutOutputTablesSize) return false;
  if (!StartsWithSteps(t + kLutInputTables) || !StartsWithSteps(t + kLutGridStart + gridBytes)) {
    return false;
  }
  if (table == nullptr) return true;
  table->gridSize = static_cast<std::uint8_t>(grid);
  const unsigned char* entry = t + kLutGridStart;
  for (int node = 0; node < kProfileNodes; ++node, entry += 3) {
    for (int ch = 0; ch < 3; ++ch) table->channel[ch][node] = entry[ch];
  }
  return true;
}

ProfileKind ReadMatrixProfile(const Profile& p) {
  if (p.Signature(kConnectionSpace) != "XYZ ") return ProfileKind::kUnusable;
  for (std::string_view tag : {"rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"}) {
    if (FindTag(p, tag).state != Tag::State::kFound) return ProfileKind::kUnusable;
  }
  return ProfileKind::kMatrix;
}

// The path as the ANSI text the file is opened by, or false when the conversion
// would cut it (over 128 characters or 255 bytes) or replace a character.
bool AnsiPath(const char16_t* path, char (&ansi)[256]) {
  std::size_t length = platform::WideLength(path);
  if (length == 0 || length > 128) return false;
  BOOL replaced = FALSE;
  int n = WideCharToMultiByte(GetACP(), 0, path, static_cast<int>(length), ansi, 255, nullptr,
                              &replaced);
  if (n <= 0 || replaced) return false;
  ansi[n] = 0;
  return true;
}

// The whole file in global memory, or null.
unsigned char* ReadProfileFile(const char* path, std::size_t* size) {
  HFILE file = _lopen(path, OF_READ | OF_SHARE_DENY_NONE);
  if (file == HFILE_ERROR) return nullptr;
  unsigned char* bytes = nullptr;
  LONG length = _llseek(file, 0, 2);
  if (length > 0 && length <= kMaxProfileBytes && _llseek(file, 0, 0) == 0) {
    bytes = static_cast<unsigned char*>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(length)));
    if (bytes && _lread(file, bytes, static_cast<UINT>(length)) != static_cast<UINT>(length)) {
      GlobalFree(bytes);
      bytes = nullptr;
    }
  }
  _lclose(file);
  *size = static_cast<std::size_t>(length);
  return bytes;
}

bool IsAbsolute(std::u16string_view path) {
  bool drive = path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
  bool unc = path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
  return drive || unc || (!path.empty() && path[0] == u'/');
}

}  // namespace

ProfileKind ReadColorProfile(const unsigned char* bytes, std::size_t size,
                             ColorProfileTable* table) {
  if (bytes == nullptr || size < kTagTable) return ProfileKind::kUnusable;
  // A profile longer than the file was cut short.
  std::uint32_t declared = BigU32(bytes);
  if (declared > size || declared < kTagTable) return ProfileKind::kUnusable;
  Profile p{bytes, declared};
  std::uint64_t count = BigU32(bytes + kHeaderSize);
  if (count * kTagEntry + kTagTable > p.size) return ProfileKind::kUnusable;
  Tag lut = FindTag(p, "B2A0");
  if (lut.state == Tag::State::kBroken) return ProfileKind::kUnusable;
  if (lut.state == Tag::State::kAbsent) return ReadMatrixProfile(p);
  if (p.Signature(kConnectionSpace) != "RGB ") return ProfileKind::kUnusable;
  return ReadLookupTable(lut, table) ? ProfileKind::kLookupTable : ProfileKind::kUnusable;
}

ColorProfileTable* LoadColorProfile(const char16_t* path) {
  char ansi[256];
  if (path == nullptr || !IsAbsolute(platform::WideView(path)) || !AnsiPath(path, ansi)) {
    return nullptr;
  }
  std::size_t size = 0;
  unsigned char* bytes = ReadProfileFile(ansi, &size);
  if (bytes == nullptr) return nullptr;
  auto* table = static_cast<ColorProfileTable*>(GlobalAlloc(GPTR, sizeof(ColorProfileTable)));
  if (table && ReadColorProfile(bytes, size, table) != ProfileKind::kLookupTable) {
    GlobalFree(table);
    table = nullptr;
  }
  GlobalFree(bytes);
  return table;
}

}  // namespace render
