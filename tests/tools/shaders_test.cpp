// Builds the hand-written shader files (assets/shaders) on a real GL context with raw GL calls
// and checks what the demo relies on: both programs compile and link with their uniforms, the
// anti-aliasing pass leaves flat colour exactly alone and softens a hard edge, and the planet's
// sun side comes out brighter than its far side.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gl.h"
#include "support/test_support.h"

namespace {

std::string shaderSource(const std::string& name) {
  const char* dir = std::getenv("DOVRIX_SOURCE_DIR");
  return testsupport::readFile(std::string(dir ? dir : ".") + "/assets/shaders/" + name);
}

GLuint compileStage(GLenum type, const std::string& source, std::string& log) {
  GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  char info[4096] = "";
  glGetShaderInfoLog(shader, sizeof(info), nullptr, info);
  log += info;
  if (!ok) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// A linked program from two files of assets/shaders, or 0 with the reason in `log`.
GLuint buildProgram(const std::string& vertexFile, const std::string& fragmentFile, std::string& log) {
  std::string vertex = shaderSource(vertexFile), fragment = shaderSource(fragmentFile);
  // The demo reads at most 40,960 bytes per file, zero terminator included.
  if (vertex.empty() || fragment.empty() || vertex.size() >= 40960 || fragment.size() >= 40960) {
    log = "missing or oversized shader file";
    return 0;
  }
  GLuint vs = compileStage(GL_VERTEX_SHADER, vertex, log);
  GLuint fs = compileStage(GL_FRAGMENT_SHADER, fragment, log);
  if (!vs || !fs) return 0;
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  char info[4096] = "";
  glGetProgramInfoLog(program, sizeof(info), nullptr, info);
  log += info;
  if (!ok) {
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

// An RGBA texture of width x height from bottom-row-first pixels; linear filtering and clamped
// edges, as the demo's render targets have.
GLuint makeTexture(int width, int height, const std::vector<testsupport::Rgba>& texels) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return texture;
}

// The screen quad: texture coordinates 0..1 over the whole viewport, identity matrices.
void drawScreenQuad() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
}

int luminance(const testsupport::Rgba& p) { return (p.r * 299 + p.g * 587 + p.b * 114) / 1000; }

class Shaders : public testsupport::GLTest {
 protected:
  Shaders() : GLTest(96, 64) {}

  // Runs the anti-aliasing program over `texels` (the viewport's size) and reads the result.
  std::vector<testsupport::Rgba> antiAlias(const std::vector<testsupport::Rgba>& texels) {
    std::string log;
    GLuint program = buildProgram("fxaaShaderVert.h", "fxaaShaderFrag.h", log);
    EXPECT_NE(program, 0u) << log;
    GLuint texture = makeTexture(width_, height_, texels);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "w"), float(width_));
    glUniform1f(glGetUniformLocation(program, "h"), float(height_));
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    drawScreenQuad();
    glUseProgram(0);
    std::vector<testsupport::Rgba> out = pixels();
    glDeleteTextures(1, &texture);
    glDeleteProgram(program);
    return out;
  }
};

TEST_F(Shaders, BothProgramsCompileAndLinkWithTheirUniforms) {
  std::string log;
  GLuint fxaa = buildProgram("fxaaShaderVert.h", "fxaaShaderFrag.h", log);
  ASSERT_NE(fxaa, 0u) << log;
  EXPECT_NE(glGetUniformLocation(fxaa, "w"), -1);
  EXPECT_NE(glGetUniformLocation(fxaa, "h"), -1);
  log.clear();
  GLuint earth = buildProgram("earthVert.h", "earthFrag.h", log);
  ASSERT_NE(earth, 0u) << log;
  EXPECT_NE(glGetUniformLocation(earth, "light"), -1);
  glDeleteProgram(fxaa);
  glDeleteProgram(earth);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(Shaders, AntiAliasingLeavesFlatColourExactlyAlone) {
  for (testsupport::Rgba flat : {testsupport::Rgba{128, 128, 128, 255}, testsupport::Rgba{20, 200, 90, 255},
                                 testsupport::Rgba{255, 255, 255, 255}}) {
    std::vector<testsupport::Rgba> out = antiAlias(std::vector<testsupport::Rgba>(size_t(width_) * height_, flat));
    int differing = 0;
    for (const testsupport::Rgba& p : out)
      differing += p.r != flat.r || p.g != flat.g || p.b != flat.b || p.a != flat.a;
    EXPECT_EQ(differing, 0) << "flat colour " << int(flat.r) << "," << int(flat.g) << "," << int(flat.b);
  }
}

TEST_F(Shaders, AntiAliasingSoftensAHardShallowEdgeAndNothingElse) {
  // White above a line rising one pixel every four columns, black below: long stair steps.
  auto above = [](int x, int y) { return y > 16 + x / 4; };
  std::vector<testsupport::Rgba> in(size_t(width_) * height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      in[size_t(y) * width_ + x] = above(x, y) ? testsupport::Rgba{255, 255, 255, 255} : testsupport::Rgba{0, 0, 0, 255};
  std::vector<testsupport::Rgba> out = antiAlias(in);

  int softened = 0, farChanged = 0;
  for (int y = 1; y < height_ - 1; ++y) {
    for (int x = 1; x < width_ - 1; ++x) {
      const testsupport::Rgba& p = out[size_t(y) * width_ + x];
      bool nearEdge = above(x, y) != above(x, y + 1) || above(x, y) != above(x, y - 1);
      int l = luminance(p);
      if (nearEdge && l > 10 && l < 245) ++softened;
      bool farFromEdge = true;
      for (int dy = -3; dy <= 3; ++dy) farFromEdge = farFromEdge && above(x, y) == above(x, y + dy);
      const testsupport::Rgba& q = in[size_t(y) * width_ + x];
      if (farFromEdge && (p.r != q.r || p.g != q.g || p.b != q.b)) ++farChanged;
    }
  }
  // The edge crosses 94 inner columns; most of its pixels should get an intermediate grey.
  EXPECT_GT(softened, 60);
  EXPECT_EQ(farChanged, 0);
  // Alpha is carried through.
  for (const testsupport::Rgba& p : out) ASSERT_EQ(p.a, 255);
}

TEST_F(Shaders, PlanetIsBrighterOnTheSunSideThanOnTheFarSide) {
  std::string log;
  GLuint program = buildProgram("earthVert.h", "earthFrag.h", log);
  ASSERT_NE(program, 0u) << log;
  GLuint white = makeTexture(1, 1, {testsupport::Rgba{255, 255, 255, 255}});

  glViewport(0, 0, width_, height_);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, double(width_) / height_, 1.0, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
  glScalef(10, 10, 10);  // as the earth layer draws its model: scaled, normals renormalised
  glEnable(GL_NORMALIZE);

  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "light"), 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, white);
  GLUquadric* sphere = gluNewQuadric();
  gluQuadricNormals(sphere, GLU_SMOOTH);
  gluQuadricTexture(sphere, GL_TRUE);
  gluSphere(sphere, 0.25, 48, 24);  // 2.5 units after scaling, 7.5 units in front of the eye
  gluDeleteQuadric(sphere);
  glUseProgram(0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_NORMALIZE);

  // The sphere's outline has a radius of about 14 pixels around the centre (48, 32); the sun
  // is upper left, so the upper left is day and the lower right night.
  int sunSide = luminance(pixel(48 - 8, 32 + 7));
  int farSide = luminance(pixel(48 + 8, 32 - 7));
  int centre = luminance(pixel(48, 32));
  EXPECT_GT(sunSide, farSide + 80);
  EXPECT_GT(centre, farSide);
  EXPECT_GT(farSide, 0) << "the night side should not be dead black";
  testsupport::Rgba nightLimb = pixel(48 + 13, 32 - 4);
  EXPECT_GT(nightLimb.b, nightLimb.r + 15) << "the limb should glow bluish";
  glDeleteTextures(1, &white);
  glDeleteProgram(program);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

}  // namespace
