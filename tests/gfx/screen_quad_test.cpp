// The screen quad's orientation, scaling and offset, target-to-target copies and the shared blur.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/blur.h"
#include "gfx/screen_quad.h"
#include "gfx/texture.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::Rgba;

using testsupport::currentViewport;
using testsupport::glInteger;

namespace {

class ScreenQuadTest : public testsupport::GLTest {
 protected:
  GL_MemTexture texture;
  void TearDown() override {
    texture.release();
    GLTest::TearDown();
  }
  // A 64 x 64 RGB image (the viewport's size, so texels map to pixels) with red = 4 x stored row.
  void makeRowRamp() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) rgb.insert(rgb.end(), {uint8_t(4 * y), 0, 0});
    texture.create(rgb.data(), 64, 64, GL_RGB, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  }
  // 64 x 64: a green square over the middle half (texels 16..47), blue around it.
  void makeCentreSquare() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        bool inside = x >= 16 && x < 48 && y >= 16 && y < 48;
        rgb.insert(rgb.end(), {0, uint8_t(inside ? 255 : 0), uint8_t(inside ? 0 : 255)});
      }
    texture.create(rgb.data(), 64, 64, GL_RGB, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  }
  void draw(bool flipV, float scale, float x, float y) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    texture.bind(GL_TEXTURE0);
    glColor3f(1, 1, 1);
    drawScreenQuad(flipV, scale, x, y);
    texture.unbind();
  }
};

// A picture whose content is an off-centre patch of colour on transparent black: drawn as its
// content part, blended or added, it must give the whole quad's pixels under any placement.
TEST_F(ScreenQuadTest, TheContentPartDrawsTheWholeQuadsPixels) {
  std::vector<uint8_t> rgba(64 * 64 * 4, 0);
  for (int y = 10; y < 30; ++y)
    for (int x = 36; x < 50; ++x) {
      uint8_t* p = &rgba[(y * 64 + x) * 4];
      p[0] = uint8_t(5 * x);
      p[1] = uint8_t(7 * y);
      p[2] = 90;
      p[3] = uint8_t(100 + x + y);
    }
  texture.create(rgba.data(), 64, 64, GL_RGBA, GL_REPEAT, GL_REPEAT);
  TextureRect part = findContentRect(&texture, true);
  EXPECT_GT(part.s0, 0.5f);
  EXPECT_LE(part.t1, 0.5f);
  EXPECT_EQ(findContentRect(&texture, false).s0, part.s0);

  struct Placement { bool flipV; float scale, x, y; };
  for (Placement at : {Placement{true, 1, 0, 0}, Placement{false, 1, 0, 0}, Placement{true, 1.37f, 0.1f, -0.2f},
                       Placement{false, 0.4f, -0.3f, 0.25f}}) {
    for (bool added : {false, true}) {
      std::vector<Rgba> whole, cut;
      for (int pass = 0; pass < 2; ++pass) {
        glClearColor(0.2f, 0.3f, 0.1f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        if (added) glBlendFunc(GL_ONE, GL_ONE);
        else glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        texture.bind(GL_TEXTURE0);
        glColor4f(0.9f, 0.8f, 0.7f, 0.6f);
        if (pass == 0) drawScreenQuad(at.flipV, at.scale, at.x, at.y);
        else drawScreenQuadPart(at.flipV, at.scale, at.x, at.y, part);
        texture.unbind();
        glDisable(GL_BLEND);
        (pass == 0 ? whole : cut) = pixels();
      }
      int differing = 0;
      for (size_t i = 0; i < whole.size(); ++i)
        differing += std::abs(whole[i].r - cut[i].r) > 1 || std::abs(whole[i].g - cut[i].g) > 1 ||
                     std::abs(whole[i].b - cut[i].b) > 1;
      EXPECT_EQ(differing, 0) << "flip " << at.flipV << " scale " << at.scale << " added " << added;
    }
  }
  std::vector<uint8_t> clear(64 * 64 * 4, 0);
  texture.release();
  texture.create(clear.data(), 64, 64, GL_RGBA, GL_REPEAT, GL_REPEAT);
  EXPECT_TRUE(findContentRect(&texture, true).empty);
}

TEST_F(ScreenQuadTest, FlipPutsTheFirstStoredRowAtTheTop) {
  makeRowRamp();
  draw(true, 1, 0, 0);
  EXPECT_EQ(pixel(10, 63).r, 0);  // stored row 0 in the top window row
  EXPECT_EQ(pixel(10, 0).r, 252);
  EXPECT_EQ(pixel(10, 53).r, 40);
  draw(false, 1, 0, 0);
  EXPECT_EQ(pixel(10, 0).r, 0);  // render-target orientation: row 0 at the bottom
  EXPECT_EQ(pixel(10, 63).r, 252);
  EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(glInteger(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_EQ(glInteger(GL_PROJECTION_STACK_DEPTH), 1);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(ScreenQuadTest, ScaleGrowsAboutTheCentreAndTheOffsetMovesInViewportUnits) {
  makeCentreSquare();
  draw(false, 1, 0, 0);
  EXPECT_EQ(pixel(1, 1).b, 255);
  EXPECT_EQ(pixel(32, 32).g, 255);
  draw(false, 2, 0, 0);  // corners at -0.5 and 1.5: only the middle half is visible
  for (Rgba p : {pixel(1, 1), pixel(62, 1), pixel(1, 62), pixel(62, 62)}) {
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 0);
  }
  draw(false, 1, 0.25f, 0);  // a quarter of the viewport to the right: the left strip is empty
  EXPECT_EQ(pixel(8, 32).b, 0);
  EXPECT_EQ(pixel(8, 32).g, 0);
  EXPECT_EQ(pixel(20, 32).b, 255);
  draw(false, 0.5f, 0, 0.5f);  // offset scaled with the quad: moved down by a quarter
  EXPECT_EQ(pixel(32, 40).b, 0);  // above the quad: empty
  EXPECT_EQ(pixel(20, 4).b, 255);
}

// ---------------------------------------------------------------------------------------------

class TargetTest : public testsupport::GLTest {
 protected:
  DebugCapture capture;

  // Fills `target` with black and a white size x size square centred on (x, y).
  static void paintSquare(GL_FBOTexture& target, int x, int y, int size) {
    bindRenderTarget(&target);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x - size / 2, y - size / 2, size, size);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    unbindRenderTarget(&target);
  }
  static void paintDot(GL_FBOTexture& target, int x, int y) { paintSquare(target, x, y, 1); }
  // Red channel of a size x size block of `target` centred on (x, y), rows bottom first.
  static std::vector<int> block(GL_FBOTexture& target, int x, int y, int size) {
    bindRenderTarget(&target);
    std::vector<uint8_t> rgba(size * size * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x - size / 2, y - size / 2, size, size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    unbindRenderTarget(&target);
    std::vector<int> red;
    for (int i = 0; i < size * size; ++i) red.push_back(rgba[i * 4]);
    return red;
  }
};

TEST_F(TargetTest, RenderToTargetCopiesAndRestoresTheWindowState) {
  GL_FBOTexture a, b;
  a.create(32, 32, GL_RGB);
  b.create(32, 32, GL_RGB);
  paintDot(a, 5, 7);
  paintDot(b, 20, 20);
  glViewport(3, 4, 50, 40);
  renderToTarget(&b, &a);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{3, 4, 50, 40}));
  EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(block(b, 5, 7, 3), block(a, 5, 7, 3));
  EXPECT_EQ(block(b, 5, 7, 1)[0], 255);
  EXPECT_EQ(block(b, 20, 20, 1)[0], 0);

  renderToTarget(&b, &b);  // the same object: nothing happens
  EXPECT_EQ(block(b, 5, 7, 1)[0], 255);
  EXPECT_EQ(renderTargetDepth(), 0u);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
  a.release();
  b.release();
}

TEST_F(TargetTest, BlurShaderSpreadsADotIntoTheWeightedCross) {
  // One pass of "vedeBlurShader" with the tap spacing set to exactly one texel of a 64-texel
  // target: every tap lands on a texel centre, so the weights can be read back directly.
  GL_FBOTexture source, result;
  source.create(64, 64, GL_RGB);
  result.create(64, 64, GL_RGB);
  paintDot(source, 32, 32);
  GL_Shader blur;
  blur.createFromSource("vedeBlurShader", kBlurVertexSource, nullptr, kBlurFragmentSource);
  glUseProgram(blur.program);
  glUniform1f(uniformLocation(blur, "blur_intensity"), (1.0f / 64.0f) / 0.009f);
  renderToTarget(&result, &source);
  glUseProgram(0);
  std::vector<int> r = block(result, 32, 32, 9);  // offsets -4..4
  auto at = [&](int dx, int dy) { return r[(dy + 4) * 9 + (dx + 4)]; };
  const double w[4] = {0.3125, 0.234375, 0.09375, 0.015625};
  EXPECT_NEAR(at(0, 0), 255 * w[0], 1.5);  // centre: two taps, halved
  for (int k = 1; k <= 3; ++k) {
    for (auto [dx, dy] : {std::pair{k, 0}, {-k, 0}, {0, k}, {0, -k}}) {
      EXPECT_NEAR(at(dx, dy), 255 * 0.5 * w[k], 1.5) << dx << "," << dy;
    }
  }
  EXPECT_EQ(at(4, 0), 0);
  EXPECT_EQ(at(1, 1), 0);
  EXPECT_EQ(at(-2, 3), 0);
  blur.release();
  source.release();
  result.release();
}

TEST_F(TargetTest, SharedBlurCreatesHalfSizeTargetsAndThreePrograms) {
  initSharedBlur(1025, 767);
  SharedBlur& b = sharedBlur();
  EXPECT_EQ(b.targets[0].width, 512);
  EXPECT_EQ(b.targets[1].height, 383);
  EXPECT_EQ(capture.text().find("INFO (fboCreator): FBO successfully created (512 * 383)\n"), 0u);
  EXPECT_TRUE(capture.contains("INFO (shaderCompiler): (vedeBlurShader) - shader created!"));
  EXPECT_TRUE(capture.contains("INFO (shaderCompiler): (vedeBlurThresholdShader) - shader created!"));
  EXPECT_TRUE(capture.contains("INFO (shaderCompiler): (vedeSmartBlurShader) - shader created!"));
  EXPECT_FALSE(capture.contains("WARNING"));
  EXPECT_GE(b.blurIntensityLocation, 0);
  EXPECT_GE(b.thresholdLocation, 0);
  EXPECT_GE(b.xstLocation, 0);
  EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
  GLint sampler = -1;
  glGetUniformiv(b.smartBlur.program, glGetUniformLocation(b.smartBlur.program, "diffuse_tex"), &sampler);
  EXPECT_EQ(sampler, 1);

  GLuint program = b.blur.program, fbo = b.targets[1].fboName;
  releaseSharedBlur();
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_FALSE(glIsFramebuffer(fbo));
}

TEST(BlurPasses, FollowTheIntensity) {
  EXPECT_EQ(blurPassCount(0.5f), 11);
  EXPECT_EQ(blurPassCount(0.04f), 1);
  EXPECT_EQ(blurPassCount(0.05f), 2);
  EXPECT_EQ(blurPassCount(1.0f), 21);
  EXPECT_EQ(blurPassCount(0.0f), 1);
  EXPECT_EQ(blurPassCount(-1.0f), 0);
  EXPECT_EQ(blurPassCount(NAN), 0);
  EXPECT_EQ(blurPassCount(1e30f), 100000);
}

TEST_F(TargetTest, BlurTargetRunsItsPassesAndSpreadsADotAlongTheAxes) {
  // Half-size targets of 1024 texels make the one pass at intensity 0.04 visible (its taps are
  // 0.37 texel apart): a single pass only reaches along the two axes.
  initSharedBlur(2048, 2048);
  GL_FBOTexture source, destination;
  source.create(1024, 1024, GL_RGB);
  destination.create(1024, 1024, GL_RGB);
  paintDot(source, 512, 512);
  glViewport(0, 0, 64, 64);

  blurTarget(&source, &destination, 0.04f);
  EXPECT_EQ(sharedBlur().lastPasses, 1);
  EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 64, 64}));
  std::vector<int> r = block(destination, 512, 512, 5);
  auto at = [&](int dx, int dy) { return r[(dy + 2) * 5 + (dx + 2)]; };
  EXPECT_LT(at(0, 0), 255);
  EXPECT_GT(at(0, 0), at(1, 0));
  for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) EXPECT_GT(at(dx, dy), 5);
  EXPECT_EQ(at(1, 0), at(-1, 0));
  EXPECT_EQ(at(0, 1), at(1, 0));
  for (auto [dx, dy] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}) EXPECT_EQ(at(dx, dy), 0);

  // Eleven passes end in target 1, which is what the destination receives.
  paintSquare(source, 512, 512, 64);
  blurTarget(&source, &destination, 0.5f);
  EXPECT_EQ(sharedBlur().lastPasses, 11);
  std::vector<int> edge = block(destination, 512 + 32, 512, 16);
  EXPECT_EQ(edge, block(sharedBlur().targets[1], 512 + 32, 512, 16));
  EXPECT_NE(edge, block(sharedBlur().targets[0], 512 + 32, 512, 16));
  EXPECT_NE(edge, block(source, 512 + 32, 512, 16));  // the square's edge is smeared

  blurTarget(&source, &destination, -0.5f);  // no pass: target 0 holds the plain copy
  EXPECT_EQ(sharedBlur().lastPasses, 0);
  EXPECT_EQ(block(destination, 512, 512, 3), block(source, 512, 512, 3));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
  releaseSharedBlur();
  source.release();
  destination.release();
}

}  // namespace
