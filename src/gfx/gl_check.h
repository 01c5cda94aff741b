// Debug-build GL error checks. With DOVRIX_GL_CHECKS defined (CMake defines it for Debug builds)
// checkGlError drains the GL error queue and traces every pending error as a WARNING under
// "glCheck", naming the step that preceded it; otherwise it compiles to nothing.
// Never call it between glBegin and glEnd.
#pragma once

#include "platform/gl.h"

namespace qorFramework {

// "GL_INVALID_ENUM" and so on; "GL error 0x...." for values without a name.
const char* glErrorName(GLenum error);

#ifdef DOVRIX_GL_CHECKS
void checkGlError(const char* step);
#else
inline void checkGlError(const char*) {}
#endif

}  // namespace qorFramework
