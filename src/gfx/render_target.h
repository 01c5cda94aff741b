// Render targets: GL_FBOTexture, a texture that is also a framebuffer (one colour texture and a
// depth renderbuffer of the same size), and the process-wide render-target stack through which
// targets are bound, nested and left with the viewport saved and restored around each use.
// Depends on: texture.h, the trace log ("fboCreator", "fboStack").
//
// Calls come in pairs: bindRenderTarget(t) ... unbindRenderTarget(t), nesting allowed. Between
// frames the stack is empty and the window's framebuffer is bound.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/texture.h"

namespace qorFramework {

class GL_FBOTexture : public GL_Texture {
 public:
  static constexpr uint32_t kMaxColorTextures = 16;

  // Creates the framebuffer, depth renderbuffer and colour texture (bilinear, clamped to edge) and
  // logs the outcome under "fboCreator" (INFO on success, ERROR when incomplete). Leaves texture 0,
  // renderbuffer 0 and framebuffer 0 bound, and GL_TEXTURE_2D enabled on the active unit.
  void create(int32_t width, int32_t height, GLenum format);
  // For each colour texture i: enables GL_TEXTURE_2D on the unit active at that moment, makes
  // textureUnit + i active and binds texture i there. textureUnit + colorCount - 1 stays active.
  void bind(GLenum textureUnit) override;
  // Binds texture 0 on the units of the last bind, selects GL_COLOR_ATTACHMENT0 as the one draw
  // buffer when a framebuffer object is bound, and leaves GL_TEXTURE0 active.
  void unbind() override;
  // Binds renderbuffer 0, texture 0 (on the active unit) and framebuffer 0, then deletes the
  // depth renderbuffer, the colour textures and the framebuffer.
  void release() override;

  GLuint fboName = 0;
  GLuint colorTextures[kMaxColorTextures] = {};
  GLuint depthBuffer = 0;
  uint32_t colorCount = 0;
  GLenum boundUnit = GL_TEXTURE0;
  GLint savedViewport[4] = {0, 0, 0, 0};  // x, y, width, height at the last bindRenderTarget
};

// Binds target's framebuffer and draw buffers, saves the viewport into target, sets the viewport
// to the whole target and pushes it.
void bindRenderTarget(GL_FBOTexture* target);
// Binds framebuffer 0, restores target's saved viewport, then popRenderTarget().
void unbindRenderTarget(GL_FBOTexture* target);
// Pops the stack and re-binds the new top's framebuffer and draw buffers, if any (the viewport is
// left alone). An empty stack logs CRITICAL "destroyed!" under "fboStack".
void popRenderTarget();
void pushRenderTarget(GL_FBOTexture* target);
// Number of targets on the stack (0 = the window's framebuffer).
size_t renderTargetDepth();

}  // namespace qorFramework
