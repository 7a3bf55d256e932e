// Whole jobs through qx print: job scripts of this folder played into the driver
// on the sample printers, and the exact streams that must reach the port, each
// block with the rule it comes from. The clock is fixed at 2 March 2009, 7:05:09.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/qx_run.h"
#include "tests/support/temp_root.h"

namespace {

using qxtest::ReadFileBytes;
using qxtest::RunQx;

std::string Script(const char* name) { return qxtest::SourceDir() + "/tests/jobs/" + name; }

// A fresh stand-in root for each job, with the fixed clock in the environment
// the qx process inherits.
std::string FreshRoot(const std::string& name) {
  setenv("QX_FIXED_TIME", "2009-03-02T07:05:09", 1);
  return qxtest::MakeTempDir(name) + "/root";
}

// Variant A of the job header on the ZQ1 (model 89, PrinterFunction A61F32E7,
// PrinterType 3). The start block goes to the spool filter, which takes it: it
// does not reach the port.
std::string Zq1Pjl(const std::string& document, const std::string& identity = "",
                   const std::string& track = "") {
  return std::string("\x1B%-12345X") +  // the universal exit, written as text
         "@PJL\n@PJL JOB\n" + "@PJL SET JOBNAME = \"" + document +
         "\"\n" +                            // 0x2000: the spooler's document name
         "@PJL SET DATE = \"2009/03/02\"\n"  // the local clock, month and day in two digits
         "@PJL SET TIME = \"07:05:09\"\n" +
         "@PJL SET USERID = \"?\"\n" +  // 0x2: no user ID gives "?"; no user code line for a local
                                        // job
         identity +                     // 0x2000: the host login name, when one came
         "@PJL SET TRACKID = \"" + track + "\"\n" +  // 0x40: the track ID, unchanged
         "@PJL SET COPIERSTAMP = OFF\n"              // type 3 on model 89, softstamp clear
         "@PJL SET FOLD = OFF\n"  // 0x2000000: the fold and stamp form of the bin lines
         "@PJL SET STAMP = OFF\n"
         "@PJL SET IMAGEDIRECTION = NORMAL\n"    // 0x80000000, rotate180deg clear
         "@PJL SET PRINTINFO = \"SCALING=3\"\n"  // scale of exactly 100 percent (1000 tenths)
         "@PJL ENTER LANGUAGE = GL2\n";
}

// The language switch command, then the ZQ1's device command block.
const std::string kZq1Commands =
    "\x1B\x12!-1,1,2@GL2\x1B "        // escape, DC2, "!-1,1,2@GL2", escape, space
    "MS-1,6,11,3;"                    // the colour command: extended set, monochrome
    "MS-1,24,0;"                      // the automatic slot after its slash
    "MS-1,43,3;"                      // paper link with A1 from the automatic source
    "MS-1,23,2;"                      // hard clip
    "MS-1,1,600;"                     // the Resolution option of 600 dpi
    "MS-1,21,100.00;MS-1,22,100.00;"  // model 89 writes both scaling factors
    "MS-1,31,0;"                      // the PrintMode invocation of smooth: Default
    "MS-1,60,1;"                      // 0x2000: the selected Desing text
    "MS-1,26,0;";                     // the tray command of the automatic slot: plain paper

// A page of the ZQ1's defaults: the paper selection command naming the form
// ("5@A1" framed by 1B 12 and 1B 20), the page set-up block that starts with 1B,
// "%0BIN;BP2," and the copy count (A1 at 600 dpi: 33187 by 23366 plotter units,
// 13798 by 19598 pixels), the pens of PrinterType 3, the raster language's
// opaque source, and the page end "PG;".
std::string Zq1Page(int copies = 1) {
  return std::string("\x1B\x12") + "5@A1" + "\x1B\x20" + "\x1B%0BIN;BP2," + std::to_string(copies) +
         ";" + "NP256" + "PS33187,23366;" + "IP23366,33187,0,0;" + "IW23366,33187,0,0;" +
         "SC0,13798,19598,0;" + "TR0;MC1,240;SD1,11;AD1,1643;ES-0.14;" +
         "PC0,0,0,0;PC1,0,0,0;PC2,0,0,0;PC3,0,0,0;PC4,0,0,0;PC5,0,0,0;PC6,0,0,0;PC7,0,0,0;" +
         "PC30,0,0,0;" + "\x1B%1A\x1B*v1N\x1B%0B" + "PG;";
}

// The trailer: the KX-GL emulation closes with the second and third
// initialisation commands, then the emulation return 1B 12 "!GL2" 1B 20. With
// PJL among the protocols nothing follows.
const std::string kZq1Trailer = "\x1B%0A\x1B%-12345X\x1B\x12!GL2\x1B ";

std::string PrintToFile(const std::string& root, const char* script, std::string* file,
                        qxtest::QxResult* result) {
  *file = root + ".prn";
  *result = RunQx(root, {"print", Script(script), "-o", *file});
  return ReadFileBytes(*file);
}

TEST(JobStream, TwoPagesOnTheZq1) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("two-pages"), "zq1_two_pages.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  // The header once at the first page; each page re-initialises the language.
  EXPECT_EQ(bytes, Zq1Pjl("Two pages") + kZq1Commands + Zq1Page() + Zq1Page() + kZq1Trailer);
}

TEST(JobStream, SettingsResetBetweenPages) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("reset"), "zq1_reset.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  // The reset context continues the document: no second header. Paper and
  // source did not change (same page setup), so no reset page set-up block; the
  // second page's set-up carries the new copy count.
  EXPECT_EQ(bytes, Zq1Pjl("Reset") + kZq1Commands + Zq1Page(1) + Zq1Page(3) + kZq1Trailer);
}

TEST(JobStream, PrivateEscapes) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("escapes"), "zq1_escapes.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  // Escape 100 (0x40) gave the track ID, 107 the host login name (0x2000 line).
  EXPECT_EQ(bytes, Zq1Pjl("Escapes", "@PJL SET HOSTLOGINNAME = \"kato\"\n", "TRACK-7") +
                       kZq1Commands + Zq1Page() + kZq1Trailer);
  const std::string at = Script("zq1_escapes.job") + ":";
  // Every escape of the private group answers 1, except 101 once the header is
  // written; 106 gives the job identifier (the first job of a fresh spooler);
  // without 0x200000 escape 112 leaves its output alone; 113 gives
  // PrinterFunction A61F32E7 in little-endian order.
  const std::string expected =
      at + "4: escape 100 returned 1\n" + at + "5: escape 101 returned 1\n" + at +
      "6: escape 107 returned 1\n" + at + "9: escape 101 returned 0\n" + at +
      "10: escape 102 returned 1\n" + at + "11: escape 103 returned 1\n" + at +
      "12: escape 104 returned 1\n" + at + "13: escape 105 returned 1\n" + at +
      "14: escape 106 returned 1, output 01000000\n" + at + "15: escape 108 returned 1\n" + at +
      "16: escape 109 returned 1\n" + at + "17: escape 110 returned 1\n" + at +
      "18: escape 111 returned 1\n" + at + "19: escape 112 returned 1, output 00000000\n" + at +
      "20: escape 113 returned 1, output e7321fa6\n";
  EXPECT_EQ(r.out, expected);
}

TEST(JobStream, PassThroughBeforeTheFirstPage) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("passthrough"), "zq1_passthrough.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  // The pass-through header (0x200), once: PJL start, job name, date and time,
  // user ID, track ID, the bin lines, then the stamp line, image direction, the
  // copies and the language entry; no language switch and no device commands.
  const std::string passHeader =
      std::string("\x1B%-12345X") + "@PJL\n@PJL JOB\n" + "@PJL SET JOBNAME = \"Raw\"\n" +
      "@PJL SET DATE = \"2009/03/02\"\n@PJL SET TIME = \"07:05:09\"\n" +
      "@PJL SET USERID = \"?\"\n" + "@PJL SET TRACKID = \"\"\n" +
      "@PJL SET FOLD = OFF\n@PJL SET STAMP = OFF\n" + "@PJL SET COPIERSTAMP = OFF\n" +
      "@PJL SET IMAGEDIRECTION = NORMAL\n" + "@PJL SET QTY = 1\n" + "@PJL ENTER LANGUAGE = GL2\n";
  // The blocks' data without their byte counts, then the first page writes the
  // normal job header as well.
  EXPECT_EQ(bytes, passHeader + "IN;SP1;" +
                       "\x1B"
                       "E" +
                       Zq1Pjl("Raw") + kZq1Commands + Zq1Page() + kZq1Trailer);
}

TEST(JobStream, SyntaxErrorOnLineSevenSendsNothing) {
  std::string root = FreshRoot("syntax");
  std::string port = root + ".port";
  ASSERT_EQ(RunQx(root, {"printer", "add", "Filed", "--desc",
                         qxtest::SourceDir() + "/printers/KX-M089.ppd", "--port", "file:" + port})
                .status,
            0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"print", Script("syntax_error.job"), "--printer", "Filed"},
        std::vector<std::string>{"print", Script("syntax_error.job")}}) {
    auto r = RunQx(root, args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("syntax_error.job:7: "), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");  // the bundled printer's port is the standard output
  }
  EXPECT_FALSE(std::filesystem::exists(port));
}

// A --set that names no member, or a value that does not fit, stops the job
// before anything is opened.
TEST(JobStream, BadSettingSendsNothing) {
  std::string root = FreshRoot("bad-set");
  for (const char* assignment : {"dmNothing=1", "dmCopies=70000"}) {
    SCOPED_TRACE(assignment);
    auto r = RunQx(root, {"print", Script("zq1_two_pages.job"), "--set", assignment});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(std::string("qx: --set ") + assignment + ": ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// On a terminal a job of several pages shows which page is being played.
TEST(JobStream, ProgressOnATerminal) {
  std::string root = FreshRoot("progress");
  std::string command = "QX_ROOT=" + qxtest::ShellQuote(root) + " " +
                        qxtest::ShellQuote(qxtest::BuildDir() + "/bin/qx") + " print " +
                        qxtest::ShellQuote(Script("zq1_two_pages.job")) + " -o " +
                        qxtest::ShellQuote(root + ".prn");
  // script(1) gives the command a terminal of its own.
  FILE* pipe = popen(("script -qec " + qxtest::ShellQuote(command) + " /dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string seen;
  char buffer[256];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) seen.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(seen, "\rqx: page 1 of 2\rqx: page 2 of 2\r\n");
}

// Encoded numbers of polylines: z is twice the magnitude plus 1 for a negative
// value; while z is at least 64 the byte 63 + (z mod 64) and z / 64, least
// significant digit first; then the terminating byte 191 + z.
std::string Encoded(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) {
    unsigned z = 2u * static_cast<unsigned>(v < 0 ? -v : v) + (v < 0 ? 1u : 0u);
    for (; z >= 64; z /= 64) s += static_cast<char>(63 + z % 64);
    s += static_cast<char>(191 + z);
  }
  return s;
}

TEST(JobStream, DrawingOnTheZq1) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("drawing"), "zq1_drawing.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string page = Zq1Page();
  page.resize(page.size() - 3);  // the drawing goes before the page end
  // The pens of the 8 x 8 checkerboard, row by row: ",26" for a set bit (black),
  // ",25" for a clear one (white).
  std::string pens;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) pens += (x + y) % 2 ? ",25" : ",26";
  }
  const std::string drawing =
      // The stroke: black is pen 1; a cosmetic line of one pixel has bevel joins
      // and butt caps and is 10/256 mm wide at 600 dpi; an open encoded polyline
      // from (100, 200) by relative steps.
      "SP1"
      "LA1,1,2,5"
      "PW0.039,1"
      "PE<=" +
      Encoded({100, 200, 10, 0, 0, -5}) +
      // The filled rectangle ends the polyline; its right and bottom edges move
      // in by one pixel (the engine's rectangles exclude them); solid fill.
      ";" + "PUPA200,200PMPE=" + Encoded({299, 200, 0, 49, -99, 0}) + ";PM2" + "FP0;" +
      // The cross hatch: hatch lines 16/256 mm wide, fill type 4.
      "PUPA400,400PMPE=" + Encoded({500, 400, -100, 80}) + ";PM2" + "PW0.063,1" + "FT4,26.667,0" +
      "FP0;" +
      // The one-bit pattern: the two-colour raster fill, white on pen 25 and
      // black on pen 26, filled with the winding rule.
      "PUPA600,600PMPE=" + Encoded({699, 600, 0, 99, -99, 0}) + ";PM2" + "RF1,8,8" + pens +
      "PC25,255,255,255" + "PC26,0,0,0" + "SP25;" + "FT11,1;" + "FP1;";
  EXPECT_EQ(bytes, Zq1Pjl("Drawing") + kZq1Commands + page + drawing + "PG;" + kZq1Trailer);
  // The same job on the standard output.
  auto out = RunQx(FreshRoot("drawing-stdout"), {"print", Script("zq1_drawing.job"), "-o", "-"});
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.out, bytes);
}

TEST(JobStream, OneBitImageOnTheZq1) {
  std::string file;
  qxtest::QxResult r;
  std::string bytes = PrintToFile(FreshRoot("image"), "zq1_image.job", &file, &r);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string page = Zq1Page();
  page.resize(page.size() - 3);  // the image goes before the page end
  const std::string image =
      // The ZQ1's modetype1 without the vector colour override draws images in
      // colour: the copy's merge control 0xCC (the page set-up left 0xF0).
      "MC1,204"
      // The one-bit palette pushed: enter raster, the resolution, push, the
      // configure-image-data block (RGB, indexed, 1 bit, 8 bits a primary), then
      // index 0 white and index 1 black as the script's palette gives them.
      "\x1B%1A\x1B*t600R\x1B*p0P\x1B*v6W" +
      std::string("\x00\x01\x01\x08\x08\x08", 6) + "\x1B*v255a255b255c0i0a0b0c1I\x1B%0B" +
      // The image at the target's top left. The ZQ1's page is landscape and the
      // printer does not turn it, so the driver turns the image: 8 x 1 becomes
      // 1 x 8, output row i being source column i read from the bottom row up,
      // placed at the target's top plus its height less one: the same point.
      "PUPA10,20\x1B%1A\x1B*r1s8t1A" +
      // Delta rows against a zero seed: columns 0 to 3 are black (index 1, bit
      // 0x80), replaced by command byte 0 (one byte at offset 0); equal rows are
      // empty; column 4 is white (index 0) and replaces the byte with 0.
      "\x1B*b3m2W" + std::string("\x00\x80", 2) + "\x1B*b0W\x1B*b0W\x1B*b0W" + "\x1B*b2W" +
      std::string("\x00\x00", 2) + "\x1B*b0W\x1B*b0W\x1B*b0W" +
      // The raster end and the return to the vector language.
      "\x1B*rC\x1B%0B"
      // The page end pops the pushed palette before the page is sent.
      "\x1B%1A\x1B*p1P\x1B%0B";
  EXPECT_EQ(bytes, Zq1Pjl("Image") + kZq1Commands + page + image + "PG;" + kZq1Trailer);
}

// Each sample printer takes a job; its stream has the framing of its variant:
// one page set-up and one page end for the one page.
TEST(JobStream, EverySamplePrinter) {
  std::string root = FreshRoot("samples");
  struct Sample {
    const char* model;
    bool pjl;  // variants A, B, H and I start with the universal exit
  };
  const Sample kSamples[] = {{"012", true}, {"044", true}, {"059", true},
                             {"089", true}, {"095", true}, {"103", true}};
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.model);
    std::string name = std::string("S") + s.model;
    ASSERT_EQ(RunQx(root, {"printer", "add", name, "--desc",
                           qxtest::SourceDir() + "/printers/KX-M" + s.model + ".ppd"})
                  .status,
              0);
    auto r = RunQx(root, {"print", Script("sample_page.job"), "--printer", name});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string& bytes = r.out;
    if (s.pjl) {
      EXPECT_EQ(bytes.rfind("\x1B%-12345X@PJL\n@PJL JOB\n", 0), 0u);
    }
    std::size_t enter = bytes.find("@PJL ENTER LANGUAGE = GL2\n\x1B\x12!-1,1,2@GL2\x1B ");
    std::size_t setup = bytes.find("\x1B%0BIN;BP2,1;");
    std::size_t end = bytes.find("PG;");
    EXPECT_NE(enter, std::string::npos);
    EXPECT_LT(enter, setup);
    EXPECT_LT(setup, end);
    EXPECT_EQ(bytes.find("\x1B%0BIN;", setup + 1), std::string::npos);
    EXPECT_EQ(bytes.find("PG;", end + 1), std::string::npos);
  }
}

// A listening printer on the loopback address that keeps what it reads, and
// with `closeAfter` set, resets the connection after that many bytes.
struct TestServer {
  int listener = -1;
  int port = 0;
  std::string received;
  std::thread thread;
  explicit TestServer(std::size_t closeAfter = 0) {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    EXPECT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), size), 0);
    EXPECT_EQ(listen(listener, 1), 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
    port = ntohs(a.sin_port);
    thread = std::thread([this, closeAfter] {
      int c = accept(listener, nullptr, nullptr);
      if (c < 0) return;
      char buffer[65536];
      for (;;) {
        std::size_t want = sizeof buffer;
        if (closeAfter > 0) want = std::min(want, closeAfter - received.size());
        ssize_t n = read(c, buffer, want);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
        if (closeAfter > 0 && received.size() >= closeAfter) {
          linger l{1, 0};  // a reset, as a printer that stops taking the job
          setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
          break;
        }
      }
      close(c);
    });
  }
  ~TestServer() {
    if (thread.joinable()) thread.join();
    close(listener);
  }
  std::string Port() const { return "socket://127.0.0.1:" + std::to_string(port); }
};

TEST(JobStream, SocketPortGetsTheJobByteForByte) {
  std::string root = FreshRoot("socket");
  TestServer server;
  ASSERT_EQ(RunQx(root, {"printer", "add", "Net", "--desc",
                         qxtest::SourceDir() + "/printers/KX-M089.ppd", "--port", server.Port()})
                .status,
            0);
  auto r = RunQx(root, {"print", Script("zq1_two_pages.job"), "--printer", "Net"});
  server.thread.join();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(server.received,
            Zq1Pjl("Two pages") + kZq1Commands + Zq1Page() + Zq1Page() + kZq1Trailer);
}

// A job larger than the connection holds, to a printer that resets the
// connection after 100,000 bytes: the job reports the failure, and what the
// printer got is the start of the job.
TEST(JobStream, PortFailingInTheMiddle) {
  std::string root = FreshRoot("port-fails");
  std::string script = root + ".job";
  {
    std::ofstream out(script);
    out << "document \"Large\"\nstart-document\n";
    std::string block(60000, 'A');
    for (int i = 0; i < 200; ++i) out << "passthrough text \"" << block << "\"\n";
    out << "start-page\nend-page\nend-document\n";
  }
  auto whole = RunQx(root, {"print", script, "-o", root + ".prn"});
  ASSERT_EQ(whole.status, 0) << whole.err;
  std::string expected = ReadFileBytes(root + ".prn");
  ASSERT_GT(expected.size(), 12000000u);

  TestServer server(100000);
  ASSERT_EQ(RunQx(root, {"printer", "add", "Net", "--desc",
                         qxtest::SourceDir() + "/printers/KX-M089.ppd", "--port", server.Port()})
                .status,
            0);
  auto r = RunQx(root, {"print", script, "--printer", "Net"});
  server.thread.join();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("did not reach the printer"), std::string::npos) << r.err;
  ASSERT_EQ(server.received.size(), 100000u);
  EXPECT_EQ(server.received, expected.substr(0, 100000));
}

}  // namespace
