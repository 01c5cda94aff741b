// The benchmark mode end to end (its table and JSON add up to what ran), and the look of the
// show's frames against the earlier anti-aliasing program.
#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string buildDir() {
  const char* dir = getenv("DOVRIX_BUILD_DIR");
  return dir ? dir : ".";
}

int run(const std::string& program, const std::string& arguments, const std::string& out) {
  return system((program + " " + arguments + " >" + out + " 2>run.log").c_str());
}

// Every number after `"key": ` in the JSON text, in order.
std::vector<double> jsonNumbers(const std::string& json, const std::string& key) {
  std::vector<double> values;
  std::regex pattern("\"" + key + "\": ([-0-9.e+]+)");
  for (std::sregex_iterator it(json.begin(), json.end(), pattern), end; it != end; ++it)
    values.push_back(std::stod((*it)[1]));
  return values;
}

TEST(BenchmarkTest, TableAndJsonAddUpToTheFramesThatRan) {
  testsupport::ScratchDir scratch;
  ASSERT_EQ(run(buildDir() + "/dovrix",
                "--benchmark --width 320 --height 180 --fps 2 --from 26 --to 30 --benchmark-json b.json",
                "table.txt"),
            0)
      << testsupport::readFile("run.log");
  std::string table = testsupport::readFile("table.txt");
  EXPECT_NE(table.find("benchmark: 320 x 180, 2 frames a second"), std::string::npos) << table;
  EXPECT_NE(table.find("anti-aliasing"), std::string::npos) << table;
  EXPECT_NE(table.find("mean / floor"), std::string::npos) << table;

  std::string json = testsupport::readFile("b.json");
  std::vector<double> frames = jsonNumbers(json, "frames"), mean = jsonNumbers(json, "meanMs"),
                      passes = jsonNumbers(json, "passMs"), ratio = jsonNumbers(json, "ratio");
  ASSERT_EQ(frames.size(), 2u) << json;  // 26 to 28 s is the planet, 28 to 30 s the credits
  EXPECT_EQ(frames[0] + frames[1], 9.0);
  for (size_t i = 0; i < mean.size(); ++i) {
    EXPECT_GT(passes[i], 0.0);
    // Everything but the controllers, the spectrum and the layers' updates is in a pass.
    EXPECT_NEAR(passes[i], mean[i], 0.15 * mean[i] + 1.0) << json;
    EXPECT_GT(ratio[i], 0.0);
  }
  EXPECT_FALSE(fs::exists("b.json.part"));
}

TEST(BenchmarkTest, AnUnwritableJsonFileFailsTheRunAndLeavesNothing) {
  testsupport::ScratchDir scratch;
  fs::create_directory("taken.json");  // a folder where the file should go
  EXPECT_EQ(run(buildDir() + "/dovrix", "--benchmark --width 160 --height 90 --from 40 --to 40.5 --benchmark-json taken.json",
                "table.txt"),
            1 << 8);
  EXPECT_NE(testsupport::readFile("run.log").find("WARNING (benchmark): cannot write"), std::string::npos);
  EXPECT_FALSE(fs::exists("taken.json.part"));
}

// A copy of the program whose resources are the build's, except for the anti-aliasing program.
std::string programWithAntiAliasing(const std::string& folder, const fs::path& fragmentFile) {
  fs::path resources = fs::path(folder) / "resources";
  fs::create_directories(resources);
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(buildDir()) / "resources"))
    if (entry.path().filename() != "fxaaShaderFrag.h")
      fs::create_symlink(fs::absolute(entry.path()), resources / entry.path().filename());
  fs::copy_file(fragmentFile, resources / "fxaaShaderFrag.h");
  fs::copy_file(fs::path(buildDir()) / "dovrix", fs::path(folder) / "dovrix");
  return (fs::path(folder) / "dovrix").string();
}

std::vector<unsigned char> readRgb(const std::string& path) {
  int w = 0, h = 0, channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 3);
  std::vector<unsigned char> rgb;
  if (data) rgb.assign(data, data + static_cast<size_t>(w) * h * 3);
  stbi_image_free(data);
  return rgb;
}

TEST(ShowLook, TheAntiAliasingKeepsTheShowsFramesWithinOnePercentOfTheEdgeWalk) {
  testsupport::ScratchDir scratch;
  const char* source = getenv("DOVRIX_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  std::string walk = programWithAntiAliasing("walk", fs::path(source) / "tests/app/data/fxaa_edge_walk_frag.h");
  std::string now = programWithAntiAliasing("now", fs::path(source) / "assets/shaders/fxaaShaderFrag.h");
  const std::string frames = " --width 640 --height 360 --fps 1 --from 1 --to 112";
  ASSERT_EQ(run(walk, "--capture walk-frames" + frames, "out.txt"), 0) << testsupport::readFile("run.log");
  ASSERT_EQ(run(now, "--capture now-frames" + frames, "out.txt"), 0) << testsupport::readFile("run.log");

  for (int second : {1, 15, 40, 70, 95, 112}) {
    char name[32];
    snprintf(name, sizeof(name), "/frame_%06d.png", second - 1);
    std::vector<unsigned char> a = readRgb("walk-frames" + std::string(name));
    std::vector<unsigned char> b = readRgb("now-frames" + std::string(name));
    ASSERT_EQ(a.size(), b.size()) << second << " s";
    ASSERT_FALSE(a.empty()) << second << " s";
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    double meanDifference = sum / a.size() / 255.0;
    EXPECT_LT(meanDifference, 0.01) << "at " << second << " s";
    RecordProperty("mad_" + std::to_string(second), std::to_string(meanDifference));
  }
}

}  // namespace
