// Debug-build GL error checks.
#include <gtest/gtest.h>

#include "gfx/gl_check.h"
#include "support/test_support.h"

using namespace qorFramework;

namespace {

class GlCheckTest : public testsupport::GLTest {};

TEST(GlCheck, NamesErrors) {
  EXPECT_STREQ(qorFramework::glErrorName(GL_INVALID_ENUM), "GL_INVALID_ENUM");
  EXPECT_STREQ(qorFramework::glErrorName(GL_INVALID_FRAMEBUFFER_OPERATION), "GL_INVALID_FRAMEBUFFER_OPERATION");
  EXPECT_STREQ(qorFramework::glErrorName(0x1234), "GL error 0x1234");
}

#ifdef DOVRIX_GL_CHECKS
TEST_F(GlCheckTest, TracesAndDrainsPendingErrors) {
  testsupport::DebugCapture capture;
  glEnable(0x1234);  // not a capability
  checkGlError("step");
  EXPECT_EQ(capture.text(), "WARNING (glCheck): step: GL_INVALID_ENUM\n");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  checkGlError("clean");
  EXPECT_EQ(capture.text(), "WARNING (glCheck): step: GL_INVALID_ENUM\n");
}
#endif

}  // namespace
