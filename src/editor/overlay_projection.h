// The editor's overlay coordinates: x 0 (left) to 1 (right), y 0 (bottom) to 1 (top).
// beginOverlay pushes the projection and model-view matrices and loads gluOrtho2D(0, 1, 0, 1)
// on an identity model-view; endOverlay pops both. Both leave GL_MODELVIEW the matrix mode.
#pragma once

#include "platform/gl.h"

namespace qorFramework {

inline void beginOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0.0, 1.0, 0.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

inline void endOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace qorFramework
