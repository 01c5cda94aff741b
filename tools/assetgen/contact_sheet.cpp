// The contact sheet: every generated picture, downscaled and tiled into one PNG with its file
// name underneath, on a neutral checker so transparent pictures show their alpha.
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "pictures.h"
#include "text.h"

#include <stb_image.h>

namespace assetgen {

namespace {

void listPictures(const std::string& root, const std::string& rel, std::vector<std::string>& out) {
  DIR* dir = opendir((root + "/" + rel).c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = rel.empty() ? name : rel + "/" + name;
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (lower.size() > 4 && (lower.rfind(".png") == lower.size() - 4 || lower.rfind(".jpg") == lower.size() - 4))
      out.push_back(path);
    else if (e->d_type == DT_DIR)
      listPictures(root, path, out);
  }
  closedir(dir);
}

Image loadPicture(const std::string& file) {
  int w = 0, h = 0, n = 0;
  unsigned char* data = stbi_load(file.c_str(), &w, &h, &n, 4);
  if (!data) return Image();
  Image img(w, h);
  for (size_t i = 0; i < size_t(w) * h; ++i) {
    float a = data[4 * i + 3] / 255.0f;
    img.px[i] = {data[4 * i] / 255.0f * a, data[4 * i + 1] / 255.0f * a, data[4 * i + 2] / 255.0f * a, a};
  }
  stbi_image_free(data);
  return img;
}

}  // namespace

bool writeContactSheet(const std::string& resources, const std::string& out) {
  std::vector<std::string> files;
  listPictures(resources, "", files);
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    fprintf(stderr, "assetgen: no pictures under %s\n", resources.c_str());
    return false;
  }
  const int cols = 5, tileW = 384, tileH = 216, label = 26, gap = 8;
  int rows = int(files.size() + cols - 1) / cols;
  Image sheet(cols * (tileW + gap) + gap, rows * (tileH + label + gap) + gap, rgb(0.12f, 0.12f, 0.13f));
  Font font;
  if (!font.load("DejaVuSans.ttf")) return false;
  for (size_t k = 0; k < files.size(); ++k) {
    int tx = gap + int(k % cols) * (tileW + gap), ty = gap + int(k / cols) * (tileH + label + gap);
    Image pic = loadPicture(resources + "/" + files[k]);
    if (pic.width == 0) continue;
    // Keep the aspect ratio inside the tile.
    float fit = std::min(float(tileW) / pic.width, float(tileH) / pic.height);
    int w = std::max(1, int(pic.width * fit)), h = std::max(1, int(pic.height * fit));
    Image small = downscale(pic, w, h);
    int ox = tx + (tileW - w) / 2, oy = ty + (tileH - h) / 2;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool dark = ((x / 8) + (y / 8)) % 2;
        sheet.at(ox + x, oy + y) = dark ? rgb(0.3f, 0.3f, 0.32f) : rgb(0.45f, 0.45f, 0.47f);
        Color c = small.at(x, y);
        Color& d = sheet.at(ox + x, oy + y);
        d = {c.r + d.r * (1 - c.a), c.g + d.g * (1 - c.a), c.b + d.b * (1 - c.a), 1};
      }
    char caption[256];
    snprintf(caption, sizeof caption, "%s  %dx%d", files[k].c_str(), pic.width, pic.height);
    Mask text = font.render(caption, 14, 0, 0);
    sheet.overMask(text, tx, ty + tileH + 6, rgb(0.85f, 0.85f, 0.88f));
  }
  return writePng(sheet, out, 3);
}

}  // namespace assetgen
