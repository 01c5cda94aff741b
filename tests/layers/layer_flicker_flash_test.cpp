// The flicker and flash layer on a real context: the additive wash's colour, the flash
// picture's fade and its diagonal slide, and drawing on without the picture.
#include <gtest/gtest.h>

#include "gfx/texture_manager.h"
#include "layers/layer_flicker_flash.h"
#include "layers/layer_scene_support.h"

using namespace qorFramework;
using layerscene::near;
using testsupport::Rgba;

namespace {

// t at which sin(12 t + 1) = 0: the wash is black whatever the brightness.
const float kDarkWash = (3.14159265f - 1.0f) / 12.0f;

const Rgba kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255},
           kWhite = {255, 255, 255, 255};

class FlickerFlashTest : public testsupport::GLTest {
 protected:
  testsupport::ScratchDir scratch;
  GL_TextureManager textures;
  ControllerList controllers;
  Layer_FlickerFlash layer;

  void TearDown() override {
    textures.release();
    GLTest::TearDown();
  }
  // The flash picture's quarters, as stored: red top-left, green top-right, blue bottom-left,
  // white bottom-right.
  void writeQuarters() {
    layerscene::writePicture("flash.png", layerscene::Picture(16, 16).fill([](int x, int y) {
      return y < 8 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kBlue : kWhite);
    }));
  }
  void start() { ASSERT_TRUE(layer.init(&textures, &controllers)); }
  void set(float bright, float progress) {
    layer.bright->value = bright;
    layer.flashProgress->value = progress;
  }
  // Centre pixel of each viewport quarter.
  Rgba topLeft() { return pixel(16, 48); }
  Rgba topRight() { return pixel(48, 48); }
  Rgba bottomLeft() { return pixel(16, 16); }
  Rgba bottomRight() { return pixel(48, 16); }
};

TEST_F(FlickerFlashTest, InitCreatesBothControllersAndLoadsThePicture) {
  writeQuarters();
  start();
  ASSERT_NE(layer.bright, nullptr);
  EXPECT_EQ(layer.bright->name, "FlickerFlash: Bright");
  ASSERT_NE(layer.flashProgress, nullptr);
  EXPECT_EQ(layer.flashProgress->name, "FlickerFlash: FlashProgress");
  EXPECT_EQ(controllers.size(), 2u);
  EXPECT_NE(layer.flashPicture, nullptr);
  EXPECT_EQ(layer.bright->value, 0.0f);
}

TEST_F(FlickerFlashTest, ZeroBrightnessAddsNothing) {
  writeQuarters();
  start();
  for (float progress : {0.0f, 0.5f, 1.0f}) {
    set(0.0f, progress);
    layerscene::drawFrame(layer, 0.3f, {60, 60, 60, 255});
    for (Rgba p : pixels()) ASSERT_TRUE(near(p, 60, 60, 60, 1)) << "progress " << progress;
  }
}

TEST_F(FlickerFlashTest, WashFollowsTheFlickerFormula) {
  writeQuarters();
  start();
  // t = 0: k = sin(1)^2 = 0.708; (0.708 * 0.8, 0.708 * 1.5 clamped to 1, 0).
  set(1.0f, 0.0f);
  layerscene::drawFrame(layer, 0.0f);
  for (Rgba p : pixels()) ASSERT_TRUE(near(p, 144, 255, 0));
  // t = 0.5: k = sin(7)^2 = 0.4316; (k (sin(0.5)^2 + 0.8), k (|cos 5| + 0.5)) = (0.4445, 0.3383).
  layerscene::drawFrame(layer, 0.5f);
  EXPECT_TRUE(near(pixel(5, 60), 113, 86, 0));
  // Half the brightness halves the wash; it adds to what is there.
  set(0.5f, 0.0f);
  layerscene::drawFrame(layer, 0.5f, {100, 0, 50, 255});
  EXPECT_TRUE(near(pixel(60, 5), 100 + 57, 43, 50));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(FlickerFlashTest, PictureFadesInOverTheFirstTenthOfBrightness) {
  layerscene::writePicture("flash.png", layerscene::solid(kWhite));
  start();
  set(0.05f, 1.0f);
  layerscene::drawFrame(layer, kDarkWash);
  EXPECT_TRUE(near(pixel(32, 32), 128, 128, 128));
  set(0.2f, 1.0f);
  layerscene::drawFrame(layer, kDarkWash);
  EXPECT_TRUE(near(pixel(32, 32), 255, 255, 255));
}

TEST_F(FlickerFlashTest, ProgressSlidesThePictureInFromTheTopRight) {
  writeQuarters();
  start();
  set(1.0f, 0.0f);  // one screen right and one up: nothing of it shows
  layerscene::drawFrame(layer, kDarkWash);
  for (Rgba p : pixels()) ASSERT_TRUE(near(p, 0, 0, 0));

  set(1.0f, 1.0f);  // in place and upright (first stored row at the top)
  layerscene::drawFrame(layer, kDarkWash);
  EXPECT_TRUE(near(topLeft(), 255, 0, 0));
  EXPECT_TRUE(near(topRight(), 0, 255, 0));
  EXPECT_TRUE(near(bottomLeft(), 0, 0, 255));
  EXPECT_TRUE(near(bottomRight(), 255, 255, 255));

  set(1.0f, 0.5f);  // half a screen right and up: its bottom-left quarter in the top-right one
  layerscene::drawFrame(layer, kDarkWash);
  EXPECT_TRUE(near(topRight(), 0, 0, 255));
  EXPECT_TRUE(near(topLeft(), 0, 0, 0));
  EXPECT_TRUE(near(bottomLeft(), 0, 0, 0));
  EXPECT_TRUE(near(bottomRight(), 0, 0, 0));
}

TEST_F(FlickerFlashTest, MissingPictureStillDrawsTheWash) {
  start();  // no flash.png
  EXPECT_EQ(layer.flashPicture, nullptr);
  set(1.0f, 1.0f);
  layerscene::drawFrame(layer, 0.0f);
  EXPECT_TRUE(near(pixel(32, 32), 144, 255, 0));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace
