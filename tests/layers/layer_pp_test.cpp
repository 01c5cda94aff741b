// The post-processing layer driven as the main loop drives it: render() in slot 0, a known scene
// drawn with fixed-function GL into the capture, render() in slot 65, then the window's pixels.
// Checks set-up and its trace lines, every grading control on a flat scene, the blur, the
// distortion map, the overlays and the GL state the layer leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// libstb's PNG writer (the implementation is in libstb.so); its header trips -Wextra.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "gfx/blur.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"
#include "layers/layer_pp.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::Rgba;
using testsupport::ScratchDir;

using testsupport::currentViewport;
using testsupport::glInteger;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// A pass-through FXAA stand-in that keeps its "w" and "h" uniforms alive.
const char* const kStandInFxaaVert =
    "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }\n";
const char* const kStandInFxaaFrag =
    "uniform sampler2D tex; uniform float w; uniform float h;\n"
    "void main() { gl_FragColor = texture2D(tex, gl_TexCoord[0].xy) * step(0.0, w + h); }\n";

// The real FXAA files when the source tree has them, otherwise the stand-in.
void writeFxaaFiles() {
  namespace fs = std::filesystem;
  const char* source = std::getenv("DOVRIX_SOURCE_DIR");
  fs::path shaders = fs::path(source ? source : "") / "assets" / "shaders";
  bool real = source && fs::exists(shaders / "fxaaShaderVert.h") &&
              fs::exists(shaders / "fxaaShaderFrag.h");
  if (real) {
    fs::copy_file(shaders / "fxaaShaderVert.h", "fxaaShaderVert.h");
    fs::copy_file(shaders / "fxaaShaderFrag.h", "fxaaShaderFrag.h");
  } else {
    testsupport::writeFile("fxaaShaderVert.h", kStandInFxaaVert);
    testsupport::writeFile("fxaaShaderFrag.h", kStandInFxaaFrag);
  }
}

// Writes "data/textures/distortion.png", one column of RGB rows (first row = texture row 0).
void writeDistortionMap(const std::vector<std::pair<uint8_t, uint8_t>>& rowsRedGreen) {
  std::filesystem::create_directories("data/textures");
  std::vector<uint8_t> rgb;
  for (auto [red, green] : rowsRedGreen) rgb.insert(rgb.end(), {red, green, 128});
  int rows = static_cast<int>(rowsRedGreen.size());
  ASSERT_NE(stbi_write_png("data/textures/distortion.png", 1, rows, 3, rgb.data(), 3), 0);
}

struct Color {
  float r, g, b;
};

// Scene drawing as a layer would do it: untextured, fixed function, on identity matrices.
void drawRect(Color c, float x0, float y0, float x1, float y1) {
  glActiveTexture(GL_TEXTURE0);
  glDisable(GL_TEXTURE_2D);
  glColor3f(c.r, c.g, c.b);
  glRectf(x0, y0, x1, y1);
}
void drawFlat(Color c) { drawRect(c, -1, -1, 1, 1); }
// Left of the vertical line at x (-1..1) one colour, right of it the other.
void drawSplit(Color left, Color right, float x = 0.0f) {
  drawRect(left, -1, -1, x, 1);
  drawRect(right, x, -1, 1, 1);
}

Rgba targetPixel(const GL_FBOTexture& target, int x, int y) {
  Rgba p = {0, 0, 0, 0};
  glBindFramebuffer(GL_FRAMEBUFFER, target.fboName);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return p;
}

void fillTarget(GL_FBOTexture& target, Color c) {
  bindRenderTarget(&target);
  glClearColor(c.r, c.g, c.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  unbindRenderTarget(&target);
}

::testing::AssertionResult near(Rgba p, Color want, int tolerance) {
  auto off = [&](uint8_t got, float w) {
    float expect = std::fmin(std::fmax(w, 0.0f), 1.0f) * 255.0f;
    return std::fabs(got - expect) > tolerance + 0.5f;
  };
  if (off(p.r, want.r) || off(p.g, want.g) || off(p.b, want.b)) {
    return ::testing::AssertionFailure()
           << "got (" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << "), want ("
           << want.r * 255 << ", " << want.g * 255 << ", " << want.b * 255 << ") +-" << tolerance;
  }
  return ::testing::AssertionSuccess();
}

class LayerPPTest : public testsupport::GLTest {
 protected:
  LayerPPTest() : GLTest(128, 72) {}

  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    scratch = std::make_unique<ScratchDir>();
    capture = std::make_unique<DebugCapture>();
    writeFxaaFiles();
    writeDistortionMap({{128, 128}});
    initSharedBlur(width_, height_);
  }

  void TearDown() override {
    if (layer) layer->shutdown();
    textures.release();
    releaseSharedBlur();
    capture.reset();
    scratch.reset();
    GLTest::TearDown();
  }

  // Call after writing the resources a test needs.
  void initLayer() {
    capture->clear();
    layer = std::make_unique<Layer_PP>(width_, height_);
    ASSERT_TRUE(layer->init(&textures, &controllers));
  }

  void set(const std::string& parameter, float value) {
    findOrCreateController(controllers, ("Postprocessor: " + parameter).c_str())->value = value;
  }

  // One draw slot: reset matrices, push, draw, pop.
  static void slot(const std::function<void()>& draw) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    draw();
    glPopMatrix();
  }

  // One frame of the main loop: clear the window, the layer in slot 0, the scene, the layer in
  // slot 65.
  void frame(const std::function<void()>& scene) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    slot([&] { layer->render(); });
    slot(scene);
    slot([&] { layer->render(); });
  }

  std::vector<Rgba> row(int y) const {
    std::vector<Rgba> out;
    for (int x = 0; x < width_; ++x) out.push_back(pixel(x, y));
    return out;
  }

  std::unique_ptr<ScratchDir> scratch;
  std::unique_ptr<DebugCapture> capture;
  GL_TextureManager textures;
  ControllerList controllers;
  std::unique_ptr<Layer_PP> layer;
};

const Color kScene = {0.2f, 0.4f, 0.8f};

// ---------------------------------------------------------------------------------------------
// Set-up

TEST_F(LayerPPTest, InitCreatesTargetsProgramsAndControllersInOrder) {
  initLayer();
  const std::string& log = capture->text();
  const char* lines[] = {
      "INFO (fboCreator): FBO successfully created (128 * 72)\n"
      "INFO (fboCreator): FBO successfully created (128 * 72)\n"
      "INFO (fboCreator): FBO successfully created (512 * 512)\n"
      "INFO (fboCreator): FBO successfully created (512 * 512)\n"
      "INFO (fboCreator): FBO successfully created (64 * 64)\n"
      "INFO (shaderCompiler): (postprocessor) - shader created!",
      "INFO (shaderCompiler): (fxaa) - shader created!"};
  size_t at = 0;
  for (const char* line : lines) {
    size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << log;
    at = found;
  }
  EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
  EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;

  EXPECT_TRUE(layer->postShader.valid);
  EXPECT_TRUE(layer->fxaaShader.valid);
  EXPECT_EQ(layer->fxaaTarget->format, static_cast<GLenum>(GL_RGBA));
  EXPECT_EQ(layer->captureTarget->format, static_cast<GLenum>(GL_RGBA));
  EXPECT_EQ(layer->gradeTarget->format, static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(layer->lowResTarget->width, 64);
  EXPECT_EQ(layer->distortionTexture, textures.getTexture("data\\textures\\distortion.png", 0, 0));
  EXPECT_EQ(layer->phase, 0);

  const char* names[] = {"blur factor", "red color modulation", "green color modulation",
                         "blue color modulation", "invert colors", "saturation", "desaturation",
                         "contrast", "brightness", "darkness", "rgb distortion",
                         "pixel distortion", "pixel distortion anim", "fade to black",
                         "fade to white", "post fadeout", "base fadein", "lowpixel post"};
  ASSERT_EQ(controllers.size(), 18u);
  for (size_t i = 0; i < 18; ++i) {
    EXPECT_EQ(controllers[i]->name, std::string("Postprocessor: ") + names[i]);
    EXPECT_EQ(layer->controllers[i], controllers[i].get());
  }
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(LayerPPTest, ExistingControllersAreReusedNotDuplicated) {
  set("contrast", 0.3f);
  initLayer();
  EXPECT_EQ(controllers.size(), 18u);
  EXPECT_EQ(layer->controllers[Layer_PP::Contrast], controllers[0].get());
  EXPECT_EQ(layer->controllers[Layer_PP::Contrast]->value, 0.3f);
}

TEST_F(LayerPPTest, ShutdownReleasesTargetsAndPrograms) {
  initLayer();
  GLuint fbos[] = {layer->fxaaTarget->fboName, layer->captureTarget->fboName,
                   layer->gradeTarget->fboName, layer->blurResult->fboName,
                   layer->lowResTarget->fboName};
  GLuint programs[] = {layer->postShader.program, layer->fxaaShader.program};
  layer->shutdown();
  for (GLuint fbo : fbos) EXPECT_FALSE(glIsFramebuffer(fbo));
  for (GLuint program : programs) EXPECT_FALSE(glIsProgram(program));
  layer->render();  // after shutdown: draws nothing, touches nothing
  layer->render();
  EXPECT_EQ(renderTargetDepth(), 0u);
  layer->shutdown();  // a second call is harmless
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

// ---------------------------------------------------------------------------------------------
// Grading controls on a flat scene: each case sets some controllers and expects one colour.

struct GradeCase {
  const char* label;
  std::vector<std::pair<const char*, float>> settings;
  Color expected;
};

void PrintTo(const GradeCase& c, std::ostream* out) { *out << c.label; }

const float kLuma = 0.2125f * 0.2f + 0.7154f * 0.4f + 0.0721f * 0.8f;

class LayerPPGradeTest : public LayerPPTest, public ::testing::WithParamInterface<GradeCase> {};

TEST_P(LayerPPGradeTest, FlatSceneBecomesTheExpectedColour) {
  initLayer();
  for (auto& [name, value] : GetParam().settings) set(name, value);
  frame([] { drawFlat(kScene); });
  for (auto [x, y] : {std::pair{0, 0}, {64, 36}, {127, 71}}) {
    EXPECT_TRUE(near(pixel(x, y), GetParam().expected, 2)) << "at " << x << ", " << y;
  }
  EXPECT_EQ(capture->text().find("ERROR"), std::string::npos) << capture->text();
}

INSTANTIATE_TEST_SUITE_P(
    PPControls, LayerPPGradeTest,
    ::testing::Values(
        GradeCase{"AllZeroIsTheScene", {}, kScene},
        GradeCase{"RedModulation", {{"red color modulation", 1}}, {0, 0.4f, 0.8f}},
        GradeCase{"GreenModulation", {{"green color modulation", 1}}, {0.2f, 0, 0.8f}},
        GradeCase{"BlueModulation", {{"blue color modulation", 0.5f}}, {0.2f, 0.4f, 0.4f}},
        GradeCase{"InvertFull", {{"invert colors", 1}}, {0.8f, 0.6f, 0.2f}},
        GradeCase{"InvertHalfIsGrey", {{"invert colors", 0.5f}}, {0.5f, 0.5f, 0.5f}},
        GradeCase{"DesaturationIsLuminance", {{"desaturation", 1}}, {kLuma, kLuma, kLuma}},
        GradeCase{"SaturationDoubles",
                  {{"saturation", 0.05f}},
                  {kLuma + (0.2f - kLuma) * 2, kLuma + (0.4f - kLuma) * 2, 1}},
        GradeCase{"ContrastDoublesDistanceFromHalf", {{"contrast", 0.1f}}, {0, 0.3f, 1}},
        GradeCase{"Brightness", {{"brightness", 0.1f}}, {0.4f, 0.8f, 1}},
        GradeCase{"Darkness", {{"darkness", 0.1f}}, {0, 0, 0.6f}},
        GradeCase{"FadeToBlackHalf", {{"fade to black", 0.5f}}, {0.1f, 0.2f, 0.4f}},
        GradeCase{"FadeToBlackBeatsGrading",
                  {{"fade to black", 1}, {"invert colors", 1}, {"brightness", 0.3f}},
                  {0, 0, 0}},
        GradeCase{"FadeToWhiteAfterBlack", {{"fade to black", 1}, {"fade to white", 1}}, {1, 1, 1}},
        GradeCase{"FadeToWhiteAdds", {{"fade to white", 0.25f}}, {0.45f, 0.65f, 1}},
        GradeCase{"PostFadeoutHalf", {{"post fadeout", 0.5f}}, {0.1f, 0.2f, 0.4f}},
        GradeCase{"BaseFadeinShowsTheUngradedScene",
                  {{"post fadeout", 1}, {"base fadein", 1}, {"red color modulation", 1},
                   {"invert colors", 1}},
                  kScene},
        GradeCase{"BaseFadeinAdds", {{"base fadein", 0.5f}}, {0.3f, 0.6f, 1}},
        GradeCase{"LowpixelPostAdds", {{"lowpixel post", 0.5f}}, {0.3f, 0.6f, 1}},
        GradeCase{"NegativeAndNaNSwitchEffectsOff",
                  {{"lowpixel post", -1}, {"base fadein", kNaN}, {"blur factor", kNaN}},
                  kScene},
        GradeCase{"DistortionOfAFlatSceneChangesNothing",
                  {{"pixel distortion", 1}, {"pixel distortion anim", 0.37f},
                   {"rgb distortion", 1}},
                  kScene}),
    [](const ::testing::TestParamInfo<GradeCase>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// Pictures with structure

TEST_F(LayerPPTest, AllZeroWindowEqualsTheAntiAliasedScene) {
  initLayer();
  frame([] {
    drawSplit({0.9f, 0.1f, 0.1f}, {0.1f, 0.3f, 0.9f}, 0.1f);
    glColor3f(1, 1, 0);
    glBegin(GL_TRIANGLES);  // slanted edges for the anti-aliasing to work on
    glVertex2f(-0.8f, -0.7f);
    glVertex2f(0.6f, -0.2f);
    glVertex2f(-0.3f, 0.8f);
    glEnd();
  });
  std::vector<Rgba> window = pixels();
  int mismatches = 0;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      Rgba w = window[y * width_ + x];
      Rgba a = targetPixel(*layer->fxaaTarget, x, y);
      if (std::abs(w.r - a.r) > 1 || std::abs(w.g - a.g) > 1 || std::abs(w.b - a.b) > 1) {
        ++mismatches;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(near(pixel(2, 2), {0.9f, 0.1f, 0.1f}, 1));
  EXPECT_TRUE(near(pixel(125, 2), {0.1f, 0.3f, 0.9f}, 1));
}

// Without distortion the layer grades with a one-read program; it must give exactly the pixels of
// the full program, whatever the other controls do.
TEST_F(LayerPPTest, GradingWithoutDistortionGivesTheFullProgramsPixels) {
  initLayer();
  ASSERT_TRUE(layer->plainPostShader.valid);
  set("saturation", 0.3f);
  set("contrast", 0.05f);
  set("brightness", 0.02f);
  set("invert colors", 0.25f);
  set("red color modulation", 0.1f);
  auto scene = [] {
    for (int i = 0; i < 64; ++i) {  // an 8 x 8 grid of unrelated colours
      float x = -1.0f + 0.25f * (i % 8), y = -1.0f + 0.25f * (i / 8);
      drawRect({std::fmod(0.37f * i, 1.0f), std::fmod(0.61f * i, 1.0f), std::fmod(0.13f * i, 1.0f)}, x, y,
               x + 0.25f, y + 0.25f);
    }
  };
  frame(scene);
  std::vector<Rgba> plain = pixels();
  layer->plainPostShader.valid = false;  // forces the full program
  frame(scene);
  std::vector<Rgba> full = pixels();
  layer->plainPostShader.valid = true;
  int differing = 0;
  for (size_t i = 0; i < full.size(); ++i)
    differing += full[i].r != plain[i].r || full[i].g != plain[i].g || full[i].b != plain[i].b;
  EXPECT_EQ(differing, 0);
}

// An "fxaa" program that halves the picture marks everything that reads the anti-aliased scene.
TEST_F(LayerPPTest, GradingAndOverlaysReadTheAntiAliasedScene) {
  testsupport::writeFile("fxaaShaderFrag.h",
                         "uniform sampler2D tex; uniform float w; uniform float h;\n"
                         "void main() { gl_FragColor = texture2D(tex, gl_TexCoord[0].xy)"
                         " * 0.5 * step(0.0, w + h); }\n");
  testsupport::writeFile("fxaaShaderVert.h", kStandInFxaaVert);
  initLayer();
  const Color half = {0.1f, 0.2f, 0.4f};
  frame([] { drawFlat(kScene); });
  EXPECT_TRUE(near(pixel(64, 36), half, 1));

  set("post fadeout", 1);
  set("base fadein", 1);
  frame([] { drawFlat(kScene); });
  EXPECT_TRUE(near(pixel(64, 36), half, 1));

  set("base fadein", 0);
  set("lowpixel post", 1);
  frame([] { drawFlat(kScene); });
  EXPECT_TRUE(near(pixel(64, 36), half, 1));
}

TEST_F(LayerPPTest, ANewSceneEachFrame) {
  initLayer();
  frame([] { drawFlat({0, 1, 0}); });
  frame([] { drawFlat({0, 0, 1}); });
  EXPECT_TRUE(near(pixel(64, 36), {0, 0, 1}, 1));
  EXPECT_EQ(layer->phase, 0);
}

// Pixels of one row strictly between dark and bright: the width of an edge's transition.
int transitionWidth(const std::vector<Rgba>& row) {
  int count = 0;
  for (const Rgba& p : row) count += (p.g > 25 && p.g < 230) ? 1 : 0;
  return count;
}

TEST_F(LayerPPTest, BlurTurnsASharpEdgeIntoAGradient) {
  initLayer();
  auto scene = [] { drawSplit({0, 0, 0}, {1, 1, 1}); };
  frame(scene);
  EXPECT_LE(transitionWidth(row(36)), 2);

  set("blur factor", 1.0f);
  frame(scene);
  EXPECT_EQ(sharedBlur().lastPasses, 21);
  std::vector<Rgba> blurred = row(36);
  EXPECT_GE(transitionWidth(blurred), 6);
  for (int x = 1; x < width_; ++x) EXPECT_GE(blurred[x].g + 1, blurred[x - 1].g) << "x " << x;
  EXPECT_LT(blurred[0].g, 30);
  EXPECT_GT(blurred[width_ - 1].g, 225);

  set("blur factor", 0.5f);
  frame(scene);
  EXPECT_EQ(sharedBlur().lastPasses, 11);
}

TEST_F(LayerPPTest, BlurredImageIsGradedAndStillFaded) {
  initLayer();
  set("blur factor", 0.2f);
  set("red color modulation", 1);
  set("fade to black", 0.5f);
  frame([] { drawFlat(kScene); });
  EXPECT_TRUE(near(pixel(64, 36), {0, 0.2f, 0.4f}, 2));
}

TEST_F(LayerPPTest, EffectsThatAreOffTouchNoTarget) {
  initLayer();
  const Color sentinel = {0.1f, 0.7f, 0.3f};
  GL_FBOTexture* untouched[] = {layer->gradeTarget.get(), layer->blurResult.get(),
                                layer->lowResTarget.get(), &sharedBlur().targets[0],
                                &sharedBlur().targets[1]};
  for (GL_FBOTexture* target : untouched) fillTarget(*target, sentinel);
  sharedBlur().lastPasses = -1;

  for (float off : {0.0f, -0.5f, kNaN}) {
    set("blur factor", off);
    set("lowpixel post", off);
    frame([] { drawFlat(kScene); });
  }
  for (GL_FBOTexture* target : untouched) {
    EXPECT_TRUE(near(targetPixel(*target, 5, 5), sentinel, 1));
  }
  EXPECT_EQ(sharedBlur().lastPasses, -1);
  EXPECT_TRUE(near(pixel(64, 36), kScene, 1));
}

TEST_F(LayerPPTest, LowpixelPostCopiesTheAntiAliasedScene) {
  initLayer();
  set("lowpixel post", 0.25f);
  frame([] { drawFlat(kScene); });
  EXPECT_TRUE(near(targetPixel(*layer->lowResTarget, 32, 32), kScene, 1));
  EXPECT_TRUE(near(pixel(64, 36), {0.25f, 0.5f, 1}, 2));
}

// ---------------------------------------------------------------------------------------------
// The distortion map

const Color kBlack = {0, 0, 0}, kWhite = {1, 1, 1};

TEST_F(LayerPPTest, NeutralMapLeavesAnEdgeInPlace) {
  initLayer();
  set("pixel distortion", 1);
  frame([] { drawSplit(kBlack, kWhite); });
  // 128 is 1/255 off centre: at most a fraction of a pixel next to the edge may move.
  std::vector<Rgba> r = row(36);
  for (int x = 0; x < width_; ++x) {
    if (x >= 62 && x <= 65) continue;
    EXPECT_TRUE(near(r[x], x < 64 ? kBlack : kWhite, 1)) << "x " << x;
  }
}

TEST_F(LayerPPTest, RedOfTheMapShiftsThePictureSideways) {
  writeDistortionMap({{255, 128}});  // offset (+1, 0)
  initLayer();
  set("pixel distortion", 0.25f);  // a quarter of the width: x samples the scene at x + 32
  frame([] { drawSplit(kBlack, kWhite); });
  EXPECT_TRUE(near(pixel(20, 36), kBlack, 1));
  EXPECT_TRUE(near(pixel(40, 36), kWhite, 1));
  EXPECT_TRUE(near(pixel(120, 36), kWhite, 1));  // beyond the right edge: clamped

  set("pixel distortion", 0);
  frame([] { drawSplit(kBlack, kWhite); });
  EXPECT_TRUE(near(pixel(40, 36), kBlack, 1));
}

TEST_F(LayerPPTest, DistortionAnimScrollsTheMapUpwards) {
  // Texture row 0 (v around 0.125 of each repeat) shifts the picture, rows 1 to 3 do not.
  writeDistortionMap({{255, 128}, {128, 128}, {128, 128}, {128, 128}});
  initLayer();
  set("pixel distortion", 0.25f);
  auto scene = [] { drawSplit(kBlack, kWhite); };
  auto shifted = [&](int y) { return pixel(40, y).g > 128; };
  const int v125 = 9, v375 = 27, v875 = 63;  // rows at v = 0.125, 0.375, 0.875 of 72 pixels
  frame(scene);
  EXPECT_TRUE(shifted(v125));
  EXPECT_FALSE(shifted(v375));
  EXPECT_FALSE(shifted(v875));

  set("pixel distortion anim", 0.25f);  // v + 0.25: row 0 is now read at v = 0.875 (repeat)
  frame(scene);
  EXPECT_FALSE(shifted(v125));
  EXPECT_FALSE(shifted(v375));
  EXPECT_TRUE(shifted(v875));
}

TEST_F(LayerPPTest, MissingMapUsesANeutralStandIn) {
  std::filesystem::remove("data/textures/distortion.png");
  initLayer();
  EXPECT_TRUE(capture->contains("WARNING (textureManager)")) << capture->text();
  EXPECT_EQ(capture->text().find("ERROR"), std::string::npos) << capture->text();
  ASSERT_NE(layer->neutralDistortion, nullptr);
  EXPECT_EQ(layer->distortionTexture, layer->neutralDistortion.get());

  set("pixel distortion", 1);
  set("invert colors", 1);
  frame([] { drawSplit(kBlack, kWhite); });
  EXPECT_TRUE(near(pixel(20, 36), kWhite, 1));  // inverted, and not shifted
  EXPECT_TRUE(near(pixel(100, 36), kBlack, 1));

  GLuint standIn = layer->neutralDistortion->glName;
  EXPECT_TRUE(glIsTexture(standIn));
  layer->shutdown();
  EXPECT_FALSE(glIsTexture(standIn));
}

// ---------------------------------------------------------------------------------------------
// GL state around the two calls

TEST_F(LayerPPTest, CaptureRedirectsTheSceneAndFinishRestoresTheWindow) {
  initLayer();
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glViewport(0, 8, 128, 56);  // letterboxed, as the main loop may set it
  glEnable(GL_BLEND);         // left on by a scene layer
  glEnable(GL_DEPTH_TEST);

  slot([&] { layer->render(); });
  EXPECT_EQ(layer->phase, 1);
  EXPECT_EQ(renderTargetDepth(), 1u);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(layer->captureTarget->fboName));
  GLint inside[4];
  glGetIntegerv(GL_VIEWPORT, inside);
  EXPECT_EQ(inside[2], 128);
  EXPECT_EQ(inside[3], 72);

  slot([] {
    glDisable(GL_BLEND);
    drawFlat(kScene);
  });
  slot([&] { layer->render(); });
  EXPECT_EQ(layer->phase, 0);
  EXPECT_EQ(renderTargetDepth(), 0u);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  GLint after[4];
  glGetIntegerv(GL_VIEWPORT, after);
  EXPECT_EQ(std::vector<GLint>(after, after + 4), (std::vector<GLint>{0, 8, 128, 56}));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
  EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);

  EXPECT_TRUE(near(pixel(64, 3), {1, 0, 0}, 0));  // outside the viewport: untouched
  EXPECT_TRUE(near(pixel(64, 36), kScene, 1));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

}  // namespace
