#include "gfx/screen_quad.h"

#include "gfx/gl_check.h"
#include "gfx/pass_profiler.h"

namespace qorFramework {

void drawScreenQuad(bool flipV, float scale, float offsetX, float offsetY) {
  drawScreenQuadPart(flipV, scale, offsetX, offsetY, TextureRect());
}

void drawScreenQuadPart(bool flipV, float scale, float offsetX, float offsetY, const TextureRect& part) {
  if (part.empty) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, 1, 1, 0);  // (0, 0) top-left, y grows downwards
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.5f, 0.5f, 0.0f);
  glScalef(scale, scale, 1.0f);
  glTranslatef(-0.5f, -0.5f, 0.0f);
  glTranslatef(offsetX, offsetY, 0.0f);

  // On the whole quad x = s, and y = t with flipV (row 0 at the top) or 1 - t without. The
  // corners go bottom-left, bottom-right, top-right, top-left whatever flipV, as they always have.
  auto y = [flipV](float t) { return flipV ? t : 1.0f - t; };
  const float bottom = flipV ? part.t1 : part.t0;  // t at the lower edge
  const float top = flipV ? part.t0 : part.t1;
  glBegin(GL_QUADS);
  glTexCoord2f(part.s0, bottom);
  glVertex2f(part.s0, y(bottom));
  glTexCoord2f(part.s1, bottom);
  glVertex2f(part.s1, y(bottom));
  glTexCoord2f(part.s1, top);
  glVertex2f(part.s1, y(top));
  glTexCoord2f(part.s0, top);
  glVertex2f(part.s0, y(top));
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  checkGlError("drawScreenQuad");
}

void renderToTarget(GL_FBOTexture* target, GL_FBOTexture* source) {
  if (target == source || !target || !source) return;
  source->bind(GL_TEXTURE0);
  bindRenderTarget(target);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  addClearedPixels();
  glColor3f(1.0f, 1.0f, 1.0f);
  drawScreenQuad(false, 1.0f, 0.0f, 0.0f);
  unbindRenderTarget(target);
  source->unbind();
  checkGlError("renderToTarget");
}

}  // namespace qorFramework
