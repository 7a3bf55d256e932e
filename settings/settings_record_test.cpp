// The private check and the sized copy of the settings record.
#include "settings/settings_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

using namespace settings;

// The smallest block the private check accepts: everything zero but the three tags.
std::vector<unsigned char> ValidBlock() {
  std::vector<unsigned char> block(kPrivateSize, 0);
  SetU32(block.data(), priv::kSignature, kPrivSignature);
  SetU16(block.data(), priv::kColorAdjust, 24);
  std::memcpy(block.data() + priv::kCommon, "MCOMMON", 8);
  return block;
}

TEST(PrivateCheck, EachTestRejects) {
  struct Case {
    const char* name;
    std::function<void(unsigned char*)> spoil;
  };
  const Case kCases[] = {
      {"signature", [](unsigned char* b) { b[0] = 'Q'; }},
      {"colour adjustment size", [](unsigned char* b) { SetU16(b, priv::kColorAdjust, 25); }},
      {"common tag", [](unsigned char* b) { b[priv::kCommon + 6] = 'X'; }},
      {"feature count", [](unsigned char* b) { SetU16(b, priv::kFeatureCount, 65); }},
      {"pen colour 26", [](unsigned char* b) { SetI32(b, PenOffset(15, priv::kPenColor), 26); }},
      {"pen colour -1", [](unsigned char* b) { SetI32(b, PenOffset(0, priv::kPenColor), -1); }},
      {"pen 3 density 11",
       [](unsigned char* b) { SetI32(b, PenOffset(3, priv::kPenDensity), 11); }},
      {"pen density -2", [](unsigned char* b) { SetI32(b, PenOffset(3, priv::kPenDensity), -2); }},
      {"putcolor 10", [](unsigned char* b) { SetI16(b, PenOffset(2, priv::kPenPutcolor), 10); }},
      {"option count", [](unsigned char* b) { SetU32(b, priv::kOptionCount, 11); }},
      {"OriSet", [](unsigned char* b) { SetI16(b, priv::kOriSet, 7); }},
      {"colormode", [](unsigned char* b) { SetI16(b, priv::kColormode, 3); }},
      {"bekutacolor", [](unsigned char* b) { SetI16(b, priv::kBekutacolor, -1); }},
      {"shrinkimage", [](unsigned char* b) { SetI16(b, priv::kShrinkimage, 4); }},
      {"stampsel", [](unsigned char* b) { SetI16(b, priv::kStampsel, 17); }},
      {"shortText", [](unsigned char* b) { SetWideText(b, priv::kShortText, 6, u"ABCDE"); }},
      {"colour name",
       [](unsigned char* b) {
         for (std::size_t i = 0; i < 10; ++i)
           SetU16(b, ColorOffset(24, priv::kColorName) + 2 * i, 'x');
       }},
      {"option name",
       [](unsigned char* b) {
         for (std::size_t i = 0; i < 10; ++i)
           SetU16(b, DeviceOptionOffset(9, priv::kOptName) + 2 * i, 'x');
       }},
      {"youshi",
       [](unsigned char* b) {
         for (std::size_t i = 0; i < 128; ++i) SetU16(b, priv::kYoushi + 2 * i, 'A');
       }},
      {"UserCode", [](unsigned char* b) { std::memset(b + priv::kUserCode, '1', 18); }},
      {"UserId",
       [](unsigned char* b) {
         for (std::size_t i = 0; i < 9; ++i) SetU16(b, priv::kUserId + 2 * i, 'u');
       }},
  };
  EXPECT_TRUE(CheckPrivateBlock(ValidBlock().data()));
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> block = ValidBlock();
    c.spoil(block.data());
    EXPECT_FALSE(CheckPrivateBlock(block.data()));
    EXPECT_STRNE(FirstPrivateCheckFailure(block.data()), "");
  }
}

TEST(PrivateCheck, LimitsThatPass) {
  std::vector<unsigned char> block = ValidBlock();
  SetI32(block.data(), PenOffset(3, priv::kPenDensity), -1);
  SetI32(block.data(), PenOffset(4, priv::kPenDensity), 10);
  SetI32(block.data(), PenOffset(5, priv::kPenColor), 25);  // kept valid for stored records
  SetI16(block.data(), priv::kStampsel, 16);
  SetWideText(block.data(), priv::kYoushi, priv::kYoushiChars, std::u16string(127, u'A'));
  std::memset(block.data() + priv::kUserCode, '1', 17);
  SetU16(block.data(), priv::kFeatureCount, 64);
  EXPECT_TRUE(CheckPrivateBlock(block.data())) << FirstPrivateCheckFailure(block.data());
}

// A record buffer of a given public size with a private area after it.
struct Buffer {
  std::vector<unsigned char> bytes;
  Buffer(WORD size, WORD extra, WORD specVersion, unsigned char fill) : bytes(size + extra, fill) {
    StoreU16(bytes.data() + 64, specVersion);
    StoreU16(bytes.data() + 66, 0x400);
    StoreU16(bytes.data() + 68, size);
    StoreU16(bytes.data() + 70, extra);
  }
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
};

TEST(SizedCopy, AlignsThePrivateBlockToTheTargetLayout) {
  Buffer source(212, 2200, 0x400, 0xAA);
  source.bytes[212] = 'P';  // first private byte
  source.bytes[211] = 0x11;
  Buffer target(220, 2200, 0x401, 0);
  EXPECT_EQ(CopyRecordSized(source.dm(), target.dm()), 212 + 2200);
  EXPECT_EQ(target.bytes[220], 'P');
  EXPECT_EQ(target.bytes[211], 0x11);
  EXPECT_EQ(target.bytes[215], 0);  // ICM members the source lacks stay as they were
  EXPECT_EQ(target.dm()->dmSize, 220);
  EXPECT_EQ(target.dm()->dmSpecVersion, 0x401);
  EXPECT_EQ(target.dm()->dmDriverExtra, 2200);
}

TEST(SizedCopy, SizesAndVersions) {
  struct Case {
    WORD sourceSize, sourceSpec, sourceExtra, targetSize, targetSpec, targetExtra;
    int result;
    WORD specVersion;
  };
  const Case kCases[] = {
      {220, 0x401, 2200, 188, 0x401, 0, 188, 0x320},
      {188, 0, 0, 212, 0x400, 100, 188, 0x400},
      {156, 0, 0, 220, 0x401, 0, -1, 0},           // unknown size without version
      {156, 0x300, 0, 220, 0x401, 0, 156, 0x401},  // any size with a version
      {220, 0x401, 10, 200, 0, 10, -1, 0},         // target of odd size and no version
      {220, 0x401, 10, 200, 0x333, 4, 204, 0x333},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sourceSize * 1000 + c.targetSize);
    Buffer source(c.sourceSize, c.sourceExtra, c.sourceSpec, 0x55);
    Buffer target(c.targetSize, c.targetExtra, c.targetSpec, 0);
    EXPECT_EQ(CopyRecordSized(source.dm(), target.dm()), c.result);
    if (c.result >= 0) {
      EXPECT_EQ(target.dm()->dmSpecVersion, c.specVersion);
      EXPECT_EQ(target.dm()->dmSize, c.targetSize);
      EXPECT_EQ(target.dm()->dmDriverExtra, c.targetExtra);
    }
  }
}

}  // namespace
