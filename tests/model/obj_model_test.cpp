// OBJ loading: the token rules stored files rely on, the binary cache, damaged input, and
// drawing from the vertex buffers on a real GL context.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <cstring>
#include <string>
#include <vector>

#include "model/obj_model.h"
#include "platform/system.h"
#include "support/test_support.h"

using qorFramework::ObjModel;
using testsupport::DebugCapture;
using testsupport::ScratchDir;

namespace {

const char* const kCube =
    "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\nv -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 1\nvn 0 0 -1\nvn 1 0 0\nvn -1 0 0\nvn 0 1 0\nvn 0 -1 0\n"
    "f 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n"
    "f 6/1/2 5/2/2 8/3/2\nf 6/1/2 8/3/2 7/4/2\n"
    "f 2/1/3 6/2/3 7/3/3\nf 2/1/3 7/3/3 3/4/3\n"
    "f 5/1/4 1/2/4 4/3/4\nf 5/1/4 4/3/4 8/4/4\n"
    "f 4/1/5 3/2/5 7/3/5\nf 4/1/5 7/3/5 8/4/5\n"
    "f 5/1/6 6/2/6 2/3/6\nf 5/1/6 2/3/6 1/4/6\n";

// A model's arrays as plain vectors, for comparisons.
struct Geometry {
  std::vector<float> positions, texCoords, normals;
  bool operator==(const Geometry& o) const {
    return positions == o.positions && texCoords == o.texCoords && normals == o.normals;
  }
};

Geometry geometryOf(const ObjModel& model) {
  size_t n = model.vertexCount;
  Geometry g;
  if (n == 0) return g;
  g.positions.assign(model.positions, model.positions + 3 * n);
  g.texCoords.assign(model.texCoords, model.texCoords + 2 * n);
  g.normals.assign(model.normals, model.normals + 3 * n);
  return g;
}

Geometry parse(const std::string& text) {
  ObjModel model;
  model.parseText(text, "test.obj");
  return geometryOf(model);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// One triangle over vertices 1..3 with normal 1, written after `prefix` lines.
const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.25\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";

}  // namespace

// ---- text and cache -----------------------------------------------------------------------

TEST(ObjModel, CubeLoadsAndSecondLoadReadsIdenticalCache) {
  ScratchDir dir;
  testsupport::writeFile("cube.obj", kCube);
  ObjModel first;
  ASSERT_TRUE(first.loadGeometry("cube.obj"));
  ASSERT_EQ(first.vertexCount, 36u);
  EXPECT_EQ(testsupport::readFile("cube.obj.bin").size(), 1156u);
  EXPECT_FALSE(platform::fileExists("cube.obj.bin.tmp"));
  // Corner 1 of face 1 is "2/2/1": (1,-1,1), (1,0), (0,0,1).
  EXPECT_EQ(std::vector<float>(first.positions + 3, first.positions + 6), (std::vector<float>{1, -1, 1}));
  EXPECT_EQ(std::vector<float>(first.texCoords + 2, first.texCoords + 4), (std::vector<float>{1, 0}));
  EXPECT_EQ(std::vector<float>(first.normals + 3, first.normals + 6), (std::vector<float>{0, 0, 1}));

  platform::deleteFile("cube.obj");  // the second load can only come from the cache
  ObjModel second;
  ASSERT_TRUE(second.loadGeometry("cube.obj"));
  EXPECT_EQ(geometryOf(second), geometryOf(first));
}

TEST(ObjModel, CacheLayoutIsCountThenPositionsNormalsTexCoords) {
  ScratchDir dir;
  testsupport::writeFile("tri.obj", kTriangle);
  ObjModel model;
  ASSERT_TRUE(model.loadGeometry("tri.obj"));
  std::string bytes = testsupport::readFile("tri.obj.bin");
  ASSERT_EQ(bytes.size(), 4u + 32u * 3u);
  uint32_t count;
  float f[24];
  memcpy(&count, bytes.data(), 4);
  memcpy(f, bytes.data() + 4, sizeof(f));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(f[3], 1.0f);   // second position's x
  EXPECT_EQ(f[11], 1.0f);  // first normal's z (normals start at float 9)
  EXPECT_EQ(f[18], 0.5f);  // first texcoord's u (texcoords start at float 18)
  EXPECT_EQ(f[19], 0.25f);
}

TEST(ObjModel, StatementsWithoutGeometryChangeNothing) {
  std::string decorated = std::string("mtllib cube.mtl\no Cube\ng side one\nusemtl Material.001\ns off\n") +
                          replaceAll(kCube, "f 6/1/2", "s 1\ng back\nusemtl other\nf 6/1/2");
  Geometry plain = parse(kCube);
  EXPECT_EQ(plain.positions.size(), 36u * 3);
  EXPECT_EQ(parse(decorated), plain);
}

TEST(ObjModel, CrLfAndExtraNumbersReadLikePlainLines) {
  Geometry plain = parse(kCube);
  EXPECT_EQ(parse(replaceAll(kCube, "\n", "\r\n")), plain);
  // A fourth (w) number after v, vn and vt is read afterwards as an ignored token.
  std::string withW = replaceAll(replaceAll(kCube, "vt 0 0\n", "vt 0 0 0\n"), "v -1 -1 1\n", "v -1 -1 1 1.0\n");
  EXPECT_EQ(parse(withW), plain);
}

TEST(ObjModel, CornersWithoutTexCoordsGetZeroCoordinates) {
  // No "vt" at all: a//c reads as (a, 0, c) and any texcoord index yields (0, 0).
  Geometry g = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3/7/1\n");
  ASSERT_EQ(g.positions.size(), 9u);
  EXPECT_EQ(g.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(g.normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(g.texCoords, (std::vector<float>(6, 0.0f)));
}

TEST(ObjModel, KeywordNamesAndQuads) {
  // "o f" is discarded with its line; "g v" makes a vertex (0,0,0) from the next line's "v",
  // which fails to read as a number, so index 1 is that vertex.
  Geometry g = parse("o f\ng v\nv 1 2 3\nvn 0 0 1\nf 1//1 2//1 1//1\n");
  EXPECT_EQ(g.positions, (std::vector<float>{0, 0, 0, 1, 2, 3, 0, 0, 0}));
  // "usemtl f" starts a face with the next line's numbers.
  EXPECT_EQ(parse("v 0 0 0\nvn 0 0 1\nusemtl f\n1//1 1//1 1//1\n").positions.size(), 9u);
  // A quadrilateral keeps its first triangle; the fourth corner is an ignored token.
  Geometry quad = parse("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n");
  EXPECT_EQ(quad.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0}));
  // An unreadable number counts 0; the rest of the line becomes ignored tokens.
  EXPECT_EQ(parse("v 1 x 3\nvn 0 0 1\nf 1//1 1//1 1//1\n").positions,
            (std::vector<float>{1, 0, 0, 1, 0, 0, 1, 0, 0}));
}

TEST(ObjModel, FileEndingInsideDiscardedLineEndsTheParse) {
  for (const char* tail : {"# no line feed", "#", "o name", "mtllib a.mtl", "# \r"}) {
    Geometry g = parse(std::string(kTriangle) + tail);
    EXPECT_EQ(g.positions.size(), 9u) << tail;
  }
}

TEST(ObjModel, FacesWithBadIndicesAreSkippedWithWarning) {
  DebugCapture capture;
  std::string text = std::string(kTriangle) +
                     "f 0/1/1 2/1/1 3/1/1\n"       // line 7: position 0
                     "f -1/1/1 2/1/1 3/1/1\n"      // line 8: relative index
                     "f 1/1/1 2/1/1 4/1/1\n"       // line 9: position past the end
                     "f 1/1/2 2/1/1 3/1/1\n"       // line 10: normal past the end
                     "f 1/2/1 2/1/1 3/1/1\n"       // line 11: texcoord past the end
                     "f 99999999999/1/1 2/1/1 3/1/1\n"  // line 12: beyond 32 bits
                     "f 3/1/1 2/1/1 1/1/1\n"       // line 13: good
                     "f 1/1/1";                    // line 14: cut short, missing corners are 0
  ObjModel model;
  model.parseText(text, "bad.obj");
  ASSERT_EQ(model.vertexCount, 6u);
  EXPECT_EQ(model.positions[9], 0.0f);  // the second kept face starts with vertex 3 = (0,1,0)
  EXPECT_EQ(model.positions[10], 1.0f);
  for (int line = 7; line <= 14; ++line) {
    if (line == 13) continue;
    EXPECT_TRUE(capture.contains("WARNING (objLoader): bad.obj:" + std::to_string(line) + ":")) << line;
  }
  EXPECT_FALSE(capture.contains("bad.obj:13:"));
}

TEST(ObjModel, ManyBadFacesWarnBriefly) {
  DebugCapture capture;
  std::string text = kTriangle;
  for (int i = 0; i < 50; ++i) text += "f 9/1/1 9/1/1 9/1/1\n";
  ObjModel model;
  model.parseText(text, "many.obj");
  EXPECT_EQ(model.vertexCount, 3u);
  EXPECT_TRUE(capture.contains("many.obj: 40 more faces with bad indices skipped"));
  EXPECT_LT(capture.text().size(), 2000u);
}

TEST(ObjModel, CacheOlderThanItsModelIsRebuiltANewerOneWins) {
  ScratchDir dir;
  testsupport::writeFile("m.obj", kCube);
  ObjModel first;
  first.loadGeometry("m.obj");
  const std::string cubeCache = testsupport::readFile("m.obj.bin");
  // Edited after the cache was written (a second later: the disk's clock is coarse).
  testsupport::writeFile("m.obj", kTriangle);
  std::filesystem::last_write_time("m.obj", std::filesystem::last_write_time("m.obj.bin") +
                                                std::chrono::seconds(1));
  ObjModel second;
  ASSERT_TRUE(second.loadGeometry("m.obj"));
  EXPECT_EQ(second.vertexCount, 3u);
  EXPECT_EQ(testsupport::readFile("m.obj.bin").size(), 4u + 32u * 3u);
  testsupport::writeFile("m.obj.bin", cubeCache);
  std::filesystem::last_write_time("m.obj.bin", std::filesystem::last_write_time("m.obj") +
                                                    std::chrono::seconds(1));
  ObjModel third;
  ASSERT_TRUE(third.loadGeometry("m.obj"));
  EXPECT_EQ(third.vertexCount, 36u);
}

// Garbage in place of the model must not leave a cache that hides the real one later.
TEST(ObjModel, ModelWithoutFacesWarnsAndIsNeverCached) {
  ScratchDir dir;
  std::string garbage;
  for (int i = 0; i < 200; ++i) garbage += "\x07garbage ~~ 12 f x/y\n";
  testsupport::writeFile("ers.obj", garbage);
  {
    DebugCapture capture;
    ObjModel model;
    EXPECT_FALSE(model.loadGeometry("ers.obj"));
    EXPECT_EQ(model.vertexCount, 0u);
    EXPECT_TRUE(capture.contains("WARNING (objLoader): ers.obj holds no faces"));
    EXPECT_FALSE(platform::fileExists("ers.obj.bin"));
  }
  testsupport::writeFile("ers.obj", kCube);
  ObjModel restored;
  ASSERT_TRUE(restored.loadGeometry("ers.obj"));
  EXPECT_EQ(restored.vertexCount, 36u);
  // An empty cache left by an earlier build is refused as damaged.
  testsupport::writeFile("ers.obj.bin", std::string(4, '\0'));
  ObjModel again;
  ASSERT_TRUE(again.loadGeometry("ers.obj"));
  EXPECT_EQ(again.vertexCount, 36u);
}

TEST(ObjModel, DamagedCacheIsIgnoredAndRebuilt) {
  ScratchDir dir;
  testsupport::writeFile("m.obj", kCube);
  std::string good;
  {
    ObjModel model;
    model.loadGeometry("m.obj");
    good = testsupport::readFile("m.obj.bin");
  }
  std::string huge("\xff\xff\xff\xff", 4);  // announces 4 billion corners in a 4-byte file
  for (const std::string& damaged : {good.substr(0, 600), good + "extra", huge, std::string("\x01\x00", 2),
                                     std::string()}) {
    DebugCapture capture;
    testsupport::writeFile("m.obj.bin", damaged);
    ObjModel model;
    ASSERT_TRUE(model.loadGeometry("m.obj"));
    EXPECT_EQ(model.vertexCount, 36u) << damaged.size();
    EXPECT_TRUE(capture.contains("WARNING (objLoader): cache m.obj.bin")) << damaged.size();
    EXPECT_EQ(testsupport::readFile("m.obj.bin"), good) << damaged.size();
  }
}

TEST(ObjModel, MissingObjKeepsContentsAndWritesNoCache) {
  ScratchDir dir;
  DebugCapture capture;
  ObjModel model;
  model.parseText(kTriangle, "tri.obj");
  EXPECT_FALSE(model.loadGeometry("absent.obj"));
  EXPECT_EQ(model.vertexCount, 3u);
  EXPECT_FALSE(platform::fileExists("absent.obj.bin"));
  EXPECT_TRUE(capture.contains("WARNING (objLoader): cannot read absent.obj"));
}

TEST(ObjModel, DirectoryInPlaceOfTheObjIsRefused) {
  // A directory opens for reading on Linux and reports an enormous size.
  ScratchDir dir;
  platform::makeDirectory("folder.obj");
  DebugCapture capture;
  ObjModel model;
  EXPECT_FALSE(model.loadGeometry("folder.obj"));
  EXPECT_EQ(model.vertexCount, 0u);
  EXPECT_TRUE(capture.contains("WARNING (objLoader): cannot read folder.obj"));
}

TEST(ObjModel, UnwritableCacheStillLoads) {
  ScratchDir dir;
  platform::makeDirectory("sub");
  testsupport::writeFile("sub/m.obj", kTriangle);
  platform::makeDirectory("sub/m.obj.bin.tmp");  // blocks the temporary file
  DebugCapture capture;
  ObjModel model;
  EXPECT_TRUE(model.loadGeometry("sub\\m.obj"));
  EXPECT_EQ(model.vertexCount, 3u);
  EXPECT_FALSE(platform::fileExists("sub/m.obj.bin"));
  EXPECT_TRUE(capture.contains("cannot write cache"));
}

TEST(ObjModel, ReleaseFreesArrays) {
  ObjModel model;
  model.parseText(kCube, "cube.obj");
  model.release();
  EXPECT_EQ(model.vertexCount, 0u);
  EXPECT_EQ(model.positions, nullptr);
  EXPECT_EQ(model.texCoords, nullptr);
  EXPECT_EQ(model.normals, nullptr);
  model.release();  // twice is harmless
}

// ---- drawing ------------------------------------------------------------------------------

namespace {

class ObjModelGL : public testsupport::GLTest {
 protected:
  // The cube, lit from the front-right so the normals show, turned so three faces are seen.
  std::vector<testsupport::Rgba> drawScene(ObjModel& model) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -5, 5);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30, 1, 0, 0);
    glRotatef(40, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat light[4] = {1, 0.5f, 2, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    model.render();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    return pixels();
  }

  static bool anyLit(const std::vector<testsupport::Rgba>& image) {
    for (const testsupport::Rgba& p : image)
      if (p.r || p.g || p.b) return true;
    return false;
  }
};

GLint intState(GLenum name) {
  GLint value = -1;
  glGetIntegerv(name, &value);
  return value;
}

}  // namespace

TEST_F(ObjModelGL, RenderDrawsAndLeavesNoClientArrayOrBuffer) {
  ScratchDir dir;
  testsupport::writeFile("cube.obj", kCube);
  ObjModel model;
  model.load("cube.obj");
  ASSERT_NE(model.positionBuffer, 0u);
  ASSERT_NE(model.normalBuffer, 0u);
  ASSERT_NE(model.texCoordBuffer, 0u);
  EXPECT_EQ(intState(GL_ARRAY_BUFFER_BINDING), 0);  // the upload unbinds too

  EXPECT_TRUE(anyLit(drawScene(model)));
  EXPECT_NE(pixel(32, 32).r, 0);  // the centre is covered
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_EQ(intState(GL_ARRAY_BUFFER_BINDING), 0);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");

  model.release();
  EXPECT_FALSE(anyLit(drawScene(model)));
  model.releaseBuffers();
  EXPECT_EQ(model.positionBuffer, 0u);
  EXPECT_FALSE(anyLit(drawScene(model)));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(ObjModelGL, CachedModelDrawsTheSamePicture) {
  ScratchDir dir;
  testsupport::writeFile("cube.obj", kCube);
  ObjModel parsed, cached;
  parsed.load("cube.obj");
  ASSERT_TRUE(platform::fileExists("cube.obj.bin"));
  cached.load("cube.obj");
  std::vector<testsupport::Rgba> a = drawScene(parsed), b = drawScene(cached);
  EXPECT_TRUE(anyLit(a));
  EXPECT_EQ(memcmp(a.data(), b.data(), a.size() * sizeof(a[0])), 0);
  parsed.releaseBuffers();
  cached.releaseBuffers();
}

TEST_F(ObjModelGL, ModelWithoutBuffersDrawsNothing) {
  ObjModel model;
  model.parseText(kCube, "cube.obj");  // arrays but no upload
  EXPECT_FALSE(anyLit(drawScene(model)));
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}
