// The shared blur: two half-resolution ping-pong targets and the built-in blur programs (the
// plain blur, the depth-threshold blur and the depth-edge darkening), set up once before the
// first frame and released at shutdown, while the context lives.
// Owns: the two targets and the three programs (their GLSL sources live in blur.cpp).
// Depends on: render_target.h, shader.h, screen_quad.h.
#pragma once

#include <cstdint>

#include "gfx/render_target.h"
#include "gfx/shader.h"

namespace qorFramework {

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

// The blur programs' GLSL 1.10 sources (vertex stages copy texture coordinate set 0 and use
// ftransform).
extern const char* const kBlurVertexSource;
extern const char* const kBlurFragmentSource;           // "vedeBlurShader"
extern const char* const kBlurThresholdFragmentSource;  // "vedeBlurThresholdShader"
extern const char* const kSmartBlurVertexSource;
extern const char* const kSmartBlurFragmentSource;      // "vedeSmartBlurShader"

}  // namespace qorFramework
