// The planet model "ers.obj": a UV sphere of radius 0.5 about the origin, north pole at +y.
// Texture v = 0 at the north pole (the surface map's first row), u grows eastwards, and the
// seam column is written twice (u = 0 and u = 1) so the texture does not smear across it.
// Faces are triangles "f a/b/c", counter-clockwise seen from outside.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "assetgen.h"
#include "image.h"

namespace assetgen {

namespace {

const int kSegments = 128;  // around the y axis
const int kRings = 64;      // from pole to pole
const double kPi = 3.14159265358979323846;

struct Vertex {
  double x, y, z, u, v;
};

// Column i (0..kSegments), ring j (0..kRings; 0 is the north pole). The poles get one vertex
// per column, placed half a column along in u, so each pole triangle samples its own slice.
Vertex gridVertex(int i, int j) {
  double u = double(i) / kSegments, v = double(j) / kRings;
  if ((j == 0 || j == kRings) && i < kSegments) u = (i + 0.5) / kSegments;  // last one unused
  double lat = kPi / 2 - kPi * v, lon = 2 * kPi * (double(i) / kSegments) - kPi;
  Vertex p;
  p.x = std::cos(lat) * std::sin(lon);
  p.y = std::sin(lat);
  p.z = std::cos(lat) * std::cos(lon);
  if (j == 0 || j == kRings) p.x = p.z = 0;  // exact poles
  p.u = u;
  p.v = v;
  return p;
}

int indexOf(int i, int j) { return j * (kSegments + 1) + i + 1; }  // OBJ indices start at 1

}  // namespace

bool generateModel(const std::string& resources) {
  std::string path = resources + "/ers.obj", tmp = path + ".part";
  if (!makeParentDirs(path)) return false;
  FILE* f = fopen(tmp.c_str(), "w");
  if (!f) {
    fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  fprintf(f, "# planet: UV sphere, radius 0.5, %d x %d segments, north pole +y\n", kSegments, kRings);
  fprintf(f, "o planet\n");
  std::vector<Vertex> grid;
  for (int j = 0; j <= kRings; ++j)
    for (int i = 0; i <= kSegments; ++i) grid.push_back(gridVertex(i, j));
  for (const Vertex& p : grid) fprintf(f, "v %.6f %.6f %.6f\n", 0.5 * p.x, 0.5 * p.y, 0.5 * p.z);
  for (const Vertex& p : grid) fprintf(f, "vt %.6f %.6f\n", p.u, p.v);
  for (const Vertex& p : grid) fprintf(f, "vn %.6f %.6f %.6f\n", p.x, p.y, p.z);

  // Corners ordered counter-clockwise seen from outside: with north up, going east (i + 1)
  // moves right and going south (j + 1) moves down on the visible face.
  auto tri = [&](int a, int b, int c) { fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c); };
  for (int j = 0; j < kRings; ++j)
    for (int i = 0; i < kSegments; ++i) {
      int nw = indexOf(i, j), ne = indexOf(i + 1, j), sw = indexOf(i, j + 1), se = indexOf(i + 1, j + 1);
      if (j == 0)
        tri(nw, sw, se);  // the north pole's slice
      else if (j == kRings - 1)
        tri(nw, sw, ne);  // the south pole's slice
      else {
        tri(nw, sw, se);
        tri(nw, se, ne);
      }
    }
  bool ok = fclose(f) == 0;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  // The demo caches the parsed model beside it and never looks at the text again while the
  // cache exists: a new model must not be hidden behind an old cache.
  std::remove((path + ".bin").c_str());
  return true;
}

}  // namespace assetgen
