// Checks the generated pictures and planet model in the build's resources folder: sizes and
// channels as the layers expect them, transparency where pictures are blended, a seamless
// neutral distortion map, a closed outward-facing sphere, and byte-identical reruns.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

std::string buildDir() {
  const char* dir = std::getenv("DOVRIX_BUILD_DIR");
  return dir ? dir : ".";
}
std::string resource(const std::string& name) { return buildDir() + "/resources/" + name; }

struct Picture {
  int width = 0, height = 0, channels = 0;  // channels as stored in the file
  std::vector<unsigned char> rgba;           // always decoded to 4 channels
  const unsigned char* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

Picture load(const std::string& name) {
  Picture p;
  unsigned char* data = stbi_load(resource(name).c_str(), &p.width, &p.height, &p.channels, 4);
  if (data) {
    p.rgba.assign(data, data + size_t(p.width) * p.height * 4);
    stbi_image_free(data);
  }
  return p;
}

struct Expected {
  const char* file;
  int width, height, channels;
};

const Expected kPictures[] = {
    {"data/textures/allaudiences.png", 1920, 1080, 3}, {"data/textures/distortion.png", 512, 512, 3},
    {"flash.png", 1920, 1080, 4},        {"items_0.png", 1920, 1080, 3},      {"items_1.png", 1920, 1080, 3},
    {"items_2.png", 1920, 1080, 3},      {"credits_0.png", 1920, 1080, 4},    {"credits_1.png", 1920, 1080, 4},
    {"credits_2.png", 1920, 1080, 4},    {"final-screen.png", 1920, 1080, 4}, {"flesh-gordon.png", 1920, 1080, 4},
    {"starbuck.jpg", 1920, 1080, 3},     {"ers-light.png", 2048, 1024, 3},    {"planet-overlay.png", 1920, 1080, 4},
    {"photos_01.jpg", 1920, 1080, 3},    {"photos_02.jpg", 1920, 1080, 3},    {"photos_03.jpg", 1920, 1080, 3},
    {"photos_04.jpg", 1920, 1080, 3},    {"photos_05.jpg", 1920, 1080, 3},    {"photos_06.jpg", 1920, 1080, 3},
    {"photos_07.jpg", 1920, 1080, 3},    {"photos_08.jpg", 1920, 1080, 3},    {"photos_09.jpg", 1920, 1080, 3},
    {"photos_10.jpg", 1920, 1080, 3},
};

const char* const kButtons[] = {
    "button-linear.png",       "button-smoothstep.png",  "button-exponential.png", "button-minexponential.png",
    "button-man-valval.png",   "button-man-valzero.png", "button-man-valone.png",  "button-man-zeroval.png",
    "button-man-oneval.png",   "button-man-oneone.png",  "button-man-zerozero.png", "button-play.png",
    "button-pause.png",        "button-record.png"};

TEST(GeneratedPictures, DecodeAtTheirSizeAndChannels) {
  for (const Expected& e : kPictures) {
    Picture p = load(e.file);
    ASSERT_FALSE(p.rgba.empty()) << e.file << " does not decode";
    EXPECT_EQ(p.width, e.width) << e.file;
    EXPECT_EQ(p.height, e.height) << e.file;
    EXPECT_EQ(p.channels, e.channels) << e.file;
  }
  for (const char* b : kButtons) {
    Picture p = load(std::string("editor/") + b);
    ASSERT_FALSE(p.rgba.empty()) << b << " does not decode";
    EXPECT_EQ(p.width, 64) << b;
    EXPECT_EQ(p.height, 64) << b;
    EXPECT_EQ(p.channels, 4) << b;
  }
}

// Share of pixels whose alpha is 0, and of pixels whose alpha is at least 200.
std::pair<double, double> alphaShares(const Picture& p) {
  size_t clear = 0, solid = 0, n = size_t(p.width) * p.height;
  for (size_t i = 0; i < n; ++i) {
    clear += p.rgba[4 * i + 3] == 0;
    solid += p.rgba[4 * i + 3] >= 200;
  }
  return {double(clear) / n, double(solid) / n};
}

TEST(GeneratedPictures, BlendedPicturesHaveClearAndOpaqueAreas) {
  const char* files[] = {"flash.png", "credits_0.png", "credits_1.png", "credits_2.png",
                         "final-screen.png", "flesh-gordon.png", "planet-overlay.png"};
  for (const char* f : files) {
    auto [clear, solid] = alphaShares(load(f));
    EXPECT_GT(clear, 0.05) << f << " has too little transparency";
    EXPECT_GT(solid, 0.001) << f << " has no opaque part";
  }
  for (const char* b : kButtons) {
    Picture p = load(std::string("editor/") + b);
    EXPECT_EQ(p.at(0, 0)[3], 0) << b << ": corners outside the rounded key are clear";
    EXPECT_GE(p.at(32, 32)[3], 200) << b << ": the key itself is opaque";
  }
}

TEST(GeneratedPictures, OverlayKeepsItsMiddleClear) {
  Picture p = load("planet-overlay.png");
  ASSERT_FALSE(p.rgba.empty());
  for (int y = 540 - 250; y <= 540 + 250; y += 10)
    for (int x = 960 - 250; x <= 960 + 250; x += 10)
      if (std::hypot(x - 960, y - 540) < 250) {
        ASSERT_EQ(p.at(x, y)[3], 0) << x << "," << y;
      }
}

// The objects are added in fifteen scaled copies: anything left in their surroundings would
// build up into a grey veil.
TEST(GeneratedPictures, ObjectsGlowInTheMiddleOfBlackSurroundings) {
  for (int i = 0; i < 3; ++i) {
    Picture p = load("items_" + std::to_string(i) + ".png");
    ASSERT_FALSE(p.rgba.empty());
    int brightest = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const unsigned char* c = p.at(x, y);
        int v = std::max({c[0], c[1], c[2]});
        bool border = x < 200 || x >= p.width - 200 || y < 60 || y >= p.height - 60;
        if (border) {
          ASSERT_LE(v, 1) << "items_" << i << " at " << x << "," << y;
        }
        brightest = std::max(brightest, v);
      }
    EXPECT_GE(brightest, 240) << "items_" << i;
  }
}

TEST(GeneratedPictures, DistortionMapIsNeutralOnAverageAndTiles) {
  Picture p = load("data/textures/distortion.png");
  ASSERT_EQ(p.width, 512);
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x)
      for (int c = 0; c < 3; ++c) sum[c] += p.at(x, y)[c] / 255.0;
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(sum[c] / (512 * 512), 0.5, 0.01) << "channel " << c;

  // Across the wrap the field changes no more than between neighbouring pixels inside.
  auto columnStep = [&](int a, int b) {
    double d = 0;
    for (int y = 0; y < 512; ++y)
      for (int c = 0; c < 2; ++c) d += std::abs(int(p.at(a, y)[c]) - int(p.at(b, y)[c]));
    return d / 1024;
  };
  auto rowStep = [&](int a, int b) {
    double d = 0;
    for (int x = 0; x < 512; ++x)
      for (int c = 0; c < 2; ++c) d += std::abs(int(p.at(x, a)[c]) - int(p.at(x, b)[c]));
    return d / 1024;
  };
  double inside = (columnStep(255, 256) + rowStep(255, 256)) / 2;
  EXPECT_LT(columnStep(511, 0), 2 * inside + 1.0);
  EXPECT_LT(rowStep(511, 0), 2 * inside + 1.0);
  // And it does carry an offset field, not a flat grey.
  int lo = 255, hi = 0;
  for (int x = 0; x < 512; ++x) {
    lo = std::min<int>(lo, p.at(x, 100)[0]);
    hi = std::max<int>(hi, p.at(x, 100)[0]);
  }
  EXPECT_GT(hi - lo, 40);
}

TEST(GeneratedPictures, PlanetMapHasIcyPolesOnItsFirstAndLastRows) {
  Picture p = load("ers-light.png");
  ASSERT_EQ(p.height, 1024);
  for (int row : {0, 1023}) {
    double mean = 0;
    for (int x = 0; x < p.width; ++x) mean += p.at(x, row)[1] / 255.0;
    EXPECT_GT(mean / p.width, 0.75) << "row " << row;
  }
}

// ---- The planet model ----

struct Obj {
  std::vector<std::array<double, 3>> v, vn;
  std::vector<std::array<double, 2>> vt;
  std::vector<std::array<int, 9>> faces;  // a/b/c for three corners
  int badLines = 0;
};

Obj parseObj(const std::string& path) {
  Obj o;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string key;
    ls >> key;
    if (key == "v" || key == "vn") {
      std::array<double, 3> p{};
      if (!(ls >> p[0] >> p[1] >> p[2])) ++o.badLines;
      (key == "v" ? o.v : o.vn).push_back(p);
    } else if (key == "vt") {
      std::array<double, 2> t{};
      if (!(ls >> t[0] >> t[1])) ++o.badLines;
      o.vt.push_back(t);
    } else if (key == "f") {
      std::array<int, 9> f{};
      char s1, s2;
      for (int k = 0; k < 3; ++k)
        if (!(ls >> f[3 * k] >> s1 >> f[3 * k + 1] >> s2 >> f[3 * k + 2]) || s1 != '/' || s2 != '/') ++o.badLines;
      std::string extra;
      if (ls >> extra) ++o.badLines;  // a fourth corner would be dropped by the loader
      o.faces.push_back(f);
    }
  }
  return o;
}

TEST(GeneratedModel, IsAClosedOutwardFacingSphereOfRadiusHalf) {
  Obj o = parseObj(resource("ers.obj"));
  ASSERT_EQ(o.badLines, 0);
  ASSERT_GT(o.faces.size(), 10000u);
  for (auto& p : o.v) ASSERT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 0.5, 1e-5);
  for (auto& n : o.vn) ASSERT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-5);
  for (auto& t : o.vt) {
    ASSERT_GE(t[0], 0.0);
    ASSERT_LE(t[0], 1.0);
    ASSERT_GE(t[1], 0.0);
    ASSERT_LE(t[1], 1.0);
  }

  // Corners with the same position are one point: count each directed edge between points.
  std::map<std::tuple<long, long, long>, int> ids;
  auto pointId = [&](int index) {
    auto& p = o.v[index - 1];
    auto key = std::make_tuple(std::lround(p[0] * 1e5), std::lround(p[1] * 1e5), std::lround(p[2] * 1e5));
    return ids.emplace(key, int(ids.size())).first->second;
  };
  std::map<std::pair<int, int>, int> edges;
  double volume = 0;
  for (auto& f : o.faces) {
    for (int k = 0; k < 9; k += 3) {
      ASSERT_TRUE(f[k] >= 1 && f[k] <= int(o.v.size()));
      ASSERT_TRUE(f[k + 1] >= 1 && f[k + 1] <= int(o.vt.size()));
      ASSERT_TRUE(f[k + 2] >= 1 && f[k + 2] <= int(o.vn.size()));
    }
    int a = pointId(f[0]), b = pointId(f[3]), c = pointId(f[6]);
    ASSERT_TRUE(a != b && b != c && a != c) << "degenerate triangle";
    edges[{a, b}]++;
    edges[{b, c}]++;
    edges[{c, a}]++;
    auto &p = o.v[f[0] - 1], &q = o.v[f[3] - 1], &r = o.v[f[6] - 1];
    // Signed volume of the tetrahedron with the origin: positive for outward (CCW) faces.
    double det = p[0] * (q[1] * r[2] - q[2] * r[1]) - p[1] * (q[0] * r[2] - q[2] * r[0]) + p[2] * (q[0] * r[1] - q[1] * r[0]);
    ASSERT_GT(det, 0) << "a face turns inwards";
    volume += det / 6;
    // The corner normals point outwards with the position.
    for (int k = 0; k < 9; k += 3) {
      auto& v = o.v[f[k] - 1];
      auto& n = o.vn[f[k + 2] - 1];
      ASSERT_NEAR(n[0] * v[0] + n[1] * v[1] + n[2] * v[2], 0.5, 1e-4);
    }
  }
  for (auto& [edge, count] : edges) {
    ASSERT_EQ(count, 1) << "edge used twice in one direction";
    ASSERT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge";
  }
  EXPECT_NEAR(volume, 4.0 / 3.0 * M_PI * 0.125, 0.01);
}

// The map's first row is the north pole (+y); u grows eastwards (towards +x from +z), so
// the picture is not mirrored when the sphere is seen from outside.
TEST(GeneratedModel, TextureCoordinatesFollowTheMap) {
  Obj o = parseObj(resource("ers.obj"));
  ASSERT_FALSE(o.faces.empty());
  for (auto& f : o.faces)
    for (int k = 0; k < 9; k += 3) {
      auto& p = o.v[f[k] - 1];
      auto& t = o.vt[f[k + 1] - 1];
      double lat = std::asin(std::max(-1.0, std::min(1.0, p[1] / 0.5)));
      ASSERT_NEAR(t[1], 0.5 - lat / M_PI, 1e-4);
      if (std::fabs(p[1]) < 0.49 && std::fabs(p[0]) > 1e-4) {
        double u = std::atan2(p[0], p[2]) / (2 * M_PI) + 0.5;  // -pi..pi maps to 0..1
        ASSERT_NEAR(t[0], u, 1e-4);
      }
    }
}

// ---- Reproducibility ----

void listFiles(const std::string& root, const std::string& rel, std::vector<std::string>& out) {
  DIR* dir = opendir((root + "/" + rel).c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = rel.empty() ? name : rel + "/" + name;
    struct stat st;
    if (stat((root + "/" + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      listFiles(root, path, out);
    else
      out.push_back(path);
  }
  closedir(dir);
}

TEST(GeneratedAssets, ASecondRunWritesTheSameBytes) {
  testsupport::ScratchDir scratch;
  std::string cmd = buildDir() + "/assetgen --only pictures,model " + scratch.file("out") + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::vector<std::string> files;
  listFiles(scratch.file("out"), "", files);
  EXPECT_EQ(files.size(), 24u + 14u + 1u);  // pictures, buttons, model
  for (const std::string& f : files) {
    std::string again = testsupport::readFile(scratch.file("out/" + f));
    std::string first = testsupport::readFile(resource(f));
    ASSERT_FALSE(again.empty()) << f;
    EXPECT_TRUE(again == first) << f << " differs between runs";
  }
}

TEST(GeneratedAssets, RejectsUnknownArguments) {
  testsupport::ScratchDir scratch;
  std::string tool = buildDir() + "/assetgen";
  EXPECT_NE(std::system((tool + " --only nothing out 2>/dev/null").c_str()), 0);
  EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
  EXPECT_NE(std::system((tool + " --contact-sheet /nonexistent-folder out.png 2>/dev/null").c_str()), 0);
}

}  // namespace
