// The fading objects layer on a real context: what each controller fades in, the background's
// strongest-credit rule, the photograph strip's position, the title's wobble, the objects'
// echo intensities and directions, and drawing on when pictures are missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gfx/texture_manager.h"
#include "layers/layer_fade_objects.h"
#include "layers/layer_scene_support.h"

using namespace qorFramework;
using layerscene::near;
using layerscene::Picture;
using layerscene::solid;
using layerscene::writePicture;
using testsupport::Rgba;

namespace {

const Rgba kWhite = {255, 255, 255, 255}, kRed = {255, 0, 0, 255}, kBlue = {0, 0, 255, 255};
// Object pictures this dim keep the additive sum of all fifteen copies below saturation.
const Rgba kDim = {40, 40, 40, 255};

class FadeObjectsTest : public testsupport::GLTest {
 protected:
  testsupport::ScratchDir scratch;
  GL_TextureManager textures;
  ControllerList controllers;
  Layer_FadeObjects layer;

  void TearDown() override {
    textures.release();
    GLTest::TearDown();
  }
  void start() { ASSERT_TRUE(layer.init(&textures, &controllers)); }
  void writeAll(const Picture& picture) {
    for (const std::string& name : pictureNames()) writePicture(name, picture);
  }
  static std::vector<std::string> pictureNames() {
    std::vector<std::string> names = {"items_0.png", "items_1.png", "items_2.png",
                                      "credits_0.png", "credits_1.png", "credits_2.png"};
    char name[32];
    for (int i = 1; i <= 10; ++i) {
      snprintf(name, sizeof(name), "photos_%02d.jpg", i);
      names.push_back(name);
    }
    names.insert(names.end(), {"final-screen.png", "flesh-gordon.png", "starbuck.jpg"});
    return names;
  }
  static GLint wrapS(GL_Texture* texture) {
    auto* mem = dynamic_cast<GL_MemTexture*>(texture);
    if (!mem) return 0;
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, mem->glName);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glBindTexture(GL_TEXTURE_2D, 0);
    return wrap;
  }
  void draw(float time = 0.0f) { layerscene::drawFrame(layer, time); }
};

TEST_F(FadeObjectsTest, InitRequestsPicturesThenControllersInOrder) {
  testsupport::DebugCapture capture;
  start();
  // Every picture is missing here, so the texture manager names each request in turn.
  size_t at = 0;
  for (const std::string& name : pictureNames()) {
    size_t found = capture.text().find("unable to load image file: " + name + "\n", at);
    ASSERT_NE(found, std::string::npos) << name << " not requested after the one before";
    at = found;
  }
  const char* expected[] = {"Cred 0: Fade", "Cred 1: Fade", "Cred 2: Fade", "Obj 0: Fade",
                            "Obj 1: Fade",  "Obj 2: Fade",  "Flesh: Alpha", "Slider: Alpha",
                            "Slider: Translate", "Title: Alpha"};
  ASSERT_EQ(controllers.size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(controllers[i]->name, expected[i]);
  EXPECT_EQ(layer.sliderTranslate, controllers[8].get());
}

TEST_F(FadeObjectsTest, OnlyTheBackgroundIsClampedAtItsEdges) {
  writeAll(solid(kWhite));
  start();
  EXPECT_EQ(wrapS(layer.background), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(wrapS(layer.photographs[9]), GL_REPEAT);
  EXPECT_EQ(wrapS(layer.titlePicture), GL_REPEAT);
  EXPECT_EQ(wrapS(layer.objectPictures[2]), GL_REPEAT);
}

TEST_F(FadeObjectsTest, AllControllersZeroDrawNothing) {
  writeAll(solid(kWhite));
  start();
  layerscene::drawFrame(layer, 7.0f, {30, 30, 30, 255});
  for (Rgba p : pixels()) ASSERT_TRUE(near(p, 30, 30, 30, 1));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FadeObjectsTest, BackgroundShowsAsStrongAsTheStrongestCredit) {
  writePicture("starbuck.jpg", solid({200, 100, 50, 255}));
  start();
  layer.creditFades[0]->value = 0.2f;
  layer.creditFades[1]->value = 0.9f;
  layer.creditFades[2]->value = 0.5f;
  draw();
  EXPECT_TRUE(near(pixel(32, 32), 180, 90, 45, 4));
  // Negative fades leave it out.
  for (Controller* fade : layer.creditFades) fade->value = -0.5f;
  draw();
  EXPECT_TRUE(near(pixel(32, 32), 0, 0, 0));
}

TEST_F(FadeObjectsTest, CreditAndFleshFadesTakeBlueWithAlpha) {
  writePicture("credits_1.png", solid(kWhite));
  writePicture("flesh-gordon.png", solid(kWhite));
  start();
  layer.creditFades[1]->value = 0.5f;
  draw();
  EXPECT_TRUE(near(pixel(10, 50), 128, 128, 64));
  layer.creditFades[1]->value = 0.0f;
  layer.fleshAlpha->value = 0.5f;
  draw();
  EXPECT_TRUE(near(pixel(50, 10), 128, 128, 64));
}

TEST_F(FadeObjectsTest, SliderMovesTheStripOneScreenPerTenth) {
  char name[32];
  for (int i = 1; i <= 10; ++i) {
    snprintf(name, sizeof(name), "photos_%02d.jpg", i);
    writePicture(name, solid({uint8_t(25 * i), uint8_t(250 - 25 * i), 100, 255}));
  }
  start();
  layer.sliderAlpha->value = 1.0f;
  draw();  // translate 0: the first photograph fills the screen
  EXPECT_TRUE(near(pixel(5, 32), 25, 225, 100, 4));
  EXPECT_TRUE(near(pixel(58, 32), 25, 225, 100, 4));

  layer.sliderTranslate->value = 0.35f;  // photographs 4 and 5 split at the middle
  draw();
  EXPECT_TRUE(near(pixel(5, 32), 100, 150, 100, 4));
  EXPECT_TRUE(near(pixel(29, 50), 100, 150, 100, 4));
  EXPECT_TRUE(near(pixel(34, 10), 125, 125, 100, 4));
  EXPECT_TRUE(near(pixel(58, 32), 125, 125, 100, 4));

  layer.sliderAlpha->value = 0.5f;
  layer.sliderTranslate->value = 0.9f;  // the last one, half faded
  draw();
  EXPECT_TRUE(near(pixel(32, 32), 125, 0, 50, 4));
}

TEST_F(FadeObjectsTest, TitleWobblesWithItsAlpha) {
  // Left half red, right half blue.
  writePicture("final-screen.png",
               Picture(64, 64).fill([](int x, int) { return x < 32 ? kRed : kBlue; }));
  start();
  draw(0.0f);  // alpha 0: unmoved and invisible
  for (Rgba p : pixels()) ASSERT_TRUE(near(p, 0, 0, 0, 1));

  // Alpha 1 at t = 0: scale 1 + 0.03 sin(1) = 1.025, moved right by 0.05 cos(1) = 0.027, so
  // the left edge lands at 0.015 of the width (just past pixel 0) and the colour border at 0.528.
  layer.titleAlpha->value = 1.0f;
  draw(0.0f);
  EXPECT_TRUE(near(pixel(0, 32), 0, 0, 0));
  EXPECT_TRUE(near(pixel(1, 32), 255, 0, 0));
  EXPECT_GT(pixel(33, 32).r, pixel(33, 32).b);  // unmoved, pixel 33 would be blue
  EXPECT_TRUE(near(pixel(63, 63), 0, 0, 255));  // the grown picture still covers the corners
  EXPECT_TRUE(near(pixel(63, 0), 0, 0, 255));
}

// An object's fifteen copies are centred and grow by 0.1 of the screen each, from 0.2: all of
// them cover the centre, only copies 8 to 14 (sizes 1.0 to 1.6) reach a corner. Expected sums
// of s sin(3.141 (s + 1 - 2 o)) over the glowing copies, times the picture's 40:
//   fade 0.5:  centre 4.759 -> 190, corner 3.242 -> 130
//   fade 0.25: centre 0.867 -> 35 (copies 1 to 7), corner 0
//   fade 0.75: centre = corner 3.417 -> 137 (copies 8 to 14)
TEST_F(FadeObjectsTest, ObjectCopiesGlowAsTheFadeMovesThroughThem) {
  writePicture("items_0.png", solid(kDim));
  start();
  struct Case { float fade; int centre, corner; };
  for (Case c : {Case{0.5f, 190, 130}, Case{0.25f, 35, 0}, Case{0.75f, 137, 137},
                 Case{0.0f, 0, 0}, Case{1.0f, 0, 0}}) {
    layer.objectFades[0]->value = c.fade;
    draw();
    Rgba centre = pixel(32, 32), corner = pixel(1, 1);
    EXPECT_TRUE(near(centre, c.centre, int(c.centre * 0.8), int(c.centre * 0.3), 6))
        << "fade " << c.fade;
    EXPECT_TRUE(near(corner, c.corner, int(c.corner * 0.8), int(c.corner * 0.3), 6))
        << "fade " << c.fade;
  }
}

TEST_F(FadeObjectsTest, SecondObjectsEchoesSinkAndThirdsRise) {
  writePicture("items_1.png", solid(kDim));
  writePicture("items_2.png", solid(kDim));
  start();
  // Fade 0.75 lights copies 8 to 14. Object 1's copy j is moved down by s = j / 15 before it is
  // scaled, so none of them reaches the top rows; object 2's move by 1 - s, and the largest
  // copies cover the top.
  layer.objectFades[1]->value = 0.75f;
  draw();
  EXPECT_LT(pixel(32, 62).r, 3);
  EXPECT_GT(pixel(32, 1).r, 30);

  layer.objectFades[1]->value = 0.0f;
  layer.objectFades[2]->value = 0.75f;
  draw();
  EXPECT_GT(pixel(32, 62).r, 30);
  EXPECT_GT(pixel(32, 1).r, 30);
}

TEST_F(FadeObjectsTest, MissingPicturesAreSkippedAndTheRestDrawn) {
  writePicture("items_0.png", solid(kDim));
  start();
  EXPECT_EQ(layer.background, nullptr);
  EXPECT_EQ(layer.photographs[0], nullptr);
  for (auto& controller : controllers) controller->value = 1.0f;
  layer.sliderTranslate->value = 0.0f;
  layer.objectFades[0]->value = 0.5f;
  draw(3.0f);
  EXPECT_TRUE(near(pixel(32, 32), 190, 152, 57, 6));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

}  // namespace
