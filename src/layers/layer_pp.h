// Layer_PP, the post-processing layer ("postprocessor"): wraps the whole picture of every frame.
// It is drawn twice per frame: the first render() redirects the scene layers into a capture
// target, the second runs the capture through FXAA, the "postprocessor" grading and distortion
// program, an optional blur and the screen-wide fades, and writes the result to the window.
// Owns: five render targets, the "postprocessor" and "fxaa" programs and, when the distortion
// map cannot be loaded, a 1 x 1 neutral stand-in texture; all released by shutdown().
// Depends on: gfx (render targets, shaders, screen quad and shared blur, texture manager),
// timeline (layer contract, controllers). The shared blur must be set up before the first frame.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/render_target.h"
#include "gfx/shader.h"
#include "gfx/texture.h"
#include "timeline/layer.h"

namespace qorFramework {

class Layer_PP : public Layer_Base {
 public:
  // The controllers, in look-up order; each is named "Postprocessor: " + kControllerNames[i].
  enum ControllerIndex {
    BlurFactor, RedModulation, GreenModulation, BlueModulation, InvertColors, Saturation,
    Desaturation, Contrast, Brightness, Darkness, RgbDistortion, PixelDistortion,
    PixelDistortionAnim, FadeToBlack, FadeToWhite, PostFadeout, BaseFadein, LowpixelPost,
    kControllerCount
  };
  static const char* const kControllerNames[kControllerCount];

  // Uniform locations of the "postprocessor" program (-1 where the program lacks one).
  struct PostUniforms {
    GLint colorR = -1, colorG = -1, colorB = -1;
    GLint brighten = -1, darken = -1, saturation = -1, contrast = -1, invert = -1;
    GLint distort = -1, distortPixel = -1, distortPixelAnim = -1;
  };

  // The output size in pixels: the render window's client size.
  Layer_PP(int32_t outputWidth, int32_t outputHeight);

  // Creates the targets, builds both programs, fetches the distortion map and looks up the
  // controllers. Always true: failures are traced by the building blocks.
  bool init(GL_TextureManager* textureManager, ControllerList* controllers) override;
  // Phase 0: binds captureTarget (cleared to transparent black) as the render target.
  // Phase 1: unbinds it and draws the processed frame into the window's framebuffer, leaving
  // program 0, blending and depth test disabled, GL_TEXTURE0 active with texture 0 bound.
  // Must be called exactly twice per frame.
  void render() override;
  // Releases the render targets, the programs and the neutral stand-in (context current).
  void shutdown() override;

  std::unique_ptr<GL_FBOTexture> fxaaTarget;     // output size, GL_RGBA: the anti-aliased scene
  std::unique_ptr<GL_FBOTexture> captureTarget;  // output size, GL_RGBA: the scene as drawn
  std::unique_ptr<GL_FBOTexture> lowResTarget;   // 64 x 64, GL_RGB
  GL_Texture* distortionTexture = nullptr;       // the manager's, or neutralDistortion
  GL_Shader postShader;                          // "postprocessor"
  GL_Shader fxaaShader;                          // "fxaa"
  GL_Shader plainPostShader;                     // the grading without distortion: one read
  int32_t phase = 0;                             // 0: next render begins the capture
  int32_t outputWidth, outputHeight;
  PostUniforms uniforms;
  PostUniforms plainUniforms;                    // of plainPostShader (no distortion uniforms)
  GLuint nearestSampler = 0;                     // bound on unit 0 for the plain grading only
  Controller* controllers[kControllerCount] = {};
  std::unique_ptr<GL_FBOTexture> gradeTarget;    // 512 x 512, GL_RGB: graded image when blurring
  std::unique_ptr<GL_FBOTexture> blurResult;     // 512 x 512, GL_RGB: the blurred image
  // Mid-grey 1 x 1 map used when "data\\textures\\distortion.png" cannot be loaded.
  std::unique_ptr<GL_MemTexture> neutralDistortion;

 private:
  // The manager's "data\\textures\\distortion.png", or the neutral stand-in when it is missing.
  void loadDistortionMap(GL_TextureManager* textureManager);
  // The uniform locations of a grading program, in their look-up order; the three distortion
  // ones only when `distortion`.
  void lookUpPostUniforms(GL_Shader& shader, PostUniforms& u, bool distortion);
  float value(ControllerIndex index) const;
  void beginCapture();
  void finishFrame();
  void gradeInto(bool toGradeTarget);
  void setGradeUniforms(const PostUniforms& uniforms);
  void drawBlurred();
};

// The "postprocessor" program's GLSL 1.10 sources.
extern const char* const kPostVertexSource;
extern const char* const kPostFragmentSource;
extern const char* const kPostPlainFragmentSource;  // the same grading with no distortion

}  // namespace qorFramework
