// The earth scene layer (Layer_Test) on a real context with a generated sphere for "ers.obj":
// the planet in front of the background and under the overlay, its distance and rotation, the
// overlay's zoom and orientation, the edge-clamped pictures, and shutdown's release of the
// program and the model's buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "gfx/texture_manager.h"
#include "layers/layer_scene_support.h"
#include "layers/layer_earth.h"

using namespace qorFramework;
using layerscene::near;
using layerscene::Picture;
using layerscene::solid;
using layerscene::writePicture;
using testsupport::Rgba;

namespace {

constexpr int kWidth = 128, kHeight = 72;  // the camera's 16:9, so the planet stays round
constexpr int kCx = 64, kCy = 36;
// At T = 0 the unit sphere, scaled by 10 and 45 units away, spans about 14 pixels of radius
// here (10 / (45 tan 30 deg) of the half height); at T = 0.5 (20 units away), about 31.

const Rgba kBackground = {20, 30, 120, 255};
const Rgba kOverlayBlue = {0, 0, 255, 255}, kClear = {0, 0, 0, 0}, kGreen = {0, 255, 0, 255};
const Rgba kRed = {255, 0, 0, 255};

// A UV sphere of radius 1 about the origin: u runs round the y axis, v from pole to pole.
std::string sphereObj(int slices = 32, int stacks = 16) {
  const double pi = 3.14159265358979;
  std::ostringstream obj;
  obj << "# test sphere\no Sphere\n";
  for (int i = 0; i <= stacks; ++i)
    for (int j = 0; j <= slices; ++j) {
      double theta = pi * i / stacks, phi = 2 * pi * j / slices;
      double x = sin(theta) * sin(phi), y = cos(theta), z = sin(theta) * cos(phi);
      obj << "v " << x << " " << y << " " << z << "\n";
      obj << "vn " << x << " " << y << " " << z << "\n";
      obj << "vt " << double(j) / slices << " " << 1.0 - double(i) / stacks << "\n";
    }
  auto corner = [&](int i, int j) {
    int n = i * (slices + 1) + j + 1;
    return std::to_string(n) + "/" + std::to_string(n) + "/" + std::to_string(n);
  };
  for (int i = 0; i < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      obj << "f " << corner(i, j) << " " << corner(i + 1, j) << " " << corner(i + 1, j + 1) << "\n";
      obj << "f " << corner(i, j) << " " << corner(i + 1, j + 1) << " " << corner(i, j + 1) << "\n";
    }
  return obj.str();
}

// The real planet program when the repository has it; otherwise one that shows the "light"
// picture unlit.
void writeShaders() {
  const char* source = getenv("DOVRIX_SOURCE_DIR");
  std::string folder = std::string(source ? source : "") + "/assets/shaders/";
  std::ifstream vert(folder + "earthVert.h"), frag(folder + "earthFrag.h");
  if (source && vert && frag) {
    std::stringstream v, f;
    v << vert.rdbuf();
    f << frag.rdbuf();
    testsupport::writeFile("earthVert.h", v.str());
    testsupport::writeFile("earthFrag.h", f.str());
    return;
  }
  testsupport::writeFile("earthVert.h",
                         "void main()\n{\n  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
                         "  gl_Position = ftransform();\n}\n");
  testsupport::writeFile("earthFrag.h",
                         "uniform sampler2D light;\nvoid main()\n{\n"
                         "  gl_FragColor = texture2D(light, gl_TexCoord[0].st);\n}\n");
}

// Overlay pictures, as stored (first row first).
Picture transparent() { return solid(kClear, 64); }
Picture horizontalBand() {  // opaque blue on rows 28 to 35: through the middle
  return Picture(64, 64).fill([](int, int y) { return y >= 28 && y < 36 ? kOverlayBlue : kClear; });
}
Picture centreBlock() {  // opaque green on the middle 32 x 32
  return Picture(64, 64).fill([](int x, int y) {
    return x >= 16 && x < 48 && y >= 16 && y < 48 ? kGreen : kClear;
  });
}

class EarthTest : public testsupport::GLTest {
 protected:
  EarthTest() : GLTest(kWidth, kHeight) {}

  testsupport::ScratchDir scratch;
  GL_TextureManager textures;
  ControllerList controllers;
  Layer_Test layer;
  bool started = false;

  void SetUp() override {
    GLTest::SetUp();
    testsupport::writeFile("ers.obj", sphereObj());
    writeShaders();
    writePicture("starbuck.jpg", solid(kBackground));
    // The surface: red rising and green falling with longitude, so any turn shows.
    writePicture("ers-light.png", Picture(64, 32).fill([](int x, int) {
      return Rgba{uint8_t(40 + 3 * x), uint8_t(230 - 3 * x), 60, 255};
    }));
  }
  void TearDown() override {
    if (started) layer.shutdown();
    textures.release();
    GLTest::TearDown();
  }
  void start(const Picture& overlay = transparent()) {
    writePicture("planet-overlay.png", overlay);
    ASSERT_TRUE(layer.init(&textures, &controllers));
    started = true;
  }
  void draw() { layerscene::drawFrame(layer, 1.0f); }
  bool isBackground(Rgba p) { return near(p, kBackground.r, kBackground.g, kBackground.b, 6); }
  // Pixels within `radius` of the centre that differ by more than 24 in some channel.
  static int countChanged(const std::vector<Rgba>& a, const std::vector<Rgba>& b, int radius) {
    int changed = 0;
    for (int y = kCy - radius; y < kCy + radius; ++y)
      for (int x = kCx - radius; x < kCx + radius; ++x) {
        Rgba p = a[y * kWidth + x], q = b[y * kWidth + x];
        if (abs(p.r - q.r) > 24 || abs(p.g - q.g) > 24 || abs(p.b - q.b) > 24) ++changed;
      }
    return changed;
  }
};

TEST_F(EarthTest, InitLoadsModelProgramPicturesAndControllers) {
  testsupport::DebugCapture capture;
  start();
  EXPECT_GT(layer.model.vertexCount, 0u);
  EXPECT_NE(layer.model.positionBuffer, 0u);
  EXPECT_TRUE(layer.earthShader.valid);
  EXPECT_STREQ(layer.earthShader.name, "ers");
  EXPECT_FALSE(capture.contains("shaderAccess")) << capture.text();  // "light" was found
  for (GL_Texture* picture : {layer.lightTexture, layer.overlayTexture, layer.backgroundTexture}) {
    auto* mem = dynamic_cast<GL_MemTexture*>(picture);
    ASSERT_NE(mem, nullptr);
    GLint s = 0, t = 0;
    glBindTexture(GL_TEXTURE_2D, mem->glName);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
    EXPECT_EQ(s, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(t, GL_CLAMP_TO_EDGE);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  ASSERT_EQ(controllers.size(), 3u);
  EXPECT_EQ(controllers[0]->name, "Earth: Translation");
  EXPECT_EQ(controllers[1]->name, "Earth: Rotation");
  EXPECT_EQ(controllers[2]->name, "Earth: Overlay");
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(program, 0);
}

TEST_F(EarthTest, PlanetSitsAtTheCentreOverTheBackgroundAndUnderTheOverlay) {
  start(horizontalBand());
  draw();
  // The band crosses the planet: the overlay is drawn over it.
  EXPECT_TRUE(near(pixel(kCx, kCy), 0, 0, 255));
  EXPECT_TRUE(near(pixel(5, kCy), 0, 0, 255));
  // Above the band: the planet, and the background beside it.
  Rgba planet = pixel(kCx, kCy + 8);
  EXPECT_FALSE(isBackground(planet));
  EXPECT_FALSE(near(planet, 0, 0, 0, 10)) << "the planet should show its surface";
  EXPECT_TRUE(isBackground(pixel(kCx + 20, kCy + 8)));
  EXPECT_TRUE(isBackground(pixel(kCx, kCy + 20)));
  EXPECT_TRUE(isBackground(pixel(3, 3)));
  EXPECT_TRUE(isBackground(pixel(124, 68)));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(EarthTest, TranslationBringsThePlanetCloser) {
  start();
  draw();
  EXPECT_TRUE(isBackground(pixel(kCx + 22, kCy)));
  layer.translation->value = 0.5f;  // 20 units from the eye
  draw();
  EXPECT_FALSE(isBackground(pixel(kCx + 22, kCy)));
  EXPECT_FALSE(isBackground(pixel(kCx, kCy + 25)));
  EXPECT_TRUE(isBackground(pixel(kCx + 40, kCy)));
}

TEST_F(EarthTest, RotationTurnsThePlanetAboutItsVerticalAxis) {
  start();
  draw();
  std::vector<Rgba> still = pixels();
  layer.rotation->value = 1.0f / 18.0f;  // a quarter turn
  draw();
  std::vector<Rgba> turned = pixels();
  EXPECT_GT(countChanged(still, turned, 10), 100);
  EXPECT_EQ(countChanged(still, turned, 35), countChanged(still, turned, 16))
      << "only the planet changes";
  layer.rotation->value = 2.0f / 9.0f;  // a full turn
  draw();
  EXPECT_LT(countChanged(still, pixels(), 35), 6);
}

TEST_F(EarthTest, BackgroundNeverHidesThePlanet) {
  start();
  // Depth testing already on from an earlier frame, and the planet near or far.
  glEnable(GL_DEPTH_TEST);
  for (float t : {0.0f, 0.3f, 0.6f}) {
    layer.translation->value = t;
    draw();
    EXPECT_FALSE(isBackground(pixel(kCx, kCy))) << "translation " << t;
    EXPECT_FALSE(isBackground(pixel(kCx - 5, kCy + 5))) << "translation " << t;
  }
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(EarthTest, OverlayZoomsAboutTheCentre) {
  start(centreBlock());
  draw();  // zoom 1: the block covers the middle half of each axis
  EXPECT_TRUE(near(pixel(40, 25), 0, 255, 0));
  EXPECT_TRUE(near(pixel(90, 48), 0, 255, 0));
  EXPECT_TRUE(isBackground(pixel(19, kCy)));
  EXPECT_TRUE(isBackground(pixel(108, kCy)));
  EXPECT_TRUE(isBackground(pixel(kCx, 6)));
  EXPECT_TRUE(isBackground(pixel(2, 2)));

  layer.overlay->value = 0.1f;  // zoom 2: the block fills the viewport
  draw();
  for (auto [x, y] : {std::pair{19, kCy}, {108, kCy}, {kCx, 6}, {2, 2}, {125, 69}})
    EXPECT_TRUE(near(pixel(x, y), 0, 255, 0)) << x << ", " << y;
}

TEST_F(EarthTest, OverlayIsDrawnWithItsFirstRowAtTheBottom) {
  // Red on the first stored rows only; the overlay quad is not flipped.
  start(Picture(64, 64).fill([](int, int y) { return y < 16 ? kRed : kClear; }));
  draw();
  EXPECT_TRUE(near(pixel(10, 4), 255, 0, 0));
  EXPECT_TRUE(isBackground(pixel(10, 67)));
}

TEST_F(EarthTest, MissingPicturesAreSkipped) {
  remove("ers-light.png");
  remove("starbuck.jpg");
  start(horizontalBand());
  EXPECT_EQ(layer.lightTexture, nullptr);
  draw();
  EXPECT_TRUE(near(pixel(kCx, kCy), 0, 0, 255));  // the overlay still draws
  EXPECT_TRUE(near(pixel(kCx, kCy + 8), 0, 0, 0));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(EarthTest, ShutdownReleasesProgramAndModelBuffers) {
  start();
  GLuint program = layer.earthShader.program;
  GLuint buffer = layer.model.positionBuffer;
  ASSERT_TRUE(glIsProgram(program));
  ASSERT_TRUE(glIsBuffer(buffer));
  layer.shutdown();
  started = false;
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_FALSE(glIsBuffer(buffer));
  EXPECT_EQ(layer.model.vertexCount, 0u);
  EXPECT_EQ(layer.model.positions, nullptr);
}

}  // namespace
