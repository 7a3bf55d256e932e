// Loading through the cache file: when it is written, when it is used, and when
// it is passed over and the description parsed again.
#include "settings/description_cache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "settings/checksum.h"
#include "settings/description_layout.h"
#include "settings/description_test_util.h"
#include "tests/support/temp_root.h"

namespace {

using namespace settings;
namespace fs = std::filesystem;
using settings::testing::Block;
using settings::testing::FontModule;
using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}
void WriteText(const fs::path& path, const std::string& text) {
  WriteBytes(path, Bytes(text.begin(), text.end()));
}
// Moves a file's last-write time by `seconds` from now.
void SetAge(const fs::path& path, int seconds) {
  fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
}

fs::path SamplePrinter(const char* name) {
  return fs::path(qxtest::SourceDir()) / "printers" / name;
}

class DescriptionCache : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = qxtest::MakeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  // Copies a sample printer into the test's folder under `name`.
  fs::path Copy(const char* sample, const char* name = "KX-M089.PPD") {
    fs::path to = dir_ / name;
    fs::copy_file(SamplePrinter(sample), to, fs::copy_options::overwrite_existing);
    return to;
  }
  Block Load(const fs::path& path, DWORD fontOrder = 0) {
    std::u16string wide = platform::Utf8ToWide(path.string());
    return Block(LoadDescription(wide.c_str(), FontModule(), fontOrder));
  }
  Block Parse(const fs::path& path) {
    std::u16string wide = platform::Utf8ToWide(path.string());
    return Block(BuildDescriptionBlock(wide.c_str(), FontModule()));
  }
  fs::path dir_;
};

TEST(CacheFileName, ReplacesTheTextAfterTheLastDot) {
  struct Case {
    const char16_t* path;
    const char16_t* cache;
  };
  const Case kCases[] = {
      {u"C:\\drivers\\PRINTER.PPD", u"C:\\drivers\\PRINTER.BPD"},
      {u"C:\\drivers\\PRINTER", u"C:\\drivers\\PRINTER.BPD"},
      {u"/opt/qx/KX-M089.ppd", u"/opt/qx/KX-M089.BPD"},
      {u"C:\\drivers\\a.b.ppd", u"C:\\drivers\\a.b.BPD"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(platform::WideToUtf8(c.path));
    EXPECT_EQ(CacheFileName(c.path), c.cache);
  }
}

// The cache file of a sample printer: its header by byte offset, and the same
// record whether it is parsed or read back.
TEST_F(DescriptionCache, WritesTheCacheAndReadsItBack) {
  fs::path ppd = Copy("KX-M089.ppd");
  Block parsed = Parse(ppd);
  ASSERT_NE(parsed, nullptr);
  ASSERT_FALSE(fs::exists(dir_ / "KX-M089.BPD"));  // building a block writes nothing
  Block first = Load(ppd);
  ASSERT_NE(first, nullptr);
  fs::path bpd = dir_ / "KX-M089.BPD";
  ASSERT_TRUE(fs::exists(bpd));
  Bytes file = ReadBytes(bpd);
  ASSERT_GT(file.size(), 608u);
  EXPECT_EQ(LoadU32(file.data()), file.size());
  EXPECT_EQ(LoadU64(file.data() + 8), 568u);
  EXPECT_EQ(LoadU16(file.data() + 24), 3);
  Bytes text = ReadBytes(ppd);
  EXPECT_EQ(LoadU16(file.data() + 26), UpdateChecksum(0, text.data(), text.size()));
  std::u16string path;
  for (std::size_t at = 568; LoadU16(file.data() + at) != 0; at += 2) {
    path.push_back(static_cast<char16_t>(LoadU16(file.data() + at)));
  }
  EXPECT_EQ(path, platform::Utf8ToWide(ppd.string()));
  for (std::uint32_t i = 0; i < 31; ++i) EXPECT_EQ(LoadU64(file.data() + 280 + 8 * i), 0u);

  Block second = Load(ppd);  // from the cache
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(Description(second.get()).TotalSize(), file.size());
  EXPECT_EQ(std::memcmp(second.get(), first.get(), file.size()), 0);
  EXPECT_EQ(std::memcmp(second.get(), parsed.get(), file.size()), 0);
  EXPECT_EQ(Description(second.get()).NickName(), "KX-M089 ZQ1");
  for (const fs::directory_entry& e : fs::directory_iterator(dir_)) {
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();  // no temporary file left
  }
}

// A current cache is used even when the description's text would say otherwise;
// a newer description is parsed and the cache rewritten.
TEST_F(DescriptionCache, StaleCacheIsReparsed) {
  fs::path ppd = dir_ / "TEST.PPD";
  WriteText(ppd, "*NickName: \"first\"\n");
  SetAge(ppd, -100);
  ASSERT_NE(Load(ppd), nullptr);
  WriteText(ppd, "*NickName: \"second\"\n");
  SetAge(ppd, -50);  // still older than the cache
  EXPECT_EQ(Description(Load(ppd).get()).NickName(), "first");
  SetAge(ppd, 100);  // touched: newer than the cache
  EXPECT_EQ(Description(Load(ppd).get()).NickName(), "second");
  SetAge(ppd, -100);
  EXPECT_EQ(Description(Load(ppd).get()).NickName(), "second");  // the rewritten cache
}

// Caches that cannot be used are passed over: the description is parsed again.
TEST_F(DescriptionCache, UnusableCachesAreReparsed) {
  struct Case {
    const char* name;
    void (*damage)(Bytes&);
  };
  const Case kCases[] = {
      {"truncated", [](Bytes& b) { b.erase(b.end() - 10, b.end()); }},
      {"too small",
       [](Bytes& b) {
         b.resize(600);
         StoreU32(b.data(), 600);
       }},
      {"longer than its size", [](Bytes& b) { b.insert(b.end(), 8, 0); }},
      {"other format version", [](Bytes& b) { StoreU16(b.data() + 24, 2); }},
      {"foreign bytes",
       [](Bytes& b) {
         std::uint32_t size = LoadU32(b.data());
         std::memset(b.data(), 0x5A, b.size());
         StoreU32(b.data(), size);
       }},
      {"feature offset at the end", [](Bytes& b) { StoreU64(b.data() + 272, b.size()); }},
      {"backward feature link",
       [](Bytes& b) {
         std::uint64_t first = LoadU64(b.data() + 272);
         StoreU64(b.data() + first, first);
       }},
  };
  fs::path ppd = dir_ / "TEST.PPD";
  fs::path bpd = dir_ / "TEST.BPD";
  WriteText(ppd, "*NickName: \"old\"\n*PageSize A4: \"x\"\n");
  ASSERT_NE(Load(ppd), nullptr);
  const Bytes good = ReadBytes(bpd);
  WriteText(ppd, "*NickName: \"new\"\n*PageSize A4: \"x\"\n");
  SetAge(ppd, -100);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Bytes b = good;
    c.damage(b);
    WriteBytes(bpd, b);
    SetAge(bpd, 0);
    Block block = Load(ppd);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Description(block.get()).NickName(), "new");
    EXPECT_EQ(ReadBytes(bpd).size(), Description(block.get()).TotalSize());  // rewritten
    WriteBytes(bpd, good);
    SetAge(bpd, 0);
    EXPECT_EQ(Description(Load(ppd).get()).NickName(), "old");  // the good one is used
  }
}

// A cache copied next to a description of another name belongs to that name.
TEST_F(DescriptionCache, CacheOfAnotherFileIsReparsed) {
  fs::path a = dir_ / "PRINTERA.PPD";
  WriteText(a, "*NickName: \"A\"\n");
  SetAge(a, -100);
  ASSERT_NE(Load(a), nullptr);
  fs::path b = dir_ / "PRINTERB.PPD";
  WriteText(b, "*NickName: \"B\"\n");
  SetAge(b, -100);
  fs::copy_file(dir_ / "PRINTERA.BPD", dir_ / "PRINTERB.BPD");
  EXPECT_EQ(Description(Load(b).get()).NickName(), "B");
  // The stored file name is compared without regard to case.
  fs::path lower = dir_ / "printera.ppd";
  WriteText(lower, "*NickName: \"lower\"\n");
  SetAge(lower, -100);
  fs::copy_file(dir_ / "PRINTERA.BPD", dir_ / "printera.BPD");
  EXPECT_EQ(Description(Load(lower).get()).NickName(), "A");
}

// Without a place to write the cache the description is still loaded.
TEST_F(DescriptionCache, UnwritableCacheStillLoads) {
  fs::path ppd = Copy("KX-M012.ppd", "KX-M012.PPD");
  fs::create_directory(dir_ / "KX-M012.BPD");  // a folder where the file would go
  for (int i = 0; i < 2; ++i) {
    Block block = Load(ppd);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Description(block.get()).LanguageLevel(), 12u);
  }
  int files = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);  // the description only: no temporary files left behind
}

TEST_F(DescriptionCache, MissingDescription) {
  SetLastError(0);
  EXPECT_EQ(Load(dir_ / "NONE.PPD"), nullptr);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(LoadDescription(nullptr, FontModule(), 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// The font order is applied to every load, from the text or from the cache; the
// cache keeps all fonts.
TEST_F(DescriptionCache, FontOrderOnEveryLoad) {
  fs::path ppd = Copy("KX-M095.ppd", "KX-M095.PPD");
  SetAge(ppd, -100);
  auto count = [](const void* block) {
    int n = 0;
    for (DeviceFont f = Description(block).FirstFont(); f; f = f.Next()) ++n;
    return n;
  };
  Block all = Parse(ppd);
  Block parsed = Load(ppd, 0);
  Block cached = Load(ppd, 0);
  Block other = Load(ppd, 1);
  ASSERT_TRUE(all && parsed && cached && other);
  EXPECT_EQ(Description(all.get()).FontOrder(), 0xFFFFFFFFu);
  EXPECT_EQ(Description(parsed.get()).FontOrder(), 0u);
  EXPECT_EQ(Description(other.get()).FontOrder(), 1u);
  EXPECT_LT(count(parsed.get()), count(all.get()));
  EXPECT_EQ(count(parsed.get()), count(cached.get()));
  EXPECT_EQ(LoadU32(ReadBytes(dir_ / "KX-M095.BPD").data() + layout::kFontOrder), 0xFFFFFFFFu);
}

}  // namespace
