// synctool: dump and build give the same bytes back, eval agrees with the engine, and text
// errors name their line and write nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include "support/test_support.h"
#include "timeline/sync_file.h"

using namespace qorFramework;
using testsupport::readFile;
using testsupport::ScratchDir;
using testsupport::writeFile;

namespace {

std::string toolPath() {
  const char* dir = getenv("DOVRIX_BUILD_DIR");
  return std::string(dir ? dir : ".") + "/synctool";
}

struct ToolRun {
  int status;
  std::string out, err;
};

// Runs synctool with the arguments (already quoted for the shell) in the current folder.
ToolRun synctool(const std::string& arguments) {
  std::string command = "'" + toolPath() + "' " + arguments + " >tool.out 2>tool.err";
  int raw = system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile("tool.out"), readFile("tool.err")};
}

std::string u32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = char(v >> (8 * i) & 0xff);
  return s;
}
std::string bits(uint32_t raw) { return u32(raw); }
std::string f32(float f) {
  uint32_t raw;
  std::memcpy(&raw, &f, 4);
  return u32(raw);
}

// A file the engine would never write: odd names, raw mode numbers 0 and out of range, keys
// out of order and at equal times, a NaN with a payload, -0, a subnormal, no keys at all.
std::string oddFile() {
  std::string odd = u32(5);
  std::string name1("Odd: \"quoted\" \\ tab\there \xc3\xa9", 27);
  odd += u32(uint32_t(name1.size() + 1)) + name1 + '\0';
  odd += u32(5) + f32(0.1f) + f32(-0.0f);
  odd += f32(1.0f) + f32(1e-40f) + u32(0) + u32(0);
  odd += f32(1.0f) + bits(0x7fc00123) + u32(9) + u32(uint32_t(-5));
  odd += f32(0.5f) + f32(3.4e38f) + u32(4) + u32(7);
  odd += f32(1e10f) + bits(0xff800000) + u32(2) + u32(6);
  odd += u32(6) + std::string("ab\0cd\0", 6) + u32(0);              // zero inside the name
  odd += u32(1) + std::string(1, '\0') + u32(1) + f32(2) + f32(3);  // empty name, one key
  std::string longName(511, 'L');
  odd += u32(512) + longName + '\0' + u32(0);
  odd += u32(16) + std::string("Earth: Rotation") + '\0' + u32(2) + f32(0) + f32(0) + f32(2.5f) + f32(1) +
         u32(2) + u32(3);
  return odd;
}

}  // namespace

TEST(SyncTool, DumpThenBuildGivesTheSameBytes) {
  ScratchDir dir;
  // One file from the engine's writer with several controllers, one made by hand.
  ControllerList list;
  const char* names[] = {"Postprocessor: blur factor", "Cred 0: Fade", "Earth: Rotation",
                         "FlickerFlash: Flash"};
  int n = 0;
  for (const char* name : names) {
    Controller* c = findOrCreateController(list, name);
    for (int k = 0; k <= n * 3; ++k) addKey(*c, 0.37f * float(k), float(k % 5) / 7.0f);
    for (size_t s = 0; s < c->segments.size(); ++s) c->segments[s] = {int32_t(1 + s % 4), int32_t(1 + s % 7)};
    ++n;
  }
  ASSERT_TRUE(writeSyncFile(list, "engine.dat"));
  writeFile("odd.dat", oddFile());

  for (const char* file : {"engine.dat", "odd.dat"}) {
    SCOPED_TRACE(file);
    ToolRun dumped = synctool(std::string("dump ") + file);
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    writeFile("text.txt", dumped.out);
    ToolRun built = synctool("build text.txt again.dat");
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(readFile("again.dat"), readFile(file));
  }
}

TEST(SyncTool, DumpIsReadable) {
  ScratchDir dir;
  writeFile("odd.dat", oddFile());
  ToolRun dumped = synctool("dump odd.dat");
  ASSERT_EQ(dumped.status, 0);
  const std::string& text = dumped.out;
  const char* earth =
      "controller \"Earth: Rotation\"\n"
      "  0          0\n"
      "  2.5        1            smoothstep     valone\n";
  EXPECT_NE(text.find(earth), std::string::npos) << text;
  EXPECT_NE(text.find("controller \"Odd: \\\"quoted\\\" \\\\ tab\\x09here \xc3\xa9\""), std::string::npos)
      << text;
  EXPECT_NE(text.find("0.1 "), std::string::npos);  // shortest form, not 0.100000001
  EXPECT_NE(text.find("bits:7fc00123"), std::string::npos);
  EXPECT_NE(text.find(" 9 "), std::string::npos);  // raw mode number
  EXPECT_NE(text.find("controller \"ab\\x00cd\""), std::string::npos);
}

// Values an author types: whole numbers print as themselves, not "3e+01".
TEST(SyncTool, DumpPrintsPlainShortestDecimalsThatReadBackToTheSameBits) {
  ScratchDir dir;
  const float values[] = {0.0f, 30.0f, 110.0f, 0.3f, 1e20f, 1.5e-7f, 16777216.0f, 3.4028235e38f, 123.456f};
  std::string file = u32(1) + u32(5) + "A: x" + '\0' + u32(uint32_t(std::size(values)));
  for (size_t i = 0; i < std::size(values); ++i) {
    file += f32(float(i)) + f32(values[i]);
    if (i > 0) file += u32(1) + u32(1);
  }
  writeFile("values.dat", file);
  ToolRun dumped = synctool("dump values.dat");
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  for (const char* plain : {" 30 ", " 110 ", " 0.3 ", " 1e+20 ", " 1.5e-07 ", " 16777216 ", " 123.456 "})
    EXPECT_NE(dumped.out.find(plain), std::string::npos) << plain << " in\n" << dumped.out;
  writeFile("values.txt", dumped.out);
  ASSERT_EQ(synctool("build values.txt again.dat").status, 0);
  EXPECT_EQ(readFile("again.dat"), file);
}

// Notes share the errors' FILE:LINE: form; a name given twice is one of them.
TEST(SyncTool, NotesNameTheirLine) {
  ScratchDir dir;
  writeFile("show.txt", "controller \"A: x\"\n  0 0\n  0 1\ncontroller \"A: x\"\n  0 1\n");
  ToolRun built = synctool("build show.txt show.dat");
  EXPECT_EQ(built.status, 0);
  EXPECT_NE(built.err.find("show.txt:3: note: time 0 is not after"), std::string::npos) << built.err;
  EXPECT_NE(built.err.find("show.txt:4: note: controller \"A: x\" is already on line 1"), std::string::npos)
      << built.err;
}

// --help anywhere answers on standard output; an operand that looks like an option is refused
// in two lines (what, and the hint) and never becomes a file.
TEST(SyncTool, HelpAndFlagLikeOperands) {
  ScratchDir dir;
  writeFile("show.txt", "controller \"A: x\"\n  0 1\n");
  ToolRun help = synctool("build show.txt --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: synctool dump FILE.dat\n", 0), 0u) << help.out;
  ToolRun refused = synctool("build show.txt --out.dat");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "synctool: unknown option '--out.dat'\nTry 'synctool --help'.\n");
  EXPECT_EQ(synctool("dump").status, 2);
  EXPECT_FALSE(std::filesystem::exists("--out.dat"));
  EXPECT_FALSE(std::filesystem::exists("--help"));
}

TEST(SyncTool, HandWrittenTextBuildsTheFile) {
  ScratchDir dir;
  writeFile("show.txt",
            "# the show\n"
            "\n"
            "controller \"Earth: Rotation\"   # spins once\r\n"
            "  0        0\n"
            "\t2.5      1      SmoothStep ValOne\n"
            "controller \"Cred 0: Fade\"\n"
            "  1 0.5\n"
            "  2 1\n");
  ToolRun built = synctool("build show.txt show.dat");
  ASSERT_EQ(built.status, 0) << built.err;
  std::string expected = u32(2) + u32(16) + "Earth: Rotation" + '\0' + u32(2) + f32(0) + f32(0) + f32(2.5f) +
                         f32(1) + u32(2) + u32(3) + u32(13) + "Cred 0: Fade" + '\0' + u32(2) + f32(1) +
                         f32(0.5f) + f32(2) + f32(1) + u32(1) + u32(1);
  EXPECT_EQ(readFile("show.dat"), expected);
}

// The build's rule: a sync file the editor saved after its text keeps its curves.
TEST(SyncTool, KeepNewerLeavesABinaryFileNewerThanItsText) {
  ScratchDir dir;
  writeFile("show.txt", "controller \"A: x\"\n  0 1\n");
  ASSERT_EQ(synctool("build show.txt show.dat --keep-newer").status, 0) << "no binary yet: built";
  std::string built = readFile("show.dat");
  ASSERT_FALSE(built.empty());
  writeFile("show.dat", "saved by the editor");
  ASSERT_EQ(system("touch -d '2 seconds ago' show.txt"), 0);
  ToolRun kept = synctool("build show.txt show.dat --keep-newer");
  EXPECT_EQ(kept.status, 0);
  EXPECT_NE(kept.err.find("is newer than show.txt: kept"), std::string::npos) << kept.err;
  EXPECT_EQ(readFile("show.dat"), "saved by the editor");
  ASSERT_EQ(system("touch show.txt"), 0);
  EXPECT_EQ(synctool("build show.txt show.dat --keep-newer").status, 0);
  EXPECT_EQ(readFile("show.dat"), built) << "a newer text rebuilds it";
  EXPECT_EQ(synctool("build show.txt show.dat --newer").status, 2);
}

TEST(SyncTool, EvalAgreesWithTheEngine) {
  ScratchDir dir;
  ControllerList list;
  Controller* c = findOrCreateController(list, "Earth: Rotation");
  addKey(*c, 0.5f, 0.2f);
  addKey(*c, 1.25f, 0.9f);
  addKey(*c, 3.0f, 0.1f);
  addKey(*c, 4.0f, 0.7f);
  c->segments = {{Exponential, ValVal}, {MinExponential, OneVal}, {Smoothstep, ZeroZero}};
  findOrCreateController(list, "Other: x");
  ASSERT_TRUE(writeSyncFile(list, "sync.dat"));

  const float times[] = {0.0f, 0.5f, 0.777f, 1.25f, 2.001f, 2.999f, 3.5f, 4.0f, 17.0f};
  std::string arguments = "eval sync.dat 'Earth: Rotation'";
  for (float t : times) arguments += " " + std::to_string(t);
  ToolRun run = synctool(arguments);
  ASSERT_EQ(run.status, 0) << run.err;

  std::istringstream lines(run.out);
  for (float t : times) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    evaluateController(*c, std::strtof(std::to_string(t).c_str(), nullptr));
    EXPECT_EQ(std::strtof(line.c_str(), nullptr), c->value) << "t = " << t;
  }
  EXPECT_EQ(synctool("eval sync.dat 'Missing: x' 1").status, 1);
  EXPECT_EQ(synctool("eval sync.dat 'Earth: Rotation' soon").status, 1);
}

TEST(SyncTool, TextErrorsNameTheLineAndWriteNothing) {
  struct Case {
    const char* text;
    const char* message;  // expected after "bad.txt:"
  } cases[] = {
      {"0 0\n", "1: a key before the first controller line"},
      {"controller \"A: a\"\n  0 0\n  1 1 smoothstep sideways\n", "3: unknown shape 'sideways'"},
      {"controller \"A: a\"\n  0 0\n  1 1 smooth valval\n", "3: unknown interpolation 'smooth'"},
      {"controller \"A: a\"\n  0 0 linear valval\n", "2: the first key of a controller has no stretch"},
      {"# x\n\ncontroller \"A: a\"\n  0 0\n  1,5 1\n", "5: time '1,5' is not a number"},
      {"controller \"A: a\"\n  0 zero\n", "2: value 'zero' is not a number"},
      {"controller \"A: a\"\n  0 0\n  1 1 linear\n", "3: a key is TIME VALUE"},
      {"controller \"A: a\n", "1: the name has no closing quote"},
      {"controler \"A: a\"\n", "1: unknown word 'controler'"},
      {"controller \"A: a\"\n  1e39 0\n", "2: time '1e39' is not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ScratchDir dir;
    writeFile("bad.txt", c.text);
    writeFile("out.dat", "old");
    ToolRun run = synctool("build bad.txt out.dat");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::string("bad.txt:") + c.message), std::string::npos) << run.err;
    EXPECT_EQ(readFile("out.dat"), "old");
    EXPECT_FALSE(testsupport::readFile("out.dat.tmp").size());
  }
}

TEST(SyncTool, MalformedBinaryIsReported) {
  ScratchDir dir;
  writeFile("bad.dat", u32(1) + u32(0));
  ToolRun run = synctool("dump bad.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("refused at byte 4"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(synctool("dump missing.dat").status, 1);
  EXPECT_EQ(synctool("frobnicate").status, 2);
}
