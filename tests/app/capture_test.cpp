// Capture mode, end to end: the real program renders chosen seconds of the show offline into
// PNG files (and a video through ffmpeg), and the frames are real pictures of the show.
#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <cstdlib>
#include <cstring>
#include <vector>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace {

std::string buildDir() {
  const char* dir = getenv("DOVRIX_BUILD_DIR");
  return dir ? dir : ".";
}

int runProgram(const std::string& arguments) {
  std::string command = buildDir() + "/dovrix " + arguments + " 2>capture.log";
  return system(command.c_str());
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
  EXPECT_NE(log.find("capture: frame 0"), std::string::npos);
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
  ASSERT_EQ(runProgram("--capture plain --width 1280 --height 720 --fps 1 --from 40 --to 40"), 0)
      << testsupport::readFile("capture.log");
  ASSERT_EQ(runProgram("--capture edited --edit --width 1280 --height 720 --fps 1 --from 40 --to 40"), 0)
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

TEST(CaptureTest, VideoCarriesPictureAndMusic) {
  testsupport::ScratchDir scratch;
  ASSERT_EQ(runProgram("--video show.mp4 --width 160 --height 90 --fps 10 --from 30 --to 31"), 0)
      << testsupport::readFile("capture.log");
  ASSERT_TRUE(std::filesystem::exists("show.mp4"));
  ASSERT_EQ(system("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 show.mp4 > streams.txt"), 0);
  std::string streams = testsupport::readFile("streams.txt");
  EXPECT_NE(streams.find("video"), std::string::npos);
  EXPECT_NE(streams.find("audio"), std::string::npos);
}

TEST(CaptureTest, RefusesAnUnwritableFolder) {
  testsupport::ScratchDir scratch;
  EXPECT_NE(runProgram("--capture /proc/no-such-folder --width 64 --height 64 --from 1 --to 1"), 0);
  std::string log = testsupport::readFile("capture.log");
  EXPECT_NE(log.find("WARNING (capture): cannot create the folder"), std::string::npos) << log;
}

}  // namespace
