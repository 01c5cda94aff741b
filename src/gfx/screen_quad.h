// Screen-space drawing: the screen quad (one textured rectangle over the viewport), the copy of
// one render target into another through the current program, and the shared blur (two
// half-resolution ping-pong targets and the built-in blur programs, set up once before the first
// frame and released at shutdown).
// Depends on: render_target.h, shader.h.
#pragma once

#include <cstdint>

#include "gfx/render_target.h"
#include "gfx/shader.h"
#include "gfx/texture.h"

namespace qorFramework {

// Draws one GL_QUADS over the viewport with the current colour, textures, blending and program,
// scaled by `scale` about the viewport centre after moving by (offsetX, offsetY) in viewport
// units (x right, y down): a corner v lands at 0.5 + scale * (v + offset - 0.5). flipV false puts
// texture row t = 0 at the bottom (render targets upright); true puts it at the top (image files
// upright). Matrices are restored; the matrix mode is left at GL_MODELVIEW.
void drawScreenQuad(bool flipV, float scale, float offsetX, float offsetY);
// The same quad cut down to the part of the texture in `part`: every pixel it draws gets the
// texture coordinates the whole quad would give it. Nothing is drawn for an empty part.
void drawScreenQuadPart(bool flipV, float scale, float offsetX, float offsetY, const TextureRect& part);

// Draws source into target (resampled to target's size, bilinear) through the current program;
// with program 0 a plain copy. Same object, or a null pointer: nothing happens.
// Leaves framebuffer 0 bound, the viewport as it was, GL_TEXTURE0 active with texture 0 bound,
// GL_TEXTURE_2D enabled on the unit that was active at the call, and the colour white.
void renderToTarget(GL_FBOTexture* target, GL_FBOTexture* source);

// The shared blur's objects, process-wide. Layers may draw with the threshold and depth-edge
// programs; only blurTarget draws with `blur`.
struct SharedBlur {
  GL_FBOTexture targets[2];  // half the window's size, GL_RGB
  GL_Shader blur;            // "vedeBlurShader"
  GL_Shader threshold;       // "vedeBlurThresholdShader"
  GL_Shader smartBlur;       // "vedeSmartBlurShader": depth_tex on unit 0, diffuse_tex on unit 1
  GLint blurIntensityLocation = -1;
  GLint thresholdLocation = -1;
  GLint xstLocation = -1;
  GLint ystLocation = -1;
  bool ready = false;       // between initSharedBlur and releaseSharedBlur
  int32_t lastPasses = 0;   // passes run by the last blurTarget
};
SharedBlur& sharedBlur();

// Creates the two targets at (width / 2) x (height / 2) and builds the three programs.
void initSharedBlur(int32_t width, int32_t height);
// Number of blur passes at an intensity: 1 + 20 * intensity truncated toward zero (0.5 gives 11);
// never below 0 and bounded for absurd values.
int32_t blurPassCount(float intensity);
// Copies source into target 0, blurs back and forth between the two targets blurPassCount times
// with "vedeBlurShader", then copies the last one written into destination. Expects program 0
// current and leaves it current. Does nothing before initSharedBlur.
void blurTarget(GL_FBOTexture* source, GL_FBOTexture* destination, float intensity);
// Releases the two targets and the three programs (context current).
void releaseSharedBlur();

}  // namespace qorFramework
