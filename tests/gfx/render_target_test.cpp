// Render-target creation and logging, its texture operations, and the stack's viewport handling.
#include <gtest/gtest.h>

#include "gfx/render_target.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;

using testsupport::currentViewport;
using testsupport::glInteger;

namespace {

class RenderTargetTest : public testsupport::GLTest {
 protected:
  DebugCapture capture;
};

TEST_F(RenderTargetTest, CreateLogsSuccessAndLeavesDefaultsBound) {
  GL_FBOTexture target;
  target.create(64, 64, GL_RGB);
  EXPECT_EQ(capture.text(), "INFO (fboCreator): FBO successfully created (64 * 64)\n");
  EXPECT_EQ(target.colorCount, 1u);
  EXPECT_EQ(target.width, 64);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(glInteger(GL_RENDERBUFFER_BINDING), 0);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);

  GLuint fbo = target.fboName, color = target.colorTextures[0], depth = target.depthBuffer;
  EXPECT_TRUE(glIsFramebuffer(fbo) && glIsTexture(color) && glIsRenderbuffer(depth));
  target.release();
  EXPECT_FALSE(glIsFramebuffer(fbo));
  EXPECT_FALSE(glIsTexture(color));
  EXPECT_FALSE(glIsRenderbuffer(depth));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(RenderTargetTest, AnIncompleteTargetIsAnError) {
  GL_FBOTexture empty;
  empty.create(0, 0, GL_RGB);
  EXPECT_TRUE(capture.contains("ERROR (fboCreator): FRAMEBUFFER_INCOMPLETE_")) << capture.text();
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  empty.release();
}

TEST_F(RenderTargetTest, NestedTargetsRestoreTheirViewports) {
  GL_FBOTexture a, b;
  a.create(32, 16, GL_RGBA);
  b.create(8, 8, GL_RGB);
  glViewport(1, 2, 60, 50);

  bindRenderTarget(&a);
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(a.fboName));
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 32, 16}));
  bindRenderTarget(&b);
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 8, 8}));
  EXPECT_EQ(renderTargetDepth(), 2u);

  unbindRenderTarget(&b);  // back inside a, with a's viewport
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(a.fboName));
  EXPECT_EQ(glInteger(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT0);
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 32, 16}));
  EXPECT_EQ(renderTargetDepth(), 1u);

  unbindRenderTarget(&a);  // back on the window
  EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(currentViewport(), (std::vector<GLint>{1, 2, 60, 50}));
  EXPECT_EQ(renderTargetDepth(), 0u);
  EXPECT_FALSE(capture.contains("fboStack"));

  unbindRenderTarget(&a);  // one pop too many
  EXPECT_TRUE(capture.contains("CRITICAL (fboStack): destroyed!\n"));
  EXPECT_EQ(renderTargetDepth(), 0u);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
  a.release();
  b.release();
}

TEST_F(RenderTargetTest, DrawingLandsInTheTargetAndItsTextureSamplesIt) {
  GL_FBOTexture target;
  target.create(16, 16, GL_RGBA);
  bindRenderTarget(&target);
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  testsupport::Rgba inside = pixel(3, 3);
  unbindRenderTarget(&target);
  EXPECT_EQ(inside.g, 255);
  EXPECT_EQ(inside.r, 0);

  glActiveTexture(GL_TEXTURE0);
  target.bind(GL_TEXTURE1);
  EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(target.colorTextures[0]));
  std::vector<uint8_t> texels(16 * 16 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels[5 * 4 + 1], 255);
  target.unbind();
  EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  glActiveTexture(GL_TEXTURE1);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
  glActiveTexture(GL_TEXTURE0);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");  // no draw-buffer change on the window's framebuffer
  target.release();
}

}  // namespace
