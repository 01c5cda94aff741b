// The command line: what a user types decides launcher, size, mode and capture span.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/test_support.h"

using qorFramework::CommandLine;
using qorFramework::parseCommandLine;

namespace {

CommandLine parse(std::vector<const char*> args) {
  args.insert(args.begin(), "dovrix");
  return parseCommandLine(static_cast<int>(args.size()), args.data(), "/home/me", 124.0);
}

TEST(CommandLineTest, NoArgumentsMeansTheLauncher) {
  CommandLine line = parse({});
  EXPECT_TRUE(line.ok);
  EXPECT_TRUE(line.useLauncher);
  EXPECT_FALSE(line.capture);
}

TEST(CommandLineTest, SizeSkipsTheLauncherFullScreenUnlessWindowed) {
  CommandLine full = parse({"--width", "640", "--height", "480"});
  EXPECT_TRUE(full.ok);
  EXPECT_FALSE(full.useLauncher);
  EXPECT_EQ(full.width, 640);
  EXPECT_EQ(full.height, 480);
  EXPECT_TRUE(full.fullscreen);
  CommandLine windowed = parse({"--windowed", "--width", "800", "--height", "600"});
  EXPECT_FALSE(windowed.fullscreen);
}

TEST(CommandLineTest, CaptureDefaultsAndRelativePathsResolveAgainstTheCallersFolder) {
  CommandLine line = parse({"--capture", "frames", "--width", "1280", "--height", "720"});
  ASSERT_TRUE(line.ok) << line.error;
  EXPECT_TRUE(line.capture);
  EXPECT_EQ(line.captureDir, "/home/me/frames");
  EXPECT_DOUBLE_EQ(line.fps, 60.0);
  EXPECT_DOUBLE_EQ(line.fromSeconds, 0.0);
  EXPECT_LT(line.toSeconds, 0.0);
  EXPECT_FALSE(line.fullscreen);
  CommandLine video = parse({"--video", "/tmp/show.mp4", "--width", "64", "--height", "64",
                             "--fps", "30", "--from", "10", "--to", "12.5"});
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.videoFile, "/tmp/show.mp4");
  EXPECT_DOUBLE_EQ(video.fps, 30.0);
  EXPECT_DOUBLE_EQ(video.toSeconds, 12.5);
}

TEST(CommandLineTest, MistakesAreRefusedWithAReason) {
  EXPECT_FALSE(parse({"--width", "640"}).ok);
  EXPECT_FALSE(parse({"--width", "abc", "--height", "480"}).ok);
  EXPECT_FALSE(parse({"--height"}).ok);
  EXPECT_FALSE(parse({"--bogus", "1"}).ok);
  EXPECT_FALSE(parse({"--capture", "d"}).ok);  // no size
  EXPECT_FALSE(parse({"--capture", "d", "--width", "64", "--height", "64", "--fps", "0"}).ok);
  EXPECT_FALSE(parse({"--capture", "d", "--video", "v.mp4", "--width", "64", "--height", "64"}).ok);
  EXPECT_FALSE(parse({"--width", "0", "--height", "480"}).ok);
  EXPECT_FALSE(parse({"--width", "0", "--height", "480"}).error.empty());
}

TEST(CommandLineTest, NumbersOutsideWhatAnIntOrAClockHoldsAreRefused) {
  // Sizes far beyond int range (whose conversion would be undefined) and non-finite numbers.
  EXPECT_FALSE(parse({"--width", "1e300", "--height", "480"}).ok);
  EXPECT_FALSE(parse({"--width", "-1e300", "--height", "480"}).ok);
  EXPECT_FALSE(parse({"--width", "nan", "--height", "480"}).ok);
  EXPECT_FALSE(parse({"--width", "640", "--height", "inf"}).ok);
  EXPECT_FALSE(parse({"--capture", "d", "--width", "64", "--height", "64", "--from", "nan"}).ok);
  EXPECT_FALSE(parse({"--capture", "d", "--width", "64", "--height", "64", "--to", "inf"}).ok);
  CommandLine edge = parse({"--width", "16384", "--height", "16"});
  ASSERT_TRUE(edge.ok) << edge.error;
  EXPECT_EQ(edge.width, 16384);
  EXPECT_EQ(edge.height, 16);
}

}  // namespace

namespace {

TEST(CommandLineTest, EditAttachesAWindowedEditorUnlessFullScreenIsAskedFor) {
  CommandLine windowed = parse({"--edit", "--width", "1280", "--height", "720"});
  ASSERT_TRUE(windowed.ok) << windowed.error;
  EXPECT_TRUE(windowed.edit);
  EXPECT_FALSE(windowed.fullscreen);
  EXPECT_EQ(windowed.beatsPerMinute, 120.0);
  EXPECT_EQ(windowed.beatOffsetSeconds, 0.0);
  CommandLine full = parse({"--edit", "--fullscreen", "--width", "1280", "--height", "720", "--bpm", "140",
                            "--beat-offset", "0.25", "--load", "editor/recovery.dat"});
  ASSERT_TRUE(full.ok) << full.error;
  EXPECT_TRUE(full.fullscreen);
  EXPECT_EQ(full.beatsPerMinute, 140.0);
  EXPECT_EQ(full.beatOffsetSeconds, 0.25);
  EXPECT_EQ(full.loadFile, "/home/me/editor/recovery.dat");
  EXPECT_TRUE(parse({"--edit"}).useLauncher);
}

TEST(CommandLineTest, EditorOptionsThatDoNotFitAreRefused) {
  EXPECT_FALSE(parse({"--load", "x.dat"}).ok) << "--load needs --edit";
  EXPECT_FALSE(parse({"--edit", "--bpm", "0"}).ok);
  EXPECT_FALSE(parse({"--edit", "--bpm", "nan"}).ok);
  EXPECT_FALSE(parse({"--windowed", "--fullscreen", "--width", "64", "--height", "64"}).ok);
}

}  // namespace

namespace {

// What `dovrix ARGS` answers: the error line for a refused line, "" for one that runs.
std::string refusal(std::vector<const char*> args) {
  CommandLine line = parse(std::move(args));
  return line.ok ? "" : line.error;
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingAfterAValidStart) {
  EXPECT_TRUE(parse({"--help"}).help);
  EXPECT_TRUE(parse({"-h"}).help);
  EXPECT_TRUE(parse({"--width", "640", "--help"}).help);
  EXPECT_TRUE(parse({"--version"}).version);
  std::string usage = qorFramework::commandLineUsage();
  for (const char* option : {"--benchmark ", "--benchmark-json", "--edit", "--bpm", "--beat-offset", "--load",
                             "--fullscreen", "--crf", "--from", "--to", "F10", "F1 ", "resources"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(CommandLineTest, EachRefusalSaysWhichOptionIsWrong) {
  EXPECT_EQ(refusal({"--foo"}), "unknown option '--foo'");
  EXPECT_EQ(refusal({"frames"}), "unexpected argument 'frames'");
  EXPECT_EQ(refusal({"--width"}), "--width needs a value");
  EXPECT_EQ(refusal({"--width", "--help"}), "--width needs a value");
  EXPECT_EQ(refusal({"--windowed"}), "--windowed needs --width and --height");
  EXPECT_EQ(refusal({"--from", "124"}), "--from must be before the end of the show (124 s)");
  EXPECT_EQ(refusal({"--from", "20", "--to", "20"}), "--to must be after --from (20 s)");
  EXPECT_EQ(refusal({"--fps", "30"}), "--fps needs --capture, --video or --benchmark");
  EXPECT_EQ(refusal({"--crf", "20", "--capture", "d", "--width", "64", "--height", "64"}), "--crf needs --video");
  EXPECT_EQ(refusal({"--video", "v.mp4", "--crf", "52", "--width", "64", "--height", "64"}),
            "--crf must be a whole number from 0 to 51");
  EXPECT_EQ(refusal({"--benchmark", "--fps", "-1"}), "--fps must be above 0 and at most 1000");
  EXPECT_EQ(refusal({"--capture", "d", "--video", "v.mp4", "--width", "64", "--height", "64"}),
            "--capture and --video exclude each other");
}

TEST(CommandLineTest, LivePlayTakesASpanAndAVideoItsQuality) {
  CommandLine live = parse({"--width", "320", "--height", "180", "--windowed", "--from", "120", "--to", "123"});
  ASSERT_TRUE(live.ok) << live.error;
  EXPECT_FALSE(live.capture);
  EXPECT_DOUBLE_EQ(live.fromSeconds, 120.0);
  EXPECT_DOUBLE_EQ(live.toSeconds, 123.0);
  CommandLine video = parse({"--video", "a.webm", "--width", "65", "--height", "65", "--crf", "30"});
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.crf, 30);
  EXPECT_EQ(parse({"--video", "a.mp4", "--width", "64", "--height", "64"}).crf, 18);
}

// The real program: answers and refusals come before the trace starts (and so before any window
// or loading), on the stream a user expects, with the exit status scripts test.
TEST(CommandLineTest, TheProgramAnswersBeforeOpeningAnything) {
  testsupport::ScratchDir scratch;
  struct Case {
    const char* arguments;
    int status;
    const char* firstLine;  // of standard output for 0, of standard error otherwise
  };
  const Case cases[] = {
      {"--help", 0, "Usage: dovrix [OPTION]..."},
      {"--version", 0, "dovrix 1.0.0"},
      {"--foo", 2, "dovrix: unknown option '--foo'"},
      {"--width", 2, "dovrix: --width needs a value"},
      {"--windowed", 2, "dovrix: --windowed needs --width and --height"},
  };
  const char* build = getenv("DOVRIX_BUILD_DIR");
  for (const Case& c : cases) {
    std::string command = std::string(build ? build : ".") + "/dovrix " + c.arguments + " >out.txt 2>err.txt";
    int status = system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.arguments;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments;
    std::string out = testsupport::readFile("out.txt"), err = testsupport::readFile("err.txt");
    const std::string& answer = c.status == 0 ? out : err;
    EXPECT_EQ(answer.substr(0, answer.find('\n')), c.firstLine) << c.arguments;
    if (c.status != 0) {
      EXPECT_NE(err.find("\nTry 'dovrix --help' for more information.\n"), std::string::npos);
    }
    EXPECT_EQ(err.find("Trace started"), std::string::npos) << c.arguments << ": the program went on to start";
  }
}

}  // namespace
