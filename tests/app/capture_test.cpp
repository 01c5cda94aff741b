// Capture mode, end to end: the real program renders chosen seconds of the show offline into
// PNG files (and a video through ffmpeg), and the frames are real pictures of the show.
#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#include <filesystem>
#include <string>

#include "app/capture.h"
#include "app/video_encoder.h"
#include "support/test_support.h"

namespace {

std::string buildDir() {
  const char* dir = getenv("DOVRIX_BUILD_DIR");
  return dir ? dir : ".";
}

// The program's exit status (-1 when it did not exit); `environment` prefixes the command.
int runProgram(const std::string& arguments, const std::string& environment = "") {
  std::string command = environment + " " + buildDir() + "/dovrix " + arguments + " 2>capture.log";
  int status = system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Picture {
  int width = 0, height = 0;
  double mean = 0.0;  // average of all RGB components, 0..255
};

Picture readPicture(const std::string& path) {
  Picture p;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &p.width, &p.height, &channels, 3);
  if (!data) return p;
  double sum = 0.0;
  size_t count = static_cast<size_t>(p.width) * p.height * 3;
  for (size_t i = 0; i < count; ++i) sum += data[i];
  p.mean = sum / static_cast<double>(count);
  stbi_image_free(data);
  return p;
}

TEST(CaptureTest, WritesNumberedFramesOfTheShowAtTheChosenTimes) {
  testsupport::ScratchDir scratch;
  ASSERT_EQ(runProgram("--capture frames --width 160 --height 90 --fps 2 --from 40 --to 40.5"), 0)
      << testsupport::readFile("capture.log");
  Picture first = readPicture("frames/frame_000000.png");
  Picture second = readPicture("frames/frame_000001.png");
  EXPECT_EQ(first.width, 160);
  EXPECT_EQ(first.height, 90);
  EXPECT_EQ(second.width, 160);
  EXPECT_GT(first.mean, 4.0) << "the credits at 40 s should not be black";
  EXPECT_FALSE(std::filesystem::exists("frames/frame_000002.png"));
  std::string log = testsupport::readFile("capture.log");
  EXPECT_NE(log.find("capture: frame 1 of 2 (50 %)"), std::string::npos) << log;
  EXPECT_NE(log.find("capture: done, 2 frames from 40.00 s to 40.50 s"), std::string::npos) << log;
  EXPECT_NE(log.find("INFO (trace): Trace stopped."), std::string::npos);
}

// Loads a frame as 8-bit RGB, top row first.
struct Frame {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* at(double x, double yFromTop) const {
    return &rgb[(static_cast<size_t>(yFromTop * height) * width + static_cast<size_t>(x * width)) * 3];
  }
};

Frame readFrame(const std::string& path) {
  Frame f;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &f.width, &f.height, &channels, 3);
  if (data) f.rgb.assign(data, data + static_cast<size_t>(f.width) * f.height * 3);
  stbi_image_free(data);
  return f;
}

// How many pixels of a box (x and y from the top, as fractions) differ between two frames.
int differingPixels(const Frame& a, const Frame& b, double x0, double y0, double x1, double y1) {
  int count = 0;
  for (double y = y0; y < y1; y += 1.0 / a.height)
    for (double x = x0; x < x1; x += 1.0 / a.width)
      if (memcmp(a.at(x, y), b.at(x, y), 3) != 0) ++count;
  return count;
}

TEST(CaptureTest, EditDrawsTheOverlayIntoEveryFrameAndLeavesTheRestAlone) {
  testsupport::ScratchDir scratch;
  ASSERT_EQ(runProgram("--capture plain --width 1280 --height 720 --fps 1 --from 40 --to 40.5"), 0)
      << testsupport::readFile("capture.log");
  ASSERT_EQ(runProgram("--capture edited --edit --width 1280 --height 720 --fps 1 --from 40 --to 40.5"), 0)
      << testsupport::readFile("capture.log");
  EXPECT_EQ(testsupport::readFile("capture.log").find("WARNING"), std::string::npos)
      << testsupport::readFile("capture.log");
  Frame plain = readFrame("plain/frame_000000.png"), edited = readFrame("edited/frame_000000.png");
  ASSERT_EQ(plain.width, 1280);
  ASSERT_EQ(edited.width, 1280);
  // Between the panel titles and the curve area the picture is the show's own.
  EXPECT_EQ(differingPixels(plain, edited, 0.0, 0.1, 0.88, 0.55), 0);
  // The four panel titles along the top.
  for (double x : {0.03, 0.16, 0.33, 0.56})
    EXPECT_GT(differingPixels(plain, edited, x, 0.025, x + 0.08, 0.06), 20) << "panel title at x " << x;
  // The waveform strip: its blue line somewhere in the bottom band.
  int waveform = 0;
  for (double x = 0.05; x < 0.95; x += 1.0 / 1280)
    for (double y = 0.83; y < 0.99; y += 1.0 / 720) {
      const unsigned char* p = edited.at(x, y);
      if (p[2] > 120 && p[2] > p[0] + 60 && p[2] > p[1] + 60) ++waveform;
    }
  EXPECT_GT(waveform, 1000);
  // The ruler and the first controller's curve change the band above it.
  EXPECT_GT(differingPixels(plain, edited, 0.0, 0.6, 1.0, 0.82), 5000);
  EXPECT_FALSE(std::filesystem::exists(buildDir() + "/resources/editor/session.lock"))
      << "a capture touches none of the author's files";
}

TEST(CaptureTest, VideoCarriesPictureAndMusicEncodedForPublishing) {
  testsupport::ScratchDir scratch;
  ASSERT_EQ(runProgram("--video show.mp4 --width 160 --height 90 --fps 10 --from 30 --to 31"), 0)
      << testsupport::readFile("capture.log");
  ASSERT_TRUE(std::filesystem::exists("show.mp4"));
  EXPECT_FALSE(std::filesystem::exists("show.mp4.partial"));
  ASSERT_EQ(system("ffprobe -v error -show_entries stream=codec_name,profile -of csv=p=0 show.mp4 > streams.txt"), 0);
  std::string streams = testsupport::readFile("streams.txt");
  EXPECT_NE(streams.find("h264,High"), std::string::npos) << streams;
  EXPECT_NE(streams.find("aac"), std::string::npos) << streams;
}

// An encoder that takes a few frames and dies, as ffmpeg does when the disk fills up.
TEST(CaptureTest, AFailingEncoderGivesStatusOneItsOwnWordsAndNoFile) {
  testsupport::ScratchDir scratch;
  testsupport::writeFile("ffmpeg",
                         "#!/bin/sh\nhead -c 30000 >/dev/null\necho 'fake encoder: disk full' >&2\nexit 1\n");
  std::filesystem::permissions("ffmpeg", std::filesystem::perms::owner_all);
  EXPECT_EQ(runProgram("--video show.mp4 --width 64 --height 64 --fps 10 --from 40 --to 42",
                       "PATH=" + scratch.path() + ":\"$PATH\""),
            1);
  std::string log = testsupport::readFile("capture.log");
  EXPECT_NE(log.find("WARNING (capture): ffmpeg failed (exit status 1)"), std::string::npos) << log;
  EXPECT_NE(log.find("WARNING (capture): ffmpeg: fake encoder: disk full"), std::string::npos) << log;
  EXPECT_NE(log.find("capture: failed at frame"), std::string::npos) << log;
  EXPECT_FALSE(std::filesystem::exists("show.mp4"));
  EXPECT_FALSE(std::filesystem::exists("show.mp4.partial"));
}

TEST(CaptureTest, AVideoThatCannotBeMadeIsRefusedBeforeLoading) {
  testsupport::ScratchDir scratch;
  EXPECT_EQ(runProgram("--video show.mp4 --width 161 --height 90"), 1);
  std::string log = testsupport::readFile("capture.log");
  EXPECT_EQ(log, "dovrix: H.264 video needs an even width and height: use 160 x 90 (or a .webm file)\n");
  EXPECT_FALSE(std::filesystem::exists("show.mp4"));
}

TEST(CaptureTest, VideoChecksNameWhatToChange) {
  using qorFramework::checkVideoOutput;
  EXPECT_EQ(checkVideoOutput("/tmp/show.mp4", 1280, 720), "");
  EXPECT_EQ(checkVideoOutput("/tmp/show.webm", 1281, 721), "") << "VP9 takes odd sizes";
  EXPECT_NE(checkVideoOutput("/tmp/show.MKV", 1281, 720).find("use 1280 x 720"), std::string::npos);
  EXPECT_NE(checkVideoOutput("/tmp/show.avi", 64, 64).find(".mp4, .mkv, .webm or .mov"), std::string::npos);
  EXPECT_NE(checkVideoOutput("/no-such-folder/show.mp4", 64, 64).find("no such folder"), std::string::npos);
}

TEST(CaptureTest, ProgressEstimatesTheTimeLeftFromTheMeanFrame) {
  using qorFramework::formatCaptureProgress;
  EXPECT_EQ(formatCaptureProgress(60, 240, 20.0), "frame 60 of 240 (25 %), 1 min 0 s left");
  EXPECT_EQ(formatCaptureProgress(1, 36, 1.0), "frame 1 of 36 (2 %), 35 s left");
  EXPECT_EQ(formatCaptureProgress(100, 7540, 100.0), "frame 100 of 7540 (1 %), 2 h 4 min left");
  EXPECT_EQ(qorFramework::formatDuration(80.4), "1 min 20 s");
}

TEST(CaptureTest, RefusesAnUnwritableFolder) {
  testsupport::ScratchDir scratch;
  EXPECT_NE(runProgram("--capture /proc/no-such-folder --width 64 --height 64 --from 1 --to 1.5"), 0);
  std::string log = testsupport::readFile("capture.log");
  EXPECT_NE(log.find("WARNING (capture): cannot create the folder"), std::string::npos) << log;
}

}  // namespace
