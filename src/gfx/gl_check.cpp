#include "gfx/gl_check.h"

#include <cstdio>

#include "platform/trace.h"

namespace qorFramework {

const char* glErrorName(GLenum error) {
  switch (error) {
    case GL_NO_ERROR: return "GL_NO_ERROR";
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default: {
      static char text[32];
      std::snprintf(text, sizeof(text), "GL error 0x%04X", error);
      return text;
    }
  }
}

#ifdef DOVRIX_GL_CHECKS
void checkGlError(const char* step) {
  // A lost context keeps answering GL_CONTEXT_LOST; the bound stops the loop.
  for (int i = 0; i < 16; ++i) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    trace(TRACE_WARNING, "glCheck", "%s: %s", step, glErrorName(error));
  }
}
#endif

}  // namespace qorFramework
