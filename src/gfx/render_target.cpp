#include "gfx/render_target.h"

#include <vector>

#include "platform/trace.h"

namespace qorFramework {

namespace {

const GLenum kDrawBuffers[GL_FBOTexture::kMaxColorTextures] = {
    GL_COLOR_ATTACHMENT0,  GL_COLOR_ATTACHMENT1,  GL_COLOR_ATTACHMENT2,  GL_COLOR_ATTACHMENT3,
    GL_COLOR_ATTACHMENT4,  GL_COLOR_ATTACHMENT5,  GL_COLOR_ATTACHMENT6,  GL_COLOR_ATTACHMENT7,
    GL_COLOR_ATTACHMENT8,  GL_COLOR_ATTACHMENT9,  GL_COLOR_ATTACHMENT10, GL_COLOR_ATTACHMENT11,
    GL_COLOR_ATTACHMENT12, GL_COLOR_ATTACHMENT13, GL_COLOR_ATTACHMENT14, GL_COLOR_ATTACHMENT15};

std::vector<GL_FBOTexture*> FboStack;  // top = the render target currently bound

void selectDrawBuffers(const GL_FBOTexture* target) {
  glDrawBuffers(static_cast<GLsizei>(target->colorCount), kDrawBuffers);
}

void logStatus(GLenum status, int32_t width, int32_t height) {
  const char* error = nullptr;
  switch (status) {
    case GL_FRAMEBUFFER_COMPLETE:
      trace(TRACE_INFO, "fboCreator", "FBO successfully created (%d * %d)", width, height);
      return;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: error = "FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
      error = "FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: error = "FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: error = "FRAMEBUFFER_INCOMPLETE_FORMATS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: error = "FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: error = "FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_UNSUPPORTED: error = "FRAMEBUFFER_UNSUPPORTED_EXT"; break;
    default:
      trace(TRACE_WARNING, "fboCreator", "glCheckFramebufferStatusEXT: unknown return");
      return;
  }
  trace(TRACE_ERROR, "fboCreator", "%s", error);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// GL_FBOTexture

void GL_FBOTexture::create(int32_t w, int32_t h, GLenum fmt) {
  width = w;
  height = h;
  format = fmt;
  colorCount = 1;
  glGenFramebuffers(1, &fboName);
  glBindFramebuffer(GL_FRAMEBUFFER, fboName);

  glGenRenderbuffers(1, &depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);

  glEnable(GL_TEXTURE_2D);
  glGenTextures(1, &colorTextures[0]);
  glBindTexture(GL_TEXTURE_2D, colorTextures[0]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(fmt), w, h, 0, fmt, GL_UNSIGNED_BYTE, nullptr);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTextures[0], 0);

  if (glGetError() != GL_NO_ERROR) {
    trace(TRACE_WARNING, "fboCreator", "unable to attach render image to buffer");
  }
  GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  logStatus(status, w, h);
}

void GL_FBOTexture::bind(GLenum textureUnit) {
  for (uint32_t i = 0; i < colorCount; ++i) {
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(textureUnit + i);
    glBindTexture(GL_TEXTURE_2D, colorTextures[i]);
    boundUnit = textureUnit;
  }
}

void GL_FBOTexture::unbind() {
  for (uint32_t i = 0; i < colorCount; ++i) {
    glActiveTexture(boundUnit + i);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  // Colour attachments are not draw buffers of the window's framebuffer (GL would refuse them
  // with GL_INVALID_OPERATION), so the single draw buffer is selected only inside a target.
  GLint framebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  if (framebuffer != 0) glDrawBuffers(1, kDrawBuffers);
  glActiveTexture(GL_TEXTURE0);
}

void GL_FBOTexture::release() {
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteRenderbuffers(1, &depthBuffer);
  glDeleteTextures(static_cast<GLsizei>(colorCount), colorTextures);
  glDeleteFramebuffers(1, &fboName);
  depthBuffer = 0;
  for (GLuint& name : colorTextures) name = 0;
  fboName = 0;
}

// ---------------------------------------------------------------------------------------------
// The render-target stack

void bindRenderTarget(GL_FBOTexture* target) {
  glBindFramebuffer(GL_FRAMEBUFFER, target->fboName);
  selectDrawBuffers(target);
  glGetIntegerv(GL_VIEWPORT, target->savedViewport);
  glViewport(0, 0, target->width, target->height);
  pushRenderTarget(target);
}

void unbindRenderTarget(GL_FBOTexture* target) {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const GLint* v = target->savedViewport;
  glViewport(v[0], v[1], v[2], v[3]);
  popRenderTarget();
}

void popRenderTarget() {
  if (FboStack.empty()) {
    trace(TRACE_CRITICAL, "fboStack", "destroyed!");
    return;
  }
  FboStack.pop_back();
  if (!FboStack.empty()) {
    GL_FBOTexture* top = FboStack.back();
    glBindFramebuffer(GL_FRAMEBUFFER, top->fboName);
    selectDrawBuffers(top);
  }
}

void pushRenderTarget(GL_FBOTexture* target) { FboStack.push_back(target); }

size_t renderTargetDepth() { return FboStack.size(); }

}  // namespace qorFramework
