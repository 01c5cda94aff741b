// The command line: what a user types decides launcher, size, mode and capture span.
#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.h"

using qorFramework::CommandLine;
using qorFramework::parseCommandLine;

namespace {

CommandLine parse(std::vector<const char*> args) {
  args.insert(args.begin(), "dovrix");
  return parseCommandLine(static_cast<int>(args.size()), args.data(), "/home/me");
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
