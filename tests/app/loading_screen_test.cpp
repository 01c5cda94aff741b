// The loading screen: layers' inits in registration order with their progress frames, the stop at
// the first failing init, the picture, and the empty registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/loading_screen.h"
#include "gfx/image_files.h"
#include "gfx/texture_manager.h"
#include "platform/system.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::ScratchDir;

namespace {

struct InitRecord {
  std::string name;
  uint32_t framesBefore;  // frames the loading screen had swapped when init ran
};

class RecordingLayer : public Layer_Base {
 public:
  RecordingLayer(const char* name, bool result, const LoadingScreen* screen,
                 std::vector<InitRecord>* log)
      : name_(name), result_(result), screen_(screen), log_(log) {}
  bool init(GL_TextureManager* textures, ControllerList* controllers) override {
    EXPECT_NE(textures, nullptr);
    EXPECT_NE(controllers, nullptr);
    log_->push_back({name_, screen_->framesSwapped});
    return result_;
  }
  void render() override {}
  void shutdown() override {}

 private:
  std::string name_;
  bool result_;
  const LoadingScreen* screen_;
  std::vector<InitRecord>* log_;
};

class LoadingScreenTest : public testsupport::GLTest {
 protected:
  ScratchDir scratch;
  DebugCapture capture;
  LayerTimeline timeline;
  GL_TextureManager textures;
  ControllerList controllers;
  LoadingScreen screen;
  std::vector<InitRecord> inits;
  AppState appState = kStateSettingUp;

  void TearDown() override {
    shutdownLayers(timeline);
    textures.release();
    GLTest::TearDown();
  }
  void addLayer(const char* name, bool result = true) {
    registerLayer(timeline, name, new RecordingLayer(name, result, &screen, &inits));
  }
  // The picture: top half red, bottom half green.
  void writePicture() {
    ASSERT_TRUE(platform::makeDirectory("data"));
    ASSERT_TRUE(platform::makeDirectory("data\\textures"));
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) rgb.insert(rgb.end(), {uint8_t(y < 4 ? 255 : 0), uint8_t(y < 4 ? 0 : 255), 0});
    ASSERT_TRUE(testimages::writePng("data/textures/allaudiences.png", 8, 8, 3, rgb));
  }
  bool run() { return screen.run(window_, timeline, &textures, &controllers, &appState, false); }
};

TEST_F(LoadingScreenTest, EveryInitRunsInOrderAfterItsShareOfFrames) {
  writePicture();
  for (const char* name : {"postprocessor", "test", "flash", "fob"}) addLayer(name);
  EXPECT_TRUE(run());
  EXPECT_EQ(appState, kStateLoaded);
  EXPECT_TRUE(capture.contains("at load time: 4\n"));
  ASSERT_EQ(inits.size(), 4u);
  // 10, 10, 11 and 11 swapped frames before the four inits.
  const char* names[] = {"postprocessor", "test", "flash", "fob"};
  const uint32_t frames[] = {10, 20, 31, 42};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(inits[i].name, names[i]);
    EXPECT_EQ(inits[i].framesBefore, frames[i]) << names[i];
  }
  EXPECT_EQ(screen.framesSwapped, 42u);
  // The last picture drawn (not swapped) is upright: its first stored row at the top.
  ASSERT_NE(screen.picture, nullptr);
  EXPECT_EQ(pixel(32, 50).r, 255);  // away from the edges, where GL_REPEAT blends
  EXPECT_EQ(pixel(32, 14).g, 255);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(LoadingScreenTest, TheFirstFailingInitStopsTheRest) {
  writePicture();
  addLayer("a");
  addLayer("b", false);
  addLayer("c");
  addLayer("d");
  EXPECT_FALSE(run());
  EXPECT_EQ(appState, kStateSettingUp);
  ASSERT_EQ(inits.size(), 2u);
  EXPECT_EQ(inits[1].name, "b");
}

TEST_F(LoadingScreenTest, NoLayersLoadsThePictureDrawsNothingAndSucceeds) {
  writePicture();
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_TRUE(run());
  EXPECT_EQ(appState, kStateLoaded);
  EXPECT_NE(screen.picture, nullptr);
  EXPECT_EQ(screen.framesSwapped, 0u);
  EXPECT_EQ(pixel(32, 32).b, 255);
  EXPECT_TRUE(capture.contains("at load time: 0\n"));
}

TEST_F(LoadingScreenTest, AMissingPictureIsSkippedAndTheInitsStillRun) {
  addLayer("only");
  EXPECT_TRUE(run());
  EXPECT_EQ(screen.picture, nullptr);
  EXPECT_TRUE(capture.contains("WARNING (textureManager): unable to load image file: data\\textures\\allaudiences.png\n"));
  ASSERT_EQ(inits.size(), 1u);
  EXPECT_EQ(inits[0].framesBefore, 10u);  // ten steps of 0.1 overshoot 1 in single precision
  EXPECT_EQ(appState, kStateLoaded);
  EXPECT_EQ(pixel(32, 32).r, 0);
}

}  // namespace
