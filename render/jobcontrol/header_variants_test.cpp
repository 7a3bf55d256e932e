// The header variants B to I, byte for byte, on the sample printers and on copies
// of them whose NickName names a model of another variant (the LanguageLevel,
// and so the device commands, stay the sample's).
#include "render/jobcontrol/header_variants.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "render/jobcontrol/job_header.h"
#include "render/jobcontrol/job_test_support.h"

namespace {

using namespace render;
using namespace render::jobcontrol;
using namespace render::testing;
namespace priv = settings::priv;

const std::string kUel = "\x1B%-12345X";
const std::string kDateTime = "@PJL SET DATE = \"2009/03/02\"\n@PJL SET TIME = \"07:05:09\"\n";
const std::string kUserId = "@PJL SET USERID = \"?\"\n";
const std::string kEnter = "@PJL ENTER LANGUAGE = GL2\n";
const std::string kSwitch = "\x1B\x12!-1,1,2@GL2\x1B ";
// The automatic slot of the office samples, after its slash.
const std::string kAuto = "MS-1,24,0;";
// Basic media of the office samples: A3, font 1, no Resolution (0x4000).
const std::string kBasic =
    "MS-1,23,2;MS-1,30,1;MS-1,21,100.00;MS-1,22,100.00;MS-1,7,0;MS-1,8,0;MS-1,42,2;"
    "MS-1,20,100;MS-1,40,1;MS-1,41,2;";
// Type 4 adds the red image print pair.
const std::string kBasicType4 = kBasic + "MS-1,72,1,1;MS-1,72,2,1;";
// The print mode "Default" of the office samples.
const std::string kNormal = "MS-1,31,0;";

struct Case {
  const char* name;
  const char* sample;
  const char* nickName;  // null: the sample's own
  HeaderVariant variant;
  std::function<void(RecordedJob&)> set;
  std::string bytes;
};

void NameAndLogin(RecordedJob& job) { std::strcpy(job.dc().identity.hostLoginName, "kato"); }

const Case kCases[] = {
    // MX12: type 4, 0000C327 (job binder, date and user ID, user code, custom
    // sizes, escape user code, pass-through, no Resolution command).
    {"B on the MX12", "012", nullptr, HeaderVariant::kB, NameAndLogin,
     StartBlock(0) + kUel + "@PJL\n@PJL JOB\n" + kDateTime + kUserId +
         "@PJL SET HOSTLOGINNAME = \"kato\"\n"
         "@PJL SET PRINTINFO = \"SCALING=3\"\n" +
         kEnter + kSwitch + kAuto + "MS-1,43,3;" + kBasicType4 + kNormal},
    {"C", "012", "KX-M017 C", HeaderVariant::kC, NameAndLogin,
     StartBlock(0) + kUel + "@PJL\n@PJL JOB\n" + kDateTime + kUserId +
         "@PJL SET HOSTLOGINNAME = \"kato\"\n" + kEnter + kSwitch + kAuto + "MS-1,43,3;" +
         kBasicType4 + kNormal},
    // The output bin goes between "@PJL" and "@PJL JOB"; no start block.
    {"D", "012", "KX-M029 D", HeaderVariant::kD,
     [](RecordedJob& j) { SetI32(j, priv::kDestination, 1); },
     kUel + "@PJL\n@PJL SET OUTBIN = FACEDOWN\n@PJL JOB\n" + kEnter + kSwitch + kAuto +
         "MS-1,43,3;" + kBasicType4 + kNormal},
    // As C without the job name and the host login name.
    {"E", "012", "KX-M033 E", HeaderVariant::kE, NameAndLogin,
     StartBlock(0) + kUel + "@PJL\n@PJL JOB\n" + kDateTime + kUserId + kEnter + kSwitch + kAuto +
         "MS-1,43,3;" + kBasicType4 + kNormal},
    // RX44 as an older wide model: type 8, 0001C0A4 (logging: mode 4); the
    // automatic slot takes the paper kind text ("Recycle/R").
    {"F", "044", "KX-M037 F", HeaderVariant::kF, nullptr,
     StartBlock(4) + kUel + "@PJL\n@PJL JOB\n" + kDateTime + kUserId +
         "@PJL SET COPIERSTAMP = OFF\n" + kEnter + kSwitch + kAuto + kBasic + "R"},
    // CX95 as a model without a PJL part: colour (colormode 0), extended media.
    {"G", "095", "KX-M039 G", HeaderVariant::kG, nullptr,
     kSwitch + "MS-1,6,11,2;" + kAuto + "MS-1,23,2;MS-1,1,600;" + kNormal + "MS-1,60,0;"},
    // RX44: "MS-1,26,1;" (0x4000), and the second pen palette: black text in
    // monochrome with a device font.
    {"H on the RX44", "044", nullptr, HeaderVariant::kH, nullptr,
     StartBlock(4) + kUel + "@PJL\n@PJL JOB\n" + kDateTime + kUserId + kEnter + kSwitch + kAuto +
         "MS-1,26,1;" + kBasic + kNormal + "\x1B\x12?*31,2\x1B "},
    // RX59: user code before user ID, no start block.
    {"I on the RX59", "059", nullptr, HeaderVariant::kI,
     [](RecordedJob& j) {
       j.priv()[priv::kUserCodeFlag] = 0x1;
       std::memcpy(j.priv() + priv::kUserCode, "42", 2);
     },
     kUel + "@PJL\n@PJL JOB\n" + kDateTime + "@PJL SET USERCODE = \"42\"\n" + kUserId + kEnter +
         kSwitch + kAuto + kBasic + kNormal + "\x1B\x12?*31,2\x1B "},
};

TEST(HeaderVariants, ExactBytes) {
  FixedClock clock;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string id = std::string("V") + c.name[0] + c.sample;
    std::u16string name = platform::Utf8ToWide(id);
    std::unique_ptr<TestPrinter> printer;
    if (c.nickName) {
      printer = std::make_unique<TestPrinter>(
          SampleCopy(c.sample, id,
                     {{"*NickName:", std::string("*NickName: \"") + c.nickName + "\""}}),
          name.c_str(), c.nickName);
    } else {
      printer = std::make_unique<TestPrinter>(c.sample, name.c_str());
    }
    RecordedJob job(*printer);
    ASSERT_NE(job.e.dc, nullptr);
    EXPECT_EQ(VariantOf(job.dc()), c.variant);
    if (c.set) c.set(job);
    BuildJobHeader(job.dc());
    EXPECT_EQ(job.Take(), c.bytes);
  }
}

// Variants A, F and H write nothing for jobs without page content.
TEST(HeaderVariants, NoHeaderWithoutPageContent) {
  TestPrinter printer("044", u"RX44 output mode");
  RecordedJob job(printer);
  job.priv()[priv::kCommon + priv::kCommonOutputMode] = 1;
  BuildJobHeader(job.dc());
  EXPECT_EQ(job.Take(), "");
}

}  // namespace
