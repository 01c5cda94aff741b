#include "layers/layer_pp.h"

#include <string>

#include "platform/trace.h"
#include "gfx/blur.h"
#include "gfx/gl_check.h"
#include "gfx/pass_profiler.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"

namespace qorFramework {

const char* const Layer_PP::kControllerNames[kControllerCount] = {
    "blur factor", "red color modulation", "green color modulation", "blue color modulation",
    "invert colors", "saturation", "desaturation", "contrast", "brightness", "darkness",
    "rgb distortion", "pixel distortion", "pixel distortion anim", "fade to black", "fade to white",
    "post fadeout", "base fadein", "lowpixel post",
};

const char* const kPostVertexSource =
    "void main()\n"
    "{\n"
    "  gl_FrontColor = gl_Color;\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  gl_Position = ftransform();\n"
    "}\n";

// The numbered comments are the grading steps in order. base_tex is unit 0 (the anti-aliased
// scene), distort_tex unit 1 (red and green hold a 2D offset, 0.5 meaning none). The pieces are
// macros so that both programs below are built from the same text at compile time.
#define GRADE_UNIFORMS                \
  "uniform sampler2D base_tex;\n"     \
  "uniform sampler2D distort_tex;\n"  \
  "uniform float color_r;\n"          \
  "uniform float color_g;\n"          \
  "uniform float color_b;\n"          \
  "uniform float brighten;\n"         \
  "uniform float darken;\n"           \
  "uniform float saturation;\n"       \
  "uniform float contrast;\n"         \
  "uniform float invert;\n"           \
  "uniform float distort;\n"          \
  "uniform float distort_pixel;\n"    \
  "uniform float distort_pixel_anim;\n"

// Steps 1 to 6: the scene read through the distortion map, each channel offset its own way.
#define GRADE_DISTORTED_READ                                                                 \
  "  vec2 uv = gl_TexCoord[0].xy;\n"                                                         \
  /* 1. offset in -1..1 from the distortion map, scrolled vertically */                      \
  "  vec2 d = 2.0 * texture2D(distort_tex, uv + vec2(0.0, distort_pixel_anim)).rg\n"         \
  "           - vec2(1.0, 1.0);\n"                                                           \
  /* 2. */                                                                                   \
  "  vec2 t = uv + d * distort_pixel;\n"                                                     \
  /* 3. */                                                                                   \
  "  vec3 base = texture2D(base_tex, t).rgb;\n"                                              \
  /* 4. */                                                                                   \
  "  float r = texture2D(base_tex,\n"                                                        \
  "                      t + vec2(base.r / 50.0, sin(2.0 * base.r) / 20.0) * distort).r;\n"  \
  /* 5. level-of-detail bias cos(2g) / 50 */                                                 \
  "  float g = texture2D(base_tex, t + vec2(base.g / 20.0, base.g / 20.0) * distort,\n"      \
  "                      cos(2.0 * base.g) / 50.0).g;\n"                                     \
  /* 6. uses the new r and g and the old b */                                                \
  "  float b = texture2D(base_tex, t - vec2(-cos(10.0 * g + 2.0 * t.y + distort) / 2.5 - r,\n" \
  "                                         -base.b / 20.0) * distort * 2.0).b;\n"

// Steps 7 to 13 on (r, g, b).
#define GRADE_COLOUR_STEPS                                      \
  /* 7. */                                                      \
  "  vec3 c = clamp(vec3(r, g, b) * brighten, 0.0, 1.0);\n"     \
  /* 8. */                                                      \
  "  c = 1.0 - clamp((1.0 - c) * darken, 0.0, 1.0);\n"          \
  /* 9. */                                                      \
  "  c = c * (1.0 - invert) + (1.0 - c) * invert;\n"            \
  /* 10. */                                                     \
  "  float i = dot(c, vec3(0.2125, 0.7154, 0.0721));\n"         \
  "  c = i + (c - i) * saturation;\n"                           \
  /* 11. */                                                     \
  "  c = 0.5 + (c - 0.5) * contrast;\n"                         \
  /* 12. */                                                     \
  "  c = vec3(c.r * color_r, c.g * color_g, c.b * color_b);\n"  \
  /* 13. alpha is not written */                                \
  "  gl_FragColor.rgb = c;\n"

const char* const kPostFragmentSource =
    GRADE_UNIFORMS "void main()\n{\n" GRADE_DISTORTED_READ GRADE_COLOUR_STEPS "}\n";

// With both distortions at exactly 0 every offset of steps 2 to 6 is 0 and the level-of-detail
// bias changes nothing (the scene has no mipmaps and filters linearly both ways), so steps 1 to 6
// read the scene's texel at uv four times: one read gives the same pixels.
const char* const kPostPlainFragmentSource =
    GRADE_UNIFORMS
    "void main()\n{\n"
    "  vec3 base = texture2D(base_tex, gl_TexCoord[0].xy).rgb;\n"
    "  float r = base.r;\n"
    "  float g = base.g;\n"
    "  float b = base.b;\n" GRADE_COLOUR_STEPS "}\n";

Layer_PP::Layer_PP(int32_t outputWidth, int32_t outputHeight)
    : outputWidth(outputWidth), outputHeight(outputHeight) {}

static std::unique_ptr<GL_FBOTexture> makeTarget(int32_t width, int32_t height, GLenum format) {
  auto target = std::make_unique<GL_FBOTexture>();
  target->create(width, height, format);
  return target;
}

bool Layer_PP::init(GL_TextureManager* textureManager, ControllerList* controllerList) {
  fxaaTarget = makeTarget(outputWidth, outputHeight, GL_RGBA);
  captureTarget = makeTarget(outputWidth, outputHeight, GL_RGBA);
  // Only the anti-aliasing reads the captured scene, always at texel centres: nearest filtering
  // gives the same texels and costs a software renderer far less than bilinear.
  glBindTexture(GL_TEXTURE_2D, captureTarget->colorTextures[0]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  // The plain grading reads the anti-aliased scene at texel centres too, but the overlays and the
  // distortions need it bilinear: a sampler object gives that one pass nearest filtering.
  if (epoxy_gl_version() >= 33 || epoxy_has_gl_extension("GL_ARB_sampler_objects")) {
    glGenSamplers(1, &nearestSampler);
    glSamplerParameteri(nearestSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(nearestSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(nearestSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(nearestSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  gradeTarget = makeTarget(512, 512, GL_RGB);
  blurResult = makeTarget(512, 512, GL_RGB);
  lowResTarget = makeTarget(64, 64, GL_RGB);

  postShader.createFromSource("postprocessor", kPostVertexSource, nullptr, kPostFragmentSource);
  fxaaShader.createFromFiles("fxaa", "fxaaShaderVert.h", "fxaaShaderFrag.h");
  plainPostShader.createFromSource("postprocessor, no distortion", kPostVertexSource, nullptr,
                                   kPostPlainFragmentSource);

  loadDistortionMap(textureManager);
  phase = 0;

  glUseProgram(postShader.program);
  glUniform1i(uniformLocation(postShader, "distort_tex"), 1);  // base_tex stays on unit 0
  glUseProgram(0);

  glUseProgram(fxaaShader.program);
  glUniform1f(uniformLocation(fxaaShader, "w"), static_cast<float>(outputWidth));
  glUniform1f(uniformLocation(fxaaShader, "h"), static_cast<float>(outputHeight));
  glUseProgram(0);

  lookUpPostUniforms(postShader, uniforms, true);
  lookUpPostUniforms(plainPostShader, plainUniforms, false);

  if (controllerList) {
    for (int i = 0; i < kControllerCount; ++i) {
      std::string name = std::string("Postprocessor: ") + kControllerNames[i];
      controllers[i] = findOrCreateController(*controllerList, name.c_str());
    }
  }
  checkGlError("Layer_PP::init");
  return true;
}

void Layer_PP::loadDistortionMap(GL_TextureManager* textureManager) {
  distortionTexture = textureManager
      ? textureManager->getTexture("data\\textures\\distortion.png", GL_REPEAT, GL_REPEAT)
      : nullptr;
  if (distortionTexture) return;
  // Without the map the grading pass still needs an offset of zero on unit 1: a texture
  // sampler with nothing bound would read black, which is the offset (-1, -1).
  const uint8_t grey[3] = {128, 128, 128};
  neutralDistortion = std::make_unique<GL_MemTexture>();
  neutralDistortion->create(grey, 1, 1, GL_RGB, GL_REPEAT, GL_REPEAT);
  distortionTexture = neutralDistortion.get();
}

void Layer_PP::lookUpPostUniforms(GL_Shader& shader, PostUniforms& u, bool distortion) {
  u.colorR = uniformLocation(shader, "color_r");
  u.colorG = uniformLocation(shader, "color_g");
  u.colorB = uniformLocation(shader, "color_b");
  u.brighten = uniformLocation(shader, "brighten");
  u.darken = uniformLocation(shader, "darken");
  u.saturation = uniformLocation(shader, "saturation");
  u.contrast = uniformLocation(shader, "contrast");
  u.invert = uniformLocation(shader, "invert");
  if (!distortion) return;  // the plain program has none: -1 makes glUniform a no-op
  u.distort = uniformLocation(shader, "distort");
  u.distortPixel = uniformLocation(shader, "distort_pixel");
  u.distortPixelAnim = uniformLocation(shader, "distort_pixel_anim");
}

void Layer_PP::shutdown() {
  for (auto* target : {&fxaaTarget, &captureTarget, &gradeTarget, &blurResult, &lowResTarget}) {
    if (*target) (*target)->release();
    target->reset();
  }
  postShader.release();
  fxaaShader.release();
  plainPostShader.release();
  if (nearestSampler) glDeleteSamplers(1, &nearestSampler);
  nearestSampler = 0;
  if (neutralDistortion) neutralDistortion->release();
  neutralDistortion.reset();
  distortionTexture = nullptr;  // the manager's texture is released by the manager
}

float Layer_PP::value(ControllerIndex index) const {
  return controllers[index] ? controllers[index]->value : 0.0f;
}

void Layer_PP::render() {
  if (!captureTarget) return;  // init has not run (or shutdown has)
  if (phase == 0) {
    beginCapture();
  } else {
    finishFrame();
  }
}

void Layer_PP::beginCapture() {
  ScopedPass pass("capture clear");
  bindRenderTarget(captureTarget.get());  // saves the window's viewport in the target
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  addClearedPixels();
  phase = 1;  // the scene layers now draw into captureTarget
}

// Sets the colour to (level, level, level) and draws the screen quad, with `texture` on unit 0
// or, when null, with texture 0 bound there (so the quad is the plain colour).
static void drawLevelQuad(float level, GL_Texture* texture) {
  if (texture) texture->bind(GL_TEXTURE0);
  glColor3f(level, level, level);
  drawScreenQuad(false, 1.0f, 0.0f, 0.0f);
  if (texture) texture->unbind();
}

// drawLevelQuad with blending on and factors (source, destination); blending is off afterwards.
static void blendLevelQuad(GLenum source, GLenum destination, float level, GL_Texture* texture) {
  glEnable(GL_BLEND);
  glBlendFunc(source, destination);
  drawLevelQuad(level, texture);
  glDisable(GL_BLEND);
}

// The screen-wide fades multiply the window by 1 - value or add value to it: at a value of 0 or
// below (the colour clamps to 0..1) the window stays exactly as it is, so the quad is skipped;
// on a software renderer each full-screen quad is a noticeable share of the frame.
static bool changesWindow(float value) { return !(value <= 0.0f); }

void Layer_PP::finishFrame() {
  // 1. back to the window's framebuffer and viewport
  unbindRenderTarget(captureTarget.get());
  // 2. anti-aliasing
  beginPass("anti-aliasing");
  glUseProgram(fxaaShader.program);
  renderToTarget(fxaaTarget.get(), captureTarget.get());
  glUseProgram(0);
  endPass();
  // 3.
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1.0f, 1.0f, 1.0f);
  // 4. to 6. grading, into gradeTarget and blurred when the blur is on, else into the window
  const bool blur = value(BlurFactor) > 0.0f;  // false for NaN
  gradeInto(blur);
  if (blur) drawBlurred();
  // 7.
  const bool lowPixel = value(LowpixelPost) > 0.0f;
  beginPass("low-pixel copy");
  if (lowPixel) renderToTarget(lowResTarget.get(), fxaaTarget.get());
  endPass();
  // 8. post fadeout: the window times (1 - post fadeout)
  beginPass("fades and overlays");
  if (changesWindow(value(PostFadeout)))
    blendLevelQuad(GL_DST_COLOR, GL_ZERO, 1.0f - value(PostFadeout), nullptr);
  // 9. base fade-in: plus base fadein x the anti-aliased scene
  if (value(BaseFadein) > 0.0f) blendLevelQuad(GL_ONE, GL_ONE, value(BaseFadein), fxaaTarget.get());
  // 10. low-pixel overlay: plus lowpixel post x the 64 x 64 copy
  if (lowPixel) blendLevelQuad(GL_ONE, GL_ONE, value(LowpixelPost), lowResTarget.get());
  endPass();
  // 11. fade to black: times (1 - fade to black)
  beginPass("fade to black and white");
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  if (changesWindow(value(FadeToBlack))) drawLevelQuad(1.0f - value(FadeToBlack), nullptr);
  // 12. fade to white: plus fade to white
  glBlendFunc(GL_ONE, GL_ONE);
  if (changesWindow(value(FadeToWhite))) drawLevelQuad(value(FadeToWhite), nullptr);
  endPass();
  // 13.
  glDisable(GL_BLEND);
  // 14.
  phase = 0;
  checkGlError("Layer_PP::render");
}

void Layer_PP::gradeInto(bool toGradeTarget) {
  ScopedPass pass("grading");
  // 4.
  if (toGradeTarget) {
    bindRenderTarget(gradeTarget.get());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    addClearedPixels();
  }
  // 5. the map on unit 1, the anti-aliased scene on unit 0 (which is left active); without any
  // distortion the plain program gives the same pixels from one read of the scene
  const bool plain = value(RgbDistortion) == 0.0f && value(PixelDistortion) == 0.0f && plainPostShader.valid;
  if (distortionTexture && !plain) distortionTexture->bind(GL_TEXTURE1);
  fxaaTarget->bind(GL_TEXTURE0);
  if (plain && nearestSampler) glBindSampler(0, nearestSampler);
  glUseProgram(plain ? plainPostShader.program : postShader.program);
  setGradeUniforms(plain ? plainUniforms : uniforms);
  drawScreenQuad(false, 1.0f, 0.0f, 0.0f);
  glUseProgram(0);
  if (plain && nearestSampler) glBindSampler(0, 0);
  if (distortionTexture && !plain) distortionTexture->unbind();
  fxaaTarget->unbind();  // leaves GL_TEXTURE0 active
}

void Layer_PP::setGradeUniforms(const PostUniforms& uniforms) {
  glUniform1f(uniforms.colorR, 1.0f - value(RedModulation));
  glUniform1f(uniforms.colorG, 1.0f - value(GreenModulation));
  glUniform1f(uniforms.colorB, 1.0f - value(BlueModulation));
  glUniform1f(uniforms.brighten, 1.0f + 10.0f * value(Brightness));
  glUniform1f(uniforms.darken, 1.0f + 10.0f * value(Darkness));
  glUniform1f(uniforms.saturation,
              (1.0f + 20.0f * value(Saturation)) * (1.0f - value(Desaturation)));
  glUniform1f(uniforms.contrast, 1.0f + 10.0f * value(Contrast));
  glUniform1f(uniforms.invert, value(InvertColors));
  glUniform1f(uniforms.distort, value(RgbDistortion));
  glUniform1f(uniforms.distortPixel, value(PixelDistortion));
  glUniform1f(uniforms.distortPixelAnim, value(PixelDistortionAnim));
}

void Layer_PP::drawBlurred() {
  ScopedPass pass("blur");
  // 6. the blurred image replaces the sharp one in the window
  unbindRenderTarget(gradeTarget.get());
  blurTarget(gradeTarget.get(), blurResult.get(), value(BlurFactor));
  blurResult->bind(GL_TEXTURE0);
  glColor3f(1.0f, 1.0f, 1.0f);
  drawScreenQuad(false, 1.0f, 0.0f, 0.0f);
  blurResult->unbind();
}

}  // namespace qorFramework
