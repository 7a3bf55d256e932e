// Version resources: the byte layout, reading them from module files, queries.
#include "platform/modules/version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/modules/modules.h"

namespace {

DWORD U32(const BYTE* p) {
  return static_cast<DWORD>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24));
}
WORD U16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

std::vector<BYTE> SampleVersion() {
  DWORD handle = 99;
  DWORD size = GetFileVersionInfoSizeW(u"QXSAMPLE.DLL", &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<BYTE> data(size);
  EXPECT_GT(size, 0u) << GetLastError();
  if (size > 0) {
    EXPECT_TRUE(GetFileVersionInfoW(u"QXSAMPLE.DLL", 0, size, data.data()));
  }
  return data;
}

std::u16string Text(const std::vector<BYTE>& block, const char16_t* path) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path, &value, &length) || length == 0) return u"<none>";
  const auto* bytes = static_cast<const BYTE*>(value);
  std::u16string text;
  for (UINT i = 0; i + 1 < length; ++i) text += static_cast<char16_t>(U16(bytes + 2 * i));
  return text;
}

// The root block as the layout lays it out: header, key, padding, fixed info.
TEST(VersionResource, RootBlockBytes) {
  platform::VersionResourceInfo info{};
  info.fileVersion[0] = 1;
  info.fileVersion[1] = 0;
  info.fileVersion[2] = 0;
  info.fileVersion[3] = 1;
  info.fileType = VFT_DRV;
  info.fileSubtype = VFT2_DRV_PRINTER;
  std::vector<BYTE> bytes = platform::BuildVersionResource(info);
  ASSERT_GE(bytes.size(), 92u);
  EXPECT_EQ(U16(&bytes[0]), bytes.size());  // wLength: the whole resource
  EXPECT_EQ(U16(&bytes[2]), 52);            // wValueLength: VS_FIXEDFILEINFO
  EXPECT_EQ(U16(&bytes[4]), 0);             // wType: binary
  const char16_t key[] = u"VS_VERSION_INFO";
  for (int i = 0; i < 16; ++i) EXPECT_EQ(U16(&bytes[6 + 2 * i]), key[i]);  // with terminator
  EXPECT_EQ(U16(&bytes[38]), 0);                                           // padding to offset 40
  EXPECT_EQ(U32(&bytes[40]), 0xFEEF04BDu);                                 // dwSignature
  EXPECT_EQ(U32(&bytes[44]), 0x00010000u);                                 // dwStrucVersion
  EXPECT_EQ(U32(&bytes[48]), 0x00010000u);                                 // file version 1.0
  EXPECT_EQ(U32(&bytes[52]), 0x00000001u);                                 // .0.1
  EXPECT_EQ(U32(&bytes[56]), 0x00010000u);  // product version = file version
  EXPECT_EQ(U32(&bytes[60]), 0x00000001u);
  EXPECT_EQ(U32(&bytes[72]), VOS_NT_WINDOWS32);
  EXPECT_EQ(U32(&bytes[76]), VFT_DRV);
  EXPECT_EQ(U32(&bytes[80]), VFT2_DRV_PRINTER);
  // The first child starts at 92, a multiple of 4: "StringFileInfo", text.
  EXPECT_EQ(U16(&bytes[96]), 1);
  EXPECT_EQ(U16(&bytes[98]), u'S');
}

TEST(VersionInfo, FromTheModuleFile) {
  std::vector<BYTE> data = SampleVersion();
  ASSERT_FALSE(data.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), u"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof(fixed));
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00020005u);  // 2.5
  EXPECT_EQ(fixed.dwFileVersionLS, 0x0011012Du);  // .17.301

  ASSERT_TRUE(VerQueryValueW(data.data(), u"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(U16(static_cast<BYTE*>(value)), 0x0411);
  EXPECT_EQ(U16(static_cast<BYTE*>(value) + 2), 1200);

  EXPECT_EQ(Text(data, u"\\StringFileInfo\\041104B0\\FileVersion"), u"2.5.17.301");
  EXPECT_EQ(Text(data, u"\\stringfileinfo\\041104b0\\FILEDESCRIPTION"), u"Sample module");
  ASSERT_TRUE(
      VerQueryValueW(data.data(), u"\\StringFileInfo\\041104B0\\ProductVersion", &value, &length));
  EXPECT_EQ(length, 11u);  // characters with the terminator
  SetLastError(0);
  EXPECT_FALSE(
      VerQueryValueW(data.data(), u"\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
  EXPECT_EQ(length, 0u);
}

TEST(VersionInfo, ShortCopiesStayInsideTheirBytes) {
  std::vector<BYTE> whole = SampleVersion();
  ASSERT_GT(whole.size(), 92u);
  void* value = nullptr;
  UINT length = 0;
  // 60 bytes: the root's value is cut, so not even "\" is there.
  std::vector<BYTE> part(60);
  ASSERT_TRUE(GetFileVersionInfoW(u"QXSAMPLE.DLL", 0, 60, part.data()));
  EXPECT_EQ(U16(part.data()), 60);
  EXPECT_FALSE(VerQueryValueW(part.data(), u"\\", &value, &length));
  // 92 bytes: the fixed information, none of the texts.
  part.assign(92, 0);
  ASSERT_TRUE(GetFileVersionInfoW(u"QXSAMPLE.DLL", 0, 92, part.data()));
  EXPECT_TRUE(VerQueryValueW(part.data(), u"\\", &value, &length));
  EXPECT_EQ(Text(part, u"\\StringFileInfo\\041104B0\\FileVersion"), u"<none>");

  // Blocks whose lengths lie are refused, not followed.
  std::vector<BYTE> bad = whole;
  bad[92] = 0xFF;  // "StringFileInfo" claims more than its parent holds
  bad[93] = 0x7F;
  EXPECT_EQ(Text(bad, u"\\StringFileInfo\\041104B0\\FileVersion"), u"<none>");
  const BYTE noTerminator[] = {8, 0, 0, 0, 0, 0, 'V', 0};
  EXPECT_FALSE(VerQueryValueW(noTerminator, u"\\", &value, &length));
}

TEST(VersionInfo, RegisteredModulesAndMissingFiles) {
  platform::VersionResourceInfo info{};
  info.fileVersion[0] = 3;
  std::vector<BYTE> bytes = platform::BuildVersionResource(info);
  const QX_RESOURCE resources[] = {{16, 1, bytes.data(), static_cast<DWORD>(bytes.size())}};
  const QX_RESOURCE_TABLE table = {resources, 1, nullptr, 0};
  platform::RegisterModule(u"qxversioned.dll", nullptr, 0, &table);
  EXPECT_EQ(GetFileVersionInfoSizeW(u"QXVERSIONED.DLL", nullptr), bytes.size());
  platform::RegisterModule(u"qxunversioned.dll", nullptr, 0, nullptr);

  struct Case {
    const char* name;
    const char16_t* file;
    DWORD error;
  };
  const Case cases[] = {
      {"no such module", u"C:\\nowhere\\missing.dll", ERROR_FILE_NOT_FOUND},
      {"module without resources", u"qxunversioned.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeW(c.file, nullptr), 0u);
    EXPECT_EQ(GetLastError(), c.error);
  }
  platform::UnregisterModule(u"qxversioned.dll");
  platform::UnregisterModule(u"qxunversioned.dll");
}

}  // namespace
