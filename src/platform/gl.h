// OpenGL for the engine: libepoxy's dispatch (every entry point past OpenGL 1.1 resolves through
// it, whether the context came from EGL or GLX) plus GLU. Include this, never <GL/gl.h>.
#pragma once

#include <epoxy/gl.h>
#include <GL/glu.h>
