// Capture mode, end to end: the real program renders chosen seconds of the show offline into
// PNG files (and a video through ffmpeg), and the frames are real pictures of the show.
#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <cstdlib>
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
