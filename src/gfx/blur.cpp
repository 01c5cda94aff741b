#include "gfx/blur.h"

#include "gfx/screen_quad.h"

namespace qorFramework {

// The built-in blur set. Weights w(-3..3) are the binomial 1, 6, 15, 20, 15, 6, 1 over 64.

const char* const kBlurVertexSource =
    "void main()\n"
    "{\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  gl_Position = ftransform();\n"
    "}\n";

const char* const kSmartBlurVertexSource =
    "void main()\n"
    "{\n"
    "  gl_Position = ftransform();\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";

// Fourteen taps in a cross, the centre counted twice, halved.
const char* const kBlurFragmentSource =
    "uniform sampler2D diffuse_tex;\n"
    "uniform float blur_intensity;\n"
    "void main()\n"
    "{\n"
    "  vec2 uv = gl_TexCoord[0].xy;\n"
    "  float s = 0.009 * blur_intensity;\n"
    "  float w[7];\n"
    "  w[0] = 0.015625; w[1] = 0.09375; w[2] = 0.234375; w[3] = 0.3125;\n"
    "  w[4] = 0.234375; w[5] = 0.09375; w[6] = 0.015625;\n"
    "  vec4 sum = vec4(0.0);\n"
    "  for (int i = 0; i < 7; i++) {\n"
    "    float k = float(i - 3) * s;\n"
    "    sum += w[i] * texture2D(diffuse_tex, uv + vec2(0.0, k));\n"
    "    sum += w[i] * texture2D(diffuse_tex, uv + vec2(k, 0.0));\n"
    "  }\n"
    "  gl_FragColor = 0.5 * sum;\n"
    "}\n";

// Off-centre taps fade out with their alpha difference from the centre; not renormalised.
const char* const kBlurThresholdFragmentSource =
    "uniform sampler2D diffuse_tex;\n"
    "uniform float blur_intensity;\n"
    "uniform float threshold;\n"
    "void main()\n"
    "{\n"
    "  vec2 uv = gl_TexCoord[0].xy;\n"
    "  float s = 0.0009 * blur_intensity;\n"
    "  float w[7];\n"
    "  w[0] = 0.015625; w[1] = 0.09375; w[2] = 0.234375; w[3] = 0.3125;\n"
    "  w[4] = 0.234375; w[5] = 0.09375; w[6] = 0.015625;\n"
    "  vec4 c = texture2D(diffuse_tex, uv);\n"
    "  vec4 sum = 2.0 * 0.3125 * c;\n"
    "  for (int i = 0; i < 7; i++) {\n"
    "    if (i == 3) continue;\n"
    "    float k = float(i - 3) * s;\n"
    "    vec4 p = texture2D(diffuse_tex, uv + vec2(0.0, k));\n"
    "    sum += w[i] * p * (1.0 - clamp(abs(c.a - p.a) / threshold, 0.0, 1.0));\n"
    "    p = texture2D(diffuse_tex, uv + vec2(k, 0.0));\n"
    "    sum += w[i] * p * (1.0 - clamp(abs(c.a - p.a) / threshold, 0.0, 1.0));\n"
    "  }\n"
    "  gl_FragColor = 0.5 * sum;\n"
    "}\n";

// Darkens pixels whose depth differs from a neighbour's by more than 0.01; alpha is not written.
const char* const kSmartBlurFragmentSource =
    "uniform sampler2D depth_tex;\n"
    "uniform sampler2D diffuse_tex;\n"
    "uniform float blur_intensity;\n"
    "uniform float xst;\n"
    "uniform float yst;\n"
    "void main()\n"
    "{\n"
    "  vec2 uv = gl_TexCoord[0].xy;\n"
    "  float a = texture2D(depth_tex, uv).r;\n"
    "  float b = texture2D(depth_tex, uv + vec2(xst, 0.0)).r;\n"
    "  float c = texture2D(depth_tex, uv - vec2(xst, 0.0)).r;\n"
    "  float d = texture2D(depth_tex, uv + vec2(0.0, yst)).r;\n"
    "  float e = texture2D(depth_tex, uv - vec2(0.0, yst)).r;\n"
    "  float m = 1.0;\n"
    "  if (abs(b - a) > 0.01) m *= 0.6;\n"
    "  if (abs(c - a) > 0.01) m *= 0.6;\n"
    "  if (abs(d - a) > 0.01) m *= 0.6;\n"
    "  if (abs(e - a) > 0.01) m *= 0.6;\n"
    "  gl_FragColor.rgb = texture2D(diffuse_tex, uv).rgb * m;\n"
    "}\n";


SharedBlur& sharedBlur() {
  static SharedBlur blur;
  return blur;
}

void initSharedBlur(int32_t width, int32_t height) {
  SharedBlur& b = sharedBlur();
  b.targets[0].create(width / 2, height / 2, GL_RGB);
  b.targets[1].create(width / 2, height / 2, GL_RGB);
  b.blur.createFromSource("vedeBlurShader", kBlurVertexSource, nullptr, kBlurFragmentSource);
  b.threshold.createFromSource("vedeBlurThresholdShader", kBlurVertexSource, nullptr,
                               kBlurThresholdFragmentSource);
  b.smartBlur.createFromSource("vedeSmartBlurShader", kSmartBlurVertexSource, nullptr,
                               kSmartBlurFragmentSource);
  glUseProgram(b.smartBlur.program);
  glUniform1i(uniformLocation(b.smartBlur, "depth_tex"), 0);
  glUniform1i(uniformLocation(b.smartBlur, "diffuse_tex"), 1);
  glUseProgram(0);
  b.blurIntensityLocation = uniformLocation(b.blur, "blur_intensity");
  b.thresholdLocation = uniformLocation(b.threshold, "threshold");
  b.xstLocation = uniformLocation(b.smartBlur, "xst");
  b.ystLocation = uniformLocation(b.smartBlur, "yst");
  b.ready = true;
}

int32_t blurPassCount(float intensity) {
  float passes = 1.0f + 20.0f * intensity;
  if (!(passes >= 0.0f)) return 0;  // negative or NaN
  if (passes > 100000.0f) return 100000;
  return static_cast<int32_t>(passes);
}

void blurTarget(GL_FBOTexture* source, GL_FBOTexture* destination, float intensity) {
  SharedBlur& b = sharedBlur();
  if (!b.ready) return;
  renderToTarget(&b.targets[0], source);
  glUseProgram(b.blur.program);
  int32_t passes = blurPassCount(intensity);
  b.lastPasses = 0;
  for (int32_t i = 0; i < passes; ++i) {
    glUniform1f(b.blurIntensityLocation, intensity);
    renderToTarget(&b.targets[(i + 1) % 2], &b.targets[i % 2]);  // even passes: 0 -> 1
    ++b.lastPasses;
  }
  glUseProgram(0);
  renderToTarget(destination, &b.targets[passes % 2]);
}

void releaseSharedBlur() {
  SharedBlur& b = sharedBlur();
  b.targets[0].release();
  b.targets[1].release();
  b.blur.release();
  b.threshold.release();
  b.smartBlur.release();
  b.ready = false;
}

}  // namespace qorFramework
